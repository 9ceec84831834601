#include "ui/project_list_model.h"

#include <QColor>

#include "model/numeric.h"
#include "model/project.h"
#include "ui/graphics.h"
#include "ui/project_lists.h"

namespace ks {

namespace {

QString TargetText(const CScenario& s) {
    if (s.m_pTarget) return s.m_pTarget->m_pOutput ? QString::fromStdString(s.m_pTarget->m_pOutput->m_name) : QString();
    return QString::asprintf("Tgt: %d", s.m_iTargetID);
}

const CVariable* InputOf(const CReceptorMgr& m, const VARINFO& vi) {
    const CReceptor* r = m.FindReceptor(vi.receptorID);
    return r ? r->m_pVariable : nullptr;
}

QString ValueCell(const CVariable* v, const VARINFO& vi) {
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

QString Number2(double v) { return QString::asprintf("%0.2f", v); }

}  // namespace

QString StatusText(float score) {
    if (static_cast<double>(score) > 0.82) return "Learned";
    return QString::asprintf("%0.3f", static_cast<double>(score));
}

QString ScenarioStatusText(const CScenario& s) { return StatusText(s.m_fScore); }

QString StatusCellText(float score, bool heldOut) {
    // A held-out scenario was never trained on: "Learned" would not be true;
    // the cell says whether it is decided right.
    if (heldOut) return static_cast<double>(score) > 0.82 ? "Held out: right" : "Held out: wrong";
    return StatusText(score);
}

QColor StatusCellColour(float score, bool heldOut) {
    const bool right = static_cast<double>(score) > 0.82;
    if (heldOut) return right ? ToQColor(0x99DD99) : ToQColor(0xF0F0F0);
    return right ? ToQColor(0x009900) : ToQColor(0xF0F0F0);
}

CProjectListModel::CProjectListModel(CProject& project, QObject* parent) : QAbstractTableModel(parent), m_project(project) {}

void CProjectListModel::Show(int tab) {
    beginResetModel();
    m_tab = tab;
    m_scenarios.clear();
    m_columnSensors.clear();
    m_rows = 0;
    CProject& p = m_project;
    switch (tab) {
    case 0:
        m_headers = {"Variable Name", "ID", "Type", "Min Val", "Max Val", "Current Val", "Sim Increment"};
        if (p.m_bOpen) m_rows = static_cast<int>(p.m_inputs.m_items.size());
        break;
    case 1:
        m_headers = {"Output Name", "ID", "Receptor ID"};
        if (p.m_bOpen) m_rows = static_cast<int>(p.m_outputs.m_items.size());
        break;
    default:
        m_headers = QStringList{"Name"};
        if (p.Model())
            for (CReceptor* s : p.Model()->Sensors())
                if (s->m_pVariable) {
                    m_headers << QString::fromStdString(s->m_pVariable->m_name);
                    m_columnSensors.push_back(s);
                }
        m_headers << "Target Output" << "Status";
        if (p.Model() && p.Model()->m_iModelType == 2 && p.Scenarios()) {
            CScenarioMgr& sm = *p.Scenarios();
            // Scenarios added since the last sort join the order first.
            if (sm.Sorted().size() != sm.Scenarios().size()) sm.SortScenarios(-1, kSortReapply);
            if (sm.Sorted().size() != sm.Scenarios().size()) sm.SortScenarios(0, kSortListOrder);
            m_scenarios.assign(sm.Sorted().begin(), sm.Sorted().end());
            m_rows = static_cast<int>(m_scenarios.size());
            p.RecountOutputScenarios();
        }
    }
    endResetModel();
}

CScenario* CProjectListModel::ScenarioAt(int row) const {
    if (m_tab != 2 || row < 0 || row >= static_cast<int>(m_scenarios.size())) return nullptr;
    return m_scenarios[static_cast<std::size_t>(row)];
}

int CProjectListModel::RowOfScenario(int id) const {
    for (std::size_t i = 0; i < m_scenarios.size(); ++i)
        if (m_scenarios[i]->m_ID == id) return static_cast<int>(i);
    return -1;
}

void CProjectListModel::SetLiveScores(const std::vector<float>* scores) { m_liveScores = scores; }

void CProjectListModel::RowsChanged(int first, int last) {
    if (m_rows == 0) return;
    first = std::max(first, 0);
    last = std::min(last, m_rows - 1);
    if (first <= last) emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void CProjectListModel::AllRowsChanged() { RowsChanged(0, m_rows - 1); }

int CProjectListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows; }

int CProjectListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant CProjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QVariant CProjectListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || (role != Qt::DisplayRole && role != Qt::BackgroundRole)) return {};
    const int row = index.row(), column = index.column();
    const bool text = role == Qt::DisplayRole;
    if (m_tab == 0) {
        if (!text) return {};
        const CVariable& v = *m_project.m_inputs.m_items[static_cast<std::size_t>(row)];
        switch (column) {
        case 0: return QString::fromStdString(v.m_name);
        case 1: return QString::number(v.m_ID);
        case 2: return QString::number(v.m_iType);
        case 3: return Number2(v.m_dMin);
        case 4: return Number2(v.m_dMax);
        case 5: return Number2(v.m_dValue);
        case 6: return Number2(v.m_dIncrement);
        default: return {};
        }
    }
    if (m_tab == 1) {
        if (!text) return {};
        const COutput& o = *m_project.m_outputs.m_items[static_cast<std::size_t>(row)];
        switch (column) {
        case 0: return QString::fromStdString(o.m_name);
        case 1: return QString::number(o.m_ID);
        // The receptor the output stands on, which the column names.
        case 2: return o.m_iActionReceptorID ? QString::number(o.m_iActionReceptorID) : QString();
        default: return {};
        }
    }
    return ScenarioCell(*m_scenarios[static_cast<std::size_t>(row)], row, column, role);
}

QVariant CProjectListModel::ScenarioCell(const CScenario& s, int row, int column, int role) const {
    const bool text = role == Qt::DisplayRole;
    const int status = StatusColumn(), target = status - 1;
    if (column == 0) return text ? QVariant(QString::fromStdString(s.m_name)) : QVariant();
    if (column == status) {
        const bool live = m_liveScores && row < static_cast<int>(m_liveScores->size());
        const float score = live ? (*m_liveScores)[static_cast<std::size_t>(row)] : s.m_fScore;
        return text ? QVariant(StatusCellText(score, s.m_bHeldOut)) : QVariant(StatusCellColour(score, s.m_bHeldOut));
    }
    if (column == target) {
        if (text) return TargetText(s);
        if (s.m_pTarget && s.m_pTarget->m_pOutput) return ToQColor(s.m_pTarget->m_pOutput->m_colour);
        return {};
    }
    // Input columns show the scenario's stored values in their stored order.
    const std::size_t k = static_cast<std::size_t>(column - 1);
    if (k >= s.m_inputs.size() || !m_project.Model()) return {};
    const VARINFO& vi = s.m_inputs[k];
    const CVariable* v = InputOf(*m_project.Model(), vi);
    if (text) return ValueCell(v, vi);
    if (v && v->m_iType == kDescriptorList)
        if (const VARIABLE_ITEM* it = v->FindItem(Trunc32(vi.value)); it && it->colourCoding) return ToQColor(it->colour);
    return {};
}

}  // namespace ks
