#include "files/test_data.h"

#include <cctype>
#include <sys/stat.h>

#include "files/data_table.h"
#include "files/safe_file.h"
#include "model/project.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 30;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TestData ReadTestData(const std::string& path, const CProject& project) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return {{}, path + ": no such file", {}, 0, 0};
    if (!S_ISREG(st.st_mode)) return {{}, path + ": not a regular file", {}, 0, 0};
    std::vector<std::uint8_t> bytes;
    const FileResult r = ReadWholeFile(path, bytes, kMaxFileBytes);
    if (!r.ok) return {{}, r.message, {}, 0, 0};
    return ReadTestBytes(bytes, path, project);
}

TestData ReadTestBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, const CProject& p) {
    TestData out;
    const DataTable table = ParseDataText(bytes.data(), bytes.size());
    if (!table.Ok()) {
        out.error = name + ": " + table.error;
        return out;
    }
    const std::size_t decision = table.names.size() - 1;
    // Each input's column, by name.
    std::vector<std::size_t> column;
    for (const auto& v : p.m_inputs.m_items) {
        std::size_t found = decision;
        for (std::size_t c = 0; c < decision; ++c)
            if (table.names[c] == v->m_name) found = c;
        if (found == decision) {
            out.error = Format("%s: there is no column \"%s\" for the input of that name", name.c_str(), v->m_name.c_str());
            return out;
        }
        column.push_back(found);
    }
    for (std::size_t c = 0; c < decision; ++c) {
        bool used = false;
        for (std::size_t k : column) used = used || k == c;
        if (!used) out.notes.push_back(Format("the column \"%s\" is not an input and is ignored", table.names[c].c_str()));
    }
    std::int32_t missing = 0, unknownItems = 0;
    for (const DataRow& row : table.rows) {
        TestCase c;
        c.name = Format("line %zu", row.line);
        bool usable = true;
        for (std::size_t i = 0; i < column.size() && usable; ++i) {
            const CVariable& v = *p.m_inputs.m_items[i];
            const DataCell& cell = row.cells[column[i]];
            if (cell.missing) {
                ++missing;
                usable = false;
            } else if (v.m_iType == kDescriptorList) {
                const VARIABLE_ITEM* item = nullptr;
                for (const auto& it : v.m_items)
                    if (Lower(it->text) == Lower(cell.text)) item = it.get();
                if (!item) {
                    ++unknownItems;
                    usable = false;
                } else {
                    c.values.push_back(item->index);
                }
            } else if (v.m_iType == kBoolean) {
                const std::string t = Lower(cell.text);
                c.values.push_back(t == "true" || t == "yes" || (IsNumberText(t) && ParseNumber(t) != 0.0) ? 1.0 : 0.0);
            } else {
                c.values.push_back(ParseNumber(cell.text));
            }
        }
        if (!usable) {
            ++out.leftOut;
            continue;
        }
        const std::string target = Lower(row.cells[decision].text);
        for (std::size_t o = 0; o < p.m_outputs.m_items.size(); ++o)
            if (Lower(p.m_outputs.m_items[o]->m_name) == target) c.target = static_cast<std::int32_t>(o);
        if (c.target < 0) ++out.unknownTargets;
        out.cases.push_back(std::move(c));
    }
    if (missing) out.notes.push_back(Format("%d cases with a missing input value are left out", missing));
    if (unknownItems) out.notes.push_back(Format("%d cases with a text no Descriptor List has are left out", unknownItems));
    if (out.unknownTargets)
        out.notes.push_back(Format("%d cases name a decision the project has no output for; they are decided but not counted",
                                   out.unknownTargets));
    return out;
}

}  // namespace ks
