// kestrine-cli: the whole engine from the command line, for scripts and CI.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/commands.h"
#include "files/number_text.h"

using namespace ks::cli;

namespace {

// A number option between lo and hi: NaN and infinities are refused by name
// (a plain range check lets NaN through, every comparison with it being false).
CLI::Validator Between(double lo, double hi, bool openLow = false) {
    return CLI::Validator([=](std::string& text) { return ks::CheckNumberInRange(text, lo, hi, openLow); }, "", "between");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Kestrine from the command line: build, train, evaluate and export neural models."};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("kestrine-cli ") + KESTRINE_VERSION);
    // A word that is no command is named, rather than reported as a missing command.
    if (argc > 1 && argv[1][0] != '-') {
        const std::string word = argv[1];
        static const char* kCommands[] = {"new", "import", "info", "train", "crossval", "eval", "export", "run", "demo"};
        bool known = false;
        for (const char* c : kCommands) known = known || word == c;
        if (!known) {
            std::fprintf(stderr, "kestrine-cli: usage: '%s' is not a command; the commands are new, import, info, train, "
                                 "crossval, eval, export, run and demo\n", word.c_str());
            return kUsage;
        }
    }

    NewOptions newOpts;
    auto* cmdNew = app.add_subcommand("new", "Create a new trainable project and save it");
    cmdNew->add_option("-o,--output", newOpts.output, "Project file to write (.ksm)")->required();
    cmdNew->add_option("--name", newOpts.name, "Name of the model");
    cmdNew->add_option("--seed", newOpts.seed, "Seed of the random generator (default 1)");
    cmdNew->add_flag("--force", newOpts.force, "Write even when the output's name says another kind of file");

    ImportOptions importOpts;
    auto* cmdImport = app.add_subcommand("import", "Build a project from a delimited text file and save it");
    cmdImport->add_option("data", importOpts.data, "Comma, semicolon or tab delimited file")->required();
    cmdImport->add_option("-o,--output", importOpts.output, "Project file to write (.ksm)")->required();
    cmdImport->add_flag("--names", importOpts.names, "The first column holds scenario names");
    cmdImport->add_option("--seed", importOpts.seed, "Seed of the random generator (default 1)");
    cmdImport->add_flag("--bias", importOpts.bias, "Give every processor and action receptor a bias receptor");
    cmdImport->add_flag("--no-header", importOpts.noHeader, "The first row is data; the columns are named Column 1, ...");
    cmdImport->add_option("--missing", importOpts.missing,
                          "Rows with a missing value (empty, NA, N/A, ?, nan, inf): keep (as 0 or their text, the "
                          "default), drop or refuse")
        ->check(CLI::IsMember({"keep", "drop", "refuse"}));
    cmdImport->add_flag("-q,--quiet", importOpts.quiet, "No summary (warnings still go to standard error)");
    cmdImport->add_flag("--force", importOpts.force, "Write even when the output's name says another kind of file");

    std::string infoFile;
    bool infoJson = false;
    auto* cmdInfo = app.add_subcommand("info", "Show what a project holds");
    cmdInfo->add_option("file", infoFile, "Project file (.ksm)")->required();
    cmdInfo->add_flag("--json", infoJson, "Print JSON");

    TrainOptions trainOpts;
    auto* cmdTrain = app.add_subcommand("train", "Train a project until every scenario is learned or a limit is reached");
    cmdTrain->add_option("file", trainOpts.file, "Project file (.ksm)")->required();
    cmdTrain->add_option("-o,--output", trainOpts.output, "Where to save the trained project (default: in place)");
    cmdTrain->add_option("--seed", trainOpts.seed, "Seed of the random generator (default 1)");
    cmdTrain->add_option("--max-cycles", trainOpts.maxCycles, "Stop after this many cycles")->check(Between(1, 2147483647));
    cmdTrain->add_option("--threads", trainOpts.threads,
                         "Threads for resilient back-propagation on big data (default: one per core); any count gives "
                         "the same result")
        ->check(Between(1, 256));
    cmdTrain->add_option("--max-seconds", trainOpts.maxSeconds, "Stop after this many seconds")
        ->check(Between(0, 1e7, true));
    cmdTrain->add_option("--learn-rate", trainOpts.learnRate, "Learn rate for this run")->check(Between(0, 10, true));
    cmdTrain->add_option("--momentum", trainOpts.momentum, "Momentum for this run")->check(Between(0, 1));
    cmdTrain->add_option("--batch-size", trainOpts.batchSize, "Batch size for this run")->check(Between(1, 1000000));
    cmdTrain->add_option("--reset-limit", trainOpts.resetLimit, "Reset limit for this run")->check(Between(1, 2147483647));
    cmdTrain->add_flag("--use-momentum", trainOpts.useMomentum, "Apply changes with momentum");
    cmdTrain->add_flag("--error-correction", trainOpts.errorCorrection, "Turn on error correction");
    cmdTrain->add_flag("-q,--quiet", trainOpts.quiet, "No progress display");
    cmdTrain->add_option("--method", trainOpts.method,
                         "winner or rprop (resilient back-propagation); default: the method last chosen in the "
                         "window, else winner")
        ->check(CLI::IsMember({"winner", "rprop"}));
    cmdTrain->add_option("--holdout", trainOpts.holdout,
                         "Keep this fraction of the scenarios out of training (stratified, by --seed, default 1) "
                         "and report how well the network decides them")
        ->check(Between(0, 1, true));
    cmdTrain->add_option("--patience", trainOpts.patience,
                         "Stop after this many cycles without a better held-out (or learned) figure; with rprop and "
                         "--holdout also when the held-out error rose this many times in a row")
        ->check(Between(1, 2147483647));
    cmdTrain->add_option("--curve", trainOpts.curve, "Write the learning curve (one row per cycle) to this CSV file");
    cmdTrain->add_flag("--json", trainOpts.json, "Print the result as one JSON object");
    cmdTrain->add_flag("--force", trainOpts.force, "Write even when an output's name says another kind of file");

    CrossvalOptions cvOpts;
    auto* cmdCrossval = app.add_subcommand(
        "crossval", "K-fold cross-validation of a data file: each fold imported and trained from the other folds' rows");
    cmdCrossval->add_option("data", cvOpts.data, "Comma, semicolon or tab delimited file (the import's format)")->required();
    cmdCrossval->add_option("--folds", cvOpts.folds, "Number of folds (default 10)")->check(Between(2, 1000));
    cmdCrossval->add_option("--seed", cvOpts.train.seed, "Seed of the folds, the weights and training (default 1)");
    cmdCrossval->add_option("--method", cvOpts.train.method,
                            "winner or rprop; default: the method last chosen in the window, else winner")
        ->check(CLI::IsMember({"winner", "rprop"}));
    cmdCrossval->add_flag("--bias", cvOpts.bias, "Give every processor and action receptor a bias receptor");
    cmdCrossval->add_flag("--names", cvOpts.names, "The first column holds scenario names");
    cmdCrossval->add_flag("--no-header", cvOpts.noHeader, "The first row is data");
    cmdCrossval->add_option("--missing", cvOpts.missing, "Rows with a missing value: keep, drop or refuse")
        ->check(CLI::IsMember({"keep", "drop", "refuse"}));
    cmdCrossval->add_option("--max-cycles", cvOpts.train.maxCycles, "Stop each fold's training after this many cycles")
        ->check(Between(1, 2147483647));
    cmdCrossval->add_option("--max-seconds", cvOpts.train.maxSeconds, "Stop each fold's training after this many seconds")
        ->check(Between(0, 1e7, true));
    cmdCrossval->add_option("--patience", cvOpts.train.patience, "Stop a fold after this many cycles without more learned")
        ->check(Between(1, 2147483647));
    cmdCrossval->add_flag("-q,--quiet", cvOpts.train.quiet, "No line per fold on standard error");
    cmdCrossval->add_flag("--json", cvOpts.train.json, "Print the figures as one JSON object");

    EvalOptions evalOpts;
    auto* cmdEval = app.add_subcommand("eval", "How well the network decides its scenarios, or the cases of a data file");
    cmdEval->add_option("file", evalOpts.file, "Project file (.ksm)")->required();
    cmdEval->add_option("--data", evalOpts.data, "Data file to test on (the import's format; columns matched by name)");
    cmdEval->add_flag("-v,--verbose", evalOpts.verbose, "One line per case: name, target, decision (and score)");
    cmdEval->add_flag("--json", evalOpts.json, "Print the figures as one JSON object");

    ExportOptions exportOpts;
    auto* cmdExport = app.add_subcommand("export", "Write the runtime file and inputsoutputs.h beside it, or C source");
    cmdExport->add_option("file", exportOpts.file, "Project file (.ksm)")->required();
    cmdExport->add_option("-o,--output", exportOpts.output, "Runtime file to write (.ksr)");
    cmdExport->add_flag("--force", exportOpts.force, "Write even when the output's name says another kind of file");
    cmdExport->add_option("--c-source", exportOpts.cSourceDir, "Also write the network as C source into this folder");
    cmdExport->add_option("--c-prefix", exportOpts.cPrefix, "Name of the C files and function (default kestrine)");
    cmdExport->add_option("--c-type", exportOpts.cType,
                          "Numbers of the C source: double (the trainer's, bit for bit), float (single precision, "
                          "no double) or fixed (16-bit integers, no floating point inside the network)")
        ->check(CLI::IsMember({"double", "float", "fixed"}))
        ->default_str("double");
    cmdExport->add_option("--c-input", exportOpts.cInput,
                          "Inputs of the fixed-point C source: double (scaled on entry in floating point) or fixed "
                          "(int32_t values times NAME_NET_INPUT_ONE, scaled in integers: no floating point at all)")
        ->check(CLI::IsMember({"double", "fixed"}))
        ->default_str("double");
    auto* verifyFlag = cmdExport->add_flag("--verify,!--no-verify", exportOpts.verify,
                                           "Decide every scenario, the corners and midpoints of the inputs and 100000 "
                                           "random inputs with the trainer and with the C source (default: on for float "
                                           "and fixed); a scenario decided differently refuses the export unless --force");

    std::string runModel, runBatch;
    std::vector<std::string> runPairs;
    auto* cmdRun = app.add_subcommand("run", "Decide with the runtime library: ID=VALUE pairs or --batch FILE");
    cmdRun->add_option("model", runModel, "Runtime file (.ksr)")->required();
    cmdRun->add_option("pairs", runPairs, "Input values as ID=VALUE (IDs from inputsoutputs.h)");
    cmdRun->add_option("--batch", runBatch, "File of lines of ID=VALUE pairs; prints one output ID per line");

    std::string demoDir;
    auto* cmdDemo = app.add_subcommand("demo", "Import, train and export an example, then decide every case three ways");
    cmdDemo->add_option("--dir", demoDir, "Folder for the files (default: a new temporary folder)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "kestrine-cli: usage: %s\n", e.what());
        std::fprintf(stderr, "Run 'kestrine-cli --help' for the commands and their options.\n");
        return kUsage;
    }

    if (*cmdNew) return New(newOpts);
    if (*cmdImport) return Import(importOpts);
    if (*cmdInfo) return Info(infoFile, infoJson);
    if (*cmdTrain) return Train(trainOpts);
    if (*cmdEval) return Eval(evalOpts);
    if (*cmdCrossval) return Crossval(cvOpts);
    if (*cmdExport) {
        if (verifyFlag->count() == 0) exportOpts.verify = exportOpts.cType != "double";
        return Export(exportOpts);
    }
    if (*cmdRun) return Run(runModel, runPairs, runBatch);
    if (*cmdDemo) return Demo(demoDir);
    return kUsage;
}
