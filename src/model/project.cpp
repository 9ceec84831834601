#include "model/project.h"

#include <algorithm>
#include <vector>

#include "model/messages.h"

namespace ks {

namespace {
constexpr std::int32_t kScenarioMgrID = 10;
}

CProject::CProject(ISettingsStore* settings) {
    SetDefaultColours();
    ReadTrainingDefaults(*this, settings);
}

CProject::~CProject() { ClearProject(); }

void CProject::SetDefaultColours() {
    m_colours = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0x000000, 0x000000};
    if (m_pModel) m_pModel->m_colours = m_colours;
}

void CProject::ResetTrainingState() {
    m_training = TrainingState{};
    m_training.model = m_pModel.get();
    m_training.scenarios = m_pScenarios.get();
}

void CProject::Adopt(std::unique_ptr<CReceptorMgr> model, std::unique_ptr<CScenarioMgr> scenarios) {
    m_pModel = std::move(model);
    m_pScenarios = std::move(scenarios);
    if (m_pModel) m_pModel->m_pScenarioMgr = m_pScenarios.get();
    if (m_pScenarios) {
        m_pScenarios->m_pModel = m_pModel.get();
        m_pScenarios->m_onScenarioDeleted = [this](const CScenario* s) {
            if (m_training.cursor == s) m_training.cursor = nullptr;
        };
    }
    ResetTrainingState();
}

void CProject::TakeLoaded(CProject& loaded) {
    m_bModelView = loaded.m_bModelView;
    m_inputs = std::move(loaded.m_inputs);
    m_outputs = std::move(loaded.m_outputs);
    Adopt(std::move(loaded.m_pModel), std::move(loaded.m_pScenarios));
    loaded.m_training = TrainingState{};
    m_bOpen = loaded.m_bOpen;
    loaded.m_bOpen = false;
}

void CProject::ApplyTrainingDefaults() {
    if (m_pModel) {
        m_pModel->SetLearnRate(m_defaults.learnRate);
        m_pModel->m_dMomentum = m_defaults.momentum;
        m_pModel->m_iResetLimit = m_defaults.resetLimit;
    }
    if (m_pScenarios) m_pScenarios->m_iBatchSize = m_defaults.batchSize;
}

int CProject::NewProject(std::int32_t type) {
    m_elapsedText = "00:00";
    m_iCycleCounter = 0;  // a new project has run nothing yet
    m_iSimulationTicks = 0;
    m_iProjectType = type;
    m_bOpen = true;
    m_iConnectionCount = 0;
    m_iReceptorCount = 0;
    m_bShowConnections = true;
    m_bViewCollapsed = false;
    m_viewOffset = {0, 0};
    if (type == kProjectNew) {
        auto model = std::make_unique<CReceptorMgr>();
        SetDefaultColours();
        model->m_colours = m_colours;
        model->m_bAccumulateChanges = false;
        m_outputs.m_selection.clear();
        if (m_name.empty()) m_name = msg::kNewTrainableModel;
        model->m_iModelType = 2;
        model->m_name = m_name;
        auto scenarios = std::make_unique<CScenarioMgr>(kScenarioMgrID, model.get());
        Adopt(std::move(model), std::move(scenarios));
        AddProcessors(1);
        m_bModelView = true;
        ApplyTrainingDefaults();
        return 1;
    }
    if (type == kProjectLoaded) {
        SetDefaultColours();
        return kProjectLoaded;
    }
    return type;
}

int CProject::NewImportedProject(const std::string& name, const std::function<void(CProject&)>& import) {
    m_elapsedText = "00:00";
    m_iCycleCounter = 0;
    m_iSimulationTicks = 0;
    m_iProjectType = kProjectImported;
    m_bOpen = true;
    m_iConnectionCount = 0;
    m_iReceptorCount = 0;
    m_bShowConnections = true;
    m_bViewCollapsed = false;
    m_viewOffset = {0, 0};
    auto model = std::make_unique<CReceptorMgr>();
    SetDefaultColours();
    model->m_colours = m_colours;
    model->m_iModelType = 2;
    m_outputs.m_selection.clear();
    m_name = name;
    model->m_name = name;
    model->m_bAccumulateChanges = false;
    auto scenarios = std::make_unique<CScenarioMgr>(kScenarioMgrID, model.get());
    Adopt(std::move(model), std::move(scenarios));
    if (import) import(*this);
    ApplyTrainingDefaults();
    return kProjectImported;
}

void CProject::ClearProject() {
    if (m_pScenarios) {
        m_pScenarios->Clear();
        m_pScenarios->m_onScenarioDeleted = nullptr;
    }
    if (m_pModel) {
        m_pModel->m_pScenarioMgr = nullptr;
        m_pModel->DeleteAll();
    }
    m_pScenarios.reset();
    m_pModel.reset();
    m_training.cursor = nullptr;
    m_inputs.Clear();
    m_outputs.Clear();
    m_training = TrainingState{};
    m_rprop.reset();
    m_bOpen = false;
    m_iConnectionCount = 0;
    m_iReceptorCount = 0;
    // Nothing of the closed project stays on show.
    m_name.clear();
    m_elapsedText = "00:00";
    m_iCycleCounter = 0;
    m_iSimulationTicks = 0;
}

void CProject::UpdateNetwork() {
    if (!m_pModel) return;
    m_pModel->RecountAttachments();
    EvaluateAndShowWinner();
    m_iConnectionCount = static_cast<std::int32_t>(m_pModel->m_connections.size());
    m_iReceptorCount = static_cast<std::int32_t>(m_pModel->m_receptors.size());
}

void CProject::ScoreScenariosKeepingInputs() {
    if (!m_pModel || !m_pScenarios) return;
    std::vector<double> values;
    values.reserve(m_inputs.m_items.size());
    for (const auto& v : m_inputs.m_items) values.push_back(v->m_dValue);
    m_pScenarios->EvaluateAll();
    for (std::size_t i = 0; i < values.size(); ++i) m_inputs.m_items[i]->SetValue(values[i]);
    UpdateNetwork();
}

bool CProject::IsReady() const {
    return m_bOpen && m_pModel && m_pScenarios && m_inputs.Count() > 0 && m_outputs.Count() > 0;
}

std::int32_t CProject::ScenarioCount() {
    if (!IsReady()) return 0;
    return m_pScenarios->Recount();
}

std::int32_t CProject::SelectedScenarioCount() const {
    if (!IsReady()) return 0;
    return static_cast<std::int32_t>(m_pScenarios->m_selection.size());
}

CReceptor* CProject::ActionForOutput(const COutput* output) const {
    if (!IsReady()) return nullptr;
    for (CReceptor* r : m_pModel->Actions())
        if (r->m_pOutput == output) return r;
    return nullptr;
}

std::int32_t CProject::ScenariosForSelectedOutputs() const {
    if (!m_pScenarios) return 0;
    std::int32_t n = 0;
    for (const auto& s : m_pScenarios->Scenarios()) {
        if (!s->m_pTarget || !s->m_pTarget->m_pOutput) continue;
        const std::int32_t id = s->m_pTarget->m_pOutput->m_ID;
        if (std::any_of(m_outputs.m_selection.begin(), m_outputs.m_selection.end(),
                        [&](const OutputSelEntry& e) { return e.output->m_ID == id; }))
            ++n;
    }
    return n;
}

CReceptor* CProject::ReceptorAtCanvasPoint(std::int32_t x, std::int32_t y) const {
    if (!m_pModel) return nullptr;
    return m_pModel->ReceptorAt(x - m_viewOffset.x, y - m_viewOffset.y);
}

void CProject::RecountOutputScenarios() {
    for (const auto& o : m_outputs.m_items) {
        o->m_iScenarioCount = 0;
        o->m_countLabel = "(0)";
    }
    if (!m_pModel || !m_pScenarios) return;
    for (const auto& s : m_pScenarios->Scenarios()) {
        if (!s->m_pTarget || !s->m_pTarget->m_pOutput) continue;
        COutput* o = s->m_pTarget->m_pOutput;
        ++o->m_iScenarioCount;
        o->m_countLabel = "(" + std::to_string(o->m_iScenarioCount) + ")";
    }
}

void CProject::EvaluateAndShowWinner() {
    if (!m_pModel) return;
    m_pModel->Evaluate();
    CReceptor* w = m_pModel->SelectWinner();
    if (!w) return;
    m_outputs.ClearSelection();
    m_outputs.Select(w->m_pOutput);
}

}  // namespace ks
