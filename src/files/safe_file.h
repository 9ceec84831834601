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
// renames it over the target. On failure the target is as it was. A symbolic
// link is written through (the link stays); a read-only target or a folder is
// refused; the mode, owner and group of a replaced file are kept where the
// system permits. Leftovers of killed saves older than a day are removed.
FileResult WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
FileResult WriteFileAtomically(const std::string& path, const std::string& text);

struct FileToWrite {
    std::string path;
    std::vector<std::uint8_t> bytes;
};
// The same for several files: all are written in full before any replaces
// its target, so a failure leaves every target as it was.
FileResult WriteFilesAtomically(const std::vector<FileToWrite>& files);

// Refuses a path that is not a regular file (a pipe, a device, a folder)
// without opening it, so nothing waits for a writer.
FileResult CheckRegularFile(const std::string& path);

// Refuses an output that is the same file as an input (through links too).
FileResult CheckNotSameFile(const std::string& input, const std::string& output);

// Reads a whole file; refuses files larger than maxBytes.
FileResult ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out,
                         std::uint64_t maxBytes = std::uint64_t{1} << 31);

}  // namespace ks
