#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "server/store/game_journal.h"
#include "server/store/store.h"

namespace redten::room {
namespace {

FinishedGame GameOf(const std::array<std::string, 4>& names) {
    FinishedGame g;
    g.tableNo = 3;
    g.players = names;
    g.dealt[0] = {59, 72, 1};
    g.plays = {{0, {59, 72}}, {1, {254}}};
    g.steps = {{GameStep::Kind::Answer, 2, 1, 40}, {GameStep::Kind::Play, 0, 0, 900}};
    g.winner = 1;
    g.stake = 5;
    for (std::size_t s = 0; s < 4; ++s) {
        g.scores[s] = s % 2 ? -10 : 10;
        g.records[s].name = names[s];
        g.records[s].portrait = 1003;
        g.changes[s].points = g.scores[s];
        g.changes[s].games = 1;
        (s % 2 ? g.changes[s].losses : g.changes[s].wins) = 1;
    }
    return g;
}

TEST(GameJournal, ALineComesBackAsWrittenAndADamagedOneIsRefused) {
    const JournalEntry entry{GameOf({"甲", "乙", "丙", "丁"}), "2026-12-09T10:00:00Z", "room-7"};
    const QByteArray line = JournalLine(entry);
    const auto back = ParseJournalLine(line);
    ASSERT_TRUE(back);
    EXPECT_EQ(JournalLine(*back), line);
    EXPECT_EQ(back->game.plays, entry.game.plays);
    EXPECT_EQ(back->game.changes[1].losses, 1);

    EXPECT_FALSE(ParseJournalLine(line.left(line.size() / 2)));
    EXPECT_FALSE(ParseJournalLine("[]"));
    QByteArray tooManySeats = line;
    tooManySeats.replace("\"players\":[", "\"players\":[\"戊\",");
    EXPECT_FALSE(ParseJournalLine(tooManySeats));
    QByteArray badSeat = line;
    badSeat.replace("\"plays\":[[0,", "\"plays\":[[9,");
    EXPECT_FALSE(ParseJournalLine(badSeat));
}

int Count(const QString& file, const char* sql) {
    int value = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QString::fromUtf8(sql)) && q.next()) {
                value = q.value(0).toInt();
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return value;
}

// The room stops while its file is locked: the waiting games go to the
// journal, the next start writes them once, a damaged line is skipped and
// kept aside, and a game journaled twice still counts once.
TEST(GameJournal, GamesWaitingAtTheEndAreWrittenAtTheNextStartOnce) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("room.db"));
    const QString journal = GameJournal::PathFor(file);
    QString error;
    QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    locker.setDatabaseName(file);
    {
        Store stopping;
        ASSERT_TRUE(stopping.Open(file, error)) << error.toStdString();
        ASSERT_TRUE(locker.open());
        ASSERT_TRUE(QSqlQuery(locker).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        EXPECT_EQ(stopping.SaveGame(GameOf({"甲", "乙", "丙", "丁"})), 0);
        EXPECT_EQ(stopping.SaveGame(GameOf({"甲", "乙", "戊", "己"})), 0);
        ASSERT_TRUE(stopping.KeepBacklogInJournal(error)) << error.toStdString();
        ASSERT_TRUE(stopping.KeepBacklogInJournal(error));  // stopped twice before the file came back
    }
    ASSERT_TRUE(QSqlQuery(locker).exec(QStringLiteral("COMMIT")));
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    {
        QFile f(journal);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("{\"version\":1,\"key\":\"half a line\n");
    }

    {
        Store next;
        ASSERT_TRUE(next.Open(file, error)) << error.toStdString();
        EXPECT_EQ(next.Backlog(), 0u);
    }
    EXPECT_EQ(Count(file, "SELECT COUNT(*) FROM games"), 2);
    EXPECT_EQ(Count(file, "SELECT games FROM people WHERE name = '甲'"), 2);
    EXPECT_EQ(Count(file, "SELECT games FROM people WHERE name = '戊'"), 1);
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("room.db.journal.damaged-*")}).size(), 1);
}

}  // namespace
}  // namespace redten::room
