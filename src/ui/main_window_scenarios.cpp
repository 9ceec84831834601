// What the scenario list does with clicks, right-clicks, double-clicks, header
// clicks and keys.
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeView>

#include "model/text.h"
#include "ui/dialogs/scenario_dialog.h"
#include "ui/main_window.h"

namespace ks {

void CVeltrinoDlg::ConnectScenarioList() {
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    m_list->header()->setSectionsClickable(true);
    QItemSelectionModel* selection = m_list->selectionModel();
    connect(selection, &QItemSelectionModel::selectionChanged, this, [this, selection] {
        if (m_listTab != 2 || !m_project.Scenarios()) return;
        CScenarioMgr& sm = *m_project.Scenarios();
        sm.ClearSelection();
        for (const QModelIndex& at : selection->selectedRows())
            if (CScenario* s = m_listModel->ScenarioAt(at.row())) sm.Select(s);
        RefreshPanels();
    });
    connect(m_list, &QTreeView::clicked, this, [this](const QModelIndex& at) { ApplyListScenario(at.row()); });
    // Arrow keys move the current row: its scenario is applied as a click
    // would. Qt also moves the current row by itself (focus coming back, rows
    // refilled); that applies nothing.
    connect(selection, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& at) {
        if (m_listKeyNavigation && at.isValid()) ApplyListScenario(at.row());
    });
    connect(m_list, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_listTab != 2 || !m_list->indexAt(at).isValid() || !m_project.Scenarios() || m_session->Training()) return;
        EditScenarios(nullptr);
        RefreshPanels();
    });
    connect(m_list, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& at) { OnScenarioCellDoubleClicked(at.row(), at.column()); });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        // A click on an input column's header sorts the scenarios ascending by that input.
        if (m_listTab != 2 || !m_project.m_bOpen || !m_project.Model() || !m_project.Scenarios()) return;
        m_session->SortByInputColumn(column);
    });
}

void CVeltrinoDlg::ApplyListScenario(int row) {
    if (m_listTab != 2 || !m_project.Scenarios()) return;
    CScenario* s = m_listModel->ScenarioAt(row);
    if (!s) return;
    m_currentScenarioID = s->m_ID;
    m_session->ApplyScenario(s);
}

void CVeltrinoDlg::OnScenarioCellDoubleClicked(int row, int column) {
    if (m_listTab != 2 || !m_project.m_bOpen || !m_project.Model() || !m_project.Scenarios()) return;
    if (m_session->Training()) return;
    CScenario* s = m_listModel->ScenarioAt(row);
    if (!s) return;
    const int columns = m_listModel->columnCount();
    Trace("iRow: %d (%s), iColumn: %d (%s)\n", row, s->m_name.c_str(), column,
          m_listModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString().c_str());
    if (column == 0 || column == columns - 2) {
        EditScenarios(s);
    } else if (column > 0 && column < columns - 2) {
        // The column's sensory receptor: the (column)th sensor that carries an input.
        CReceptor* sensor = nullptr;
        int k = 0;
        for (CReceptor* r : m_project.Model()->Sensors())
            if (r->m_pVariable && ++k == column) sensor = r;
        VARINFO* stored = nullptr;
        if (sensor)
            for (VARINFO& vi : s->m_inputs)
                if (vi.receptorID == sensor->m_ID) stored = &vi;
        if (stored) {
            CVariable& input = *sensor->m_pVariable;
            CdlgSliderInput slider(input, [&](double value, bool restoring) {
                // Escape gives the input its value back and keeps the stored one.
                if (restoring) return m_session->SetInputValue(&input, value);
                // A move changes the stored value too, and the row shows its new score at once.
                m_session->StoreValue(s, stored, value);
                m_listModel->RowsChanged(row, row);
            }, this);
            const QRect cell = m_list->visualRect(m_listModel->index(row, column));
            const int x = m_list->header()->sectionViewportPosition(column) + m_list->columnWidth(column) / 2;
            const QPoint below = m_list->viewport()->mapToGlobal(QPoint(x, cell.bottom() + 1 + 12));
            slider.move(below.x() - slider.width() / 2, below.y());
            slider.exec();
            m_session->UpdateNetwork();
        }
    }
    RefreshPanels();
}

void CVeltrinoDlg::DeleteListSelection() { m_session->DeleteScenarioSelection(); }

bool CVeltrinoDlg::eventFilter(QObject* watched, QEvent* event) {
    // Delete acts on the scenarios only while their tab is shown: on the other
    // tabs the user is looking at inputs or outputs, not at the scenarios it would delete.
    if (watched == m_list && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete &&
        m_listTab == 2) {
        DeleteListSelection();
        return true;
    }
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End: {
            // The list handles the key now (filters are not run again), so its
            // change of row is known to come from the user.
            m_listKeyNavigation = true;
            static_cast<QObject*>(m_list)->event(event);
            m_listKeyNavigation = false;
            return true;
        }
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace ks
