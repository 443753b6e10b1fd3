#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "server/room_server.h"
#include "server/store/store.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "support/store_view.h"
#include "wire/handshake.h"

namespace redten::room {
namespace {

using redten::test::WaitUntil;
using test::ScriptedTable;

class BrowserLinkTest : public testing::Test {
protected:
    void SetUp() override {
        QDir(dir_.path()).mkpath("web/js");
        QFile page(dir_.filePath("web/play.html"));
        page.open(QIODevice::WriteOnly);
        page.write("<!DOCTYPE html><title>牌桌</title>");
        page.close();
        QString error;
        ASSERT_TRUE(worker_.Open(dir_.filePath("room.db"), error, Store::kBusyWaitMs)) << error.toStdString();
        RoomOptions options;
        options.botsPerTable = 0;
        options.logLevel = qEnvironmentVariableIsSet("ROOM_LOG") ? LogLevel::Debug : LogLevel::Error;
        options.seed = 78;
        options.table.botPauseMs = 0;
        options.table.botQuietMs = 0;
        options.webDir = dir_.filePath("web").toStdString();
        room_ = std::make_unique<RoomServer>(options, worker_);
        ASSERT_TRUE(room_->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    std::unique_ptr<ScriptedTable> Browser(const std::string& name) {
        auto t = std::make_unique<ScriptedTable>(name, room_->Port());
        t->browser = true;
        t->secret = "secret-of-" + std::to_string(name.size());
        return t;
    }

    // The room's answer to a raw upgrade request, up to its headers' end.
    QByteArray Upgrade(const QByteArray& headers) {
        QTcpSocket web;
        web.connectToHost(QHostAddress::LocalHost, room_->Port());
        web.write("GET /table HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(room_->Port()) + "\r\n" + headers + "\r\n");
        QByteArray reply;
        WaitUntil([&] {
            reply += web.readAll();
            return reply.contains("\r\n\r\n") || web.state() == QAbstractSocket::UnconnectedState;
        });
        return reply;
    }

    QTemporaryDir dir_;
    StoreWorker worker_;
    test::StoreView store_{worker_};
    std::unique_ptr<RoomServer> room_;
};

// Browsers and desktop tables from one address, reserving in turns: each
// takes its own seat, and the four play to the end.
TEST_F(BrowserLinkTest, BrowsersAndDesktopTablesShareATableAndFinishTheGame) {
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (const char* name : {"网页甲", "桌面乙", "网页丙", "桌面丁"}) {
        const bool web = std::string(name).starts_with("网页");
        players.push_back(web ? Browser(name) : std::make_unique<ScriptedTable>(name, room_->Port()));
        ASSERT_TRUE(players.back()->Reserve()) << name << ": " << players.back()->lastReply;
    }
    // The desktops greet first: the older reservations from this address
    // are the browsers', which no other link may take.
    for (int i : {1, 3, 0, 2}) {
        ASSERT_TRUE(players[static_cast<std::size_t>(i)]->Connect());
    }
    ASSERT_TRUE(WaitUntil([&] { return std::all_of(players.begin(), players.end(), [](const auto& p) { return p->gamesOver >= 1; }); },
                          30000));
    for (const auto& p : players) {
        EXPECT_TRUE(p->problems.empty()) << p->problems.front();
        EXPECT_GE(p->seat, 0);
    }
    EXPECT_EQ(room_->TableCount(), 1u);
    EXPECT_EQ(store_.CountGames(), 1);
    // A name kept with a secret from a browser is refused to another one.
    auto impostor = Browser("网页甲");
    impostor->secret = "a-guess";
    EXPECT_FALSE(impostor->Reserve());
}

// The room's page offers the free chairs of waiting tables and the people
// to watch; the browser's files are its own and nothing beside them.
TEST_F(BrowserLinkTest, ThePageOffersChairsAndTheFilesStayInTheirFolder) {
    auto first = Browser("先来");
    ASSERT_TRUE(first->Reserve());
    ASSERT_TRUE(first->Connect());
    ASSERT_TRUE(WaitUntil([&] { return !first->Of(111).empty(); }));
    const QString room = QString::fromUtf8(redten::test::FetchPage(room_->Port(), "/"));
    EXPECT_TRUE(room.contains(QStringLiteral("/play?table=1&amp;seat=2\">坐下</a>")));
    EXPECT_TRUE(room.contains(QStringLiteral("/play?watch=%E5%85%88%E6%9D%A5\">旁观</a>")));
    EXPECT_TRUE(redten::test::FetchPage(room_->Port(), "/play").contains("<title>牌桌</title>"));
    for (const char* path : {"/web/../room.db", "/web/%2e%2e/room.db", "/web/js", "/web/room.db"}) {
        EXPECT_TRUE(redten::test::FetchPage(room_->Port(), path).startsWith("HTTP/1.0 404")) << path;
    }
}

TEST_F(BrowserLinkTest, EveryBreachIsClosedWithItsCodeAndTheRoomPlaysOn) {
    struct Case {
        const char* what;
        std::function<void(ScriptedTable&)> send;
        std::uint16_t code;
    };
    const Case cases[] = {
        {"an unmasked frame", [](ScriptedTable& t) { t.SendWebSocket(WebSocketOp::Binary, EncodeFrame({18, 0}), false); },
         kCloseProtocolError},
        {"text after the greeting", [](ScriptedTable& t) { t.SendWebSocket(WebSocketOp::Text, {'h', 'i'}); },
         kCloseUnsupportedData},
        {"a message over the bound", [](ScriptedTable& t) { t.SendWebSocket(WebSocketOp::Binary, Bytes(70000, 1)); },
         kCloseTooBig},
        {"two frames in one message",
         [](ScriptedTable& t) {
             Bytes two = EncodeFrame({18, 0});
             const Bytes more = EncodeFrame({18, 0});
             two.insert(two.end(), more.begin(), more.end());
             t.SendWebSocket(WebSocketOp::Binary, two);
         },
         kCloseProtocolError},
    };
    for (const Case& c : cases) {
        auto t = Browser("破坏者");
        t->holdPlays = true;
        ASSERT_TRUE(t->Reserve()) << t->lastReply;
        ASSERT_TRUE(t->Connect());
        ASSERT_TRUE(WaitUntil([&] { return !t->received.empty(); })) << c.what;
        c.send(*t);
        ASSERT_TRUE(WaitUntil([&] { return t->disconnected; })) << c.what;
        EXPECT_EQ(t->closeCode, c.code) << c.what;
    }
    EXPECT_TRUE(Upgrade("Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n")
                    .startsWith("HTTP/1.1 400 "));
    EXPECT_TRUE(Upgrade("Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: http://evil.example\r\n")
                    .startsWith("HTTP/1.1 403 "));
    EXPECT_TRUE(Upgrade(QByteArray(9000, 'x')).startsWith("HTTP/1.1 431 "));
    // A browser that greets before it asks has no seat, and is told so.
    auto early = Browser("心急");
    ASSERT_TRUE(early->Connect());
    ASSERT_TRUE(WaitUntil([&] { return early->disconnected; }));
    EXPECT_FALSE(early->Of(22).empty());

    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (const char* name : {"甲", "乙", "丙", "丁"}) {
        players.push_back(Browser(name));
        ASSERT_TRUE(players.back()->Reserve());
        ASSERT_TRUE(players.back()->Connect());
    }
    ASSERT_TRUE(WaitUntil([&] { return players[0]->gamesOver >= 1; }, 30000));
    EXPECT_EQ(room_->BrokenGames(), 0);
}

}  // namespace
}  // namespace redten::room
