#pragma once
// The rows of an epoch of resilient back-propagation: what one part of the
// packed rows adds to the scores, the learned count, the squared error and
// the gradient, in row order.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/receptor_mgr.h"
#include "model/training_state.h"

namespace ks {

// Four doubles side by side: one receptor's value in four rows at once.
using RowLanes = double __attribute__((vector_size(4 * sizeof(double))));
inline constexpr std::size_t kRowLanes = 4;

// One part of an epoch's rows, worked out on its own. Parts on different
// threads sit in a row: each on cache lines of its own.
struct alignas(64) Chunk {
    std::vector<double> value, delta, gradient;
    std::int32_t learned = 0;
    double squares = 0.0;
    // Four rows at a time: values and deltas per receptor (a lane per row),
    // and each row's values again in a row of their own for the gradient.
    std::vector<RowLanes> lanes, laneDelta;
    std::vector<double> rowValues;
};

// Rows first..last-1, one after another.
void RunRows(const RpropState& s, const FlatNetwork& f, std::size_t first, std::size_t last, bool crossEntropy, Chunk& c);
// The same sums in the same order, so the same bits, four rows side by side;
// a layered network only (its receivers read only what this row set first).
void RunRowsFourAtOnce(const RpropState& s, const FlatNetwork& f, std::size_t first, std::size_t last, bool crossEntropy,
                       Chunk& c);

}  // namespace ks
