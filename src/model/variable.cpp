#include "model/variable.h"

#include <algorithm>
#include <climits>

#include "model/numeric.h"
#include "model/random.h"
#include "model/text.h"

namespace ks {

CVariable::CVariable() {
    m_iTargetType = kTargetInput;
    m_pOwner = this;
}

void CVariable::SetValue(double value) {
    m_dValue = value;
    if (m_iType == kDescriptorList) {
        m_pCurrentItem = FindItem(Trunc32(value));
        if (m_pCurrentItem) m_valueColour = m_pCurrentItem->colourCoding ? m_pCurrentItem->colour : 0xFFFFFF;
    }
    UpdateGaugeFill();
}

COLORREF CVariable::ValueColour() const {
    if (m_iType == kBoolean) return m_dValue == 0.0 ? kFalseColour : kTrueColour;
    return m_valueColour;
}

void CVariable::UpdateGaugeFill() {
    m_glyph.gaugeFill = m_glyph.gauge;
    const double span = m_dMax - m_dMin;
    if (span == 0.0) {  // a zero range has an empty fill
        m_glyph.gaugeFill.top = m_glyph.gauge.bottom;
        return;
    }
    const int height = m_glyph.gauge.bottom - m_glyph.gauge.top;
    // Values far outside the range must not overflow the pixel arithmetic.
    const long long top = static_cast<long long>(m_glyph.gauge.bottom) - Trunc32((m_dValue - m_dMin) / span * height);
    m_glyph.gaugeFill.top = static_cast<std::int32_t>(std::clamp<long long>(top, INT32_MIN, INT32_MAX));
}

void CVariable::SetRange(double minimum, double maximum) {
    m_dMin = minimum;
    m_dMax = maximum;
    m_dRange = maximum - minimum;
}

VARIABLE_ITEM* CVariable::AddItem(const std::string& text, std::int32_t valueCode, std::int32_t index,
                                  bool colourCoding, COLORREF colour) {
    auto item = std::make_unique<VARIABLE_ITEM>();
    item->text = TruncateUtf16(text, 99);
    item->valueCode = valueCode;
    item->index = index;
    item->colourCoding = colourCoding;
    item->colour = colour;
    m_items.push_back(std::move(item));
    SetRange(0.0, ItemCount());
    return m_items.back().get();
}

void CVariable::RenumberItems() {
    for (std::size_t i = 0; i < m_items.size(); ++i) m_items[i]->index = static_cast<std::int32_t>(i);
}

void CVariable::DeleteItem(VARIABLE_ITEM* item) {
    auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& p) { return p.get() == item; });
    if (it == m_items.end()) return;
    if (m_pCurrentItem == item) m_pCurrentItem = nullptr;
    m_items.erase(it);
    SetRange(0.0, ItemCount());
    RenumberItems();
}

void CVariable::ClearItems() {
    m_items.clear();
    SetRange(0.0, 0.0);
    m_pCurrentItem = nullptr;
}

VARIABLE_ITEM* CVariable::FindItem(std::int32_t index) const {
    for (const auto& item : m_items)
        if (item->index == index) return item.get();
    return nullptr;
}

std::string CVariable::ValueText() const {
    switch (m_iType) {
    case kBoolean: return m_dValue == 0.0 ? "No" : "Yes";
    case kRangedInteger: return Format("%d", Trunc32(m_dValue));
    case kRangedDouble: return Format("%0.2f", m_dValue);
    case kDescriptorList: return m_pCurrentItem ? m_pCurrentItem->text : "E";
    default: return "";
    }
}

void CVariable::LayoutGlyph(const KRect& r) {
    m_rect = r;
    const int w = r.right - r.left;
    m_anchor = {r.left + w / 2, r.bottom - 2};
    m_glyph.title = {r.left + 4, r.top + 4, r.right - 4, r.top + 16};
    m_glyph.valueText = {r.left + 4, r.top + 24, r.right - 14, r.top + 36};
    m_glyph.valueArea = {r.left + 6, r.top + 20, r.right - 6, r.bottom - 14};
    m_glyph.incrementLabel = {r.left + 2, r.bottom - 12};
    m_glyph.gauge = {r.right - 12, r.top + 18, r.right - 4, r.bottom - 4};
    m_glyph.knob = {r.left + w / 2 - 6, r.bottom - 1, r.left + w / 2 + 6, r.bottom + 7};
    UpdateGaugeFill();
}

void CVariable::FillRecord(VARIABLE_RECORD& rec) const {
    rec.name = m_name;
    rec.description = m_description;
    rec.type = m_iType;
    rec.minimum = m_dMin;
    rec.maximum = m_dMax;
    rec.value = m_dValue;
    rec.increment = m_dIncrement;
    rec.attached = m_bAttached;
    rec.attachedReceptorID = m_iAttachedReceptorID;
    rec.variableID = m_ID;
    rec.reservedFlag = m_bReserved;
    rec.autoIncrement = m_bAutoIncrement;
    rec.autoReset = m_bAutoReset;
    rec.reservedValue = m_dReserved;
    rec.reservedFlag2 = m_bReserved2;
}

void CVariable::RestoreFromRecord(const VARIABLE_RECORD& rec) {
    m_name = TruncateUtf16(rec.name, 99);
    m_description = rec.description;
    m_iType = rec.type;
    SetRange(rec.minimum, rec.maximum);
    m_dValue = rec.value;
    m_dIncrement = rec.increment;
    m_bAttached = rec.attached;
    m_iAttachedReceptorID = rec.attachedReceptorID;
    m_ID = rec.variableID;
    m_iTargetID = rec.variableID;
    m_bReserved = rec.reservedFlag;
    m_bAutoIncrement = rec.autoIncrement;
    m_bAutoReset = rec.autoReset;
    m_dReserved = rec.reservedValue;
    m_bReserved2 = rec.reservedFlag2;
}

COutput::COutput() {
    m_iTargetType = kTargetOutput;
    m_pOwner = this;
}

void COutput::LayoutGlyph(const KRect& r) {
    m_rect = r;
    const int w = r.right - r.left;
    m_anchor = {r.left + w / 2, r.top};
    m_swatch = {r.left + 4, r.bottom - 14, r.right - 4, r.bottom - 4};
    m_knob = {r.left + w / 2 - 6, r.top - 7, r.left + w / 2 + 6, r.top + 1};
}

// ---- input list ----

CVariable* CInputList::AddVariable(const VARIABLE_RECORD& rec) {
    auto v = std::make_unique<CVariable>();
    v->RestoreFromRecord(rec);
    m_items.push_back(std::move(v));
    return m_items.back().get();
}

std::int32_t CInputList::NewID() const {
    return DrawId(kIdSpan, [this](std::int32_t id) { return Find(id) != nullptr; });
}

CVariable* CInputList::Find(std::int32_t id) const {
    for (const auto& v : m_items)
        if (v->m_ID == id) return v.get();
    return nullptr;
}

void CInputList::ClearSelection() {
    for (const auto& v : m_items) v->m_bSelected = false;
    m_selection.clear();
}

void CInputList::Select(CVariable* v) {
    if (!v || v->m_bSelected) return;
    v->m_bSelected = true;
    m_selection.push_back(v);
}

void CInputList::Remove(CVariable* v) {
    std::erase(m_selection, v);
    std::erase_if(m_items, [&](const auto& p) { return p.get() == v; });
}

void CInputList::Clear() {
    m_selection.clear();
    m_items.clear();
}

// ---- output list ----

std::int32_t COutputList::AddOutput(std::unique_ptr<COutput> output) {
    const std::int32_t id = DrawId(kIdSpan, [this](std::int32_t c) { return Find(c) != nullptr; });
    output->m_ID = id;
    output->m_iTargetID = id;
    output->m_iActionReceptorID = 0;
    m_items.push_back(std::move(output));
    return id;
}

COutput* COutputList::Append(std::unique_ptr<COutput> output) {
    output->m_iTargetID = output->m_ID;
    m_items.push_back(std::move(output));
    return m_items.back().get();
}

COutput* COutputList::Find(std::int32_t id) const {
    for (const auto& o : m_items)
        if (o->m_ID == id) return o.get();
    return nullptr;
}

void COutputList::ClearSelection() {
    for (const auto& o : m_items) o->m_bSelected = false;
    m_selection.clear();
}

void COutputList::Select(COutput* o) {
    if (!o || o->m_bSelected) return;
    o->m_bSelected = true;
    m_selection.push_back({o, o->m_ID});
}

void COutputList::Remove(COutput* o) {
    std::erase_if(m_selection, [&](const OutputSelEntry& e) { return e.output == o; });
    std::erase_if(m_items, [&](const auto& p) { return p.get() == o; });
}

void COutputList::Clear() {
    m_selection.clear();
    m_items.clear();
}

}  // namespace ks
