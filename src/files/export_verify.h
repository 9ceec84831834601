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

// The C source of a network in a number type, checked first when asked:
// what the command line and the window both write.
struct CheckedCSource {
    std::string refusal;             // not empty: the network cannot be written in this type
    bool checked = false;
    ExportCheck check;
    std::vector<std::string> lines;  // the check for people (DescribeExportCheck)
    bool agrees = true;              // no scenario decided differently (or not checked)
    CSource source;
    std::string sizes;               // float and fixed: the tables' and the stack's bytes
};
// `fixedInput`: a fixed-point export whose inputs are fixed point too.
CheckedCSource MakeCheckedCSource(CProject& project, CNumberType type, const std::string& prefix, bool verify,
                                  bool fixedInput = false);

}  // namespace ks
