#include <gtest/gtest.h>

#include "files/header_file.h"
#include "model/project.h"
#include "support/network_fixture.h"
#include "support/temp_dir.h"

namespace ks {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

const std::string kBanner = "/" + std::string(89, '*') + "/";

TEST(HeaderFile, EmptyProjectHasEightLines) {
    CProject p;
    p.NewProject(kProjectNew);
    EXPECT_EQ(Lines(BuildHeaderText(p)),
              (std::vector<std::string>{"//Export File, INPUTS SECTION: 0 variables.", kBanner, kBanner,
                                        "//Export File, OUTPUTS SECTION: 0 outputs.", kBanner, kBanner}));
}

TEST(HeaderFile, LinesByType) {
    CProject p;
    p.NewProject(kProjectNew);
    auto add = [&](const char* name, std::int32_t type, std::int32_t id, double value, double lo, double hi) {
        VARIABLE_RECORD r = test::RangedRecord(lo, hi, value, type);
        CVariable* v = p.m_inputs.AddVariable(r);
        v->m_name = name;
        v->m_ID = id;
        return v;
    };
    add("Door Open", kBoolean, 4711, 1.0, 0, 1);
    add("Count", kRangedInteger, 5, 7.9, -2.5, 10.0);
    add("Temp", kRangedDouble, 6, 21.456, -5, 40);
    add("Empty List", kDescriptorList, 7, 0, 0, 0);
    CVariable* colour = add("Colour", kDescriptorList, 8, 1, 0, 2);
    colour->AddItem("dark red", 10, 0, false, 0);
    colour->AddItem("blue", 11, 1, false, 0);
    auto o = std::make_unique<COutput>();
    o->m_name = "High Risk";
    COutput* raw = o.get();
    p.m_outputs.Append(std::move(o));
    raw->m_ID = 12;

    const auto lines = Lines(BuildHeaderText(p));
    const std::vector<std::string> expected = {
        "//Export File, INPUTS SECTION: 5 variables.",
        kBanner,
        "#define INPUT_Door_Open 4711 // (type: Boolean) (CurrValue: 1)",
        "",
        "#define INPUT_Count 5 // (type: Ranged Integer) (CurrValue: 7) Range: -2 to 10",
        "",
        "#define INPUT_Temp 6 // (type: Ranged Double) (CurrValue: 21.46) Range: -5.00 to 40.00",
        "",
        "#define INPUT_Empty_List 7 // (type: Descriptor List = 0 Items), Indexed:  0--1, See below for items...",
        "",
        "#define INPUT_Colour 8 // (type: Descriptor List = 2 Items), Indexed:  0-1, See below for items...",
        "  #define Colour_INDEX_dark_red 0",
        "  #define Colour_INDEX_blue 1",
        "",
        kBanner,
        "//Export File, OUTPUTS SECTION: 1 outputs.",
        kBanner,
        "#define OUTPUT_High_Risk 12 // ",
        "",
        kBanner,
    };
    EXPECT_EQ(lines, expected);
}

TEST(HeaderFile, OverlongLinesAreCutAtACharacterBoundary) {
    CProject p;
    p.NewProject(kProjectNew);
    CVariable* v = p.m_inputs.AddVariable(test::RangedRecord(0, 1));
    v->m_name = "";
    for (int i = 0; i < 99; ++i) v->m_name += "\xC3\xA9";  // é: 198 bytes of UTF-8
    v->m_iType = kDescriptorList;
    std::string item;
    for (int i = 0; i < 99; ++i) item += "\xC3\xA9";
    v->AddItem(item, 0, 0, false, 0);
    for (const std::string& line : Lines(BuildHeaderText(p))) {
        EXPECT_LE(line.size(), 254u);
        // No sequence is split: the line ends on a whole character.
        if (!line.empty()) {
            EXPECT_NE(static_cast<unsigned char>(line.back()), 0xC3);
        }
    }
}

TEST(HeaderFile, WriteReportsSuccessAndFailure) {
    test::TempDir dir;
    CProject p;
    test::BuildProject(p, 1, 1);
    const FileResult ok = WriteHeaderFile(dir.File("inputsoutputs.h"), p);
    EXPECT_TRUE(ok.ok);
    EXPECT_EQ(ok.message, "Successfully defined and wrote 1 variables and 1 outputs to the Export Header File: " +
                              dir.File("inputsoutputs.h") + ".");
    const FileResult bad = WriteHeaderFile(dir.File("missing/inputsoutputs.h"), p);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message, "Couldn't create the header file!");
}

}  // namespace
}  // namespace ks
