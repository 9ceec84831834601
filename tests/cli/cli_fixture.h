#pragma once
// Runs kestrine-cli as a user's shell would, with its settings in a folder of the test's own.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/temp_dir.h"

namespace ks::test {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs kestrine-cli with its settings kept in a folder of the test's own.
class Cli : public testing::Test {
protected:
    CliRun Exec(const std::string& args) {
        const std::string errFile = dir.File("stderr.txt");
        const std::string cmd = "XDG_CONFIG_HOME='" + dir.File("config") + "' '" KESTRINE_CLI "' " + args + " 2>'" +
                                errFile + "'";
        CliRun r;
        FILE* pipe = popen(cmd.c_str(), "r");
        std::array<char, 4096> buf;
        std::size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) r.out.append(buf.data(), n);
        const int status = pclose(pipe);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = ks::test::ReadAll(errFile);
        return r;
    }
    std::string Example(const char* name) { return std::string(KESTRINE_EXAMPLES) + "/" + name; }
    TempDir dir;
};

}  // namespace ks::test
