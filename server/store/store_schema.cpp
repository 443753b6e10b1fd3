#include "server/store/store_schema.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <vector>

namespace redten::room {
namespace {

// Any number will do, as long as nothing else on the database takes it.
constexpr const char* kMigrationLockKey = "724710";

struct Column {
    const char* table;
    const char* name;
    const char* type;
};

struct Step {
    int version;
    QStringList statements;  // %ID% and %NOW% are the dialect's
    // Added where missing: files from before versions were kept may have
    // some of them already.
    std::vector<Column> columns = {};
};

std::vector<Step> Steps(const Dialect& d) {
    return {
        {1,
         {
             "CREATE TABLE IF NOT EXISTS people ("
             " name TEXT PRIMARY KEY, user_id INTEGER NOT NULL, computer INTEGER NOT NULL,"
             " points INTEGER NOT NULL DEFAULT 0, games INTEGER NOT NULL DEFAULT 0,"
             " wins INTEGER NOT NULL DEFAULT 0, losses INTEGER NOT NULL DEFAULT 0,"
             " draws INTEGER NOT NULL DEFAULT 0, escapes INTEGER NOT NULL DEFAULT 0,"
             " portrait INTEGER NOT NULL DEFAULT 0, secret TEXT)",
             "CREATE TABLE IF NOT EXISTS games ("
             " id %ID%, table_no INTEGER, finished_at TEXT,"
             " players TEXT, deal TEXT, shown TEXT, plays TEXT, scores TEXT, places TEXT,"
             " winner INTEGER, escaped_seat INTEGER, stake INTEGER,"
             " abandoned INTEGER NOT NULL DEFAULT 0)",
             // User numbers come from a counter of their own, not from the
             // largest number in use; files from before start it there once.
             "CREATE TABLE IF NOT EXISTS counters (name TEXT PRIMARY KEY, value INTEGER NOT NULL)",
             "INSERT INTO counters (name, value)"
             " SELECT 'user_id', COALESCE(MAX(user_id), 10000) FROM people WHERE 1 = 1"
             " ON CONFLICT (name) DO NOTHING",
             "CREATE INDEX IF NOT EXISTS people_by_user_id ON people (user_id)",
         },
         {{"games", "abandoned", "INTEGER NOT NULL DEFAULT 0"}, {"people", "secret", "TEXT"}}},
        {2,
         QStringList{
             // Which room holds a name, until when: a room renews its own,
             // and a crashed room's run out.
             "CREATE TABLE claims (name TEXT PRIMARY KEY, room TEXT NOT NULL,"
             " expires_at BIGINT NOT NULL)",
             "CREATE INDEX claims_by_room ON claims (room)",
             "CREATE TABLE rooms (id TEXT PRIMARY KEY, address TEXT NOT NULL,"
             " tables INTEGER NOT NULL, waiting_seats INTEGER NOT NULL,"
             " free_seats INTEGER NOT NULL, started_at BIGINT NOT NULL,"
             " heartbeat_at BIGINT NOT NULL)",
             // A game tried again after its commit went unanswered is not
             // stored twice.
             "ALTER TABLE games ADD COLUMN game_key TEXT",
             "CREATE UNIQUE INDEX games_by_key ON games (game_key)",
         } + d.alsoInVersion2},
        // Replays: what everybody saw and when. Games stored before it have
        // none and are replayed at a steady pace. The standings are read by
        // points.
        {3,
         {"CREATE INDEX IF NOT EXISTS people_by_points ON people (points)"},
         {{"games", "timeline", "TEXT"}}},
        // Reviews: every decision judged, written once the game is stored
        // and reviewed; games never reviewed have none.
        {4, {}, {{"games", "review", "TEXT"}}},
    };
}

bool HasColumn(QSqlDatabase& db, const QString& table, const QString& column) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table))) {
        return false;
    }
    while (q.next()) {
        if (q.value(1).toString() == column) {
            return true;
        }
    }
    return false;
}

}  // namespace

Dialect Dialect::Sqlite() {
    Dialect d;
    d.driver = QStringLiteral("QSQLITE");
    d.autoId = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    d.now = QStringLiteral("CAST(strftime('%s', 'now') AS INTEGER)");
    d.bumpUserId = QStringLiteral("UPDATE counters SET value = value + 1 WHERE name = 'user_id'");
    d.nextUserId = QStringLiteral("SELECT value FROM counters WHERE name = 'user_id'");
    // Readers never wait for the writer, and a finished game costs one
    // sync of the log rather than two of the file. (":memory:" keeps its own.)
    d.session = {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"};
    return d;
}

Dialect Dialect::Postgres() {
    Dialect d;
    d.postgres = true;
    d.shared = true;
    d.driver = QStringLiteral("QPSQL");
    d.autoId = QStringLiteral("BIGSERIAL PRIMARY KEY");
    d.now = QStringLiteral("CAST(EXTRACT(EPOCH FROM clock_timestamp()) AS BIGINT)");
    // A sequence never hands out a number twice and never waits for
    // another room's transaction.
    d.nextUserId = QStringLiteral("SELECT nextval('user_ids')");
    // A statement the server cannot finish in time fails rather than
    // holding the store's thread; the server's notices stay out of the log.
    d.session = {QStringLiteral("SET statement_timeout = %1").arg(kServerStatementMs),
                 QStringLiteral("SET client_min_messages = warning")};
    // Rooms starting together: the first migrates, the others wait for it
    // and then find nothing left to do.
    d.migrationLock =
        QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(QLatin1String(kMigrationLockKey));
    d.alsoInVersion2 = {
        "CREATE SEQUENCE user_ids",
        "SELECT setval('user_ids', (SELECT value FROM counters WHERE name = 'user_id'))",
    };
    return d;
}

bool Migrate(QSqlDatabase& db, const Dialect& dialect, QString& error) {
    if (!db.transaction()) {
        error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    const auto run = [&](const QString& statement) {
        QString sql = statement;
        sql.replace(QLatin1String("%ID%"), dialect.autoId)
            .replace(QLatin1String("%NOW%"), dialect.now);
        if (!q.exec(sql)) {
            error =
                q.lastError().text() + QStringLiteral(" (") + sql.left(80) + QStringLiteral(")");
            return false;
        }
        return true;
    };
    const auto fail = [&] {
        db.rollback();
        return false;
    };
    if ((!dialect.migrationLock.isEmpty() && !run(dialect.migrationLock)) ||
        !run(
            QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER PRIMARY KEY,"
                           " applied_at TEXT)")) ||
        !run(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next()) {
        return fail();
    }
    const int found = q.value(0).isNull() ? 0 : q.value(0).toInt();
    if (found > kSchemaVersion) {
        error = QStringLiteral(
                    "the records are at schema version %1, newer than the %2 this program "
                    "knows: run a newer redten-room")
                    .arg(found)
                    .arg(kSchemaVersion);
        return fail();
    }
    for (const Step& step : Steps(dialect)) {
        if (step.version <= found) {
            continue;
        }
        for (const QString& statement : step.statements) {
            if (!run(statement)) {
                return fail();
            }
        }
        for (const Column& c : step.columns) {
            const QString add = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2%3 %4")
                                    .arg(QLatin1String(c.table),
                                         dialect.postgres ? QStringLiteral("IF NOT EXISTS ") : QString(),
                                         QLatin1String(c.name), QLatin1String(c.type));
            const bool missing = dialect.postgres || !HasColumn(db, QLatin1String(c.table), QLatin1String(c.name));
            if (missing && !run(add)) {
                return fail();
            }
        }
        q.prepare(QStringLiteral("INSERT INTO schema_version (version, applied_at) VALUES (?, ?)"));
        q.addBindValue(step.version);
        q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        if (!q.exec()) {
            error = q.lastError().text();
            return fail();
        }
    }
    if (!db.commit()) {
        error = db.lastError().text();
        return fail();
    }
    return true;
}

}  // namespace redten::room
