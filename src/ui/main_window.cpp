#include "ui/main_window.h"
#include "ui/learning_curve.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeView>

#include "files/c_export.h"
#include "files/messages.h"
#include "model/text.h"
#include "training/simulation.h"
#include "ui/dialogs/output_dialog.h"
#include "ui/dialogs/receptor_dialogs.h"
#include "ui/dialogs/scenario_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "ui/graphics.h"
#include "model/numeric.h"
#include "ui/pictures.h"
#include "ui/ui_messages.h"

namespace ks {

namespace {

// The client area paints the background, the two bands and the status strip.
class ClientArea : public QWidget {
public:
    explicit ClientArea(CVeltrinoDlg& w) : m_window(w) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), ToQColor(0xF0F0F0));
        CProject& project = m_window.Project();
        const QRect view = m_window.View().geometry();
        const QRect title = view.adjusted(-4, -20, 4, 4);
        const int wide = m_window.LayoutMode() == 2;
        const QRect controls(view.right() + 11, view.top(), wide ? 600 : 200, height() - 32 - view.top());
        const QRect controlsBand = controls.adjusted(-4, -20, 4, 4);
        p.fillRect(title, ToQColor(0x996633));
        p.fillRect(controlsBand, ToQColor(0x996633));
        QFont f("Arial");
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(Qt::white);
        QString text = "Start New Project";
        if (m_window.Session().Training())
            text = QString("Project: %1 - Learning Mode").arg(QString::fromStdString(project.m_name));
        else if (project.m_bOpen)
            text = QString("Project: %1 - Build Mode").arg(QString::fromStdString(project.m_name));
        p.drawText(QRect(title.left(), title.top() + 2, title.width(), 20), Qt::AlignCenter, text);
        // What is painted is also told: the band's text is this area's name.
        if (accessibleName() != text) setAccessibleName(text);
        p.drawText(QRect(controlsBand.left(), controlsBand.top() + 2, controlsBand.width(), 20), Qt::AlignCenter, "Controls");
        p.fillRect(controls, ToQColor(0xF0F0F0));
        DrawStatusStrip(p);
    }

private:
    // Why the last run ended while its figures stand; the inputs count otherwise.
    QString StripMiddleText() {
        const RunSummary& last = m_window.Session().LastRun();
        if (last.valid && !m_window.Session().Training())
            return QString("  Stopped: %1").arg(last.reason == StopReason::Interrupted ? "by you" : StopReasonName(last.reason));
        return QString::asprintf("  Inputs: %d", m_window.Project().m_inputs.Count());
    }
    void DrawStatusStrip(QPainter& p) {
        const QRect strip(0, height() - 24, width(), 24);
        p.fillRect(strip, ToQColor(0xF0F0F0));
        const int w = (width() - 16) / 5;
        const int top = strip.top() + 2, h = strip.height() - 4;
        const QRect c1(strip.left() + 2, top, w, h), c5(strip.right() + 1 - 2 - w, top, w, h);
        const QRect c2(c1.right() + 1 + 8, top, w, h), c4(c5.left() - 8 - w, top, w, h);
        const QRect c3(c2.right() + 1 + 4, top, c4.left() - 4 - (c2.right() + 1 + 4), h);
        CProject& project = m_window.Project();
        const QString texts[5] = {
            QString("  %1").arg(QString::fromStdString(project.m_name)),
            QString::asprintf("  Sim Tick: %d", m_window.Session().Figures().simulationTicks),
            StripMiddleText(),
            QString::asprintf("  Receptors: %d", project.m_iReceptorCount),
            QString::asprintf("  Connections: %d", project.m_iConnectionCount),
        };
        const QRect cells[5] = {c1, c2, c3, c4, c5};
        QStringList told;
        for (const QString& t : texts) told << t.trimmed();
        if (const QString d = told.join("; "); accessibleDescription() != d) setAccessibleDescription(d);
        QFont f("Arial");
        f.setPixelSize(12);
        p.setFont(f);
        for (int i = 0; i < 5; ++i) {
            p.setPen(ToQColor(0x5C5C5C));
            p.drawLine(cells[i].topLeft(), cells[i].topRight());
            p.drawLine(cells[i].topLeft(), cells[i].bottomLeft());
            p.setPen(Qt::white);
            p.drawLine(cells[i].bottomLeft(), cells[i].bottomRight());
            p.drawLine(cells[i].topRight(), cells[i].bottomRight());
            p.setPen(Qt::black);
            p.drawText(cells[i], Qt::AlignVCenter | Qt::TextSingleLine,
                       p.fontMetrics().elidedText(texts[i], Qt::ElideRight, cells[i].width()));
        }
    }
    CVeltrinoDlg& m_window;
};

}  // namespace

CVeltrinoDlg::CVeltrinoDlg(ISettingsStore* settings, IPrompt* prompt, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_project(settings), m_startDir(QDir::currentPath()) {
    if (settings && settings->ReadInt(kSettingsSection, kKeyTrainingMethod).value_or(0) == 1)
        m_project.m_trainingMethod = TrainingMethod::Rprop;
    if (!prompt) {
        m_ownPrompt = std::make_unique<QtPrompt>(this);
        prompt = m_ownPrompt.get();
    }
    m_prompt = prompt;
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    m_session = std::make_unique<CSession>(m_project, *m_prompt, settings);
    m_runner = &m_session->Runner();
    m_session->layoutBars = [this] { m_view->LayoutBars(false); };
    m_session->onChanged = [this](unsigned changes) { OnSessionChanged(changes); };
    setWindowTitle(msg::kWindowTitle);
    setWindowIcon(pictures::AppIcon());
    m_client = new ClientArea(*this);
    setCentralWidget(m_client);
    m_view = new CDisplay(m_client);
    m_view->SetSession(m_session.get());
    m_listTabs = new QTabBar(m_client);
    // The captions keep their look; a screen reader hears them without the padding.
    for (const char* t : {"   Inputs", "   Outputs   ", "   Scenarios"})
        m_listTabs->setAccessibleTabName(m_listTabs->addTab(t), QString(t).trimmed());
    m_list = new QTreeView(m_client);
    m_listModel = new CProjectListModel(m_project, this);
    m_list->setModel(m_listModel);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);  // rows are laid out without measuring each one
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAlternatingRowColors(false);
    m_collapse = new QToolButton(m_client);
    m_collapse->setText("^");
    m_collapse->setAccessibleName("Collapse the view");
    m_toolTabs = new QTabBar(m_client);
    for (const char* t : {"  Build", "  Train", "  Simulate"})
        m_toolTabs->setAccessibleTabName(m_toolTabs->addTab(t), QString(t).trimmed());
    m_toolTabs->setExpanding(true);
    m_toolTabs->setUsesScrollButtons(false);
    m_toolTabs->setStyleSheet("QTabBar::tab { min-width: 50px; padding: 4px 2px; }");
    m_build = new cdlgToolsPage(*m_session);
    m_train = new CdlgToolsPageTrain(*m_session);
    m_simulate = new CdlgToolsPageSimulate(*m_session);
    m_panel = new CdlgPanelLowerLeft;
    for (QWidget* w : std::initializer_list<QWidget*>{m_build, m_train, m_simulate, m_panel}) w->setParent(m_client);
    CreateMenus();

    m_view->onEdited = [this] { RefreshPanels(); FillList(); m_client->update(); };
    // Delete in the view deletes the selected inputs or outputs, asking as the menu commands do.
    m_view->setFocusPolicy(Qt::StrongFocus);  // reached by Tab too: arrows move between the tiles
    m_view->onDelete = [this] {
        if (!m_project.m_bOpen || m_session->Training()) return;
        // The outputs bar's selection also marks the decision on show, so a
        // key press never deletes without a question.
        const std::size_t inputs = m_project.m_inputs.m_selection.size(), outputs = m_project.m_outputs.m_selection.size();
        if (inputs == 0 && outputs == 0) return;
        const std::string what = inputs ? Format("the %zu selected input%s", inputs, inputs == 1 ? "" : "s")
                                        : Format("the %zu selected output%s", outputs, outputs == 1 ? "" : "s");
        if (m_prompt->Ask("Delete " + what + "?", Buttons::YesNo) != Answer::Yes) return;
        if (inputs)
            DeleteSelectedInputs();
        else
            DeleteSelectedOutputs();
    };
    m_view->onOpen = [this](int type, void* object) { OpenProperties(type, object); };
    m_view->onSlider = [this](CVariable* input) { OpenSlider(input); };
    m_view->Attach(&m_project, m_runner, m_prompt);

    connect(m_listTabs, &QTabBar::currentChanged, this, [this](int t) { SelectListTab(t); });
    connect(m_toolTabs, &QTabBar::currentChanged, this, [this](int t) { SelectToolTab(t); });
    connect(m_collapse, &QToolButton::clicked, this, [this] { ToggleCollapse(); });
    ConnectScenarioList();
    ConnectPages();
    connect(&m_simulationTimer, &QTimer::timeout, this, [this] { StepSimulation(); });
    connect(&m_trainingTimer, &QTimer::timeout, this, [this] { OnTrainingTimer(); });
    m_simulationTimer.setInterval(50);
    m_trainingTimer.setInterval(50);

    // Below this the model view, the list and the Controls column no longer fit side by side.
    setMinimumSize(960, 680);
    resize(1100, 720);
    m_listTabs->setCurrentIndex(2);
    LayoutControls();
    RefreshPanels();
    FillList();
    m_view->Align();
}

CVeltrinoDlg::~CVeltrinoDlg() { StopActivity(); }

void CVeltrinoDlg::StopActivity() {
    m_trainingTimer.stop();
    m_simulationTimer.stop();
    m_runner->Stop();  // joins the training thread
    m_listModel->SetLiveScores(nullptr);  // the scores are the list's own again
    m_view->m_bSimulationRunning = false;
}

void CVeltrinoDlg::ConnectPages() {
    connect(m_build, &cdlgToolsPage::newInputRequested, this, [this] { EditInput(nullptr); });
    connect(m_build, &cdlgToolsPage::deleteInputsRequested, this, [this] { DeleteSelectedInputs(); });
    connect(m_build, &cdlgToolsPage::newOutputRequested, this, [this] { EditOutput(nullptr); });
    connect(m_build, &cdlgToolsPage::deleteOutputsRequested, this, [this] { DeleteSelectedOutputs(); });
    connect(m_build, &cdlgToolsPage::alignRequested, this, [this] { m_view->Align(); });
    connect(m_build, &cdlgToolsPage::exportRequested, this, [this] { ExportSystem(); });
    connect(m_train, &CdlgToolsPageTrain::startStopRequested, this, [this] { OnStartStopLearning(); });
    connect(m_train, &CdlgToolsPageTrain::curveRequested, this, [this] { ShowLearningCurve(); });
    connect(m_train, &CdlgToolsPageTrain::eraseRequested, this, [this] { EraseKnowledge(); });
    connect(m_train, &CdlgToolsPageTrain::addScenarioRequested, this, [this] { AddScenarioForOutput(nullptr); });
    connect(m_train, &CdlgToolsPageTrain::editScenarioRequested, this, [this] { EditScenarios(nullptr); });
    connect(m_simulate, &CdlgToolsPageSimulate::startRequested, this, [this] { StartSimulation(); });
    connect(m_simulate, &CdlgToolsPageSimulate::stopRequested, this, [this] { StopSimulation(); });
    connect(m_simulate, &CdlgToolsPageSimulate::stepRequested, this, [this] { StepSimulation(); });
    connect(m_simulate, &CdlgToolsPageSimulate::resetRequested, this, [this] { ResetSimulation(); });
    connect(m_panel, &CdlgPanelLowerLeft::helpRequested, this, [this](const QString& topic) { OpenHelpPage(topic); });
}

void CVeltrinoDlg::UpdateUndoActions() {
    const bool idle = !m_session->Training();
    const std::string undo = m_session->UndoName(), redo = m_session->RedoName();
    m_undoAction->setText(undo.empty() ? QString("Undo") : QString::fromStdString("Undo " + undo));
    m_redoAction->setText(redo.empty() ? QString("Redo") : QString::fromStdString("Redo " + redo));
    m_undoAction->setEnabled(idle && !undo.empty());
    m_redoAction->setEnabled(idle && !redo.empty());
}

void CVeltrinoDlg::UndoRedo(bool undo) {
    StopActivity();
    if (!(undo ? m_session->Undo() : m_session->Redo())) return;
    // The project was read back: nothing the view held of the old one stays.
    const int inputsOffset = m_project.m_inputs.m_iOffset, outputsOffset = m_project.m_outputs.m_iOffset;
    m_view->Attach(&m_project, m_runner, m_prompt);
    m_project.m_inputs.m_iOffset = inputsOffset;
    m_project.m_outputs.m_iOffset = outputsOffset;
    m_view->LayoutBars(false);
    FillList();
    RefreshPanels();
    Redraw();
    UpdateUndoActions();
}

void CVeltrinoDlg::OnSessionChanged(unsigned changes) {
    if (changes & kChangedLayout)
        m_view->Align();
    else if (changes & (kChangedElements | kChangedValues))
        m_view->LayoutBars(false);
    if (changes & (kChangedElements | kChangedScenarios)) FillList();
    Redraw();
    RefreshPanels();
    if (m_undoAction) UpdateUndoActions();
}

void CVeltrinoDlg::CreateMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("New Project...", QKeySequence("Ctrl+N"), this, [this] { NewProjectWizard(); });
    file->addAction("Open Project...", this, [this] { NewOrOpenProject(kProjectLoaded); });
    file->addAction("Close Project", this, [this] {
        if (OfferToSaveChanges(msg::kUnsavedBeforeClose)) CloseProject();
    });
    file->addAction("Save", this, [this] { SaveProject(); });
    file->addAction("Save As...", this, [this] { SaveProjectAs(); });
    file->addAction("Export AI System for Integration...", this, [this] { ExportSystem(); });
    file->addAction("Export C Source...", this, [this] { ExportCSource(); });
    file->addSeparator();
    file->addAction("Exit", this, [this] { close(); });  // closeEvent joins the training thread
    // The Build page's accelerators act on the Build page.
    auto shortcut = [this](const QKeySequence& keys, QPushButton* button) {
        auto* sc = new QShortcut(keys, this);
        connect(sc, &QShortcut::activated, button, [button] {
            if (button->isEnabled()) button->click();
        });
    };
    shortcut(QKeySequence("Ctrl+O"), m_build->newOutput);
    shortcut(QKeySequence("Ctrl+I"), m_build->newInput);
    shortcut(QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Plus)), m_build->addProcessor);
    shortcut(QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)), m_build->lessProcessors);
    QMenu* edit = menuBar()->addMenu("&Edit");
    m_undoAction = edit->addAction("Undo", QKeySequence::Undo, this, [this] { UndoRedo(true); });
    m_redoAction = edit->addAction("Redo", QKeySequence("Ctrl+Shift+Z"), this, [this] { UndoRedo(false); });
    connect(edit, &QMenu::aboutToShow, this, [this] { UpdateUndoActions(); });
    UpdateUndoActions();
    QMenu* construction = menuBar()->addMenu("&Construction");
    construction->addAction("Add Input...", this, [this] { EditInput(nullptr); });
    construction->addAction("Add Output...", this, [this] {
        if (m_project.m_bOpen) EditOutput(nullptr);
    });
    construction->addAction("Delete Selected Inputs", this, [this] { DeleteSelectedInputs(); });
    construction->addAction("Delete Selected Outputs", this, [this] { DeleteSelectedOutputs(); });
    construction->addAction("Add Bias to Processors", this, [this] { m_build->processorBias->click(); });
    construction->addAction("Add Bias to Action Receptors", this, [this] { m_build->actionBias->click(); });
    construction->addAction("Remove All Bias", this, [this] { m_build->removeBias->click(); });
    QMenu* training = menuBar()->addMenu("&Training");
    training->addAction("Start Training", this, [this] {
        if (!m_project.m_training.running && m_train->startStop->isEnabled()) OnStartStopLearning();
    });
    training->addAction("Stop Training", this, [this] {
        if (m_project.m_training.running) OnStartStopLearning();
    });
    training->addAction("Erase Knowledge", this, [this] { EraseKnowledge(); });
    training->addAction("Learning Curve...", this, [this] { ShowLearningCurve(); });
    training->addAction("Evaluate...", this, [this] { EvaluateScenarios(); });
    training->addAction("Test With Data File...", this, [this] { TestWithDataFile(); });
    training->addAction("Cross-Validate...", this, [this] { CrossValidateFile(); });
    QMenu* simulation = menuBar()->addMenu("&Simulation");
    simulation->addAction("Start Simulation", this, [this] { StartSimulation(); });
    simulation->addAction("Stop Simulation", this, [this] { StopSimulation(); });
    simulation->addAction("Single Step ", this, [this] { StepSimulation(); });
    QMenu* tools = menuBar()->addMenu("T&ools");
    tools->addAction("Options...", this, [this] { OpenOptions(); });
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("Online Help...", this, [this] { OpenHelpPage("Help"); });
    help->addAction("Check for Updates...", this, [this] { OpenUpdatePage(); });
    help->addAction("About Kestrine...", this, [this] {
        QMessageBox box(QMessageBox::NoIcon, "About Halvek Kestrine", "Halvek Kestrine 1.0", QMessageBox::Ok, this);
        box.setIconPixmap(pictures::AppIcon().pixmap(48, 48));
        box.exec();
    });
}

void CVeltrinoDlg::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    LayoutControls();
}

void CVeltrinoDlg::closeEvent(QCloseEvent* e) {
    if (!OfferToSaveChanges(msg::kUnsavedBeforeExit)) return e->ignore();
    StopActivity();
    e->accept();
}

void CVeltrinoDlg::LayoutControls() {
    const int W = m_client->width(), H = m_client->height();
    m_view->Resize(W, m_collapsed ? 210 : H);
    const QRect v = m_view->geometry();
    const int L = v.left(), R = v.right() + 1, B = v.bottom() + 1;
    m_listTabs->setGeometry(L + 160, B + 6, R - L - 184, 26);
    m_collapse->setGeometry(R - 22, B + 6, 22, 22);
    m_list->setGeometry(L + 160, B + 30, R - L - 160, std::max(0, H - B - 54));
    m_layoutMode = W > 1340 ? 2 : 0;
    const int pagesX = R + 11;
    m_toolTabs->setGeometry(pagesX, 30, 200, 26);
    const int pageTop = m_layoutMode == 2 ? 30 : 56;
    for (QWidget* page : std::initializer_list<QWidget*>{m_build, m_train, m_simulate})
        page->setFixedSize(200, std::max(0, H - 32 - pageTop));
    if (m_layoutMode == 2) {
        m_toolTabs->hide();
        m_build->move(pagesX, pageTop);
        m_train->move(pagesX + 200, pageTop);
        m_simulate->move(pagesX + 400, pageTop);
    } else {
        m_toolTabs->show();
        for (QWidget* page : std::initializer_list<QWidget*>{m_build, m_train, m_simulate}) page->move(pagesX, pageTop);
    }
    const int panelHeight = H - B - 50;
    m_panel->setGeometry(8, B + 16, L + 148, std::max(0, panelHeight));
    m_panel->setVisible(panelHeight >= 2);
    ShowToolPages();
    m_view->Draw();
    m_client->update();
}

void CVeltrinoDlg::ShowToolPages() {
    QWidget* pages[3] = {m_build, m_train, m_simulate};
    for (int i = 0; i < 3; ++i) pages[i]->setVisible(m_layoutMode == 2 || i == m_toolTab);
    if (m_toolTab == 1) m_train->UpdateTrainPage();
}

void CVeltrinoDlg::SelectToolTab(int tab) {
    m_toolTab = tab;
    ShowToolPages();
}

void CVeltrinoDlg::SelectListTab(int tab) {
    m_listTab = tab;
    if (m_listTabs->currentIndex() != tab) m_listTabs->setCurrentIndex(tab);
    // The list is named after what it lists, for a screen reader.
    m_list->setAccessibleName(m_listTabs->accessibleTabName(tab));
    FillList();
    m_view->m_bDrawingEnabled = true;
}

void CVeltrinoDlg::ToggleCollapse() {
    m_collapsed = !m_collapsed;
    m_collapse->setText(m_collapsed ? "v" : "^");
    m_collapse->setAccessibleName(m_collapsed ? "Expand the view" : "Collapse the view");
    m_view->m_bCollapsed = m_collapsed;
    m_view->Resize(m_client->width(), m_collapsed ? 156 : m_client->height());
    LayoutControls();
    m_list->setFocus();
}

void CVeltrinoDlg::RefreshPanels() {
    m_build->UpdateBuildPage();
    m_train->UpdateTrainPage();
    m_simulate->UpdateSimulatePage();
    // Read in one go under the training lock: the thread writes the time and the counts.
    const PanelFigures f = m_session->Figures();
    m_panel->Show(m_panel->inputs, QString::number(f.inputs));
    m_panel->Show(m_panel->outputs, QString::number(f.outputs));
    m_panel->Show(m_panel->scenarios, QString::number(f.scenarios));
    m_panel->Show(m_panel->learned, QString::number(f.learned));
    m_panel->knowledge->setRange(0, std::max(f.scenarios, 1));
    m_panel->knowledge->setValue(f.learned);
    m_panel->Show(m_panel->time, QString::fromStdString(f.elapsedText));
    m_client->update();
}

void CVeltrinoDlg::Redraw() {
    m_view->Draw();
    m_client->update();
}

// ------------------------------------------------------------------ training

void CVeltrinoDlg::OnStartStopLearning() {
    // About to start: the list reads copies of the scores before the thread
    // writes them (the session reports the start once the thread runs).
    const bool starting = !m_runner->IsRunning();
    if (starting) FreezeListScores();
    const int r = m_session->StartStopTraining();  // a stop has ended the run already
    if (r < 0) {
        AfterTraining();
    } else if (r > 0) {
        RefreshPanels();
        m_trainingTimer.start();
    } else if (starting) {
        m_listModel->SetLiveScores(nullptr);
    }
}

void CVeltrinoDlg::OnTrainingTimer() {
    if (m_runner->IsRunning()) {
        // The fields and the picture of one cycle: the view renders while the figures are copied.
        m_runner->Snapshot(m_snapshot, [&] { m_view->RenderHeld(); });
        m_panel->Show(m_panel->learned, QString::number(m_snapshot.learned));
        m_panel->Show(m_panel->time, QString::fromStdString(m_snapshot.elapsedText));
        m_panel->knowledge->setValue(m_snapshot.learned);
        m_train->ShowFigures(&m_snapshot);
        if (m_curve && m_curve->isVisible()) m_curve->Show(m_snapshot);
        if (m_project.m_bUpdateTableWhileLearning) RefreshLearnedColumn();
        m_view->Publish();
        m_client->update();
        return;
    }
    // The run ended by itself (the user's Stop does not come here): say so
    // from this thread rather than posting from the training thread.
    QApplication::beep();
    EndTraining();
    Redraw();
}

void CVeltrinoDlg::EndTraining() {
    m_session->EndTraining();
    AfterTraining();
}

void CVeltrinoDlg::AfterTraining() {
    m_trainingTimer.stop();
    m_view->m_bSimulationRunning = false;
    RefreshScenarioTexts();
    RefreshPanels();
    m_train->ShowFigures(nullptr);
    if (m_curve && m_curve->isVisible()) {
        m_runner->Snapshot(m_snapshot);
        m_curve->Show(m_snapshot);
    }
}

void CVeltrinoDlg::ShowLearningCurve() {
    if (!m_curve) m_curve = new CLearningCurve(this);
    m_runner->Snapshot(m_snapshot);
    m_curve->Show(m_snapshot);
    m_curve->show();
    m_curve->raise();
}

void CVeltrinoDlg::SetTrainingMethod(TrainingMethod method) { m_session->SetTrainingMethod(method); }

void CVeltrinoDlg::EraseKnowledge() {
    if (!m_project.m_bOpen || !m_project.Model()) return;
    m_view->Gesture().Reset();
    m_session->EraseKnowledge();
    RefreshScenarioTexts();
}

// ---------------------------------------------------------------- simulation

void CVeltrinoDlg::StartSimulation() {
    if (!m_project.m_bOpen) return;
    m_view->m_bSimulationRunning = true;
    m_simulationTimer.start();
    RefreshPanels();
}

void CVeltrinoDlg::StopSimulation() {
    m_view->m_bSimulationRunning = false;
    m_simulationTimer.stop();
    RefreshPanels();
    Redraw();
}

void CVeltrinoDlg::StepSimulation() { m_session->SimulationStep(); }

void CVeltrinoDlg::ResetSimulation() { m_session->SimulationReset(); }

// ------------------------------------------------------------------ projects

void CVeltrinoDlg::AttachProject() {
    m_view->Attach(&m_project, m_runner, m_prompt);
    m_view->Align();
    SelectListTab(2);
    RefreshPanels();
    setWindowTitle(msg::kWindowTitle);
}

void CVeltrinoDlg::OpenProperties(int type, void* object) {
    m_view->Gesture().Reset();
    switch (type) {
    case kTargetInputsBar: EditInput(nullptr); break;
    case kTargetInput: EditInput(static_cast<CVariable*>(object)); break;
    case kTargetOutput: ChooseOutputAction(static_cast<COutput*>(object)); break;
    case kTargetOutputsBar:
        if (m_project.m_bOpen) EditOutput(nullptr);
        break;
    case kTargetSensor: {
        CdlgReceptorSensor dialog(*static_cast<CReceptor*>(object), *m_session, this);
        dialog.exec();
        RefreshPanels();
        Redraw();
        break;
    }
    case kTargetProcessor: CdlgReceptorPlain("Processor Receptor Properties", this).exec(); break;
    case kTargetBias: CdlgReceptorPlain("Bias Receptor Properties", this).exec(); break;
    case kTargetAction: CdlgReceptorPlain("Action Receptor Properties", this).exec(); break;
    case kTargetConnection: {
        auto* c = static_cast<CConnection*>(object);
        CdlgConnection dialog(*c, this);
        if (dialog.exec() == QDialog::Accepted) m_session->SetWeight(c, dialog.m_dWeight);
        Redraw();
        break;
    }
    default: break;
    }
}

}  // namespace ks
