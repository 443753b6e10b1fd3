#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>

#include "render/table_fixture.h"
#include "pictures/table_pictures.h"

namespace redten {
namespace {

TEST_F(TablePicture, TheDealShowsTheOwnHandFaceUpAndTheOthersBacks) {
    Deal();
    Snapshot("after-deal");
    const PixelPoint hand = painter->Layout().PaiPos[2];
    const int left = hand.x - (12 * PkStepX + PkWidth) / 2;
    const QRgb felt = assets::Felt().rgb() & 0xFFFFFF;
    // Inside the first card, on its paper; just left of the row, the cloth's weave.
    EXPECT_EQ(At(left + 40, hand.y + 60), 0xFCFAF4u);
    const QRgb outside = At(left - 3, hand.y + 60);
    EXPECT_LE(std::abs(int(qGreen(outside)) - int(qGreen(felt))), 3);
    // A selected card stands 24 pixels higher.
    context.game.bteSelected.assign(13, 0);
    context.game.bteSelected[12] = 1;
    painter->DrawFrame();
    const int last = left + 12 * PkStepX;
    EXPECT_EQ(At(last + 40, hand.y - 20), 0xFCFAF4u);
    EXPECT_NE(At(last + 70, hand.y + PkHeight - 5), 0xFCFAF4u);  // the cloth under it
    // A portrait is round: its corner is the cloth, drawn over as often as it
    // may be.
    const PixelPoint face = painter->Layout().UserPos[0];
    painter->DrawFrame();
    const QImage once = area.Surface().copy(face.x, face.y, 32, 32);
    painter->DrawFrame();
    EXPECT_EQ(area.Surface().copy(face.x, face.y, 32, 32), once);
    const QRgb corner = At(face.x, face.y);
    EXPECT_LE(std::abs(int(qGreen(corner)) - int(qGreen(felt))), 3);
}

TEST_F(TablePicture, PlaysPassesAndTheEnd) {
    Deal();
    context.game.udtUser[1].bteOutPai = {5, 18};
    context.game.udtUser[2].bteOutPai = {254};
    context.game.udtUser[3].bteOutPai = {7 + 13, 33};
    context.game.udtUser[1].bteLiang = 1;
    context.game.udtUser[2].blnOffline = -1;
    context.game.udtUser[0].blnReady = -1;
    painter->DrawFrame();
    Snapshot("mid-trick");
    // The right seat's played row ends at its anchor; the pass mark sits
    // where the top seat's cards would.
    const PixelPoint right = painter->Layout().OutPaiPos[3];
    EXPECT_EQ(At(right.x - 10, right.y), 0xFCFAF4u);
    context.game.udtUser[1].bteOpenPai = {1, 2, 3};
    context.game.udtUser[2].bteOpenPai = {40, 41};
    context.game.udtUser[2].bteMingCi = 1;
    context.game.blnShowOtherBack = 1;
    painter->DrawFrame();
    Snapshot("game-over");
}

TEST_F(TablePicture, TheRailsAndCornersAreMirroredRoundTheTable) {
    const QImage corner(QString(REDTEN_TABLE_DIR) + "/Res/GameBackJiao.bmp");
    ASSERT_FALSE(corner.isNull());
    const int w = area.Surface().width();
    const int h = area.Surface().height();
    // The top-right corner as it is; the others mirrored to face inwards.
    EXPECT_EQ(At(w - 53 + 40, 3), corner.pixel(40, 3) & 0xFFFFFF);
    EXPECT_EQ(At(52 - 40, 3), corner.pixel(40, 3) & 0xFFFFFF);
    // The bottom corners end at y = H itself, so their first row falls just off the area.
    EXPECT_EQ(At(52 - 40, h - 3), corner.pixel(40, 3) & 0xFFFFFF);
    EXPECT_EQ(At(w - 53 + 40, h - 3), corner.pixel(40, 3) & 0xFFFFFF);
    // The left rail is the right one turned round.
    EXPECT_EQ(At(0, 300), At(w - 1, 300));
    EXPECT_EQ(At(6, 300), At(w - 7, 300));
}

TEST_F(TablePicture, APassShowsItsMarkInsteadOfCards) {
    Deal();
    context.game.udtUser[2].bteOutPai = {254};  // the top seat passed
    painter->DrawFrame();
    const PixelPoint o = painter->Layout().OutPaiPos[0];
    const QImage mark(QString(REDTEN_TABLE_DIR) + "/Res/BuChu.bmp");
    ASSERT_FALSE(mark.isNull());
    EXPECT_EQ(At(o.x - 33 + 33, o.y + 35 + 17), mark.pixel(33, 17) & 0xFFFFFF);
    EXPECT_NE(At(o.x, o.y + 5), 0xFCFAF4u);  // no card there
}

TEST_F(TablePicture, AMissingPictureMakesOnlyItsElementDisappear) {
    images = std::make_unique<ImageStore>("/nonexistent/", "/nonexistent/");
    painter = std::make_unique<TablePainter>(context, area, *images);
    painter->DrawFrame();
    Deal();
    // No cards and no faces, but the cloth is everywhere.
    const PixelPoint hand = painter->Layout().PaiPos[2];
    EXPECT_NE(At(hand.x, hand.y + 50), 0xFCFAF4u);
}


TEST_F(TablePicture, AtTheShellsSizeTheOwnCountBadgeAndStartButtonStandApartAndWhole) {
    SizeAsTheShell();
    const int w = area.width();
    const int h = area.height();
    Deal();
    context.game.udtUser[0].bteMingCi = 1;
    QPushButton start(&area);
    const auto place = [&] {  // as the window places it after a frame
        start.setText("可以开始 20");
        start.adjustSize();
        start.move(painter->Layout().StartButtonPos.x, painter->Layout().StartButtonPos.y);
        start.show();
    };
    painter->DrawFrame();
    place();
    SnapshotWithWidgets("own-seat-at-1366x768");
    const PixelPoint b = painter->Layout().MingCiPos[2];
    const PixelPoint c = painter->Layout().RestPaiPos[2];
    const QRect badge(b.x, b.y, 48, 46);
    EXPECT_LE(badge.bottom(), h - 8);  // clear of the bottom rail
    const QImage places(QString(REDTEN_TABLE_DIR) + "/Res/MingCi.bmp");
    EXPECT_EQ(area.Surface().copy(badge),
              places.copy(0, 0, 48, 46).convertToFormat(QImage::Format_RGB32));
    const QRect button = start.geometry();
    EXPECT_FALSE(button.intersects(badge) || button.intersects(QRect(c.x, c.y - 3, 63, 18)));
    EXPECT_TRUE(QRect(0, 0, w, h - 7).contains(button));
    area.resize(w + 300, h);  // the right column folded: the button goes along
    place();
    EXPECT_TRUE(QRect(0, 0, w + 300, h - 7).contains(start.geometry()));
}

TEST_F(TablePicture, RevealedHandsKeepClearOfTheLastPlaysAndGiveWayToReadyMarks) {
    SizeAsTheShell();
    Deal();
    auto& u = context.game.udtUser;
    context.game.blnShowOtherBack = 0;  // as the room deals by default
    painter->DrawFrame();
    u[1].bteOutPai = {20, 33, 34};
    u[2].bteOutPai = {254};
    u[3].bteOutPai = {5, 18};
    // The game's end turns the backs on and reveals what is left: the last
    // plays look the same with the hands beside them as without.
    context.game.blnShowOtherBack = 1;
    painter->DrawFrame();
    const QImage plays = area.Surface().copy();
    u[1].bteOpenPai = {21, 22, 23, 24, 25, 26};
    u[2].bteOpenPai = {40, 41, 42, 43, 44};
    u[3].bteOpenPai = {1, 2, 3, 4, 14, 15, 16};
    painter->DrawFrame();
    Snapshot("game-over-revealed");
    const auto& o = painter->Layout().OutPaiPos;
    const QRect played(QPoint(o[1].x, o[0].y), QPoint(o[3].x, o[2].y + PkHeight));
    EXPECT_EQ(Differences(plays, area.Surface(), played), 0);
    // The others raise their hands: each mark stands whole, and a full
    // repaint shows just what the marks' arrival did.
    const QImage mark =
        QImage(QString(REDTEN_TABLE_DIR) + "/Res/Hand.bmp").convertToFormat(QImage::Format_RGB32);
    for (std::uint8_t s = 1; s < 4; ++s) {
        u[s].blnReady = -1;
        painter->DrawFrame();
        const PixelPoint r = painter->Layout().ReadyPos[context.define.ViewPos[s]];
        EXPECT_EQ(area.Surface().copy(r.x, r.y, 80, 35), mark) << int(s);
    }
    Snapshot("game-over-ready");
    const QImage raised = area.Surface().copy();
    painter->DrawFrame();
    EXPECT_EQ(Differences(raised, area.Surface(), area.Surface().rect()), 0);
}

TEST_F(TablePicture, ASeatThatRanAwayLeavesNothingOfItsOwnBehind) {
    SizeAsTheShell();
    Deal();
    auto& u = context.game.udtUser;
    // Mid-game the left count stands beside the cards without touching them.
    const TableLayout& l = painter->Layout();
    const QRect column(l.PaiPos[1].x, l.RestPaiPos[1].y - 3, PkWidth, 18);
    const QImage withCount = area.Surface().copy(column);
    u[3].blnReady = -1;  // the count goes, the cards stay
    painter->DrawFrame();
    EXPECT_EQ(area.Surface().copy(column), withCount);
    u[3].blnReady = 0;
    // The end after the left seat (a long name) ran away, then the painters
    // of the room's leave message, in their order: the same as a full repaint.
    u[3].bteOpenPai = {1, 2, 3, 4, 14, 15, 16, 17, 27, 28, 29, 30, 31};
    u[1].bteMingCi = 2;
    painter->DrawFrame();
    u[3].strUserName.clear();
    painter->DrawFrame();
    painter->DrawFrame();
    painter->DrawFrame();
    Snapshot("runaway-left-seat");
    const QImage left = area.Surface().copy();
    painter->DrawFrame();
    EXPECT_EQ(Differences(left, area.Surface(), QRect(0, 0, l.OutPaiPos[1].x, area.height())), 0);
}

}  // namespace
}  // namespace redten
