#include "ui/dialogs/wizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/project.h"
#include "model/prompt.h"
#include "model/text.h"
#include "ui/dialogs/new_elements.h"
#include "ui/dialogs/output_dialog.h"
#include "ui/dialogs/variable_dialog.h"
#include "session/session.h"
#include "ui/pictures.h"
#include "ui/project_lists.h"
#include "ui/ui_messages.h"

namespace ks {

namespace {

// Runs `act` when Delete is pressed in a widget (the key reaches the list, not the dialog).
class DeleteKeyFilter : public QObject {
public:
    DeleteKeyFilter(QObject* parent, std::function<void()> act) : QObject(parent), m_act(std::move(act)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Delete) return false;
        m_act();
        return true;
    }

private:
    std::function<void()> m_act;
};

void OnDeleteKey(QWidget& w, std::function<void()> act) { w.installEventFilter(new DeleteKeyFilter(&w, std::move(act))); }

const std::map<int, const char*> kTitles = {
    {CdlgWizProject::kWelcome, "New Project Wizard - Welcome"},
    {CdlgWizProject::kName, "New Project Wizard - Set Name and Password (step 1 of 4)"},
    {CdlgWizProject::kInputs, "New Project Wizard - Add Inputs (step 2 of 4)"},
    {CdlgWizProject::kOutputs, "New Project Wizard - Add Outputs (step 3 of 4)"},
    {CdlgWizProject::kTrainData, "New Project Wizard - Add Training Data (step 4 of 4)"},
    {CdlgWizProject::kFinished, "New Project Wizard - Done!"},
    {CdlgWizProject::kImport, "New Project Wizard - Import Data"},
    {CdlgWizProject::kImported, "New Project Wizard - Imported Training Data (step 4 of 4)"},
};

QLabel* Paragraph(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

QTreeWidget* List() {
    auto* list = new QTreeWidget;
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

}  // namespace

CdlgWizProject::CdlgWizProject(IWizardHost& host)
    : QDialog(host.HostWidget()),
      m_window(host),
      m_project(host.Session().Project()),
      m_originalName(host.Session().Project().m_name) {
    resize(760, 500);
    auto* outer = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    auto* side = new QLabel;
    side->setPixmap(QPixmap::fromImage(pictures::WizardSide(160, 420)));
    side->setFixedWidth(164);
    side->setAlignment(Qt::AlignTop);
    body->addWidget(side);
    m_stack = new QStackedWidget;
    body->addWidget(m_stack, 1);
    outer->addLayout(body, 1);
    auto* buttons = new QHBoxLayout;
    help = new QPushButton("Get Help Online");
    previous = new QPushButton("< Previous");
    next = new QPushButton("Next >");
    finish = new QPushButton("Finish");
    cancel = new QPushButton("Cancel");
    buttons->addWidget(help);
    buttons->addStretch(1);
    for (QPushButton* b : {previous, next, finish, cancel}) buttons->addWidget(b);
    outer->addLayout(buttons);
    next->setDefault(true);
    connect(help, &QPushButton::clicked, this, [this] { m_window.OpenHelpPage("WizHelp"); });
    connect(previous, &QPushButton::clicked, this, [this] { Previous(); });
    connect(next, &QPushButton::clicked, this, [this] { Next(); });
    connect(finish, &QPushButton::clicked, this, [this] { Finish(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    BuildPages();
    ShowPage(kWelcome);
}

QWidget* CdlgWizProject::MakePage(int page, const char* heading) {
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    auto* top = new QHBoxLayout;
    auto* title = new QLabel(heading);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.5);
    f.setBold(true);
    title->setFont(f);
    title->setWordWrap(true);
    top->addWidget(title, 1);
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(pictures::WizardStep(page)));
    top->addWidget(picture);
    layout->addLayout(top);
    m_pages[page] = w;
    m_stack->addWidget(w);
    return w;
}

void CdlgWizProject::BuildPages() {
    // 193
    QWidget* w = MakePage(kWelcome, "New AI System Wizard");
    w->layout()->addWidget(Paragraph(
        "Deploying an AI system capable of making decisions on its own takes four steps. First, give the project a "
        "name and choose how to begin. Second, describe the inputs: the information each decision is based on. "
        "Third, describe the outputs: the decisions the system can make. Fourth, give it training data: example "
        "cases, each with its inputs and the right decision.\n\nAfter the wizard, the system learns from those cases "
        "on the Train tab; you try it on the Simulate tab and export it for your own application from the File menu."));
    static_cast<QVBoxLayout*>(w->layout())->addStretch(1);

    // 194
    w = MakePage(kName, "Getting Started");
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Name:"));
    nameBox = new QLineEdit;
    row->addWidget(nameBox, 1);
    static_cast<QVBoxLayout*>(w->layout())->addLayout(row);
    w->layout()->addWidget(Paragraph(
        "Please select the approach that is best for your project. Have the wizard guide you through the steps, or "
        "simply start on your own in the work area. You may also import your own data and have the system built from "
        "existing training data set."));
    approaches[kApproachGuided] = new QRadioButton("Let the Project Wizard guide me");
    approaches[kApproachBlank] = new QRadioButton("New blank project");
    approaches[kApproachImported] = new QRadioButton("New project based on imported training data");
    for (int a : {kApproachGuided, kApproachBlank, kApproachImported}) {
        w->layout()->addWidget(approaches[a]);
        connect(approaches[a], &QRadioButton::clicked, this, [this, a] { SetApproach(a); });
    }
    approaches[kApproachGuided]->setChecked(true);
    static_cast<QVBoxLayout*>(w->layout())->addStretch(1);

    // 195
    w = MakePage(kInputs, "Create the Inputs (information to process)");
    w->layout()->addWidget(Paragraph("Add one input for each piece of information a decision depends on."));
    addInput = new QPushButton("Add Input");
    inputsList = List();
    inputsList->setStyleSheet("QTreeWidget { background: rgb(228, 228, 228); }");
    w->layout()->addWidget(addInput);
    w->layout()->addWidget(inputsList);
    connect(addInput, &QPushButton::clicked, this, [this] { OnAddInput(); });
    MakeEditable(*inputsList, 0);

    // 196
    w = MakePage(kOutputs, "Create the Outputs (decisions to make)");
    w->layout()->addWidget(Paragraph("Add one output for each decision the system can make."));
    addOutput = new QPushButton("Add Output");
    outputsList = List();
    w->layout()->addWidget(addOutput);
    w->layout()->addWidget(outputsList);
    connect(addOutput, &QPushButton::clicked, this, [this] { OnAddOutput(); });
    MakeEditable(*outputsList, 1);

    // 197
    w = MakePage(kTrainData, "Create Training Data");
    w->layout()->addWidget(Paragraph(
        "Give the system example cases to learn from. \"Create Endpoint Scenarios\" makes one case for every "
        "combination of the inputs' extreme values; \"Add Scenario\" adds one case from the inputs' current values."));
    auto* buttons = new QHBoxLayout;
    createEndpoints = new QPushButton("Create Endpoint Scenarios");
    addScenario = new QPushButton("Add Scenario");
    buttons->addWidget(createEndpoints);
    buttons->addWidget(addScenario);
    buttons->addStretch(1);
    static_cast<QVBoxLayout*>(w->layout())->addLayout(buttons);
    scenarioList = List();
    w->layout()->addWidget(scenarioList);
    MakeEditable(*scenarioList, 2);
    connect(createEndpoints, &QPushButton::clicked, this, [this] {
        if (!m_project.m_bOpen || !m_project.Model()) return;
        m_window.Session().CreateEndpointScenarios();
        FillScenarioList(*scenarioList);
    });
    connect(addScenario, &QPushButton::clicked, this, [this] {
        if (!m_project.m_bOpen || !m_project.Model() || m_project.Model()->Actions().empty()) return;
        m_window.AddScenarioForOutput(nullptr);
        FillScenarioList(*scenarioList);
    });

    // 204
    w = MakePage(kFinished, "Congratulations. You are Finished.");
    summary = Paragraph(QString());
    w->layout()->addWidget(summary);
    static_cast<QVBoxLayout*>(w->layout())->addStretch(1);

    // 206
    w = MakePage(kImport, "Import Data. Build and Train from Data");
    w->layout()->addWidget(Paragraph(
        "Choose a delimited text file: the first row names the columns, every other row is one case, and the last "
        "column holds the decision. The inputs, outputs, network and scenarios are built from it."));
    row = new QHBoxLayout;
    row->addWidget(new QLabel("Import File:"));
    importFile = new QLineEdit;
    importFile->setReadOnly(true);
    row->addWidget(importFile, 1);
    browse = new QPushButton("Browse...");
    row->addWidget(browse);
    static_cast<QVBoxLayout*>(w->layout())->addLayout(row);
    scenarioNames = new QCheckBox("First Column Contains Scenario Names");
    w->layout()->addWidget(scenarioNames);
    noHeader = new QCheckBox("The first row is data (no row of column names)");
    w->layout()->addWidget(noHeader);
    row = new QHBoxLayout;
    row->addWidget(new QLabel("Rows with a missing value:"));
    missingValues = new QComboBox;
    missingValues->addItem("Keep them (a missing number counts as 0)");
    missingValues->addItem("Leave them out");
    missingValues->addItem("Refuse the file");
    row->addWidget(missingValues, 1);
    static_cast<QVBoxLayout*>(w->layout())->addLayout(row);
    connect(noHeader, &QCheckBox::toggled, this, [this](bool on) { m_import.m_bNoHeader = on; });
    connect(missingValues, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_import.m_missing = static_cast<MissingValues>(index); });
    layoutPicture = new QLabel;
    layoutPicture->setPixmap(QPixmap::fromImage(pictures::ImportLayout(false)));
    w->layout()->addWidget(layoutPicture);
    static_cast<QVBoxLayout*>(w->layout())->addStretch(1);
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(scenarioNames, &QCheckBox::toggled, this, [this](bool on) {
        m_import.m_bScenarioNames = on;
        layoutPicture->setPixmap(QPixmap::fromImage(pictures::ImportLayout(on)));
    });

    // 207
    w = MakePage(kImported, "Imported Training Data");
    w->layout()->addWidget(Paragraph("These scenarios were read from the file. The system will learn from them."));
    importSummary = new QLabel;
    importSummary->setWordWrap(true);
    importSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    w->layout()->addWidget(importSummary);
    importedList = List();
    w->layout()->addWidget(importedList);
}

void CdlgWizProject::ShowPage(int page) {
    m_iPage = page;
    m_stack->setCurrentWidget(m_pages.at(page));
    setWindowTitle(kTitles.at(page));
    previous->setEnabled(true);
    next->setEnabled(true);
    finish->setEnabled(false);
    switch (page) {
    case kWelcome: previous->setEnabled(false); break;
    case kName:
        nameBox->setText(QString::fromStdString(m_project.m_name));
        nameBox->setFocus();
        nameBox->selectAll();  // typing replaces the suggested name
        SetApproach(m_iApproach);
        break;
    case kInputs:
        FillInputs();
        next->setEnabled(m_project.m_bOpen && m_project.m_inputs.Count() > 0);
        break;
    case kOutputs:
        FillOutputs();
        next->setEnabled(m_project.m_outputs.Count() > 0);
        break;
    case kTrainData: FillScenarioList(*scenarioList); break;
    case kFinished:
        summary->setText(SummaryText());
        m_pages[kFinished]->layout()->activate();  // the wrapped text takes its height at once
        next->setEnabled(false);
        finish->setEnabled(true);
        break;
    case kImported: FillScenarioList(*importedList); break;
    default: break;
    }
    UpdateDefaultButton();
}

void CdlgWizProject::UpdateDefaultButton() {
    // Enter presses whichever of Finish and Next > can be pressed.
    finish->setDefault(finish->isEnabled());
    next->setDefault(!finish->isEnabled());
}

void CdlgWizProject::SetApproach(int approach) {
    m_iApproach = approach;
    approaches[approach]->setChecked(true);
    finish->setEnabled(false);
    const bool named = !nameBox->text().isEmpty();  // read now: typing later does not update the buttons
    if (approach == kApproachBlank) {
        next->setEnabled(false);
        if (named) finish->setEnabled(true);
    } else if (named) {
        next->setEnabled(true);
    }
    UpdateDefaultButton();
}

bool CdlgWizProject::MayReplaceProject() {
    if (!m_project.m_bOpen) return true;
    if (m_window.Session().Prompt().Ask(msg::kWizardCloseQuestion, Buttons::YesNo) != Answer::Yes) return false;
    // Closing is agreed; unsaved changes are still offered for saving first.
    if (!m_window.OfferToSaveChanges(msg::kUnsavedBeforeClose)) return false;
    m_window.CloseProject();
    m_bClosedPrevious = true;
    return true;
}

void CdlgWizProject::StartGuidedProject() {
    m_window.Session().NewProject();
    m_project.m_name = nameBox->text().toStdString();
    m_bCreated = true;
}

bool CdlgWizProject::StartImportedProject() {
    m_window.Session().ImportProject(m_import);  // a refusal is told through the prompt, naming the file
    if (!m_import.m_report.ok) {
        m_window.CloseProject();
        return false;
    }
    QStringList lines;
    for (const std::string& line : ImportSummary(m_import, m_project)) lines << QString::fromStdString(line);
    importSummary->setText(lines.join("\n"));
    m_bCreated = true;
    return true;
}

void CdlgWizProject::Next() {
    switch (m_iPage) {
    case kWelcome:
        m_project.m_name = "Project Name";
        ShowPage(kName);
        break;
    case kName:
        if (m_iApproach == kApproachGuided) {
            if (!MayReplaceProject()) return;
            StartGuidedProject();
            ShowPage(kInputs);
        } else if (m_iApproach == kApproachImported) {
            m_project.m_name = nameBox->text().toStdString();
            ShowPage(kImport);
            next->setEnabled(m_import.m_bFileChosen && QFileInfo::exists(QString::fromStdString(m_import.m_path)));
        }
        break;
    case kInputs: ShowPage(kOutputs); break;
    case kOutputs:
        m_window.Session().EnsureProcessors();
        ShowPage(kTrainData);
        break;
    case kTrainData: ShowPage(kFinished); break;
    case kImport:
        if (!m_import.m_bFileChosen || !QFileInfo::exists(QString::fromStdString(m_import.m_path))) return;
        if (!MayReplaceProject()) return;
        if (!StartImportedProject()) return;  // stays on this page to choose another file
        ShowPage(kImported);
        break;
    case kImported: ShowPage(kFinished); break;
    default: break;
    }
}

void CdlgWizProject::Previous() {
    static const std::map<int, int> back = {{kName, kWelcome},  {kInputs, kName},   {kOutputs, kInputs},
                                            {kFinished, kTrainData}, {kImport, kName}, {kImported, kImport}};
    if (m_iPage == kTrainData)
        ShowPage(m_iApproach == kApproachImported ? kImport : kOutputs);
    else if (auto it = back.find(m_iPage); it != back.end())
        ShowPage(it->second);
}

void CdlgWizProject::Finish() {
    if (m_iApproach == kApproachBlank) m_project.m_name = nameBox->text().toStdString();
    accept();
}

void CdlgWizProject::reject() {
    // Cancelling must not leave the open project renamed by the wizard's name page.
    if (!m_bCreated && !m_bClosedPrevious) m_project.m_name = m_originalName;
    QDialog::reject();
}

void CdlgWizProject::FillInputs() {
    FillList(*inputsList, 0, m_project);
    for (int c = 0; c < 6; ++c) inputsList->resizeColumnToContents(c);
}

void CdlgWizProject::FillOutputs() {
    FillList(*outputsList, 1, m_project);
}

void CdlgWizProject::MakeEditable(QTreeWidget& list, int kind) {
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    list.setToolTip(kind == 2 ? "Double-click a scenario to edit it; Delete deletes the selected ones"
                              : "Double-click to edit; Delete deletes the selected rows");
    auto refill = [this, kind, &list] {
        if (kind == 0) FillInputs();
        if (kind == 1) FillOutputs();
        if (kind == 2) FillScenarioList(list);
    };
    connect(&list, &QTreeWidget::itemDoubleClicked, this, [this, kind, &list, refill](QTreeWidgetItem* item) {
        const int row = list.indexOfTopLevelItem(item);
        if (kind == 0 && row >= 0 && row < m_project.m_inputs.Count())
            m_window.EditInput(m_project.m_inputs.m_items[static_cast<std::size_t>(row)].get());
        else if (kind == 1 && row >= 0 && row < m_project.m_outputs.Count())
            m_window.EditOutput(m_project.m_outputs.m_items[static_cast<std::size_t>(row)].get());
        else if (kind == 2)
            if (CScenario* s = ScenarioOf(item)) {
                m_project.Scenarios()->ClearSelection();
                m_project.Scenarios()->Select(s);
                m_window.EditScenarios(s);
            }
        refill();
    });
    OnDeleteKey(list, [this, kind, &list, refill] {
        CSession& session = m_window.Session();
        // Marks the selected rows' items in the project's list (rows follow its order).
        auto selectRows = [&list](auto& items) {
            items.ClearSelection();
            for (QTreeWidgetItem* item : list.selectedItems()) {
                const int row = list.indexOfTopLevelItem(item);
                if (row >= 0 && row < items.Count()) items.Select(items.m_items[static_cast<std::size_t>(row)].get());
            }
            return !items.m_selection.empty();
        };
        if (kind == 0) {
            if (selectRows(m_project.m_inputs)) session.DeleteSelectedInputs();
        } else if (kind == 1) {
            if (selectRows(m_project.m_outputs)) session.DeleteSelectedOutputs();
        } else if (CScenarioMgr* sm = m_project.Scenarios()) {
            sm->ClearSelection();
            for (QTreeWidgetItem* item : list.selectedItems())
                if (CScenario* s = ScenarioOf(item)) sm->Select(s);
            if (!sm->m_selection.empty()) session.DeleteScenarioSelection();
        }
        refill();
    });
}

void CdlgWizProject::FillScenarioList(QTreeWidget& list) {
    FillList(list, 2, m_project);
    for (int c = 0; c < list.columnCount(); ++c) list.resizeColumnToContents(c);
}

void CdlgWizProject::OnAddInput() {
    CdlgVariable dialog(nullptr, "", 0xFFFFFF, nullptr, -1, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_window.Session().AttachInput(InputSpecFromDialog(dialog));
    ShowPage(kInputs);
}

void CdlgWizProject::OnAddOutput() {
    auto output = std::make_unique<COutput>();
    output->m_name = Format("Output %d", m_project.m_outputs.Count());
    output->m_colour = 0xFFFFFF;
    CdlgOutput dialog(*output, this);
    if (dialog.exec() != QDialog::Accepted) return;  // the new output goes with the dialog
    output->m_name = dialog.m_name;
    m_window.Session().AttachOutput(std::move(output), dialog.m_colour);
    ShowPage(kOutputs);
}

void CdlgWizProject::OnBrowse() {
    // The first filter shows every kind of data file, so a .csv file is not hidden.
    const QString path = m_window.ChooseFile({FileRequest::Open, "Import Data",
                                              "Data Files (*.txt *.dat *.csv);;Data Files - TXT (*.txt);;"
                                              "Data Files - DAT (*.dat);;Data Files - CSV (*.csv);;All Files (*.*)",
                                              "txt", {}, {}});
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    const bool names = m_import.m_bScenarioNames;
    m_import.Choose(path.toStdString());
    m_import.m_bScenarioNames = names;
    importFile->setText(path);
    next->setEnabled(true);
}

QString CdlgWizProject::SummaryText() const {
    const bool open = m_project.m_bOpen;
    const int inputs = open ? m_project.m_inputs.Count() : 0;
    const int outputs = open ? m_project.m_outputs.Count() : 0;
    const int scenarios = m_project.ScenarioCount();
    QString first = "You have successfully constructed an AI system with";
    first += QString::asprintf(" %d inputs", inputs) + "," + QString::asprintf(" %d outputs", outputs) + " and" +
             QString::asprintf(" %d scenarios", scenarios);
    first += ". From here, you will have the AI system learn from the scenarios you provided.";
    first += " And if you plan to integrate the trained AI system into a host application,";
    first += " you would select the \"Export System\" command from the File menu.";
    const QString second =
        "With the structure of the AI system defined, and the initial input scenarios defined,"
        " you can proceed to the next step which is to train the model to compute the desired"
        " output when a given scenario is encountered. This is done in the work area by using the"
        " button commands on the Training Tab to the right of te display.";
    return first + "\n\n" + second;
}

}  // namespace ks
