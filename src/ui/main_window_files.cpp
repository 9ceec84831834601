// Starting, opening, saving and closing projects.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "files/project_file.h"

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

FileResult CVeltrinoDlg::ReadProjectShowingProgress(const std::string& path, CProject& loaded,
                                                    std::vector<std::uint8_t>& image) {
    // A small file is read at once; a big one on a thread of its own, while
    // the window stays drawn and says how far the reading is.
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size < m_backgroundLoadBytes) return ReadProjectFile(path, loaded);
    LoadProgress progress;
    FileResult result;
    std::atomic<bool> finished{false};
    std::thread reader([&] {
        // The thread also makes the image unsaved changes are measured
        // against: the project as opening leaves it (installed, scored),
        // which the window's own opening repeats exactly.
        CProject fresh;
        result = ReadProjectFile(path, fresh, &progress);
        if (result.ok) {
            InstallLoaded(fresh, path, loaded);
            loaded.ScoreScenariosKeepingInputs();
            image = ProjectBytes(loaded);
        }
        finished = true;
    });
    const QString name = QFileInfo(QString::fromStdString(path)).fileName();
    QProgressDialog dialog(QString("Opening %1...").arg(name), "Cancel", 0, 1000, this);
    dialog.setWindowTitle("Open Project");
    dialog.setWindowModality(Qt::ApplicationModal);  // nothing else happens to the window meanwhile
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setMinimumDuration(0);
    connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { progress.cancelled = true; });
    QEventLoop wait;
    QTimer poll;
    poll.setInterval(30);
    connect(&poll, &QTimer::timeout, &wait, [&] {
        const std::uint64_t total = progress.total, done = progress.done;
        if (total > 0) dialog.setValue(static_cast<int>(done * 1000 / total));
        if (finished) wait.quit();
    });
    dialog.show();
    poll.start();
    wait.exec();
    reader.join();
    return result;
}

bool CVeltrinoDlg::OpenProjectFile(const std::string& path) {
    StopActivity();
    CProject loaded;
    std::vector<std::uint8_t> image;
    const FileResult r = ReadProjectShowingProgress(path, loaded, image);
    if (!r.ok) {
        if (!r.message.empty()) m_prompt->Notify(r.message);  // empty: the user cancelled
        return false;
    }
    {
        // The loaded project shows on the Scenarios tab, filled once as the session reports the change.
        const QSignalBlocker quiet(m_listTabs);
        m_listTab = 2;
        m_listTabs->setCurrentIndex(2);
    }
    m_session->OpenLoaded(loaded, path, !image.empty());
    m_fileTitle = QFileInfo(QString::fromStdString(path)).completeBaseName();
    const int inputsOffset = m_project.m_inputs.m_iOffset, outputsOffset = m_project.m_outputs.m_iOffset;
    m_savePath.clear();
    m_view->Attach(&m_project, m_runner, m_prompt);
    m_project.m_inputs.m_iOffset = inputsOffset;  // the loaded bars keep their scroll
    m_project.m_outputs.m_iOffset = outputsOffset;
    m_view->LayoutBars(false);
    m_view->m_bDrawingEnabled = true;
    RefreshPanels();
    Redraw();
    m_savedImage = image.empty() ? ProjectImage() : std::move(image);
    return true;
}

}  // namespace ks
