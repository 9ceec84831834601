// The command line's number parsing and the batch file's line parser: no
// input may crash them, and what they accept must be what they promise.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::pair<int, double>> pairs;
    if (ks::ParseIdValueLine(text, pairs).empty())
        for (const auto& [id, value] : pairs)
            if (!std::isfinite(value)) std::abort();
    int id = 0;
    double value = 0.0;
    if (ks::ParseIdValue(text, id, value).empty() && !std::isfinite(value)) std::abort();
    if (ks::CheckNumberInRange(text, 0.0, 10.0, true).empty()) {
        const double v = std::strtod(text.c_str(), nullptr);
        if (!(v > 0.0 && v <= 10.0)) std::abort();
    }
    return 0;
}
