#include "ui/dialogs/receptor_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/numeric.h"
#include "model/prompt.h"
#include "model/project.h"
#include "model/receptor_mgr.h"
#include "model/variable.h"
#include "session/session.h"
#include "ui/spin_arrows.h"

namespace ks {

namespace {

QLineEdit* Shown(const QString& text = {}) {
    auto* box = new QLineEdit(text);
    box->setReadOnly(true);
    return box;
}

QDialogButtonBox* OkCancel(QDialog* d) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return buttons;
}

}  // namespace

// ---------------------------------------------------------------- connection

CdlgConnection::CdlgConnection(const CConnection& c, QWidget* parent) : QDialog(parent), m_dWeight(c.Weight()) {
    setWindowTitle("Connection Properties");
    auto* form = new QFormLayout(this);
    sender = Shown(QString::fromStdString(c.m_pSender ? c.m_pSender->m_label : std::string()));
    receiver = Shown(QString::fromStdString(c.m_pReceiver ? c.m_pReceiver->m_label : std::string()));
    form->addRow("Sender Receptor:", sender);
    form->addRow("Receiver Receptor:", receiver);
    auto* row = new QHBoxLayout;
    weightBox = new QLineEdit;  // only the arrows and "Set to 0.0" change the weight
    weightBox->setReadOnly(true);
    weightBox->setToolTip("The connection's weight; change it with the arrows");
    row->addWidget(weightBox, 1);
    weightBox->setAccessibleName("Weight");
    AddSpinArrows(row, up, down, this, [this](int change) { Spin(change); }, "Weight");
    setToZero = new QPushButton("Set to 0.0");
    row->addWidget(setToZero);
    form->addRow("Connection Weight:", row);
    form->addRow(OkCancel(this));
    connect(setToZero, &QPushButton::clicked, this, [this] {
        m_dWeight = 0.0;
        ShowWeight();
    });
    ShowWeight();
}

void CdlgConnection::Spin(int change) {
    m_dWeight -= change * kSingleHundredth;
    ShowWeight();
}

void CdlgConnection::ShowWeight() { weightBox->setText(QString::asprintf("%0.3f", m_dWeight)); }

// ------------------------------------------------------------ sensory receptor

CdlgReceptorSensor::CdlgReceptorSensor(CReceptor& r, CSession& session,
                                       QWidget* parent)
    : QDialog(parent), m_receptor(r), m_session(session) {
    setWindowTitle("Sensory Receptor Properties");
    auto* outer = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    sensorName = Shown(QString::fromStdString(r.m_label));
    sensorId = Shown(QString::asprintf("%d", r.m_ID));
    const CVariable* v = r.m_pVariable;
    inputVariable = Shown(v ? QString::fromStdString(v->m_name) : QString("-NA-"));
    variableId = Shown(v ? QString::asprintf("%d", v->m_ID) : QString("-NA-"));
    inputValue = Shown(QString::asprintf("%1.3f", r.m_dNetInput));
    outputValue = Shown(QString::asprintf("%1.3f", r.m_dOutput));
    form->addRow("Sensor Name:", sensorName);
    form->addRow("Sensor ID:", sensorId);
    form->addRow("Input Variable:", inputVariable);
    form->addRow("Variable ID:", variableId);
    form->addRow("Current Input Value:", inputValue);
    form->addRow("Current Output Value:", outputValue);
    outer->addLayout(form);
    outer->addWidget(new QLabel("Output Connections"));
    connections = new QListWidget;
    connections->setAccessibleName("Output Connections");
    outer->addWidget(connections);
    auto* row = new QHBoxLayout;
    add = new QPushButton("Add ...");
    add->setEnabled(false);  // connections are drawn in the view
    edit = new QPushButton("Edit...");
    remove = new QPushButton("Delete");
    row->addWidget(add);
    row->addWidget(edit);
    row->addWidget(remove);
    row->addStretch(1);
    outer->addLayout(row);
    outer->addWidget(OkCancel(this));
    connect(edit, &QPushButton::clicked, this, [this] { EditSelected(); });
    connect(remove, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(connections, &QListWidget::itemDoubleClicked, this, [this] { EditSelected(); });
    FillConnections();
}

void CdlgReceptorSensor::FillConnections() {
    connections->clear();
    for (const CLink& link : m_receptor.m_outputLinks) {
        const CConnection* c = link.connection;
        const std::string to = c && c->m_pReceiver ? c->m_pReceiver->m_label : std::string();
        auto* item = new QListWidgetItem(QString::asprintf("To %s, weight: %0.3f", to.c_str(), c ? c->Weight() : 0.0));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(link.connection)));
        connections->addItem(item);
    }
}

CConnection* CdlgReceptorSensor::Selected() const {
    const QListWidgetItem* item = connections->currentItem();
    if (!item || !item->isSelected()) return nullptr;
    return static_cast<CConnection*>(item->data(Qt::UserRole).value<void*>());
}

void CdlgReceptorSensor::EditSelected() {
    CConnection* c = Selected();
    if (!c) return;
    CdlgConnection dialog(*c, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_session.SetWeight(c, dialog.m_dWeight);
    FillConnections();
}

void CdlgReceptorSensor::DeleteSelected() {
    CConnection* c = Selected();
    if (!c) return;
    if (m_session.Prompt().Ask("Are you sure you want to delete this connection?", Buttons::YesNoCancel) != Answer::Yes)
        return;
    m_session.DeleteConnection(c);
    FillConnections();
}

// ------------------------------------------------------- the plain receptors

CdlgReceptorPlain::CdlgReceptorPlain(const char* title, QWidget* parent) : QDialog(parent) {
    setWindowTitle(title);
    auto* outer = new QVBoxLayout(this);
    outer->addStretch(1);
    outer->addWidget(OkCancel(this));
    resize(280, 160);
}

}  // namespace ks
