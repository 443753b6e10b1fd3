#include "wire/text_fields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace redten {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <typename T>
T RoundClamped(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double r = std::nearbyint(value);
    if (r <= static_cast<double>(std::numeric_limits<T>::min())) {
        return std::numeric_limits<T>::min();
    }
    if (r >= static_cast<double>(std::numeric_limits<T>::max())) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(r);
}

}  // namespace

std::vector<std::string> SplitFields(std::string_view text, char separator) {
    std::vector<std::string> fields;
    if (text.empty()) {
        return fields;
    }
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = text.find(separator, begin);
        if (end == std::string_view::npos) {
            fields.emplace_back(text.substr(begin));
            return fields;
        }
        fields.emplace_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
}

std::string JoinFields(const std::vector<std::string>& fields, char separator) {
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            text += separator;
        }
        text += fields[i];
    }
    return text;
}

double TextValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    // Collect the longest prefix that reads as a decimal number.
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number += text[i++];
    }
    bool digits = false;
    while (i < text.size() && IsDigit(text[i])) {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && IsDigit(text[i])) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) {
        return 0;
    }
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (text[j] == '+' || text[j] == '-') {
            exponent += text[j++];
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]) && exponent.size() < 8) {
                exponent += text[j++];
            }
            number += exponent;
        }
    }
    // from_chars, unlike strtod, ignores the locale Qt installs at start-up.
    const char* first = number.c_str();
    if (*first == '+') {
        ++first;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(first, number.c_str() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (number.find("e-") != std::string::npos) {
            return 0;  // too small to matter
        }
        return number.front() == '-' ? -std::numeric_limits<double>::max()
                                     : std::numeric_limits<double>::max();
    }
    return ec == std::errc{} && std::isfinite(value) ? value : 0;
}

std::int32_t RoundToLong(double value) { return RoundClamped<std::int32_t>(value); }
std::int16_t RoundToInteger(double value) { return RoundClamped<std::int16_t>(value); }
std::uint8_t RoundToByte(double value) { return RoundClamped<std::uint8_t>(value); }

}  // namespace redten
