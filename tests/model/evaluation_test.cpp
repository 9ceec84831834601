#include <gtest/gtest.h>

#include <limits>

#include <cmath>

#include "model/project.h"
#include "support/network_fixture.h"

namespace ks {
namespace {

// A sensor reading v, returned with its scaled output after the pass.
double SensorOutput(CVariable& v) {
    CReceptorMgr m;
    CReceptor* s = m.AddReceptor(kSensor, -1, 0, 0);
    s->AttachVariable(&v);
    EXPECT_EQ(m.EvaluateSensors(), 1);
    return s->m_dOutput;
}

TEST(Evaluation, SensorScaling) {
    struct Case { std::int32_t type; double lo, hi; int items; double value; double out; };
    const Case cases[] = {
        {kRangedDouble, 0, 10, 0, 5, 0.0},
        {kRangedDouble, 0, 10, 0, 10, 3.0},
        {kRangedDouble, 0, 10, 0, 0, -3.0},
        {kRangedDouble, 0, 10, 0, 12, 4.2},
        {kRangedInteger, 4, 4, 0, 4, -3.0},  // empty range sits at the bottom
        // Ranges whose factor 6 / range is not finite count as empty.
        {kRangedDouble, 0, 1e-320, 0, 0, -3.0},
        {kRangedDouble, -1e308, 1e308, 0, 5, -3.0},
        {kRangedDouble, 0, 10, 0, std::numeric_limits<double>::infinity(), -3.0},
        {kBoolean, 0, 1, 0, 0.5, 1.0},
        {kBoolean, 0, 1, 0, 0.0, 0.0},
        {kDescriptorList, 0, 0, 5, 2, 2.0},
        {kDescriptorList, 0, 0, 5, 4, 4.0},
        {kDescriptorList, 0, 0, 3, 1, 2.0},
        {kDescriptorList, 0, 0, 4, 1, static_cast<double>(static_cast<float>(4.0 / 3.0))},
        {kDescriptorList, 0, 0, 1, 0, 0.0},  // one item: no scale
        {kDescriptorList, 0, 0, 0, 0, 0.0},
        {kRangedDouble, 0, 10, 0, 10, 3.0},
        {kRangedDouble, 0, 20, 0, 10, 0.0},  // the same type, another range
    };
    // Each case on a variable of its own, then all on one variable edited from
    // case to case: the scale it keeps must follow every change of type, range
    // and item count.
    for (const bool oneVariable : {false, true}) {
        CVariable shared;
        for (const Case& c : cases) {
            CVariable fresh;
            CVariable& v = oneVariable ? shared : fresh;
            v.m_iType = c.type;
            v.m_items.clear();
            v.m_pCurrentItem = nullptr;
            if (c.type == kDescriptorList)
                for (int i = 0; i < c.items; ++i) v.AddItem("x", i, i, false, 0);
            else
                v.SetRange(c.lo, c.hi);
            v.SetValue(c.value);
            const double out = SensorOutput(v);
            EXPECT_TRUE(std::isfinite(out));
            EXPECT_NEAR(out, c.out, 1e-12) << c.type << " value " << c.value << (oneVariable ? " (one variable)" : "");
        }
    }
}

TEST(Evaluation, ProcessorSumsSignalsInLinkOrder) {
    CReceptorMgr m;
    CReceptor* s1 = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* s2 = m.AddReceptor(kSensor, -1, 0, 0);
    CReceptor* p = m.AddReceptor(kProcessor, kLogistic, 0, 0);
    CReceptor* b = m.AddReceptor(kBias, 0, 0, 0);
    CReceptor* a = m.AddReceptor(kAction, -1, 0, 0);
    CConnection* c1 = m.AddConnection(s1, p, 0, 0.5);
    CConnection* c2 = m.AddConnection(s2, p, 0, 0.25);
    CConnection* cb = m.AddConnection(b, a, 0, -0.2);
    s1->m_dOutput = 1.0;
    s2->m_dOutput = -3.0;
    m.Evaluate();  // sensors without inputs keep their outputs
    EXPECT_DOUBLE_EQ(s2->m_dOutput, -3.0);
    EXPECT_DOUBLE_EQ(p->m_dNetInput, -0.25);
    EXPECT_DOUBLE_EQ(p->m_dOutput, 0.43782349911420193);
    EXPECT_DOUBLE_EQ(c1->Signal(), 0.5);
    EXPECT_DOUBLE_EQ(c2->Signal(), -0.75);
    EXPECT_DOUBLE_EQ(cb->Signal(), -0.2);
    EXPECT_DOUBLE_EQ(a->m_dNetInput, -0.2);
}

TEST(Evaluation, WinnerRulesAndTies) {
    CReceptorMgr m;
    COutput o1, o2, o3;
    CReceptor* a1 = m.AddReceptor(kAction, -1, 0, 0);
    CReceptor* a2 = m.AddReceptor(kAction, -1, 0, 0);
    CReceptor* a3 = m.AddReceptor(kAction, -1, 0, 0);
    a1->AttachOutput(&o1);
    a2->AttachOutput(&o2);
    a3->AttachOutput(&o3);
    for (CReceptor* a : {a1, a2, a3}) a->m_bLinearOutput = true;
    a1->m_dNetInput = 0.3;  // no links: a pass gives 0 to all, so set values directly below
    m.Evaluate();
    a1->m_dOutput = 0.7;
    a2->m_dOutput = 0.9;
    a3->m_dOutput = 0.9;
    EXPECT_EQ(m.WinnerID(), a2->m_ID);        // training: first of the equals
    EXPECT_EQ(m.SelectWinner(), a2);          // display: first of the equals
    EXPECT_TRUE(a2->m_bSelected);
    EXPECT_FALSE(a3->m_bSelected);
    EXPECT_EQ(m.MarkLastBestWinner(), a3);    // scoring: last of the equals
    EXPECT_TRUE(a3->m_bWinner);
    EXPECT_FALSE(a2->m_bWinner);

    a2->m_dOutput = std::nan("");
    a3->m_dOutput = std::nan("");
    EXPECT_EQ(m.WinnerID(), a1->m_ID);  // NaN never wins

    // Linear outputs below -1 do not qualify; the scoring rule accepts exactly -1.
    a1->m_dOutput = a2->m_dOutput = a3->m_dOutput = -1.0;
    EXPECT_EQ(m.WinnerID(), 0);
    EXPECT_EQ(m.SelectWinner(), nullptr);
    EXPECT_EQ(m.MarkLastBestWinner(), a3);
}

TEST(Evaluation, NoAttachedActionsMeansNoWinnerAndSelectionKept) {
    CProject p;
    p.NewProject(kProjectNew);
    p.m_outputs.AddOutput(std::make_unique<COutput>());
    COutput* o = p.m_outputs.m_items.front().get();
    p.m_outputs.Select(o);
    p.Model()->AddReceptor(kAction, -1, 0, 0);  // not attached
    p.EvaluateAndShowWinner();
    EXPECT_EQ(p.Model()->WinnerID(), 0);
    ASSERT_EQ(p.m_outputs.m_selection.size(), 1u);
    EXPECT_EQ(p.m_outputs.m_selection.front().output, o);
}

TEST(Evaluation, ShowWinnerSelectsOnlyTheWinnersOutput) {
    CProject p;
    test::BuildProject(p, 1, 2);
    COutput* first = p.m_outputs.m_items[0].get();
    COutput* second = p.m_outputs.m_items[1].get();
    p.m_outputs.Select(first);
    p.m_outputs.Select(second);
    CReceptor* winnerAction = p.ActionForOutput(second);
    for (const CLink& l : winnerAction->m_inputLinks) l.connection->SetWeight(5.0);
    p.EvaluateAndShowWinner();
    ASSERT_EQ(p.m_outputs.m_selection.size(), 1u);
    EXPECT_EQ(p.m_outputs.m_selection.front().output, second);
    EXPECT_FALSE(first->m_bSelected);
}

}  // namespace
}  // namespace ks
