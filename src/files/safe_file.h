#pragma once
// Whole-file reads and writes that never lose the previous file.
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

struct FileResult {
    bool ok = true;
    std::string message;  // what failed and why, when !ok
    std::string detail;   // the underlying reason, where message is a fixed text
};

// Writes a temporary file in the target's folder, flushes it to disk and
// renames it over the target. On failure the target is as it was.
FileResult WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
FileResult WriteFileAtomically(const std::string& path, const std::string& text);

// Reads a whole file; refuses files larger than maxBytes.
FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                         std::uint64_t maxBytes = std::uint64_t{1} << 31);

}  // namespace ks
