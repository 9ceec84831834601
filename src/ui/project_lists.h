#pragma once
// The input, output and scenario lists (tabs 0, 1 and 2), shared by the main
// window and the new project wizard.
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace ks {

class CProject;
class CScenario;

// "Learned" above 0.82 (compared in double precision), else the score.
QString StatusText(float score);
QString ScenarioStatusText(const CScenario& s);
QString TargetCellText(const CScenario& s);
void SetStatusCell(QTreeWidgetItem& item, int column, float score, bool heldOut = false);
CScenario* ScenarioOf(const QTreeWidgetItem* item);

void SetListColumns(QTreeWidget& list, int tab, const CProject& project);
// Scenario rows follow the sorted order and carry their scenario (ScenarioOf).
void FillListRows(QTreeWidget& list, int tab, CProject& project);

}  // namespace ks
