#include <gtest/gtest.h>

#include "render/table_layout.h"

namespace redten {
namespace {

TableLayout Layout(std::int32_t w, std::int32_t h, bool small, bool backs) {
    TableLayout l;
    CalcUserPos(l, LayoutInputs{w, h, small, backs, 2});
    return l;
}

TEST(TableLayout, SeatsOfASmallGameArea) {
    const TableLayout l = Layout(560, 420, true, false);
    EXPECT_EQ(l.UserPos, (std::array<PixelPoint, 4>{{{264, 9}, {9, 164}, {264, 378}, {510, 164}}}));
    // The own hand row sits 115 pixels above the own face; the top hand 54
    // pixels below the top face.
    EXPECT_EQ(l.PaiPos[2], (PixelPoint{280, 378 - 115}));
    EXPECT_EQ(l.PaiPos[0], (PixelPoint{280, 9 + 54}));
    EXPECT_EQ(l.PaiPos[3], (PixelPoint{510 - 105, 180}));
    EXPECT_EQ(l.ReadyPos[3], (PixelPoint{410, 164}));
    EXPECT_EQ(l.LiangFlagPos[1][1], (PixelPoint{9, 164 - 112}));
    EXPECT_EQ(l.OptionButtonPos, (PixelPoint{560 - 54, 420 - 58 - 47}));
    EXPECT_EQ(l.TimeBarPos, (PixelPoint{18, 30}));
}

TEST(TableLayout, PlayedCardsMoveWithTheScreenAndTheBacks) {
    struct Case {
        bool small, backs;
        std::array<PixelPoint, 4> offsets;  // from each position's hand anchor
    };
    const Case cases[] = {
        {true, true, {{{0, 107}, {82, 20}, {0, -131}, {-3, 20}}}},
        {true, false, {{{0, 52}, {40, 0}, {0, -131}, {40, 0}}}},
        {false, true, {{{0, 125}, {110, 0}, {0, -149}, {-33, 0}}}},
        {false, false, {{{0, 72}, {70, 0}, {0, -149}, {10, 0}}}},
    };
    for (const Case& c : cases) {
        const TableLayout l = Layout(1366, 736, c.small, c.backs);
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(l.OutPaiPos[p].x - l.PaiPos[p].x, c.offsets[p].x) << c.small << c.backs << p;
            EXPECT_EQ(l.OutPaiPos[p].y - l.PaiPos[p].y, c.offsets[p].y) << c.small << c.backs << p;
        }
    }
}

TEST(PkImageIndex, AceFirstInEverySuitAndTheRedTensAsTens) {
    EXPECT_EQ(PkImageIndex(0), 2);
    EXPECT_EQ(PkImageIndex(11), 0);
    EXPECT_EQ(PkImageIndex(12), 1);
    EXPECT_EQ(PkImageIndex(59), 9);
    EXPECT_EQ(PkImageIndex(72), 48);
    EXPECT_EQ(PkImageIndex(51), 40);  // the two of suit 3
    for (std::uint8_t bad : {7, 46, 52, 58, 60, 71, 73, 254, 255}) {
        EXPECT_EQ(PkImageIndex(bad), 255) << int(bad);
    }
}

TEST(WrapLines, EightCharactersALineChineseAndLatinAlike) {
    EXPECT_EQ(WrapLines("赵六六六六六六六六六"), (std::vector<std::string>{"赵六六六六六六六", "六六"}));
    EXPECT_EQ(WrapLines("abcdefgh张"), (std::vector<std::string>{"abcdefgh", "张"}));
    EXPECT_TRUE(WrapLines("").empty());
}

class HandHitTest : public testing::Test {
protected:
    // Thirteen cards centred on x = 500, top at y = 300: from x = 352.
    const PixelPoint hand{500, 300};
    std::vector<std::uint8_t> selected = std::vector<std::uint8_t>(13, 0);
    static std::int32_t ColumnOf(int k) { return 352 + (k - 1) * 18 + 1; }
};

TEST_F(HandHitTest, TheRowItsEdgesAndTheBandsAboveAndBelow) {
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(1), 350, hand, selected), 1);
    EXPECT_EQ(GetMyPaiIndex(352 + 296, 350, hand, selected), 13);  // the last card owns its width
    EXPECT_EQ(GetMyPaiIndex(351, 350, hand, selected), -1);
    EXPECT_EQ(GetMyPaiIndex(352 + 297, 350, hand, selected), -1);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 300 - 25, hand, selected), -1);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 300 + 106, hand, selected), -1);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 290, hand, selected), -1);  // nothing raised up there
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 300 + 90, hand, selected), 5);
    EXPECT_EQ(GetMyPaiIndex(0, 0, hand, {}), -1);
}

TEST_F(HandHitTest, RaisedNeighboursReachAboveTheRowWithinACardWidth) {
    selected[2] = 1;  // card 3 raised
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 290, hand, selected), 3);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(3), 290, hand, selected), 3);
    selected = std::vector<std::uint8_t>(13, 0);
    selected[0] = 1;  // card 1 raised, four places left of card 5
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 290, hand, selected), -1);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(4), 290, hand, selected), 1);
}

TEST_F(HandHitTest, BelowARaisedCardTheUnraisedNeighbourShows) {
    selected[4] = 1;  // card 5 raised
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 300 + 50, hand, selected), 5);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 300 + 90, hand, selected), 4);
    selected = std::vector<std::uint8_t>(13, 1);
    EXPECT_EQ(GetMyPaiIndex(ColumnOf(5), 300 + 90, hand, selected), -1);
}

}  // namespace
}  // namespace redten
