#include "server/pages/page_server.h"

#include <algorithm>

namespace redten::room {

PageServer::PageServer(QObject* receiver, StoreWorker& store, int cacheMs, Room room)
    : receiver_(receiver), store_(store), cacheMs_(cacheMs), room_(std::move(room)) {
    clock_.start();
}

void PageServer::WithStandings(int page, std::function<void(const std::vector<Standing>*)> use) {
    const auto cached = standings_.find(page);
    if (cached != standings_.end() && clock_.elapsed() - cached->second.at < cacheMs_) {
        use(&cached->second.standings);
        return;
    }
    const bool asked = Read<room::Read<std::vector<Standing>>>(
        [page](Store& store) { return ReadStandings(store, page); },
        [this, page, use](room::Read<std::vector<Standing>> read) {
            if (read.status != ReadStatus::Ok) {
                use(nullptr);
                return;
            }
            constexpr std::size_t kPagesKept = 64;
            if (standings_.size() >= kPagesKept) {
                standings_.clear();
            }
            auto& kept = standings_[page];
            kept = {clock_.elapsed(), std::move(read.value)};
            use(&kept.standings);
        });
    if (!asked) {
        use(nullptr);
    }
}

std::string PageServer::Keep(const std::string& key, int status, std::string_view type,
                             std::string body) {
    constexpr std::size_t kPagesKept = 256;
    if (pages_.size() >= kPagesKept) {
        std::erase_if(pages_,
                      [this](const auto& p) { return clock_.elapsed() - p.second.at >= cacheMs_; });
    }
    if (pages_.size() < kPagesKept) {
        pages_[key] = {clock_.elapsed(), status, type, body};
    }
    return body;
}

void PageServer::Serve(const std::string& requestLine, const std::string& roomAddress,
                       Answer answer) {
    const WebRequest request = ParseWebRequest(requestLine);
    const auto busy = [answer] {
        answer(503, kHtml, MessagePage("房间正忙", "房间暂时读不了记录，请稍后再试。"));
    };
    switch (request.kind) {
        case WebRequest::Kind::NotFound:
            answer(404, kHtml, MessagePage("没有这个页面", "没有这个页面。"));
            return;
        case WebRequest::Kind::Play:
        case WebRequest::Kind::WebFile: {
            const WebFiles::File* file =
                room_.files == nullptr ? nullptr
                                       : room_.files->Find(request.kind == WebRequest::Kind::Play ? "play.html" : request.name);
            if (file == nullptr) {
                answer(404, kHtml,
                       MessagePage("没有这个页面", request.kind == WebRequest::Kind::Play ? "这个房间没有网页牌桌。"
                                                                                      : "没有这个页面。"));
            } else {
                answer(200, file->type, file->body);
            }
            return;
        }
        case WebRequest::Kind::Adv: {
            const std::size_t people = room_.people();
            WithStandings(0, [answer, people, roomAddress,
                              replay = request.replay](const std::vector<Standing>* all) {
                // The tables show the page even when the records cannot be read.
                std::vector<Standing> top;
                if (all) {
                    top.assign(all->begin(), all->begin() + static_cast<long>(std::min<std::size_t>(
                                                                all->size(), 10)));
                }
                answer(200, kHtml, AdvPage(people, top, roomAddress, replay));
            });
            return;
        }
        case WebRequest::Kind::Room:
            // The tables, and why the records are missing, show even when
            // the standings cannot be read.
            WithStandings(request.page, [this, answer, page = request.page](const std::vector<Standing>* all) {
                answer(200, kHtml, RoomPage(room_.tables(), all, page, room_.records()));
            });
            return;
        case WebRequest::Kind::StandingsJson:
            WithStandings(request.page, [answer, page = request.page](const std::vector<Standing>* all) {
                if (all) {
                    answer(200, kJson, StandingsJson(*all, page));
                } else {
                    answer(503, kJson, R"({"error":"records unavailable"})");
                }
            });
            return;
        case WebRequest::Kind::TablesJson:
            // From the room itself: the tables change by the second.
            answer(200, kJson, TablesJson(room_.tables(), room_.people()));
            return;
        case WebRequest::Kind::Health: {
            // From what the room knows, never through the records' thread.
            const RecordsHealth records = room_.records();
            answer(HealthStatus(records), kJson, HealthJson(records));
            return;
        }
        default:
            break;
    }
    const std::string key = request.Key();
    if (const auto cached = pages_.find(key);
        cached != pages_.end() && clock_.elapsed() - cached->second.at < cacheMs_) {
        answer(cached->second.status, cached->second.type, cached->second.body);
        return;
    }
    bool asked = false;
    if (request.kind == WebRequest::Kind::Person || request.kind == WebRequest::Kind::PersonJson) {
        const bool json = request.kind == WebRequest::Kind::PersonJson;
        asked = Read<room::Read<PersonGames>>(
            [name = request.name, page = request.page](Store& store) {
                return ReadPerson(store, name, page);
            },
            [this, key, answer, busy, json, page = request.page](room::Read<PersonGames> read) {
                if (read.status == ReadStatus::Missing && json) {
                    answer(404, kJson, Keep(key, 404, kJson, R"({"error":"no such person"})"));
                } else if (read.status == ReadStatus::Missing) {
                    answer(
                        404, kHtml,
                        Keep(key, 404, kHtml, MessagePage("没有这个人", "没有找到这个人的战绩。")));
                } else if (read.status == ReadStatus::Ok) {
                    const auto type = json ? kJson : kHtml;
                    answer(200, type,
                           Keep(key, 200, type, json ? PersonJson(read.value, page) : PersonPage(read.value, page)));
                } else {
                    busy();
                }
            });
    } else {
        const bool json = request.kind == WebRequest::Kind::GameJson;
        asked = Read<room::Read<StoredGame>>(
            [game = request.id](Store& store) { return ReadGame(store, game); },
            [this, key, answer, busy, json, game = request.id](room::Read<StoredGame> read) {
                if (read.status == ReadStatus::Missing) {
                    const std::string text = "没有找到第 " + std::to_string(game) + " 局。";
                    answer(404, kHtml, Keep(key, 404, kHtml, MessagePage("没有这一局", text)));
                } else if (read.status == ReadStatus::Damaged) {
                    const std::string text =
                        "第 " + std::to_string(game) + " 局的记录已损坏，无法显示。";
                    answer(500, kHtml, MessagePage("记录已损坏", text));
                } else if (read.status == ReadStatus::Ok) {
                    const auto type = json ? kJson : kHtml;
                    answer(
                        200, type,
                        Keep(key, 200, type, json ? GameJson(read.value) : GamePage(read.value)));
                } else {
                    busy();
                }
            });
    }
    if (!asked) {
        busy();
    }
}

}  // namespace redten::room
