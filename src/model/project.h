#pragma once
// Everything the user works on at one time: inputs, outputs, the network and
// its scenarios, display options, colours, training defaults and state.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/geometry.h"
#include "model/receptor_mgr.h"
#include "model/scenario_mgr.h"
#include "model/training_defaults.h"
#include "model/training_state.h"
#include "model/variable.h"

namespace ks {

enum ProjectType : std::int32_t { kProjectNone = 0, kProjectNew = 1, kProjectImported = 3, kProjectLoaded = 4 };

class CProject {
public:
    explicit CProject(ISettingsStore* settings = nullptr);
    ~CProject();
    CProject(const CProject&) = delete;
    CProject& operator=(const CProject&) = delete;

    // Returns true (1) for a new trainable project, 4 for type 4, else the type.
    int NewProject(std::int32_t type);
    // Starts a project for imported data; `import` fills it. Returns 3.
    int NewImportedProject(const std::string& name, const std::function<void(CProject&)>& import);
    void ClearProject();
    void UpdateNetwork();
    // Scores every scenario against the network as it is (a project file keeps
    // no scores), then gives the inputs their values back and re-evaluates.
    void ScoreScenariosKeepingInputs();
    bool IsReady() const;
    std::int32_t ScenarioCount();
    std::int32_t SelectedScenarioCount() const;
    CReceptor* ActionForOutput(const COutput* output) const;
    std::int32_t ScenariosForSelectedOutputs() const;
    CReceptor* ReceptorAtCanvasPoint(std::int32_t x, std::int32_t y) const;
    void RecountOutputScenarios();
    void EvaluateAndShowWinner();
    // Copies the stored training defaults into the model and scenario manager.
    void ApplyTrainingDefaults();
    // Resets the training state and makes the project's own model and manager the training pair.
    void ResetTrainingState();

    // ---- structure editing ----
    CVariable* AddInput(const VARIABLE_RECORD& rec, const std::string& name);
    CReceptor* AttachNewInput(CVariable* v, KPoint viewOrigin);
    std::int32_t AttachNewOutput(COutput* o, KPoint viewOrigin);
    std::int32_t EnsureProcessors();
    std::int32_t AddProcessors(std::int32_t count);
    std::int32_t RemoveLastProcessor();
    std::int32_t RemoveOwnBiases(CReceptor* r);
    std::int32_t RemoveSelectedInputs();
    std::int32_t RemoveSelectedOutputs();
    // Rows centred in the area, 56 pixels apart, or up to wantedPitch apart
    // (room for the receptors' texts) as far as a row still fits.
    void AlignNetwork(std::int32_t height, std::int32_t top, std::int32_t left, std::int32_t width, std::int32_t wantedPitch = 0);
    // What the view's Align does for a view of this size: both bars centred,
    // the network in three centred rows between them.
    void AlignInView(std::int32_t viewWidth, std::int32_t viewHeight);
    // The bar offset that centres n items of width w and spacing s in a view this wide.
    static std::int32_t CentredBarOffset(std::int32_t n, std::int32_t w, std::int32_t s, std::int32_t viewWidth);

    CReceptorMgr* Model() const { return m_pModel.get(); }
    CScenarioMgr* Scenarios() const { return m_pScenarios.get(); }
    // Moves everything a project file holds out of `loaded` (a project just read).
    void TakeLoaded(CProject& loaded);
    // Installs a model and scenario manager built elsewhere (loading).
    void Adopt(std::unique_ptr<CReceptorMgr> model, std::unique_ptr<CScenarioMgr> scenarios);

    std::string m_name;
    bool m_bOpen = false;
    std::int32_t m_iProjectType = kProjectNone;
    CInputList m_inputs;
    COutputList m_outputs;
    std::int32_t m_iConnectionCount = 0;
    std::int32_t m_iReceptorCount = 0;
    bool m_bAutoAssembly = false;
    bool m_bShowConnections = false;
    bool m_bShowValues = true;
    bool m_bShowWeights = false;
    bool m_bShowNames = true;
    bool m_bModelView = false;
    bool m_bUpdateTableWhileLearning = true;
    bool m_bViewCollapsed = false;
    std::array<COLORREF, 8> m_colours{};
    KPoint m_viewOffset;
    std::int32_t m_iCycleCounter = 0;
    std::int32_t m_iSimulationTicks = 0;  // ticks since the simulation was last reset (the status strip's "Sim Tick")
    std::string m_elapsedText = "00:00";
    TrainingDefaults m_defaults;
    TrainingState m_training;
    // When set, starting training seeds the generator with this instead of
    // the clock, so a run is reproducible (the command-line tool's --seed, tests).
    std::optional<std::uint32_t> m_trainingSeed;
    // Threads for resilient back-propagation's big epochs (0: one per core);
    // the result is the same for any count. Not stored in the file.
    std::int32_t m_trainingThreads = 0;
    // The training method and the resilient back-propagation state (kept
    // while the network is unchanged, so a stopped run continues).
    TrainingMethod m_trainingMethod = TrainingMethod::Winner;
    std::unique_ptr<RpropState> m_rprop;

private:
    void SetDefaultColours();
    std::unique_ptr<CReceptorMgr> m_pModel;
    std::unique_ptr<CScenarioMgr> m_pScenarios;
};

// Bias receptors for every selected processor or action receptor that has no
// bias input yet; true when any was added.
bool AddBiasToSelection(CReceptorMgr& model);
// "Processor Bias" and "Action Bias": selects every receptor of the kind and
// gives each that has none a bias receptor; true when any was added.
bool AddBiasToKind(CReceptorMgr& model, std::int32_t kind);

}  // namespace ks
