// What a careful user and an attacker try: folder names that are commands,
// outputs that would destroy inputs, pipes, folders, links, read-only files,
// numbers that are not numbers.
#include <gtest/gtest.h>

#include <filesystem>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/cli_fixture.h"
#include "support/timing.h"

namespace {

using ks::test::Cli;
using ks::test::ReadAll;
namespace fs = std::filesystem;

TEST_F(Cli, NoFolderNameIsReadAsACommand) {
    const std::string folder = dir.File("x'; touch INJECTED; echo 'Bob's demo \xc3\xbc");
    const ks::test::CliRun r = Exec("demo --dir \"" + folder + "\"");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(fs::exists(dir.File("INJECTED")));
    EXPECT_FALSE(fs::exists("INJECTED"));
    EXPECT_TRUE(fs::exists(folder + "/fruit_sorting.ksm"));
}

// Each case: the command (P is the project, R its runtime file, D the data,
// F a named pipe, X a folder), the exit code, a part of the message, and the
// files that must be unchanged afterwards.
TEST_F(Cli, RefusalsTable) {
    const std::string P = dir.File("p.ksm"), R = dir.File("p.ksr"), D = dir.File("d.csv"), F = dir.File("pipe"),
                      X = dir.File("folder");
    ASSERT_EQ(Exec("import " + Example("fruit_sorting.csv") + " -q -o " + P).code, 0);
    ASSERT_EQ(Exec("export " + P + " -o " + R).code, 0);
    fs::copy_file(Example("fruit_sorting.csv"), D);
    ASSERT_EQ(mkfifo(F.c_str(), 0600), 0);
    fs::create_directory(X);
    const std::string project = ReadAll(P), runtime = ReadAll(R), data = ReadAll(D);
    struct Case {
        std::string command;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {"export " + P + " -o " + P, 1, "it is the input file"},
        {"import " + D + " -o " + D, 1, "it is the input file"},
        {"import " + Example("fruit_sorting.csv") + " -o " + D, 1, "its name says a data file (.csv); use --force"},
        {"export " + P + " -o " + dir.File("wrong.ksm"), 1, "its name says a project file"},
        {"train " + P + " -q --max-cycles 2 --curve " + P, 1, "it is the input file"},
        {"export " + P + " -o " + X, 1, "it is a folder"},
        {"info " + F, 1, "not a regular file"},
        {"train " + F, 1, "not a regular file"},
        {"import " + F + " -o " + dir.File("n.ksm"), 1, "not a regular file"},
        {"run " + F + " 1=2", 1, "not a regular file"},
        {"run " + X + " 1=2", 1, "it is a folder"},
        {"run " + R + " --batch " + X, 1, "it is a folder"},
        {"run " + R + " --batch " + F, 1, "not a regular file"},
        {"run " + R + " 101=nan", 2, "is not a finite number"},
        {"run " + R + " 101=1e999", 2, "is not a finite number"},
        {"train " + P + " --learn-rate nan", 2, "--learn-rate: must be above 0 and at most 10 (not nan)"},
        {"train " + P + " --learn-rate -1", 2, "--learn-rate: must be above 0"},
        {"train " + P + " --learn-rate 1e308", 2, "--learn-rate"},
        {"train " + P + " --momentum nan", 2, "--momentum: must be between 0 and 1"},
        {"train " + P + " --max-seconds nan", 2, "--max-seconds"},
        {"train " + P + " --max-cycles 0", 2, "must be between 1 and 2147483647 (not 0)"},
        {"bogus", 2, "'bogus' is not a command"},
        {"export " + P, 2, "export needs -o FILE.ksr, --c-source DIR or both"},
    };
    for (const Case& c : cases) {
        const ks::test::CliRun r = Exec(c.command);
        EXPECT_EQ(r.code, c.code) << c.command << "\n" << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.command << "\n" << r.err;
        EXPECT_EQ(ReadAll(P), project) << c.command;
        EXPECT_EQ(ReadAll(R), runtime) << c.command;
        EXPECT_EQ(ReadAll(D), data) << c.command;
    }
    EXPECT_FALSE(fs::exists(dir.File("wrong.ksm")));
    EXPECT_FALSE(fs::exists(X + "/inputsoutputs.h"));
    // --force writes what the name would have refused; a subnormal input is a number.
    EXPECT_EQ(Exec("export " + P + " -o " + dir.File("wrong.ksm") + " --force").code, 0);
    EXPECT_EQ(Exec("run " + R + " 101=1e-320").code, 0);
    const ks::test::CliRun version = Exec("--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("kestrine-cli ", 0), 0u) << version.out;
}

TEST_F(Cli, SavesGoThroughLinksKeepModesAndLeaveNothingBehind) {
    const std::string P = dir.File("real.ksm"), L = dir.File("link.ksm");
    ASSERT_EQ(Exec("import " + Example("fruit_sorting.csv") + " -q -o " + P).code, 0);
    chmod(P.c_str(), 0640);
    fs::create_symlink("real.ksm", L);
    const std::string before = ReadAll(P);
    ASSERT_NE(Exec("train " + L + " -q --max-cycles 3").code, 1);
    EXPECT_TRUE(fs::is_symlink(L));  // the link stays and its target is the trained project
    EXPECT_NE(ReadAll(P), before);
    struct stat st;
    ASSERT_EQ(stat(P.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A file nobody may write is not replaced; the message says why.
    chmod(P.c_str(), 0444);
    const std::string trained = ReadAll(P);
    const ks::test::CliRun ro = Exec("train " + P + " -q --max-cycles 3");
    EXPECT_EQ(ro.code, 1);
    EXPECT_NE(ro.err.find("read-only"), std::string::npos) << ro.err;
    EXPECT_EQ(ReadAll(P), trained);
    // A name as long as the system allows can be saved (the temporary name is short).
    const std::string longName = dir.File(std::string(251, 'n') + ".ksm");
    EXPECT_EQ(Exec("new -o " + longName).code, 0);
    // The export writes all of its files or none: here the C folder cannot be made.
    const std::string blocker = dir.File("blocker");
    dir.Write("blocker", "a file where a folder should be");
    const ks::test::CliRun partial = Exec("export " + P + " -o " + dir.File("out.ksr") + " --c-source " + blocker + "/c");
    EXPECT_EQ(partial.code, 1);
    EXPECT_FALSE(fs::exists(dir.File("out.ksr")));
    EXPECT_FALSE(fs::exists(dir.File("inputsoutputs.h")));
    // Nothing temporary is left in the folder.
    for (const auto& e : fs::directory_iterator(dir.File("")))
        EXPECT_EQ(e.path().filename().string().rfind(".kstmp-", 0), std::string::npos) << e.path();
}

TEST_F(Cli, AKilledSaveLeavesTheOldFileOrTheNewOneAndNothingElse) {
    std::string csv = "a,b,class\n";
    for (int i = 0; i < 30000; ++i) csv += std::to_string(i % 97) + "," + std::to_string(i % 13) + "," + (i % 3 ? "x" : "y") + "\n";
    const std::string data = dir.Write("big.csv", csv), project = dir.File("big.ksm");
    for (int delayMs = 10; delayMs <= 230; delayMs += 20) {  // the write is the last part of the run
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
            execl(KESTRINE_CLI, KESTRINE_CLI, "import", data.c_str(), "-q", "-o", project.c_str(), nullptr);
            _exit(127);
        }
        usleep(static_cast<useconds_t>(delayMs * 1000 * ks::test::kSlowdown));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        for (const auto& e : fs::directory_iterator(dir.File("")))
            EXPECT_EQ(e.path().filename().string().rfind(".kstmp-", 0), std::string::npos) << "after " << delayMs << " ms";
        if (fs::exists(project)) {
            EXPECT_EQ(Exec("info " + project).code, 0) << "after " << delayMs << " ms";
        }
    }
}

}  // namespace
