// The tabbed list of the main window: inputs, outputs and scenarios.
#include <QTreeWidget>

#include "ui/main_window.h"
#include "ui/project_lists.h"

namespace ks {

void CVeltrinoDlg::BuildListColumns() { SetListColumns(*m_list, m_listTab, m_project); }

void CVeltrinoDlg::FillList() {
    m_list->blockSignals(true);
    FillListRows(*m_list, m_listTab, m_project);
    m_list->blockSignals(false);
}

void CVeltrinoDlg::RefreshScenarioTexts() {
    if (m_listTab != 2) return;
    const int columns = m_list->columnCount();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        const CScenario* s = ScenarioOf(item);
        if (!s) continue;
        item->setText(0, QString::fromStdString(s->m_name));
        item->setText(columns - 2, TargetCellText(*s));
        SetStatusCell(*item, columns - 1, s->m_fScore);
    }
    m_project.RecountOutputScenarios();
}

void CVeltrinoDlg::RefreshLearnedColumn() {
    if (m_listTab != 2) return;
    const int columns = m_list->columnCount();
    const auto& scores = m_snapshot.scores;
    for (int i = 0; i < m_list->topLevelItemCount() && i < static_cast<int>(scores.size()); ++i) {
        SetStatusCell(*m_list->topLevelItem(i), columns - 1, scores[static_cast<std::size_t>(i)]);
    }
}

}  // namespace ks
