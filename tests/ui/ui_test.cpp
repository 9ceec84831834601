// The desktop app driven offscreen: layout, lists, page enabling, gestures,
// the anti-aliased primitives and a whole training run through the timer.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "model/project.h"
#include "model/random.h"
#include "support/recording_prompt.h"
#include "ui/ui_support.h"
#include "session/session.h"
#include <QLabel>
#include <QLineSeries>
#include <QSpinBox>
#include "model/training_defaults.h"
#include "ui/graphics.h"
#include "ui/dialogs/output_dialog.h"
#include "ui/dialogs/scenario_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/learning_curve.h"
#include "ui/main_window.h"

namespace ks {
QString ScenarioStatusText(const CScenario& s);
}

using namespace ks;

class UiTest : public QObject {
    Q_OBJECT

    void Shot(QWidget& w, const char* name) { test::Shot(w, name); }
    void Populate(CVeltrinoDlg& w) { test::Populate(w); }

private slots:
    void layoutModesAndViewClamping() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        w.resize(1341, 700);
        QCoreApplication::processEvents();
        QCOMPARE(w.Client().width(), 1341);
        QCOMPARE(w.LayoutMode(), 2);
        QVERIFY(!w.ToolTabs().isVisible());
        QCOMPARE(w.BuildPage().x(), 741);
        QCOMPARE(w.TrainPage().x(), 941);
        QCOMPARE(w.SimulatePage().x(), 1141);
        Shot(w, "wide");
        w.resize(1340, 700);
        QCoreApplication::processEvents();
        QCOMPARE(w.LayoutMode(), 0);
        QVERIFY(w.ToolTabs().isVisible());
        QCOMPARE(w.View().geometry(), QRect(10, 30, 720, w.Client().height() - 50 > 420 ? 420 : w.Client().height() - 50));
        w.resize(2400, 1400);
        QCoreApplication::processEvents();
        QCOMPARE(w.View().size(), QSize(720, 420));
        // The window keeps a size at which everything fits ...
        w.resize(200, 100);
        QCoreApplication::processEvents();
        QVERIFY(w.width() >= 960 && w.height() >= 680);
        QCOMPARE(w.View().size(), QSize(720, 420));
        // ... and the view still clamps when its area is smaller (a window manager may force it).
        w.setMinimumSize(0, 0);
        w.resize(200, 100);
        QCoreApplication::processEvents();
        QCOMPARE(w.View().size(), QSize(360, 156));
    }

    void pageEnabling() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        QVERIFY(!w.BuildPage().newInput->isEnabled());
        QVERIFY(!w.TrainPage().startStop->isEnabled());
        QVERIFY(!w.SimulatePage().start->isEnabled());
        QCOMPARE(w.Panel().inputs->text(), QString("0"));
        Populate(w);
        QVERIFY(w.BuildPage().newInput->isEnabled());
        QVERIFY(w.SimulatePage().step->isEnabled());
        QVERIFY(!w.TrainPage().startStop->isEnabled());  // no scenarios yet
        QCOMPARE(w.Panel().inputs->text(), QString("2"));
        // Spin buttons: up on Reset Limit 2000 gives 2010, up on learn rate 0.25 shows 0.260.
        w.TrainPage().up[3]->click();
        QCOMPARE(w.TrainPage().values[3]->text(), QString("2010"));
        w.TrainPage().up[0]->click();
        QCOMPARE(w.TrainPage().values[0]->text(), QString("0.260"));
        Shot(w, "populated");
    }

    void scenarioStatusText() {
        CScenario s;
        s.m_fScore = 0.82f;  // the single-precision 0.82 is not above 0.82
        QCOMPARE(ScenarioStatusText(s), QString("0.820"));
        s.m_fScore = 1.0f;
        QCOMPARE(ScenarioStatusText(s), QString("Learned"));
    }

    void gestures() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        Populate(w);
        w.BuildPage().modelView->click();  // show the network itself, not its picture
        QVERIFY(!w.Project().m_bModelView);
        CDisplay& view = w.View();
        CReceptorMgr& m = *w.Project().Model();
        // Drop a processor from the palette (the third template).
        const int processors = m.CountReceptors(kProcessor);
        view.LeftDown(QPoint(18, CDisplay::kBarHeight + 12 + 120 + 12), false);
        view.MouseMove(QPoint(300, 200), Qt::LeftButton);
        view.LeftUp(QPoint(300, 200));
        QCOMPARE(m.CountReceptors(kProcessor), processors + 1);
        CReceptor* fresh = m.Processors().back();
        QCOMPARE(fresh->m_pos.x, 300 - 16 - w.Project().m_viewOffset.x);

        // Right-drag the sensor onto the new processor connects them (it was connected automatically: refused).
        CReceptor* sensor = m.Sensors().front();
        auto centre = [&](const CReceptor* r) {
            return QPoint(r->m_pos.x + 12 + w.Project().m_viewOffset.x, r->m_pos.y + 12 + w.Project().m_viewOffset.y);
        };
        view.RightDown(centre(sensor), false);
        view.MouseMove(centre(fresh), Qt::RightButton);
        view.RightUp(centre(fresh));
        QVERIFY(m.IsConnected(sensor, fresh));
        QCOMPARE(prompt.notices.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(prompt.notices.back()), QString("These receptors are already connected."));

        // A refused pair: processor onto processor.
        CReceptor* other = m.Processors().front();
        view.RightDown(centre(other), false);
        view.RightUp(centre(fresh));
        QCOMPARE(QString::fromStdString(prompt.notices.back()),
                 QString("CONNECTION_NOTALLOWED: CONNECTION_PROCESSOR_TO_PROCESSOR"));

        // Right-drag an input onto its own item asks for the slider.
        CVariable* input = w.Project().m_inputs.m_items.front().get();
        CVariable* asked = nullptr;
        view.onSlider = [&](CVariable* v) { asked = v; };
        const QPoint item(input->m_anchor.x, 30);
        view.RightDown(item, false);
        view.MouseMove(item + QPoint(3, 0), Qt::RightButton);
        view.RightUp(item + QPoint(3, 0));
        QCOMPARE(asked, input);
        Shot(w, "after-gestures");
    }

    void networkTextsHaveRoomAndShowWholeOnHover() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        Populate(w);
        w.BuildPage().modelView->click();
        CReceptorMgr& m = *w.Project().Model();
        // Align All spaces a row for its values when the row still fits...
        w.View().Align();
        const auto& sensors = m.Sensors();
        QVERIFY(sensors.size() == 2);
        const int pitch = sensors[1]->m_pos.x - sensors[0]->m_pos.x;
        QVERIFY2(pitch > 56, qPrintable(QString::number(pitch)));
        // ...and no wider than the usual pitch when it does not.
        w.Project().m_bShowValues = w.Project().m_bShowNames = false;
        w.View().Align();
        QCOMPARE(sensors[1]->m_pos.x - sensors[0]->m_pos.x, 56);
        // Hovering gives the whole text, whatever was drawn.
        CReceptor* s = sensors[0];
        s->m_label = "A sensor with a name far too long for its room";
        const QPoint on(s->m_pos.x + 12 + w.Project().m_viewOffset.x, s->m_pos.y + 12 + w.Project().m_viewOffset.y);
        QVERIFY(w.View().TextAt(on).startsWith("A sensor with a name far too long for its room\nIN:  "));
        CVariable* input = w.Project().m_inputs.m_items.front().get();
        QCOMPARE(w.View().TextAt(QPoint(input->m_anchor.x, 30)), QString("Speed: ") + QString::fromStdString(input->ValueText()));
        w.Project().m_bShowValues = w.Project().m_bShowNames = true;
        w.View().Draw();
        Shot(w, "long-label");
    }

    void antiAliasedPrimitives() {
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        CTGraphics::DrawLineAA(image, 10, 10, 0, 0, 0x000000);
        QCOMPARE(image.pixel(10, 10), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
        image.fill(Qt::white);
        CTGraphics::DrawLineAA(image, 2, 5, 12, 5, 0x0000FF);  // red, horizontal
        for (int x = 2; x <= 12; ++x) QCOMPARE(image.pixel(x, 5), qRgb(255, 0, 0));
        for (int x = 3; x < 12; ++x) QCOMPARE(image.pixel(x, 6), qRgb(255, 255, 255));
        image.fill(Qt::white);
        CTGraphics::DrawEllipseAA(image, 0, 0, 24, 24, 0x000000);
        QCOMPARE(image.pixel(12, 0), qRgb(0, 0, 0));   // top of the circle of radius 12 around (12, 12)
        QCOMPARE(image.pixel(0, 12), qRgb(0, 0, 0));   // left
        QCOMPARE(image.pixel(12, 12), qRgb(255, 255, 255));
    }

    void trainingRunThroughTheTimer() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        // The winner rule does not learn this example to the end: the run is
        // still going when the controls are checked, however fast the machine.
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm"));
        w.Project().m_trainingSeed = 2;
        QVERIFY(w.TrainPage().startStop->isEnabled());
        w.TrainPage().startStop->click();
        QVERIFY(w.TrainingTimer().isActive());
        QVERIFY(!w.BuildPage().newInput->isEnabled());
        QVERIFY(!w.TrainPage().createScenarios->isEnabled());
        QVERIFY(!w.TrainPage().holdOut->isEnabled());  // the split cannot change under a run
        QVERIFY(w.TrainPage().startStop->isEnabled());
        Shot(w, "training");
        w.TrainPage().startStop->click();
        QVERIFY(!w.TrainingTimer().isActive());
        QVERIFY(w.TrainPage().createScenarios->isEnabled());

        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/fruit_sorting.ksm"));
        w.Project().m_trainingSeed = 2;
        // Fresh weights from a fixed seed, so the run is the same whatever ran before.
        SeedRandom(5);
        w.Runner().Locked([&] { w.Project().Model()->RandomizeAllWeights(); });
        w.TrainPage().startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.TrainingTimer().isActive(), 60000);
        QCOMPARE(w.Panel().learned->text(), QString("12"));
        QVERIFY(w.BuildPage().newInput->isEnabled());
        QCOMPARE(test::ListRows(w), 12);
        QCOMPARE(test::ListCell(w, 0, -1), QString("Learned"));
        Shot(w, "trained");
    }

private:
    template <class D, class F>
    void OnDialog(F act) { test::OnDialog<D>(this, act); }

private slots:
    void variableDialogDefaultsAndDescriptors() {
        CdlgVariable d(nullptr, "", 0xFFFFFF, nullptr, -1);
        QCOMPARE(d.nameBox->text(), QString("Variable Name"));
        QVERIFY(d.rangedType->isChecked());
        QCOMPARE(d.minBox->text(), QString("0.00"));
        QCOMPARE(d.maxBox->text(), QString("100.00"));
        QCOMPARE(d.valueBox->text(), QString("0.00"));
        QCOMPARE(d.incrementBox->text(), QString("0.10"));
        QTest::keyClicks(d.nameBox, " A");  // typed before the type is chosen: kept
        d.listType->click();
        QCOMPARE(d.nameBox->text(), QString("Variable Name A"));
        for (int i = 0; i < 3; ++i) {
            OnDialog<CdlgDescriptor>([](CdlgDescriptor& item) { item.accept(); });
            d.addItem->click();
        }
        QCOMPARE(d.m_items.ItemCount(), 3);
        QCOMPARE(QString::fromStdString(d.m_items.m_items[2]->text), QString("item 3"));
        QCOMPARE(d.m_items.m_items[2]->index, 2);
        QCOMPARE(d.m_iCurrentIndex, 0);
        d.deleteItem->click();  // deletes the current (first) item
        QCOMPARE(d.m_items.ItemCount(), 2);
        QCOMPARE(QString::fromStdString(d.m_items.m_items[0]->text), QString("item 2"));
        QCOMPARE(d.m_items.m_items[1]->index, 1);
        QCOMPARE(d.m_iCurrentIndex, -1);
        d.accept();
        QCOMPARE(QString::fromStdString(d.m_record.name), QString("Variable Name A"));
        QCOMPARE(d.m_record.value, -1.0);  // no current item
        QCOMPARE(d.m_record.maximum, 2.0);
    }

    void addInputAndOutputFlows() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        w.NewProject();
        OnDialog<CdlgOutput>([](CdlgOutput& d) {
            QCOMPARE(d.nameBox->text(), QString("Output 0"));
            d.accept();
        });
        w.EditOutput(nullptr);
        QCOMPARE(w.Project().m_outputs.Count(), 1);
        OnDialog<CdlgVariable>([](CdlgVariable& d) {
            d.nameBox->setText("Speed");
            d.maxBox->setText("50");
            d.accept();
        });
        w.EditInput(nullptr);
        QCOMPARE(w.Project().m_inputs.Count(), 1);
        CVariable& speed = *w.Project().m_inputs.m_items[0];
        QCOMPARE(QString::fromStdString(speed.m_name), QString("Speed"));
        QCOMPARE(speed.m_dMax, 50.0);
        QVERIFY(speed.m_bAttached);
        for (int i = 0; i < 3; ++i) w.Project().Scenarios()->CreateScenario(nullptr);
        // A new input while scenarios exist: Cancel adds nothing.
        prompt.answers = {Answer::Cancel};
        w.EditInput(nullptr);
        QCOMPARE(w.Project().m_inputs.Count(), 1);
        QVERIFY(prompt.asked.back().find("There are 3 scenarios") == 0);
        // Yes: every scenario gets a value for the new input.
        prompt.answers = {Answer::Yes};
        OnDialog<CdlgVariable>([](CdlgVariable& d) {
            d.booleanType->click();
            d.trueValue->click();
            d.accept();
        });
        w.EditInput(nullptr);
        QCOMPARE(w.Project().m_inputs.Count(), 2);
        const CVariable& flag = *w.Project().m_inputs.m_items[1];
        QCOMPARE(flag.m_iType, std::int32_t(kBoolean));
        QCOMPARE(flag.m_dValue, 1.0);
        for (const auto& s : w.Project().Scenarios()->Scenarios()) {
            QCOMPARE(s->m_inputs.size(), std::size_t(2));
            QCOMPARE(s->m_inputs[1].variableID, flag.m_ID);
            QCOMPARE(s->m_inputs[1].value, 1.0);
        }
        Shot(w, "after-dialogs");
    }

    void scenarioDialogAndAddScenario() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        Populate(w);
        CProject& p = w.Project();
        CScenarioMgr& sm = *p.Scenarios();
        CReceptor* stop = p.Model()->Actions()[1];
        // Add Scenario: the dialog retargets and renames the new scenario.
        OnDialog<CdlgScenario>([&](CdlgScenario& d) {
            QCOMPARE(d.countBox->text(), QString("1"));
            QCOMPARE(d.profile->topLevelItem(0)->text(1), QString("0.00"));
            d.target->setCurrentIndex(1);
            d.nameBox->setText("Braking");
            d.accept();
        });
        w.AddScenarioForOutput(nullptr);
        QCOMPARE(sm.Count(), 1);
        QCOMPARE(sm.Scenarios()[0]->m_iTargetID, stop->m_ID);
        QCOMPARE(QString::fromStdString(sm.Scenarios()[0]->m_name), QString("Braking"));
        // Cancel deletes the scenario just created.
        OnDialog<CdlgScenario>([](CdlgScenario& d) { d.reject(); });
        w.AddScenarioForOutput(nullptr);
        QCOMPARE(sm.Count(), 1);
        // Two selected: the profile shows -multi-.
        sm.CreateScenario(nullptr);
        sm.SelectAll();
        OnDialog<CdlgScenario>([](CdlgScenario& d) {
            QCOMPARE(d.profile->topLevelItem(0)->text(1), QString("-multi-"));
            d.target->setCurrentIndex(0);
            d.accept();
        });
        QVERIFY(w.EditScenarios(nullptr));
        for (const auto& s : sm.Scenarios()) QCOMPARE(s->m_iTargetID, p.Model()->Actions()[0]->m_ID);
    }

    void deletingAsksAboutScenarios() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        Populate(w);
        CProject& p = w.Project();
        for (int i = 0; i < 2; ++i) p.Scenarios()->CreateScenario(p.Model()->Actions()[1]);
        p.m_outputs.ClearSelection();
        p.m_outputs.Select(p.m_outputs.m_items[1].get());
        prompt.answers = {Answer::No};
        w.DeleteSelectedOutputs();
        QCOMPARE(p.m_outputs.Count(), 2);
        QVERIFY(prompt.asked.back().find("There are 2 scenarios for this model that currently have this output") == 0);
        prompt.answers = {Answer::Yes};
        w.DeleteSelectedOutputs();
        QCOMPARE(p.m_outputs.Count(), 1);
        QCOMPARE(p.Scenarios()->Count(), 0);
        p.Scenarios()->CreateScenario(nullptr);
        p.m_inputs.Select(p.m_inputs.m_items[0].get());
        prompt.answers = {Answer::Yes};
        w.DeleteSelectedInputs();
        QCOMPARE(p.m_inputs.Count(), 1);
        QVERIFY(prompt.asked.back().find("There are 1 scenarios for this model that will need to be updated by removing") == 0);
    }

    void newProjectOffersToSaveTheOpenOne() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        Populate(w);
        prompt.answers = {Answer::Cancel};
        w.NewProject();
        QCOMPARE(w.Project().m_inputs.Count(), 2);  // Cancel keeps the project
        QCOMPARE(QString::fromStdString(prompt.asked.back()),
                 QString("You have a project currently open. Would you like to save this project before you start a new one?"));
        prompt.answers = {Answer::No};
        w.NewProject();
        QCOMPARE(w.Project().m_inputs.Count(), 0);
    }

    void sliderPopUp() {
        CVariable v;
        v.m_name = "Speed";
        v.SetRange(0.5, 9.5);
        v.SetValue(3.7);
        int moves = 0;
        // The dialog asks for values; the caller sets them.
        CdlgSliderInput slider(v, [&](double value, bool restoring) {
            v.SetValue(value);
            moves += restoring ? 0 : 1;
        });
        QCOMPARE(slider.slider->minimum(), 0);
        QCOMPARE(slider.slider->maximum(), 9);
        QCOMPARE(slider.slider->value(), 3);
        emit slider.slider->sliderMoved(5);
        QCOMPARE(v.m_dValue, 5.0);
        QCOMPARE(moves, 1);
        slider.reject();  // Escape
        QCOMPARE(v.m_dValue, 3.7);
    }

    void heldOutFiguresAndTheLearningCurve() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm"));
        CdlgToolsPageTrain& page = w.TrainPage();
        QCOMPARE(page.heldOutFigure->text(), QString("Held out: -"));
        page.holdOut->setValue(30);
        page.patience->setValue(100);
        page.threads->setValue(2);
        QCOMPARE(*store.ReadInt(kSettingsSection, kKeyHoldOutPercent), 30);  // kept per user
        QCOMPARE(*store.ReadInt(kSettingsSection, kKeyThreads), 2);
        w.SetTrainingMethod(TrainingMethod::Rprop);
        page.startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.TrainingTimer().isActive(), 60000);
        int held = 0;
        for (const auto& s : w.Project().Scenarios()->Scenarios()) held += s->m_bHeldOut ? 1 : 0;
        QCOMPARE(held, 9);  // 30% of each decision of the thirty
        QCOMPARE(w.Project().m_trainingThreads, 2);  // the run took the page's thread count
        const RunSummary& last = w.Session().LastRun();
        QVERIFY(last.valid && last.hasHeldOut);
        QCOMPARE(page.heldOutFigure->text(),
                 QString::asprintf("Held out: %.1f%% (%d of 9)", 100.0 * last.best.heldOutCorrect / 9, last.best.heldOutCorrect));
        QVERIFY(page.trainingFigure->text().endsWith(QString::asprintf("of %d)", last.best.trainingCases)));
        QVERIFY(page.stopFigure->text().startsWith("Stopped: "));
        QVERIFY(page.holdOut->isEnabled());
        // The curve shows both series, one point per row of the run.
        w.ShowLearningCurve();
        CLearningCurve* curve = w.findChild<CLearningCurve*>();
        QVERIFY(curve && curve->isVisible());
        QVERIFY(curve->learned->count() > 1);
        QCOMPARE(curve->heldOut->count(), curve->learned->count());
        QVERIFY(curve->heldOut->isVisible());
        Shot(w, "held_out");
        Shot(*curve, "learning_curve");
        // The network kept is the run's best: the held-out figure is what it decides now.
        int right = 0;
        for (const auto& s : w.Project().Scenarios()->Scenarios()) right += s->m_bHeldOut && s->m_bLearned ? 1 : 0;
        QCOMPARE(right, last.best.heldOutCorrect);
        // The list never calls a held-out scenario learned.
        int shown = 0;
        for (int i = 0; i < test::ListRows(w); ++i) shown += test::ListCell(w, i, -1).startsWith("Held out: ") ? 1 : 0;
        QCOMPARE(shown, 9);
        // Fresh weights: the run's figures and why it stopped describe another network now.
        w.EraseKnowledge();
        QVERIFY(!w.Session().LastRun().valid);
        QCOMPARE(page.trainingFigure->text(), QString("Training: -"));
        QCOMPARE(page.heldOutFigure->text(), QString("Held out: -"));
        QVERIFY(page.stopFigure->text().isEmpty());
        page.holdOut->setValue(0);
    }

    void methodChoiceDisablesWinnerParameters() {
        test::Window t;
        auto& [store, prompt, files, w] = t;
        QVERIFY(w.OpenProjectFile(std::string(KESTRINE_EXAMPLES) + "/loan_decision.ksm"));
        QVERIFY(w.TrainPage().up[3]->isEnabled());
        w.TrainPage().method->setCurrentIndex(1);
        w.SetTrainingMethod(TrainingMethod::Rprop);
        QCOMPARE(*store.ReadInt(kSettingsSection, kKeyTrainingMethod), 1);
        for (int i = 0; i < 4; ++i) QVERIFY(!w.TrainPage().up[i]->isEnabled());
        QVERIFY(!w.TrainPage().useMomentum->isEnabled());
        QVERIFY(w.TrainPage().errorCorrection->isEnabled());
        w.TrainPage().startStop->click();
        QTRY_VERIFY_WITH_TIMEOUT(!w.TrainingTimer().isActive(), 60000);
        QCOMPARE(w.Panel().learned->text(), QString("30"));  // winner learning stalls at 23 on this set
        // Back to the winner rule: its four parameters can be changed again.
        w.TrainPage().method->setCurrentIndex(0);
        w.SetTrainingMethod(TrainingMethod::Winner);
        for (int i : {0, 2, 3}) QVERIFY(w.TrainPage().up[i]->isEnabled() && w.TrainPage().down[i]->isEnabled());
        w.SetTrainingMethod(TrainingMethod::Rprop);
        // The choice is remembered for the next window.
        CVeltrinoDlg again(&store, &prompt);
        QCOMPARE(again.TrainPage().method->currentIndex(), 1);
    }
};

QTEST_MAIN(UiTest)
#include "ui_test.moc"
