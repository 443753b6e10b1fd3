#include "lobby/room_finder.h"

#include <QNetworkDatagram>

namespace redten::lobby {

RoomFinder::RoomFinder(Options options, QObject* parent) : QObject(parent), options_(std::move(options)) {
    connect(&socket_, &QUdpSocket::readyRead, this, &RoomFinder::OnDatagrams);
    connect(&asking_, &QTimer::timeout, this, &RoomFinder::Ask);
}

bool RoomFinder::Start(QString& error) {
    // Shared: other lobbies on this machine listen there too.
    if (!socket_.bind(QHostAddress::AnyIPv4, options_.listenPort,
                      QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        error = socket_.errorString();
        return false;
    }
    Ask();
    asking_.start(options_.askEveryMs);
    return true;
}

void RoomFinder::Ask() {
    const std::string_view ask = wire::FindRequest();
    socket_.writeDatagram(ask.data(), static_cast<qint64>(ask.size()), options_.askTo, options_.askPort);
}

void RoomFinder::OnDatagrams() {
    // A bounded number a turn: a flood waits in the kernel, and is dropped there.
    for (int i = 0; i < 64 && socket_.hasPendingDatagrams(); ++i) {
        const QNetworkDatagram d = socket_.receiveDatagram(wire::kMaxDatagram + 1);
        const QByteArray data = d.data();
        const auto room =
            wire::DecodeAnnouncement(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
        if (!room || d.senderAddress().isNull()) {
            ++ignored_;
            continue;
        }
        // An IPv4 sender on a socket of both kinds comes as ::ffff:a.b.c.d.
        bool v4 = false;
        const quint32 ipv4 = d.senderAddress().toIPv4Address(&v4);
        emit Found(QString::fromStdString(room->name), v4 ? QHostAddress(ipv4) : d.senderAddress(), room->port,
                   room->tables, room->freeSeats);
    }
}

}  // namespace redten::lobby
