// kestrine-cli crossval: K-fold cross-validation of a data file. Each fold is
// imported from its training rows alone and trained exactly as import and
// train would, then tested on the rows it never saw.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <unordered_map>

#include "cli/commands.h"
#include "files/data_import.h"
#include "files/data_table.h"
#include "files/test_data.h"
#include "model/project.h"
#include "model/random.h"
#include "model/text.h"
#include "qt/qsettings_store.h"
#include "session/session.h"
#include "training/evaluation_report.h"
#include "training/holdout.h"

namespace ks::cli {

namespace {

struct FoldResult {
    std::int32_t cases = 0, correct = 0, leftOut = 0, unknownTargets = 0, cycles = 0;
    double accuracy = 0.0;
    StopReason reason = StopReason::None;
};

DataTable RowsOf(const DataTable& table, const std::vector<std::int32_t>& fold, std::int32_t k, bool in) {
    DataTable part;
    part.names = table.names;
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        if ((fold[r] == k) == in) part.rows.push_back(table.rows[r]);
    return part;
}

}  // namespace

int Crossval(const CrossvalOptions& o) {
    auto usage = [](const std::string& why) {
        std::fprintf(stderr, "kestrine-cli: usage: %s\n", why.c_str());
        return kUsage;
    };
    if (o.folds < 2) return usage(Format("--folds must be at least 2 (not %d)", o.folds));
    std::vector<std::uint8_t> bytes;
    if (const std::string why = ReadDataFile(o.data, bytes); !why.empty()) {
        std::fprintf(stderr, "kestrine-cli: %s\n", why.c_str());
        return kFailed;
    }
    const DataTable table = ParseDataText(bytes.data(), bytes.size(), o.noHeader);
    if (!table.Ok()) return Fail(o.data, table.error);
    const std::size_t firstInput = o.names ? 1 : 0, decision = table.names.size() - 1;
    if (firstInput >= decision) return Fail(o.data, "there is no input column between the names and the decision");
    if (table.rows.size() < static_cast<std::size_t>(o.folds))
        return usage(Format("--folds %d is more than the %zu cases of %s", o.folds, table.rows.size(), o.data.c_str()));

    // Classes by the decision's text in any letter case, as the import names outputs.
    std::vector<SplitItem> items;
    std::unordered_map<std::string, std::int32_t> classOf;
    std::vector<std::string> classNames;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const std::string& text = table.rows[r].cells[decision].text;
        auto [it, added] = classOf.try_emplace(AsciiLower(text), static_cast<std::int32_t>(classNames.size()));
        if (added) classNames.push_back(text);
        items.push_back({static_cast<std::int64_t>(r), it->second});
    }
    const std::uint32_t seed = o.train.seed.value_or(1);
    const std::vector<std::int32_t> fold = StratifiedFolds(items, o.folds, seed);
    const std::atomic<bool>& stop = StopSignals();

    const std::size_t n = classNames.size();
    std::vector<std::vector<std::int32_t>> pooled(n, std::vector<std::int32_t>(n + 1, 0));
    std::vector<FoldResult> results;
    TrainOptions train = o.train;
    train.seed = seed;
    QSettingsStore store;
    for (std::int32_t k = 0; k < o.folds && !stop.load(); ++k) {
        CDataImport import;
        import.Choose(o.data);
        import.m_bScenarioNames = o.names;
        import.m_bNoHeader = o.noHeader;
        import.m_missing = o.missing == "drop" ? MissingValues::Drop
                           : o.missing == "refuse" ? MissingValues::Refuse
                                                   : MissingValues::Keep;
        import.m_table = std::make_shared<const DataTable>(RowsOf(table, fold, k, false));
        SeedRandom(seed);
        CProject p(&store);
        ConsolePrompt prompt;
        CSession session(p, prompt, &store);
        session.ImportProject(import, o.bias);
        if (!import.m_report.ok) return Fail(Format("fold %d of %s", k + 1, o.data.c_str()), import.m_report.error);
        p.AlignInView(720, 420);  // as the import command leaves it
        p.UpdateNetwork();
        ApplyTrainOptions(p, train);
        RunLimits limits;
        limits.maxCycles = train.maxCycles;
        limits.maxSeconds = train.maxSeconds;
        limits.patience = train.patience;
        limits.interrupt = &stop;
        CRunMonitor monitor(p, limits);
        if (!TrainToEnd(session, monitor, true)) return Fail(Format("fold %d", k + 1), "training could not start");

        const TestData test = ReadTestTable(RowsOf(table, fold, k, true), o.data, p, firstInput);
        if (!test.error.empty()) return Fail(Format("fold %d", k + 1), test.error);
        const EvaluationReport r = EvaluateCases(p, test.cases);
        FoldResult f;
        f.cases = r.cases;
        f.correct = r.correct;
        f.accuracy = r.accuracy;
        f.leftOut = test.leftOut;
        f.unknownTargets = test.unknownTargets;
        f.cycles = p.m_iCycleCounter;
        f.reason = monitor.Reason();
        // The fold's outputs are named in the order its rows met them; pool by name.
        for (std::size_t t = 0; t < r.outputs.size(); ++t) {
            const std::int32_t gt = classOf.at(AsciiLower(r.outputs[t]));
            for (std::size_t d = 0; d <= r.outputs.size(); ++d) {
                const std::size_t gd = d == r.outputs.size() ? n : static_cast<std::size_t>(classOf.at(AsciiLower(r.outputs[d])));
                pooled[static_cast<std::size_t>(gt)][gd] += r.confusion[t][d];
            }
        }
        results.push_back(f);
        if (!o.train.quiet && !o.train.json)
            std::fprintf(stderr, "kestrine-cli: fold %d of %d: %d of %d right (%s after %d cycles)\n", k + 1, o.folds,
                         f.correct, f.cases, StopReasonName(f.reason), f.cycles);
    }
    if (stop.load()) {
        std::fprintf(stderr, "kestrine-cli: cross-validation interrupted after %zu of %d folds; nothing reported\n",
                     results.size(), o.folds);
        return kInterrupted;
    }

    // The pooled figures, computed as for any set of decided cases.
    EvaluationReport all;
    all.outputs = classNames;
    all.confusion = pooled;
    FinishReport(all);
    double mean = 0.0, sd = 0.0;
    std::int32_t leftOut = 0, unknown = 0;
    for (const FoldResult& f : results) {
        mean += f.accuracy;
        leftOut += f.leftOut;
        unknown += f.unknownTargets;
    }
    mean /= static_cast<double>(results.size());
    for (const FoldResult& f : results) sd += (f.accuracy - mean) * (f.accuracy - mean);
    sd = results.size() > 1 ? std::sqrt(sd / static_cast<double>(results.size() - 1)) : 0.0;

    if (o.train.json) {
        std::string folds = "[";
        for (std::size_t i = 0; i < results.size(); ++i)
            folds += Format("%s{\"cases\": %d, \"correct\": %d, \"accuracy\": %s, \"cycles\": %d, \"stopped\": %s}",
                            i ? ", " : "", results[i].cases, results[i].correct, JsonNumber(results[i].accuracy).c_str(),
                            results[i].cycles, JsonString(StopReasonName(results[i].reason)).c_str());
        std::printf("{\"folds\": %s], \"mean_accuracy\": %s, \"sd_accuracy\": %s, \"left_out\": %d, "
                    "\"unknown_targets\": %d, \"pooled\": %s}\n",
                    folds.c_str(), JsonNumber(mean).c_str(), JsonNumber(sd).c_str(), leftOut, unknown,
                    ReportJson(all).c_str());
        return kOk;
    }
    for (std::size_t i = 0; i < results.size(); ++i)
        std::printf("fold %zu: correct=%d cases=%d accuracy=%.4f\n", i + 1, results[i].correct, results[i].cases,
                    results[i].accuracy);
    std::printf("mean accuracy=%.4f sd=%.4f (%d folds)\n", mean, sd, o.folds);
    if (leftOut) std::printf("left out: %d cases with a missing value or a text their fold's training never had\n", leftOut);
    if (unknown) std::printf("not counted: %d cases whose decision their fold's training never had\n", unknown);
    std::printf("pooled over the folds:\n");
    PrintReport(all);
    return kOk;
}

}  // namespace ks::cli
