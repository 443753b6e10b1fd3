#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

#include "wire/lan_announce.h"

namespace redten::room {

// Tells the LAN the room is open: a datagram every few seconds to the
// lobbies' port, and one more to any lobby that asks on the rooms' port.
// Only rooms open to a network announce (a room on loopback stays quiet
// unless it is pointed somewhere, as tests do). Nothing heard is trusted:
// a datagram that is not a lobby's request is counted and dropped.
class Announcer final : public QObject {
public:
    struct Options {
        QHostAddress to = QHostAddress::Broadcast;
        quint16 toPort = wire::kLobbyPort;
        quint16 findPort = wire::kRoomPort;  // 0: answers no request
        int everyMs = 3000;
    };
    Announcer(Options options, std::function<wire::RoomAnnouncement()> now, QObject* parent = nullptr);

    // Starts announcing; false (with the reason) when the request port
    // cannot be had. The announcements go on regardless.
    bool Start(QString& error);
    int Ignored() const { return ignored_; }

    // Whether a room listening there announces itself unless told where.
    static bool OpenToNetwork(const QHostAddress& listening) { return !listening.isLoopback(); }

private:
    void Announce(const QHostAddress& to, quint16 port);
    void OnRequests();

    Options options_;
    std::function<wire::RoomAnnouncement()> now_;
    QUdpSocket out_;
    QUdpSocket requests_;
    QTimer timer_;
    int ignored_ = 0;
};

}  // namespace redten::room
