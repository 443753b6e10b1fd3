#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "engine/game.h"
#include "server/room_server.h"
#include "support/room_process.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "support/store_view.h"
#include "wire/client_messages.h"
#include "wire/messages.h"

namespace redten::room {
namespace {

using redten::test::WaitUntil;
using test::ScriptedTable;

// A room with a file store in which one person has played one game against
// three computer players.
class RecordsTest : public testing::Test {
protected:
    void PlayOneGame(const std::string& name) {
        QString error;
        ASSERT_TRUE(worker_.Open(dir_.filePath("room.db"), error)) << error.toStdString();
        RoomOptions options;
        options.botsPerTable = 3;
        options.logLevel =
            qEnvironmentVariableIsSet("ROOM_LOG") ? LogLevel::Debug : LogLevel::Error;
        options.seed = 19;
        options.table.botPauseMs = 0;
        options.table.botQuietMs = 0;
        options.replayStepMs = 0;
        options.replayPauseMs = 0;
        options.reviewWorlds = reviewWorlds_;
        room_ = std::make_unique<RoomServer>(options, worker_);
        ASSERT_TRUE(room_->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
        player_ = std::make_unique<ScriptedTable>(name, room_->Port());
        ASSERT_TRUE(player_->Reserve()) << player_->lastReply;
        ASSERT_TRUE(player_->Connect());
        ASSERT_TRUE(WaitUntil([&] { return player_->gamesOver >= 1; }, 30000));
        ASSERT_TRUE(WaitUntil([&] { return store_.CountGames() == 1; }));
    }

    QByteArray Fetch(const std::string& path) { return redten::test::FetchPage(room_->Port(), path); }

    int reviewWorlds_ = 0;
    QTemporaryDir dir_;
    StoreWorker worker_;
    test::StoreView store_{worker_};
    std::unique_ptr<RoomServer> room_;
    std::unique_ptr<ScriptedTable> player_;
};

TEST_F(RecordsTest, AReplaySendsTheSamePlaysAndScoresAndTouchesNoRecord) {
    PlayOneGame("张三");
    const auto before = store_.LoadOrCreate("张三", false);

    ScriptedTable refused("看客", room_->Port());
    EXPECT_FALSE(refused.ReserveWith("REPLAY 看客 99"));
    EXPECT_EQ(refused.lastReply, "ERR 没有找到第 99 局的记录。");
    EXPECT_FALSE(refused.ReserveWith("REPLAY 看客 1 5"));
    EXPECT_EQ(refused.lastReply, "ERR 座位应该是 1 到 4。");

    ScriptedTable watcher("看客", room_->Port());
    const std::string seat = std::to_string(player_->seat + 1);
    ASSERT_TRUE(watcher.ReserveWith("REPLAY 看客 1 " + seat + " 0")) << watcher.lastReply;
    ASSERT_TRUE(watcher.Connect());
    ASSERT_TRUE(
        WaitUntil([&] { return !watcher.Of(23).empty() && watcher.Of(130).size() >= 2; }, 20000));
    EXPECT_TRUE(watcher.problems.empty()) << watcher.problems.front();

    // What a spectator of the game saw: the same deal (the watched seat's,
    // visible), the same plays in the same order, the same end.
    EXPECT_EQ(watcher.Of(19), player_->Of(19));
    EXPECT_EQ(watcher.Of(21), player_->Of(21));
    EXPECT_EQ(watcher.Of(23), player_->Of(23));
    const auto over = [](const ScriptedTable& t) {
        std::vector<Bytes> out;
        for (const Bytes& m : t.Of(20)) {
            if (m.size() > 1 && m[1] == 1) {
                out.push_back(m);
            }
        }
        return out;
    };
    EXPECT_EQ(over(watcher), over(*player_));
    // Every hand update after the watched seat's plays shows the cards.
    for (const Bytes& m : watcher.Of(2)) {
        EXPECT_EQ(std::count(m.begin(), m.end(), kHiddenCard), 0);
    }

    // Nothing was written: no game, no person, no changed totals.
    EXPECT_EQ(store_.CountGames(), 1);
    EXPECT_EQ(store_.LoadOrCreate("张三", false)->points, before->points);
    const auto page = Fetch("/people/%E7%9C%8B%E5%AE%A2");  // 看客
    EXPECT_TRUE(page.startsWith("HTTP/1.0 404")) << page.toStdString();

    // The page pane of a replay says which game it is, and lists the top ten.
    const QString adv = QString::fromUtf8(Fetch("/adv/KOVA/ga.htm?replay=1"));
    EXPECT_TRUE(adv.contains(QStringLiteral("正在回放第 1 局"))) << adv.toStdString();
    EXPECT_TRUE(adv.contains(QStringLiteral("张三"))) << adv.toStdString();

    watcher.Send(MakeLeaveTable("看客"));
    EXPECT_TRUE(WaitUntil([&] { return watcher.disconnected; }));
}

TEST_F(RecordsTest, ALobbyReadsTheStandingsAndAPersonsGamesAsJson) {
    PlayOneGame("张三");
    const auto json = [&](const std::string& path) {
        const QByteArray reply = Fetch(path);
        EXPECT_TRUE(reply.startsWith("HTTP/1.0 200")) << path << ": " << reply.toStdString();
        return QJsonDocument::fromJson(reply.mid(reply.indexOf("\r\n\r\n") + 4)).object();
    };
    const auto stored = store_.LoadOrCreate("张三", false);
    const QJsonObject person = json("/people/%E5%BC%A0%E4%B8%89.json");  // 张三
    EXPECT_EQ(person["version"].toInt(), 1);
    EXPECT_EQ(person["person"]["points"].toInt(), stored->points);
    EXPECT_EQ(person["person"]["games"].toInt(), 1);
    ASSERT_EQ(person["games"].toArray().size(), 1);
    EXPECT_EQ(person["games"][0]["id"].toInt(), 1);
    EXPECT_TRUE(person["games"][0]["players"].toArray().contains(QStringLiteral("张三")));

    const QJsonArray standings = json("/standings.json")["standings"].toArray();
    const auto listed = std::find_if(standings.begin(), standings.end(),
                                     [](const QJsonValue& s) { return s["name"].toString() == "张三"; });
    ASSERT_NE(listed, standings.end());
    EXPECT_EQ(listed->toObject()["points"].toInt(), stored->points);
    EXPECT_TRUE(Fetch("/people/%E7%9C%8B%E5%AE%A2.json").startsWith("HTTP/1.0 404"));  // 看客
}

TEST_F(RecordsTest, TheJsonOfAGamePlaysToTheSameScoresThroughTheRules) {
    PlayOneGame("张三");
    const QByteArray reply = Fetch("/games/1.json");
    ASSERT_TRUE(reply.startsWith("HTTP/1.0 200")) << reply.toStdString();
    const QJsonObject root =
        QJsonDocument::fromJson(reply.mid(reply.indexOf("\r\n\r\n") + 4)).object();
    EXPECT_EQ(root["format"].toString(), "redten-game");
    EXPECT_EQ(root["version"].toInt(), 2);
    EXPECT_TRUE(root["review"].isNull());  // the room reviews nothing unless told

    const auto cards = [](const QJsonValue& v) {
        CardList out;
        for (const QJsonValue& c : v.toArray()) {
            out.push_back(static_cast<std::uint8_t>(c.toInt()));
        }
        return out;
    };
    std::array<CardList, 4> dealt;
    std::array<std::int32_t, 4> scores{};
    for (const QJsonValue& seat : root["seats"].toArray()) {
        const int s = seat["seat"].toInt();
        dealt[s] = cards(seat["dealt"]);
        scores[s] = seat["score"].toInt();
    }
    engine::Game game(dealt);
    for (const QJsonValue& answer : root["showing"].toArray()) {
        ASSERT_FALSE(game.AnswerShowing(static_cast<std::uint8_t>(answer["seat"].toInt()),
                                        static_cast<std::uint8_t>(answer["answer"].toInt())));
    }
    game.FillMissingAnswers();
    game.EndShowing();
    for (const QJsonValue& play : root["plays"].toArray()) {
        const auto result =
            game.Play(static_cast<std::uint8_t>(play["seat"].toInt()), cards(play["cards"]));
        ASSERT_FALSE(std::holds_alternative<std::string>(result));
    }
    ASSERT_TRUE(game.Over());
    EXPECT_EQ(game.Scores(root["stake"].toInt()), scores);
    EXPECT_EQ(game.Multiplier(), root["multiplier"].toInt());

    EXPECT_TRUE(Fetch("/games/2.json").startsWith("HTTP/1.0 404"));
    EXPECT_TRUE(Fetch("/games/x").startsWith("HTTP/1.0 404"));
}

// A stored game is reviewed in the computer players' spare time: the
// review comes with the game's JSON, the game's page draws the win chance
// and names the better plays, the person's page counts the accuracy, and a
// replay tells every mark in the chat pane as its decision is made.
TEST_F(RecordsTest, AStoredGameIsReviewedAndShownWhereverItIsRead) {
    reviewWorlds_ = 30;
    PlayOneGame("张三");
    QJsonObject root;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const QByteArray reply = Fetch("/games/1.json");
            root = QJsonDocument::fromJson(reply.mid(reply.indexOf("\r\n\r\n") + 4)).object();
            return root["review"].isObject();
        },
        60000));
    EXPECT_EQ(root["version"].toInt(), 2);
    const QJsonArray decisions = root["review"].toObject()["decisions"].toArray();
    ASSERT_GT(decisions.size(), 10);
    int marked = 0;
    for (const QJsonValue& d : decisions) {
        EXPECT_LE(d["chosenWin"].toDouble(), d["bestWin"].toDouble());
        EXPECT_TRUE(d["best"].isObject());
        marked += d["mark"].toString() != "none" ? 1 : 0;
    }

    const QString page = QString::fromUtf8(Fetch("/games/1"));
    EXPECT_TRUE(page.contains(QStringLiteral("<svg")) && page.contains(QStringLiteral("<polyline")));
    EXPECT_TRUE(page.contains(QStringLiteral("张三 准确率"))) << page.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("<script")));
    const QString person = QString::fromUtf8(Fetch("/people/%E5%BC%A0%E4%B8%89"));  // 张三
    EXPECT_TRUE(person.contains(QStringLiteral("最近 1 局的准确率"))) << person.toStdString();
    const QByteArray personJson = Fetch("/people/%E5%BC%A0%E4%B8%89.json");
    const QJsonValue accuracy = QJsonDocument::fromJson(personJson.mid(personJson.indexOf("\r\n\r\n") + 4))
                                    .object()["games"].toArray().at(0)["accuracy"];
    ASSERT_TRUE(accuracy.isDouble()) << personJson.toStdString();
    EXPECT_GE(accuracy.toDouble(), 0);
    EXPECT_LE(accuracy.toDouble(), 1);

    ScriptedTable watcher("看客", room_->Port());
    ASSERT_TRUE(watcher.ReserveWith("REPLAY 看客 1 1 0")) << watcher.lastReply;
    ASSERT_TRUE(watcher.Connect());
    ASSERT_TRUE(WaitUntil([&] { return !watcher.Of(23).empty(); }, 20000));
    int told = 0;
    bool announced = false;
    for (const Bytes& m : watcher.Of(105)) {
        const auto notice = wire::RoomNotice::Decode(m);
        ASSERT_TRUE(notice.has_value());
        announced = announced || notice->text.starts_with("这局复盘过了");
        const bool mark = (notice->text.starts_with("第") && notice->text.find("手 ") != std::string::npos) ||
                          notice->text.starts_with("亮牌时");
        told += mark ? 1 : 0;
        EXPECT_EQ(notice->text.find('?'), std::string::npos) << notice->text;  // the table's text carries it all
    }
    EXPECT_TRUE(announced);
    EXPECT_EQ(told, marked);

    // The room's command line reviews a stored game again and prints it.
    QProcess review;
    review.start(redten::test::RoomProcess::Exe(), {"--review", "1", "--review-worlds", "20", "--db", dir_.filePath("room.db")});
    ASSERT_TRUE(review.waitForFinished(60000));
    const QString printed = QString::fromUtf8(review.readAllStandardOutput());
    EXPECT_EQ(review.exitCode(), 0) << review.readAllStandardError().toStdString();
    EXPECT_TRUE(printed.startsWith(QStringLiteral("第 1 局的复盘（每步设想 20 副牌）"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral(" 张三：准确率 "))) << printed.toStdString();
    review.start(redten::test::RoomProcess::Exe(), {"--review", "9", "--db", dir_.filePath("room.db")});
    ASSERT_TRUE(review.waitForFinished(60000));
    EXPECT_NE(review.exitCode(), 0);
    EXPECT_TRUE(review.readAllStandardError().contains("no game 9"));
}

// Chromium as Debian packages it, headless: the page as a browser renders it.
QString Chromium() {
    for (const char* name : {"chromium", "chromium-browser"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

TEST_F(RecordsTest, PagesRenderInARealBrowserWithNamesAsText) {
    const QString chromium = Chromium();
    ASSERT_FALSE(chromium.isEmpty())
        << "chromium is not installed (scripts/setup-deps installs it)";
    PlayOneGame("<b>x</b>");
    QTemporaryDir profile;
    QDir().mkpath(REDTEN_SNAPSHOT_DIR);
    const auto browse = [&](const QString& path, const QString& shot) {
        const QString url = QStringLiteral("http://127.0.0.1:%1%2").arg(room_->Port()).arg(path);
        const QStringList common = {"--headless",
                                    "--no-sandbox",
                                    "--disable-gpu",
                                    "--no-first-run",
                                    "--user-data-dir=" + profile.path(),
                                    "--window-size=1000,1300"};
        QProcess dump;
        dump.start(chromium, common + QStringList{"--dump-dom", url});
        // The room answers from this thread: keep its loop running meanwhile.
        EXPECT_TRUE(WaitUntil([&] { return dump.state() == QProcess::NotRunning; }, 60000));
        const QString dom = QString::fromUtf8(dump.readAllStandardOutput());
        EXPECT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
        QProcess snap;
        snap.start(
            chromium,
            common + QStringList{"--screenshot=" + QDir(REDTEN_SNAPSHOT_DIR).filePath(shot), url});
        EXPECT_TRUE(WaitUntil([&] { return snap.state() == QProcess::NotRunning; }, 60000));
        EXPECT_TRUE(QFileInfo(QDir(REDTEN_SNAPSHOT_DIR).filePath(shot)).size() > 0)
            << shot.toStdString();
        return dom;
    };
    const QString room = browse("/", "records-room.png");
    const QString person = browse("/people/%3Cb%3Ex%3C%2Fb%3E", "records-person.png");
    const QString game = browse("/games/1", "records-game.png");
    for (const QString& dom : {room, person, game}) {
        // Shown as text: escaped in the serialised DOM, never a <b> element.
        EXPECT_TRUE(dom.contains("&lt;b&gt;x&lt;/b&gt;")) << dom.toStdString();
        EXPECT_FALSE(dom.contains("<b>x</b>")) << dom.toStdString();
    }
    EXPECT_TRUE(room.contains(QStringLiteral("排行榜")));
    EXPECT_TRUE(room.contains(QStringLiteral("电脑高手甲1")) ||
                room.contains(QStringLiteral("电脑新手甲1")));
    EXPECT_TRUE(person.contains(QStringLiteral("最近的对局")) && person.contains("/games/1"));
    for (const QString& part :
         {QStringLiteral("第 1 局"), QStringLiteral("发的牌"), QStringLiteral("第 1 轮"),
          QStringLiteral("倍数"), QStringLiteral("redten-play --replay 1")}) {
        EXPECT_TRUE(game.contains(part)) << part.toStdString();
    }
}

}  // namespace
}  // namespace redten::room
