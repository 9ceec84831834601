#include "ui/graphics.h"

#include <QPainter>
#include <QLinearGradient>
#include <cmath>
#include <utility>

#include "model/numeric.h"

namespace ks {

QColor ToQColor(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
COLORREF FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

namespace {

COLORREF GetPixel(const QImage& image, int x, int y) {
    if (!image.valid(x, y)) return 0;
    return FromQColor(QColor(image.pixel(x, y)));
}

void SetPixel(QImage& image, int x, int y, COLORREF c) {
    if (image.valid(x, y)) image.setPixel(x, y, ToQColor(c).rgb());
}

// Per channel: trunc(background * f) + trunc(line * (1 - f)), kept to 8 bits.
COLORREF BlendLine(COLORREF background, COLORREF line, float f) {
    COLORREF out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int b = static_cast<int>((background >> shift) & 0xFF);
        const int l = static_cast<int>((line >> shift) & 0xFF);
        const int v = Trunc32(static_cast<float>(b) * f) + Trunc32(static_cast<float>(l) * (1.0f - f));
        out |= static_cast<COLORREF>(v & 0xFF) << shift;
    }
    return out;
}

// Per channel: trunc(colour * w) + trunc(background * (1 - w)).
void BlendEllipse(QImage& image, int x, int y, COLORREF colour, float w) {
    const COLORREF bg = GetPixel(image, x, y);
    COLORREF out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = static_cast<int>((colour >> shift) & 0xFF);
        const int b = static_cast<int>((bg >> shift) & 0xFF);
        const int v = Trunc32(static_cast<float>(c) * w) + Trunc32(static_cast<float>(b) * (1.0f - w));
        out |= static_cast<COLORREF>(v & 0xFF) << shift;
    }
    SetPixel(image, x, y, out);
}

}  // namespace

void CTGraphics::DrawLineAA(QImage& image, int x1, int y1, int x2, int y2, COLORREF colour) {
    SetPixel(image, x1, y1, colour);
    const int ex = x2, ey = y2;
    int dx = x2 - x1, dy = y2 - y1;
    if (std::abs(dx) > std::abs(dy)) {
        if (dx < 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            dx = -dx;
            dy = -dy;
        }
        const float g = static_cast<float>(dy) / static_cast<float>(dx);
        float y = static_cast<float>(y1) + g;
        for (int x = x1 + 1; x < x2; ++x) {
            const int iy = Trunc32(y);
            const float f = y - static_cast<float>(iy);
            SetPixel(image, x, iy, BlendLine(GetPixel(image, x, iy), colour, f));
            SetPixel(image, x, iy + 1, BlendLine(GetPixel(image, x, iy + 1), colour, 1.0f - f));
            y += g;
        }
    } else if (dy != 0) {
        if (dy < 0) {
            std::swap(x1, x2);
            std::swap(y1, y2);
            dx = -dx;
            dy = -dy;
        }
        const float g = static_cast<float>(dx) / static_cast<float>(dy);
        float x = static_cast<float>(x1) + g;
        for (int y = y1 + 1; y < y2; ++y) {
            const int ix = Trunc32(x);
            const float f = x - static_cast<float>(ix);
            SetPixel(image, ix, y, BlendLine(GetPixel(image, ix, y), colour, f));
            SetPixel(image, ix + 1, y, BlendLine(GetPixel(image, ix + 1, y), colour, 1.0f - f));
            x += g;
        }
    }
    SetPixel(image, ex, ey, colour);
}

void CTGraphics::DrawEllipseAA(QImage& image, int left, int top, int right, int bottom, COLORREF colour) {
    const int cx = (left + right) / 2, cy = (top + bottom) / 2;
    const int rx = Trunc32(std::abs(right - left) * 0.5), ry = Trunc32(std::abs(bottom - top) * 0.5);
    if (rx == 0 || ry == 0) return;
    for (int i = -rx; i <= rx; ++i) {
        const float t = static_cast<float>(ry) * std::sqrt(1.0f - static_cast<float>(i * i) / static_cast<float>(rx * rx));
        const int it = Trunc32(t);
        const float f = t - static_cast<float>(it);
        BlendEllipse(image, cx + i, cy + it, colour, 1.0f - f);
        BlendEllipse(image, cx + i, cy + it + 1, colour, f);
        BlendEllipse(image, cx - i, cy - it, colour, 1.0f - f);
        BlendEllipse(image, cx - i, cy - it - 1, colour, f);
    }
    const int m = Trunc32(ry / (std::sqrt(static_cast<double>(rx * rx + ry * ry)) / ry));
    for (int j = -m; j <= m; ++j) {
        const float t = static_cast<float>(rx) * std::sqrt(1.0f - static_cast<float>(j * j) / static_cast<float>(ry * ry));
        const int it = Trunc32(t);
        const float f = t - static_cast<float>(it);
        BlendEllipse(image, cx + it, cy + j, colour, 1.0f - f);
        BlendEllipse(image, cx + it + 1, cy + j, colour, f);
        BlendEllipse(image, cx - it, cy - j, colour, 1.0f - f);
        BlendEllipse(image, cx - it - 1, cy - j, colour, f);
    }
}

void CTGraphics::FillGradientV(QImage& image, const QRect& rect, COLORREF colour) {
    QPainter p(&image);
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, QColor(240, 240, 240));
    g.setColorAt(1, ToQColor(colour));
    p.fillRect(rect, g);
}

}  // namespace ks
