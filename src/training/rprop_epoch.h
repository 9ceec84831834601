#pragma once
// The epoch of resilient back-propagation over packed scenario rows (see
// RpropState): what the pass through the receptors computes, bit for bit.
#include <cstddef>
#include <cstdint>

#include "model/training_state.h"

namespace ks {

class CProject;

// What one epoch found: training scenarios with a target, how many the
// weights it started from decide right, and the squared error's parts.
struct EpochFigures {
    std::int32_t learned = 0, withTarget = 0, outputs = 0;
    double squares = 0.0;
};

// Packs the training scenarios' sensor values and the network's fixed parts.
// False when a scenario leaves some input unset (it would carry the value of
// the scenario before it): such a run goes through the inputs every epoch.
bool PackRpropScenarios(CProject& project, RpropState& state);
// One epoch's scores and gradient (state.gradient), from state.weight.
void RpropEpochPacked(CProject& project, RpropState& state, EpochFigures& figures);
// How the last packed epoch was worked: in how many parts, on how many threads.
std::size_t EpochParts(const RpropState& state);
std::size_t EpochThreads(const RpropState& state);

}  // namespace ks
