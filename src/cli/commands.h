#pragma once
// The subcommands of kestrine-cli. Each returns the process exit code.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "model/prompt.h"
#include "training/run_monitor.h"

namespace ks {
class CProject;
class CSession;
struct EvaluationReport;
}

namespace ks::cli {

// 3: a limit or a plateau ended training before every scenario was learned;
// 4: a signal (Ctrl-C, SIGTERM) ended it (the best state is saved either way).
enum ExitCode : int { kOk = 0, kFailed = 1, kUsage = 2, kStoppedByLimit = 3, kInterrupted = 4 };

// The command-line tool answers nothing interactively: notices go to stderr,
// questions are answered Yes.
class ConsolePrompt : public IPrompt {
public:
    Answer Ask(const std::string&, Buttons) override { return Answer::Yes; }
    void Notify(const std::string& text) override { std::fprintf(stderr, "kestrine-cli: %s\n", text.c_str()); }
};

// Prints "kestrine-cli: <what>: <why>" to stderr and returns kFailed.
int Fail(const std::string& what, const std::string& why);
// Prints "kestrine-cli: <message>" (a message that names its file) and returns kFailed.
int Report(const std::string& message);

// What a command writes, for the checks before anything is written.
enum class OutputKind { Project, Runtime, Text };
// Refuses (printing why) an output that is a folder, the same file as one of
// the inputs, or, unless forced, has the extension of another kind of file
// (a project written to d.csv). Returns kOk or kFailed.
int CheckOutput(const std::string& output, OutputKind kind, const std::vector<std::string>& inputs, bool force);

struct NewOptions {
    std::string output;
    std::string name;
    std::uint32_t seed = 1;
    bool force = false;
};
int New(const NewOptions& o);

struct ImportOptions {
    std::string data;
    std::string output;
    bool names = false;
    bool bias = false;
    bool noHeader = false;
    bool quiet = false;
    std::string missing = "keep";  // keep, drop or refuse
    std::uint32_t seed = 1;
    bool force = false;
};
int Import(const ImportOptions& o);

int Info(const std::string& file, bool json);

struct TrainOptions {
    std::string file;
    std::string output;
    std::optional<std::uint32_t> seed;
    std::int32_t maxCycles = 0;
    double maxSeconds = 0.0;
    std::optional<double> learnRate, momentum;
    std::optional<std::int32_t> batchSize, resetLimit;
    bool useMomentum = false;
    bool errorCorrection = false;
    bool quiet = false;
    std::string method;  // "winner" or "rprop"; empty: the stored choice
    std::optional<double> holdout;  // fraction of the scenarios kept out of training
    std::int32_t patience = 0;  // cycles without a better figure before stopping (0: no plateau stop)
    std::int32_t threads = 0;   // resilient back-propagation's threads (0: one per core)
    std::string curve;          // CSV file for the learning curve
    bool json = false;
    bool force = false;
};
int Train(const TrainOptions& o);

// What train and crossval share. Applies the run's options to a loaded or
// imported project (learn rate, method, seed, ...).
void ApplyTrainOptions(CProject& p, const TrainOptions& o);
// Trains the project until the monitor or the training ends it, showing
// progress on standard error unless quiet (one updating line on a terminal,
// else a line every 5 seconds). Ctrl-C and SIGTERM end the run at the end of
// the current cycle. Afterwards the best state is restored and every
// scenario evaluated. False when training could not start.
bool TrainToEnd(CSession& session, CRunMonitor& monitor, bool quiet);
// The flag Ctrl-C and SIGTERM set once the handlers are installed.
const std::atomic<bool>& StopSignals();
// Writes the learning curve as CSV; an empty text or why it failed.
std::string WriteCurve(const std::string& path, const std::vector<RunFigures>& curve, bool heldOut);

struct CrossvalOptions {
    std::string data;
    std::int32_t folds = 10;
    bool names = false, noHeader = false, bias = false;
    std::string missing = "keep";
    TrainOptions train;  // seed (default 1), method, limits, patience, quiet, json
};
int Crossval(const CrossvalOptions& o);

struct EvalOptions {
    std::string file;
    std::string data;  // a data file to test on; empty: the project's own scenarios
    bool verbose = false;
    bool json = false;
};
int Eval(const EvalOptions& o);

// Loads a project file into p; on failure prints why and sets the exit code.
bool Load(const std::string& path, ks::CProject& p, int& code);
// A text as a JSON string.
std::string JsonString(const std::string& s);
// A number for JSON: non-finite values have no JSON spelling and are null.
std::string JsonNumber(double v);
// The figures of an evaluation as a JSON object (without unknown-target counts).
std::string ReportJson(const EvaluationReport& r);
// The figures as text lines: accuracy, the confusion matrix, per output and macro.
void PrintReport(const EvaluationReport& r);
// Saves through the safe writer; on failure prints why and returns kFailed.
int SaveProject(const std::string& path, const CProject& p);

struct ExportOptions {
    std::string file;
    std::string output;  // the runtime file; empty: C source only
    std::string cSourceDir;
    std::string cPrefix = "kestrine";
    std::string cType = "double";  // double, float or fixed
    std::string cInput = "double";  // double, or fixed (with cType fixed: the inputs as integers too)
    bool verify = false;            // decide alike before writing (on by default for float and fixed)
    bool force = false;
};
int Export(const ExportOptions& o);

// Decides with the runtime library: one set of ID=VALUE pairs, or a batch
// file of such lines.
int Run(const std::string& model, const std::vector<std::string>& pairs, const std::string& batch);

// Import, train, export and decide every case three ways, then report.
int Demo(const std::string& dir);

}  // namespace ks::cli
