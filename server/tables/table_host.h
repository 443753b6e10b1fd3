#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/player.h"
#include "rules/cards.h"
#include "wire/room_encoders.h"
#include "wire/bytes.h"

namespace redten::room {

// Who is at a table: a remote table client, or a computer player (negative).
using PersonId = std::int64_t;
using TimerId = std::uint64_t;
using ThinkId = std::uint64_t;
// A computer player's thinking: it must stop early when the flag is set.
using ThinkWork = std::function<engine::Decision(const std::atomic<bool>& cancel)>;

enum class LogLevel { Error = 0, Warning = 1, Info = 2, Debug = 3 };

// What everybody at a table saw happen, and when, for replaying a game at
// its own pace. Plays are in FinishedGame::plays, in the same order.
struct GameStep {
    enum class Kind : std::uint8_t { Answer, ShowingOver, Play, Escape };
    Kind kind = Kind::Play;
    std::uint8_t seat = 0;
    std::uint8_t value = 0;  // Answer: the answer; Escape: the reason (EscapeReason)
    std::int32_t ms = 0;     // since the deal
};

// Why a player left a running game, as the others were told.
enum class EscapeReason : std::uint8_t { Left = 0, Dropped = 1 };
const char* EscapeReasonText(EscapeReason reason);

// A game as it was played, for the records and for replaying it.
struct FinishedGame {
    int tableNo = 0;
    std::array<std::string, 4> players;
    std::array<CardList, 4> dealt;
    std::vector<std::pair<std::uint8_t, CardList>> plays;  // in order; a pass is {254}
    std::array<std::uint8_t, 4> shown{};                   // the showing answers
    std::array<bool, 4> red{};
    std::array<std::int32_t, 4> scores{};
    std::array<CardList, 4> remaining;
    std::array<std::uint8_t, 4> places{};
    int winner = 0;         // +1 red side, -1 black side, 0 ended by an escape
    int escapedSeat = -1;
    // Ended by the room closing with everybody present: no points moved,
    // no record changed.
    bool abandoned = false;
    std::int32_t stake = 0;
    std::array<PersonRecord, 4> records;  // the players' records after this game
    std::vector<GameStep> steps;          // in order, with their times
    // What this game added to each player's totals (names and numbers
    // aside): the records apply it where they are, so rooms sharing them
    // never write back a stale copy of a person.
    std::array<PersonRecord, 4> changes;
};

// What a table needs from the room around it: sending to people, ending
// their links, timers, the log and the records. Tests and the self-play
// benchmark give it their own.
class TableHost {
public:
    virtual ~TableHost() = default;
    virtual void Send(PersonId to, const Bytes& message) = 0;
    // Ends the person's link once what was sent to it has gone out.
    virtual void Disconnect(PersonId who) = 0;
    // Runs fn after ms milliseconds, never from inside this call.
    virtual TimerId After(int ms, std::function<void()> fn) = 0;
    virtual void Cancel(TimerId timer) = 0;
    virtual void Log(LogLevel level, const std::string& line) = 0;
    virtual void GameFinished(const FinishedGame& game) = 0;
    virtual std::uint64_t NextDealSeed() = 0;
    // False while the room cannot keep the games it has: no new one starts.
    virtual bool MayStartGame() { return true; }

    // Runs work where it does not hold up the tables, then done with its
    // result on the tables' thread, never from inside this call. A host
    // without threads works it out at once and answers from a timer.
    virtual ThinkId Think(ThinkWork work, std::function<void(engine::Decision)> done) {
        const std::atomic<bool> never{false};
        return After(0, [decision = work(never), done = std::move(done)] { done(decision); });
    }
    // done is never called; work is asked to stop.
    virtual void CancelThink(ThinkId id) { Cancel(id); }
};

}  // namespace redten::room
