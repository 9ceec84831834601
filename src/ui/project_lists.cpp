// The rows of the input, output and scenario lists, shown by the main window
// and by the new project wizard.
#include "ui/project_lists.h"

#include <QTreeWidget>

#include "model/numeric.h"
#include "model/project.h"
#include "ui/graphics.h"

namespace ks {

QString StatusText(float score) {
    if (static_cast<double>(score) > 0.82) return "Learned";
    return QString::asprintf("%0.3f", static_cast<double>(score));
}

QString ScenarioStatusText(const CScenario& s) { return StatusText(s.m_fScore); }

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

}  // namespace

CScenario* ScenarioOf(const QTreeWidgetItem* item) {
    return static_cast<CScenario*>(item->data(0, Qt::UserRole).value<void*>());
}

void SetStatusCell(QTreeWidgetItem& item, int column, float score, bool heldOut) {
    const bool right = static_cast<double>(score) > 0.82;
    if (heldOut) {
        // Never trained on: "Learned" would not be true; say whether it is decided right.
        item.setText(column, right ? "Held out: right" : "Held out: wrong");
        item.setBackground(column, right ? ToQColor(0x99DD99) : ToQColor(0xF0F0F0));
        return;
    }
    item.setText(column, StatusText(score));
    item.setBackground(column, right ? ToQColor(0x009900) : ToQColor(0xF0F0F0));
}

QString TargetCellText(const CScenario& s) { return TargetText(s); }

void SetListColumns(QTreeWidget& list, int tab, const CProject& project) {
    list.clear();
    QStringList headers;
    std::vector<int> widths;
    switch (tab) {
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
        if (project.Model())
            for (CReceptor* s : project.Model()->Sensors())
                if (s->m_pVariable) {
                    headers << QString::fromStdString(s->m_pVariable->m_name);
                    widths.push_back(80);
                }
        headers << "Target Output" << "Status";
        widths.push_back(90);
        widths.push_back(60);
    }
    list.setColumnCount(headers.size());
    list.setHeaderLabels(headers);
    for (std::size_t i = 0; i < widths.size(); ++i) list.setColumnWidth(static_cast<int>(i), widths[i]);
}

void FillListRows(QTreeWidget& list, int tab, CProject& project) {
    list.clear();
    const bool open = project.m_bOpen;
    if (tab == 0 && open) {
        for (const auto& v : project.m_inputs.m_items) {
            auto* item = new QTreeWidgetItem(&list);
            item->setText(0, QString::fromStdString(v->m_name));
            item->setText(1, QString::number(v->m_ID));
            item->setText(2, QString::number(v->m_iType));
            item->setText(3, QString::asprintf("%0.2f", v->m_dMin));
            item->setText(4, QString::asprintf("%0.2f", v->m_dMax));
            item->setText(5, QString::asprintf("%0.2f", v->m_dValue));
            item->setText(6, QString::asprintf("%0.2f", v->m_dIncrement));
        }
    } else if (tab == 1 && open) {
        for (const auto& o : project.m_outputs.m_items) {
            auto* item = new QTreeWidgetItem(&list);
            item->setText(0, QString::fromStdString(o->m_name));
            item->setText(1, QString::number(o->m_ID));
            // The receptor the output stands on, which the column names.
            if (o->m_iActionReceptorID) item->setText(2, QString::number(o->m_iActionReceptorID));
        }
    } else if (tab == 2 && project.Model() && project.Model()->m_iModelType == 2 && project.Scenarios()) {
        CScenarioMgr& sm = *project.Scenarios();
        if (sm.Sorted().size() != sm.Scenarios().size()) sm.SortScenarios(-1, kSortReapply);
        if (sm.Sorted().size() != sm.Scenarios().size()) sm.SortScenarios(0, kSortListOrder);
        const CReceptorMgr& m = *project.Model();
        const int columns = list.columnCount();
        for (CScenario* s : sm.Sorted()) {
            auto* item = new QTreeWidgetItem(&list);
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
            SetStatusCell(*item, columns - 1, s->m_fScore, s->m_bHeldOut);
            item->setSelected(s->m_bSelected);
        }
        project.RecountOutputScenarios();
    }
}

}  // namespace ks
