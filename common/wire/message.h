#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "wire/bytes.h"

namespace redten {

// The three message operations every handler builds on. Text is UTF-8 here
// and code page 936 inside the message.

// Builds the first headerLength bytes of header followed by the encoded
// text. An empty text builds nothing and returns false: nothing is sent.
// headerLength is cut to the header actually given.
bool MakeSendBytes(std::string_view text, Bytes& out, std::size_t headerLength = 0,
                   const Bytes& header = {});

// Decodes from start to the end of the message. A lead byte with no trail
// byte makes the whole text empty, as does a start beyond the last byte.
std::string GetTextFromBytes(const Bytes& bytes, std::size_t start);

// Reads the big-endian signed 32-bit integer at index. False, and value
// untouched, when fewer than four bytes remain from index on.
bool GetLongFromBytes(std::int32_t& value, const Bytes& bytes, std::size_t index);

}  // namespace redten
