#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace redten {

struct PixelPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// Card metrics: every card is drawn 80 × 105; rows step 18 pixels, columns
// of backs 24; a selected own card stands 24 pixels higher.
inline constexpr std::int32_t PkWidth = 80;
inline constexpr std::int32_t PkHeight = 105;
inline constexpr std::int32_t PkStepX = 18;
inline constexpr std::int32_t PkStepY = 24;
inline constexpr std::int32_t kRaise = 24;

// Where everything of a seat goes, by display position (0 top, 1 left,
// 2 bottom, 3 right), computed from the size of the game area.
struct TableLayout {
    std::array<PixelPoint, 4> UserPos;      // face picture, 32 × 32
    std::array<PixelPoint, 4> UserNamePos;
    std::array<PixelPoint, 4> NetBreakPos;  // connection-lost icon
    std::array<PixelPoint, 4> ReadyPos;     // ready mark
    std::array<PixelPoint, 4> PaiPos;       // hand: rows centre-top, columns left-centre
    std::array<PixelPoint, 4> OutPaiPos;    // played cards
    std::array<std::array<PixelPoint, 2>, 4> LiangFlagPos;
    std::array<PixelPoint, 4> MingCiPos;    // finishing place mark, 48 × 46
    std::array<PixelPoint, 4> RestPaiPos;   // remaining-card count
    PixelPoint StartButtonPos;              // top-left of the start button
    PixelPoint OptionButtonPos;
    PixelPoint TimeBarPos;
    std::int32_t TimeBarWidth = 120;
};

struct LayoutInputs {
    std::int32_t width = 0;   // inner size of the game area
    std::int32_t height = 0;
    bool smallScreen = false;    // the screen is narrower than 801 pixels
    bool showOtherBack = false;  // other seats' backs are drawn
    std::int32_t optionButtons = 2;
};

// The seats' anchors, then the cards' (CalcPaiPos).
void CalcUserPos(TableLayout& layout, const LayoutInputs& in);
// The hand and played-card anchors, the flags, the option buttons and the
// time bar; the played cards move with the screen size and the backs.
void CalcPaiPos(TableLayout& layout, const LayoutInputs& in);

// The card picture number for a card code (ace 0, two 1, three 2 … king
// 12 in each suit), or 255 for a code that names no card.
std::uint8_t PkImageIndex(std::uint8_t code);

// A side seat's name in lines of at most eight characters, whatever their
// widths.
std::vector<std::string> WrapLines(const std::string& text, std::size_t perLine = 8);

// The own-hand card (1-based) under the point, or -1. hand is the hand
// anchor (centre-top of the row); selected has one flag per card.
std::int32_t GetMyPaiIndex(std::int32_t x, std::int32_t y, PixelPoint hand,
                           const std::vector<std::uint8_t>& selected);

}  // namespace redten
