#pragma once
// The Build, Train and Simulate pages of the tools area and the lower-left
// status panel.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace ks {

// Names a field after the label before it (buddy and accessible name).
void NameAfter(class QLabel* label, QWidget* field);

class CSession;

class cdlgToolsPage : public QWidget {
    Q_OBJECT
public:
    explicit cdlgToolsPage(CSession& session);
    void UpdateBuildPage();

signals:
    // What the window does with its dialogs and its view.
    void newInputRequested();
    void deleteInputsRequested();
    void newOutputRequested();
    void deleteOutputsRequested();
    void alignRequested();
    void exportRequested();

public:

    QPushButton *newInput, *deleteInput, *newOutput, *deleteOutput, *addProcessor, *lessProcessors, *processorBias,
        *actionBias, *removeBias, *alignAll, *createRuntime;
    QCheckBox* modelView;

private:
    CSession& m_session;
};

class CdlgToolsPageTrain : public QWidget {
    Q_OBJECT
public:
    explicit CdlgToolsPageTrain(CSession& session);
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
    // How good is it: the held-out part and the plateau stop (per user), the figures.
    QSpinBox *holdOut, *holdOutSeed, *patience, *threads;
    QLabel *trainingFigure, *heldOutFigure, *stopFigure;
    QPushButton* curve;
    // The figures of the run under way (from its snapshot) or of the last one.
    void ShowFigures(const struct TrainingSnapshot* running);

signals:
    void curveRequested();
    void startStopRequested();
    void eraseRequested();
    void addScenarioRequested();
    void editScenarioRequested();

private:
    CSession& m_session;
};

class CdlgToolsPageSimulate : public QWidget {
    Q_OBJECT
public:
    explicit CdlgToolsPageSimulate(CSession& session);
    void UpdateSimulatePage();
    QPushButton *start, *stop, *step, *reset;

signals:
    void startRequested();
    void stopRequested();
    void stepRequested();
    void resetRequested();

private:
    CSession& m_session;
};

class CdlgPanelLowerLeft : public QWidget {
    Q_OBJECT
public:
    CdlgPanelLowerLeft();
    // Sets a field's text, in a smaller font when the usual one would not
    // show it whole (a field scrolled to its end would show 100000 as 00000).
    void Show(QLineEdit* field, const QString& text);
    QLineEdit *inputs, *outputs, *scenarios, *learned, *time;
    QProgressBar* knowledge;
    QPushButton* logo;

signals:
    // The logo opens its help page.
    void helpRequested(const QString& topic);
};

}  // namespace ks
