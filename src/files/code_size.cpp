#include "files/code_size.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "model/text.h"

namespace ks {

namespace {

// A word of `width` bytes at `at`, in the object's byte order; false past the end.
bool Word(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t width, bool little, std::uint64_t& out) {
    if (at > b.size() || width > b.size() - at) return false;
    out = 0;
    for (std::size_t i = 0; i < width; ++i) out |= std::uint64_t{b[at + (little ? i : width - 1 - i)]} << (8 * i);
    return true;
}

// The path in single quotes for the shell, quotes in it escaped.
std::string Quoted(const std::string& path) {
    std::string q = "'";
    for (const char c : path) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

bool ExecutableBytes(const std::vector<std::uint8_t>& elf, std::size_t& bytes) {
    bytes = 0;
    if (elf.size() < 16 || elf[0] != 0x7F || elf[1] != 'E' || elf[2] != 'L' || elf[3] != 'F') return false;
    const bool wide = elf[4] == 2, little = elf[5] == 1;
    if ((elf[4] != 1 && elf[4] != 2) || (elf[5] != 1 && elf[5] != 2)) return false;
    // Where the section table is, how big an entry is, how many there are.
    std::uint64_t offset = 0, entry = 0, count = 0;
    if (!Word(elf, wide ? 0x28 : 0x20, wide ? 8 : 4, little, offset) || !Word(elf, wide ? 0x3A : 0x2E, 2, little, entry) ||
        !Word(elf, wide ? 0x3C : 0x30, 2, little, count))
        return false;
    const std::uint64_t need = wide ? 0x40 : 0x28;  // an entry's flags, size and type fit in this
    if (entry < need || offset > elf.size() || count > (elf.size() - offset) / entry) return false;
    constexpr std::uint64_t kAlloc = 0x2, kExec = 0x4, kNoBits = 8;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::size_t at = static_cast<std::size_t>(offset + i * entry);
        std::uint64_t type = 0, flags = 0, size = 0;
        if (!Word(elf, at + 4, 4, little, type) || !Word(elf, at + 8, wide ? 8 : 4, little, flags) ||
            !Word(elf, at + (wide ? 0x20 : 0x14), wide ? 8 : 4, little, size))
            return false;
        if (type != kNoBits && (flags & (kAlloc | kExec)) == (kAlloc | kExec)) {
            if (size > elf.size()) return false;  // code the object does not hold
            bytes += static_cast<std::size_t>(size);
        }
    }
    return true;
}

CodeSize MeasureCodeSize(const std::string& sourcePath) {
    CodeSize r;
    const char* cc = std::getenv("CC");
    const char* flags = std::getenv("CFLAGS");
    r.command = std::string(cc && *cc ? cc : "cc") + " " + (flags && *flags ? flags : "-Os");
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) {
        r.why = "no folder for the compiler's output";
        return r;
    }
    std::random_device seed;
    const std::filesystem::path object = dir / ("kestrine-size-" + std::to_string(seed()) + ".o");
    const std::string line = r.command + " -c " + Quoted(sourcePath) + " -o " + Quoted(object.string()) + " >/dev/null 2>&1";
    const int status = std::system(line.c_str());
    std::ifstream in(object, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    std::filesystem::remove(object, ec);
    if (status != 0 || bytes.empty()) {
        r.why = "the compiler did not compile it (" + r.command + ")";
        return r;
    }
    if (!ExecutableBytes(bytes, r.bytes)) {
        r.why = "the compiler's output is no ELF object";
        return r;
    }
    r.measured = true;
    return r;
}

std::string DescribeCodeSize(const CodeSize& size) {
    if (!size.measured) return "code size: not measured: " + size.why + "; CC and CFLAGS choose the compiler";
    return Format("code: %zu bytes of machine code with %s (CC and CFLAGS choose the compiler and target)", size.bytes,
                  size.command.c_str());
}

}  // namespace ks
