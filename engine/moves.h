#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "rules/game_state.h"
#include "rules/pai_type.h"

namespace redten::engine {

// A hand as the search holds it. Only ranks matter in play, except that a
// red ten alone outranks everything and reveals its holder's side, so the
// red tens are counted apart from the plain cards.
struct Counts {
    std::array<std::uint8_t, 13> n{};  // plain cards of each rank; the red tens are not in n[7]
    std::uint8_t reds = 0;             // red tens held

    int Total() const;
    // Tens of any colour: what pairs, straights and bombs of tens can use.
    int Tens() const { return n[kRankTen] + reds; }
    int At(int rank) const { return rank == kRankTen ? Tens() : n[static_cast<std::size_t>(rank)]; }
    bool operator==(const Counts&) const = default;
};

Counts CountsOf(std::span<const std::uint8_t> cards);

inline constexpr std::uint8_t kPassMove = 255;
// The rank a red ten has as a single, and the two red tens as a play.
inline constexpr std::uint8_t kRedRank = 13;

// A play up to the suits of its plain cards, which never matter: two plays
// that differ only in them are the same play.
struct Move {
    std::uint8_t type = kPassMove;  // a PaiType, or kPassMove
    std::uint8_t rank = 0;          // the main rank: a straight's top; kRedRank for red tens alone
    std::uint8_t len = 0;           // cards
    std::uint8_t reds = 0;          // red tens among them
    bool IsPass() const { return type == kPassMove; }
    bool operator==(const Move&) const = default;
};

inline constexpr Move kPass{};

// Whether m may follow toBeat (both real plays).
bool Beats(const Move& m, const Move& toBeat);

// Every distinct legal play, fixed capacity: a hand of one deck never has
// more than a few hundred.
struct MoveList {
    static constexpr std::size_t kCapacity = 512;
    std::array<Move, kCapacity> moves{};
    std::size_t size = 0;
    void Add(const Move& m) {
        if (size < kCapacity) {
            moves[size++] = m;
        }
    }
    const Move* begin() const { return moves.data(); }
    const Move* end() const { return moves.data() + size; }
    const Move& operator[](std::size_t i) const { return moves[i]; }
};

// Every play the hand can lead (toBeat null), or every play that beats
// toBeat followed by the pass.
void GenerateMoves(const Counts& hand, const Move* toBeat, MoveList& out);
bool HasBeatingMove(const Counts& hand, const Move& toBeat);

// Whether hand holds the cards of m, and takes them out.
bool Holds(const Counts& hand, const Move& m);
void Remove(Counts& hand, const Move& m);

// The play cards form (the pass for {254}); nothing for cards that are no play.
bool MoveOfCards(std::span<const std::uint8_t> cards, Move& out);

// The cards of hand that make m: plain cards before red tens wherever a
// plain card does. Empty when hand cannot make it.
CardList CardsFor(std::span<const std::uint8_t> hand, const Move& m);

}  // namespace redten::engine
