#pragma once
// "Output Properties": an output's name and colour.
#include <QDialog>
#include <string>

#include "model/geometry.h"

class QLineEdit;

namespace ks {

class COutput;
class CColourButton;

class CdlgOutput : public QDialog {
    Q_OBJECT
public:
    // Values in from the output; after OK, m_name and m_colour hold what was chosen.
    CdlgOutput(const COutput& output, QWidget* parent = nullptr);
    void accept() override;
    std::string m_name;
    COLORREF m_colour;
    QLineEdit* nameBox;
    CColourButton* colourButton;
};

}  // namespace ks
