#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "wire/messages.h"

namespace redten::wire {
namespace {

const std::string kRecord = "张三`10001`0`0``3`33`0`1`1`1`0`1003`2`1`0";

// One of each message, with every field away from its default.
const auto kSamples = std::make_tuple(
    Greeting{"700", "KOVA", true}, HandRequest{2}, StartAck{1}, EnterGame{}, LeaveTable{"张三"},
    ConfirmSettings{"张三", "100`0`1`5`0`1"}, RaiseHand{"李四"}, WatchSetting{"张三", true},
    ChatLine{{"张三", "所有人", "a", "b", "c", "d", "e", "0", "f", "大家好"}}, Ready{3},
    ShowingAnswer{2, 3}, Play{1, 3, 2, 0, {59, 72}}, Play{0, 0, 0, 3, {kPassCard}},
    SpectatorArrives{kRecord}, TableReset{}, FullUserList{{kRecord, kRecord}},
    Identity{"看客", "张三"}, UserArrives{kRecord}, ShowWindow{false}, RoomNotice{"欢迎"},
    UserState{3, "李四"}, UserLeaves{"王五"},
    SettingsState{7, "张三", true, true, false, "100`0`1`5`0`1"},
    RaisedHand{0, "张三", "100`0`1`5`0`1"}, RaisedHand{2, "李四", std::nullopt},
    GameStart{{3, 2, 1, 20, 40}}, Deal{{1, 2, 3, 59}}, ShowingOver{2, 2}, GameNotice{"结束"},
    GameOver{false, true, {-30, 10, 10, 10}, {{1, 2}, {}, {72}, {}}}, Hand{{5, 6, 7}},
    PlayerLeaves{2, "掉线"}, WatchVisibility{true}, ItemText{1, "1`2`3"}, ItemUsed{1, 2, 70001},
    [] {
        Snapshot s;
        s.ready = {true, false, true, false};
        s.watchVisible = false;
        return s;
    }(),
    Snapshot{true, {}, false, {5, 2, 1, 20, 40}, 1, 3, {2, 1, 9, 1}, {1, 0, 2, 4}, {1, 1, 1, 0},
             {0, 1, 0, 0}, {13, 0, 12, 13}, {CardList{9}, CardList{}, CardList{22, 23}, CardList{}}, {1, 2, 3}});

template <typename Msg>
void ExpectReadsBack(const Msg& message) {
    EXPECT_EQ(Msg::Decode(message.Encode()), std::optional<Msg>(message));
}

// Cut anywhere, a message either is refused or reads as no more than it
// holds; under the sanitizers this also proves no read goes past the end.
template <typename Msg>
void ExpectPrefixesSafe(const Msg& message) {
    const Bytes whole = message.Encode();
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        if (const auto part = Msg::Decode(prefix)) {
            EXPECT_LE(part->Encode().size(), whole.size()) << ::testing::PrintToString(message);
        }
    }
}

TEST(WireMessages, EveryMessageReadsBackAsItWasWritten) {
    std::apply([](const auto&... m) { (ExpectReadsBack(m), ...); }, kSamples);
}

TEST(WireMessages, TheBytesAreTheProtocolsOwn) {
    EXPECT_EQ(Play({0, 0, 0, 2, {kPassCard}}).Encode(), (Bytes{21, 0, 0, 0, 0, 2, 1, 254}));
    Snapshot between;
    between.ready = {true, false, false, true};
    EXPECT_EQ(between.Encode(), (Bytes{109, 0, 0, 0, 1, 0, 0, 1, 1}));
    EXPECT_EQ(GameOver({false, true, {1, -1, 0, 0}, {{7}}}).Encode(),
              (Bytes{23, 1, 0, 0, 0, 1, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 1, 7}));
    // A table sends no text message without text; the room sends the header.
    EXPECT_TRUE(LeaveTable{""}.Encode().empty());
    EXPECT_EQ(UserLeaves{""}.Encode(), (Bytes{110, 0}));
}

TEST(WireMessages, CountsThatDoNotFitTheMessageAreRefused) {
    EXPECT_FALSE(Play::Decode({21, 0, 0, 0, 0, 1, 2, 5}));       // two cards promised, one sent
    EXPECT_FALSE(Play::Decode({21, 0, 0, 0, 0, 4, 1, 5}));       // no seat 4
    Bytes tooMany(7 + 60, 1);  // more cards than any hand
    tooMany[0] = 21, tooMany[5] = 0, tooMany[6] = 60;
    EXPECT_FALSE(Play::Decode(tooMany));
    EXPECT_FALSE(ShowingAnswer::Decode({20, 0, 9, 1}));
    EXPECT_FALSE(Deal::Decode(Bytes(2 + 55, 19)));
    EXPECT_FALSE(Ready::Decode({18, 4}));
    EXPECT_FALSE(ItemUsed::Decode({133, 3, 1, 2, 0, 0, 1}));
    EXPECT_FALSE(Identity::Decode({130, 3, 'a'}));
    EXPECT_FALSE(GameStart::Decode(Bytes(14, 17)));
    // A greeting is a dozen bytes; a padded one is not read.
    Bytes padded = Greeting{"700", "KOVA", true}.Encode();
    padded.insert(padded.end() - 1, Greeting::kMaxBytes, '0');
    EXPECT_FALSE(Greeting::Decode(padded));
    // Lists the room cut short read as far as they go, never past the end.
    const auto hand = Hand::Decode({2, 0, 200, 1, 2});
    ASSERT_TRUE(hand);
    EXPECT_EQ(hand->cards, (CardList{1, 2}));
    const auto over = GameOver::Decode({23, 1, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 3, 9});
    ASSERT_TRUE(over);
    EXPECT_EQ(over->scores, (std::array<std::int32_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(over->remaining, (std::vector<CardList>{{9}}));
}

TEST(WireMessages, EveryPrefixOfEveryMessageDecodesSafely) {
    std::apply([](const auto&... m) { (ExpectPrefixesSafe(m), ...); }, kSamples);
}

TEST(WireMessages, APrinterNamesTheMessageAndItsFields) {
    EXPECT_EQ(::testing::PrintToString(Play{1, 3, 0, 2, {59, 72}}),
              "Play{ nextSeat 1 nextPhase 3 place 0 seat 2 cards [59 72] }");
    EXPECT_EQ(::testing::PrintToString(RaisedHand{0, "张三", std::nullopt}),
              "RaisedHand{ kind 0 name \"张三\" settings none }");
}

}  // namespace
}  // namespace redten::wire
