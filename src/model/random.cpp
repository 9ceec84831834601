#include "model/random.h"

#include <mutex>

#include "model/numeric.h"

namespace ks {
namespace {
std::mutex gRandMutex;
std::uint32_t gRandState = 1;
}  // namespace

void SeedRandom(std::uint32_t seed) {
    std::lock_guard lock(gRandMutex);
    gRandState = seed;
}

int NextRandom() {
    std::lock_guard lock(gRandMutex);
    gRandState = gRandState * 214013u + 2531011u;
    return static_cast<int>((gRandState >> 16) & 0x7FFF);
}

std::int32_t DrawId(double span, const std::function<bool(std::int32_t)>& taken) {
    // Only 32768 distinct candidates exist; when every one is taken, redrawing
    // forever would hang, so give up and report 0 (no identifier).
    for (int attempt = 0; attempt < 32768 * 16; ++attempt) {
        const double r = NextRandom();
        const std::int32_t id = Trunc32(r * (1.0 / 32768.0) * span + 1.0);
        if (!taken(id)) return id;
    }
    return 0;
}

double DrawWeight() { return NextRandom() / 32767.0 - 0.5 - kSingleTenth; }

}  // namespace ks
