#pragma once
// Drawing services: the anti-aliased line (Xiaolin Wu) and ellipse done pixel
// by pixel on an image, and the vertical gradient of the bars.
#include <QImage>
#include <QRect>

#include "model/geometry.h"

namespace ks {

QColor ToQColor(COLORREF c);
COLORREF FromQColor(const QColor& c);

class CTGraphics {
public:
    virtual ~CTGraphics() = default;
    static void DrawLineAA(QImage& image, int x1, int y1, int x2, int y2, COLORREF colour);
    static void DrawEllipseAA(QImage& image, int left, int top, int right, int bottom, COLORREF colour);
    static void FillGradientV(QImage& image, const QRect& rect, COLORREF colour);
};

}  // namespace ks
