#include "ui/pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "session/session.h"
#include "training/training_runner.h"
#include "ui/pictures.h"
#include "ui/spin_arrows.h"

namespace ks {

// A field named by the label before it: the label points at it (Alt+letter,
// screen readers) and the field's accessible name is the caption without its
// colon and line breaks.
void NameAfter(QLabel* label, QWidget* field) {
    label->setBuddy(field);
    QString name = label->text();
    name.remove('&').replace("-\n", "").replace('\n', ' ');
    if (name.endsWith(':')) name.chop(1);
    field->setAccessibleName(name.trimmed());
}

namespace {

QPushButton* Button(QLayout* layout, const char* caption, const char* tip, const char* icon = nullptr) {
    auto* b = new QPushButton(caption);
    b->setToolTip(tip);
    if (icon) b->setIcon(pictures::ButtonIcon(icon));
    b->setCursor(Qt::PointingHandCursor);
    layout->addWidget(b);
    return b;
}

void Group(QVBoxLayout* layout, const char* caption) {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(caption));
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    row->addWidget(line, 1);
    layout->addLayout(row);
}


}  // namespace

// ------------------------------------------------------------------ Build page

cdlgToolsPage::cdlgToolsPage(CSession& session) : m_session(session) {
    auto* layout = new QVBoxLayout(this);
    Group(layout, "Input");
    newInput = Button(layout, "New Input", "Add an input: a value the network reads");
    deleteInput = Button(layout, "Delete Input", "Delete the inputs selected in the inputs bar");
    Group(layout, "Output");
    newOutput = Button(layout, "New Output", "Add an output: a decision the network can make");
    deleteOutput = Button(layout, "Delete Output", "Delete the outputs selected in the outputs bar");
    Group(layout, "Structure");
    addProcessor = Button(layout, "Add Processor", "Add a hidden processor (the weights start afresh)");
    lessProcessors = Button(layout, "Less Processors", "Remove a hidden processor");
    processorBias = Button(layout, "Processor Bias", "Give every processor a bias receptor");
    actionBias = Button(layout, "Action Bias", "Give every action receptor a bias receptor");
    removeBias = Button(layout, "Remove Bias", "Remove every bias receptor");
    alignAll = Button(layout, "Align All", "Lay the network out again in tidy columns");
    layout->addSpacing(8);
    createRuntime = Button(layout, "Create Runtime", "Export the trained network for your own application");
    modelView = new QCheckBox("Model View");
    modelView->setToolTip("Show the network as a layered model");
    layout->addWidget(modelView);
    layout->addStretch(1);
    deleteInput->setEnabled(false);
    deleteOutput->setEnabled(false);

    connect(newInput, &QPushButton::clicked, this, &cdlgToolsPage::newInputRequested);
    connect(deleteInput, &QPushButton::clicked, this, &cdlgToolsPage::deleteInputsRequested);
    connect(newOutput, &QPushButton::clicked, this, [this] {
        if (m_session.Project().m_bOpen) emit newOutputRequested();
    });
    connect(deleteOutput, &QPushButton::clicked, this, &cdlgToolsPage::deleteOutputsRequested);
    connect(addProcessor, &QPushButton::clicked, this, [this] { m_session.AddProcessor(); });
    connect(lessProcessors, &QPushButton::clicked, this, [this] { m_session.RemoveProcessor(); });
    connect(processorBias, &QPushButton::clicked, this, [this] { m_session.AddBiasToKind(kProcessor); });
    connect(actionBias, &QPushButton::clicked, this, [this] { m_session.AddBiasToKind(kAction); });
    connect(removeBias, &QPushButton::clicked, this, [this] { m_session.RemoveBiases(); });
    connect(alignAll, &QPushButton::clicked, this, [this] {
        if (m_session.Project().m_bOpen) emit alignRequested();
    });
    connect(createRuntime, &QPushButton::clicked, this, &cdlgToolsPage::exportRequested);
    // Any change of the box (a click, the keyboard, an accessibility tool) changes the project.
    connect(modelView, &QCheckBox::toggled, this, [this](bool on) {
        if (on != m_session.Project().m_bModelView) m_session.SetModelView(on);
    });
}

void cdlgToolsPage::UpdateBuildPage() {
    CProject& p = m_session.Project();
    const bool enabled = p.m_bOpen && !m_session.Training();
    for (QWidget* w : std::initializer_list<QWidget*>{newInput, deleteInput, newOutput, deleteOutput, addProcessor,
                                                      lessProcessors, processorBias, actionBias, removeBias, alignAll,
                                                      createRuntime, modelView})
        w->setEnabled(enabled);
    const QSignalBlocker quiet(modelView);
    modelView->setChecked(p.m_bModelView);
}

// ------------------------------------------------------------------ Train page

CdlgToolsPageTrain::CdlgToolsPageTrain(CSession& session) : m_session(session) {
    // The page scrolls when the column is shorter than its controls, rather
    // than squeezing them until their captions are unreadable.
    auto* pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget;
    content->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // as wide as the column, never wider
    scroll->setWidget(content);
    pageLayout->addWidget(scroll);
    auto* outer = new QVBoxLayout(content);
    outer->setContentsMargins(4, 4, 4, 4);
    auto* box = new QGroupBox("Training");
    outer->addWidget(box);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    startStop = Button(layout, "Start / Stop Learning", "Start training, or stop it and keep what was learned", "start");
    erase = Button(layout, "Erase Knowledge", "Give every connection a new random weight", "erase");
    createScenarios = Button(layout, "Create Scenarios", "Create All End Point Scenarios", "create");
    addScenario = Button(layout, "Add Scenario", "Store the inputs as they are now as a new scenario", "add");
    editScenario = Button(layout, "Edit Scenario", "Edit the selected scenarios", "edit");
    deleteSelected = Button(layout, "Delete Selected", "Delete the selected scenarios", "delete");
    deleteAll = Button(layout, "Delete All", "Delete every scenario", "delete");
    auto* params = new QGroupBox("Training Parameters");
    layout->addWidget(params);
    auto* grid = new QVBoxLayout(params);
    grid->setContentsMargins(4, 4, 4, 4);
    // The method on a row of its own: beside its label the column would cut its name.
    auto* methodLabel = new QLabel("Method:");
    grid->addWidget(methodLabel);
    method = new QComboBox;
    NameAfter(methodLabel, method);
    method->addItem("Winner Learning");
    method->addItem("Resilient Backprop");
    method->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    method->setMinimumContentsLength(10);
    method->setToolTip("Winner Learning: the classic rule with the four parameters below; Resilient Backprop: "
                       "adapts its own steps, usually far faster");
    grid->addWidget(method);
    const char* labels[4] = {"Learn Rate:", "Momentum:", "Batch Size:", "Reset Limit:"};
    const char* tips[4] = {"How far each step of the winner rule moves the weights",
                           "How much of the previous change each step keeps (with Use Momentum)",
                           "Scenarios added to the working set at a time",
                           "Cycles without progress before a stuck network is shaken"};
    for (int i = 0; i < 4; ++i) {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        auto* label = new QLabel(labels[i]);
        row->addWidget(label, 1);
        values[i] = new QLineEdit;
        NameAfter(label, values[i]);
        values[i]->setReadOnly(true);
        values[i]->setFixedWidth(40);
        values[i]->setToolTip(tips[i]);
        row->addWidget(values[i]);
        AddSpinArrows(row, up[i], down[i], this, [this, i](int change) { Spin(i, change); }, values[i]->accessibleName());
        grid->addLayout(row);
    }
    useMomentum = new QCheckBox("Use Momentum");
    errorCorrection = new QCheckBox("Error Correction");
    useMomentum->setToolTip("Apply each change with momentum");
    errorCorrection->setToolTip("Do not strengthen a path that already favours a stronger rival");
    grid->addWidget(useMomentum);
    grid->addWidget(errorCorrection);

    // How well the network decides cases it has not learned from.
    auto* testing = new QGroupBox("How Good Is It");
    outer->addWidget(testing);
    auto* tests = new QVBoxLayout(testing);
    tests->setContentsMargins(4, 4, 4, 4);
    auto spinRow = [&](const char* label, int lo, int hi, int step, const char* tip) {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        auto* caption = new QLabel(label);
        row->addWidget(caption, 1);
        auto* box = new QSpinBox;
        NameAfter(caption, box);
        box->setRange(lo, hi);
        box->setSingleStep(step);
        box->setToolTip(tip);
        box->setFixedWidth(66);
        row->addWidget(box);
        tests->addLayout(row);
        return box;
    };
    holdOut = spinRow("Hold Out %:", 0, 90, 5,
                      "Keep this share of each output's scenarios out of training, to test the network on (0: none)");
    holdOut->setSpecialValueText("none");
    holdOutSeed = spinRow("Seed:", 1, 999999, 1, "Which scenarios are held out: the same seed holds out the same ones");
    patience = spinRow("Patience:", 0, 1000000, 50,
                       "Stop after this many cycles without a better held-out (or learned) figure (0: never)");
    patience->setSpecialValueText("off");
    threads = spinRow("Threads:", 0, 64, 1,
                      "Threads for resilient back-propagation on big data (0: one per core); any number learns the same");
    threads->setSpecialValueText("all");
    trainingFigure = new QLabel;
    heldOutFigure = new QLabel;
    stopFigure = new QLabel;
    for (QLabel* l : {trainingFigure, heldOutFigure, stopFigure}) {
        l->setWordWrap(true);
        tests->addWidget(l);
    }
    trainingFigure->setToolTip("Training scenarios the network decides right");
    heldOutFigure->setToolTip("Held-out scenarios, never trained on, the network decides right");
    stopFigure->setToolTip("Why the last run ended; the best state it saw is kept");
    curve = Button(tests, "Learning Curve...", "Show how the figures changed while training ran");
    const TrainingWatch watch = m_session.Watch();
    holdOut->setValue(watch.holdoutPercent);
    holdOutSeed->setValue(watch.seed);
    patience->setValue(watch.patience);
    threads->setValue(watch.threads);
    for (QSpinBox* box : {holdOut, holdOutSeed, patience, threads})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            m_session.SetWatch({holdOut->value(), holdOutSeed->value(), patience->value(), threads->value()});
        });
    connect(curve, &QPushButton::clicked, this, &CdlgToolsPageTrain::curveRequested);
    outer->addStretch(1);

    connect(method, &QComboBox::activated, this, [this](int index) {
        m_session.SetTrainingMethod(index == 1 ? TrainingMethod::Rprop : TrainingMethod::Winner);
    });
    connect(startStop, &QPushButton::clicked, this, &CdlgToolsPageTrain::startStopRequested);
    connect(erase, &QPushButton::clicked, this, &CdlgToolsPageTrain::eraseRequested);
    connect(createScenarios, &QPushButton::clicked, this, [this] {
        m_session.CreateEndpointScenarios();
        ShowTrainingValues();
    });
    connect(addScenario, &QPushButton::clicked, this, &CdlgToolsPageTrain::addScenarioRequested);
    connect(editScenario, &QPushButton::clicked, this, &CdlgToolsPageTrain::editScenarioRequested);
    connect(deleteSelected, &QPushButton::clicked, this, [this] { m_session.DeleteSelectedScenarios(); });
    connect(deleteAll, &QPushButton::clicked, this, [this] { m_session.DeleteAllScenarios(); });
    connect(useMomentum, &QCheckBox::toggled, this, [this](bool on) {
        m_session.SetUseMomentum(on);
        UpdateTrainPage();
    });
    connect(errorCorrection, &QCheckBox::toggled, this, [this](bool on) {
        m_session.SetErrorCorrection(on);
        UpdateTrainPage();
    });
}

void CdlgToolsPageTrain::Spin(int which, int change) {
    m_session.SpinTrainingValue(which, change);
    ShowTrainingValues();
}

void CdlgToolsPageTrain::ShowTrainingValues() {
    CProject& p = m_session.Project();
    // The training thread lowers the learn rate when it rescues a run: read under the lock.
    double learnRate = 0.0, momentum = 0.0;
    int batch = 0, reset = 0;
    m_session.Locked([&] {
        const CReceptorMgr* m = p.m_bOpen ? p.Model() : nullptr;
        const bool ready = p.IsReady();
        learnRate = m ? static_cast<double>(static_cast<float>(m->m_dLearnRate)) : 0.0;
        momentum = m ? m->m_dMomentum : 0.0;
        batch = ready ? p.Scenarios()->m_iBatchSize : 0;
        reset = ready ? p.Model()->m_iResetLimit : 0;
    });
    values[0]->setText(QString::asprintf("%0.3f", learnRate));
    values[1]->setText(QString::asprintf("%0.3f", momentum));
    values[2]->setText(QString::asprintf("%d", batch));
    values[3]->setText(QString::asprintf("%d", reset));
}

void CdlgToolsPageTrain::UpdateTrainPage() {
    ShowTrainingValues();
    CProject& p = m_session.Project();
    const bool open = p.m_bOpen, ready = p.IsReady();
    for (int i = 0; i < 4; ++i) values[i]->setEnabled(open);
    // The Learn Rate arrows are always enabled (unless the method has no learn rate, below).
    up[0]->setEnabled(true);
    down[0]->setEnabled(true);
    for (int i = 1; i < 4; ++i) {
        up[i]->setEnabled(open);
        down[i]->setEnabled(open);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{useMomentum, errorCorrection, startStop, erase, createScenarios,
                                                      addScenario, editScenario, deleteSelected, deleteAll})
        w->setEnabled(open);
    const bool momentum = ready && p.Model()->m_bUseMomentum;
    {
        // Showing the project's state is no change of it.
        const QSignalBlocker quiet1(useMomentum), quiet2(errorCorrection);
        errorCorrection->setChecked(ready && p.Model()->m_bErrorCorrection);
        useMomentum->setChecked(momentum);
    }
    values[1]->setEnabled(momentum);
    up[1]->setEnabled(momentum);
    down[1]->setEnabled(momentum);
    const bool selection = ready && !p.Scenarios()->m_selection.empty();
    editScenario->setEnabled(selection);
    deleteSelected->setEnabled(selection);
    const bool scenarios = ready && p.Scenarios()->Count() > 0;
    deleteAll->setEnabled(scenarios);
    startStop->setEnabled(scenarios);
    if (m_session.Training())
        for (QWidget* w : std::initializer_list<QWidget*>{createScenarios, editScenario, deleteSelected, deleteAll, addScenario})
            w->setEnabled(false);
    // Resilient back-propagation has no learn rate, momentum, batch or reset limit.
    const bool rprop = p.m_trainingMethod == TrainingMethod::Rprop;
    method->setCurrentIndex(rprop ? 1 : 0);
    method->setEnabled(!m_session.Training());
    if (rprop) {
        for (int i = 0; i < 4; ++i) {
            values[i]->setEnabled(false);
            up[i]->setEnabled(false);
            down[i]->setEnabled(false);
        }
        useMomentum->setEnabled(false);
    }
    for (QSpinBox* box : {holdOut, holdOutSeed, patience, threads}) box->setEnabled(!m_session.Training());
    ShowFigures(nullptr);
}

void CdlgToolsPageTrain::ShowFigures(const TrainingSnapshot* running) {
    auto share = [](std::int32_t right, std::int32_t of) {
        return of > 0 ? QString::asprintf("%.1f%% (%d of %d)", 100.0 * right / of, right, of) : QString("-");
    };
    bool heldOut = false;
    RunFigures f;
    QString stop;
    if (running && running->watched) {
        f = running->latest;
        heldOut = running->hasHeldOut;
        stop = "Training...";
    } else if (const RunSummary& last = m_session.LastRun(); last.valid) {
        f = last.best;
        heldOut = last.hasHeldOut;
        const bool byUser = last.reason == StopReason::Interrupted;
        stop = QString("Stopped: %1; kept the best state (cycle %2)")
                   .arg(byUser ? "by you" : StopReasonName(last.reason))
                   .arg(last.best.cycle);
    } else {
        trainingFigure->setText("Training: -");
        heldOutFigure->setText("Held out: -");
        stopFigure->clear();
        return;
    }
    trainingFigure->setText("Training: " + share(f.learned, f.trainingCases));
    heldOutFigure->setText("Held out: " + (heldOut ? share(f.heldOutCorrect, f.heldOutCases) : QString("none")));
    stopFigure->setText(stop);
}

// --------------------------------------------------------------- Simulate page

CdlgToolsPageSimulate::CdlgToolsPageSimulate(CSession& session) : m_session(session) {
    auto* outer = new QVBoxLayout(this);
    auto* box = new QGroupBox("Simulation");
    outer->addWidget(box);
    auto* layout = new QVBoxLayout(box);
    start = Button(layout, "Start Sim", "Run the simulation: the inputs change by themselves", "start");
    stop = Button(layout, "Stop Sim", "Stop the simulation", "stop");
    step = Button(layout, "Step Sim", "One simulation tick", "step");
    reset = Button(layout, "Reset Sim", "Every input to its minimum, the tick count to 1", "reset");
    outer->addStretch(1);
    connect(start, &QPushButton::clicked, this, &CdlgToolsPageSimulate::startRequested);
    connect(stop, &QPushButton::clicked, this, &CdlgToolsPageSimulate::stopRequested);
    connect(step, &QPushButton::clicked, this, &CdlgToolsPageSimulate::stepRequested);
    connect(reset, &QPushButton::clicked, this, &CdlgToolsPageSimulate::resetRequested);
}

void CdlgToolsPageSimulate::UpdateSimulatePage() {
    CProject& p = m_session.Project();
    const bool enabled = p.m_bOpen && !m_session.Training();
    for (QPushButton* b : {start, stop, step, reset}) b->setEnabled(enabled);
}

// ------------------------------------------------------------ lower-left panel

void CdlgPanelLowerLeft::Show(QLineEdit* field, const QString& text) {
    if (field->text() == text) return;
    QFont f = font();
    const int room = field->width() - 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4;
    while (QFontMetrics(f).horizontalAdvance(text) > room && f.pointSizeF() > 5) f.setPointSizeF(f.pointSizeF() - 0.5);
    field->setFont(f);
    field->setText(text);
    field->setCursorPosition(0);
}

CdlgPanelLowerLeft::CdlgPanelLowerLeft() {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    auto* fields = new QVBoxLayout;
    auto field = [&](const char* label) {
        auto* row = new QHBoxLayout;
        auto* caption = new QLabel(label);
        row->addWidget(caption, 1);
        auto* edit = new QLineEdit("0");
        NameAfter(caption, edit);
        edit->setReadOnly(true);
        edit->setAlignment(Qt::AlignCenter);
        edit->setFixedWidth(44);
        row->addWidget(edit);
        fields->addLayout(row);
        return edit;
    };
    inputs = field("Inputs:");
    outputs = field("Outputs:");
    scenarios = field("Scenarios:");
    learned = field("Learned:");
    time = field("Time:");
    inputs->setToolTip("Inputs of the project");
    outputs->setToolTip("Outputs of the project");
    scenarios->setToolTip("Example cases of the project");
    learned->setToolTip("Scenarios the network decides right as it is now");
    time->setToolTip("Time of the last training run (minutes:seconds)");
    time->setText("00:00");
    logo = new QPushButton;
    logo->setIcon(pictures::AppIcon());
    logo->setIconSize(QSize(40, 40));
    logo->setFlat(true);
    logo->setToolTip("Help");
    logo->setAccessibleName("Kestrine help");
    fields->addWidget(logo, 0, Qt::AlignLeft);
    connect(logo, &QPushButton::clicked, this, [this] { emit helpRequested("halveklogo"); });
    layout->addLayout(fields, 1);
    auto* bar = new QVBoxLayout;
    auto* caption = new QLabel("Know-\nledge\nLevel:");
    QFont small = caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    caption->setFont(small);
    bar->addWidget(caption);
    knowledge = new QProgressBar;
    knowledge->setAccessibleName("Knowledge Level");
    knowledge->setAccessibleDescription("Scenarios learned of all scenarios");
    knowledge->setOrientation(Qt::Vertical);
    knowledge->setTextVisible(false);
    knowledge->setRange(0, 1);
    knowledge->setValue(0);
    bar->addWidget(knowledge, 1, Qt::AlignHCenter);
    layout->addLayout(bar);
}

}  // namespace ks
