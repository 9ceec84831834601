#include "model/eval_plan.h"

#include <algorithm>
#include <cmath>
#include <cassert>
#include <cstring>
#include <unordered_map>

#include "model/receptor_mgr.h"

namespace ks {

void BuildFlatNetwork(const CReceptorMgr& m, FlatNetwork& f) {
    const std::size_t n = m.m_receptors.size(), nc = m.m_connections.size();
    std::unordered_map<const CReceptor*, std::int32_t> receptorIndex(n * 2);
    std::unordered_map<const CConnection*, std::int32_t> connectionIndex(nc * 2);
    f.receptors.clear();
    f.connections.clear();
    for (const auto& r : m.m_receptors) {
        receptorIndex.emplace(r.get(), static_cast<std::int32_t>(f.receptors.size()));
        f.receptors.push_back(r.get());
    }
    for (const auto& c : m.m_connections) {
        connectionIndex.emplace(c.get(), static_cast<std::int32_t>(f.connections.size()));
        f.connections.push_back(c.get());
    }
    auto indexes = [&](const std::vector<CReceptor*>& list, std::vector<std::int32_t>& out) {
        out.clear();
        for (const CReceptor* r : list) out.push_back(receptorIndex.at(r));
    };
    indexes(m.Sensors(), f.sensors);
    indexes(m.Processors(), f.processors);
    indexes(m.Actions(), f.actions);
    f.inStart.assign(n + 1, 0);
    f.outStart.assign(n + 1, 0);
    f.inSender.clear();
    f.inConnection.clear();
    f.outReceiver.clear();
    f.outConnection.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const CReceptor& r = *f.receptors[i];
        for (const CLink& l : r.m_inputLinks) {
            f.inSender.push_back(receptorIndex.at(l.connection->m_pSender));
            f.inConnection.push_back(connectionIndex.at(l.connection));
        }
        f.inStart[i + 1] = static_cast<std::int32_t>(f.inSender.size());
        for (const CLink& l : r.m_outputLinks) {
            f.outReceiver.push_back(receptorIndex.at(l.connection->m_pReceiver));
            f.outConnection.push_back(connectionIndex.at(l.connection));
        }
        f.outStart[i + 1] = static_cast<std::int32_t>(f.outReceiver.size());
    }
    // Every connection is one receptor's incoming link and one's outgoing link.
    assert(f.inSender.size() == nc && f.outReceiver.size() == nc);
}

const FlatNetwork& CEvalPlan::Flat(const CReceptorMgr& model) {
    if (!m_flatValid) {
        BuildFlatNetwork(model, m_flat);
        m_flatValid = true;
    }
    return m_flat;
}

namespace {

typedef double V4 __attribute__((vector_size(sizeof(double) * CEvalPlan::kQuad)));

inline V4 Load(const double* p) {
    V4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store(double* p, V4 v) { std::memcpy(p, &v, sizeof v); }

inline V4 Broadcast(double x) { return V4{x, x, x, x}; }

typedef std::int64_t I4 __attribute__((vector_size(sizeof(std::int64_t) * CEvalPlan::kQuad)));

}  // namespace

void CEvalPlan::Build(CReceptorMgr& model) {
    model.m_store.Settle();
    m_version = model.m_structureVersion;
    m_flatValid = false;
    m_blocks.clear();
    m_steps.clear();
    m_gather.clear();
    m_values.assign(1, 0.0);
    m_sources.assign(1, nullptr);
    for (const auto& r : model.m_receptors) {
        r->m_iPlanBlock = -1;
        r->m_iPlanLane = 0;
        r->m_iPlanValue = -1;
    }
    // Every receptor that sends along a connection gets a value index.
    for (const auto& c : model.m_connections) {
        CReceptor* s = c->m_pSender;
        if (s->m_iPlanValue >= 0) continue;
        s->m_iPlanValue = static_cast<std::int32_t>(m_values.size());
        m_values.push_back(0.0);
        m_sources.push_back(s);
    }

    // A stage may read only what earlier stages wrote; otherwise the sequential loop is the meaning.
    m_usable = true;
    for (CReceptor* r : model.Processors()) r->m_iPlanBlock = 2;  // temporary stage marks
    for (CReceptor* r : model.Actions()) r->m_iPlanBlock = 3;
    for (const auto& c : model.m_connections) {
        const int sender = c->m_pSender->m_iPlanBlock, receiver = c->m_pReceiver->m_iPlanBlock;
        if (receiver > 0 && sender >= receiver) m_usable = false;
    }
    for (const auto& r : model.m_receptors) r->m_iPlanBlock = -1;

    ConnectionStore& old = model.m_store;
    ConnectionStore fresh;
    auto layStage = [&](const std::vector<CReceptor*>& receivers, Stage& stage) {
        stage.firstBlock = static_cast<std::uint32_t>(m_blocks.size());
        for (std::size_t first = 0; first < receivers.size(); first += kLanes) {
            Block b{};
            b.firstSlot = static_cast<std::uint32_t>(fresh.weight.size());
            b.firstStep = static_cast<std::uint32_t>(m_steps.size());
            for (int lane = 0; lane < kLanes; ++lane) {
                CReceptor* r = first + lane < receivers.size() ? receivers[first + lane] : nullptr;
                b.receiver[lane] = r;
                b.valueIndex[lane] = r ? r->m_iPlanValue : -1;
                b.linkCount[lane] = r ? static_cast<std::uint32_t>(r->m_inputLinks.size()) : 0;
                b.steps = std::max(b.steps, b.linkCount[lane]);
                if (r) {
                    b.width = static_cast<std::uint32_t>((lane / kQuad + 1) * kQuad);
                    r->m_iPlanBlock = static_cast<std::int32_t>(m_blocks.size());
                    r->m_iPlanLane = lane;
                }
            }
            for (std::uint32_t j = 0; j < b.steps; ++j) {
                std::int32_t source[kLanes] = {};
                bool uniform = true;
                std::int32_t shared = -1;
                for (int lane = 0; lane < static_cast<int>(b.width); ++lane) {
                    fresh.Add();
                    const CReceptor* r = b.receiver[lane];
                    if (j < b.linkCount[lane]) {
                        CConnection* c = r->m_inputLinks[j].connection;
                        const std::uint32_t slot = static_cast<std::uint32_t>(fresh.weight.size() - 1);
                        fresh.weight[slot] = old.weight[c->m_iSlot];
                        fresh.signal[slot] = old.signal[c->m_iSlot];
                        fresh.pending[slot] = old.pending[c->m_iSlot];
                        c->m_iSlot = slot;
                        source[lane] = c->m_pSender->m_iPlanValue;
                        if (shared < 0) shared = source[lane];
                        if (source[lane] != shared) uniform = false;
                    } else if (r) {
                        uniform = false;  // a real receiver past its last link must add exactly nothing
                    }
                }
                StepView st{shared, -1};
                if (!uniform) {
                    st.gather = static_cast<std::int32_t>(m_gather.size() / kLanes);
                    m_gather.insert(m_gather.end(), source, source + kLanes);
                }
                m_steps.push_back(st);
            }
            m_blocks.push_back(b);
        }
        stage.blocks = static_cast<std::uint32_t>(m_blocks.size()) - stage.firstBlock;
    };
    layStage(model.Processors(), m_processors);
    layStage(model.Actions(), m_actions);
    // Connections into receptors outside both stages (sensors, biases, or a
    // receptor left out of its kind list) are not evaluated but keep their numbers.
    for (const auto& c : model.m_connections) {
        if (c->m_pReceiver->m_iPlanBlock >= 0) continue;
        const std::uint32_t slot = fresh.Add();
        fresh.weight[slot] = old.weight[c->m_iSlot];
        fresh.signal[slot] = old.signal[c->m_iSlot];
        fresh.pending[slot] = old.pending[c->m_iSlot];
        c->m_iSlot = slot;
    }
    old = std::move(fresh);
    m_coef.assign(m_blocks.size() * kLanes, 0.0);
    m_mask.assign(m_blocks.size() * kLanes, 0);
}

namespace {

// Advances Q groups of four sums through every step of one block.
template <int Q>
void SumBlock(std::uint32_t steps, const CEvalPlan::StepView* st, const std::int32_t* gather, const double* values,
              const double* w, double* out) {
    V4 sum[Q] = {};
    for (std::uint32_t j = 0; j < steps; ++j, w += Q * 4) {
        if (st[j].gather < 0) {
            const V4 x = Broadcast(values[st[j].source]);
#pragma GCC unroll 4
            for (int q = 0; q < Q; ++q) sum[q] += x * Load(w + 4 * q);
        } else {
            const std::int32_t* src = gather + static_cast<std::size_t>(st[j].gather) * CEvalPlan::kLanes;
#pragma GCC unroll 4
            for (int q = 0; q < Q; ++q) {
                const std::int32_t* s4 = src + 4 * q;
                const V4 x = {values[s4[0]], values[s4[1]], values[s4[2]], values[s4[3]]};
                sum[q] += x * Load(w + 4 * q);
            }
        }
    }
    for (int q = 0; q < Q; ++q) Store(out + 4 * q, sum[q]);
}

inline bool IsLogistic(const CReceptor& r) {
    return (r.m_iKind == kProcessor && r.m_iActivation == kLogistic) || (r.m_iKind == kAction && !r.m_bLinearOutput);
}

}  // namespace

void CEvalPlan::RunStage(const Stage& stage, CReceptorMgr& model) {
    const double* weight = model.m_store.weight.data();
    double sums[kLanes];
    for (std::uint32_t bi = 0; bi < stage.blocks; ++bi) {
        const Block& b = m_blocks[stage.firstBlock + bi];
        const StepView* steps = m_steps.data() + b.firstStep;
        const double* w = weight + b.firstSlot;
        double* values = m_values.data();
        const std::int32_t* gather = m_gather.data();
        switch (b.width / kQuad) {
        case 1: SumBlock<1>(b.steps, steps, gather, values, w, sums); break;
        case 2: SumBlock<2>(b.steps, steps, gather, values, w, sums); break;
        case 3: SumBlock<3>(b.steps, steps, gather, values, w, sums); break;
        default: SumBlock<4>(b.steps, steps, gather, values, w, sums); break;
        }
        for (int lane = 0; lane < kLanes; ++lane) {
            CReceptor* r = b.receiver[lane];
            if (!r) continue;
            r->m_dNetInput = sums[lane];
            if (IsLogistic(*r))
                r->m_dOutput = ksr_logistic(sums[lane]);
            else
                r->Activate();
            if (b.valueIndex[lane] >= 0) values[b.valueIndex[lane]] = r->SendValue();
        }
    }
}

void CEvalPlan::Run(CReceptorMgr& model) {
    // This pass defines every planned signal afresh: the last pass's need not be derived.
    model.m_store.deferredSignals = nullptr;
    for (std::size_t i = 1; i < m_sources.size(); ++i) m_values[i] = m_sources[i]->SendValue();
    RunStage(m_processors, model);
    RunStage(m_actions, model);
    model.m_store.deferredSignals = this;
}

std::size_t CEvalPlan::SourceOf(const StepView& st, int lane) const {
    const std::int32_t v = st.gather < 0 ? st.source : m_gather[static_cast<std::size_t>(st.gather) * kLanes + lane];
    return static_cast<std::size_t>(v);
}

void CEvalPlan::DeriveSignals(ConnectionStore& store) const {
    for (const Block& b : m_blocks) {
        const StepView* steps = m_steps.data() + b.firstStep;
        for (std::uint32_t j = 0; j < b.steps; ++j) {
            const std::size_t row = b.firstSlot + static_cast<std::size_t>(j) * b.width;
            for (int lane = 0; lane < kLanes; ++lane)
                if (j < b.linkCount[lane])
                    store.signal[row + lane] = m_values[SourceOf(steps[j], lane)] * store.weight[row + lane];
        }
    }
}

bool CEvalPlan::AddHiddenChanges(const CReceptor& r, double learnRate, bool accumulate, CReceptorMgr& model) {
    if (!m_usable || m_version != model.m_structureVersion) return false;
    // Every sender must be a planned receiver met once; biases (no links in) count as done.
    m_touched.clear();
    bool ok = true;
    for (const CLink& n : r.m_inputLinks) {
        const CReceptor* h = n.connection->m_pSender;
        if (h->m_iPlanBlock < 0) {
            if (!h->m_inputLinks.empty()) ok = false;
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(h->m_iPlanBlock) * kLanes + h->m_iPlanLane;
        if (m_mask[at]) ok = false;  // the same sender twice
        if (std::find(m_touched.begin(), m_touched.end(), static_cast<std::uint32_t>(h->m_iPlanBlock)) ==
            m_touched.end())
            m_touched.push_back(static_cast<std::uint32_t>(h->m_iPlanBlock));
        m_mask[at] = -1;
        m_coef[at] = learnRate * h->m_dHiddenDelta;
    }
    if (ok) {
        if (!accumulate) model.m_store.Settle();
        double* target = accumulate ? model.m_store.pending.data() : model.m_store.weight.data();
        const double* values = m_values.data();
        for (std::uint32_t bi : m_touched) {
            const Block& b = m_blocks[bi];
            const StepView* steps = m_steps.data() + b.firstStep;
            const double* coef = m_coef.data() + static_cast<std::size_t>(bi) * kLanes;
            const std::int64_t* mask = m_mask.data() + static_cast<std::size_t>(bi) * kLanes;
            double* row = target + b.firstSlot;
            const int quads = static_cast<int>(b.width) / kQuad;
            for (std::uint32_t j = 0; j < b.steps; ++j, row += b.width) {
                for (int q = 0; q < quads; ++q) {
                    V4 x;
                    if (steps[j].gather < 0) {
                        x = Broadcast(values[steps[j].source]);
                    } else {
                        const std::int32_t* src = m_gather.data() + static_cast<std::size_t>(steps[j].gather) * kLanes + 4 * q;
                        x = V4{values[src[0]], values[src[1]], values[src[2]], values[src[3]]};
                    }
                    const V4 old = Load(row + 4 * q);
                    const V4 added = old + Load(coef + 4 * q) * x;
                    // Lanes not taking part keep their value bit for bit.
                    I4 m;
                    std::memcpy(&m, mask + 4 * q, sizeof m);
                    const I4 bits = ((I4)added & m) | ((I4)old & ~m);
                    Store(row + 4 * q, (V4)bits);
                }
            }
        }
    }
    for (const CLink& n : r.m_inputLinks) {
        const CReceptor* h = n.connection->m_pSender;
        if (h->m_iPlanBlock < 0) continue;
        const std::size_t at = static_cast<std::size_t>(h->m_iPlanBlock) * kLanes + h->m_iPlanLane;
        m_mask[at] = 0;
        m_coef[at] = 0.0;
    }
    return ok;
}

}  // namespace ks
