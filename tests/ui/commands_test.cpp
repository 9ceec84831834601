// The main window's file commands, element dialogs and options, driven offscreen.
#include <QFile>
#include <QTest>

#include "files/project_file.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "training/training_defaults.h"
#include "ui/ui_support.h"

using namespace ks;

class CommandsTest : public QObject {
    Q_OBJECT

    template <class D, class F>
    void OnDialog(F act) { test::OnDialog<D>(this, act); }

private slots:
    void saveSaveAsAndOpen() {
        MemorySettingsStore store;
        test::RecordingPrompt prompt;
        test::TempDir dir;
        test::ScriptedFiles files;
        CVeltrinoDlg w(&store, &prompt);
        files.Install(w);
        w.SaveProject();
        QCOMPARE(QString::fromStdString(prompt.notices.back()),
                 QString("Nothing to save yet. Select New Project, or Open Project to begin."));
        test::Populate(w);
        // The first Save asks for a name; the next one writes there again.
        const QString first = QString::fromStdString(dir.File("first.ksm"));
        files.answers = {first};
        QVERIFY(w.SaveProject());
        QCOMPARE(files.asked.size(), std::size_t(1));
        QCOMPARE(files.asked[0].defaultSuffix, QString("ksm"));
        QCOMPARE(QString::fromStdString(prompt.notices.back()), QString("Your file \"first\" is saved"));
        QVERIFY(w.SaveProject());
        QCOMPARE(files.asked.size(), std::size_t(1));
        // Save As always asks; a cancelled dialog writes nothing.
        QVERIFY(!w.SaveProjectAs());
        QCOMPARE(files.asked.size(), std::size_t(2));
        // Open: "No" closes the project; a KSM extension in capitals opens nothing.
        QFile::copy(first, QString::fromStdString(dir.File("CAPS.KSM")));
        prompt.answers = {Answer::No};
        files.answers = {QString::fromStdString(dir.File("CAPS.KSM"))};
        w.NewOrOpenProject(kProjectLoaded);
        QVERIFY(!w.Project().m_bOpen);
        files.answers = {first};
        w.NewOrOpenProject(kProjectLoaded);
        QVERIFY(w.Project().m_bOpen);
        QCOMPARE(w.Project().m_inputs.Count(), 2);
        QCOMPARE(QString::fromStdString(w.Project().m_name), QString("first.ksm"));
        // After Open the save path is forgotten: Save asks again.
        files.answers = {QString::fromStdString(dir.File("second.ksm"))};
        QVERIFY(w.SaveProject());
        QCOMPARE(QString::fromStdString(w.SavePath()), QString::fromStdString(dir.File("second.ksm")));
        // "Yes" to the save question with the save dialog cancelled keeps the project.
        w.CloseProject();
        QVERIFY(w.SavePath().empty());
        test::Populate(w);
        prompt.answers = {Answer::Yes};
        files.answers = {QString()};
        w.NewProject();
        QCOMPARE(w.Project().m_inputs.Count(), 2);
    }

    void exportWritesHeaderBesideRuntimeFile() {
        MemorySettingsStore store;
        test::RecordingPrompt prompt;
        test::TempDir dir;
        test::ScriptedFiles files;
        CVeltrinoDlg w(&store, &prompt);
        files.Install(w);
        w.ExportSystem();
        QCOMPARE(QString::fromStdString(prompt.notices.back()), QString("No project yet to export."));
        test::Populate(w);
        files.answers = {QString::fromStdString(dir.File("net.ksr"))};
        w.ExportSystem();
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("inputsoutputs.h"))));
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("net.ksr"))));
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
