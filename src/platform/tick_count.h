#pragma once

#include <cstdint>

namespace redten {

// Milliseconds on a steady clock, wrapping at 2^32 like the system tick
// count; compare two readings by unsigned difference.
std::uint32_t GetTickCount();

}  // namespace redten
