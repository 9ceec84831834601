#pragma once
// File choosers behind one seam, so that tests can answer them.
#include <QString>
#include <functional>

class QWidget;

namespace ks {

struct FileRequest {
    enum Kind { Open, Save, Folder } kind = Open;
    QString title;
    QString filter;          // Qt filter string, entries separated by ";;"
    QString defaultSuffix;   // added when the typed name has none
    QString initialName;     // "*.ksm" shows the filter's pattern
    QString directory;       // where the dialog starts
};

// Returns the chosen path, or an empty string when the user cancels.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;

QString ShowFileDialog(QWidget* parent, const FileRequest& request);

}  // namespace ks
