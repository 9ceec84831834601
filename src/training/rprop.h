#pragma once
// Resilient back-propagation (iRPROP-, without weight backtracking) in
// full-batch epochs over every scenario that has a target, on the network as
// the user built it. One epoch is one training cycle.
#include <cstdint>
#include <vector>

namespace ks {

class CProject;
class CReceptor;
class CConnection;

enum class TrainingMethod : std::int32_t { Winner = 0, Rprop = 1 };
enum class RpropError : std::int32_t { CrossEntropy = 0, SquaredError = 1 };

struct RpropState {
    static constexpr double kIncrease = 1.2;
    static constexpr double kDecrease = 0.5;
    static constexpr double kInitialStep = 0.1;
    static constexpr double kMinStep = 1e-6;
    static constexpr double kMaxStep = 50.0;

    std::uint64_t structureVersion = ~std::uint64_t{0};
    RpropError error = RpropError::CrossEntropy;
    // The network in flat arrays: receptors by index, connections by index.
    std::vector<CReceptor*> receptors;
    std::vector<CConnection*> connections;
    std::vector<std::int32_t> order;        // receivers, actions first, then processors from the last
    std::vector<std::int32_t> linkStart;    // per receptor: its incoming links in the arrays below
    std::vector<std::int32_t> linkSender;
    std::vector<std::int32_t> linkConnection;
    std::vector<std::int32_t> outStart;     // per receptor: its outgoing links
    std::vector<std::int32_t> outReceiver;
    std::vector<std::int32_t> outConnection;
    std::vector<double> weight, gradient, previous, step;
    std::vector<double> value, delta;       // per receptor, for one scenario
};

// Prepares (or keeps, when the network is unchanged) the state for a run.
void PrepareRprop(CProject& project);
// One epoch; 1 to continue, 0 when every scenario with a target is learned.
int RpropCycle(CProject& project);

}  // namespace ks
