#include "files/data_import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <unordered_map>
#include <sys/stat.h>

#include "files/data_table.h"
#include "files/messages.h"
#include "files/project_file.h"
#include "model/numeric.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::int32_t kFirstImportedID = 100;  // variable ID = column + 100
constexpr COLORREF kWhite = 0xFFFFFF;

}  // namespace

void CDataImport::Choose(const std::string& path) {
    m_path = path;
    const auto slash = path.find_last_of('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = file.find_last_of('.');
    m_title = dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
    m_extension = dot == std::string::npos || dot == 0 ? "" : file.substr(dot + 1);
    struct stat st;
    m_bFileChosen = stat(path.c_str(), &st) == 0;
}

int CDataImport::Import(CProject& project, IPrompt* prompt) {
    m_report = ImportReport{};
    auto refuse = [&](const std::string& why) {
        m_report.ok = false;
        m_report.error = m_path + ": " + why;
        if (prompt) prompt->Notify(m_report.error);
        return 1;
    };
    if (m_table) return ImportTable(project, *m_table);
    if (!m_bFileChosen) return refuse("no such file");
    std::vector<std::uint8_t> bytes;
    if (const std::string why = ReadDataFile(m_path, bytes); !why.empty()) {
        m_report.ok = false;
        m_report.error = why;
        if (prompt) prompt->Notify(why);
        return 1;
    }
    const int result = ImportBytes(project, bytes);
    if (result != 0) {
        m_report.error = m_path + ": " + m_report.error;
        if (prompt) prompt->Notify(m_report.error);
    }
    return result;
}

int CDataImport::ImportBytes(CProject& project, const std::vector<std::uint8_t>& bytes) {
    m_report = ImportReport{};
    const DataTable table = ParseDataText(bytes.data(), bytes.size(), m_bNoHeader);
    if (!table.Ok()) {
        m_report.ok = false;
        m_report.error = table.error;
        return 1;
    }
    return ImportTable(project, table);
}

int CDataImport::ImportTable(CProject& project, const DataTable& table) {
    m_report = ImportReport{};
    m_report.warnings = table.warnings;
    const std::size_t firstInput = m_bScenarioNames ? 1 : 0;
    const std::size_t lastColumn = table.names.size() - 1;  // the decision
    if (firstInput >= lastColumn) {
        m_report.ok = false;
        m_report.error = "there is no input column between the names and the decision";
        return 1;
    }
    // Which rows are built, and the missing values of the columns that count.
    std::vector<std::int32_t> missing(table.names.size(), 0);
    std::vector<char> keep(table.rows.size(), 1);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const DataRow& row = table.rows[r];
        for (std::size_t c = firstInput; c <= lastColumn; ++c) {
            if (!row.cells[c].missing) continue;
            ++missing[c];
            if (m_missing == MissingValues::Refuse) {
                m_report.ok = false;
                m_report.error = Format("line %zu, column %zu (\"%s\"): a value is missing", row.line, c + 1,
                                        table.names[c].c_str());
                return 1;
            }
            if (m_missing == MissingValues::Drop) keep[r] = 0;
        }
    }
    for (char k : keep) {
        if (k)
            ++m_report.rowsRead;
        else
            ++m_report.rowsLeftOut;
    }
    if (m_report.rowsRead == 0) {
        m_report.ok = false;
        m_report.error = "every data row has a missing value; none is left to import";
        return 1;
    }
    m_report.targetMissing = missing[lastColumn];

    const bool saved = project.m_bAutoAssembly;
    project.m_bAutoAssembly = true;
    CReceptorMgr* model = project.Model();
    CScenarioMgr* sm = project.Scenarios();
    if (!model || !sm) {
        Finish(project, saved);
        return 0;
    }
    project.AddProcessors(1);

    // Inputs: a column is a Descriptor List when its first value that is not
    // missing begins with a letter.
    struct Column {
        CVariable* input = nullptr;
        std::unordered_map<std::string, std::int32_t> items;  // lower-case text -> item index
        bool ranged = false;
    };
    std::vector<Column> columns(table.names.size());
    for (std::size_t c = firstInput; c < lastColumn; ++c) {
        Trace("Import: Adding variable: %s from column: %zu", table.names[c].c_str(), c);
        VARIABLE_RECORD rec;
        rec.type = kRangedDouble;
        rec.name = table.names[c];
        rec.description = table.names[c];
        rec.variableID = static_cast<std::int32_t>(c) + kFirstImportedID;
        rec.reservedValue = 0.0;
        CVariable* v = project.m_inputs.AddVariable(rec);
        v->m_colour = kWhite;
        project.AttachNewInput(v, {0, 0});
        columns[c].input = v;
        ImportReport::Column report{table.names[c], false, {}, missing[c]};
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const DataCell& cell = table.rows[r].cells[c];
            if (!keep[r] || cell.missing) continue;
            if (std::isalpha(static_cast<unsigned char>(cell.text[0]))) {
                v->m_iType = kDescriptorList;
                report.descriptor = true;
                report.why = Format("line %zu has the text \"%s\"", table.rows[r].line, cell.text.c_str());
            }
            break;
        }
        m_report.columns.push_back(report);
    }

    std::unordered_map<std::string, COutput*> outputs;  // lower-case name -> output
    std::int32_t id = 0;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        ++id;  // scenario IDs count the data rows of the file
        if (!keep[r]) continue;
        const DataRow& row = table.rows[r];
        CScenario* s = sm->AppendScenario(id);
        s->m_name = m_bScenarioNames ? row.cells[0].text : Format("Scenario %d", id);
        const std::string& target = row.cells[lastColumn].text;
        COutput*& output = outputs[AsciiLower(target)];
        if (!output) {
            auto o = std::make_unique<COutput>();
            o->m_name = TruncateUtf16(target, 99);
            o->m_colour = kWhite;
            output = o.get();
            project.m_outputs.AddOutput(std::move(o));
            project.AttachNewOutput(output, {0, 0});
        } else if (output->m_name != target) {
            const std::string w = Format("the decisions \"%s\" and \"%s\" differ only in letter case: both are the "
                                         "output \"%s\"",
                                         output->m_name.c_str(), target.c_str(), output->m_name.c_str());
            if (std::find(m_report.warnings.begin(), m_report.warnings.end(), w) == m_report.warnings.end())
                m_report.warnings.push_back(w);
        }
        s->m_pModel = model;
        s->m_iTargetID = output->m_iActionReceptorID;

        for (std::size_t c = firstInput; c < lastColumn; ++c) {
            Column& col = columns[c];
            CVariable* v = col.input;
            const DataCell& cell = row.cells[c];
            double value;
            if (v->m_iType == kDescriptorList) {
                auto [it, added] = col.items.try_emplace(AsciiLower(cell.text), v->ItemCount());
                if (added) v->AddItem(cell.text, it->second + 10, it->second, true, kWhite);
                value = it->second;
            } else {
                value = cell.missing ? 0.0 : ParseNumber(cell.text);
                if (!col.ranged)
                    v->SetRange(value, value);
                else
                    v->SetRange(std::min(v->m_dMin, value), std::max(v->m_dMax, value));
                col.ranged = true;
            }
            s->m_inputs.push_back({v->m_iAttachedReceptorID, 0, v->m_ID, v->m_dMin, v->m_dMax, value});
        }
    }
    std::int32_t totalMissing = 0;
    for (std::size_t c = firstInput; c <= lastColumn; ++c) totalMissing += missing[c];
    if (totalMissing > 0 && m_missing == MissingValues::Keep)
        m_report.warnings.push_back(Format(
            "%d values are missing; they were imported as 0 (numbers) or as their text (categories), and a short "
            "row took the previous row's values; --missing drop leaves those rows out, --missing refuse stops",
            totalMissing));
    if (m_report.rowsLeftOut > 0)
        m_report.warnings.push_back(Format("%d rows with a missing value were left out", m_report.rowsLeftOut));
    Finish(project, saved);
    return 0;
}

void CDataImport::Finish(CProject& project, bool savedSwitch) {
    project.m_bAutoAssembly = savedSwitch;
    project.m_bModelView = true;
    project.m_name = m_title;
    FixUpPointers(project);
    for (const auto& v : project.m_inputs.m_items) {
        if (v->m_dMin == v->m_dMax) {
            const double x = v->m_dMin;
            v->SetRange(x - x * kSingleTenth, x + x * kSingleTenth);
        }
        v->SetValue(v->m_dMin);
    }
    if (CScenarioMgr* sm = project.Scenarios()) {
        sm->BuildColumns();
        sm->SortScenarios(0, kSortAscending);
    }
}

std::vector<std::string> ImportSummary(const CDataImport& import, const CProject& project) {
    const ImportReport& r = import.m_report;
    std::vector<std::string> out;
    if (!r.ok) return {"refused: " + r.error};
    out.push_back(r.rowsLeftOut ? Format("rows read: %d, left out: %d (a missing value)", r.rowsRead, r.rowsLeftOut)
                                : Format("rows read: %d", r.rowsRead));
    for (std::size_t i = 0; i < r.columns.size(); ++i) {
        const ImportReport::Column& c = r.columns[i];
        // The import made one input per column, in order.
        const CVariable* v = i < project.m_inputs.m_items.size() ? project.m_inputs.m_items[i].get() : nullptr;
        std::string line = Format("input \"%s\": ", c.name.c_str());
        if (c.descriptor && v) {
            line += Format("Descriptor List (%s), %d items:", c.why.c_str(), v->ItemCount());
            int shown = 0;
            for (const auto& it : v->m_items) {
                if (shown == 10) {
                    line += Format(" ... and %d more", v->ItemCount() - shown);
                    break;
                }
                line += (shown++ ? ", " : " ") + it->text;
            }
        } else if (v) {
            line += Format("numbers from %.6g to %.6g", v->m_dMin, v->m_dMax);
        }
        if (c.missing) line += Format("; %d missing", c.missing);
        out.push_back(line);
    }
    if (r.targetMissing) out.push_back(Format("decision column: %d missing", r.targetMissing));
    for (const auto& o : project.m_outputs.m_items) {
        std::int32_t cases = 0;
        if (const CScenarioMgr* sm = project.Scenarios())
            for (const auto& s : sm->Scenarios())
                if (s->m_iTargetID == o->m_iActionReceptorID) ++cases;
        out.push_back(Format("output \"%s\": %d cases", o->m_name.c_str(), cases));
    }
    for (const std::string& w : r.warnings) out.push_back("warning: " + w);
    return out;
}

int NewImportedProject(CProject& project, CDataImport& import, IPrompt* prompt) {
    return project.NewImportedProject(import.m_title, [&](CProject& p) { import.Import(p, prompt); });
}

}  // namespace ks
