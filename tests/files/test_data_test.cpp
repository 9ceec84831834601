// Held-out figures: the confusion matrix and its precision, recall and F1,
// and test cases read from a data file whose columns are matched by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/project_file.h"
#include "files/test_data.h"
#include "model/project.h"
#include "training/evaluation_report.h"

namespace ks {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(HeldOut, ConfusionAndFiguresOfTheLoanExample) {
    CProject p;
    ASSERT_TRUE(LoadProjectFile(KESTRINE_EXAMPLES "/loan_decision.ksm", p).ok);
    const double income = p.m_inputs.m_items[0]->m_dValue;
    const EvaluationReport r = EvaluateCases(p, ScenarioCases(p));
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dValue, income);  // the inputs get their values back
    p.Scenarios()->EvaluateAll();
    EXPECT_EQ(r.correct, p.Scenarios()->m_iLearnedCount);  // the same rule as the scenario statuses
    EXPECT_EQ(r.cases, 30);
    EXPECT_EQ(r.outputs, (std::vector<std::string>{"Decline", "Approve", "Review"}));
    const std::vector<std::vector<std::int32_t>> confusion = {{7, 0, 6, 0}, {0, 7, 0, 0}, {0, 1, 9, 0}};
    EXPECT_EQ(r.confusion, confusion);
    // By hand from the matrix: Decline 7/7 and 7/13, Approve 7/8 and 7/7, Review 9/15 and 9/10.
    const double precision[] = {1.0, 7.0 / 8.0, 9.0 / 15.0}, recall[] = {7.0 / 13.0, 1.0, 0.9};
    for (int k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(r.precision[k], precision[k]);
        EXPECT_DOUBLE_EQ(r.recall[k], recall[k]);
        EXPECT_DOUBLE_EQ(r.f1[k], 2 * precision[k] * recall[k] / (precision[k] + recall[k]));
    }
    EXPECT_DOUBLE_EQ(r.accuracy, 23.0 / 30.0);
    EXPECT_DOUBLE_EQ(r.macroPrecision, (1.0 + 7.0 / 8.0 + 0.6) / 3.0);
}

TEST(HeldOut, TestFilesMatchColumnsByName) {
    CProject p;
    ASSERT_TRUE(LoadProjectFile(KESTRINE_EXAMPLES "/fruit_sorting.ksm", p).ok);
    // Columns in another order, an extra one, a decision in other letters, an
    // unknown decision, an unknown colour and a missing weight.
    const std::string text =
        "Diameter,Colour,Note,Weight,Fruit\n7.5,red,x,150,apple\n5.2,green,y,70,LIME\n6,red,z,100,plum\n"
        "6,purple,z,100,apple\n6,red,z,NA,apple\n";
    const TestData d = ReadTestBytes(Bytes(text), "t.csv", p);
    ASSERT_TRUE(d.error.empty()) << d.error;
    ASSERT_EQ(d.cases.size(), 3u);
    EXPECT_EQ(d.leftOut, 2);
    EXPECT_EQ(d.unknownTargets, 1);
    EXPECT_EQ(d.cases[0].values, (std::vector<double>{0.0, 150.0, 7.5}));  // in the project's input order
    EXPECT_EQ(d.cases[1].target, 4);  // "LIME" is the output lime
    EXPECT_EQ(d.cases[2].target, -1);
    const std::vector<std::string> notes = {"the column \"Note\" is not an input and is ignored",
                                            "1 cases with a missing input value are left out",
                                            "1 cases with a text no Descriptor List has are left out",
                                            "1 cases name a decision the project has no output for; they are decided "
                                            "but not counted"};
    EXPECT_EQ(d.notes, notes);
    const EvaluationReport r = EvaluateCases(p, d.cases);
    EXPECT_EQ(r.cases, 2);  // the unknown decision is decided but not counted
    EXPECT_EQ(r.decisions.size(), 3u);

    const TestData missing = ReadTestBytes(Bytes("Colour,Weight,Fruit\nred,150,apple\n"), "t.csv", p);
    EXPECT_EQ(missing.error, "t.csv: there is no column \"Diameter\" for the input of that name");
    const TestData empty = ReadTestBytes(Bytes(""), "t.csv", p);
    EXPECT_EQ(empty.error, "t.csv: it is empty");
}

}  // namespace
}  // namespace ks
