#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace redten {

// A user record is 16 back-quote separated fields.
inline constexpr std::size_t kUserRecordFields = 16;

// The full list of the people at a table (room message 130/2) is their
// records one after another, all joined by back-quotes: 16 × n fields.
// Returns the n records, each as its own 16-field text; a text whose field
// count is not a multiple of 16 holds no usable list and gives none.
std::vector<std::string> SplitUserListText(std::string_view text);

std::string JoinUserListText(const std::vector<std::string>& records);

}  // namespace redten
