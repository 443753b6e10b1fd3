#pragma once

#include <QString>

#include <cstdint>
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
    bool Open(const QString& path, QString& error);

    // The person's record; a new one (with a fresh user number) when the
    // name has none yet.
    PersonRecord LoadOrCreate(const std::string& name, bool computer);
    void SavePerson(const PersonRecord& person);

    // The hash of a name's secret, when it has one. ok is false when the
    // records could not be read: that is not "no secret".
    struct SecretLookup {
        bool ok = false;
        std::optional<std::string> hash;
    };
    SecretLookup SecretOf(const std::string& name);
    // Keeps the hash for the name unless it has one already.
    bool SetSecret(const std::string& name, const std::string& hash);
    // Stores the game and its players' records; returns the game's number.
    std::int64_t SaveGame(const FinishedGame& game);
    std::int64_t CountGames();

private:
    QString connection_;
};

// The text forms games are stored in, readable and replayable.
std::string CardsText(const CardList& cards);
std::string PlaysText(const FinishedGame& game);

}  // namespace redten::room
