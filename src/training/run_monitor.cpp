#include "training/run_monitor.h"

#include "model/project.h"
#include "training/run_support.h"
#include "training/training_cycle.h"

namespace ks {

namespace {

// The winner rule's figures are taken about once per this many cases'
// worth of cycles, so deciding every case costs a fraction of the run.
constexpr std::size_t kCasesPerStep = 256;

}  // namespace

const char* StopReasonName(StopReason r) {
    switch (r) {
    case StopReason::AllLearned: return "all learned";
    case StopReason::CycleLimit: return "cycle limit";
    case StopReason::TimeLimit: return "time limit";
    case StopReason::Plateau: return "plateau";
    case StopReason::EarlyStopping: return "early stopping";
    case StopReason::Interrupted: return "interrupted";
    default: return "running";
    }
}

CRunMonitor::CRunMonitor(CProject& project, RunLimits limits)
    : m_project(project), m_limits(limits) {}

double CRunMonitor::Seconds() const { return (NowMilliseconds() - m_startMs) / 1000.0; }

void CRunMonitor::Start() {
    m_scorer.emplace(m_project);
    m_training = ScenarioCases(m_project, CaseSet::Training);
    m_heldOut = ScenarioCases(m_project, CaseSet::HeldOut);
    m_startMs = NowMilliseconds();
    m_curve.clear();
    m_reason = StopReason::None;
    m_rises = 0;
    m_curveEvery = 1;
    m_lastIsExtra = false;
    m_fromEpochs = m_project.m_trainingMethod == TrainingMethod::Rprop && m_project.m_rprop;
    m_pendingValid = false;
    m_every = static_cast<std::int32_t>(1 + (m_training.size() + m_heldOut.size()) / kCasesPerStep);
    m_latest = Measure();
    Record(m_latest);
    m_best = m_latest;
    m_lastBetterCycle = m_latest.cycle;
    CopyWeights(m_bestWeights);
}

RunFigures CRunMonitor::Measure() {
    RunFigures f;
    f.cycle = m_project.m_iCycleCounter;
    f.seconds = Seconds();
    const CCaseScorer::Score t = m_scorer->Run(m_training);
    f.learned = t.correct;
    f.trainingCases = t.cases;
    f.trainingError = t.error;
    if (!m_heldOut.empty()) {
        const CCaseScorer::Score h = m_scorer->Run(m_heldOut);
        f.heldOutCorrect = h.correct;
        f.heldOutCases = h.cases;
        f.heldOutError = h.error;
    }
    return f;
}

bool CRunMonitor::Better(const RunFigures& a, const RunFigures& b) const {
    return HasHeldOut() ? a.heldOutCorrect > b.heldOutCorrect : a.learned > b.learned;
}

void CRunMonitor::CopyWeights(std::vector<double>& out) const {
    const CReceptorMgr* m = m_project.Model();
    out.resize(m ? m->m_connections.size() : 0);
    for (std::size_t c = 0; c < out.size(); ++c) out[c] = m->m_connections[c]->Weight();
}

void CRunMonitor::RestoreBest() {
    CReceptorMgr* m = m_project.Model();
    if (!m || m_bestWeights.size() != m->m_connections.size()) return;
    for (std::size_t c = 0; c < m_bestWeights.size(); ++c) m->m_connections[c]->SetWeight(m_bestWeights[c]);
}

void CRunMonitor::Record(const RunFigures& f) {
    if (m_lastIsExtra) m_curve.pop_back();
    m_lastIsExtra = f.cycle % m_curveEvery != 0;
    m_curve.push_back(f);
    if (m_curve.size() < kMaxCurve) return;
    // Full: keep the rows on a step twice as long (the start is row 0).
    m_curveEvery *= 2;
    std::size_t kept = 0;
    for (const RunFigures& r : m_curve)
        if (r.cycle % m_curveEvery == 0) m_curve[kept++] = r;
    m_curve.resize(kept);
    m_lastIsExtra = f.cycle % m_curveEvery != 0;
    if (m_lastIsExtra) m_curve.push_back(f);
}

void CRunMonitor::Take(const RunFigures& f, const std::vector<double>* weights) {
    const RunFigures previous = m_latest;
    m_latest = f;
    Record(f);
    if (Better(f, m_best)) m_lastBetterCycle = f.cycle;
    // Ties go to the later state.
    if (!Better(m_best, f)) {
        m_best = f;
        if (weights)
            m_bestWeights = *weights;
        else
            CopyWeights(m_bestWeights);
    }
    m_rises = HasHeldOut() && f.heldOutError > previous.heldOutError ? m_rises + 1 : 0;
}

StopReason CRunMonitor::Decide(bool finished) const {
    const std::int32_t cycle = m_project.m_iCycleCounter;
    if (finished) return StopReason::AllLearned;
    if (m_limits.interrupt && m_limits.interrupt->load()) return StopReason::Interrupted;
    if (m_limits.maxCycles > 0 && cycle >= m_limits.maxCycles) return StopReason::CycleLimit;
    if (m_limits.maxSeconds > 0.0 && Seconds() >= m_limits.maxSeconds) return StopReason::TimeLimit;
    if (m_limits.patience > 0 && m_project.m_trainingMethod == TrainingMethod::Rprop && HasHeldOut() &&
        m_rises >= m_limits.patience)
        return StopReason::EarlyStopping;
    if (m_limits.patience > 0 && m_latest.cycle - m_lastBetterCycle >= m_limits.patience) return StopReason::Plateau;
    return StopReason::None;
}

bool CRunMonitor::AfterCycle(bool finished) {
    // The walk over the scenarios after the winner rule has learned them all
    // changes no weight: nothing to measure until it ends.
    if (!finished && m_project.m_training.correctionWalk) return false;
    const std::int32_t cycle = m_project.m_iCycleCounter;
    bool current = false;  // the network as it is now has been taken
    if (m_fromEpochs) {
        const RpropState& epoch = *m_project.m_rprop;
        RunFigures f = m_pendingValid ? m_pending : m_latest;
        f.learned = epoch.epochLearned;
        f.trainingCases = epoch.epochCases;
        f.trainingError = epoch.epochError;
        f.seconds = Seconds();
        if (m_pendingValid) {
            // A finishing epoch changes no weight: its state is the one it found.
            if (finished) f.cycle = cycle;
            Take(f, &m_pendingWeights);
            current = finished;
        } else if (finished) {
            f.cycle = cycle;
            Take(f, nullptr);
            current = true;
        }
        m_pendingValid = false;
        if (!finished) {
            m_pending = RunFigures{};
            m_pending.cycle = cycle;
            if (HasHeldOut()) {
                const CCaseScorer::Score h = m_scorer->Run(m_heldOut);
                m_pending.heldOutCorrect = h.correct;
                m_pending.heldOutCases = h.cases;
                m_pending.heldOutError = h.error;
            }
            CopyWeights(m_pendingWeights);
            m_pendingValid = true;
        }
    } else if (finished || cycle % m_every == 0) {
        Take(Measure(), nullptr);
        current = true;
    }
    m_reason = Decide(finished);
    // Ending between steps: the state the run ends in is taken as well.
    if (m_reason != StopReason::None && !current) {
        m_pendingValid = false;
        Take(Measure(), nullptr);
    }
    return m_reason != StopReason::None;
}

StopReason TrainOnThisThread(CProject& p, CRunMonitor& monitor) {
    if (StartStopTraining(p) != 1) return StopReason::None;
    monitor.Start();
    for (;;) {
        const int more = TrainingCycle(p);
        if (monitor.AfterCycle(more == 0) || more == 0) {
            if (more != 0) StopTraining(p);
            break;
        }
    }
    StopTraining(p);
    monitor.RestoreBest();
    if (CScenarioMgr* sm = p.Scenarios()) sm->EvaluateAll();
    return monitor.Reason();
}

}  // namespace ks
