#include "training/rprop.h"

#include <algorithm>
#include <cmath>

#include "model/project.h"
#include "training/rprop_epoch.h"
#include "training/run_support.h"

namespace ks {

namespace {

void Build(RpropState& s, CReceptorMgr& m) {
    s.structureVersion = m.m_structureVersion;
    const FlatNetwork& f = m.Flat();
    s.order.assign(f.actions.begin(), f.actions.end());
    s.order.insert(s.order.end(), f.processors.rbegin(), f.processors.rend());
    const std::size_t n = f.receptors.size(), nc = f.connections.size();
    s.weight.assign(nc, 0.0);
    s.gradient.assign(nc, 0.0);
    s.previous.assign(nc, 0.0);
    s.step.assign(nc, RpropState::kInitialStep);
    s.value.assign(n, 0.0);
    s.delta.assign(n, 0.0);
}

double Derivative(const CReceptor& r) {
    if (r.m_iKind == kAction) return ksr_action_slope(r.m_bLinearOutput, r.m_dOutput);
    return ksr_processor_slope(r.m_iActivation, r.m_dOutput);
}

// One epoch the plain way: each scenario applied to the inputs and the
// network evaluated through its receptors (a run whose scenarios cannot be
// packed; tests compare the packed epoch with it).
void EpochThroughInputs(CReceptorMgr& m, CScenarioMgr& sm, RpropState& s, const FlatNetwork& f, EpochFigures& e) {
    const bool crossEntropy = s.error == RpropError::CrossEntropy;
    for (const auto& scenario : sm.Scenarios()) {
        CScenario& sc = *scenario;
        if (sc.m_bHeldOut) continue;
        sc.m_bLearned = false;
        if (!sc.m_pTarget) {
            sc.m_fScore = 0.0f;
            continue;
        }
        ++e.withTarget;
        sm.ApplyScenario(&sc);
        m.Evaluate();
        if (m.WinnerID() == sc.m_iTargetID) {
            sc.m_bLearned = true;
            sc.m_fScore = 1.0f;
            ++e.learned;
        } else {
            sc.m_fScore = static_cast<float>(sc.m_pTarget->SendValue());
        }
        for (std::size_t i = 0; i < f.receptors.size(); ++i) {
            s.value[i] = f.receptors[i]->SendValue();
            s.delta[i] = 0.0;
        }
        // Deltas: actions against 1 for the target and 0 for the others, then
        // processors from what they feed.
        for (int i : s.order) {
            const CReceptor& r = *f.receptors[static_cast<std::size_t>(i)];
            double d = 0.0;
            if (r.m_iKind == kAction) {
                if (!r.m_bAttachedToOutput) continue;
                const double y = r.m_dOutput, target = r.m_ID == sc.m_iTargetID ? 1.0 : 0.0;
                e.squares += (y - target) * (y - target);
                if (e.withTarget == 1) ++e.outputs;
                // Cross-entropy on a logistic output needs no derivative factor.
                d = crossEntropy && !r.m_bLinearOutput ? y - target : (y - target) * Derivative(r);
            } else {
                double sum = 0.0;
                for (int k = f.outStart[static_cast<std::size_t>(i)]; k < f.outStart[static_cast<std::size_t>(i) + 1]; ++k)
                    sum += s.weight[static_cast<std::size_t>(f.outConnection[static_cast<std::size_t>(k)])] *
                           s.delta[static_cast<std::size_t>(f.outReceiver[static_cast<std::size_t>(k)])];
                d = sum * Derivative(r);
            }
            s.delta[static_cast<std::size_t>(i)] = d;
            if (d == 0.0) continue;
            for (int k = f.inStart[static_cast<std::size_t>(i)]; k < f.inStart[static_cast<std::size_t>(i) + 1]; ++k)
                s.gradient[static_cast<std::size_t>(f.inConnection[static_cast<std::size_t>(k)])] +=
                    d * s.value[static_cast<std::size_t>(f.inSender[static_cast<std::size_t>(k)])];
        }
    }
}

}  // namespace

void PrepareRprop(CProject& p) {
    CReceptorMgr* m = p.Model();
    if (!m) return;
    if (!p.m_rprop) p.m_rprop = std::make_unique<RpropState>();
    if (p.m_rprop->structureVersion != m->m_structureVersion) Build(*p.m_rprop, *m);
}

void StartRpropRun(CProject& p) {
    PrepareRprop(p);
    if (!p.m_rprop) return;
    p.m_rprop->packed = false;
    if (p.m_rprop->usePacked) PackRpropScenarios(p, *p.m_rprop);
    p.m_rprop->threads = p.m_trainingThreads;
    p.m_rprop->attemptBest = -1;  // a run's first attempt starts from the weights as they are
    p.m_rprop->sinceBetter = 0;
    p.m_rprop->restarts = 0;
}

int RpropCycle(CProject& p) {
    TrainingState& t = p.m_training;
    if (!p.m_bOpen || !p.Model()) return 1;
    ++p.m_iCycleCounter;
    CReceptorMgr& m = *t.model;
    CScenarioMgr& sm = *t.scenarios;
    if (sm.Count() < 1) {
        StopTraining(p);
        return 0;
    }
    PrepareRprop(p);
    RpropState& s = *p.m_rprop;
    const FlatNetwork& f = m.Flat();
    UpdateElapsed(p);

    std::fill(s.gradient.begin(), s.gradient.end(), 0.0);
    for (std::size_t c = 0; c < f.connections.size(); ++c) s.weight[c] = f.connections[c]->Weight();
    // The rows were packed when the run started; a changed network or scenario list packs them again.
    if (s.packed && (s.packedVersion != m.m_structureVersion || s.packedScenarios != sm.Scenarios().size()))
        PackRpropScenarios(p, s);
    EpochFigures e;
    if (s.packed)
        RpropEpochPacked(p, s, e);
    else
        EpochThroughInputs(m, sm, s, f, e);
    const std::int32_t learned = e.learned, withTarget = e.withTarget, outputs = e.outputs;
    const double squares = e.squares;
    s.epochLearned = learned;
    s.epochCases = withTarget;
    s.epochError = withTarget > 0 && outputs > 0 ? squares / (static_cast<double>(withTarget) * outputs) : 0.0;
    sm.m_iLearnedCount = learned;
    sm.m_iTrainingSetSize = withTarget;
    sm.m_fLearnedPercent = withTarget > 0 ? static_cast<float>(learned * 100) / static_cast<float>(withTarget) : 0.0f;
    if (learned == withTarget) {
        CommitWeights(m);
        m.m_bSavedWeightsValid = true;
        StopTraining(p);
        return 0;
    }
    // Stuck: start again from weights drawn from the run's seeded generator.
    // The run monitor keeps the best state any attempt reached.
    if (learned > s.attemptBest) {
        s.attemptBest = learned;
        s.sinceBetter = 0;
    } else if (++s.sinceBetter >= RpropState::kRestartEpochs << std::min(s.restarts, 6)) {
        // Each attempt waits longer than the last: a slow learner still gets its time.
        m.RandomizeAllWeights();
        std::fill(s.step.begin(), s.step.end(), RpropState::kInitialStep);
        std::fill(s.previous.begin(), s.previous.end(), 0.0);
        s.attemptBest = -1;
        s.sinceBetter = 0;
        ++s.restarts;
        return 1;
    }
    // iRPROP-: grow the step unless the gradient changed its sign; then shrink
    // it and skip this update. The epoch after, with no sign to compare, grows
    // it again (fewer epochs than keeping it on every data set tried); a link
    // with no gradient at all keeps its step, so it cannot build up a leap.
    for (std::size_t c = 0; c < f.connections.size(); ++c) {
        const double g = s.gradient[c], prod = g * s.previous[c];
        if (prod > 0.0 || (prod == 0.0 && g != 0.0)) {
            s.step[c] = std::min(s.step[c] * RpropState::kIncrease, RpropState::kMaxStep);
        } else if (prod < 0.0) {
            s.step[c] = std::max(s.step[c] * RpropState::kDecrease, RpropState::kMinStep);
            s.previous[c] = 0.0;
            continue;
        }
        if (g > 0.0)
            s.weight[c] -= s.step[c];
        else if (g < 0.0)
            s.weight[c] += s.step[c];
        s.previous[c] = g;
        f.connections[c]->SetWeight(s.weight[c]);
    }
    return 1;
}

}  // namespace ks
