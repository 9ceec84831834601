// Starting, opening, saving, closing and exporting the session's project.
#include "files/byte_io.h"
#include "files/c_export.h"
#include "files/code_size.h"
#include "files/c_export_small.h"
#include "files/export_verify.h"
#include "files/data_import.h"
#include "files/header_file.h"
#include "files/messages.h"
#include "files/project_file.h"
#include "session/session.h"

namespace ks {

void CSession::NewProject() {
    m_runner.Stop();
    ForgetRun();
    m_runner.Locked([&] {
        m_project.ClearProject();
        m_project.m_name.clear();
        m_project.NewProject(kProjectNew);
        m_project.m_bAutoAssembly = true;
        m_project.UpdateNetwork();
    });
    Changed(kChangedProject | kChangedElements | kChangedLayout | kChangedNetwork | kChangedScenarios | kChangedTraining);
}

void CSession::ImportProject(CDataImport& request, bool withBiases) {
    m_runner.Stop();
    ForgetRun();
    m_runner.Locked([&] {
        NewImportedProject(m_project, request, m_prompt);
        m_project.EnsureProcessors();
        if (withBiases && m_project.Model()) {
            for (std::int32_t kind : {kProcessor, kAction}) ::ks::AddBiasToKind(*m_project.Model(), kind);
            m_project.Model()->ClearSelection();
        }
        m_project.UpdateNetwork();
    });
    Changed(kChangedProject | kChangedElements | kChangedLayout | kChangedNetwork | kChangedScenarios | kChangedTraining);
}

void CSession::CloseProject() {
    m_runner.Stop();  // joins the training thread before anything is deleted
    ForgetRun();
    m_runner.Locked([&] { m_project.ClearProject(); });
    Changed(kChangedProject | kChangedElements | kChangedLayout | kChangedNetwork | kChangedScenarios | kChangedTraining);
}

FileResult CSession::Open(const std::string& path) {
    CProject fresh;
    const FileResult r = ReadProjectFile(path, fresh);
    if (r.ok) OpenLoaded(fresh, path);
    return r;
}

void CSession::OpenLoaded(CProject& fresh, const std::string& path, bool scored) {
    m_runner.Stop();
    m_runner.Locked([&] { InstallLoaded(fresh, path, m_project); });
    ForgetRun();
    // A project file keeps no scores: the list and the panel show what the loaded network knows.
    // The counts the window shows are the project's own: made again here
    // (the same evaluation that scoring ends with, so nothing else changes).
    m_runner.Locked([&] {
        if (scored)
            m_project.UpdateNetwork();
        else
            m_project.ScoreScenariosKeepingInputs();
    });
    Changed(kChangedProject | kChangedElements | kChangedNetwork | kChangedScenarios | kChangedTraining);
}

std::vector<std::uint8_t> CSession::Image() {
    if (!m_project.m_bOpen) return {};
    return m_runner.Locked([&] { return ProjectBytes(m_project); });
}

FileResult CSession::SaveTo(const std::string& path, const std::vector<std::uint8_t>& image) {
    return WriteFileAtomically(path, image);
}

FileResult CSession::ExportRuntime(const std::string& path, FileResult* header) {
    if (!m_project.m_bOpen) return {false, msg::kNoProjectToExport, {}};
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const FileResult h = m_runner.Locked([&] { return WriteHeaderFile(folder + msg::kHeaderFileName, m_project); });
    if (header) *header = h;
    return m_runner.Locked([&] { return SaveRuntimeFile(path, m_project); });
}

FileResult CSession::ExportCSource(const std::string& folder, const std::string& prefix, CNumberType type,
                                   std::vector<std::string>* report,
                                   const std::function<bool(const std::vector<std::string>&)>& writeAnyway,
                                   bool fixedInputs) {
    if (type == CNumberType::Double) return m_runner.Locked([&] { return WriteCSource(folder, m_project, prefix); });
    if (!IsValidCPrefix(prefix)) return WriteCSource(folder, m_project, prefix);  // says why
    if (!m_runner.Locked([&] { return m_project.Model() != nullptr; })) return {false, "The project has no network to export.", {}};
    const CheckedCSource checked =
        m_runner.Locked([&] { return MakeCheckedCSource(m_project, type, prefix, true, fixedInputs); });
    if (!checked.refusal.empty())
        return {false, std::string("The network cannot be written in ") + NumberTypeName(type) + ": " + checked.refusal + ".", {}};
    if (report) *report = checked.lines;
    if (!checked.agrees && !(writeAnyway && writeAnyway(checked.lines)))
        return {false, "Nothing was written: the C source would decide some scenarios differently from the network.", {}};
    const CSource& c = checked.source;
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    const FileResult written = WriteFilesAtomically({{dir + c.headerName, {c.header.begin(), c.header.end()}},
                                                     {dir + c.sourceName, {c.source.begin(), c.source.end()}}});
    if (written.ok && report && !checked.sizes.empty()) {
        report->push_back(checked.sizes);
        report->push_back(DescribeCodeSize(MeasureCodeSize(dir + c.sourceName)));
    }
    return written;
}

// ------------------------------------------------------------------- undo

namespace {
constexpr std::size_t kUndoSteps = 50;
}  // namespace

UndoStep CSession::Capture(const char* name) {
    UndoStep step{name, Image(), {}};
    m_runner.Locked([&] {
        if (const CReceptorMgr* m = m_project.Model())
            for (const auto& r : m->m_receptors) step.labels.emplace_back(r->m_ID, r->m_label);
    });
    return step;
}

bool CSession::Checkpoint(const char* name) {
    if (!m_project.m_bOpen || Training()) return false;
    m_undo.push_back(Capture(name));
    if (m_undo.size() > kUndoSteps) m_undo.erase(m_undo.begin());
    m_redo.clear();
    return true;
}

bool CSession::Restore(const UndoStep& step) {
    const std::vector<std::uint8_t>& image = step.image;
    const std::string name = m_project.m_name;
    const std::int32_t type = m_project.m_iProjectType;
    const std::string modelName = m_project.Model() ? m_project.Model()->m_name : std::string();
    const FileResult r = m_runner.Locked([&] { return LoadProjectBytes(image, "undo", m_project); });
    if (!r.ok) return false;
    m_runner.Locked([&] {
        m_project.m_name = name;
        m_project.m_iProjectType = type;
        if (CReceptorMgr* m = m_project.Model()) {
            m->m_name = modelName;
            for (const auto& [id, label] : step.labels)
                if (CReceptor* r = m->FindReceptor(id)) r->m_label = label;
        }
        m_project.ScoreScenariosKeepingInputs();
    });
    Changed(kChangedProject | kChangedElements | kChangedLayout | kChangedNetwork | kChangedScenarios | kChangedTraining);
    return true;
}

bool CSession::Step(std::vector<UndoStep>& from, std::vector<UndoStep>& to) {
    if (from.empty() || Training() || !m_project.m_bOpen) return false;
    UndoStep step = std::move(from.back());
    from.pop_back();
    to.push_back(Capture(step.name.c_str()));
    if (!Restore(step)) {
        // A state that cannot be read back is dropped rather than half applied.
        to.pop_back();
        return false;
    }
    return true;
}

bool CSession::Undo() { return Step(m_undo, m_redo); }

bool CSession::Redo() { return Step(m_redo, m_undo); }

}  // namespace ks
