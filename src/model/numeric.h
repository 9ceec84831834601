#pragma once
// Number conversions with the exact behaviour the network's arithmetic relies on.
#include <cmath>
#include <cstdint>
#include <limits>

namespace ks {

// Truncation toward zero to a 32-bit integer. NaN and values outside the
// int32 range give INT32_MIN, as the processor's conversion instruction does.
inline std::int32_t Trunc32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

// Rounds a double to the nearest single-precision value and widens it again.
inline double ToSingle(double v) { return static_cast<double>(static_cast<float>(v)); }

// The single-precision values the training constants are stored as.
inline constexpr double kSingleTenth = 0.10000000149011612;        // float(0.1)
inline constexpr double kSingleHundredth = 0.009999999776482582;   // float(0.01)
inline constexpr double kTargetLevel = 0.8199999928474426;         // float(0.82)

}  // namespace ks
