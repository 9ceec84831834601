#pragma once
// What a project keeps of its training: the method, the state of the run the
// cycle works on, and the resilient back-propagation arrays.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
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
    std::int32_t shownSeconds = -1;  // the whole second the elapsed text was last made for
    std::string shownText;
    CScenario* cursor = nullptr;        // the correction walk's position
    std::size_t cursorIndex = 0;        // where the cursor was last seen in the list
    CReceptorMgr* model = nullptr;      // the training pair
    CScenarioMgr* scenarios = nullptr;
    float learnedBarUnit = 0.0f;
    // The winner rule's learn pass skips an active scenario the last whole
    // evaluation pass found decided right when the weights are still those it
    // was found with: the pass would only evaluate it and learn nothing. Only
    // where one scenario's evaluation cannot depend on the one before (a
    // layered network, scenarios that set every input).
    bool skipLearned = true;            // off: every active scenario through the learn pass
    std::uint64_t evaluationPass = 0;   // numbers the evaluation passes
    bool passHolds = false;             // the last pass's findings hold for the weights it kept
    std::uint64_t learnsSkipped = 0;    // scenarios the learn passes did not run again, so far
    std::vector<double> passWeights;    // the weights at the end of that pass
    std::uint64_t passVersion = ~std::uint64_t{0};  // the network's structure when the weights were kept
    std::uint64_t orderFreeVersion = ~std::uint64_t{0};
    std::size_t orderFreeScenarios = 0;
    bool orderFree = false;
    std::vector<double> senderBound;    // per receptor (flat order): the largest |value| it can send
    std::vector<double> moved;          // per receptor: how far its value can have moved (scratch)
    // The evaluation pass need not evaluate a scenario found decided right by a
    // margin wider than twice what the weights' changes since can have moved
    // any action's value: `drift` adds up those bounds; margins of another
    // generation (before a change it cannot bound) count for nothing.
    double drift = 0.0;
    std::uint64_t marginGeneration = 1;
    std::uint64_t evaluationsSkipped = 0;
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

    // The training scenarios' sensor values, scaled once when a run starts (a
    // row per scenario in list order), so that an epoch reads them instead of
    // setting every input; with the network's fixed parts in flat arrays.
    bool usePacked = true;  // false: every epoch goes through the inputs (tests compare the two)
    bool packed = false;
    bool layered = false;  // no stage reads its own receivers: they may advance side by side
    std::size_t packedScenarios = 0;       // the scenario count when packed: another count packs again
    std::uint64_t packedVersion = ~std::uint64_t{0};
    std::vector<std::int32_t> packedSensors;  // receptor indexes of the sensors with an input
    std::vector<double> packedValues;         // rows × packedSensors
    std::vector<std::int32_t> packedTarget;   // per row: the target's receptor index
    std::vector<class CScenario*> packedRows; // per row: its scenario
    struct Node {
        std::int32_t kind = 0, code = 0, bit = 0, id = 0;
        bool logistic = false, linear = false, attached = false;
        double threshold = 0.0;
        // Its longest stretch of links whose senders are consecutive receptors
        // (a dense layer): from its link runFrom on, `run` links, the first
        // sender firstSender; the loops read those values in a row.
        std::int32_t runFrom = 0, firstSender = 0, run = 0;
    };
    std::vector<Node> nodes;                              // per receptor
    std::vector<double> inWeight, outWeight;  // per link in and out, for one epoch
    // Threads for a big epoch (0: one per core). A big epoch is cut into the
    // same parts whatever this is, so it changes the speed, never the result.
    std::int32_t threads = 0;
    std::shared_ptr<struct RpropParallel> parallel;
};

}  // namespace ks
