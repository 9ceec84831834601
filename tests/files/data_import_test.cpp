#include <gtest/gtest.h>

#include "files/data_import.h"
#include "model/project.h"
#include "model/random.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"

#include <sys/stat.h>

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

// Small files and what importing each gives: refused with a reason naming
// where, or the rows, outputs, values and warnings built.
TEST(DataImport, FilesAndTheirOutcomes) {
    struct Case {
        const char* what;
        std::string text;
        MissingValues missing = MissingValues::Keep;
        bool noHeader = false;
        std::string error;  // expected part of the refusal; empty: accepted
        int scenarios = -1;
        std::vector<std::string> outputs = {};
        std::string warning = {};  // expected part of one warning
        std::vector<double> firstColumn = {};  // values of the first input, in file order
    };
    const std::string wide = [] {
        std::string h;
        for (int i = 0; i < 101; ++i) h += (i ? "," : "") + std::string("c") + std::to_string(i);
        return h + "\n";
    }();
    const std::vector<Case> cases = {
        {"letter case", "a,b\n10,Yes\n10,yes\n10,No\n", {}, false, "", 3, {"Yes", "No"}, "differ only in letter case"},
        {"blank line in the middle", "a,b\n1,x\n\n2,y\n", {}, false, "", 2, {"x", "y"}, "line 3 is blank"},
        {"trailing separator", "a,b\n10,x\n10,\n", {}, false, "", 2, {"x", ""}, "1 values are missing"},
        {"missing kept as 0", "a,b\nNA,x\n5,y\n?,x\n", {}, false, "", 3, {}, "2 values are missing", {0, 5, 0}},
        {"missing dropped", "a,b\nNA,x\n5,y\n,x\n7,y\n", MissingValues::Drop, false, "", 2, {"y"}, "2 rows", {5, 7}},
        {"missing refused", "a,b\n1,x\nN/A,y\n", MissingValues::Refuse, false, "line 3, column 1 (\"a\"): a value is missing"},
        {"non-finite numbers are missing", "a,b\nnan,x\n-inf,y\n3,x\n1e400,y\n", {}, false, "", 4, {}, "3 values", {0, 0, 3, 0}},
        {"hexadecimal and underflow", "a,b\n0x1A,x\n1e-400,y\n", {}, false, "", 2, {}, "", {26, 0}},
        {"quoted fields", "\"a,1\",b\n\"2\",\"yes, \"\"sir\"\"\"\n", {}, false, "", 1, {"yes, \"sir\""}},
        {"spaces around separators", "a , b\n1 , yes\n", {}, false, "", 1, {"yes"}},
        {"header of numbers", "1,2\n3,4\n", {}, false, "", 1, {"4"}, "--no-header"},
        {"header like iris.data", "5.1,3.5,Iris-setosa\n4.9,3.0,Iris-setosa\n", {}, false, "", 1, {"Iris-setosa"}, "--no-header"},
        {"no header", "1,2\n3,4\n", {}, true, "", 2, {"2", "4"}, "", {1, 3}},
        {"short rows keep the previous texts", "a,b,c\n1,2,X\n555\n", {}, false, "", 2, {"X"}, "2 values", {1, 555}},
        {"empty", "", {}, false, "it is empty"},
        {"only blanks", "  \n\r\n\n", {}, false, "it is empty"},
        {"no data rows", "a,b\n", {}, false, "no data rows"},
        {"one column", "abc\ndef\n", {}, false, "line 1 has one field"},
        {"binary", std::string("a,b\n1,\0x\n", 9), {}, false, "NUL byte"},
        {"not UTF-8", "a,b\n" + std::string(200, '\xFE') + ",x\n", {}, false, "not UTF-8"},
        {"too many columns", wide + "1,x\n", {}, false, "at most 100 columns"},
        {"long line", "a,b\n" + std::string(5000, '7') + ",x\n", {}, false, "line 2 is longer than 4095 bytes"},
        {"long field", "a,b\n1," + std::string(40, 'x') + "\n", {}, false, "line 2, column 2: the field"},
        {"unclosed quote", "a,b\n1,\"x\n", {}, false, "not closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeedRandom(1);
        CProject p;
        CDataImport import;
        import.m_missing = c.missing;
        import.m_bNoHeader = c.noHeader;
        const std::vector<std::uint8_t> bytes(c.text.begin(), c.text.end());
        int result = 0;
        p.NewImportedProject("t", [&](CProject& q) { result = import.ImportBytes(q, bytes); });
        if (!c.error.empty()) {
            EXPECT_EQ(result, 1);
            EXPECT_FALSE(import.m_report.ok);
            EXPECT_NE(import.m_report.error.find(c.error), std::string::npos) << import.m_report.error;
            EXPECT_EQ(p.m_inputs.Count(), 0);
            continue;
        }
        ASSERT_EQ(result, 0) << import.m_report.error;
        EXPECT_EQ(p.Scenarios()->Count(), c.scenarios);
        if (!c.outputs.empty()) {
            EXPECT_EQ(OutputNames(p), c.outputs);
        }
        if (!c.warning.empty()) {
            bool found = false;
            for (const std::string& w : import.m_report.warnings) found = found || w.find(c.warning) != std::string::npos;
            EXPECT_TRUE(found) << c.warning;
        }
        if (!c.firstColumn.empty()) {
            ASSERT_EQ(p.m_inputs.m_items[0]->m_iType, kRangedDouble);
            std::vector<double> values;
            for (std::int32_t id = 1; id <= 20; ++id)
                for (const auto& s : p.Scenarios()->Scenarios())
                    if (s->m_ID == id) values.push_back(s->m_inputs[0].value);
            EXPECT_EQ(values, c.firstColumn);
        }
    }
}

TEST(DataImport, OneDistinctValueWidensByATenth) {
    auto r = Import("a,b\n10,x\n10,y\n");
    const CVariable& a = *r->project.m_inputs.m_items[0];
    // The tenth is the single-precision 0.1.
    EXPECT_EQ(a.m_dMin, 10.0 - 10.0 * 0.10000000149011612);
    EXPECT_EQ(a.m_dMax, 10.0 + 10.0 * 0.10000000149011612);
    EXPECT_EQ(a.m_dValue, a.m_dMin);
    auto neg = Import("a,b\n-5,x\n-5,y\n");
    EXPECT_NEAR(neg->project.m_inputs.m_items[0]->m_dMin, -4.5, 1e-7);
    EXPECT_NEAR(neg->project.m_inputs.m_items[0]->m_dMax, -5.5, 1e-7);
    auto zero = Import("a,b\n0,x\n");
    EXPECT_EQ(zero->project.m_inputs.m_items[0]->m_dMin, 0.0);
    EXPECT_EQ(zero->project.m_inputs.m_items[0]->m_dMax, 0.0);
}

TEST(DataImport, ByteOrderMarkAndTheSummary) {
    auto r = Import("\xEF\xBB\xBF" "Colour,Weight,Fruit\nred,NA,apple\ngreen,120,pear\nRed,100,apple\n");
    const CProject& p = r->project;
    EXPECT_EQ(p.m_inputs.m_items[0]->m_name, "Colour");
    CDataImport again;  // the summary of an import made from the same bytes
    const std::string text = "Colour,Weight,Fruit\nred,NA,apple\ngreen,120,pear\nRed,100,apple\n";
    CProject q;
    q.NewImportedProject("t", [&](CProject& x) { again.ImportBytes(x, {text.begin(), text.end()}); });
    const std::vector<std::string> expected = {
        "rows read: 3",
        "input \"Colour\": Descriptor List (line 2 has the text \"red\"), 2 items: red, green",
        "input \"Weight\": numbers from 0 to 120; 1 missing",
        "output \"apple\": 2 cases",
        "output \"pear\": 1 cases",
        "warning: 1 values are missing; they were imported as 0 (numbers) or as their text (categories), and a short "
        "row took the previous row's values; --missing drop leaves those rows out, --missing refuse stops",
    };
    EXPECT_EQ(ImportSummary(again, q), expected);
}

TEST(DataImport, RefusesWhatIsNotAFile) {
    test::TempDir dir;
    const std::string fifo = dir.File("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {dir.Path(), fifo, std::string("/nonexistent/data.csv")}) {
        SCOPED_TRACE(path);
        CProject p;
        CDataImport import;
        import.Choose(path);
        test::RecordingPrompt prompt;
        NewImportedProject(p, import, &prompt);  // must return at once, even for a pipe
        EXPECT_FALSE(import.m_report.ok);
        EXPECT_EQ(import.m_report.error.rfind(path, 0), 0u) << import.m_report.error;  // names the file
        EXPECT_EQ(p.m_inputs.Count(), 0);
        ASSERT_EQ(prompt.notices.size(), 1u);
    }
}

}  // namespace
}  // namespace ks
