#pragma once
// The project file (.ksm) and, in export mode, the runtime file (.ksr).
#include <cstdint>
#include <string>

#include "files/byte_io.h"
#include "files/record_layout.h"
#include "files/safe_file.h"

namespace ks {

class CProject;

// Writes the project file (exportMode false) or the runtime file (true).
void WriteProject(ByteWriter& out, const CProject& project, bool exportMode);

// Reads a project file into `project`, which must be freshly constructed.
// On a damaged file returns false and leaves the reason and offset in `in`.
bool ReadProject(ByteReader& in, CProject& project);

// Re-links loaded objects by their IDs, marks the project open and sorts its scenarios.
void FixUpPointers(CProject& project);

// Saves to a path without ever destroying the previous file.
FileResult SaveProjectFile(const std::string& path, const CProject& project);
// Loads a file into a fresh project and swaps it into `project` only on
// success; the project's name becomes the file name, the model's its title.
FileResult LoadProjectFile(const std::string& path, CProject& project);
// The same from bytes a save wrote; `name` stands for the file in messages
// and becomes the project's name.
FileResult LoadProjectBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, CProject& project);
// Writes the runtime file.
FileResult SaveRuntimeFile(const std::string& path, const CProject& project);

}  // namespace ks
