#include "model/receptor.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "model/random.h"
#include "model/receptor_mgr.h"
#include "model/variable.h"

namespace ks {

const char* KindLabelFormat(std::int32_t kind) {
    switch (kind) {
    case kSensor: return "Sensor %d";
    case kProcessor: return "Processor %d";
    case kBias: return "Bias %d";
    case kAction: return "Action %d";
    default: return "";
    }
}

const char* KindName(std::int32_t kind) {
    switch (kind) {
    case kSensor: return "Sensor";
    case kProcessor: return "Processor";
    case kBias: return "Bias";
    case kAction: return "Action";
    default: return "";
    }
}

const char* KindMark(std::int32_t kind) {
    switch (kind) {
    case kSensor: return "S";
    case kProcessor: return "P";
    case kBias: return "B";
    case kAction: return "A";
    default: return "";
    }
}

CReceptor::CReceptor(std::int32_t kind, std::int32_t activationCode, std::int32_t id)
    : m_ID(id), m_iKind(kind), m_iActivation(activationCode), m_label(KindName(kind)), m_mark(KindMark(kind)) {
    m_iTargetType = kind;
    m_iTargetID = id;
    m_pOwner = this;
}

void CReceptor::Place(std::int32_t x, std::int32_t y) {
    const int s = m_iSize;
    const int cx = x + s / 2;
    m_pos = {x, y};
    m_geo.body = {x, y, x + s, y + s};
    m_rect = m_geo.body;
    m_geo.inputPoint = {cx, y + 1};
    m_geo.outputPoint = {cx, y + s - 2};
    m_geo.inputPort = {cx - 3, y - 2, cx + 3, y + 4};
    m_geo.outputPort = {cx - 3, y + s - 5, cx + 3, y + s + 1};
    const int shrink = s / 3;
    m_geo.core = {x + shrink, y + shrink, x + s - shrink, y + s - shrink};
    const int g = m_iKind == kAction ? 46 : 6;
    m_geo.labelBox = {x - 24, y + s + g, x + s + 24, y + 2 * s + g};
    if (m_iKind == kSensor) {
        const int w = Trunc32(s * 1.8);
        const int left = cx + w / -2;
        m_geo.variableBox = {left, y - s / 3 - 24, left + w, y - s / 3};
    }
    for (const CLink& l : m_inputLinks)
        if (l.connection) l.connection->UpdateEndPoints();
    for (const CLink& l : m_outputLinks)
        if (l.connection) l.connection->UpdateEndPoints();
}

void CReceptor::Activate() {
    m_dOutput = 0.0;
    switch (m_iKind) {
    case kSensor:
        if (!m_pVariable) return;
        m_dNetInput = m_pVariable->m_dValue;
        if (m_pVariable->m_iType == kBoolean)
            m_dOutput = m_dNetInput != 0.0 ? 1.0 : 0.0;
        else
            m_dOutput = m_dNetInput;
        break;
    case kProcessor: m_dOutput = ksr_processor_output(m_iActivation, m_dNetInput, m_dThreshold, m_iBitIndex); break;
    case kBias: m_dOutput = m_dBiasValue; break;
    case kAction: m_dOutput = ksr_action_output(m_bLinearOutput, m_dNetInput); break;
    default: break;
    }
}

bool CReceptor::AttachVariable(CVariable* variable) {
    if (m_iKind != kSensor || !variable) return false;
    if (m_pVariable) {
        m_pVariable->m_bAttached = false;
        m_pVariable->m_iAttachedReceptorID = 0;
    }
    m_pVariable = variable;
    variable->m_iAttachedReceptorID = m_ID;
    variable->m_bAttached = true;
    m_iVariableID = variable->m_ID;
    m_bLinearOutput = false;
    m_bAttachedToVariable = true;
    Place(m_pos.x, m_pos.y);
    m_dOutput = 0.0;
    m_iActivation = kLinear;
    Activate();
    return true;
}

void CReceptor::AttachOutput(COutput* output) {
    m_pOutput = output;
    m_bAttachedToOutput = output != nullptr;
    m_iOutputID = output ? output->m_ID : 0;
}

void CReceptor::DetachOutput() {
    m_pOutput = nullptr;
    m_bAttachedToOutput = false;
}

void CReceptor::RandomizeInputWeights() {
    for (const CLink& l : m_inputLinks)
        if (l.connection) l.connection->SetWeight(DrawWeight());
}

void CReceptor::RemoveInputLink(std::int32_t connectionID) {
    auto it = std::find_if(m_inputLinks.begin(), m_inputLinks.end(),
                           [&](const CLink& l) { return l.connectionID == connectionID; });
    if (it != m_inputLinks.end()) m_inputLinks.erase(it);
}

void CReceptor::RemoveOutputLink(std::int32_t connectionID) {
    auto it = std::find_if(m_outputLinks.begin(), m_outputLinks.end(),
                           [&](const CLink& l) { return l.connectionID == connectionID; });
    if (it != m_outputLinks.end()) m_outputLinks.erase(it);
}

}  // namespace ks
