// The forward pass (sensors, processors, action receptors) and the three
// winner rules.
#include <cmath>

#include "model/numeric.h"
#include "model/receptor_mgr.h"
#include "model/variable.h"

namespace ks {

namespace {
double ScaleSensor(const CVariable& v) {
    const std::int32_t items = v.m_iType == kDescriptorList ? v.ItemCount() : 0;  // only a list scales by it
    CVariable::SensorScale& kept = v.m_sensorScale;
    if (!(kept.range == v.m_dRange && kept.type == v.m_iType && kept.items == items))
        kept = {v.m_dRange, v.m_iType, items, ksr_sensor_scale(v.m_iType, items, v.m_dRange)};
    return ksr_sensor_output(v.m_iType, items, v.m_dMin, kept.scale, v.m_dValue);
}
}  // namespace

void CReceptorMgr::Evaluate() {
    if (!m_bUsePlan) {
        EvaluateSequential();
        return;
    }
    if (m_plan.Version() != m_structureVersion) m_plan.Build(*this);
    EvaluateSensors();
    if (m_plan.Usable()) {
        m_plan.Run(*this);
    } else {
        EvaluateProcessors();
        EvaluateActions();
    }
}

void CReceptorMgr::EvaluateSequential() {
    EvaluateSensors();
    EvaluateProcessors();
    EvaluateActions();
}

std::int32_t CReceptorMgr::EvaluateSensors() {
    std::int32_t n = 0;
    for (CReceptor* r : m_sensors) {
        if (!r->m_pVariable) continue;
        r->m_dNetInput = r->m_pVariable->m_dValue;
        r->m_dOutput = ScaleSensor(*r->m_pVariable);
        ++n;
    }
    return n;
}

double CReceptorMgr::SumInputs(CReceptor* r) {
    double sum = 0.0;
    for (const CLink& l : r->m_inputLinks) {
        CConnection* c = l.connection;
        if (!c) continue;
        c->SetSignal(c->m_pSender->SendValue() * c->Weight());
        sum += c->Signal();
    }
    return sum;
}

std::int32_t CReceptorMgr::EvaluateProcessors() {
    for (CReceptor* r : m_processors) {
        r->m_dNetInput = SumInputs(r);
        r->Activate();
    }
    return static_cast<std::int32_t>(m_processors.size());
}

std::int32_t CReceptorMgr::EvaluateActions() {
    std::int32_t n = 0;
    for (CReceptor* r : m_actions) {
        r->m_dNetInput = SumInputs(r);
        r->Activate();
        if (r->m_bAttachedToOutput) ++n;
    }
    return n;
}

std::int32_t CReceptorMgr::WinnerID() const {
    double best = -1.0;
    std::int32_t id = 0;
    for (const CReceptor* r : m_actions) {
        if (!r->m_bAttachedToOutput) continue;
        const double v = r->SendValue();
        if (v > best) {  // NaN never wins
            best = v;
            id = r->m_ID;
        }
    }
    return id;
}

const CReceptor* CReceptorMgr::DisplayWinner() const {
    double best = -1.0;
    const CReceptor* winner = nullptr;
    for (const CReceptor* r : m_actions) {
        if (!r->m_pOutput) continue;
        const double v = r->SendValue();
        if (v > best) {
            best = v;
            winner = r;
        }
    }
    return winner;
}

CReceptor* CReceptorMgr::SelectWinner() {
    const CReceptor* winner = DisplayWinner();
    CReceptor* marked = nullptr;
    for (CReceptor* r : m_actions) {
        r->m_bSelected = r == winner;
        if (r->m_bSelected) marked = r;
    }
    return marked;
}

CReceptor* CReceptorMgr::MarkLastBestWinner() {
    double best = -1.0;
    CReceptor* winner = nullptr;
    for (CReceptor* r : m_actions) {
        if (!r->m_bAttachedToOutput) continue;
        r->m_bWinner = false;
        const double v = r->SendValue();
        if (v >= best) {
            best = v;
            winner = r;
        }
    }
    if (winner) winner->m_bWinner = true;
    return winner;
}

COutput* CReceptorMgr::EvaluateAndPick() {
    Evaluate();
    CReceptor* winner = MarkLastBestWinner();
    return winner ? winner->m_pOutput : nullptr;
}

}  // namespace ks
