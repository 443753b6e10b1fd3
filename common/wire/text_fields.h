#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace redten {

// Fields inside a message text are separated by back-quotes, with no escape.
inline constexpr char kFieldSeparator = '`';

// Splits on back-quotes. An empty text has no fields at all; otherwise n
// separators give n + 1 fields, empty ones included.
std::vector<std::string> SplitFields(std::string_view text, char separator = kFieldSeparator);

std::string JoinFields(const std::vector<std::string>& fields, char separator = kFieldSeparator);

// The numeric value of a text: leading blanks skipped, reading stops at the
// first character that cannot continue a number, 0 when there is none.
double TextValue(std::string_view text);

// A numeric value held in a smaller type: rounded half to even, then
// clamped into the type's range.
std::int32_t RoundToLong(double value);
std::int16_t RoundToInteger(double value);
std::uint8_t RoundToByte(double value);

}  // namespace redten
