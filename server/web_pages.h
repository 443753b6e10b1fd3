#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace redten::room {

// What the room's page tells about the room right now.
struct RoomFigures {
    std::size_t people = 0;  // at the tables, or on their way with a reservation
};

// The whole HTTP answer to a request line ("GET /adv/KOVA/ga.htm HTTP/1.1"):
// the room's page for the tables, or "not found" for anything else.
std::string WebReply(std::string_view requestLine, const RoomFigures& figures);

}  // namespace redten::room
