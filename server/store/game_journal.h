#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/tables/table_host.h"

namespace redten::room {

// Finished games the records could not take before the room stopped, kept in
// a file until the next start writes them: one JSON object per line, in the
// order the games ended. Each carries its game key, so a game written twice
// (the room stopped again before the journal was cleared) counts once.
struct JournalEntry {
    FinishedGame game;
    QString finishedAt;
    QString key;
};

QByteArray JournalLine(const JournalEntry& entry);
// Nothing for a line that is not a whole, sound entry.
std::optional<JournalEntry> ParseJournalLine(const QByteArray& line);

class GameJournal {
public:
    // A journal beside a database file, or in the data folder for a
    // database server; none for records kept in memory.
    static QString PathFor(const QString& where);

    explicit GameJournal(QString path) : path_(std::move(path)) {}
    const QString& Path() const { return path_; }

    // Appends the entries and waits until they are on the disk.
    bool Append(const std::vector<JournalEntry>& entries, QString& error);
    // Every sound entry in order; a damaged line is told to damaged (its
    // number, from 1) and skipped.
    std::vector<JournalEntry> Read(const std::function<void(std::size_t line)>& damaged);
    // Once the games read are written: removed, or kept aside as
    // NAME.damaged-TIME when it had lines that could not be read, for
    // someone to look at. A journal another room has added to since it was read stays.
    void Clear(bool hadDamage);

    // A journal larger than this is not ours.
    static constexpr qint64 kMaxBytes = 256ll << 20;

private:
    QString path_;
    qint64 readBytes_ = -1;
};

}  // namespace redten::room
