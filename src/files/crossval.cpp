#include "files/crossval.h"

#include <cmath>
#include <unordered_map>

#include "files/data_table.h"
#include "files/test_data.h"
#include "model/project.h"
#include "model/text.h"
#include "training/holdout.h"

namespace ks {

namespace {

DataTable RowsOf(const DataTable& table, const std::vector<std::int32_t>& fold, std::int32_t k, bool in) {
    DataTable part;
    part.names = table.names;
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if ((fold[r] == k) == in) part.rows.push_back(table.rows[r]);
    return part;
}

}  // namespace

std::string CheckFolds(const DataTable& table, std::int32_t folds, std::size_t firstInput) {
    if (folds < 2) return Format("the number of folds must be at least 2 (not %d)", folds);
    if (table.names.empty() || firstInput + 1 >= table.names.size())
        return "there is no input column between the names and the decision";
    if (table.rows.size() < static_cast<std::size_t>(folds))
        return Format("%d folds are more than the %zu cases", folds, table.rows.size());
    return {};
}

CrossvalResult CrossValidate(const DataTable& table, const CrossvalSetup& setup) {
    CrossvalResult out;
    if (std::string why = CheckFolds(table, setup.folds, setup.firstInput); !why.empty()) {
        out.error = std::move(why);
        return out;
    }
    const std::size_t decision = table.names.size() - 1;
    // Classes by the decision's text in any letter case, as the import names outputs.
    std::vector<SplitItem> items;
    std::unordered_map<std::string, std::int32_t> classOf;
    std::vector<std::string>& names = out.pooled.outputs;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const std::string& text = table.rows[r].cells[decision].text;
        auto [it, added] = classOf.try_emplace(AsciiLower(text), static_cast<std::int32_t>(names.size()));
        if (added) names.push_back(text);
        items.push_back({static_cast<std::int64_t>(r), it->second});
    }
    const std::vector<std::int32_t> fold = StratifiedFolds(items, setup.folds, setup.seed);
    const std::size_t n = names.size();
    out.pooled.confusion.assign(n, std::vector<std::int32_t>(n + 1, 0));
    for (std::int32_t k = 0; k < setup.folds; ++k) {
        if (setup.cancel && setup.cancel->load()) {
            out.cancelled = true;
            return out;
        }
        CProject p(setup.settings);
        if (std::string why = setup.build(p, RowsOf(table, fold, k, false)); !why.empty()) {
            out.error = Format("fold %d: %s", k + 1, why.c_str());
            return out;
        }
        FoldResult f;
        f.reason = setup.train(p);
        const TestData test = ReadTestTable(RowsOf(table, fold, k, true), "the fold's rows", p, setup.firstInput);
        if (!test.error.empty()) {
            out.error = Format("fold %d: %s", k + 1, test.error.c_str());
            return out;
        }
        const EvaluationReport r = EvaluateCases(p, test.cases);
        f.cases = r.cases;
        f.correct = r.correct;
        f.accuracy = r.accuracy;
        f.leftOut = test.leftOut;
        f.unknownTargets = test.unknownTargets;
        f.cycles = p.m_iCycleCounter;
        // The fold's outputs are named in the order its rows met them; pool by name.
        for (std::size_t t = 0; t < r.outputs.size(); ++t) {
            const auto gt = static_cast<std::size_t>(classOf.at(AsciiLower(r.outputs[t])));
            for (std::size_t d = 0; d <= r.outputs.size(); ++d) {
                const std::size_t gd = d == r.outputs.size() ? n : static_cast<std::size_t>(classOf.at(AsciiLower(r.outputs[d])));
                out.pooled.confusion[gt][gd] += r.confusion[t][d];
            }
        }
        out.folds.push_back(f);
        out.leftOut += f.leftOut;
        out.unknownTargets += f.unknownTargets;
        if (setup.progress) setup.progress(k, f);
    }
    FinishReport(out.pooled);
    for (const FoldResult& f : out.folds) out.mean += f.accuracy;
    out.mean /= static_cast<double>(out.folds.size());
    for (const FoldResult& f : out.folds) out.sd += (f.accuracy - out.mean) * (f.accuracy - out.mean);
    out.sd = out.folds.size() > 1 ? std::sqrt(out.sd / static_cast<double>(out.folds.size() - 1)) : 0.0;
    return out;
}

}  // namespace ks
