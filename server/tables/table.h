#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/game.h"
#include "engine/player.h"
#include "engine/shuffle.h"
#include "server/tables/table_host.h"
#include "wire/room_encoders.h"

namespace redten::room {

// How well the computer players play: the room's first player, the one
// that searches imagined deals (see docs/rules.md), or the same search with
// more worlds and more time.
enum class BotLevel { Basic, Strong, Expert };
// "basic", "strong", "expert", as command lines and the protocol write them.
const char* LevelWord(BotLevel level);
std::optional<BotLevel> LevelNamed(std::string_view word);
// The most an expert decision takes: its own budget, with room to answer.
constexpr int kExpertThinkMs = 700;

struct TableOptions {
    GameOptions game;
    // Built in, tables keep the instant basic player; the room's command
    // line starts it with strong ones unless told otherwise.
    BotLevel botLevel = BotLevel::Basic;
    static constexpr BotLevel kCommandLineBotLevel = BotLevel::Strong;
    // The most a strong decision may take, from the moment it is asked;
    // one that comes later is replaced by the basic player's choice.
    int botThinkMs = 100;
    int botPauseMs = 800;
    // Tables pause after a showing ends or a trick is won; a computer player
    // waits at least this long then, when people are watching.
    int botQuietMs = 2500;
    int dropGraceMs = 60000;
    // The room's own patience, beyond the tables' clocks: a turn nobody
    // plays is played for its seat (the lowest card, or a pass), and
    // settings the owner never confirms are confirmed as proposed.
    int turnGraceMs = 15000;
    int settingsDeadlineMs = 60000;
    std::int32_t stake = 100, stakeMin = 10, stakeMax = 1000;
    std::int32_t penalty = 50, penaltyMin = 0, penaltyMax = 500;
};

// One table of four seats and its spectators: the people, the owner's
// settings, readiness and the games. Remote tables and computer players
// act through the same entry points (ConfirmSettings, RaiseHand,
// AnswerShowing, Play); every message a remote table sends is checked and
// turned into one of them, or refused with a notice.
class Table {
public:
    Table(int number, TableOptions options, TableHost& host);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    int Number() const { return number_; }
    bool HasFreeSeat() const;
    int FreeSeats() const;
    bool HasHumans() const;
    bool HasPerson(const std::string& name) const;
    bool HasDroppedPlayer(const std::string& name) const;
    bool GameRunning() const { return game_.has_value(); }
    std::size_t SpectatorCount() const { return spectators_.size(); }
    std::string SeatName(std::uint8_t seat) const;
    bool SeatIsComputer(std::uint8_t seat) const;
    BotLevel Level() const { return options_.botLevel; }
    // The cap on one decision of this table's computer players.
    int ThinkMs() const {
        return options_.botLevel == BotLevel::Expert ? std::max(options_.botThinkMs, kExpertThinkMs)
                                                     : options_.botThinkMs;
    }
    std::vector<std::string> SpectatorNames() const;

    // People coming and going.
    // At the first free seat, or at the one asked for (0..3) when it is free.
    bool SeatPlayer(PersonId id, const PersonRecord& person, bool bot, bool allowWatch, int seat = -1);
    bool SeatIsFree(std::uint8_t seat) const { return seat < 4 && !seats_[seat]; }
    bool AddSpectator(PersonId id, const PersonRecord& person, const std::string& watched,
                      bool allowWatch);
    bool Rejoin(PersonId id, const std::string& name, bool allowWatch);
    void LinkLost(PersonId id);
    void Leave(PersonId id);
    // The room is closing: a running game ends now. The first player who
    // dropped and is not back runs away; with everybody present the game
    // is abandoned and nobody's record changes.
    void Shutdown();

    // Starts a game when everybody is ready and the room takes games.
    void MaybeStart();

    // A whole message from a remote table.
    void OnMessage(PersonId id, const Bytes& message);

    // The entry points every kind of seat uses.
    void ConfirmSettings(std::uint8_t seat, const std::string& settings);
    void RaiseHand(std::uint8_t seat);
    void AnswerShowing(std::uint8_t seat, std::uint8_t answer);
    bool Play(std::uint8_t seat, const CardList& cards);

private:
    struct Member {
        PersonId id = 0;
        PersonRecord person;
        bool bot = false;
        bool allowWatch = true;
        bool offline = false;
        bool ready = false;
        bool mustAgree = false;      // asked to agree to the owner's settings
        std::uint64_t dropOrder = 0;  // when it dropped, among this table's drops
        std::string watching;        // spectators: the player watched
    };

    Member* FindMember(PersonId id);
    std::optional<std::uint8_t> SeatOf(PersonId id) const;
    std::optional<std::uint8_t> SeatOfName(const std::string& name) const;
    bool IsOwner(std::uint8_t seat) const;
    std::string SettingsText() const;
    std::vector<std::string> UserRecords() const;
    std::string RecordOf(const Member& m, int chair) const;

    void SendTo(const Member& m, const Bytes& message);
    void Broadcast(const Bytes& message, PersonId except = 0);
    void Notice(PersonId id, const std::string& text);
    void SendWelcome(const Member& m, bool spectator);
    void SendSettingsState(std::uint8_t seat);
    Snapshot SnapshotFor(const Member& m) const;
    void SendHandToSpectators(std::uint8_t seat);
    void Log(LogLevel level, const std::string& text);

    void ApplySettings(std::uint8_t seat, const std::string& settings, bool ownerReady);
    void AgreeOrReady(std::uint8_t seat, bool viaStartButton);
    void StartGame();
    void CloseShowing();
    void EndShowing();
    void FinishGame();
    void Escape(std::uint8_t seat, EscapeReason reason);
    // Notes what everybody just saw, with its time, for replays.
    void Step(GameStep::Kind kind, std::uint8_t seat, std::uint8_t value);
    // Ends the game with these scores: the records, the result to everybody,
    // the room's books; whoever dropped and is not back leaves.
    void Settle(const std::array<std::int32_t, 4>& scores, int winner, int escapedSeat);
    // Ends the game with no points moved: the room is closing.
    void Abandon();
    // The game is over: the room's books; whoever ran away or dropped leaves.
    void CloseGame(int escapedSeat);
    void RemoveSeat(std::uint8_t seat);
    void RemoveSpectator(PersonId id);
    void ChooseOwner();
    void Chat(Member& from, const wire::ChatLine& message);
    void SetWatch(Member& from, const wire::WatchSetting& message);

    // The clock the tables show for the turn or the showing question; a
    // dropped seat is answered for when it runs out.
    void StartClock(int seconds);
    void ArmTurnDeadline();
    void PlayPlainestMove(std::uint8_t seat);
    void ArmSettingsDeadline();

    // Tells the others how long a dropped seat has left, now and every
    // little while until it is back or the game is over.
    void DropNotice(std::uint8_t seat, int leftMs);

    void PokeBots();
    // Computer players, and dropped seats while their game runs.
    bool RoomMovesFor(std::uint8_t seat) const;
    // Between games: every person in a seat has raised a hand.
    bool PeopleReady() const;
    bool BotHasWork(std::uint8_t seat) const;
    void BotAct(std::uint8_t seat);
    // The strong level, in table_bots.cpp.
    void BotActStrong(std::uint8_t seat);
    void StartThinking(std::uint8_t seat);
    void ForgetThought(std::uint8_t seat);
    void ForgetThoughts();
    TimerId Schedule(int ms, std::function<void()> fn);
    void CancelTimer(TimerId& timer);

    int number_;
    TableOptions options_;
    TableHost& host_;
    std::array<std::optional<Member>, 4> seats_;
    std::vector<Member> spectators_;
    std::string owner_;
    bool settingsDone_ = false;
    std::int32_t stake_;
    std::int32_t penalty_;
    std::optional<engine::Game> game_;
    FinishedGame record_;
    std::chrono::steady_clock::time_point dealtAt_;
    int gamesPlayed_ = 0;
    bool quiet_ = false;  // a showing just ended or a trick was just won
    TimerId showingTimer_ = 0;
    TimerId turnTimer_ = 0;
    TimerId clockTimer_ = 0;
    bool clockOut_ = false;
    TimerId settingsTimer_ = 0;
    TimerId followTimer_ = 0;
    std::array<TimerId, 4> dropTimers_{};
    std::array<TimerId, 4> noticeTimers_{};
    std::uint64_t drops_ = 0;
    // A computer player's next move, or the room's for a dropped seat.
    std::array<TimerId, 4> botTimers_{};

    // A strong computer player's decision, thought out off the room's
    // thread while its pause runs.
    struct Thought {
        ThinkId id = 0;              // still thinking
        int game = 0;                // the game and the question it answers
        std::size_t events = 0;
        engine::Ask ask = engine::Ask::Nothing;
        std::optional<engine::Decision> ready;
        bool waiting = false;        // the pause is over: act when it comes
        TimerId late = 0;            // acts without it
    };
    std::shared_ptr<const engine::Player> strong_;  // null at the basic level
    std::shared_ptr<const engine::Player> basic_;
    std::array<Thought, 4> thoughts_{};
    engine::DealRng thinkSeeds_;
};

}  // namespace redten::room
