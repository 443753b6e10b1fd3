#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "server/store/store_schema.h"
#include "server/store/game_journal.h"
#include "server/tables/table_host.h"

namespace redten::room {

// A room as the others see it in the shared records.
struct RoomEntry {
    std::string id;       // made afresh at every start
    std::string address;  // HOST:PORT where lobbies reach it
    int tables = 0;
    int waitingSeats = 0;  // free at tables that wait for people
    int freeSeats = 0;     // all it can still seat, new tables included
    std::int64_t age = 0;  // seconds since its last heartbeat, as read
};

// A person's row of the records: the record the tables show, and whether
// it is a computer player's.
struct PersonRow {
    PersonRecord record;
    bool computer = false;
};
// The columns of a person's row, in the order PersonRowOf reads them.
inline constexpr char kPersonColumns[] =
    "name, user_id, computer, points, games, wins, losses, draws, escapes, portrait";
// The row a query selected kPersonColumns for, from its current row.
PersonRow PersonRowOf(const QSqlQuery& q);

// The room's memory: every person's record and every finished game, in a
// SQLite file (":memory:" keeps it for the life of the process only) or in
// a PostgreSQL database that several rooms share.
class Store {
public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // False with a reason when the records cannot be opened or set up.
    // where: a file, ":memory:", or postgresql://user@host:port/dbname (the
    // password from PGPASSWORD or ~/.pgpass, never in the address).
    // busyWaitMs: how long a statement waits for another's lock on the file.
    // setUp false: only reads, as a lobby does; the schema is left alone.
    bool Open(const QString& where, QString& error, int busyWaitMs = kBusyWaitMs,
              bool setUp = true);
    static bool IsPostgres(const QString& where);

    // Where a statement failed, and why, for the log.
    void SetWarningSink(std::function<void(const std::string&)> warn) { warn_ = std::move(warn); }

    // The person's record; a new one (with a fresh user number) when the
    // name has none yet. Nothing when the records could not be read or the
    // new one could not be stored: never a blank record in place of a real one.
    std::optional<PersonRecord> LoadOrCreate(const std::string& name, bool computer);

    // The hash of a name's secret, when it has one. ok is false when the
    // records could not be read: that is not "no secret".
    struct SecretLookup {
        bool ok = false;
        std::optional<std::string> hash;
    };
    SecretLookup SecretOf(const std::string& name);
    // The person's record as it stands, making none: no person when the
    // name has no record; ok is false when the records could not be read.
    struct PersonLookup {
        bool ok = false;
        std::optional<PersonRecord> person;
    };
    PersonLookup FindPerson(const std::string& name);
    // Keeps the review (engine::ReviewText) of a stored game.
    bool SaveReview(std::int64_t game, const std::string& review);
    // Keeps the hash for the name unless it has one already.
    bool SetSecret(const std::string& name, const std::string& hash);
    // Stores the game and its players' records in one transaction; returns
    // the game's number, or 0 when it could not be written now: it then
    // waits, in order, in the backlog, and its records are what
    // LoadOrCreate gives for its players. Behind games that wait already
    // it only joins them: when the file is tried again is the back-off's
    // to say, not every finished game's.
    std::int64_t SaveGame(const FinishedGame& game);
    // Writes the waiting games, oldest first, as far as it can; true when
    // none is left.
    bool RetryBacklog();
    // Games waiting, in memory and in the journal.
    std::size_t Backlog() const { return backlog_.size() + spilled_; }
    // Games waiting in memory. Records in a file or on a server keep at
    // most spillAt of them: beyond that they go to the journal, in order,
    // and the room plays on; records kept in memory have no journal.
    std::size_t BacklogInMemory() const { return backlog_.size(); }
    static constexpr std::size_t kSpillAt = 100;
    void SetSpillAt(std::size_t games) { spillAt_ = std::max<std::size_t>(games, 1); }
    // Keeps what still waits in the journal, for the next start to write;
    // false (with why) when there is no journal or it cannot be written.
    bool KeepBacklogInJournal(QString& why);
    // The journal of these records; empty for records kept in memory.
    QString JournalPath() const { return journal_ ? journal_->Path() : QString(); }
    // -1 when they could not be counted.
    std::int64_t CountGames();

    // A name is at one table in one room at a time: the room takes it for
    // leaseSeconds, unless another room holds it and has kept renewing it.
    enum class Claim { Taken, HeldElsewhere, Failed };
    Claim ClaimName(const std::string& name, const std::string& room, int leaseSeconds);
    // The room's row and its names: renews the claims of names it still
    // has, takes the ones it has not claimed yet, and gives back the rest.
    bool Heartbeat(const RoomEntry& room, const std::vector<std::string>& names, int leaseSeconds);
    // Gives the name back if the room holds it.
    bool ReleaseName(const std::string& name, const std::string& room);
    // A room that closes: its row and its claims go.
    bool Unregister(const std::string& room);
    // Rooms heard from within goneSeconds; nothing when they cannot be read.
    std::optional<std::vector<RoomEntry>> LiveRooms(int goneSeconds);
    // Who holds a name now, if anyone, and for how many more seconds.
    std::optional<std::pair<std::string, std::int64_t>> ClaimOf(const std::string& name);

    // The store's connection, for the records' read queries (records.h);
    // only on the store's own thread.
    QSqlDatabase Database() const;

    static constexpr int kBusyWaitMs = 20;
    // A database server: how long connecting may take, and any statement.
    static constexpr int kConnectSeconds = 3;
    static constexpr int kStatementMs = kServerStatementMs;
    static constexpr int kReconnectMs = 1000;

private:
    struct Pending {
        FinishedGame game;
        QString finishedAt;
        QString key;  // the game's own, for this store's life
        bool journaled = false;  // read from the journal, which still holds it
    };
    // A lost connection to a database server is made again before the
    // next statement; false when it cannot be.
    bool Ready();
    QString Now() const { return dialect_.now; }
    bool AddToPerson(const std::string& name, const PersonRecord& change, bool computer);
    // Numbers and inserts a record, inside the caller's transaction; a row
    // already there (another room's) stands.
    bool InsertPerson(const std::string& name, bool computer);
    std::int64_t WriteGame(const Pending& pending);
    std::nullopt_t Failed(const std::string& purpose, const QSqlQuery& q);
    std::nullopt_t Failed(const std::string& purpose, const QSqlDatabase& db);
    std::nullopt_t Failed(const std::string& purpose, const QString& error);

    QString connection_;
    Dialect dialect_;
    bool broken_ = false;
    QElapsedTimer lastConnect_;
    QString origin_;  // the first part of each game's key
    std::uint64_t nextKey_ = 0;
    std::function<void(const std::string&)> warn_;
    std::deque<Pending> backlog_;
    std::int64_t lastStored_ = 0;
    // Games an earlier run left in the journal are part of the backlog until
    // written; then the journal is cleared.
    void TakeJournal();
    // The games waiting in memory go to the journal; false when it cannot
    // take them, and they stay.
    bool SpillBacklog();
    // Writes the games the journal holds and memory does not, oldest first;
    // true when every one is in.
    bool WriteSpilled();
    std::optional<GameJournal> journal_;
    std::size_t spilled_ = 0;  // games in the journal that memory does not hold
    // The newest record of each player of those games.
    std::unordered_map<std::string, PersonRecord> spilledRecords_;
    // The oldest of them, written first when the records may be back.
    std::optional<Pending> probe_;
    std::size_t spillAt_ = kSpillAt;
    bool journalTaken_ = false;
    bool journalDamaged_ = false;
};

// The text forms games are stored in, readable and replayable.
std::string CardsText(const CardList& cards);

// Portrait numbers: the thousands are the member kind the tables show.
constexpr int kPersonPortraits = 1000;    // ordinary members
constexpr int kComputerPortraits = 5000;  // computer players
// A computer player seated before its record could be read.
constexpr int kStandInComputerPortrait = kComputerPortraits;
constexpr bool IsComputerPortrait(int portrait) { return portrait / 1000 == kComputerPortraits / 1000; }
std::string PlaysText(const FinishedGame& game);
// "p2.0@5300;…": each step's kind (a answer, s showing over, p play,
// x escape), seat, value and milliseconds since the deal.
std::string StepsText(const std::vector<GameStep>& steps);

}  // namespace redten::room
