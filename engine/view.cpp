#include "engine/view.h"

#include <algorithm>

#include "rules/pai_type.h"

namespace redten::engine {
namespace {

std::uint8_t NextHolding(const PublicState& s, std::uint8_t seat) {
    for (int i = 1; i <= 4; ++i) {
        const auto next = static_cast<std::uint8_t>((seat + i) % 4);
        if (s.left[next] > 0) {
            return next;
        }
    }
    return seat;
}

void PlayEvent(PublicState& s, const Event& e) {
    if (e.seat > 3 || (s.phase != kPhaseLead && s.phase != kPhaseFollow) || e.seat != s.cur) {
        s.valid = false;
        return;
    }
    Move m;
    if (!MoveOfCards(e.cards, m) || (m.IsPass() && s.phase == kPhaseLead) ||
        (!m.IsPass() && s.phase == kPhaseFollow && !Beats(m, s.toBeat)) ||
        e.cards.size() > s.left[e.seat]) {
        s.valid = false;
        return;
    }
    if (m.IsPass()) {
        ++s.passes;
        int active = 0;
        for (std::uint8_t left : s.left) {
            active += left > 0 ? 1 : 0;
        }
        const bool maxActive = s.left[s.toBeatSeat] > 0;
        if (s.passes >= active - (maxActive ? 1 : 0)) {
            s.cur = maxActive ? s.toBeatSeat : NextHolding(s, s.toBeatSeat);
            s.phase = kPhaseLead;
            s.toBeat = kPass;
            s.toBeatCards.clear();
            s.passes = 0;
        } else {
            s.cur = NextHolding(s, e.seat);
        }
        return;
    }
    s.left[e.seat] = static_cast<std::uint8_t>(s.left[e.seat] - e.cards.size());
    for (std::uint8_t c : e.cards) {
        s.played[e.seat].push_back(c);
        s.redsPlayed[e.seat] |= c == kRedTen59 ? 1 : c == kRedTen72 ? 2 : 0;
    }
    s.toBeat = m;
    s.toBeatCards = e.cards;
    s.toBeatSeat = e.seat;
    s.passes = 0;
    if (s.left[e.seat] == 0) {
        s.place[e.seat] = static_cast<std::uint8_t>(++s.finished);
    }
    s.phase = kPhaseFollow;
    s.cur = NextHolding(s, e.seat);
}

}  // namespace

SeatView ViewOf(const Game& game, std::uint8_t seat) {
    SeatView view;
    view.seat = seat;
    view.hand = game.DealtHand(seat);
    view.events = game.Events();
    return view;
}

void Step(PublicState& s, const Event& e) {
    if (!s.valid) {
        return;
    }
    switch (e.kind) {
        case Event::Kind::Showing:
            if (e.seat > 3 || s.phase != kPhaseShowing || e.answer > 3 ||
                s.liangTimes[e.seat] >= 2) {
                s.valid = false;
                return;
            }
            s.liang[e.seat] = e.answer;
            ++s.liangTimes[e.seat];
            return;
        case Event::Kind::ShowingOver:
            if (e.seat > 3 || s.phase != kPhaseShowing) {
                s.valid = false;
                return;
            }
            for (std::size_t i = 0; i < 4; ++i) {
                s.shown[i] = s.liang[i] == 4 ? 0 : s.liang[i];
            }
            s.phase = kPhaseLead;
            s.cur = e.seat;
            s.leader = e.seat;
            s.leaderKnown = true;
            return;
        case Event::Kind::Play:
            PlayEvent(s, e);
            return;
    }
    s.valid = false;
}

PublicState Replay(std::span<const Event> events) {
    PublicState s;
    for (const Event& e : events) {
        Step(s, e);
    }
    return s;
}

MaxOutPai MaxOutPaiOf(const PublicState& s) {
    if (s.toBeat.IsPass()) {
        return MaxOutPai{};
    }
    const PaiClass c = GetPaiType(s.toBeatCards);
    return MaxOutPai{s.toBeatSeat, c.type, c.main, static_cast<std::uint8_t>(s.toBeatCards.size())};
}

CardList HandNow(const SeatView& view) {
    CardList hand = view.hand;
    for (const Event& e : view.events) {
        if (e.kind == Event::Kind::Play && e.seat == view.seat && e.cards != CardList{kPassCard}) {
            RemoveOutPai(hand, e.cards);
        }
    }
    return hand;
}

std::uint8_t RedTensIn(std::span<const std::uint8_t> hand) {
    const bool a = std::find(hand.begin(), hand.end(), kRedTen59) != hand.end();
    const bool b = std::find(hand.begin(), hand.end(), kRedTen72) != hand.end();
    return static_cast<std::uint8_t>((a ? 1 : 0) | (b ? 2 : 0));
}

Ask AskOf(const SeatView& view, const PublicState& s) {
    const std::uint8_t me = view.seat;
    if (!s.valid || me > 3) {
        return Ask::Nothing;
    }
    if (s.phase == kPhaseShowing) {
        if (s.liangTimes[me] == 0) {
            return Ask::Showing;
        }
        const std::uint8_t held = RedTensIn(view.hand);
        if ((held == 1 || held == 2) && s.liang[me] == 0 && s.liangTimes[me] == 1) {
            for (std::uint8_t o = 0; o < 4; ++o) {
                if (o != me && (s.liang[o] == 1 || s.liang[o] == 2)) {
                    return Ask::Follow;
                }
            }
        }
        return Ask::Nothing;
    }
    if ((s.phase == kPhaseLead || s.phase == kPhaseFollow) && s.cur == me && s.left[me] > 0) {
        return Ask::Play;
    }
    return Ask::Nothing;
}

}  // namespace redten::engine
