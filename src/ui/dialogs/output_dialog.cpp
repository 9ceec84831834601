#include "ui/dialogs/output_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "model/text.h"
#include "model/variable.h"
#include "ui/dialogs/colour_button.h"

namespace ks {

CdlgOutput::CdlgOutput(const COutput& output, QWidget* parent)
    : QDialog(parent), m_name(output.m_name), m_colour(output.m_colour) {
    setWindowTitle("Output Properties");
    auto* form = new QFormLayout(this);
    nameBox = new QLineEdit(QString::fromStdString(output.m_name));
    form->addRow("Name:", nameBox);
    colourButton = new CColourButton;
    colourButton->SetColour(output.m_colour);
    form->addRow("Color Code:", colourButton);
    connect(colourButton, &CColourButton::colourChosen, this, [this](COLORREF c) { m_colour = c; });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    nameBox->setFocus();
}

void CdlgOutput::accept() {
    m_name = TruncateUtf16(nameBox->text().toStdString(), 99);
    QDialog::accept();
}

}  // namespace ks
