#include "ui/dialogs/scenario_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/numeric.h"
#include "model/project.h"

namespace ks {

CdlgScenario::CdlgScenario(CProject& project, CScenario& scenario, int selectionCount, QWidget* parent)
    : QDialog(parent), m_iTargetID(scenario.m_iTargetID), m_name(scenario.m_name) {
    setWindowTitle("Scenario Properties");
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        "To modify this scenario, set each of the input values for the sensory receptors using the list box below, "
        "and then select the desired output.");
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    nameBox = new QLineEdit(QString::fromStdString(m_name));
    form->addRow("Scenario Name: (max 40 chars)", nameBox);
    countBox = new QLineEdit(QString::asprintf("%d", selectionCount));
    countBox->setReadOnly(true);
    form->addRow("Number of Scenarios Selected: ", countBox);
    layout->addLayout(form);
    layout->addWidget(new QLabel("Scenario Profile:"));
    profile = new QTreeWidget;
    profile->setAccessibleName("Scenario Profile");
    profile->setRootIsDecorated(false);
    QStringList headers{"Name"};
    CReceptorMgr* m = project.Model();
    if (m)
        for (CReceptor* s : m->Sensors())
            if (s->m_pVariable) headers << QString::fromStdString(s->m_pVariable->m_name);
    profile->setHeaderLabels(headers);
    for (int i = 0; i < headers.size(); ++i) profile->setColumnWidth(i, 80);
    auto* row = new QTreeWidgetItem(profile);
    row->setText(0, QString::fromStdString(scenario.m_name));
    int c = 1;
    for (const VARINFO& vi : scenario.m_inputs)
        row->setText(c++, selectionCount < 2 ? QString::asprintf("%0.2f", vi.value) : QString("-multi-"));
    profile->setMaximumHeight(70);
    layout->addWidget(profile);
    auto* group = new QGroupBox("Target Output");
    auto* groupLayout = new QVBoxLayout(group);
    auto* hint = new QLabel("Select from the drop-down list box the desired output for this scenario or selection of scenarios:");
    hint->setWordWrap(true);
    groupLayout->addWidget(hint);
    target = new QComboBox;
    if (m)
        for (CReceptor* a : m->Actions())
            if (a->m_bAttachedToOutput && a->m_pOutput) {
                target->addItem(QString::fromStdString(a->m_pOutput->m_name), a->m_ID);
                if (a->m_ID == m_iTargetID) target->setCurrentIndex(target->count() - 1);
            }
    if (target->findData(m_iTargetID) < 0) target->setCurrentIndex(-1);
    groupLayout->addWidget(target);
    layout->addWidget(group);
    connect(target, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) m_iTargetID = target->itemData(index).toInt();
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CdlgScenario::accept() {
    m_name = nameBox->text().toStdString();
    QDialog::accept();
}

// ------------------------------------------------------------------- slider

CdlgSliderInput::CdlgSliderInput(const CVariable& input, Setter setValue, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Popup), m_input(input), m_openingValue(input.m_dValue),
      m_setValue(std::move(setValue)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 30, 8, 24);
    slider = new QSlider(Qt::Horizontal);
    slider->setAccessibleName(QString::fromStdString(input.m_name));
    if (input.m_iType == kDescriptorList)
        slider->setRange(0, input.ItemCount() - 1);
    else
        slider->setRange(Trunc32(input.m_dMin), Trunc32(input.m_dMax));
    slider->setValue(Trunc32(input.m_dValue));
    layout->addWidget(slider);
    setFixedSize(200, 90);
    connect(slider, &QSlider::sliderMoved, this, [this](int position) {
        m_idleTicks = 0;
        m_timer.stop();
        if (m_setValue) m_setValue(position, false);
        update();
    });
    connect(slider, &QSlider::sliderReleased, this, [this] { m_timer.start(25); });
    connect(&m_timer, &QTimer::timeout, this, [this] { OnTick(); });
    m_timer.start(100);
}

void CdlgSliderInput::OnTick() {
    // Closes by itself a little while after it was last touched.
    if (m_idleTicks <= 20) {
        ++m_idleTicks;
        return;
    }
    m_timer.stop();
    accept();
}

void CdlgSliderInput::reject() {
    m_timer.stop();
    if (m_setValue) m_setValue(m_openingValue, true);
    QDialog::reject();
}

void CdlgSliderInput::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter p(this);
    const QRect valueBand(0, 0, width(), 28), nameBand(0, height() - 20, width(), 28);
    p.fillRect(valueBand, QColor(240, 240, 240));
    QFont large("Arial");
    large.setPixelSize(28);
    large.setBold(true);
    p.setFont(large);
    p.setPen(QColor(0, 0, 128));
    p.drawText(valueBand, Qt::AlignCenter, QString::fromStdString(m_input.ValueText()));
    QFont small("Arial");
    small.setPixelSize(14);
    p.setFont(small);
    p.setPen(Qt::black);
    p.drawText(nameBand.adjusted(0, -8, 0, -8), Qt::AlignCenter, QString::fromStdString(m_input.m_name));
}

}  // namespace ks
