// Rooms sharing one database: each room's row and heartbeat, and the names
// a room holds so that a person plays in one room at a time.
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <set>

#include "server/store/store.h"

namespace redten::room {
namespace {

QSqlDatabase Db(const QString& name) { return QSqlDatabase::database(name, false); }

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

Store::Claim Store::ClaimName(const std::string& name, const std::string& room, int leaseSeconds) {
    if (!Ready()) {
        return Claim::Failed;
    }
    // Taken when free, when ours already, or when its holder stopped
    // renewing it: all in one statement, so two rooms never both win.
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("INSERT INTO claims (name, room, expires_at) VALUES (?, ?, %1 + ?)"
                             " ON CONFLICT (name) DO UPDATE SET room = excluded.room,"
                             " expires_at = excluded.expires_at"
                             " WHERE claims.room = excluded.room OR claims.expires_at < %1 OR %2")
                  .arg(Now(), dialect_.shared ? QStringLiteral("1 = 0") : QStringLiteral("1 = 1")));
    q.addBindValue(Q(name));
    q.addBindValue(Q(room));
    q.addBindValue(leaseSeconds);
    if (!q.exec()) {
        Failed("claiming " + name, q);
        return Claim::Failed;
    }
    return q.numRowsAffected() > 0 ? Claim::Taken : Claim::HeldElsewhere;
}

bool Store::Heartbeat(const RoomEntry& room, const std::vector<std::string>& names,
                      int leaseSeconds) {
    if (!Ready()) {
        return false;
    }
    QSqlDatabase db = Db(connection_);
    if (!db.transaction()) {
        Failed("starting the room's heartbeat", db);
        return false;
    }
    const auto fail = [&](const std::string& what, const QSqlQuery& q) {
        Failed(what, q);
        db.rollback();
        return false;
    };
    QSqlQuery q(db);
    q.prepare(QStringLiteral(
                  "INSERT INTO rooms (id, address, tables, waiting_seats, free_seats, started_at,"
                  " heartbeat_at) VALUES (?, ?, ?, ?, ?, %1, %1)"
                  " ON CONFLICT (id) DO UPDATE SET address = excluded.address,"
                  " tables = excluded.tables, waiting_seats = excluded.waiting_seats,"
                  " free_seats = excluded.free_seats, heartbeat_at = excluded.heartbeat_at")
                  .arg(Now()));
    for (const QVariant& v :
         {QVariant(Q(room.id)), QVariant(Q(room.address)), QVariant(room.tables),
          QVariant(room.waitingSeats), QVariant(room.freeSeats)}) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        return fail("registering the room", q);
    }
    q.prepare(QStringLiteral("UPDATE claims SET expires_at = %1 + ? WHERE room = ?").arg(Now()));
    q.addBindValue(leaseSeconds);
    q.addBindValue(Q(room.id));
    if (!q.exec()) {
        return fail("renewing the room's claims", q);
    }
    // What crashed rooms left behind goes in time: a claim long run out is
    // no claim, and a room silent for a day is not coming back.
    if (!q.exec(QStringLiteral("DELETE FROM claims WHERE expires_at < %1 - 3600").arg(Now())) ||
        !q.exec(QStringLiteral("DELETE FROM rooms WHERE heartbeat_at < %1 - 86400").arg(Now()))) {
        return fail("clearing old claims and rooms", q);
    }
    q.prepare(QStringLiteral("SELECT name FROM claims WHERE room = ?"));
    q.addBindValue(Q(room.id));
    if (!q.exec()) {
        return fail("reading the room's claims", q);
    }
    std::set<std::string> held;
    while (q.next()) {
        held.insert(q.value(0).toString().toStdString());
    }
    const std::set<std::string> wanted(names.begin(), names.end());
    for (const std::string& name : held) {
        if (!wanted.count(name)) {
            q.prepare(QStringLiteral("DELETE FROM claims WHERE name = ? AND room = ?"));
            q.addBindValue(Q(name));
            q.addBindValue(Q(room.id));
            if (!q.exec()) {
                return fail("giving back " + name, q);
            }
        }
    }
    if (!db.commit()) {
        Failed("the room's heartbeat", db);
        db.rollback();
        return false;
    }
    // Names that lost their claim while the records were away take it
    // again, unless another room has them now.
    for (const std::string& name : wanted) {
        if (!held.count(name) && ClaimName(name, room.id, leaseSeconds) == Claim::HeldElsewhere &&
            warn_) {
            warn_(name + " is held by another room now");
        }
    }
    return true;
}

bool Store::ReleaseName(const std::string& name, const std::string& room) {
    if (!Ready()) {
        return false;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral("DELETE FROM claims WHERE name = ? AND room = ?"));
    q.addBindValue(Q(name));
    q.addBindValue(Q(room));
    if (!q.exec()) {
        Failed("giving back " + name, q);
        return false;
    }
    return true;
}

bool Store::Unregister(const std::string& room) {
    if (!Ready()) {
        return false;
    }
    QSqlDatabase db = Db(connection_);
    QSqlQuery q(db);
    for (const char* statement :
         {"DELETE FROM claims WHERE room = ?", "DELETE FROM rooms WHERE id = ?"}) {
        q.prepare(QLatin1String(statement));
        q.addBindValue(Q(room));
        if (!q.exec()) {
            Failed("removing the room", q);
            return false;
        }
    }
    return true;
}

std::optional<std::vector<RoomEntry>> Store::LiveRooms(int goneSeconds) {
    if (!Ready()) {
        return std::nullopt;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(
        QStringLiteral("SELECT id, address, tables, waiting_seats, free_seats, %1 - heartbeat_at"
                       " FROM rooms WHERE heartbeat_at >= %1 - ? ORDER BY id")
            .arg(Now()));
    q.addBindValue(goneSeconds);
    if (!q.exec()) {
        return Failed("reading the rooms", q);
    }
    std::vector<RoomEntry> rooms;
    while (q.next()) {
        RoomEntry r;
        r.id = q.value(0).toString().toStdString();
        r.address = q.value(1).toString().toStdString();
        r.tables = q.value(2).toInt();
        r.waitingSeats = q.value(3).toInt();
        r.freeSeats = q.value(4).toInt();
        r.age = q.value(5).toLongLong();
        rooms.push_back(std::move(r));
    }
    return rooms;
}

std::optional<std::pair<std::string, std::int64_t>> Store::ClaimOf(const std::string& name) {
    if (!Ready()) {
        return std::nullopt;
    }
    QSqlQuery q(Db(connection_));
    q.prepare(QStringLiteral(
                  "SELECT room, expires_at - %1 FROM claims WHERE name = ? AND expires_at >= %1")
                  .arg(Now()));
    q.addBindValue(Q(name));
    if (!q.exec() || !q.next()) {
        return std::nullopt;
    }
    return std::pair{q.value(0).toString().toStdString(), q.value(1).toLongLong()};
}

}  // namespace redten::room
