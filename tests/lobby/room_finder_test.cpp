// Rooms telling the LAN about themselves, and a lobby listening: all on
// loopback, with the rooms pointed at the test's own ports.
#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <set>

#include "lobby/room_finder.h"
#include "server/room_server.h"
#include "server/store/store_worker.h"
#include "support/room_server.h"

namespace redten::lobby {
namespace {

using redten::test::WaitUntil;

quint16 FreeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

struct AnnouncingRoom {
    AnnouncingRoom(const std::string& name, quint16 lobbyPort, quint16 findPort) {
        QString error;
        EXPECT_TRUE(worker.Open(QStringLiteral(":memory:"), error));
        room::RoomOptions options;
        options.logLevel = room::LogLevel::Error;
        options.roomName = name;
        options.announceTo = "127.0.0.1:" + std::to_string(lobbyPort);
        options.announceFindPort = findPort;
        server = std::make_unique<room::RoomServer>(options, worker);
        EXPECT_TRUE(server->Listen(QHostAddress::LocalHost, 0, error));
    }
    room::StoreWorker worker;
    std::unique_ptr<room::RoomServer> server;
};

TEST(RoomFinderTest, TwoRoomsAreFoundAndForgedDatagramsChangeNothing) {
    EXPECT_FALSE(room::Announcer::OpenToNetwork(QHostAddress::LocalHost));
    EXPECT_TRUE(room::Announcer::OpenToNetwork(QHostAddress::AnyIPv4));

    const quint16 lobbyPort = FreeUdpPort();
    const quint16 findPort = FreeUdpPort();
    // Both announce once as they open, before anybody listens: those are lost.
    AnnouncingRoom answers("一号房", lobbyPort, findPort);
    AnnouncingRoom quiet("二号房", lobbyPort, 0);

    RoomFinder::Options o;
    o.listenPort = lobbyPort;
    o.askTo = QHostAddress::LocalHost;
    o.askPort = findPort;
    RoomFinder finder(o);
    std::set<std::pair<QString, quint16>> found;
    int heard = 0;
    QObject::connect(&finder, &RoomFinder::Found,
                     [&](const QString& name, const QHostAddress& host, quint16 port, int, int freeSeats) {
                         ++heard;
                         EXPECT_EQ(host, QHostAddress(QHostAddress::LocalHost));
                         EXPECT_GT(freeSeats, 0);
                         found.insert({name, port});
                     });
    QString error;
    ASSERT_TRUE(finder.Start(error)) << error.toStdString();
    // The room that takes requests answers the finder's at once; the other
    // is heard at its next announcement.
    ASSERT_TRUE(WaitUntil([&] { return found.count({QStringLiteral("一号房"), answers.server->Port()}) == 1; }, 2000));
    EXPECT_EQ(found.count({QStringLiteral("二号房"), quiet.server->Port()}), 0u);
    ASSERT_TRUE(WaitUntil([&] { return found.count({QStringLiteral("二号房"), quiet.server->Port()}) == 1; }, 6000));

    const int before = heard;
    QUdpSocket forger;
    for (const QByteArray& forged : {QByteArray("garbage"), QByteArray(600, 'x'),
                                     QByteArray("REDTEN-ROOM 1 0 1 1 假房"), QByteArray("REDTEN-ROOM 1 70000 1 1 假房"),
                                     QByteArray("REDTEN-ROOM 1 27100 1 1 假 房"), QByteArray("REDTEN-ROOM 2 27100 1 1 假房")}) {
        forger.writeDatagram(forged, QHostAddress::LocalHost, lobbyPort);
    }
    ASSERT_TRUE(WaitUntil([&] { return finder.Ignored() >= 6; }, 3000));
    EXPECT_EQ(found.size(), 2u);
    EXPECT_LE(heard - before, 2);  // only the rooms' own announcements came meanwhile
}

}  // namespace
}  // namespace redten::lobby
