#pragma once
// Every user operation on the open project, for the window and the
// command-line tool alike. Each operation takes the training lock itself,
// leaves the project consistent (the scenarios are scored again wherever
// their scores can have changed) and then tells the listener what changed.
// No Qt: questions and notices go through the prompt interface.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/c_export_small.h"
#include "files/safe_file.h"
#include "model/project.h"
#include "training/run_monitor.h"
#include "training/training_runner.h"

namespace ks {

class CDataImport;
class IPrompt;
class ISettingsStore;

// What an operation changed, so a listener refreshes only what shows it.
enum SessionChange : unsigned {
    kChangedNetwork = 1u << 0,    // receptors, connections, weights or values: redraw the view
    kChangedLayout = 1u << 1,     // the network gained or lost receptors: align the view
    kChangedElements = 1u << 2,   // inputs or outputs: the bars and the list columns
    kChangedScenarios = 1u << 3,  // scenarios or their scores: the list and the panel
    kChangedTraining = 1u << 4,   // training values, method or running state: the pages
    kChangedProject = 1u << 5,    // a project was started, opened or closed
    kChangedValues = 1u << 6,     // input values: the inputs bar's gauges
};

// A new or edited input as a dialog or the wizard gives it.
struct InputSpec {
    VARIABLE_RECORD record;
    std::string name;
    COLORREF colour = 0xFFFFFF;
    std::vector<VARIABLE_ITEM> items;  // a Descriptor List's items, in order
    std::int32_t currentIndex = 0;     // a Descriptor List's current item
};

// What the options dialog gives: display options, colours and training defaults.
struct ViewOptions {
    bool showConnections = true, showValues = true, showWeights = false, showNames = true;
    bool smoothLines = false, modelView = false, updateTableWhileLearning = true;
    std::array<COLORREF, 3> colours{};  // background, connections, text
    TrainingDefaults defaults;
};

// What the panel shows of the project, read in one go under the lock.
struct PanelFigures {
    std::int32_t inputs = 0, outputs = 0, scenarios = 0, learned = 0, cycles = 0, simulationTicks = 0;
    std::string elapsedText = "00:00";
};

// How the window's runs are watched: a held-out part and a stop on a plateau.
struct TrainingWatch {
    std::int32_t holdoutPercent = 0;  // of each output's scenarios kept out of training (0: none)
    std::int32_t seed = 1;            // of that split
    std::int32_t patience = 0;        // cycles without a better figure before stopping (0: none)
    std::int32_t threads = 0;         // resilient back-propagation's threads (0: one per core); never the result
};

// What the last run ended with (valid once a watched run has ended).
struct RunSummary {
    bool valid = false;
    bool hasHeldOut = false;
    RunFigures best, latest;
    StopReason reason = StopReason::None;
};

// One edit that can be taken back: its name and the project before it.
struct UndoStep {
    std::string name;
    std::vector<std::uint8_t> image;
    // What the file leaves out but the project had: receptor labels by ID.
    std::vector<std::pair<std::int32_t, std::string>> labels;
};

class CSession {
public:
    CSession(CProject& project, IPrompt& prompt, ISettingsStore* settings = nullptr);
    ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    CProject& Project() { return m_project; }
    CTrainingRunner& Runner() { return m_runner; }
    IPrompt& Prompt() { return *m_prompt; }
    // Runs f with the training lock held.
    template <class F>
    auto Locked(F&& f) {
        return m_runner.Locked(std::forward<F>(f));
    }

    // Called after every operation that changed something, on the caller's thread.
    std::function<void(unsigned changes)> onChanged;
    // Lays the bars out so new items have their anchors (the window's view); none: anchors stay.
    std::function<void()> layoutBars;

    // ---- inputs and outputs
    // With scenarios present, asks whether a new input may be added to them; true to go on.
    bool ConfirmAddInput();
    // A new input with its sensory receptor; every scenario stores its current
    // value, processors are added as needed and the scenarios are scored.
    CVariable* AddInput(const InputSpec& spec);
    // Only the input and its receptor (the wizard, which builds scenarios later).
    CVariable* AttachInput(const InputSpec& spec);
    // A Descriptor List that loses items also loses the scenarios holding the last one.
    void EditInput(CVariable* input, const InputSpec& spec);
    // A new output with its action receptor (the listener aligns the view when processors were added).
    COutput* AddOutput(std::unique_ptr<COutput> output, COLORREF colour);
    // Only the output and its receptor (the wizard).
    COutput* AttachOutput(std::unique_ptr<COutput> output, COLORREF colour);
    void EditOutput(COutput* output, const std::string& name, COLORREF colour);
    // Ask about the scenarios concerned first; false when the user said no.
    bool DeleteSelectedInputs();
    bool DeleteSelectedOutputs();

    // ---- the network
    // Processors until there is one more than the larger of the input and output counts.
    void EnsureProcessors();
    // Add Processor (fresh weights for the whole network) and Less Processors.
    bool AddProcessor();
    void RemoveProcessor();
    // "Processor Bias" / "Action Bias": every receptor of the kind gets a bias.
    void AddBiasToKind(std::int32_t kind);
    // Removes every bias receptor.
    void RemoveBiases();
    void SetModelView(bool on);
    // A palette receptor dropped at a model point (the receptor's corner); a
    // bias dropped onto the receptor at `at` feeds it. False when the type is
    // not a palette receptor.
    bool DropReceptor(std::int32_t paletteType, KPoint corner, KPoint at);
    void MoveReceptor(CReceptor* r, KPoint corner);
    // Right-drag rules: the notices say why an attachment is refused.
    bool AttachInputTo(CReceptor* sensor, CVariable* input);
    bool AttachOutputTo(CReceptor* action, COutput* output);
    void Connect(CReceptor* from, CReceptor* to);
    void SetWeight(CConnection* c, double weight);
    void DeleteConnection(CConnection* c);
    // Fresh random weights; outside training the scenarios are scored again.
    void EraseKnowledge();

    // ---- training
    void SetUseMomentum(bool on);
    void SetErrorCorrection(bool on);
    // One arrow of a training value: 0 learn rate, 1 momentum, 2 batch size,
    // 3 reset limit; change -1 is the up arrow, +1 the down arrow.
    void SpinTrainingValue(int which, int change);
    // Kept as a per-user setting.
    void SetTrainingMethod(TrainingMethod method);
    // 0 nothing, 1 started, -1 stopped (then EndTraining has run). A run
    // starts watched: by the caller's monitor when one is set on the runner,
    // else by one of the session's made from the watch settings (which also
    // hold the scenarios out). A refused held-out split is said and nothing starts.
    int StartStopTraining();
    // Stops the thread, gives the network the best state the run's monitor
    // saw and scores every scenario afresh.
    void EndTraining();
    // The watch settings, kept per user in the settings store.
    TrainingWatch Watch();
    void SetWatch(const TrainingWatch& watch);
    const RunSummary& LastRun() const { return m_lastRun; }
    bool Training();
    PanelFigures Figures();

    // ---- scenarios and simulation
    // A scenario of the inputs as they are, with this action's output as target.
    // Listeners hear of it once it is edited (EditScenarios) or deleted.
    CScenario* CreateScenario(CReceptor* action);
    void DeleteScenario(CScenario* s);
    // The scenario dialog's result: the name (when one scenario is edited) and
    // the target of the selection (or of `scenario` alone); all scored again.
    void EditScenarios(CScenario* scenario, int selected, const std::string& name, std::int32_t targetID);
    // Shift+click on an output: the selected scenarios take its action receptor as target.
    void RetargetSelection(std::int32_t targetID);
    // Scores every scenario against the network (a project just built or opened).
    void ScoreScenarios();
    // Sorts ascending by an input column; false for any other column.
    bool SortByInputColumn(int column);
    // Gives the inputs the scenario's stored values and shows the decision.
    void ApplyScenario(CScenario* s);
    // A stored value of a scenario follows its input (the list's cell slider).
    void StoreValue(CScenario* s, VARINFO* stored, double value);
    // Asks "%d scenarios selected for deletion."; false when the user said no.
    bool DeleteScenarioSelection();
    std::int64_t CreateEndpointScenarios();
    void DeleteSelectedScenarios();
    // Asks first; false when the user said no.
    bool DeleteAllScenarios();
    void SimulationStep();
    void SimulationReset();
    // An input takes a value (a slider) and the network decides again.
    void SetInputValue(CVariable* input, double value);
    // The forward pass and counts again, after the inputs changed.
    void UpdateNetwork();

    // ---- undo and redo of edits (not of training itself)
    // The name of the edit Undo or Redo would take back or do again; empty: none.
    std::string UndoName() const { return m_undo.empty() ? std::string() : m_undo.back().name; }
    std::string RedoName() const { return m_redo.empty() ? std::string() : m_redo.back().name; }
    // False when there is nothing to undo (or redo) or training runs.
    bool Undo();
    bool Redo();

    // ---- options
    // Stores the training defaults in the settings store as well.
    void ApplyOptions(const ViewOptions& options);

    // ---- projects and files
    void NewProject();
    // A new project built from a data file (the import request of the wizard);
    // with biases, every processor and action receptor gets one, as Processor
    // Bias and Action Bias do. Its scenarios are not scored yet.
    void ImportProject(CDataImport& request, bool withBiases = false);
    void CloseProject();
    // Loads into a fresh project and swaps it in only on success; the scenarios
    // are scored against the loaded network.
    FileResult Open(const std::string& path);
    // The second half of Open, for a project read on another thread
    // (ReadProjectFile): swaps it in and scores it (unless that thread has,
    // after InstallLoaded into a project of its own: the scores move with it).
    void OpenLoaded(CProject& fresh, const std::string& path, bool scored = false);
    // The bytes a save writes now.
    std::vector<std::uint8_t> Image();
    FileResult SaveTo(const std::string& path, const std::vector<std::uint8_t>& image);
    // inputsoutputs.h and the runtime file into the runtime file's folder.
    FileResult ExportRuntime(const std::string& path, FileResult* header = nullptr);
    // The network as C source in `folder`. Float and fixed point are checked
    // against the trainer first (`report` receives the check's lines); when a
    // scenario would be decided differently nothing is written unless
    // `writeAnyway` (asked with those lines) says so; written, `report` also
    // gets the tables' and the code's sizes. `fixedInputs` (fixed point only):
    // the inputs are integers too, so the code has no floating point at all.
    FileResult ExportCSource(const std::string& folder, const std::string& prefix, CNumberType type = CNumberType::Double,
                             std::vector<std::string>* report = nullptr,
                             const std::function<bool(const std::vector<std::string>&)>& writeAnyway = {},
                             bool fixedInputs = false);

private:
    void Changed(unsigned changes);
    // Scores every scenario against the network as it is, unless training runs
    // (the cycle then owns the scores). Caller holds the lock.
    void Rescore();
    void LayoutBars();

    CProject& m_project;
    IPrompt* m_prompt;
    ISettingsStore* m_settings;
    CTrainingRunner m_runner;
    std::unique_ptr<CRunMonitor> m_ownMonitor;  // the session's watch of the run, when the caller set none
    RunSummary m_lastRun;
    // A project replaced or closed: its run's monitor and figures go with it.
    void ForgetRun();
    // Before an edit: the project as it was, for Undo.
    // False when nothing was kept (no project, or training runs).
    bool Checkpoint(const char* name);
    void DropCheckpoint() {
        if (!m_undo.empty()) m_undo.pop_back();
    }
    const CScenario* m_adding = nullptr;  // made by CreateScenario, not yet edited: one "Add Scenario" step
    UndoStep Capture(const char* name);
    bool Restore(const UndoStep& step);
    bool Step(std::vector<struct UndoStep>& from, std::vector<struct UndoStep>& to);
    std::vector<struct UndoStep> m_undo, m_redo;
};

}  // namespace ks
