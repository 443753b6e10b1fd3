#pragma once

#include <cstdint>
#include <vector>

namespace redten {

// One whole message as it travels between a table and its room.
using Bytes = std::vector<std::uint8_t>;

}  // namespace redten
