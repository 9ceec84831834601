#include "ui/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace ks::pictures {

namespace {

void Glyph(QPainter& p, QRectF cell, const QColor& fill, const QString& letter, int shape) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(fill.darker(160), 1.5));
    p.setBrush(fill);
    const QRectF body = cell.adjusted(2, 2, -2, -2);
    if (shape == 0) p.drawEllipse(body);
    if (shape == 1) {
        QPolygonF diamond;
        diamond << QPointF(body.center().x(), body.top()) << QPointF(body.right(), body.center().y())
                << QPointF(body.center().x(), body.bottom()) << QPointF(body.left(), body.center().y());
        p.drawPolygon(diamond);
    }
    if (shape == 2) p.drawRoundedRect(body, 4, 4);
    QFont f("Arial");
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(cell, Qt::AlignCenter, letter);
}

// A small three-layer network drawn in a colour scheme.
void Network(QPainter& p, QRectF r, const QColor& node, const QColor& line) {
    p.setRenderHint(QPainter::Antialiasing);
    const double rows[3] = {r.top() + 14, r.center().y(), r.bottom() - 14};
    const int counts[3] = {3, 4, 2};
    QList<QPointF> points[3];
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < counts[row]; ++k)
            points[row] << QPointF(r.left() + r.width() * (k + 1) / (counts[row] + 1), rows[row]);
    p.setPen(QPen(line, 1.2));
    for (int row = 0; row < 2; ++row)
        for (const QPointF& a : points[row])
            for (const QPointF& b : points[row + 1]) p.drawLine(a, b);
    p.setPen(QPen(node.darker(150), 1.2));
    p.setBrush(node);
    for (const auto& row : points)
        for (const QPointF& a : row) p.drawEllipse(a, 6, 6);
}

}  // namespace

QImage IconStrip() {
    QImage image(96, 96, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    Glyph(p, QRectF(0, 0, 24, 24), QColor(0, 150, 90), "S", 0);
    Glyph(p, QRectF(24, 0, 24, 24), QColor(230, 140, 20), "B", 1);
    Glyph(p, QRectF(48, 0, 24, 24), QColor(40, 90, 200), "P", 0);
    Glyph(p, QRectF(72, 0, 24, 24), QColor(200, 40, 50), "A", 2);
    return image;
}

QImage ModelPicture(int state) {
    QImage image(128, 96, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    const QColor node = state == -1 ? QColor(240, 150, 30) : state == 0 ? QColor(40, 170, 80) : QColor(70, 110, 190);
    p.setPen(QPen(node.darker(130), 2));
    p.setBrush(QColor(248, 248, 252));
    p.drawRoundedRect(QRectF(2, 2, 123, 91), 10, 10);
    Network(p, QRectF(10, 6, 108, 84), node, QColor(150, 150, 170));
    return image;
}

QImage EmptyView() {
    QImage image(720, 420, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 420);
    g.setColorAt(0, QColor(235, 240, 248));
    g.setColorAt(1, QColor(200, 212, 232));
    p.fillRect(image.rect(), g);
    Network(p, QRectF(260, 60, 200, 160), QColor(70, 110, 190), QColor(160, 170, 195));
    QFont f("Arial");
    f.setPixelSize(30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(40, 60, 110));
    p.drawText(QRect(0, 240, 720, 50), Qt::AlignCenter, "Halvek Kestrine");
    f.setPixelSize(15);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 290, 720, 30), Qt::AlignCenter, "Start with File > New Project... or open a project file.");
    return image;
}

QImage Splash() {
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 480, 300);
    g.setColorAt(0, QColor(0x33, 0x66, 0x99));
    g.setColorAt(1, QColor(0x18, 0x30, 0x58));
    p.fillRect(image.rect(), g);
    Network(p, QRectF(150, 30, 180, 140), QColor(250, 200, 80), QColor(180, 200, 230));
    QFont f("Arial");
    f.setPixelSize(34);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 180, 480, 50), Qt::AlignCenter, "Halvek Kestrine");
    f.setPixelSize(14);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 230, 480, 30), Qt::AlignCenter, "Neural models for decisions");
    return image;
}

QIcon AppIcon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x33, 0x66, 0x99));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    Network(p, QRectF(8, 6, 48, 52), QColor(250, 200, 80), QColor(200, 215, 240));
    return QIcon(QPixmap::fromImage(image));
}

QIcon ButtonIcon(const QString& name) {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 70, 130), 2));
    p.setBrush(QColor(120, 160, 220));
    if (name == "start") {
        QPolygonF play;
        play << QPointF(5, 3) << QPointF(17, 10) << QPointF(5, 17);
        p.drawPolygon(play);
    } else if (name == "stop") {
        p.drawRect(QRectF(4, 4, 12, 12));
    } else if (name == "step") {
        QPolygonF play;
        play << QPointF(3, 3) << QPointF(12, 10) << QPointF(3, 17);
        p.drawPolygon(play);
        p.drawLine(QPointF(15, 3), QPointF(15, 17));
    } else if (name == "reset") {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 14, 14), 30 * 16, 300 * 16);
    } else if (name == "erase") {
        p.setBrush(QColor(230, 120, 120));
        p.drawRoundedRect(QRectF(3, 6, 14, 9), 2, 2);
    } else if (name == "create") {
        for (int i = 0; i < 3; ++i) p.drawRect(QRectF(3 + i * 5, 3 + i * 5, 7, 7));
    } else if (name == "add") {
        p.drawLine(QPointF(10, 3), QPointF(10, 17));
        p.drawLine(QPointF(3, 10), QPointF(17, 10));
    } else if (name == "edit") {
        p.drawLine(QPointF(4, 16), QPointF(16, 4));
    } else if (name == "delete") {
        p.drawLine(QPointF(4, 4), QPointF(16, 16));
        p.drawLine(QPointF(16, 4), QPointF(4, 16));
    } else {
        p.drawEllipse(QRectF(4, 4, 12, 12));
    }
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace ks::pictures
