#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "server/room_server.h"
#include "server/store/store_worker.h"
#include "support/room_process.h"
#include "support/store_view.h"
#include "wire/bytes.h"

namespace redten::faults {

using test::RoomProcess;

// A room in this process on loopback, with the pauses that only matter to
// people taken out. Its records are kept in memory, as redten-room keeps
// them unless told otherwise, or in a file.
class LocalRoom {
public:
    static room::RoomOptions QuickOptions(int bots);
    explicit LocalRoom(const room::RoomOptions& options, bool recordsOnDisk = false);

    quint16 Port() const { return room_->Port(); }
    room::RoomServer& Server() { return *room_; }
    room::test::StoreView Records() { return room::test::StoreView(store_); }

private:
    QTemporaryDir dir_;
    room::StoreWorker store_;
    std::unique_ptr<room::RoomServer> room_;
};

// The real table client, started the way a lobby starts it, from a private
// copy of the program directory so its personal settings are its own.
class TableProcess {
public:
    // userSet, when given, is written as the personal settings file first.
    TableProcess(quint16 port, const QString& name, const QByteArray& userSet = {});
    ~TableProcess();

    // The personal settings file next to this copy of the program.
    QString UserSetPath() const;
    void Kill();
    bool Finished(int timeoutMs = 15000);
    int ExitCode() const { return process_.exitCode(); }
    bool Crashed() const { return process_.exitStatus() == QProcess::CrashExit; }
    QString Stderr() { return QString::fromUtf8(process_.readAllStandardError()); }

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// A TCP relay that passes one byte per turn of the event loop each way, so
// every read on either side sees the stream cut at every byte.
class ByteRelay {
public:
    explicit ByteRelay(quint16 target);
    ~ByteRelay();

    quint16 Port() const { return server_.serverPort(); }
    std::size_t Forwarded() const { return forwarded_; }
    // Ends every connection through the relay at once.
    void CloseAll();

private:
    struct Pipe {
        QTcpSocket* near = nullptr;  // the side that connected to us
        QTcpSocket* far = nullptr;   // our connection to the target
        QByteArray toFar, toNear;
        bool nearGone = false, farGone = false;
    };
    void Accept();
    void Step();

    quint16 target_;
    QTcpServer server_;
    QTimer tick_;
    std::vector<std::unique_ptr<Pipe>> pipes_;
    std::size_t forwarded_ = 0;
};

// The lobby line from a chosen local address; the room's answer, trimmed.
std::string LobbyLine(quint16 port, const std::string& line,
                      const QHostAddress& from = QHostAddress::LocalHost);

// A table link from a chosen local address; connected or null.
std::unique_ptr<QTcpSocket> TableLink(quint16 port, const QHostAddress& from = QHostAddress::LocalHost);
bool LinkEnded(QTcpSocket& socket, int timeoutMs = 5000);

// 127.0.0.2 and friends exist on Linux without any setup; elsewhere a test
// that needs a second address is skipped.
bool SecondLoopbackWorks();

// The cards every seat has on the table, as the messages of one game tell it.
class TrickTracker {
public:
    void Feed(const Bytes& message);
    const std::array<CardList, 4>& OnTable() const { return onTable_; }
    int ToAct() const { return toAct_; }
    int Phase() const { return phase_; }

private:
    std::array<CardList, 4> onTable_;
    int toAct_ = -1;
    int phase_ = -1;
};

std::int32_t ScoreOf(const Bytes& gameOver, int seat);

}  // namespace redten::faults
