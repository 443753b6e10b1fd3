#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

#include "wire/lan_announce.h"

namespace redten::lobby {

// The rooms of the LAN: listens for their announcements and asks them now
// and then to announce. A room is known by the datagram's sender and the
// port it names; a datagram that is not an announcement is counted and
// dropped, and nothing in one is trusted for anything but the list.
class RoomFinder final : public QObject {
    Q_OBJECT
public:
    struct Options {
        quint16 listenPort = wire::kLobbyPort;
        QHostAddress askTo = QHostAddress::Broadcast;
        quint16 askPort = wire::kRoomPort;
        int askEveryMs = 10000;
    };
    explicit RoomFinder(Options options, QObject* parent = nullptr);

    // False, with the reason, when the lobbies' port cannot be had.
    bool Start(QString& error);
    int Ignored() const { return ignored_; }

signals:
    void Found(const QString& name, const QHostAddress& host, quint16 port, int tables, int freeSeats);

private:
    void Ask();
    void OnDatagrams();

    Options options_;
    QUdpSocket socket_;
    QTimer asking_;
    int ignored_ = 0;
};

}  // namespace redten::lobby
