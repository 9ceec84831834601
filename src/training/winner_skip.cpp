#include "training/winner_skip.h"

#include <algorithm>
#include <cmath>

#include "model/project.h"
#include "training/rprop_epoch.h"

namespace ks {

bool OrderFree(CProject& p, TrainingState& t) {
    CReceptorMgr& m = *t.model;
    CScenarioMgr& sm = *t.scenarios;
    if (t.orderFreeVersion == m.m_structureVersion && t.orderFreeScenarios == sm.Scenarios().size()) return t.orderFree;
    RpropState probe;
    t.orderFree = PackRpropScenarios(p, probe) && probe.layered;
    t.orderFreeVersion = m.m_structureVersion;
    t.orderFreeScenarios = sm.Scenarios().size();
    const FlatNetwork& f = m.Flat();
    t.senderBound.assign(f.receptors.size(), 1.0);  // processors and actions: logistic, or no bound needed
    for (std::size_t i = 0; i < f.receptors.size(); ++i) {
        const CReceptor& r = *f.receptors[i];
        if (r.m_iKind == kBias || r.m_iKind == kSensor) t.senderBound[i] = std::fabs(r.SendValue());
    }
    const std::size_t sensors = probe.packedSensors.size();
    for (std::size_t row = 0; t.orderFree && row < probe.packedRows.size(); ++row)
        for (std::size_t k = 0; k < sensors; ++k) {
            double& bound = t.senderBound[static_cast<std::size_t>(probe.packedSensors[k])];
            bound = std::max(bound, std::fabs(probe.packedValues[row * sensors + k]));
        }
    return t.orderFree;
}

double DecisionDrift(CProject& p, TrainingState& t) {
    CReceptorMgr& m = *t.model;
    if (!t.passHolds || t.passVersion != m.m_structureVersion || !OrderFree(p, t)) return -1.0;
    const FlatNetwork& f = m.Flat();
    const std::vector<double>& now = m.m_store.weight;
    if (now.size() != t.passWeights.size()) return -1.0;
    // Per receptor: how far its value can have moved (sensors and biases: not at all).
    std::vector<double>& moved = t.moved;
    moved.assign(f.receptors.size(), 0.0);
    auto netMoved = [&](std::int32_t i) {
        double sum = 0.0;
        for (std::int32_t k = f.inStart[static_cast<std::size_t>(i)]; k < f.inStart[static_cast<std::size_t>(i) + 1]; ++k) {
            const auto sender = static_cast<std::size_t>(f.inSender[static_cast<std::size_t>(k)]);
            const std::uint32_t slot = f.connections[static_cast<std::size_t>(f.inConnection[static_cast<std::size_t>(k)])]->m_iSlot;
            sum += std::fabs(now[slot] - t.passWeights[slot]) * t.senderBound[sender] + std::fabs(now[slot]) * moved[sender];
        }
        return sum;
    };
    for (const std::int32_t i : f.processors) {
        if (f.receptors[static_cast<std::size_t>(i)]->m_iActivation != kLogistic) return -1.0;  // a step moves without bound
        moved[static_cast<std::size_t>(i)] = 0.25 * netMoved(i);
    }
    double drift = 0.0;
    for (const std::int32_t i : f.actions) {
        const CReceptor& a = *f.receptors[static_cast<std::size_t>(i)];
        const double net = netMoved(i);
        moved[static_cast<std::size_t>(i)] = a.m_bLinearOutput ? net : 0.25 * net;
        const double v = moved[static_cast<std::size_t>(i)];
        if (a.m_bAttachedToOutput && !(v <= drift)) drift = v;  // a NaN too, which ends in no bound
    }
    return std::isfinite(drift) ? drift : -1.0;
}

}  // namespace ks
