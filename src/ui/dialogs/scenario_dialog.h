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
    // setValue gives the input a value: after every move, and with the opening
    // value again on Escape (restoring true). The dialog itself changes nothing.
    using Setter = std::function<void(double value, bool restoring)>;
    CdlgSliderInput(const CVariable& input, Setter setValue, QWidget* parent = nullptr);
    void reject() override;  // Escape: the opening value comes back

    QSlider* slider;
    int m_idleTicks = 0;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void OnTick();
    const CVariable& m_input;
    double m_openingValue;
    Setter m_setValue;
    QTimer m_timer;  // timer 12
};

}  // namespace ks
