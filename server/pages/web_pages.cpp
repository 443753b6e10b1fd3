#include "server/pages/web_pages.h"

#include <algorithm>
#include <charconv>

namespace redten::room {
namespace {

constexpr std::string_view kAdvPath = "/adv/KOVA/ga.htm";
// A name is at most 16 characters of up to 4 bytes, each as %XX.
constexpr std::size_t kMaxNameBytes = 64;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// %XX decoded; nothing when broken or too long.
bool Decoded(std::string_view in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '%') {
            const int hi = i + 2 < in.size() ? HexValue(in[i + 1]) : -1;
            const int lo = i + 2 < in.size() ? HexValue(in[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                return false;
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += in[i];
        }
        if (out.size() > kMaxNameBytes) {
            return false;
        }
    }
    return !out.empty();
}

template <typename T>
bool Whole(std::string_view text, T lowest, T highest, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() &&
           value >= lowest && value <= highest;
}

// The value of key in "a=1&b=2", or nothing.
std::string_view QueryValue(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.size() > key.size() && pair.substr(0, key.size()) == key &&
            pair[key.size()] == '=') {
            return pair.substr(key.size() + 1);
        }
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    }
    return {};
}

// Takes ".json" off the end, if it is there.
bool EndsWithJson(std::string_view& segment) {
    constexpr std::string_view kSuffix = ".json";
    if (segment.size() <= kSuffix.size() || segment.substr(segment.size() - kSuffix.size()) != kSuffix) {
        return false;
    }
    segment.remove_suffix(kSuffix.size());
    return true;
}

}  // namespace

std::string WebRequest::Key() const {
    return std::to_string(static_cast<int>(kind)) + "|" + name + "|" + std::to_string(id) + "|" +
           std::to_string(page) + "|" + std::to_string(replay);
}

WebRequest ParseWebRequest(std::string_view line) {
    WebRequest request;
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos || line.substr(0, first) != "GET") {
        return request;
    }
    const std::size_t second = line.find(' ', first + 1);
    std::string_view target =
        line.substr(first + 1, second == std::string_view::npos ? second : second - first - 1);
    const std::size_t mark = target.find('?');
    const std::string_view path = target.substr(0, mark);
    const std::string_view query =
        mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
    int page = 0;
    if (const std::string_view p = QueryValue(query, "page");
        !p.empty() && !Whole(p, 0, 10000, page)) {
        return request;
    }
    request.page = page;
    constexpr std::string_view kPeople = "/people/";
    constexpr std::string_view kGames = "/games/";
    constexpr std::int64_t kLargestId = std::int64_t{1} << 53;
    if (path == kAdvPath) {
        request.kind = WebRequest::Kind::Adv;
        const std::string_view replay = QueryValue(query, "replay");
        if (!replay.empty() && !Whole(replay, std::int64_t{1}, kLargestId, request.replay)) {
            request.replay = 0;
        }
    } else if (path == "/") {
        request.kind = WebRequest::Kind::Room;
    } else if (path == "/play") {
        request.kind = WebRequest::Kind::Play;
    } else if (path.starts_with("/web/")) {
        // Our own files' names only: nothing that could climb out of the folder.
        const std::string_view file = path.substr(5);
        const bool plain = !file.empty() && file.size() <= 100 && file.find("..") == std::string_view::npos &&
                           std::all_of(file.begin(), file.end(), [](char c) {
                               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                      c == '.' || c == '_' || c == '-' || c == '@' || c == '/';
                           });
        if (plain) {
            request.kind = WebRequest::Kind::WebFile;
            request.name = std::string(file);
        }
    } else if (path == "/health") {
        request.kind = WebRequest::Kind::Health;
    } else if (path == "/tables.json") {
        request.kind = WebRequest::Kind::TablesJson;
    } else if (path == "/standings.json") {
        request.kind = WebRequest::Kind::StandingsJson;
    } else if (path.substr(0, kPeople.size()) == kPeople) {
        std::string_view name = path.substr(kPeople.size());
        const bool json = EndsWithJson(name);
        if (Decoded(name, request.name)) {
            request.kind = json ? WebRequest::Kind::PersonJson : WebRequest::Kind::Person;
        }
    } else if (path.substr(0, kGames.size()) == kGames) {
        std::string_view id = path.substr(kGames.size());
        const bool json = EndsWithJson(id);
        if (Whole(id, std::int64_t{1}, kLargestId, request.id)) {
            request.kind = json ? WebRequest::Kind::GameJson : WebRequest::Kind::Game;
        }
    }
    return request;
}

std::string WebResponse(int status, std::string_view contentType, const std::string& body) {
    const char* reason = status == 200   ? "OK"
                         : status == 404 ? "Not Found"
                         : status == 414 ? "URI Too Long"
                         : status == 500 ? "Internal Server Error"
                         : status == 503 ? "Service Unavailable"
                                         : "Error";
    // A page may be a few seconds old: it changes with every finished game.
    // JSON is read by lobbies that ask again every two seconds for what is
    // live now, so it is never kept.
    // The browser table's files change only with the room.
    const std::string_view cache = contentType == kJson   ? "no-cache"
                                   : contentType == kHtml ? "max-age=5"
                                                          : "max-age=60";
    return "HTTP/1.0 " + std::to_string(status) + " " + reason +
           "\r\nContent-Type: " + std::string(contentType) +
           "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nCache-Control: " + std::string(cache) +
           "\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace redten::room
