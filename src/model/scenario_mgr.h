#pragma once
// Scenarios (example cases: stored input values and a target action receptor)
// and the per-model manager that owns them, selects, sorts and evaluates them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ks {

class CReceptor;
class CReceptorMgr;
class COutput;
class CVariable;

// One stored input value of a scenario.
struct VARINFO {
    std::int32_t receptorID = 0;   // the sensory receptor the value feeds
    std::int32_t constant = 0;     // always 0
    std::int32_t variableID = 0;
    double minimum = 0.0;
    double maximum = 0.0;
    double value = 0.0;
};

// One output level stored by endpoint generation.
struct OUTPUTINFO {
    std::int32_t receptorID = 0;
    double level = 0.0;            // 0.82 for the target, 0.5 for the others
    std::string label;             // at most 39 UTF-16 units
    bool flag = false;
};

class CScenario {
public:
    std::string m_name;
    std::int32_t m_ID = 0;
    std::int32_t m_iTargetID = 0;
    CReceptor* m_pTarget = nullptr;
    CReceptorMgr* m_pModel = nullptr;
    std::vector<VARINFO> m_inputs;
    std::vector<OUTPUTINFO> m_outputs;
    bool m_bLearned = false;
    std::uint64_t m_learnedInPass = 0;  // the training evaluation pass that last found it learned
    // There: by how much its target led the other outputs, the training's drift then, and its generation.
    double m_margin = 0.0, m_driftAtMargin = 0.0;
    std::uint64_t m_marginGeneration = 0;
    float m_fScore = 0.0f;
    std::int32_t m_iWinnerID = 0;
    COutput* m_pWinnerOutput = nullptr;
    bool m_bInTrainingSet = false;
    bool m_bInActiveList = false;
    bool m_bSelected = false;
    std::int32_t m_iDisplayIndex = 0;
    // Kept out of training to test the network on (never stored in the file):
    // never in the working set, never in a gradient.
    bool m_bHeldOut = false;
};

// A scenario training learns from: it has a target and is not held out.
inline bool Trainable(const CScenario& s) { return s.m_pTarget != nullptr && !s.m_bHeldOut; }

struct ScenarioEntry {
    std::int32_t id = 0;
    CScenario* scenario = nullptr;
};

enum ColumnType : std::int32_t { kColName = 10, kColInput = 20, kColTarget = 30, kColScore = 60 };

struct ScenarioColumn {
    std::int32_t number = 0;
    std::int32_t type = kColName;
    std::int32_t width = 0;
    std::string title;
    std::int32_t receptorID = 0;  // input columns: the sensory receptor
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t rowHeight = 20;
};

enum SortMode : std::int32_t { kSortReapply = -1, kSortListOrder = 0, kSortAscending = 1, kSortDescending = 2 };

class CScenarioMgr {
public:
    CScenarioMgr(std::int32_t id, CReceptorMgr* model);
    ~CScenarioMgr();
    CScenarioMgr(const CScenarioMgr&) = delete;
    CScenarioMgr& operator=(const CScenarioMgr&) = delete;

    CScenario* CreateScenario(CReceptor* action);
    CScenario* AppendScenario(std::int32_t id);
    // Appends a scenario built elsewhere; the first one builds the columns.
    CScenario* Adopt(std::unique_ptr<CScenario> s);
    void ApplyScenario(CScenario* s);
    double StoredValue(const CScenario* s, std::int32_t receptorID) const;
    void EvaluateScenario(CScenario* s);
    void EvaluateAll();
    void ScoreAll();
    std::int32_t SetTargetOfSelection(std::int32_t targetID);
    static int CompareScenarios(const CScenario* existing, const CScenario* candidate);
    void SelectAll();
    void ClearSelection();
    void Select(CScenario* s);
    void Deselect(CScenario* s);
    std::int32_t DeleteSelected();
    void DeleteScenario(CScenario* s);
    void RemoveInputValues(const CVariable* variable);
    void BuildColumns();
    // column: index into Columns(), or -1 for none.
    void SortScenarios(std::int32_t column, std::int32_t mode);
    // Sorts by the score column ("CrOut") descending, building the columns when there are none.
    void SortByScoreDescending();
    // Resolves every scenario's target receptor by its target ID.
    void ResolveTargets();
    // Empties the manager (closing the project).
    void Clear();

    std::int32_t Recount();
    std::int32_t Count() const { return static_cast<std::int32_t>(m_scenarios.size()); }
    const std::vector<std::unique_ptr<CScenario>>& Scenarios() const { return m_scenarios; }
    const std::vector<CScenario*>& Sorted() const { return m_sorted; }
    const std::vector<ScenarioColumn>& Columns() const { return m_columns; }
    std::int32_t SortColumn() const { return m_iSortColumn; }
    std::int32_t SortModeValue() const { return m_iSortMode; }
    std::int32_t IndexOf(const CScenario* s) const;

    // Drops every target and winner reference to a receptor or output about to be deleted.
    void ForgetReceptor(const CReceptor* r);
    void ForgetOutput(const COutput* o);
    // Removes a scenario from the active and newly-added lists.
    void DropFromWorkingSet(const CScenario* s);

    std::int32_t m_ID = 0;
    std::int32_t m_iOwnerModelID = 0;
    CReceptorMgr* m_pModel = nullptr;
    std::int32_t m_iScenarioCount = 0;
    std::int32_t m_iLearnedCount = 0;
    float m_fLearnedPercent = 0.0f;
    std::vector<ScenarioEntry> m_selection;
    std::int32_t m_iTrainingSetSize = 0;
    std::int32_t m_iBatchSize = 4;

    // Working-set state of the training cycle.
    bool m_bTrainingInProgress = false;
    bool m_bInitialised = false;
    std::int32_t m_iWorkingSetSize = 0;
    std::int32_t m_iPrevWorkingSetSize = 0;
    std::int32_t m_iResetCount = 0;
    std::int32_t m_iCyclesSinceChange = 0;
    double m_dStartLearnRate = 0.0;
    std::vector<ScenarioEntry> m_active;
    std::vector<ScenarioEntry> m_newlyAdded;

    // Told before a scenario is freed, so holders of references can drop them.
    std::function<void(const CScenario*)> m_onScenarioDeleted;

private:
    std::int32_t SortKey(const CScenario& s, const ScenarioColumn* col, std::int32_t mode) const;
    void ScoreFromLearned(CScenario* s) const;
    void Forget(const CScenario* s);

    std::vector<std::unique_ptr<CScenario>> m_scenarios;
    std::vector<CScenario*> m_sorted;
    std::vector<ScenarioColumn> m_columns;
    // Sensors by receptor ID (in sensor-list order among equal IDs), rebuilt
    // when the model's structure changes, so applying a scenario is not
    // quadratic in the number of inputs.
    std::vector<std::pair<std::int32_t, CReceptor*>> m_sensorIndex;
    std::uint64_t m_sensorIndexVersion = ~std::uint64_t{0};
    std::int32_t m_iSortColumn = -1;
    std::int32_t m_iSortMode = 0;
};

// Sets the score from the learned flag: 1.0, else the target receptor's value
// (0 when the scenario has no target receptor).
float ScenarioScore(const CScenario& s);

}  // namespace ks
