#pragma once
// The header the host application includes: a constant for every input,
// descriptor item and output, with the IDs the runtime file uses.
#include <string>
#include <vector>

#include "files/safe_file.h"

namespace ks {

class CProject;

// The whole header text (UTF-8, CR LF line ends). inputs and outputs receive
// the number of entries written.
std::string BuildHeaderText(const CProject& project, int* inputs = nullptr, int* outputs = nullptr);
// The names that give no C identifier in the header (it replaces spaces
// only): a header with them does not compile. The C source export's header
// has valid names for them.
std::vector<std::string> NamesNotValidInHeader(const CProject& project);

// Writes the header to path; the message on success is the one the user sees.
FileResult WriteHeaderFile(const std::string& path, const CProject& project);

}  // namespace ks
