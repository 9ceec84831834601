// The New Project wizard: its button rules and its three approaches, run from
// the main window as the user runs them.
#include <QLabel>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "support/recording_prompt.h"
#include "support/temp_dir.h"
#include "model/training_defaults.h"
#include "ui/dialogs/output_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/dialogs/wizard.h"
#include "ui/ui_support.h"

using namespace ks;

class WizardTest : public QObject {
    Q_OBJECT

    template <class D, class F>
    void OnDialog(F act) { test::OnDialog<D>(this, act); }

    // Runs the wizard from the window's New Project command with `act` driving it.
    template <class F>
    void RunWizard(CVeltrinoDlg& w, F act) {
        OnDialog<CdlgWizProject>(act);
        w.NewProjectWizard();
    }

private slots:
    void buttonRules() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        CdlgWizProject wiz(w);
        QCOMPARE(wiz.CurrentPage(), 193);
        QVERIFY(!wiz.previous->isEnabled());
        wiz.next->click();
        QCOMPARE(wiz.CurrentPage(), 194);
        QCOMPARE(wiz.windowTitle(), QString("New Project Wizard - Set Name and Password (step 1 of 4)"));
        QCOMPARE(wiz.nameBox->text(), QString("Project Name"));
        QVERIFY(wiz.next->isEnabled() && !wiz.finish->isEnabled());
        wiz.approaches[kApproachBlank]->click();
        QVERIFY(!wiz.next->isEnabled() && wiz.finish->isEnabled());
        QVERIFY(wiz.finish->isDefault());  // Enter finishes
        wiz.approaches[kApproachGuided]->click();
        QVERIFY(wiz.next->isEnabled() && !wiz.finish->isEnabled());
        // Typing does not update the buttons; choosing an approach reads the box as it is then.
        wiz.nameBox->clear();
        QVERIFY(wiz.next->isEnabled());
        wiz.approaches[kApproachBlank]->click();
        QVERIFY(!wiz.next->isEnabled() && !wiz.finish->isEnabled());
        wiz.previous->click();
        QCOMPARE(wiz.CurrentPage(), 193);
    }

    void guidedApproach() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        RunWizard(w, [&](CdlgWizProject& wiz) {
            wiz.next->click();
            wiz.nameBox->setText("Loans");
            wiz.next->click();  // no project open: no question
            QCOMPARE(wiz.CurrentPage(), 195);
            QVERIFY(prompt.asked.empty());
            QVERIFY(!wiz.next->isEnabled());
            OnDialog<CdlgVariable>([](CdlgVariable& d) {
                d.nameBox->setText("Income");
                d.accept();
            });
            wiz.addInput->click();
            QCOMPARE(wiz.inputsList->topLevelItemCount(), 1);
            QCOMPARE(wiz.inputsList->topLevelItem(0)->text(0), QString("Income"));
            QVERIFY(wiz.next->isEnabled());
            wiz.next->click();
            for (int i = 0; i < 2; ++i) {
                OnDialog<CdlgOutput>([i](CdlgOutput& d) {
                    QCOMPARE(d.nameBox->text(), QString("Output %1").arg(i));
                    d.accept();
                });
                wiz.addOutput->click();
            }
            OnDialog<CdlgOutput>([](CdlgOutput& d) { d.reject(); });
            wiz.addOutput->click();
            QCOMPARE(wiz.outputsList->topLevelItemCount(), 2);
            // The lists edit on double-click and delete with the Delete key.
            OnDialog<CdlgOutput>([](CdlgOutput& d) {
                d.nameBox->setText("Spare");
                d.accept();
            });
            wiz.addOutput->click();
            OnDialog<CdlgOutput>([](CdlgOutput& d) {
                d.nameBox->setText("Extra");
                d.accept();
            });
            emit wiz.outputsList->itemDoubleClicked(wiz.outputsList->topLevelItem(2), 0);
            QCOMPARE(wiz.outputsList->topLevelItem(2)->text(0), QString("Extra"));
            wiz.outputsList->setFocus();
            wiz.outputsList->clearSelection();
            wiz.outputsList->topLevelItem(2)->setSelected(true);
            QTest::keyClick(wiz.outputsList, Qt::Key_Delete);
            QCOMPARE(wiz.outputsList->topLevelItemCount(), 2);
            QCOMPARE(w.Project().m_outputs.Count(), 2);
            const int processors = w.Project().Model()->CountReceptors(kProcessor);
            wiz.next->click();  // the outputs page adds the processors the network needs
            QCOMPARE(wiz.CurrentPage(), 197);
            QVERIFY(w.Project().Model()->CountReceptors(kProcessor) > processors);
            prompt.answers = {Answer::Yes};
            wiz.createEndpoints->click();
            QCOMPARE(wiz.scenarioList->topLevelItemCount(), 2);
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 204);
            QVERIFY(wiz.SummaryText().startsWith(
                "You have successfully constructed an AI system with 1 inputs, 2 outputs and 2 scenarios. From here,"));
            QVERIFY(wiz.finish->isEnabled() && !wiz.next->isEnabled());
            test::Shot(wiz, "wizard-done");
            wiz.finish->click();
        });
        CProject& p = w.Project();
        QVERIFY(p.m_bOpen);
        QCOMPARE(QString::fromStdString(p.m_name), QString("Loans"));
        QCOMPARE(p.m_inputs.Count(), 1);
        QCOMPARE(p.m_outputs.Count(), 2);
        QCOMPARE(w.ListTabs().currentIndex(), 2);
        QCOMPARE(test::ListRows(w), 2);
        QVERIFY(w.SavePath().empty());
    }

    void blankApproachAndCancel() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        RunWizard(w, [](CdlgWizProject& wiz) {
            wiz.next->click();
            wiz.nameBox->setText("Empty One");
            wiz.approaches[kApproachBlank]->click();
            wiz.finish->click();
        });
        QVERIFY(w.Project().m_bOpen);
        QCOMPARE(QString::fromStdString(w.Project().m_name), QString("Empty One"));
        QCOMPARE(w.Project().m_inputs.Count(), 0);
        QVERIFY(!w.HasUnsavedChanges());
        w.SaveProject();  // a new project has no file yet: Save asks for one
        QCOMPARE(files.asked.size(), std::size_t(1));
        // Cancel without closing the open project leaves it as it was, name included.
        test::Populate(w);
        w.Project().m_name = "Mine";
        RunWizard(w, [](CdlgWizProject& wiz) {
            wiz.next->click();
            wiz.cancel->click();
        });
        QVERIFY(w.Project().m_bOpen);
        QCOMPARE(QString::fromStdString(w.Project().m_name), QString("Mine"));
        QCOMPARE(w.Project().m_inputs.Count(), 2);
        // "No" to the question keeps the wizard where it is; Yes closes the project,
        // and cancelling afterwards leaves no project open.
        RunWizard(w, [&](CdlgWizProject& wiz) {
            wiz.next->click();
            prompt.answers = {Answer::No};
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 194);
            QVERIFY(QString::fromStdString(prompt.asked.back()).startsWith("You currently have a project open."));
            // Yes, then Cancel to the question about the unsaved changes: still here.
            prompt.answers = {Answer::Yes, Answer::Cancel};
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 194);
            QVERIFY(QString::fromStdString(prompt.asked.back()).startsWith("This project has changes that are not saved."));
            prompt.answers = {Answer::Yes, Answer::No};
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 195);
            QVERIFY(wiz.ClosedPrevious());
            wiz.cancel->click();
        });
        QVERIFY(!w.Project().m_bOpen);
    }

    void importApproach_data() {
        QTest::addColumn<bool>("names");
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<int>("inputs");
        QTest::newRow("names in the first column") << true << "sample 1" << 3;
        QTest::newRow("no names") << false << "Scenario " << 4;
    }

    void importApproach() {
        QFETCH(bool, names);
        QFETCH(QString, firstName);
        QFETCH(int, inputs);
        test::Window t;
        auto& [store, prompt, files, w] = t;
        RunWizard(w, [&](CdlgWizProject& wiz) {
            wiz.next->click();
            wiz.approaches[kApproachImported]->click();
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 206);
            QVERIFY(!wiz.next->isEnabled());
            files.answers = {QString(KESTRINE_EXAMPLES) + "/no-such-file.csv"};
            wiz.browse->click();
            QVERIFY(!wiz.next->isEnabled());
            wiz.next->click();  // a missing file keeps the wizard here
            QCOMPARE(wiz.CurrentPage(), 206);
            // A file that is not data is refused, named, and the wizard stays here too.
            test::TempDir bad;
            files.answers = {QString::fromStdString(bad.Write("empty.csv", ""))};
            wiz.browse->click();
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 206);
            QCOMPARE(QString::fromStdString(prompt.notices.back()), QString::fromStdString(bad.File("empty.csv") + ": it is empty"));
            files.answers = {QString(KESTRINE_EXAMPLES) + "/fruit_sorting.csv"};
            wiz.browse->click();
            QCOMPARE(files.asked.back().defaultSuffix, QString("txt"));
            QVERIFY(wiz.next->isEnabled());
            wiz.scenarioNames->setChecked(names);
            test::Shot(wiz, names ? "wizard-import-names" : "wizard-import");
            wiz.next->click();
            QCOMPARE(wiz.CurrentPage(), 207);
            QVERIFY(wiz.importedList->topLevelItemCount() > 0);
            // What was built is shown: the rows, each column's type and each output's cases.
            QVERIFY(wiz.importSummary->text().startsWith("rows read: 12\n"));
            QVERIFY(wiz.importSummary->text().contains("input \"Colour\": Descriptor List (line 2 has the text \"red\")"));
            QVERIFY(wiz.importSummary->text().contains("output \"apple\": "));
            test::Shot(wiz, names ? "wizard-imported-names" : "wizard-imported");
            wiz.next->click();
            wiz.finish->click();
        });
        CProject& p = w.Project();
        QVERIFY(p.m_bOpen);
        QCOMPARE(QString::fromStdString(p.m_name), QString("fruit_sorting"));
        QCOMPARE(p.m_inputs.Count(), inputs);
        QVERIFY(QString::fromStdString(p.Scenarios()->Scenarios().front()->m_name).startsWith(firstName));
        QVERIFY(p.Model()->CountReceptors(kProcessor) > 0);
    }

    // A newcomer's whole job: import with the wizard, train, simulate, save,
    // reopen and export, through the window's own controls.
    void importTrainSimulateSaveReopenExport() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        test::TempDir dir;
        RunWizard(w, [&](CdlgWizProject& wiz) {
            wiz.next->click();
            wiz.approaches[kApproachImported]->click();
            wiz.next->click();
            files.answers = {QString(KESTRINE_EXAMPLES) + "/fruit_sorting.csv"};
            wiz.browse->click();
            wiz.scenarioNames->setChecked(true);
            wiz.next->click();
            wiz.next->click();
            wiz.finish->click();
        });
        const int scenarios = w.Project().Scenarios()->Count();
        w.TrainPage().startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.TrainingTimer().isActive(), 60000);
        QCOMPARE(w.Panel().learned->text(), QString::number(scenarios));
        const int ticks = w.Project().m_iCycleCounter;
        w.SimulatePage().step->click();
        QCOMPARE(w.Project().m_iCycleCounter, ticks + 1);
        const QString path = QString::fromStdString(dir.File("fruit.ksm"));
        files.answers = {path};
        QVERIFY(w.SaveProject());
        w.CloseProject();
        files.answers = {path};
        QVERIFY(w.NewOrOpenProject(kProjectLoaded));
        QCOMPARE(w.Project().Scenarios()->Count(), scenarios);
        w.RefreshPanels();
        QCOMPARE(w.Panel().learned->text(), QString::number(scenarios));  // the knowledge came back with the file
        files.answers = {QString::fromStdString(dir.File("fruit.ksr"))};
        w.ExportSystem();
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("fruit.ksr"))));
        QVERIFY(QFile::exists(QString::fromStdString(dir.File("inputsoutputs.h"))));
        test::Shot(w, "newcomer-journey");
    }
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
