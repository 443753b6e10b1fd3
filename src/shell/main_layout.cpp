#include "shell/main_layout.h"

#include <algorithm>

namespace redten {

using L = LayoutState;

LayoutState InitialLayout(QSize screen) {
    LayoutState s;
    s.lngHSplitTop = screen.height() / 3;
    s.lngHSplit1Top = L::kBarHeight + s.lngHSplitTop + L::kAdvHeight + 4;
    s.lngSplitterLeft = screen.width() * 3 / 4 + (screen.width() > 800 ? 24 : 0);
    s.lngSplitterLeftSaved = s.lngSplitterLeft;
    return s;
}

void LayoutMainWindow(LayoutState& state, QSize scale, ShellRects& r) {
    const int h = scale.height() - 40;
    const int edge = scale.width() - L::kSplitterWidth - 2;  // where a folded splitter stands
    if (state.blnColumnFolded) {
        state.lngSplitterLeft = edge;  // folded stays folded at any width
    }
    state.lngSplitterLeft = std::max(state.lngSplitterLeft, L::kMinSplitterLeft);
    // A splitter kept from a wider window stands at the edge meanwhile, so
    // that it and the caption stay in sight; its place is kept for later.
    const int left = std::max(std::min(state.lngSplitterLeft, edge), L::kMinSplitterLeft);
    if (h > 0) {
        r.splitter = QRect(left, L::kCaptionHeight, L::kSplitterWidth, h);
    }
    r.gameFrame = QRect(5, r.splitter.y(), r.splitter.x() - 6, h);
    const int rw = scale.width() - r.splitter.x() - r.splitter.width() - 2 - 6;
    const int cx = r.splitter.x() + r.splitter.width() + 2;
    if (r.splitter.width() > rw) {
        r.column = false;
        return;
    }
    r.strip = QRect(cx, L::kCaptionHeight, rw, L::kStripHeight);
    if (state.lngHSplitTop - 68 > 0) {
        r.list = QRect(cx, r.splitter.y() + L::kStripHeight, rw, state.lngHSplitTop - 68);
    }
    r.bar = QRect(r.list.x(), state.lngHSplitTop, r.list.width(), L::kBarHeight);
    const int advTop = r.bar.y() + r.bar.height();
    // The lower bar never stands above the upper one: the page between
    // them may shrink to nothing, not below.
    const int bar1Top = std::max(state.lngHSplit1Top, advTop);
    r.adv = QRect(r.list.x(), advTop, r.list.width(), bar1Top - advTop);
    r.bar1 = QRect(r.list.x(), bar1Top, r.list.width(), L::kBarHeight);
    const int chatTop = r.bar1.y() + r.bar1.height();
    const int c = scale.height() - 4 - chatTop - 2;
    if (c > 0) {
        r.chat = QRect(r.list.x(), chatTop, r.list.width(), c);
    }
    r.column = true;
}

void HSplitterBarMoved(LayoutState& state, QSize scale, ShellRects& r) {
    state.blnHSplitMoved = true;
    const int y = std::min(std::max(r.bar.y(), 200), scale.height() - (L::kAdvHeight + 100));
    state.lngHSplitTop = y;
    r.bar.moveTop(y);
    r.list.setHeight(y - r.list.y());
    r.adv = QRect(r.list.x(), y + r.bar.height(), r.list.width(), L::kAdvHeight);
    r.bar1.moveTop(y + r.bar.height() + L::kAdvHeight);
    const int chatTop = r.bar1.y() + r.bar1.height();
    r.chat = QRect(r.list.x(), chatTop, r.list.width(), scale.height() - chatTop - 5);
}

void HSplitterBar1Moved(LayoutState& state, QSize scale, ShellRects& r) {
    state.blnHSplit1Moved = true;
    const int y = std::min(std::max(r.bar1.y(), 382), scale.height() - 100);
    state.lngHSplit1Top = y;
    r.bar1.moveTop(y);
    const int chatTop = y + r.bar1.height();
    r.chat = QRect(r.list.x(), chatTop, r.list.width(), scale.height() - chatTop - 6);
    r.adv = QRect(r.list.x(), y - L::kAdvHeight, r.adv.width(), L::kAdvHeight);
    r.bar.moveTop(y - L::kAdvHeight - r.bar.height());
    r.list.setHeight(r.bar.y() - r.list.y());
}

bool InHandleBand(int y, int splitterHeight) {
    return (splitterHeight - L::kHandleHeight) / 2 <= y && y <= (splitterHeight + L::kHandleHeight) / 2;
}

bool StrictlyInHandleBand(int y, int splitterHeight) {
    return (splitterHeight - L::kHandleHeight) / 2 < y && y < (splitterHeight + L::kHandleHeight) / 2;
}

void ToggleColumn(LayoutState& state, int scaleWidth) {
    if (state.blnColumnFolded) {
        state.lngSplitterLeft = state.lngSplitterLeftSaved;
        state.blnColumnFolded = false;
    } else {
        state.lngSplitterLeftSaved = state.lngSplitterLeft;
        state.lngSplitterLeft = scaleWidth - L::kSplitterWidth - 2;
        state.blnColumnFolded = true;
    }
}

bool SplitterLeftAllowed(int x, int scaleWidth) {
    return L::kMinSplitterLeft <= x && x <= scaleWidth - L::kMinSplitterRightGap;
}

int ClampSplitterLeft(int x, int scaleWidth) {
    return std::max(std::min(x, scaleWidth - L::kMinSplitterRightGap), L::kMinSplitterLeft);
}

}  // namespace redten
