#include <gtest/gtest.h>

#include "files/data_import.h"
#include "model/project.h"
#include "model/random.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

struct Imported {
    CProject project;
    test::RecordingPrompt prompt;
};

// Imports `text` as a file named data.csv.
std::unique_ptr<Imported> Import(const std::string& text, bool names = false) {
    test::TempDir dir;
    auto out = std::make_unique<Imported>();
    SeedRandom(1);
    CDataImport import;
    import.Choose(dir.Write("data.csv", text));
    import.m_bScenarioNames = names;
    EXPECT_EQ(NewImportedProject(out->project, import, &out->prompt), 3);
    return out;
}

std::vector<std::string> OutputNames(const CProject& p) {
    std::vector<std::string> names;
    for (const auto& o : p.m_outputs.m_items) names.push_back(o->m_name);
    return names;
}

TEST(DataImport, NumericColumnsOutputsAndScenarios) {
    auto r = Import("Temp,Humidity,Decision\n21.5,40,Open\n18,55,Closed\r\n25,40,Open\n");
    const CProject& p = r->project;
    EXPECT_EQ(p.m_name, "data");
    EXPECT_TRUE(p.m_bModelView);
    ASSERT_EQ(p.m_inputs.Count(), 2);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_ID, 100);
    EXPECT_EQ(p.m_inputs.m_items[1]->m_ID, 101);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_name, "Temp");
    EXPECT_EQ(p.m_inputs.m_items[0]->m_iType, kRangedDouble);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dMin, 18.0);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dMax, 25.0);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dValue, 18.0);  // current value: the minimum
    EXPECT_EQ(OutputNames(p), (std::vector<std::string>{"Open", "Closed"}));  // CR LF arrives as LF
    const auto& s = p.Scenarios()->Scenarios();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0]->m_name, "Scenario 1");
    EXPECT_EQ(s[2]->m_ID, 3);
    EXPECT_EQ(s[1]->m_pTarget, p.ActionForOutput(p.m_outputs.m_items[1].get()));
    ASSERT_EQ(s[0]->m_inputs.size(), 2u);
    EXPECT_EQ(s[0]->m_inputs[0].value, 21.5);
    EXPECT_EQ(s[0]->m_inputs[0].receptorID, p.m_inputs.m_items[0]->m_iAttachedReceptorID);
    EXPECT_EQ(s[1]->m_inputs[0].minimum, 18.0);  // the range as it stood after that line
    EXPECT_EQ(s[1]->m_inputs[0].maximum, 21.5);
    EXPECT_EQ(p.Model()->CountReceptors(kSensor), 2);
    EXPECT_EQ(p.Model()->CountReceptors(kAction), 2);
    EXPECT_EQ(p.Model()->CountReceptors(kProcessor), 1);
    EXPECT_EQ(p.Model()->m_iInputCount, 2);
}

TEST(DataImport, NamesColumnAndDescriptorLists) {
    auto r = Import("Case;Colour;Size;Class\nfirst;red;12;A\nsecond;Red;word;B\nthird;blue;3;A\n", true);
    const CProject& p = r->project;
    ASSERT_EQ(p.m_inputs.Count(), 2);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_ID, 101);
    const CVariable& colour = *p.m_inputs.m_items[0];
    EXPECT_EQ(colour.m_iType, kDescriptorList);
    ASSERT_EQ(colour.ItemCount(), 2);
    EXPECT_EQ(colour.m_items[1]->text, "blue");
    EXPECT_EQ(colour.m_items[1]->index, 1);
    EXPECT_EQ(colour.m_items[1]->valueCode, 11);
    EXPECT_TRUE(colour.m_items[1]->colourCoding);
    EXPECT_EQ(colour.m_dMax, 2.0);
    const CVariable& size = *p.m_inputs.m_items[1];
    EXPECT_EQ(size.m_iType, kRangedDouble);
    EXPECT_EQ(size.m_dMin, 0.0);  // "word" counts as 0
    const auto& s = p.Scenarios()->Scenarios();
    EXPECT_EQ(s[1]->m_name, "second");
    EXPECT_EQ(s[1]->m_inputs[0].value, 0.0);  // "Red" is the item "red"
    EXPECT_EQ(s[2]->m_inputs[0].value, 1.0);
    // Sorted by name, the later scenario first among equal first letters.
    EXPECT_EQ(p.Scenarios()->Sorted().front()->m_name, "first");
}

TEST(DataImport, EdgeCases) {
    // Targets are case-sensitive; a blank line ends the import; a trailing
    // separator gives an empty target; one distinct value widens by a tenth.
    auto r = Import("a,b\n10,Yes\n10,yes\n10,\n\n99,No\n");
    const CProject& p = r->project;
    EXPECT_EQ(OutputNames(p), (std::vector<std::string>{"Yes", "yes", ""}));
    EXPECT_EQ(p.Scenarios()->Count(), 3);
    // The tenth is the single-precision 0.1.
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dMin, 10.0 - 10.0 * 0.10000000149011612);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dMax, 10.0 + 10.0 * 0.10000000149011612);
    EXPECT_NEAR(p.m_inputs.m_items[0]->m_dMin, 9.0, 1e-7);
    EXPECT_EQ(p.m_inputs.m_items[0]->m_dValue, p.m_inputs.m_items[0]->m_dMin);

    auto neg = Import("a,b\n-5,x\n-5,y\n");
    EXPECT_NEAR(neg->project.m_inputs.m_items[0]->m_dMin, -4.5, 1e-7);
    EXPECT_NEAR(neg->project.m_inputs.m_items[0]->m_dMax, -5.5, 1e-7);

    auto zero = Import("a,b\n0,x\n");
    EXPECT_EQ(zero->project.m_inputs.m_items[0]->m_dMin, 0.0);
    EXPECT_EQ(zero->project.m_inputs.m_items[0]->m_dMax, 0.0);
}

TEST(DataImport, ShortRowsKeepThePreviousTexts) {
    auto r = Import("a,b,c\n1,2,X\n5\n");
    const auto& s = r->project.Scenarios()->Scenarios();
    ASSERT_EQ(s.size(), 1u);  // "5" has fewer than 3 bytes: the import ends
    auto r2 = Import("a,b,c\n1,2,X\n555\n");
    const auto& s2 = r2->project.Scenarios()->Scenarios();
    ASSERT_EQ(s2.size(), 2u);
    EXPECT_EQ(s2[1]->m_inputs[0].value, 555.0);
    EXPECT_EQ(s2[1]->m_inputs[1].value, 2.0);  // the previous row's text
    EXPECT_EQ(s2[1]->m_iTargetID, s2[0]->m_iTargetID);
}

TEST(DataImport, LongFieldsManyFieldsAndLongLinesStayInBounds) {
    std::string header;
    for (int i = 0; i < 150; ++i) header += "col" + std::to_string(i) + ",";
    header += "target\n";
    std::string row;
    for (int i = 0; i < 150; ++i) row += std::string(40, 'x') + "\xC3\xA9" + ",";
    row += "t\n";
    std::string longLine(6000, '7');
    auto r = Import(header + row + longLine + "\n");
    const CProject& p = r->project;
    EXPECT_EQ(p.m_inputs.Count(), 99);  // fields past the 100th are ignored
    for (const auto& v : p.m_inputs.m_items) EXPECT_LE(v->m_name.size(), 31u);
    for (const auto& item : p.m_inputs.m_items[0]->m_items) EXPECT_LE(item->text.size(), 31u);
    ASSERT_EQ(p.m_outputs.Count(), 1);
    EXPECT_LE(p.m_outputs.m_items[0]->m_name.size(), 31u);
    // Lines arrive 4095 bytes at a time: the 6450-byte data row as two
    // lines, the 6000-byte one as two more.
    EXPECT_EQ(p.Scenarios()->Count(), 4);
}

TEST(DataImport, EmptyOrMissingFilesImportNothing) {
    auto empty = Import("");
    EXPECT_EQ(empty->project.m_inputs.Count(), 0);
    EXPECT_EQ(empty->project.Scenarios()->Count(), 0);
    EXPECT_TRUE(empty->project.m_bOpen);

    CProject p;
    CDataImport missing;
    missing.Choose("/nonexistent/folder/data.csv");
    EXPECT_FALSE(missing.m_bFileChosen);
    NewImportedProject(p, missing, nullptr);
    EXPECT_EQ(p.m_inputs.Count(), 0);
}

}  // namespace
}  // namespace ks
