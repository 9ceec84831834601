#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "model/project.h"
#include "support/network_fixture.h"
#include "training/run_monitor.h"
#include "training/simulation.h"
#include "training/training_runner.h"

namespace ks {
namespace {

void BuildBusyProject(CProject& p) { test::BuildThreeClassProject(p); }

TEST(TrainingRunner, StartStopWhileOtherThreadWorks) {
    CProject p;
    BuildBusyProject(p);
    std::atomic<int> ends{0};
    CTrainingRunner runner(p);
    runner.onThreadEnd = [&] { ++ends; };

    std::atomic<bool> done{false};
    std::thread ui([&] {
        TrainingSnapshot snap;
        int n = 0;
        while (!done) {
            runner.Snapshot(snap);
            if (!snap.weights.empty()) {
                EXPECT_EQ(snap.weights.size(), p.Model()->m_connections.size());
            }
            switch (n++ % 3) {
            case 0: runner.Locked([&] { p.Model()->RandomizeAllWeights(); }); break;  // Erase Knowledge
            case 1: runner.Locked([&] { SimulationStep(p); }); break;
            default: runner.Locked([&] { p.Model()->SetLearnRate(0.3); }); break;
            }
            std::this_thread::yield();
        }
    });
    int started = 0;
    for (int i = 0; i < 20; ++i) {
        if (runner.StartStop() == 1) ++started;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (runner.IsRunning()) {
            EXPECT_EQ(runner.StartStop(), -1);
            runner.EndTraining();
        }
        EXPECT_FALSE(runner.IsRunning());
    }
    done = true;
    ui.join();
    EXPECT_EQ(started, 20);
    EXPECT_EQ(ends.load(), 20);  // one beep per run
    EXPECT_FALSE(p.m_training.running);
    EXPECT_FALSE(p.Scenarios()->m_bTrainingInProgress);
}

TEST(TrainingRunner, FinishesByItselfAndSnapshotShowsIt) {
    CProject p;
    test::BuildProject(p, 1, 2);
    CReceptor* a = p.Model()->Actions()[0];
    for (int i = 0; i < 3; ++i) p.Scenarios()->CreateScenario(a);
    for (const CLink& l : a->m_inputLinks) l.connection->SetWeight(3.0);
    p.m_trainingSeed = 1;
    CTrainingRunner runner(p);
    std::atomic<int> ends{0};
    runner.onThreadEnd = [&] { ++ends; };
    CRunMonitor monitor(p, {});
    runner.SetMonitor(&monitor);
    ASSERT_EQ(runner.StartStop(), 1);
    EXPECT_TRUE(runner.WaitForEnd(std::chrono::seconds(20)));  // woken when the thread ends
    EXPECT_FALSE(runner.IsRunning());  // the thread cleared the flag itself
    runner.EndTraining();
    EXPECT_EQ(ends.load(), 1);
    TrainingSnapshot snap;
    runner.Snapshot(snap);
    EXPECT_EQ(snap.learned, 3);
    EXPECT_EQ(snap.cycles, 5);
    EXPECT_EQ(snap.scores, (std::vector<float>{1.0f, 1.0f, 1.0f}));
    EXPECT_FALSE(snap.inProgress);
    EXPECT_EQ(snap.elapsedText.size(), 5u);
    // The monitor's figures come with it, for the window's curve.
    EXPECT_TRUE(snap.watched);
    EXPECT_EQ(snap.stopReason, StopReason::AllLearned);
    ASSERT_FALSE(snap.curve.empty());
    EXPECT_EQ(snap.curve.front().cycle, 0);
    EXPECT_EQ(snap.curve.back().cycle, 5);
    EXPECT_EQ(snap.latest.learned, 3);
}

TEST(TrainingRunner, ClosingTheProjectStopsTheThreadFirst) {
    CProject p;
    BuildBusyProject(p);
    CTrainingRunner runner(p);
    ASSERT_EQ(runner.StartStop(), 1);
    runner.Stop();
    p.ClearProject();  // nothing of the project is in use any more
    EXPECT_EQ(p.Model(), nullptr);
}

}  // namespace
}  // namespace ks
