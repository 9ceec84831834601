#pragma once
// The subcommands of kestrine-cli. Each returns the process exit code.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "model/prompt.h"

namespace ks {
class CProject;
}

namespace ks::cli {

enum ExitCode : int { kOk = 0, kFailed = 1, kUsage = 2, kStoppedByLimit = 3 };

// The command-line tool answers nothing interactively: notices go to stderr,
// questions are answered Yes.
class ConsolePrompt : public IPrompt {
public:
    Answer Ask(const std::string&, Buttons) override { return Answer::Yes; }
    void Notify(const std::string& text) override { std::fprintf(stderr, "kestrine-cli: %s\n", text.c_str()); }
};

// Prints "kestrine-cli: <what>: <why>" to stderr and returns kFailed.
int Fail(const std::string& what, const std::string& why);

struct NewOptions {
    std::string output;
    std::string name;
    std::uint32_t seed = 1;
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
};
int Train(const TrainOptions& o);

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

struct ExportOptions {
    std::string file;
    std::string output;
    std::string cSourceDir;
    std::string cPrefix = "kestrine";
};
int Export(const ExportOptions& o);

// Decides with the runtime library: one set of ID=VALUE pairs, or a batch
// file of such lines.
int Run(const std::string& model, const std::vector<std::string>& pairs, const std::string& batch);

// Import, train, export and decide every case three ways, then report.
int Demo(const std::string& dir);

}  // namespace ks::cli
