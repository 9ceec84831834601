#pragma once
// "Veltrino Options": the view's display options and colours (View tab) and
// the stored training defaults (Learning tab). Values in from the project,
// values out through Options().
#include <QDialog>
#include <array>

#include "model/geometry.h"
#include "model/training_defaults.h"
#include "session/session.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;
class QToolButton;

namespace ks {

class CProject;
class CColourButton;

class CTabOptionsPage1 : public QWidget {
    Q_OBJECT
public:
    CTabOptionsPage1();
    QCheckBox *values, *names, *connections, *weights, *smoothLines, *modelView;
    CColourButton *background, *lines, *text;
};

class CTabOptionsPage2 : public QWidget {
    Q_OBJECT
public:
    CTabOptionsPage2();
    void Show(const TrainingDefaults& d);
    std::array<QLineEdit*, 4> boxes{};
    std::array<QToolButton*, 4> up{}, down{};
    QCheckBox* updateTable;

signals:
    void spun(int which, int change);
};

class CdlgOptions : public QDialog {
    Q_OBJECT
public:
    // colours: background, connections, text; handed back through Colours().
    CdlgOptions(const CProject& project, const std::array<COLORREF, 3>& colours, QWidget* parent = nullptr);
    void accept() override;
    // After OK: the display options, colours and training defaults as chosen.
    ViewOptions Options() const;
    std::array<COLORREF, 3> Colours() const { return m_colours; }
    // One spin notification: value -= change x step.
    void Spin(int which, int change);

    QTabWidget* tabs;
    CTabOptionsPage1* view;
    CTabOptionsPage2* learning;
    TrainingDefaults m_defaults;

private:
    std::array<COLORREF, 3> m_colours;
};

}  // namespace ks
