#pragma once
// Simulation: inputs that change by themselves, one tick at a time.

namespace ks {

class CProject;

// One tick: advance the auto-increment inputs, evaluate, select the winner's output.
void SimulationStep(CProject& project);
// Every input to its minimum, the counter to 1, evaluate once.
void SimulationReset(CProject& project);
// Forward pass and display winner; the winner's output becomes the only selected output.
void EvaluateAndSelectWinner(CProject& project);

}  // namespace ks
