#include "cli/commands.h"

#include <cmath>
#include <cstdio>

#include "files/c_export.h"
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
    if (!r.ok) return Fail("saving " + path, r.message);
    return kOk;
}

bool Load(const std::string& path, CProject& p, int& code) {
    const FileResult r = LoadProjectFile(path, p);
    if (!r.ok) {
        code = Fail("opening " + path, r.message);
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

int New(const NewOptions& o) {
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
    CProject p;
    int code = kOk;
    if (!Load(o.file, p, code)) return code;
    const auto slash = o.output.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : o.output.substr(0, slash + 1);
    ConsolePrompt prompt;
    CSession session(p, prompt);
    FileResult header;
    const FileResult runtime = session.ExportRuntime(o.output, &header);
    if (!header.ok) {
        // The runtime file is still written, as the export command does.
        Fail("writing " + folder + msg::kHeaderFileName, header.detail.empty() ? header.message : header.detail);
        code = kFailed;
    } else {
        std::printf("%s\n", header.message.c_str());
    }
    if (!runtime.ok) return Fail("writing " + o.output, runtime.message);
    std::printf(msg::kRuntimeReady, p.m_name.c_str());
    std::printf("\n");
    if (!o.cSourceDir.empty()) {
        const FileResult c = session.ExportCSource(o.cSourceDir, o.cPrefix);
        if (!c.ok) return Fail("writing the C source", c.message);
        std::printf("C source written: %s/%s_net.h and %s_net.c\n", o.cSourceDir.c_str(), o.cPrefix.c_str(),
                    o.cPrefix.c_str());
    }
    return code;
}

}  // namespace ks::cli
