// Kestrine against FANN on the same data and the same network shape:
// inputs, max(inputs, outputs) + 1 logistic hidden units, outputs, with the
// inputs scaled to -3..+3 as our sensors scale them. One run, side by side:
// ns per decision (core, runtime library one at a time and in batches, the
// double, float and fixed-point C exports, fann_run), the time to classify the
// whole training set correctly (our training until "all learned" with a fixed
// seed, FANN's default training until every case's highest output is its
// class), and the time of one epoch. Usage: peer_bench EXAMPLES SECONDS [DATA.csv ...].
#include <dlfcn.h>
#include <floatfann.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "files/byte_io.h"
#include "files/c_export.h"
#include "files/c_export_small.h"
#include "files/data_import.h"
#include "files/project_file.h"
#include "ksr_runtime.h"
#include "model/project.h"
#include "model/random.h"
#include "training/training_cycle.h"
#include "model/training_state.h"

namespace {

using namespace ks;
using Clock = std::chrono::steady_clock;

struct DataSet {
    std::string name;
    std::string csv;
    bool names = false;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// 64 ranged inputs (0..16, like scanned digits), 10 classes, 1800 cases: noisy
// copies of ten prototypes.
std::string GeneratedDigits() {
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    std::vector<std::vector<int>> prototypes(10, std::vector<int>(64));
    for (auto& p : prototypes)
        for (int& v : p) v = static_cast<int>(next() % 17);
    std::string csv;
    for (int i = 0; i < 64; ++i) csv += "p" + std::to_string(i) + ",";
    csv += "digit\n";
    for (int n = 0; n < 1800; ++n) {
        const int c = n % 10;
        for (int i = 0; i < 64; ++i) {
            const int noise = static_cast<int>(next() % 7) - 3;
            csv += std::to_string(std::clamp(prototypes[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] + noise, 0, 16)) + ",";
        }
        csv += "d" + std::to_string(c) + "\n";
    }
    return csv;
}

// Nanoseconds per call of each timing, interleaved: seven rounds, each timing
// `calls` calls (a batch of 32 counts as 32) in turn; medians.
std::vector<double> InterleavedNs(const std::vector<std::pair<std::function<void()>, int>>& timings, int calls) {
    std::vector<std::vector<double>> ns(timings.size());
    for (int round = 0; round < 7; ++round)
        for (std::size_t t = 0; t < timings.size(); ++t) {
            const int per = timings[t].second, n = calls / per;
            const auto start = Clock::now();
            for (int i = 0; i < n; ++i) timings[t].first();
            ns[t].push_back(std::chrono::duration<double, std::nano>(Clock::now() - start).count() / (n * per));
        }
    std::vector<double> medians;
    for (auto& v : ns) {
        std::sort(v.begin(), v.end());
        medians.push_back(v[v.size() / 2]);
    }
    return medians;
}

struct Scaled {
    std::vector<std::vector<double>> raw;     // input values per case
    std::vector<std::vector<float>> scaled;   // -3..+3 as the sensors scale them
    std::vector<int> cls;                     // output index per case
};

Scaled Cases(CProject& p) {
    Scaled s;
    for (const auto& sc : p.Scenarios()->Scenarios()) {
        p.Scenarios()->ApplyScenario(sc.get());
        p.Model()->Evaluate();
        std::vector<double> raw;
        std::vector<float> scaled;
        for (const auto& v : p.m_inputs.m_items) raw.push_back(v->m_dValue);
        for (CReceptor* r : p.Model()->Sensors()) scaled.push_back(static_cast<float>(r->m_dOutput));
        int cls = 0;
        for (std::size_t o = 0; o < p.m_outputs.m_items.size(); ++o)
            if (sc->m_pTarget && sc->m_pTarget->m_pOutput == p.m_outputs.m_items[o].get()) cls = static_cast<int>(o);
        s.raw.push_back(raw);
        s.scaled.push_back(scaled);
        s.cls.push_back(cls);
    }
    return s;
}

using DecideFn = std::int32_t (*)(const double*);
using DecideFloatFn = std::int32_t (*)(const float*);

// Compiles generated C into a shared object and loads its decide function.
void* CompileGenerated(const CSource& c, const std::string& dir, const std::string& prefix, void** handle) {
    std::ofstream(dir + "/" + c.headerName) << c.header;
    std::ofstream(dir + "/" + c.sourceName) << c.source;
    const std::string so = dir + "/" + prefix + "_net.so";
    // Built as an embedder would for any x86-64 (not -march=native: wide vector code left
    // in the process slows FANN's SSE code beside it, and the figures with it).
    const std::string cmd = "cc -std=c99 -O2 -fPIC -shared -o " + so + " " + dir + "/" + c.sourceName + " -lm";
    if (std::system(cmd.c_str()) != 0) return nullptr;
    *handle = dlopen(so.c_str(), RTLD_NOW);
    return *handle ? dlsym(*handle, (prefix + "_net_decide").c_str()) : nullptr;
}

template <class Row>
using BatchFn = void (*)(const Row*, std::size_t, std::int32_t*);

constexpr unsigned kSeeds = 5;

struct TrainResult {
    bool reached = false;
    double seconds = 0;
    long steps = 0;  // cycles or epochs
    int correct = 0;
};

TrainResult TrainOurs(CProject& p, int maxCycles, double maxSeconds, TrainingMethod method = TrainingMethod::Winner,
                      unsigned seed = 1) {
    p.m_trainingSeed = seed;
    p.m_trainingMethod = method;
    StartStopTraining(p);
    TrainResult r;
    const auto start = Clock::now();
    while (true) {
        ++r.steps;
        if (TrainingCycle(p) == 0) {
            r.reached = true;
            break;
        }
        if (r.steps >= maxCycles || std::chrono::duration<double>(Clock::now() - start).count() > maxSeconds) {
            StopTraining(p);
            break;
        }
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    p.Scenarios()->EvaluateAll();
    r.correct = p.Scenarios()->m_iLearnedCount;
    return r;
}

TrainResult TrainFann(const Scaled& cases, int inputs, int hidden, int outputs, int maxEpochs, double maxSeconds,
                      unsigned seed) {
    fann* ann = fann_create_standard(3, inputs, hidden, outputs);
    fann_set_activation_function_hidden(ann, FANN_SIGMOID);
    fann_set_activation_function_output(ann, FANN_SIGMOID);
    fann_train_data* data = fann_create_train(static_cast<unsigned>(cases.cls.size()), static_cast<unsigned>(inputs),
                                              static_cast<unsigned>(outputs));
    for (std::size_t i = 0; i < cases.cls.size(); ++i) {
        for (int k = 0; k < inputs; ++k) data->input[i][k] = cases.scaled[i][static_cast<std::size_t>(k)];
        for (int k = 0; k < outputs; ++k) data->output[i][k] = k == cases.cls[i] ? 1.0f : 0.0f;
    }
    srand(seed);
    fann_randomize_weights(ann, -0.1f, 0.1f);
    auto correct = [&] {
        int n = 0;
        for (std::size_t i = 0; i < cases.cls.size(); ++i) {
            const fann_type* out = fann_run(ann, data->input[i]);
            if (std::max_element(out, out + outputs) - out == cases.cls[i]) ++n;
        }
        return n;
    };
    TrainResult r;
    const auto start = Clock::now();
    while (true) {
        fann_train_epoch(ann, data);
        ++r.steps;
        r.correct = correct();
        if (r.correct == static_cast<int>(cases.cls.size())) {
            r.reached = true;
            break;
        }
        if (r.steps >= maxEpochs || std::chrono::duration<double>(Clock::now() - start).count() > maxSeconds) break;
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    fann_destroy_train(data);
    fann_destroy(ann);
    return r;
}

std::string Describe(const TrainResult& r, const char* unit, std::size_t total) {
    char buf[160];
    if (r.reached)
        std::snprintf(buf, sizeof buf, "%.4f s (%ld %s)", r.seconds, r.steps, unit);
    else
        std::snprintf(buf, sizeof buf, "not reached: %d/%zu after %ld %s, %.1f s", r.correct, total, r.steps, unit, r.seconds);
    return buf;
}

// Several seeds' runs: the median time of those that reached every case, and
// how many did.
std::string DescribeSeeds(const std::vector<TrainResult>& runs, std::size_t total) {
    std::vector<double> seconds;
    std::vector<long> steps;
    for (const TrainResult& r : runs)
        if (r.reached) {
            seconds.push_back(r.seconds);
            steps.push_back(r.steps);
        }
    char buf[160];
    if (seconds.empty()) {
        int best = 0;
        for (const TrainResult& r : runs) best = std::max(best, r.correct);
        std::snprintf(buf, sizeof buf, "0/%zu seeds (best %d/%zu)", runs.size(), best, total);
        return buf;
    }
    std::sort(seconds.begin(), seconds.end());
    std::sort(steps.begin(), steps.end());
    std::snprintf(buf, sizeof buf, "%zu/%zu, %.3f ms (%.3f..%.3f), %ld ep", seconds.size(), runs.size(),
                  1e3 * seconds[seconds.size() / 2], 1e3 * seconds.front(), 1e3 * seconds.back(), steps[steps.size() / 2]);
    return buf;
}

double MedianSeconds(const std::vector<TrainResult>& runs) {
    std::vector<double> seconds;
    for (const TrainResult& r : runs)
        if (r.reached) seconds.push_back(r.seconds);
    if (seconds.empty()) return 0.0;
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// Per-epoch times: our epoch through the inputs and from packed rows, and
// FANN's, on the same shape with biases, interleaved round by round.
std::string TimeEpochs(const DataSet& set, CDataImport& import, const Scaled& cases, int inputs, int hidden, int outputs) {
    // Through the inputs; packed rows on one thread; packed rows on two threads.
    CProject q[3];
    for (int which = 0; which < 3; ++which) {
        SeedRandom(1);
        q[which].NewImportedProject(set.name, [&](CProject& r) {
            import.ImportBytes(r, std::vector<std::uint8_t>(set.csv.begin(), set.csv.end()));
        });
        q[which].EnsureProcessors();
        for (std::int32_t kind : {kProcessor, kAction}) AddBiasToKind(*q[which].Model(), kind);
        q[which].UpdateNetwork();
        // The first case again with another target: no epoch ever learns everything.
        CScenarioMgr& sm = *q[which].Scenarios();
        sm.ApplyScenario(sm.Scenarios().front().get());
        const auto& actions = q[which].Model()->Actions();
        sm.CreateScenario(actions[sm.Scenarios().front()->m_pTarget == actions[0] ? 1 : 0]);
        q[which].m_rprop = std::make_unique<RpropState>();
        q[which].m_rprop->usePacked = which > 0;
        q[which].m_trainingThreads = which == 2 ? 2 : 1;
        q[which].m_trainingSeed = 1;
        q[which].m_trainingMethod = TrainingMethod::Rprop;
        StartStopTraining(q[which]);
    }
    fann* ann = fann_create_standard(3, inputs, hidden, outputs);
    fann_train_data* data = fann_create_train(static_cast<unsigned>(cases.cls.size()), static_cast<unsigned>(inputs),
                                              static_cast<unsigned>(outputs));
    for (std::size_t i = 0; i < cases.cls.size(); ++i) {
        for (int k = 0; k < inputs; ++k) data->input[i][k] = cases.scaled[i][static_cast<std::size_t>(k)];
        for (int k = 0; k < outputs; ++k) data->output[i][k] = k == cases.cls[i] ? 1.0f : 0.0f;
    }
    std::vector<double> t[4];
    for (int round = 0; round < 7; ++round) {
        for (int which = 0; which < 4; ++which) {
            const auto start = Clock::now();
            for (int e = 0; e < 20; ++e) {
                if (which < 3)
                    TrainingCycle(q[which]);
                else
                    fann_train_epoch(ann, data);
            }
            t[which].push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / 20);
        }
    }
    fann_destroy_train(data);
    fann_destroy(ann);
    for (auto& v : t) std::sort(v.begin(), v.end());
    auto cell = [](const std::vector<double>& v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.1f (%.1f..%.1f)", v[v.size() / 2], v.front(), v.back());
        return std::string(buf);
    };
    auto median = [&](int which) { return t[which][t[which].size() / 2]; };
    char line[320];
    std::snprintf(line, sizeof line, "%-22s %-24s %-24s %-24s %-24s %6.2f %6.2f %6.2f", set.name.c_str(), cell(t[0]).c_str(),
                  cell(t[1]).c_str(), cell(t[2]).c_str(), cell(t[3]).c_str(), median(0) / median(1), median(1) / median(2),
                  median(1) / median(3));
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string examples = argc > 1 ? argv[1] : "examples";
    const double maxSeconds = argc > 2 ? std::atof(argv[2]) : 60.0;
    std::vector<DataSet> sets = {
        {"fruit_sorting", ReadFile(examples + "/fruit_sorting.csv"), true},
        {"loan_decision", ReadFile(examples + "/loan_decision.csv"), false},
        {"digits64 (generated)", GeneratedDigits(), false},
    };
    // More data files (a header row, the class last), such as public data sets kept outside the tree.
    for (int a = 3; a < argc; ++a) {
        const std::string path = argv[a];
        sets.push_back({path.substr(path.find_last_of('/') + 1), ReadFile(path), false});
    }
    char tmpl[] = "/tmp/kestrine-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl) ? tmpl : "/tmp";

    std::printf("Nanoseconds per decision (medians of 7 interleaved rounds), then ratios to FANN's fann_run:\n"
                "the runtime library one at a time and in batches of 32, the double C export, the float and\n"
                "fixed-point C exports one at a time and in batches of 32 (cc -O2)\n");
    std::printf("%-22s %-9s %7s %7s %7s %7s %7s %7s %7s %7s %7s %6s %6s %6s %6s %6s %6s %6s\n", "data set", "network", "core",
                "runtime", "rt b32", "dbl C", "float C", "fl b32", "fixed C", "fx b32", "FANN", "rt", "rt b32", "dbl C",
                "float", "fl b32", "fixed", "fx b32");
    struct Row {
        std::string name;
        TrainResult ours;
        std::vector<TrainResult> rprop, fann;  // per seed
        int fannOnly = 0;                      // seeds FANN learned all with and we did not
        std::size_t cases;
    };
    std::vector<Row> rows;
    std::vector<std::string> epochRows;
    for (const DataSet& set : sets) {
        if (set.csv.empty()) {
            std::printf("%-22s missing data file\n", set.name.c_str());
            continue;
        }
        SeedRandom(1);
        CProject p;
        CDataImport import;
        import.m_bScenarioNames = set.names;
        import.m_title = set.name;
        p.NewImportedProject(set.name, [&](CProject& q) {
            import.ImportBytes(q, std::vector<std::uint8_t>(set.csv.begin(), set.csv.end()));
        });
        p.EnsureProcessors();
        p.UpdateNetwork();
        const int inputs = p.m_inputs.Count(), outputs = p.m_outputs.Count();
        const int hidden = p.Model()->CountReceptors(kProcessor);
        const Scaled cases = Cases(p);

        // Decisions over the cases, in turn, by every path side by side.
        std::size_t k = 0;
        std::vector<std::pair<std::function<void()>, int>> timings;
        timings.push_back({[&] {
            const auto& raw = cases.raw[k++ % cases.raw.size()];
            for (std::size_t i = 0; i < raw.size(); ++i) p.m_inputs.m_items[i]->m_dValue = raw[i];
            p.Model()->Evaluate();
            volatile int w = p.Model()->WinnerID();
            (void)w;
        }, 1});
        ByteWriter w;
        WriteProject(w, p, true);
        ksr_model* rt = nullptr;
        ksr_load_memory(w.Bytes().data(), w.Size(), &rt, nullptr);
        timings.push_back({[&] {
            const auto& raw = cases.raw[k++ % cases.raw.size()];
            ksr_set_inputs(rt, raw.data(), static_cast<int>(raw.size()));
            volatile int d = ksr_decide(rt);
            (void)d;
        }, 1});
        // Rows of 32 cases for the batches.
        std::vector<double> flat;
        std::vector<float> flatFloat;
        for (std::size_t c = 0; c < 32; ++c) flat.insert(flat.end(), cases.raw[c % cases.raw.size()].begin(), cases.raw[c % cases.raw.size()].end());
        flatFloat.assign(flat.begin(), flat.end());
        std::int32_t decided[32];
        timings.push_back({[&] { ksr_decide_batch(rt, flat.data(), 32, decided, nullptr); }, 32});
        void* handle = nullptr;
        const auto generated = reinterpret_cast<DecideFn>(CompileGenerated(GenerateCSource(p, "bench"), dir, "bench", &handle));
        timings.push_back({[&] {
            volatile int d = generated ? generated(cases.raw[k++ % cases.raw.size()].data()) : 0;
            (void)d;
        }, 1});
        // Single precision and fixed point, as exported for small devices.
        std::string refusal;
        std::vector<std::vector<float>> rawFloat;
        for (const auto& raw : cases.raw) rawFloat.emplace_back(raw.begin(), raw.end());
        void* floatHandle = nullptr;
        const auto floatFn = reinterpret_cast<DecideFloatFn>(CompileGenerated(
            GenerateSmallCSource(p, BuildSmallNet(p, CNumberType::Float, refusal), "benchf"), dir, "benchf", &floatHandle));
        const auto floatBatch = floatHandle ? reinterpret_cast<BatchFn<float>>(dlsym(floatHandle, "benchf_net_decide_batch")) : nullptr;
        timings.push_back({[&] {
            volatile int d = floatFn ? floatFn(rawFloat[k++ % rawFloat.size()].data()) : 0;
            (void)d;
        }, 1});
        timings.push_back({[&] {
            if (floatBatch) floatBatch(flatFloat.data(), 32, decided);
        }, 32});
        const SmallNet fixedNet = BuildSmallNet(p, CNumberType::Fixed, refusal);
        void* fixedHandle = nullptr;
        const auto fixedFn = refusal.empty() ? reinterpret_cast<DecideFn>(CompileGenerated(
                                                   GenerateSmallCSource(p, fixedNet, "benchq"), dir, "benchq", &fixedHandle))
                                             : nullptr;
        const auto fixedBatch = fixedHandle ? reinterpret_cast<BatchFn<double>>(dlsym(fixedHandle, "benchq_net_decide_batch")) : nullptr;
        timings.push_back({[&] {
            volatile int d = fixedFn ? fixedFn(cases.raw[k++ % cases.raw.size()].data()) : 0;
            (void)d;
        }, 1});
        timings.push_back({[&] {
            if (fixedBatch) fixedBatch(flat.data(), 32, decided);
        }, 32});
        fann* ann = fann_create_standard(3, inputs, hidden, outputs);
        fann_set_activation_function_hidden(ann, FANN_SIGMOID);
        fann_set_activation_function_output(ann, FANN_SIGMOID);
        std::vector<std::vector<float>> in = cases.scaled;
        timings.push_back({[&] {
            volatile fann_type o = *fann_run(ann, in[k++ % in.size()].data());
            (void)o;
        }, 1});
        const std::vector<double> ns = InterleavedNs(timings, 20000 / (1 + inputs * hidden / 100) + 640);
        fann_destroy(ann);
        ksr_free(rt);
        for (void* h : {handle, floatHandle, fixedHandle})
            if (h) dlclose(h);
        // A path that could not be built shows as 0.
        const bool have[] = {true, true, true, generated != nullptr, floatFn != nullptr, floatBatch != nullptr,
                             fixedFn != nullptr, fixedBatch != nullptr, true};
        const double fannNs = ns[8];
        const std::string net = std::to_string(inputs) + "-" + std::to_string(hidden) + "-" + std::to_string(outputs);
        std::printf("%-22s %-9s", set.name.c_str(), net.c_str());
        for (std::size_t t = 0; t < ns.size(); ++t) std::printf(" %7.0f", have[t] ? ns[t] : 0.0);
        for (std::size_t t = 1; t < 8; ++t) std::printf(" %6.2f", have[t] ? ns[t] / fannNs : 0.0);
        std::printf("\n");
        std::fflush(stdout);

        Row row{set.name, {}, {}, {}, 0, cases.cls.size()};
        // Resilient back-propagation on the same network with biases, as FANN's units have:
        // seeds 1-5, each starting from weights its seed drew, FANN's run of the same seed beside it.
        // Seed 0 warms both up (first calls, caches) and is not counted.
        for (unsigned seed = 0; seed <= kSeeds; ++seed) {
            const bool warm = seed == 0;
            const TrainResult fannRun = TrainFann(cases, inputs, hidden, outputs, warm ? 3 : 20000, maxSeconds, seed);
            SeedRandom(seed);
            CProject q;
            q.NewImportedProject(set.name, [&](CProject& r) {
                import.ImportBytes(r, std::vector<std::uint8_t>(set.csv.begin(), set.csv.end()));
            });
            q.EnsureProcessors();
            for (std::int32_t kind : {kProcessor, kAction}) {
                AddBiasToKind(*q.Model(), kind);
            }
            q.UpdateNetwork();
            const TrainResult ourRun = TrainOurs(q, warm ? 3 : 20000, maxSeconds, TrainingMethod::Rprop, seed);
            if (warm) continue;
            row.fann.push_back(fannRun);
            row.rprop.push_back(ourRun);
            row.fannOnly += row.fann.back().reached && !row.rprop.back().reached;
        }
        row.ours = TrainOurs(p, 200000, maxSeconds);
        rows.push_back(row);
        epochRows.push_back(TimeEpochs(set, import, cases, inputs, hidden, outputs));
    }
    std::printf("\nTime to classify every training case correctly. Winner learning: seed 1, no biases. Resilient\n"
                "backprop (cross-entropy, with biases) and FANN (its default RPROP, biases built in): seeds 1-%u,\n"
                "the seeds that learned every case, their median time (min..max) and epochs; the ratio of the\n"
                "medians, and the seeds FANN learned that we did not\n", kSeeds);
    std::printf("%-22s %-42s %-40s %-40s %-10s %s\n", "data set", "Kestrine winner learning", "Kestrine resilient backprop",
                "FANN", "rprop/FANN", "FANN only");
    for (const Row& r : rows) {
        char ratio[32] = "-";
        if (MedianSeconds(r.rprop) > 0 && MedianSeconds(r.fann) > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", MedianSeconds(r.rprop) / MedianSeconds(r.fann));
        std::printf("%-22s %-42s %-40s %-40s %-10s %d\n", r.name.c_str(), Describe(r.ours, "cycles", r.cases).c_str(),
                    DescribeSeeds(r.rprop, r.cases).c_str(), DescribeSeeds(r.fann, r.cases).c_str(), ratio, r.fannOnly);
    }
    std::printf("\nOne epoch of resilient back-propagation, microseconds (median of 7 interleaved rounds of 20, min..max;\n"
                "one case made unlearnable so no run ends): through the inputs, from packed rows on one and on two\n"
                "threads (the same bytes), FANN's fann_train_epoch; then speed-ups and packed (one thread) / FANN\n");
    std::printf("%-22s %-24s %-24s %-24s %-24s %6s %6s %6s\n", "data set", "through the inputs", "packed, 1 thread",
                "packed, 2 threads", "FANN", "old/new", "1t/2t", "/FANN");
    for (const std::string& r : epochRows) std::printf("%s\n", r.c_str());
    return 0;
}
