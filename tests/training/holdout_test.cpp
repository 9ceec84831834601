#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>

#include "model/project.h"
#include "support/network_fixture.h"
#include "training/evaluation_report.h"
#include "training/holdout.h"
#include "training/run_monitor.h"
#include "training/training_cycle.h"

namespace ks {
namespace {

void BuildThreeClasses(CProject& p, TrainingMethod method) {
    test::BuildThreeClassProject(p);
    p.m_trainingMethod = method;
}

// Runs training on this thread, the monitor (if any) after every cycle.
void Train(CProject& p, int maxCycles, CRunMonitor* monitor = nullptr) {
    ASSERT_EQ(StartStopTraining(p), 1);
    if (monitor) monitor->Start();
    for (int i = 0; i < maxCycles; ++i) {
        const int more = TrainingCycle(p);
        if (monitor && monitor->AfterCycle(more == 0) && more != 0) {
            StopTraining(p);
            break;
        }
        if (more == 0) break;
    }
}

std::vector<double> Weights(const CProject& p) {
    std::vector<double> w;
    for (const auto& c : p.Model()->m_connections) w.push_back(c->Weight());
    return w;
}

TEST(HoldOut, HeldOutScenariosTakeNoPartInTraining) {
    // Holding scenarios out (with the monitor deciding them after every
    // cycle) must train exactly as deleting them would.
    for (TrainingMethod method : {TrainingMethod::Winner, TrainingMethod::Rprop}) {
        CProject held, deleted;
        BuildThreeClasses(held, method);
        BuildThreeClasses(deleted, method);
        ASSERT_EQ(HoldOutScenarios(*held.Scenarios(), 0.25, 5), "");
        std::set<std::int32_t> out;
        for (const auto& s : held.Scenarios()->Scenarios())
            if (s->m_bHeldOut) out.insert(s->m_ID);
        EXPECT_EQ(out.size(), 15u);
        CScenarioMgr& dm = *deleted.Scenarios();
        for (const auto& s : dm.Scenarios())
            if (out.count(s->m_ID)) dm.Select(s.get());
        dm.DeleteSelected();
        ASSERT_EQ(dm.Count(), 45);

        CRunMonitor monitor(held, {});
        Train(held, 400, &monitor);
        Train(deleted, 400);
        EXPECT_EQ(Weights(held), Weights(deleted)) << static_cast<int>(method);
        EXPECT_TRUE(monitor.HasHeldOut());
        EXPECT_EQ(monitor.Latest().heldOutCases, 15);
        EXPECT_EQ(monitor.Latest().trainingCases, 45);
        for (const auto& s : held.Scenarios()->Scenarios())
            if (s->m_bHeldOut) {
                EXPECT_FALSE(s->m_bInTrainingSet || s->m_bInActiveList);
            }
    }
}

TEST(HoldOut, SplitsAreStratifiedAndRepeatable) {
    // Classes of 1, 4, 10 and 33 cases.
    std::vector<SplitItem> items;
    for (int i = 0; i < 48; ++i) items.push_back({1000 - 7 * i, i < 1 ? 0 : i < 5 ? 1 : i < 15 ? 2 : 3});
    std::vector<SplitItem> reversed(items.rbegin(), items.rend());
    for (std::int32_t folds : {2, 5, 10}) {
        const auto f = StratifiedFolds(items, folds, 3), fr = StratifiedFolds(reversed, folds, 3);
        std::map<std::pair<int, int>, int> perFoldClass;
        for (std::size_t i = 0; i < items.size(); ++i) {
            ASSERT_GE(f[i], 0);
            ASSERT_LT(f[i], folds);
            EXPECT_EQ(f[i], fr[items.size() - 1 - i]) << "the order given must not matter";
            ++perFoldClass[{items[i].category, f[i]}];
        }
        for (int c = 0; c < 4; ++c) {
            int lo = 1 << 30, hi = 0;
            for (int k = 0; k < folds; ++k) {
                const int n = perFoldClass[{c, k}];
                lo = std::min(lo, n);
                hi = std::max(hi, n);
            }
            EXPECT_LE(hi - lo, 1) << "class " << c << ", " << folds << " folds";
        }
        EXPECT_NE(StratifiedFolds(items, folds, 4), f) << "another seed, another split";
    }
    const auto held = StratifiedHoldOut(items, 0.3, 9);
    std::map<int, int> heldPerClass;
    for (std::size_t i = 0; i < items.size(); ++i) heldPerClass[items[i].category] += held[i];
    EXPECT_EQ(heldPerClass[0], 0);  // round(0.3)
    EXPECT_EQ(heldPerClass[1], 1);
    EXPECT_EQ(heldPerClass[2], 3);
    EXPECT_EQ(heldPerClass[3], 10);
}

TEST(HoldOut, FractionsThatLeaveNothingAreRefused) {
    CProject p;
    BuildThreeClasses(p, TrainingMethod::Winner);
    for (double f : {0.0, 1.0, -0.5, 2.0, 0.001, 0.999})
        EXPECT_NE(HoldOutScenarios(*p.Scenarios(), f, 1), "") << f;
    for (const auto& s : p.Scenarios()->Scenarios()) EXPECT_FALSE(s->m_bHeldOut);
}

TEST(RunMonitor, EndsOnLimitsAndKeepsTheBestState) {
    CProject p;
    BuildThreeClasses(p, TrainingMethod::Rprop);
    ASSERT_EQ(HoldOutScenarios(*p.Scenarios(), 0.3, 2), "");
    RunLimits limits;
    limits.patience = 15;
    CRunMonitor monitor(p, limits);
    Train(p, 100000, &monitor);
    ASSERT_TRUE(monitor.Reason() == StopReason::Plateau || monitor.Reason() == StopReason::EarlyStopping ||
                monitor.Reason() == StopReason::AllLearned)
        << StopReasonName(monitor.Reason());
    // The best state is the one with the most held-out cases right, and
    // restoring it gives exactly its figures back.
    std::int32_t most = 0;
    for (const RunFigures& f : monitor.Curve()) most = std::max(most, f.heldOutCorrect);
    EXPECT_EQ(monitor.Best().heldOutCorrect, most);
    EXPECT_EQ(monitor.Curve().size(), static_cast<std::size_t>(p.m_iCycleCounter) + 1);
    monitor.RestoreBest();
    CCaseScorer scorer(p);
    EXPECT_EQ(scorer.Run(ScenarioCases(p, CaseSet::HeldOut)).correct, monitor.Best().heldOutCorrect);
    EXPECT_EQ(scorer.Run(ScenarioCases(p, CaseSet::Training)).correct, monitor.Best().learned);

    std::atomic<bool> interrupt{true};
    for (auto [lim, reason] : {std::pair{RunLimits{3, 0.0, 0, nullptr}, StopReason::CycleLimit},
                               std::pair{RunLimits{0, 0.0, 0, &interrupt}, StopReason::Interrupted}}) {
        CProject q;
        BuildThreeClasses(q, TrainingMethod::Winner);
        CRunMonitor m(q, lim);
        Train(q, 1000, &m);
        EXPECT_EQ(m.Reason(), reason);
        EXPECT_EQ(q.m_iCycleCounter, reason == StopReason::CycleLimit ? 3 : 1);
        EXPECT_FALSE(m.HasHeldOut());
    }
}

TEST(RunMonitor, ALongRunKeepsABoundedEvenCurve) {
    CProject p;
    test::BuildProject(p, 2, 2, 5);
    // Two cases with the same inputs and different targets: never all learned.
    for (int i = 0; i < 2; ++i) p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(i)]);
    p.m_trainingMethod = TrainingMethod::Rprop;
    CRunMonitor monitor(p, {25003, 0.0, 0, nullptr});
    Train(p, 100000, &monitor);
    EXPECT_EQ(monitor.Reason(), StopReason::CycleLimit);
    const auto& curve = monitor.Curve();
    ASSERT_LE(curve.size(), CRunMonitor::kMaxCurve);
    ASSERT_GE(curve.size(), CRunMonitor::kMaxCurve / 4);
    EXPECT_EQ(curve.front().cycle, 0);
    EXPECT_EQ(curve.back().cycle, 25003);
    const std::int32_t step = curve[1].cycle;
    EXPECT_GT(step, 1);
    for (std::size_t i = 1; i + 1 < curve.size(); ++i) EXPECT_EQ(curve[i].cycle - curve[i - 1].cycle, step) << i;
}

}  // namespace
}  // namespace ks
