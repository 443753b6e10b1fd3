#pragma once

#include <cstdint>

#include "wire/bytes.h"

namespace redten {

// The first message of every link: 130, 0, then "700`KOVA`" and whether
// spectators may see this user's cards (1 or 0).
inline constexpr char kProtocolVersion[] = "700";
inline constexpr char kGameId[] = "KOVA";

Bytes MakeHandshake(std::uint8_t allowSpectatorsToSeeCards);

}  // namespace redten
