#include "support/room_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QThread>

#include "wire/framing.h"

namespace redten::test {

bool WaitUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        // Waits in the event loop, as a program does between events: the
        // loop goes idle, and what is drawn when it does gets drawn.
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(1);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

TestRoomServer::TestRoomServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        QTcpSocket* socket = server_.nextPendingConnection();
        if (!socket || client_) {
            delete socket;
            return;
        }
        client_ = socket;
        QObject::connect(socket, &QTcpSocket::readyRead,
                         [this, socket] { received_ += socket->readAll(); });
        QObject::connect(socket, &QTcpSocket::disconnected, [this] { disconnected_ = true; });
    });
}

bool TestRoomServer::WaitForClient(int timeoutMs) {
    return WaitUntil([this] { return HasClient(); }, timeoutMs);
}

bool TestRoomServer::WaitForBytes(int count, int timeoutMs) {
    return WaitUntil([this, count] { return received_.size() >= count; }, timeoutMs);
}

void TestRoomServer::WriteRaw(const QByteArray& bytes) {
    if (client_) {
        client_->write(bytes);
        client_->flush();
    }
}

void TestRoomServer::WriteFrame(const Bytes& message) { WriteRaw(ToByteArray(EncodeFrame(message))); }

void TestRoomServer::CloseClient() {
    if (client_) {
        client_->disconnectFromHost();
    }
}

quint16 UnusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

QByteArray ToByteArray(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QByteArray FetchPage(quint16 port, const std::string& path) {
    QTcpSocket web;
    web.connectToHost(QHostAddress::LocalHost, port);
    web.write(QByteArray::fromStdString("GET " + path + " HTTP/1.0\r\n\r\n"));
    QByteArray reply;
    WaitUntil([&] {
        reply += web.readAll();
        return web.state() == QAbstractSocket::UnconnectedState;
    });
    return reply + web.readAll();
}

}  // namespace redten::test
