#pragma once
// A compact evaluation order kept beside the object graph. It lays the
// connection store out block by block (up to sixteen receivers side by side,
// one link of each per step) so the forward pass walks contiguous memory and
// advances up to sixteen sums at once, in four independent groups of four so
// the additions overlap. Each sum keeps its receiver's own link order, so the
// results are bit-identical to a plain loop over the links.
#include <cstdint>
#include <vector>

namespace ks {

class CConnection;
class CReceptor;
class CReceptorMgr;
struct ConnectionStore;

// The network as flat arrays of indexes: receptors by their place in the
// manager's receptor list, connections by theirs. Back-propagation and the C
// export walk these; building them is linear in receptors and links.
struct FlatNetwork {
    std::vector<CReceptor*> receptors;
    std::vector<CConnection*> connections;
    std::vector<std::int32_t> sensors, processors, actions;  // receptor indexes, in kind-list order
    std::vector<std::int32_t> inStart;        // per receptor (and one past the last): its incoming links
    std::vector<std::int32_t> inSender;       //   sender index of each incoming link, in link order
    std::vector<std::int32_t> inConnection;   //   connection index of each incoming link
    std::vector<std::int32_t> outStart;       // per receptor: its outgoing links
    std::vector<std::int32_t> outReceiver;
    std::vector<std::int32_t> outConnection;
};

// Fills `flat` from the manager's lists.
void BuildFlatNetwork(const CReceptorMgr& model, FlatNetwork& flat);

class CEvalPlan {
public:
    static constexpr int kLanes = 16;  // receivers per block
    static constexpr int kQuad = 4;    // lanes per vector

    // Re-lays the manager's connection store and records the evaluation order.
    void Build(CReceptorMgr& model);
    // The forward pass over processors and action receptors (sensors come
    // first, from the caller). Only valid when Usable().
    void Run(CReceptorMgr& model);
    // False when a stage reads a receiver of the same or a later stage (a
    // processor feeding a processor, say), which only a hand-made file can
    // bring; the plain loop then keeps its exact sequential meaning.
    bool Usable() const { return m_usable; }
    std::uint64_t Version() const { return m_version; }
    // The index view of the network the plan was built from, made on first
    // use (the forward pass does not need it).
    const FlatNetwork& Flat(const CReceptorMgr& model);

    // Writes every planned connection's signal from the values and weights of
    // the last Run (the store calls this before anything reads a signal or
    // writes a weight).
    void DeriveSignals(ConnectionStore& store) const;

    // The hidden-layer step of learning for receptor r: for every sender H of
    // r, adds learnRate * delta(H) * value(Z) to the pending change (or the
    // weight) of each link Z -> H, using the values of the last Run. False,
    // with nothing changed, when the plan cannot do it (then the caller walks
    // the links itself).
    bool AddHiddenChanges(const CReceptor& r, double learnRate, bool accumulate, CReceptorMgr& model);

    // One link of every receiver of a block. Mostly all lanes read the same
    // sender (a fully connected layer); otherwise `gather` names a row of
    // per-lane value indexes.
    struct StepView {
        std::int32_t source;                 // the shared value index, when gather < 0
        std::int32_t gather;                 // row in m_gather, or -1
    };

private:
    struct Block {
        std::uint32_t firstSlot;             // store slot of step 0, lane 0
        std::uint32_t firstStep;
        std::uint32_t steps;
        std::uint32_t width;                 // live lanes rounded up to a multiple of kQuad
        CReceptor* receiver[kLanes];         // nullptr for an empty lane
        std::int32_t valueIndex[kLanes];     // where each receiver's value goes (-1: nowhere)
        std::uint32_t linkCount[kLanes];
    };
    struct Stage {
        std::uint32_t firstBlock = 0, blocks = 0;
    };

    void RunStage(const Stage& stage, CReceptorMgr& model);
    std::size_t SourceOf(const StepView& st, int lane) const;

    std::vector<Block> m_blocks;
    std::vector<StepView> m_steps;
    std::vector<std::int32_t> m_gather;      // kLanes value indexes per row (0: the constant 0)
    std::vector<double> m_coef;              // AddHiddenChanges: per block and lane
    std::vector<std::int64_t> m_mask;        // all ones where the lane's receptor takes part
    std::vector<std::uint32_t> m_touched;    // blocks with a lane taking part
    Stage m_processors, m_actions;
    std::vector<double> m_values;            // 0: constant 0, then one per sending receptor
    std::vector<CReceptor*> m_sources;       // receptor of each value index (index 0: none)
    FlatNetwork m_flat;
    bool m_flatValid = false;
    std::uint64_t m_version = ~std::uint64_t{0};
    bool m_usable = false;
};

}  // namespace ks
