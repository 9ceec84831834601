#pragma once
// The training cycle: winner learning over a growing working set, the rescue
// of a stalled network, and the correction walk once everything is learned.
#include <cstdint>

#include "training/run_support.h"

namespace ks {

class CProject;
class CReceptorMgr;
class CScenario;
class CScenarioMgr;

// Working-set update results besides a positive count of changes.
enum WorkingSetResult : int {
    kAllLearned = -1,
    kNewestRerandomised = -3,
    kNoChange = 0,
};

inline constexpr int kMaxActive = 28;       // scenarios active at the first start
inline constexpr int kFirstWorkingSet = 14; // learned scenarios wanted at first

// 0: nothing (no open project or model); -1: stopped; 1: started (the caller
// starts the training thread).
int StartStopTraining(CProject& project);
int StartTraining(CProject& project);
// 1 to continue, 0 when finished. Runs on the training thread.
int TrainingCycle(CProject& project);

void PrepareWorkingSet(CProject& project, CScenarioMgr& sm, double learnRate);
int UpdateWorkingSet(CScenarioMgr& sm, std::int32_t learned, double elapsed);
int AddToWorkingSet(CScenarioMgr& sm, std::int32_t candidates);

void LearnScenario(CReceptorMgr& model, const CScenario& scenario);
void UpdateOutputWeights(CReceptorMgr& model, double error, const class CReceptor& r);
void UpdateHiddenWeights(CReceptorMgr& model, const class CReceptor& r);
// The same step as a plain walk over the links.
void UpdateHiddenWeightsByLinks(CReceptorMgr& model, const class CReceptor& r);
void ApplyPendingChanges(CReceptorMgr& model);
void ApplyPendingChangesWithMomentum(CReceptorMgr& model);

}  // namespace ks
