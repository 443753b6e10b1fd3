#include "server/tables/invariants.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "engine/shuffle.h"

namespace redten::room {

std::optional<std::string> CheckFinishedGame(const FinishedGame& g) {
    std::map<std::uint8_t, int> dealt;
    for (const CardList& hand : g.dealt) {
        for (std::uint8_t c : hand) {
            ++dealt[c];
        }
    }
    std::map<std::uint8_t, int> deck;
    for (std::uint8_t c : engine::OneDeck()) {
        ++deck[c];
    }
    if (dealt != deck) {
        return "the deal is not one whole deck";
    }
    std::map<std::uint8_t, int> seen;
    std::array<CardList, 4> held = g.dealt;
    for (const auto& [seat, cards] : g.plays) {
        if (cards.size() == 1 && cards[0] == 254) {
            continue;
        }
        for (std::uint8_t c : cards) {
            const auto it = std::find(held[seat].begin(), held[seat].end(), c);
            if (seat > 3 || it == held[seat].end()) {
                return "seat " + std::to_string(seat) + " played a card it did not hold";
            }
            held[seat].erase(it);
            ++seen[c];
        }
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        CardList a = held[s], b = g.remaining[s];
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a != b) {
            return "seat " + std::to_string(s) + " returned other cards than it kept";
        }
        for (std::uint8_t c : b) {
            ++seen[c];
        }
    }
    if (seen != deck) {
        return "cards were lost or doubled";
    }
    if (std::accumulate(g.scores.begin(), g.scores.end(), 0LL) != 0) {
        return "the scores do not sum to zero";
    }
    std::vector<std::uint8_t> places;
    for (std::uint8_t s = 0; s < 4; ++s) {
        const bool out = g.remaining[s].empty();
        if (out != (g.places[s] != 0)) {
            return "seat " + std::to_string(s) + " has a place that does not match its cards";
        }
        if (out) {
            places.push_back(g.places[s]);
        }
    }
    std::sort(places.begin(), places.end());
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i] != i + 1) {
            return "the finishing places are not 1..k";
        }
    }
    if (g.winner != 0) {
        for (std::uint8_t s = 0; s < 4; ++s) {
            const bool winnerSide = g.red[s] == (g.winner > 0);
            if (winnerSide && !g.remaining[s].empty()) {
                return "a winner still holds cards";
            }
            if (winnerSide != (g.scores[s] > 0)) {
                return "a winner did not win points";
            }
        }
    }
    return std::nullopt;
}

}  // namespace redten::room
