#pragma once
// Does an export decide as the trainer does? Every scenario, the corners and
// midpoints of the input ranges and seeded random inputs in range, decided by
// the trainer and by an exact emulation of the generated code.
#include <cstdint>
#include <string>
#include <vector>

#include "files/c_export_small.h"

namespace ks {

class CProject;

struct ExportCheck {
    struct Tally {
        std::int64_t cases = 0, agreeing = 0;
    };
    Tally scenarios, grid, random;         // grid: corners and midpoints
    bool fullGrid = true;                  // false: too many inputs for every corner; each input's ends instead
    double largestDifference = 0.0;        // of any action's value
    std::int64_t differentValues = 0;      // cases whose action values are not bit for bit the trainer's
    std::vector<std::string> disagreeing;  // scenario names (the first 20)
};

// Decides the cases both ways. The project's input values are put back afterwards.
ExportCheck VerifyExport(CProject& project, const SmallNet& net, std::uint64_t seed, std::int64_t randomCases);

// The check in lines for people, each starting "verify (TYPE): ": how many of
// each group decide alike, the largest difference (or bit-identity for
// double), and the scenarios decided differently.
std::vector<std::string> DescribeExportCheck(const ExportCheck& check, CNumberType type);
// "double", "float" or "fixed".
const char* NumberTypeName(CNumberType type);

}  // namespace ks
