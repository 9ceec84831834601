#pragma once
// One neuron of the model: its kind, activation, value, attachment and place.
#include <cstdint>
#include <string>
#include <vector>

#include "ksr_kernel.h"
#include "model/geometry.h"
#include "model/mouse_target.h"

namespace ks {

class CConnection;
class CVariable;
class COutput;

enum ReceptorKind : std::int32_t {
    kSensor = KSR_KIND_SENSOR,
    kProcessor = KSR_KIND_PROCESSOR,
    kBias = KSR_KIND_BIAS,
    kAction = KSR_KIND_ACTION,
};

// Activation codes of processors; their formulas and slopes are in ksr_kernel.h.
enum ActivationCode : std::int32_t {
    kStep = KSR_STEP,                   // 1 when net >= threshold
    kLinear = KSR_LINEAR,               // net
    kLogistic = KSR_LOGISTIC,           // 1 / (1 + e^-net)
    kBand = KSR_BAND,                   // 1 when |net| <= threshold
    kNegativeStep = KSR_NEGATIVE_STEP,  // 1 when net <= -threshold
    kStep2 = KSR_STEP2,                 // as kStep
    kBit = KSR_BIT,                     // 1 when bit (bitIndex mod 32) of trunc(net) is set
};

// One entry of a receptor's input or output links, in the order the
// connections were added.
struct CLink {
    CConnection* connection = nullptr;
    std::int32_t connectionID = 0;
};

// Geometry computed by Place from the body's top-left corner.
struct ReceptorGeometry {
    KRect body, inputPort, outputPort, core, labelBox, variableBox;
    KPoint inputPoint, outputPoint;
};

class CReceptor : public CMouseTarget {
public:
    CReceptor(std::int32_t kind, std::int32_t activationCode, std::int32_t id);

    void Place(std::int32_t x, std::int32_t y);
    void Activate();
    // What the receptor sends along its outputs: the bias value for a bias, else the output.
    double SendValue() const { return m_iKind == kBias ? m_dBiasValue : m_dOutput; }
    bool AttachVariable(CVariable* variable);
    void RandomizeInputWeights();

    void AddInputLink(std::int32_t connectionID, CConnection* c) { m_inputLinks.push_back({c, connectionID}); }
    void AddOutputLink(std::int32_t connectionID, CConnection* c) { m_outputLinks.push_back({c, connectionID}); }
    void RemoveInputLink(std::int32_t connectionID);
    void RemoveOutputLink(std::int32_t connectionID);
    void ClearInputLinks() { m_inputLinks.clear(); }
    void ClearOutputLinks() { m_outputLinks.clear(); }

    // Attach or detach an output (the reference and the flag move together).
    void AttachOutput(COutput* output);
    void DetachOutput();

    std::int32_t m_ID;
    std::int32_t m_iKind;
    std::int32_t m_iActivation;
    std::string m_label;
    std::string m_mark;
    std::int32_t m_iSize = 24;
    KPoint m_pos;
    double m_dOutput = 0.0;
    double m_dNetInput = 0.0;
    double m_dThreshold = 0.0;
    std::int32_t m_iBitIndex = 0;
    double m_dBiasValue = 1.0;
    bool m_bLinearOutput = false;

    CVariable* m_pVariable = nullptr;
    std::int32_t m_iVariableID = 0;
    bool m_bAttachedToVariable = false;
    COutput* m_pOutput = nullptr;
    std::int32_t m_iOutputID = 0;
    bool m_bAttachedToOutput = false;

    bool m_bSelected = false;
    std::vector<CLink> m_inputLinks;
    std::vector<CLink> m_outputLinks;
    ReceptorGeometry m_geo;

    // Training fields.
    bool m_bSatisfied = false;
    bool m_bTarget = false;
    double m_dTargetValue = 0.0;
    double m_dError = 0.0;
    double m_dHiddenDelta = 0.0;

    COLORREF m_displayColour = 0;
    bool m_bWinner = false;
    std::string m_valueText;
    std::string m_actualText;

    // Place in the evaluation plan (-1: not planned).
    std::int32_t m_iPlanBlock = -1;
    std::int32_t m_iPlanLane = 0;
    std::int32_t m_iPlanValue = -1;

    // Kept across save and load; no behaviour.
    bool m_bFlagA = true;
    bool m_bFlagB = true;
    bool m_bFlagC = false;
    std::int32_t m_iReservedA = 0;
    std::int32_t m_iReservedB = 0;
    std::int32_t m_iReservedC = 0;
    double m_dReservedD = 0.0;
};

// Label prefix format ("Sensor %d" ...) and kind name of each kind.
const char* KindLabelFormat(std::int32_t kind);
const char* KindName(std::int32_t kind);
const char* KindMark(std::int32_t kind);

}  // namespace ks
