#include "lobby/room_listing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace redten::lobby {
namespace {

// The largest document a lobby reads; a room's is a few dozen KiB.
constexpr qsizetype kMaxDocument = 4 * 1024 * 1024;

std::optional<QJsonObject> Document(const QByteArray& json) {
    if (json.size() > kMaxDocument) {
        return std::nullopt;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isObject() || doc.object().value(QLatin1String("version")).toInt() != 1) {
        return std::nullopt;
    }
    return doc.object();
}

QString Name(const QJsonValue& v) { return v.toString().left(kMaxName); }

int Count(const QJsonValue& v) { return static_cast<int>(std::clamp(v.toDouble(), -1e9, 1e9)); }

Totals TotalsOf(const QJsonObject& o) {
    Totals t;
    t.name = Name(o.value(QLatin1String("name")));
    t.computer = o.value(QLatin1String("computer")).toBool();
    t.points = Count(o.value(QLatin1String("points")));
    t.games = Count(o.value(QLatin1String("games")));
    t.wins = Count(o.value(QLatin1String("wins")));
    t.losses = Count(o.value(QLatin1String("losses")));
    t.draws = Count(o.value(QLatin1String("draws")));
    t.escapes = Count(o.value(QLatin1String("escapes")));
    return t;
}

}  // namespace

std::optional<RoomTables> ReadTables(const QByteArray& json) {
    const auto root = Document(json);
    if (!root) {
        return std::nullopt;
    }
    RoomTables room;
    room.people = std::max(Count(root->value(QLatin1String("people"))), 0);
    for (const QJsonValue& t : root->value(QLatin1String("tables")).toArray()) {
        if (static_cast<int>(room.tables.size()) >= kMaxTables) {
            break;
        }
        const QJsonObject o = t.toObject();
        LiveTable table;
        table.number = Count(o.value(QLatin1String("number")));
        if (table.number < 1) {
            continue;
        }
        table.playing = o.value(QLatin1String("state")).toString() == QLatin1String("playing");
        const QJsonArray seats = o.value(QLatin1String("seats")).toArray();
        for (qsizetype s = 0; s < std::min<qsizetype>(seats.size(), 4); ++s) {
            const QJsonObject seat = seats[s].toObject();
            Chair& chair = table.chairs[static_cast<std::size_t>(s)];
            chair.name = Name(seat.value(QLatin1String("name")));
            chair.computer = seat.value(QLatin1String("computer")).toBool();
            chair.level = seat.value(QLatin1String("level")).toString().left(16);
        }
        for (const QJsonValue& w : o.value(QLatin1String("watchers")).toArray()) {
            if (static_cast<int>(table.watchers.size()) < kMaxWatchers) {
                table.watchers.push_back(Name(w));
            }
        }
        room.tables.push_back(std::move(table));
    }
    std::sort(room.tables.begin(), room.tables.end(),
              [](const LiveTable& a, const LiveTable& b) { return a.number < b.number; });
    return room;
}

std::optional<std::vector<Totals>> ReadStandings(const QByteArray& json) {
    const auto root = Document(json);
    if (!root) {
        return std::nullopt;
    }
    std::vector<Totals> out;
    for (const QJsonValue& s : root->value(QLatin1String("standings")).toArray()) {
        if (static_cast<int>(out.size()) >= kMaxRows) {
            break;
        }
        out.push_back(TotalsOf(s.toObject()));
    }
    return out;
}

std::optional<PersonRecords> ReadPerson(const QByteArray& json) {
    const auto root = Document(json);
    if (!root) {
        return std::nullopt;
    }
    PersonRecords out;
    out.person = TotalsOf(root->value(QLatin1String("person")).toObject());
    for (const QJsonValue& g : root->value(QLatin1String("games")).toArray()) {
        if (static_cast<int>(out.games.size()) >= kMaxRows) {
            break;
        }
        const QJsonObject o = g.toObject();
        GameLine line;
        line.id = static_cast<std::int64_t>(std::clamp(o.value(QLatin1String("id")).toDouble(), 0.0, 9e15));
        if (line.id < 1) {
            continue;
        }
        line.finishedAt = o.value(QLatin1String("finishedAt")).toString().left(32);
        const QJsonArray players = o.value(QLatin1String("players")).toArray();
        const QJsonArray scores = o.value(QLatin1String("scores")).toArray();
        for (qsizetype s = 0; s < 4; ++s) {
            line.players[static_cast<std::size_t>(s)] = Name(players.at(s));
            line.scores[static_cast<std::size_t>(s)] = Count(scores.at(s));
        }
        out.games.push_back(std::move(line));
    }
    return out;
}

QString LevelText(const QString& level) {
    if (level == QLatin1String("expert")) {
        return QStringLiteral("大师");
    }
    return level == QLatin1String("strong") ? QStringLiteral("高手") : QStringLiteral("新手");
}

}  // namespace redten::lobby
