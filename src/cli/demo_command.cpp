// kestrine-cli demo: the whole road from data to an embedded decision,
// without a window, checking that the trainer, the runtime library and the
// generated C decide alike.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "cli/commands.h"
#include "demo_data.h"
#include "files/c_export.h"
#include "files/data_import.h"
#include "files/header_file.h"
#include "files/messages.h"
#include "files/project_file.h"
#include "ksr_runtime.h"
#include "model/project.h"
#include "model/random.h"
#include "model/text.h"
#include "session/session.h"

namespace ks::cli {

namespace {

constexpr std::uint32_t kImportSeed = 1;
constexpr std::uint32_t kTrainingSeed = 2;
constexpr std::int32_t kMaxCycles = 50000;

const char* kDriver = R"C(#include <stdio.h>
#include "kestrine_net.h"
int main(void) {
    double in[KESTRINE_NET_INPUTS > 0 ? KESTRINE_NET_INPUTS : 1];
    for (;;) {
        int i;
        for (i = 0; i < KESTRINE_NET_INPUTS; ++i)
            if (scanf("%lf", &in[i]) != 1) return 0;
        printf("%d\n", kestrine_net_decide(in));
    }
}
)C";

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

// Runs a program with an argument vector (no shell: a folder name is never
// read as a command), standard input and output from and to the given files
// when named, and returns its exit code (-1 when it could not run).
int Spawn(const std::vector<std::string>& args, const std::string& in = {}, const std::string& out = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    const int started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int Demo(const std::string& requestedDir) {
    std::string dir = requestedDir;
    if (dir.empty()) {
        std::string tmpl = "/tmp/kestrine-demo-XXXXXX";
        if (!mkdtemp(tmpl.data())) return Fail("demo", "cannot create a temporary folder");
        dir = tmpl;
    } else {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (!std::filesystem::is_directory(dir)) return Fail("demo", "cannot create " + dir + (ec ? ": " + ec.message() : ""));
    }
    const std::string data = dir + "/" + kDemoCsvName;
    if (!WriteText(data, kDemoCsv)) return Fail("demo", "cannot write " + data);

    // Import and train, as the wizard and the Train page would.
    SeedRandom(kImportSeed);
    CProject p;
    ConsolePrompt prompt;
    CSession session(p, prompt);
    CDataImport import;
    import.Choose(data);
    import.m_bScenarioNames = true;
    session.ImportProject(import);
    p.AlignInView(720, 420);
    p.UpdateNetwork();
    CScenarioMgr& sm = *p.Scenarios();
    std::printf("demo: imported %d cases with %d inputs and %d outputs from %s\n", sm.Count(), p.m_inputs.Count(),
                p.m_outputs.Count(), data.c_str());
    p.m_trainingSeed = kTrainingSeed;
    RunLimits limits;
    limits.maxCycles = kMaxCycles;
    CRunMonitor monitor(p, limits);
    if (!TrainToEnd(session, monitor, true)) return Fail("demo", "training could not start");
    std::printf("demo: trained in %d cycles: %d of %d learned\n", p.m_iCycleCounter, sm.m_iLearnedCount, sm.Count());

    const std::string project = dir + "/fruit_sorting.ksm", runtime = dir + "/fruit_sorting.ksr";
    FileResult header;
    const FileResult exported = session.ExportRuntime(runtime, &header);
    for (const FileResult& r : {session.SaveTo(project, session.Image()), header, exported,
                                session.ExportCSource(dir, "kestrine")})
        if (!r.ok) return Fail("demo", r.message);
    std::printf("demo: wrote %s, %s, inputsoutputs.h and kestrine_net.c/.h\n", project.c_str(), runtime.c_str());

    // Decide every case with the trainer (display rule) and the runtime library.
    ksr_model* model = nullptr;
    if (ksr_load_file(runtime.c_str(), &model, nullptr) != KSR_OK) return Fail("demo", "cannot load " + runtime);
    std::vector<int> expected;
    std::string rows;
    int runtimeAgrees = 0;
    for (const auto& s : sm.Scenarios()) {
        sm.ApplyScenario(s.get());
        p.Model()->Evaluate();
        const CReceptor* w = p.Model()->SelectWinner();
        expected.push_back(w && w->m_pOutput ? w->m_pOutput->m_ID : 0);
        for (const auto& v : p.m_inputs.m_items) {
            ksr_set_input(model, v->m_ID, v->m_dValue);
            rows += Format("%.17g ", v->m_dValue);
        }
        rows += "\n";
        if (ksr_decide(model) == expected.back()) ++runtimeAgrees;
    }
    ksr_free(model);
    std::printf("demo: the runtime library agrees with the trainer on %d of %zu cases\n", runtimeAgrees,
                expected.size());

    // The generated C, when a compiler is at hand.
    int cAgrees = -1;
    if (Spawn({"cc", "--version"}) == 0) {
        WriteText(dir + "/driver.c", kDriver);
        WriteText(dir + "/cases.txt", rows);
        const std::string exe = dir + "/decide";
        if (Spawn({"cc", "-std=c99", "-O2", "-o", exe, dir + "/kestrine_net.c", dir + "/driver.c", "-lm"}) != 0)
            return Fail("demo", "the generated C did not compile");
        // A relative folder would be read as a command name: the program is named by a path.
        Spawn({exe.find('/') == std::string::npos ? "./" + exe : exe}, dir + "/cases.txt", dir + "/decisions.txt");
        std::ifstream got(dir + "/decisions.txt");
        cAgrees = 0;
        for (int id : expected) {
            int d = -1;
            if (got >> d && d == id) ++cAgrees;
        }
        std::printf("demo: the compiled C agrees with the trainer on %d of %zu cases\n", cAgrees, expected.size());
    } else {
        std::printf("demo: no C compiler found; the generated C was not compiled\n");
    }
    const bool agree = runtimeAgrees == static_cast<int>(expected.size()) &&
                       (cAgrees < 0 || cAgrees == static_cast<int>(expected.size()));
    std::printf("demo: %s (files in %s)\n", agree ? "all decisions agree" : "DECISIONS DIFFER", dir.c_str());
    return agree ? kOk : kFailed;
}

}  // namespace ks::cli
