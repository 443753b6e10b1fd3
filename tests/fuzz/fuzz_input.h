#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/bytes.h"

namespace redten::fuzz {

// Reads a fuzzer's input as a run of messages: each is a two-byte length
// (low byte first) and that many bytes; a short tail is the last message.
inline std::vector<Bytes> SplitMessages(const std::uint8_t* data, std::size_t size) {
    std::vector<Bytes> messages;
    std::size_t at = 0;
    while (at < size) {
        std::size_t length = data[at];
        if (at + 1 < size) {
            length |= static_cast<std::size_t>(data[at + 1]) << 8;
        }
        at += 2;
        if (at >= size) {
            break;
        }
        const std::size_t take = length < size - at ? length : size - at;
        messages.emplace_back(data + at, data + at + take);
        at += take;
    }
    return messages;
}

// A scratch file for the readers that take a path: one per process, in
// memory where the system allows.
std::string ScratchFile(const std::uint8_t* data, std::size_t size);

}  // namespace redten::fuzz
