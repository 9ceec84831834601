// The float and fixed-point C exports: the generated code compiled here
// decides every case exactly as its emulation (which the export's
// verification trusts), with no double in the float code and no floating
// point past the inputs' entry in the fixed code; the double emulation is the
// trainer bit for bit.
#include <gtest/gtest.h>

#include "files/c_export_small.h"
#include "files/export_verify.h"
#include "files/project_file.h"
#include "model/project.h"
#include "model/random.h"
#include "support/generated_c.h"
#include "support/network_fixture.h"
#include "training/training_cycle.h"

namespace ks {
namespace {

// Rows of inputs: every scenario's, then points in and a little beyond the ranges.
std::vector<std::vector<double>> Rows(CProject& p, int randomCases) { return test::InputRows(p, randomCases, 1.4, 0.2); }

// Compiles the generated code with a driver that reads every row, then decides
// all at once through the batch form (which decides each as decide does).
std::vector<int> Compiled(const CSource& c, const char* inputType, const std::vector<std::vector<double>>& rows,
                          const std::string& extraFlags) {
    const std::string scan = std::string(inputType) == "float" ? "%f" : "%lf";
    const std::string driver =
        "#include <stdio.h>\n#include <stdlib.h>\n#include \"small_net.h\"\n"
        "int main(void) { size_t n = 0, i; " + std::string(inputType) + " *in = malloc(sizeof *in * (SMALL_NET_INPUTS + 1) * 100000);\n"
        "  int32_t *out = malloc(sizeof *out * 100000);\n"
        "  while (scanf(\"" + scan + "\", &in[n]) == 1) ++n;\n"
        "  small_net_decide_batch(in, n / SMALL_NET_INPUTS, out);\n"
        "  for (i = 0; i < n / SMALL_NET_INPUTS; ++i) printf(\"%ld\\n\", (long)out[i]);\n"
        "  free(in); free(out); return 0; }\n";
    return test::CompiledDecisions(c, driver, rows, extraFlags);
}

// The code without its comments.
std::string Code(std::string text) {
    for (std::size_t at; (at = text.find("/*")) != std::string::npos;) text.erase(at, text.find("*/", at) + 2 - at);
    return text;
}

void ExpectCompiledIsEmulated(CProject& p, CNumberType type) {
    std::string refusal;
    const SmallNet net = BuildSmallNet(p, type, refusal);
    ASSERT_EQ(refusal, "");
    SeedRandom(11);
    const auto rows = Rows(p, 400);
    std::vector<int> emulated;
    for (const auto& row : rows) emulated.push_back(EmulateSmallNet(net, row.data()));
    const CSource c = GenerateSmallCSource(p, net, "small");
    const std::string code = Code(c.source);
    if (type == CNumberType::Float) {
        EXPECT_EQ(code.find("double"), std::string::npos) << "no double in the float export";
        EXPECT_EQ(Compiled(c, "float", rows, "-lm"), emulated);
    } else {
        // Integers past the inputs' scaling (sensor_q): no floating point, no libm to link.
        std::string inside = code.substr(code.find("static int32_t shift_down"));
        for (std::size_t at; (at = inside.find("const double *inputs")) != std::string::npos;) inside.erase(at, 20);
        for (const char* word : {"double", "float", "exp"}) EXPECT_EQ(inside.find(word), std::string::npos) << word;
        EXPECT_EQ(Compiled(c, "double", rows, ""), emulated);
    }
}

// A trained network whose processors use every activation: steps, bands, bits, linear.
void BuildMixedProject(CProject& p) {
    test::BuildThreeClassProject(p);
    const int codes[] = {KSR_STEP, KSR_BAND, KSR_NEGATIVE_STEP, KSR_BIT, KSR_LOGISTIC};
    int k = 0;
    for (CReceptor* r : p.Model()->Processors()) {
        r->m_iActivation = codes[k % 5];
        r->m_dThreshold = 0.3 * (k % 3) - 0.2;
        r->m_iBitIndex = k % 4;
        ++k;
    }
}

TEST(SmallExport, CompiledCodeDecidesAsItsEmulation) {
    for (const char* name : {"fruit_sorting.ksm", "loan_decision.ksm"})
        for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) {
            SCOPED_TRACE(std::string(name) + (type == CNumberType::Float ? " float" : " fixed"));
            CProject p;
            ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/" + name, p).ok);
            ExpectCompiledIsEmulated(p, type);
        }
    CProject mixed;
    BuildMixedProject(mixed);
    for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) ExpectCompiledIsEmulated(mixed, type);
    // Thirteen processors: eight summed side by side, five one by one.
    CProject wide;
    test::BuildProject(wide, 12, 3, 9);
    for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) ExpectCompiledIsEmulated(wide, type);
}

TEST(SmallExport, VerificationCountsWhatDecidesAlike) {
    CProject p;
    ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm", p).ok);
    std::vector<double> before;
    for (const auto& v : p.m_inputs.m_items) before.push_back(v->m_dValue);
    std::string refusal;
    // The double emulation is the trainer itself: every value bit for bit.
    const ExportCheck exact = VerifyExport(p, BuildSmallNet(p, CNumberType::Double, refusal), 1, 2000);
    EXPECT_EQ(exact.differentValues, 0);
    EXPECT_EQ(exact.scenarios.agreeing, exact.scenarios.cases);
    EXPECT_EQ(exact.scenarios.cases, 30);
    EXPECT_EQ(exact.grid.cases, 27);  // three inputs: every corner and midpoint
    EXPECT_EQ(exact.random.agreeing, 2000);
    // Single precision stays close; the check names what it compared and puts the inputs back.
    const ExportCheck single = VerifyExport(p, BuildSmallNet(p, CNumberType::Float, refusal), 1, 2000);
    EXPECT_GT(single.differentValues, 0);
    EXPECT_LT(single.largestDifference, 1e-5);
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(p.m_inputs.m_items[i]->m_dValue, before[i]);
    // Fixed point with one weight moved so far that a decision must change is caught by scenario name.
    CProject broken;
    ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm", broken).ok);
    SmallNet net = BuildSmallNet(broken, CNumberType::Fixed, refusal);
    for (auto& w : net.stages[1].qWeight) w = -w;
    const ExportCheck wrong = VerifyExport(broken, net, 1, 100);
    EXPECT_LT(wrong.scenarios.agreeing, wrong.scenarios.cases);
    EXPECT_FALSE(wrong.disagreeing.empty());
}

TEST(SmallExport, FixedPointRefusesWhatItCannotHold) {
    CProject p;
    test::BuildProject(p, 2, 2, 5);
    std::string refusal;
    p.Model()->Actions()[0]->m_bLinearOutput = true;
    BuildSmallNet(p, CNumberType::Fixed, refusal);
    EXPECT_NE(refusal.find("linear"), std::string::npos) << refusal;
    EXPECT_EQ((BuildSmallNet(p, CNumberType::Float, refusal), refusal), "");  // float has no bound to keep
    p.Model()->Actions()[0]->m_bLinearOutput = false;
    p.Model()->m_connections.front()->SetWeight(std::nan(""));
    BuildSmallNet(p, CNumberType::Fixed, refusal);
    EXPECT_NE(refusal.find("finite"), std::string::npos) << refusal;
}

}  // namespace
}  // namespace ks
