#pragma once
// "Variable": one input's name, type, range, value, simulation options,
// colour and descriptor items, edited on a copy; and "Item Descriptor
// Properties" for one descriptor.
#include <QDialog>
#include <memory>

#include "model/variable.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTreeWidget;
class QPushButton;

namespace ks {

class CColourButton;

class CdlgDescriptor : public QDialog {
    Q_OBJECT
public:
    CdlgDescriptor(VARIABLE_ITEM& item, QWidget* parent = nullptr);
    void accept() override;
    QLineEdit* name;
    QCheckBox* colourCode;
    CColourButton* colour;

private:
    VARIABLE_ITEM& m_item;
};

class CdlgVariable : public QDialog {
    Q_OBJECT
public:
    // record: the input's, or nullptr for a new input (the defaults apply).
    CdlgVariable(const VARIABLE_RECORD* record, const std::string& name, COLORREF colour, const CVariable* items,
                 int currentIndex, QWidget* parent = nullptr);
    void accept() override;

    // Results, valid after OK.
    VARIABLE_RECORD m_record;
    std::string m_name;
    COLORREF m_colour;
    CVariable m_items;  // holds the descriptor items being edited
    int m_iCurrentIndex = -1;

    // Controls, for the flows and tests.
    QLineEdit *nameBox, *minBox, *maxBox, *valueBox, *incrementBox, *itemValueBox;
    QRadioButton *booleanType, *rangedType, *listType, *trueValue, *falseValue;
    QCheckBox *autoIncrement, *autoReset;
    QTreeWidget* itemList;
    QPushButton *addItem, *editItem, *deleteItem;
    CColourButton* colourButton;

    void ApplyType(std::int32_t type);
    void AddDescriptor();
    void EditDescriptor();
    void DeleteDescriptor();

private:
    void FillItems();
};

}  // namespace ks
