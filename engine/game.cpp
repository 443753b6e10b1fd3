#include "engine/game.h"

#include <algorithm>

#include "rules/pai_type.h"

namespace redten::engine {
namespace {

std::uint8_t RedTensHeld(const CardList& hand) {
    const bool a = std::find(hand.begin(), hand.end(), kRedTen59) != hand.end();
    const bool b = std::find(hand.begin(), hand.end(), kRedTen72) != hand.end();
    return static_cast<std::uint8_t>((a ? 1 : 0) | (b ? 2 : 0));
}

}  // namespace

bool HoldsCards(CardList hand, const CardList& cards) {
    for (std::uint8_t card : cards) {
        const auto it = std::find(hand.begin(), hand.end(), card);
        if (it == hand.end()) {
            return false;
        }
        hand.erase(it);
    }
    return true;
}


Game::Game(const std::array<CardList, 4>& hands) : dealt_(hands), hands_(hands) {
    // Hands go out sorted, highest first, as a player would hold them.
    for (CardList& hand : hands_) {
        SortPai(hand);
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        red_[s] = RedTensHeld(hands_[s]) != 0;
    }
}

std::uint8_t Game::Leader() const {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (std::find(dealt_[s].begin(), dealt_[s].end(), 0) != dealt_[s].end()) {
            return s;
        }
    }
    return 0;
}

bool Game::MayFollow(std::uint8_t seat) const {
    const std::uint8_t held = RedTensHeld(hands_[seat]);
    if ((held != 1 && held != 2) || liang_[seat] != 0 || liangTimes_[seat] != 1) {
        return false;
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (s != seat && (liang_[s] == 1 || liang_[s] == 2)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> Game::AnswerShowing(std::uint8_t seat, std::uint8_t answer) {
    if (phase_ != kPhaseShowing || seat > 3) {
        return "现在不是亮红10的时候。";
    }
    const std::uint8_t held = RedTensHeld(hands_[seat]);
    if (answer > 3 || (answer & ~held) != 0) {
        return "你没有这张红10，不能亮。";
    }
    const auto take = [&](std::uint8_t times) {
        events_.push_back(Event{Event::Kind::Showing, seat, answer, {}});
        liang_[seat] = answer;
        liangTimes_[seat] = times;
        if (answer == 1) {
            outPai_[seat] = {kRedTen59};
        } else if (answer == 2) {
            outPai_[seat] = {kRedTen72};
        } else if (answer == 3) {
            outPai_[seat] = {kRedTen59, kRedTen72};
        }
    };
    if (liangTimes_[seat] == 0) {
        take(1);
        return std::nullopt;
    }
    if (MayFollow(seat) && (answer == 0 || answer == held)) {
        take(2);
        return std::nullopt;
    }
    return "你已经回答过了。";
}

bool Game::AllFirstAnswersIn() const {
    return std::all_of(liangTimes_.begin(), liangTimes_.end(), [](std::uint8_t t) { return t > 0; });
}

bool Game::ShowingComplete() const {
    if (!AllFirstAnswersIn()) {
        return false;
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (MayFollow(s)) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> Game::FillMissingAnswers() {
    std::vector<std::uint8_t> filled;
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (liangTimes_[s] == 0) {
            events_.push_back(Event{Event::Kind::Showing, s, 0, {}});
            liang_[s] = 0;
            liangTimes_[s] = 1;
            filled.push_back(s);
        }
    }
    return filled;
}

void Game::EndShowing() {
    if (phase_ != kPhaseShowing) {
        return;
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        shownAtShowing_[s] = liang_[s] == 4 ? 0 : liang_[s];
        outPai_[s].clear();
    }
    phase_ = kPhaseLead;
    curSeat_ = Leader();
    events_.push_back(Event{Event::Kind::ShowingOver, curSeat_, 0, {}});
}

std::uint8_t Game::NextHolding(std::uint8_t seat) const {
    for (int i = 1; i <= 4; ++i) {
        const auto s = static_cast<std::uint8_t>((seat + i) % 4);
        if (!hands_[s].empty()) {
            return s;
        }
    }
    return seat;
}

int Game::ActiveCount() const {
    return static_cast<int>(
        std::count_if(hands_.begin(), hands_.end(), [](const CardList& h) { return !h.empty(); }));
}

void Game::CheckOver() {
    bool redOut = true;
    bool blackOut = true;
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (!hands_[s].empty()) {
            (red_[s] ? redOut : blackOut) = false;
        }
    }
    if (redOut || blackOut) {
        over_ = true;
        winner_ = redOut ? 1 : -1;
        phase_ = kPhaseNone;
    }
}

std::variant<std::string, Game::PlayResult> Game::Play(std::uint8_t seat, const CardList& cards) {
    if (over_ || (phase_ != kPhaseLead && phase_ != kPhaseFollow)) {
        return std::string("现在不能出牌。");
    }
    if (seat != curSeat_) {
        return std::string("还没轮到你出牌。");
    }
    const bool pass = cards.size() == 1 && cards[0] == kPassCard;
    if (pass) {
        if (phase_ == kPhaseLead) {
            return std::string("你先出牌，不能不出。");
        }
        ++passes_;
        outPai_[seat] = cards;
        events_.push_back(Event{Event::Kind::Play, seat, 0, cards});
        const bool maxActive = !hands_[max_.bteSeat].empty();
        const int needed = ActiveCount() - (maxActive ? 1 : 0);
        PlayResult result;
        if (passes_ >= needed) {
            const std::uint8_t leader = maxActive ? max_.bteSeat : NextHolding(max_.bteSeat);
            for (CardList& out : outPai_) {
                out.clear();
            }
            phase_ = kPhaseLead;
            curSeat_ = leader;
            max_ = MaxOutPai{};
            passes_ = 0;
            return Result(result);
        }
        return FollowOn(seat, result);
    }

    if (cards.empty() || !HoldsCards(hands_[seat], cards)) {
        return std::string("你手里没有这些牌。");
    }
    const PlayCheck check =
        phase_ == kPhaseLead ? CheckFirstOutPai(cards) : CheckFollowOutPai(cards, max_);
    if (!check.ok) {
        return check.message;
    }
    RemoveOutPai(hands_[seat], cards);
    outPai_[seat] = cards;
    events_.push_back(Event{Event::Kind::Play, seat, 0, cards});
    for (std::uint8_t card : cards) {
        if (card == kRedTen59) {
            liang_[seat] |= 1;
        } else if (card == kRedTen72) {
            liang_[seat] |= 2;
        }
    }
    liang_[seat] &= 3;
    max_ = MaxOutPai{seat, check.type, check.main, static_cast<std::uint8_t>(cards.size())};
    passes_ = 0;
    PlayResult result;
    if (hands_[seat].empty()) {
        mingCi_[seat] = static_cast<std::uint8_t>(++finished_);
        result.place = mingCi_[seat];
    }
    CheckOver();
    if (over_) {
        result.nextSeat = seat;
        result.nextPhase = kPhaseNone;
        return result;
    }
    return FollowOn(seat, result);
}

Game::PlayResult Game::Result(PlayResult result) const {
    result.nextSeat = curSeat_;
    result.nextPhase = phase_;
    return result;
}

Game::PlayResult Game::FollowOn(std::uint8_t seat, PlayResult result) {
    phase_ = kPhaseFollow;
    curSeat_ = NextHolding(seat);
    outPai_[curSeat_].clear();  // the seat to act takes its last play back
    return Result(result);
}

std::int32_t Game::Multiplier() const {
    int shown = 0;
    for (std::uint8_t s = 0; s < 4; ++s) {
        // Tens revealed later by playing them do not count.
        shown += (shownAtShowing_[s] & 1 ? 1 : 0) + (shownAtShowing_[s] & 2 ? 1 : 0);
    }
    return 1 << shown;
}

std::array<std::int32_t, 4> Game::Scores(std::int32_t stake) const {
    std::array<std::int32_t, 4> scores{};
    if (!over_) {
        return scores;
    }
    int winners = 0;
    for (std::uint8_t s = 0; s < 4; ++s) {
        winners += (red_[s] == (winner_ > 0)) ? 1 : 0;
    }
    const int losers = 4 - winners;
    const std::int32_t unit = stake * Multiplier();
    for (std::uint8_t s = 0; s < 4; ++s) {
        const bool won = red_[s] == (winner_ > 0);
        scores[s] = won ? unit * losers : -unit * winners;
    }
    return scores;
}

}  // namespace redten::engine
