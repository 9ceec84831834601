#include "ui/dialogs/variable_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/numeric.h"
#include "model/text.h"
#include "ui/dialogs/colour_button.h"
#include "ui/graphics.h"

namespace ks {

namespace {
// Text that is not a number reads as 0.
double Number(const QLineEdit* box) { return box->text().trimmed().toDouble(); }
}  // namespace

// ----------------------------------------------------------------- descriptor

CdlgDescriptor::CdlgDescriptor(VARIABLE_ITEM& item, QWidget* parent) : QDialog(parent), m_item(item) {
    setWindowTitle("Item Descriptor Properties");
    auto* form = new QFormLayout(this);
    name = new QLineEdit(QString::fromStdString(item.text));
    form->addRow("Descriptor Name:", name);
    colourCode = new QCheckBox("Color Code");
    colour = new CColourButton;
    colour->setAccessibleName("Color");
    auto* row = new QHBoxLayout;
    row->addWidget(colourCode);
    row->addWidget(colour);
    form->addRow(row);
    auto showColour = [this] {
        colour->setEnabled(m_item.colourCoding);
        colour->SetColour(m_item.colourCoding ? m_item.colour : 0xFFFFFF);
    };
    colourCode->setChecked(item.colourCoding);
    showColour();
    connect(colourCode, &QCheckBox::toggled, this, [this, showColour](bool on) {
        m_item.colourCoding = on;
        showColour();
    });
    connect(colour, &CColourButton::colourChosen, this, [this](COLORREF c) { m_item.colour = c; });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CdlgDescriptor::accept() {
    m_item.text = TruncateUtf16(name->text().toStdString(), 99);
    QDialog::accept();
}

// ------------------------------------------------------------------- variable

CdlgVariable::CdlgVariable(const VARIABLE_RECORD* record, const std::string& name, COLORREF colour,
                           const CVariable* items, int currentIndex, QWidget* parent)
    : QDialog(parent), m_name(name), m_colour(colour), m_iCurrentIndex(currentIndex) {
    setWindowTitle("Variable");
    if (record) {
        m_record = *record;
    } else {
        m_name = "Variable Name";
        m_record = VARIABLE_RECORD{};
        m_record.name = m_name;
        m_record.type = kRangedDouble;
        m_record.minimum = 0.0;
        m_record.maximum = 100.0;
        m_record.value = 0.0;
        m_record.increment = 0.1;
        m_record.variableID = 12;
        m_record.reservedValue = 0.0;
    }
    m_items.m_iType = kDescriptorList;
    if (items)
        for (const auto& it : items->m_items) m_items.AddItem(it->text, it->valueCode, it->index, it->colourCoding, it->colour);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    nameBox = new QLineEdit(QString::fromStdString(m_name));
    top->addRow("Name:", nameBox);
    layout->addLayout(top);

    auto* typeBox = new QGroupBox("Type");
    auto* types = new QHBoxLayout(typeBox);
    booleanType = new QRadioButton("Boolean");
    rangedType = new QRadioButton("Ranged");
    listType = new QRadioButton("Descriptor List");
    for (QRadioButton* b : {booleanType, rangedType, listType}) types->addWidget(b);
    layout->addWidget(typeBox);

    auto* values = new QGroupBox("Values");
    auto* form = new QFormLayout(values);
    auto* tf = new QHBoxLayout;
    trueValue = new QRadioButton("True");
    falseValue = new QRadioButton("False");
    tf->addWidget(trueValue);
    tf->addWidget(falseValue);
    form->addRow("Boolean:", tf);
    minBox = new QLineEdit;
    maxBox = new QLineEdit;
    valueBox = new QLineEdit;
    form->addRow("Min:", minBox);
    form->addRow("Max:", maxBox);
    form->addRow("Current Value:", valueBox);
    autoIncrement = new QCheckBox("Auto Increment with Simulation");
    incrementBox = new QLineEdit;
    form->addRow(autoIncrement);
    form->addRow("Increment:", incrementBox);
    autoReset = new QCheckBox("auto reset");
    form->addRow(autoReset);
    layout->addWidget(values);

    auto* listBox = new QGroupBox("Current Item Descriptors");
    auto* listLayout = new QVBoxLayout(listBox);
    itemList = new QTreeWidget;
    itemList->setAccessibleName("Current Item Descriptors");
    itemList->setRootIsDecorated(false);
    itemList->setColumnCount(3);
    itemList->setHeaderLabels({"Name", "Index", "Color"});
    itemList->setColumnWidth(0, 60);
    itemList->setColumnWidth(1, 60);
    listLayout->addWidget(itemList);
    auto* itemButtons = new QHBoxLayout;
    addItem = new QPushButton("Add...");
    editItem = new QPushButton("Edit...");
    deleteItem = new QPushButton("Delete...");
    for (QPushButton* b : {addItem, editItem, deleteItem}) itemButtons->addWidget(b);
    listLayout->addLayout(itemButtons);
    auto* current = new QFormLayout;
    itemValueBox = new QLineEdit;
    itemValueBox->setReadOnly(true);
    current->addRow("Current Value:", itemValueBox);
    listLayout->addLayout(current);
    layout->addWidget(listBox);

    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(new QLabel("Color: (optional)"));
    colourButton = new CColourButton;
    colourButton->setAccessibleName("Color");
    colourRow->addWidget(colourButton);
    colourRow->addStretch(1);
    layout->addLayout(colourRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(booleanType, &QRadioButton::clicked, this, [this] { ApplyType(kBoolean); });
    connect(rangedType, &QRadioButton::clicked, this, [this] { ApplyType(kRangedDouble); });
    connect(listType, &QRadioButton::clicked, this, [this] { ApplyType(kDescriptorList); });
    connect(autoIncrement, &QCheckBox::toggled, this, [this](bool on) {
        m_record.autoIncrement = on;
        incrementBox->setEnabled(on);
    });
    connect(autoReset, &QCheckBox::toggled, this, [this](bool on) { m_record.autoReset = on; });
    connect(colourButton, &CColourButton::colourChosen, this, [this](COLORREF c) { m_colour = c; });
    connect(addItem, &QPushButton::clicked, this, [this] { AddDescriptor(); });
    connect(editItem, &QPushButton::clicked, this, [this] { EditDescriptor(); });
    connect(deleteItem, &QPushButton::clicked, this, [this] { DeleteDescriptor(); });
    connect(itemList, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* row) {
        const int index = itemList->indexOfTopLevelItem(row);
        if (index < 0 || index >= m_items.ItemCount()) return;
        m_iCurrentIndex = m_items.m_items[static_cast<std::size_t>(index)]->index;
        itemValueBox->setText(QString::fromStdString(m_items.m_items[static_cast<std::size_t>(index)]->text));
    });

    FillItems();
    ApplyType(m_record.type);
}

void CdlgVariable::FillItems() {
    itemList->clear();
    for (const auto& it : m_items.m_items) {
        auto* row = new QTreeWidgetItem(itemList);
        row->setText(0, QString::fromStdString(it->text));
        row->setText(1, QString::asprintf("%d", it->index));
        row->setText(2, it->colourCoding ? QString() : QString("no color"));
        row->setBackground(2, ToQColor(it->colour));
    }
}

void CdlgVariable::ApplyType(std::int32_t type) {
    m_name = nameBox->text().toStdString();  // a name typed before the type was chosen stays
    colourButton->SetColour(m_colour);
    m_record.type = type;
    trueValue->setAutoExclusive(false);
    trueValue->setChecked(false);
    falseValue->setChecked(false);
    trueValue->setAutoExclusive(true);
    for (QWidget* w : std::initializer_list<QWidget*>{trueValue, falseValue, minBox, maxBox, valueBox, incrementBox,
                                                      addItem, editItem, deleteItem, itemValueBox})
        w->setEnabled(false);
    if (type == kBoolean) {
        booleanType->setChecked(true);
        trueValue->setEnabled(true);
        falseValue->setEnabled(true);
        (m_record.value != 0.0 ? trueValue : falseValue)->setChecked(true);
    } else if (type == kRangedInteger || type == kRangedDouble) {
        rangedType->setChecked(true);
        for (QWidget* w : std::initializer_list<QWidget*>{minBox, maxBox, valueBox}) w->setEnabled(true);
        autoIncrement->setChecked(m_record.autoIncrement);
        autoReset->setChecked(m_record.autoReset);
        incrementBox->setEnabled(m_record.autoIncrement);
        incrementBox->setText(QString::asprintf("%0.2f", m_record.increment));
        auto show = [type](double v) {
            return type == kRangedInteger ? QString::asprintf("%d", Trunc32(v)) : QString::asprintf("%0.2f", v);
        };
        minBox->setText(show(m_record.minimum));
        maxBox->setText(show(m_record.maximum));
        valueBox->setText(show(m_record.value));
    } else if (type == 6 || type == kDescriptorList) {
        listType->setChecked(true);
        for (QWidget* w : std::initializer_list<QWidget*>{addItem, editItem, deleteItem, itemValueBox}) w->setEnabled(true);
        const VARIABLE_ITEM* current = m_items.FindItem(m_iCurrentIndex);
        itemValueBox->setText(current ? QString::fromStdString(current->text) : QString());
    }
    nameBox->setText(QString::fromStdString(m_name));
}

void CdlgVariable::AddDescriptor() {
    const int n = m_items.ItemCount();
    VARIABLE_ITEM item;
    item.text = Format("item %d", n + 1);
    item.colour = 0xFFFFFF;
    item.colourCoding = false;
    CdlgDescriptor dialog(item, this);
    if (dialog.exec() != QDialog::Accepted) return;
    m_items.AddItem(item.text, n, n, item.colourCoding, item.colour);
    FillItems();
    if (n == 0) {
        itemValueBox->setText(QString::fromStdString(item.text));
        m_iCurrentIndex = 0;
    }
    addItem->setFocus();
}

void CdlgVariable::EditDescriptor() {
    if (m_iCurrentIndex < 0 || m_iCurrentIndex >= m_items.ItemCount()) return;
    VARIABLE_ITEM& target = *m_items.m_items[static_cast<std::size_t>(m_iCurrentIndex)];
    VARIABLE_ITEM copy = target;
    CdlgDescriptor dialog(copy, this);
    if (dialog.exec() != QDialog::Accepted) return;
    target = copy;
    itemValueBox->setText(QString::fromStdString(target.text));
    m_iCurrentIndex = -1;
    FillItems();
}

void CdlgVariable::DeleteDescriptor() {
    if (m_iCurrentIndex < 0 || m_iCurrentIndex >= m_items.ItemCount()) return;
    m_items.DeleteItem(m_items.m_items[static_cast<std::size_t>(m_iCurrentIndex)].get());
    m_iCurrentIndex = -1;
    FillItems();
}

void CdlgVariable::accept() {
    m_colour = colourButton->Colour();
    switch (m_record.type) {
    case kBoolean:
        m_record.minimum = 0.0;
        m_record.maximum = 1.0;
        m_record.increment = 0.0;
        m_record.value = trueValue->isChecked() ? 1.0 : 0.0;
        break;
    case kRangedInteger:
        m_record.minimum = Trunc32(Number(minBox));
        m_record.maximum = Trunc32(Number(maxBox));
        m_record.value = Trunc32(Number(valueBox));
        m_record.increment = Number(incrementBox);
        break;
    case kDescriptorList:
        m_record.value = m_iCurrentIndex;
        m_record.minimum = 0.0;
        m_record.maximum = m_items.ItemCount();
        break;
    default:
        m_record.minimum = Number(minBox);
        m_record.maximum = Number(maxBox);
        m_record.value = Number(valueBox);
        m_record.increment = Number(incrementBox);
    }
    m_name = nameBox->text().toStdString();
    m_record.name = m_name;
    QDialog::accept();
}

}  // namespace ks
