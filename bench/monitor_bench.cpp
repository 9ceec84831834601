// What watching a run costs: a resilient back-propagation epoch alone and
// with the run monitor's figures after it (training and held-out cases
// decided, best state kept), on a project of random cases.
#include <benchmark/benchmark.h>

#include "model/project.h"
#include "support/network_fixture.h"
#include "training/holdout.h"
#include "training/run_monitor.h"
#include "training/training_cycle.h"

namespace {

using namespace ks;

void BuildCases(CProject& p, int scenarios) {
    test::BuildProject(p, 8, 3, 4321);
    SeedRandom(99);
    for (int i = 0; i < scenarios; ++i) {
        for (const auto& v : p.m_inputs.m_items) v->SetValue(NextRandom() % 11);
        p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(NextRandom() % 3)]);
    }
    p.m_trainingMethod = TrainingMethod::Rprop;
    HoldOutScenarios(*p.Scenarios(), 0.2, 1);
}

void BM_RpropEpoch(benchmark::State& state) {
    CProject p;
    BuildCases(p, static_cast<int>(state.range(0)));
    StartStopTraining(p);
    for (auto _ : state) benchmark::DoNotOptimize(TrainingCycle(p));
}

void BM_RpropEpochWatched(benchmark::State& state) {
    CProject p;
    BuildCases(p, static_cast<int>(state.range(0)));
    StartStopTraining(p);
    CRunMonitor monitor(p, {});
    monitor.Start();
    for (auto _ : state) {
        benchmark::DoNotOptimize(TrainingCycle(p));
        benchmark::DoNotOptimize(monitor.AfterCycle(false));
    }
}

}  // namespace

BENCHMARK(BM_RpropEpoch)->Arg(500)->Arg(5000);
BENCHMARK(BM_RpropEpochWatched)->Arg(500)->Arg(5000);
