#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace redten {

// Text on the wire is in code page 936; everywhere else in the program it is
// UTF-8. These two convert one character at a time, which is what the message
// operations need: the wire keeps its own idea of which bytes pair up.

// The code-page bytes of one UTF-8 encoded character: one byte or two.
// Characters the code page lacks, and malformed UTF-8, become "?".
std::string Cp936FromCodePoint(char32_t codePoint);

// The UTF-8 text of the double-byte character lead, trail; nullopt when the
// pair names no character.
std::optional<std::string> Utf8FromCp936Pair(unsigned char lead, unsigned char trail);

// Walks UTF-8 text one code point at a time; malformed sequences yield
// U+FFFD and advance by one byte, so every input terminates.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace redten
