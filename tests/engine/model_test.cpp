#include <gtest/gtest.h>

#include <algorithm>

#include "engine/bot.h"
#include "engine/model.h"
#include "engine/shuffle.h"

namespace redten::engine {
namespace {

// The strong player recognises the basic one by working out its choices on
// counts; over many random hands and plays to beat, that must be exactly
// what the basic player does.
TEST(BasicModel, ChoosesWhatTheBasicPlayerPlays) {
    DealRng rng(2027);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        const auto hands = DealHands(rng);
        CardList hand = hands[0];
        hand.resize(1 + rng.Below(13));
        // Something another hand can play, or a lead.
        const Counts other = CountsOf(hands[1]);
        MoveList moves;
        GenerateMoves(other, nullptr, moves);
        const bool lead = rng.Below(5) == 0;
        const Move toBeat = moves[rng.Below(static_cast<std::uint32_t>(moves.size))];
        const CardList toBeatCards = CardsFor(hands[1], toBeat);
        const PaiClass c = GetPaiType(toBeatCards);
        const MaxOutPai max{1, c.type, c.main, static_cast<std::uint8_t>(toBeatCards.size())};

        const CardList real = lead ? BotLead(hand) : BotFollow(hand, max);
        Move played;
        ASSERT_TRUE(MoveOfCards(real, played));
        const Move modelled = BasicChoice(CountsOf(hand), lead ? nullptr : &toBeat);
        ASSERT_TRUE(SameShape(played, modelled))
            << "hand " << testing::PrintToString(hand) << " to beat "
            << (lead ? std::string("nothing") : testing::PrintToString(toBeatCards)) << ": played "
            << testing::PrintToString(real) << ", modelled type " << int(modelled.type) << " rank "
            << int(modelled.rank) << " len " << int(modelled.len);
        ++compared;
    }
    EXPECT_EQ(compared, 20000);
}

}  // namespace
}  // namespace redten::engine
