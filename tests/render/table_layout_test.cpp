#include <gtest/gtest.h>

#include <QRect>

#include <cstdlib>
#include <string>
#include <vector>

#include "render/table_layout.h"

namespace redten {
namespace {

TableLayout Layout(std::int32_t w, std::int32_t h, bool small, bool backs) {
    TableLayout l;
    CalcUserPos(l, LayoutInputs{w, h, small, backs, 2});
    return l;
}

// Every game area from the smallest the window allows (its least size less
// the column, the caption and the frame) to a large screen's, on a small
// and a large screen, with and without the others' backs. check returns
// what is wrong, or nothing; the first wrong size is reported.
template <typename Check>
void ForEveryArea(Check check) {
    for (const bool small : {false, true}) {
        for (const bool backs : {false, true}) {
            for (int w = 644; w <= 1600; w += 4) {
                for (int h = 530; h <= 1200; h += 4) {
                    const std::string wrong = check(Layout(w, h, small, backs), w, h, backs);
                    if (!wrong.empty()) {
                        ADD_FAILURE() << w << " x " << h << (small ? ", small screen" : "")
                                      << (backs ? ", backs shown" : "") << ": " << wrong;
                        return;
                    }
                }
            }
        }
    }
}

struct Piece {
    std::string kind;
    int place;  // the seat's display position; -1 for the table's own
    QRect box;
    std::string Name() const { return kind + " " + std::to_string(place); }
};

// A seat's row of n cards (top and bottom: centred; left: from its anchor
// rightwards; right: leftwards) or column of n (centred on its anchor).
QRect Row(int place, PixelPoint at, int n) {
    const int w = (n - 1) * PkStepX + PkWidth;
    if (place == 0 || place == 2) {
        return {at.x - w / 2, at.y, w, PkHeight};
    }
    return {place == 1 ? at.x : at.x - w, at.y - PkHeight / 2, w, PkHeight};
}
QRect Column(PixelPoint at, int n) {
    const int h = (n - 1) * PkStepY + PkHeight;
    return {at.x, at.y - h / 2, PkWidth, h};
}

// Everything drawn on the table, at its picture's size: full hands (the
// own one with room to raise a card, the others' backs when shown) and
// plays of the given length.
std::vector<Piece> Pieces(const TableLayout& l, bool backs, int played) {
    std::vector<Piece> out;
    const auto at = [](PixelPoint p, int w, int h) { return QRect(p.x, p.y, w, h); };
    for (int p = 0; p < 4; ++p) {
        out.push_back({"face", p, at(l.UserPos[p], 32, 32)});
        if (p == 2) {
            out.push_back({"hand", p, Row(2, l.PaiPos[2], 13).adjusted(0, -kRaise, 0, 0)});
        } else if (backs) {
            out.push_back({"hand", p, p == 0 ? Row(0, l.PaiPos[0], 13) : Column(l.PaiPos[p], 13)});
        }
        out.push_back({"play", p, Row(p, l.OutPaiPos[p], played)});
        out.push_back({"count", p, at(l.RestPaiPos[p], 63, 18).translated(0, -3)});
        out.push_back({"place", p, at(l.MingCiPos[p], 48, 46)});
        out.push_back({"ready", p, at(l.ReadyPos[p], 80, 35)});
        out.push_back({"offline", p, at(l.NetBreakPos[p], 32, 32)});
        out.push_back({"flag", p, at(l.LiangFlagPos[p][0], 32, 30)});
        out.push_back({"next flag", p, at(l.LiangFlagPos[p][1], 32, 30)});
    }
    // The clock's head, bar and end; the two option buttons.
    out.push_back({"clock", -1, at(l.TimeBarPos, 52 + l.TimeBarWidth + 12, 36)});
    out.push_back({"options", -1, at(l.OptionButtonPos, 44, 29 + 24)});
    return out;
}

// Pieces that share their place by design: a seat's ready mark stands where
// its cards and its count are, which go when it comes; the left count's
// place reaches into its column, and the painter stops it short.
bool SharePlace(const Piece& a, const Piece& b) {
    const auto is = [&](const char* x, const char* y) { return a.kind == x && b.kind == y; };
    if (a.place == b.place && (is("ready", "hand") || is("ready", "play") || is("ready", "count"))) {
        return true;
    }
    return a.place == 1 && b.place == 1 && is("count", "hand");
}

// Where the smallest areas run out of room: these stand apart only from
// this width and height on.
struct RoomNeeded {
    const char* a;
    const char* b;
    int width, height;
};
constexpr RoomNeeded kRoomNeeded[] = {
    {"play 0", "play 2", 0, 600},       // the top seat's play and the own
    {"hand 1", "clock -1", 0, 584},     // the left column of backs reaches under the clock
    {"hand 0", "clock -1", 700, 0},     // the top row of backs, the clock's end
    {"next flag 0", "clock -1", 662, 0},
};

bool MayMeet(const Piece& a, const Piece& b, int w, int h) {
    if (SharePlace(a, b) || SharePlace(b, a)) {
        return true;
    }
    for (const RoomNeeded& r : kRoomNeeded) {
        if (((a.Name() == r.a && b.Name() == r.b) || (a.Name() == r.b && b.Name() == r.a)) &&
            (w < r.width || h < r.height)) {
            return true;
        }
    }
    return false;
}

TEST(TableLayout, EverythingLiesInsideTheArea) {
    ForEveryArea([](const TableLayout& l, int w, int h, bool backs) -> std::string {
        for (const Piece& piece : Pieces(l, backs, 13)) {
            if (!QRect(0, 0, w, h).contains(piece.box)) {
                return piece.Name() + " leaves the area";
            }
        }
        return {};
    });
}

TEST(TableLayout, NothingMeetsWhatItMustNot) {
    ForEveryArea([](const TableLayout& l, int w, int h, bool backs) -> std::string {
        const std::vector<Piece> pieces = Pieces(l, backs, 1);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            for (std::size_t j = i + 1; j < pieces.size(); ++j) {
                if (pieces[i].box.intersects(pieces[j].box) && !MayMeet(pieces[i], pieces[j], w, h)) {
                    return pieces[i].Name() + " meets " + pieces[j].Name();
                }
            }
            for (int p = 0; p < 4; ++p) {
                if (pieces[i].box.contains(l.UserNamePos[p].x, l.UserNamePos[p].y)) {
                    return "name " + std::to_string(p) + " starts in " + pieces[i].Name();
                }
            }
        }
        return {};
    });
}

TEST(TableLayout, TheClockAndTheFacesKeepTheirPlaces) {
    ForEveryArea([](const TableLayout& l, int w, int h, bool) -> std::string {
        if (l.TimeBarPos != PixelPoint{18, 30} || l.TimeBarWidth != 120) {
            return "the clock moved";
        }
        // Each face keeps its distance from its own edge; the top and bottom
        // ones stay centred, the side ones level.
        const auto& u = l.UserPos;
        if (u[0].y != 9 || u[1].x != 9 || w - u[3].x != 50 || h - u[2].y != 42) {
            return "a face left its edge";
        }
        if (u[0].x != u[2].x || std::abs(u[0].x - (w - 32 - u[0].x)) > 1 || u[1].y != u[3].y) {
            return "the faces are not square to the table";
        }
        return {};
    });
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
