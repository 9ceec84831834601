#include "training/holdout.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "model/scenario_mgr.h"
#include "model/text.h"

namespace ks {

namespace {

// splitmix64: a small generator of our own, so a split never draws from (or
// disturbs) the generator training uses.
std::uint64_t Mix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Item indexes per class, each class in key order and then shuffled.
std::map<std::int32_t, std::vector<std::size_t>> ShuffledClasses(const std::vector<SplitItem>& items,
                                                                  std::uint32_t seed) {
    std::map<std::int32_t, std::vector<std::size_t>> classes;
    for (std::size_t i = 0; i < items.size(); ++i) classes[items[i].category].push_back(i);
    std::uint64_t state = seed;
    for (auto& [category, members] : classes) {
        std::sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) { return items[a].key < items[b].key; });
        for (std::size_t i = members.size(); i > 1; --i) std::swap(members[i - 1], members[Mix(state) % i]);
    }
    return classes;
}

}  // namespace

std::vector<std::int32_t> StratifiedFolds(const std::vector<SplitItem>& items, std::int32_t folds, std::uint32_t seed) {
    std::vector<std::int32_t> fold(items.size(), 0);
    if (folds < 1) return fold;
    // Dealing continues round the folds from class to class, so small classes
    // do not all land in the first folds.
    std::int32_t next = 0;
    for (const auto& [category, members] : ShuffledClasses(items, seed))
        for (std::size_t i : members) {
            fold[i] = next;
            next = (next + 1) % folds;
        }
    return fold;
}

std::vector<char> StratifiedHoldOut(const std::vector<SplitItem>& items, double fraction, std::uint32_t seed) {
    std::vector<char> held(items.size(), 0);
    for (const auto& [category, members] : ShuffledClasses(items, seed)) {
        const auto n = static_cast<std::size_t>(std::lround(fraction * static_cast<double>(members.size())));
        for (std::size_t i = 0; i < n && i < members.size(); ++i) held[members[i]] = 1;
    }
    return held;
}

std::string HoldOutScenarios(CScenarioMgr& sm, double fraction, std::uint32_t seed) {
    if (!(fraction > 0.0 && fraction < 1.0)) return Format("the held-out fraction must be between 0 and 1 (not %g)", fraction);
    std::vector<SplitItem> items;
    std::vector<CScenario*> scenarios;
    for (const auto& s : sm.Scenarios()) {
        if (!s->m_pTarget) continue;
        items.push_back({s->m_ID, s->m_iTargetID});
        scenarios.push_back(s.get());
    }
    const std::vector<char> held = StratifiedHoldOut(items, fraction, seed);
    const auto out = static_cast<std::size_t>(std::count(held.begin(), held.end(), 1));
    if (out == 0)
        return Format("holding out %g of %zu scenarios leaves none to test on", fraction, scenarios.size());
    if (out == scenarios.size())
        return Format("holding out %g of %zu scenarios leaves none to train on", fraction, scenarios.size());
    for (const auto& s : sm.Scenarios()) s->m_bHeldOut = false;
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        CScenario* s = scenarios[i];
        if (!held[i]) continue;
        s->m_bHeldOut = true;
        s->m_bInTrainingSet = false;
        s->m_bInActiveList = false;
    }
    auto heldOut = [](const ScenarioEntry& e) { return e.scenario->m_bHeldOut; };
    std::erase_if(sm.m_active, heldOut);
    std::erase_if(sm.m_newlyAdded, heldOut);
    // The working set of an earlier run may have held these: start it afresh.
    sm.m_bInitialised = false;
    return {};
}

}  // namespace ks
