#pragma once

namespace redten::test {

// Under AddressSanitizer every step of the room takes longer; a bound on
// time that a test checks is stretched by this much in a sanitized build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kTimeScale = 2;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int kTimeScale = 2;
#else
inline constexpr int kTimeScale = 1;
#endif
#else
inline constexpr int kTimeScale = 1;
#endif

}  // namespace redten::test
