#pragma once
// The process-wide 15-bit generator. It reproduces the classic C rand()
// (state * 214013 + 2531011, output bits 16..30) so that a fixed seed gives
// the same IDs and weights on every machine. Safe to call from two threads.
#include <cstdint>
#include <functional>

namespace ks {

constexpr int kRandMax = 32767;

void SeedRandom(std::uint32_t seed);  // srand
int NextRandom();                     // rand: 0..32767

// A fresh identifier trunc(r / 32768 * span + 1.0), redrawn while `taken` says
// it is in use. span is 99999 for inputs, outputs, receptors and scenarios,
// 799999 for connections. Returns 0 when every candidate is taken.
constexpr double kIdSpan = 99999.0;
constexpr double kConnectionIdSpan = 799999.0;
std::int32_t DrawId(double span, const std::function<bool(std::int32_t)>& taken);

// A new connection weight r / 32767 - 0.5 - float(0.1), in [-0.6, 0.4].
double DrawWeight();

}  // namespace ks
