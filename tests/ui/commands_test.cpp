// The main window's file commands, element dialogs and options, driven offscreen.
#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QHeaderView>
#include <QSlider>
#include <QTreeView>
#include <QTreeWidget>
#include <QToolButton>
#include <QCheckBox>
#include <QTableWidget>
#include <QLabel>
#include <QProgressBar>
#include <QSpinBox>
#include <QTest>

#include "files/project_file.h"
#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "model/training_defaults.h"
#include "ui/dialogs/colour_button.h"
#include "ui/dialogs/crossval_dialog.h"
#include "ui/dialogs/evaluation_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/receptor_dialogs.h"
#include "ui/dialogs/scenario_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/ui_support.h"

using namespace ks;

// A populated window with three scenarios whose first input is 7, 2 and 5,
// on its Scenarios tab; returns that input.
CVariable& ThreeScenarios(CVeltrinoDlg& w) {
    test::Populate(w);
    CProject& p = w.Project();
    CVariable& speed = *p.m_inputs.m_items[0];
    for (double v : {7.0, 2.0, 5.0}) {
        speed.SetValue(v);
        p.Scenarios()->CreateScenario(nullptr);
    }
    w.SelectListTab(2);
    return speed;
}

class CommandsTest : public QObject {
    Q_OBJECT

    template <class D, class F>
    void OnDialog(F act) { test::OnDialog<D>(this, act); }

private slots:
    void saveSaveAsAndOpen() {
        test::TempDir dir;
        test::Window t;
        auto& [store, prompt, files, w] = t;
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

    void exitAndCloseAskOnlyAboutUnsavedChanges() {
        test::TempDir dir;
        test::Window t;
        auto& [store, prompt, files, w] = t;
        w.NewProject();
        QVERIFY(!w.HasUnsavedChanges());
        w.CloseProject();
        test::Populate(w);
        QVERIFY(w.HasUnsavedChanges());
        files.answers = {QString::fromStdString(dir.File("kept.ksm"))};
        QVERIFY(w.SaveProject());
        QVERIFY(!w.HasUnsavedChanges());
        QVERIFY(w.close());  // saved: closes without a question
        QVERIFY(prompt.asked.empty());
        w.show();
        w.Project().Scenarios()->CreateScenario(nullptr);
        prompt.answers = {Answer::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(QString::fromStdString(prompt.asked.back()),
                 QString("This project has changes that are not saved. Would you like to save them before you exit?"));
        prompt.answers = {Answer::No};
        QVERIFY(w.close());
    }

    void bigFilesOpenOnAThreadAsSmallOnesDo() {
        // The same example opened at once and on the reading thread gives the
        // same project, the same list, and no unsaved changes to ask about.
        const std::string path = std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm";
        test::Window direct, threaded;
        threaded.w.m_backgroundLoadBytes = 0;
        QVERIFY(direct.w.OpenProjectFile(path));
        QVERIFY(threaded.w.OpenProjectFile(path));
        QCOMPARE(threaded.w.Session().Image(), direct.w.Session().Image());
        QVERIFY(!threaded.w.HasUnsavedChanges());
        QCOMPARE(threaded.w.Panel().learned->text(), direct.w.Panel().learned->text());
        QVERIFY(direct.w.Project().m_iReceptorCount > 0);
        QCOMPARE(threaded.w.Project().m_iReceptorCount, direct.w.Project().m_iReceptorCount);
        QCOMPARE(threaded.w.Project().m_iConnectionCount, direct.w.Project().m_iConnectionCount);
        QCOMPARE(threaded.w.ListTabs().currentIndex(), 2);
        QCOMPARE(test::ListRows(threaded.w), test::ListRows(direct.w));
        for (int r = 0; r < test::ListRows(direct.w); ++r) QCOMPARE(test::ListCell(threaded.w, r, -1), test::ListCell(direct.w, r, -1));
        // A damaged big file is named and changes nothing.
        test::TempDir dir;
        const std::string cut = dir.Write("cut.ksm", "\x01\x02\x00");
        QVERIFY(!threaded.w.OpenProjectFile(cut));
        QVERIFY(QString::fromStdString(threaded.prompt.notices.back()).contains("cut.ksm"));
        QVERIFY(!threaded.w.HasUnsavedChanges());
    }

    void exportWritesHeaderBesideRuntimeFile() {
        test::TempDir dir;
        test::Window t;
        auto& [store, prompt, files, w] = t;
        w.ExportSystem();
        QCOMPARE(QString::fromStdString(prompt.notices.back()), QString("No project yet to export."));
        test::Populate(w);
        files.answers = {QString::fromStdString(dir.File("net.ksr"))};
        w.ExportSystem();
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("inputsoutputs.h"))));
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("net.ksr"))));
    }

    // Export C Source...: the number type first; float and fixed point are checked
    // and a scenario decided differently writes nothing unless the user says so.
    void exportCSourceChecksSmallNumberTypes() {
        test::TempDir dir;
        test::Window t;
        auto& [store, prompt, files, w] = t;
        int kind = 1;
        w.chooseNumberType = [&](QWidget*) { return kind; };
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm"));
        const QString folder = QString::fromStdString(dir.File(""));
        files.answers = {folder};
        w.ExportCSource();
        QVERIFY(QFile::exists(folder + "/kestrine_net.c"));
        QVERIFY2(prompt.notices.back().find("verify (float): decided as the trainer decides: 30 of 30 scenarios") != std::string::npos,
                 prompt.notices.back().c_str());
        QVERIFY(QFile(folder + "/kestrine_net.h").open(QIODevice::ReadOnly));
        QVERIFY2(prompt.notices.back().find("float tables: ") != std::string::npos, prompt.notices.back().c_str());
        // Fixed point with integer inputs: the header takes int32_t inputs scaled by a power of two.
        kind = 3;
        const QString integers = QString::fromStdString(dir.File("integers"));
        QDir().mkpath(integers);
        files.answers = {integers};
        w.ExportCSource();
        QFile header(integers + "/kestrine_net.h");
        QVERIFY(header.open(QIODevice::ReadOnly));
        const QByteArray text = header.readAll();
        QVERIFY(text.contains("KESTRINE_NET_INPUT_ONE"));
        QVERIFY(text.contains("kestrine_net_decide(const int32_t *inputs)"));
        QVERIFY2(prompt.notices.back().find("fixed-point tables: ") != std::string::npos, prompt.notices.back().c_str());
        QVERIFY2(prompt.notices.back().find("bytes of machine code with ") != std::string::npos, prompt.notices.back().c_str());
        // Fruit sorting in fixed point decides a near tie differently: asked, No writes nothing, Yes writes.
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/fruit_sorting.ksm"));
        kind = 2;
        const QString other = QString::fromStdString(dir.File("fixed"));
        QDir().mkpath(other);
        files.answers = {other};
        prompt.answers = {Answer::No};
        w.ExportCSource();
        QVERIFY(!QFile::exists(other + "/kestrine_net.c"));
        QVERIFY(prompt.asked.back().find("scenarios decided differently") != std::string::npos);
        QVERIFY(prompt.notices.back().find("Nothing was written") != std::string::npos);
        files.answers = {other};
        prompt.answers = {Answer::Yes};
        w.ExportCSource();
        QVERIFY(QFile::exists(other + "/kestrine_net.c"));
        // Cancelling the type asks for no folder.
        kind = -1;
        const std::size_t asked = files.asked.size();
        w.ExportCSource();
        QCOMPARE(files.asked.size(), asked);
    }

    void optionsDialog() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        // Cancel after spin clicks changes nothing.
        OnDialog<CdlgOptions>([](CdlgOptions& d) {
            d.learning->up[0]->click();
            d.reject();
        });
        w.OpenOptions();
        QVERIFY(!store.ReadInt(kSettingsSection, kKeyLearnRate));
        // No project open: OK still stores the defaults. 0.25 + one step shows 0.260, stores 259.
        OnDialog<CdlgOptions>([](CdlgOptions& d) {
            QCOMPARE(d.learning->boxes[0]->text(), QString("0.250"));
            test::Shot(d, "options-view");
            d.learning->up[0]->click();
            QCOMPARE(d.learning->boxes[0]->text(), QString("0.260"));
            d.learning->down[3]->click();
            QCOMPARE(d.learning->boxes[3]->text(), QString("1990"));
            d.accept();
        });
        w.OpenOptions();
        QCOMPARE(*store.ReadInt(kSettingsSection, kKeyLearnRate), 259);
        QCOMPARE(*store.ReadInt(kSettingsSection, kKeyResetMax), 1990);
        QVERIFY(qAbs(ReadTrainingDefaults(&store).learnRate - 0.259) < 1e-6);
        // New colours and options reach the project and the view at once.
        test::Populate(w);
        OnDialog<CdlgOptions>([](CdlgOptions& d) {
            d.view->background->SetColour(0x0000FF);  // red in COLORREF order
            d.view->connections->setChecked(true);
            d.view->smoothLines->setChecked(true);
            d.accept();
        });
        w.OpenOptions();
        QCOMPARE(w.Project().m_colours[kSlotBackground], COLORREF(0x0000FF));
        QCOMPARE(w.Project().Model()->m_colours[kSlotBackground], COLORREF(0x0000FF));
        QVERIFY(w.Project().m_bShowConnections);
        QVERIFY(w.Project().Model()->m_bSmoothLines);
        QVERIFY(qAbs(w.Project().Model()->m_dLearnRate - 0.26) < 1e-6);  // this run keeps 0.2599999...
        const QImage view = w.View().grab().toImage();
        QCOMPARE(view.pixelColor(view.width() - 5, view.height() / 2), QColor(255, 0, 0));
        test::Shot(w, "options-colours");
    }

    void connectionAndSensorDialogs() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        test::Populate(w);
        CReceptorMgr& m = *w.Project().Model();
        CReceptor* sensor = m.Sensors()[0];
        CConnection* c = sensor->m_outputLinks[0].connection;
        c->SetWeight(0.25);
        OnDialog<CdlgConnection>([](CdlgConnection& d) {
            QCOMPARE(d.weightBox->text(), QString("0.250"));
            test::Shot(d, "connection-dialog");
            for (int i = 0; i < 3; ++i) d.up->click();
            QCOMPARE(d.weightBox->text(), QString("0.280"));
            d.weightBox->setText("5");  // typed text is not read
            d.accept();
        });
        w.OpenProperties(kTargetConnection, c);
        QVERIFY(qAbs(c->Weight() - 0.28) < 1e-6);
        OnDialog<CdlgConnection>([](CdlgConnection& d) {
            d.setToZero->click();
            QCOMPARE(d.weightBox->text(), QString("0.000"));
            d.accept();
        });
        w.OpenProperties(kTargetConnection, c);
        QCOMPARE(c->Weight(), 0.0);
        // The sensor dialog lists the outgoing connections; Delete removes one after Yes.
        const std::size_t links = sensor->m_outputLinks.size();
        OnDialog<CdlgReceptorSensor>([&](CdlgReceptorSensor& d) {
            QCOMPARE(d.inputVariable->text(), QString("Speed"));
            QCOMPARE(d.connections->count(), int(links));
            QVERIFY(d.connections->item(0)->text().endsWith(", weight: 0.000"));
            test::Shot(d, "sensor-dialog");
            d.remove->click();  // nothing selected: nothing happens
            QCOMPARE(d.connections->count(), int(links));
            d.connections->setCurrentRow(0);
            prompt.answers = {Answer::Yes};
            d.remove->click();
            QCOMPARE(d.connections->count(), int(links) - 1);
            QCOMPARE(QString::fromStdString(prompt.asked.back()), QString("Are you sure you want to delete this connection?"));
            d.accept();
        });
        w.OpenProperties(kTargetSensor, sensor);
        QCOMPARE(sensor->m_outputLinks.size(), links - 1);
        // A sensor without an input shows -NA- twice.
        CReceptor bare(kSensor, 0, 99);
        CdlgReceptorSensor d(bare, w.Session());
        QCOMPARE(d.inputVariable->text(), QString("-NA-"));
        QCOMPARE(d.variableId->text(), QString("-NA-"));
    }

    void scenarioListNotifications() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        CVariable& speed = ThreeScenarios(w);
        CProject& p = w.Project();
        QTreeView& list = w.List();
        // A click on an input column's header sorts by that input, ascending.
        emit list.header()->sectionClicked(1);
        QCOMPARE(test::ListCell(w, 0, 1), QString("2.00"));
        QCOMPARE(test::ListCell(w, 2, 1), QString("7.00"));
        // Double-click on a value cell slides the stored value; Escape gives the input its
        // value back but keeps the stored one.
        speed.SetValue(3.0);
        CScenario* first = p.Scenarios()->Sorted()[0];
        OnDialog<CdlgSliderInput>([](CdlgSliderInput& slider) {
            emit slider.slider->sliderMoved(5);
            slider.reject();
        });
        w.OnScenarioCellDoubleClicked(0, 1);
        QCOMPARE(first->m_inputs[0].value, 5.0);
        QCOMPARE(speed.m_dValue, 3.0);
        QCOMPARE(test::ListCell(w, 0, 1), QString("5.00"));
        // Delete asks with the number selected; only on the Scenarios tab.
        list.setFocus();
        auto selectRow = [&](int row) {
            list.selectionModel()->select(w.ListModel().index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        };
        selectRow(0);
        prompt.answers = {Answer::No};
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(QString::fromStdString(prompt.asked.back()), QString("1 scenarios selected for deletion."));
        QCOMPARE(p.Scenarios()->Count(), 3);
        prompt.answers = {Answer::Yes};
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(p.Scenarios()->Count(), 2);
        QCOMPARE(test::ListRows(w), 2);
        w.SelectListTab(0);
        selectRow(0);
        const std::size_t questions = prompt.asked.size();
        QTest::keyClick(&list, Qt::Key_Delete);
        QCOMPARE(prompt.asked.size(), questions);
        QCOMPARE(p.m_inputs.Count(), 2);
    }

    void listKeepsItsRowAndAppliesOnlyWhatTheUserPicks() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        CVariable& speed = ThreeScenarios(w);
        QTreeView& list = w.List();
        list.setFocus();
        emit list.clicked(w.ListModel().index(0, 0));  // a click applies the row's scenario
        list.setCurrentIndex(w.ListModel().index(0, 0));
        QCOMPARE(speed.m_dValue, 7.0);
        QTest::keyClick(&list, Qt::Key_Down);  // so does a key that moves the row
        QCOMPARE(speed.m_dValue, 2.0);
        // The user sets the input by hand; refilling the list, and focus
        // leaving and coming back, keep the row and apply nothing.
        w.Session().SetInputValue(&speed, 9.5);
        w.FillList();
        QCOMPARE(list.currentIndex().row(), 1);
        w.TrainPage().startStop->setFocus();
        list.setFocus();
        w.SelectListTab(0);
        w.SelectListTab(2);
        QCOMPARE(speed.m_dValue, 9.5);
        QCOMPARE(list.currentIndex().row(), 1);
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(speed.m_dValue, 5.0);
    }

    void evaluationDialogs() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm"));
        // The project's own scenarios: the figures eval gives on the command line.
        int opened = 0;
        OnDialog<CdlgEvaluation>([&opened](CdlgEvaluation& d) {
            ++opened;
            QVERIFY(d.summary->text().startsWith("30 cases, 23 decided right: accuracy 76.7%."));
            QCOMPARE(d.confusion->columnCount(), 4);
            QCOMPARE(d.confusion->verticalHeaderItem(0)->text(), QString("Decline"));
            QCOMPARE(d.confusion->item(0, 2)->text(), QString("6"));
            QCOMPARE(d.figures->item(1, 0)->text(), QString("0.875"));  // Approve's precision
            d.reject();
        });
        w.EvaluateScenarios();
        // A data file whose columns are in another order, with a column the model has no input for.
        test::TempDir dir;
        dir.Write("test.csv", "Years,Note,Debt,Income,Decision\n3,a,19,48,Decline\n15,b,25,110,Approve\n");
        files.answers = {QString::fromStdString(dir.File("test.csv"))};
        OnDialog<CdlgEvaluation>([&opened](CdlgEvaluation& d) {
            ++opened;
            QVERIFY(d.summary->text().startsWith("2 cases, "));
            QVERIFY(d.summary->text().contains("\"Note\" is not an input"));
            d.reject();
        });
        w.TestWithDataFile();
        QCOMPARE(opened, 2);
        // A file that does not fit is named, and no dialog opens.
        dir.Write("bad.csv", "A,B,Decision\n1,2,Approve\n");
        files.answers = {QString::fromStdString(dir.File("bad.csv"))};
        w.TestWithDataFile();
        QVERIFY(QString::fromStdString(prompt.notices.back()).contains("there is no column \"Income\""));
    }

    void crossValidationDialog() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm"));
        w.SetTrainingMethod(TrainingMethod::Rprop);
        const QString data = QString(KESTRINE_EXAMPLES) + "/loan_decision.csv";
        QString status, pooled;
        files.answers = {data};
        OnDialog<CdlgCrossval>([&](CdlgCrossval& d) {
            d.browse->click();
            QCOMPARE(d.file->text(), data);
            d.folds->setValue(31);
            d.run->click();  // more folds than cases: said, nothing runs
            QVERIFY(d.status->text().contains("31 folds are more than the 30 cases"));
            QVERIFY(d.run->isEnabled());
            d.folds->setValue(5);
            d.run->click();
            QVERIFY(!d.run->isEnabled());
            QTRY_VERIFY_WITH_TIMEOUT(d.Finished(), 60000);
            status = d.status->text();
            CdlgEvaluation* figures = d.findChild<CdlgEvaluation*>();
            QVERIFY(figures && figures->isVisible());
            pooled = figures->summary->text();
            figures->reject();
            QCOMPARE(d.progress->value(), 5);
            QCOMPARE(d.Result().folds.size(), 5u);
            d.reject();
        });
        w.CrossValidateFile();
        QVERIFY2(status.startsWith("Mean accuracy "), qPrintable(status));
        QVERIFY2(pooled.startsWith("30 cases, "), qPrintable(pooled));
        QVERIFY(pooled.contains("Pooled over 5 folds"));
    }

    void undoAndRedoInTheEditMenu() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/fruit_sorting.ksm"));
        QVERIFY(!w.UndoAction()->isEnabled());
        const std::size_t processors = w.Project().Model()->Processors().size();
        w.BuildPage().addProcessor->click();
        QCOMPARE(w.UndoAction()->text(), QString("Undo Add Processor"));
        QVERIFY(w.UndoAction()->isEnabled());
        QCOMPARE(w.UndoAction()->shortcut(), QKeySequence(QKeySequence::Undo));
        w.UndoAction()->trigger();
        QCOMPARE(w.Project().Model()->Processors().size(), processors);
        QCOMPARE(w.Panel().learned->text(), QString("12"));  // the trained network is back, and the list says so
        QCOMPARE(test::ListRows(w), 12);
        QCOMPARE(w.RedoAction()->text(), QString("Redo Add Processor"));
        w.RedoAction()->trigger();
        QCOMPARE(w.Project().Model()->Processors().size(), processors + 1);
        QCOMPARE(w.UndoAction()->text(), QString("Undo Add Processor"));
    }

    void deleteKeyInTheViewAsksFirst() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        test::Populate(w);
        CProject& p = w.Project();
        const int inputs = p.m_inputs.Count();
        p.m_inputs.ClearSelection();
        p.m_outputs.ClearSelection();
        p.m_inputs.Select(p.m_inputs.m_items[0].get());
        prompt.answers = {Answer::No};
        QTest::keyClick(&w.View(), Qt::Key_Delete);
        QCOMPARE(QString::fromStdString(prompt.asked.back()), QString("Delete the 1 selected input?"));
        QCOMPARE(p.m_inputs.Count(), inputs);
        prompt.answers = {Answer::Yes, Answer::Yes};
        QTest::keyClick(&w.View(), Qt::Key_Delete);
        QCOMPARE(p.m_inputs.Count(), inputs - 1);
    }

    void shrinkingDescriptorListDeletesItsScenarios() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        test::Populate(w);
        CProject& p = w.Project();
        VARIABLE_RECORD rec;
        rec.type = kDescriptorList;
        CVariable* colour = p.AddInput(rec, "Colour");
        for (int i = 0; i < 3; ++i) colour->AddItem("c" + std::to_string(i), i, i, false, 0xFFFFFF);
        p.AttachNewInput(colour, {0, 0});
        p.UpdateNetwork();
        for (int i = 0; i < 3; ++i) {
            colour->SetValue(i);
            p.Scenarios()->CreateScenario(nullptr);
        }
        OnDialog<CdlgVariable>([](CdlgVariable& d) {
            QCOMPARE(d.itemList->topLevelItemCount(), 3);
            emit d.itemList->itemClicked(d.itemList->topLevelItem(2), 0);
            d.deleteItem->click();
            d.accept();
        });
        w.EditInput(colour);
        // Exactly the scenario that used the removed item is gone.
        QCOMPARE(p.Scenarios()->Count(), 2);
        for (const auto& s : p.Scenarios()->Scenarios()) QVERIFY(s->m_inputs.back().value < 2.0);
        QCOMPARE(colour->ItemCount(), 2);
        QCOMPARE(colour->m_dMin, 0.0);
        QCOMPARE(colour->m_dMax, 2.0);
    }

    void helpPages() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        std::vector<QUrl> opened;
        w.openUrl = [&](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        // Without a configured address, the installed manual opens at the topic's page.
        const std::pair<const char*, const char*> topics[] = {
            {"Help", "index.html"}, {"WizHelp", "getting-started.html"}, {"halveklogo", "about.html"}};
        for (const auto& [topic, page] : topics) {
            w.OpenHelpPage(topic);
            QVERIFY(opened.back().isLocalFile());
            QCOMPARE(QFileInfo(opened.back().toLocalFile()).fileName(), QString(page));
            QVERIFY(QFile::exists(opened.back().toLocalFile()));
        }
        store.WriteString(kSettingsSection, kKeyHelpAddress, "https://help.example.org");
        w.OpenHelpPage("Help");
        QCOMPARE(opened.back().toString(), QString("https://help.example.org/kestrinehelp.php?paramType=Help&paramVersion=1.00"));
        w.OpenUpdatePage();
        QCOMPARE(opened.back().toString(), QString("https://help.example.org/kestrineupdatecheck.php?paramver=1.0"));
    }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
