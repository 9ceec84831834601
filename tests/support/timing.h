#pragma once
// Time limits in tests: the sanitizer builds run many times slower.
#include <chrono>

namespace ks::test {

#ifdef KESTRINE_SANITIZED
inline constexpr int kSlowdown = 20;
#else
inline constexpr int kSlowdown = 1;
#endif

inline std::chrono::milliseconds Budget(int ms) { return std::chrono::milliseconds(ms * kSlowdown); }

}  // namespace ks::test
