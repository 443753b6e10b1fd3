#include <gtest/gtest.h>

#include <QDir>

#include "shell/adv_pane.h"
#include "shell/main_layout.h"
#include "shell/skinned_frame.h"

namespace redten {
namespace {

// The column as it stands on a 1366 × 768 screen in a 1366 × 736 window.
TEST(MainLayout, PlacesTheTableTheSplitterAndTheColumn) {
    LayoutState state = InitialLayout({1366, 768});
    EXPECT_EQ(state.lngSplitterLeft, 1048);  // three quarters, and 24 on a wide screen
    EXPECT_EQ(state.lngHSplitTop, 256);
    EXPECT_EQ(state.lngHSplit1Top, 447);

    ShellRects r;
    LayoutMainWindow(state, {1366, 736}, r);
    EXPECT_TRUE(r.column);
    EXPECT_EQ(r.splitter, QRect(1048, 35, 12, 696));
    EXPECT_EQ(r.gameFrame, QRect(5, 35, 1042, 696));
    EXPECT_EQ(r.strip, QRect(1062, 35, 298, 33));
    EXPECT_EQ(r.list, QRect(1062, 68, 298, 188));
    EXPECT_EQ(r.bar, QRect(1062, 256, 298, 5));
    EXPECT_EQ(r.adv, QRect(1062, 261, 298, 186));
    EXPECT_EQ(r.bar1, QRect(1062, 447, 298, 5));
    EXPECT_EQ(r.chat, QRect(1062, 452, 298, 278));

    // An 800-pixel screen gets no extra 24, and the splitter never stands
    // left of 650.
    LayoutState small = InitialLayout({800, 600});
    EXPECT_EQ(small.lngSplitterLeft, 600);
    ShellRects s;
    LayoutMainWindow(small, {800, 570}, s);
    EXPECT_EQ(small.lngSplitterLeft, 650);
    EXPECT_EQ(s.splitter, QRect(650, 35, 12, 530));
    EXPECT_EQ(s.strip.width(), 800 - 650 - 12 - 8);
}

TEST(MainLayout, TheColumnHidesBelowTwelvePixelsAndFoldsAway) {
    LayoutState state = InitialLayout({1366, 768});
    ShellRects r;
    LayoutMainWindow(state, {1048 + 12 + 8 + 11, 736}, r);
    EXPECT_FALSE(r.column);
    LayoutMainWindow(state, {1048 + 12 + 8 + 12, 736}, r);
    EXPECT_TRUE(r.column);

    ToggleColumn(state, 1366);
    EXPECT_TRUE(state.blnColumnFolded);
    EXPECT_EQ(state.lngSplitterLeft, 1366 - 14);
    LayoutMainWindow(state, {1366, 736}, r);
    EXPECT_FALSE(r.column);
    EXPECT_EQ(r.gameFrame.width(), 1352 - 6);
    ToggleColumn(state, 1366);
    EXPECT_FALSE(state.blnColumnFolded);
    EXPECT_EQ(state.lngSplitterLeft, 1048);
}

TEST(MainLayout, AListOrChatWithNoRoomIsLeftWhereItWas) {
    LayoutState state = InitialLayout({1366, 768});
    state.lngHSplitTop = 68;
    state.lngHSplit1Top = 800;
    ShellRects r;
    r.list = QRect(1, 2, 3, 4);
    r.chat = QRect(5, 6, 7, 8);
    LayoutMainWindow(state, {1366, 736}, r);
    EXPECT_EQ(r.list, QRect(1, 2, 3, 4));
    EXPECT_EQ(r.chat, QRect(5, 6, 7, 8));
    EXPECT_EQ(r.bar, QRect(1, 68, 3, 5));  // follows the list it was not given
}

TEST(MainLayout, BarsSnapToTheirLimitsAndMoveTheirNeighbours) {
    const QSize scale{1366, 736};
    LayoutState state = InitialLayout({1366, 768});
    ShellRects r;
    LayoutMainWindow(state, scale, r);

    r.bar.moveTop(150);
    HSplitterBarMoved(state, scale, r);
    EXPECT_TRUE(state.blnHSplitMoved);
    EXPECT_EQ(state.lngHSplitTop, 200);
    EXPECT_EQ(r.bar.top(), 200);
    EXPECT_EQ(r.list, QRect(1062, 68, 298, 132));
    EXPECT_EQ(r.adv, QRect(1062, 205, 298, 182));
    EXPECT_EQ(r.bar1.top(), 387);
    EXPECT_EQ(r.chat, QRect(1062, 392, 298, 736 - 392 - 5));
    EXPECT_EQ(state.lngHSplit1Top, 447);  // only the dragged bar is stored

    // The next resize puts the other bar back, so the pane is no longer 182.
    LayoutMainWindow(state, scale, r);
    EXPECT_EQ(r.bar1.top(), 447);
    EXPECT_EQ(r.adv.height(), 447 - 205);
    // ... but never above the upper bar.
    r.bar.moveTop(454);
    HSplitterBarMoved(state, scale, r);
    LayoutMainWindow(state, scale, r);
    EXPECT_EQ(r.bar1.top(), 459);
    EXPECT_EQ(r.adv.height(), 0);

    r.bar.moveTop(700);
    HSplitterBarMoved(state, scale, r);
    EXPECT_EQ(state.lngHSplitTop, 736 - 282);

    r.bar1.moveTop(300);
    HSplitterBar1Moved(state, scale, r);
    EXPECT_TRUE(state.blnHSplit1Moved);
    EXPECT_EQ(state.lngHSplit1Top, 382);
    EXPECT_EQ(r.chat, QRect(1062, 387, 298, 736 - 387 - 6));
    EXPECT_EQ(r.adv, QRect(1062, 200, 298, 182));
    EXPECT_EQ(r.bar.top(), 195);
    EXPECT_EQ(r.list, QRect(1062, 68, 298, 127));

    r.bar1.moveTop(700);
    HSplitterBar1Moved(state, scale, r);
    EXPECT_EQ(state.lngHSplit1Top, 636);
}

TEST(MainLayout, TheHandleBandAndTheDragLimits) {
    // A 696-pixel splitter: the band is 318..378.
    EXPECT_TRUE(InHandleBand(318, 696));
    EXPECT_TRUE(InHandleBand(378, 696));
    EXPECT_FALSE(InHandleBand(317, 696));
    EXPECT_FALSE(StrictlyInHandleBand(318, 696));
    EXPECT_TRUE(StrictlyInHandleBand(319, 696));
    EXPECT_FALSE(SplitterLeftAllowed(649, 1366));
    EXPECT_TRUE(SplitterLeftAllowed(650, 1366));
    EXPECT_TRUE(SplitterLeftAllowed(1226, 1366));
    EXPECT_FALSE(SplitterLeftAllowed(1227, 1366));
    EXPECT_EQ(ClampSplitterLeft(2000, 1366), 1226);
    EXPECT_EQ(ClampSplitterLeft(10, 1366), 650);
    EXPECT_EQ(ClampSplitterLeft(10, 700), 650);  // the left limit wins
}

// Zones on both sides of every band, for a window at (100, 50), 1000 × 700.
TEST(SkinnedFrameZones, TheBandsAreFivePixelsAndStrict) {
    const QRect window(100, 50, 1000, 700);
    const auto zone = [&](int x, int y, bool overButton = false) {
        return SkinnedFrame::ZoneAt(window, {x, y}, overButton);
    };
    EXPECT_EQ(zone(104, 400), "Left");
    EXPECT_EQ(zone(105, 400), "");
    EXPECT_EQ(zone(1096, 400), "Right");
    EXPECT_EQ(zone(1095, 400), "");
    EXPECT_EQ(zone(500, 54), "Up");
    EXPECT_EQ(zone(500, 55), "");  // the caption starts beyond the band
    EXPECT_EQ(zone(500, 746), "Down");
    EXPECT_EQ(zone(500, 745), "");
    EXPECT_EQ(zone(104, 54), "LeftUp");
    EXPECT_EQ(zone(1096, 746), "RightDown");
    EXPECT_EQ(zone(1096, 54), "RightUp");
    EXPECT_EQ(zone(104, 746), "LeftDown");
    EXPECT_EQ(zone(500, 56), "Move");
    EXPECT_EQ(zone(500, 84), "Move");
    EXPECT_EQ(zone(500, 85), "");
    EXPECT_EQ(zone(500, 60, true), "");  // the system buttons are holes

    EXPECT_EQ(SkinnedFrame::CursorFor("LeftUp"), Qt::SizeFDiagCursor);
    EXPECT_EQ(SkinnedFrame::CursorFor("LeftDown"), Qt::SizeBDiagCursor);
    EXPECT_EQ(SkinnedFrame::CursorFor("Down"), Qt::SizeVerCursor);
    EXPECT_EQ(SkinnedFrame::CursorFor("Move"), Qt::ArrowCursor);
}

TEST(SkinnedFrameZones, EachZoneStartsItsOwnMoveOrSize) {
    const std::pair<const char*, int> commands[] = {
        {"Left", 0xF001},   {"Right", 0xF002},    {"Up", 0xF003},       {"LeftUp", 0xF004},
        {"RightUp", 0xF005}, {"Down", 0xF006},    {"LeftDown", 0xF007}, {"RightDown", 0xF008},
        {"Move", 0xF012},   {"", 0},              {"Elsewhere", 0}};
    for (const auto& [zone, command] : commands) {
        EXPECT_EQ(SkinnedFrame::SysCommandFor(zone), command) << zone;
    }
    EXPECT_EQ(SkinnedFrame::EdgesFor(0xF007), Qt::LeftEdge | Qt::BottomEdge);
    EXPECT_EQ(SkinnedFrame::EdgesFor(0xF002), Qt::RightEdge);
    EXPECT_EQ(SkinnedFrame::EdgesFor(0xF012), Qt::Edges());
}

TEST(SkinnedFrameButtons, HitsAreStrictlyInside) {
    SkinnedFrame frame;
    frame.PlaceFrameButtons(1000, 300);
    EXPECT_EQ(frame.SysButPos[0], QPoint(900, 7));
    EXPECT_EQ(frame.SysButPos[2], QPoint(952, 7));
    EXPECT_EQ(frame.UserButPos[0], QPoint(70, 4));
    EXPECT_EQ(frame.UserButPos[1], QPoint(190, 4));
    EXPECT_EQ(frame.HitSysButton(900, 10), -1);
    EXPECT_EQ(frame.HitSysButton(901, 8), 0);
    EXPECT_EQ(frame.HitSysButton(920, 27), 0);
    EXPECT_EQ(frame.HitSysButton(921, 27), -1);
    EXPECT_EQ(frame.HitSysButton(940, 20), 1);
    EXPECT_EQ(frame.HitSysButton(960, 7), -1);
    EXPECT_EQ(frame.HitUserButton(71, 5), 0);
    EXPECT_EQ(frame.HitUserButton(230, 28), 1);
    EXPECT_EQ(frame.HitUserButton(231, 28), -1);
    EXPECT_EQ(SkinnedFrame::CellOf(1, true), SkinnedFrame::kRestoreCell);
    EXPECT_EQ(SkinnedFrame::CellOf(1, false), SkinnedFrame::kMaximiseCell);
}

TEST(WebPages, HelpAndRoomPageAddresses) {
    const std::string app = std::string(REDTEN_TABLE_DIR) + "/";
    const QUrl local = HelpPageUrl(app, {});
    ASSERT_TRUE(local.isLocalFile());
    EXPECT_TRUE(QFile::exists(local.toLocalFile())) << local.toString().toStdString();
    EXPECT_EQ(HelpPageUrl(app, "help.example:8080").toString(),
              "http://help.example:8080/help/Mygame/KOVA.htm");

    EXPECT_EQ(AdvPageUrl("127.0.0.1", "7000", {}).toString(), "http://127.0.0.1:7000/adv/KOVA/ga.htm");
    EXPECT_EQ(AdvPageUrl("::1", "7000", {}).toString(), "http://[::1]:7000/adv/KOVA/ga.htm");
    EXPECT_TRUE(AdvPageUrl("127.0.0.1", "70000", {}).isEmpty());
    EXPECT_TRUE(AdvPageUrl("127.0.0.1", "x", {}).isEmpty());
    EXPECT_EQ(AdvPageUrl("127.0.0.1", "7000", "none").toString(), "none");
}

}  // namespace
}  // namespace redten
