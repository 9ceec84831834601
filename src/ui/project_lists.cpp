// The wizard's lists, filled from the same cells the main window shows.
#include "ui/project_lists.h"

#include <QTreeWidget>

#include "model/project.h"
#include "ui/project_list_model.h"

namespace ks {

CScenario* ScenarioOf(const QTreeWidgetItem* item) {
    return static_cast<CScenario*>(item->data(0, Qt::UserRole).value<void*>());
}

void FillList(QTreeWidget& list, int tab, CProject& project) {
    list.clear();
    CProjectListModel model(project);
    model.Show(tab);
    const int columns = model.columnCount();
    QStringList headers;
    for (int c = 0; c < columns; ++c) headers << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    list.setColumnCount(columns);
    list.setHeaderLabels(headers);
    for (int c = 0; c < columns; ++c) list.setColumnWidth(c, tab == 2 && c >= columns - 2 ? 90 : 70);
    for (int r = 0; r < model.rowCount(); ++r) {
        auto* item = new QTreeWidgetItem(&list);
        for (int c = 0; c < columns; ++c) {
            const QModelIndex at = model.index(r, c);
            item->setText(c, at.data(Qt::DisplayRole).toString());
            if (const QVariant b = at.data(Qt::BackgroundRole); b.isValid()) item->setBackground(c, b.value<QColor>());
        }
        if (CScenario* s = model.ScenarioAt(r)) {
            item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(s)));
            item->setSelected(s->m_bSelected);
        }
    }
}

}  // namespace ks
