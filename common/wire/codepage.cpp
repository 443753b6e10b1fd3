#include "wire/codepage.h"

#include <iconv.h>

#include <array>

namespace redten {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Converts all of in, or nothing.
std::optional<std::string> Convert(void* handle, std::string_view in) {
    const auto cd = static_cast<iconv_t>(handle);
    if (cd == kNoConverter) {
        return std::nullopt;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh start for every character
    std::array<char, 16> out{};
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
        return std::nullopt;
    }
    return std::string(out.data(), out.size() - outLeft);
}

std::string Utf8FromCodePoint(char32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    constexpr char32_t kReplacement = 0xFFFD;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(pos);
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (first < 0x80) {
        ++pos;
        return first;
    } else if ((first & 0xE0) == 0xC0) {
        extra = 1, cp = first & 0x1F, minimum = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        extra = 2, cp = first & 0x0F, minimum = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        extra = 3, cp = first & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + extra >= text.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += extra + 1;
    return cp;
}

Cp936Converter::Cp936Converter()
    : toCp936_(iconv_open("CP936", "UTF-8")), toUtf8_(iconv_open("UTF-8", "CP936")) {}

Cp936Converter::~Cp936Converter() {
    for (void* handle : {toCp936_, toUtf8_}) {
        if (static_cast<iconv_t>(handle) != kNoConverter) {
            iconv_close(static_cast<iconv_t>(handle));
        }
    }
}

std::string Cp936Converter::FromCodePoint(char32_t codePoint) {
    if (codePoint < 0x80) {
        return std::string(1, static_cast<char>(codePoint));
    }
    auto bytes = Convert(toCp936_, Utf8FromCodePoint(codePoint));
    if (!bytes || bytes->empty() || bytes->size() > 2) {
        return "?";
    }
    return *bytes;
}

std::optional<std::string> Cp936Converter::FromPair(unsigned char lead, unsigned char trail) {
    const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    auto text = Convert(toUtf8_, std::string_view(pair, 2));
    if (!text || text->empty()) {
        return std::nullopt;
    }
    // The pair must be one character; a single-byte reading of the lead
    // (0x80 is the euro sign in this code page) would split it.
    std::size_t pos = 0;
    NextCodePoint(*text, pos);
    if (pos != text->size()) {
        return std::nullopt;
    }
    return text;
}

}  // namespace redten
