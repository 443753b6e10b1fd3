#include <gtest/gtest.h>

#include <QDir>

#include "render/table_fixture.h"
#include "table_pictures.h"

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
    painter->PaintMyPai();
    const int last = left + 12 * PkStepX;
    EXPECT_EQ(At(last + 40, hand.y - 20), 0xFCFAF4u);
    EXPECT_NE(At(last + 70, hand.y + PkHeight - 5), 0xFCFAF4u);  // the cloth under it
}

TEST_F(TablePicture, PlaysPassesAndTheEnd) {
    Deal();
    context.game.udtUser[1].bteOutPai = {5, 18};
    context.game.udtUser[2].bteOutPai = {254};
    context.game.udtUser[3].bteOutPai = {7 + 13, 33};
    context.game.udtUser[1].bteLiang = 1;
    context.game.udtUser[2].blnOffline = -1;
    context.game.udtUser[0].blnReady = -1;
    painter->RepaintTable();
    Snapshot("mid-trick");
    // The right seat's played row ends at its anchor; the pass mark sits
    // where the top seat's cards would.
    const PixelPoint right = painter->Layout().OutPaiPos[3];
    EXPECT_EQ(At(right.x - 10, right.y), 0xFCFAF4u);
    context.game.udtUser[1].bteOpenPai = {1, 2, 3};
    context.game.udtUser[2].bteOpenPai = {40, 41};
    context.game.udtUser[2].bteMingCi = 1;
    context.game.blnShowOtherBack = 1;
    painter->RepaintTable();
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
    painter->RepaintTable();
    const PixelPoint o = painter->Layout().OutPaiPos[0];
    const QImage mark(QString(REDTEN_TABLE_DIR) + "/Res/BuChu.bmp");
    ASSERT_FALSE(mark.isNull());
    EXPECT_EQ(At(o.x - 33 + 33, o.y + 35 + 17), mark.pixel(33, 17) & 0xFFFFFF);
    EXPECT_NE(At(o.x, o.y + 5), 0xFCFAF4u);  // no card there
}

TEST_F(TablePicture, AMissingPictureMakesOnlyItsElementDisappear) {
    images = std::make_unique<ImageStore>("/nonexistent/", "/nonexistent/");
    painter = std::make_unique<TablePainter>(context, area, *images);
    painter->OnResized();
    Deal();
    // No cards and no faces, but the cloth is everywhere.
    const PixelPoint hand = painter->Layout().PaiPos[2];
    EXPECT_NE(At(hand.x, hand.y + 50), 0xFCFAF4u);
}

}  // namespace
}  // namespace redten
