#pragma once
// Watches a training run from the training thread, after every cycle: takes
// the figures (training learned and error, held-out accuracy and error),
// keeps the best state seen, records the learning curve, and says when and
// why the run should end. Everything here runs under the training lock.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "training/evaluation_report.h"

namespace ks {

class CProject;

enum class StopReason : std::int32_t {
    None = 0,
    AllLearned,    // every training scenario is learned
    CycleLimit,
    TimeLimit,
    Plateau,       // patience cycles without a better figure
    EarlyStopping, // held-out error rose patience times in a row
    Interrupted,   // a signal or the user
};
// "all learned", "cycle limit", ... for end lines and JSON.
const char* StopReasonName(StopReason r);

struct RunLimits {
    std::int32_t maxCycles = 0;      // 0: none
    double maxSeconds = 0.0;         // 0: none
    std::int32_t patience = 0;       // 0: no plateau or early stop
    const std::atomic<bool>* interrupt = nullptr;  // set from outside to end the run
};

// The figures of one reporting step (one row of the learning curve).
struct RunFigures {
    std::int32_t cycle = 0;
    double seconds = 0.0;
    std::int32_t learned = 0, trainingCases = 0;
    double trainingError = 0.0;
    std::int32_t heldOutCorrect = 0, heldOutCases = 0;
    double heldOutError = 0.0;
    double LearnedPercent() const { return trainingCases ? 100.0 * learned / trainingCases : 0.0; }
    double HeldOutAccuracy() const { return heldOutCases ? static_cast<double>(heldOutCorrect) / heldOutCases : 0.0; }
};

class CRunMonitor {
public:
    CRunMonitor(CProject& project, RunLimits limits);
    // Before the first cycle: reads the training and held-out scenarios as
    // they are marked, and takes the starting state as the first best.
    void Start();
    // After a cycle; `finished`: the cycle ended the run by itself. True when
    // the run should end now (Reason() says why).
    bool AfterCycle(bool finished);
    // Gives the network the best state's weights back.
    void RestoreBest();
    // Whether a run has started under this monitor.
    bool Started() const { return !m_curve.empty(); }
    // The run was ended from outside (the user's Stop): its reason, unless
    // the monitor had one.
    void Stopped() {
        if (m_reason == StopReason::None) m_reason = StopReason::Interrupted;
    }

    StopReason Reason() const { return m_reason; }
    bool HasHeldOut() const { return !m_heldOut.empty(); }
    const RunFigures& Best() const { return m_best; }
    const RunFigures& Latest() const { return m_latest; }
    // The learning curve: the start, then one row per reporting step, and the
    // state the run ended in. A long run keeps every second row, then every
    // fourth, ..., so it never holds more than kMaxCurve rows.
    const std::vector<RunFigures>& Curve() const { return m_curve; }
    static constexpr std::size_t kMaxCurve = 10000;

private:
    // Every figure of the network as it is now.
    RunFigures Measure();
    // A state's figures are complete: record them, keep the state if it is
    // the best so far, count towards a plateau or early stop.
    void Take(const RunFigures& f, const std::vector<double>* weights);
    // Whether a is a better state than b (held-out correct, else learned).
    bool Better(const RunFigures& a, const RunFigures& b) const;
    void CopyWeights(std::vector<double>& out) const;
    void Record(const RunFigures& f);
    StopReason Decide(bool finished) const;
    double Seconds() const;

    CProject& m_project;
    RunLimits m_limits;
    std::optional<CCaseScorer> m_scorer;  // resolved for the network at Start
    std::vector<TestCase> m_training, m_heldOut;
    std::vector<double> m_bestWeights;
    RunFigures m_best, m_latest;
    std::vector<RunFigures> m_curve;
    StopReason m_reason = StopReason::None;
    std::int32_t m_lastBetterCycle = 0, m_rises = 0;
    std::int32_t m_curveEvery = 1;   // cycles between kept rows
    bool m_lastIsExtra = false;      // the last row is off the curve's step (the end state)
    double m_startMs = 0.0;

    // Resilient back-propagation decides every training case in each epoch,
    // for the weights the epoch starts from: those figures are used instead
    // of deciding them again. The state after a cycle waits here (its
    // held-out figures and weights) until the next epoch completes it.
    bool m_fromEpochs = false;
    bool m_pendingValid = false;
    RunFigures m_pending;
    std::vector<double> m_pendingWeights;
    // The winner rule's figures are taken every m_every cycles.
    std::int32_t m_every = 1;
};

// Trains the project on the calling thread until it finishes or the monitor
// ends the run, then restores the best state and scores every scenario.
StopReason TrainOnThisThread(CProject& project, CRunMonitor& monitor);

}  // namespace ks
