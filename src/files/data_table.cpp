#include "files/data_table.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <sys/stat.h>

#include "files/safe_file.h"
#include "model/text.h"

namespace ks {

namespace {

bool IsSeparator(char c) { return c == ',' || c == ';' || c == '\t'; }

// The C library's conversion in the "C" locale, whatever the process uses.
double StrToDouble(const char* text, char** end) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text, end, c);
}

// Invalid UTF-8 sequences in the bytes.
std::size_t InvalidUtf8(const std::uint8_t* d, std::size_t n) {
    std::size_t bad = 0;
    for (std::size_t i = 0; i < n;) {
        const std::uint8_t c = d[i];
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = len > 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) ok = (d[i + k] >> 6) == 2;
        if (!ok) {
            ++bad;
            len = 1;
        }
        i += len;
    }
    return bad;
}

class Splitter {
public:
    Splitter(const std::string& text, DataTable& table) : m_text(text), m_table(table) {}

    // The fields of the next record; false at the end. `blank`: the record had no fields worth reading.
    bool Next(std::vector<std::string>& fields, std::size_t& line, bool& blank) {
        fields.clear();
        if (m_pos >= m_text.size()) return false;
        line = m_line;
        const std::size_t lineStart = m_pos;
        std::string field;
        bool sawSeparator = false;
        for (;;) {
            while (m_pos < m_text.size() && m_text[m_pos] == ' ') ++m_pos;
            field.clear();
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                if (!Quoted(field)) return false;
            } else {
                while (m_pos < m_text.size() && m_text[m_pos] != '\n' && !IsSeparator(m_text[m_pos]))
                    field.push_back(m_text[m_pos++]);
                while (!field.empty() && field.back() == ' ') field.pop_back();
            }
            fields.push_back(field);
            if (m_pos < m_text.size() && IsSeparator(m_text[m_pos])) {
                sawSeparator = true;
                ++m_pos;
                continue;
            }
            break;
        }
        const std::size_t length = m_pos - lineStart;
        if (m_pos < m_text.size()) ++m_pos;  // the newline
        ++m_line;
        // A line of a byte or two without a separator ended the import in older versions: it is blank.
        blank = !sawSeparator && length < 3;
        return true;
    }

private:
    // A field in double quotes: separators and line ends inside, "" for a quote.
    bool Quoted(std::string& field) {
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size()) {
                m_table.error = Format("line %zu: a quoted field is not closed", m_line);
                return false;
            }
            const char c = m_text[m_pos++];
            if (c == '"') {
                if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                    field.push_back('"');
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (c == '\n') ++m_line;
            field.push_back(c);
        }
        // Anything between the closing quote and the separator belongs to the field.
        while (m_pos < m_text.size() && m_text[m_pos] != '\n' && !IsSeparator(m_text[m_pos])) field.push_back(m_text[m_pos++]);
        while (!field.empty() && field.back() == ' ') field.pop_back();
        return true;
    }

    const std::string& m_text;
    DataTable& m_table;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
};

}  // namespace

std::string ReadDataFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return path + ": no such file";
    if (!S_ISREG(st.st_mode)) return path + ": not a regular file";
    const FileResult r = ReadWholeFile(path, bytes, kMaxFileBytes);
    return r.ok ? std::string() : r.message;
}

double ParseNumber(const std::string& text) {
    char* end = nullptr;
    const double v = StrToDouble(text.c_str(), &end);
    return end == text.c_str() ? 0.0 : v;
}

bool IsNumberText(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = StrToDouble(text.c_str(), &end);
    while (*end == ' ') ++end;
    return end != text.c_str() && *end == '\0' && std::isfinite(v);
}

bool IsMissingText(const std::string& text) {
    static const char* const kMissing[] = {"", "na", "n/a", "?", "nan", "+nan", "-nan", "inf", "+inf", "-inf",
                                           "infinity", "+infinity", "-infinity"};
    const std::string lower = AsciiLower(text);
    for (const char* m : kMissing)
        if (lower == m) return true;
    // A number whose magnitude no double holds.
    char* end = nullptr;
    const double v = StrToDouble(text.c_str(), &end);
    return end != text.c_str() && !std::isfinite(v);
}

DataTable ParseDataText(const std::uint8_t* data, std::size_t size, bool noHeader) {
    DataTable t;
    std::size_t start = 0;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) start = 3;  // Excel's "CSV UTF-8"
    std::string text;
    text.reserve(size - start);
    bool content = false;
    for (std::size_t i = start; i < size; ++i) {
        const auto c = static_cast<char>(data[i]);
        if (data[i] == 0) {
            t.error = Format("it holds a NUL byte at byte %zu: this is not a text file", i);
            return t;
        }
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n') continue;  // CR LF arrives as LF
        if (!std::isspace(static_cast<unsigned char>(c))) content = true;
        text.push_back(c);
    }
    if (!content) {
        t.error = "it is empty";
        return t;
    }
    const std::size_t invalid = InvalidUtf8(data + start, size - start);
    if (invalid > 8 + (size - start) / 64) {
        t.error = Format("%zu byte sequences are not UTF-8 text: this does not look like a data file", invalid);
        return t;
    }

    std::size_t lineNo = 1, from = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n') continue;
        if (i - from > DataTable::kMaxLine) {
            t.error = Format("line %zu is longer than %zu bytes", lineNo, DataTable::kMaxLine);
            return t;
        }
        from = i + 1;
        ++lineNo;
    }

    Splitter split(text, t);
    std::vector<std::string> fields;
    std::size_t line = 0, blankLine = 0;
    bool header = !noHeader, warnedWide = false;
    std::vector<std::string> previous;
    bool blank = false;
    while (split.Next(fields, line, blank)) {
        if (blank) {
            if (!blankLine) blankLine = line;
            continue;
        }
        if (blankLine && !t.names.empty()) {
            t.warnings.push_back(
                Format("line %zu is blank; the rows after it are read too (older versions stopped there)", blankLine));
        }
        blankLine = 0;
        for (std::size_t c = 0; c < fields.size(); ++c)
            if (fields[c].size() > DataTable::kMaxField) {
                t.error = Format("line %zu, column %zu: the field \"%s...\" is longer than %zu bytes", line, c + 1,
                                 TruncateUtf8Bytes(fields[c], DataTable::kMaxField).c_str(), DataTable::kMaxField);
                return t;
            }
        if (t.names.empty()) {
            if (fields.size() > DataTable::kMaxFields) {
                t.error = Format("line %zu has %zu fields; at most %zu columns are read", line, fields.size(),
                                 DataTable::kMaxFields);
                return t;
            }
            if (fields.size() < 2) {
                t.error = Format("line %zu has one field; a data file needs input columns and a decision column "
                                 "separated by commas, semicolons or tabs",
                                 line);
                return t;
            }
            if (header) {
                t.names = fields;
                previous = fields;
                // Numbers in every column before the decision (UCI's iris.data, say): a case, not names.
                bool allNumbers = true;
                for (std::size_t c = 0; c + 1 < fields.size(); ++c) allNumbers = allNumbers && IsNumberText(fields[c]);
                if (allNumbers)
                    t.warnings.push_back(
                        "the first row holds numbers but is used as the names of the columns; if the file has no "
                        "header row, import it with --no-header");
                continue;
            }
            for (std::size_t c = 0; c < fields.size(); ++c) t.names.push_back(Format("Column %zu", c + 1));
            previous = t.names;
        }
        const std::size_t columns = t.names.size();
        if (fields.size() > columns && !warnedWide) {
            t.warnings.push_back(Format("line %zu has %zu fields but the header has %zu; the fields after the %zu-th "
                                        "are ignored",
                                        line, fields.size(), columns, columns));
            warnedWide = true;
        }
        DataRow row;
        row.line = line;
        row.cells.resize(columns);
        for (std::size_t c = 0; c < columns; ++c) {
            DataCell& cell = row.cells[c];
            if (c < fields.size()) {
                cell.text = fields[c];
                cell.missing = IsMissingText(cell.text);
                previous[c] = cell.text;
            } else {
                // A short row keeps the previous row's texts, as older versions did.
                cell.text = previous[c];
                cell.missing = true;
            }
        }
        t.rows.push_back(std::move(row));
    }
    if (!t.Ok()) return t;
    if (t.rows.empty()) t.error = "it has no data rows after the header";
    return t;
}

}  // namespace ks
