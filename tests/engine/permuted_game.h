#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "engine/game.h"
#include "engine/shuffle.h"

namespace redten::engine {

// The same public events in a game whose hidden cards lie elsewhere: the
// other seats' cards still held (never a red ten, nor the three of suit 0
// that told who leads) change hands at random, each seat keeping its count.
inline std::optional<Game> Permuted(const Game& game, std::uint8_t me, DealRng& rng) {
    std::array<CardList, 4> dealt;
    CardList pool;
    for (std::uint8_t s = 0; s < 4; ++s) {
        dealt[s] = game.DealtHand(s);
        if (s == me) {
            continue;
        }
        for (std::uint8_t c : game.Hand(s)) {
            if (c != kRedTen59 && c != kRedTen72 && c != 0) {
                pool.push_back(c);
                dealt[s].erase(std::find(dealt[s].begin(), dealt[s].end(), c));
            }
        }
    }
    for (std::size_t i = pool.size(); i > 1; --i) {
        std::swap(pool[i - 1], pool[rng.Below(static_cast<std::uint32_t>(i))]);
    }
    std::size_t next = 0;
    for (std::uint8_t s = 0; s < 4; ++s) {
        while (s != me && dealt[s].size() < 13) {
            dealt[s].push_back(pool[next++]);
        }
    }
    Game copy(dealt);
    for (const Event& e : game.Events()) {
        if (e.kind == Event::Kind::Showing) {
            if (copy.AnswerShowing(e.seat, e.answer)) {
                return std::nullopt;
            }
        } else if (e.kind == Event::Kind::ShowingOver) {
            copy.FillMissingAnswers();
            copy.EndShowing();
        } else if (std::holds_alternative<std::string>(copy.Play(e.seat, e.cards))) {
            return std::nullopt;
        }
    }
    return copy;
}

}  // namespace redten::engine
