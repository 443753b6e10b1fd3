#include "store.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace redten::room {
namespace {

QSqlDatabase Db(const QString& name) { return QSqlDatabase::database(name, false); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Portrait numbers: the thousands are the member kind the tables show.
constexpr int kPersonPortraits = 1000;    // ordinary members
constexpr int kComputerPortraits = 5000;  // computer players

int PortraitOf(std::int32_t userId, bool computer) {
    return (computer ? kComputerPortraits : kPersonPortraits) + userId % 12;
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

std::string CardsText(const CardList& cards) {
    std::string text;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        text += (i ? "," : "") + std::to_string(cards[i]);
    }
    return text;
}

std::string PlaysText(const FinishedGame& game) {
    std::string text;
    for (const auto& [seat, cards] : game.plays) {
        text += (text.empty() ? "" : ";") + std::to_string(seat) + ":" + CardsText(cards);
    }
    return text;
}

std::string StepsText(const std::vector<GameStep>& steps) {
    std::string text;
    for (const GameStep& step : steps) {
        static constexpr char kKinds[] = {'a', 's', 'p', 'x'};
        text += (text.empty() ? "" : ";") + std::string(1, kKinds[static_cast<int>(step.kind)]) +
                std::to_string(step.seat) + "." + std::to_string(step.value) + "@" +
                std::to_string(step.ms);
    }
    return text;
}

QSqlDatabase Store::Database() const {
    return Db(connection_);
}

Store::Store() {
    // Stores are made on their own threads.
    static std::atomic<int> counter = 0;
    connection_ = QStringLiteral("redten-store-%1").arg(++counter);
}

Store::~Store() {
    {
        QSqlDatabase db = Db(connection_);
        if (db.isValid()) {
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool Store::Open(const QString& path, QString& error, int busyWaitMs) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path);
    // A locked file fails a statement soon rather than holding the room;
    // what could not be written waits in the backlog and is tried again.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMs));
    if (!db.open()) {
        error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    // Readers never wait for the writer, and a finished game costs one sync
    // of the log rather than two of the file. (":memory:" keeps its own.)
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
        error = q.lastError().text();
        return false;
    }
    const char* schema[] = {
        "CREATE TABLE IF NOT EXISTS people ("
        " name TEXT PRIMARY KEY, user_id INTEGER NOT NULL, computer INTEGER NOT NULL,"
        " points INTEGER NOT NULL DEFAULT 0, games INTEGER NOT NULL DEFAULT 0,"
        " wins INTEGER NOT NULL DEFAULT 0, losses INTEGER NOT NULL DEFAULT 0,"
        " draws INTEGER NOT NULL DEFAULT 0, escapes INTEGER NOT NULL DEFAULT 0,"
        " portrait INTEGER NOT NULL DEFAULT 0)",
        "CREATE TABLE IF NOT EXISTS games ("
        " id INTEGER PRIMARY KEY AUTOINCREMENT, table_no INTEGER, finished_at TEXT,"
        " players TEXT, deal TEXT, shown TEXT, plays TEXT, scores TEXT, places TEXT,"
        " winner INTEGER, escaped_seat INTEGER, stake INTEGER,"
        " abandoned INTEGER NOT NULL DEFAULT 0)",
    };
    const auto run = [&](const char* statement) {
        if (!q.exec(QString::fromLatin1(statement))) {
            error = q.lastError().text();
            return false;
        }
        return true;
    };
    for (const char* statement : schema) {
        if (!run(statement)) {
            return false;
        }
    }
    // Files written before games could be abandoned keep their rows and
    // gain the column.
    if (!HasColumn(db, QStringLiteral("games"), QStringLiteral("abandoned")) &&
        !run("ALTER TABLE games ADD COLUMN abandoned INTEGER NOT NULL DEFAULT 0")) {
        return false;
    }
    // User numbers come from a counter of their own, not from the largest
    // number in use (a scan of every person at every arrival); files from
    // before start it there once. The lookups by number get their index.
    for (const char* statement :
         {"CREATE TABLE IF NOT EXISTS counters (name TEXT PRIMARY KEY, value INTEGER NOT NULL)",
          "INSERT OR IGNORE INTO counters (name, value)"
          " SELECT 'user_id', COALESCE(MAX(user_id), 10000) FROM people",
          "CREATE INDEX IF NOT EXISTS people_by_user_id ON people (user_id)"}) {
        if (!run(statement)) {
            return false;
        }
    }
    // Files written before names could be claimed gain the secrets' column.
    if (!HasColumn(db, QStringLiteral("people"), QStringLiteral("secret")) &&
        !run("ALTER TABLE people ADD COLUMN secret TEXT")) {
        return false;
    }
    // Added for replays: what everybody saw and when (StepsText). Games
    // stored before it have none and are replayed at a steady pace. The
    // standings and a person's games are read by points and by name.
    if (!HasColumn(db, QStringLiteral("games"), QStringLiteral("timeline")) &&
        !run("ALTER TABLE games ADD COLUMN timeline TEXT")) {
        return false;
    }
    for (const char* statement :
         {"CREATE INDEX IF NOT EXISTS people_by_points ON people (points)"}) {
        if (!run(statement)) {
            return false;
        }
    }
    return true;
}

Store::SecretLookup Store::SecretOf(const std::string& name) {
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("SELECT secret FROM people WHERE name = ?"));
    q.addBindValue(Q(name));
    SecretLookup found;
    if (!q.exec()) {
        return found;
    }
    found.ok = true;
    if (q.next() && !q.value(0).isNull()) {
        found.hash = q.value(0).toString().toStdString();
    }
    return found;
}

bool Store::SetSecret(const std::string& name, const std::string& hash) {
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("UPDATE people SET secret = ? WHERE name = ? AND secret IS NULL"));
    q.addBindValue(Q(hash));
    q.addBindValue(Q(name));
    return q.exec();
}

std::optional<PersonRecord> Store::LoadOrCreate(const std::string& name, bool computer) {
    // A game still waiting to be written holds the newest record.
    for (auto it = backlog_.rbegin(); it != backlog_.rend(); ++it) {
        for (const PersonRecord& p : it->game.records) {
            if (p.name == name) {
                return p;
            }
        }
    }
    QSqlDatabase db = Db(connection_);
    PersonRecord p;
    p.name = name;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT user_id, points, games, wins, losses, draws, escapes, portrait, "
                             "computer FROM people WHERE name = ?"));
    q.addBindValue(Q(name));
    if (!q.exec()) {
        // Not a new person: a person we could not read.
        return Failed("reading the record of " + name, q);
    }
    if (q.next()) {
        p.userId = q.value(0).toInt();
        p.points = q.value(1).toInt();
        p.games = q.value(2).toInt();
        p.wins = q.value(3).toInt();
        p.losses = q.value(4).toInt();
        p.draws = q.value(5).toInt();
        p.escapes = q.value(6).toInt();
        p.portrait = q.value(7).toInt();
        if (q.value(8).toInt() != 0) {
            // Rows stored before computer players had a kind of their own.
            p.portrait = PortraitOf(p.userId, true);
        }
        return p;
    }
    // The number and the row come together or not at all.
    if (!db.transaction()) {
        return Failed("starting the record of " + name, db);
    }
    QSqlQuery next(db);
    if (!next.exec(QStringLiteral("UPDATE counters SET value = value + 1 WHERE name = 'user_id'")) ||
        !next.exec(QStringLiteral("SELECT value FROM counters WHERE name = 'user_id'")) || !next.next()) {
        db.rollback();
        return Failed("numbering the record of " + name, next);
    }
    p.userId = next.value(0).toInt();
    p.portrait = PortraitOf(p.userId, computer);
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO people (name, user_id, computer, portrait) VALUES (?, ?, ?, ?)"));
    insert.addBindValue(Q(name));
    insert.addBindValue(p.userId);
    insert.addBindValue(computer ? 1 : 0);
    insert.addBindValue(p.portrait);
    if (!insert.exec()) {
        db.rollback();
        return Failed("creating the record of " + name, insert);
    }
    if (!db.commit()) {
        db.rollback();
        return Failed("creating the record of " + name, db);
    }
    return p;
}

bool Store::SavePerson(const PersonRecord& p) {
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("UPDATE people SET points = ?, games = ?, wins = ?, losses = ?, "
                             "draws = ?, escapes = ? WHERE name = ?"));
    for (const QVariant& v : {QVariant(p.points), QVariant(p.games), QVariant(p.wins),
                              QVariant(p.losses), QVariant(p.draws), QVariant(p.escapes),
                              QVariant(Q(p.name))}) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        Failed("storing the record of " + p.name, q);
        return false;
    }
    return true;
}

std::int64_t Store::SaveGame(const FinishedGame& game) {
    const bool waiting = !backlog_.empty();
    backlog_.push_back({game, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    if (waiting) {
        return 0;
    }
    const std::size_t before = backlog_.size();
    RetryBacklog();
    return backlog_.size() < before ? lastStored_ : 0;
}

bool Store::RetryBacklog() {
    // In order: a later game's records are newer than an earlier one's.
    while (!backlog_.empty()) {
        const std::int64_t id = WriteGame(backlog_.front());
        if (id == 0) {
            return false;
        }
        lastStored_ = id;
        backlog_.pop_front();
    }
    return true;
}

std::int64_t Store::WriteGame(const Pending& pending) {
    const FinishedGame& g = pending.game;
    QSqlDatabase db = Db(connection_);
    if (!db.transaction()) {
        Failed("starting to store a game of table " + std::to_string(g.tableNo), db);
        return 0;
    }
    std::string players, deal, shown, scores, places;
    for (std::size_t s = 0; s < 4; ++s) {
        const char* sep = s ? ";" : "";
        players += sep + g.players[s];
        deal += sep + CardsText(g.dealt[s]);
        shown += sep + std::to_string(g.shown[s]);
        scores += sep + std::to_string(g.scores[s]);
        places += sep + std::to_string(g.places[s]);
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO games (table_no, finished_at, players, deal, shown, plays, scores, places,"
        " winner, escaped_seat, stake, abandoned, timeline)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const QVariant& v :
         {QVariant(g.tableNo), QVariant(pending.finishedAt), QVariant(Q(players)),
          QVariant(Q(deal)), QVariant(Q(shown)), QVariant(Q(PlaysText(g))), QVariant(Q(scores)),
          QVariant(Q(places)), QVariant(g.winner), QVariant(g.escapedSeat), QVariant(g.stake),
          QVariant(g.abandoned ? 1 : 0), QVariant(Q(StepsText(g.steps)))}) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        Failed("storing a game of table " + std::to_string(g.tableNo), q);
        db.rollback();
        return 0;
    }
    const std::int64_t id = q.lastInsertId().toLongLong();
    for (const PersonRecord& p : g.records) {
        if (!SavePerson(p)) {
            db.rollback();
            return 0;
        }
    }
    if (!db.commit()) {
        Failed("storing a game of table " + std::to_string(g.tableNo), db);
        db.rollback();
        return 0;
    }
    return id;
}

std::nullopt_t Store::Failed(const std::string& purpose, const QSqlQuery& q) {
    return Failed(purpose, q.lastError().text());
}

std::nullopt_t Store::Failed(const std::string& purpose, const QSqlDatabase& db) {
    return Failed(purpose, db.lastError().text());
}

std::nullopt_t Store::Failed(const std::string& purpose, const QString& error) {
    if (warn_) {
        warn_(purpose + " failed: " + error.toStdString());
    }
    return std::nullopt;
}

std::int64_t Store::CountGames() {
    QSqlQuery q(Db(connection_));
    if (q.exec(QStringLiteral("SELECT COUNT(*) FROM games")) && q.next()) {
        return q.value(0).toLongLong();
    }
    Failed("counting the games", q);
    return -1;
}

}  // namespace redten::room
