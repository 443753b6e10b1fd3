#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace redten::lobby {

// What a lobby shows of a room, read from the room's JSON documents
// (docs/protocol.md). Reading is bounded: a room may list at most
// kMaxTables tables and kMaxRows standings or games, names are cut to
// kMaxName characters, and anything past a bound or of the wrong kind is
// left out, never trusted.
constexpr int kMaxTables = 1000;
constexpr int kMaxRows = 200;
constexpr int kMaxName = 32;
constexpr int kMaxWatchers = 64;

struct Chair {
    QString name;  // empty: free
    bool computer = false;
    QString level;  // a computer player's: "basic", "strong" or "expert"
};

struct LiveTable {
    int number = 0;
    bool playing = false;
    std::array<Chair, 4> chairs;
    std::vector<QString> watchers;
};

struct RoomTables {
    int people = 0;
    std::vector<LiveTable> tables;
};

struct Totals {
    QString name;
    bool computer = false;
    int points = 0, games = 0, wins = 0, losses = 0, draws = 0, escapes = 0;
};

struct GameLine {
    std::int64_t id = 0;
    QString finishedAt;
    std::array<QString, 4> players;
    std::array<int, 4> scores{};
};

struct PersonRecords {
    Totals person;
    std::vector<GameLine> games;  // newest first
};

// Nothing when the document is not one of version 1.
std::optional<RoomTables> ReadTables(const QByteArray& json);
std::optional<std::vector<Totals>> ReadStandings(const QByteArray& json);
std::optional<PersonRecords> ReadPerson(const QByteArray& json);

// How a computer player's level is written for people.
QString LevelText(const QString& level);

}  // namespace redten::lobby
