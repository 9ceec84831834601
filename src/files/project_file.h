#pragma once
#include <atomic>
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
// How far a load has come, for a window that shows it; another thread may
// read it and ask the load to stop.
struct LoadProgress {
    std::atomic<std::uint64_t> done{0}, total{0};  // bytes
    std::atomic<bool> cancelled{false};
};

bool ReadProject(ByteReader& in, CProject& project, LoadProgress* progress = nullptr);

// Re-links loaded objects by their IDs, marks the project open and sorts its scenarios.
void FixUpPointers(CProject& project);

// The bytes a save writes, and those of the runtime file (the project must have a network).
std::vector<std::uint8_t> ProjectBytes(const CProject& project);
std::vector<std::uint8_t> RuntimeBytes(const CProject& project);
// Saves to a path without ever destroying the previous file.
FileResult SaveProjectFile(const std::string& path, const CProject& project);
// Loads a file into a fresh project and swaps it into `project` only on
// success; the project's name becomes the file name, the model's its title.
FileResult LoadProjectFile(const std::string& path, CProject& project);
// The two halves of a load, so that the reading can run on a thread of its
// own: ReadProjectFile fills a fresh project (the message of a failure names
// the file; a cancelled load fails with an empty message), InstallLoaded
// swaps it into `project` as LoadProjectFile does.
FileResult ReadProjectFile(const std::string& path, CProject& fresh, LoadProgress* progress = nullptr);
void InstallLoaded(CProject& fresh, const std::string& path, CProject& project);
// The same from bytes a save wrote; `name` stands for the file in messages
// and becomes the project's name.
FileResult LoadProjectBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, CProject& project);
// Writes the runtime file.
FileResult SaveRuntimeFile(const std::string& path, const CProject& project);

}  // namespace ks
