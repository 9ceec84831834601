// The session's operations leave the project as true as it looks: every
// scenario's status is what the network decides, the rules of adding and
// deleting hold, and refusals say why.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/random.h"
#include "session/session.h"
#include "session/session_messages.h"
#include "support/network_fixture.h"
#include "support/recording_prompt.h"

namespace ks {
namespace {

// Whether the network, as it is now, decides each scenario's target.
std::vector<bool> Decided(CProject& p) {
    std::vector<bool> out;
    CScenarioMgr& sm = *p.Scenarios();
    for (const auto& s : sm.Scenarios()) {
        sm.ApplyScenario(s.get());
        p.Model()->Evaluate();
        out.push_back(s->m_pTarget && p.Model()->WinnerID() == s->m_iTargetID);
    }
    return out;
}

std::vector<bool> Shown(CProject& p) {
    std::vector<bool> out;
    for (const auto& s : p.Scenarios()->Scenarios()) out.push_back(s->m_bLearned);
    return out;
}

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.onChanged = [this](unsigned c) { changes.push_back(c); };
        ASSERT_TRUE(session.Open(KESTRINE_EXAMPLES "/fruit_sorting.ksm").ok);
        ASSERT_EQ(project.Scenarios()->m_iLearnedCount, 12);  // the example is fully trained
    }

    test::RecordingPrompt prompt;
    CProject project;
    CSession session{project, prompt};
    std::vector<unsigned> changes;
};

// Every operation that changes the weights or the wiring scores the scenarios
// again, so the list never says "Learned" for a case the network gets wrong.
TEST_F(SessionTest, StatusesFollowTheNetworkAfterEveryStructuralChange) {
    struct Case {
        const char* name;
        std::function<void(CSession&, CProject&)> run;
    };
    const std::vector<Case> cases = {
        {"add processor", [](CSession& s, CProject&) { EXPECT_TRUE(s.AddProcessor()); }},
        {"less processors", [](CSession& s, CProject&) { s.RemoveProcessor(); }},
        {"processor bias", [](CSession& s, CProject&) { s.AddBiasToKind(kProcessor); }},
        {"remove biases", [](CSession& s, CProject&) { s.RemoveBiases(); }},
        {"erase knowledge", [](CSession& s, CProject&) { s.EraseKnowledge(); }},
        {"weight", [](CSession& s, CProject& p) { s.SetWeight(p.Model()->m_connections.front().get(), -40.0); }},
        {"processor dropped", [](CSession& s, CProject&) { s.DropReceptor(kTargetPaletteProcessor, {300, 200}, {316, 216}); }},
        {"retargeted", [](CSession& s, CProject& p) {
             p.Scenarios()->Select(p.Scenarios()->Scenarios().front().get());
             s.RetargetSelection(p.Model()->Actions().back()->m_ID);
         }},
    };
    SeedRandom(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.run(session, project);
        const std::vector<bool> shown = Shown(project);
        EXPECT_EQ(shown, Decided(project));
        std::int32_t learned = 0;
        for (bool b : shown) learned += b;
        EXPECT_EQ(session.Figures().learned, learned);
    }
    // Fresh weights undo what was learned: the statuses must have moved at least once.
    EXPECT_LT(session.Figures().learned, 12);
}

TEST_F(SessionTest, RescoringKeepsTheInputsTheUserSet) {
    CVariable* weight = project.m_inputs.m_items[1].get();
    weight->SetValue(weight->m_dMin + 0.25 * weight->m_dRange);
    const double set = weight->m_dValue;
    session.AddBiasToKind(kAction);
    EXPECT_EQ(weight->m_dValue, set);
}

TEST_F(SessionTest, NewInputIsStoredInEveryScenarioAtItsValue) {
    prompt.answers = {Answer::Yes};
    ASSERT_TRUE(session.ConfirmAddInput());
    EXPECT_EQ(prompt.asked.size(), 1u);
    InputSpec spec;
    spec.record = test::RangedRecord(0, 5, 2);
    spec.name = "Ripeness";
    CVariable* v = session.AddInput(spec);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->m_name, "Ripeness");
    for (const auto& s : project.Scenarios()->Scenarios()) {
        ASSERT_EQ(s->m_inputs.size(), 4u);
        EXPECT_EQ(s->m_inputs.back().variableID, v->m_ID);
        EXPECT_EQ(s->m_inputs.back().value, 2.0);
    }
    // One more input than outputs needs max(4, 5) + 1 processors.
    EXPECT_EQ(project.Model()->CountReceptors(kProcessor), 6);
    EXPECT_EQ(Shown(project), Decided(project));
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(changes.back() & kChangedElements);
    EXPECT_TRUE(changes.back() & kChangedScenarios);
}

TEST_F(SessionTest, DeletingAnswersNoKeepsEverything) {
    project.m_inputs.Select(project.m_inputs.m_items.front().get());
    prompt.answers = {Answer::No};
    EXPECT_FALSE(session.DeleteSelectedInputs());
    EXPECT_EQ(project.m_inputs.Count(), 3);
    prompt.answers = {Answer::Yes};
    EXPECT_TRUE(session.DeleteSelectedInputs());
    EXPECT_EQ(project.m_inputs.Count(), 2);
    EXPECT_EQ(Shown(project), Decided(project));
}

TEST_F(SessionTest, RefusedAttachmentsSayWhy) {
    CReceptorMgr& m = *project.Model();
    CReceptor* processor = m.Processors().front();
    CReceptor* sensor = m.Sensors().front();
    CReceptor* action = m.Actions().front();
    CVariable* input = project.m_inputs.m_items.front().get();
    COutput* output = project.m_outputs.m_items.front().get();
    EXPECT_FALSE(session.AttachInputTo(processor, input));
    EXPECT_FALSE(session.AttachInputTo(sensor, input));
    EXPECT_FALSE(session.AttachOutputTo(processor, output));
    EXPECT_FALSE(session.AttachOutputTo(action, output));
    const std::vector<std::string> expected = {msg::kInputsOnlyToSensors, msg::kSensorAlreadyAttached,
                                               msg::kOutputsOnlyToActions, msg::kActionAlreadyAttached};
    EXPECT_EQ(prompt.notices, expected);
}

TEST_F(SessionTest, BiasDroppedOntoAReceptorFeedsIt) {
    CReceptor* target = project.Model()->Processors().front();
    const KPoint centre{target->m_geo.body.left + target->m_iSize / 2, target->m_geo.body.top + target->m_iSize / 2};
    const std::size_t links = target->m_inputLinks.size();
    session.DropReceptor(kTargetPaletteBias, {centre.x - 16, centre.y - 16}, centre);
    ASSERT_EQ(target->m_inputLinks.size(), links + 1);
    EXPECT_EQ(target->m_inputLinks.back().connection->m_pSender->m_iKind, kBias);
    EXPECT_EQ(target->m_inputLinks.back().connection->Weight(), 1.0);
}

TEST_F(SessionTest, ClosingStopsTrainingAndEmptiesTheProject) {
    project.m_trainingSeed = 3;
    session.EraseKnowledge();
    ASSERT_EQ(session.StartStopTraining(), 1);
    session.CloseProject();
    EXPECT_FALSE(session.Runner().IsRunning());
    EXPECT_FALSE(project.m_bOpen);
    EXPECT_TRUE(changes.back() & kChangedProject);
    // The panels show nothing of the closed project.
    const PanelFigures f = session.Figures();
    EXPECT_EQ(project.m_name, "");
    EXPECT_EQ(f.elapsedText, "00:00");
    EXPECT_EQ(f.cycles, 0);
    EXPECT_EQ(f.simulationTicks, 0);
}

// "Sim Tick" counts simulation steps only, from 0 in every new project.
TEST_F(SessionTest, SimulationTicksAreNotTrainingCycles) {
    EXPECT_EQ(session.Figures().simulationTicks, 0);
    session.SimulationStep();
    session.SimulationStep();
    EXPECT_EQ(session.Figures().simulationTicks, 2);
    project.m_trainingSeed = 3;
    session.EraseKnowledge();
    ASSERT_EQ(session.StartStopTraining(), 1);
    session.Runner().WaitForEnd(std::chrono::milliseconds(200));
    session.Runner().Stop();
    session.EndTraining();
    EXPECT_GT(session.Figures().cycles, 0);
    EXPECT_EQ(session.Figures().simulationTicks, 2);
    // The highlighted output is the network's decision for the inputs on show.
    CReceptorMgr& m = *project.Model();
    m.Evaluate();
    const CReceptor* w = m.SelectWinner();
    ASSERT_TRUE(w && w->m_pOutput);
    ASSERT_EQ(project.m_outputs.m_selection.size(), 1u);
    EXPECT_EQ(project.m_outputs.m_selection[0].output, w->m_pOutput);
    session.SimulationReset();
    EXPECT_EQ(session.Figures().simulationTicks, 1);
    session.NewProject();
    EXPECT_EQ(session.Figures().simulationTicks, 0);
    EXPECT_EQ(session.Figures().cycles, 0);
}

// Undo gives back the project as it was before the edit, byte for byte, and
// Redo the edit; a training run starts the history afresh.
TEST_F(SessionTest, UndoAndRedoOfEdits) {
    EXPECT_EQ(session.UndoName(), "");
    EXPECT_FALSE(session.Undo());
    const auto before = session.Image();
    const std::size_t processors = project.Model()->Processors().size();
    ASSERT_TRUE(session.AddProcessor());
    const auto after = session.Image();
    EXPECT_EQ(session.UndoName(), "Add Processor");
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.Image(), before);
    EXPECT_EQ(project.Model()->Processors().size(), processors);
    EXPECT_EQ(Shown(project), Decided(project));  // the statuses are the restored network's
    EXPECT_EQ(project.Scenarios()->m_iLearnedCount, 12);
    EXPECT_EQ(session.RedoName(), "Add Processor");
    ASSERT_TRUE(session.Redo());
    EXPECT_EQ(session.Image(), after);

    session.EraseKnowledge();
    prompt.answers = {Answer::Yes};
    ASSERT_TRUE(session.DeleteAllScenarios());
    EXPECT_EQ(project.Scenarios()->Count(), 0);
    EXPECT_EQ(session.UndoName(), "Delete All Scenarios");
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(project.Scenarios()->Count(), 12);
    EXPECT_EQ(session.UndoName(), "Erase Knowledge");
    ASSERT_TRUE(session.Undo());
    EXPECT_EQ(session.Image(), after);
    EXPECT_EQ(project.m_name, "fruit_sorting.ksm");  // the project keeps its name

    project.m_trainingSeed = 3;
    ASSERT_TRUE(session.AddProcessor());
    ASSERT_EQ(session.StartStopTraining(), 1);
    EXPECT_EQ(session.UndoName(), "");
    session.Runner().Stop();
    session.EndTraining();
    EXPECT_FALSE(session.Undo());
}

}  // namespace
}  // namespace ks
