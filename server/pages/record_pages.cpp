#include "server/pages/record_pages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <map>
#include <variant>

#include "engine/game.h"
#include "engine/review.h"
#include "rules/cards.h"

namespace redten::room {
namespace {

const char* const kSeatNames[4] = {"一号位", "二号位", "三号位", "四号位"};

// The card a code stands for, suit and rank: the red tens are carried
// marked but are the tens of suits 0 and 3.
std::uint8_t PlainCard(std::uint8_t card) {
    return card == kRedTen59 ? kRankTen : card == kRedTen72 ? 3 * 13 + kRankTen : Normalise(card);
}

std::string Percent(std::int32_t part, std::int32_t whole) {
    return whole > 0 ? std::to_string(static_cast<long long>(part) * 100 / whole) + "%" : "–";
}

std::string Head(std::string_view title) {
    return "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" +
           HtmlEscaped(title) +
           "</title><style>"
           "body{font-family:sans-serif;margin:1.5em;background:#fafafa;color:#222}"
           "h1{color:#b01010}table{border-collapse:collapse;margin:.5em 0 1.5em}"
           "td,th{border:1px solid #ccc;padding:.25em .6em;text-align:left}th{background:#eee}"
           ".red{color:#b01010}.pass{color:#888}code{background:#eee;padding:.1em .3em}"
           ".mark{color:#b05000;font-size:90%}.good{color:#107010;font-size:90%}"
           "nav a{margin-right:1em}"
           "a.act{display:inline-block;background:#b01010;color:#fff;border-radius:4px;padding:.1em .5em;"
           "text-decoration:none;font-size:90%}"
           "</style></head><body><nav><a href=\"/\">房间首页</a></nav><h1>" +
           HtmlEscaped(title) + "</h1>";
}

constexpr std::string_view kTail = "</body></html>";

std::string PersonLink(const std::string& name) {
    return "<a href=\"/people/" + PathEncoded(name) + "\">" + HtmlEscaped(name) + "</a>";
}

std::string GameLink(std::int64_t id) {
    return "<a href=\"/games/" + std::to_string(id) + "\">第 " + std::to_string(id) + " 局</a>";
}

std::string Cards(const CardList& cards) {
    std::string out;
    for (const std::uint8_t card : cards) {
        const bool red = PlainCard(card) / 13 == 0 || PlainCard(card) / 13 == 3;
        out += (out.empty() ? "" : " ") + std::string(red ? "<span class=\"red\">" : "<span>") +
               HtmlEscaped(CardName(card)) + "</span>";
    }
    return out;
}

std::string ShownText(std::uint8_t answer) {
    switch (answer) {
        case 1:
            return "亮 ♥10";
        case 2:
            return "亮 ♦10";
        case 3:
            return "亮两张红10";
        default:
            return "不亮";
    }
}

std::string ResultText(const FinishedGame& g) {
    if (g.abandoned) {
        return "房间关闭，这局没有打完，不计输赢";
    }
    if (g.escapedSeat >= 0 && g.escapedSeat < 4) {
        return g.players[g.escapedSeat] + " 逃跑，按逃跑扣分";
    }
    return g.winner > 0 ? "红方胜" : "黑方胜";
}

std::string PageLinks(const std::string& base, int page, bool more) {
    std::string out = "<p>";
    if (page > 0) {
        out += "<a href=\"" + base + "?page=" + std::to_string(page - 1) + "\">上一页</a> ";
    }
    if (more) {
        out += "<a href=\"" + base + "?page=" + std::to_string(page + 1) + "\">下一页</a>";
    }
    return out + "</p>";
}

// The game as the judged rules play it: who played what in which trick.
struct Trick {
    std::vector<std::pair<std::uint8_t, CardList>> plays;
};

std::vector<Trick> Tricks(const FinishedGame& g) {
    engine::Game game(g.dealt);
    bool showed = false;
    for (const GameStep& step : g.steps) {
        if (step.kind == GameStep::Kind::Answer) {
            showed = true;
            game.AnswerShowing(step.seat, step.value);
        }
    }
    for (std::uint8_t s = 0; s < 4 && !showed; ++s) {
        game.AnswerShowing(s, g.shown[s]);
    }
    game.FillMissingAnswers();
    game.EndShowing();
    std::vector<Trick> tricks(1);
    for (const auto& play : g.plays) {
        tricks.back().plays.push_back(play);
        const auto result = game.Play(play.first, play.second);
        const auto* done = std::get_if<engine::Game::PlayResult>(&result);
        if (done && done->nextPhase == kPhaseLead) {
            tricks.emplace_back();
        }
    }
    if (tricks.back().plays.empty()) {
        tricks.pop_back();
    }
    return tricks;
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string PathEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

std::string CardName(std::uint8_t card) { return engine::CardWords(card); }

std::string MessagePage(std::string_view title, std::string_view text) {
    return Head(title) + "<p>" + HtmlEscaped(text) + "</p>" + std::string(kTail);
}

std::string HealthJson(const RecordsHealth& records) {
    QJsonObject r{{"available", records.available},
                  {"unavailableSince", records.available ? QJsonValue() : QJsonValue(QString::fromStdString(records.unavailableSince))},
                  {"waitingWrites", static_cast<qint64>(records.waitingWrites)},
                  {"oldestWaitingSeconds", static_cast<qint64>(records.oldestWaitingSeconds)}};
    const QJsonObject o{{"version", kHealthJsonVersion}, {"records", r}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string TablesJson(const std::vector<LiveTable>& tables, std::size_t people) {
    QJsonArray list;
    for (const LiveTable& t : tables) {
        QJsonArray seats;
        for (std::size_t s = 0; s < t.players.size(); ++s) {
            if (t.players[s].empty()) {
                seats.append(QJsonValue());
                continue;
            }
            const bool computer = s < t.computers.size() && t.computers[s];
            QJsonObject seat{{"name", QString::fromStdString(t.players[s])}, {"computer", computer}};
            if (computer) {
                seat.insert("level", QString::fromStdString(t.level));
            }
            seats.append(seat);
        }
        QJsonArray watchers;
        for (const std::string& w : t.watchers) {
            watchers.append(QString::fromStdString(w));
        }
        list.append(QJsonObject{{"number", t.number},
                                {"state", t.playing ? "playing" : "waiting"},
                                {"seats", seats},
                                {"watchers", watchers}});
    }
    const QJsonObject o{{"version", kTablesJsonVersion}, {"people", static_cast<qint64>(people)}, {"tables", list}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

namespace {

QJsonObject TotalsJson(const Standing& s) {
    return QJsonObject{{"name", QString::fromStdString(s.name)},
                       {"computer", s.computer},
                       {"points", s.points},
                       {"games", s.games},
                       {"wins", s.wins},
                       {"losses", s.losses},
                       {"draws", s.draws},
                       {"escapes", s.escapes}};
}

}  // namespace

std::string StandingsJson(const std::vector<Standing>& standings, int page) {
    QJsonArray list;
    for (const Standing& s : standings) {
        list.append(TotalsJson(s));
    }
    const QJsonObject o{{"version", kPeopleJsonVersion}, {"page", page}, {"standings", list}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

std::string PersonJson(const PersonGames& person, int page) {
    QJsonArray games;
    for (const GameSummary& g : person.games) {
        QJsonArray players, scores, places;
        for (std::size_t s = 0; s < 4; ++s) {
            players.append(QString::fromStdString(g.players[s]));
            scores.append(g.scores[s]);
            places.append(g.places[s]);
        }
        games.append(QJsonObject{{"id", static_cast<qint64>(g.id)},
                                 {"finishedAt", QString::fromStdString(g.finishedAt)},
                                 {"players", players},
                                 {"scores", scores},
                                 {"places", places},
                                 {"winner", g.winner},
                                 {"escapedSeat", g.escapedSeat},
                                 {"accuracy", g.decisions > 0 ? QJsonValue(static_cast<double>(g.accurate) / g.decisions)
                                                              : QJsonValue()}});
    }
    const QJsonObject o{{"version", kPeopleJsonVersion},
                        {"page", page},
                        {"person", TotalsJson(person.person)},
                        {"games", games},
                        {"more", person.more}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

int HealthStatus(const RecordsHealth& records) {
    return records.waitingWrites > 0 && records.oldestWaitingSeconds > kStaleWriteSeconds ? 503 : 200;
}

std::string RoomPage(const std::vector<LiveTable>& tables, const std::vector<Standing>* read, int page,
                     const RecordsHealth& records) {
    std::string out = Head("红十 · 房间");
    if (!records.available) {
        out += "<p class=\"warn\">战绩库从 " + HtmlEscaped(records.unavailableSince) +
               " 起暂时不可用，桌子照常开局；" + std::to_string(records.waitingWrites) +
               " 局等着写入，战绩库恢复后按顺序补上。</p>";
    } else if (records.waitingWrites > 0) {
        out += "<p class=\"warn\">" + std::to_string(records.waitingWrites) + " 局正在等着写入战绩库。</p>";
    }
    out += "<h2>正在进行的桌子</h2>";
    if (tables.empty()) {
        out += "<p>现在没有桌子开着。</p>";
    } else {
        out += "<table><tr><th>桌号</th><th>状态</th><th>玩家</th><th>旁观</th></tr>";
        // A room of many tables still answers with a page of bounded size.
        constexpr std::size_t kTablesListed = 100;
        for (std::size_t i = 0; i < tables.size() && i < kTablesListed; ++i) {
            const LiveTable& t = tables[i];
            std::string players, watchers;
            for (std::size_t seat = 0; seat < t.players.size(); ++seat) {
                const std::string& p = t.players[seat];
                // A browser sits at a free chair of a waiting table, or
                // watches a person at any.
                std::string action;
                if (p.empty() && !t.playing) {
                    action = " <a class=\"act\" href=\"/play?table=" + std::to_string(t.number) + "&amp;seat=" +
                             std::to_string(seat + 1) + "\">坐下</a>";
                } else if (!p.empty() && (seat >= t.computers.size() || !t.computers[seat])) {
                    action = " <a class=\"act\" href=\"/play?watch=" + PathEncoded(p) + "\">旁观</a>";
                }
                players += (players.empty() ? "" : "、") +
                           (p.empty() ? std::string("（空位）") : PersonLink(p)) + action;
            }
            for (const std::string& w : t.watchers) {
                watchers += (watchers.empty() ? "" : "、") + PersonLink(w);
            }
            out += "<tr><td>" + std::to_string(t.number) + "</td><td>" +
                   (t.playing ? "游戏中" : "等待开始") + "</td><td>" + players + "</td><td>" +
                   (watchers.empty() ? "–" : watchers) + "</td></tr>";
        }
        out += "</table>";
        if (tables.size() > kTablesListed) {
            out += "<p>还有 " + std::to_string(tables.size() - kTablesListed) + " 桌没有列出。</p>";
        }
    }
    out += "<p><a class=\"act\" href=\"/play\">在浏览器里开一桌</a>（和电脑玩家打，朋友可以从这一页坐到空位上）</p>";
    out += "<h2>排行榜</h2>";
    static const std::vector<Standing> kNone;
    const std::vector<Standing>& standings = read ? *read : kNone;
    if (!read) {
        out += "<p>排行榜暂时读不到，请稍后再看。</p>";
    } else if (standings.empty()) {
        out += "<p>还没有人打完一局。</p>";
    } else {
        out +=
            "<table><tr><th>名次</th><th>名字</th><th>积分</th><th>局数</th><th>胜</th><th>胜率</"
            "th>"
            "<th>逃跑率</th></tr>";
        int rank = page * kStandingsPerPage;
        for (const Standing& s : standings) {
            out += "<tr><td>" + std::to_string(++rank) + "</td><td>" + PersonLink(s.name) +
                   "</td><td>" + std::to_string(s.points) + "</td><td>" + std::to_string(s.games) +
                   "</td><td>" + std::to_string(s.wins) + "</td><td>" + Percent(s.wins, s.games) +
                   "</td><td>" + Percent(s.escapes, s.games) + "</td></tr>";
        }
        out += "</table>";
    }
    out += PageLinks("/", page, standings.size() == static_cast<std::size_t>(kStandingsPerPage));
    return out + std::string(kTail);
}

std::string PersonPage(const PersonGames& person, int page) {
    const Standing& s = person.person;
    std::string out = Head(s.name + " 的战绩");
    out +=
        "<table><tr><th>积分</th><th>局数</th><th>胜</th><th>负</th><th>和</th><th>逃跑</"
        "th><th>胜率</th>"
        "<th>逃跑率</th></tr><tr><td>" +
        std::to_string(s.points) + "</td><td>" + std::to_string(s.games) + "</td><td>" +
        std::to_string(s.wins) + "</td><td>" + std::to_string(s.losses) + "</td><td>" +
        std::to_string(s.draws) + "</td><td>" + std::to_string(s.escapes) + "</td><td>" +
        Percent(s.wins, s.games) + "</td><td>" + Percent(s.escapes, s.games) + "</td></tr></table>";
    out += "<h2>最近的对局</h2>";
    int decisions = 0, accurate = 0;
    for (const GameSummary& g : person.games) {
        decisions += g.decisions;
        accurate += g.accurate;
    }
    if (decisions > 0) {
        out += "<p>" + std::string(page == 0 ? "最近 " : "这一页 ") + std::to_string(person.games.size()) +
               " 局的准确率：" + Percent(accurate, decisions) + "（复盘过的 " + std::to_string(decisions) +
               " 步中 " + std::to_string(accurate) + " 步离最好的一步不到 5 个百分点）</p>";
    }
    if (person.games.empty()) {
        out += "<p>没有对局记录。</p>";
    } else {
        out +=
            "<table><tr><th>对局</th><th>结束时间（UTC）</th><th>同桌</th><th>名次</th><th>得分</"
            "th>"
            "<th>结果</th><th>准确率</th></tr>";
        for (const GameSummary& g : person.games) {
            int seat = 0;
            while (seat < 3 && g.players[seat] != s.name) {
                ++seat;
            }
            std::string others;
            for (int i = 0; i < 4; ++i) {
                if (i != seat) {
                    others += (others.empty() ? "" : "、") + PersonLink(g.players[i]);
                }
            }
            const std::string result = g.abandoned             ? "未打完"
                                       : g.escapedSeat == seat ? "逃跑"
                                       : g.scores[seat] > 0    ? "胜"
                                       : g.scores[seat] < 0    ? "负"
                                                               : "平";
            out += "<tr><td>" + GameLink(g.id) + "</td><td>" + HtmlEscaped(g.finishedAt) +
                   "</td><td>" + others + "</td><td>" +
                   (g.places[seat] ? std::to_string(g.places[seat]) : "–") + "</td><td>" +
                   std::to_string(g.scores[seat]) + "</td><td>" + result + "</td><td>" +
                   (g.decisions > 0 ? Percent(g.accurate, g.decisions) : "–") + "</td></tr>";
        }
        out += "</table>";
    }
    out += PageLinks("/people/" + PathEncoded(s.name), page, person.more);
    return out + std::string(kTail);
}

// The red side's win chance after each reviewed decision, as the one who
// made it saw it, over the plays of the game: an SVG the server draws, with
// the marked decisions as dots that name themselves.
std::string WinChanceLine(const FinishedGame& g, const engine::GameReview& review) {
    constexpr int kWidth = 640, kHeight = 200, kPad = 30;
    std::uint32_t lastPlay = 1;
    for (const engine::DecisionReview& d : review.decisions) {
        lastPlay = std::max(lastPlay, d.play);
    }
    const auto x = [&](std::uint32_t play) {
        return kPad + static_cast<int>(static_cast<long long>(play) * (kWidth - 2 * kPad) / lastPlay);
    };
    const auto y = [&](double redWin) {
        return kPad + static_cast<int>((100 - redWin) * (kHeight - 2 * kPad) / 100);
    };
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
                      "\" height=\"" + std::to_string(kHeight) + "\" role=\"img\"><title>红方胜率</title>"
                      "<rect width=\"100%\" height=\"100%\" fill=\"#fff\" stroke=\"#ccc\"/>";
    for (int p : {0, 50, 100}) {
        out += "<line x1=\"" + std::to_string(kPad) + "\" x2=\"" + std::to_string(kWidth - kPad) +
               "\" y1=\"" + std::to_string(y(p)) + "\" y2=\"" + std::to_string(y(p)) +
               "\" stroke=\"#ddd\"/><text x=\"2\" y=\"" + std::to_string(y(p) + 4) +
               "\" font-size=\"11\">" + std::to_string(p) + "%</text>";
    }
    std::string points, dots;
    for (const engine::DecisionReview& d : review.decisions) {
        const double redWin = g.red[d.seat] ? d.chosenWin : 100 - d.chosenWin;
        const std::string at = std::to_string(x(d.play)) + "," + std::to_string(y(redWin));
        points += (points.empty() ? "" : " ") + at;
        if (d.mark == engine::Mark::Mistake || d.mark == engine::Mark::Blunder) {
            dots += "<circle cx=\"" + std::to_string(x(d.play)) + "\" cy=\"" + std::to_string(y(redWin)) +
                    "\" r=\"" + (d.mark == engine::Mark::Blunder ? "5" : "3.5") +
                    "\" fill=\"#d06000\"><title>" + HtmlEscaped(engine::MarkLine(d, g.players[d.seat])) +
                    "</title></circle>";
        }
    }
    out += "<polyline fill=\"none\" stroke=\"#b01010\" stroke-width=\"2\" points=\"" + points + "\"/>" +
           dots + "<text x=\"" + std::to_string(kPad) + "\" y=\"" + std::to_string(kHeight - 8) +
           "\" font-size=\"11\">红方胜率，每一步出牌者眼中的（横轴：第几手）</text></svg>";
    return out;
}

// A reviewed decision's mark beside its play, with the better one.
std::string MarkNote(const engine::DecisionReview& d) {
    const bool showing = d.play == 0;
    if (d.mark == engine::Mark::Good) {
        return " <span class=\"good\">好棋</span>";
    }
    if (d.mark == engine::Mark::None) {
        return {};
    }
    return " <span class=\"mark\">" + std::string(engine::MarkName(d.mark)) + "，更好的是" +
           HtmlEscaped(engine::ActionWords(d.best, showing)) + "（胜率 " +
           std::to_string(std::lround(d.chosenWin)) + "% → " + std::to_string(std::lround(d.bestWin)) +
           "%）</span>";
}

std::string GamePage(const StoredGame& stored) {
    FinishedGame g = stored.game;
    const auto multiplier = ReplayChecks(g);
    const std::string id = std::to_string(stored.id);
    std::string out = Head("第 " + id + " 局");
    out += "<p>结束时间（UTC）：" + HtmlEscaped(stored.finishedAt) + "　桌号：" +
           std::to_string(g.tableNo) + "　每份：" + std::to_string(g.stake) + "　倍数：" +
           (multiplier ? std::to_string(*multiplier) : "?") + "</p><p><b>结果：" +
           HtmlEscaped(ResultText(g)) + "</b></p>";
    if (!multiplier) {
        out += "<p>这局的记录按现在的规则走不通，下面照原样列出。</p>";
    }
    out +=
        "<table><tr><th>座位</th><th>玩家</th><th>阵营</th><th>亮红10</th><th>名次</th><th>得分</"
        "th></tr>";
    for (int s = 0; s < 4; ++s) {
        out += "<tr><td>" + std::string(kSeatNames[s]) + "</td><td>" + PersonLink(g.players[s]) +
               "</td><td>" + (g.red[s] ? "<span class=\"red\">红方</span>" : "黑方") + "</td><td>" +
               ShownText(g.shown[s]) + "</td><td>" +
               (g.places[s] ? std::to_string(g.places[s]) : "–") + "</td><td>" +
               std::to_string(g.scores[s]) + "</td></tr>";
    }
    out += "</table><h2>发的牌</h2><table>";
    for (int s = 0; s < 4; ++s) {
        CardList hand = g.dealt[s];
        SortPai(hand);
        out += "<tr><th>" + HtmlEscaped(g.players[s]) + "</th><td>" + Cards(hand) + "</td></tr>";
    }
    // The review's judgement of each play by its number in the game, and of
    // each showing answer by its place among the answers.
    std::map<std::uint32_t, const engine::DecisionReview*> judged, answers;
    if (stored.review && multiplier) {
        for (const engine::DecisionReview& d : stored.review->decisions) {
            (d.play > 0 ? judged[d.play] : answers[d.event]) = &d;
        }
    }
    out += "</table><h2>亮红10</h2><ol>";
    bool any = false;
    std::uint32_t answer = 0;
    for (const GameStep& step : g.steps) {
        if (step.kind == GameStep::Kind::Answer) {
            any = true;
            const auto mark = answers.find(answer++);
            out += "<li>" + HtmlEscaped(g.players[step.seat]) + "：" + ShownText(step.value) +
                   (mark != answers.end() ? MarkNote(*mark->second) : std::string()) + "</li>";
        }
    }
    for (int s = 0; s < 4 && !any; ++s) {
        out += "<li>" + HtmlEscaped(g.players[s]) + "：" + ShownText(g.shown[s]) + "</li>";
    }
    out += "</ol>";
    if (stored.review && multiplier) {
        out += "<h2>复盘</h2>" + WinChanceLine(g, *stored.review) + "<p>";
        for (int s = 0; s < 4; ++s) {
            if (const auto a = engine::Accuracy(*stored.review, static_cast<std::uint8_t>(s))) {
                out += HtmlEscaped(g.players[s]) + " 准确率 " + std::to_string(std::lround(*a * 100)) + "%　";
            }
        }
        out += "</p><ul>";
        for (const engine::DecisionReview& d : stored.review->decisions) {
            if (d.mark == engine::Mark::Mistake || d.mark == engine::Mark::Blunder) {
                out += "<li>" + HtmlEscaped(engine::MarkLine(d, g.players[d.seat])) + "</li>";
            }
        }
        out += "</ul><p>每一步都只按出牌者当时看得到的牌来判断：胜率比最好的一步低 10 个百分点以上为失误，25 以上为大失误；别的出法都差得多时为好棋。</p>";
    } else {
        out += "<h2>复盘</h2><p>这局还没有复盘。</p>";
    }
    out += "<h2>出牌</h2>";
    int number = 0;
    std::uint32_t play = 0;
    for (const Trick& trick : Tricks(g)) {
        out += "<p><b>第 " + std::to_string(++number) + " 轮</b>：";
        bool first = true;
        for (const auto& [seat, cards] : trick.plays) {
            const auto mark = judged.find(++play);
            out +=
                std::string(first ? "" : "；") + HtmlEscaped(g.players[seat]) + " " +
                (cards == CardList{kPassCard} ? "<span class=\"pass\">不出</span>" : Cards(cards)) +
                (mark != judged.end() ? MarkNote(*mark->second) : std::string());
            first = false;
        }
        out += "</p>";
    }
    if (number == 0) {
        out += "<p>没有人出过牌。</p>";
    }
    out += "<h2>回放</h2><p>在桌上重看这一局：<code>redten-play --replay " + id +
           "</code>（源码目录里：<code>./play --replay " + id +
           "</code>）。记录的 JSON：<a href=\"/games/" + id + ".json\">/games/" + id +
           ".json</a></p>";
    return out + std::string(kTail);
}

QJsonValue ReviewJson(const std::optional<engine::GameReview>& review) {
    if (!review) {
        return QJsonValue();
    }
    static const char* const kMarks[4] = {"none", "good", "mistake", "blunder"};
    const auto action = [](const engine::Decision& d, bool showing) {
        if (showing) {
            return QJsonObject{{"answer", d.answer}};
        }
        QJsonArray cards;
        for (const std::uint8_t c : d.play) {
            cards.append(c);
        }
        return QJsonObject{{"cards", cards}};
    };
    QJsonArray decisions;
    for (const engine::DecisionReview& d : review->decisions) {
        const bool showing = d.play == 0;
        decisions.append(QJsonObject{{"seat", d.seat},
                                     {"play", showing ? QJsonValue() : QJsonValue(static_cast<qint64>(d.play))},
                                     {"chosen", action(d.chosen, showing)},
                                     {"best", action(d.best, showing)},
                                     {"chosenWin", d.chosenWin},
                                     {"bestWin", d.bestWin},
                                     {"chosenStake", d.chosenStake},
                                     {"bestStake", d.bestStake},
                                     {"mark", kMarks[static_cast<int>(d.mark) & 3]}});
    }
    return QJsonObject{{"version", engine::GameReview::kVersion},
                       {"worlds", review->worlds},
                       {"decisions", decisions}};
}

std::string GameJson(const StoredGame& stored) {
    FinishedGame g = stored.game;
    const auto multiplier = ReplayChecks(g);
    const auto cards = [](const CardList& list) {
        QJsonArray out;
        for (const std::uint8_t c : list) {
            out.append(c);
        }
        return out;
    };
    QJsonArray seats;
    for (int s = 0; s < 4; ++s) {
        seats.append(QJsonObject{{"seat", s},
                                 {"name", QString::fromStdString(g.players[s])},
                                 {"red", g.red[s]},
                                 {"dealt", cards(g.dealt[s])},
                                 {"shown", g.shown[s]},
                                 {"place", g.places[s]},
                                 {"score", g.scores[s]}});
    }
    QJsonArray showing, plays;
    QJsonValue showingOverMs, escape;
    std::size_t play = 0;
    for (const GameStep& step : g.steps) {
        switch (step.kind) {
            case GameStep::Kind::Answer:
                showing.append(
                    QJsonObject{{"seat", step.seat}, {"answer", step.value}, {"ms", step.ms}});
                break;
            case GameStep::Kind::ShowingOver:
                showingOverMs = step.ms;
                break;
            case GameStep::Kind::Play:
                if (play < g.plays.size()) {
                    plays.append(QJsonObject{{"seat", g.plays[play].first},
                                             {"cards", cards(g.plays[play].second)},
                                             {"ms", step.ms}});
                }
                ++play;
                break;
            case GameStep::Kind::Escape:
                escape =
                    QJsonObject{{"seat", step.seat},
                                {"reason", EscapeReasonText(static_cast<EscapeReason>(step.value))},
                                {"ms", step.ms}};
                break;
        }
    }
    // Games stored before their times were kept: the plays without them.
    for (; play < g.plays.size(); ++play) {
        plays.append(
            QJsonObject{{"seat", g.plays[play].first}, {"cards", cards(g.plays[play].second)}});
    }
    if (g.steps.empty()) {
        for (int s = 0; s < 4; ++s) {
            showing.append(QJsonObject{{"seat", s}, {"answer", g.shown[s]}});
        }
    }
    const QJsonObject root{
        {"format", "redten-game"},
        {"version", kGameJsonVersion},
        {"id", static_cast<qint64>(stored.id)},
        {"finishedAt", QString::fromStdString(stored.finishedAt)},
        {"table", g.tableNo},
        {"stake", g.stake},
        {"multiplier", multiplier ? QJsonValue(*multiplier) : QJsonValue()},
        {"result", g.abandoned          ? "abandoned"
                   : g.escapedSeat >= 0 ? "escape"
                   : g.winner > 0       ? "red"
                                        : "black"},
        {"escapedSeat", g.escapedSeat},
        {"seats", seats},
        {"showing", showing},
        {"showingOverMs", showingOverMs},
        {"plays", plays},
        {"escape", escape},
        {"review", ReviewJson(stored.review)},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

std::string AdvPage(std::size_t people, const std::vector<Standing>& topTen,
                    std::string_view roomAddress, std::int64_t replayed) {
    std::string out =
        "<html><head><meta charset=\"utf-8\"><title>红十</title></head>"
        "<body style=\"background:#fafafa\">";
    if (replayed > 0) {
        out += "<h3 style=\"color:#b01010\">正在回放第 " + std::to_string(replayed) +
               " 局</h3>"
               "<p>回放不计战绩。关掉窗口即可离开。</p>";
    } else {
        out +=
            "<h3 style=\"color:#b01010\">红十 · 欢迎来玩</h3>"
            "<p>本房间现在有 " +
            std::to_string(people) +
            " 位玩家。</p>"
            "<p>坐满四人、大家都举手后开始游戏。人不够时，电脑玩家会来陪你。</p>";
    }
    out += "<p><b>排行榜前十</b></p><p>";
    if (topTen.empty()) {
        out += "还没有人打完一局。";
    }
    int rank = 0;
    for (const Standing& s : topTen) {
        out += std::to_string(++rank) + ". " + HtmlEscaped(s.name) + "　" +
               std::to_string(s.points) + " 分<br>";
    }
    out += "</p><p>全部战绩和对局回放请用浏览器打开：<br><b>" + HtmlEscaped(roomAddress) +
           "</b></p>"
           "<p style=\"color:#0849a5\">两张红十最大，亮出红十输赢加倍！</p></body></html>";
    return out;
}

std::string ReviewReport(const StoredGame& stored, const engine::GameReview& review) {
    std::string out = "第 " + std::to_string(stored.id) + " 局的复盘（每步设想 " +
                      std::to_string(review.worlds) + " 副牌）\n";
    for (std::uint8_t s = 0; s < 4; ++s) {
        int decisions = 0, accurate = 0;
        for (const engine::DecisionReview& d : review.decisions) {
            if (d.seat == s) {
                ++decisions;
                accurate += d.Cost() <= engine::kAccuratePoints ? 1 : 0;
            }
        }
        out += std::string(kSeatNames[s]) + " " + stored.game.players[s] + "：";
        out += decisions == 0 ? std::string("没有可选的步")
                              : "准确率 " + std::to_string(accurate * 100 / decisions) + "%（" +
                                    std::to_string(decisions) + " 步中 " +
                                    std::to_string(accurate) + " 步）";
        out += '\n';
    }
    for (const engine::DecisionReview& d : review.decisions) {
        if (d.mark != engine::Mark::None) {
            out += engine::MarkLine(d, stored.game.players[d.seat]) + '\n';
        }
    }
    return out;
}

}  // namespace redten::room
