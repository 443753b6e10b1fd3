#include <gtest/gtest.h>

#include <QSqlQuery>
#include <QTemporaryDir>

#include "server/pages/record_pages.h"
#include "server/store/records.h"
#include "server/store/store_worker.h"
#include "server/pages/web_pages.h"

namespace redten::room {
namespace {

TEST(WebRequestTest, OnlyTheRoomsPagesAreAskedForAndEveryPartIsChecked) {
    using Kind = WebRequest::Kind;
    EXPECT_EQ(ParseWebRequest("GET / HTTP/1.1").kind, Kind::Room);
    EXPECT_EQ(ParseWebRequest("GET /?page=3 HTTP/1.1").page, 3);
    const WebRequest person = ParseWebRequest("GET /people/%E5%BC%A0%3Cb%3E HTTP/1.1");
    EXPECT_EQ(person.kind, Kind::Person);
    EXPECT_EQ(person.name, "张<b>");
    const WebRequest json = ParseWebRequest("GET /games/12.json HTTP/1.1");
    EXPECT_EQ(json.kind, Kind::GameJson);
    EXPECT_EQ(json.id, 12);
    EXPECT_EQ(ParseWebRequest("GET /adv/KOVA/ga.htm?replay=7 HTTP/1.1").replay, 7);
    EXPECT_EQ(ParseWebRequest("GET /adv/KOVA/ga.htm?replay=x HTTP/1.1").kind, Kind::Adv);
    for (const char* refused :
         {"POST / HTTP/1.1", "GET", "", "GET /people/ HTTP/1.1", "GET /people/%G1 HTTP/1.1",
          "GET /people/%E5% HTTP/1.1", "GET /games/0 HTTP/1.1", "GET /games/-1 HTTP/1.1",
          "GET /games/99999999999999999999 HTTP/1.1", "GET /games/1x HTTP/1.1",
          "GET /?page=abc HTTP/1.1", "GET /?page=99999 HTTP/1.1", "GET /etc/passwd HTTP/1.1"}) {
        EXPECT_EQ(ParseWebRequest(refused).kind, Kind::NotFound) << refused;
    }
    EXPECT_EQ(ParseWebRequest("GET /people/" + std::string(200, 'a') + " HTTP/1.1").kind,
              Kind::NotFound);
    EXPECT_EQ(HtmlEscaped("<a href=\"x\">'&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(CardName(kRedTen59) + CardName(kRedTen72) + CardName(0) + CardName(51), "♥10♦10♥3♦2");
}

TEST(StoredTextTest, DamagedTextIsRefusedAndStepsComeBackAsWritten) {
    const std::vector<GameStep> steps = {{GameStep::Kind::Answer, 1, 2, 10},
                                         {GameStep::Kind::ShowingOver, 0, 0, 900},
                                         {GameStep::Kind::Play, 3, 0, 1200},
                                         {GameStep::Kind::Escape, 2, 1, 5000}};
    const auto back = ParseSteps(StepsText(steps));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 4u);
    EXPECT_EQ((*back)[3].kind, GameStep::Kind::Escape);
    EXPECT_EQ((*back)[3].ms, 5000);
    for (const char* bad : {"q1.0@5", "a4.0@5", "a1.0@-5", "a1.0", "a1@5", "a1.0@5;", "a1.300@5"}) {
        EXPECT_FALSE(ParseSteps(bad)) << bad;
    }
    EXPECT_FALSE(ParseCards("1,,2"));
    EXPECT_FALSE(ParseCards("256"));
    EXPECT_FALSE(ParseCards(std::string(100, '1').insert(0, "1,")));
    EXPECT_FALSE(ParsePlays("0:"));
    EXPECT_FALSE(ParsePlays("5:1"));
    EXPECT_EQ(ParsePlays("0:1,2;1:254")->size(), 2u);
}

TEST(HealthTest, GamesWaitingOverAMinuteMakeTheRoomUnhealthy) {
    RecordsHealth records{false, "2026-12-09 10:00:00", 3, kStaleWriteSeconds};
    EXPECT_EQ(HealthStatus(records), 200);
    EXPECT_EQ(HealthJson(records),
              "{\"records\":{\"available\":false,\"oldestWaitingSeconds\":60,"
              "\"unavailableSince\":\"2026-12-09 10:00:00\",\"waitingWrites\":3},\"version\":1}");
    ++records.oldestWaitingSeconds;
    EXPECT_EQ(HealthStatus(records), 503);
    EXPECT_EQ(ParseWebRequest("GET /health HTTP/1.1").kind, WebRequest::Kind::Health);
}

TEST(TablesJsonTest, SeatsComputersAndWatchersAsLobbiesRead) {
    LiveTable playing{3, true, {"张三", "", "电脑\"甲", "李四"}, {false, false, true, false}, "strong", {"王五"}};
    LiveTable waiting{4, false, {"", "", "", ""}, {false, false, false, false}, "basic", {}};
    EXPECT_EQ(TablesJson({playing, waiting}, 5),
              "{\"people\":5,\"tables\":[{\"number\":3,\"seats\":[{\"computer\":false,\"name\":\"张三\"},null,"
              "{\"computer\":true,\"level\":\"strong\",\"name\":\"电脑\\\"甲\"},{\"computer\":false,\"name\":\"李四\"}],"
              "\"state\":\"playing\",\"watchers\":[\"王五\"]},{\"number\":4,\"seats\":[null,null,null,null],"
              "\"state\":\"waiting\",\"watchers\":[]}],\"version\":1}");
    EXPECT_EQ(ParseWebRequest("GET /tables.json HTTP/1.1").kind, WebRequest::Kind::TablesJson);
}

TEST(RecordsReadTest, MissingDamagedAndLookalikeRecordsAreToldApart) {
    QTemporaryDir dir;
    StoreWorker worker;
    QString error;
    ASSERT_TRUE(worker.Open(dir.filePath("room.db"), error)) << error.toStdString();
    worker.Now([](Store& store) {
        for (const char* name : {"a_b", "axb"}) {
            store.LoadOrCreate(name, false);
        }
        QSqlQuery q(store.Database());
        q.exec(
            "INSERT INTO games (players, deal, shown, plays, scores, places) VALUES"
            " ('axb;p;q;r', '1;2;3;4', '0;0;0;0', '', '0;0;0;0', '0;0;0;0'),"
            " ('axb;p;q;r', '1;2;3', '0;0;0;0', '', '0;0;0;0', '0;0;0;0')");
    });
    EXPECT_EQ(worker.Now([](Store& s) { return ReadGame(s, 1); }).status, ReadStatus::Ok);
    EXPECT_EQ(worker.Now([](Store& s) { return ReadGame(s, 2); }).status,
              ReadStatus::Damaged);  // three hands
    EXPECT_EQ(worker.Now([](Store& s) { return ReadGame(s, 3); }).status, ReadStatus::Missing);
    // "_" in a name matches itself only.
    EXPECT_TRUE(worker.Now([](Store& s) { return ReadPerson(s, "a_b", 0); }).value.games.empty());
    EXPECT_EQ(worker.Now([](Store& s) { return ReadPerson(s, "axb", 0); }).value.games.size(), 2u);
    EXPECT_EQ(worker.Now([](Store& s) { return ReadPerson(s, "nobody", 0); }).status,
              ReadStatus::Missing);
    EXPECT_EQ(worker.Now([](Store& s) { return ReadStandings(s, 0); }).value.size(), 2u);
}

}  // namespace
}  // namespace redten::room
