#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <string>

#include "wire/bytes.h"

namespace redten::test {

// Runs the event loop until cond holds or timeoutMs passes.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 5000);

// A stand-in room on loopback: accepts one table, records every byte it
// sends, and writes whatever a test wants back.
class TestRoomServer {
public:
    TestRoomServer();

    quint16 port() const { return server_.serverPort(); }
    bool WaitForClient(int timeoutMs = 5000);
    bool HasClient() const { return !client_.isNull(); }

    // Everything received so far, raw.
    const QByteArray& received() const { return received_; }
    bool WaitForBytes(int count, int timeoutMs = 5000);

    void WriteRaw(const QByteArray& bytes);
    void WriteFrame(const Bytes& message);
    void CloseClient();
    bool ClientDisconnected() const { return disconnected_; }

private:
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    QByteArray received_;
    bool disconnected_ = false;
};

// A loopback port with nothing listening on it.
quint16 UnusedPort();

// One page from a room's web port on this machine, headers and all.
QByteArray FetchPage(quint16 port, const std::string& path);

QByteArray ToByteArray(const Bytes& bytes);

}  // namespace redten::test
