#pragma once
// Reading delimited text into a table of fields, before anything is built
// from it: a header row naming the columns, then one example case per row.
// Every problem is named (file, line, column) instead of being cut silently.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ks {

struct DataCell {
    std::string text;      // trimmed, unquoted
    bool missing = false;  // empty, NA, N/A, ?, a non-finite number, or absent from a short row
};

struct DataRow {
    std::size_t line = 0;  // where the row starts in the file, from 1
    std::vector<DataCell> cells;  // one per column of the header
};

struct DataTable {
    static constexpr std::size_t kMaxLine = 4095;   // bytes in one line
    static constexpr std::size_t kMaxFields = 100;  // fields in the header
    static constexpr std::size_t kMaxField = 31;    // bytes in one field

    std::vector<std::string> names;  // the header's fields
    std::vector<DataRow> rows;
    std::vector<std::string> warnings;
    std::string error;  // set when the text is refused; then nothing else counts
    bool Ok() const { return error.empty(); }
};

// Reads a data file whole, never waiting on a pipe or device: an empty text
// when it worked, else why not, the file named ("PATH: not a regular file").
std::string ReadDataFile(const std::string& path, std::vector<std::uint8_t>& bytes);

// Splits the bytes of a data file. `noHeader`: the first row is data and the
// columns are named "Column 1", "Column 2", ...
DataTable ParseDataText(const std::uint8_t* data, std::size_t size, bool noHeader = false);

// Whether a field counts as missing: empty, NA, N/A, ?, nan or inf in any
// letter case, or a number too large for a double.
bool IsMissingText(const std::string& text);

// Text-to-double as the C library reads it (leading blanks, the longest
// number, hexadecimal forms, underflow to 0 or a subnormal), independent of
// the process locale; no number gives 0.
double ParseNumber(const std::string& text);

// Whether the whole text is one finite number.
bool IsNumberText(const std::string& text);

}  // namespace ks
