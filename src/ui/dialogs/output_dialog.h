#pragma once
// "Output Properties": an output's name and colour.
#include <QDialog>

#include "model/geometry.h"

class QLineEdit;

namespace ks {

class COutput;
class CColourButton;

class CdlgOutput : public QDialog {
    Q_OBJECT
public:
    CdlgOutput(COutput& output, QWidget* parent = nullptr);
    void accept() override;
    COLORREF m_colour;
    QLineEdit* nameBox;
    CColourButton* colourButton;

private:
    COutput& m_output;
};

}  // namespace ks
