#include <gtest/gtest.h>

#include <chrono>

#include "model/project.h"
#include "support/network_fixture.h"
#include "support/timing.h"

namespace ks {
namespace {

using test::BuildProject;

std::vector<std::string> SortedNames(const CScenarioMgr& sm) {
    std::vector<std::string> names;
    for (const CScenario* s : sm.Sorted()) names.push_back(s->m_name);
    return names;
}

class ScenarioTest : public testing::Test {
protected:
    void SetUp() override { BuildProject(p, 3, 2); }
    CScenarioMgr& Sm() { return *p.Scenarios(); }
    CScenario* Add(const std::string& name, double v0, int targetIndex = 0) {
        p.m_inputs.m_items[0]->SetValue(v0);
        CScenario* s = Sm().CreateScenario(p.Model()->Actions()[static_cast<std::size_t>(targetIndex)]);
        s->m_name = name;
        return s;
    }
    CProject p;
};

TEST_F(ScenarioTest, CreateCapturesAttachedSensorsInOrder) {
    CScenario* s = Sm().CreateScenario(nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->m_name, "Scenario: 1");
    ASSERT_EQ(s->m_inputs.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(s->m_inputs[i].receptorID, p.Model()->Sensors()[i]->m_ID);
    EXPECT_EQ(s->m_iTargetID, p.Model()->Actions().front()->m_ID);
    EXPECT_TRUE(s->m_bInTrainingSet);
    EXPECT_EQ(Sm().Columns().size(), 6u);  // Scenario, three inputs, Target, CrOut
    EXPECT_EQ(Sm().Columns()[1].width, 8 * 3);
    EXPECT_EQ(Sm().Columns()[4].left, 100 + 24 * 3);
    EXPECT_EQ(Sm().CreateScenario(nullptr)->m_name, "Scenario: 2");
}

TEST(Scenario, CreateNeedsAnActionReceptorButNotInputs) {
    CProject p;
    p.NewProject(kProjectNew);
    EXPECT_EQ(p.Scenarios()->CreateScenario(nullptr), nullptr);
    CReceptor* a = p.Model()->AddReceptor(kAction, -1, 0, 0);
    CScenario* s = p.Scenarios()->CreateScenario(nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->m_inputs.empty());
    EXPECT_EQ(s->m_iTargetID, a->m_ID);
}

TEST_F(ScenarioTest, SortOrdersWithTies) {
    Add("Scenario: 1", 5);
    Add("Scenario: 2", 1);
    Add("Scenario: 3", 5);
    Add("Apple", 9);
    const std::int32_t inputColumn = 1;
    struct Case { std::int32_t column, mode; std::vector<std::string> order; };
    const Case cases[] = {
        {0, kSortAscending, {"Apple", "Scenario: 3", "Scenario: 2", "Scenario: 1"}},
        {0, kSortDescending, {"Scenario: 3", "Scenario: 2", "Scenario: 1", "Apple"}},
        {inputColumn, kSortAscending, {"Scenario: 2", "Scenario: 3", "Scenario: 1", "Apple"}},
        {inputColumn, kSortDescending, {"Apple", "Scenario: 3", "Scenario: 1", "Scenario: 2"}},
        {0, kSortListOrder, {"Scenario: 1", "Scenario: 2", "Scenario: 3", "Apple"}},
    };
    for (const Case& c : cases) {
        Sm().SortScenarios(c.column, c.mode);
        EXPECT_EQ(SortedNames(Sm()), c.order) << c.column << "/" << c.mode;
    }
    Sm().SortScenarios(inputColumn, kSortAscending);
    EXPECT_EQ(Sm().Sorted().front()->m_iDisplayIndex, 1);
    Sm().SortScenarios(0, kSortReapply);  // re-applies the remembered column and mode
    EXPECT_EQ(SortedNames(Sm()).front(), "Scenario: 2");
}

TEST_F(ScenarioTest, KeysBeyondStartValuesStillSort) {
    Add("a", 3e9);   // truncates to INT32_MIN, as NaN does
    Add("b", 1.5e9);
    Add("c", -1.5e9);
    Add("d", std::nan(""));
    Sm().SortScenarios(1, kSortAscending);
    EXPECT_EQ(SortedNames(Sm()), (std::vector<std::string>{"d", "a", "c", "b"}));
    Sm().SortScenarios(1, kSortDescending);
    EXPECT_EQ(SortedNames(Sm()), (std::vector<std::string>{"b", "c", "d", "a"}));
}

TEST(Scenario, HundredThousandScenariosSortQuickly) {
    CProject p;
    BuildProject(p, 1, 1);
    CScenarioMgr& sm = *p.Scenarios();
    for (int i = 0; i < 100000; ++i) {
        CScenario* s = sm.AppendScenario(i + 1);
        s->m_name = std::string(1, static_cast<char>('A' + i % 26));
        s->m_inputs.push_back({p.Model()->Sensors()[0]->m_ID, 0, p.m_inputs.m_items[0]->m_ID, 0, 10, double(i % 977)});
    }
    sm.BuildColumns();
    const auto start = std::chrono::steady_clock::now();
    sm.SortScenarios(0, kSortAscending);
    sm.SortScenarios(1, kSortDescending);
    EXPECT_LT(std::chrono::steady_clock::now() - start, test::Budget(1000));
    ASSERT_EQ(sm.Sorted().size(), 100000u);
    EXPECT_EQ(sm.Sorted().front()->m_inputs[0].value, 976.0);
    sm.SelectAll();
    EXPECT_EQ(sm.DeleteSelected(), 100000);
    EXPECT_TRUE(sm.Sorted().empty());
}

TEST_F(ScenarioTest, CompareScenarios) {
    CScenario* a = Add("a", 1, 0);
    CScenario* same = Add("b", 1, 0);
    CScenario* otherTarget = Add("c", 1, 1);
    CScenario* differs = Add("d", 1.0000001, 0);
    EXPECT_EQ(CScenarioMgr::CompareScenarios(a, same), 1);
    EXPECT_EQ(CScenarioMgr::CompareScenarios(a, otherTarget), -1);
    EXPECT_EQ(CScenarioMgr::CompareScenarios(a, differs), 0);
    // Candidate entries the existing scenario lacks are not considered.
    CScenario* fewer = Sm().AppendScenario(999);
    EXPECT_EQ(CScenarioMgr::CompareScenarios(fewer, a), 1 - 2 * (fewer->m_iTargetID != a->m_iTargetID));
}

TEST_F(ScenarioTest, DeletingLeavesNoReferenceBehind) {
    CScenario* a = Add("a", 1);
    CScenario* b = Add("b", 2);
    CScenario* c = Add("c", 3);
    Sm().m_active = {{a->m_ID, a}, {b->m_ID, b}};
    Sm().m_newlyAdded = {{b->m_ID, b}};
    Sm().Select(b);
    p.m_training.cursor = b;
    Sm().SortScenarios(0, kSortAscending);
    Sm().DeleteScenario(b);
    EXPECT_EQ(p.m_training.cursor, nullptr);
    EXPECT_TRUE(Sm().m_selection.empty());
    ASSERT_EQ(Sm().m_active.size(), 1u);
    EXPECT_EQ(Sm().m_active[0].scenario, a);
    EXPECT_TRUE(Sm().m_newlyAdded.empty());
    EXPECT_EQ(Sm().Sorted().size(), 2u);

    p.m_training.cursor = c;
    Sm().SelectAll();
    EXPECT_EQ(Sm().DeleteSelected(), 2);
    EXPECT_EQ(p.m_training.cursor, nullptr);
    EXPECT_TRUE(Sm().Sorted().empty());
    EXPECT_TRUE(Sm().m_active.empty());
    EXPECT_EQ(Sm().Count(), 0);
}

TEST_F(ScenarioTest, MissingTargetScoresZeroAndIsNeverLearned) {
    CScenario* s = Add("x", 1);
    s->m_iTargetID = 0;  // no receptor has ID 0
    s->m_pTarget = nullptr;
    // Make sure some receptor could win with ID 0 compared: no attached outputs.
    for (CReceptor* a : p.Model()->Actions()) a->m_bAttachedToOutput = false;
    Sm().EvaluateScenario(s);
    EXPECT_FALSE(s->m_bLearned);
    EXPECT_EQ(s->m_fScore, 0.0f);
    Sm().ScoreAll();
    EXPECT_EQ(s->m_fScore, 0.0f);

    // Deleting a target receptor clears the reference instead of leaving it dangling.
    CScenario* t = Add("y", 1, 1);
    p.Model()->DeleteReceptor(t->m_pTarget);
    EXPECT_EQ(t->m_pTarget, nullptr);
    Sm().EvaluateAll();
    EXPECT_FALSE(t->m_bLearned);
}

TEST_F(ScenarioTest, ApplyAndEvaluate) {
    CScenario* s = Add("x", 7, 1);
    p.m_inputs.m_items[0]->SetValue(0);
    Sm().ApplyScenario(s);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dValue, 7.0);
    const auto& actions = p.Model()->Actions();
    EXPECT_TRUE(actions[1]->m_bTarget);
    EXPECT_EQ(actions[1]->m_dTargetValue, 0.8199999928474426);
    EXPECT_EQ(actions[0]->m_dTargetValue, 0.5);

    Sm().EvaluateAll();
    const bool learned = p.Model()->WinnerID() == s->m_iTargetID;
    EXPECT_EQ(s->m_bLearned, learned);
    EXPECT_EQ(s->m_fScore, learned ? 1.0f : static_cast<float>(actions[1]->m_dOutput));
    EXPECT_EQ(Sm().m_iTrainingSetSize, 1);
}

TEST_F(ScenarioTest, SetTargetOfSelectionClearsLearned) {
    CScenario* a = Add("a", 1);
    CScenario* b = Add("b", 2);
    a->m_bLearned = b->m_bLearned = true;
    Sm().Select(a);
    EXPECT_EQ(Sm().SetTargetOfSelection(p.Model()->Actions()[1]->m_ID), 1);
    EXPECT_EQ(a->m_pTarget, p.Model()->Actions()[1]);
    EXPECT_FALSE(b->m_bLearned);
}

}  // namespace
}  // namespace ks
