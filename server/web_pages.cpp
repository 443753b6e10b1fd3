#include "web_pages.h"

namespace redten::room {
namespace {

constexpr std::string_view kAdvPath = "/adv/KOVA/ga.htm";

std::string Response(std::string_view status, const std::string& body) {
    return "HTTP/1.0 " + std::string(status) +
           "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string AdvPage(const RoomFigures& figures) {
    return "<html><head><meta charset=\"utf-8\"><title>红十</title></head>"
           "<body style=\"background:#fafafa\">"
           "<h3 style=\"color:#b01010\">红十 · 欢迎来玩</h3>"
           "<p>本房间现在有 " + std::to_string(figures.people) + " 位玩家。</p>"
           "<p>坐满四人、大家都举手后开始游戏。人不够时，电脑玩家会来陪你。</p>"
           "<p style=\"color:#0849a5\">两张红十最大，亮出红十输赢加倍！</p>"
           "</body></html>";
}

}  // namespace

std::string WebReply(std::string_view requestLine, const RoomFigures& figures) {
    // "GET", the path, the protocol.
    const std::size_t first = requestLine.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : requestLine.find(' ', first + 1);
    const std::string_view path =
        first == std::string_view::npos ? std::string_view()
                                        : requestLine.substr(first + 1, second == std::string_view::npos
                                                                            ? std::string_view::npos
                                                                            : second - first - 1);
    if (requestLine.substr(0, first) != "GET" || path != kAdvPath) {
        return Response("404 Not Found", "<html><body>没有这个页面。</body></html>");
    }
    return Response("200 OK", AdvPage(figures));
}

}  // namespace redten::room
