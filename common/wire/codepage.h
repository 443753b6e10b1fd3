#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace redten {

// Text on the wire is in code page 936; everywhere else in the program it is
// UTF-8. These two convert one character at a time, which is what the message
// operations need: the wire keeps its own idea of which bytes pair up.

// Converts characters between UTF-8 and the code page, one at a time. One
// converter serves a whole message: opening the tables costs far more than
// converting a character.
class Cp936Converter {
public:
    Cp936Converter();
    ~Cp936Converter();
    Cp936Converter(const Cp936Converter&) = delete;
    Cp936Converter& operator=(const Cp936Converter&) = delete;

    // The code-page bytes of one character: one byte or two. Characters the
    // code page lacks, and malformed UTF-8, become "?".
    std::string FromCodePoint(char32_t codePoint);
    // The UTF-8 text of the double-byte character lead, trail; nullopt when
    // the pair names no character.
    std::optional<std::string> FromPair(unsigned char lead, unsigned char trail);

private:
    void* toCp936_;
    void* toUtf8_;
};

// Walks UTF-8 text one code point at a time; malformed sequences yield
// U+FFFD and advance by one byte, so every input terminates.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace redten
