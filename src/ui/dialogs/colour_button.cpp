#include "ui/dialogs/colour_button.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QWidgetAction>

#include "ui/graphics.h"

namespace ks {

namespace {
const COLORREF kPalette[] = {
    0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x0000FF, 0x000080, 0x00FFFF, 0x008080, 0x00FF00, 0x008000,
    0xFFFF00, 0x808000, 0xFF0000, 0x800000, 0xFF00FF, 0x800080, 0x6666FF, 0x00CC99, 0x996633, 0xC80000,
};

QIcon Swatch(COLORREF c) {
    QPixmap pm(16, 16);
    pm.fill(ToQColor(c));
    QPainter p(&pm);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 15, 15);
    return QIcon(pm);
}
}  // namespace

CColourButton::CColourButton(QWidget* parent) : QToolButton(parent) {
    setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(this);
    auto* grid = new QWidget(menu);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    auto* automatic = new QPushButton("Automatic");
    layout->addWidget(automatic, 0, 0, 1, 5);
    connect(automatic, &QPushButton::clicked, this, [this, menu] {
        menu->close();
        Choose(m_automatic);
    });
    int i = 0;
    for (COLORREF c : kPalette) {
        auto* b = new QToolButton;
        b->setIcon(Swatch(c));
        b->setAutoRaise(true);
        layout->addWidget(b, 1 + i / 5, i % 5);
        connect(b, &QToolButton::clicked, this, [this, menu, c] {
            menu->close();
            Choose(c);
        });
        ++i;
    }
    auto* more = new QPushButton("More colors...");
    layout->addWidget(more, 5, 0, 1, 5);
    connect(more, &QPushButton::clicked, this, [this, menu] {
        menu->close();
        const QColor c = QColorDialog::getColor(ToQColor(m_colour), this);
        if (c.isValid()) Choose(FromQColor(c));
    });
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(grid);
    menu->addAction(action);
    setMenu(menu);
    SetColour(0xFFFFFF);
}

void CColourButton::SetColour(COLORREF colour) {
    m_colour = colour;
    setIcon(Swatch(colour));
}

void CColourButton::Choose(COLORREF colour) {
    SetColour(colour);
    emit colourChosen(colour);
}

}  // namespace ks
