// kestrine-cli train: trains a project to an answer (all learned, a limit, a
// plateau or a signal), keeps the best state seen and says why it stopped.
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "cli/commands.h"
#include "files/safe_file.h"
#include "model/project.h"
#include "model/text.h"
#include "qt/qsettings_store.h"
#include "session/session.h"
#include "training/evaluation_report.h"
#include "training/holdout.h"
#include "training/training_runner.h"

namespace ks::cli {

namespace {

std::atomic<bool> g_stop{false};

void OnStopSignal(int) { g_stop.store(true); }

constexpr double kLogEverySeconds = 5.0;

std::string ProgressText(const RunFigures& f, bool heldOut) {
    std::string s = Format("cycle %d  learned %d/%d", f.cycle, f.learned, f.trainingCases);
    if (heldOut) s += Format("  held-out %.1f%%", 100.0 * f.HeldOutAccuracy());
    return s + Format("  %.1fs", f.seconds);
}

}  // namespace

const std::atomic<bool>& StopSignals() {
    struct sigaction sa = {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return g_stop;
}

void ApplyTrainOptions(CProject& p, const TrainOptions& o) {
    CReceptorMgr& m = *p.Model();
    CScenarioMgr& sm = *p.Scenarios();
    if (o.learnRate) m.SetLearnRate(*o.learnRate);
    if (o.momentum) m.m_dMomentum = *o.momentum;
    if (o.resetLimit) m.m_iResetLimit = *o.resetLimit;
    if (o.batchSize) sm.m_iBatchSize = *o.batchSize;
    m.m_bUseMomentum = o.useMomentum;
    m.m_bErrorCorrection = o.errorCorrection;
    p.m_trainingSeed = o.seed.value_or(1);  // one default seed everywhere: a run repeats unless asked otherwise
    p.m_trainingThreads = o.threads;
    std::string method = o.method;
    if (method.empty()) {
        QSettingsStore store;
        method = store.ReadInt(kSettingsSection, kKeyTrainingMethod).value_or(0) == 1 ? "rprop" : "winner";
    }
    p.m_trainingMethod = method == "rprop" ? TrainingMethod::Rprop : TrainingMethod::Winner;
}

bool TrainToEnd(CSession& session, CRunMonitor& monitor, bool quiet) {
    CTrainingRunner& runner = session.Runner();
    runner.SetMonitor(&monitor);
    const bool terminal = isatty(STDERR_FILENO);
    if (session.StartStopTraining() != 1) return false;
    double lastLog = 0.0;
    bool drew = false;
    while (!runner.WaitForEnd(std::chrono::milliseconds(terminal ? 200 : 1000))) {
        if (quiet) continue;
        const RunFigures f = runner.Locked([&] { return monitor.Latest(); });
        if (terminal) {
            std::fprintf(stderr, "\r%s   ", ProgressText(f, monitor.HasHeldOut()).c_str());
            drew = true;
        } else if (f.seconds - lastLog >= kLogEverySeconds) {
            std::fprintf(stderr, "kestrine-cli: %s\n", ProgressText(f, monitor.HasHeldOut()).c_str());
            lastLog = f.seconds;
        }
        std::fflush(stderr);
    }
    if (drew) std::fprintf(stderr, "\n");
    session.EndTraining();  // restores the monitor's best state
    runner.SetMonitor(nullptr);
    return true;
}

std::string WriteCurve(const std::string& path, const std::vector<RunFigures>& curve, bool heldOut) {
    std::string text = heldOut ? "cycle,seconds,learned_percent,training_error,held_out_accuracy,held_out_error\n"
                               : "cycle,seconds,learned_percent,training_error\n";
    for (const RunFigures& f : curve) {
        text += Format("%d,%.3f,%.4f,%.6g", f.cycle, f.seconds, f.LearnedPercent(), f.trainingError);
        if (heldOut) text += Format(",%.6f,%.6g", f.HeldOutAccuracy(), f.heldOutError);
        text += "\n";
    }
    const FileResult r = WriteFileAtomically(path, text);
    return r.ok ? std::string() : r.message;
}

int Train(const TrainOptions& o) {
    if (o.holdout && !(*o.holdout > 0.0 && *o.holdout < 1.0)) {
        std::fprintf(stderr, "kestrine-cli: usage: --holdout must be a fraction between 0 and 1 (not %g)\n", *o.holdout);
        return kUsage;
    }
    // Outputs are checked before hours of training, not after.
    const std::string output = o.output.empty() ? o.file : o.output;
    if (!o.output.empty() && CheckOutput(o.output, OutputKind::Project, {}, o.force) != kOk) return kFailed;
    if (!o.curve.empty() && CheckOutput(o.curve, OutputKind::Text, {o.file, output}, o.force) != kOk) return kFailed;
    CProject p;
    int code = kOk;
    if (!Load(o.file, p, code)) return code;
    CScenarioMgr& sm = *p.Scenarios();
    if (sm.Count() == 0) return Fail("training " + o.file, "the project has no scenarios");
    ApplyTrainOptions(p, o);
    if (o.holdout)
        if (const std::string why = HoldOutScenarios(sm, *o.holdout, o.seed.value_or(1)); !why.empty())
            return Fail("training " + o.file, why);

    RunLimits limits;
    limits.maxCycles = o.maxCycles;
    limits.maxSeconds = o.maxSeconds;
    limits.patience = o.patience;
    limits.interrupt = &StopSignals();
    CRunMonitor monitor(p, limits);
    ConsolePrompt prompt;
    CSession session(p, prompt);
    if (!TrainToEnd(session, monitor, o.quiet)) return Fail("training " + o.file, "training could not start");

    const EvaluationReport training = EvaluateCases(p, ScenarioCases(p, CaseSet::Training));
    const EvaluationReport heldOut = EvaluateCases(p, ScenarioCases(p, CaseSet::HeldOut));
    const int saved = SaveProject(output, p);
    std::string curveError;
    if (!o.curve.empty()) curveError = WriteCurve(o.curve, monitor.Curve(), monitor.HasHeldOut());
    const RunFigures& best = monitor.Best();
    std::int32_t learned = 0;
    for (const auto& s : sm.Scenarios())
        if (s->m_bLearned) ++learned;
    if (o.json) {
        std::printf("{\"cycles\": %d, \"seconds\": %s, \"stopped\": %s, \"best_cycle\": %d, \"learned\": %d, "
                    "\"scenarios\": %d, \"training\": %s, \"training_error\": %s, \"held_out\": %s, "
                    "\"held_out_error\": %s, \"saved\": %s}\n",
                    p.m_iCycleCounter, JsonNumber(monitor.Latest().seconds).c_str(),
                    JsonString(StopReasonName(monitor.Reason())).c_str(), best.cycle, learned, sm.Count(),
                    ReportJson(training).c_str(), JsonNumber(best.trainingError).c_str(),
                    monitor.HasHeldOut() ? ReportJson(heldOut).c_str() : "null",
                    monitor.HasHeldOut() ? JsonNumber(best.heldOutError).c_str() : "null",
                    saved == kOk ? "true" : "false");
    } else {
        std::printf("cycles=%d learned=%d scenarios=%d elapsed=%s\n", p.m_iCycleCounter, learned, sm.Count(),
                    p.m_elapsedText.c_str());
        std::printf("training: correct=%d cases=%d accuracy=%.4f\n", training.correct, training.cases, training.accuracy);
        if (monitor.HasHeldOut())
            std::printf("held-out: correct=%d cases=%d accuracy=%.4f\n", heldOut.correct, heldOut.cases,
                        heldOut.accuracy);
        std::printf("stopped: %s; kept the best state, cycle %d\n", StopReasonName(monitor.Reason()), best.cycle);
    }
    if (!curveError.empty()) return Fail("writing " + o.curve, curveError);
    if (saved != kOk) return saved;
    if (monitor.Reason() == StopReason::Interrupted) return kInterrupted;
    return training.correct < training.cases ? kStoppedByLimit : kOk;
}

}  // namespace ks::cli
