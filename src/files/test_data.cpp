#include "files/test_data.h"

#include <unordered_map>

#include "files/data_table.h"
#include "model/project.h"
#include "model/text.h"

namespace ks {

TestData ReadTestData(const std::string& path, const CProject& project) {
    std::vector<std::uint8_t> bytes;
    if (std::string why = ReadDataFile(path, bytes); !why.empty()) {
        TestData out;
        out.error = std::move(why);
        return out;
    }
    return ReadTestBytes(bytes, path, project);
}

TestData ReadTestBytes(const std::vector<std::uint8_t>& bytes, const std::string& name, const CProject& p) {
    TestData out;
    const DataTable table = ParseDataText(bytes.data(), bytes.size());
    if (!table.Ok()) {
        out.error = name + ": " + table.error;
        return out;
    }
    return ReadTestTable(table, name, p);
}

TestData ReadTestTable(const DataTable& table, const std::string& name, const CProject& p, std::size_t firstColumn) {
    TestData out;
    const std::size_t decision = table.names.size() - 1;
    // Each input's column, by name.
    std::vector<std::size_t> column;
    for (const auto& v : p.m_inputs.m_items) {
        std::size_t found = decision;
        for (std::size_t c = firstColumn; c < decision; ++c)
            if (table.names[c] == v->m_name) found = c;
        if (found == decision) {
            out.error = Format("%s: there is no column \"%s\" for the input of that name", name.c_str(), v->m_name.c_str());
            return out;
        }
        column.push_back(found);
    }
    for (std::size_t c = firstColumn; c < decision; ++c) {
        bool used = false;
        for (std::size_t k : column) used = used || k == c;
        if (!used) out.notes.push_back(Format("the column \"%s\" is not an input and is ignored", table.names[c].c_str()));
    }
    // Items and outputs by their lower-case text, looked up once per cell.
    std::vector<std::unordered_map<std::string, std::int32_t>> items(column.size());
    for (std::size_t i = 0; i < column.size(); ++i)
        for (const auto& it : p.m_inputs.m_items[i]->m_items) items[i].emplace(AsciiLower(it->text), it->index);
    std::unordered_map<std::string, std::int32_t> outputs;
    for (std::size_t o = 0; o < p.m_outputs.m_items.size(); ++o)
        outputs.emplace(AsciiLower(p.m_outputs.m_items[o]->m_name), static_cast<std::int32_t>(o));
    std::int32_t missing = 0, unknownItems = 0;
    for (const DataRow& row : table.rows) {
        TestCase c;
        c.name = firstColumn ? row.cells[0].text : Format("line %zu", row.line);
        bool usable = true;
        for (std::size_t i = 0; i < column.size() && usable; ++i) {
            const CVariable& v = *p.m_inputs.m_items[i];
            const DataCell& cell = row.cells[column[i]];
            if (cell.missing) {
                ++missing;
                usable = false;
            } else if (v.m_iType == kDescriptorList) {
                const auto item = items[i].find(AsciiLower(cell.text));
                if (item == items[i].end()) {
                    ++unknownItems;
                    usable = false;
                } else {
                    c.values.push_back(item->second);
                }
            } else if (v.m_iType == kBoolean) {
                const std::string t = AsciiLower(cell.text);
                c.values.push_back(t == "true" || t == "yes" || (IsNumberText(t) && ParseNumber(t) != 0.0) ? 1.0 : 0.0);
            } else {
                c.values.push_back(ParseNumber(cell.text));
            }
        }
        if (!usable) {
            ++out.leftOut;
            continue;
        }
        if (const auto o = outputs.find(AsciiLower(row.cells[decision].text)); o != outputs.end()) c.target = o->second;
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
