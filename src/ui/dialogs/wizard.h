#pragma once
// The New Project wizard: a name and one of three approaches (guided, blank,
// imported data), then the steps of the chosen approach. It works on the main
// window's project directly, so its pages show and extend the project being built.
#include <QDialog>
#include <map>
#include <string>

#include "files/data_import.h"
#include "ui/file_dialogs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

namespace ks {

class CProject;
class CReceptor;
class CVariable;
class COutput;
class CScenario;
class CSession;

// What the wizard needs of the window that runs it.
class IWizardHost {
public:
    virtual ~IWizardHost() = default;
    virtual QWidget* HostWidget() = 0;
    virtual CSession& Session() = 0;
    virtual QString ChooseFile(FileRequest request) = 0;
    // With unsaved changes: ask (Yes saves); false when the user cancels or the save fails.
    virtual bool OfferToSaveChanges(const char* question) = 0;
    virtual void CloseProject() = 0;
    virtual void AddScenarioForOutput(CReceptor* action) = 0;
    // The window's edit dialogs, for the wizard's lists.
    virtual void EditInput(CVariable* input) = 0;
    virtual void EditOutput(COutput* output) = 0;
    virtual bool EditScenarios(CScenario* scenario) = 0;
    virtual void OpenHelpPage(const QString& topic) = 0;
};

enum WizardApproach { kApproachBlank = 0, kApproachGuided = 1, kApproachImported = 2 };

class CdlgWizProject : public QDialog {
    Q_OBJECT
public:
    enum Page {
        kWelcome = 193, kName = 194, kInputs = 195, kOutputs = 196, kTrainData = 197,
        kFinished = 204, kImport = 206, kImported = 207
    };
    explicit CdlgWizProject(IWizardHost& host);

    void ShowPage(int page);
    void SetApproach(int approach);
    void Next();
    void Previous();
    void Finish();
    void reject() override;

    int CurrentPage() const { return m_iPage; }
    int Approach() const { return m_iApproach; }
    bool ClosedPrevious() const { return m_bClosedPrevious; }
    bool Created() const { return m_bCreated; }
    const std::string& OriginalName() const { return m_originalName; }
    // The two paragraphs of the last page.
    QString SummaryText() const;

    // Frame
    QPushButton *help, *previous, *next, *finish, *cancel;
    // 194
    QLineEdit* nameBox;
    QRadioButton* approaches[3];
    // 195, 196, 197, 207
    QPushButton *addInput, *addOutput, *createEndpoints, *addScenario;
    QTreeWidget *inputsList, *outputsList, *scenarioList, *importedList;
    // 204
    QLabel* summary;
    // 206
    QPushButton* browse;
    QLineEdit* importFile;
    QCheckBox* scenarioNames;
    QCheckBox* noHeader;        // the first row is data
    QComboBox* missingValues;   // keep, leave out, refuse (MissingValues)
    QLabel* layoutPicture;
    // 207: what the import read and built, and its warnings
    QLabel* importSummary;
    CDataImport m_import;  // starts with no file chosen and scenario names off

private:
    QWidget* MakePage(int page, const char* heading);
    void BuildPages();
    void UpdateDefaultButton();
    void FillScenarioList(QTreeWidget& list);
    // Double-click edits a row's input, output or scenario; Delete deletes
    // the selected rows, asking as the window does.
    void MakeEditable(QTreeWidget& list, int kind);
    void FillInputs();
    void FillOutputs();
    void OnAddInput();
    void OnAddOutput();
    void OnBrowse();
    // The question before a project is replaced; closes the open project on Yes.
    bool MayReplaceProject();
    void StartGuidedProject();
    bool StartImportedProject();

    IWizardHost& m_window;
    CProject& m_project;
    QStackedWidget* m_stack;
    std::map<int, QWidget*> m_pages;
    int m_iPage = kWelcome;
    int m_iApproach = kApproachGuided;
    bool m_bClosedPrevious = false;
    bool m_bCreated = false;          // the wizard started a project
    std::string m_originalName;       // the open project's name, restored on Cancel
};

}  // namespace ks
