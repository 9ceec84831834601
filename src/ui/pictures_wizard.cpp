// The new project wizard's pictures: the frame's side strip, one picture per
// step and the required layout of a data file.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/pictures.h"

namespace ks::pictures {

namespace {

void Node(QPainter& p, QPointF c, double r, const QColor& fill) {
    p.setPen(QPen(fill.darker(150), 1.2));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to << to - d * 9 + n * 5 << to - d * 9 - n * 5;
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    p.drawPolygon(head);
}

}  // namespace

QImage WizardSide(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, QColor(0x33, 0x66, 0x99));
    g.setColorAt(1, QColor(0x10, 0x28, 0x48));
    p.fillRect(image.rect(), g);
    // A network rising from inputs at the bottom to a decision at the top.
    const int rows[4] = {5, 4, 3, 1};
    QList<QPointF> points[4];
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < rows[row]; ++k)
            points[row] << QPointF(width * (k + 1.0) / (rows[row] + 1), height * (0.82 - row * 0.2));
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    for (int row = 0; row < 3; ++row)
        for (const QPointF& a : points[row])
            for (const QPointF& b : points[row + 1]) p.drawLine(a, b);
    const QColor colours[4] = {QColor(0, 170, 110), QColor(60, 120, 230), QColor(60, 120, 230), QColor(230, 70, 70)};
    for (int row = 0; row < 4; ++row)
        for (const QPointF& a : points[row]) Node(p, a, row == 3 ? 10 : 6, colours[row]);
    QFont f("Arial");
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 12, width, 40), Qt::AlignCenter | Qt::TextWordWrap, "New AI System");
    return image;
}

QImage WizardStep(int page) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(60, 120, 230), green(0, 160, 100), red(220, 60, 60), grey(120, 120, 120);
    switch (page) {
    case 195:  // inputs flow in
        for (int k = 0; k < 3; ++k) Arrow(p, QPointF(4, 12 + 20 * k), QPointF(34, 32), green);
        Node(p, QPointF(46, 32), 12, blue);
        break;
    case 196:  // decisions flow out
        Node(p, QPointF(18, 32), 12, blue);
        for (int k = 0; k < 3; ++k) Arrow(p, QPointF(30, 32), QPointF(60, 12 + 20 * k), red);
        break;
    case 197:
    case 207:  // a table of cases
        p.setPen(QPen(grey, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(6, 8, 52, 48);
        for (int r = 1; r < 4; ++r) p.drawLine(6, 8 + 12 * r, 58, 8 + 12 * r);
        p.drawLine(24, 8, 24, 56);
        p.drawLine(42, 8, 42, 56);
        p.fillRect(QRectF(7, 9, 51, 11), blue.lighter(150));
        break;
    case 204: {  // done
        Node(p, QPointF(32, 32), 26, green);
        QPainterPath tick;
        tick.moveTo(18, 33);
        tick.lineTo(28, 43);
        tick.lineTo(47, 22);
        p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        break;
    }
    case 206: {  // a data file going into the system
        p.setPen(QPen(grey, 1.5));
        p.setBrush(Qt::white);
        QPolygonF sheet;
        sheet << QPointF(6, 4) << QPointF(30, 4) << QPointF(38, 12) << QPointF(38, 60) << QPointF(6, 60);
        p.drawPolygon(sheet);
        for (int r = 0; r < 5; ++r) p.drawLine(11, 18 + 8 * r, 33, 18 + 8 * r);
        Arrow(p, QPointF(40, 32), QPointF(62, 32), blue);
        break;
    }
    default: {  // the name page and the welcome: a small network
        const QPointF a[3] = {{12, 14}, {12, 32}, {12, 50}}, b[2] = {{52, 22}, {52, 42}};
        p.setPen(QPen(grey, 1));
        for (const QPointF& x : a)
            for (const QPointF& y : b) p.drawLine(x, y);
        for (const QPointF& x : a) Node(p, x, 6, green);
        for (const QPointF& y : b) Node(p, y, 7, red);
        break;
    }
    }
    return image;
}

QImage ImportLayout(bool names) {
    QImage image(340, 136, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    QFont f("Arial");
    f.setPixelSize(11);
    p.setFont(f);
    QStringList header, rows[3];
    if (names) header << "(name)";
    header << "Input 1" << "Input 2" << "..." << "Output";
    const char* cells[3][4] = {{"3.5", "Red", "...", "Accept"}, {"1.2", "Blue", "...", "Reject"},
                               {"7.0", "Red", "...", "Accept"}};
    for (int r = 0; r < 3; ++r) {
        if (names) rows[r] << QString("Case %1").arg(r + 1);
        for (const char* c : cells[r]) rows[r] << c;
    }
    const int columns = static_cast<int>(header.size());
    const int cw = (image.width() - 10) / columns, rh = 20;
    for (int c = 0; c < columns; ++c) {
        const QRect head(5 + c * cw, 5, cw, rh);
        const bool special = names && c == 0;
        p.fillRect(head, special ? QColor(255, 230, 170) : QColor(200, 220, 250));
        p.setPen(Qt::black);
        p.drawRect(head);
        p.drawText(head, Qt::AlignCenter, header[c]);
        for (int r = 0; r < 3; ++r) {
            const QRect cell(5 + c * cw, 5 + (r + 1) * rh, cw, rh);
            if (special) p.fillRect(cell, QColor(255, 245, 220));
            p.drawRect(cell);
            p.drawText(cell, Qt::AlignCenter, rows[r][c]);
        }
    }
    p.setPen(QColor(80, 80, 80));
    p.drawText(QRect(5, 5 + 4 * rh + 4, image.width() - 10, 40), Qt::AlignLeft | Qt::TextWordWrap,
               names ? "First row: column names. First column: scenario names. Last column: the output."
                     : "First row: column names. Last column: the output.");
    return image;
}

}  // namespace ks::pictures
