#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "table_host.h"

namespace redten::room {

// The room's memory: every person's record and every finished game, in
// SQLite. ":memory:" keeps it for the life of the process only.
class Store {
public:
    Store();
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // False with a reason when the file cannot be opened or set up.
    // busyWaitMs: how long a statement waits for another's lock on the file.
    bool Open(const QString& path, QString& error, int busyWaitMs = kBusyWaitMs);

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
    std::size_t Backlog() const { return backlog_.size(); }
    // -1 when they could not be counted.
    std::int64_t CountGames();

    static constexpr int kBusyWaitMs = 20;

    // The store's connection, for the records' read queries (records.h);
    // only on the store's own thread.
    QSqlDatabase Database() const;

private:
    struct Pending {
        FinishedGame game;
        QString finishedAt;
    };
    bool SavePerson(const PersonRecord& person);
    std::int64_t WriteGame(const Pending& pending);
    std::nullopt_t Failed(const std::string& purpose, const QSqlQuery& q);
    std::nullopt_t Failed(const std::string& purpose, const QSqlDatabase& db);
    std::nullopt_t Failed(const std::string& purpose, const QString& error);

    QString connection_;
    std::function<void(const std::string&)> warn_;
    std::deque<Pending> backlog_;
    std::int64_t lastStored_ = 0;
};

// The text forms games are stored in, readable and replayable.
std::string CardsText(const CardList& cards);
std::string PlaysText(const FinishedGame& game);
// "p2.0@5300;…": each step's kind (a answer, s showing over, p play,
// x escape), seat, value and milliseconds since the deal.
std::string StepsText(const std::vector<GameStep>& steps);

}  // namespace redten::room
