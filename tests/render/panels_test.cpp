#include <gtest/gtest.h>

#include "game/turn_flow.h"
#include "render/null_back_blitter.h"
#include "render/table_fixture.h"

#include "support/images.h"
#include "support/recorded_parts.h"

namespace redten {
namespace {

using test::Filled;

TEST(NullBackBlitter, TheKeyColourExactlyLetsTheDestinationShowThrough) {
    clsPaintImageByNullBack blitter;
    for (const QRgb key : {qRgb(0, 0, 0), qRgb(255, 255, 255)}) {
        QImage dst = Filled(6, 6, qRgb(10, 120, 60));
        blitter.PictureBox_PaintImageByNullBack(dst, Filled(4, 4, key), key, 1, 1);
        EXPECT_EQ(dst, Filled(6, 6, qRgb(10, 120, 60)));  // all key: unchanged

        QImage picture = Filled(4, 4, key);
        picture.setPixel(1, 1, qRgb(200, 30, 30));
        const QRgb almost = key == qRgb(0, 0, 0) ? qRgb(0, 0, 1) : qRgb(255, 255, 254);
        picture.setPixel(2, 2, almost);  // one unit off the key: a real pixel
        blitter.Form_PaintImageByNullBack(dst, picture, key, 1, 1);
        EXPECT_EQ(dst.pixel(2, 2), qRgb(200, 30, 30));
        EXPECT_EQ(dst.pixel(3, 3), almost);
        EXPECT_EQ(dst.pixel(1, 1), qRgb(10, 120, 60));
        EXPECT_EQ(dst.pixel(0, 0), qRgb(10, 120, 60));
    }
    QImage dst = Filled(3, 3, qRgb(1, 2, 3));
    blitter.PictureBox_PaintImageByNullBack(dst, Filled(3, 3, qRgb(9, 9, 9)), qRgb(0, 0, 0), 0, 0);
    EXPECT_EQ(dst, Filled(3, 3, qRgb(9, 9, 9)));  // no key colour: opaque
}

using Panels = TablePicture;

TEST_F(Panels, OneOutButtonWhenLeadingAndThreeSpanning199WhenFollowing) {
    Deal();
    const PixelPoint o = painter->Layout().OutPaiPos[2];
    context.game.bteGameState = kPhaseLead;
    ShowOutButtons();
    EXPECT_EQ(painter->Buttons().OutButtonPos(0), (PixelPoint{o.x - 30, o.y + 38}));
    Snapshot("lead-buttons");
    HideOutButtons();
    context.game.bteGameState = kPhaseFollow;
    ShowOutButtons();
    EXPECT_EQ(painter->Buttons().OutButtonPos(0).x, o.x - 99);
    EXPECT_EQ(painter->Buttons().OutButtonPos(2).x + 61, o.x - 99 + 199);
    Snapshot("follow-buttons");
    // Strict hit tests: the border itself is outside.
    const PixelPoint b = painter->Buttons().OutButtonPos(1);
    EXPECT_EQ(painter->GetUserOutButIndex(b.x + 1, b.y + 1), 1);
    EXPECT_EQ(painter->GetUserOutButIndex(b.x, b.y + 5), -1);
    EXPECT_EQ(painter->GetUserOutButIndex(b.x + 60, b.y + 27), 1);
    EXPECT_EQ(painter->GetUserOutButIndex(b.x + 61, b.y + 5), -1);
    EXPECT_EQ(painter->GetUserOutButIndex(b.x + 5, b.y + 28), -1);
    HideOutButtons();
    EXPECT_EQ(painter->GetUserOutButIndex(b.x + 1, b.y + 1), -1);
}

TEST_F(Panels, TheShowingPanelInBothModesWithFollowCaptionsMovedOver) {
    Deal();
    context.game.bteGameState = kPhaseShowing;
    context.game.bteLiangMode = 2;
    ShowLiangPanel();
    const PixelPoint o = painter->Layout().OutPaiPos[2];
    EXPECT_EQ(painter->Buttons().LiangButtonPos(0), (PixelPoint{o.x - 143, o.y + 42}));
    EXPECT_EQ(painter->GetLiangButIndex(o.x - 143 + 98 + 1, o.y + 43), 1);
    EXPECT_EQ(painter->GetLiangButIndex(o.x - 143 + 90, o.y + 43), -1);
    Snapshot("showing-three");
    HideLiangPanel();
    EXPECT_EQ(context.game.bteLiangMode, 0);
    context.game.bteLiangMode = 1;
    context.game.blnFollowLiang = -1;
    ShowLiangPanel();
    EXPECT_EQ(painter->Buttons().LiangButtonPos(0), (PixelPoint{o.x - 94, o.y + 42}));
    Snapshot("showing-follow");
}

TEST_F(Panels, FollowCaptionsStand13PixelsFurtherIn) {
    Deal();
    context.game.bteGameState = kPhaseShowing;
    const auto firstInk = [&] {
        const PixelPoint b = painter->Buttons().LiangButtonPos(0);
        for (int x = b.x + 1; x < b.x + 89; ++x) {
            for (int y = b.y + 2; y < b.y + 18; ++y) {
                const QColor c = area.Surface().pixelColor(x, y);
                if (c.red() < 60 && c.green() < 60 && c.blue() < 110) {
                    return x - b.x;
                }
            }
        }
        return -1;
    };
    context.game.bteLiangMode = 1;
    ShowLiangPanel();
    const int plain = firstInk();
    HideLiangPanel();
    context.game.bteLiangMode = 1;
    context.game.blnFollowLiang = -1;
    ShowLiangPanel();
    const int follow = firstInk();
    ASSERT_GT(plain, 0);
    EXPECT_NEAR(follow - plain, 13, 2);
}

TEST_F(Panels, TheWaitingNoticeHasItsRightEdgeMirrored) {
    Deal();
    context.game.blnWaitLiang = -1;
    painter->DrawFrame();
    Snapshot("waiting");
    const QImage edge(QString(REDTEN_TABLE_DIR) + "/Res/MsgBian.bmp");
    const int x0 = (1366 - 250) / 2;
    const int y0 = (736 - 51) / 2 - 20;
    // Column c of the edge picture stands c columns in from the left end on
    // the left, and c columns in from x0 + 266 on the right.
    const int row = 25;
    const int c = 10;
    ASSERT_NE(edge.pixel(c, row) & 0xFFFFFF, 0u);  // inside the shape
    EXPECT_EQ(At(x0 + c, y0 - 5 + row), edge.pixel(c, row) & 0xFFFFFF);
    EXPECT_EQ(At(x0 + 266 - c, y0 - 5 + row), edge.pixel(c, row) & 0xFFFFFF);
}

TEST_F(Panels, TheResultPanelsDrawnRoundAndGameOver) {
    Deal();
    context.scene.result = GameResult{};
    painter->DrawFrame();
    Snapshot("result-drawn");
    EXPECT_EQ(At(683, 368 + 40), qRgb(247, 207, 156) & 0xFFFFFF);
    painter->DrawFrame();
    context.game.udtUser[1].strUserName = "名字很长很长的一位玩家朋友们大家好";
    context.scene.result = GameResult{{200, -200, 200, -200}, {true, false, true, false}, {1, 0, 2, 0}, 4};
    painter->DrawFrame();
    Snapshot("result-game-over");
    // Four rows of side, name, place and score on the panel's fill; the red
    // side in red; a long name stops before the place.
    const int x = (1366 - 340) / 2;
    const int y = (736 - 210) / 2;
    const auto ink = [&](int x0, int x1, int row, auto&& isInk) {
        int n = 0;
        for (int px = x0; px < x1; ++px) {
            for (int dy = 0; dy < 14; ++dy) {
                n += isInk(At(px, y + 82 + row * 24 + dy)) ? 1 : 0;
            }
        }
        return n;
    };
    const auto notFill = [](QRgb c) { return c != (qRgb(247, 207, 156) & 0xFFFFFF); };
    const auto reddish = [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100; };
    for (int seat = 0; seat < 4; ++seat) {
        EXPECT_GT(ink(x + 75, x + 115, seat, notFill), 10) << seat;
        EXPECT_GT(ink(x + 265, x + 290, seat, notFill), 10) << seat;
        EXPECT_EQ(ink(x + 30, x + 60, seat, reddish) > 10, seat % 2 == 0) << seat;
    }
    EXPECT_EQ(ink(x + 206, x + 214, 1, notFill), 0);
}

TEST_F(Panels, TheBlastShowsOverThePlayedCardsAndLeavesTheTableAsItWas) {
    Deal();
    context.game.udtUser[3].bteOutPai = {5, 18, 31, 44};
    painter->DrawFrame();
    const QImage before = area.Surface().copy();
    TableScene& scene = context.scene;
    scene.blastSeat = 3;
    for (const Blast blast : {Blast::Bomb, Blast::RedTens}) {
        scene.blast = blast;
        int shown = 0;
        for (scene.blastFrame = 1; scene.blastFrame <= BlastFrames(blast); ++scene.blastFrame) {
            painter->DrawFrame();
            shown += area.Surface() != before;
        }
        EXPECT_GT(shown, BlastFrames(blast) / 2) << int(blast);
    }
    scene.blast = Blast::None;
    painter->DrawFrame();
    EXPECT_EQ(area.Surface(), before);

    // Without its pictures the blast shows nothing.
    ImageStore empty("/nonexistent/", "/nonexistent/");
    TablePainter bare(context, area, empty);
    bare.DrawFrame();
    const QImage cloth = area.Surface().copy();
    scene.blast = Blast::Bomb;
    scene.blastFrame = 1;
    bare.DrawFrame();
    EXPECT_EQ(area.Surface(), cloth);
}

TEST_F(Panels, EachBlastShowsOverItsSeatsCardsAndNowhereElse) {
    Deal();
    context.game.udtUser[0].bteOutPai = {5, 18, 31};
    context.game.udtUser[2].bteOutPai = {59, 72};
    painter->DrawFrame();
    const QImage plain = area.Surface().copy();
    struct Case {
        Blast blast;
        std::uint8_t seat;
        int frame;
        const char* name;
    };
    for (const Case& c : {Case{Blast::Bomb, 0, 3, "bomb-kind-1"}, Case{Blast::RedTens, 2, 6, "bomb-kind-2"}}) {
        context.scene.blast = c.blast;
        context.scene.blastSeat = c.seat;
        context.scene.blastFrame = c.frame;
        painter->DrawFrame();
        Snapshot(c.name);
        // Every changed pixel lies in a box round the seat's played cards.
        const PixelPoint o = painter->Layout().OutPaiPos[context.define.ViewPos[c.seat]];
        const QRect around(o.x - 160, o.y - 90, 320, 250);
        int changed = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                if (plain.pixel(x, y) != area.Surface().pixel(x, y)) {
                    ++changed;
                    ASSERT_TRUE(around.contains(x, y)) << c.name << " at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(changed, 500) << c.name;
    }
}

TEST_F(Panels, TheClockAdvancesAFrameATickAndItsSecondsGoOnStop) {
    RoClock clock(false);
    painter->SetClock(&clock);
    Deal();
    context.game.bteGameState = kPhaseFollow;
    clock.Tag = "1";
    clock.Start(30, 5);
    const auto place = [&] {
        const PixelPoint u = painter->Layout().UserPos[context.define.ViewPos[1]];
        return PixelPoint{u.x, u.y + 80};
    };
    std::vector<QImage> frames;
    for (int tick = 0; tick < 9; ++tick) {
        painter->DrawFrame();
        frames.push_back(area.Surface().copy(place().x, place().y, 31, 38));
        clock.TickOnce();
    }
    EXPECT_EQ(frames[0], frames[8]);
    EXPECT_NE(frames[0], frames[1]);
    Snapshot("clock");
    const QImage seconds = area.Surface().copy(63, 45, 30, 30);
    clock.Stop();
    clock.Tag = "100";
    painter->DrawFrame();
    EXPECT_NE(area.Surface().copy(63, 45, 30, 30), seconds);
}

// The turn flow round the real painter, its clock moved on by hand.
class ClockAtTheTable : public TablePicture {
protected:
    ClockAtTheTable() {
        painter->SetClock(&parts.clock);
        Deal();
        context.game.bteGameState = kPhaseFollow;
    }
    test::RecordedParts parts;
    TurnFlow flow{context, parts.services, false};
};

TEST_F(ClockAtTheTable, ShowsItsSecondsAndStopwatchTheMomentTheOwnTurnStarts) {
    const QImage before = area.Surface().copy();
    context.game.bteCurSeat = context.define.bteViewSeat;
    flow.ShowGameState();
    painter->DrawFrame();
    Snapshot("clock-at-turn-start");
    const PixelPoint u = painter->Layout().UserPos[2];
    EXPECT_GT(Differences(before, area.Surface(), QRect(u.x + 205, u.y - 4, 31, 38)), 100);
    EXPECT_GT(Differences(before, area.Surface(), QRect(63, 45, 30, 30)), 20);  // "30"
}

TEST_F(ClockAtTheTable, ASeatThatGoesOutKeepsItsBadgeWholeWhenTheClockMovesOn) {
    const QImage places =
        QImage(QString(REDTEN_TABLE_DIR) + "/Res/MingCi.bmp").convertToFormat(QImage::Format_RGB32);
    // The bottom, right and top seats go out in turn; the clock then moves
    // on from the place their badge shares.
    for (std::uint8_t s = 0; s < 3; ++s) {
        flow.StartTurnClock(s);
        parts.clock.TickOnce();
        context.game.udtUser[s].bteMingCi = static_cast<std::uint8_t>(s + 1);
        painter->DrawFrame();
        flow.StartTurnClock(static_cast<std::uint8_t>(s + 1));
        painter->DrawFrame();
        const PixelPoint at = painter->Layout().MingCiPos[context.define.ViewPos[s]];
        EXPECT_EQ(area.Surface().copy(at.x, at.y, 48, 46), places.copy(s * 48, 0, 48, 46))
            << int(s);
    }
    Snapshot("badges-after-the-clock");
}

}  // namespace
}  // namespace redten
