#include "ui/pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/numeric.h"
#include "model/text.h"
#include "training/endpoints.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/spin_arrows.h"
#include "ui/ui_messages.h"

namespace ks {

namespace {

QPushButton* Button(QLayout* layout, const char* caption, const char* icon = nullptr) {
    auto* b = new QPushButton(caption);
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

bool TrainingInProgress(CProject& p) { return p.Scenarios() && p.Scenarios()->m_bTrainingInProgress; }

}  // namespace

// ------------------------------------------------------------------ Build page

cdlgToolsPage::cdlgToolsPage(CVeltrinoDlg& window) : m_window(window) {
    auto* layout = new QVBoxLayout(this);
    Group(layout, "Input");
    newInput = Button(layout, "New Input");
    deleteInput = Button(layout, "Delete Input");
    Group(layout, "Output");
    newOutput = Button(layout, "New Output");
    deleteOutput = Button(layout, "Delete Output");
    Group(layout, "Structure");
    addProcessor = Button(layout, "Add Processor");
    lessProcessors = Button(layout, "Less Processors");
    processorBias = Button(layout, "Processor Bias");
    actionBias = Button(layout, "Action Bias");
    removeBias = Button(layout, "Remove Bias");
    alignAll = Button(layout, "Align All");
    layout->addSpacing(8);
    createRuntime = Button(layout, "Create Runtime");
    modelView = new QCheckBox("Model View");
    layout->addWidget(modelView);
    layout->addStretch(1);
    deleteInput->setEnabled(false);
    deleteOutput->setEnabled(false);

    connect(newInput, &QPushButton::clicked, this, [this] { m_window.EditInput(nullptr); });
    connect(deleteInput, &QPushButton::clicked, this, [this] { m_window.DeleteSelectedInputs(); });
    connect(newOutput, &QPushButton::clicked, this, [this] {
        if (m_window.Project().m_bOpen) m_window.EditOutput(nullptr);
    });
    connect(deleteOutput, &QPushButton::clicked, this, [this] { m_window.DeleteSelectedOutputs(); });
    connect(addProcessor, &QPushButton::clicked, this, [this] { OnAddProcessor(); });
    connect(lessProcessors, &QPushButton::clicked, this, [this] { OnLessProcessors(); });
    connect(processorBias, &QPushButton::clicked, this, [this] { OnBias(kProcessor); });
    connect(actionBias, &QPushButton::clicked, this, [this] { OnBias(kAction); });
    connect(removeBias, &QPushButton::clicked, this, [this] { OnRemoveBias(); });
    connect(alignAll, &QPushButton::clicked, this, [this] {
        if (m_window.Project().m_bOpen) m_window.View().Align();
    });
    connect(createRuntime, &QPushButton::clicked, this, [this] { m_window.ExportSystem(); });
    connect(modelView, &QCheckBox::clicked, this, [this] { OnModelView(); });
}

void cdlgToolsPage::OnAddProcessor() {
    CProject& p = m_window.Project();
    const std::int32_t before = p.AddProcessors(1);
    if (before == 0) return;
    if (p.m_bOpen && p.Model()) {
        p.Model()->RandomizeAllWeights();
        p.UpdateNetwork();
    }
    m_window.View().Align();
    m_window.RefreshPanels();
}

void cdlgToolsPage::OnLessProcessors() {
    Trace("1 deleteProcessor Called\n");
    m_window.Project().RemoveLastProcessor();
    m_window.Project().UpdateNetwork();
    m_window.View().Align();
    m_window.RefreshPanels();
}

void cdlgToolsPage::OnBias(int kind) {
    CProject& p = m_window.Project();
    if (p.IsReady()) {
        AddBiasToKind(*p.Model(), kind);
        p.UpdateNetwork();
    }
    m_window.View().Draw();
    m_window.RefreshPanels();
}

void cdlgToolsPage::OnRemoveBias() {
    CProject& p = m_window.Project();
    if (p.Model()) {
        p.Model()->ClearSelection();
        p.Model()->SelectKind(kBias);
        p.Model()->DeleteSelectedReceptors();
        p.UpdateNetwork();
    }
    m_window.View().Draw();
    m_window.RefreshPanels();
}

void cdlgToolsPage::OnModelView() {
    CProject& p = m_window.Project();
    if (p.m_bOpen) p.m_bModelView = modelView->isChecked();
    m_window.View().LayoutBars(false);
    m_window.View().Draw();
    m_window.RefreshPanels();
}

void cdlgToolsPage::UpdateBuildPage() {
    CProject& p = m_window.Project();
    const bool enabled = p.m_bOpen && !TrainingInProgress(p);
    for (QWidget* w : std::initializer_list<QWidget*>{newInput, deleteInput, newOutput, deleteOutput, addProcessor,
                                                      lessProcessors, processorBias, actionBias, removeBias, alignAll,
                                                      createRuntime, modelView})
        w->setEnabled(enabled);
    modelView->setChecked(p.m_bModelView);
}

// ------------------------------------------------------------------ Train page

CdlgToolsPageTrain::CdlgToolsPageTrain(CVeltrinoDlg& window) : m_window(window) {
    auto* outer = new QVBoxLayout(this);
    auto* box = new QGroupBox("Training");
    outer->addWidget(box);
    auto* layout = new QVBoxLayout(box);
    startStop = Button(layout, "Start / Stop Learning", "start");
    erase = Button(layout, "Erase Knowledge", "erase");
    createScenarios = Button(layout, "Create Scenarios", "create");
    createScenarios->setToolTip("Create All End Point Scenarios");
    addScenario = Button(layout, "Add Scenario", "add");
    editScenario = Button(layout, "Edit Scenario", "edit");
    deleteSelected = Button(layout, "Delete Selected", "delete");
    deleteAll = Button(layout, "Delete All", "delete");
    auto* params = new QGroupBox("Training Parameters");
    layout->addWidget(params);
    auto* grid = new QVBoxLayout(params);
    auto* methodRow = new QHBoxLayout;
    methodRow->addWidget(new QLabel("Method:"));
    method = new QComboBox;
    method->addItem("Winner Learning");
    method->addItem("Resilient Backprop");
    methodRow->addWidget(method, 1);
    grid->addLayout(methodRow);
    const char* labels[4] = {"Learn Rate:", "Momentum:", "Batch Size:", "Reset Limit:"};
    for (int i = 0; i < 4; ++i) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(labels[i]), 1);
        values[i] = new QLineEdit;
        values[i]->setReadOnly(true);
        values[i]->setFixedWidth(56);
        row->addWidget(values[i]);
        AddSpinArrows(row, up[i], down[i], this, [this, i](int change) { Spin(i, change); });
        grid->addLayout(row);
    }
    useMomentum = new QCheckBox("Use Momentum");
    errorCorrection = new QCheckBox("Error Correction");
    grid->addWidget(useMomentum);
    grid->addWidget(errorCorrection);
    outer->addStretch(1);

    connect(method, &QComboBox::activated, this, [this](int index) {
        m_window.SetTrainingMethod(index == 1 ? TrainingMethod::Rprop : TrainingMethod::Winner);
    });
    connect(startStop, &QPushButton::clicked, this, [this] { m_window.OnStartStopLearning(); });
    connect(erase, &QPushButton::clicked, this, [this] { m_window.EraseKnowledge(); });
    connect(createScenarios, &QPushButton::clicked, this, [this] { OnCreateScenarios(); });
    connect(addScenario, &QPushButton::clicked, this, [this] { m_window.AddScenarioForOutput(nullptr); });
    connect(editScenario, &QPushButton::clicked, this, [this] { m_window.EditScenarios(nullptr); });
    connect(deleteSelected, &QPushButton::clicked, this, [this] { OnDeleteSelected(); });
    connect(deleteAll, &QPushButton::clicked, this, [this] { OnDeleteAll(); });
    auto flag = [this](QCheckBox* box, bool CReceptorMgr::*field) {
        CProject& p = m_window.Project();
        if (p.IsReady()) m_window.Runner().Locked([&] { (*p.Model()).*field = box->isChecked(); });
        UpdateTrainPage();
    };
    connect(useMomentum, &QCheckBox::clicked, this, [this, flag] { flag(useMomentum, &CReceptorMgr::m_bUseMomentum); });
    connect(errorCorrection, &QCheckBox::clicked, this,
            [this, flag] { flag(errorCorrection, &CReceptorMgr::m_bErrorCorrection); });
}

void CdlgToolsPageTrain::Spin(int which, int change) {
    CProject& p = m_window.Project();
    CReceptorMgr* m = p.Model();
    m_window.Runner().Locked([&] {
        switch (which) {
        case 0:
            if (p.m_bOpen && m) m->SetLearnRate(ToSingle(m->m_dLearnRate) - change * kSingleHundredth);
            break;
        case 1:
            if (p.m_bOpen && m) m->m_dMomentum = m->m_dMomentum - change * kSingleHundredth;
            break;
        case 2:
            if (p.IsReady()) p.Scenarios()->m_iBatchSize -= change;
            break;
        case 3:
            if (p.IsReady()) m->m_iResetLimit -= change * 10;
            break;
        }
    });
    ShowTrainingValues();
}

void CdlgToolsPageTrain::ShowTrainingValues() {
    CProject& p = m_window.Project();
    const CReceptorMgr* m = p.m_bOpen ? p.Model() : nullptr;
    const bool ready = p.IsReady();
    values[0]->setText(QString::asprintf("%0.3f", m ? static_cast<double>(static_cast<float>(m->m_dLearnRate)) : 0.0));
    values[1]->setText(QString::asprintf("%0.3f", m ? m->m_dMomentum : 0.0));
    values[2]->setText(QString::asprintf("%d", ready ? p.Scenarios()->m_iBatchSize : 0));
    values[3]->setText(QString::asprintf("%d", ready ? p.Model()->m_iResetLimit : 0));
}

void CdlgToolsPageTrain::UpdateTrainPage() {
    ShowTrainingValues();
    CProject& p = m_window.Project();
    const bool open = p.m_bOpen, ready = p.IsReady();
    for (int i = 0; i < 4; ++i) values[i]->setEnabled(open);
    for (int i = 1; i < 4; ++i) {
        up[i]->setEnabled(open);
        down[i]->setEnabled(open);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{useMomentum, errorCorrection, startStop, erase, createScenarios,
                                                      addScenario, editScenario, deleteSelected, deleteAll})
        w->setEnabled(open);
    errorCorrection->setChecked(ready && p.Model()->m_bErrorCorrection);
    const bool momentum = ready && p.Model()->m_bUseMomentum;
    useMomentum->setChecked(momentum);
    values[1]->setEnabled(momentum);
    up[1]->setEnabled(momentum);
    down[1]->setEnabled(momentum);
    const bool selection = ready && !p.Scenarios()->m_selection.empty();
    editScenario->setEnabled(selection);
    deleteSelected->setEnabled(selection);
    const bool scenarios = ready && p.Scenarios()->Count() > 0;
    deleteAll->setEnabled(scenarios);
    startStop->setEnabled(scenarios);
    if (TrainingInProgress(p))
        for (QWidget* w : std::initializer_list<QWidget*>{createScenarios, editScenario, deleteSelected, deleteAll, addScenario})
            w->setEnabled(false);
    // Resilient back-propagation has no learn rate, momentum, batch or reset limit.
    const bool rprop = p.m_trainingMethod == TrainingMethod::Rprop;
    method->setCurrentIndex(rprop ? 1 : 0);
    method->setEnabled(!TrainingInProgress(p));
    if (rprop) {
        for (int i = 0; i < 4; ++i) {
            values[i]->setEnabled(false);
            up[i]->setEnabled(false);
            down[i]->setEnabled(false);
        }
        useMomentum->setEnabled(false);
    }
}

void CdlgToolsPageTrain::OnCreateScenarios() {
    CProject& p = m_window.Project();
    if (p.m_bOpen && p.Model() && CreateEndpointScenarios(p, m_window.Prompt()) != 0) {
        m_window.BuildListColumns();
        p.Scenarios()->EvaluateAll();
        p.Scenarios()->ScoreAll();
        m_window.FillList();
        m_window.RefreshPanels();
        m_window.View().Draw();
    }
    ShowTrainingValues();
}

void CdlgToolsPageTrain::OnDeleteSelected() {
    CProject& p = m_window.Project();
    if (p.m_bOpen && p.Model() && p.Scenarios()) {
        p.Scenarios()->DeleteSelected();
        p.Scenarios()->ClearSelection();
    }
    m_window.FillList();
    m_window.RefreshPanels();
}

void CdlgToolsPageTrain::OnDeleteAll() {
    CProject& p = m_window.Project();
    const int n = p.IsReady() ? p.Scenarios()->Count() : 0;
    if (m_window.Prompt().Ask(Format(msg::kDeleteAllScenarios, n), Buttons::YesNo) != Answer::Yes) return;
    if (!p.Scenarios()) return;
    p.Scenarios()->SelectAll();
    if (p.m_bOpen && p.Model()) {
        p.Scenarios()->DeleteSelected();
        p.Scenarios()->ClearSelection();
    }
    m_window.FillList();
    m_window.RefreshPanels();
}

// --------------------------------------------------------------- Simulate page

CdlgToolsPageSimulate::CdlgToolsPageSimulate(CVeltrinoDlg& window) : m_window(window) {
    auto* outer = new QVBoxLayout(this);
    auto* box = new QGroupBox("Simulation");
    outer->addWidget(box);
    auto* layout = new QVBoxLayout(box);
    start = Button(layout, "Start Sim", "start");
    stop = Button(layout, "Stop Sim", "stop");
    step = Button(layout, "Step Sim", "step");
    reset = Button(layout, "Reset Sim", "reset");
    outer->addStretch(1);
    connect(start, &QPushButton::clicked, this, [this] { m_window.StartSimulation(); });
    connect(stop, &QPushButton::clicked, this, [this] { m_window.StopSimulation(); });
    connect(step, &QPushButton::clicked, this, [this] { m_window.StepSimulation(); });
    connect(reset, &QPushButton::clicked, this, [this] { m_window.ResetSimulation(); });
}

void CdlgToolsPageSimulate::UpdateSimulatePage() {
    CProject& p = m_window.Project();
    const bool enabled = p.m_bOpen && !TrainingInProgress(p);
    for (QPushButton* b : {start, stop, step, reset}) b->setEnabled(enabled);
}

// ------------------------------------------------------------ lower-left panel

CdlgPanelLowerLeft::CdlgPanelLowerLeft(CVeltrinoDlg& window) {
    (void)window;
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    auto* fields = new QVBoxLayout;
    auto field = [&](const char* label) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(label), 1);
        auto* edit = new QLineEdit("0");
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
    time->setText("00:00");
    logo = new QPushButton;
    logo->setIcon(pictures::AppIcon());
    logo->setIconSize(QSize(40, 40));
    logo->setFlat(true);
    fields->addWidget(logo, 0, Qt::AlignLeft);
    connect(logo, &QPushButton::clicked, this, [&window] { window.OpenHelpPage("halveklogo"); });
    layout->addLayout(fields, 1);
    auto* bar = new QVBoxLayout;
    auto* caption = new QLabel("Know-\nledge\nLevel:");
    QFont small = caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    caption->setFont(small);
    bar->addWidget(caption);
    knowledge = new QProgressBar;
    knowledge->setOrientation(Qt::Vertical);
    knowledge->setTextVisible(false);
    knowledge->setRange(0, 1);
    knowledge->setValue(0);
    bar->addWidget(knowledge, 1, Qt::AlignHCenter);
    layout->addLayout(bar);
}

}  // namespace ks
