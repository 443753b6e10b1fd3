#include "server/store/store.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <QVariant>

#include <algorithm>
#include <array>
#include <atomic>
#include <iostream>
#include <set>

namespace redten::room {
namespace {

QSqlDatabase Db(const QString& name) { return QSqlDatabase::database(name, false); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

int PortraitOf(std::int32_t userId, bool computer) {
    return (computer ? kComputerPortraits : kPersonPortraits) + userId % 12;
}

}  // namespace

PersonRow PersonRowOf(const QSqlQuery& q) {
    PersonRow row;
    PersonRecord& p = row.record;
    p.name = q.value(0).toString().toStdString();
    p.userId = q.value(1).toInt();
    row.computer = q.value(2).toInt() != 0;
    p.points = q.value(3).toInt();
    p.games = q.value(4).toInt();
    p.wins = q.value(5).toInt();
    p.losses = q.value(6).toInt();
    p.draws = q.value(7).toInt();
    p.escapes = q.value(8).toInt();
    p.portrait = q.value(9).toInt();
    if (row.computer) {
        // Rows stored before computer players had a kind of their own.
        p.portrait = PortraitOf(p.userId, true);
    }
    return row;
}

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
    origin_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
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

bool Store::IsPostgres(const QString& where) {
    return where.startsWith(QLatin1String("postgresql://")) ||
           where.startsWith(QLatin1String("postgres://"));
}

bool Store::Open(const QString& where, QString& error, int busyWaitMs, bool setUp) {
    dialect_ = IsPostgres(where) ? Dialect::Postgres() : Dialect::Sqlite();
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect_.driver, connection_);
    if (!db.isValid()) {
        error = QStringLiteral("this system lacks Qt's %1 driver").arg(dialect_.driver);
        return false;
    }
    if (dialect_.postgres) {
        const QUrl url(where, QUrl::StrictMode);
        const QString name = url.path().mid(1);
        if (!url.isValid() || url.host().isEmpty() || name.isEmpty() ||
            name.contains(QLatin1Char('/'))) {
            error = QStringLiteral("a database address is postgresql://user@host:port/dbname");
            return false;
        }
        if (!url.password().isEmpty()) {
            // Command lines are visible to everyone on the machine.
            error =
                QStringLiteral("the password goes in PGPASSWORD or ~/.pgpass, not in the address");
            return false;
        }
        // TLS is the one thing an address may ask for besides where.
        const QUrlQuery query(url);
        const QString sslMode = query.queryItemValue(QStringLiteral("sslmode"));
        if (query.queryItems().size() > (sslMode.isEmpty() ? 0 : 1) ||
            sslMode.contains(QRegularExpression(QStringLiteral("[^a-z-]")))) {
            error = QStringLiteral("the only setting a database address takes is ?sslmode=MODE");
            return false;
        }
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setDatabaseName(name);
        // A database that vanishes costs the store's thread seconds, not
        // forever: connecting, and each statement, are bounded.
        db.setConnectOptions(
            QStringLiteral("connect_timeout=%1;tcp_user_timeout=%2;application_name=redten-room")
                .arg(kConnectSeconds)
                .arg(kStatementMs) +
            (sslMode.isEmpty() ? QString() : QStringLiteral(";sslmode=") + sslMode));
    } else {
        db.setDatabaseName(where);
        // A locked file fails a statement soon rather than holding the room;
        // what could not be written waits in the backlog and is tried again.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMs));
    }
    if (!db.open()) {
        error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    for (const QString& statement : dialect_.session) {
        if (!q.exec(statement)) {
            error = q.lastError().text();
            return false;
        }
    }
    if (!setUp) {
        return true;
    }
    if (!Migrate(db, dialect_, error)) {
        return false;
    }
    if (const QString journal = GameJournal::PathFor(where); !journal.isEmpty()) {
        journal_.emplace(journal);
        TakeJournal();
    }
    return true;
}

void Store::TakeJournal() {
    const QString path = journal_->Path();
    std::vector<JournalEntry> entries = journal_->Read([&](std::size_t line) {
        journalDamaged_ = true;
        std::cerr << "redten-room: records: line " << line << " of the journal " << path.toStdString()
                  << " is damaged and skipped" << std::endl;
    });
    if (entries.empty() && !journalDamaged_) {
        return;
    }
    journalTaken_ = true;
    std::cerr << "redten-room: records: " << entries.size() << " finished games from the journal "
              << path.toStdString() << " are written now" << std::endl;
    for (JournalEntry& entry : entries) {
        backlog_.push_back({std::move(entry.game), entry.finishedAt, entry.key, true});
    }
    RetryBacklog();
}

bool Store::KeepBacklogInJournal(QString& why) {
    if (!journal_) {
        why = QStringLiteral("the records are not in a file and have no journal");
        return false;
    }
    // The journal still holds the games it gave: only the newer ones go in.
    std::vector<JournalEntry> entries;
    for (const Pending& p : backlog_) {
        if (!p.journaled) {
            entries.push_back({p.game, p.finishedAt, p.key});
        }
    }
    return entries.empty() || journal_->Append(entries, why);
}

bool Store::Ready() {
    if (!broken_) {
        return true;
    }
    // A database that is away is asked again once a second, not by every
    // request that comes meanwhile: those fail at once.
    if (lastConnect_.isValid() && !lastConnect_.hasExpired(kReconnectMs)) {
        return false;
    }
    lastConnect_.start();
    QSqlDatabase db = Db(connection_);
    db.close();
    if (!db.open()) {
        Failed("connecting to the records", db);
        return false;
    }
    QSqlQuery q(db);
    for (const QString& statement : dialect_.session) {
        if (!q.exec(statement)) {
            Failed("setting up the connection to the records", q);
            return false;
        }
    }
    broken_ = false;
    if (warn_) {
        warn_("connected to the records again");
    }
    return true;
}

Store::SecretLookup Store::SecretOf(const std::string& name) {
    SecretLookup found;
    if (!Ready()) {
        return found;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("SELECT secret FROM people WHERE name = ?"));
    q.addBindValue(Q(name));
    if (!q.exec()) {
        Failed("reading the secret of " + name, q);
        return found;
    }
    found.ok = true;
    if (q.next() && !q.value(0).isNull()) {
        found.hash = q.value(0).toString().toStdString();
    }
    return found;
}

bool Store::SaveReview(std::int64_t game, const std::string& review) {
    if (!Ready()) {
        return false;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("UPDATE games SET review = ? WHERE id = ?"));
    q.addBindValue(Q(review));
    q.addBindValue(static_cast<qlonglong>(game));
    if (!q.exec()) {
        Failed("keeping the review of game " + std::to_string(game), q);
        return false;
    }
    return true;
}

bool Store::SetSecret(const std::string& name, const std::string& hash) {
    if (!Ready()) {
        return false;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("UPDATE people SET secret = ? WHERE name = ? AND secret IS NULL"));
    q.addBindValue(Q(hash));
    q.addBindValue(Q(name));
    if (!q.exec()) {
        Failed("keeping the secret of " + name, q);
        return false;
    }
    return true;
}

bool Store::InsertPerson(const std::string& name, bool computer) {
    QSqlDatabase db = Db(connection_);
    QSqlQuery next(db);
    if ((!dialect_.bumpUserId.isEmpty() && !next.exec(dialect_.bumpUserId)) ||
        !next.exec(dialect_.nextUserId) || !next.next()) {
        Failed("numbering the record of " + name, next);
        return false;
    }
    const std::int32_t userId = next.value(0).toInt();
    // Another room may make the same computer player at the same moment:
    // then its row stands.
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral("INSERT INTO people (name, user_id, computer, portrait) VALUES (?, ?, ?, ?)"
                       " ON CONFLICT (name) DO NOTHING"));
    insert.addBindValue(Q(name));
    insert.addBindValue(userId);
    insert.addBindValue(computer ? 1 : 0);
    insert.addBindValue(PortraitOf(userId, computer));
    if (!insert.exec()) {
        Failed("creating the record of " + name, insert);
        return false;
    }
    return true;
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
    if (const auto spilled = spilledRecords_.find(name); spilled != spilledRecords_.end()) {
        return spilled->second;
    }
    if (!Ready()) {
        return std::nullopt;
    }
    const PersonLookup before = FindPerson(name);
    if (!before.ok || before.person) {
        return before.person;
    }
    QSqlDatabase db = Db(connection_);
    // The number and the row come together or not at all.
    if (!db.transaction()) {
        return Failed("starting the record of " + name, db);
    }
    if (!InsertPerson(name, computer)) {
        db.rollback();
        return std::nullopt;
    }
    if (!db.commit()) {
        Failed("creating the record of " + name, db);
        db.rollback();
        return std::nullopt;
    }
    return FindPerson(name).person;
}

Store::PersonLookup Store::FindPerson(const std::string& name) {
    PersonLookup found;
    if (!Ready()) {
        return found;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("SELECT %1 FROM people WHERE name = ?").arg(QLatin1String(kPersonColumns)));
    q.addBindValue(Q(name));
    if (!q.exec()) {
        // Not a new person: a person we could not read.
        Failed("reading the record of " + name, q);
        return found;
    }
    found.ok = true;
    if (!q.next()) {
        return found;
    }
    found.person = PersonRowOf(q).record;
    return found;
}

bool Store::AddToPerson(const std::string& name, const PersonRecord& change, bool computer) {
    // Relative: two rooms finishing games of the same person at once both
    // count, whatever each had read of the totals.
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral(
        "UPDATE people SET points = points + ?, games = games + ?, wins = wins + ?, "
        "losses = losses + ?, draws = draws + ?, escapes = escapes + ? WHERE name = ?"));
    for (const QVariant& v :
         {QVariant(change.points), QVariant(change.games), QVariant(change.wins),
          QVariant(change.losses), QVariant(change.draws), QVariant(change.escapes),
          QVariant(Q(name))}) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        Failed("storing the record of " + name, q);
        return false;
    }
    if (q.numRowsAffected() > 0) {
        return true;
    }
    // A computer player seated while the records were out of reach has no
    // row yet: it is made now, and the game counts once.
    if (!InsertPerson(name, computer) || !q.exec()) {
        Failed("storing the record of " + name, q);
        return false;
    }
    return true;
}

std::int64_t Store::SaveGame(const FinishedGame& game) {
    const bool waiting = Backlog() > 0;
    backlog_.push_back({game, QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                        origin_ + QLatin1Char('-') + QString::number(++nextKey_)});
    if (waiting) {
        if (backlog_.size() >= spillAt_ && journal_) {
            SpillBacklog();
        }
        return 0;
    }
    const std::size_t before = backlog_.size();
    RetryBacklog();
    return backlog_.size() < before ? lastStored_ : 0;
}

bool Store::SpillBacklog() {
    QString error;
    if (!KeepBacklogInJournal(error)) {
        if (warn_) {
            warn_("keeping the waiting games in the journal failed: " + error.toStdString());
        }
        return false;
    }
    // The oldest game stays at hand too: writing it tells whether the
    // records are back before the journal is read at all.
    if (!probe_) {
        probe_ = backlog_.front();
    }
    // The players' newest records stay at hand, as the games held them.
    for (const Pending& p : backlog_) {
        for (const PersonRecord& record : p.game.records) {
            if (!record.name.empty()) {
                spilledRecords_[record.name] = record;
            }
        }
    }
    spilled_ += backlog_.size();
    backlog_.clear();
    return true;
}

bool Store::WriteSpilled() {
    if (probe_ && WriteGame(*probe_) == 0) {
        return false;
    }
    bool damaged = false;
    const std::vector<JournalEntry> entries = journal_->Read([&](std::size_t line) {
        damaged = true;
        if (warn_) {
            warn_("line " + std::to_string(line) + " of the journal is damaged and skipped");
        }
    });
    // A game written at an earlier try is found by its key and counts once.
    for (const JournalEntry& entry : entries) {
        const std::int64_t id = WriteGame({entry.game, entry.finishedAt, entry.key, true});
        if (id == 0) {
            return false;
        }
        lastStored_ = id;
    }
    spilled_ = 0;
    spilledRecords_.clear();
    probe_.reset();
    journalTaken_ = true;
    journalDamaged_ = journalDamaged_ || damaged;
    return true;
}

bool Store::RetryBacklog() {
    // In order: a later game's records are newer than an earlier one's, and
    // the journal's games are older than those in memory.
    if (spilled_ > 0 && !WriteSpilled()) {
        return false;
    }
    while (!backlog_.empty()) {
        const std::int64_t id = WriteGame(backlog_.front());
        if (id == 0) {
            return false;
        }
        lastStored_ = id;
        backlog_.pop_front();
    }
    if (journalTaken_) {
        journal_->Clear(journalDamaged_);
        journalTaken_ = journalDamaged_ = false;
    }
    return true;
}

std::int64_t Store::WriteGame(const Pending& pending) {
    const FinishedGame& g = pending.game;
    const std::string what = "a game of table " + std::to_string(g.tableNo);
    if (!Ready()) {
        return 0;
    }
    QSqlDatabase db = Db(connection_);
    if (!db.transaction()) {
        Failed("starting to store " + what, db);
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
    // A game whose commit went unanswered may be in already: its key finds
    // it, and nobody's totals count it twice.
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
        "INSERT INTO games (table_no, finished_at, players, deal, shown, plays, scores, places,"
        " winner, escaped_seat, stake, abandoned, timeline, game_key)"
        " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
        " ON CONFLICT (game_key) DO NOTHING RETURNING id"));
    for (const QVariant& v :
         {QVariant(g.tableNo), QVariant(pending.finishedAt), QVariant(Q(players)),
          QVariant(Q(deal)), QVariant(Q(shown)), QVariant(Q(PlaysText(g))), QVariant(Q(scores)),
          QVariant(Q(places)), QVariant(g.winner), QVariant(g.escapedSeat), QVariant(g.stake),
          QVariant(g.abandoned ? 1 : 0), QVariant(Q(StepsText(g.steps))), QVariant(pending.key)}) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        Failed("storing " + what, q);
        db.rollback();
        return 0;
    }
    std::int64_t id = 0;
    if (q.next()) {
        id = q.value(0).toLongLong();
        q.finish();
        // Always in the order of the names: two rooms storing games of the
        // same people at once then wait for each other, never deadlock.
        std::array<std::size_t, 4> order{0, 1, 2, 3};
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return g.records[a].name < g.records[b].name;
        });
        for (const std::size_t s : order) {
            if (!g.abandoned && !g.records[s].name.empty() &&
                !AddToPerson(g.records[s].name, g.changes[s], IsComputerPortrait(g.records[s].portrait))) {
                db.rollback();
                return 0;
            }
        }
    } else {
        q.finish();
        QSqlQuery stored(db);
        stored.prepare(QStringLiteral("SELECT id FROM games WHERE game_key = ?"));
        stored.addBindValue(pending.key);
        if (!stored.exec() || !stored.next()) {
            Failed("finding " + what, stored);
            db.rollback();
            return 0;
        }
        id = stored.value(0).toLongLong();
    }
    if (!db.commit()) {
        Failed("storing " + what, db);
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
    // A server's connection may have gone with the statement: it is made
    // again before the next one. (A file's connection cannot go.)
    broken_ = dialect_.postgres;
    if (warn_) {
        warn_(purpose + " failed: " + error.toStdString());
    }
    return std::nullopt;
}

std::int64_t Store::CountGames() {
    if (!Ready()) {
        return -1;
    }
    QSqlQuery q(Db(connection_));
    if (q.exec(QStringLiteral("SELECT COUNT(*) FROM games")) && q.next()) {
        return q.value(0).toLongLong();
    }
    Failed("counting the games", q);
    return -1;
}

}  // namespace redten::room
