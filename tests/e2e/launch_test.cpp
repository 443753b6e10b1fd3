#include <gtest/gtest.h>

#include <QProcess>

#include "net/wire/framing.h"
#include "startup/launch_context.h"
#include "support/room_server.h"

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
    server.CloseClient();
    ASSERT_TRUE(table.Finished());
    EXPECT_FALSE(table.Crashed());
    EXPECT_EQ(table.ExitCode(), 0);
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
