#pragma once
// Stratified, seeded splits of cases into a held-out part or K folds. A split
// depends only on the seed, the cases' keys (scenario IDs, row numbers) and
// their classes, never on the order they are given in or on the training
// generator, so the same seed gives the same split every time.
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

class CScenarioMgr;

struct SplitItem {
    std::int64_t key = 0;       // unique per case
    std::int32_t category = 0;  // its class (the decision)
};

// The fold (0 .. folds-1) of every item: each class is shuffled and dealt
// round the folds, so every fold holds about the same share of each class
// (a class with fewer cases than folds has at most one case per fold).
std::vector<std::int32_t> StratifiedFolds(const std::vector<SplitItem>& items, std::int32_t folds, std::uint32_t seed);

// Whether each item is held out: round(fraction * n) of each class of n
// cases, at random.
std::vector<char> StratifiedHoldOut(const std::vector<SplitItem>& items, double fraction, std::uint32_t seed);

// Marks a stratified fraction of the scenarios that have a target as held
// out (and clears the mark on the rest). Returns an empty text, or why the
// split cannot be made (then nothing is marked).
std::string HoldOutScenarios(CScenarioMgr& sm, double fraction, std::uint32_t seed);

}  // namespace ks
