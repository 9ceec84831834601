#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>

namespace ks {

QString ShowFileDialog(QWidget* parent, const FileRequest& r) {
    if (r.kind == FileRequest::Folder) return QFileDialog::getExistingDirectory(parent, r.title, r.directory);
    QFileDialog dialog(parent, r.title, r.directory, r.filter);
    dialog.setAcceptMode(r.kind == FileRequest::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(r.kind == FileRequest::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(r.defaultSuffix);
    if (!r.initialName.isEmpty() && !r.initialName.startsWith('*')) dialog.selectFile(r.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace ks
