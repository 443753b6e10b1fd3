// The room's event loop on epoll, run on a thread of its own while the test
// drives it from the main thread through Qt's own sockets and events.
#include <gtest/gtest.h>

#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>

#include "server/links/epoll_dispatcher.h"
#include "support/room_server.h"

namespace redten::room {
namespace {

class EpollLoop : public ::testing::Test {
protected:
    void SetUp() override {
        thread_.setEventDispatcher(new EpollDispatcher);
        thread_.start();
        context_.moveToThread(&thread_);
    }
    void TearDown() override {
        thread_.quit();  // from another thread: the loop must wake to end
        ASSERT_TRUE(thread_.wait(5000));
    }
    // Runs fn on the loop's thread and waits for it.
    template <typename Fn>
    void OnLoop(Fn fn) {
        QMetaObject::invokeMethod(&context_, fn, Qt::BlockingQueuedConnection);
    }

    QThread thread_;
    QObject context_;
};

TEST_F(EpollLoop, EchoesAMegabyteAndKeepsItsTimersInOrder) {
    std::unique_ptr<QTcpServer> server;
    std::vector<int> fired;
    std::atomic<int> firedCount{0};
    std::atomic<int> zeroTicks{0};
    OnLoop([&] {
        server = std::make_unique<QTcpServer>();
        ASSERT_TRUE(server->listen(QHostAddress::LocalHost, 0));
        QObject::connect(server.get(), &QTcpServer::newConnection, [&] {
            QTcpSocket* peer = server->nextPendingConnection();
            // Written back as it comes: more than the kernel takes at once,
            // so the socket waits on the loop to tell it the link is writable.
            QObject::connect(peer, &QTcpSocket::readyRead, [peer] { peer->write(peer->readAll()); });
        });
        for (const int ms : {30, 10, 20}) {
            QTimer::singleShot(ms, &context_, [&, ms] {
                fired.push_back(ms);
                ++firedCount;
            });
        }
        auto* zero = new QTimer(&context_);
        QObject::connect(zero, &QTimer::timeout, [zero, &zeroTicks] {
            if (++zeroTicks == 100) {
                zero->stop();
            }
        });
        zero->start(0);
    });
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server->serverPort());
    ASSERT_TRUE(client.waitForConnected(5000));
    const QByteArray sent(1 << 20, 'x');
    client.write(sent);
    QByteArray back;
    ASSERT_TRUE(test::WaitUntil([&] {
        back += client.readAll();
        return back.size() >= sent.size();
    }, 10000));
    EXPECT_EQ(back, sent);
    ASSERT_TRUE(test::WaitUntil([&] { return zeroTicks == 100 && firedCount == 3; }, 5000));
    OnLoop([&] {
        EXPECT_EQ(fired, (std::vector<int>{10, 20, 30}));
        server.reset();
    });
}

TEST_F(EpollLoop, ANotifierRemovedByAnotherInTheSameTurnIsNotCalled) {
    int pairs[2][2];
    for (auto& pair : pairs) {
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        ASSERT_EQ(::write(pair[1], "x", 1), 1);  // both readable before the loop looks
    }
    std::atomic<int> called{0};
    std::unique_ptr<QSocketNotifier> notifiers[2];
    OnLoop([&] {
        for (int i = 0; i < 2; ++i) {
            notifiers[i] = std::make_unique<QSocketNotifier>(pairs[i][0], QSocketNotifier::Read);
            QObject::connect(notifiers[i].get(), &QSocketNotifier::activated, [&, i] {
                ++called;
                notifiers[i]->setEnabled(false);
                notifiers[1 - i].reset();
            });
        }
    });
    ASSERT_TRUE(test::WaitUntil([&] { return called > 0; }, 5000));
    QThread::msleep(50);
    EXPECT_EQ(called, 1);
    OnLoop([&] {
        notifiers[0].reset();
        notifiers[1].reset();
    });
    for (auto& pair : pairs) {
        ::close(pair[0]);
        ::close(pair[1]);
    }
}

}  // namespace
}  // namespace redten::room
