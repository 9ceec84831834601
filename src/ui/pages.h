#pragma once
// The Build, Train and Simulate pages of the tools area and the lower-left
// status panel.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace ks {

class CVeltrinoDlg;

class cdlgToolsPage : public QWidget {
    Q_OBJECT
public:
    explicit cdlgToolsPage(CVeltrinoDlg& window);
    void UpdateBuildPage();

    QPushButton *newInput, *deleteInput, *newOutput, *deleteOutput, *addProcessor, *lessProcessors, *processorBias,
        *actionBias, *removeBias, *alignAll, *createRuntime;
    QCheckBox* modelView;

private:
    void OnAddProcessor();
    void OnLessProcessors();
    void OnBias(int kind);
    void OnRemoveBias();
    void OnModelView();
    CVeltrinoDlg& m_window;
};

class CdlgToolsPageTrain : public QWidget {
    Q_OBJECT
public:
    explicit CdlgToolsPageTrain(CVeltrinoDlg& window);
    void UpdateTrainPage();
    void ShowTrainingValues();
    // A spin button's change: -1 for the up arrow, +1 for the down arrow.
    void Spin(int which, int change);

    QPushButton *startStop, *erase, *createScenarios, *addScenario, *editScenario, *deleteSelected, *deleteAll;
    QLineEdit* values[4];  // learn rate, momentum, batch size, reset limit
    QToolButton* up[4];
    QToolButton* down[4];
    QCheckBox *useMomentum, *errorCorrection;
    QComboBox* method;  // "Winner Learning" or "Resilient Backprop"

private:
    void OnCreateScenarios();
    void OnDeleteSelected();
    void OnDeleteAll();
    CVeltrinoDlg& m_window;
};

class CdlgToolsPageSimulate : public QWidget {
    Q_OBJECT
public:
    explicit CdlgToolsPageSimulate(CVeltrinoDlg& window);
    void UpdateSimulatePage();
    QPushButton *start, *stop, *step, *reset;

private:
    CVeltrinoDlg& m_window;
};

class CdlgPanelLowerLeft : public QWidget {
    Q_OBJECT
public:
    explicit CdlgPanelLowerLeft(CVeltrinoDlg& window);
    QLineEdit *inputs, *outputs, *scenarios, *learned, *time;
    QProgressBar* knowledge;
    QPushButton* logo;
};

}  // namespace ks
