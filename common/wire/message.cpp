#include "wire/message.h"

#include <algorithm>

#include "wire/codepage.h"

namespace redten {
namespace {

// Opening the two converters costs far more than converting a message, so
// each thread opens them once. They carry nothing from one character to
// the next: every conversion starts afresh.
Cp936Converter& Converter() {
    thread_local Cp936Converter converter;
    return converter;
}

}  // namespace

bool MakeSendBytes(std::string_view text, Bytes& out, std::size_t headerLength,
                   const Bytes& header) {
    if (text.empty()) {
        return false;
    }
    const std::size_t n = std::min(headerLength, header.size());
    out.assign(header.begin(), header.begin() + static_cast<std::ptrdiff_t>(n));
    out.reserve(n + text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = NextCodePoint(text, pos);
        if (c < 0x80) {
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        const std::string code = Converter().FromCodePoint(c);
        out.insert(out.end(), code.begin(), code.end());
    }
    return true;
}

std::string GetTextFromBytes(const Bytes& bytes, std::size_t start) {
    std::string text;
    std::size_t i = start;
    while (i < bytes.size()) {
        const std::uint8_t b = bytes[i];
        if (b < 128) {
            text += static_cast<char>(b);
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size()) {
            return {};
        }
        text += Converter().FromPair(b, bytes[i + 1]).value_or("?");
        i += 2;
    }
    return text;
}

bool GetLongFromBytes(std::int32_t& value, const Bytes& bytes, std::size_t index) {
    if (index >= bytes.size() || bytes.size() - index < 4) {
        return false;
    }
    const std::uint32_t u = (std::uint32_t{bytes[index]} << 24) |
                            (std::uint32_t{bytes[index + 1]} << 16) |
                            (std::uint32_t{bytes[index + 2]} << 8) | std::uint32_t{bytes[index + 3]};
    value = static_cast<std::int32_t>(u);
    return true;
}

}  // namespace redten
