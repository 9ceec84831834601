// The winner rule with many scenarios learned: the cost of one training cycle
// when the active list holds N scenarios, nearly all decided right, with the
// learn pass skipping what the last evaluation pass found learned and without
// (every active scenario through it) and the evaluation pass leaving out
// what provably stays decided right. Both runs side by side, interleaved
// round by round; medians with min..max. Usage: winner_bench [--rate R] [N ...]
// (R: the learn rate, by default 1e-5: small steps, so that what is decided
// right stays so, as near the end of a run).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/data_import.h"
#include "model/project.h"
#include "model/random.h"
#include "training/training_cycle.h"

namespace {

using namespace ks;
using Clock = std::chrono::steady_clock;

// N scenarios of ten inputs (imported, as a user would bring them), each
// targeting what the fresh network decides for it, but for three that
// target its runner-up; then every scenario in the active list, as after a
// long run.
void Build(CProject& p, int scenarios, bool skip, double rate) {
    SeedRandom(5);
    std::string csv = "x0,x1,x2,x3,x4,x5,x6,x7,x8,x9,class\n";
    for (int i = 0; i < scenarios; ++i) {
        for (int k = 0; k < 10; ++k) csv += std::to_string(NextRandom() % 11) + ",";
        csv += "c" + std::to_string(i % 4) + "\n";
    }
    CDataImport import;
    p.NewImportedProject("winner", [&](CProject& q) { import.ImportBytes(q, std::vector<std::uint8_t>(csv.begin(), csv.end())); });
    p.EnsureProcessors();
    p.UpdateNetwork();
    CScenarioMgr& sm = *p.Scenarios();
    CReceptorMgr& m = *p.Model();
    int i = 0;
    for (const auto& s : sm.Scenarios()) {
        sm.ApplyScenario(s.get());
        m.Evaluate();
        CReceptor* decided = m.FindReceptor(m.WinnerID());
        if (i++ % (scenarios / 3 + 1) == 0) {  // the runner-up: a target close enough not to get fresh weights
            CReceptor* second = nullptr;
            for (CReceptor* a : m.Actions())
                if (a != decided && (!second || a->m_dOutput > second->m_dOutput)) second = a;
            decided = second;
        }
        s->m_pTarget = decided;
        s->m_iTargetID = decided->m_ID;
    }
    p.m_trainingMethod = TrainingMethod::Winner;
    p.m_trainingSeed = 3;
    p.m_training.skipLearned = skip;
    m.m_iResetLimit = 1 << 30;  // no resets while timing
    m.SetLearnRate(rate);
    m.m_bUseMomentum = false;
    StartTraining(p);
    for (const ScenarioEntry& e : sm.m_active) e.scenario->m_bInActiveList = false;
    sm.m_active.clear();
    for (const auto& s : sm.Scenarios()) {
        sm.m_active.push_back({s->m_ID, s.get()});
        s->m_bInActiveList = s->m_bInTrainingSet = true;
    }
    sm.m_iWorkingSetSize = sm.m_iTrainingSetSize = static_cast<std::int32_t>(sm.m_active.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    double rate = 1e-5;
    for (int a = 1; a < argc; ++a) {
        if (std::string(argv[a]) == "--rate" && a + 1 < argc)
            rate = std::atof(argv[++a]);
        else
            sizes.push_back(std::atoi(argv[a]));
    }
    if (sizes.empty()) sizes = {1000, 10000, 100000};
    std::printf("Winner rule, learn rate %g: one training cycle with N active scenarios (ms; median of 7 interleaved rounds of\n"
                "3 cycles, min..max), every scenario through both passes and leaving out what provably stays learned\n"
                "%-8s %-26s %-26s %7s %9s\n", rate, "N", "every scenario", "learned ones left out", "ratio", "learned");
    for (int n : sizes) {
        CProject p[2];
        for (int k = 0; k < 2; ++k) Build(p[k], n, k == 1, rate);
        for (int k = 0; k < 2; ++k) TrainingCycle(p[k]);  // a first pass finds what is learned
        std::vector<double> ms[2];
        for (int round = 0; round < 7; ++round)
            for (int k = 0; k < 2; ++k) {
                const auto start = Clock::now();
                for (int c = 0; c < 3; ++c) TrainingCycle(p[k]);
                ms[k].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count() / 3);
            }
        for (auto& v : ms) std::sort(v.begin(), v.end());
        char cell[2][64];
        for (int k = 0; k < 2; ++k) std::snprintf(cell[k], sizeof cell[k], "%.2f (%.2f..%.2f)", ms[k][3], ms[k][0], ms[k][6]);
        std::printf("%-8d %-26s %-26s %7.2f %9d\n", n, cell[0], cell[1], ms[0][3] / ms[1][3], p[1].Scenarios()->m_iLearnedCount);
        std::fflush(stdout);
    }
    return 0;
}
