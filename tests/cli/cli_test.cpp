#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli_fixture.h"
#include "support/temp_dir.h"

namespace {

using ks::test::Cli;
using ks::test::CliRun;
using ks::test::ReadAll;
using ks::test::TempDir;

TEST_F(Cli, NewIsReproducibleAndUsesStoredDefaults) {
    ASSERT_EQ(Exec("new -o " + dir.File("a.ksm")).code, 0);
    ASSERT_EQ(Exec("new -o " + dir.File("b.ksm")).code, 0);
    ASSERT_EQ(Exec("new -o " + dir.File("c.ksm") + " --seed 9").code, 0);
    EXPECT_EQ(ReadAll(dir.File("a.ksm")), ReadAll(dir.File("b.ksm")));
    EXPECT_NE(ReadAll(dir.File("a.ksm")), ReadAll(dir.File("c.ksm")));  // another processor ID

    std::filesystem::create_directories(dir.File("config/Halvek Systems"));
    dir.Write("config/Halvek Systems/Kestrine.conf", "[Program%20Settings]\nLearnRate=300\nResetMax=77\n");
    ASSERT_EQ(Exec("new -o " + dir.File("d.ksm")).code, 0);
    const CliRun info = Exec("info --json " + dir.File("d.ksm"));
    EXPECT_NE(info.out.find("\"learn_rate\": 0.30000001192092896"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"reset_limit\": 77"), std::string::npos);
    EXPECT_NE(info.out.find("\"processors\": 1,"), std::string::npos);
}

TEST_F(Cli, ImportTrainEvalExport) {
    const std::string project = dir.File("fruit.ksm");
    const CliRun imported = Exec("import " + Example("fruit_sorting.csv") + " --names -o " + project);
    ASSERT_EQ(imported.code, 0) << imported.err;
    ASSERT_EQ(Exec("import " + Example("fruit_sorting.csv") + " --names -o " + dir.File("again.ksm")).code, 0);
    EXPECT_EQ(ReadAll(project), ReadAll(dir.File("again.ksm")));  // same data and seed, same bytes

    const CliRun info = Exec("info " + project);
    EXPECT_NE(info.out.find("inputs: 3\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("scenarios: 12\n"), std::string::npos);
    EXPECT_NE(info.out.find("processors 6"), std::string::npos);

    // A cycle limit reached before everything is learned: exit code 3.
    const CliRun limited = Exec("train " + project + " --seed 2 --max-cycles 3 -o " + dir.File("short.ksm"));
    EXPECT_EQ(limited.code, 3) << limited.err;
    EXPECT_NE(limited.out.find("cycles=3 learned="), std::string::npos) << limited.out;

    const CliRun trained = Exec("train " + project + " --seed 2 --max-cycles 30000 -q -o " + dir.File("t1.ksm"));
    ASSERT_EQ(trained.code, 0) << trained.err;
    EXPECT_NE(trained.out.find("learned=12 scenarios=12 elapsed="), std::string::npos) << trained.out;
    ASSERT_EQ(Exec("train " + project + " --seed 2 --max-cycles 30000 -q -o " + dir.File("t2.ksm")).code, 0);
    EXPECT_EQ(ReadAll(dir.File("t1.ksm")), ReadAll(dir.File("t2.ksm")));  // a fixed seed is bit for bit

    const CliRun eval = Exec("eval -v " + dir.File("t1.ksm"));
    EXPECT_EQ(eval.code, 0);
    EXPECT_NE(eval.out.find("sample 1\tapple\tapple\t1.000\n"), std::string::npos) << eval.out;
    EXPECT_NE(eval.out.find("learned=12 scenarios=12\n"), std::string::npos);

    std::filesystem::create_directories(dir.File("out"));
    const CliRun exported = Exec("export " + dir.File("t1.ksm") + " -o " + dir.File("out/fruit.ksr"));
    EXPECT_EQ(exported.code, 0) << exported.err;
    EXPECT_NE(exported.out.find("Your runtime AI System \"t1.ksm\" is ready."), std::string::npos);
    EXPECT_NE(ReadAll(dir.File("out/inputsoutputs.h")).find("#define OUTPUT_apple "), std::string::npos);
    // 14 receptors, 48 connections, 5 outputs, 3 variables, 4 descriptor items.
    EXPECT_EQ(ReadAll(dir.File("out/fruit.ksr")).size(), 24u + 28 * 14 + 32 * 48 + 4 * 5 + 164 * 3 + 8 * 4);
}

TEST_F(Cli, ResilientBackpropLearnsWhatWinnerLearningDoesNot) {
    const std::string project = dir.File("loan.ksm");
    ASSERT_EQ(Exec("import " + Example("loan_decision.csv") + " --bias -o " + project).code, 0);
    const CliRun info = Exec("info --json " + project);
    EXPECT_NE(info.out.find("\"biases\": 7"), std::string::npos) << info.out;  // 4 processors, 3 actions
    const CliRun winner = Exec("train " + project + " --seed 1 --max-cycles 3000 -q -o " + dir.File("w.ksm"));
    EXPECT_EQ(winner.code, 3);
    const CliRun rprop = Exec("train " + project + " --method rprop --max-cycles 3000 -q -o " + dir.File("r.ksm"));
    EXPECT_EQ(rprop.code, 0) << rprop.err;
    EXPECT_NE(rprop.out.find("learned=30 scenarios=30"), std::string::npos) << rprop.out;
    EXPECT_EQ(Exec("train " + project + " --method other").code, 2);
}

TEST_F(Cli, ErrorsAndExitCodes) {
    const CliRun missing = Exec("info " + dir.File("none.ksm"));
    EXPECT_EQ(missing.code, 1);
    // The message names the file once.
    EXPECT_EQ(missing.err.rfind("kestrine-cli: cannot open " + dir.File("none.ksm") + ": ", 0), 0u) << missing.err;

    dir.Write("bad.ksm", std::string(50, '\x07'));
    const CliRun bad = Exec("train " + dir.File("bad.ksm"));
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("at byte"), std::string::npos) << bad.err;
    EXPECT_EQ(ReadAll(dir.File("bad.ksm")), std::string(50, '\x07'));  // nothing overwritten

    EXPECT_EQ(Exec("").code, 2);
    EXPECT_EQ(Exec("train").code, 2);
    EXPECT_EQ(Exec("train x.ksm --max-cycles -4").code, 2);
    EXPECT_EQ(Exec("import " + dir.File("nothing.csv") + " -o " + dir.File("x.ksm")).code, 1);

    ASSERT_EQ(Exec("new -o " + dir.File("empty.ksm")).code, 0);
    const CliRun noScenarios = Exec("train " + dir.File("empty.ksm"));
    EXPECT_EQ(noScenarios.code, 1);
    EXPECT_NE(noScenarios.err.find("no scenarios"), std::string::npos);
    EXPECT_EQ(Exec("export " + dir.File("empty.ksm") + " -o " + dir.File("no/such/folder/x.ksr")).code, 1);
}

// Ninety cases of three classes a small network can learn, with some noise.
std::string ThreeClassData() {
    std::string text = "width,height,shade,kind\n";
    const char* shades[] = {"light", "dark"};
    for (int i = 0; i < 90; ++i) {
        const int w = (i * 37) % 50, h = (i * 11) % 40;
        const char* kind = w + h < 30 ? "small" : w > h + 10 ? "wide" : "tall";
        text += std::to_string(w) + "," + std::to_string(h) + "," + shades[(i * 5) % 2] + "," + kind + "\n";
    }
    return text;
}

TEST_F(Cli, HoldOutTrainingRepeatsAndReportsBothParts) {
    dir.Write("shapes.csv", ThreeClassData());
    const std::string project = dir.File("shapes.ksm");
    ASSERT_EQ(Exec("import -q " + dir.File("shapes.csv") + " -o " + project).code, 0);
    const std::string args = " --holdout 0.2 --seed 4 --method rprop --patience 40 --max-cycles 2000 --json -q";
    const CliRun a = Exec("train " + project + args + " --curve " + dir.File("a.csv") + " -o " + dir.File("a.ksm"));
    const CliRun b = Exec("train " + project + args + " --curve " + dir.File("b.csv") + " -o " + dir.File("b.ksm"));
    ASSERT_TRUE(a.code == 0 || a.code == 3) << a.err;
    EXPECT_EQ(ReadAll(dir.File("a.ksm")), ReadAll(dir.File("b.ksm")));  // the split and the run repeat exactly
    EXPECT_NE(a.out.find("\"training\": {\"cases\": 71, "), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("\"held_out\": {\"cases\": 19, "), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("\"saved\": true"), std::string::npos);
    EXPECT_EQ(a.out.find("nan"), std::string::npos);
    // One curve row per cycle and one for the start, with the held-out columns.
    const std::string curve = ReadAll(dir.File("a.csv"));
    EXPECT_EQ(curve.rfind("cycle,seconds,learned_percent,training_error,held_out_accuracy,held_out_error\n0,", 0), 0u);
    const auto cycles = a.out.substr(a.out.find("\"cycles\": ") + 10);
    EXPECT_EQ(std::count(curve.begin(), curve.end(), '\n'), std::stoi(cycles) + 2) << a.out;

    const CliRun text = Exec("train " + project + " --holdout 0.2 --seed 4 --method rprop --patience 40 -q -o " +
                             dir.File("c.ksm"));
    EXPECT_NE(text.out.find("\nheld-out: correct="), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nstopped: "), std::string::npos) << text.out;
    EXPECT_EQ(ReadAll(dir.File("a.ksm")), ReadAll(dir.File("c.ksm")));

    // Fractions that are not one: refused before anything is written.
    for (const char* f : {"0", "1", "-0.2", "1.5", "nan", "0.001"}) {
        const CliRun bad = Exec("train " + project + " --holdout " + f + " -o " + dir.File("bad.ksm"));
        EXPECT_TRUE(bad.code == 1 || bad.code == 2) << f;
        EXPECT_NE(bad.err.find("hold"), std::string::npos) << f << ": " << bad.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("bad.ksm"))) << f;
    }
}

TEST_F(Cli, ASignalEndsTrainingAndTheBestStateIsSaved) {
    // A project the winner rule takes long to learn, trained without a limit.
    std::string text = "a,b,c,kind\n";
    for (int i = 0; i < 400; ++i)
        text += std::to_string((i * 37) % 101) + "," + std::to_string((i * 53) % 97) + "," + std::to_string(i % 7) +
                "," + ((i * 7919) % 3 == 0 ? "x" : (i * 31) % 5 < 2 ? "y" : "z") + "\n";
    dir.Write("hard.csv", text);
    const std::string project = dir.File("hard.ksm"), trained = dir.File("trained.ksm");
    ASSERT_EQ(Exec("import -q " + dir.File("hard.csv") + " -o " + project).code, 0);
    for (int sig : {SIGINT, SIGTERM}) {
        std::filesystem::remove(trained);
        const pid_t pid = fork();
        if (pid == 0) {
            freopen(dir.File("out.txt").c_str(), "w", stdout);
            freopen(dir.File("err.txt").c_str(), "w", stderr);
            execl(KESTRINE_CLI, KESTRINE_CLI, "train", project.c_str(), "--seed", "1", "-o", trained.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        usleep(700 * 1000);
        kill(pid, sig);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of ending training";
        EXPECT_EQ(WEXITSTATUS(status), 4) << ReadAll(dir.File("err.txt"));
        const std::string out = ReadAll(dir.File("out.txt"));
        EXPECT_NE(out.find("\nstopped: interrupted; kept the best state, cycle "), std::string::npos) << out;
        const CliRun eval = Exec("eval " + trained);
        EXPECT_EQ(eval.code, 0) << "the trained project was saved";
    }
}

TEST_F(Cli, CrossValidationRepeatsAndRefusesWhatCannotBeSplit) {
    dir.Write("shapes.csv", ThreeClassData());
    const std::string args = "crossval " + dir.File("shapes.csv") + " --folds 5 --seed 2 --method rprop --max-cycles 300";
    const CliRun a = Exec(args), b = Exec(args);
    ASSERT_EQ(a.code, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("fold 5: correct="), std::string::npos) << a.out;
    EXPECT_NE(a.out.find("\npooled over the folds:\ncases=90 "), std::string::npos) << a.out;
    EXPECT_EQ(std::count(a.err.begin(), a.err.end(), '\n'), 5) << a.err;  // a line per fold
    const CliRun json = Exec(args + " --json");
    ASSERT_EQ(json.code, 0);
    EXPECT_NE(json.out.find("\"mean_accuracy\": "), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"pooled\": {\"cases\": 90, "), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("nan"), std::string::npos);
    EXPECT_EQ(Exec(args + " --seed 3").out == a.out, false);

    dir.Write("three.csv", "a,b,kind\n1,2,x\n2,3,y\n3,4,x\n");
    dir.Write("empty.csv", "");
    for (const auto& [cmd, code] : std::vector<std::pair<std::string, int>>{
             {"crossval " + dir.File("three.csv") + " --folds 4", 2},
             {"crossval " + dir.File("three.csv") + " --folds 1", 2},
             {"crossval " + dir.File("empty.csv"), 1},
             {"crossval " + dir.File("none.csv"), 1}}) {
        const CliRun r = Exec(cmd);
        EXPECT_EQ(r.code, code) << cmd;
        EXPECT_NE(r.err.find("kestrine-cli: "), std::string::npos) << cmd;
        EXPECT_EQ(r.out, "") << cmd;
    }
}

// eval: the figures of the project's own scenarios, of a test file, and as JSON.
TEST_F(Cli, EvalOnScenariosAndOnATestFile) {
    const CliRun own = Exec("eval " + Example("loan_decision.ksm"));
    ASSERT_EQ(own.code, 0) << own.err;
    EXPECT_NE(own.out.find("learned=23 scenarios=30\ncases=30 correct=23 accuracy=0.7667\n"), std::string::npos) << own.out;
    EXPECT_NE(own.out.find("output \"Approve\": precision=0.8750 recall=1.0000 f1=0.9333\n"), std::string::npos);
    const CliRun file = Exec("eval " + Example("loan_decision.ksm") + " --data " + Example("loan_decision.csv") + " --json");
    ASSERT_EQ(file.code, 0) << file.err;
    EXPECT_EQ(file.out.rfind("{\"cases\": 30, \"correct\": 23, ", 0), 0u) << file.out;
    EXPECT_NE(file.out.find("\"confusion\": [[7, 0, 6, 0], [0, 7, 0, 0], [0, 1, 9, 0]]"), std::string::npos) << file.out;
    const std::string wrong = dir.Write("wrong.csv", "Income,Fruit\n1,apple\n");
    const CliRun bad = Exec("eval " + Example("loan_decision.ksm") + " --data " + wrong);
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find(wrong + ": there is no column"), std::string::npos) << bad.err;
    EXPECT_EQ(Exec("eval " + Example("loan_decision.ksm") + " --data " + dir.Write("e.csv", "")).code, 1);
}

// The import refuses what is not data (exit 1, nothing written, the file
// named), prints what it built, and sends warnings to standard error.
TEST_F(Cli, ImportSummaryMissingValuesAndRefusals) {
    const std::string data = dir.Write("d.csv", "size,kind\n1,Yes\nNA,yes\n3,No\n");
    const CliRun kept = Exec("import " + data + " -o " + dir.File("k.ksm"));
    ASSERT_EQ(kept.code, 0) << kept.err;
    EXPECT_EQ(kept.out, "rows read: 3\ninput \"size\": numbers from 0 to 3; 1 missing\noutput \"Yes\": 2 cases\n"
                        "output \"No\": 1 cases\n");
    EXPECT_NE(kept.err.find("warning: the decisions \"Yes\" and \"yes\" differ only in letter case"), std::string::npos);
    EXPECT_NE(kept.err.find("warning: 1 values are missing"), std::string::npos);
    // info shows what was built: inputs with type, range and value, outputs with their colour.
    const std::string info = Exec("info " + dir.File("k.ksm")).out;
    EXPECT_NE(info.find("input \"size\" (ID 100): Ranged Double from 0 to 3; value 0.00\n"), std::string::npos) << info;
    EXPECT_NE(info.find("colour #FFFFFF\n"), std::string::npos) << info;
    const std::string json = Exec("info --json " + dir.File("k.ksm")).out;
    EXPECT_NE(json.find("\"input_list\": [{\"name\": \"size\", \"id\": 100, \"type\": \"Ranged Double\", "
                        "\"minimum\": 0, \"maximum\": 3, \"value\": 0}]"),
              std::string::npos)
        << json;
    const CliRun dropped = Exec("import " + data + " --missing drop -q -o " + dir.File("d.ksm"));
    EXPECT_EQ(dropped.code, 0);
    EXPECT_EQ(dropped.out, "");
    EXPECT_NE(Exec("info " + dir.File("d.ksm")).out.find("scenarios: 2"), std::string::npos);
    const CliRun refused = Exec("import " + data + " --missing refuse -o " + dir.File("r.ksm"));
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find(data + ": line 3, column 1 (\"size\"): a value is missing"), std::string::npos) << refused.err;
    for (const std::string& bad : {dir.Path(), dir.Write("empty.csv", ""), std::string("/dev/zero")}) {
        const CliRun r = Exec("import " + bad + " -o " + dir.File("bad.ksm"));
        EXPECT_EQ(r.code, 1) << bad;
        EXPECT_NE(r.err.find(bad + ": "), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("r.ksm")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.ksm")));
}

}  // namespace

namespace ks::test {
namespace {

// Float and fixed-point C: checked against the trainer before anything is
// written; a scenario decided differently writes nothing unless --force.
TEST_F(Cli, SmallExportsAreVerifiedBeforeTheyAreWritten) {
    struct Case {
        std::string args;
        int code;
        std::vector<std::string> said;  // on stdout, or on stderr for a failure
        bool written;
    };
    const std::string loan = Example("loan_decision.ksm"), fruit = Example("fruit_sorting.ksm");
    const Case cases[] = {
        {loan + " --c-type float", 0,
         {"verify (float): decided as the trainer decides: 30 of 30 scenarios, 27 of 27 corners and midpoints, 100000 of "
          "100000 random inputs in range", "float tables: ", "bytes of machine code with "},
         true},
        {loan + " --c-type double --verify", 0, {"every action value of every case is the trainer's, bit for bit"}, true},
        {loan + " --c-type double", 0, {"C source written"}, true},  // double: no check unless asked
        {fruit + " --c-type fixed", 1,
         {"verify (fixed): scenarios decided differently: \"sample ", "nothing written"}, false},
        {fruit + " --c-type fixed --force", 0, {"fixed-point tables: ", "bytes of machine code with "}, true},
        {fruit + " --c-type fixed --no-verify", 0, {"C source written"}, true},
        {loan + " --c-type half", 2, {"--c-type"}, false},
        {loan + " --c-type fixed --c-input fixed", 0, {"verify (fixed): decided as the trainer decides: 30 of 30"}, true},
        {loan + " --c-type float --c-input fixed", 2, {"--c-input fixed needs --c-type fixed"}, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string out = dir.File("c" + std::to_string(n++));
        const CliRun r = Exec("export " + c.args + " --c-source " + out);
        EXPECT_EQ(r.code, c.code) << c.args << "\n" << r.out << r.err;
        for (const std::string& s : c.said) EXPECT_NE((r.out + r.err).find(s), std::string::npos) << c.args << ": " << s << "\n" << r.out << r.err;
        EXPECT_EQ(std::filesystem::exists(out + "/kestrine_net.c"), c.written) << c.args;
    }
    EXPECT_EQ(Exec("export " + loan + " --c-type float --no-verify --c-source " + dir.File("f2")).out.find("verify"),
              std::string::npos);
}

}  // namespace
}  // namespace ks::test
