#include "render/action_buttons.h"

#include "render/blit.h"

namespace redten {

ActionButtons::ActionButtons(const ClientContext& context, TableCanvas& canvas, const TableLayout& layout)
    : context_(context), canvas_(canvas), layout_(layout) {}

namespace {

bool Shows(ButtonState state) { return state != ButtonState::Hidden; }
// A button's picture: its cell in the sheet's row of shown ones, or of lit ones.
int Row(ButtonState state) { return state == ButtonState::Lit ? 1 : 0; }

}  // namespace

void ActionButtons::PaintAll() {
    for (int i = 0; i < 2; ++i) {
        PaintUserOptBut(i);
    }
    for (int i = 0; i < 3; ++i) {
        PaintUserOutBut(i);
        PaintLiangBut(i);
    }
}

// --- the option buttons --------------------------------------------------------------------

void ActionButtons::PaintUserOptBut(int i) {
    const ButtonState state = context_.controls.bteOptionState[static_cast<std::size_t>(i)];
    const QImage* sheet = canvas_.Images().App("Res\\UserOptBut.bmp");
    if (!Shows(state) || !sheet) {
        return;
    }
    const PixelPoint at{layout_.OptionButtonPos.x, layout_.OptionButtonPos.y + i * 29};
    Blit(canvas_.Surface(), at.x, at.y, 44, 24, *sheet, (i + Row(state) * 2) * 44, 0, RasterOp::Copy);
}

int ActionButtons::GetUserOptButIndex(int x, int y) const {
    if (!Shows(context_.controls.bteOptionState[0])) {
        return -1;
    }
    const PixelPoint o = layout_.OptionButtonPos;
    for (int i = 0; i < 2; ++i) {
        if (o.x < x && x < o.x + 44 && o.y + i * 29 < y && y < o.y + i * 29 + 24) {
            return i;
        }
    }
    return -1;
}

// --- the play buttons ------------------------------------------------------------------------

int ActionButtons::OutButtonCount() const {
    return context_.game.bteGameState == kPhaseLead ? 1 : context_.game.bteGameState == kPhaseFollow ? 3 : 0;
}

PixelPoint ActionButtons::OutButtonPos(int i) const {
    const PixelPoint o = layout_.OutPaiPos[2];
    const int c = OutButtonCount();
    return {o.x - (c * 69 - 8) / 2 + i * 69, o.y + (PkHeight - 28) / 2};
}

void ActionButtons::PaintUserOutBut(int i) {
    const ButtonState state = context_.controls.bteOutState[static_cast<std::size_t>(i)];
    const QImage* sheet = canvas_.Images().App("Res\\UserOutBut.bmp");
    if (i >= OutButtonCount() || !Shows(state) || !sheet) {
        return;
    }
    const PixelPoint at = OutButtonPos(i);
    canvas_.BlitMaskedCell(*sheet, (i + Row(state) * 3) * 61, 366, 61, 28, at.x, at.y);
}

int ActionButtons::GetUserOutButIndex(int x, int y) const {
    if (!Shows(context_.controls.bteOutState[0]) || OutButtonCount() == 0) {
        return -1;
    }
    for (int i = 0; i < OutButtonCount(); ++i) {
        const PixelPoint b = OutButtonPos(i);
        if (b.x < x && x < b.x + 61 && b.y < y && y < b.y + 28) {
            return i;
        }
    }
    return -1;
}

// --- the showing buttons -----------------------------------------------------------------------

int ActionButtons::LiangButtonCount() const {
    return context_.game.bteLiangMode == 1 ? 2 : context_.game.bteLiangMode == 2 ? 3 : 0;
}

PixelPoint ActionButtons::LiangButtonPos(int i) const {
    const PixelPoint o = layout_.OutPaiPos[2];
    const int c = LiangButtonCount();
    return {o.x - (c * 98 - 8) / 2 + i * 98, o.y + (PkHeight - 20) / 2};
}

void ActionButtons::PaintLiangBut(int i) {
    const GameState& g = context_.game;
    const ButtonState state = context_.controls.bteLiangState[static_cast<std::size_t>(i)];
    const QImage* sheet = canvas_.Images().App("Res\\LiangHong10.bmp");
    if (i >= LiangButtonCount() || !Shows(state) || !sheet) {
        return;
    }
    static const char* const follow[2] = {"跟  亮", "不  跟"};
    static const char* const one[2] = {"亮一个红10", "我不亮红10"};
    static const char* const both[3] = {"亮一个红10", "亮两个红10", "我不亮红10"};
    const std::string caption = g.bteLiangMode == 2 ? both[i] : g.blnFollowLiang != 0 ? follow[i] : one[i];
    const PixelPoint at = LiangButtonPos(i);
    canvas_.BlitMaskedCell(*sheet, Row(state) * 90, 180, 90, 20, at.x, at.y);
    const int d = g.blnFollowLiang != 0 ? 13 : 0;
    canvas_.PrintText(at.x + 15 + d + 1, at.y + 4 + 1, caption, Qt::white, 9, false);
    canvas_.PrintText(at.x + 15 + d, at.y + 4, caption, QColor(0, 0, 50), 9, false);
}

int ActionButtons::GetLiangButIndex(int x, int y) const {
    const GameState& g = context_.game;
    if (!Shows(context_.controls.bteLiangState[0]) || g.bteGameState != kPhaseShowing ||
        (g.bteLiangMode != 1 && g.bteLiangMode != 2)) {
        return -1;
    }
    for (int i = 0; i < LiangButtonCount(); ++i) {
        const PixelPoint b = LiangButtonPos(i);
        if (b.x < x && x < b.x + 90 && b.y < y && y < b.y + 20) {
            return i;
        }
    }
    return -1;
}

}  // namespace redten
