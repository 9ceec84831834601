// An epoch's rows: each scenario's forward pass, deltas and gradient over flat
// arrays, the same sums in the same order as the pass through the receptors.
#include "training/rprop_rows.h"

#include <algorithm>

#include "model/scenario_mgr.h"

namespace ks {

namespace {

// g[k] += d * v[k]: each link's sum on its own, in the rows' order, so the
// compiler may work out several links at once (the arrays never overlap).
inline void AddScaled(double* __restrict g, const double* __restrict v, double d, std::int32_t n) {
    std::int32_t k = 0;
    for (; k + 4 <= n; k += 4) {  // four in a row, which the compiler puts in one vector
        g[k] += d * v[k];
        g[k + 1] += d * v[k + 1];
        g[k + 2] += d * v[k + 2];
        g[k + 3] += d * v[k + 3];
    }
    for (; k < n; ++k) g[k] += d * v[k];
}

// Whether four receivers from r on have the same run of consecutive senders at the same links.
bool SameRun(const RpropState& s, const std::int32_t* r) {
    const RpropState::Node& lead = s.nodes[static_cast<std::size_t>(r[0])];
    for (std::size_t j = 1; j < 4; ++j) {
        const RpropState::Node& n = s.nodes[static_cast<std::size_t>(r[j])];
        if (n.run != lead.run || n.firstSender != lead.firstSender || n.runFrom != lead.runFrom) return false;
    }
    return lead.run > 0;
}

// Four sums over links [from, to) of four receivers whose links start at b[0..3]: each
// sum in link order.
template <class Sum, class Value>
inline void AddLinks(Sum* n, const Value* value, const std::int32_t* inSender, const double* inWeight, const std::int32_t* b,
                     std::int32_t from, std::int32_t to) {
    for (std::int32_t k = from; k < to; ++k) {
        n[0] += value[inSender[b[0] + k]] * inWeight[b[0] + k];
        n[1] += value[inSender[b[1] + k]] * inWeight[b[1] + k];
        n[2] += value[inSender[b[2] + k]] * inWeight[b[2] + k];
        n[3] += value[inSender[b[3] + k]] * inWeight[b[3] + k];
    }
}

// The same four sums over a run of senders that all four share: each value read once.
template <class Sum, class Value>
inline void AddRun(Sum* n, const Value* x, const double* inWeight, const std::int32_t* b, std::int32_t from, std::int32_t run) {
    const double *w0 = inWeight + b[0] + from, *w1 = inWeight + b[1] + from, *w2 = inWeight + b[2] + from,
                 *w3 = inWeight + b[3] + from;
    for (std::int32_t k = 0; k < run; ++k) {
        const Value v = x[k];
        n[0] += v * w0[k];
        n[1] += v * w1[k];
        n[2] += v * w2[k];
        n[3] += v * w3[k];
    }
}

// Four receivers' sums, each in link order: the shared run read once when they have one.
template <class Sum, class Value>
inline void FourSums(const RpropState& s, const std::int32_t* r, const Value* value, const std::int32_t* inStart,
                     const std::int32_t* inSender, const double* inWeight, std::int32_t links, Sum* n) {
    const std::int32_t b[4] = {inStart[r[0]], inStart[r[1]], inStart[r[2]], inStart[r[3]]};
    const RpropState::Node& lead = s.nodes[static_cast<std::size_t>(r[0])];
    if (!SameRun(s, r)) {
        AddLinks(n, value, inSender, inWeight, b, 0, links);
        return;
    }
    AddLinks(n, value, inSender, inWeight, b, 0, lead.runFrom);
    AddRun(n, value + lead.firstSender, inWeight, b, lead.runFrom, lead.run);
    AddLinks(n, value, inSender, inWeight, b, lead.runFrom + lead.run, links);
}

double Slope(const RpropState::Node& n, double out) {
    return n.kind == kAction ? ksr_action_slope(n.linear, out) : ksr_processor_slope(n.code, out);
}

// What a receiver sends for the sum `net`.
double Finish(const RpropState::Node& node, double net) {
    return node.logistic          ? ksr_logistic(net)
           : node.kind == kAction ? ksr_action_output(node.linear, net)
                                  : ksr_processor_output(node.code, net, node.threshold, node.bit);
}

// Forward: processors, then actions, each sum in link order; with `together`
// (a layered network) four receivers with as many links side by side.
// `finish(i, net)` stores what receiver i sends. Value: one row's double, or
// four rows' lanes.
template <class Value, class Store>
void Forward(const RpropState& s, const FlatNetwork& f, const Value* value, bool together, Store finish) {
    const std::int32_t* inStart = f.inStart.data();
    const std::int32_t* inSender = f.inSender.data();
    const double* inWeight = s.inWeight.data();
    for (const std::vector<std::int32_t>* list : {&f.processors, &f.actions}) {
        const std::int32_t* r = list->data();
        const std::size_t count = list->size();
        std::size_t a = 0;
        while (a < count) {
            const std::int32_t links = inStart[r[a] + 1] - inStart[r[a]];
            if (together && a + 4 <= count && inStart[r[a + 1] + 1] - inStart[r[a + 1]] == links &&
                inStart[r[a + 2] + 1] - inStart[r[a + 2]] == links && inStart[r[a + 3] + 1] - inStart[r[a + 3]] == links) {
                Value sums[4] = {};
                FourSums(s, r + a, value, inStart, inSender, inWeight, links, sums);
                for (std::size_t j = 0; j < 4; ++j) finish(r[a + j], sums[j]);
                a += 4;
                continue;
            }
            Value net{};
            for (std::int32_t k = inStart[r[a]]; k < inStart[r[a] + 1]; ++k) net += value[inSender[k]] * inWeight[k];
            finish(r[a], net);
            ++a;
        }
    }
}

// A row's decision (the first attached action with the highest value) marked
// on its scenario; true when it is the target. `value(i)`: what receptor i sends.
template <class Get>
bool ScoreRow(const RpropState& s, const FlatNetwork& f, std::size_t row, Get value) {
    CScenario& sc = *s.packedRows[row];
    double best = -1.0;
    std::int32_t winner = 0;
    for (const std::int32_t i : f.actions) {
        const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
        if (node.attached && value(i) > best) {
            best = value(i);
            winner = node.id;
        }
    }
    sc.m_bLearned = winner == sc.m_iTargetID;
    if (sc.m_bLearned)
        sc.m_fScore = 1.0f;
    else
        sc.m_fScore = static_cast<float>(value(s.packedTarget[row]));
    return sc.m_bLearned;
}

// An action's delta against 1 for its row's target and 0 for the others, its
// part of the squared error added to `squares`. Cross-entropy on a logistic
// output needs no derivative factor.
double ActionDelta(const RpropState::Node& node, double y, std::int32_t targetID, bool crossEntropy, double& squares) {
    const double target = node.id == targetID ? 1.0 : 0.0;
    squares += (y - target) * (y - target);
    return crossEntropy && !node.linear ? y - target : (y - target) * Slope(node, y);
}

}  // namespace

void RunRows(const RpropState& s, const FlatNetwork& f, std::size_t first, std::size_t last, bool crossEntropy, Chunk& c) {
    const std::size_t n = f.receptors.size(), sensors = s.packedSensors.size();
    double* value = c.value.data();
    double* delta = c.delta.data();
    double* gradient = c.gradient.data();
    const std::int32_t* inStart = f.inStart.data();
    const std::int32_t* inSender = f.inSender.data();
    const std::int32_t* outStart = f.outStart.data();
    const std::int32_t* outReceiver = f.outReceiver.data();
    const double* outWeight = s.outWeight.data();
    auto finish = [&](std::int32_t i, double net) { value[i] = Finish(s.nodes[static_cast<std::size_t>(i)], net); };
    // Summed here and stored once: another thread's part may share no line with them.
    double squares = c.squares;
    std::int32_t learned = c.learned;
    for (std::size_t row = first; row < last; ++row) {
        CScenario& sc = *s.packedRows[row];
        const double* x = s.packedValues.data() + row * sensors;
        for (std::size_t j = 0; j < sensors; ++j) value[s.packedSensors[j]] = x[j];
        Forward(s, f, value, s.layered, finish);
        learned += ScoreRow(s, f, row, [&](std::int32_t i) { return value[i]; });
        std::fill(delta, delta + n, 0.0);
        for (const std::int32_t i : s.order) {
            const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
            double d = 0.0;
            if (node.kind == kAction) {
                if (!node.attached) continue;
                d = ActionDelta(node, value[i], sc.m_iTargetID, crossEntropy, squares);
            } else {
                double sum = 0.0;
                for (std::int32_t k = outStart[i]; k < outStart[i + 1]; ++k) sum += outWeight[k] * delta[outReceiver[k]];
                d = sum * Slope(node, value[i]);
            }
            delta[i] = d;
            if (d == 0.0) continue;
            const std::int32_t runStart = inStart[i] + node.runFrom, runEnd = runStart + node.run;
            for (std::int32_t k = inStart[i]; k < runStart; ++k) gradient[k] += d * value[inSender[k]];
            AddScaled(gradient + runStart, value + node.firstSender, d, node.run);
            for (std::int32_t k = runEnd; k < inStart[i + 1]; ++k) gradient[k] += d * value[inSender[k]];
        }
    }
    c.squares = squares;
    c.learned = learned;
}


namespace {

// g[k] += d[0] * v0[k], then d[1] * v1[k], and so on: four rows' parts of
// each link in row order, the links side by side.
void AddScaledFour(double* __restrict g, const double* __restrict v0, const double* __restrict v1,
                   const double* __restrict v2, const double* __restrict v3, const RowLanes& d, std::int32_t n) {
    const double d0 = d[0], d1 = d[1], d2 = d[2], d3 = d[3];
    auto one = [&](std::int32_t k) { g[k] = (((g[k] + d0 * v0[k]) + d1 * v1[k]) + d2 * v2[k]) + d3 * v3[k]; };
    std::int32_t k = 0;
    for (; k + 4 <= n; k += 4) {  // four links in a row, which the compiler puts in one vector
        one(k);
        one(k + 1);
        one(k + 2);
        one(k + 3);
    }
    for (; k < n; ++k) one(k);
}

}  // namespace

void RunRowsFourAtOnce(const RpropState& s, const FlatNetwork& f, std::size_t first, std::size_t last, bool crossEntropy,
                       Chunk& c) {
    const std::size_t n = f.receptors.size(), sensors = s.packedSensors.size();
    c.lanes.resize(n);
    c.laneDelta.resize(n);
    c.rowValues.resize(kRowLanes * n);
    RowLanes* value = c.lanes.data();
    RowLanes* delta = c.laneDelta.data();
    double* rowValues = c.rowValues.data();
    double* gradient = c.gradient.data();
    const std::int32_t* inStart = f.inStart.data();
    const std::int32_t* inSender = f.inSender.data();
    const std::int32_t* outStart = f.outStart.data();
    const std::int32_t* outReceiver = f.outReceiver.data();
    const double* outWeight = s.outWeight.data();
    // What no row sets (biases, sensors without an input) is the same in every lane.
    for (std::size_t i = 0; i < n; ++i) {
        value[i] = RowLanes{} + c.value[i];
        for (std::size_t l = 0; l < kRowLanes; ++l) rowValues[l * n + i] = c.value[i];
    }
    auto finish = [&](std::int32_t i, RowLanes net) {
        const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
        for (std::size_t l = 0; l < kRowLanes; ++l) {
            const double v = Finish(node, net[l]);
            value[i][l] = v;
            rowValues[l * n + static_cast<std::size_t>(i)] = v;
        }
    };
    // Each row's part of a receiver's links, the rows in order for every link.
    auto addGradient = [&](std::int32_t i, const RowLanes& d) {
        const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
        const std::int32_t begin = inStart[i], end = inStart[i + 1];
        const std::int32_t runStart = begin + node.runFrom, runEnd = runStart + node.run;
        auto one = [&](std::int32_t k, std::size_t l) {
            gradient[k] += d[l] * rowValues[l * n + static_cast<std::size_t>(inSender[k])];
        };
        if (d[0] != 0.0 && d[1] != 0.0 && d[2] != 0.0 && d[3] != 0.0) {
            for (std::int32_t k = begin; k < runStart; ++k)
                for (std::size_t l = 0; l < kRowLanes; ++l) one(k, l);
            const double* v = rowValues + node.firstSender;
            AddScaledFour(gradient + runStart, v, v + n, v + 2 * n, v + 3 * n, d, node.run);
            for (std::int32_t k = runEnd; k < end; ++k)
                for (std::size_t l = 0; l < kRowLanes; ++l) one(k, l);
            return;
        }
        // A row whose delta is 0 adds nothing, as one row at a time skips it.
        for (std::size_t l = 0; l < kRowLanes; ++l) {
            if (d[l] == 0.0) continue;
            for (std::int32_t k = begin; k < runStart; ++k) one(k, l);
            AddScaled(gradient + runStart, rowValues + l * n + node.firstSender, d[l], node.run);
            for (std::int32_t k = runEnd; k < end; ++k) one(k, l);
        }
    };
    const std::size_t actionCount = f.actions.size();
    double squares = c.squares;
    std::int32_t learned = c.learned;
    std::size_t row = first;
    for (; row + kRowLanes <= last; row += kRowLanes) {
        for (std::size_t j = 0; j < sensors; ++j) {
            const std::size_t i = static_cast<std::size_t>(s.packedSensors[j]);
            for (std::size_t l = 0; l < kRowLanes; ++l) {
                const double x = s.packedValues[(row + l) * sensors + j];
                value[i][l] = x;
                rowValues[l * n + i] = x;
            }
        }
        Forward(s, f, value, true, finish);
        std::fill(delta, delta + n, RowLanes{});
        // Each row's decision and its actions' deltas, the rows in order (the
        // squared error is one sum over them).
        for (std::size_t l = 0; l < kRowLanes; ++l) {
            learned += ScoreRow(s, f, row + l, [&](std::int32_t i) { return value[i][l]; });
            const std::int32_t targetID = s.packedRows[row + l]->m_iTargetID;
            for (std::size_t o = 0; o < actionCount; ++o) {
                const std::int32_t i = s.order[o];
                const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
                if (node.attached) delta[i][l] = ActionDelta(node, value[i][l], targetID, crossEntropy, squares);
            }
        }
        for (std::size_t o = 0; o < actionCount; ++o) addGradient(s.order[o], delta[s.order[o]]);
        // Processors from the last, each from what it feeds.
        for (std::size_t o = actionCount; o < s.order.size(); ++o) {
            const std::int32_t i = s.order[o];
            const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
            RowLanes sum{};
            for (std::int32_t k = outStart[i]; k < outStart[i + 1]; ++k) sum += outWeight[k] * delta[outReceiver[k]];
            for (std::size_t l = 0; l < kRowLanes; ++l) delta[i][l] = sum[l] * Slope(node, value[i][l]);
            addGradient(i, delta[i]);
        }
    }
    c.squares = squares;
    c.learned = learned;
    RunRows(s, f, row, last, crossEntropy, c);
}

}  // namespace ks
