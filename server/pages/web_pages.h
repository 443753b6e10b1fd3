#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The room's web port: what a request line asks for, and the HTTP answer
// around a page. The pages themselves are record_pages.h.
namespace redten::room {

struct WebRequest {
    enum class Kind {
        NotFound, Adv, Room, Person, PersonJson, Game, GameJson, Health, TablesJson, StandingsJson,
        Play,     // the browser's table
        WebFile,  // one of its files: name is the path below /web/
    };
    Kind kind = Kind::NotFound;
    std::string name;         // Person: UTF-8, decoded from the path
    std::int64_t id = 0;      // Game, GameJson
    int page = 0;             // Room, Person: ?page=N, from 0
    std::int64_t replay = 0;  // Adv: ?replay=ID, the game a replay table shows

    // Requests with the same key get the same page.
    std::string Key() const;
};

// "GET /games/12 HTTP/1.1" and the like. Anything that is not a GET of one
// of the room's pages is NotFound.
WebRequest ParseWebRequest(std::string_view requestLine);

// The whole HTTP answer: status line, headers and body; the link ends after it.
std::string WebResponse(int status, std::string_view contentType, const std::string& body);
constexpr std::string_view kHtml = "text/html; charset=utf-8";
constexpr std::string_view kJson = "application/json; charset=utf-8";

}  // namespace redten::room
