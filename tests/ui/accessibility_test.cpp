// The window as a screen reader reads it: every control that can be used has
// a name, the model view tells its inputs, receptors, outputs and decision,
// changes raise events, and the view works from the keyboard.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>
#include <functional>
#include <set>

#include "files/project_file.h"
#include "ui/dialogs/crossval_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/output_dialog.h"
#include "ui/dialogs/receptor_dialogs.h"
#include "ui/dialogs/scenario_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/dialogs/wizard.h"
#include "ui_support.h"

using namespace ks;
using namespace ks::test;

namespace {

bool Interactive(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::SpinBox:
        case QAccessible::EditableText:
        case QAccessible::ComboBox:
        case QAccessible::Slider:
        case QAccessible::PageTab:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::ProgressBar:
        case QAccessible::ListItem:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::List:
            return true;
        default: return false;
    }
}

// The paths (role/role/...) of every visible interactive element without a name.
QStringList Nameless(QAccessibleInterface* iface, const QString& path = {}, int depth = 0) {
    QStringList found;
    if (!iface || depth > 40 || iface->state().invisible) return found;
    const QString here = path + "/" + QString::number(iface->role(), 16);
    if (Interactive(iface->role()) && iface->text(QAccessible::Name).trimmed().isEmpty())
        found << here + " (" + (iface->object() ? iface->object()->metaObject()->className() : "no object") + ")";
    // A table's cells are named by their texts; an empty cell is not a control.
    if (iface->role() == QAccessible::Tree || iface->role() == QAccessible::Table) return found;
    for (int i = 0; i < iface->childCount(); ++i) found << Nameless(iface->child(i), here, depth + 1);
    return found;
}

QStringList Nameless(QWidget& w) {
    w.show();
    QApplication::processEvents();
    return Nameless(QAccessible::queryAccessibleInterface(&w));
}

QAccessibleInterface* PartOf(CVeltrinoDlg& w, int part) {
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&w.View());
    return view ? view->child(part) : nullptr;
}

// Accessibility events raised while it is active, as a client would get them.
std::vector<std::pair<QAccessible::Event, QString>> g_events;
void Record(QAccessibleEvent* e) {
    if (QAccessibleInterface* i = e->accessibleInterface()) g_events.emplace_back(e->type(), i->text(QAccessible::Name));
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        g_events.clear();
        CViewAccessibility::listener = Record;
    }
    void cleanup() { CViewAccessibility::listener = nullptr; }

    // The window with each tool page in turn, and the main dialogs: no control without a name.
    void everyControlHasAName() {
        Window win;
        QVERIFY(win.w.OpenProjectFile(KESTRINE_EXAMPLES "/loan_decision.ksm"));
        for (int page = 0; page < 3; ++page) {
            win.w.ToolTabs().setCurrentIndex(page);
            QStringList missing = Nameless(win.w);
            QVERIFY2(missing.isEmpty(), qPrintable("page " + QString::number(page) + ": " + missing.join("\n")));
        }
        CProject& p = win.w.Project();
        CVariable& input = *p.m_inputs.m_items.front();
        VARIABLE_RECORD rec;
        std::vector<std::pair<const char*, std::function<QWidget*()>>> dialogs = {
            {"input", [&]() -> QWidget* { return new CdlgVariable(&rec, input.m_name, input.m_colour, &input, -1); }},
            {"new input", []() -> QWidget* { return new CdlgVariable(nullptr, "", 0xFFFFFF, nullptr, -1); }},
            {"output", [&]() -> QWidget* { return new CdlgOutput(*p.m_outputs.m_items.front()); }},
            {"options", [&]() -> QWidget* { return new CdlgOptions(p, {0, 0, 0}); }},
            {"scenario", [&]() -> QWidget* { return new CdlgScenario(p, *p.Scenarios()->Scenarios().front(), 1); }},
            {"slider", [&]() -> QWidget* { return new CdlgSliderInput(input, [](double, bool) {}); }},
            {"connection", [&]() -> QWidget* { return new CdlgConnection(*p.Model()->m_connections.front()); }},
            {"sensor", [&]() -> QWidget* { return new CdlgReceptorSensor(*p.Model()->Sensors().front(), win.w.Session()); }},
            {"cross-validation", []() -> QWidget* { return new CdlgCrossval(FoldTraining{}, [] { return QString(); }); }},
            {"wizard", [&]() -> QWidget* { return new CdlgWizProject(win.w); }},
        };
        for (auto& [name, make] : dialogs) {
            std::unique_ptr<QWidget> d(make());
            const QStringList missing = Nameless(*d);
            QVERIFY2(missing.isEmpty(), qPrintable(QString(name) + ": " + missing.join("\n")));
        }
    }

    // The view's tree: the two bars and the network, each tile with its name and value,
    // the decision marked, and every receptor with its kind, label and value.
    void theViewTellsWhatItShows() {
        Window win;
        QVERIFY(win.w.OpenProjectFile(KESTRINE_EXAMPLES "/loan_decision.ksm"));
        CProject& p = win.w.Project();
        QAccessibleInterface* inputs = PartOf(win.w, kPartInputs);
        QAccessibleInterface* network = PartOf(win.w, kPartNetwork);
        QAccessibleInterface* outputs = PartOf(win.w, kPartOutputs);
        QVERIFY(inputs && network && outputs);
        QCOMPARE(inputs->text(QAccessible::Name), QString("Inputs bar"));
        QCOMPARE(inputs->childCount(), p.m_inputs.Count());
        QCOMPARE(outputs->childCount(), p.m_outputs.Count());
        QCOMPARE(network->childCount(), static_cast<int>(p.Model()->m_receptors.size()));
        for (int i = 0; i < inputs->childCount(); ++i) {
            const CVariable& v = *p.m_inputs.m_items[static_cast<std::size_t>(i)];
            QAccessibleInterface* tile = inputs->child(i);
            QCOMPARE(tile->text(QAccessible::Name), QString::fromStdString(v.m_name));
            QCOMPARE(tile->text(QAccessible::Value), QString::fromStdString(v.ValueText()));
            QCOMPARE(tile->valueInterface()->currentValue().toDouble(), v.m_dValue);
            QCOMPARE(tile->parent(), inputs);
            QCOMPARE(inputs->indexOfChild(tile), i);
            // Its place on screen is where it is drawn, so a pointer there finds it.
            const QPoint centre = tile->rect().center();
            QCOMPARE(QAccessible::queryAccessibleInterface(&win.w.View())->childAt(centre.x(), centre.y()), inputs);
            QCOMPARE(inputs->childAt(centre.x(), centre.y()), tile);
        }
        // Exactly one output is the decision, and it is the one the network picks for the inputs on show.
        const CReceptor* best = nullptr;
        for (const CReceptor* a : p.Model()->Actions())
            if (a->m_pOutput && (!best || a->SendValue() > best->SendValue())) best = a;
        QVERIFY(best);
        int decisions = 0;
        for (int i = 0; i < outputs->childCount(); ++i) {
            QAccessibleInterface* tile = outputs->child(i);
            if (tile->state().checked) {
                ++decisions;
                QCOMPARE(tile->text(QAccessible::Name), QString::fromStdString(best->m_pOutput->m_name));
            }
        }
        QCOMPARE(decisions, 1);
        // Receptors: names a listener can tell apart, with what they stand for, and their values.
        std::set<QString> names;
        for (int i = 0; i < network->childCount(); ++i) names.insert(network->child(i)->text(QAccessible::Name));
        QCOMPARE(static_cast<int>(names.size()), network->childCount());
        const CReceptor& action = *p.Model()->Actions().front();
        const QString actionName = QString::fromStdString("Action 1 (" + action.m_pOutput->m_name + ")");
        QVERIFY2(names.count(actionName), qPrintable(actionName));
        for (int i = 0; i < network->childCount(); ++i)
            if (network->child(i)->text(QAccessible::Name) == actionName)
                QCOMPARE(network->child(i)->text(QAccessible::Value), QString::asprintf("%0.3f", action.SendValue()));

        // A new value for an input is told, and a changed decision too.
        const int before = static_cast<int>(g_events.size());
        CVariable& income = *p.m_inputs.m_items.front();
        QAccessibleInterface* incomeTile = inputs->child(0);
        win.w.Session().SetInputValue(&income, income.m_dMax);
        win.w.Session().UpdateNetwork();
        win.w.View().Draw();
        QCOMPARE(incomeTile->text(QAccessible::Value), QString::fromStdString(income.ValueText()));
        bool valueTold = false;
        for (std::size_t i = static_cast<std::size_t>(before); i < g_events.size(); ++i)
            valueTold = valueTold || (g_events[i].first == QAccessible::ValueChanged && g_events[i].second == incomeTile->text(QAccessible::Name));
        QVERIFY(valueTold);

        // Set through its value, as a screen reader's user sets it: kept in range, and the view follows.
        incomeTile->valueInterface()->setCurrentValue(income.m_dMin - 50.0);
        QTRY_COMPARE(income.m_dValue, income.m_dMin);
        QCOMPARE(incomeTile->valueInterface()->currentValue().toDouble(), income.m_dMin);
        QCOMPARE(incomeTile->text(QAccessible::Value), QString::fromStdString(income.ValueText()));

        // An input deleted: its tile goes with it, the bar is told.
        const int count = inputs->childCount();
        QAccessibleInterface* last = inputs->child(count - 1);
        QVERIFY(last->isValid());
        p.m_inputs.ClearSelection();
        p.m_inputs.Select(p.m_inputs.m_items.back().get());
        for (int i = 0; i < 3; ++i) win.prompt.answers.push_back(Answer::Yes);
        QVERIFY(win.w.Session().DeleteSelectedInputs());
        win.w.View().Draw();
        QCOMPARE(inputs->childCount(), count - 1);
    }

    // Tab reaches the view; arrows move between the tiles, selecting them; Return opens the slider.
    void theViewWorksFromTheKeyboard() {
        Window win;
        QVERIFY(win.w.OpenProjectFile(KESTRINE_EXAMPLES "/loan_decision.ksm"));
        CDisplay& view = win.w.View();
        CProject& p = win.w.Project();
        QApplication::setActiveWindow(&win.w);
        // The view comes just before the list's tabs in the tab order.
        win.w.ListTabs().setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(win.w.ListTabs().hasFocus());
        QCOMPARE(view.KeyboardIndex(), -1);
        QTest::keyClick(&win.w.ListTabs(), Qt::Key_Backtab);
        QTRY_VERIFY(view.hasFocus());
        QCOMPARE(view.KeyboardPart(), int(kPartInputs));
        QCOMPARE(view.KeyboardIndex(), 0);
        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(view.KeyboardIndex(), 1);
        QCOMPARE(p.m_inputs.m_selection.size(), std::size_t{1});
        QCOMPARE(p.m_inputs.m_selection.front(), p.m_inputs.m_items[1].get());
        QTest::keyClick(&view, Qt::Key_End);
        QCOMPARE(view.KeyboardIndex(), p.m_inputs.Count() - 1);
        QTest::keyClick(&view, Qt::Key_Right);  // stays on the last
        QCOMPARE(view.KeyboardIndex(), p.m_inputs.Count() - 1);
        QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(&view)->focusChild();
        QVERIFY(focused);
        QCOMPARE(focused->text(QAccessible::Name), QString::fromStdString(p.m_inputs.m_items.back()->m_name));
        QVERIFY(focused->state().focused);
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(view.KeyboardPart(), int(kPartOutputs));
        QCOMPARE(p.m_inputs.m_selection.size(), std::size_t{0});
        // The keyboard frames an output; the highlight stays on the network's decision.
        QCOMPARE(p.m_outputs.m_selection.size(), std::size_t{1});
        QCOMPARE(p.m_outputs.m_selection.front().output, p.Model()->DisplayWinner()->m_pOutput);
        for (QTest::keyClick(&view, Qt::Key_Home); p.m_outputs.m_items[static_cast<std::size_t>(view.KeyboardIndex())].get() ==
                                                   p.Model()->DisplayWinner()->m_pOutput;)
            QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(p.m_outputs.m_selection.front().output, p.Model()->DisplayWinner()->m_pOutput);
        // Delete on the framed output asks about that one; answered No, the decision is marked again.
        win.prompt.answers = {Answer::No};
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(win.prompt.asked.back(), std::string("Delete the 1 selected output?"));
        QCOMPARE(p.m_outputs.Count(), 3);
        QCOMPARE(p.m_outputs.m_selection.front().output, p.Model()->DisplayWinner()->m_pOutput);
        // Return on an input opens its slider, as dropping it back on its tile does.
        QTest::keyClick(&view, Qt::Key_Up);
        QTest::keyClick(&view, Qt::Key_Home);
        CVariable* opened = nullptr;
        view.onSlider = [&](CVariable* v) { opened = v; };
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(opened, p.m_inputs.m_items.front().get());
        // The same through the accessibility interface's action (queued, as a client's request is).
        opened = nullptr;
        QAccessibleInterface* tile = PartOf(win.w, kPartInputs)->child(1);
        tile->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(opened, p.m_inputs.m_items[1].get());
    }

    // Tab goes round every control that can be used on each page, and a check
    // box changed any way (as assistive technology toggles it) changes the project.
    void everyPageIsReachableByTab() {
        Window win;
        QVERIFY(win.w.OpenProjectFile(KESTRINE_EXAMPLES "/loan_decision.ksm"));
        QApplication::setActiveWindow(&win.w);
        for (int page = 0; page < 3; ++page) {
            win.w.ToolTabs().setCurrentIndex(page);
            QApplication::processEvents();
            std::set<QWidget*> reached;
            QWidget* w = &win.w.View();
            do {
                if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) reached.insert(w);
                w = w->nextInFocusChain();
            } while (w != &win.w.View());
            QWidget* pages[3] = {&win.w.BuildPage(), &win.w.TrainPage(), &win.w.SimulatePage()};
            for (QAbstractButton* b : pages[page]->findChildren<QAbstractButton*>())
                if (b->isVisible() && b->isEnabled())
                    QVERIFY2(reached.count(b), qPrintable(QString("page %1: %2").arg(page).arg(b->text())));
        }
        CdlgToolsPageTrain& train = win.w.TrainPage();
        train.useMomentum->setChecked(!train.useMomentum->isChecked());
        QCOMPARE(win.w.Project().Model()->m_bUseMomentum, train.useMomentum->isChecked());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
