#include <gtest/gtest.h>

#include <chrono>

#include "model/project.h"
#include "support/network_fixture.h"
#include "support/recording_prompt.h"
#include "support/timing.h"
#include "training/endpoints.h"
#include "training/messages.h"

namespace ks {
namespace {

using test::AddAssembledInput;
using test::AddAssembledOutput;
using test::RangedRecord;
using test::RecordingPrompt;

class EndpointTest : public testing::Test {
protected:
    void SetUp() override {
        SeedRandom(9);
        p.NewProject(kProjectNew);
        yes.answers = {Answer::Yes, Answer::Yes, Answer::Yes};
    }
    void AddOutputs(int n) {
        for (int i = 0; i < n; ++i) AddAssembledOutput(p, "o" + std::to_string(i));
    }
    std::vector<std::vector<double>> Values() const {
        std::vector<std::vector<double>> out;
        for (const auto& s : p.Scenarios()->Scenarios()) {
            std::vector<double> row;
            for (const VARINFO& vi : s->m_inputs) row.push_back(vi.value);
            out.push_back(row);
        }
        return out;
    }
    CProject p;
    RecordingPrompt yes;
};

TEST_F(EndpointTest, TwoBooleansGiveFourScenariosInOrder) {
    AddAssembledInput(p, RangedRecord(0, 1, 0, kBoolean), "a");
    AddAssembledInput(p, RangedRecord(0, 1, 0, kBoolean), "b");
    AddOutputs(2);
    EXPECT_EQ(CreateEndpointScenarios(p, yes), 4);
    ASSERT_EQ(yes.asked.size(), 1u);
    EXPECT_EQ(yes.asked[0],
              "About to create 4 unique scenarios derived from min and max input values from the 2 input receptors "
              "to the New Trainable Model neural model. This will take a few minutes. Do you want to proceed?");
    EXPECT_EQ(Values(), (std::vector<std::vector<double>>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    const auto& list = p.Scenarios()->Scenarios();
    CReceptor* first = p.Model()->Actions()[0];
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list[i]->m_name, "Scenario: " + std::to_string(i + 1));
        EXPECT_EQ(list[i]->m_ID, static_cast<int>(i + 1));
        EXPECT_EQ(list[i]->m_pTarget, first);
        ASSERT_EQ(list[i]->m_outputs.size(), 2u);
        EXPECT_EQ(list[i]->m_outputs[0].level, 0.82);
        EXPECT_EQ(list[i]->m_outputs[1].level, 0.5);
    }
    for (const CLink& l : first->m_inputLinks) EXPECT_EQ(l.connection->Weight(), 0.5);
    for (const CLink& l : p.Model()->Actions()[1]->m_inputLinks) EXPECT_EQ(l.connection->Weight(), -0.5);
}

TEST_F(EndpointTest, LowAndHighValuesByType) {
    AddAssembledInput(p, RangedRecord(-2.7, 3.9), "ranged");
    VARIABLE_RECORD list;
    list.type = kDescriptorList;
    CVariable* d = AddAssembledInput(p, list, "list");
    for (int i = 0; i < 5; ++i) d->AddItem("i", i, i, false, 0);
    AddOutputs(1);
    EXPECT_EQ(CreateEndpointScenarios(p, yes), 4);
    EXPECT_EQ(Values(), (std::vector<std::vector<double>>{{-2, 0}, {-2, 4}, {3, 0}, {3, 4}}));
    const VARINFO& vi = p.Scenarios()->Scenarios()[0]->m_inputs[0];
    EXPECT_EQ(vi.minimum, -2.7);
    EXPECT_EQ(vi.maximum, 3.9);
}

TEST_F(EndpointTest, DuplicatesAreSuppressedButTheCountIsStillReturned) {
    AddAssembledInput(p, RangedRecord(0, 1, 0, kBoolean), "a");
    AddAssembledInput(p, RangedRecord(0.2, 0.9), "flat");  // low and high both truncate to 0
    AddOutputs(2);
    // An existing scenario with the inputs (1, 0) but another target.
    p.m_inputs.m_items[0]->SetValue(1);
    p.m_inputs.m_items[1]->SetValue(0);
    p.Scenarios()->CreateScenario(p.Model()->Actions()[1]);
    EXPECT_EQ(CreateEndpointScenarios(p, yes), 4);
    EXPECT_EQ(Values(), (std::vector<std::vector<double>>{{1, 0}, {0, 0}}));
    // A second run adds nothing and presets the weights again.
    p.Model()->Actions()[0]->m_inputLinks[0].connection->SetWeight(3.0);
    EXPECT_EQ(CreateEndpointScenarios(p, yes), 4);
    EXPECT_EQ(p.Scenarios()->Count(), 2);
    EXPECT_EQ(p.Model()->Actions()[0]->m_inputLinks[0].connection->Weight(), 0.5);
}

TEST_F(EndpointTest, RefusalsAndLimits) {
    AddOutputs(1);
    RecordingPrompt none;
    EXPECT_EQ(CreateEndpointScenarios(p, none), 0);
    EXPECT_EQ(none.notices, std::vector<std::string>{
                                "The New Trainable Model neural model does not currently have inputs connected to it. "
                                "Initial scenarios cannot be made."});

    for (int i = 0; i < 10; ++i) AddAssembledInput(p, RangedRecord(0, 1, 0, kBoolean), "b" + std::to_string(i));
    RecordingPrompt no;
    no.answers = {Answer::No};
    EXPECT_EQ(CreateEndpointScenarios(p, no), 0);
    EXPECT_EQ(p.Scenarios()->Count(), 0);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CreateEndpointScenarios(p, yes), 1024);
    EXPECT_LT(std::chrono::steady_clock::now() - start, test::Budget(1000));
    EXPECT_EQ(p.Scenarios()->Count(), 1024);

    AddAssembledInput(p, RangedRecord(0, 1, 0, kBoolean), "eleventh");
    RecordingPrompt eleven;
    eleven.answers = {Answer::Yes};
    EXPECT_EQ(CreateEndpointScenarios(p, eleven), 0);
    ASSERT_EQ(eleven.asked.size(), 1u);
    EXPECT_NE(eleven.asked[0].find("create 2048 unique"), std::string::npos);
    EXPECT_EQ(eleven.notices, std::vector<std::string>{msg::kEndpointTooMany});
    EXPECT_EQ(p.Scenarios()->Count(), 1024);
}

}  // namespace
}  // namespace ks
