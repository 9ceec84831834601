// The view from the keyboard and from assistive technology: the tile the
// keyboard is on, what pressing a tile does, an input's value set from outside.
#include <QFocusEvent>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>

#include "model/project.h"
#include "session/session.h"
#include "training/training_runner.h"
#include "ui/display.h"

namespace ks {

void CDisplay::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    // Arriving by Tab, the keyboard starts on the first input (or output); a
    // window coming to the front selects nothing.
    const bool tabbed = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason;
    if (m_keyIndex < 0 && tabbed && m_project && m_project->m_bOpen)
        MoveKeyboard(m_project->m_inputs.Count() > 0 ? kPartInputs : kPartOutputs, 0);
    else
        Draw();
}

void CDisplay::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    update();
}

void CDisplay::MoveKeyboard(int part, int index) {
    if (!m_project || !m_project->m_bOpen || (part != kPartInputs && part != kPartOutputs)) return;
    const int count = part == kPartInputs ? m_project->m_inputs.Count() : m_project->m_outputs.Count();
    if (count == 0) return;
    m_keyPart = part;
    m_keyIndex = std::clamp(index, 0, count - 1);
    // An input is selected as a click on it would select it, so Delete and the
    // pages act on it. The outputs bar's highlight is the decision on show: the
    // keyboard frames an output without moving that highlight.
    m_project->m_inputs.ClearSelection();
    if (part == kPartInputs) m_project->m_inputs.Select(m_project->m_inputs.m_items[static_cast<std::size_t>(m_keyIndex)].get());
    Draw();
    Changed();
}

void CDisplay::ShowDecision() {
    if (!m_project || !m_project->Model()) return;
    auto mark = [&] {
        m_project->m_outputs.ClearSelection();
        if (const CReceptor* w = m_project->Model()->DisplayWinner()) m_project->m_outputs.Select(w->m_pOutput);
    };
    if (m_runner)
        m_runner->Locked(mark);
    else
        mark();
    Draw();
}

void CDisplay::SetTileValue(std::int64_t key, double value) {
    if (!m_project || !m_project->m_bOpen || !m_session || Training() || PartOfKey(key) != kPartInputs) return;
    CVariable* v = m_project->m_inputs.Find(IdOfKey(key));
    const ViewTile* tile = m_a11y ? m_a11y->Words().Find(key) : nullptr;
    if (!v || !tile || !std::isfinite(value)) return;
    // The session tells the window, which redraws the view, the lists and the panels.
    m_session->SetInputValue(v, std::clamp(value, tile->minimum, tile->maximum));
    m_session->UpdateNetwork();
}

void CDisplay::OpenTile(std::int64_t key) {
    if (!m_project || !m_project->m_bOpen) return;
    const std::int32_t id = IdOfKey(key);
    switch (PartOfKey(key)) {
        case kPartInputs:
            if (CVariable* v = m_project->m_inputs.Find(id); v && onSlider) onSlider(v);
            break;
        case kPartOutputs:
            if (COutput* o = m_project->m_outputs.Find(id); o && onOpen) onOpen(kTargetOutput, o);
            break;
        case kPartNetwork:
            if (CReceptor* r = m_project->Model() ? m_project->Model()->FindReceptor(id) : nullptr; r && onOpen)
                onOpen(r->m_iKind, r);
            break;
        default: break;
    }
}

void CDisplay::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Delete && onDelete) {
        // On a framed output, Delete asks about that output; the decision is marked again afterwards.
        const bool framedOutput = m_keyPart == kPartOutputs && m_keyIndex >= 0 && m_project && m_project->m_bOpen &&
                                  m_keyIndex < m_project->m_outputs.Count();
        if (framedOutput) {
            m_project->m_outputs.ClearSelection();
            m_project->m_outputs.Select(m_project->m_outputs.m_items[static_cast<std::size_t>(m_keyIndex)].get());
        }
        onDelete();
        if (framedOutput) ShowDecision();
        return;
    }
    const int part = m_keyPart == kPartOutputs ? kPartOutputs : kPartInputs;
    const bool onTile = m_keyIndex >= 0;
    switch (e->key()) {
        case Qt::Key_Left: MoveKeyboard(part, onTile ? m_keyIndex - 1 : 0); return;
        case Qt::Key_Right: MoveKeyboard(part, onTile ? m_keyIndex + 1 : 0); return;
        case Qt::Key_Home: MoveKeyboard(part, 0); return;
        case Qt::Key_End: MoveKeyboard(part, 1 << 20); return;
        case Qt::Key_Up: MoveKeyboard(kPartInputs, onTile ? m_keyIndex : 0); return;
        case Qt::Key_Down: MoveKeyboard(kPartOutputs, onTile ? m_keyIndex : 0); return;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_a11y)
                for (const ViewTile& t : m_a11y->Words().parts[part])
                    if (t.focused) {
                        OpenTile(t.key);
                        return;
                    }
            break;
        default: break;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace ks
