#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "render/blit.h"
#include "render/image_store.h"

#include "support/images.h"

namespace redten {
namespace {

using test::Filled;

TEST(Blit, MaskThenPictureCoversExactlyTheOutline) {
    QImage cloth = Filled(10, 10, qRgb(20, 100, 40));
    QImage mask = Filled(4, 4, qRgb(255, 255, 255));
    QImage picture = Filled(4, 4, qRgb(0, 0, 0));
    for (int y = 1; y < 3; ++y) {
        for (int x = 1; x < 3; ++x) {
            mask.setPixel(x, y, qRgb(0, 0, 0));
            picture.setPixel(x, y, qRgb(200, 30, 30));
        }
    }
    BlitMasked(cloth, 3, 3, mask, picture);
    EXPECT_EQ(cloth.pixel(4, 4), qRgb(200, 30, 30));
    EXPECT_EQ(cloth.pixel(3, 3), qRgb(20, 100, 40));  // outside the outline: the cloth
    EXPECT_EQ(cloth.pixel(6, 6), qRgb(20, 100, 40));
}

TEST(Blit, ClipsAtEveryEdgeWithoutTouchingOutside) {
    QImage dst = Filled(8, 8, qRgb(1, 2, 3));
    const QImage src = Filled(5, 5, qRgb(9, 9, 9));
    Blit(dst, -3, -3, 5, 5, src, 0, 0, RasterOp::Copy);
    EXPECT_EQ(dst.pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(dst.pixel(1, 1), qRgb(9, 9, 9));
    EXPECT_EQ(dst.pixel(2, 2), qRgb(1, 2, 3));
    Blit(dst, 6, 6, 5, 5, src, 0, 0, RasterOp::Copy);
    EXPECT_EQ(dst.pixel(7, 7), qRgb(9, 9, 9));
    Blit(dst, 0, 0, 50, 50, src, 3, 3, RasterOp::Copy);  // larger than the source
    EXPECT_EQ(dst.pixel(1, 1), qRgb(9, 9, 9));
    EXPECT_EQ(dst.pixel(2, 4), qRgb(1, 2, 3));
    Blit(dst, 100, 100, 5, 5, src, 0, 0, RasterOp::Copy);
    Blit(dst, 0, 0, 5, 5, src, -10, -10, RasterOp::Copy);
    Blit(dst, 0, 0, 5, 5, QImage(), 0, 0, RasterOp::Copy);
    Blit(dst, 0, 0, 5, 5, src, 0, 0, RasterOp::NotCopy);
    EXPECT_EQ(dst.pixel(0, 0), qRgb(246, 246, 246));
}

TEST(Blit, NegativeSizesMirrorAndEndAtTheGivenPoint) {
    QImage corner = Filled(3, 2, qRgb(0, 0, 0));
    corner.setPixel(2, 0, qRgb(255, 0, 0));  // the top-right pixel marks the corner
    QImage dst = Filled(10, 10, qRgb(255, 255, 255));
    BlitPicture(dst, 2, 9, -3, -2, corner, RasterOp::Copy);  // bottom-left, both ways
    EXPECT_EQ(dst.pixel(0, 9), qRgb(255, 0, 0));
    EXPECT_EQ(dst.pixel(2, 8), qRgb(0, 0, 0));
    EXPECT_EQ(dst.pixel(3, 9), qRgb(255, 255, 255));
    BlitPicture(dst, 7, 0, 3, 2, corner, RasterOp::Copy);  // top-right, as it is
    EXPECT_EQ(dst.pixel(9, 0), qRgb(255, 0, 0));
}

TEST(ImageStore, DecodesEachPictureOnceAndForgetsNothingMissing) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("table/Res");
    Filled(4, 4, qRgb(5, 6, 7)).save(dir.filePath("table/Res/Hand.bmp"), "BMP");
    ImageStore store(dir.filePath("table/").toStdString(), dir.path().toStdString() + "/");
    const QImage* first = store.App("res\\HAND.bmp");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->pixel(0, 0), qRgb(5, 6, 7));
    EXPECT_EQ(store.App("res\\HAND.bmp"), first);
    EXPECT_EQ(store.App("Res\\Missing.bmp"), nullptr);
    EXPECT_EQ(store.App("Res\\Missing.bmp"), nullptr);
    EXPECT_EQ(store.Decoded(), 2u);
    EXPECT_EQ(store.Parent("table\\Res\\Hand.bmp")->size(), QSize(4, 4));
}

}  // namespace
}  // namespace redten
