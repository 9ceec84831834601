#include "files/data_import.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sys/stat.h>

#include "files/messages.h"
#include "files/project_file.h"
#include "files/safe_file.h"
#include "model/numeric.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/text.h"

namespace ks {

namespace {

constexpr std::int32_t kFirstImportedID = 100;  // variable ID = column + 100
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

bool IsSeparator(std::uint8_t c) { return c == ',' || c == ';' || c == '\t'; }

// Text-to-double as the C library's atof reads it, but independent of the
// process locale (the app's toolkit sets one): leading blanks, an optional
// sign, then the longest number; no number gives 0.
double ParseNumber(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i < s.size() && s[i] == '+') {
        ++i;
        if (i < s.size() && s[i] == '-') return 0.0;
    }
    double v = 0.0;
    const auto r = std::from_chars(s.data() + i, s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // A magnitude beyond double gives infinity; one below the smallest gives 0.
        const bool negative = i < s.size() && s[i] == '-';
        std::size_t e = i + (negative ? 1 : 0);
        bool large = false;
        for (std::size_t k = e; k < s.size(); ++k) {
            if (s[k] == 'e' || s[k] == 'E') {
                large = k + 1 < s.size() && s[k + 1] != '-';
                break;
            }
        }
        if (!large && e < s.size() && s[e] != '0' && s[e] != '.') large = true;
        return large ? (negative ? -HUGE_VAL : HUGE_VAL) : 0.0;
    }
    return r.ec == std::errc() ? v : 0.0;
}

// Case-insensitive for ASCII letters, exact for everything else.
bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Lines as the C library's text-mode line reader hands them over: CR LF
// arrives as LF, and at most kMaxLine bytes come per read.
class LineReader {
public:
    explicit LineReader(const std::vector<std::uint8_t>& bytes) {
        m_text.reserve(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
            m_text.push_back(static_cast<char>(bytes[i]));
        }
    }
    bool Next(std::string& line) {
        line.clear();
        while (m_pos < m_text.size() && line.size() < CDataImport::kMaxLine) {
            const char c = m_text[m_pos++];
            line.push_back(c);
            if (c == '\n') break;
        }
        return !line.empty();
    }

private:
    std::string m_text;
    std::size_t m_pos = 0;
};

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
    struct stat st;
    if (!m_bFileChosen || stat(m_path.c_str(), &st) != 0) return 0;
    const bool saved = project.m_bAutoAssembly;
    project.m_bAutoAssembly = true;
    std::vector<std::uint8_t> bytes;
    const FileResult r = ReadWholeFile(m_path, bytes, kMaxFileBytes);
    if (!r.ok) {
        if (prompt) prompt->Notify(msg::kImportCannotOpen);
        Finish(project, saved);
        return 0;
    }
    ImportBytes(project, bytes);
    project.m_bAutoAssembly = saved;
    return 0;
}

void CDataImport::ImportBytes(CProject& project, const std::vector<std::uint8_t>& bytes) {
    const bool saved = project.m_bAutoAssembly;
    project.m_bAutoAssembly = true;
    CReceptorMgr* model = project.Model();
    CScenarioMgr* sm = project.Scenarios();
    if (!model || !sm) {
        Finish(project, saved);
        return;
    }
    project.AddProcessors(1);

    std::array<std::string, kMaxFields> slots;  // kept from line to line, as the parser's buffer is
    LineReader reader(bytes);
    std::string line;
    std::size_t lastColumn = 0;  // S: the header's separator count, the target column
    const std::size_t firstInput = m_bScenarioNames ? 1 : 0;
    for (std::int32_t row = 0; reader.Next(line); ++row) {
        if (line[0] == '\n') break;
        Trace("\n****** - LINE READ - ********************\n%s****** - DONE LINE READ - ********************",
              line.c_str());
        // Split: separators anywhere, no quoting, no trimming.
        std::size_t column = 0, separators = 0, end = 0;
        std::string field;
        auto closeField = [&] {
            if (column < kMaxFields) slots[column] = TruncateUtf8Bytes(field, kMaxField);
            field.clear();
        };
        for (; end < line.size() && end < kMaxLine + 1; ++end) {
            const auto c = static_cast<std::uint8_t>(line[end]);
            if (c == '\n' || c == 0) break;
            if (IsSeparator(c)) {
                closeField();
                Trace("iCurrPos: %zu, row: %d, column: %zu, text: %s", end, row, column,
                      column < kMaxFields ? slots[column].c_str() : "");
                ++column;
                ++separators;
            } else if (field.size() <= kMaxField) {
                field.push_back(static_cast<char>(c));
            }
        }
        closeField();
        if (end < 3) break;

        if (row == 0) {
            lastColumn = std::min(separators, kMaxFields - 1);
            for (std::size_t c = firstInput; c < lastColumn; ++c) {
                Trace("Import: Adding variable: %s from column: %zu", slots[c].c_str(), c);
                VARIABLE_RECORD rec;
                rec.type = kRangedDouble;
                rec.name = slots[c];
                rec.description = slots[c];
                rec.variableID = static_cast<std::int32_t>(c) + kFirstImportedID;
                rec.reservedValue = 0.0;
                CVariable* v = project.m_inputs.AddVariable(rec);
                v->m_colour = kWhite;
                project.AttachNewInput(v, {0, 0});
            }
            continue;
        }

        CScenario* s = sm->AppendScenario(row);
        s->m_name = m_bScenarioNames ? slots[0] : Format("Scenario %d", row);
        const std::string& target = slots[lastColumn];
        COutput* output = nullptr;
        for (const auto& o : project.m_outputs.m_items)
            if (o->m_name == target) {
                output = o.get();
                break;
            }
        if (!output) {
            auto o = std::make_unique<COutput>();
            o->m_name = TruncateUtf16(target, 99);
            o->m_colour = kWhite;
            output = o.get();
            project.m_outputs.AddOutput(std::move(o));
            project.AttachNewOutput(output, {0, 0});
        }
        s->m_pModel = model;
        s->m_iTargetID = output->m_iActionReceptorID;

        for (std::size_t c = firstInput; c < lastColumn; ++c) {
            const auto id = static_cast<std::int32_t>(c) + kFirstImportedID;
            CVariable* v = project.m_inputs.Find(id);
            if (!v) {
                Trace("************** ALERT ******************************");
                Trace("Trying to update varID: %d, in column: %zu, but cannot find the variable!", id, c);
                Trace("************** END ALERT ******************************");
                continue;
            }
            const std::string& text = slots[c];
            if (row == 1 && !text.empty() && std::isalpha(static_cast<unsigned char>(text[0]))) {
                v->m_iType = kDescriptorList;
                Trace("Alpha character detected! : %s", text.c_str());
            }
            double value;
            if (v->m_iType == kDescriptorList) {
                VARIABLE_ITEM* item = nullptr;
                for (const auto& it : v->m_items)
                    if (SameTextIgnoringCase(it->text, text)) {
                        item = it.get();
                        break;
                    }
                if (!item) {
                    const std::int32_t index = v->ItemCount();
                    item = v->AddItem(text, index + 10, index, true, kWhite);
                }
                value = item->index;
            } else {
                value = ParseNumber(text);
                if (row == 1)
                    v->SetRange(value, value);
                else
                    v->SetRange(std::min(v->m_dMin, value), std::max(v->m_dMax, value));
            }
            s->m_inputs.push_back({v->m_iAttachedReceptorID, 0, v->m_ID, v->m_dMin, v->m_dMax, value});
        }
    }
    Finish(project, saved);
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

int NewImportedProject(CProject& project, CDataImport& import, IPrompt* prompt) {
    return project.NewImportedProject(import.m_title, [&](CProject& p) { import.Import(p, prompt); });
}

}  // namespace ks
