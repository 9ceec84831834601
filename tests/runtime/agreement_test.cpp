// The trainer, the runtime library on the exported file and the generated C
// compiled here must decide every case alike; the runtime's values must be
// the trainer's bit for bit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "files/byte_io.h"
#include "files/c_export.h"
#include "files/data_import.h"
#include "files/test_data.h"
#include "files/project_file.h"
#include "ksr_runtime.h"
#include "model/project.h"
#include "model/random.h"
#include "support/generated_c.h"
#include "support/network_fixture.h"
#include "support/temp_dir.h"
#include "training/evaluation_report.h"
#include "training/training_cycle.h"

namespace ks {
namespace {

struct Loaded {
    ksr_model* model = nullptr;
    ~Loaded() { ksr_free(model); }
};

// Input vectors: every scenario's applied values, then random points.
std::vector<std::vector<double>> Cases(CProject& p, int randomCases) { return test::InputRows(p, randomCases, 1.2, 0.1); }

int CoreDecision(CProject& p, const std::vector<double>& row, std::vector<double>& actionValues) {
    for (std::size_t i = 0; i < row.size(); ++i) p.m_inputs.m_items[i]->SetValue(row[i]);
    p.Model()->Evaluate();
    const CReceptor* w = p.Model()->SelectWinner();
    actionValues.clear();
    for (const CReceptor* a : p.Model()->Actions()) actionValues.push_back(a->m_dOutput);
    return w && w->m_pOutput ? w->m_pOutput->m_ID : 0;
}

// Compiles the generated C with a small driver and decides every row with it.
std::vector<int> CompiledDecisions(const CProject& p, const std::vector<std::vector<double>>& rows) {
    return test::CompiledDecisions(GenerateCSource(p, "agree"),
                                   "#include <stdio.h>\n#include \"agree_net.h\"\n"
                                   "int main(void) { double in[AGREE_NET_INPUTS + 1]; int i;\n"
                                   "  for (;;) { for (i = 0; i < AGREE_NET_INPUTS; ++i) if (scanf(\"%lf\", &in[i]) != 1) return 0;\n"
                                   "    printf(\"%d\\n\", agree_net_decide(in)); } }\n",
                                   rows, "-lm");
}

void ExpectAgreement(CProject& p, int randomCases) {
    const auto bytes = RuntimeBytes(p);
    Loaded rt;
    ASSERT_EQ(ksr_load_memory(bytes.data(), bytes.size(), &rt.model, nullptr), KSR_OK);
    const auto rows = Cases(p, randomCases);
    std::vector<int> expected;
    std::vector<double> values;
    for (const auto& row : rows) {
        expected.push_back(CoreDecision(p, row, values));
        for (std::size_t i = 0; i < row.size(); ++i)
            ASSERT_EQ(ksr_set_input(rt.model, p.m_inputs.m_items[i]->m_ID, row[i]), KSR_OK);
        EXPECT_EQ(ksr_decide(rt.model), expected.back());
        ASSERT_EQ(ksr_action_count(rt.model), static_cast<int>(values.size()));
        for (std::size_t a = 0; a < values.size(); ++a) {
            const double got = ksr_action_value(rt.model, static_cast<int>(a));
            EXPECT_EQ(std::memcmp(&got, &values[a], sizeof got), 0) << "action " << a;
        }
    }
    EXPECT_EQ(CompiledDecisions(p, rows), expected);
}

TEST(Agreement, TrainedExampleProjects) {
    for (const char* name : {"fruit_sorting.ksm", "loan_decision.ksm"}) {
        SCOPED_TRACE(name);
        CProject p;
        ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/" + name, p).ok);
        SeedRandom(5);
        ExpectAgreement(p, 200);
    }
}

// Cases of a test file the network never trained on, as eval --data reads
// them: its decisions are the runtime's and the generated C's.
TEST(Agreement, CasesOfAHeldOutDataFile) {
    std::string train = "size,colour,weight,decision\n", test = "weight,note,colour,size,decision\n";
    const char* colours[] = {"red", "green", "blue"};
    for (int i = 0; i < 160; ++i) {
        const double size = (i * 37) % 100 / 10.0, weight = (i * 53) % 70 / 7.0;
        const char* colour = colours[(i * 7) % 3];
        const char* decision = size + weight > 10 ? (colour[0] == 'r' ? "keep" : "sell") : "drop";
        char row[160];
        if (i < 120)
            std::snprintf(row, sizeof row, "%.1f,%s,%.3f,%s\n", size, colour, weight, decision);
        else
            std::snprintf(row, sizeof row, "%.3f,n%d,%s,%.1f,%s\n", weight, i, colour, size, decision);
        (i < 120 ? train : test) += row;
    }
    CDataImport import;
    CProject p;
    SeedRandom(3);
    p.NewImportedProject("held", [&](CProject& q) { import.ImportBytes(q, {train.begin(), train.end()}); });
    ASSERT_TRUE(import.m_report.ok) << import.m_report.error;
    p.EnsureProcessors();
    p.UpdateNetwork();
    p.m_trainingMethod = TrainingMethod::Rprop;
    ASSERT_EQ(StartStopTraining(p), 1);
    for (int i = 0; i < 300 && TrainingCycle(p) != 0; ++i) {
    }
    StopTraining(p);

    const TestData data = ReadTestBytes({test.begin(), test.end()}, "test.csv", p);
    ASSERT_EQ(data.error, "");
    ASSERT_EQ(data.cases.size(), 40u);
    const EvaluationReport r = EvaluateCases(p, data.cases);
    EXPECT_GT(r.correct, 20) << "the network should have learned something";
    const auto bytes = RuntimeBytes(p);
    Loaded rt;
    ASSERT_EQ(ksr_load_memory(bytes.data(), bytes.size(), &rt.model, nullptr), KSR_OK);
    std::vector<std::vector<double>> rows;
    std::vector<int> expected;
    for (std::size_t c = 0; c < data.cases.size(); ++c) {
        rows.push_back(data.cases[c].values);
        const std::int32_t d = r.decisions[c];
        expected.push_back(d >= 0 ? p.m_outputs.m_items[static_cast<std::size_t>(d)]->m_ID : 0);
        for (std::size_t i = 0; i < rows.back().size(); ++i)
            ASSERT_EQ(ksr_set_input(rt.model, p.m_inputs.m_items[i]->m_ID, rows.back()[i]), KSR_OK);
        EXPECT_EQ(ksr_decide(rt.model), expected.back()) << data.cases[c].name;
    }
    EXPECT_EQ(CompiledDecisions(p, rows), expected);
}

TEST(Agreement, AllInputTypesBiasesAndRaggedWiring) {
    CProject p;
    test::BuildProject(p, 3, 4, 23);
    VARIABLE_RECORD list;
    list.type = kDescriptorList;
    CVariable* d = test::AddAssembledInput(p, list, "list");
    for (int i = 0; i < 4; ++i) d->AddItem("x", i, i, false, 0);
    VARIABLE_RECORD one;
    one.type = kDescriptorList;
    test::AddAssembledInput(p, one, "one")->AddItem("only", 0, 0, false, 0);
    test::AddAssembledInput(p, test::RangedRecord(0, 1, 0, kBoolean), "flag");
    test::AddAssembledInput(p, test::RangedRecord(5, 5, 5, kRangedInteger), "flat");
    CReceptorMgr& m = *p.Model();
    AddBiasToKind(m, kProcessor);
    AddBiasToKind(m, kAction);
    m.RandomizeAllWeights();
    for (std::size_t i = 0; i < m.m_connections.size(); i += 7) m.DeleteConnection(m.m_connections[i].get());
    m.Processors().back()->m_iActivation = kLinear;
    for (int i = 0; i < 8; ++i) {
        for (const auto& v : p.m_inputs.m_items) v->SetValue(NextRandom() % 5);
        p.Scenarios()->CreateScenario(m.Actions()[static_cast<std::size_t>(i % 4)]);
    }
    ExpectAgreement(p, 300);
}

TEST(Runtime, RefusesDamagedDataAtEveryLength) {
    CProject p;
    ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/fruit_sorting.ksm", p).ok);
    const auto bytes = RuntimeBytes(p);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        Loaded rt;
        std::size_t offset = 99999;
        const ksr_status st = ksr_load_memory(bytes.data(), cut, &rt.model, &offset);
        ASSERT_NE(st, KSR_OK) << cut;
        EXPECT_EQ(rt.model, nullptr);
        EXPECT_LE(offset, cut);
        EXPECT_STRNE(ksr_status_message(st), "unknown status");
    }
    auto extra = bytes;
    extra.push_back(0);
    Loaded rt;
    EXPECT_EQ(ksr_load_memory(extra.data(), extra.size(), &rt.model, nullptr), KSR_ERR_FORMAT);
    auto absurd = bytes;
    const std::int32_t huge = 0x7FFFFFFF;
    std::memcpy(&absurd[16], &huge, 4);  // receptors
    EXPECT_EQ(ksr_load_memory(absurd.data(), absurd.size(), &rt.model, nullptr), KSR_ERR_COUNT);
    auto dangling = bytes;
    const std::size_t firstConnection = 24 + 28 * p.Model()->m_receptors.size();
    const std::int32_t nobody = 1234567;
    std::memcpy(&dangling[firstConnection + 4], &nobody, 4);
    std::size_t at = 0;
    EXPECT_EQ(ksr_load_memory(dangling.data(), dangling.size(), &rt.model, &at), KSR_ERR_FORMAT);
    EXPECT_EQ(at, firstConnection);
}

TEST(Runtime, InputsOutputsAndArguments) {
    CProject p;
    ASSERT_TRUE(LoadProjectFile(std::string(KESTRINE_EXAMPLES) + "/fruit_sorting.ksm", p).ok);
    const auto bytes = RuntimeBytes(p);
    Loaded rt;
    ASSERT_EQ(ksr_load_memory(bytes.data(), bytes.size(), &rt.model, nullptr), KSR_OK);
    ASSERT_EQ(ksr_input_count(rt.model), 3);
    EXPECT_EQ(ksr_input_id(rt.model, 0), 101);
    EXPECT_EQ(ksr_input_id(rt.model, 3), 0);
    double v = 0;
    EXPECT_EQ(ksr_get_input(rt.model, 102, &v), KSR_OK);
    EXPECT_EQ(v, p.m_inputs.m_items[1]->m_dValue);
    EXPECT_EQ(ksr_set_input(rt.model, 999, 1.0), KSR_ERR_UNKNOWN_INPUT);
    EXPECT_EQ(ksr_output_count(rt.model), 5);
    EXPECT_EQ(ksr_output_id(rt.model, 4), p.m_outputs.m_items[4]->m_ID);
    EXPECT_EQ(ksr_decide(nullptr), 0);
    ksr_model* none = nullptr;
    EXPECT_EQ(ksr_load_memory(nullptr, 5, &none, nullptr), KSR_ERR_ARGUMENT);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(ksr_load_file("/nonexistent/model.ksr", &none, nullptr), KSR_ERR_IO);
}

}  // namespace
}  // namespace ks
