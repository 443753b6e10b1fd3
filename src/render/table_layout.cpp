#include "render/table_layout.h"

#include <algorithm>

namespace redten {

void CalcUserPos(TableLayout& l, const LayoutInputs& in) {
    const std::int32_t w = in.width;
    const std::int32_t h = in.height;
    l.UserPos[0] = {(w - 32) / 2, 9};
    l.UserPos[1] = {9, (h - 32) / 2 - 30};
    l.UserPos[2] = {(w - 32) / 2, h - 42};
    l.UserPos[3] = {w - 50, l.UserPos[1].y};

    const auto& u = l.UserPos;
    l.UserNamePos = {{{u[0].x + 35, u[0].y + 8}, {u[1].x, u[1].y + 35},
                      {u[2].x + 35, u[2].y + 8}, {u[3].x - 10, u[3].y + 35}}};
    l.NetBreakPos = {{{u[0].x - 40, u[0].y}, {u[1].x, u[1].y - 40},
                      {u[2].x - 40, u[2].y}, {u[3].x, u[3].y - 40}}};
    l.ReadyPos = {{{u[0].x - 16, u[0].y + 40}, {u[1].x + 50, u[1].y},
                   {u[2].x - 16, u[2].y - 40}, {u[3].x - 100, u[3].y}}};
    CalcPaiPos(l, in);
}

void CalcPaiPos(TableLayout& l, const LayoutInputs& in) {
    const auto& u = l.UserPos;
    l.PaiPos = {{{u[0].x + 16, u[0].y + 54}, {u[1].x + 60, u[1].y + 16},
                 {u[2].x + 16, u[2].y - PkHeight - 10}, {u[3].x - PkWidth - 25, u[3].y + 16}}};
    l.LiangFlagPos = {{{{{u[0].x - 80, u[0].y}, {u[0].x - 113, u[0].y}}},
                       {{{u[1].x, u[1].y - 80}, {u[1].x, u[1].y - 112}}},
                       {{{u[2].x - 80, u[2].y}, {u[2].x - 113, u[2].y}}},
                       {{{u[3].x, u[3].y - 80}, {u[3].x, u[3].y - 112}}}}};
    // The own badge stands 14 pixels higher than the others' pattern would
    // put it: 3 below the face top it would reach 7 pixels past the area's
    // bottom edge, and the bottom rail takes the 7 rows above that.
    l.MingCiPos = {{{u[0].x + 125, u[0].y + 3}, {u[1].x, u[1].y + 80},
                    {u[2].x + 205, u[2].y - 11}, {u[3].x - 10, u[3].y + 80}}};
    l.RestPaiPos = {{{u[0].x - 16, u[0].y + 38}, {u[1].x, u[1].y + 63},
                     {u[2].x + 136, u[2].y + 5}, {u[3].x - 20, u[3].y + 63}}};
    // The start button stands beside the own count and badge, not over
    // them: they stay on show between games, when the button is up.
    l.StartButtonPos = {u[2].x + 205 + 48 + 8, u[2].y + 5};

    const auto& p = l.PaiPos;
    if (in.smallScreen) {
        l.OutPaiPos = in.showOtherBack
                          ? std::array<PixelPoint, 4>{{{p[0].x, p[0].y + PkHeight + 2},
                                                       {p[1].x + PkWidth + 2, p[1].y + 20},
                                                       {p[2].x, p[2].y - PkHeight - 26},
                                                       {p[3].x - 3, p[3].y + 20}}}
                          : std::array<PixelPoint, 4>{{{p[0].x, p[0].y + PkHeight / 2},
                                                       {p[1].x + PkWidth / 2, p[1].y},
                                                       {p[2].x, p[2].y - PkHeight - 26},
                                                       {p[3].x + PkWidth / 2, p[3].y}}};
    } else {
        l.OutPaiPos = in.showOtherBack
                          ? std::array<PixelPoint, 4>{{{p[0].x, p[0].y + PkHeight + 20},
                                                       {p[1].x + PkWidth + 30, p[1].y},
                                                       {p[2].x, p[2].y - PkHeight - 44},
                                                       {p[3].x - 33, p[3].y}}}
                          : std::array<PixelPoint, 4>{{{p[0].x, p[0].y + PkHeight / 2 + 20},
                                                       {p[1].x + PkWidth / 2 + 30, p[1].y},
                                                       {p[2].x, p[2].y - PkHeight - 44},
                                                       {p[3].x + PkWidth / 2 - 30, p[3].y}}};
    }
    l.OptionButtonPos = {in.width - 44 - 10, in.height - in.optionButtons * 29 - 47};
    l.TimeBarPos = {18, 30};
    l.TimeBarWidth = 120;
}

std::uint8_t PkImageIndex(std::uint8_t code) {
    if (code == 7 || code == 46 || (code > 51 && code != 59 && code != 72)) {
        return 255;
    }
    if (code == 59) {
        code = 7;
    } else if (code == 72) {
        code = 46;
    }
    return static_cast<std::uint8_t>(code % 13 <= 10 ? code + 2 : code - 11);
}

std::vector<std::string> WrapLines(const std::string& text, std::size_t perLine) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size();) {
        // One UTF-8 character: its lead byte and the continuation bytes.
        std::size_t length = 1;
        while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
            ++length;
        }
        line.append(text, i, length);
        i += length;
        if (++count == perLine) {
            lines.push_back(std::move(line));
            line.clear();
            count = 0;
        }
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

std::int32_t GetMyPaiIndex(std::int32_t x, std::int32_t y, PixelPoint hand,
                           const std::vector<std::uint8_t>& selected) {
    const auto n = static_cast<std::int32_t>(selected.size());
    if (n < 1) {
        return -1;
    }
    const std::int32_t w = (n - 1) * PkStepX + PkWidth;
    const std::int32_t left = hand.x - w / 2;
    if (x < left || x > left + w || y < hand.y - kRaise || y > hand.y + PkHeight) {
        return -1;
    }
    const std::int32_t k = std::min((x - left) / PkStepX + 1, n);
    const auto isSelected = [&](std::int32_t i) { return selected[static_cast<std::size_t>(i - 1)] != 0; };
    // Above the row only raised cards reach; below it only unraised ones:
    // the covering card is the nearest one to the left in that state,
    // within a card's width.
    const auto nearestLeft = [&](bool wantSelected) -> std::int32_t {
        for (std::int32_t i = k - 1; i >= 1; --i) {
            if (isSelected(i) == wantSelected) {
                return k - i >= PkWidth / PkStepX ? -1 : i;
            }
        }
        return -1;
    };
    if (y < hand.y) {
        return isSelected(k) ? k : nearestLeft(true);
    }
    if (y < hand.y + PkHeight - kRaise) {
        return k;
    }
    return !isSelected(k) ? k : nearestLeft(false);
}

}  // namespace redten
