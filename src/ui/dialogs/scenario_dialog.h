#pragma once
// "Scenario Properties": one scenario's name and stored values, and the
// target output for it or for the whole selection; and the slider pop-up
// that sets one input's value.
#include <QDialog>
#include <QTimer>
#include <functional>

class QComboBox;
class QLineEdit;
class QSlider;
class QTreeWidget;

namespace ks {

class CProject;
class CScenario;
class CVariable;

class CdlgScenario : public QDialog {
    Q_OBJECT
public:
    CdlgScenario(CProject& project, CScenario& scenario, int selectionCount, QWidget* parent = nullptr);
    void accept() override;

    std::int32_t m_iTargetID;
    std::string m_name;
    QLineEdit *nameBox, *countBox;
    QTreeWidget* profile;
    QComboBox* target;
};

class CdlgSliderInput : public QDialog {
    Q_OBJECT
public:
    // changed runs after every move (evaluate and redraw).
    CdlgSliderInput(CVariable& input, std::function<void()> changed, QWidget* parent = nullptr);
    void reject() override;  // Escape: the opening value comes back

    QSlider* slider;
    int m_idleTicks = 0;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void OnTick();
    CVariable& m_input;
    double m_openingValue;
    std::function<void()> m_changed;
    QTimer m_timer;  // timer 12
};

}  // namespace ks
