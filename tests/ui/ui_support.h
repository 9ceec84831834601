#pragma once
// Helpers shared by the desktop app's tests.
#include <QApplication>
#include <QPointer>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>

#include "model/project.h"
#include "support/recording_prompt.h"
#include "model/training_defaults.h"
#include "ui/main_window.h"

namespace ks::test {

inline void Shot(QWidget& w, const char* name) {
    QDir().mkpath(KESTRINE_ARTIFACTS);
    w.grab().save(QString(KESTRINE_ARTIFACTS) + "/" + name + ".png");
}

// Runs `act` on the next modal dialog of type D once it is open. A check
// that fails inside `act` returns early: the dialog is then closed, so the
// test fails instead of waiting for it forever.
template <class D, class F>
void OnDialog(QObject* context, F act) {
    QTimer::singleShot(0, context, [act] {
        QTRY_VERIFY(qobject_cast<D*>(QApplication::activeModalWidget()) != nullptr);
        QPointer<D> dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        act(*dialog);
        if (dialog && QTest::currentTestFailed() && dialog->isVisible()) dialog->reject();
    });
}

// Answers the window's file dialogs from a list; an empty entry cancels.
struct ScriptedFiles {
    std::deque<QString> answers;
    std::vector<FileRequest> asked;
    void Install(CVeltrinoDlg& w) {
        w.chooseFile = [this](QWidget*, const FileRequest& r) {
            asked.push_back(r);
            if (answers.empty()) return QString();
            const QString a = answers.front();
            answers.pop_front();
            return a;
        };
    }
};

// A shown window with a scripted prompt, scripted file dialogs and settings in memory.
struct Window {
    MemorySettingsStore store;
    RecordingPrompt prompt;
    ScriptedFiles files;
    CVeltrinoDlg w{&store, &prompt};
    Window() {
        files.Install(w);
        w.show();
    }
};

// A window's project with two inputs (0..10) and two outputs.
inline void Populate(CVeltrinoDlg& w) {
    w.NewProject();
    CProject& p = w.Project();
    for (const char* name : {"Speed", "Load"}) {
        VARIABLE_RECORD rec;
        rec.maximum = 10;
        CVariable* v = p.AddInput(rec, name);
        p.AttachNewInput(v, {0, 0});
    }
    for (const char* name : {"Go", "Stop"}) {
        auto o = std::make_unique<COutput>();
        o->m_name = name;
        COutput* raw = o.get();
        p.m_outputs.AddOutput(std::move(o));
        p.AttachNewOutput(raw, {0, 0});
    }
    p.EnsureProcessors();
    p.UpdateNetwork();
    w.View().Align();
    w.RefreshPanels();
}

// What the main window's list shows.
inline int ListRows(CVeltrinoDlg& w) { return w.ListModel().rowCount(); }
inline QString ListCell(CVeltrinoDlg& w, int row, int column) {
    if (column < 0) column += w.ListModel().columnCount();
    return w.ListModel().index(row, column).data().toString();
}

}  // namespace ks::test
