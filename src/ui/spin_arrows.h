#pragma once
// The up and down arrows beside a value that only they change. A click is a
// spin notification: the up arrow reports a change of -1, the down arrow +1,
// and the value moves by minus the change times its step.
#include <QBoxLayout>
#include <QToolButton>

namespace ks {

template <class F>
void AddSpinArrows(QBoxLayout* row, QToolButton*& up, QToolButton*& down, QObject* context, F onChange,
                   const QString& what) {
    up = new QToolButton;
    up->setArrowType(Qt::UpArrow);
    down = new QToolButton;
    down->setArrowType(Qt::DownArrow);
    // Held down, an arrow keeps stepping, so a large change is not a hundred clicks.
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(16, 18);
        b->setAutoRepeat(true);
        b->setAutoRepeatDelay(400);
        b->setAutoRepeatInterval(50);
    }
    up->setToolTip("Raise the value one step (hold to keep raising)");
    down->setToolTip("Lower the value one step (hold to keep lowering)");
    // A screen reader tells the arrows apart by these.
    up->setAccessibleName(what + " up");
    down->setAccessibleName(what + " down");
    row->addWidget(up);
    row->addWidget(down);
    QObject::connect(up, &QToolButton::clicked, context, [onChange] { onChange(-1); });
    QObject::connect(down, &QToolButton::clicked, context, [onChange] { onChange(+1); });
}

}  // namespace ks
