#include "training/training_cycle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "model/numeric.h"
#include "model/project.h"
#include "model/random.h"
#include "model/text.h"
#include "training/rprop.h"
#include "training/winner_skip.h"
#include "training/run_support.h"

namespace ks {

namespace {

constexpr float kRerandomiseBelow = 0.002f;  // a target this silent gets fresh weights
constexpr double kSatisfiedCeiling = 0.825;
constexpr double kRaiseStep = 0.005;
constexpr float kRescueBelowPercent = 80.0f;

std::int32_t CountWithTarget(const CScenarioMgr& sm) {
    std::int32_t n = 0;
    for (const auto& s : sm.Scenarios())
        if (Trainable(*s)) ++n;
    return n;
}

void EmptyActiveList(CScenarioMgr& sm) {
    for (const ScenarioEntry& e : sm.m_active) e.scenario->m_bInActiveList = false;
    sm.m_active.clear();
}

void Activate(CScenarioMgr& sm, CScenario* s) {
    sm.m_active.push_back({s->m_ID, s});
    s->m_bInActiveList = true;
    s->m_bInTrainingSet = true;
}

// Applies s, runs the pass, marks the scoring winner and sets the score.
void ScoreScenario(CScenarioMgr& sm, CScenario* s) {
    sm.ApplyScenario(s);
    sm.m_pModel->Evaluate();
    sm.m_pModel->MarkLastBestWinner();
    s->m_fScore = ScenarioScore(*s);
}

void RerandomiseTarget(CScenario* s) {
    if (s->m_pTarget) s->m_pTarget->RandomizeInputWeights();
}

// One step of the walk over every scenario once the whole set is learned.
int CorrectionWalkStep(CProject& p, CReceptorMgr& model, CScenarioMgr& sm) {
    TrainingState& t = p.m_training;
    if (!t.cursor) {
        CommitWeights(model);
        model.m_bSavedWeightsValid = true;
        StopTraining(p);
        return 0;
    }
    sm.ApplyScenario(t.cursor);
    model.Evaluate();
    MarkWinner(model);
    RefreshValueTexts(model);
    const auto& list = sm.Scenarios();
    // The cursor's position is remembered so the walk stays linear.
    std::size_t i = t.cursorIndex;
    if (i >= list.size() || list[i].get() != t.cursor) i = static_cast<std::size_t>(sm.IndexOf(t.cursor));
    ++i;
    t.cursor = i < list.size() ? list[i].get() : nullptr;
    t.cursorIndex = i;
    return 1;
}

// The last evaluation pass's findings still hold: nothing has changed a
// weight since (a reset, a target's fresh weights, an edit).
bool PassHolds(CProject& p, TrainingState& t) {
    return t.skipLearned && t.passHolds && t.passWeights == t.model->m_store.weight && OrderFree(p, t);
}

}  // namespace

int StartStopTraining(CProject& p) {
    if (!p.m_bOpen || !p.Model()) return 0;
    if (p.m_training.running) {
        StopTraining(p);
        return -1;
    }
    return StartTraining(p);
}

int StartTraining(CProject& p) {
    TrainingState& t = p.m_training;
    p.m_iCycleCounter = 0;
    CReceptorMgr* model = t.model;
    CScenarioMgr* sm = t.scenarios;
    if (!model || !sm) return 1;
    const std::int32_t count = sm->Recount();
    t.learnedBarUnit = count > 0 ? static_cast<float>(model->m_rect.Height() - 32) / static_cast<float>(count) : 0.0f;
    if (count == 0) return 1;
    t.running = true;
    t.elapsed = 0.0;
    t.startTime = NowMilliseconds();
    t.cyclesSinceReset = 0;
    if (p.m_trainingMethod == TrainingMethod::Rprop) {
        // Every scenario with a target, every epoch: no working set. The
        // seed draws the weights of any restart, so a run repeats exactly.
        SeedRandom(p.m_trainingSeed ? *p.m_trainingSeed : static_cast<std::uint32_t>(std::time(nullptr)));
        sm->m_bTrainingInProgress = true;
        StartRpropRun(p);
        model->m_bAccumulateChanges = true;
        t.correctionWalk = false;
        return 1;
    }
    t.passHolds = false;  // a new run learns from every active scenario first
    PrepareWorkingSet(p, *sm, ToSingle(model->m_dLearnRate));
    model->m_bAccumulateChanges = true;
    t.correctionWalk = false;
    return 1;
}

void PrepareWorkingSet(CProject& p, CScenarioMgr& sm, double learnRate) {
    SeedRandom(p.m_trainingSeed ? *p.m_trainingSeed : static_cast<std::uint32_t>(std::time(nullptr)));
    sm.m_iCyclesSinceChange = 0;
    sm.m_bTrainingInProgress = true;
    if (sm.m_bInitialised) return;  // resume the previous run's working set

    EmptyActiveList(sm);
    sm.m_iResetCount = 0;
    sm.m_dStartLearnRate = learnRate;
    sm.m_fLearnedPercent = 0.0f;
    sm.m_iPrevWorkingSetSize = 0;
    sm.m_iWorkingSetSize = kFirstWorkingSet;
    sm.Recount();
    // Scenarios without a target receptor cannot be learned and take no part.
    const std::int32_t count = CountWithTarget(sm);
    if (count > kMaxActive) {
        sm.m_newlyAdded.clear();
        for (const auto& s : sm.Scenarios())
            if (!s->m_bHeldOut) ScoreScenario(sm, s.get());
        sm.SortByScoreDescending();
        for (const auto& s : sm.Scenarios()) s->m_bInTrainingSet = false;
        int taken = 0;
        for (CScenario* s : sm.Sorted()) {
            if (taken == kMaxActive) break;
            if (!Trainable(*s)) continue;
            Activate(sm, s);
            ++taken;
        }
    } else {
        if (count < kFirstWorkingSet) sm.m_iWorkingSetSize = count;
        for (const auto& s : sm.Scenarios()) {
            if (Trainable(*s))
                Activate(sm, s.get());
            else
                s->m_bInTrainingSet = false;
        }
    }
    std::int32_t inSet = 0;
    for (const auto& s : sm.Scenarios())
        if (s->m_bInTrainingSet) ++inSet;
    sm.m_iTrainingSetSize = inSet;
    sm.m_bInitialised = true;
}

int AddToWorkingSet(CScenarioMgr& sm, std::int32_t candidates) {
    const std::int32_t given = candidates;
    sm.m_iPrevWorkingSetSize = sm.m_iWorkingSetSize;
    for (const auto& s : sm.Scenarios())
        if (!s->m_bInActiveList && !s->m_bHeldOut) ScoreScenario(sm, s.get());
    std::int32_t batch = sm.m_iBatchSize;
    while (batch != 0 && candidates != 0) {
        CScenario* best = nullptr;
        float bestScore = 0.0f;
        for (const auto& s : sm.Scenarios()) {
            if (s->m_bInActiveList || !Trainable(*s)) continue;
            if (s->m_fScore >= bestScore) {  // the later scenario wins ties
                bestScore = s->m_fScore;
                best = s.get();
            }
        }
        if (!best) break;
        best->m_bInTrainingSet = true;
        sm.m_newlyAdded.push_back({best->m_ID, best});
        Activate(sm, best);
        ++sm.m_iWorkingSetSize;
        --candidates;
        --batch;
        sm.m_iResetCount = 0;
    }
    sm.m_iCyclesSinceChange = 0;
    return given;
}

int UpdateWorkingSet(CScenarioMgr& sm, std::int32_t learned, double /*elapsed*/) {
    CReceptorMgr& model = *sm.m_pModel;
    if (learned >= sm.m_iWorkingSetSize) {
        CommitWeights(model);
        model.m_bSavedWeightsValid = true;
        EmptyActiveList(sm);
        std::int32_t notLearned = 0;
        for (const auto& s : sm.Scenarios()) {
            if (s->m_bLearned && !s->m_bHeldOut) {  // a held-out case may be decided right, yet is never learned from
                Activate(sm, s.get());
            } else {
                if (Trainable(*s)) ++notLearned;
                s->m_bInTrainingSet = false;
            }
        }
        if (CountWithTarget(sm) == learned) return kAllLearned;
        sm.m_newlyAdded.clear();
        AddToWorkingSet(sm, notLearned);
        return notLearned;
    }
    if (sm.m_iCyclesSinceChange <= model.m_iResetLimit) return kNoChange;
    if (model.m_bSavedWeightsValid) RestoreWeights(model);
    if (sm.m_iResetCount > 0) {
        std::int32_t count = 0;
        for (const auto& s : sm.Scenarios())
            if (!s->m_bInActiveList) ++count;
        for (const ScenarioEntry& e : sm.m_newlyAdded) {
            RerandomiseTarget(e.scenario);
            e.scenario->m_bInTrainingSet = false;
            --sm.m_iWorkingSetSize;
            ++count;
        }
        sm.m_newlyAdded.clear();
        AddToWorkingSet(sm, count);
        return count;
    }
    if (sm.m_newlyAdded.empty()) return kNoChange;
    for (const ScenarioEntry& e : sm.m_newlyAdded) RerandomiseTarget(e.scenario);
    ++sm.m_iResetCount;
    sm.m_iCyclesSinceChange = 0;
    return kNewestRerandomised;
}

int TrainingCycle(CProject& p) {
    if (p.m_trainingMethod == TrainingMethod::Rprop) return RpropCycle(p);
    TrainingState& t = p.m_training;
    if (!p.m_bOpen || !p.Model()) return 1;
    ++p.m_iCycleCounter;
    CReceptorMgr* modelPtr = t.model;
    CScenarioMgr* smPtr = t.scenarios;
    if (!modelPtr || !smPtr || smPtr->Count() < 1) {
        StopTraining(p);
        return 0;
    }
    CReceptorMgr& model = *modelPtr;
    CScenarioMgr& sm = *smPtr;
    if (t.correctionWalk) return CorrectionWalkStep(p, model, sm);

    ++t.cyclesSinceReset;
    UpdateElapsed(p);

    // A scenario found decided right with these very weights would be evaluated and learn nothing.
    const bool skip = PassHolds(p, t);
    for (std::size_t i = 0; i < sm.m_active.size(); ++i) {
        CScenario* s = sm.m_active[i].scenario;
        if (!Trainable(*s)) continue;
        if (skip && s->m_learnedInPass == t.evaluationPass) {
            ++t.learnsSkipped;
            continue;
        }
        sm.ApplyScenario(s);
        model.Evaluate();
        LearnScenario(model, *s);
    }
    ++sm.m_iCyclesSinceChange;

    if (model.m_bUseMomentum)
        ApplyPendingChangesWithMomentum(model);
    else
        ApplyPendingChanges(model);

    std::int32_t learned = 0, notLearned = 0;
    // How far the weights' changes since the last pass can have moved any
    // action's value: a scenario decided right then by more than twice the
    // drift since is decided right now, and need not be evaluated.
    const double drift = t.skipLearned ? DecisionDrift(p, t) : -1.0;
    if (drift < 0.0)
        ++t.marginGeneration;
    else
        t.drift += drift;
    std::size_t lastEvaluated = sm.m_active.size();  // always evaluated: the pass leaves the network showing it
    for (std::size_t i = sm.m_active.size(); i-- > 0;)
        if (Trainable(*sm.m_active[i].scenario)) {
            lastEvaluated = i;
            break;
        }
    ++t.evaluationPass;
    t.passHolds = true;
    for (std::size_t i = 0; i < sm.m_active.size(); ++i) {
        CScenario* s = sm.m_active[i].scenario;
        s->m_bLearned = false;
        if (!Trainable(*s)) {
            s->m_fScore = 0.0f;
            continue;
        }
        if (s->m_marginGeneration == t.marginGeneration && i != lastEvaluated &&
            s->m_margin > 2.0 * (t.drift - s->m_driftAtMargin) * (1.0 + 1e-9) + 1e-12) {
            ++learned;
            s->m_fScore = 1.0f;
            s->m_bLearned = true;
            s->m_learnedInPass = t.evaluationPass;
            ++t.evaluationsSkipped;
            continue;
        }
        sm.ApplyScenario(s);
        model.Evaluate();
        if (model.WinnerID() == s->m_iTargetID) {
            ++learned;
            s->m_fScore = 1.0f;
            s->m_bLearned = true;
            s->m_learnedInPass = t.evaluationPass;
            if (t.skipLearned) {
                double rival = -1.0;
                for (const CReceptor* a : model.Actions())
                    if (a->m_bAttachedToOutput && a->m_ID != s->m_iTargetID) rival = std::max(rival, a->SendValue());
                s->m_margin = s->m_pTarget->SendValue() - rival;
                s->m_driftAtMargin = t.drift;
                s->m_marginGeneration = t.marginGeneration;
            }
        } else {
            ++notLearned;
            s->m_fScore = static_cast<float>(s->m_pTarget->SendValue());
        }
        if (s->m_fScore <= kRerandomiseBelow) {
            s->m_pTarget->RandomizeInputWeights();
            t.passHolds = false;  // the scenarios before it were found with other weights
            ++t.marginGeneration;
        }
    }
    if (t.skipLearned) {
        t.passWeights = model.m_store.weight;
        t.passVersion = model.m_structureVersion;
    }

    sm.m_iLearnedCount = learned;
    sm.m_fLearnedPercent =
        sm.m_iTrainingSetSize > 0 ? static_cast<float>(learned * 100) / static_cast<float>(sm.m_iTrainingSetSize) : 0.0f;

    const int r = UpdateWorkingSet(sm, learned, t.elapsed);
    if (r == kAllLearned) {
        if (notLearned == 0) {
            t.cursor = sm.Scenarios().front().get();
            t.cursorIndex = 0;
            model.m_bAccumulateChanges = false;
            t.correctionWalk = true;
        }
    } else if (r == kNewestRerandomised || r > 0) {
        t.cyclesSinceReset = 0;
    } else if (r == kNoChange) {
        if (t.cyclesSinceReset > model.m_iResetLimit && sm.m_fLearnedPercent < kRescueBelowPercent) {
            ++sm.m_iResetCount;
            model.RandomizeAllWeights();
            model.SetLearnRate(sm.m_dStartLearnRate);
            sm.m_iWorkingSetSize = 0;
            sm.m_iPrevWorkingSetSize = 0;
            t.cyclesSinceReset = 0;
        }
    }
    return 1;
}

// ---------------------------------------------------------------- learning

void LearnScenario(CReceptorMgr& model, const CScenario& scenario) {
    const double tol = model.m_dTolerance;
    for (CReceptor* r : model.Actions()) {
        if (model.WinnerID() == scenario.m_iTargetID) return;  // nothing to learn
        if (r->m_bSatisfied) continue;
        const double v = r->m_dOutput;
        const double target = r->m_dTargetValue;
        if (std::fabs(v - target) <= tol)
            r->m_bSatisfied = r->m_bTarget;
        else
            r->m_bSatisfied = v > target && v < kSatisfiedCeiling - 2.5 * tol;
        if (r->m_bSatisfied) {
            // Close to its level but not winning: raise the level instead of learning.
            if (r->m_bTarget) {
                r->m_dTargetValue = (target > 0.9999 ? 0.99 : target) + kRaiseStep;
                r->m_bSatisfied = false;
                r->m_dError = 0.0;
            }
            continue;
        }
        model.Evaluate();
        const double out = r->m_dOutput;
        const double diff = r->m_dTargetValue - out;
        const double error = out * (diff * diff);
        r->m_dError = error;
        for (const CLink& l : r->m_inputLinks) {
            CReceptor* s = l.connection->m_pSender;
            const double o = s->m_dOutput;
            s->m_dHiddenDelta = l.connection->Weight() * error * o * (1.0 - o);
        }
        UpdateOutputWeights(model, error, *r);
        UpdateHiddenWeights(model, *r);
    }
}

void UpdateOutputWeights(CReceptorMgr& model, double error, const CReceptor& r) {
    const double lr = model.m_dLearnRate;
    const double valueR = r.SendValue();
    for (const CLink& l : r.m_inputLinks) {
        CConnection* c = l.connection;
        const double g = lr * error * c->m_pSender->SendValue();
        double factor = 1.0;
        if (!r.m_bTarget && valueR - r.m_dTargetValue + g > 0.0 && g > 0.0) factor = -0.5;
        const double change = g * factor;
        if (model.m_bAccumulateChanges)
            c->SetPending(c->Pending() + change);
        else
            c->SetWeight(c->Weight() + change);
    }
}

void UpdateHiddenWeights(CReceptorMgr& model, const CReceptor& r) {
    const double lr = model.m_dLearnRate;
    const bool guard = model.m_bErrorCorrection && r.m_bTarget;
    // Without the guard the plan does the whole step over its flat layout.
    if (!guard && model.m_bUsePlan && model.Plan().AddHiddenChanges(r, lr, model.m_bAccumulateChanges, model)) return;
    UpdateHiddenWeightsByLinks(model, r);
}

void UpdateHiddenWeightsByLinks(CReceptorMgr& model, const CReceptor& r) {
    const double lr = model.m_dLearnRate;
    const bool guard = model.m_bErrorCorrection && r.m_bTarget;
    const double valueR = r.SendValue();
    for (const CLink& n : r.m_inputLinks) {
        CReceptor* h = n.connection->m_pSender;
        const double valueH = h->SendValue();
        for (const CLink& l2 : h->m_inputLinks) {
            CConnection* c2 = l2.connection;
            const double g2 = lr * h->m_dHiddenDelta * c2->m_pSender->SendValue();
            bool blocked = false;
            if (guard) {
                // Do not strengthen a path that already favours a stronger rival.
                for (const CLink& o : h->m_outputLinks) {
                    if (o.connectionID == n.connectionID) continue;
                    CConnection* oc = o.connection;
                    if (oc->m_pReceiver->SendValue() <= valueR) continue;
                    oc->SetSignal(valueH * oc->Weight());
                    if (oc->Weight() + g2 > valueH * oc->Weight()) blocked = true;
                }
            }
            if (blocked) continue;
            if (model.m_bAccumulateChanges)
                c2->SetPending(c2->Pending() + g2);
            else
                c2->SetWeight(c2->Weight() + g2);
        }
    }
}

void ApplyPendingChanges(CReceptorMgr& model) {
    for (const auto& c : model.m_connections) {
        const double pending = c->Pending();
        if (pending != 0.0) {
            c->SetWeight(c->Weight() + pending);
            c->SetPending(0.0);
        }
    }
}

void ApplyPendingChangesWithMomentum(CReceptorMgr& model) {
    const double momentum = model.m_dMomentum;
    for (const auto& c : model.m_connections) {
        c->SetWeight(momentum * c->m_dPreviousChange + c->Pending() + c->Weight());
        c->SetPending(0.0);
        c->m_dPreviousChange = 0.0;
    }
}

}  // namespace ks
