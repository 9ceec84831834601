#include "session/session.h"

#include <algorithm>

#include "model/numeric.h"
#include "model/prompt.h"
#include "model/settings_store.h"
#include "model/text.h"
#include "session/session_messages.h"
#include "training/endpoints.h"
#include "training/simulation.h"

namespace ks {

namespace {

// New elements are attached with the automatic-attachment switch set for the call only.
template <class F>
void WithAutoAssembly(CProject& project, F attach) {
    const bool saved = project.m_bAutoAssembly;
    project.m_bAutoAssembly = true;
    attach();
    project.m_bAutoAssembly = saved;
}

void GiveItems(CVariable* v, const InputSpec& spec) {
    v->ClearItems();
    for (const VARIABLE_ITEM& it : spec.items) v->AddItem(it.text, it.valueCode, it.index, it.colourCoding, it.colour);
}

}  // namespace

CSession::CSession(CProject& project, IPrompt& prompt, ISettingsStore* settings)
    : m_project(project), m_prompt(&prompt), m_settings(settings), m_runner(project) {}

CSession::~CSession() { m_runner.Stop(); }

void CSession::Changed(unsigned changes) {
    if (onChanged) onChanged(changes);
}

void CSession::Rescore() {
    m_project.m_training.passHolds = false;  // an edit: what the last pass found may no longer hold
    m_project.m_training.orderFreeVersion = ~std::uint64_t{0};
    CScenarioMgr* sm = m_project.Scenarios();
    if (!sm || sm->m_bTrainingInProgress) return;
    m_project.ScoreScenariosKeepingInputs();
}

void CSession::LayoutBars() {
    if (layoutBars) layoutBars();
}

// ------------------------------------------------------------ inputs and outputs

bool CSession::ConfirmAddInput() {
    const int scenarios = m_project.ScenarioCount();
    return scenarios == 0 || m_prompt->Ask(Format(msg::kAddInputQuestion, scenarios), Buttons::YesNoCancel) == Answer::Yes;
}

CVariable* CSession::AttachInput(const InputSpec& spec) {
    CVariable* v = m_runner.Locked([&] { return m_project.AddInput(spec.record, spec.name); });
    LayoutBars();  // the new sensor is placed below the input's item
    m_runner.Locked([&] {
        WithAutoAssembly(m_project, [&] { m_project.AttachNewInput(v, {0, 0}); });
        v->m_colour = spec.colour;
        if (v->m_iType == kDescriptorList) {
            GiveItems(v, spec);
            v->SetValue(spec.currentIndex);
        }
        m_project.UpdateNetwork();
    });
    return v;
}

CVariable* CSession::AddInput(const InputSpec& spec) {
    Checkpoint("Add Input");
    CVariable* v = AttachInput(spec);
    m_runner.Locked([&] {
        if (CScenarioMgr* sm = m_project.Scenarios())
            for (const auto& s : sm->Scenarios())
                s->m_inputs.push_back({v->m_iAttachedReceptorID, 0, v->m_ID, v->m_dMin, v->m_dMax, v->m_dValue});
        m_project.EnsureProcessors();
        m_project.UpdateNetwork();
        if (m_project.Scenarios()) m_project.Scenarios()->EvaluateAll();
    });
    Changed(kChangedElements | kChangedLayout | kChangedNetwork | kChangedScenarios);
    return v;
}

void CSession::EditInput(CVariable* input, const InputSpec& spec) {
    Checkpoint("Edit Input");
    m_runner.Locked([&] {
        const std::int32_t oldCount = input->ItemCount();
        input->RestoreFromRecord(spec.record);
        input->m_name = TruncateUtf16(spec.name, 99);
        input->m_colour = spec.colour;
        if (input->m_iType == kDescriptorList) {
            CScenarioMgr* sm = m_project.Scenarios();
            const auto newCount = static_cast<std::int32_t>(spec.items.size());
            if (sm && newCount < oldCount && m_project.Model()->m_iModelType == 2) {
                // Scenarios holding the vanished last item go with it.
                sm->ClearSelection();
                for (const auto& s : sm->Scenarios())
                    for (const VARINFO& vi : s->m_inputs)
                        if (vi.variableID == input->m_ID && Trunc32(vi.value) == oldCount - 1) sm->Select(s.get());
                sm->DeleteSelected();
            }
            input->ClearItems();
            input->SetRange(0.0, newCount - 1);
            GiveItems(input, spec);
            input->SetValue(spec.currentIndex);
        } else {
            input->SetValue(input->m_dValue);
        }
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedElements | kChangedNetwork | kChangedScenarios);
}

COutput* CSession::AttachOutput(std::unique_ptr<COutput> output, COLORREF colour) {
    COutput* o = output.get();
    m_runner.Locked([&] {
        o->m_colour = colour;
        m_project.m_outputs.AddOutput(std::move(output));
        m_project.UpdateNetwork();
    });
    LayoutBars();
    m_runner.Locked([&] {
        WithAutoAssembly(m_project, [&] { m_project.AttachNewOutput(o, {0, 0}); });
        m_project.UpdateNetwork();
    });
    return o;
}

COutput* CSession::AddOutput(std::unique_ptr<COutput> output, COLORREF colour) {
    Checkpoint("Add Output");
    COutput* o = AttachOutput(std::move(output), colour);
    const bool align = m_runner.Locked([&] {
        const bool grew = m_project.EnsureProcessors() > 0 || m_project.m_outputs.Count() == 1;
        m_project.UpdateNetwork();
        Rescore();
        return grew;
    });
    Changed(kChangedElements | kChangedNetwork | kChangedScenarios | (align ? kChangedLayout : 0u));
    return o;
}

void CSession::EditOutput(COutput* output, const std::string& name, COLORREF colour) {
    Checkpoint("Edit Output");
    m_runner.Locked([&] {
        output->m_name = name;
        output->m_colour = colour;
    });
    Changed(kChangedElements | kChangedScenarios);
}

bool CSession::DeleteSelectedInputs() {
    const int scenarios = m_project.ScenarioCount();
    if (scenarios > 0 && m_prompt->Ask(Format(msg::kDeleteInputsQuestion, scenarios), Buttons::YesNo) != Answer::Yes)
        return false;
    Checkpoint("Delete Inputs");
    m_runner.Locked([&] {
        m_project.RemoveSelectedInputs();
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedElements | kChangedNetwork | kChangedScenarios);
    return true;
}

bool CSession::DeleteSelectedOutputs() {
    const int targeted = m_project.ScenariosForSelectedOutputs();
    if (targeted > 0 && m_prompt->Ask(Format(msg::kDeleteOutputsQuestion, targeted), Buttons::YesNo) != Answer::Yes)
        return false;
    Checkpoint("Delete Outputs");
    m_runner.Locked([&] {
        m_project.RemoveSelectedOutputs();
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedElements | kChangedNetwork | kChangedScenarios);
    return true;
}

// ------------------------------------------------------------------ the network

void CSession::EnsureProcessors() {
    m_runner.Locked([&] {
        m_project.EnsureProcessors();
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedLayout | kChangedScenarios);
}

bool CSession::AddProcessor() {
    const bool marked = Checkpoint("Add Processor");
    const bool added = m_runner.Locked([&] {
        if (m_project.AddProcessors(1) == 0) return false;
        if (m_project.m_bOpen && m_project.Model()) {
            m_project.Model()->RandomizeAllWeights();
            m_project.UpdateNetwork();
            Rescore();  // fresh weights: what was learned is gone
        }
        return true;
    });
    if (added)
        Changed(kChangedNetwork | kChangedLayout | kChangedScenarios);
    else if (marked)
        DropCheckpoint();
    return added;
}

void CSession::RemoveProcessor() {
    Checkpoint("Less Processors");
    Trace("1 deleteProcessor Called\n");
    m_runner.Locked([&] {
        m_project.RemoveLastProcessor();
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedLayout | kChangedScenarios);
}

void CSession::AddBiasToKind(std::int32_t kind) {
    Checkpoint(kind == kProcessor ? "Processor Bias" : "Action Bias");
    m_runner.Locked([&] {
        if (!m_project.IsReady()) return;
        ::ks::AddBiasToKind(*m_project.Model(), kind);
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedScenarios);
}

void CSession::RemoveBiases() {
    Checkpoint("Remove Bias");
    m_runner.Locked([&] {
        CReceptorMgr* m = m_project.Model();
        if (!m) return;
        m->ClearSelection();
        m->SelectKind(kBias);
        m->DeleteSelectedReceptors();
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedScenarios);
}

void CSession::SetModelView(bool on) {
    if (m_project.m_bOpen) m_runner.Locked([&] { m_project.m_bModelView = on; });
    Changed(kChangedNetwork | kChangedElements);
}

bool CSession::DropReceptor(std::int32_t paletteType, KPoint corner, KPoint at) {
    Checkpoint("Add Receptor");
    CReceptorMgr* model = m_project.Model();
    if (!model) return false;
    CReceptorMgr& m = *model;
    const bool added = m_runner.Locked([&] {
        switch (paletteType) {
        case kTargetPaletteSensor: {
            CReceptor* r = m.AddReceptor(kSensor, -1, corner.x, corner.y);
            if (r && m_project.m_bAutoAssembly) m.ConnectToProcessors(r);
            break;
        }
        case kTargetPaletteBias: {
            // Dropped onto a receptor, the bias feeds it.
            if (CReceptor* under = m.ReceptorAt(at.x, at.y)) {
                CReceptor* b = m.AddReceptor(kBias, -1, at.x - 48, at.y - 64);
                if (b) m.AddConnection(b, under, 0x0000FF, 1.0);
            } else {
                m.AddReceptor(kBias, -1, corner.x, corner.y);
            }
            break;
        }
        case kTargetPaletteProcessor: {
            CReceptor* r = m.AddReceptor(kProcessor, 2, corner.x, corner.y);
            if (r && m_project.m_bAutoAssembly) {
                m.ConnectSensorsTo(r);
                m.ConnectToActions(r);
            }
            break;
        }
        case kTargetPaletteAction: {
            CReceptor* r = m.AddReceptor(kAction, 2, corner.x, corner.y);
            if (r && m_project.m_bAutoAssembly) m.ConnectToProcessors(r);
            break;
        }
        default: return false;
        }
        m_project.UpdateNetwork();
        Rescore();
        return true;
    });
    if (added) Changed(kChangedNetwork | kChangedScenarios);
    return added;
}

void CSession::MoveReceptor(CReceptor* r, KPoint corner) {
    m_runner.Locked([&] { r->Place(corner.x, corner.y); });
}

bool CSession::AttachInputTo(CReceptor* sensor, CVariable* input) {
    Checkpoint("Attach Input");
    bool attached = false;
    if (sensor->m_iKind != kSensor) {
        m_prompt->Notify(msg::kInputsOnlyToSensors);
    } else if (sensor->m_pVariable) {
        m_prompt->Notify(msg::kSensorAlreadyAttached);
    } else {
        attached = m_runner.Locked([&] {
            const bool ok = sensor->AttachVariable(input);
            m_project.UpdateNetwork();
            Rescore();
            return ok;
        });
    }
    Changed(kChangedNetwork | kChangedScenarios);
    return attached;
}

bool CSession::AttachOutputTo(CReceptor* action, COutput* output) {
    Checkpoint("Attach Output");
    bool attached = false;
    if (action->m_iKind != kAction) {
        m_prompt->Notify(msg::kOutputsOnlyToActions);
    } else if (action->m_pOutput) {
        m_prompt->Notify(msg::kActionAlreadyAttached);
    } else {
        m_runner.Locked([&] {
            action->AttachOutput(output);
            m_project.UpdateNetwork();
            Rescore();
        });
        attached = true;
    }
    Changed(kChangedNetwork | kChangedScenarios);
    return attached;
}

void CSession::Connect(CReceptor* from, CReceptor* to) {
    Checkpoint("Connect");
    CReceptorMgr* m = m_project.Model();
    if (!m) return;
    m_runner.Locked([&] {
        m->ConnectByDrag(from, to, *m_prompt);
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedScenarios);
}

void CSession::SetWeight(CConnection* c, double weight) {
    Checkpoint("Set Weight");
    m_runner.Locked([&] {
        c->SetWeight(weight);
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedScenarios);
}

void CSession::DeleteConnection(CConnection* c) {
    Checkpoint("Delete Connection");
    m_runner.Locked([&] {
        m_project.Model()->DeleteConnection(c);
        m_project.UpdateNetwork();
        Rescore();
    });
    Changed(kChangedNetwork | kChangedScenarios);
}

void CSession::EraseKnowledge() {
    Checkpoint("Erase Knowledge");
    if (!m_project.m_bOpen || !m_project.Model()) return;
    m_lastRun = RunSummary{};  // fresh weights: what the last run reached no longer describes the network
    m_runner.Locked([&] {
        m_project.Model()->RandomizeAllWeights();
        if (!(m_project.Scenarios() && m_project.Scenarios()->m_bTrainingInProgress)) {
            m_project.UpdateNetwork();
            if (m_project.Scenarios()) m_project.Scenarios()->EvaluateAll();
        }
    });
    Changed(kChangedNetwork | kChangedScenarios);
}

// --------------------------------------------------------------------- training

void CSession::SetUseMomentum(bool on) {
    if (m_project.IsReady()) m_runner.Locked([&] { m_project.Model()->m_bUseMomentum = on; });
    Changed(kChangedTraining);
}

void CSession::SetErrorCorrection(bool on) {
    if (m_project.IsReady()) m_runner.Locked([&] { m_project.Model()->m_bErrorCorrection = on; });
    Changed(kChangedTraining);
}

void CSession::SpinTrainingValue(int which, int change) {
    CProject& p = m_project;
    CReceptorMgr* m = p.Model();
    m_runner.Locked([&] {
        switch (which) {
        case 0:
            if (p.m_bOpen && m) m->SetLearnRate(ToSingle(m->m_dLearnRate) - change * kSingleHundredth);
            break;
        case 1:
            if (p.m_bOpen && m) m->m_dMomentum = m->m_dMomentum - change * kSingleHundredth;
            break;
        case 2:
            if (p.IsReady()) p.Scenarios()->m_iBatchSize -= change;
            break;
        case 3:
            if (p.IsReady()) m->m_iResetLimit -= change * 10;
            break;
        default: break;
        }
    });
    Changed(kChangedTraining);
}

void CSession::SetTrainingMethod(TrainingMethod method) {
    m_runner.Locked([&] { m_project.m_trainingMethod = method; });
    if (m_settings) m_settings->WriteInt(kSettingsSection, kKeyTrainingMethod, method == TrainingMethod::Rprop ? 1 : 0);
    Changed(kChangedTraining);
}

bool CSession::Training() {
    return m_runner.Locked([&] { return m_project.Scenarios() && m_project.Scenarios()->m_bTrainingInProgress; });
}

PanelFigures CSession::Figures() {
    return m_runner.Locked([&] {
        PanelFigures f;
        const bool open = m_project.m_bOpen;
        f.inputs = open ? m_project.m_inputs.Count() : 0;
        f.outputs = open ? m_project.m_outputs.Count() : 0;
        f.scenarios = m_project.ScenarioCount();
        if (m_project.IsReady()) {
            for (const auto& s : m_project.Scenarios()->Scenarios())
                if (s->m_bLearned) ++f.learned;
            m_project.Scenarios()->m_iLearnedCount = f.learned;
        }
        f.cycles = m_project.m_iCycleCounter;
        f.simulationTicks = m_project.m_iSimulationTicks;
        f.elapsedText = m_project.m_elapsedText;
        return f;
    });
}

// ------------------------------------------------------- scenarios and simulation

CScenario* CSession::CreateScenario(CReceptor* action) {
    if (!m_project.IsReady()) return nullptr;
    const bool marked = Checkpoint("Add Scenario");
    // No notice yet: the caller edits the scenario next, and keeps or deletes it.
    CScenario* s = m_runner.Locked([&] { return m_project.Scenarios()->CreateScenario(action); });
    m_adding = marked ? s : nullptr;
    return s;
}

void CSession::DeleteScenario(CScenario* s) {
    if (s && s == m_adding) {  // the new scenario was not kept: nothing to undo
        DropCheckpoint();
        m_adding = nullptr;
    }
    m_runner.Locked([&] { m_project.Scenarios()->DeleteScenario(s); });
    Changed(kChangedScenarios);
}

void CSession::EditScenarios(CScenario* scenario, int selected, const std::string& name, std::int32_t targetID) {
    // A scenario just made is edited within its own "Add Scenario" step.
    if (!scenario || scenario != m_adding) Checkpoint("Edit Scenario");
    m_adding = nullptr;
    CScenarioMgr* sm = m_project.Scenarios();
    if (!sm) return;
    m_runner.Locked([&] {
        // The name applies when one scenario is edited (the selection holds at most this one).
        if (selected == 0 || (selected == 1 && sm->m_selection.front().scenario == scenario)) scenario->m_name = name;
        if (sm->m_selection.empty()) sm->Select(scenario);
        sm->SetTargetOfSelection(targetID);
        sm->SortScenarios(-1, kSortReapply);
        sm->EvaluateAll();
        sm->ClearSelection();
    });
    Changed(kChangedScenarios | kChangedNetwork);
}

void CSession::RetargetSelection(std::int32_t targetID) {
    Checkpoint("Change Target");
    if (!m_project.IsReady()) return;
    m_runner.Locked([&] {
        m_project.Scenarios()->SetTargetOfSelection(targetID);
        Rescore();
    });
    Changed(kChangedScenarios);
}

void CSession::ScoreScenarios() {
    if (!m_project.Scenarios()) return;
    m_runner.Locked([&] { m_project.Scenarios()->EvaluateAll(); });
    Changed(kChangedScenarios | kChangedNetwork);
}

bool CSession::SortByInputColumn(int column) {
    CScenarioMgr* sm = m_project.Scenarios();
    if (!m_project.m_bOpen || !m_project.Model() || !sm) return false;
    const bool sorted = m_runner.Locked([&] {
        sm->BuildColumns();
        const auto& columns = sm->Columns();
        if (column < 0 || column >= static_cast<int>(columns.size())) return false;
        const ScenarioColumn& c = columns[static_cast<std::size_t>(column)];
        if (c.type != kColInput || !m_project.Model()->FindReceptor(c.receptorID)) return false;
        sm->SortScenarios(column, kSortAscending);
        return true;
    });
    if (sorted) Changed(kChangedScenarios);
    return sorted;
}

void CSession::ApplyScenario(CScenario* s) {
    m_runner.Locked([&] {
        m_project.Scenarios()->ApplyScenario(s);
        m_project.UpdateNetwork();
    });
    Changed(kChangedNetwork | kChangedValues);
}

void CSession::StoreValue(CScenario* s, VARINFO* stored, double value) {
    Checkpoint("Change Stored Value");
    m_runner.Locked([&] {
        stored->value = value;
        m_project.Scenarios()->EvaluateScenario(s);
        EvaluateAndSelectWinner(m_project);
    });
    Changed(kChangedNetwork | kChangedValues);
}

bool CSession::DeleteScenarioSelection() {
    CScenarioMgr* sm = m_project.Scenarios();
    if (!sm || sm->m_selection.empty() || Training()) return false;
    const int count = static_cast<int>(sm->m_selection.size());
    if (m_prompt->Ask(Format(msg::kScenariosSelectedForDeletion, count), Buttons::YesNoCancel) != Answer::Yes)
        return false;
    Checkpoint("Delete Scenarios");
    m_runner.Locked([&] {
        sm->DeleteSelected();
        sm->ClearSelection();
    });
    Changed(kChangedScenarios | kChangedNetwork);
    return true;
}

std::int64_t CSession::CreateEndpointScenarios() {
    if (!m_project.m_bOpen || !m_project.Model()) return 0;
    const bool marked = Checkpoint("Create Scenarios");
    const std::int64_t n = m_runner.Locked([&] {
        const std::int64_t made = ::ks::CreateEndpointScenarios(m_project, *m_prompt);
        if (made != 0) {
            m_project.Scenarios()->EvaluateAll();
            m_project.Scenarios()->ScoreAll();
        }
        return made;
    });
    if (n != 0)
        Changed(kChangedScenarios | kChangedElements | kChangedNetwork);
    else if (marked)
        DropCheckpoint();
    return n;
}

void CSession::DeleteSelectedScenarios() {
    Checkpoint("Delete Scenarios");
    m_runner.Locked([&] {
        CScenarioMgr* sm = m_project.Scenarios();
        if (!m_project.m_bOpen || !m_project.Model() || !sm) return;
        sm->DeleteSelected();
        sm->ClearSelection();
    });
    Changed(kChangedScenarios);
}

bool CSession::DeleteAllScenarios() {
    const int n = m_project.IsReady() ? m_project.Scenarios()->Count() : 0;
    if (m_prompt->Ask(Format(msg::kDeleteAllScenarios, n), Buttons::YesNo) != Answer::Yes) return false;
    Checkpoint("Delete All Scenarios");
    m_runner.Locked([&] {
        CScenarioMgr* sm = m_project.Scenarios();
        if (!sm) return;
        sm->SelectAll();
        if (m_project.m_bOpen && m_project.Model()) {
            sm->DeleteSelected();
            sm->ClearSelection();
        }
    });
    Changed(kChangedScenarios);
    return true;
}

void CSession::SimulationStep() {
    m_runner.Locked([&] { ::ks::SimulationStep(m_project); });
    Changed(kChangedNetwork | kChangedValues);
}

void CSession::SimulationReset() {
    m_runner.Locked([&] { ::ks::SimulationReset(m_project); });
    Changed(kChangedNetwork | kChangedValues);
}

void CSession::SetInputValue(CVariable* input, double value) {
    m_runner.Locked([&] {
        input->SetValue(value);
        EvaluateAndSelectWinner(m_project);
    });
    Changed(kChangedNetwork | kChangedValues);
}

void CSession::UpdateNetwork() {
    m_runner.Locked([&] { m_project.UpdateNetwork(); });
    Changed(kChangedNetwork | kChangedValues);
}

// ---------------------------------------------------------------------- options

void CSession::ApplyOptions(const ViewOptions& o) {
    m_runner.Locked([&] {
        CProject& p = m_project;
        p.m_bShowConnections = o.showConnections;
        p.m_bShowValues = o.showValues;
        p.m_bShowWeights = o.showWeights;
        p.m_bShowNames = o.showNames;
        if (p.m_bOpen) {
            if (CReceptorMgr* model = p.Model()) model->m_bSmoothLines = o.smoothLines;
            p.m_bModelView = o.modelView;
        }
        p.m_bUpdateTableWhileLearning = o.updateTableWhileLearning;
        StoreTrainingDefaults(p, m_settings, o.defaults.learnRate, o.defaults.momentum, o.defaults.batchSize,
                              o.defaults.resetLimit);
        const int slot[3] = {kSlotBackground, kSlotLines, kSlotText};
        for (std::size_t i = 0; i < 3; ++i) {
            p.m_colours[static_cast<std::size_t>(slot[i])] = o.colours[i];
            if (p.Model()) p.Model()->SetColour(slot[i], o.colours[i]);
        }
    });
    Changed(kChangedNetwork | kChangedElements | kChangedTraining);
}

}  // namespace ks
