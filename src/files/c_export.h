#pragma once
// The trained network as one dependency-free C99 function: the weights as
// constants, no allocation, no I/O, no mutable global state. Its sums run in
// the trainer's order with nothing fused, so it decides as the trainer does.
#include <string>
#include <vector>

#include "files/safe_file.h"

namespace ks {

class CProject;

struct CSource {
    std::string headerName;  // PREFIX_net.h
    std::string sourceName;  // PREFIX_net.c
    std::string header;
    std::string source;
};

// The files for `int32_t PREFIX_net_decide(const double *inputs)`, which takes the
// input values in the order of the project's input list and returns the
// winning output's ID (0 when none).
CSource GenerateCSource(const CProject& project, const std::string& prefix);
// The names and the header alone, for a decide function taking `inputType`
// values; `inputNote` (a comment and definitions) says more about them.
CSource GenerateCHeaderOnly(const CProject& project, const std::string& prefix, const char* inputType,
                            const std::string& inputNote = "");
// The prefix as the header's macros spell it (upper case).
std::string Upper(std::string s);
// The exact C99 spelling of a double: hexadecimal, or the math.h macros.
std::string CDoubleLiteral(double v);
// A C string literal of a name (UTF-8 bytes kept, quotes, backslashes and
// control characters escaped).
std::string CStringLiteral(const std::string& text);
// C identifier parts for names, in order: other characters become _, a
// leading digit gets an N before it, an empty name is UNNAMED, and a part
// met before is numbered (_2, _3, ...).
std::vector<std::string> CIdentifierParts(const std::vector<std::string>& names);

// True when prefix can start a C identifier and file name ([A-Za-z_][A-Za-z0-9_]*).
bool IsValidCPrefix(const std::string& prefix);
// Writes both files into folder.
FileResult WriteCSource(const std::string& folder, const CProject& project, const std::string& prefix);

}  // namespace ks
