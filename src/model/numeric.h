#pragma once
// Number conversions with the exact behaviour the network's arithmetic relies on.
#include <cstdint>

#include "ksr_kernel.h"

namespace ks {

// Truncation toward zero to a 32-bit integer. NaN and values outside the
// int32 range give INT32_MIN, as the processor's conversion instruction does.
inline std::int32_t Trunc32(double v) { return ksr_trunc32(v); }

// Rounds a double to the nearest single-precision value and widens it again.
inline double ToSingle(double v) { return static_cast<double>(static_cast<float>(v)); }

// The single-precision values the training constants are stored as.
inline constexpr double kSingleTenth = 0.10000000149011612;        // float(0.1)
inline constexpr double kSingleHundredth = 0.009999999776482582;   // float(0.01)
inline constexpr double kTargetLevel = 0.8199999928474426;         // float(0.82)

}  // namespace ks
