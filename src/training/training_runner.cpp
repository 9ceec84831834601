#include "training/training_runner.h"

#include "model/project.h"
#include "training/run_monitor.h"
#include "training/training_cycle.h"

namespace ks {

void CTrainingRunner::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

int CTrainingRunner::StartStop() {
    int r;
    {
        std::unique_lock lock = Lock();
        r = StartStopTraining(m_project);
        if (r > 0 && m_monitor) m_monitor->Start();
    }
    if (r < 0) {
        Stop();
    } else if (r > 0) {
        Join();  // a thread that ended by itself is still to be joined
        m_running = true;
        m_thread = std::thread(&CTrainingRunner::ThreadProc, this);
    }
    return r;
}

void CTrainingRunner::Stop() {
    m_running = false;
    Join();
}

std::unique_lock<std::mutex> CTrainingRunner::Lock() {
    m_waiting.fetch_add(1);
    std::unique_lock lock(m_mutex);
    m_waiting.fetch_sub(1);
    return lock;
}

void CTrainingRunner::ThreadProc() {
    while (m_running.load()) {
        int more;
        // A mutex is not fair: released and taken again at once, it would
        // keep the window waiting for many cycles.
        while (m_waiting.load() > 0 && m_running.load()) std::this_thread::yield();
        {
            std::lock_guard lock(m_mutex);
            more = TrainingCycle(m_project);
            if (m_monitor && m_monitor->AfterCycle(more == 0) && more != 0) {
                StopTraining(m_project);
                more = 0;
            }
        }
        if (more == 0) {
            m_running = false;
            break;
        }
    }
    {
        std::lock_guard lock(m_endMutex);
        m_ended.notify_all();
    }
    if (onThreadEnd) onThreadEnd();
}

bool CTrainingRunner::WaitForEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_endMutex);
    return m_ended.wait_for(lock, timeout, [this] { return !m_running.load(); });
}

void CTrainingRunner::EndTraining() {
    Stop();
    std::unique_lock lock = Lock();
    m_project.m_training.running = false;
    if (CScenarioMgr* sm = m_project.m_training.scenarios) {
        sm->m_bTrainingInProgress = false;
        sm->EvaluateAll();
    }
}

void CTrainingRunner::CopyFigures(TrainingSnapshot& out) {
    out.threadRunning = m_running.load();
    out.cycles = m_project.m_iCycleCounter;
    out.elapsedText = m_project.m_elapsedText;
    out.scores.clear();
    out.learnedFlags.clear();
    out.values.clear();
    out.weights.clear();
    const CScenarioMgr* sm = m_project.Scenarios();
    out.inProgress = sm && sm->m_bTrainingInProgress;
    out.learned = sm ? sm->m_iLearnedCount : 0;
    out.learnedPercent = sm ? sm->m_fLearnedPercent : 0.0f;
    out.scenarioCount = sm ? sm->Count() : 0;
    if (sm) {
        auto take = [&](const CScenario* s) {
            out.scores.push_back(s->m_fScore);
            out.learnedFlags.push_back(s->m_bLearned ? 1 : 0);
        };
        // Scenarios added since the last sort are not in the sorted order yet.
        if (sm->Sorted().size() == sm->Scenarios().size())
            for (const CScenario* s : sm->Sorted()) take(s);
        else
            for (const auto& s : sm->Scenarios()) take(s.get());
    }
    out.watched = m_monitor != nullptr;
    out.curve.clear();
    if (m_monitor) {
        out.hasHeldOut = m_monitor->HasHeldOut();
        out.latest = m_monitor->Latest();
        out.best = m_monitor->Best();
        out.curve.assign(m_monitor->Curve().begin(), m_monitor->Curve().end());
        out.stopReason = m_monitor->Reason();
    }
    if (const CReceptorMgr* m = m_project.Model()) {
        for (const auto& r : m->m_receptors) out.values.push_back(r->m_dOutput);
        for (const auto& c : m->m_connections) out.weights.push_back(c->Weight());
    }
}

}  // namespace ks
