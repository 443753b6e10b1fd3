#include "server/store/game_journal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>

#include <unistd.h>

#include <algorithm>

#include "server/store/store.h"

namespace redten::room {

namespace {

// Bounds on what a line may hold: far above any real game.
constexpr int kMaxCards = 64;
constexpr int kMaxPlays = 2000;
constexpr int kMaxSteps = 4000;
constexpr int kMaxText = 512;

QJsonArray Cards(const CardList& cards) {
    QJsonArray out;
    for (const std::uint8_t c : cards) {
        out.append(c);
    }
    return out;
}

template <typename T, std::size_t N>
QJsonArray Numbers(const std::array<T, N>& values) {
    QJsonArray out;
    for (const T v : values) {
        out.append(static_cast<qint64>(v));
    }
    return out;
}

QJsonObject Person(const PersonRecord& p) {
    return {{"name", QString::fromStdString(p.name)}, {"userId", p.userId},   {"points", p.points},
            {"games", p.games},                       {"wins", p.wins},       {"losses", p.losses},
            {"draws", p.draws},                       {"escapes", p.escapes}, {"portrait", p.portrait}};
}

// Reading: every value checked for its kind and range.
struct Reader {
    bool ok = true;

    qint64 Int(const QJsonValue& v, qint64 low, qint64 high) {
        if (!v.isDouble()) {
            ok = false;
            return 0;
        }
        const double d = v.toDouble();
        if (d < static_cast<double>(low) || d > static_cast<double>(high) || d != static_cast<double>(qint64(d))) {
            ok = false;
            return 0;
        }
        return static_cast<qint64>(d);
    }
    // No control characters: a text the records refuse would hold up every
    // game behind it.
    std::string Text(const QJsonValue& v) {
        const QByteArray utf8 = v.toString().toUtf8();
        const bool control = std::any_of(utf8.begin(), utf8.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        if (!v.isString() || utf8.size() > kMaxText || control) {
            ok = false;
            return {};
        }
        return utf8.toStdString();
    }
    QJsonArray Array(const QJsonValue& v, qsizetype most, qsizetype exactly = -1) {
        const QJsonArray a = v.toArray();
        if (!v.isArray() || a.size() > most || (exactly >= 0 && a.size() != exactly)) {
            ok = false;
            return {};
        }
        return a;
    }
    CardList Cards(const QJsonValue& v) {
        CardList out;
        for (const QJsonValue& c : Array(v, kMaxCards)) {
            out.push_back(static_cast<std::uint8_t>(Int(c, 0, 255)));
        }
        return out;
    }
    template <typename T, std::size_t N>
    void Numbers(const QJsonValue& v, std::array<T, N>& out, qint64 low, qint64 high) {
        const QJsonArray a = Array(v, N, N);
        for (qsizetype i = 0; i < a.size(); ++i) {
            out[static_cast<std::size_t>(i)] = static_cast<T>(Int(a[i], low, high));
        }
    }
    PersonRecord Person(const QJsonValue& v) {
        const QJsonObject o = v.toObject();
        if (!v.isObject()) {
            ok = false;
        }
        constexpr qint64 kLow = INT32_MIN, kHigh = INT32_MAX;
        PersonRecord p;
        p.name = Text(o["name"]);
        p.userId = static_cast<std::int32_t>(Int(o["userId"], kLow, kHigh));
        p.points = static_cast<std::int32_t>(Int(o["points"], kLow, kHigh));
        p.games = static_cast<std::int32_t>(Int(o["games"], kLow, kHigh));
        p.wins = static_cast<std::int32_t>(Int(o["wins"], kLow, kHigh));
        p.losses = static_cast<std::int32_t>(Int(o["losses"], kLow, kHigh));
        p.draws = static_cast<std::int32_t>(Int(o["draws"], kLow, kHigh));
        p.escapes = static_cast<std::int32_t>(Int(o["escapes"], kLow, kHigh));
        p.portrait = static_cast<std::int32_t>(Int(o["portrait"], kLow, kHigh));
        return p;
    }
};

}  // namespace

QByteArray JournalLine(const JournalEntry& entry) {
    const FinishedGame& g = entry.game;
    QJsonArray players, dealt, remaining, records, changes, plays, steps, red;
    for (std::size_t s = 0; s < 4; ++s) {
        players.append(QString::fromStdString(g.players[s]));
        dealt.append(Cards(g.dealt[s]));
        remaining.append(Cards(g.remaining[s]));
        records.append(Person(g.records[s]));
        changes.append(Person(g.changes[s]));
        red.append(g.red[s]);
    }
    for (const auto& [seat, cards] : g.plays) {
        plays.append(QJsonArray{seat, Cards(cards)});
    }
    for (const GameStep& step : g.steps) {
        steps.append(QJsonArray{static_cast<int>(step.kind), step.seat, step.value, step.ms});
    }
    const QJsonObject o{{"version", 1},
                        {"key", entry.key},
                        {"finishedAt", entry.finishedAt},
                        {"table", g.tableNo},
                        {"players", players},
                        {"dealt", dealt},
                        {"plays", plays},
                        {"shown", Numbers(g.shown)},
                        {"red", red},
                        {"scores", Numbers(g.scores)},
                        {"remaining", remaining},
                        {"places", Numbers(g.places)},
                        {"winner", g.winner},
                        {"escapedSeat", g.escapedSeat},
                        {"abandoned", g.abandoned},
                        {"stake", g.stake},
                        {"records", records},
                        {"steps", steps},
                        {"changes", changes}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<JournalEntry> ParseJournalLine(const QByteArray& line) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    Reader r;
    JournalEntry entry;
    FinishedGame& g = entry.game;
    r.Int(o["version"], 1, 1);
    entry.key = QString::fromStdString(r.Text(o["key"]));
    entry.finishedAt = QString::fromStdString(r.Text(o["finishedAt"]));
    g.tableNo = static_cast<int>(r.Int(o["table"], 0, INT32_MAX));
    const QJsonArray players = r.Array(o["players"], 4, 4), dealt = r.Array(o["dealt"], 4, 4),
                     remaining = r.Array(o["remaining"], 4, 4), records = r.Array(o["records"], 4, 4),
                     changes = r.Array(o["changes"], 4, 4), red = r.Array(o["red"], 4, 4);
    for (std::size_t s = 0; s < 4 && r.ok; ++s) {
        const auto i = static_cast<qsizetype>(s);
        g.players[s] = r.Text(players[i]);
        g.dealt[s] = r.Cards(dealt[i]);
        g.remaining[s] = r.Cards(remaining[i]);
        g.records[s] = r.Person(records[i]);
        g.changes[s] = r.Person(changes[i]);
        g.red[s] = red[i].toBool();
    }
    for (const QJsonValue& play : r.Array(o["plays"], kMaxPlays)) {
        const QJsonArray pair = r.Array(play, 2, 2);
        if (r.ok) {
            g.plays.emplace_back(static_cast<std::uint8_t>(r.Int(pair[0], 0, 3)), r.Cards(pair[1]));
        }
    }
    for (const QJsonValue& step : r.Array(o["steps"], kMaxSteps)) {
        const QJsonArray s = r.Array(step, 4, 4);
        if (r.ok) {
            g.steps.push_back({static_cast<GameStep::Kind>(r.Int(s[0], 0, 3)),
                               static_cast<std::uint8_t>(r.Int(s[1], 0, 3)),
                               static_cast<std::uint8_t>(r.Int(s[2], 0, 255)),
                               static_cast<std::int32_t>(r.Int(s[3], 0, INT32_MAX))});
        }
    }
    r.Numbers(o["shown"], g.shown, 0, 255);
    r.Numbers(o["scores"], g.scores, INT32_MIN, INT32_MAX);
    r.Numbers(o["places"], g.places, 0, 255);
    g.winner = static_cast<int>(r.Int(o["winner"], -1, 1));
    g.escapedSeat = static_cast<int>(r.Int(o["escapedSeat"], -1, 3));
    g.abandoned = o["abandoned"].toBool();
    g.stake = static_cast<std::int32_t>(r.Int(o["stake"], INT32_MIN, INT32_MAX));
    if (!r.ok || entry.key.isEmpty()) {
        return std::nullopt;
    }
    return entry;
}

QString GameJournal::PathFor(const QString& where) {
    if (where.isEmpty() || where == QLatin1String(":memory:")) {
        return {};
    }
    if (!Store::IsPostgres(where)) {
        return where + QStringLiteral(".journal");
    }
    // One journal per database a room of this machine writes to.
    const QByteArray which = QCryptographicHash::hash(where.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) {
        data = QDir::tempPath();  // an account with no home folder
    }
    return data + QStringLiteral("/redten/records-") + QString::fromLatin1(which) + QStringLiteral(".journal");
}

bool GameJournal::Append(const std::vector<JournalEntry>& entries, QString& error) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    // Rooms of one machine sharing a database share its journal.
    QLockFile lock(path_ + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        error = QStringLiteral("the journal is locked by another room");
        return false;
    }
    QFile file(path_);
    if (!file.open(QIODevice::Append | QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    for (const JournalEntry& entry : entries) {
        if (file.write(JournalLine(entry) + '\n') < 0) {
            error = file.errorString();
            return false;
        }
    }
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        error = file.errorString();
        return false;
    }
    return true;
}

std::vector<JournalEntry> GameJournal::Read(const std::function<void(std::size_t)>& damaged) {
    std::vector<JournalEntry> entries;
    QLockFile lock(path_ + QStringLiteral(".lock"));
    if (!lock.tryLock(5000)) {
        return entries;
    }
    QFile file(path_);
    if (!file.exists() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxBytes) {
        if (file.exists() && file.size() > kMaxBytes) {
            damaged(0);
        }
        return entries;
    }
    std::size_t number = 0;
    while (!file.atEnd()) {
        ++number;
        const QByteArray line = file.readLine(kMaxBytes).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        if (auto entry = ParseJournalLine(line)) {
            entries.push_back(std::move(*entry));
        } else {
            damaged(number);
        }
    }
    readBytes_ = file.size();
    return entries;
}

void GameJournal::Clear(bool hadDamage) {
    QLockFile lock(path_ + QStringLiteral(".lock"));
    if (!lock.tryLock(5000) || QFileInfo(path_).size() != readBytes_) {
        return;
    }
    if (hadDamage) {
        // Each damaged journal kept apart, for someone to read.
        QFile::rename(path_, path_ + QStringLiteral(".damaged-") +
                                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    } else {
        QFile::remove(path_);
    }
}

}  // namespace redten::room
