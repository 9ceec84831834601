// The tabbed list of the main window: inputs, outputs and scenarios.
#include <QHeaderView>
#include <QItemSelection>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>

#include "ui/main_window.h"

namespace ks {

void CVeltrinoDlg::FillList() {
    // Refilling keeps the current row, the selection and the scroll position,
    // and applies nothing: only the user picking a row applies a scenario.
    // The current scenario is the one the user last picked, kept by ID across
    // tab switches too.
    const bool sameTab = m_shownTab == m_listTab;
    const int currentRow = sameTab ? m_list->currentIndex().row() : -1;
    const int scroll = sameTab ? m_list->verticalScrollBar()->value() : 0;
    QItemSelectionModel* selection = m_list->selectionModel();
    // A run that has just started (the session reports it before the timer
    // ticks) already writes the scores: the list reads copies from now on.
    if (m_runner->IsRunning() && !m_listModel->HasLiveScores()) FreezeListScores();
    m_listModel->Show(m_listTab);
    m_shownTab = m_listTab;
    selection->blockSignals(true);
    int again = m_listTab == 2 ? m_listModel->RowOfScenario(m_currentScenarioID) : currentRow;
    if (again >= m_listModel->rowCount()) again = -1;
    if (again >= 0) selection->setCurrentIndex(m_listModel->index(again, 0), QItemSelectionModel::NoUpdate);
    if (m_listTab == 2) {
        // The scenarios' own marks are the selection; contiguous runs make it quick.
        QItemSelection marked;
        const int rows = m_listModel->rowCount(), last = m_listModel->columnCount() - 1;
        for (int r = 0; r < rows;) {
            if (!m_listModel->ScenarioAt(r)->m_bSelected) {
                ++r;
                continue;
            }
            const int first = r;
            while (r < rows && m_listModel->ScenarioAt(r)->m_bSelected) ++r;
            marked.select(m_listModel->index(first, 0), m_listModel->index(r - 1, last));
        }
        if (!marked.isEmpty()) selection->select(marked, QItemSelectionModel::ClearAndSelect);
    }
    selection->blockSignals(false);
    // The columns before the last fit their texts (Qt measures the rows in
    // view and a bounded number of others); the last takes what is left.
    for (int c = 0; c + 1 < m_listModel->columnCount(); ++c) {
        m_list->resizeColumnToContents(c);
        m_list->setColumnWidth(c, std::max(m_list->columnWidth(c), 48));
    }
    if (sameTab)
        m_list->verticalScrollBar()->setValue(scroll);
    else if (again >= 0)
        m_list->scrollTo(m_listModel->index(again, 0), QAbstractItemView::PositionAtCenter);  // back on the tab: the row picked shows
}

void CVeltrinoDlg::RefreshScenarioTexts() {
    if (!m_runner->IsRunning()) m_listModel->SetLiveScores(nullptr);
    if (m_listTab != 2) return;
    m_listModel->AllRowsChanged();
    m_project.RecountOutputScenarios();
}

void CVeltrinoDlg::FreezeListScores() {
    // From now on the training thread writes the scenarios' scores: the list
    // shows copies taken under the lock, never the scores themselves.
    m_runner->Snapshot(m_snapshot);
    m_listScores = m_snapshot.scores;
    m_listModel->SetLiveScores(&m_listScores);
}

void CVeltrinoDlg::RefreshLearnedColumn() {
    if (m_listTab != 2) return;
    // The status cells read the tick's snapshot; the view redraws only the
    // rows on screen, whatever the size of the project.
    m_listScores = m_snapshot.scores;
    m_listModel->SetLiveScores(&m_listScores);
    const QRect area = m_list->viewport()->rect();
    const QModelIndex top = m_list->indexAt(area.topLeft()), bottom = m_list->indexAt(area.bottomLeft());
    const int first = top.isValid() ? top.row() : 0;
    m_listModel->RowsChanged(first, bottom.isValid() ? bottom.row() : m_listModel->rowCount() - 1);
}

}  // namespace ks
