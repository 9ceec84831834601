// One epoch of resilient back-propagation over packed scenario rows and flat
// arrays: the same sums in the same order as the pass through the receptors,
// so the same bits, without setting inputs or walking objects.
#include "training/rprop_epoch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "model/project.h"

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

// Whether four receivers from r on start with the same run of consecutive senders.
bool SameRun(const RpropState& s, const std::int32_t* r) {
    const RpropState::Node& lead = s.nodes[static_cast<std::size_t>(r[0])];
    for (std::size_t j = 1; j < 4; ++j) {
        const RpropState::Node& n = s.nodes[static_cast<std::size_t>(r[j])];
        if (n.run != lead.run || n.firstSender != lead.firstSender) return false;
    }
    return lead.run > 0;
}

double Slope(const RpropState::Node& n, double out) {
    return n.kind == kAction ? ksr_action_slope(n.linear, out) : ksr_processor_slope(n.code, out);
}

}  // namespace

bool PackRpropScenarios(CProject& p, RpropState& s) {
    s.packed = false;
    CReceptorMgr* m = p.Model();
    CScenarioMgr* sm = p.Scenarios();
    if (!m || !sm) return false;
    const FlatNetwork& f = m->Flat();
    s.nodes.assign(f.receptors.size(), {});
    std::unordered_map<const CReceptor*, std::int32_t> index;
    for (std::size_t i = 0; i < f.receptors.size(); ++i) {
        const CReceptor& r = *f.receptors[i];
        index[&r] = static_cast<std::int32_t>(i);
        RpropState::Node& n = s.nodes[i];
        n.kind = r.m_iKind;
        n.code = r.m_iActivation;
        n.bit = r.m_iBitIndex;
        n.id = r.m_ID;
        n.linear = r.m_bLinearOutput;
        n.attached = r.m_bAttachedToOutput;
        n.threshold = r.m_dThreshold;
        n.logistic = (r.m_iKind == kProcessor && r.m_iActivation == kLogistic) || (r.m_iKind == kAction && !r.m_bLinearOutput);
        const std::int32_t first = f.inStart[i], last = f.inStart[i + 1];
        std::int32_t run = last > first ? 1 : 0;
        while (first + run < last &&
               f.inSender[static_cast<std::size_t>(first + run)] == f.inSender[static_cast<std::size_t>(first)] + run)
            ++run;
        n.firstSender = run > 0 ? f.inSender[static_cast<std::size_t>(first)] : 0;
        n.run = run >= 4 ? run : 0;  // shorter runs gain nothing
    }
    // Layered: no processor reads a processor or an action, no action an action,
    // so a stage's receivers may be worked out in any order.
    std::vector<int> stage(f.receptors.size(), 0);
    for (const std::int32_t i : f.processors) stage[static_cast<std::size_t>(i)] = 2;
    for (const std::int32_t i : f.actions) stage[static_cast<std::size_t>(i)] = 3;
    s.layered = true;
    for (std::size_t i = 0; i < f.receptors.size(); ++i)
        for (std::int32_t k = f.inStart[i]; stage[i] && k < f.inStart[i + 1]; ++k)
            if (stage[static_cast<std::size_t>(f.inSender[static_cast<std::size_t>(k)])] >= stage[i]) s.layered = false;
    s.packedSensors.clear();
    for (const std::int32_t i : f.sensors)
        if (f.receptors[static_cast<std::size_t>(i)]->m_pVariable) s.packedSensors.push_back(i);
    // Each row as applying the scenario gives it; the inputs are put back afterwards.
    std::vector<double> kept;
    for (const auto& v : p.m_inputs.m_items) kept.push_back(v->m_dValue);
    s.packedValues.clear();
    s.packedTarget.clear();
    s.packedRows.clear();
    bool complete = true;
    for (const auto& scenario : sm->Scenarios()) {
        CScenario& sc = *scenario;
        if (!Trainable(sc)) continue;
        const auto target = index.find(sc.m_pTarget);
        if (target == index.end()) complete = false;
        // A scenario that leaves an input as the last one set it cannot be a row of its own.
        for (const std::int32_t i : s.packedSensors) f.receptors[static_cast<std::size_t>(i)]->m_bSatisfied = true;
        sm->ApplyScenario(&sc);
        m->EvaluateSensors();
        for (const std::int32_t i : s.packedSensors) {
            const CReceptor& r = *f.receptors[static_cast<std::size_t>(i)];
            complete = complete && !r.m_bSatisfied;
            s.packedValues.push_back(r.m_dOutput);
        }
        s.packedTarget.push_back(target == index.end() ? -1 : target->second);
        s.packedRows.push_back(&sc);
        if (!complete) break;
    }
    for (std::size_t i = 0; i < kept.size(); ++i) p.m_inputs.m_items[i]->SetValue(kept[i]);
    m->EvaluateSensors();
    s.packedScenarios = sm->Scenarios().size();
    s.packedVersion = m->m_structureVersion;
    s.packed = complete;
    return complete;
}

namespace {

// One part of an epoch's rows, worked out on its own: scores, learned count,
// squared error and gradient of its rows, in row order.
struct Chunk {
    std::vector<double> value, delta, gradient;
    std::int32_t learned = 0;
    double squares = 0.0;
};

void RunRows(const RpropState& s, const FlatNetwork& f, std::size_t first, std::size_t last, bool crossEntropy, Chunk& c) {
    const std::size_t n = f.receptors.size(), sensors = s.packedSensors.size();
    double* value = c.value.data();
    double* delta = c.delta.data();
    double* gradient = c.gradient.data();
    const std::int32_t* inStart = f.inStart.data();
    const std::int32_t* inSender = f.inSender.data();
    const std::int32_t* outStart = f.outStart.data();
    const std::int32_t* outReceiver = f.outReceiver.data();
    const double* inWeight = s.inWeight.data();
    const double* outWeight = s.outWeight.data();
    auto finish = [&](std::int32_t i, double net) {
        const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
        value[i] = node.logistic          ? ksr_logistic(net)
                   : node.kind == kAction ? ksr_action_output(node.linear, net)
                                          : ksr_processor_output(node.code, net, node.threshold, node.bit);
    };
    for (std::size_t row = first; row < last; ++row) {
        CScenario& sc = *s.packedRows[row];
        const double* x = s.packedValues.data() + row * sensors;
        for (std::size_t j = 0; j < sensors; ++j) value[s.packedSensors[j]] = x[j];
        // Forward: processors, then actions, each sum in link order. In a layered
        // network four receivers with as many links advance side by side.
        for (const std::vector<std::int32_t>* list : {&f.processors, &f.actions}) {
            const std::int32_t* r = list->data();
            const std::size_t count = list->size();
            std::size_t a = 0;
            while (a < count) {
                const std::int32_t links = inStart[r[a] + 1] - inStart[r[a]];
                if (s.layered && a + 4 <= count && inStart[r[a + 1] + 1] - inStart[r[a + 1]] == links &&
                    inStart[r[a + 2] + 1] - inStart[r[a + 2]] == links && inStart[r[a + 3] + 1] - inStart[r[a + 3]] == links) {
                    const std::int32_t b0 = inStart[r[a]], b1 = inStart[r[a + 1]], b2 = inStart[r[a + 2]], b3 = inStart[r[a + 3]];
                    double n0 = 0.0, n1 = 0.0, n2 = 0.0, n3 = 0.0;
                    std::int32_t k = 0;
                    const RpropState::Node& lead = s.nodes[static_cast<std::size_t>(r[a])];
                    if (SameRun(s, r + a)) {
                        // Their first senders in a row, the same for all four: each value read once.
                        const double* x = value + lead.firstSender;
                        const double *w0 = inWeight + b0, *w1 = inWeight + b1, *w2 = inWeight + b2, *w3 = inWeight + b3;
                        for (; k < lead.run; ++k) {
                            const double v = x[k];
                            n0 += v * w0[k];
                            n1 += v * w1[k];
                            n2 += v * w2[k];
                            n3 += v * w3[k];
                        }
                    }
                    for (; k < links; ++k) {
                        n0 += value[inSender[b0 + k]] * inWeight[b0 + k];
                        n1 += value[inSender[b1 + k]] * inWeight[b1 + k];
                        n2 += value[inSender[b2 + k]] * inWeight[b2 + k];
                        n3 += value[inSender[b3 + k]] * inWeight[b3 + k];
                    }
                    finish(r[a], n0);
                    finish(r[a + 1], n1);
                    finish(r[a + 2], n2);
                    finish(r[a + 3], n3);
                    a += 4;
                    continue;
                }
                double net = 0.0;
                for (std::int32_t k = inStart[r[a]]; k < inStart[r[a] + 1]; ++k) net += value[inSender[k]] * inWeight[k];
                finish(r[a], net);
                ++a;
            }
        }
        double best = -1.0;
        std::int32_t winner = 0;
        for (const std::int32_t i : f.actions) {
            const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
            if (node.attached && value[i] > best) {
                best = value[i];
                winner = node.id;
            }
        }
        sc.m_bLearned = winner == sc.m_iTargetID;
        if (sc.m_bLearned) {
            sc.m_fScore = 1.0f;
            ++c.learned;
        } else {
            sc.m_fScore = static_cast<float>(value[s.packedTarget[row]]);
        }
        std::fill(delta, delta + n, 0.0);
        for (const std::int32_t i : s.order) {
            const RpropState::Node& node = s.nodes[static_cast<std::size_t>(i)];
            double d = 0.0;
            if (node.kind == kAction) {
                if (!node.attached) continue;
                const double y = value[i], target = node.id == sc.m_iTargetID ? 1.0 : 0.0;
                c.squares += (y - target) * (y - target);
                d = crossEntropy && !node.linear ? y - target : (y - target) * Slope(node, y);
            } else {
                double sum = 0.0;
                for (std::int32_t k = outStart[i]; k < outStart[i + 1]; ++k) sum += outWeight[k] * delta[outReceiver[k]];
                d = sum * Slope(node, value[i]);
            }
            delta[i] = d;
            if (d == 0.0) continue;
            AddScaled(gradient + inStart[i], value + node.firstSender, d, node.run);
            for (std::int32_t k = inStart[i] + node.run; k < inStart[i + 1]; ++k) gradient[k] += d * value[inSender[k]];
        }
    }
}

// Below this much work (rows times links) an epoch is one part on one thread.
constexpr std::size_t kPartedWork = std::size_t{1} << 18;
// A big epoch is always cut into this many parts, whatever the number of
// threads, and the parts are added in order: any thread count gives the same bits.
constexpr std::size_t kParts = 8;

}  // namespace

// The parts' scratch and the threads that work them, kept for the run.
struct RpropParallel {
    std::vector<Chunk> chunks;
    std::vector<std::thread> threads;
    std::mutex mutex;
    std::condition_variable wake, finished;
    std::uint64_t generation = 0;
    std::size_t busy = 0;
    std::atomic<std::size_t> next{0};
    // The epoch's job, without a std::function: nothing is allocated per epoch.
    void (*job)(void*, std::size_t) = nullptr;
    void* context = nullptr;
    std::size_t jobs = 0;
    bool stop = false;

    explicit RpropParallel(std::size_t helpers) {
        for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back([this] { Serve(); });
    }
    ~RpropParallel() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_all();
        for (std::thread& t : threads) t.join();
    }
    void Take() {
        for (std::size_t j; (j = next.fetch_add(1)) < jobs;) job(context, j);
    }
    void Serve() {
        std::uint64_t seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [&] { return stop || generation != seen; });
                if (stop) return;
                seen = generation;
            }
            Take();
            {
                std::lock_guard<std::mutex> lock(mutex);
                --busy;
            }
            finished.notify_all();
        }
    }
    // Runs work(0 .. count-1) on these threads and the caller's; returns when all are done.
    template <class F>
    void Run(std::size_t count, F& work) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            job = [](void* f, std::size_t j) { (*static_cast<F*>(f))(j); };
            context = &work;
            jobs = count;
            next = 0;
            busy = threads.size();
            ++generation;
        }
        wake.notify_all();
        Take();
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [&] { return busy == 0; });
    }
};

void RpropEpochPacked(CProject& p, RpropState& s, EpochFigures& out) {
    CReceptorMgr& m = *p.m_training.model;
    CScenarioMgr& sm = *p.m_training.scenarios;
    const FlatNetwork& f = m.Flat();
    const std::size_t n = f.receptors.size(), links = f.inConnection.size(), rows = s.packedRows.size();
    // The weights do not change within an epoch: read once, in the order the sums walk them.
    s.inWeight.resize(links);
    for (std::size_t k = 0; k < links; ++k) s.inWeight[k] = s.weight[static_cast<std::size_t>(f.inConnection[k])];
    s.outWeight.resize(f.outConnection.size());
    for (std::size_t k = 0; k < f.outConnection.size(); ++k) s.outWeight[k] = s.weight[static_cast<std::size_t>(f.outConnection[k])];
    for (const auto& scenario : sm.Scenarios()) {
        CScenario& sc = *scenario;
        if (sc.m_bHeldOut || sc.m_pTarget) continue;
        sc.m_bLearned = false;
        sc.m_fScore = 0.0f;
    }

    const std::size_t parts = rows * std::max<std::size_t>(links, 1) >= kPartedWork ? kParts : 1;
    const std::size_t threads = std::min(parts, s.threads > 0 ? static_cast<std::size_t>(s.threads)
                                                              : std::max(1u, std::thread::hardware_concurrency()));
    if (!s.parallel || s.parallel->threads.size() != threads - 1) s.parallel = std::make_shared<RpropParallel>(threads - 1);
    RpropParallel& work = *s.parallel;
    work.chunks.resize(parts);
    for (Chunk& c : work.chunks) {
        c.value.resize(n);
        for (std::size_t i = 0; i < n; ++i) c.value[i] = f.receptors[i]->SendValue();  // biases and sensors without an input
        c.delta.resize(n);
        c.gradient.assign(links, 0.0);
        c.learned = 0;
        c.squares = 0.0;
    }
    const bool crossEntropy = s.error == RpropError::CrossEntropy;
    auto part = [&](std::size_t j) { RunRows(s, f, rows * j / parts, rows * (j + 1) / parts, crossEntropy, work.chunks[j]); };
    if (threads > 1)
        work.Run(parts, part);
    else
        for (std::size_t j = 0; j < parts; ++j) part(j);

    // The parts in order: their sums, and each link's gradient onto its connection.
    out.withTarget = static_cast<std::int32_t>(rows);
    for (const std::int32_t i : f.actions) out.outputs += rows > 0 && s.nodes[static_cast<std::size_t>(i)].attached;
    double* gradient = work.chunks.front().gradient.data();
    for (std::size_t j = 0; j < parts; ++j) {
        out.learned += work.chunks[j].learned;
        out.squares += work.chunks[j].squares;
        if (j > 0)
            for (std::size_t k = 0; k < links; ++k) gradient[k] += work.chunks[j].gradient[k];
    }
    for (std::size_t k = 0; k < links; ++k) s.gradient[static_cast<std::size_t>(f.inConnection[k])] = gradient[k];
}

std::size_t EpochParts(const RpropState& s) { return s.parallel ? s.parallel->chunks.size() : 0; }
std::size_t EpochThreads(const RpropState& s) { return s.parallel ? s.parallel->threads.size() + 1 : 0; }

}  // namespace ks
