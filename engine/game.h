#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <string>
#include <vector>

#include "rules/game_state.h"

namespace redten::engine {

// Whether hand holds every card of cards, each card once.
bool HoldsCards(CardList hand, const CardList& cards);

// Something every seat saw happen, in the order it happened.
struct Event {
    enum class Kind : std::uint8_t { Showing, ShowingOver, Play };
    Kind kind = Kind::Play;
    std::uint8_t seat = 0;
    std::uint8_t answer = 0;  // Showing: 0 nothing, else bits 1 (59) and 2 (72)
    CardList cards;           // Play: the cards, or {254} for a pass
};

// One deal at one table, judged by the room: the showing answers, every play
// and pass, the tricks, the finishing places and the result. It trusts
// nothing: every answer and play is checked against the dealt hands.
class Game {
public:
    explicit Game(const std::array<CardList, 4>& hands);

    // --- red-ten showing -------------------------------------------------
    // A seat's answer: the first one, or the follow answer of a seat that
    // holds one red ten, showed nothing and saw another seat show one.
    // Returns the refusal text, or nothing when taken.
    std::optional<std::string> AnswerShowing(std::uint8_t seat, std::uint8_t answer);
    bool AllFirstAnswersIn() const;
    bool MayFollow(std::uint8_t seat) const;
    // Every answer that can still come is in.
    bool ShowingComplete() const;
    // Seats that have not answered at all answer 0; the phase ends and the
    // holder of the three of suit 0 leads.
    std::vector<std::uint8_t> FillMissingAnswers();
    void EndShowing();

    // --- play ------------------------------------------------------------
    struct PlayResult {
        std::uint8_t nextSeat = 0;
        std::uint8_t nextPhase = 0;  // 2: a trick was won, 3: follow, 0: game over
        std::uint8_t place = 0;      // the player's finishing place, 0 while holding cards
    };
    // A play (or the pass, the single card 254) of the seat to act. Returns
    // the refusal text, or the result.
    std::variant<std::string, PlayResult> Play(std::uint8_t seat, const CardList& cards);

    bool Over() const { return over_; }
    // +1: the red side won, -1: the black side won, 0: not over.
    int Winner() const { return winner_; }
    // Every loser pays every winner stake × 2^(red tens shown).
    std::array<std::int32_t, 4> Scores(std::int32_t stake) const;
    std::int32_t Multiplier() const;

    // --- what the table shows ------------------------------------------------
    std::uint8_t Phase() const { return phase_; }
    std::uint8_t CurSeat() const { return curSeat_; }
    const MaxOutPai& ToBeat() const { return max_; }
    const CardList& Hand(std::uint8_t seat) const { return hands_[seat]; }
    const CardList& DealtHand(std::uint8_t seat) const { return dealt_[seat]; }
    const CardList& OutPai(std::uint8_t seat) const { return outPai_[seat]; }
    std::uint8_t Liang(std::uint8_t seat) const { return liang_[seat]; }
    std::uint8_t LiangTimes(std::uint8_t seat) const { return liangTimes_[seat]; }
    std::uint8_t MingCi(std::uint8_t seat) const { return mingCi_[seat]; }
    bool IsRed(std::uint8_t seat) const { return red_[seat]; }
    std::uint8_t Leader() const;
    // Every showing answer (a missing one counts as 0), the end of the
    // showing and every play and pass, in order.
    const std::vector<Event>& Events() const { return events_; }

private:
    std::uint8_t NextHolding(std::uint8_t seat) const;
    PlayResult Result(PlayResult result) const;
    PlayResult FollowOn(std::uint8_t seat, PlayResult result);
    int ActiveCount() const;
    void CheckOver();

    std::array<CardList, 4> dealt_;
    std::array<CardList, 4> hands_;
    std::array<CardList, 4> outPai_;
    std::array<std::uint8_t, 4> liang_{4, 4, 4, 4};
    std::array<std::uint8_t, 4> liangTimes_{};
    std::array<std::uint8_t, 4> mingCi_{};
    std::array<bool, 4> red_{};
    std::array<std::uint8_t, 4> shownAtShowing_{};  // the answers, fixed when showing ends
    std::uint8_t phase_ = kPhaseShowing;
    std::uint8_t curSeat_ = 0;
    MaxOutPai max_;
    int passes_ = 0;
    int finished_ = 0;
    bool over_ = false;
    int winner_ = 0;
    std::vector<Event> events_;
};

}  // namespace redten::engine
