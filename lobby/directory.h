#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>
#include <vector>

#include "server/store/store.h"

namespace redten::lobby {

// A room whose heartbeat is older than this counts as gone (the rooms'
// default lease).
constexpr int kRoomGoneSeconds = 15;

// The live rooms of a shared database, read without changing anything.
std::optional<std::vector<room::RoomEntry>> ReadDirectory(const QString& uri, int goneSeconds,
                                                          QString& error);

// The rooms with a free seat, in the order a person should try them: a room
// with a table waiting for people first (the one closest to full), then
// the fullest rooms, so tables and rooms fill before new ones open.
std::vector<room::RoomEntry> SeatOrder(std::vector<room::RoomEntry> rooms);

// The directory read now and then beside the lobby's thread, never on it:
// a database far away must not freeze the window.
class DirectoryRooms final : public QObject {
    Q_OBJECT
public:
    DirectoryRooms(QString uri, int goneSeconds, QObject* parent = nullptr);
    void Start(int everyMs);

signals:
    void Read(const std::vector<redten::room::RoomEntry>& rooms);
    void Failed(const QString& why);

private:
    void ReadNow();

    QString uri_;
    int goneSeconds_;
    QTimer timer_;
    bool reading_ = false;
};

}  // namespace redten::lobby
