// The tabbed list of the main window: inputs, outputs and scenarios.
#include <QScrollBar>
#include <algorithm>
#include <QTreeWidget>

#include "ui/main_window.h"
#include "ui/project_lists.h"

namespace ks {

void CVeltrinoDlg::BuildListColumns() { SetListColumns(*m_list, m_listTab, m_project); }

void CVeltrinoDlg::FillList() {
    // Refilling keeps the current row, the selection and the scroll position,
    // and applies nothing: only the user picking a row applies a scenario.
    // The current scenario is the one the user last picked, kept by ID across
    // tab switches too (a row's scenario may be gone by now: never read it).
    QTreeWidgetItem* current = m_list->currentItem();
    const bool sameTab = m_shownTab == m_listTab;
    const int currentRow = current && sameTab ? m_list->indexOfTopLevelItem(current) : -1;
    const int scroll = sameTab ? m_list->verticalScrollBar()->value() : 0;
    m_list->blockSignals(true);
    FillListRows(*m_list, m_listTab, m_project);
    m_shownTab = m_listTab;
    QTreeWidgetItem* again = nullptr;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (m_listTab == 2) {
            const CScenario* s = ScenarioOf(item);
            if (s && s->m_ID == m_currentScenarioID) again = item;
            if (s && s->m_bSelected) item->setSelected(true);
        } else if (i == currentRow) {
            again = item;
        }
    }
    if (again) m_list->setCurrentItem(again, 0, QItemSelectionModel::NoUpdate);
    // The columns before the last fit their texts (Qt measures the first rows
    // only, so this stays quick on a big list); the last takes what is left.
    for (int c = 0; c + 1 < m_list->columnCount(); ++c) {
        m_list->resizeColumnToContents(c);
        m_list->setColumnWidth(c, std::max(m_list->columnWidth(c), 48));
    }
    if (sameTab) m_list->verticalScrollBar()->setValue(scroll);
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
        SetStatusCell(*item, columns - 1, s->m_fScore, s->m_bHeldOut);
    }
    m_project.RecountOutputScenarios();
}

void CVeltrinoDlg::RefreshLearnedColumn() {
    if (m_listTab != 2) return;
    const int columns = m_list->columnCount();
    const auto& scores = m_snapshot.scores;
    const int rows = std::min(m_list->topLevelItemCount(), static_cast<int>(scores.size()));
    if (rows == 0) return;
    // Only the rows on screen are rewritten each tick: a big project's list
    // would otherwise cost the whole tick (the rest are refreshed when training ends).
    const QRect area = m_list->viewport()->rect();
    QTreeWidgetItem* top = m_list->itemAt(area.topLeft());
    QTreeWidgetItem* bottom = m_list->itemAt(area.bottomLeft());
    const int first = top ? m_list->indexOfTopLevelItem(top) : 0;
    const int last = bottom ? m_list->indexOfTopLevelItem(bottom) : rows - 1;
    for (int i = std::max(0, first); i <= last && i < rows; ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        const CScenario* s = ScenarioOf(item);  // the held-out marks do not change while training runs
        SetStatusCell(*item, columns - 1, scores[static_cast<std::size_t>(i)], s && s->m_bHeldOut);
    }
}

}  // namespace ks
