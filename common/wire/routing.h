#pragma once

#include <cstdint>

namespace redten {

// Which handler a message from the room belongs to, by its first byte:
// above 94 is a room message, except 113 and 133, which the game handler
// takes along with everything from 0 to 94.
constexpr bool IsRoomMessageCode(std::uint8_t code) {
    return code > 94 && code != 113 && code != 133;
}

}  // namespace redten
