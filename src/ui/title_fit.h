#pragma once
// Dialogs are never narrower than their titles: a title the window manager
// would cut says less than it should.
#include <QObject>

namespace ks {

class CTitleFit : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ks
