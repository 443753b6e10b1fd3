#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include <QTemporaryDir>

#include "render/blit.h"
#include "render/notice_panels.h"
#include "render/null_back_blitter.h"
#include "render/table_fixture.h"

namespace redten {
namespace {

class TableAtRatio : public TablePicture {
protected:
    // The same mid-game table as at 1: a hand, backs, played rows, buttons.
    void DrawAt(qreal ratio) {
        area.SetRatio(ratio);
        Deal();
        context.game.udtUser[1].bteOutPai = {5, 18};
        context.game.udtUser[3].bteOutPai = {7 + 13, 33};
        context.game.udtUser[2].blnOffline = -1;
        context.controls.bteOptionState.fill(ButtonState::Shown);
        painter->DrawFrame();
        ShowOutButtons();
    }
    QRgb Device(int x, int y) { return area.Surface().pixel(x, y) & 0xFFFFFF; }
};

TEST_F(TableAtRatio, TheSameTableAtOneOneAndAHalfAndTwo) {
    const std::array<qreal, 3> ratios = {1.0, 1.5, 2.0};
    const char* names[] = {"mid-game-1x", "mid-game-1.5x", "mid-game-2x"};
    for (std::size_t i = 0; i < ratios.size(); ++i) {
        DrawAt(ratios[i]);
        Snapshot(names[i]);
        // The surface has the device pixels; the layout keeps the logical ones.
        EXPECT_EQ(area.Surface().size(), QSize(qRound(1366 * ratios[i]), qRound(736 * ratios[i])));
        const PixelPoint hand = painter->Layout().PaiPos[2];
        const int left = hand.x - (12 * PkStepX + PkWidth) / 2;
        // The paper of the first card, where it is at 1.
        EXPECT_EQ(Device(ToDevice(left + 40, ratios[i]), ToDevice(hand.y + 60, ratios[i])), 0xFCFAF4u)
            << names[i];
    }
}

TEST_F(TableAtRatio, ACardsEdgeIsOneDevicePixelAtTwo) {
    for (const int ratio : {1, 2}) {
        DrawAt(ratio);
        const PixelPoint hand = painter->Layout().PaiPos[2];
        const int end = (hand.x - (12 * PkStepX + PkWidth) / 2 + 12 * PkStepX + PkWidth) * ratio;
        const int y = (hand.y + 60) * ratio;
        const QRgb edge = Device(end - 1, y);
        EXPECT_NE(edge, 0xFCFAF4u) << ratio;
        EXPECT_LT(qGreen(edge), 200) << ratio;                // the grey edge…
        EXPECT_EQ(Device(end - 2, y), 0xFCFAF4u) << ratio;    // …one pixel, then paper
        EXPECT_NE(Device(end, y), edge) << ratio;             // and the cloth outside
    }
}

TEST_F(TableAtRatio, FractionalRatiosLeaveNoSeamOrOverlapBetweenPieces) {
    const QRgb blank = qRgb(8, 73, 165) & 0xFFFFFF;
    for (const qreal ratio : {1.25, 1.5, 1.75}) {
        DrawAt(ratio);
        // The cloth covers the whole area, to its last device pixel.
        area.Surface().fill(blank);
        painter->DrawFrame();
        for (int y = 0; y < area.Surface().height(); ++y) {
            for (int x = 0; x < area.Surface().width(); ++x) {
                ASSERT_NE(Device(x, y), blank) << ratio << " at " << x << "," << y;
            }
        }
        TableCanvas canvas(area, *images);
        // A result panel: corners, edges of 18 pixels and its cut last piece.
        area.Surface().fill(blank);
        NoticePanels(context, canvas).PaintMsgFrame(101, 67, 341, 211);
        const QRect frame = DeviceRect(QRect(101, 67, 342, 211), ratio);
        for (int x = frame.left() + ToDevice(8, ratio); x < frame.right() - ToDevice(8, ratio); ++x) {
            ASSERT_NE(Device(x, frame.top() + ToDevice(4, ratio)), blank) << ratio << " column " << x;
        }
        for (int y = frame.top() + ToDevice(8, ratio); y < frame.bottom() - ToDevice(8, ratio); ++y) {
            ASSERT_NE(Device(frame.left() + ToDevice(4, ratio), y), blank) << ratio << " row " << y;
        }
    }
}

TEST_F(TableAtRatio, HitTestsAreTheSameInLogicalPixelsAtEveryRatio) {
    const auto hits = [this] {
        std::vector<int> out;
        for (int y = 0; y < 736; y += 3) {
            for (int x = 0; x < 1366; x += 3) {
                out.push_back(painter->CardAt(x, y));
                out.push_back(painter->GetUserOptButIndex(x, y));
                out.push_back(painter->GetUserOutButIndex(x, y));
            }
        }
        return out;
    };
    DrawAt(1);
    const std::vector<int> atOne = hits();
    EXPECT_NE(std::count(atOne.begin(), atOne.end(), 1), 0);  // something is hit at all
    for (const qreal ratio : {1.5, 2.0}) {
        DrawAt(ratio);
        EXPECT_EQ(hits(), atOne) << ratio;
    }
}

TEST(ImageStoreRatio, TakesTheVariantForTheRatioOrTheNearestBroughtToIt) {
    ImageStore store(REDTEN_TABLE_DIR, "");
    store.SetRatio(2);
    const QImage* card = store.App("Res\\ResPk\\Pk0.bmp");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->size(), QSize(160, 210));
    EXPECT_EQ(card->devicePixelRatio(), 2.0);
    // 1.25 has no pictures of its own: 1.5's, brought to 100 × 131.
    store.SetRatio(1.25);
    card = store.App("Res\\ResPk\\Pk0.bmp");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->size(), QSize(100, 131));
    EXPECT_EQ(LogicalSize(*card), QSize(80, 105));
    EXPECT_EQ(store.App("Res\\ResPk\\NoSuchCard.bmp"), nullptr);

    // A picture with no variants at all: the plain one, brought to 2.
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Res");
    QImage plain(4, 2, QImage::Format_RGB32);
    plain.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(plain.save(dir.filePath("Res/Only.bmp")));
    ImageStore own(dir.path().toStdString(), "");
    own.SetRatio(2);
    const QImage* only = own.App("Res\\Only.bmp");
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(only->size(), QSize(8, 4));
    EXPECT_EQ(only->pixel(7, 3) & 0xFFFFFF, 0x010203u);
}

TEST(BlitRatio, MasksSheetCellsAndKeyColoursAtTwoAndOneAndAHalf) {
    QImage area = DeviceImage(QSize(40, 20), 2);
    area.fill(qRgb(0, 200, 0));
    QImage mask = DeviceImage(QSize(4, 4), 2);
    mask.fill(Qt::white);
    QImage picture = DeviceImage(QSize(4, 4), 2);
    picture.fill(Qt::black);
    for (int y = 2; y < 6; ++y) {  // a 2 × 2 logical square in the middle
        for (int x = 2; x < 6; ++x) {
            mask.setPixel(x, y, qRgb(0, 0, 0));
            picture.setPixel(x, y, qRgb(255, 0, 0));
        }
    }
    BlitMasked(area, 3, 5, mask, picture);
    EXPECT_EQ(area.pixel(8, 12) & 0xFFFFFF, 0xFF0000u);   // (4, 6) logical: the square
    EXPECT_EQ(area.pixel(11, 15) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(area.pixel(7, 12) & 0xFFFFFF, 0x00C800u);   // beside it: the ground
    EXPECT_EQ(area.pixel(12, 12) & 0xFFFFFF, 0x00C800u);
    // A picture drawn for 1 on a surface at 2 still covers its logical place.
    QImage plain(3, 3, QImage::Format_RGB32);
    plain.fill(qRgb(0, 0, 255));
    Blit(area, 10, 2, 3, 3, plain, 0, 0, RasterOp::Copy);
    EXPECT_EQ(area.pixel(20, 4) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(area.pixel(25, 9) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(area.pixel(26, 9) & 0xFFFFFF, 0x00C800u);

    // At 1.5 a cell of a sheet can land one pixel wider than it is in the
    // sheet; the extra pixel is the cell's own edge, never its neighbour's.
    QImage sheet = DeviceImage(QSize(9, 2), 1.5);  // three cells of 3: 5, 4 and 5 pixels
    sheet.fill(Qt::white);
    for (int x = 5; x < 9; ++x) {
        sheet.setPixel(x, 0, qRgb(255, 0, 0));
        sheet.setPixel(x, 1, qRgb(255, 0, 0));
        sheet.setPixel(x, 2, qRgb(255, 0, 0));
    }
    QImage half = DeviceImage(QSize(10, 4), 1.5);
    half.fill(Qt::black);
    Blit(half, 0, 0, 3, 2, sheet, 3, 0, RasterOp::Copy);  // 5 pixels wide here
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(half.pixel(x, 1) & 0xFFFFFF, 0xFF0000u) << x;
    }
    EXPECT_EQ(half.pixel(5, 1) & 0xFFFFFF, 0u);

    // A blast frame on its key colour: the key lets the ground show.
    QImage frame = DeviceImage(QSize(2, 2), 2);
    frame.fill(Qt::black);
    frame.setPixel(3, 3, qRgb(255, 255, 0));
    clsPaintImageByNullBack().PictureBox_PaintImageByNullBack(area, frame, qRgb(0, 0, 0), 16, 6);
    EXPECT_EQ(area.pixel(32, 12) & 0xFFFFFF, 0x00C800u);
    EXPECT_EQ(area.pixel(35, 15) & 0xFFFFFF, 0xFFFF00u);
}

}  // namespace
}  // namespace redten
