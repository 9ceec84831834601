#include "ui/display.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "model/messages.h"
#include "model/project.h"
#include "model/prompt.h"
#include "session/session.h"
#include "training/training_runner.h"
#include "ui/pictures.h"
#include "ui/ui_messages.h"

namespace ks {

void GestureRecord::Reset() {
    id = 0;
    targetType = 0;
    leftDown = rightDown = shift = false;
    object = nullptr;
    rubberShown = ringShown = false;
    rubber = QLine();
    ringAnchor = QPoint();
}

CDisplay::CDisplay(QWidget* parent) : QWidget(parent) {
    m_icons = pictures::IconStrip();
    m_pictures[0] = pictures::ModelPicture(-1);
    m_pictures[1] = pictures::ModelPicture(0);
    m_pictures[2] = pictures::ModelPicture(1);
    m_empty = pictures::EmptyView();
    m_font1 = QFont("Arial");
    m_font1.setPixelSize(12);
    m_font2 = QFont("Arial");
    m_font2.setPixelSize(14);
    m_font2.setWeight(QFont::DemiBold);
    setMouseTracking(true);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(ViewAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    m_a11y = std::make_unique<CViewAccessibility>(*this);
    Resize(720 + 38, 420 + 50);
}

CDisplay::~CDisplay() { m_a11y.reset(); }

bool CDisplay::Training() const {
    return m_project && m_project->Scenarios() && m_project->Scenarios()->m_bTrainingInProgress;
}

void CDisplay::Changed() {
    if (onEdited) onEdited();
}

void CDisplay::Resize(int clientWidth, int height) {
    const int w = std::clamp(clientWidth - 38, 360, 720);
    const int h = std::clamp(height - 50, 156, 420);
    setGeometry(kCorner.x(), kCorner.y(), w, h);
    m_buffer = QImage(w, h, QImage::Format_RGB32);
    m_buffer.fill(Qt::white);
    if (m_project && m_project->Model()) {
        // The network's picture stays centred between the bars, right of the palette.
        CReceptorMgr& m = *m_project->Model();
        const int cx = kPaletteWidth + (w - kPaletteWidth) / 2, cy = h / 2;
        m.m_rect = {cx - 64, cy - 48, cx + 64, cy + 48};
        m.m_rect2 = m.m_rect;
    }
    LayoutBars(false);
}

void CDisplay::Attach(CProject* project, CTrainingRunner* runner, IPrompt* prompt) {
    m_project = project;
    m_runner = runner;
    m_prompt = prompt;
    if (m_project) {
        m_project->m_inputs.m_iOffset = 100;
        m_project->m_outputs.m_iOffset = 100;
    }
    Resize(width() + 38, height() + 50);
    BuildPalette();
}

void CDisplay::BuildPalette() {
    m_palette.clear();
    if (!m_project || !m_project->m_bOpen) return;
    const bool trainable = m_project->Model() && m_project->Model()->m_iModelType == 2;
    struct Template { std::int32_t kind, code, type; const char* mark; };
    const Template templates[] = {
        {kSensor, -1, kTargetPaletteSensor, "S"},
        {kBias, -1, kTargetPaletteBias, "B"},
        {kProcessor, trainable ? 2 : 1, kTargetPaletteProcessor, trainable ? "S" : "_|"},
        {kAction, 2, kTargetPaletteAction, "A"},
    };
    int k = 0;
    for (const Template& t : templates) {
        auto r = std::make_unique<CReceptor>(t.kind, t.code, 0);
        r->m_mark = t.mark;
        r->Place(kPaletteWidth / 2 - 12, kBarHeight + 12 + 60 * k++);
        r->m_iTargetType = t.type;
        r->m_iTargetID = t.type;
        m_palette.push_back(std::move(r));
    }
}

void CDisplay::LayoutBars(bool centre) {
    if (!m_project) return;
    const int w = width();
    CInputList& in = m_project->m_inputs;
    COutputList& out = m_project->m_outputs;
    if (centre) {
        in.m_iOffset = CProject::CentredBarOffset(in.Count(), in.m_iItemWidth, in.m_iSpacing, w);
        out.m_iOffset = CProject::CentredBarOffset(out.Count(), out.m_iItemWidth, out.m_iSpacing, w);
    }
    int x = in.m_iOffset;
    for (const auto& v : in.m_items) {
        v->LayoutGlyph({x, 2, x + in.m_iItemWidth, 59});
        v->SetValue(v->m_dValue);  // the gauge follows the new glyph
        x += in.m_iItemWidth + in.m_iSpacing;
    }
    const int top = height() - kBarHeight;
    x = out.m_iOffset;
    for (const auto& o : out.m_items) {
        o->LayoutGlyph({x, top + 1, x + out.m_iItemWidth, top + 59});
        x += out.m_iItemWidth + out.m_iSpacing;
    }
}

void CDisplay::Align() {
    if (!m_project) return;
    LayoutBars(true);
    // Room for the widest name or value shown beside or under a receptor.
    int wanted = 0;
    const QFontMetrics metrics(m_font1);
    if (const CReceptorMgr* m = m_project->Model())
        for (const auto& r : m->m_receptors) {
            if (m_project->m_bShowNames) wanted = std::max(wanted, metrics.horizontalAdvance(QString::fromStdString(r->m_label)) + 8);
            if (m_project->m_bShowValues) wanted = std::max(wanted, 24 + 1 + metrics.horizontalAdvance("  OUT: -0.000") + 8);
        }
    m_project->AlignNetwork(height() - 2 * kBarHeight, kBarHeight, kPaletteWidth, width() - kPaletteWidth, wanted);
    Draw();
}

void CDisplay::Draw() {
    if (!m_bDrawingEnabled) return;
    if (m_runner)
        m_runner->Locked([&] { RenderHeld(); });
    else
        RenderHeld();
    Publish();
}

void CDisplay::RenderHeld() {
    if (!m_bDrawingEnabled) return;
    Render();
    m_told = Description();
    m_words = m_project ? DescribeView(*m_project, size(), kBarHeight, m_keyPart, m_keyIndex) : ViewWords{};
}

void CDisplay::Publish() {
    if (!m_bDrawingEnabled) return;
    // What the picture shows, for screen readers and automation: the decision and the inputs.
    if (accessibleDescription() != m_told) setAccessibleDescription(m_told);
    if (m_a11y) m_a11y->Update(std::move(m_words));
    m_words = {};
    update();
}

QString CDisplay::Description() const {
    if (!m_project || !m_project->m_bOpen) return "No project";
    QStringList parts;
    const COutput* decision = nullptr;
    for (const auto& o : m_project->m_outputs.m_items)
        if (o->m_bSelected) decision = o.get();
    parts << (decision ? QString("Decision: %1").arg(QString::fromStdString(decision->m_name)) : QString("Decision: none"));
    QStringList inputs;
    for (const auto& v : m_project->m_inputs.m_items)
        inputs << QString::fromStdString(v->m_name + " " + v->ValueText());
    if (!inputs.isEmpty()) parts << "Inputs: " + inputs.join(", ");
    QStringList outputs;
    for (const auto& o : m_project->m_outputs.m_items)
        outputs << QString::fromStdString(o->m_name + " " + o->m_countLabel);
    if (!outputs.isEmpty()) parts << "Outputs: " + outputs.join(", ");
    if (const CReceptorMgr* m = m_project->Model())
        parts << QString("%1 receptors, %2 connections").arg(m->m_receptors.size()).arg(m->m_connections.size());
    return parts.join(". ");
}

void CDisplay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, m_buffer);
    // Where the keyboard is: a dotted frame round its tile while the view has focus.
    if (hasFocus() && m_a11y)
        for (const ViewTile& t : m_a11y->Words().parts[m_keyPart])
            if (t.focused) {
                p.setPen(QPen(Qt::black, 1, Qt::DotLine));
                p.setBrush(Qt::NoBrush);
                p.drawRect(t.rect.adjusted(-2, -2, 1, 1));
            }
}

QPoint CDisplay::ToModel(QPoint canvas) const {
    const KPoint off = m_project ? m_project->m_viewOffset : KPoint{};
    return canvas - QPoint(off.x, off.y);
}

bool CDisplay::InInputsBar(QPoint p) const { return p.y() >= 0 && p.y() < kBarHeight && p.x() >= -1 && p.x() < width(); }
bool CDisplay::InOutputsBar(QPoint p) const {
    return p.y() >= height() - kBarHeight && p.y() < height() && p.x() >= -1 && p.x() < width();
}

CVariable* CDisplay::InputAt(QPoint p) const {
    if (!m_project) return nullptr;
    HitRecord hit;
    for (const auto& v : m_project->m_inputs.m_items)
        if (v->HitTest(hit, p.x(), p.y())) return v.get();
    return nullptr;
}

COutput* CDisplay::OutputAt(QPoint p) const {
    if (!m_project) return nullptr;
    HitRecord hit;
    for (const auto& o : m_project->m_outputs.m_items)
        if (o->HitTest(hit, p.x(), p.y())) return o.get();
    return nullptr;
}

CReceptor* CDisplay::PaletteAt(QPoint p) const {
    HitRecord hit;
    for (const auto& t : m_palette)
        if (t->HitTest(hit, p.x(), p.y())) return t.get();
    return nullptr;
}

void CDisplay::ClearSelections() {
    if (!m_project || !m_project->m_bOpen || !m_project->Model()) return;
    m_project->Model()->ClearSelection();
    if (m_project->Scenarios()) m_project->Scenarios()->ClearSelection();
    m_project->m_inputs.ClearSelection();
    m_project->m_outputs.ClearSelection();
}

// ------------------------------------------------------------------ gestures

bool CDisplay::HitBars(QPoint p, bool rubber) {
    GestureRecord& g = m_gesture;
    const bool inputs = InInputsBar(p);
    if (!inputs && !InOutputsBar(p)) return false;
    // An item under the press is selected alone and becomes the target; else the bar.
    CMouseTarget* item = inputs ? static_cast<CMouseTarget*>(InputAt(p)) : static_cast<CMouseTarget*>(OutputAt(p));
    if (!item) {
        g.targetType = inputs ? kTargetInputsBar : kTargetOutputsBar;
        g.id = inputs ? 3000 : 3200;
        return true;
    }
    KPoint anchor;
    if (inputs) {
        auto* v = static_cast<CVariable*>(item);
        m_project->m_inputs.ClearSelection();
        m_project->m_inputs.Select(v);
        anchor = v->m_anchor;
    } else {
        auto* o = static_cast<COutput*>(item);
        m_project->m_outputs.ClearSelection();
        m_project->m_outputs.Select(o);
        anchor = o->m_anchor;
    }
    g.targetType = item->m_iTargetType;
    g.id = item->m_iTargetID;
    g.object = item->m_pOwner;
    if (rubber) {
        g.rubberShown = true;
        g.rubber = QLine(QPoint(anchor.x, anchor.y), p);
    }
    return true;
}

void CDisplay::LeftDown(QPoint p, bool shift) {
    GestureRecord& g = m_gesture;
    g.shift = shift;
    if (!shift) ClearSelections();
    g.current = p;
    if (!m_project || !m_project->m_bOpen) return;
    bool hit = HitBars(p, false);
    if (hit) {
        auto* o = g.targetType == kTargetOutput ? static_cast<COutput*>(g.object) : nullptr;
        // Shift+click on an output retargets the selected scenarios to its action receptor.
        if (o && shift && m_project->IsReady())
            if (CReceptor* a = m_project->ActionForOutput(o)) m_session->RetargetSelection(a->m_ID);
    } else if (CReceptor* t = PaletteAt(p)) {
        g.targetType = t->m_iTargetType;
        g.id = t->m_iTargetID;
        g.object = t;
        g.ringShown = true;
        g.ringAnchor = p;
        g.rubber = QLine(p, p);
        hit = true;
    } else if (CReceptorMgr* m = m_project->Model()) {
        if (!shift) m->ClearSelection();
        const QPoint mp = ToModel(p);
        if (CReceptor* r = m->ReceptorAt(mp.x(), mp.y())) {
            m->Select(r);
            g.targetType = r->m_iKind;
            g.id = r->m_ID;
            g.object = r;
            hit = true;
        } else if (rect().contains(p)) {
            g.targetType = kTargetView;
            g.id = kTargetView;
            hit = true;
        }
    }
    if (hit) {
        g.leftDown = true;
        g.press = p;
        g.previous = g.current;
    }
    Draw();
}

void CDisplay::MouseMove(QPoint p, Qt::MouseButtons buttons) {
    GestureRecord& g = m_gesture;
    if (!m_project || g.targetType == 0) return;
    if (g.leftDown && (buttons & Qt::LeftButton)) {
        if (g.targetType >= kSensor && g.targetType <= kAction) {
            if (CReceptor* r = m_project->Model() ? m_project->Model()->FindReceptor(g.id) : nullptr) {
                const QPoint mp = ToModel(p);
                m_session->MoveReceptor(r, {mp.x() - 16, mp.y() - 16});
            }
        } else if (g.targetType == kTargetInputsBar || g.targetType == kTargetOutputsBar) {
            const int dx = g.current.x() - g.previous.x();
            if (g.targetType == kTargetInputsBar)
                m_project->m_inputs.m_iOffset += dx;
            else
                m_project->m_outputs.m_iOffset += dx;
            LayoutBars(false);
        } else if (g.targetType != kTargetInput && g.targetType != kTargetOutput) {
            g.rubber.setP2(p);
        }
        g.previous = g.current;
        g.current = p;
        Draw();
    } else if (g.rightDown && (buttons & Qt::RightButton)) {
        if (g.targetType >= kSensor && g.targetType <= kAction) {
            g.rubberShown = true;
            g.rubber.setP2(p);
        } else if (g.targetType == kTargetInput || g.targetType == kTargetOutput) {
            g.rubber.setP2(p);
        } else if (g.targetType == kTargetView) {
            g.current = p;
            m_project->m_viewOffset.x += g.current.x() - g.previous.x();
            m_project->m_viewOffset.y += g.current.y() - g.previous.y();
            g.previous = g.current;
        }
        Draw();
    }
}

void CDisplay::LeftUp(QPoint p) {
    GestureRecord& g = m_gesture;
    if (!m_project || !m_project->Model() || !g.leftDown) return;
    const QPoint corner = ToModel(p) - QPoint(16, 16), at = ToModel(p);
    const int type = g.targetType;
    g.Reset();
    const bool dropped = m_session->DropReceptor(type, {corner.x(), corner.y()}, {at.x(), at.y()});
    Draw();
    if (dropped) Changed();
}

void CDisplay::RightDown(QPoint p, bool shift) {
    GestureRecord& g = m_gesture;
    g.current = p;
    ClearSelections();
    if (!m_project || !m_project->m_bOpen) return;
    g.rubber = QLine(p, p);
    bool hit = HitBars(p, true);
    if (hit) {
        // the bar or its item is the target
    } else if (CReceptor* t = PaletteAt(p)) {
        g.targetType = t->m_iTargetType;
        g.object = t;
        hit = true;
    } else if (CReceptorMgr* m = m_project->Model()) {
        if (!shift) m->ClearSelection();
        const QPoint mp = ToModel(p);
        CReceptor* r = m_project->m_bModelView ? nullptr : m->ReceptorAt(mp.x(), mp.y());
        if (r) {
            m->Select(r);
            g.targetType = r->m_iKind;
            g.id = r->m_ID;
            g.object = r;
            const QPoint centre = QPoint(r->m_geo.body.left + r->m_iSize / 2, r->m_geo.body.top + r->m_iSize / 2) +
                                  QPoint(m_project->m_viewOffset.x, m_project->m_viewOffset.y);
            g.rubber = QLine(centre, p);
            hit = true;
        } else {
            g.previous = g.current;
            if (rect().contains(p)) {
                g.targetType = kTargetView;
                hit = true;
            }
        }
    }
    if (hit) {
        g.rightDown = true;
        g.press = p;
    }
    Draw();
}

void CDisplay::RightUp(QPoint p) {
    GestureRecord& g = m_gesture;
    if (!m_project || !m_project->Model() || !g.rightDown) {
        g.Reset();
        return;
    }
    CReceptorMgr& m = *m_project->Model();
    const QPoint mp = ToModel(p);
    CReceptor* r = InInputsBar(p) || InOutputsBar(p) ? nullptr : m.ReceptorAt(mp.x(), mp.y());
    CVariable* sliderFor = nullptr;
    if (g.targetType == kTargetInput) {
        auto* v = static_cast<CVariable*>(g.object);
        if (!r) {
            if (InputAt(p) == v) sliderFor = v;
        } else {
            m_session->AttachInputTo(r, v);
        }
    } else if (g.targetType == kTargetOutput && r) {
        if (m_session->AttachOutputTo(r, static_cast<COutput*>(g.object))) m_session->Locked([&] { m.ClearSelection(); });
    } else if (g.targetType >= kSensor && g.targetType <= kAction) {
        auto* s = static_cast<CReceptor*>(g.object);
        if (r && r->m_ID != s->m_ID) {
            m_session->Connect(s, r);
        } else if (!r && InInputsBar(p)) {
            if (CVariable* v = InputAt(p)) m_session->AttachInputTo(s, v);
        } else if (!r && InOutputsBar(p)) {
            if (COutput* o = OutputAt(p)) m_session->AttachOutputTo(s, o);
        }
    }
    m_session->Locked([&] { m_project->UpdateNetwork(); });
    g.Reset();
    Draw();
    Changed();
    if (sliderFor && onSlider) onSlider(sliderFor);
}

void CDisplay::DoubleClick(QPoint p) {
    ClearSelections();
    if (!m_project) return;
    int type = 0;
    void* object = nullptr;
    if (InInputsBar(p)) {
        CVariable* v = InputAt(p);
        if (v) {
            m_project->m_inputs.Select(v);
            type = kTargetInput;
            object = v;
        } else {
            type = kTargetInputsBar;
        }
    } else if (InOutputsBar(p)) {
        COutput* o = OutputAt(p);
        type = o ? kTargetOutput : kTargetOutputsBar;
        object = o;
    } else if (m_project->m_bOpen && m_project->Model()) {
        CReceptorMgr& m = *m_project->Model();
        const QPoint mp = ToModel(p);
        CReceptor* r = m_project->m_bModelView ? nullptr : m.ReceptorAt(mp.x(), mp.y());
        if (r) {
            r->m_bSelected = true;
            type = r->m_iKind;
            object = r;
        } else if (CConnection* c = m.ConnectionAt(mp.x(), mp.y())) {
            type = kTargetConnection;
            object = c;
        } else {
            type = kTargetView;
        }
    }
    Draw();
    if (type && onOpen) onOpen(type, object);
    m_gesture.Reset();
}

void CDisplay::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);  // so the Delete key reaches the view after a click in it
    m_keyIndex = -1;                 // a click ends the keyboard's frame: Delete acts on what the click selected
    if (e->button() == Qt::LeftButton) LeftDown(e->position().toPoint(), e->modifiers() & Qt::ShiftModifier);
    if (e->button() == Qt::RightButton) RightDown(e->position().toPoint(), e->modifiers() & Qt::ShiftModifier);
    Changed();
}

void CDisplay::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) LeftUp(e->position().toPoint());
    if (e->button() == Qt::RightButton) RightUp(e->position().toPoint());
}

QString CDisplay::TextAt(QPoint canvas) const {
    if (!m_project || !m_project->m_bOpen) return {};
    if (CVariable* v = InputAt(canvas)) return QString::fromStdString(v->m_name + ": " + v->ValueText());
    if (COutput* o = OutputAt(canvas)) return QString::fromStdString(o->m_name);
    const CReceptorMgr* m = m_project->Model();
    if (!m || m_project->m_bModelView || Training()) return {};  // the network is drawn as one picture
    const QPoint at = ToModel(canvas);
    if (const CReceptor* r = m->ReceptorAt(at.x(), at.y())) {
        QString text = QString::fromStdString(r->m_label);
        if (r->m_iKind != kBias) text += QString::asprintf("\nIN:  %0.3f", r->m_dNetInput);
        return text + QString::asprintf("\nOUT: %0.3f", r->SendValue());
    }
    if (const CConnection* c = m->ConnectionAt(at.x(), at.y()))
        return QString::asprintf("weight: %0.3f", c->Weight());
    return {};
}

bool CDisplay::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const QString text = m_runner ? m_runner->Locked([&] { return TextAt(help->pos()); }) : TextAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(e);
}

void CDisplay::mouseMoveEvent(QMouseEvent* e) { MouseMove(e->position().toPoint(), e->buttons()); }

void CDisplay::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) DoubleClick(e->position().toPoint());
}

}  // namespace ks
