#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "components/room_socket.h"
#include "startup/main_window.h"
#include "support/room_server.h"
#include "wire/framing.h"

namespace redten {
namespace {

using test::TestRoomServer;
using test::ToByteArray;
using test::WaitUntil;

class MainWindowLink : public testing::Test {
protected:
    void SetUp() override {
        context_.programDirectory = dir_.path().toStdString();
        context_.launch.strRoomServerHost = "127.0.0.1";
        context_.launch.strRoomServerPort = std::to_string(server_.port());
        context_.launch.strGameTitle = "红十";
        context_.launch.strMyName = "张三";
        InitPublicDefine(context_.define, context_.programDirectory, "");
    }

    void Open() {
        session_ = std::make_unique<TableSession>(context_, std::make_unique<RoomSocket>());
        window_ = std::make_unique<frmGameMain>(*session_);
        QObject::connect(session_.get(), &TableSession::Unloaded, [this] { ++unloaded_; });
        window_->Load();
        session_->ConnectRoomServer();
    }

    QTemporaryDir dir_;
    TestRoomServer server_;
    ClientContext context_;
    std::unique_ptr<TableSession> session_;
    std::unique_ptr<frmGameMain> window_;
    int unloaded_ = 0;
};

TEST_F(MainWindowLink, GreetsTheRoomWithTheStoredSpectatorSetting) {
    Open();
    const QByteArray expected = QByteArray::fromRawData("\0\0\0\x0c\x82\0" "700`KOVA`1", 16);
    ASSERT_TRUE(server_.WaitForBytes(16));
    EXPECT_EQ(server_.received(), expected);
    EXPECT_EQ(window_->windowTitle(), QString("红十"));
}

TEST_F(MainWindowLink, GreetingSaysZeroWhenSpectatorsMayNotSeeTheCards) {
    UserSet set;
    set.bteUserSet[kSetAllowWatchCards] = 0;
    ASSERT_TRUE(SaveUserSet(set, dir_.filePath(kUserSetFileName).toStdString()));
    Open();
    ASSERT_TRUE(server_.WaitForBytes(16));
    EXPECT_EQ(server_.received().right(10), QByteArray("700`KOVA`0"));
}

TEST_F(MainWindowLink, RoomClosingUnloadsTheWindowOnce) {
    Open();
    ASSERT_TRUE(server_.WaitForBytes(16));
    server_.WriteFrame({130, 3, 'x'});
    server_.CloseClient();
    ASSERT_TRUE(WaitUntil([&] { return unloaded_ == 1; }));
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(unloaded_, 1);
    EXPECT_TRUE(session_->IsUnloading());
    window_->close();
    EXPECT_EQ(unloaded_, 1);
}

TEST_F(MainWindowLink, TheSessionRunsOnWhenItsWindowIsGone) {
    Open();
    ASSERT_TRUE(server_.WaitForBytes(16));
    window_.reset();
    server_.WriteFrame({130, 3, 'x'});
    server_.CloseClient();
    ASSERT_TRUE(WaitUntil([&] { return unloaded_ == 1; }));
    ASSERT_TRUE(session_->Closing().has_value());
    EXPECT_EQ(session_->Closing()->cause, TableClosing::Cause::LinkEnded);
}

TEST_F(MainWindowLink, RefusedConnectionUnloadsWithoutSendingAnything) {
    context_.launch.strRoomServerPort = std::to_string(test::UnusedPort());
    Open();
    ASSERT_TRUE(WaitUntil([&] { return unloaded_ == 1; }));
    EXPECT_FALSE(server_.HasClient());
}

TEST_F(MainWindowLink, PortThatIsNotANumberUnloads) {
    context_.launch.strRoomServerPort = "http";
    Open();
    ASSERT_TRUE(WaitUntil([&] { return unloaded_ == 1; }));
}

}  // namespace
}  // namespace redten
