#include <gtest/gtest.h>

#include "pictures/cards.h"
#include "pictures/skin_pictures.h"

namespace redten::assets {
namespace {

// Drawn with AND then OR, a card must cover exactly its outline: the face
// and the back are black wherever the mask is white, and the mask is only
// ever black or white.
TEST(CardPictures, FacesAndBackFitTheMaskAtEveryScale) {
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        const QImage mask = CardMask(scale);
        ASSERT_EQ(mask.size(), QSize(qRound(kCardWidth * scale), qRound(kCardHeight * scale)));
        std::vector<QImage> pictures{CardBack(scale)};
        for (int n = 0; n < 52; ++n) {
            pictures.push_back(CardFace(n, scale));
        }
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const QImage& picture = pictures[i];
            ASSERT_EQ(picture.size(), mask.size()) << i;
            for (int y = 0; y < mask.height(); ++y) {
                for (int x = 0; x < mask.width(); ++x) {
                    const QRgb m = mask.pixel(x, y) & 0xFFFFFF;
                    ASSERT_TRUE(m == 0 || m == 0xFFFFFF);
                    if (m == 0xFFFFFF) {
                        ASSERT_EQ(picture.pixel(x, y) & 0xFFFFFF, 0u)
                            << scale << " " << i << " at " << x << "," << y;
                    }
                }
            }
        }
        // The corners are outside the rounded outline; the middle inside.
        EXPECT_EQ(mask.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(mask.pixel(mask.width() / 2, mask.height() / 2) & 0xFFFFFF, 0u);
    }
}

// The buttons drawn through a mask beside them: at every scale each cell is
// black wherever its mask is white.
TEST(SkinPictures, MaskedCellsFitTheirMasksAtEveryScale) {
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        const QImage sheet = OutButtons(scale);
        ASSERT_EQ(sheet.size(), QSize(qRound(427 * scale), qRound(28 * scale)));
        const int mask = qRound(366 * scale);
        for (int cell = 0; cell < 6; ++cell) {
            const int x0 = qRound(cell * 61 * scale);
            for (int y = 0; y < sheet.height(); ++y) {
                for (int i = 0; i < qRound(61 * scale) - 1; ++i) {
                    if ((sheet.pixel(mask + i, y) & 0xFFFFFF) != 0) {
                        ASSERT_EQ(sheet.pixel(x0 + i, y) & 0xFFFFFF, 0u) << scale << " cell " << cell;
                    }
                }
            }
        }
    }
}

TEST(CardPictures, RedSuitsAreRedAndEveryFaceDiffers) {
    const auto hasRed = [](const QImage& image) {
        for (int y = 0; y < kCardHeight; ++y) {
            for (int x = 0; x < 18; ++x) {  // the index, which shows in a row
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 90 && c.blue() < 90) {
                    return true;
                }
            }
        }
        return false;
    };
    for (int n = 0; n < 52; ++n) {
        const int suit = n / 13;
        EXPECT_EQ(hasRed(CardFace(n)), suit == 0 || suit == 3) << n;
    }
    EXPECT_NE(CardFace(0), CardFace(13));
    EXPECT_NE(CardFace(0), CardFace(1));
}

}  // namespace
}  // namespace redten::assets
