// The float and fixed-point C exports: the generated code compiled here
// decides every case exactly as its emulation (which the export's
// verification trusts), with no double in the float code and no floating
// point past the inputs' entry in the fixed code; the double emulation is the
// trainer bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "files/c_export_small.h"
#include "files/export_verify.h"
#include "files/project_file.h"
#include "files/small_logistic.h"
#include "model/project.h"
#include "model/random.h"
#include "support/generated_c.h"
#include "support/network_fixture.h"
#include "training/training_cycle.h"

namespace ks {
namespace {

// Rows of inputs: every scenario's, then points in and a little beyond the ranges.
std::vector<std::vector<double>> Rows(CProject& p, int randomCases) { return test::InputRows(p, randomCases, 1.4, 0.2); }

// Compiles the generated code with a driver that reads every row, decides
// each alone and then all at once through the batch form, and fails unless
// the two agree; returns the decisions.
std::vector<int> Compiled(const CSource& c, const char* inputType, const std::vector<std::vector<double>>& rows,
                          const std::string& extraFlags) {
    const std::string type = inputType;
    const std::string read = type == "int32_t" ? "  { long x; while (scanf(\"%ld\", &x) == 1) in[n++] = (int32_t)x; }\n"
                                               : "  while (scanf(\"" + std::string(type == "float" ? "%f" : "%lf") + "\", &in[n]) == 1) ++n;\n";
    const std::string driver =
        "#include <stdio.h>\n#include <stdlib.h>\n#include \"small_net.h\"\n"
        "int main(void) { size_t n = 0, i; " + type + " *in = malloc(sizeof *in * (SMALL_NET_INPUTS + 1) * 100000);\n"
        "  int32_t *out = malloc(sizeof *out * 100000);\n" + read +
        "  small_net_decide_batch(in, n / SMALL_NET_INPUTS, out);\n"
        "  for (i = 0; i < n / SMALL_NET_INPUTS; ++i) {\n"
        "    if (small_net_decide(in + i * SMALL_NET_INPUTS) != out[i]) { printf(\"batch differs at %ld\\n\", (long)i); return 1; }\n"
        "    printf(\"%ld\\n\", (long)out[i]);\n  }\n"
        "  free(in); free(out); return 0; }\n";
    return test::CompiledDecisions(c, driver, rows, extraFlags);
}

// The code without its comments.
std::string Code(std::string text) {
    for (std::size_t at; (at = text.find("/*")) != std::string::npos;) text.erase(at, text.find("*/", at) + 2 - at);
    return text;
}

void ExpectCompiledIsEmulated(CProject& p, CNumberType type, bool fixedInput = false) {
    std::string refusal;
    const SmallNet net = BuildSmallNet(p, type, refusal, fixedInput);
    ASSERT_EQ(refusal, "");
    SeedRandom(11);
    const auto rows = Rows(p, 400);
    std::vector<int> emulated;
    for (const auto& row : rows) emulated.push_back(EmulateSmallNet(net, row.data()));
    EXPECT_GE(std::set<int>(emulated.begin(), emulated.end()).size(), 2u) << "rows that all decide alike prove little";
    const CSource c = GenerateSmallCSource(p, net, "small");
    const std::string code = Code(c.source);
    if (fixedInput) {
        // The inputs as integers too: no floating point anywhere.
        for (const char* word : {"double", "float", "exp", "isfinite"}) EXPECT_EQ(code.find(word), std::string::npos) << word;
        std::vector<std::vector<double>> integers = rows;
        for (auto& row : integers)
            for (double& x : row) x = FixedInputValue(net, x);
        EXPECT_EQ(Compiled(c, "int32_t", integers, ""), emulated);
    } else if (type == CNumberType::Float) {
        EXPECT_EQ(code.find("double"), std::string::npos) << "no double in the float export";
        EXPECT_EQ(Compiled(c, "float", rows, ""), emulated);  // no libm to link either
    } else {
        // Integers past the inputs' scaling (sensor_q): no floating point, no libm to link.
        std::string inside = code.substr(code.find("static int32_t shift_down"));
        for (std::size_t at; (at = inside.find("const double *in")) != std::string::npos;) inside.erase(at, 16);
        for (const char* word : {"double", "float", "exp"}) EXPECT_EQ(inside.find(word), std::string::npos) << word;
        EXPECT_EQ(Compiled(c, "double", rows, ""), emulated);
    }
}

// Weights large enough that the rows do not all decide alike.
void ScatterWeights(CProject& p) {
    for (const auto& link : p.Model()->m_connections) link->SetWeight((NextRandom() / 32767.0 - 0.5) * 3.0);
}

// A network whose processors use every activation: steps, bands, bits, linear.
void BuildMixedProject(CProject& p) {
    test::BuildThreeClassProject(p);
    ScatterWeights(p);
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
            if (type == CNumberType::Fixed) ExpectCompiledIsEmulated(p, type, true);
        }
    CProject mixed;
    BuildMixedProject(mixed);
    for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) ExpectCompiledIsEmulated(mixed, type);
    ExpectCompiledIsEmulated(mixed, CNumberType::Fixed, true);
    // Thirteen processors: eight summed side by side, five one by one.
    CProject wide;
    test::BuildProject(wide, 12, 3, 9);
    ScatterWeights(wide);
    for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) ExpectCompiledIsEmulated(wide, type);
    // Twenty-six: two blocks together, one alone, two one by one; then, with a link
    // gone, every sum one by one and their logistics together.
    CProject wider;
    test::BuildProject(wider, 25, 4, 5);
    ScatterWeights(wider);
    for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) ExpectCompiledIsEmulated(wider, type);
    wider.Model()->DeleteConnection(wider.Model()->m_connections[3].get());
    wider.UpdateNetwork();
    ExpectCompiledIsEmulated(wider, CNumberType::Float);
}

// A project with nothing in it yet still exports C that compiles cleanly and decides nothing.
TEST(SmallExport, AnEmptyNetworkCompilesAndDecidesNothing) {
    CProject p;
    p.NewProject(kProjectNew);
    const std::string driver = "#include <stdio.h>\n#include \"small_net.h\"\n"
                               "int main(void) { int32_t d[9]; small_net_decide_batch(0, 9, d);\n"
                               "  printf(\"%ld %ld\\n\", (long)small_net_decide(0), (long)d[8]); return 0; }\n";
    for (CNumberType type : {CNumberType::Float, CNumberType::Fixed}) {
        std::string refusal;
        const SmallNet net = BuildSmallNet(p, type, refusal);
        ASSERT_EQ(refusal, "");
        EXPECT_EQ(test::CompiledDecisions(GenerateSmallCSource(p, net, "small"), driver, {}, ""), (std::vector<int>{0, 0}));
    }
}

// The float logistic the small export carries: close to the exact one, and the
// same bits in both its spellings (one value, many in a loop).
TEST(SmallExport, FloatLogisticIsCloseAndTheSameEitherWay) {
    double worst = 0;
    for (float net = -100.0f; net <= 100.0f; net += 0.0137f) {
        const float one = ksr_logistic_f(net), lanes = ksr_logistic_lanes_f(net);
        EXPECT_EQ(std::memcmp(&one, &lanes, sizeof one), 0) << net;
        const double exact = 1.0 / (1.0 + std::exp(-static_cast<double>(net)));
        if (exact >= 1.2e-38) worst = std::max(worst, std::fabs(one - exact) / exact);
        if (net < -88.4f) {
            EXPECT_EQ(one, 0.0f) << net;  // not a subnormal number, which slows all after it
        }
    }
    EXPECT_LT(worst, 2e-7);
    for (float net : {std::nanf(""), INFINITY, -INFINITY, 87.0f, -87.0f}) {
        const float one = ksr_logistic_f(net), lanes = ksr_logistic_lanes_f(net);
        EXPECT_EQ(std::memcmp(&one, &lanes, sizeof one), 0) << net;
    }
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
