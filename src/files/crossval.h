#pragma once
// K-fold cross-validation of a data table: each fold is imported from the
// other folds' rows alone, trained to its end as a training run would be,
// then tested on its own rows. What trains a fold is the caller's (the
// command line and the window each run their training their own way).
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "training/evaluation_report.h"
#include "training/run_monitor.h"

namespace ks {

class CDataImport;
class CProject;
class ISettingsStore;
struct DataTable;

struct FoldResult {
    std::int32_t cases = 0, correct = 0, leftOut = 0, unknownTargets = 0, cycles = 0;
    double accuracy = 0.0;
    StopReason reason = StopReason::None;
};

struct CrossvalResult {
    std::string error;                // set when a fold could not be built or tested
    bool cancelled = false;
    std::vector<FoldResult> folds;
    double mean = 0.0, sd = 0.0;      // of the folds' accuracies (sample standard deviation)
    std::int32_t leftOut = 0, unknownTargets = 0;
    EvaluationReport pooled;          // every fold's decisions together, outputs named by the data's decisions
};

struct CrossvalSetup {
    std::int32_t folds = 10;
    std::uint32_t seed = 1;
    std::size_t firstInput = 0;       // 1 when the first column names the rows
    ISettingsStore* settings = nullptr;  // each fold's project reads its defaults from here, as any new project
    // Builds a project from rows (the import's settings are the caller's):
    // returns an empty text or why not.
    std::function<std::string(CProject&, const DataTable& rows)> build;
    // Trains a built project to its end; returns why it ended.
    std::function<StopReason(CProject&)> train;
    // After each fold (fold index from 0); the cancel flag is read between folds.
    std::function<void(std::int32_t fold, const FoldResult&)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

// An empty text, or why the table cannot be split into that many folds.
std::string CheckFolds(const DataTable& table, std::int32_t folds, std::size_t firstInput);

CrossvalResult CrossValidate(const DataTable& table, const CrossvalSetup& setup);

}  // namespace ks
