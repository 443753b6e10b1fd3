#include "server/links/announcer.h"

#include <QNetworkDatagram>

namespace redten::room {

Announcer::Announcer(Options options, std::function<wire::RoomAnnouncement()> now, QObject* parent)
    : QObject(parent), options_(std::move(options)), now_(std::move(now)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Announce(options_.to, options_.toPort); });
    connect(&requests_, &QUdpSocket::readyRead, this, &Announcer::OnRequests);
}

bool Announcer::Start(QString& error) {
    timer_.start(options_.everyMs);
    Announce(options_.to, options_.toPort);
    if (options_.findPort == 0) {
        return true;
    }
    // Shared: a lobby and other rooms on this machine listen there too.
    if (!requests_.bind(QHostAddress::AnyIPv4, options_.findPort,
                        QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
        error = requests_.errorString();
        return false;
    }
    return true;
}

void Announcer::Announce(const QHostAddress& to, quint16 port) {
    const std::string datagram = wire::EncodeAnnouncement(now_());
    out_.writeDatagram(datagram.data(), static_cast<qint64>(datagram.size()), to, port);
}

void Announcer::OnRequests() {
    // A bounded number a turn: a flood waits in the kernel, and is dropped there.
    for (int i = 0; i < 64 && requests_.hasPendingDatagrams(); ++i) {
        const QNetworkDatagram d = requests_.receiveDatagram(wire::kMaxDatagram + 1);
        const QByteArray data = d.data();
        if (!wire::IsFindRequest(std::string_view(data.constData(), static_cast<std::size_t>(data.size()))) ||
            d.senderPort() <= 0) {
            ++ignored_;
            continue;
        }
        Announce(d.senderAddress(), static_cast<quint16>(d.senderPort()));
    }
}

}  // namespace redten::room
