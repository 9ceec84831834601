// The generated C names every input and output with a valid identifier,
// whatever the user typed, and still knows the names as typed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "files/c_export.h"
#include "files/header_file.h"
#include "model/project.h"
#include "support/network_fixture.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

TEST(CNames, IdentifierParts) {
    const std::vector<std::string> names = {"Iris-setosa", "5.1", "", "a b", "a_b", "a b", "ok", "Größe", "x\"*/"};
    const std::vector<std::string> parts = CIdentifierParts(names);
    const std::vector<std::string> expected = {"Iris_setosa", "N5_1", "UNNAMED", "a_b", "a_b_2", "a_b_3", "ok",
                                               "Gr____e", "x___"};
    EXPECT_EQ(parts, expected);
}

TEST(CNames, AwkwardNamesCompileAndComeBackAsTyped) {
    CProject p;
    test::BuildProject(p, 0, 0);
    test::AddAssembledInput(p, test::RangedRecord(0, 1), "sepal length");
    test::AddAssembledInput(p, test::RangedRecord(0, 1), "5.1");
    const std::vector<std::string> outputs = {"Iris-setosa", "Iris \"virginica\" */", "Iris-setosa"};
    for (const std::string& name : outputs) test::AddAssembledOutput(p, name);
    p.UpdateNetwork();
    // The header the text describes cannot carry these names; the export says so.
    EXPECT_EQ(NamesNotValidInHeader(p), (std::vector<std::string>{"5.1", "Iris-setosa", "Iris \"virginica\" */", "Iris-setosa"}));

    const CSource c = GenerateCSource(p, "odd");
    test::TempDir dir;
    dir.Write(c.headerName, c.header);
    dir.Write(c.sourceName, c.source);
    std::string driver = "#include <stdio.h>\n#include <string.h>\n#include \"odd_net.h\"\nint main(void) {\n"
                         "  double in[ODD_NET_INPUTS];\n  in[ODD_INPUT_sepal_length] = 0.5; in[ODD_INPUT_N5_1] = 0.5;\n";
    const char* macros[] = {"ODD_OUTPUT_Iris_setosa", "ODD_OUTPUT_Iris__virginica____", "ODD_OUTPUT_Iris_setosa_2"};
    for (std::size_t i = 0; i < outputs.size(); ++i)
        driver += std::string("  if (strcmp(odd_net_output_name(") + macros[i] + "), \"" +
                  (i == 1 ? std::string("Iris \\\"virginica\\\" */") : outputs[i]) + "\") != 0) return 1;\n";
    driver += "  if (odd_net_output_name(0) != NULL) return 2;\n"
              "  { int32_t d = odd_net_decide(in); return d == ODD_OUTPUT_Iris_setosa || d == ODD_OUTPUT_Iris__virginica____"
              " || d == ODD_OUTPUT_Iris_setosa_2 ? 0 : 3; }\n}\n";
    dir.Write("driver.c", driver);
    const std::string exe = dir.File("driver");
    const std::string compile = "cc -std=c99 -pedantic -Wall -Wextra -Werror -o " + exe + " " + dir.File(c.sourceName) +
                                " " + dir.File("driver.c") + " -lm 2>" + dir.File("cc.txt");
    ASSERT_EQ(std::system(compile.c_str()), 0) << test::ReadAll(dir.File("cc.txt")) << c.header;
    EXPECT_EQ(std::system(exe.c_str()), 0);
}

}  // namespace
}  // namespace ks
