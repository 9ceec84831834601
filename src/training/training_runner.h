#pragma once
// Owns the one training thread. The thread runs one training cycle at a time
// under the runner's lock; everything else that reads or changes the network,
// the scenarios or the working set while training may run takes the same lock
// briefly (Locked), so a cycle never sees a half-made change and the window
// never reads a half-made cycle.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "training/run_monitor.h"

namespace ks {

class CProject;

// What the window shows of a run, copied in one go under the lock.
struct TrainingSnapshot {
    bool threadRunning = false;       // the running flag
    bool inProgress = false;          // the scenario manager's training-in-progress flag
    std::int32_t learned = 0;
    std::int32_t scenarioCount = 0;
    float learnedPercent = 0.0f;
    std::int32_t cycles = 0;
    std::string elapsedText;
    std::vector<float> scores;        // in sorted order
    std::vector<char> learnedFlags;   // in sorted order
    std::vector<double> values;       // every receptor's output, in receptor list order
    std::vector<double> weights;      // every connection's weight, in connection list order
    // From the run's monitor, when it has one: the latest figures, the best
    // state so far, the learning curve and why the run ended.
    bool watched = false;
    bool hasHeldOut = false;
    RunFigures latest, best;
    std::vector<RunFigures> curve;
    StopReason stopReason = StopReason::None;
};

class CTrainingRunner {
public:
    explicit CTrainingRunner(CProject& project) : m_project(project) {}
    ~CTrainingRunner() { Stop(); }
    CTrainingRunner(const CTrainingRunner&) = delete;
    CTrainingRunner& operator=(const CTrainingRunner&) = delete;

    // The Start / Stop Learning button: 0 nothing, 1 started, -1 stopped (the
    // thread has been joined; the caller then ends the learning state).
    int StartStop();
    // Clears the running flag and waits for the thread to leave its loop.
    // Closing or replacing the project calls this before deleting anything.
    void Stop();
    // The running flag: the thread should keep running.
    bool IsRunning() const { return m_running.load(); }
    // The user-interface side of ending a run: stop the thread, clear the
    // project's running state and evaluate every scenario afresh.
    void EndTraining();

    // Runs f with the training lock held. The thread lets a waiting caller
    // go first between cycles, so the window waits one cycle at most.
    template <class F>
    auto Locked(F&& f) {
        std::unique_lock lock = Lock();
        return f();
    }
    // A monitor that watches every cycle and may end the run (limits,
    // plateau, best state). Set before StartStop; nullptr for none. It is
    // started under the lock when a run starts.
    void SetMonitor(CRunMonitor* monitor) { m_monitor = monitor; }
    CRunMonitor* Monitor() const { return m_monitor; }
    // Waits until the thread has left its loop or the time has passed; true
    // when it has ended.
    bool WaitForEnd(std::chrono::milliseconds timeout);

    // Copies the progress figures; reuses the snapshot's buffers.
    void Snapshot(TrainingSnapshot& out) {
        Snapshot(out, [] {});
    }
    // The same, and runs `also` in the same hold of the lock: what it draws
    // shows the very cycle the figures are of.
    template <class F>
    void Snapshot(TrainingSnapshot& out, F&& also) {
        std::unique_lock lock = Lock();
        CopyFigures(out);
        also();
    }

    // Called on the training thread when it ends (the app beeps).
    std::function<void()> onThreadEnd;

private:
    void ThreadProc();
    void CopyFigures(TrainingSnapshot& out);  // the lock held
    void Join();
    std::unique_lock<std::mutex> Lock();

    CProject& m_project;
    std::mutex m_mutex;
    std::atomic<int> m_waiting{0};  // callers waiting for the lock, served before the next cycle
    std::atomic<bool> m_running{false};
    CRunMonitor* m_monitor = nullptr;
    std::mutex m_endMutex;
    std::condition_variable m_ended;
    std::thread m_thread;
};

}  // namespace ks
