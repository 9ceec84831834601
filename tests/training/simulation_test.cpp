#include <gtest/gtest.h>

#include "model/project.h"
#include "support/network_fixture.h"
#include "training/simulation.h"

namespace ks {
namespace {

TEST(Simulation, TickSequences) {
    struct Case { double increment; bool autoReset; double start; std::vector<double> values; };
    const Case cases[] = {
        {1, true, 0, {1, 2, 0, 1, 2, 0}},
        {1, false, 0, {1, 2, 3, 3, 3}},
        {-1, true, 3, {2, 1, 3, 2, 1}},
        {0, true, 3, {0, 0}},
        {-1, false, 1, {0, 0}},
    };
    for (const Case& c : cases) {
        CProject p;
        test::BuildProject(p, 1, 1);
        CVariable* v = p.m_inputs.m_items[0].get();
        v->SetRange(0, 3);
        v->m_bAutoIncrement = true;
        v->m_bAutoReset = c.autoReset;
        v->m_dIncrement = c.increment;
        v->SetValue(c.start);
        std::vector<double> seen;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            SimulationStep(p);
            seen.push_back(v->m_dValue);
        }
        EXPECT_EQ(seen, c.values) << c.increment << " " << c.autoReset;
        EXPECT_EQ(p.m_iCycleCounter, static_cast<int>(c.values.size()));
    }
}

TEST(Simulation, ResetPutsInputsAtMinimumAndCounterAtOne) {
    CProject p;
    test::BuildProject(p, 2, 2);
    p.m_inputs.m_items[0]->SetValue(7);
    p.m_inputs.m_items[1]->SetValue(3);
    p.m_iCycleCounter = 40;
    SimulationReset(p);
    EXPECT_EQ(p.m_iCycleCounter, 1);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dValue, 0.0);
    EXPECT_EQ(p.m_inputs.m_items[1]->m_dValue, 0.0);
}

TEST(Simulation, EqualActionsSelectTheEarlierOutput) {
    CProject p;
    test::BuildProject(p, 1, 2);
    for (CReceptor* a : p.Model()->Actions())
        for (const CLink& l : a->m_inputLinks) l.connection->SetWeight(0.3);
    SimulationStep(p);
    ASSERT_EQ(p.m_outputs.m_selection.size(), 1u);
    EXPECT_EQ(p.m_outputs.m_selection[0].output, p.m_outputs.m_items[0].get());
    EXPECT_TRUE(p.Model()->Actions()[0]->m_bSelected);
    EXPECT_FALSE(p.Model()->Actions()[1]->m_bSelected);
}

}  // namespace
}  // namespace ks
