#include "training/endpoints.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/numeric.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/text.h"
#include "training/messages.h"

namespace ks {

namespace {

struct EndpointInput {
    CReceptor* sensor;
    double low, high;
};

// Finds existing scenarios that repeat a candidate's input values. The usual
// case (an existing scenario holding exactly one value per generated input)
// is a hash lookup; anything else falls back to the pairwise comparison.
class DuplicateIndex {
public:
    explicit DuplicateIndex(const std::vector<EndpointInput>& inputs) {
        for (std::size_t i = 0; i < inputs.size(); ++i) m_position.push_back(inputs[i].sensor->m_ID);
    }

    void Add(const CScenario* s) {
        std::string key;
        switch (Classify(*s, key)) {
        case Kind::Keyed: m_keys.insert(std::move(key)); break;
        case Kind::Other: m_others.push_back(s); break;
        case Kind::NeverMatches: break;
        }
    }

    bool Repeats(const CScenario* candidate, const std::string& candidateKey) const {
        if (m_keys.count(candidateKey)) return true;
        return std::any_of(m_others.begin(), m_others.end(),
                           [&](const CScenario* e) { return CScenarioMgr::CompareScenarios(e, candidate) != 0; });
    }

    // The candidate's key: its values in input order (negative zero folded).
    static std::string KeyOf(const std::vector<double>& values) {
        std::string key(values.size() * sizeof(double), '\0');
        for (std::size_t i = 0; i < values.size(); ++i) {
            const double v = values[i] == 0.0 ? 0.0 : values[i];
            std::memcpy(&key[i * sizeof(double)], &v, sizeof v);
        }
        return key;
    }

private:
    enum class Kind { Keyed, Other, NeverMatches };

    Kind Classify(const CScenario& s, std::string& key) const {
        std::vector<double> values(m_position.size());
        std::vector<char> seen(m_position.size(), 0);
        for (const VARINFO& vi : s.m_inputs) {
            auto it = std::find(m_position.begin(), m_position.end(), vi.receptorID);
            // A value for a receptor the candidates lack can never be matched.
            if (it == m_position.end()) return Kind::NeverMatches;
            const auto i = static_cast<std::size_t>(it - m_position.begin());
            if (seen[i]) return Kind::Other;
            if (vi.value != vi.value) return Kind::NeverMatches;  // NaN equals nothing
            seen[i] = 1;
            values[i] = vi.value;
        }
        if (std::find(seen.begin(), seen.end(), 0) != seen.end()) return Kind::Other;
        key = KeyOf(values);
        return Kind::Keyed;
    }

    std::vector<std::int32_t> m_position;
    std::unordered_set<std::string> m_keys;
    std::vector<const CScenario*> m_others;
};

}  // namespace

std::int64_t CreateEndpointScenarios(CProject& project, IPrompt& prompt) {
    CReceptorMgr* model = project.Model();
    CScenarioMgr* sm = project.Scenarios();
    if (!model || !sm) return 0;
    model->RecountAttachments();
    const int n = model->m_iInputCount;
    if (n == 0) {
        prompt.Notify(Format(msg::kEndpointNoInputs, model->m_name.c_str()));
        return 0;
    }
    const std::int64_t total = n < 62 ? (std::int64_t{1} << n) : INT64_MAX;
    if (prompt.Ask(Format(msg::kEndpointQuestion, static_cast<long long>(total), n, model->m_name.c_str()),
                   Buttons::YesNo) != Answer::Yes)
        return 0;
    if (total > kMaxEndpointScenarios) {
        prompt.Notify(msg::kEndpointTooMany);
        return 0;
    }

    std::vector<EndpointInput> inputs;
    for (CReceptor* r : model->Sensors()) {
        if (!r->m_pVariable) continue;
        const CVariable& v = *r->m_pVariable;
        if (v.m_iType == kDescriptorList)
            inputs.push_back({r, 0.0, static_cast<double>(v.ItemCount() - 1)});
        else
            inputs.push_back({r, static_cast<double>(Trunc32(v.m_dMin)), static_cast<double>(Trunc32(v.m_dMax))});
    }
    const std::int32_t targetID = model->Actions().empty() ? 0 : model->Actions().front()->m_ID;

    DuplicateIndex existing(inputs);
    for (const auto& s : sm->Scenarios()) existing.Add(s.get());

    std::vector<double> values(inputs.size());
    for (std::int64_t c = 0; c < total; ++c) {
        auto s = std::make_unique<CScenario>();
        s->m_name = Format("Scenario: %lld", static_cast<long long>(c + 1));
        s->m_iDisplayIndex = -1;
        s->m_ID = static_cast<std::int32_t>(c + 1);
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            // Input 1 changes slowest: it is the most significant bit of c.
            const std::int64_t block = total >> (i + 1);
            values[i] = ((c / block) % 2) ? inputs[i].high : inputs[i].low;
            const CVariable& v = *inputs[i].sensor->m_pVariable;
            s->m_inputs.push_back({inputs[i].sensor->m_ID, 0, v.m_ID, v.m_dMin, v.m_dMax, values[i]});
        }
        for (const auto& r : model->m_receptors) {
            if (r->m_iKind != kAction || !r->m_bAttachedToOutput) continue;
            s->m_outputs.push_back({r->m_ID, r->m_ID == targetID ? 0.82 : 0.5, TruncateUtf16(r->m_label, 39), false});
        }
        s->m_iTargetID = targetID;
        if (existing.Repeats(s.get(), DuplicateIndex::KeyOf(values))) continue;
        s->m_bLearned = false;
        s->m_bInActiveList = false;
        s->m_pModel = model;
        s->m_pTarget = model->FindReceptor(targetID);
        CScenario* added = sm->Adopt(std::move(s));
        existing.Add(added);
    }

    for (CReceptor* r : model->Actions()) {
        if (!r->m_bAttachedToOutput) continue;
        const double w = r->m_ID == targetID ? 0.5 : -0.5;
        for (const CLink& l : r->m_inputLinks) l.connection->SetWeight(w);
    }
    sm->BuildColumns();
    sm->SortScenarios(-1, kSortListOrder);
    return total;
}

}  // namespace ks
