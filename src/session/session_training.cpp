// The session's training runs: the watch settings, the held-out split and the
// monitor of a run, and ending a run with the best state it saw.
#include <algorithm>
#include <utility>

#include "model/prompt.h"
#include "model/settings_store.h"
#include "session/session.h"
#include "training/holdout.h"

namespace ks {

TrainingWatch CSession::Watch() {
    TrainingWatch w;
    if (!m_settings) return w;
    w.holdoutPercent = std::clamp(m_settings->ReadInt(kSettingsSection, kKeyHoldOutPercent).value_or(0), 0, 90);
    w.seed = std::max(1, m_settings->ReadInt(kSettingsSection, kKeyHoldOutSeed).value_or(1));
    w.patience = std::max(0, m_settings->ReadInt(kSettingsSection, kKeyPatience).value_or(0));
    w.threads = std::clamp(m_settings->ReadInt(kSettingsSection, kKeyThreads).value_or(0), 0, 256);
    return w;
}

void CSession::SetWatch(const TrainingWatch& w) {
    if (!m_settings) return;
    m_settings->WriteInt(kSettingsSection, kKeyHoldOutPercent, std::clamp(w.holdoutPercent, 0, 90));
    m_settings->WriteInt(kSettingsSection, kKeyHoldOutSeed, std::max(1, w.seed));
    m_settings->WriteInt(kSettingsSection, kKeyPatience, std::max(0, w.patience));
    m_settings->WriteInt(kSettingsSection, kKeyThreads, std::clamp(w.threads, 0, 256));
}

void CSession::ForgetRun() {
    if (m_ownMonitor && m_runner.Monitor() == m_ownMonitor.get()) m_runner.SetMonitor(nullptr);
    m_ownMonitor.reset();
    m_lastRun = RunSummary{};
    m_undo.clear();  // another project: its edits are not this one's
    m_redo.clear();
    m_adding = nullptr;
}

int CSession::StartStopTraining() {
    const bool starting = !m_runner.Locked([&] { return m_project.m_training.running; });
    if (starting && m_project.IsReady() && (!m_runner.Monitor() || m_runner.Monitor() == m_ownMonitor.get())) {
        const TrainingWatch w = Watch();
        std::string refused;
        m_runner.Locked([&] {
            m_project.m_trainingThreads = w.threads;
            CScenarioMgr& sm = *m_project.Scenarios();
            if (w.holdoutPercent > 0) {
                refused = HoldOutScenarios(sm, w.holdoutPercent / 100.0, static_cast<std::uint32_t>(w.seed));
            } else {
                bool any = false;
                for (const auto& sc : sm.Scenarios()) any = any || std::exchange(sc->m_bHeldOut, false);
                if (any) sm.m_bInitialised = false;  // the working set starts afresh with every scenario
            }
        });
        if (!refused.empty()) {
            m_prompt->Notify("Training cannot hold scenarios out: " + refused);
            return 0;
        }
        RunLimits limits;
        limits.patience = w.patience;
        m_ownMonitor = std::make_unique<CRunMonitor>(m_project, limits);
        m_runner.SetMonitor(m_ownMonitor.get());
        m_lastRun = RunSummary{};
        // The held-out marks are on show before the thread starts: listeners
        // read the scenarios now, never while the cycle writes them.
        Changed(kChangedScenarios);
    }
    const int r = m_runner.StartStop();
    if (r < 0) {
        EndTraining();
    } else if (r > 0) {
        // Undoing an edit made before the run would silently throw the run's
        // learning away too: the history starts again after training.
        m_undo.clear();
        m_redo.clear();
        m_adding = nullptr;
        Changed(kChangedTraining);
    }
    return r;
}

void CSession::EndTraining() {
    m_runner.EndTraining();
    if (CRunMonitor* monitor = m_runner.Monitor()) {
        m_runner.Locked([&] {
            if (!monitor->Started()) return;
            monitor->Stopped();  // by the user, when nothing else ended it
            monitor->RestoreBest();
            if (m_project.Scenarios()) m_project.Scenarios()->EvaluateAll();
            m_lastRun.valid = true;
            m_lastRun.hasHeldOut = monitor->HasHeldOut();
            m_lastRun.best = monitor->Best();
            m_lastRun.latest = monitor->Latest();
            m_lastRun.reason = monitor->Reason();
        });
    }
    // The decision on show is the network's for the inputs on show.
    m_runner.Locked([&] { m_project.EvaluateAndShowWinner(); });
    Changed(kChangedTraining | kChangedScenarios | kChangedNetwork);
}

}  // namespace ks
