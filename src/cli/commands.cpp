#include "cli/commands.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "files/c_export.h"
#include "files/code_size.h"
#include "files/export_verify.h"
#include "files/data_import.h"
#include "files/header_file.h"
#include "files/messages.h"
#include "files/project_file.h"
#include "model/project.h"
#include "model/prompt.h"
#include "model/random.h"
#include "model/text.h"
#include "qt/qsettings_store.h"
#include "session/session.h"

namespace ks::cli {

namespace {

constexpr std::int32_t kViewWidth = 720;   // the largest model view
constexpr std::int32_t kViewHeight = 420;

}  // namespace

int SaveProject(const std::string& path, const CProject& p) {
    const FileResult r = SaveProjectFile(path, p);
    if (!r.ok) return Report(r.message);  // it names the file
    return kOk;
}

bool Load(const std::string& path, CProject& p, int& code) {
    const FileResult r = LoadProjectFile(path, p);
    if (!r.ok) {
        code = Report(r.message);
        return false;
    }
    return true;
}


std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += Format("\\u%04x", c);
            else
                out += c;
        }
    }
    return out + "\"";
}


int Fail(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "kestrine-cli: %s: %s\n", what.c_str(), why.c_str());
    return kFailed;
}

int Report(const std::string& message) {
    std::fprintf(stderr, "kestrine-cli: %s\n", message.c_str());
    return kFailed;
}

namespace {

std::string LowerExtension(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return {};
    std::string e = name.substr(dot);
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

// Extensions that say what a file is; a write of another kind to one of them is a slip.
const char* KindOfExtension(const std::string& e) {
    if (e == ".ksm") return "a project file";
    if (e == ".ksr") return "a runtime file";
    if (e == ".csv" || e == ".tsv" || e == ".txt" || e == ".data") return "a data file";
    if (e == ".h" || e == ".c") return "C source";
    if (e == ".json") return "a JSON file";
    return nullptr;
}

}  // namespace

int CheckOutput(const std::string& output, OutputKind kind, const std::vector<std::string>& inputs, bool force) {
    std::error_code ec;
    if (std::filesystem::is_directory(output, ec)) return Report("cannot write " + output + ": it is a folder");
    for (const std::string& in : inputs)
        if (const FileResult r = CheckNotSameFile(in, output); !r.ok) return Report(r.message);
    if (force) return kOk;
    const std::string e = LowerExtension(output);
    const char* says = KindOfExtension(e);
    const char* wanted = kind == OutputKind::Project ? ".ksm" : kind == OutputKind::Runtime ? ".ksr" : nullptr;
    const bool slip = says && (wanted ? e != wanted : (e == ".ksm" || e == ".ksr"));
    if (slip)
        return Report(Format("not writing %s: its name says %s (%s); use --force to write it anyway", output.c_str(), says,
                             e.c_str()));
    return kOk;
}

int New(const NewOptions& o) {
    if (CheckOutput(o.output, OutputKind::Project, {}, o.force) != kOk) return kFailed;
    QSettingsStore store;
    SeedRandom(o.seed);
    CProject p(&store);
    ConsolePrompt prompt;
    CSession session(p, prompt, &store);
    session.NewProject();
    p.m_name = o.name;
    return SaveProject(o.output, p);
}

int Import(const ImportOptions& o) {
    if (CheckOutput(o.output, OutputKind::Project, {o.data}, o.force) != kOk) return kFailed;
    QSettingsStore store;
    CDataImport import;
    import.Choose(o.data);
    if (!import.m_bFileChosen) return Fail("importing " + o.data, "no such file");
    import.m_bScenarioNames = o.names;
    import.m_bNoHeader = o.noHeader;
    if (o.missing == "drop")
        import.m_missing = MissingValues::Drop;
    else if (o.missing == "refuse")
        import.m_missing = MissingValues::Refuse;
    SeedRandom(o.seed);
    CProject p(&store);
    ConsolePrompt prompt;  // says why a file is refused, naming it
    CSession session(p, prompt, &store);
    session.ImportProject(import, o.bias);
    if (!import.m_report.ok) return kFailed;
    p.AlignInView(kViewWidth, kViewHeight);
    p.UpdateNetwork();
    // What was built goes to standard output, the warnings to standard error.
    for (const std::string& line : ImportSummary(import, p)) {
        if (line.rfind("warning: ", 0) == 0)
            std::fprintf(stderr, "kestrine-cli: %s\n", line.c_str());
        else if (!o.quiet)
            std::printf("%s\n", line.c_str());
    }
    return SaveProject(o.output, p);
}

namespace {

const char* TypeName(std::int32_t type) {
    switch (type) {
    case kBoolean: return "Boolean";
    case kRangedInteger: return "Ranged Integer";
    case kDescriptorList: return "Descriptor List";
    default: return "Ranged Double";
    }
}


std::string Hex(COLORREF c) {  // 0x00BBGGRR as #RRGGBB
    return Format("#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace

std::string JsonNumber(double v) { return std::isfinite(v) ? Format("%.17g", v) : "null"; }

int Info(const std::string& file, bool json) {
    CProject p;
    int code = kOk;
    if (!Load(file, p, code)) return code;
    const CReceptorMgr& m = *p.Model();
    const int scenarios = p.Scenarios() ? p.Scenarios()->Count() : 0;
    if (json) {
        std::string in = "[", out = "[";
        for (const auto& v : p.m_inputs.m_items) {
            if (in.size() > 1) in += ", ";
            in += Format("{\"name\": %s, \"id\": %d, \"type\": %s", JsonString(v->m_name).c_str(), v->m_ID,
                         JsonString(TypeName(v->m_iType)).c_str());
            if (v->m_iType == kDescriptorList) {
                in += ", \"items\": [";
                for (std::size_t i = 0; i < v->m_items.size(); ++i)
                    in += (i ? ", " : "") + JsonString(v->m_items[i]->text);
                in += "]";
            } else {
                in += ", \"minimum\": " + JsonNumber(v->m_dMin) + ", \"maximum\": " + JsonNumber(v->m_dMax);
            }
            in += ", \"value\": " + JsonNumber(v->m_dValue) + "}";
        }
        for (const auto& o : p.m_outputs.m_items) {
            if (out.size() > 1) out += ", ";
            out += Format("{\"name\": %s, \"id\": %d, \"colour\": \"%s\"}", JsonString(o->m_name).c_str(), o->m_ID,
                          Hex(o->m_colour).c_str());
        }
        std::printf(
            "{\"name\": %s, \"inputs\": %d, \"outputs\": %d, \"receptors\": %zu, \"sensors\": %d, "
            "\"processors\": %d, \"biases\": %d, \"actions\": %d, \"connections\": %zu, \"scenarios\": %d, "
            "\"model_type\": %d, \"learn_rate\": %s, \"momentum\": %s, \"reset_limit\": %d, "
            "\"tolerance\": %s, \"input_list\": %s], \"output_list\": %s]}\n",
            JsonString(p.m_name).c_str(), p.m_inputs.Count(), p.m_outputs.Count(), m.m_receptors.size(),
            m.CountReceptors(kSensor), m.CountReceptors(kProcessor), m.CountReceptors(kBias),
            m.CountReceptors(kAction), m.m_connections.size(), scenarios, m.m_iModelType,
            JsonNumber(m.m_dLearnRate).c_str(), JsonNumber(m.m_dMomentum).c_str(), m.m_iResetLimit,
            JsonNumber(m.m_dTolerance).c_str(), in.c_str(), out.c_str());
        return kOk;
    }
    std::printf("name: %s\n", p.m_name.c_str());
    std::printf("inputs: %d\noutputs: %d\n", p.m_inputs.Count(), p.m_outputs.Count());
    std::printf("receptors: %zu (sensors %d, processors %d, biases %d, actions %d)\n", m.m_receptors.size(),
                m.CountReceptors(kSensor), m.CountReceptors(kProcessor), m.CountReceptors(kBias),
                m.CountReceptors(kAction));
    std::printf("connections: %zu\nscenarios: %d\n", m.m_connections.size(), scenarios);
    std::printf("learn rate: %g\nmomentum: %g\nreset limit: %d\ntolerance: %g\n", m.m_dLearnRate, m.m_dMomentum,
                m.m_iResetLimit, m.m_dTolerance);
    for (const auto& v : p.m_inputs.m_items) {
        std::string line = Format("input \"%s\" (ID %d): %s", v->m_name.c_str(), v->m_ID, TypeName(v->m_iType));
        if (v->m_iType == kDescriptorList) {
            line += ", items:";
            for (std::size_t i = 0; i < v->m_items.size(); ++i) line += (i ? ", " : " ") + v->m_items[i]->text;
        } else if (v->m_iType != kBoolean) {
            line += Format(" from %g to %g", v->m_dMin, v->m_dMax);
        }
        std::printf("%s; value %s\n", line.c_str(), v->ValueText().c_str());
    }
    for (const auto& o : p.m_outputs.m_items)
        std::printf("output \"%s\" (ID %d): colour %s\n", o->m_name.c_str(), o->m_ID, Hex(o->m_colour).c_str());
    return kOk;
}

int Export(const ExportOptions& o) {
    if (o.output.empty() && o.cSourceDir.empty()) {
        std::fprintf(stderr, "kestrine-cli: usage: export needs -o FILE.ksr, --c-source DIR or both\n");
        return kUsage;
    }
    if (o.cInput == "fixed" && o.cType != "fixed") {
        std::fprintf(stderr, "kestrine-cli: usage: --c-input fixed needs --c-type fixed (the others take inputs in their own type)\n");
        return kUsage;
    }
    if (!o.cSourceDir.empty() && !IsValidCPrefix(o.cPrefix))
        return Report("the C prefix \"" + o.cPrefix + "\" is not a C identifier (letters, digits and _)");
    CProject p;
    int code = kOk;
    if (!Load(o.file, p, code)) return code;
    if (!p.Model()) return Report("cannot export " + o.file + ": the project has no network");
    // Everything is checked and made before anything is written, and written
    // all or nothing: a failed export leaves no part of itself behind.
    std::vector<FileToWrite> files;
    std::string headerPath, sizes;
    int inputs = 0, outputs = 0;
    if (!o.output.empty()) {
        if (CheckOutput(o.output, OutputKind::Runtime, {o.file}, o.force) != kOk) return kFailed;
        const auto slash = o.output.find_last_of('/');
        headerPath = (slash == std::string::npos ? std::string() : o.output.substr(0, slash + 1)) + msg::kHeaderFileName;
        if (CheckOutput(headerPath, OutputKind::Text, {o.file, o.output}, true) != kOk) return kFailed;
        const std::string header = BuildHeaderText(p, &inputs, &outputs);
        files.push_back({headerPath, {header.begin(), header.end()}});
        files.push_back({o.output, RuntimeBytes(p)});
    }
    if (!o.cSourceDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(o.cSourceDir, ec);
        if (!std::filesystem::is_directory(o.cSourceDir))
            return Report("cannot create the folder " + o.cSourceDir + (ec ? ": " + ec.message() : std::string()));
        const CNumberType type = o.cType == "float" ? CNumberType::Float : o.cType == "fixed" ? CNumberType::Fixed : CNumberType::Double;
        const CheckedCSource checked = MakeCheckedCSource(p, type, o.cPrefix, o.verify, o.cInput == "fixed");
        if (!checked.refusal.empty()) return Report("cannot export " + o.file + " as " + o.cType + " C source: " + checked.refusal);
        for (const std::string& line : checked.lines) std::printf("%s\n", line.c_str());
        if (!checked.agrees && !o.force)
            return Report("nothing written: a scenario would be decided differently by the " + o.cType +
                          " C source (--force writes it anyway)");
        const CSource& c = checked.source;
        sizes = checked.sizes;
        for (const auto& [name, text] : {std::pair{c.headerName, c.header}, std::pair{c.sourceName, c.source}}) {
            const std::string path = o.cSourceDir + "/" + name;
            if (CheckOutput(path, OutputKind::Text, {o.file, o.output}, true) != kOk) return kFailed;
            files.push_back({path, {text.begin(), text.end()}});
        }
    }
    if (const FileResult r = WriteFilesAtomically(files); !r.ok) return Report(r.message);
    if (!o.output.empty())
        if (const std::vector<std::string> bad = NamesNotValidInHeader(p); !bad.empty()) {
            std::string list;
            for (std::size_t i = 0; i < bad.size() && i < 5; ++i) list += (i ? ", \"" : "\"") + bad[i] + "\"";
            if (bad.size() > 5) list += Format(" and %zu more", bad.size() - 5);
            std::fprintf(stderr,
                         "kestrine-cli: warning: %s uses names that are not C identifiers (%s), so it will not compile "
                         "as it is; the header export --c-source writes (%s_net.h) has valid names for every input "
                         "and output\n",
                         headerPath.c_str(), list.c_str(), o.cPrefix.c_str());
        }
    if (!o.output.empty()) {
        std::printf("%s\n", Format(msg::kHeaderWritten, inputs, outputs, headerPath.c_str()).c_str());
        std::printf(msg::kRuntimeReady, p.m_name.c_str());
        std::printf("\n");
    }
    if (!o.cSourceDir.empty())
        std::printf("C source written: %s/%s_net.h and %s_net.c\n", o.cSourceDir.c_str(), o.cPrefix.c_str(),
                    o.cPrefix.c_str());
    if (!sizes.empty()) {
        std::printf("%s\n", sizes.c_str());
        // The code's size depends on the compiler and the target: measured with the one asked for.
        std::printf("%s\n", DescribeCodeSize(MeasureCodeSize(o.cSourceDir + "/" + o.cPrefix + "_net.c")).c_str());
    }
    return code;
}


}  // namespace ks::cli
