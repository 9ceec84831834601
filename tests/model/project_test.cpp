#include <gtest/gtest.h>

#include "model/messages.h"
#include "model/project.h"
#include "support/network_fixture.h"

namespace ks {
namespace {

using test::AddAssembledInput;
using test::AddAssembledOutput;
using test::BuildProject;
using test::RangedRecord;

TEST(Project, NewTrainableProjectDefaults) {
    MemorySettingsStore store;
    store.WriteInt(kSettingsSection, kKeyLearnRate, 260);
    CProject p(&store);
    EXPECT_EQ(p.NewProject(kProjectNew), 1);
    EXPECT_EQ(p.m_name, msg::kNewTrainableModel);
    EXPECT_EQ(p.Model()->m_name, msg::kNewTrainableModel);
    EXPECT_TRUE(p.m_bModelView);
    EXPECT_TRUE(p.m_bShowConnections);
    EXPECT_EQ(p.Model()->m_iModelType, 2);
    EXPECT_FALSE(p.Model()->m_bAccumulateChanges);
    EXPECT_EQ(p.Model()->CountReceptors(kProcessor), 1);
    EXPECT_EQ(p.Model()->CountReceptors(0), 1);
    EXPECT_EQ(p.m_inputs.Count(), 0);
    EXPECT_EQ(p.Scenarios()->Count(), 0);
    EXPECT_EQ(p.Scenarios()->m_ID, 10);
    EXPECT_EQ(p.Scenarios()->m_iOwnerModelID, p.Model()->m_ID);
    EXPECT_EQ(p.Model()->m_pScenarioMgr, p.Scenarios());
    EXPECT_EQ(p.Model()->m_dLearnRate, static_cast<double>(0.26f));
    EXPECT_EQ(p.Model()->m_dMomentum, 0.75);  // absent: built-in default
    EXPECT_EQ(p.Scenarios()->m_iBatchSize, 4);
    EXPECT_EQ(p.m_training.model, p.Model());
}

TEST(Project, CloseKeepsOptionsAndNewResetsColours) {
    CProject p;
    BuildProject(p, 2, 1);
    p.m_inputs.Select(p.m_inputs.m_items[0].get());
    p.m_inputs.Select(p.m_inputs.m_items[1].get());
    p.m_bShowValues = false;
    p.m_bShowNames = false;
    p.m_colours[kSlotBackground] = 0x123456;
    p.m_bAutoAssembly = true;
    p.ClearProject();
    EXPECT_FALSE(p.m_bOpen);
    EXPECT_EQ(p.Model(), nullptr);
    EXPECT_EQ(p.m_colours[kSlotBackground], 0x123456u);
    EXPECT_TRUE(p.m_bAutoAssembly);

    p.NewProject(kProjectNew);
    EXPECT_TRUE(p.m_inputs.m_selection.empty());
    EXPECT_EQ(p.m_inputs.Count(), 0);
    EXPECT_EQ(p.m_colours[kSlotBackground], 0xFFFFFFu);
    EXPECT_EQ(p.Model()->m_colours[kSlotBackground], 0xFFFFFFu);
    EXPECT_FALSE(p.m_bShowValues);
    EXPECT_FALSE(p.m_bShowNames);
}

TEST(Project, ReadinessAndQueries) {
    CProject p;
    EXPECT_FALSE(p.IsReady());
    p.NewProject(kProjectNew);
    AddAssembledInput(p, RangedRecord(0, 1), "a");
    EXPECT_FALSE(p.IsReady());  // inputs but no outputs
    EXPECT_EQ(p.ScenarioCount(), 0);
    COutput* o = AddAssembledOutput(p, "yes");
    EXPECT_TRUE(p.IsReady());
    EXPECT_EQ(p.ActionForOutput(o), p.Model()->Actions().front());

    CReceptor* r = p.Model()->Actions().front();
    p.m_viewOffset = {5, 7};
    EXPECT_EQ(p.ReceptorAtCanvasPoint(r->m_pos.x + 5, r->m_pos.y + 7), r);
    EXPECT_EQ(p.NewProject(9), 9);
}

TEST(Project, UpdateNetworkCounts) {
    CProject p;
    p.NewProject(kProjectNew);
    CReceptorMgr& m = *p.Model();
    CReceptor* proc = m.Processors().front();
    for (int i = 0; i < 3; ++i) m.ConnectToProcessors(m.AddReceptor(kSensor, -1, 0, 0));
    m.AddReceptor(kAction, -1, 0, 0);
    m.AddReceptor(kAction, -1, 0, 0);
    m.ConnectToActions(proc);
    p.UpdateNetwork();
    EXPECT_EQ(p.m_iReceptorCount, 6);
    EXPECT_EQ(p.m_iConnectionCount, 5);
}

TEST(Structure, FirstInputGetsSensorAndSecondProcessor) {
    CProject p;
    SeedRandom(5);
    p.NewProject(kProjectNew);
    CVariable* v = p.AddInput(RangedRecord(0, 10), "Speed");
    p.m_bAutoAssembly = true;
    CReceptor* s = p.AttachNewInput(v, {0, 0});
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->m_outputLinks.size(), 1u);
    EXPECT_DOUBLE_EQ(s->m_outputLinks[0].connection->Weight(), 0.5);
    EXPECT_EQ(p.EnsureProcessors(), 1);  // m = max(1, 0) + 1 = 2
    EXPECT_EQ(p.Model()->CountReceptors(kProcessor), 2);
    EXPECT_EQ(s->m_outputLinks.size(), 2u);
    for (const auto& c : p.Model()->m_connections) EXPECT_NE(c->Weight(), 0.5);  // re-randomised
    EXPECT_EQ(p.EnsureProcessors(), 0);
}

TEST(Structure, EnsureProcessorsKeepsOneMoreThanInputsOrOutputs) {
    CProject p;
    BuildProject(p, 3, 2);
    EXPECT_EQ(p.Model()->CountReceptors(kProcessor), 4);
    p.AddProcessors(2);
    EXPECT_EQ(p.EnsureProcessors(), 0);
    EXPECT_EQ(p.Model()->CountReceptors(kProcessor), 6);
    for (CReceptor* proc : p.Model()->Processors()) {
        EXPECT_EQ(proc->m_inputLinks.size(), 3u);
        EXPECT_EQ(proc->m_outputLinks.size(), 2u);
    }
}

TEST(Structure, FreeSensorIsReusedBeforeCreatingOne) {
    CProject p;
    p.NewProject(kProjectNew);
    CReceptor* spare = p.Model()->AddReceptor(kSensor, -1, 0, 0);
    CVariable* v = p.AddInput(RangedRecord(0, 1), "x");
    p.m_bAutoAssembly = true;
    EXPECT_EQ(p.AttachNewInput(v, {0, 0}), spare);
    EXPECT_EQ(p.Model()->CountReceptors(kSensor), 1);
    p.m_bAutoAssembly = false;
    EXPECT_EQ(p.AttachNewInput(v, {0, 0}), nullptr);
}

TEST(Structure, ProcessorBiasOnlyOnceAndRemoveLastProcessorTakesOwnBias) {
    CProject p;
    BuildProject(p, 1, 1);  // two processors
    CReceptorMgr& m = *p.Model();
    EXPECT_TRUE(AddBiasToKind(m, kProcessor));
    EXPECT_EQ(m.CountReceptors(kBias), 2);
    const CReceptor* firstBias = m.Biases().front();
    EXPECT_EQ(firstBias->m_pos.x, m.Processors().front()->m_pos.x + 40);
    EXPECT_EQ(firstBias->m_outputLinks[0].connection->m_colour, 0xC0C0C0u);
    EXPECT_FALSE(AddBiasToKind(m, kProcessor));
    EXPECT_EQ(m.CountReceptors(kBias), 2);

    // A bias shared by the last processor and another survives; its own bias goes.
    CReceptor* last = m.Processors().back();
    CReceptor* sharedBias = m.Biases().front();
    m.AddConnection(sharedBias, last, 0, 0.1);
    EXPECT_EQ(p.RemoveLastProcessor(), 1);
    EXPECT_EQ(m.CountReceptors(kProcessor), 1);
    ASSERT_EQ(m.CountReceptors(kBias), 1);
    EXPECT_EQ(m.Biases().front(), sharedBias);
    EXPECT_EQ(p.RemoveLastProcessor(), 0);  // never the only one
}

TEST(Structure, AlignNetworkCentresRows) {
    CProject p;
    BuildProject(p, 3, 1);
    p.m_viewOffset = {30, 40};
    p.AlignNetwork(400, 0, 0, 600);
    EXPECT_EQ(p.m_viewOffset, (KPoint{0, 0}));
    const auto& s = p.Model()->Sensors();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0]->m_pos, (KPoint{232, 40}));
    EXPECT_EQ(s[1]->m_pos.x, 288);
    EXPECT_EQ(s[2]->m_pos.x, 344);
    EXPECT_EQ(p.Model()->Actions()[0]->m_pos, (KPoint{288, 336}));
    EXPECT_EQ(p.Model()->Processors()[0]->m_pos.y, 188);
    EXPECT_TRUE(p.Model()->Actions()[0]->m_bSelected);  // the action row stays selected
}

TEST(Structure, DeletingSelectedOutputTakesItsActionAndScenarios) {
    CProject p;
    BuildProject(p, 1, 2);
    COutput* doomed = p.m_outputs.m_items[0].get();
    CReceptor* doomedAction = p.ActionForOutput(doomed);
    CReceptor* keptAction = p.ActionForOutput(p.m_outputs.m_items[1].get());
    CScenarioMgr& sm = *p.Scenarios();
    sm.CreateScenario(doomedAction);
    CScenario* kept = sm.CreateScenario(keptAction);
    sm.CreateScenario(doomedAction);
    const auto processors = p.Model()->CountReceptors(kProcessor);
    p.m_outputs.ClearSelection();
    p.m_outputs.Select(doomed);
    EXPECT_EQ(p.RemoveSelectedOutputs(), 1);
    ASSERT_EQ(sm.Count(), 1);
    EXPECT_EQ(sm.Scenarios().front().get(), kept);
    EXPECT_EQ(p.m_outputs.Count(), 1);
    EXPECT_EQ(p.Model()->Actions().size(), 1u);
    EXPECT_EQ(p.Model()->CountReceptors(kProcessor), processors);
    EXPECT_EQ(p.Model()->m_iOutputCount, 1);
}

TEST(Structure, DeletingSelectedInputRemovesSensorAndStoredValues) {
    CProject p;
    BuildProject(p, 3, 1);
    p.Scenarios()->CreateScenario(nullptr);
    CVariable* middle = p.m_inputs.m_items[1].get();
    const std::int32_t id = middle->m_ID;
    p.m_inputs.Select(middle);
    EXPECT_EQ(p.RemoveSelectedInputs(), 1);
    EXPECT_EQ(p.m_inputs.Count(), 2);
    EXPECT_EQ(p.Model()->CountReceptors(kSensor), 2);
    const auto& values = p.Scenarios()->Scenarios().front()->m_inputs;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].variableID, p.m_inputs.m_items[0]->m_ID);
    EXPECT_EQ(values[1].variableID, p.m_inputs.m_items[1]->m_ID);
    for (const VARINFO& vi : values) EXPECT_NE(vi.variableID, id);
}

TEST(Structure, RecountOutputScenarios) {
    CProject p;
    BuildProject(p, 1, 2);
    CReceptor* a = p.ActionForOutput(p.m_outputs.m_items[1].get());
    for (int i = 0; i < 3; ++i) p.Scenarios()->CreateScenario(a);
    p.RecountOutputScenarios();
    EXPECT_EQ(p.m_outputs.m_items[1]->m_countLabel, "(3)");
    EXPECT_EQ(p.m_outputs.m_items[0]->m_countLabel, "(0)");
}

}  // namespace
}  // namespace ks

namespace ks {
namespace {

TEST(Structure, CentredBarOffsets) {
    EXPECT_EQ(CProject::CentredBarOffset(1, 64, 10, 720), 329);  // one input: 329..393
    EXPECT_EQ(CProject::CentredBarOffset(3, 52, 10, 720), 273);  // three outputs
}

}  // namespace
}  // namespace ks
