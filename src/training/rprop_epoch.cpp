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
#include "training/rprop_rows.h"

namespace ks {

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
        for (std::int32_t from = first, length = 1; from < last; from += length, length = 1) {
            while (from + length < last &&
                   f.inSender[static_cast<std::size_t>(from + length)] == f.inSender[static_cast<std::size_t>(from)] + length)
                ++length;
            if (length >= 4 && length > n.run) {  // shorter runs gain nothing
                n.runFrom = from - first;
                n.firstSender = f.inSender[static_cast<std::size_t>(from)];
                n.run = length;
            }
        }
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
    // Asked once: the count is read from /sys, a system call or three, every time.
    static const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min(parts, s.threads > 0 ? static_cast<std::size_t>(s.threads) : cores);
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
    auto part = [&](std::size_t j) {
        const std::size_t from = rows * j / parts, to = rows * (j + 1) / parts;
        if (s.layered)
            RunRowsFourAtOnce(s, f, from, to, crossEntropy, work.chunks[j]);
        else
            RunRows(s, f, from, to, crossEntropy, work.chunks[j]);
    };
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
