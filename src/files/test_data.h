#pragma once
// Cases to test a trained network on, read from a data file in the import's
// format: columns are matched to the project's inputs by name, texts to
// Descriptor List items, the last column's texts to outputs by name.
#include <cstdint>
#include <string>
#include <vector>

#include "training/evaluation_report.h"

namespace ks {

class CProject;
struct DataTable;

struct TestData {
    std::vector<TestCase> cases;
    std::string error;                // refused: what and where (the file named)
    std::vector<std::string> notes;   // extra columns ignored, cases left out and why
    std::int32_t unknownTargets = 0;  // decisions the project has no output for (not in the figures)
    std::int32_t leftOut = 0;         // cases with a missing value or an unknown item
};

TestData ReadTestData(const std::string& path, const CProject& project);
// The same from bytes already read; `name` stands for the file in messages.
TestData ReadTestBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, const CProject& project);
// The same from rows already split; `firstColumn` is 1 when the first column
// holds names (it is then never matched to an input).
TestData ReadTestTable(const DataTable& table, const std::string& name, const CProject& project,
                       std::size_t firstColumn = 0);

}  // namespace ks
