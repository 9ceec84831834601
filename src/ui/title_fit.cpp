#include "ui/title_fit.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>

namespace ks {

namespace {
constexpr int kFrameButtons = 120;  // the window manager's buttons and margins beside the title
}  // namespace

bool CTitleFit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show)
        if (auto* d = qobject_cast<QDialog*>(watched); d && d->isWindow()) {
            const int wanted = QFontMetrics(d->font()).horizontalAdvance(d->windowTitle()) + kFrameButtons;
            if (d->width() < wanted) d->resize(wanted, d->height());
        }
    return false;
}

}  // namespace ks
