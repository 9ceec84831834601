#include "training/run_monitor.h"

#include "model/project.h"
#include "training/run_support.h"

namespace ks {

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
    : m_project(project), m_limits(limits), m_scorer(project) {}

double CRunMonitor::Seconds() const { return (NowMilliseconds() - m_startMs) / 1000.0; }

void CRunMonitor::Start() {
    m_training = ScenarioCases(m_project, CaseSet::Training);
    m_heldOut = ScenarioCases(m_project, CaseSet::HeldOut);
    m_startMs = NowMilliseconds();
    m_curve.clear();
    m_reason = StopReason::None;
    m_sinceBetter = m_rises = 0;
    m_curveEvery = 1;
    m_lastIsExtra = false;
    m_latest = Measure();
    m_curve.push_back(m_latest);
    m_best = m_latest;
    KeepBest();
}

RunFigures CRunMonitor::Measure() {
    RunFigures f;
    f.cycle = m_project.m_iCycleCounter;
    f.seconds = Seconds();
    const CCaseScorer::Score t = m_scorer.Run(m_training);
    f.learned = t.correct;
    f.trainingCases = t.cases;
    f.trainingError = t.error;
    if (!m_heldOut.empty()) {
        const CCaseScorer::Score h = m_scorer.Run(m_heldOut);
        f.heldOutCorrect = h.correct;
        f.heldOutCases = h.cases;
        f.heldOutError = h.error;
    }
    return f;
}

bool CRunMonitor::Better(const RunFigures& a, const RunFigures& b) const {
    return HasHeldOut() ? a.heldOutCorrect > b.heldOutCorrect : a.learned > b.learned;
}

void CRunMonitor::KeepBest() {
    const CReceptorMgr* m = m_project.Model();
    if (!m) return;
    m_bestWeights.resize(m->m_connections.size());
    for (std::size_t c = 0; c < m_bestWeights.size(); ++c) m_bestWeights[c] = m->m_connections[c]->Weight();
}

void CRunMonitor::RestoreBest() {
    CReceptorMgr* m = m_project.Model();
    if (!m || m_bestWeights.size() != m->m_connections.size()) return;
    for (std::size_t c = 0; c < m_bestWeights.size(); ++c) m->m_connections[c]->SetWeight(m_bestWeights[c]);
}

void CRunMonitor::Record() {
    if (m_lastIsExtra) m_curve.pop_back();
    m_lastIsExtra = m_latest.cycle % m_curveEvery != 0;
    m_curve.push_back(m_latest);
    if (m_curve.size() < kMaxCurve) return;
    // Full: keep the rows on a step twice as long (the start is row 0).
    m_curveEvery *= 2;
    std::size_t kept = 0;
    for (const RunFigures& f : m_curve)
        if (f.cycle % m_curveEvery == 0) m_curve[kept++] = f;
    m_curve.resize(kept);
    if (m_latest.cycle % m_curveEvery != 0) {
        m_curve.push_back(m_latest);
        m_lastIsExtra = true;
    } else {
        m_lastIsExtra = false;
    }
}

bool CRunMonitor::AfterCycle(bool finished) {
    // The walk over the scenarios after the winner rule has learned them all
    // changes no weight: nothing to measure until it ends.
    if (!finished && m_project.m_training.correctionWalk) return false;
    const RunFigures previous = m_latest;
    m_latest = Measure();
    Record();
    if (Better(m_latest, m_best)) {
        m_sinceBetter = 0;
    } else {
        ++m_sinceBetter;
    }
    // Ties go to the later state.
    if (!Better(m_best, m_latest)) {
        m_best = m_latest;
        KeepBest();
    }
    m_rises = HasHeldOut() && m_latest.heldOutError > previous.heldOutError ? m_rises + 1 : 0;

    if (finished)
        m_reason = StopReason::AllLearned;
    else if (m_limits.interrupt && m_limits.interrupt->load())
        m_reason = StopReason::Interrupted;
    else if (m_limits.maxCycles > 0 && m_project.m_iCycleCounter >= m_limits.maxCycles)
        m_reason = StopReason::CycleLimit;
    else if (m_limits.maxSeconds > 0.0 && m_latest.seconds >= m_limits.maxSeconds)
        m_reason = StopReason::TimeLimit;
    else if (m_limits.patience > 0 && m_project.m_trainingMethod == TrainingMethod::Rprop &&
             m_rises >= m_limits.patience)
        m_reason = StopReason::EarlyStopping;
    else if (m_limits.patience > 0 && m_sinceBetter >= m_limits.patience)
        m_reason = StopReason::Plateau;
    return m_reason != StopReason::None;
}

}  // namespace ks
