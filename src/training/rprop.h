#pragma once
// Resilient back-propagation (iRPROP-, without weight backtracking) in
// full-batch epochs over every scenario that has a target, on the network as
// the user built it. One epoch is one training cycle. A run that learns no
// more scenarios for a while starts again from newly drawn weights.
#include "model/training_state.h"

namespace ks {

class CProject;

// Prepares (or keeps, when the network is unchanged) the state for a run.
void PrepareRprop(CProject& project);
// A run starts: prepares the state and its count of epochs without progress.
void StartRpropRun(CProject& project);
// One epoch; 1 to continue, 0 when every scenario with a target is learned.
int RpropCycle(CProject& project);

}  // namespace ks
