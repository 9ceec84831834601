// Starting, opening, saving and closing projects.
#include <QDir>
#include <QFileInfo>

#include "files/messages.h"
#include "model/text.h"
#include "ui/main_window.h"
#include "ui/ui_messages.h"

namespace ks {

QString CVeltrinoDlg::ChooseFile(FileRequest request) {
    // Relative paths the user types resolve against the start directory.
    QDir::setCurrent(m_startDir);
    if (request.directory.isEmpty()) request.directory = m_startDir;
    const QString path = chooseFile(this, request);
    QDir::setCurrent(m_startDir);
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

bool CVeltrinoDlg::SaveProject() {
    return m_savePath.empty() ? SaveProjectAs() : SaveProjectTo(QString::fromStdString(m_savePath));
}

bool CVeltrinoDlg::SaveProjectAs() {
    if (!m_project.m_bOpen) {
        m_prompt->Notify(msg::kNothingToSave);
        return false;
    }
    const QString path = ChooseFile({FileRequest::Save, "Save As", "Kestrine Models (*.ksm);;All Files (*.*)", "ksm", "*.ksm", {}});
    return !path.isEmpty() && SaveProjectTo(path);
}

bool CVeltrinoDlg::SaveProjectTo(const QString& path) {
    // The bytes written are also what later changes are measured against.
    std::vector<std::uint8_t> image = ProjectImage();
    const FileResult r = m_session->SaveTo(path.toStdString(), image);
    if (!r.ok) {
        m_prompt->Notify(r.message);
        return false;
    }
    m_savePath = path.toStdString();
    m_savedImage = std::move(image);
    m_fileTitle = QFileInfo(path).completeBaseName();
    m_prompt->Notify(Format(msg::kFileSaved, m_fileTitle.toStdString().c_str()));
    return true;
}

bool CVeltrinoDlg::OfferToSave() {
    if (!m_project.m_bOpen) return true;
    switch (m_prompt->Ask(msg::kSaveBeforeNew, Buttons::YesNoCancel)) {
    // A save that is cancelled or fails keeps the project: nothing is dropped unsaved.
    case Answer::Yes: return SaveProject();
    case Answer::No: CloseProject(); return true;
    default: return false;
    }
}

std::vector<std::uint8_t> CVeltrinoDlg::ProjectImage() { return m_session->Image(); }

bool CVeltrinoDlg::HasUnsavedChanges() { return m_project.m_bOpen && ProjectImage() != m_savedImage; }

bool CVeltrinoDlg::OfferToSaveChanges(const char* question) {
    if (!HasUnsavedChanges()) return true;
    switch (m_prompt->Ask(question, Buttons::YesNoCancel)) {
    case Answer::Yes: return SaveProject();
    case Answer::No: return true;
    default: return false;
    }
}

void CVeltrinoDlg::CloseProject() {
    StopActivity();
    m_session->CloseProject();
    m_savePath.clear();
    AttachProject();
    BuildListColumns();
    FillList();
}

bool CVeltrinoDlg::NewOrOpenProject(int type) {
    m_trainingTimer.stop();
    m_runner->Stop();
    if (!OfferToSave()) return false;
    if (type == kProjectLoaded) {
        const QString path = ChooseFile({FileRequest::Open, "Open Project", "Kestrine Models (*.ksm);;All Files (*.*)", "ksm", "*.ksm", {}});
        // Only existing files whose extension is exactly "ksm" are read.
        if (path.isEmpty() || !QFileInfo::exists(path) || QFileInfo(path).suffix() != "ksm") return false;
        return OpenProjectFile(path.toStdString());
    }
    CloseProject();
    m_session->NewProject();
    AttachProject();
    m_savedImage = ProjectImage();  // an untouched new project has nothing to lose
    return true;
}

bool CVeltrinoDlg::OpenProjectFile(const std::string& path) {
    StopActivity();
    const FileResult r = m_session->Open(path);
    if (!r.ok) {
        m_prompt->Notify(r.message);
        return false;
    }
    m_fileTitle = QFileInfo(QString::fromStdString(path)).completeBaseName();
    const int inputsOffset = m_project.m_inputs.m_iOffset, outputsOffset = m_project.m_outputs.m_iOffset;
    m_savePath.clear();
    m_view->Attach(&m_project, m_runner, m_prompt);
    m_project.m_inputs.m_iOffset = inputsOffset;  // the loaded bars keep their scroll
    m_project.m_outputs.m_iOffset = outputsOffset;
    m_view->LayoutBars(false);
    SelectListTab(2);
    RefreshPanels();
    Redraw();
    m_savedImage = ProjectImage();
    return true;
}

}  // namespace ks
