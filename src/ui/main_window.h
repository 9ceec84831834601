#pragma once
// The program's main window: the model view between its bars, the tabbed
// lists of inputs, outputs and scenarios, the tool pages, the lower-left
// panel, the status strip and the timers that drive simulation and training.
#include <QMainWindow>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/project.h"
#include "session/session.h"
#include "training/training_runner.h"
#include "ui/dialogs/wizard.h"
#include "ui/display.h"
#include "ui/file_dialogs.h"
#include "ui/pages.h"
#include "ui/project_list_model.h"
#include "ui/qt_prompt.h"

class QTabBar;
class QTreeView;
class QToolButton;

namespace ks {

class ISettingsStore;

// Asks which numbers the C source computes in (see CVeltrinoDlg::chooseNumberType).
int ChooseNumberType(QWidget* parent);

class CVeltrinoDlg : public QMainWindow, public IWizardHost {
    Q_OBJECT
public:
    explicit CVeltrinoDlg(ISettingsStore* settings, IPrompt* prompt = nullptr, QWidget* parent = nullptr);
    ~CVeltrinoDlg() override;

    CProject& Project() { return m_project; }
    CTrainingRunner& Runner() { return *m_runner; }
    CSession& Session() override { return *m_session; }
    QWidget* HostWidget() override { return this; }
    CDisplay& View() { return *m_view; }
    IPrompt& Prompt() { return *m_prompt; }
    cdlgToolsPage& BuildPage() { return *m_build; }
    CdlgToolsPageTrain& TrainPage() { return *m_train; }
    CdlgToolsPageSimulate& SimulatePage() { return *m_simulate; }
    CdlgPanelLowerLeft& Panel() { return *m_panel; }
    QTreeView& List() { return *m_list; }
    CProjectListModel& ListModel() { return *m_listModel; }
    QTabBar& ListTabs() { return *m_listTabs; }
    QTabBar& ToolTabs() { return *m_toolTabs; }
    int LayoutMode() const { return m_layoutMode; }
    QWidget& Client() { return *m_client; }

    void RefreshPanels();
    void FillList();
    void RefreshScenarioTexts();
    void RefreshLearnedColumn();
    // Training starts: the list's scores become copies (see RefreshLearnedColumn).
    void FreezeListScores();
    void EndTraining();
    // The window's side of a run that has ended: timers, texts, panels.
    void AfterTraining();
    // Training > Learning Curve...: the live curve of the run.
    void ShowLearningCurve();
    // Edit > Undo / Redo: the last edit made through the session, by name.
    void UndoRedo(bool undo);
    void UpdateUndoActions();
    QAction* UndoAction() { return m_undoAction; }
    QAction* RedoAction() { return m_redoAction; }
    // Training > Evaluate... and Test With Data File...
    void EvaluateScenarios();
    void TestWithDataFile();
    // Training > Cross-Validate...: a data file, fold by fold.
    void CrossValidateFile();
    void LayoutControls();
    void ShowToolPages();
    void SelectListTab(int tab);
    void SelectToolTab(int tab);
    void ToggleCollapse();

    // Operations the pages and the view call.
    void OnStartStopLearning();
    void EraseKnowledge();
    void EditInput(CVariable* input) override;
    void EditOutput(COutput* output) override;
    void ChooseOutputAction(COutput* output);
    void DeleteSelectedInputs();
    void DeleteSelectedOutputs();
    void ExportSystem();
    // Export C Source...: the number type, the folder, the check of float and
    // fixed point against the network, and what was written.
    void ExportCSource();
    std::function<int(QWidget*)> chooseNumberType = ChooseNumberType;  // 0 double, 1 float, 2 fixed, 3 fixed with integer inputs, -1 cancel; tests replace it
    void AddScenarioForOutput(CReceptor* action) override;
    bool EditScenarios(CScenario* scenario) override;
    void StartSimulation();
    void StopSimulation();
    void StepSimulation();
    void ResetSimulation();
    // The training method, kept as a per-user setting.
    void SetTrainingMethod(TrainingMethod method);
    // Type 1 starts a new trainable project, type 4 opens a project file
    // chosen by the user; an open project is offered for saving first.
    // Returns whether a project was started or opened.
    bool NewOrOpenProject(int type);
    bool NewProject() { return NewOrOpenProject(kProjectNew); }
    bool OpenProjectFile(const std::string& path);
    // Files of at least this size are read on a thread, with a progress dialog.
    std::uintmax_t m_backgroundLoadBytes = 2u << 20;
    void CloseProject() override;
    // Whether the project differs from what was last saved or opened.
    bool HasUnsavedChanges();
    // With unsaved changes: ask (Yes saves, No goes on); false when the user
    // cancels or the save does not happen.
    bool OfferToSaveChanges(const char* question) override;
    // With a project open: ask whether to save it first (Yes saves, No closes
    // it); false when the user cancels or the save does not happen.
    bool OfferToSave();
    // Save: to the path of the last save, else as Save As. Both return
    // whether the project was written.
    bool SaveProject();
    bool SaveProjectAs();
    bool SaveProjectTo(const QString& path);
    const std::string& SavePath() const { return m_savePath; }
    // Every file dialog goes through this; tests replace it.
    FileChooser chooseFile = ShowFileDialog;
    // Runs chooseFile from the start directory and keeps it current afterwards.
    QString ChooseFile(FileRequest request) override;
    // The New Project wizard and what the window does around it.
    void NewProjectWizard();
    // Opens the help page of a topic ("Help", "WizHelp", the panel's logo key).
    void OpenHelpPage(const QString& topic) override;
    void OpenUpdatePage();
    // Where OpenHelpPage went last (tests read it), and how pages are opened.
    QUrl m_lastHelpUrl;
    std::function<bool(const QUrl&)> openUrl;
    void OpenProperties(int type, void* object);
    void OpenOptions();
    // The slider pop-up under an input of the inputs bar.
    void OpenSlider(CVariable* input);

    QTimer& TrainingTimer() { return m_trainingTimer; }
    void OnTrainingTimer();
    // Stops the timers, the simulation and the training thread (joined).
    void StopActivity();

    // The scenario list's double-click on a cell: edit the scenario or slide a stored value.
    void OnScenarioCellDoubleClicked(int row, int column);
    // The Delete key on the scenario list.
    void DeleteListSelection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QString HelpBase() const;
    // Reads a project file into `loaded`; for a big file also its image (see the thread).
    FileResult ReadProjectShowingProgress(const std::string& path, CProject& loaded, std::vector<std::uint8_t>& image);
    // Opens an address with the system's handler, saying so when none can.
    void OpenPage(const QUrl& url);
    void ConnectScenarioList();
    void ConnectPages();
    // The refresh after a session operation, for what it changed.
    void OnSessionChanged(unsigned changes);
    void ApplyListScenario(int row);
    void CreateMenus();
    void AttachProject();
    void Redraw();

    ISettingsStore* m_settings = nullptr;
    std::unique_ptr<QtPrompt> m_ownPrompt;
    IPrompt* m_prompt = nullptr;
    CProject m_project;
    std::unique_ptr<CSession> m_session;
    CTrainingRunner* m_runner = nullptr;  // the session's
    QWidget* m_client = nullptr;
    CDisplay* m_view = nullptr;
    QTabBar* m_listTabs = nullptr;
    QTreeView* m_list = nullptr;
    CProjectListModel* m_listModel = nullptr;
    std::vector<float> m_listScores;  // what the status column shows while training runs
    QToolButton* m_collapse = nullptr;
    QTabBar* m_toolTabs = nullptr;
    cdlgToolsPage* m_build = nullptr;
    CdlgToolsPageTrain* m_train = nullptr;
    class CLearningCurve* m_curve = nullptr;  // made when first shown
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    CdlgToolsPageSimulate* m_simulate = nullptr;
    CdlgPanelLowerLeft* m_panel = nullptr;
    bool m_dialogBusy = false;  // an input or output dialog is open
    int m_listTab = 2;
    bool m_listKeyNavigation = false;  // a key the user pressed is moving the list's current row
    int m_shownTab = -1;               // whose rows the list holds
    std::int32_t m_currentScenarioID = -1;  // the scenario row last current, kept across refills and tabs
    int m_toolTab = 0;
    int m_layoutMode = 0;
    bool m_collapsed = false;
    QTimer m_simulationTimer;   // timer 1
    QTimer m_trainingTimer;     // timer 2003
    TrainingSnapshot m_snapshot;
    std::string m_savePath;
    QString m_fileTitle;   // the file last opened or saved as, without extension
    QString m_startDir;    // the working directory at start-up
    std::vector<std::uint8_t> m_savedImage;  // the project as last saved or opened; empty: never saved
    std::vector<std::uint8_t> ProjectImage();
};

}  // namespace ks
