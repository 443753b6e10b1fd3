#include "game/brain_fixture.h"
#include "wire/client_messages.h"

namespace redten::test {
namespace {

using GameFlow = BrainTest;

const CardList kNoRedTens{0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13};

TEST_F(GameFlow, AWholeGameFromStartToGameOver) {
    SitDown();
    ASSERT_EQ(context.define.bteViewSeat, 0);
    StartGame();
    EXPECT_EQ(link.sent, (std::vector<Bytes>{{130, 1}, {19, 0}}));
    EXPECT_EQ(context.define.blnInGame, 1);

    // A hand without red tens answers "none" at once and waits.
    Deal(kNoRedTens);
    EXPECT_EQ(context.game.bteGameState, kPhaseShowing);
    EXPECT_EQ(link.sent.back(), (Bytes{20, 0, 0, 0}));
    EXPECT_NE(context.game.blnWaitLiang, 0);
    EXPECT_EQ(sounds.played, std::vector<std::string>{"0"});

    Route({20, 0, 0, 0});
    Route({20, 0, 1, 1});
    EXPECT_EQ(context.game.udtUser[1].bteOutPai, CardList{59});
    EXPECT_EQ(sounds.played.back(), "1");
    Route({20, 1, 0, 2});
    EXPECT_EQ(beats.waits, std::vector<std::uint32_t>{2000});
    EXPECT_TRUE(context.game.udtUser[1].bteOutPai.empty());
    EXPECT_EQ(context.game.bteGameState, kPhaseLead);
    EXPECT_EQ(context.controls.bteOutState,
              (std::array{ButtonState::Shown, ButtonState::Hidden, ButtonState::Hidden}));
    EXPECT_TRUE(clock.IsRunning());
    EXPECT_EQ(clock.Limit(), 30);

    // The own lead: the selected single goes out, the buttons go away.
    context.game.bteSelected.assign(13, 0);
    context.game.bteSelected[12] = 1;
    flow.DoUserOut(PlayAction::Play);
    EXPECT_EQ(link.sent.back(), (Bytes{21, 0, 0, 0, 0, 0, 1, 13}));
    EXPECT_FALSE(clock.IsRunning());
    Route({21, 0, 1, 3, 0, 0, 1, 13});
    EXPECT_EQ(context.game.bteMyPai.size(), 12u);
    EXPECT_EQ(context.game.udtUser[0].bteCardCount, 12);
    EXPECT_EQ(sounds.played.back(), "2");

    // The pass: seat 2 to act, still following; nothing else changes.
    Route({21, 0, 2, 3, 0, 1, 1, 254});
    EXPECT_EQ(context.game.bteCurSeat, 2);
    EXPECT_EQ(context.game.bteGameState, kPhaseFollow);
    EXPECT_EQ(sounds.played.back(), "3");
    EXPECT_EQ(context.game.udtMaxOutPai.bteSeat, 0);
    EXPECT_EQ(context.game.udtMaxOutPai.bteMainPai, 13);
    EXPECT_EQ(context.game.udtUser[1].bteCardCount, 13);

    // The trick is won: a pause, during which another message is handled,
    // then the plays become the previous trick.
    Route({21, 0, 3, 3, 0, 2, 1, 254});
    bool trickOnShow = false;
    beats.during = [&] {
        Route({18, 2});
        trickOnShow = context.game.udtUser[0].bteOutPai == CardList{13};
    };
    Route({21, 0, 0, 2, 0, 3, 1, 254});
    EXPECT_TRUE(trickOnShow);
    EXPECT_EQ(context.game.udtUser[2].blnReady, -1);
    EXPECT_EQ(context.game.udtUser[0].bteLastOutPai, CardList{13});
    EXPECT_TRUE(context.game.udtUser[3].bteOutPai.empty());
    EXPECT_EQ(context.game.bteGameState, kPhaseLead);

    Route({23, 1, 0, 0, 0, 10, 255, 255, 255, 251, 255, 255, 255, 251, 0, 0, 0, 0, 0, 0, 0, 0});
    std::vector<std::string> lines;
    for (const auto& l : chat.Lines()) {
        if (l.kind == ChatLog::Kind::System) {
            lines.push_back(l.text);
        }
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"张三：10", "李四：-5", "王五：-5", "赵六：0"}));
    EXPECT_EQ(sounds.played.back(), "7");
    // Seat 1 showed a ten: it is red and the stakes doubled.
    ASSERT_TRUE(context.scene.result);
    EXPECT_EQ(context.scene.result->scores, (std::array<std::int32_t, 4>{10, -5, -5, 0}));
    EXPECT_EQ(context.scene.result->multiplier, 2);
    EXPECT_EQ(context.scene.result->red, (std::array{false, true, false, false}));
    EXPECT_EQ(context.scene.result->places, (std::array<std::uint8_t, 4>{}));
    EXPECT_TRUE(context.scene.startVisible);
    EXPECT_EQ(context.scene.startCaption, "可以开始");
}

TEST_F(GameFlow, APlayArrivingDuringTheTrickPauseIsNotUndoneWhenThePauseEnds) {
    SitDown();
    StartGame();
    Deal(kNoRedTens);
    Route({20, 1, 1, 2});
    Route({21, 0, 2, 3, 0, 1, 1, 40});
    Route({21, 0, 3, 3, 0, 2, 1, 254});
    Route({21, 0, 0, 3, 0, 3, 1, 254});
    // Seat 0's pass wins the trick for seat 1, which leads again at once,
    // while this table still pauses over the won trick.
    beats.during = [this] { Route({21, 0, 2, 3, 0, 1, 1, 41}); };
    Route({21, 0, 1, 2, 0, 0, 1, 254});
    EXPECT_EQ(context.game.udtUser[1].bteOutPai, CardList{41});
    EXPECT_EQ(context.game.bteCurSeat, 2);
    EXPECT_EQ(context.game.bteGameState, kPhaseFollow);
    // The won trick was put away before the new lead, not after it.
    EXPECT_TRUE(context.game.udtUser[3].bteOutPai.empty());
    EXPECT_TRUE(context.game.udtUser[0].bteOutPai.empty());
    EXPECT_EQ(context.game.udtUser[1].bteLastOutPai, CardList{40});
}

TEST_F(GameFlow, TheShownTensGoAwayEvenWhenTheFirstLeadComesDuringThePause) {
    SitDown();
    StartGame();
    Deal(kNoRedTens);
    Route({20, 0, 0, 0});
    Route({20, 0, 1, 0});
    Route({20, 0, 2, 1});
    Route({20, 0, 3, 0});
    ASSERT_EQ(context.game.udtUser[2].bteOutPai, CardList{59});
    beats.during = [this] {
        Route({21, 0, 0, 0, 0, 9, 1, 41});  // malformed: moves nothing
        Route({21, 0, 3, 3, 0, 1, 1, 41});
    };
    Route({20, 1, 1, 2});
    EXPECT_TRUE(context.game.udtUser[2].bteOutPai.empty());
    EXPECT_EQ(context.game.udtUser[1].bteOutPai, CardList{41});
    EXPECT_EQ(context.game.bteCurSeat, 3);
    EXPECT_EQ(context.game.bteGameState, kPhaseFollow);
}

TEST_F(GameFlow, AMalformedMessageDuringThePauseDoesNotStopTheShowingFromEnding) {
    SitDown();
    StartGame();
    Deal(kNoRedTens);
    beats.during = [this] { Route({21, 0, 0}); };
    Route({20, 1, 1, 2});
    EXPECT_EQ(context.game.bteGameState, kPhaseLead);
    EXPECT_EQ(context.game.bteCurSeat, 1);
}

TEST_F(GameFlow, ADealOfTheWrongLengthForTwoDecksIsIgnored) {
    SitDown();
    StartGame(5, 2);
    Deal(kNoRedTens);
    EXPECT_TRUE(context.game.bteMyPai.empty());
    EXPECT_EQ(context.game.bteGameState, kPhaseNone);
}

TEST_F(GameFlow, OneRedTenIsAskedThenOfferedToFollowOnce) {
    SitDown();
    StartGame();
    CardList hand = kNoRedTens;
    hand[0] = 59;
    Deal(hand);
    EXPECT_EQ(context.game.bteLiangMode, 1);
    EXPECT_EQ(context.controls.bteLiangState, (std::array{ButtonState::Shown, ButtonState::Shown, ButtonState::Hidden}));
    EXPECT_EQ(clock.Limit(), 15);
    flow.SendLiang(ShowingChoice::None);
    EXPECT_EQ(link.sent.back(), (Bytes{20, 0, 0, 0}));
    Route({20, 0, 0, 0});
    EXPECT_EQ(context.game.blnFollowLiang, 0);
    Route({20, 0, 2, 2});  // another seat shows one ten: follow?
    EXPECT_EQ(context.game.blnFollowLiang, -1);
    EXPECT_EQ(context.game.bteLiangMode, 1);
    flow.SendLiang(ShowingChoice::One);
    EXPECT_EQ(link.sent.back(), (Bytes{20, 0, 0, 1}));
    Route({20, 0, 0, 1});
    EXPECT_EQ(context.game.udtUser[0].bteLiangTimes, 2);
    Route({20, 0, 3, 0});
    EXPECT_EQ(context.game.blnFollowLiang, 0);
    EXPECT_EQ(context.game.bteLiangMode, 0);
}

TEST_F(GameFlow, BothRedTensOfferThreeAnswers) {
    SitDown();
    StartGame();
    CardList hand = kNoRedTens;
    hand[0] = 59;
    hand[1] = 72;
    Deal(hand);
    EXPECT_EQ(context.game.bteLiangMode, 2);
    EXPECT_EQ(context.controls.bteLiangState, (std::array{ButtonState::Shown, ButtonState::Shown, ButtonState::Shown}));
    flow.SendLiang(ShowingChoice::One);
    EXPECT_EQ(link.sent.back(), (Bytes{20, 0, 0, 1}));
    flow.SendLiang(ShowingChoice::All);
    EXPECT_EQ(link.sent.back(), (Bytes{20, 0, 0, 3}));
}

TEST_F(GameFlow, ABombsBlastRunsOnBeatsAndTheTurnMovesOnWhenItEnds) {
    SitDown();
    StartGame();
    Deal(kNoRedTens);
    Route({20, 1, 1, 2});
    bool blastOnShow = false;
    beats.during = [&] { blastOnShow = context.scene.blast == Blast::Bomb; };
    Route({21, 0, 2, 3, 0, 1, 3, 2, 15, 28});  // seat 1 bombs with three threes; seat 2 follows
    EXPECT_TRUE(blastOnShow);
    EXPECT_EQ(std::vector<std::uint32_t>(beats.waits.end() - 9, beats.waits.end()), std::vector<std::uint32_t>(9, 30));
    EXPECT_EQ(context.scene.blast, Blast::None);
    EXPECT_TRUE(clock.IsRunning());
    EXPECT_EQ(clock.Tag, "2");
}

class AutoPlay : public BrainTest {
protected:
    // Seat 3 plays a single; seat 0 must beat it and lets the clock run out.
    void TimeOutOnce() {
        Route({21, 0, 0, 3, 0, 3, 1, 5});
        ASSERT_TRUE(clock.IsRunning());
        ASSERT_EQ(clock.Tag, "0");
        for (int i = 0; i < 30 && clock.IsRunning(); ++i) {
            clock.TickOnce();
        }
    }
    void Begin(std::uint8_t limit) {
        SitDown();
        StartGame(limit);
        Deal(kNoRedTens);
        Route({20, 1, 3, 2});
    }
};

TEST_F(AutoPlay, FourTimeOutsWarnAndTheFifthRunsAway) {
    Begin(5);
    for (int i = 1; i <= 3; ++i) {
        TimeOutOnce();
        EXPECT_EQ(link.sent.back(), (Bytes{21, 0, 0, 0, 0, 0, 1, 254}));
    }
    EXPECT_TRUE(boxes.shown.empty());
    TimeOutOnce();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "注意：系统帮你自动出牌的次数累计已达 4 次，再出现一次就算你逃跑！");
    EXPECT_EQ(boxes.shown[0].caption, "系统提示");
    EXPECT_EQ(closedWindow, 0);
    TimeOutOnce();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "注意：系统帮你自动出牌的次数累计已达 5 次，现在算你逃跑！");
    EXPECT_EQ(closedWindow, 1);
    EXPECT_EQ(parts.closing.cause, TableClosing::Cause::RanAway);
}

TEST_F(AutoPlay, ALimitOfOneRunsAwayAtTheFirstTimeOut) {
    Begin(1);
    TimeOutOnce();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "注意：系统帮你自动出牌的次数累计已达 1 次，现在算你逃跑！");
    EXPECT_EQ(closedWindow, 1);
}

TEST_F(AutoPlay, LeadingOnTimeOutPlaysTheLastCardAndShowingAnswersNone) {
    SitDown();
    StartGame();
    CardList hand = kNoRedTens;
    hand[0] = 72;
    Deal(hand);
    for (int i = 0; i < 15; ++i) {
        clock.TickOnce();
    }
    EXPECT_EQ(link.sent.back(), (Bytes{20, 0, 0, 0}));
    EXPECT_EQ(context.game.bteAutoOutTimes, 0);
    Route({20, 1, 0, 2});
    for (int i = 0; i < 30; ++i) {
        clock.TickOnce();
    }
    EXPECT_EQ(link.sent.back(), (Bytes{21, 0, 0, 0, 0, 0, 1, 13}));
    EXPECT_EQ(context.game.bteAutoOutTimes, 1);
}

TEST_F(GameFlow, TheStartCountDownBeginsWithTheFirstReadySeatAndEndsTheTable) {
    SitDown();
    Route({109, 0, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(context.game.bteGameState, kPhaseBetweenGames);
    EXPECT_TRUE(flow.StartVisible());
    EXPECT_TRUE(flow.StartTimerRunning());
    flow.OnStartTimerTick();
    EXPECT_EQ(flow.StartCaption(), "可以开始");
    Route({18, 1});
    flow.OnStartTimerTick();
    EXPECT_EQ(flow.StartCaption(), "可以开始 19");
    for (int i = 0; i < 18; ++i) {
        flow.OnStartTimerTick();
    }
    EXPECT_EQ(flow.StartCaption(), "可以开始 1");
    EXPECT_EQ(closedWindow, 0);
    flow.OnStartTimerTick();
    EXPECT_EQ(closedWindow, 1);
    EXPECT_EQ(parts.closing.cause, TableClosing::Cause::Countdown);
}

TEST_F(GameFlow, StartingOutsideAGameAsksToJoinAndInsideOneSaysReady) {
    SitDown();
    Route({109, 0, 0, 0, 0, 0, 0, 0, 1});
    context.define.blnInGame = 0;
    flow.OnStartClicked();
    EXPECT_EQ(link.sent.back(), MakeRaiseHand("张三"));
    EXPECT_FALSE(flow.StartVisible());
    context.define.blnInGame = 1;
    flow.OnStartClicked();
    EXPECT_EQ(link.sent.back(), (Bytes{18, 0}));
}

TEST_F(GameFlow, APlayerWhoLeavesIsAnnouncedAndOnlyTheOwnSeatEndsTheTable) {
    SitDown();
    RouteText({5, 0, 1}, "逃跑");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "李四 不能继续玩下去，原因：逃跑");
    EXPECT_EQ(boxes.shown[0].caption, "红十系统提示");
    EXPECT_EQ(closedWindow, 0);
    RouteText({5, 0, 0}, "掉线");
    EXPECT_EQ(closedWindow, 1);
    EXPECT_EQ(parts.closing.cause, TableClosing::Cause::SentAway);
    EXPECT_EQ(parts.closing.text, "张三 不能继续玩下去，原因：掉线");
}

TEST_F(GameFlow, TheListSentAfterAGameBringsNewTotalsAndKeepsTheTableAsItWas) {
    SitDown();
    StartGame();
    Route({23, 1, 0, 0, 0, 10, 255, 255, 255, 251, 255, 255, 255, 251, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::size_t names = chat.Names().size();
    std::string lisi = Record("李四", 1);
    lisi.replace(lisi.find("`0`"), 3, "`-5`");  // 李四's points after the game
    RouteText({130, 2}, JoinFields({Record("张三", 0), lisi, Record("王五", 2), Record("赵六", 3)}));
    EXPECT_EQ(SplitFields(users.Find("李四"))[2], "-5");
    EXPECT_EQ(chat.Names().size(), names);
    EXPECT_EQ(context.define.bteViewSeat, 0);
    EXPECT_EQ(context.game.udtUser[1].strUserName, "李四");
    EXPECT_TRUE(context.scene.startVisible);
}

TEST_F(GameFlow, EverySeatsCountIsRepaintedWhenItPlays) {
    SitDown();
    StartGame();
    Deal(kNoRedTens);
    Route({20, 1, 1, 2});
    for (std::uint8_t s : {1, 2, 3}) {
        const std::uint64_t changes = context.revision;
        Route({21, 0, static_cast<std::uint8_t>((s + 1) % 4), 3, 0, s, 1, static_cast<std::uint8_t>(20 + s)});
        EXPECT_GT(context.revision, changes) << int{s};
        EXPECT_EQ(context.game.udtUser[s].bteCardCount, 12);
    }
}

TEST_F(GameFlow, GameOverWithoutScoresIsANotice) {
    SitDown();
    Route({23, 0, 0});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "本局游戏结束!");
    EXPECT_EQ(boxes.shown[0].caption, "红十");
    EXPECT_TRUE(flow.StartVisible());
}

TEST_F(GameFlow, TheSnapshotOfARunningGameRestoresIt) {
    SitDown();
    Bytes m{109, 0, 1, 0, 1, 1, 0, 15, 30, 2, 3, 1, 5, 0, 1};
    m.insert(m.end(), {0, 1, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 13, 12, 13, 13});
    m.insert(m.end(), {0, 1, 5, 0, 0});
    m.push_back(13);
    m.insert(m.end(), kNoRedTens.begin(), kNoRedTens.end());
    Route(m);
    EXPECT_EQ(context.define.blnInGame, 1);
    EXPECT_EQ(context.game.bteGameState, kPhaseFollow);
    EXPECT_EQ(context.game.bteCurSeat, 2);
    EXPECT_EQ(context.game.udtMaxOutPai.bteMainPai, 5);
    EXPECT_EQ(context.game.udtMaxOutPai.bteCount, 1);
    EXPECT_EQ(context.game.udtUser[1].bteOutPai, CardList{5});
    EXPECT_EQ(context.game.udtUser[1].bteLiang, 1);
    EXPECT_EQ(context.game.bteMyPai, kNoRedTens);
    EXPECT_EQ(context.game.blnNoDeal, 0);
    EXPECT_EQ(clock.Tag, "2");

    // Cut short in the middle of the lists: what is there is taken.
    m.resize(40);
    Route(m);
    EXPECT_EQ(context.game.bteMyPai.size(), 3u);
}

TEST_F(GameFlow, ItemsGoToTheirListsAndAnItemUseIsShown) {
    RouteText({133, 0}, "0`0");
    RouteText({133, 1}, "1:2:2027123123");
    EXPECT_EQ(items.lists, (std::vector<std::string>{"catalogue 0`0", "mine 1:2:2027123123"}));
    Route({133, 3, 2, 4, 0, 0, 0, 7});
    ASSERT_EQ(boxes.system.size(), 1u);
    EXPECT_EQ(boxes.system[0].text, "2 号用户对 4 号用户使用ID号为 7 的道具");
    EXPECT_EQ(boxes.system[0].caption, "道具演示");
    Route({133, 3, 2, 4, 0, 0});  // too short: nothing
    EXPECT_EQ(boxes.system.size(), 1u);
}

TEST_F(GameFlow, ASpectatorSeesTheWatchedHandOnlyWhenAllowed) {
    SitDown(/*spectator=*/true);
    EXPECT_TRUE(context.define.blnPangGuan);
    StartGame();
    EXPECT_EQ(link.sent, std::vector<Bytes>{(Bytes{130, 1})});  // no acknowledgement
    Route({113, 0, 0});
    EXPECT_EQ(context.game.blnShowMyPai, 0);
    Route({113, 0, 1});
    EXPECT_EQ(context.game.blnShowMyPai, 1);
}

}  // namespace
}  // namespace redten::test
