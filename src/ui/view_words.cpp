#include "ui/view_words.h"

#include <QSize>
#include <QStringList>

#include "model/project.h"

namespace ks {

namespace {

QRect Q(const KRect& r) { return QRect(r.left, r.top, r.Width(), r.bottom - r.top); }
QString S(const std::string& s) { return QString::fromStdString(s); }

QString TypeWords(const CVariable& v) {
    switch (v.m_iType) {
        case kBoolean: return "Boolean";
        case kRangedInteger: return QString("Ranged Integer from %1 to %2").arg(v.m_dMin).arg(v.m_dMax);
        case kDescriptorList: {
            QStringList items;
            for (const auto& item : v.m_items) items << S(item->text);
            return "Descriptor List: " + items.join(", ");
        }
        default: return QString("Ranged Double from %1 to %2").arg(v.m_dMin).arg(v.m_dMax);
    }
}

// A receptor's name as a listener can tell it from the others: its label
// with its kind (a label that is only the kind gets its place among its
// kind), and the input or output it stands for.
QString ReceptorName(const CReceptor& r, int ordinal) {
    const QString kind = KindName(r.m_iKind), label = S(r.m_label).trimmed();
    QString name = label.isEmpty() || label == kind ? QString("%1 %2").arg(kind).arg(ordinal)
                   : label.startsWith(kind)          ? label
                                                     : kind + " " + label;
    if (r.m_pVariable) name += " (" + S(r.m_pVariable->m_name) + ")";
    if (r.m_pOutput) name += " (" + S(r.m_pOutput->m_name) + ")";
    return name;
}

}  // namespace

const ViewTile* ViewWords::Find(std::int64_t key) const {
    const int part = PartOfKey(key);
    if (part < 0 || part >= kViewParts) return nullptr;
    for (const ViewTile& t : parts[part])
        if (t.key == key) return &t;
    return nullptr;
}

ViewWords DescribeView(const CProject& project, QSize size, int barHeight, int focusPart, int focusIndex) {
    ViewWords w;
    w.partRects[kPartInputs] = QRect(0, 0, size.width(), barHeight);
    w.partRects[kPartNetwork] = QRect(0, barHeight, size.width(), size.height() - 2 * barHeight);
    w.partRects[kPartOutputs] = QRect(0, size.height() - barHeight, size.width(), barHeight);
    if (!project.m_bOpen) return w;
    for (const auto& v : project.m_inputs.m_items) {
        ViewTile t;
        t.key = TileKey(kPartInputs, v->m_ID);
        t.name = S(v->m_name);
        t.value = S(v->ValueText());
        t.description = TypeWords(*v);
        t.rect = Q(v->m_rect);
        t.selected = v->m_bSelected;
        t.number = v->m_dValue;
        t.minimum = v->m_iType == kDescriptorList ? 0.0 : v->m_dMin;
        t.maximum = v->m_iType == kDescriptorList ? static_cast<double>(v->m_items.size()) - 1.0
                    : v->m_iType == kBoolean      ? 1.0
                                                  : v->m_dMax;
        // Whole steps where the input takes whole values; else a hundredth of the range.
        t.step = v->m_iType == kRangedDouble ? (t.maximum - t.minimum) / 100.0 : 1.0;
        w.parts[kPartInputs].push_back(t);
    }
    const COutput* decision = nullptr;
    if (const CReceptorMgr* m = project.Model()) {
        if (const CReceptor* winner = m->DisplayWinner()) decision = winner->m_pOutput;
        // Drawn as one picture in model view: every receptor is somewhere inside it.
        const QRect picture = Q(m->m_rect);
        const QPoint offset(project.m_viewOffset.x, project.m_viewOffset.y);
        int ordinal[5] = {};
        for (const auto& r : m->m_receptors) {
            ViewTile t;
            t.key = TileKey(kPartNetwork, r->m_ID);
            t.name = ReceptorName(*r, r->m_iKind >= 1 && r->m_iKind <= 4 ? ++ordinal[r->m_iKind] : 0);
            t.value = QString::asprintf("%0.3f", r->SendValue());
            t.description = r->m_iKind == kBias ? QString("sends %1").arg(t.value)
                                                : QString::asprintf("IN: %0.3f, OUT: %0.3f", r->m_dNetInput, r->SendValue());
            t.rect = project.m_bModelView ? picture : Q(r->m_geo.body).translated(offset);
            t.selected = r->m_bSelected;
            t.number = r->SendValue();
            w.parts[kPartNetwork].push_back(t);
        }
    }
    for (const auto& o : project.m_outputs.m_items) {
        ViewTile t;
        t.key = TileKey(kPartOutputs, o->m_ID);
        t.name = S(o->m_name);
        t.value = S(o->m_countLabel);
        t.decision = o.get() == decision;
        t.description = QString("%1 scenarios%2").arg(o->m_iScenarioCount).arg(t.decision ? "; the network's decision" : "");
        t.rect = Q(o->m_rect);
        t.selected = o->m_bSelected;
        w.parts[kPartOutputs].push_back(t);
    }
    if (focusPart >= 0 && focusPart < kViewParts && focusIndex >= 0 &&
        focusIndex < static_cast<int>(w.parts[focusPart].size()))
        w.parts[focusPart][static_cast<std::size_t>(focusIndex)].focused = true;
    return w;
}

}  // namespace ks
