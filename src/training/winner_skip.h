#pragma once
// What the winner rule's passes may leave out without changing a bit of the
// run: a scenario whose evaluation cannot depend on the one before, found
// decided right by the last evaluation pass, and still provably so.
#include "model/training_state.h"

namespace ks {

class CProject;

// Whether one scenario's evaluation is independent of the one before it: a
// layered network and scenarios that each set every input. Worked out again
// when the network or the scenario list changes (and with it the largest
// value each receptor can send).
bool OrderFree(CProject& project, TrainingState& t);

// How far any action's value can have moved since the last evaluation pass
// kept the weights, for every scenario: from each weight's change, the
// largest value its sender can send and the logistic's slope of at most 1/4.
// Negative when there is no such bound (a processor that is not logistic, the
// weights not kept, the network changed since).
double DecisionDrift(CProject& project, TrainingState& t);

}  // namespace ks
