// Drawing the model view into its back buffer: the network (full or as one
// picture), the bars with their items, the palette strip and the training
// overlay.
#include <QPainter>
#include <algorithm>
#include <map>
#include <vector>

#include "model/project.h"
#include "model/text.h"
#include "ui/display.h"
#include "ui/ui_messages.h"

namespace ks {

namespace {

// Pixel-level drawing needs the painter off the image for a moment.
template <class F>
void WithPixels(QPainter& p, QImage& image, F f) {
    const QFont font = p.font();
    const QPen pen = p.pen();
    p.end();
    f();
    p.begin(&image);
    p.setFont(font);
    p.setPen(pen);
}

QRect Q(const KRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

// Texts of the network that must not cover one another: each asks for its
// rectangle and is drawn only if nothing taken overlaps it. Rectangles are
// kept in bands of rows so a big network stays quick.
class CLabelSpace {
public:
    void Reserve(const QRect& r) { ForBands(r, [&](std::vector<QRect>& band) { band.push_back(r); }); }
    bool Take(const QRect& r) {
        bool free = true;
        ForBands(r, [&](std::vector<QRect>& band) {
            for (const QRect& o : band)
                if (free && o.intersects(r)) free = false;
        });
        if (free) Reserve(r);
        return free;
    }

private:
    template <class F>
    void ForBands(const QRect& r, F f) {
        const int first = r.top() >> 4, last = r.bottom() >> 4;
        for (int b = first; b <= last; ++b) f(m_bands[b]);
    }
    std::map<int, std::vector<QRect>> m_bands;
};

// The room a receptor's texts have: up to the next receptor on its row.
std::map<const CReceptor*, int> RoomToTheRight(const CReceptorMgr& m) {
    std::map<int, std::vector<const CReceptor*>> rows;
    for (const auto& r : m.m_receptors) rows[r->m_geo.body.top].push_back(r.get());
    std::map<const CReceptor*, int> room;
    for (auto& [y, row] : rows) {
        std::sort(row.begin(), row.end(), [](const CReceptor* a, const CReceptor* b) { return a->m_geo.body.left < b->m_geo.body.left; });
        for (std::size_t i = 0; i < row.size(); ++i)
            room[row[i]] = i + 1 < row.size() ? row[i + 1]->m_geo.body.left - row[i]->m_geo.body.left - 4 : 160;
    }
    return room;
}

struct Text {
    QPoint at;
    QString text;
};

std::map<const CReceptor*, std::vector<Text>> ReceptorTexts(const CReceptorMgr& m, bool names, bool values, QPoint off,
                                                            const QFontMetrics& metrics, CLabelSpace& space) {
    // Names and values are cut to the room before the next receptor on the
    // row (the whole text shows on hover), so neighbours never overlap.
    const std::map<const CReceptor*, int> room = RoomToTheRight(m);
    std::map<const CReceptor*, std::vector<Text>> texts;
    // A name may be cut (with an ellipsis); a number is shown whole or not at
    // all, since a cut number reads as another number.
    auto add = [&](const CReceptor* r, QPoint at, const QString& full, int width, bool number = false) {
        const QString shown = number ? (metrics.horizontalAdvance(full) <= width ? full : QString())
                                     : metrics.elidedText(full, Qt::ElideRight, std::max(width, 0));
        if (shown.isEmpty() || shown == QStringLiteral("…")) return;
        space.Reserve(QRect(at.x(), at.y() - metrics.ascent(), metrics.horizontalAdvance(shown), metrics.height()));
        texts[r].push_back({at, shown});
    };
    for (const auto& r : m.m_receptors) space.Reserve(Q(r->m_geo.body).translated(off));
    for (const auto& r : m.m_receptors) {
        const QRect body = Q(r->m_geo.body).translated(off);
        const int width = room.at(r.get());
        if (names) add(r.get(), QPoint(body.left(), body.bottom() + 1 + 8 + 10), QString::fromStdString(r->m_label), width);
        if (values) {
            const int beside = width - body.width() - 1;
            if (r->m_iKind != kBias)
                add(r.get(), QPoint(body.right() + 1, body.top() + 10), QString::asprintf("  IN:  %0.3f", r->m_dNetInput), beside, true);
            add(r.get(), QPoint(body.right() + 1, body.bottom() + 1 - 12 + 10), QString::asprintf("  OUT: %0.3f", r->SendValue()), beside, true);
        }
    }
    return texts;
}

void Edge3D(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}


// An item's tile: yellow and sunken when selected, grey and raised otherwise.
void ItemTile(QPainter& p, const QRect& r, bool selected) {
    p.fillRect(r, selected ? ToQColor(0x00FFFF) : ToQColor(0xF0F0F0));
    const QColor dark(0x80, 0x80, 0x80), light(Qt::white);
    Edge3D(p, r, selected ? dark : light, selected ? light : dark);
}

}  // namespace

void CDisplay::Render() {
    QPainter p(&m_buffer);
    p.setFont(m_font1);
    const bool open = m_project && m_project->m_bOpen;
    if (open) {
        p.fillRect(m_buffer.rect(), ToQColor(m_project->m_colours[0]));
        CReceptorMgr* m = m_project->Model();
        if (m && !m->m_receptors.empty()) {
            const bool training = Training();
            int state = -1;
            if (!training) {
                const CScenarioMgr* sm = m_project->Scenarios();
                const int count = sm ? sm->Count() : 0;
                state = count == 0 ? 1 : count - sm->m_iLearnedCount;
            }
            DrawNetwork(p, training || m_project->m_bModelView, state);
            if (training) DrawOverlay(p);
            if (m_bSimulationRunning) {
                p.setFont(m_font2);
                p.setPen(Qt::black);
                p.drawText(QPoint(kPaletteWidth + 10, kBarHeight + 20 + 14),
                           QString::asprintf("Tick Count: %d", m_project->m_iSimulationTicks));
                p.setFont(m_font1);
            }
        } else if (!m_bCollapsed) {
            DrawHint(p);
        }
        DrawPalette(p);
    } else {
        p.drawImage(m_buffer.rect(), m_empty);
    }
    if (m_gesture.rubberShown) {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(m_gesture.rubber);
    }
    DrawBars(p);
    if (m_gesture.ringShown) {
        const QPoint e = m_gesture.rubber.p2();
        WithPixels(p, m_buffer, [&] {
            CTGraphics::DrawEllipseAA(m_buffer, e.x() - 12, e.y() - 12, e.x() + 12, e.y() + 12, 0x0000FF);
        });
    }
}

void CDisplay::DrawHint(QPainter& p) {
    p.setFont(m_font2);
    p.setPen(Qt::black);
    for (int k = 0; k < 3; ++k) {
        const QRect r(kPaletteWidth, 30 * k, width() - kPaletteWidth, height() - 40 - 30 * k);
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, msg::kHintLines[k]);
    }
    p.setFont(m_font1);
}

void CDisplay::DrawReceptor(QPainter& p, const CReceptor& r, QPoint offset) {
    const int x = r.m_pos.x + offset.x(), y = r.m_pos.y + offset.y(), s = r.m_iSize;
    if (r.m_bSelected)
        WithPixels(p, m_buffer, [&] { CTGraphics::DrawEllipseAA(m_buffer, x - 6, y - 6, x + s + 5, y + s + 5, 0x00FFFF); });
    static const int kCell[5] = {0, 0, 48, 24, 72};  // by kind: sensor, processor, bias, action
    const int cell = r.m_iKind >= 1 && r.m_iKind <= 4 ? kCell[r.m_iKind] : 0;
    // White is transparent in the icon strip.
    QImage icon = m_icons.copy(cell, 0, 24, 24).convertToFormat(QImage::Format_ARGB32);
    for (int iy = 0; iy < 24; ++iy)
        for (int ix = 0; ix < 24; ++ix)
            if (icon.pixel(ix, iy) == qRgb(255, 255, 255)) icon.setPixel(ix, iy, qRgba(0, 0, 0, 0));
    p.drawImage(QRect(x, y, s, s), icon);
}

void CDisplay::DrawNetwork(QPainter& p, bool pictureMode, int state) {
    CReceptorMgr& m = *m_project->Model();
    const QPoint off(m_project->m_viewOffset.x, m_project->m_viewOffset.y);
    const bool showConnections = m_project->m_bShowConnections;
    const QColor lines = ToQColor(m.m_colours[kSlotLines]);
    p.setPen(ToQColor(m.m_colours[kSlotText]));
    if (pictureMode) {
        const QRect r = Q(m.m_rect).translated(off);
        QImage picture = m_pictures[state == -1 ? 0 : state == 0 ? 1 : 2].convertToFormat(QImage::Format_ARGB32);
        for (int iy = 0; iy < picture.height(); ++iy)
            for (int ix = 0; ix < picture.width(); ++ix)
                if (picture.pixel(ix, iy) == qRgb(255, 255, 255)) picture.setPixel(ix, iy, qRgba(0, 0, 0, 0));
        p.drawImage(r.topLeft(), picture);
        if (!m.m_bAccumulateChanges) {
            p.drawText(QPoint(r.left() + 12, r.top() + 12 + 10), QString::asprintf("Inputs: %d", m.m_iInputCount));
            p.drawText(QPoint(r.right() + 1 - 54, r.bottom() + 1 - 28 + 10), QString::asprintf("Outputs: %d", m.m_iOutputCount));
            p.setFont(m_font2);
            p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(m.m_name));
            p.setFont(m_font1);
        }
        if (showConnections) {
            p.setPen(lines);
            int step = m.m_rect.Width() / (m.m_iInputCount + 1), k = 1;
            for (CReceptor* s : m.Sensors())
                if (s->m_pVariable) p.drawLine(QPoint(s->m_pVariable->m_anchor.x, s->m_pVariable->m_anchor.y), QPoint(r.left() + k++ * step, r.top()));
            step = m.m_rect.Width() / (m.m_iOutputCount + 1);
            k = 1;
            for (CReceptor* a : m.Actions())
                if (a->m_pOutput) p.drawLine(QPoint(a->m_pOutput->m_anchor.x, a->m_pOutput->m_anchor.y), QPoint(r.left() + k++ * step, r.bottom() + 1 - 2));
        }
        return;
    }
    const QFontMetrics metrics = p.fontMetrics();
    CLabelSpace space;
    auto texts = ReceptorTexts(m, m_project->m_bShowNames, m_project->m_bShowValues, off, metrics, space);
    if (showConnections) {
        p.setPen(QPen(lines, 1));
        for (const auto& c : m.m_connections) {
            if (!c->m_pSender || !c->m_pReceiver) continue;
            const QPoint a = QPoint(c->m_start.x, c->m_start.y) + off, b = QPoint(c->m_end.x, c->m_end.y) + off;
            if (m.m_bSmoothLines)
                WithPixels(p, m_buffer, [&] { CTGraphics::DrawLineAA(m_buffer, a.x(), a.y(), b.x(), b.y(), m.m_colours[kSlotLines]); });
            else
                p.drawLine(a, b);
            if (m_project->m_bShowWeights) {
                // A weight that would cover a receptor, its texts or another
                // weight is left out; hovering the connection shows it.
                const QString w = QString::asprintf("%0.3f", c->Weight());
                const QPoint at = QPoint(c->m_mid.x, c->m_mid.y) + off;
                if (space.Take(QRect(at.x(), at.y() - metrics.ascent(), metrics.horizontalAdvance(w), metrics.height()))) {
                    p.setPen(ToQColor(m.m_colours[kSlotText]));
                    p.drawText(at, w);
                    p.setPen(QPen(lines, 1));
                }
            }
        }
        for (CReceptor* s : m.Sensors()) {
            if (!s->m_pVariable) continue;
            const int ax = s->m_pVariable->m_anchor.x, ay = s->m_pVariable->m_anchor.y;
            const QPoint end = QPoint(s->m_geo.inputPoint.x, s->m_geo.inputPoint.y) + off;
            if (m.m_bSmoothLines)
                WithPixels(p, m_buffer, [&] { CTGraphics::DrawLineAA(m_buffer, ax, ay + 10, end.x(), end.y(), m.m_colours[kSlotLines]); });
            else
                p.drawLine(QPoint(ax, ay + 10), end);
            p.drawPolyline(QPolygon({QPoint(ax - 12, ay + 4), QPoint(ax - 12, ay + 10), QPoint(ax + 10, ay + 10), QPoint(ax + 10, ay + 4)}));
        }
        for (CReceptor* a : m.Actions()) {
            if (!a->m_pOutput) continue;
            const int ax = a->m_pOutput->m_anchor.x, ay = a->m_pOutput->m_anchor.y;
            const QPoint end = QPoint(a->m_geo.outputPoint.x, a->m_geo.outputPoint.y) + off;
            if (m.m_bSmoothLines)
                WithPixels(p, m_buffer, [&] { CTGraphics::DrawLineAA(m_buffer, ax, ay - 10, end.x(), end.y(), m.m_colours[kSlotLines]); });
            else
                p.drawLine(QPoint(ax, ay - 10), end);
            p.drawPolyline(QPolygon({QPoint(ax - 12, ay - 4), QPoint(ax - 12, ay - 10), QPoint(ax + 10, ay - 10), QPoint(ax + 10, ay - 4)}));
        }
    }
    p.setPen(ToQColor(m.m_colours[kSlotText]));
    for (const auto& r : m.m_receptors) {
        DrawReceptor(p, *r, off);
        for (const Text& t : texts[r.get()]) p.drawText(t.at, t.text);
    }
}



void CDisplay::DrawInputItem(QPainter& p, const CVariable& v) {
    const QRect r = Q(v.m_rect);
    ItemTile(p, r, v.m_bSelected);
    const InputGlyph& g = v.m_glyph;
    p.setPen(Qt::black);
    p.fillRect(Q(g.title), ToQColor(v.m_colour));
    if (v.m_bAutoIncrement) p.drawText(QPoint(g.incrementLabel.x, g.incrementLabel.y + 10), v.m_dIncrement < 0 ? "dt-" : "dt+");
    const QString text = QString::fromStdString(v.ValueText());
    switch (v.m_iType) {
    case kBoolean: {
        const KRect a = g.valueArea;
        WithPixels(p, m_buffer, [&] { CTGraphics::DrawEllipseAA(m_buffer, a.left, a.top, a.right, a.bottom, v.ValueColour()); });
        p.drawText(Q(a), Qt::AlignCenter | Qt::TextSingleLine, text);
        break;
    }
    case kRangedInteger:
    case kRangedDouble:
        p.fillRect(Q(g.gauge), Qt::white);
        p.fillRect(Q(g.gaugeFill), ToQColor(0xC80000));
        Edge3D(p, Q(g.gauge), ToQColor(0xC0C0C0), ToQColor(0xF0F0F0));
        p.setPen(Qt::black);
        p.drawText(Q(g.valueText), Qt::AlignHCenter | Qt::AlignTop, text);
        break;
    case kDescriptorList:
        if (v.m_pCurrentItem) {
            p.fillRect(Q(g.valueArea), ToQColor(v.ValueColour()));
            Edge3D(p, Q(g.valueArea), ToQColor(0xC0C0C0), ToQColor(0xF0F0F0));
        }
        p.setPen(Qt::black);
        p.drawText(Q(g.valueArea), Qt::AlignCenter | Qt::TextSingleLine, text);
        break;
    default: break;
    }
    p.setPen(Qt::black);
    p.drawText(Q(g.title), Qt::AlignHCenter | Qt::AlignVCenter,
               p.fontMetrics().elidedText(QString::fromStdString(v.m_name), Qt::ElideRight, Q(g.title).width()));
    Edge3D(p, Q(g.title), ToQColor(0xC0C0C0), ToQColor(0xF0F0F0));
    p.fillRect(Q(g.knob), ToQColor(0xF0F0F0));
    p.setPen(QColor(0x80, 0x80, 0x80));
    const QRect k = Q(g.knob);
    p.drawLine(k.topLeft(), k.bottomLeft());
    p.drawLine(k.bottomLeft(), k.bottomRight());
    p.drawLine(k.topRight(), k.bottomRight());
    p.setPen(Qt::black);
}

void CDisplay::DrawOutputItem(QPainter& p, const COutput& o) {
    const QRect r = Q(o.m_rect);
    ItemTile(p, r, o.m_bSelected);
    p.fillRect(Q(o.m_knob), ToQColor(0xF0F0F0));
    p.fillRect(Q(o.m_swatch), ToQColor(o.m_colour));
    p.setPen(Qt::black);
    // Right-aligned in the tile: a count of five digits still shows whole.
    p.drawText(QRect(r.left() + 2, r.top() + 6, r.width() - 4, 14), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
               QString::fromStdString(o.m_countLabel));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(QString::fromStdString(o.m_name), Qt::ElideRight, r.width() - 2));
}

void CDisplay::DrawBars(QPainter& p) {
    const int w = width(), h = height();
    struct Bar { QRect rect; COLORREF towards; const char* title; const char* hint; bool top; };
    const Bar bars[2] = {
        {QRect(-1, 0, w + 1, kBarHeight), 0xC0C0C0, "Inputs Bar", "(Dbl-Click inputs to edit...)", true},
        {QRect(-1, h - kBarHeight, w + 1, kBarHeight), 0xD2D2D2, "Outputs Bar", "(Dbl-Click outputs to edit...)", false},
    };
    for (int b = 0; b < 2; ++b) {
        const Bar& bar = bars[b];
        p.end();
        CTGraphics::FillGradientV(m_buffer, bar.rect, bar.towards);
        p.begin(&m_buffer);
        Edge3D(p, bar.rect.adjusted(0, 0, -1, -1), QColor(0x80, 0x80, 0x80), QColor(0xF4, 0xF4, 0xF4));
        p.setPen(Qt::black);
        p.setFont(m_font2);
        const QPoint title = bar.rect.topLeft() + QPoint(10, 6);
        p.drawText(title + QPoint(0, 12), bar.title);
        p.setFont(m_font1);
        const int count = !m_project ? 0 : b == 0 ? m_project->m_inputs.Count() : m_project->m_outputs.Count();
        p.drawText(title + QPoint(4, 20 + 12), QString::asprintf("Count: %d", count));
        p.drawText(title + QPoint(4, 34 + 12), bar.hint);
    }
    if (m_project) {
        p.setFont(m_font1);
        for (const auto& v : m_project->m_inputs.m_items) DrawInputItem(p, *v);
        for (const auto& o : m_project->m_outputs.m_items) DrawOutputItem(p, *o);
    }
}

void CDisplay::DrawPalette(QPainter& p) {
    const QRect strip(0, kBarHeight, kPaletteWidth, height() - 2 * kBarHeight);
    p.fillRect(strip, QColor(0xE8, 0xEC, 0xF2));
    p.setPen(QColor(0xB0, 0xB8, 0xC8));
    p.drawLine(strip.topRight(), strip.bottomRight());
    for (const auto& t : m_palette) DrawReceptor(p, *t, QPoint());
}

void CDisplay::DrawOverlay(QPainter& p) {
    CReceptorMgr& m = *m_project->Model();
    const CScenarioMgr& sm = *m_project->Scenarios();
    const QPoint off(m_project->m_viewOffset.x, m_project->m_viewOffset.y);
    const QRect net = Q(m.m_rect).translated(off);
    const QRect chart = net.adjusted(20, 4, -18, -4);
    const QRect bar(net.left() + 12, net.top() + 16, 6, net.height() - 32);
    const int n = sm.Count();
    if (n > 0) {
        const float step = static_cast<float>(chart.width()) / static_cast<float>(n);
        if (m.m_iModelType == 2) {
            p.setPen(QPen(ToQColor(0xC80000), 1));
            QPolygon line;
            int k = 0;
            for (const CScenario* s : sm.Sorted())
                line << QPoint(chart.left() + 4 + static_cast<int>(k++ * step), chart.top() + 10 + static_cast<int>(40 * s->m_fScore));
            p.drawPolyline(line);
        }
        const int filled = static_cast<int>(sm.m_iLearnedCount * m_project->m_training.learnedBarUnit);
        p.fillRect(QRect(QPoint(bar.left(), bar.bottom() - filled), bar.bottomRight()), ToQColor(0xC80000));
    }
    p.setPen(Qt::black);
    p.setFont(m_font2);
    const int x = chart.right() + 24, y = chart.top() + 12;
    p.drawText(QPoint(x, y + 10), QString::asprintf("Cycles: %d", m_project->m_iCycleCounter));
    p.drawText(QPoint(x, y + 14 + 10), QString::asprintf("Learned: %d", sm.m_iLearnedCount));
    p.drawText(QPoint(x, y + 38 + 10), QString("Learn Time: ") + QString::fromStdString(m_project->m_elapsedText));
    p.setFont(m_font1);
}

}  // namespace ks
