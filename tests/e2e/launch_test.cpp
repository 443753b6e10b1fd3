#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "state/launch_context.h"
#include "support/room_server.h"
#include "wire/framing.h"

namespace redten {
namespace {

using test::TestRoomServer;
using test::ToByteArray;
using test::WaitUntil;

// The real table client, started the way a lobby starts it.
class TableProcess {
public:
    explicit TableProcess(const QStringList& words) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // The fake rooms here serve no page.
        env.insert("REDTEN_ADV_URL", "none");
        process_.setProcessEnvironment(env);
        process_.start(REDTEN_TABLE_EXE, words);
    }
    ~TableProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool Finished(int timeoutMs = 10000) {
        return WaitUntil([this] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
    }
    int ExitCode() const { return process_.exitCode(); }
    bool Crashed() const { return process_.exitStatus() == QProcess::CrashExit; }
    QString Stderr() { return QString::fromUtf8(process_.readAllStandardError()); }
    QString Stdout() { return QString::fromUtf8(process_.readAllStandardOutput()); }

private:
    QProcess process_;
};

QStringList GoodWords(quint16 port) {
    return {kLaunchToken, "127.0.0.1", QString::number(port), "红十", "新手_0`高手_100",
            "r1",         "r2",        "张三",                "1"};
}

TEST(Launch, GreetsTheRoomAndEndsCleanlyWhenTheRoomCloses) {
    TestRoomServer server;
    TableProcess table(GoodWords(server.port()));
    ASSERT_TRUE(server.WaitForBytes(16, 15000));
    WaitUntil([] { return false; }, 200);
    const char expected[] = {0, 0, 0, 12, char(130), 0, 55, 48, 48, 96, 75, 79, 86, 65, 96, 49};
    EXPECT_EQ(server.received(), QByteArray(expected, 16));
    // The room's last word before it closes is what the lobby is told.
    server.WriteFrame({22, 'b', 'y', 'e'});
    WaitUntil([] { return false; }, 300);
    server.CloseClient();
    ASSERT_TRUE(table.Finished(3000));
    EXPECT_FALSE(table.Crashed());
    EXPECT_EQ(table.ExitCode(), 0);
    EXPECT_EQ(table.Stdout(), "link bye\n");
}

// The launcher opens its own room, seats the person, and says why a table
// closed by itself; a table whose count-down ran out asks for another seat.
TEST(Launcher, OpensARoomSeatsThePersonAndReportsWhyTheTableClosed) {
    QTemporaryDir dir;
    const QString table = dir.filePath("table");
    QFile script(table);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/words\"\n"
                 "echo 'countdown 倒计时结束了'\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess play;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    play.setProcessEnvironment(env);
    play.start(REDTEN_PLAY_EXE, {"--name", "张三", "--table", table, "--db", ":memory:"});
    ASSERT_TRUE(play.waitForFinished(20000));
    EXPECT_EQ(play.exitCode(), 3);
    const QString out = QString::fromUtf8(play.readAllStandardOutput());
    EXPECT_TRUE(out.contains("redten-play: 桌子关闭了：倒计时结束了")) << out.toStdString();
    QFile words(dir.filePath("words"));
    ASSERT_TRUE(words.open(QIODevice::ReadOnly));
    const QStringList launched = QString::fromUtf8(words.readAll()).trimmed().split(' ');
    ASSERT_EQ(launched.size(), 9);
    EXPECT_EQ(launched[0], kLaunchToken);
    EXPECT_EQ(launched[7], "张三");
    EXPECT_TRUE(QFile::exists(dir.filePath("data/redten/room.log")));
    // The person's secret was made and kept for the next time, for the person only.
    const auto kept = QFile::permissions(dir.filePath("config/redten/secret"));
    EXPECT_TRUE(kept & QFile::ReadOwner);
    EXPECT_FALSE(kept & (QFile::ReadGroup | QFile::ReadOther));
}

TEST(Launch, HostileRoomsEndTheTableCleanly) {
    const std::vector<QByteArray> attacks = {
        QByteArray::fromHex("7fffffff"),                      // absurd length
        QByteArray::fromHex("0000000a01"),                    // cut off mid-frame, then closed
        QByteArray(5000, '\xff'),                             // garbage
        ToByteArray(EncodeFrame({})) + ToByteArray(EncodeFrame({95})) +
            ToByteArray(EncodeFrame({0xC1})) + ToByteArray(EncodeFrame({130, 2, 0xB0})),
    };
    for (const QByteArray& attack : attacks) {
        TestRoomServer server;
        TableProcess table(GoodWords(server.port()));
        ASSERT_TRUE(server.WaitForBytes(16, 15000));
        server.WriteRaw(attack);
        WaitUntil([] { return false; }, 100);
        server.CloseClient();
        ASSERT_TRUE(table.Finished()) << attack.left(8).toHex().toStdString();
        EXPECT_FALSE(table.Crashed());
        EXPECT_EQ(table.ExitCode(), 0);
    }
}

TEST(Launch, NoRoomListeningEndsTheTable) {
    TableProcess table(GoodWords(test::UnusedPort()));
    ASSERT_TRUE(table.Finished());
    EXPECT_EQ(table.ExitCode(), 0);
}

TEST(Launch, MalformedCommandLinesAreRefusedWithTheirNumber) {
    QStringList eight = GoodWords(1);
    eight.removeLast();
    QStringList ten = GoodWords(1);
    ten << "extra";
    QStringList wrongToken = GoodWords(1);
    wrongToken[0] = QString(kLaunchToken).toLower();

    struct Case {
        QStringList words;
        QString text;
    };
    for (const Case& c : {Case{eight, "1号错误，无法正常启动游戏！"}, Case{ten, "1号错误，无法正常启动游戏！"},
                          Case{{}, "1号错误，无法正常启动游戏！"},
                          Case{wrongToken, "2号错误，无法正常启动游戏！"}}) {
        TableProcess table(c.words);
        ASSERT_TRUE(table.Finished());
        EXPECT_NE(table.ExitCode(), 0);
        EXPECT_TRUE(table.Stderr().contains(c.text)) << c.words.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace redten
