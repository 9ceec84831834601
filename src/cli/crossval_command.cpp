// kestrine-cli crossval: K-fold cross-validation of a data file. Each fold is
// imported from its training rows alone and trained exactly as import and
// train would, then tested on the rows it never saw.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "files/crossval.h"
#include "files/data_import.h"
#include "files/data_table.h"
#include "model/project.h"
#include "model/random.h"
#include "model/text.h"
#include "qt/qsettings_store.h"
#include "session/session.h"

namespace ks::cli {

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
    const std::size_t firstInput = o.names ? 1 : 0;
    if (firstInput + 1 >= table.names.size())
        return Fail(o.data, "there is no input column between the names and the decision");
    if (table.rows.size() < static_cast<std::size_t>(o.folds))
        return usage(Format("--folds %d is more than the %zu cases of %s", o.folds, table.rows.size(), o.data.c_str()));

    const std::uint32_t seed = o.train.seed.value_or(1);
    TrainOptions train = o.train;
    train.seed = seed;
    QSettingsStore store;
    ConsolePrompt prompt;
    const std::atomic<bool>& stop = StopSignals();
    CrossvalSetup setup;
    setup.folds = o.folds;
    setup.seed = seed;
    setup.firstInput = firstInput;
    setup.cancel = &stop;
    setup.settings = &store;
    setup.build = [&](CProject& p, const DataTable& rows) {
        CDataImport import;
        import.Choose(o.data);
        import.m_bScenarioNames = o.names;
        import.m_bNoHeader = o.noHeader;
        import.m_missing = o.missing == "drop" ? MissingValues::Drop
                           : o.missing == "refuse" ? MissingValues::Refuse
                                                   : MissingValues::Keep;
        import.m_table = std::make_shared<const DataTable>(rows);
        SeedRandom(seed);  // the weights, as the import command draws them
        CSession session(p, prompt, &store);
        session.ImportProject(import, o.bias);
        if (!import.m_report.ok) return import.m_report.error;
        p.AlignInView(720, 420);  // as the import command leaves it
        p.UpdateNetwork();
        return std::string();
    };
    setup.train = [&](CProject& p) {
        ApplyTrainOptions(p, train);
        RunLimits limits;
        limits.maxCycles = train.maxCycles;
        limits.maxSeconds = train.maxSeconds;
        limits.patience = train.patience;
        limits.interrupt = &stop;
        CRunMonitor monitor(p, limits);
        CSession session(p, prompt, &store);
        TrainToEnd(session, monitor, true);
        return monitor.Reason();
    };
    setup.progress = [&](std::int32_t k, const FoldResult& f) {
        if (!o.train.quiet && !o.train.json)
            std::fprintf(stderr, "kestrine-cli: fold %d of %d: %d of %d right (%s after %d cycles)\n", k + 1, o.folds,
                         f.correct, f.cases, StopReasonName(f.reason), f.cycles);
    };
    const CrossvalResult result = CrossValidate(table, setup);
    if (!result.error.empty()) return Fail(o.data, result.error);
    if (result.cancelled || stop.load()) {
        std::fprintf(stderr, "kestrine-cli: cross-validation interrupted after %zu of %d folds; nothing reported\n",
                     result.folds.size(), o.folds);
        return kInterrupted;
    }

    if (o.train.json) {
        std::string folds = "[";
        for (std::size_t i = 0; i < result.folds.size(); ++i) {
            const FoldResult& f = result.folds[i];
            folds += Format("%s{\"cases\": %d, \"correct\": %d, \"accuracy\": %s, \"cycles\": %d, \"stopped\": %s}",
                            i ? ", " : "", f.cases, f.correct, JsonNumber(f.accuracy).c_str(), f.cycles,
                            JsonString(StopReasonName(f.reason)).c_str());
        }
        std::printf("{\"folds\": %s], \"mean_accuracy\": %s, \"sd_accuracy\": %s, \"left_out\": %d, "
                    "\"unknown_targets\": %d, \"pooled\": %s}\n",
                    folds.c_str(), JsonNumber(result.mean).c_str(), JsonNumber(result.sd).c_str(), result.leftOut,
                    result.unknownTargets, ReportJson(result.pooled).c_str());
        return kOk;
    }
    for (std::size_t i = 0; i < result.folds.size(); ++i)
        std::printf("fold %zu: correct=%d cases=%d accuracy=%.4f\n", i + 1, result.folds[i].correct,
                    result.folds[i].cases, result.folds[i].accuracy);
    std::printf("mean accuracy=%.4f sd=%.4f (%d folds)\n", result.mean, result.sd, o.folds);
    if (result.leftOut)
        std::printf("left out: %d cases with a missing value or a text their fold's training never had\n", result.leftOut);
    if (result.unknownTargets)
        std::printf("not counted: %d cases whose decision their fold's training never had\n", result.unknownTargets);
    std::printf("pooled over the folds:\n");
    PrintReport(result.pooled);
    return kOk;
}

}  // namespace ks::cli
