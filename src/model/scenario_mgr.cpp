#include "model/scenario_mgr.h"

#include <algorithm>
#include <numeric>

#include "model/numeric.h"
#include "model/random.h"
#include "model/receptor_mgr.h"
#include "model/text.h"
#include "model/variable.h"

namespace ks {

float ScenarioScore(const CScenario& s) {
    if (s.m_bLearned) return 1.0f;
    return s.m_pTarget ? static_cast<float>(s.m_pTarget->SendValue()) : 0.0f;
}

CScenarioMgr::CScenarioMgr(std::int32_t id, CReceptorMgr* model)
    : m_ID(id), m_iOwnerModelID(model ? model->m_ID : 0), m_pModel(model) {}

CScenarioMgr::~CScenarioMgr() = default;

std::int32_t CScenarioMgr::Recount() {
    m_iScenarioCount = Count();
    return m_iScenarioCount;
}

std::int32_t CScenarioMgr::IndexOf(const CScenario* s) const {
    for (std::size_t i = 0; i < m_scenarios.size(); ++i)
        if (m_scenarios[i].get() == s) return static_cast<std::int32_t>(i);
    return -1;
}

CScenario* CScenarioMgr::CreateScenario(CReceptor* action) {
    if (!m_pModel || m_pModel->Actions().empty()) return nullptr;
    const std::int32_t count = Recount();
    auto s = std::make_unique<CScenario>();
    s->m_name = Format("Scenario: %d", count + 1);
    const std::int32_t target = action ? action->m_ID : m_pModel->Actions().front()->m_ID;
    s->m_bInTrainingSet = true;
    s->m_pModel = m_pModel;
    for (CReceptor* r : m_pModel->Sensors()) {
        if (!r->m_pVariable) continue;
        const CVariable* v = r->m_pVariable;
        s->m_inputs.push_back({r->m_ID, 0, v->m_ID, v->m_dMin, v->m_dMax, v->m_dValue});
    }
    s->m_iTargetID = target;
    s->m_pTarget = m_pModel->FindReceptor(target);
    for (CReceptor* r : m_pModel->Actions()) r->m_bTarget = r->m_ID == target;
    s->m_ID = DrawId(kIdSpan, [this](std::int32_t id) {
        return std::any_of(m_scenarios.begin(), m_scenarios.end(), [&](const auto& p) { return p->m_ID == id; });
    });
    m_scenarios.push_back(std::move(s));
    if (m_scenarios.size() == 1) BuildColumns();
    Recount();
    return m_scenarios.back().get();
}

CScenario* CScenarioMgr::AppendScenario(std::int32_t id) {
    auto s = std::make_unique<CScenario>();
    s->m_ID = id;
    s->m_pModel = m_pModel;
    m_scenarios.push_back(std::move(s));
    Recount();
    return m_scenarios.back().get();
}

CScenario* CScenarioMgr::Adopt(std::unique_ptr<CScenario> s) {
    m_scenarios.push_back(std::move(s));
    Recount();
    if (m_scenarios.size() == 1) {
        BuildColumns();
        SortScenarios(-1, kSortListOrder);
    }
    return m_scenarios.back().get();
}

void CScenarioMgr::ApplyScenario(CScenario* s) {
    if (!s || !m_pModel) return;
    if (m_sensorIndexVersion != m_pModel->m_structureVersion) {
        m_sensorIndex.clear();
        for (CReceptor* r : m_pModel->Sensors()) m_sensorIndex.emplace_back(r->m_ID, r);
        std::stable_sort(m_sensorIndex.begin(), m_sensorIndex.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        m_sensorIndexVersion = m_pModel->m_structureVersion;
    }
    for (const VARINFO& vi : s->m_inputs) {
        auto it = std::lower_bound(m_sensorIndex.begin(), m_sensorIndex.end(), vi.receptorID,
                                   [](const auto& e, std::int32_t id) { return e.first < id; });
        for (; it != m_sensorIndex.end() && it->first == vi.receptorID; ++it) {
            CReceptor* r = it->second;
            if (!r->m_pVariable || r->m_pVariable->m_ID != vi.variableID) continue;
            r->m_pVariable->SetValue(vi.value);
            r->m_bSatisfied = false;
        }
    }
    for (CReceptor* r : m_pModel->Actions()) {
        r->m_bSatisfied = false;
        r->m_dError = 0.0;
        if (r->m_ID == s->m_iTargetID) {
            r->m_bTarget = true;
            r->m_dTargetValue = kTargetLevel;
        } else {
            r->m_bTarget = false;
            r->m_dTargetValue = 0.5;
        }
    }
}

double CScenarioMgr::StoredValue(const CScenario* s, std::int32_t receptorID) const {
    if (!s) return 0.0;
    for (const VARINFO& vi : s->m_inputs)
        if (vi.receptorID == receptorID) return vi.value;
    return 0.0;
}

void CScenarioMgr::EvaluateScenario(CScenario* s) {
    if (!s || !m_pModel) return;
    s->m_bLearned = false;
    ApplyScenario(s);
    m_pModel->Evaluate();
    const std::int32_t winner = m_pModel->WinnerID();
    // A scenario without a target receptor can never be learned.
    s->m_bLearned = s->m_pTarget != nullptr && winner == s->m_iTargetID;
    s->m_iWinnerID = winner;
    const CReceptor* w = winner ? m_pModel->FindReceptor(winner) : nullptr;
    s->m_pWinnerOutput = w ? w->m_pOutput : nullptr;
    s->m_fScore = ScenarioScore(*s);
}

void CScenarioMgr::EvaluateAll() {
    std::int32_t learned = 0, inTraining = 0;
    for (const auto& s : m_scenarios) {
        EvaluateScenario(s.get());
        if (s->m_bLearned) ++learned;
        if (s->m_bInTrainingSet) ++inTraining;
    }
    m_iLearnedCount = learned;
    m_iTrainingSetSize = inTraining;
    m_iWorkingSetSize = learned;
    m_iPrevWorkingSetSize = learned;
}

void CScenarioMgr::ScoreFromLearned(CScenario* s) const { s->m_fScore = ScenarioScore(*s); }

void CScenarioMgr::ScoreAll() {
    if (!m_pModel) return;
    for (const auto& s : m_scenarios) {
        ApplyScenario(s.get());
        m_pModel->Evaluate();
        m_pModel->MarkLastBestWinner();
        ScoreFromLearned(s.get());
    }
}

std::int32_t CScenarioMgr::SetTargetOfSelection(std::int32_t targetID) {
    std::int32_t n = 0;
    for (const ScenarioEntry& e : m_selection) {
        e.scenario->m_iTargetID = targetID;
        e.scenario->m_pTarget = m_pModel ? m_pModel->FindReceptor(targetID) : nullptr;
        ++n;
    }
    for (const auto& s : m_scenarios) s->m_bLearned = false;
    ScoreAll();
    return n;
}

int CScenarioMgr::CompareScenarios(const CScenario* existing, const CScenario* candidate) {
    if (!existing || !candidate) return 0;
    std::size_t matches = 0;
    for (const VARINFO& a : existing->m_inputs) {
        for (const VARINFO& b : candidate->m_inputs) {
            if (b.receptorID != a.receptorID) continue;
            if (a.value == b.value) ++matches;
            break;
        }
    }
    if (matches != existing->m_inputs.size()) return 0;
    return existing->m_iTargetID == candidate->m_iTargetID ? 1 : -1;
}

void CScenarioMgr::SelectAll() {
    m_selection.clear();
    for (const auto& s : m_scenarios) {
        s->m_bSelected = true;
        m_selection.push_back({s->m_ID, s.get()});
    }
}

void CScenarioMgr::ClearSelection() {
    for (const auto& s : m_scenarios) s->m_bSelected = false;
    m_selection.clear();
}

void CScenarioMgr::Select(CScenario* s) {
    if (!s || s->m_bSelected) return;
    s->m_bSelected = true;
    m_selection.push_back({s->m_ID, s});
}

void CScenarioMgr::Deselect(CScenario* s) {
    if (!s) return;
    s->m_bSelected = false;
    auto it = std::find_if(m_selection.begin(), m_selection.end(),
                           [&](const ScenarioEntry& e) { return e.id == s->m_ID; });
    if (it != m_selection.end()) m_selection.erase(it);
}

void CScenarioMgr::DropFromWorkingSet(const CScenario* s) {
    std::erase_if(m_active, [&](const ScenarioEntry& e) { return e.scenario == s; });
    std::erase_if(m_newlyAdded, [&](const ScenarioEntry& e) { return e.scenario == s; });
}

// Removes every reference the manager and its holders keep to s.
void CScenarioMgr::Forget(const CScenario* s) {
    std::erase_if(m_selection, [&](const ScenarioEntry& e) { return e.scenario == s; });
    DropFromWorkingSet(s);
    std::erase(m_sorted, s);
    if (m_onScenarioDeleted) m_onScenarioDeleted(s);
}

std::int32_t CScenarioMgr::DeleteSelected() {
    std::int32_t deleted = 0;
    for (const auto& s : m_scenarios) {
        if (!s->m_bSelected) continue;
        if (m_onScenarioDeleted) m_onScenarioDeleted(s.get());
        ++deleted;
    }
    // One pass per list keeps deleting a large selection linear.
    std::erase_if(m_sorted, [](const CScenario* s) { return s->m_bSelected; });
    std::erase_if(m_scenarios, [](const auto& s) { return s->m_bSelected; });
    m_selection.clear();
    for (const auto& s : m_scenarios) s->m_bInActiveList = false;
    m_active.clear();
    m_newlyAdded.clear();
    Recount();
    if (m_scenarios.empty()) {
        m_sorted.clear();
    } else {
        SortScenarios(m_iSortColumn, m_iSortMode);
    }
    return deleted;
}

void CScenarioMgr::DeleteScenario(CScenario* s) {
    if (!s) return;
    Deselect(s);
    Forget(s);
    std::erase_if(m_scenarios, [&](const auto& p) { return p.get() == s; });
    Recount();
}

void CScenarioMgr::RemoveInputValues(const CVariable* variable) {
    if (!variable) return;
    for (const auto& s : m_scenarios)
        std::erase_if(s->m_inputs, [&](const VARINFO& vi) { return vi.variableID == variable->m_ID; });
}

void CScenarioMgr::BuildColumns() {
    m_columns.clear();
    auto add = [this](std::int32_t type, std::int32_t width, std::string title, std::int32_t receptorID) {
        ScenarioColumn c;
        c.number = static_cast<std::int32_t>(m_columns.size());
        c.type = type;
        c.width = width;
        c.title = std::move(title);
        c.receptorID = receptorID;
        c.left = m_columns.empty() ? 0 : m_columns.back().right;
        c.right = c.left + width;
        m_columns.push_back(std::move(c));
    };
    add(kColName, 100, "Scenario", 0);
    if (m_pModel) {
        for (const auto& r : m_pModel->m_receptors) {
            if (r->m_iKind != kSensor || !r->m_pVariable) continue;
            const auto len = static_cast<std::int32_t>(Utf8ToUtf16(r->m_pVariable->m_name).size());
            add(kColInput, 8 * len, r->m_pVariable->m_name, r->m_ID);
        }
    }
    add(kColTarget, 100, "Target", 0);
    add(kColScore, 50, "CrOut", 0);
    m_iSortColumn = 0;
    m_iSortMode = kSortListOrder;
}

std::int32_t CScenarioMgr::SortKey(const CScenario& s, const ScenarioColumn* col, std::int32_t mode) const {
    const std::int32_t type = col ? col->type : kColName;
    switch (type) {
    case kColInput: return Trunc32(StoredValue(&s, col->receptorID));
    case kColTarget:
        if (mode == kSortDescending) return s.m_iTargetID;
        return s.m_pTarget ? FirstCharCode(s.m_pTarget->m_label) : 0;
    case kColScore: return Trunc32(static_cast<double>(s.m_fScore) * 1000.0);
    default: return FirstCharCode(s.m_name);
    }
}

void CScenarioMgr::SortScenarios(std::int32_t column, std::int32_t mode) {
    if (mode == kSortReapply) {
        if (m_iSortColumn < 0) return;
        column = m_iSortColumn;
        mode = m_iSortMode;
    }
    const ScenarioColumn* col = nullptr;
    if (column >= 0 && column < static_cast<std::int32_t>(m_columns.size())) {
        col = &m_columns[static_cast<std::size_t>(column)];
    } else {
        column = -1;
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].type == kColName) {
                col = &m_columns[i];
                column = static_cast<std::int32_t>(i);
                break;
            }
    }
    const std::size_t n = m_scenarios.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (mode == kSortAscending || mode == kSortDescending) {
        std::vector<std::int32_t> keys(n);
        for (std::size_t i = 0; i < n; ++i) keys[i] = SortKey(*m_scenarios[i], col, mode);
        // Among equal keys the later scenario in list order comes first.
        const bool desc = mode == kSortDescending;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            if (keys[a] != keys[b]) return desc ? keys[a] > keys[b] : keys[a] < keys[b];
            return a > b;
        });
    }
    m_sorted.clear();
    m_sorted.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        CScenario* s = m_scenarios[order[i]].get();
        s->m_iDisplayIndex = static_cast<std::int32_t>(i) + 1;
        m_sorted.push_back(s);
    }
    m_iSortColumn = column;
    m_iSortMode = mode;
}

void CScenarioMgr::SortByScoreDescending() {
    if (m_columns.empty()) BuildColumns();
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].type == kColScore) {
            SortScenarios(static_cast<std::int32_t>(i), kSortDescending);
            return;
        }
}

void CScenarioMgr::ResolveTargets() {
    for (const auto& s : m_scenarios) s->m_pTarget = m_pModel ? m_pModel->FindReceptor(s->m_iTargetID) : nullptr;
}

void CScenarioMgr::ForgetReceptor(const CReceptor* r) {
    for (const auto& s : m_scenarios)
        if (s->m_pTarget == r) s->m_pTarget = nullptr;
}

void CScenarioMgr::ForgetOutput(const COutput* o) {
    for (const auto& s : m_scenarios)
        if (s->m_pWinnerOutput == o) s->m_pWinnerOutput = nullptr;
}

void CScenarioMgr::Clear() {
    for (const auto& s : m_scenarios)
        if (m_onScenarioDeleted) m_onScenarioDeleted(s.get());
    m_selection.clear();
    m_active.clear();
    m_newlyAdded.clear();
    m_sorted.clear();
    m_columns.clear();
    m_scenarios.clear();
    m_iScenarioCount = 0;
}

}  // namespace ks
