#pragma once
// Resilient back-propagation (iRPROP-, without weight backtracking) in
// full-batch epochs over every scenario that has a target, on the network as
// the user built it. One epoch is one training cycle.
#include "model/training_state.h"

namespace ks {

class CProject;

// Prepares (or keeps, when the network is unchanged) the state for a run.
void PrepareRprop(CProject& project);
// One epoch; 1 to continue, 0 when every scenario with a target is learned.
int RpropCycle(CProject& project);

}  // namespace ks
