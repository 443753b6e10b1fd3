#include <gtest/gtest.h>

#include "render/pictures/cards.h"

namespace redten::assets {
namespace {

// Drawn with AND then OR, a card must cover exactly its outline: the face
// and the back are black wherever the mask is white, and the mask is only
// ever black or white.
TEST(CardPictures, FacesAndBackFitTheMask) {
    const QImage mask = CardMask();
    ASSERT_EQ(mask.size(), QSize(kCardWidth, kCardHeight));
    std::vector<QImage> pictures{CardBack()};
    for (int n = 0; n < 52; ++n) {
        pictures.push_back(CardFace(n));
    }
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const QImage& picture = pictures[i];
        ASSERT_EQ(picture.size(), mask.size()) << i;
        for (int y = 0; y < kCardHeight; ++y) {
            for (int x = 0; x < kCardWidth; ++x) {
                const QRgb m = mask.pixel(x, y) & 0xFFFFFF;
                ASSERT_TRUE(m == 0 || m == 0xFFFFFF);
                if (m == 0xFFFFFF) {
                    ASSERT_EQ(picture.pixel(x, y) & 0xFFFFFF, 0u) << i << " at " << x << "," << y;
                }
            }
        }
    }
    // The corners are outside the rounded outline; the middle inside.
    EXPECT_EQ(mask.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(mask.pixel(40, 52) & 0xFFFFFF, 0u);
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
