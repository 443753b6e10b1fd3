#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace redten::room {

// The chat's addressee "everybody": no person may be called that.
inline constexpr char kEverybodyName[] = "所有人";

// Why a name cannot be used at a table, or nothing when it can. A name is
// a key in every list and a word on the table's command line: no blanks,
// no back-quotes, no control characters, at most 16 characters, and every
// character must travel in the table's code page. Nor may it pass for a
// computer player or for the chat's everybody.
std::optional<std::string> CheckPersonName(std::string_view name);

}  // namespace redten::room
