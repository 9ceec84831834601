#include <gtest/gtest.h>

#include <cstring>

#include "model/project.h"
#include "support/network_fixture.h"
#include "training/training_cycle.h"

namespace ks {
namespace {

// Everything a pass writes, as raw bits.
struct PassResult {
    std::vector<std::uint64_t> bits;
    bool operator==(const PassResult&) const = default;
};

std::uint64_t Bits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

PassResult Capture(const CReceptorMgr& m) {
    PassResult r;
    for (const auto& rc : m.m_receptors) {
        r.bits.push_back(Bits(rc->m_dNetInput));
        r.bits.push_back(Bits(rc->m_dOutput));
    }
    for (const auto& c : m.m_connections) {
        r.bits.push_back(Bits(c->Signal()));
        r.bits.push_back(Bits(c->Pending()));
        r.bits.push_back(Bits(c->Weight()));
    }
    return r;
}

// A network with ragged wiring: random inputs, some connections removed,
// biases on some processors and actions, one linear and one step processor.
void BuildRagged(CProject& p, int inputs, int outputs, std::uint32_t seed) {
    test::BuildProject(p, inputs, outputs, seed);
    CReceptorMgr& m = *p.Model();
    for (std::size_t i = 0; i < m.m_connections.size(); i += 5) m.DeleteConnection(m.m_connections[i].get());
    m.ClearSelection();
    m.Select(m.Processors().front());
    m.Select(m.Actions().back());
    AddBiasToSelection(m);
    m.Processors().back()->m_iActivation = kLinear;
    if (m.Processors().size() > 2) {
        m.Processors()[1]->m_iActivation = kStep;
        m.Processors()[1]->m_dThreshold = 0.1;
    }
    m.Actions().front()->m_bLinearOutput = true;
    m.RandomizeAllWeights();
    for (const auto& v : p.m_inputs.m_items) v->SetValue(NextRandom() % 13 - 1.5);
}

TEST(EvalPlan, PassIsBitIdenticalToThePlainLoop) {
    struct Shape { int inputs, outputs; };
    for (Shape s : {Shape{1, 1}, Shape{4, 3}, Shape{13, 3}, Shape{20, 17}, Shape{64, 10}}) {
        for (bool ragged : {false, true}) {
            SCOPED_TRACE(testing::Message() << s.inputs << "-" << s.outputs << (ragged ? " ragged" : ""));
            CProject p;
            if (ragged)
                BuildRagged(p, s.inputs, s.outputs, 40 + s.inputs);
            else
                test::BuildProject(p, s.inputs, s.outputs, 40 + s.inputs);
            CReceptorMgr& m = *p.Model();
            m.Evaluate();
            ASSERT_TRUE(m.Plan().Usable());
            const PassResult planned = Capture(m);
            m.EvaluateSequential();
            EXPECT_EQ(Capture(m), planned);
        }
    }
}

TEST(EvalPlan, StaysExactAcrossStructureChangesAndKeepsWeights) {
    CProject p;
    test::BuildProject(p, 5, 3, 3);
    CReceptorMgr& m = *p.Model();
    m.Evaluate();
    const double w = m.m_connections[7]->Weight();
    CConnection* kept = m.m_connections[7].get();
    m.DeleteConnection(m.m_connections[2].get());
    p.AddProcessors(2);
    m.Evaluate();  // rebuilds the layout
    EXPECT_EQ(kept->Weight(), w);
    const PassResult planned = Capture(m);
    m.EvaluateSequential();
    EXPECT_EQ(Capture(m), planned);
}

TEST(EvalPlan, SameStageWiringFallsBackToTheSequentialMeaning) {
    CProject p;
    test::BuildProject(p, 2, 2, 5);
    CReceptorMgr& m = *p.Model();
    // Only a hand-made file can wire a processor into a processor.
    m.AddConnection(m.Processors()[0], m.Processors()[1], 0, 0.7);
    m.Evaluate();
    EXPECT_FALSE(m.Plan().Usable());
    const PassResult planned = Capture(m);
    m.EvaluateSequential();
    EXPECT_EQ(Capture(m), planned);
}

TEST(EvalPlan, HiddenStepMatchesTheLinkWalk) {
    for (bool accumulate : {true, false}) {
        CProject a, b;
        BuildRagged(a, 9, 4, 77);
        BuildRagged(b, 9, 4, 77);
        for (CProject* p : {&a, &b}) {
            CReceptorMgr& m = *p->Model();
            m.m_bAccumulateChanges = accumulate;
            m.Evaluate();
            for (const auto& r : m.m_receptors) r->m_dHiddenDelta = 0.01 * r->m_ID / 99996.0 - 0.003;
        }
        for (std::size_t i = 0; i < a.Model()->Actions().size(); ++i) {
            UpdateHiddenWeights(*a.Model(), *a.Model()->Actions()[i]);
            UpdateHiddenWeightsByLinks(*b.Model(), *b.Model()->Actions()[i]);
        }
        EXPECT_EQ(Capture(*a.Model()), Capture(*b.Model())) << accumulate;
    }
}

TEST(EvalPlan, WholeTrainingRunIsBitIdenticalToThePlainLoop) {
    std::vector<PassResult> runs;
    for (bool usePlan : {true, false}) {
        CProject p;
        test::BuildProject(p, 6, 3, 19);
        p.Model()->m_bUsePlan = usePlan;
        for (int i = 0; i < 30; ++i) {
            for (const auto& v : p.m_inputs.m_items) v->SetValue(NextRandom() % 11);
            p.Scenarios()->CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(i % 3)]);
        }
        p.m_trainingSeed = 6;
        StartStopTraining(p);
        for (int c = 0; c < 300 && TrainingCycle(p) == 1; ++c) {
        }
        runs.push_back(Capture(*p.Model()));
    }
    EXPECT_EQ(runs[0], runs[1]);
}

}  // namespace
}  // namespace ks
