#pragma once
// The input, output and scenario lists as a table model: cells are made when
// the view draws them, so a list of 100 000 scenarios costs what its visible
// rows cost.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace ks {

class CProject;
class CReceptor;
class CScenario;

class CProjectListModel : public QAbstractTableModel {
public:
    explicit CProjectListModel(CProject& project, QObject* parent = nullptr);

    // Shows tab 0 (inputs), 1 (outputs) or 2 (scenarios, in their sorted
    // order) as the project is now. Every structural change calls this again:
    // the rows hold the project's objects until then.
    void Show(int tab);
    int Tab() const { return m_tab; }

    // The scenario of a row of the scenario tab; null elsewhere or out of range.
    CScenario* ScenarioAt(int row) const;
    // The row showing the scenario with this ID; -1 when none does.
    int RowOfScenario(int id) const;

    // While training runs the status column shows these scores (in row order)
    // instead of the scenarios' own, which the training thread is writing.
    void SetLiveScores(const std::vector<float>* scores);
    bool HasLiveScores() const { return m_liveScores != nullptr; }
    // The texts of the rows changed (names, targets, scores): redrawn when next shown.
    void RowsChanged(int first, int last);
    void AllRowsChanged();
    int StatusColumn() const { return static_cast<int>(m_headers.size()) - 1; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant ScenarioCell(const CScenario& s, int row, int column, int role) const;

    CProject& m_project;
    int m_tab = 2;
    int m_rows = 0;
    QStringList m_headers;
    std::vector<CScenario*> m_scenarios;               // the scenario tab's rows
    std::vector<const CReceptor*> m_columnSensors;     // the sensor of each input column
    const std::vector<float>* m_liveScores = nullptr;
};

}  // namespace ks
