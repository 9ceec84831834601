#include "ui/dialogs/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/numeric.h"
#include "model/project.h"
#include "ui/dialogs/colour_button.h"
#include "ui/pages.h"
#include "ui/spin_arrows.h"

namespace ks {

CTabOptionsPage1::CTabOptionsPage1() {
    auto* outer = new QHBoxLayout(this);
    auto* render = new QGroupBox("Render Elements");
    auto* checks = new QVBoxLayout(render);
    values = new QCheckBox("Receptor Values");
    names = new QCheckBox("Receptor Names");
    connections = new QCheckBox("Connections");
    weights = new QCheckBox("Connection Weights");
    smoothLines = new QCheckBox("Smooth Lines (anti-alias)");
    modelView = new QCheckBox("Model View");
    for (QCheckBox* c : {values, names, connections, weights, smoothLines, modelView}) checks->addWidget(c);
    checks->addStretch(1);
    auto* colours = new QGroupBox("Colors");
    auto* form = new QFormLayout(colours);
    background = new CColourButton;
    lines = new CColourButton;
    text = new CColourButton;
    form->addRow("Background:", background);
    form->addRow("Connections:", lines);
    form->addRow("Text:", text);
    outer->addWidget(render);
    outer->addWidget(colours);
}

CTabOptionsPage2::CTabOptionsPage2() {
    auto* outer = new QVBoxLayout(this);
    auto* group = new QGroupBox("Default Training Settings");
    auto* inner = new QVBoxLayout(group);
    auto* note = new QLabel(
        "Changes here will be applied to the current project and will also be stored as default for future "
        "projects. To modify settings only for this project, exit and modify on the right panel in the main screen.");
    note->setWordWrap(true);
    inner->addWidget(note);
    const char* labels[4] = {"Learn Rate:", "Momentum:", "Batch Size:", "Reset Limit:"};
    for (std::size_t i = 0; i < 4; ++i) {
        auto* row = new QHBoxLayout;
        auto* caption = new QLabel(labels[i]);
        row->addWidget(caption, 1);
        boxes[i] = new QLineEdit;
        NameAfter(caption, boxes[i]);
        boxes[i]->setReadOnly(true);  // values change only through the arrows
        boxes[i]->setFixedWidth(70);
        row->addWidget(boxes[i]);
        AddSpinArrows(row, up[i], down[i], this, [this, i](int change) { emit spun(static_cast<int>(i), change); },
                      boxes[i]->accessibleName());
        inner->addLayout(row);
    }
    updateTable = new QCheckBox("Update Scenarios Table While Learning");
    inner->addWidget(updateTable);
    outer->addWidget(group);
    outer->addStretch(1);
}

void CTabOptionsPage2::Show(const TrainingDefaults& d) {
    boxes[0]->setText(QString::asprintf("%0.3f", d.learnRate));
    boxes[1]->setText(QString::asprintf("%0.3f", d.momentum));
    boxes[2]->setText(QString::asprintf("%d", d.batchSize));
    boxes[3]->setText(QString::asprintf("%d", d.resetLimit));
}

CdlgOptions::CdlgOptions(const CProject& project, const std::array<COLORREF, 3>& colours, QWidget* parent)
    : QDialog(parent), m_defaults(project.m_defaults), m_colours(colours) {
    setWindowTitle("Veltrino Options");
    auto* outer = new QVBoxLayout(this);
    tabs = new QTabWidget;
    view = new CTabOptionsPage1;
    learning = new CTabOptionsPage2;
    tabs->addTab(view, "View");
    tabs->addTab(learning, "Learning");
    outer->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tabs, &QTabWidget::currentChanged, this, [this](int) { tabs->currentWidget()->setFocus(); });

    const CReceptorMgr* model = project.Model();
    view->connections->setChecked(project.m_bShowConnections);
    view->values->setChecked(project.m_bShowValues);
    view->weights->setChecked(project.m_bShowWeights);
    view->names->setChecked(project.m_bShowNames);
    view->modelView->setChecked(project.m_bModelView);
    view->smoothLines->setChecked(model && model->m_bSmoothLines);
    view->background->SetColour(colours[0]);
    view->lines->SetColour(colours[1]);
    view->text->SetColour(colours[2]);
    learning->updateTable->setChecked(project.m_bUpdateTableWhileLearning);
    learning->Show(m_defaults);
    connect(learning, &CTabOptionsPage2::spun, this, [this](int which, int change) { Spin(which, change); });
}

void CdlgOptions::Spin(int which, int change) {
    // No bounds: zero and negative values are stored as they are.
    switch (which) {
    case 0: m_defaults.learnRate -= change * kSingleHundredth; break;
    case 1: m_defaults.momentum -= change * kSingleHundredth; break;
    case 2: m_defaults.batchSize -= change; break;
    case 3: m_defaults.resetLimit -= change * 10; break;
    default: break;
    }
    learning->Show(m_defaults);
}

void CdlgOptions::accept() {
    m_colours = {view->background->Colour(), view->lines->Colour(), view->text->Colour()};
    QDialog::accept();
}

ViewOptions CdlgOptions::Options() const {
    ViewOptions o;
    o.showConnections = view->connections->isChecked();
    o.showValues = view->values->isChecked();
    o.showWeights = view->weights->isChecked();
    o.showNames = view->names->isChecked();
    o.smoothLines = view->smoothLines->isChecked();
    o.modelView = view->modelView->isChecked();
    o.updateTableWhileLearning = learning->updateTable->isChecked();
    o.colours = m_colours;
    o.defaults = m_defaults;
    return o;
}

}  // namespace ks
