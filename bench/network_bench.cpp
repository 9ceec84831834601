// Forward pass and training-cycle cost on fully connected networks
// (inputs-processors-actions), built the way the app builds them.
#include <benchmark/benchmark.h>

#include "model/project.h"
#include "support/network_fixture.h"
#include "training/training_cycle.h"

namespace {

using namespace ks;

void Build(CProject& p, int inputs, int outputs) {
    test::BuildProject(p, inputs, outputs, 12345);
    SeedRandom(777);
    for (const auto& v : p.m_inputs.m_items) v->SetValue(NextRandom() % 11);
}

void BM_ForwardPass(benchmark::State& state) {
    CProject p;
    Build(p, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CReceptorMgr& m = *p.Model();
    for (auto _ : state) {
        m.Evaluate();
        benchmark::DoNotOptimize(m.Actions().front()->m_dOutput);
    }
    state.counters["connections"] = static_cast<double>(m.m_connections.size());
}

// One training cycle over 28 active scenarios with random targets; reports
// the time per scenario of a cycle.
void BM_TrainingCyclePerScenario(benchmark::State& state) {
    CProject p;
    const int outputs = static_cast<int>(state.range(1));
    Build(p, static_cast<int>(state.range(0)), outputs);
    for (int s = 0; s < 28; ++s) {
        for (const auto& v : p.m_inputs.m_items) v->SetValue(NextRandom() % 11);
        p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(NextRandom() % outputs)]);
    }
    p.m_trainingSeed = 3;
    StartStopTraining(p);
    std::int64_t scenarios = 0;
    for (auto _ : state) {
        if (TrainingCycle(p) == 0) {
            state.PauseTiming();
            p.Scenarios()->m_bInitialised = false;
            StartStopTraining(p);
            state.ResumeTiming();
        }
        scenarios += static_cast<std::int64_t>(p.Scenarios()->m_active.size());
    }
    state.SetItemsProcessed(scenarios);
    // Seconds per scenario (printed with an SI prefix: 320n is 320 ns).
    state.counters["s_per_scenario"] =
        benchmark::Counter(static_cast<double>(scenarios), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Shapes(benchmark::internal::Benchmark* b) {
    b->Args({4, 3})->Args({13, 3})->Args({30, 2})->Args({64, 10});
}

}  // namespace

BENCHMARK(BM_ForwardPass)->Apply(Shapes);
BENCHMARK(BM_TrainingCyclePerScenario)->Apply(Shapes);
BENCHMARK_MAIN();
