#pragma once
// What a project keeps of its training: the method, the state of the run the
// cycle works on, and the resilient back-propagation arrays.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ks {

class CConnection;
class CReceptor;
class CReceptorMgr;
class CScenario;
class CScenarioMgr;

// The training and simulation state the cycle keeps in the project.
struct TrainingState {
    bool running = false;
    bool correctionWalk = false;
    std::int32_t cyclesSinceReset = 0;
    double startTime = 0.0;
    double elapsed = 0.0;
    CScenario* cursor = nullptr;        // the correction walk's position
    std::size_t cursorIndex = 0;        // where the cursor was last seen in the list
    CReceptorMgr* model = nullptr;      // the training pair
    CScenarioMgr* scenarios = nullptr;
    float learnedBarUnit = 0.0f;
};

enum class TrainingMethod : std::int32_t { Winner = 0, Rprop = 1 };
enum class RpropError : std::int32_t { CrossEntropy = 0, SquaredError = 1 };

struct RpropState {
    static constexpr double kIncrease = 1.2;
    static constexpr double kDecrease = 0.5;
    static constexpr double kInitialStep = 0.1;
    static constexpr double kMinStep = 1e-6;
    static constexpr double kMaxStep = 50.0;
    // Epochs without more scenarios learned before the weights are drawn
    // again: a net stuck in a poor minimum (XOR at 3 of 4) does not leave it.
    static constexpr std::int32_t kRestartEpochs = 150;

    std::uint64_t structureVersion = ~std::uint64_t{0};
    RpropError error = RpropError::CrossEntropy;
    std::vector<std::int32_t> order;        // receivers, actions first, then processors from the last
    std::vector<double> weight, gradient, previous, step;
    std::vector<double> value, delta;       // per receptor, for one scenario
    // What the last epoch found for the weights it started from: training
    // scenarios decided right, of how many, and the mean squared difference
    // between the outputs and 1 for the target, 0 for the others.
    std::int32_t epochLearned = 0, epochCases = 0;
    double epochError = 0.0;
    // The current attempt (since the run started or the last restart).
    std::int32_t attemptBest = -1, sinceBetter = 0, restarts = 0;
};

}  // namespace ks
