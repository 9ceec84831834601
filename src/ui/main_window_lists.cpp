// The tabbed list of the main window: inputs, outputs and scenarios.
#include <QHeaderView>
#include <QTreeWidget>

#include "model/numeric.h"
#include "ui/graphics.h"
#include "ui/main_window.h"

namespace ks {

// "Learned" above 0.82 (compared in double precision), else the score.
QString ScenarioStatusText(const CScenario& s) {
    if (static_cast<double>(s.m_fScore) > 0.82) return "Learned";
    return QString::asprintf("%0.3f", static_cast<double>(s.m_fScore));
}

namespace {

QString TargetText(const CScenario& s) {
    if (s.m_pTarget) return s.m_pTarget->m_pOutput ? QString::fromStdString(s.m_pTarget->m_pOutput->m_name) : QString();
    return QString::asprintf("Tgt: %d", s.m_iTargetID);
}

QString ValueCell(const CReceptorMgr& m, const VARINFO& vi) {
    const CReceptor* r = m.FindReceptor(vi.receptorID);
    const CVariable* v = r ? r->m_pVariable : nullptr;
    if (!v) return QString::asprintf("%0.2f", vi.value);
    switch (v->m_iType) {
    case kBoolean: return vi.value == 0.0 ? "no" : "yes";
    case kRangedInteger: return QString::number(Trunc32(vi.value));
    case kDescriptorList: {
        const VARIABLE_ITEM* item = v->FindItem(Trunc32(vi.value));
        return item ? QString::fromStdString(item->text) : QString();
    }
    default: return QString::asprintf("%0.2f", vi.value);
    }
}

CScenario* ScenarioOf(QTreeWidgetItem* item) { return static_cast<CScenario*>(item->data(0, Qt::UserRole).value<void*>()); }

}  // namespace

void CVeltrinoDlg::BuildListColumns() {
    m_list->clear();
    QStringList headers;
    std::vector<int> widths;
    switch (m_listTab) {
    case 0:
        headers = {"Variable Name", "ID", "Type", "Min Val", "Max Val", "Current Val", "Sim Increment"};
        widths.assign(7, 60);
        break;
    case 1:
        headers = {"Output Name", "ID", "Receptor ID"};
        widths.assign(3, 60);
        break;
    default:
        headers << "Name";
        widths.push_back(80);
        if (m_project.Model())
            for (CReceptor* s : m_project.Model()->Sensors())
                if (s->m_pVariable) {
                    headers << QString::fromStdString(s->m_pVariable->m_name);
                    widths.push_back(80);
                }
        headers << "Target Output" << "Status";
        widths.push_back(90);
        widths.push_back(60);
    }
    m_list->setColumnCount(headers.size());
    m_list->setHeaderLabels(headers);
    for (std::size_t i = 0; i < widths.size(); ++i) m_list->setColumnWidth(static_cast<int>(i), widths[i]);
}

void CVeltrinoDlg::FillList() {
    m_list->blockSignals(true);
    m_list->clear();
    const bool open = m_project.m_bOpen;
    if (m_listTab == 0 && open) {
        for (const auto& v : m_project.m_inputs.m_items) {
            auto* item = new QTreeWidgetItem(m_list);
            item->setText(0, QString::fromStdString(v->m_name));
            item->setText(1, QString::number(v->m_ID));
            item->setText(2, QString::number(v->m_iType));
            item->setText(3, QString::asprintf("%0.2f", v->m_dMin));
            item->setText(4, QString::asprintf("%0.2f", v->m_dMax));
            item->setText(5, QString::asprintf("%0.2f", v->m_dValue));
            item->setText(6, QString::asprintf("%0.2f", v->m_dIncrement));
        }
    } else if (m_listTab == 1 && open) {
        for (const auto& o : m_project.m_outputs.m_items) {
            auto* item = new QTreeWidgetItem(m_list);
            item->setText(0, QString::fromStdString(o->m_name));
            item->setText(1, QString::number(o->m_ID));
            // The receptor the output stands on, which the column names.
            if (o->m_iActionReceptorID) item->setText(2, QString::number(o->m_iActionReceptorID));
        }
    } else if (m_listTab == 2 && m_project.Model() && m_project.Model()->m_iModelType == 2 && m_project.Scenarios()) {
        CScenarioMgr& sm = *m_project.Scenarios();
        if (sm.Sorted().size() != sm.Scenarios().size()) sm.SortScenarios(-1, kSortReapply);
        if (sm.Sorted().size() != sm.Scenarios().size()) sm.SortScenarios(0, kSortListOrder);
        const CReceptorMgr& m = *m_project.Model();
        const int columns = m_list->columnCount();
        for (CScenario* s : sm.Sorted()) {
            auto* item = new QTreeWidgetItem(m_list);
            item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(s)));
            item->setText(0, QString::fromStdString(s->m_name));
            int c = 1;
            for (const VARINFO& vi : s->m_inputs) {
                if (c >= columns - 2) break;
                item->setText(c, ValueCell(m, vi));
                const CReceptor* r = m.FindReceptor(vi.receptorID);
                const CVariable* v = r ? r->m_pVariable : nullptr;
                if (v && v->m_iType == kDescriptorList)
                    if (const VARIABLE_ITEM* it = v->FindItem(Trunc32(vi.value)); it && it->colourCoding)
                        item->setBackground(c, ToQColor(it->colour));
                ++c;
            }
            item->setText(columns - 2, TargetText(*s));
            if (s->m_pTarget && s->m_pTarget->m_pOutput) item->setBackground(columns - 2, ToQColor(s->m_pTarget->m_pOutput->m_colour));
            item->setText(columns - 1, ScenarioStatusText(*s));
            item->setBackground(columns - 1, static_cast<double>(s->m_fScore) > 0.82 ? ToQColor(0x009900) : ToQColor(0xF0F0F0));
            item->setSelected(s->m_bSelected);
        }
        m_project.RecountOutputScenarios();
    }
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
        item->setText(columns - 2, TargetText(*s));
        item->setText(columns - 1, ScenarioStatusText(*s));
        item->setBackground(columns - 1, static_cast<double>(s->m_fScore) > 0.82 ? ToQColor(0x009900) : ToQColor(0xF0F0F0));
    }
    m_project.RecountOutputScenarios();
}

void CVeltrinoDlg::RefreshLearnedColumn() {
    if (m_listTab != 2) return;
    const int columns = m_list->columnCount();
    const auto& scores = m_snapshot.scores;
    for (int i = 0; i < m_list->topLevelItemCount() && i < static_cast<int>(scores.size()); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        CScenario copy;
        copy.m_fScore = scores[static_cast<std::size_t>(i)];
        item->setText(columns - 1, ScenarioStatusText(copy));
        item->setBackground(columns - 1, static_cast<double>(copy.m_fScore) > 0.82 ? ToQColor(0x009900) : ToQColor(0xF0F0F0));
    }
}

}  // namespace ks
