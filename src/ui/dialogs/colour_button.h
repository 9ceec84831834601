#pragma once
// A colour button: a palette of five columns, an automatic entry and
// "More colors..." (the system colour dialog).
#include <QToolButton>

#include "model/geometry.h"

namespace ks {

class CColourButton : public QToolButton {
    Q_OBJECT
public:
    explicit CColourButton(QWidget* parent = nullptr);
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return m_colour; }
    void SetAutomatic(COLORREF colour) { m_automatic = colour; }

signals:
    void colourChosen(COLORREF colour);

private:
    void Choose(COLORREF colour);
    COLORREF m_colour = 0xFFFFFF;
    COLORREF m_automatic = 0xFFFFFF;
};

}  // namespace ks
