#pragma once
// How much machine code a C compiler makes of an exported source file: the
// file is compiled to an object (the compiler and flags from CC and CFLAGS,
// as make takes them; cc -Os when unset) and its executable sections summed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

struct CodeSize {
    bool measured = false;
    std::size_t bytes = 0;    // executable sections of the object
    std::string command;      // the compiler and flags used
    std::string why;          // when not measured
};

CodeSize MeasureCodeSize(const std::string& sourcePath);
// The bytes of an ELF object's executable sections; false for anything that
// is not a well-formed ELF object.
bool ExecutableBytes(const std::vector<std::uint8_t>& elf, std::size_t& bytes);
// One line for the user: the size and how it was measured, or why it was not.
std::string DescribeCodeSize(const CodeSize& size);

}  // namespace ks
