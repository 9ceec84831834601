#pragma once
// Integer geometry and colours shared by the model and the view.
#include <cstdint>

namespace ks {

using COLORREF = std::uint32_t;  // 0x00BBGGRR

constexpr COLORREF Rgb(int r, int g, int b) {
    return static_cast<COLORREF>(r & 0xFF) | (static_cast<COLORREF>(g & 0xFF) << 8) |
           (static_cast<COLORREF>(b & 0xFF) << 16);
}

struct KPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const KPoint&, const KPoint&) = default;
};

// Half-open rectangle: the right and bottom edges lie outside.
struct KRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool Contains(std::int32_t x, std::int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const KRect&, const KRect&) = default;
};

}  // namespace ks
