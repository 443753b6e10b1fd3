#pragma once

#include <QRect>
#include <QSize>

namespace redten {

// Where the splitters stand. The window's controls are placed from it on
// every resize; the splitters' handlers move it.
struct LayoutState {
    static constexpr int kCaptionHeight = 35;
    static constexpr int kSplitterWidth = 12;
    static constexpr int kStripHeight = 33;
    static constexpr int kAdvHeight = 182;
    static constexpr int kBarHeight = 5;
    static constexpr int kHandleHeight = 60;
    static constexpr int kMinSplitterLeft = 650;
    static constexpr int kMinSplitterRightGap = 140;

    int lngSplitterLeft = 0;
    int lngSplitterLeftSaved = 0;
    bool blnColumnFolded = false;
    int lngHSplitTop = 0;
    int lngHSplit1Top = 0;
    bool blnHSplitMoved = false;
    bool blnHSplit1Moved = false;
    bool blnVSplitMoved = false;
};

// The starting positions for a screen of this size.
LayoutState InitialLayout(QSize screen);

// The rectangles of the window's controls. A rectangle the layout leaves
// alone keeps what it held; column says whether the right column shows.
struct ShellRects {
    QRect splitter;   // picSplitter
    QRect gameFrame;  // famGameBack; picGameBack fills it
    QRect strip;      // picUserButBk
    QRect list;       // lstUser
    QRect bar;        // HSplitterBar
    QRect adv;        // picAdvBack
    QRect bar1;       // HSplitterBar1
    QRect chat;       // ctlChat
    bool column = true;
};

// The resize layout over a client area of scale (not while minimised).
void LayoutMainWindow(LayoutState& state, QSize scale, ShellRects& rects);
// A horizontal bar was dragged to the top its rectangle now holds: snap it
// within its limits, store it and move its neighbours.
void HSplitterBarMoved(LayoutState& state, QSize scale, ShellRects& rects);
void HSplitterBar1Moved(LayoutState& state, QSize scale, ShellRects& rects);

// The vertical splitter's middle band (both ends included) for a splitter
// this tall.
bool InHandleBand(int y, int splitterHeight);
bool StrictlyInHandleBand(int y, int splitterHeight);
// Folds the column away, or back to where it stood.
void ToggleColumn(LayoutState& state, int scaleWidth);
// Where a splitter drag may put the splitter.
bool SplitterLeftAllowed(int x, int scaleWidth);
int ClampSplitterLeft(int x, int scaleWidth);

}  // namespace redten
