#pragma once
// What both training methods share: the clock and the elapsed text, ending a
// run, the saved weights a run falls back to, and the winner's marking.
#include <string>

namespace ks {

class CProject;
class CReceptorMgr;

// Clears the running state of the project's training pair.
void StopTraining(CProject& project);
// The weights to fall back to: saved from, and restored into, every connection.
void CommitWeights(CReceptorMgr& model);
void RestoreWeights(CReceptorMgr& model);
// Marks the winning action receptor and colours the actions accordingly.
void MarkWinner(CReceptorMgr& model);
// The value texts drawn beside sensors, processors and actions.
void RefreshValueTexts(CReceptorMgr& model);

// "%.2d:%.2d" of whole minutes (not limited to 59) and remaining seconds.
std::string FormatElapsed(double milliseconds);
// The millisecond clock the cycle measures elapsed time with.
double NowMilliseconds();
// A cycle's elapsed time since the run started, and the project's text of it.
void UpdateElapsed(CProject& project);

}  // namespace ks
