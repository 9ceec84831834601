// Automatic assembly and the structure commands: inputs, outputs, processors,
// biases, deletion of selected inputs and outputs, and alignment.
#include <algorithm>

#include "model/numeric.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/random.h"
#include "model/text.h"

namespace ks {

namespace {
constexpr std::int32_t kRowPitch = 56;       // 24-pixel receptors, 32 pixels apart
constexpr std::int32_t kBiasConnectionColour = 0xC0C0C0;
}  // namespace

CVariable* CProject::AddInput(const VARIABLE_RECORD& rec, const std::string& name) {
    CVariable* v = m_inputs.AddVariable(rec);
    v->m_ID = m_inputs.NewID();
    v->m_iTargetID = v->m_ID;
    v->m_name = TruncateUtf16(name, 99);
    UpdateNetwork();
    return v;
}

CReceptor* CProject::AttachNewInput(CVariable* v, KPoint origin) {
    if (!v || !m_bAutoAssembly || !m_pModel) return nullptr;
    CReceptor* sensor = nullptr;
    for (CReceptor* r : m_pModel->Sensors())
        if (!r->m_pVariable) { sensor = r; break; }
    if (!sensor) {
        sensor = m_pModel->AddReceptor(kSensor, -1, v->m_anchor.x - origin.x - m_viewOffset.x - 12,
                                       v->m_anchor.y - origin.y - m_viewOffset.y + 40);
        if (!sensor) {
            m_pModel->RecountAttachments();
            return nullptr;
        }
    }
    m_pModel->ConnectToProcessors(sensor);
    sensor->AttachVariable(v);
    m_pModel->RecountAttachments();
    return sensor;
}

std::int32_t CProject::AttachNewOutput(COutput* o, KPoint origin) {
    if (!o || !m_bAutoAssembly || !m_pModel) return 0;
    CReceptor* action = nullptr;
    for (CReceptor* r : m_pModel->Actions())
        if (!r->m_pOutput) { action = r; break; }
    if (!action) {
        action = m_pModel->AddReceptor(kAction, -1, o->m_anchor.x - origin.x - m_viewOffset.x - 12,
                                       o->m_anchor.y - origin.y - m_viewOffset.y - 64);
        if (!action) {
            m_pModel->RecountAttachments();
            return 0;
        }
    }
    m_pModel->ConnectToProcessors(action);
    action->AttachOutput(o);
    o->m_iActionReceptorID = action->m_ID;
    m_pModel->RecountAttachments();
    return action->m_ID;
}

std::int32_t CProject::EnsureProcessors() {
    const std::int32_t p = (m_bOpen && m_pModel) ? m_pModel->CountReceptors(kProcessor) : 0;
    const std::int32_t i = m_inputs.Count();
    const std::int32_t o = m_outputs.Count();
    const std::int32_t m = std::max(i, o) + 1;
    Trace("Outputs: %d, inputs: %d, processors: %d, m++: %d\n", o, i, p, m);
    if (p >= m) return 0;
    AddProcessors(m - p);
    if (m_bOpen && m_pModel) {
        m_pModel->RandomizeAllWeights();
        UpdateNetwork();
    }
    return m - p;
}

std::int32_t CProject::AddProcessors(std::int32_t count) {
    if (!m_pModel || !m_pScenarios) return 0;
    CReceptorMgr& model = *m_pModel;
    std::int32_t j = 0;
    for (std::int32_t n = 0; n < count; ++n) {
        j = model.CountReceptors(kProcessor);
        model.SelectKind(kProcessor);
        // The new processor goes to the centre of what is selected.
        std::int32_t xmin = 10001, xmax = -1000, ymin = 1000, ymax = -1000;
        for (const ReceptorSelEntry& e : model.m_selection) {
            xmin = std::min(xmin, e.receptor->m_pos.x);
            xmax = std::max(xmax, e.receptor->m_pos.x);
            ymin = std::min(ymin, e.receptor->m_pos.y);
            ymax = std::max(ymax, e.receptor->m_pos.y);
        }
        CReceptor* p = model.AddReceptor(kProcessor, kLogistic,
                                         Trunc32((xmin - xmax) * 0.5 + xmax) - m_viewOffset.x - 16,
                                         Trunc32((ymin - ymax) * 0.5 + ymax) - m_viewOffset.y - 16);
        if (!p) break;
        model.ConnectSensorsTo(p);
        model.ConnectToActions(p);
    }
    return j;
}

std::int32_t CProject::RemoveLastProcessor() {
    Trace("2 deleteProcessor Called\n");
    if (!m_bOpen) return 0;
    Trace("3 deleteProcessor Called\n");
    if (!m_pModel || !m_pScenarios) return 0;
    Trace("4 deleteProcessor Called\n");
    m_pModel->ClearSelection();
    if (m_pModel->CountReceptors(kProcessor) < 2) return 0;
    Trace("5 deleteProcessor Called\n");
    CReceptor* last = m_pModel->Processors().back();
    RemoveOwnBiases(last);
    m_pModel->DeleteReceptor(last);
    return 1;
}

std::int32_t CProject::RemoveOwnBiases(CReceptor* r) {
    if (!m_pModel) return 0;
    CReceptorMgr& model = *m_pModel;
    model.ClearSelection();
    if (!r) {
        const std::int32_t n = model.SelectKind(kBias);
        model.DeleteSelectedReceptors();
        return n;
    }
    std::int32_t n = 0;
    for (const CLink& l : r->m_inputLinks) {
        CReceptor* s = l.connection ? l.connection->m_pSender : nullptr;
        if (!s || s->m_iKind != kBias || s->m_outputLinks.size() != 1) continue;
        n = model.Select(s);
    }
    model.DeleteSelectedReceptors();
    return n;
}

bool AddBiasToSelection(CReceptorMgr& model) {
    if (model.m_selection.empty()) return false;
    bool added = false;
    const auto entries = model.m_selection;
    for (const ReceptorSelEntry& e : entries) {
        CReceptor* r = e.receptor;
        if (r->m_iKind != kProcessor && r->m_iKind != kAction) continue;
        const bool hasBias = std::any_of(r->m_inputLinks.begin(), r->m_inputLinks.end(), [](const CLink& l) {
            return l.connection && l.connection->m_pSender->m_iKind == kBias;
        });
        if (hasBias) continue;
        CReceptor* bias = model.AddReceptor(kBias, 0, r->m_pos.x + 40, r->m_pos.y - 40);
        if (!bias) continue;
        bias->m_dBiasValue = 1.0;
        model.AddConnection(bias, r, kBiasConnectionColour, DrawWeight());
        added = true;
    }
    model.RebuildKindLists();
    return added;
}

bool AddBiasToKind(CReceptorMgr& model, std::int32_t kind) {
    model.ClearSelection();
    model.SelectKind(kind);
    return AddBiasToSelection(model);
}

std::int32_t CProject::RemoveSelectedInputs() {
    if (!m_bOpen) return 0;
    const auto selected = m_inputs.m_selection;
    if (m_pScenarios && m_pScenarios->Count() > 0)
        for (CVariable* v : selected) m_pScenarios->RemoveInputValues(v);
    if (m_pModel) {
        std::vector<CReceptor*> doomed;
        for (CReceptor* r : m_pModel->Sensors())
            if (r->m_pVariable && r->m_pVariable->m_bSelected) doomed.push_back(r);
        for (CReceptor* r : doomed) m_pModel->DeleteReceptor(r);
    }
    for (CVariable* v : selected) m_inputs.Remove(v);
    m_inputs.ClearSelection();
    if (m_pModel) m_pModel->RecountAttachments();
    return static_cast<std::int32_t>(selected.size());
}

std::int32_t CProject::RemoveSelectedOutputs() {
    if (!m_bOpen) return 0;
    const auto selected = m_outputs.m_selection;
    if (m_pScenarios && m_pScenarios->Count() > 0) {
        for (const OutputSelEntry& e : selected) {
            std::vector<CScenario*> doomed;
            for (const auto& s : m_pScenarios->Scenarios())
                if (s->m_pTarget && s->m_pTarget->m_pOutput && s->m_pTarget->m_pOutput->m_ID == e.output->m_ID)
                    doomed.push_back(s.get());
            for (CScenario* s : doomed) m_pScenarios->DeleteScenario(s);
        }
    }
    if (m_pModel) {
        std::vector<CReceptor*> doomed;
        for (CReceptor* r : m_pModel->Actions())
            if (r->m_pOutput && r->m_pOutput->m_bSelected) doomed.push_back(r);
        for (CReceptor* r : doomed) m_pModel->DeleteReceptor(r);
        m_pModel->RebuildKindLists();
    }
    for (const OutputSelEntry& e : selected) {
        if (m_pScenarios) m_pScenarios->ForgetOutput(e.output);
        m_outputs.Remove(e.output);
    }
    m_outputs.ClearSelection();
    if (m_pModel) m_pModel->RecountAttachments();
    return static_cast<std::int32_t>(selected.size());
}

void CProject::AlignNetwork(std::int32_t height, std::int32_t top, std::int32_t left, std::int32_t width,
                            std::int32_t wantedPitch) {
    m_viewOffset = {0, 0};
    if (!m_pModel) return;
    CReceptorMgr& model = *m_pModel;
    model.SetRowY(kSensor, top + 40);
    model.SetRowY(kProcessor, height / 2 + top - 12);
    model.SetRowY(kAction, top + height - 64);
    for (std::int32_t kind : {kSensor, kProcessor, kAction}) {
        model.ClearSelection();
        const std::int32_t n = model.SelectKind(kind);
        // Wider than the usual pitch only as far as the row still fits.
        const std::int32_t pitch = std::max(kRowPitch, std::min(wantedPitch, width / std::max(n, 1)));
        std::int32_t x = width / 2 - (n * pitch - 32) / 2 + left;
        const auto& list = kind == kSensor ? model.Sensors() : kind == kProcessor ? model.Processors() : model.Actions();
        for (CReceptor* r : list) {
            r->Place(x, r->m_pos.y);
            x += pitch;
        }
    }
}

}  // namespace ks

namespace ks {

namespace {
constexpr std::int32_t kBarHeight = 60;

// The bars run from canvas x -1 to the view's right edge.
constexpr std::int32_t kBarLeft = -1;

std::int32_t CentredOffset(std::int32_t n, std::int32_t w, std::int32_t s, std::int32_t barWidth) {
    return -(n * w) / 2 + barWidth / 2 - s * (n - 1) / 2 - kBarLeft;
}
}  // namespace

std::int32_t CProject::CentredBarOffset(std::int32_t n, std::int32_t w, std::int32_t s, std::int32_t viewWidth) {
    return CentredOffset(n, w, s, viewWidth - kBarLeft);
}

void CProject::AlignInView(std::int32_t viewWidth, std::int32_t viewHeight) {
    const std::int32_t barWidth = viewWidth - kBarLeft;
    m_inputs.m_iOffset = CentredOffset(m_inputs.Count(), m_inputs.m_iItemWidth, m_inputs.m_iSpacing, barWidth);
    m_outputs.m_iOffset = CentredOffset(m_outputs.Count(), m_outputs.m_iItemWidth, m_outputs.m_iSpacing, barWidth);
    AlignNetwork(viewHeight - 2 * kBarHeight, kBarHeight, 0, viewWidth);
}

}  // namespace ks
