#pragma once
// The texts of the input, output and scenario lists, shared by the main
// window (through CProjectListModel) and the new project wizard.
#include <QColor>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace ks {

class CProject;
class CScenario;

// "Learned" above 0.82 (compared in double precision), else the score.
QString StatusText(float score);
QString ScenarioStatusText(const CScenario& s);
// The status cell: held-out scenarios say whether they are decided right.
QString StatusCellText(float score, bool heldOut);
QColor StatusCellColour(float score, bool heldOut);
CScenario* ScenarioOf(const QTreeWidgetItem* item);

// The wizard's small lists as items: the columns and rows of a tab, the
// same cells the main window's list shows. Scenario rows follow the sorted
// order and carry their scenario (ScenarioOf).
void FillList(QTreeWidget& list, int tab, CProject& project);

}  // namespace ks
