#pragma once
// Inputs (CVariable with its descriptor items) and outputs (COutput), and the
// two project lists that own them.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ksr_kernel.h"
#include "model/geometry.h"
#include "model/mouse_target.h"

namespace ks {

enum VariableType : std::int32_t {
    kBoolean = KSR_TYPE_BOOLEAN,
    kRangedInteger = KSR_TYPE_RANGED_INTEGER,
    kRangedDouble = KSR_TYPE_RANGED_DOUBLE,
    kDescriptorList = KSR_TYPE_DESCRIPTOR_LIST,
};

// Value colours of a Boolean input.
constexpr COLORREF kFalseColour = 0x6666FF;
constexpr COLORREF kTrueColour = 0x00CC99;

// One descriptor of a Descriptor List.
struct VARIABLE_ITEM {
    std::string text;               // at most 99 UTF-16 units
    std::int32_t index = 0;         // 0..count-1 in list order
    std::int32_t valueCode = 0;     // the creator's second code (index, or index + 10 from import)
    COLORREF colour = 0;
    bool colourCoding = false;      // show the colour (else white)
};

// The exchange record of an input: what the file, the dialog and the import fill.
struct VARIABLE_RECORD {
    std::string name;
    std::string description;
    std::int32_t type = kRangedDouble;
    double minimum = 0.0;
    double maximum = 0.0;
    double value = 0.0;
    double increment = 0.0;
    bool attached = false;
    std::int32_t attachedReceptorID = 0;
    std::int32_t variableID = 0;
    bool reservedFlag = false;
    bool autoIncrement = false;
    bool autoReset = false;
    double reservedValue = 1.0;
    bool reservedFlag2 = false;
};

// Geometry of an input's tile inside its bar, set by the glyph layout.
struct InputGlyph {
    KRect title, valueText, valueArea, gauge, gaugeFill, knob;
    KPoint incrementLabel;
};

class CVariable : public CMouseTarget {
public:
    CVariable();

    // Makes value the current value: current item, value colour, gauge fill.
    void SetValue(double value);
    VARIABLE_ITEM* AddItem(const std::string& text, std::int32_t valueCode, std::int32_t index,
                           bool colourCoding, COLORREF colour);
    void DeleteItem(VARIABLE_ITEM* item);
    void ClearItems();
    VARIABLE_ITEM* FindItem(std::int32_t index) const;
    std::string ValueText() const;
    // Colour of the value area; a Boolean's always follows its value.
    COLORREF ValueColour() const;
    // Lays out the tile's glyphs from the item rectangle given by the bar.
    void LayoutGlyph(const KRect& item);

    void FillRecord(VARIABLE_RECORD& rec) const;
    void RestoreFromRecord(const VARIABLE_RECORD& rec);
    void SetRange(double minimum, double maximum);

    std::string m_name;
    std::string m_description;
    std::int32_t m_iType = kRangedDouble;
    double m_dValue = 0.0;
    double m_dMin = 0.0;
    double m_dMax = 0.0;
    double m_dRange = 0.0;
    double m_dIncrement = 0.0;
    bool m_bAutoIncrement = false;
    bool m_bAutoReset = false;
    double m_dReserved = 1.0;
    std::int32_t m_ID = 0;
    bool m_bAttached = false;
    std::int32_t m_iAttachedReceptorID = 0;
    bool m_bReserved = false;
    bool m_bReserved2 = false;
    COLORREF m_colour = 0;
    COLORREF m_valueColour = 0xFFFFFF;
    std::vector<std::unique_ptr<VARIABLE_ITEM>> m_items;
    VARIABLE_ITEM* m_pCurrentItem = nullptr;
    bool m_bSelected = false;
    KPoint m_anchor;
    InputGlyph m_glyph;

    std::int32_t ItemCount() const { return static_cast<std::int32_t>(m_items.size()); }

    // The sensor's scale factor and the type, item count and range it was
    // worked out for: a division saved on every evaluation, worked out again
    // whenever any of the three differs (so no edit can leave it stale).
    struct SensorScale {
        double range = std::numeric_limits<double>::quiet_NaN();  // never equal: the first use works it out
        std::int32_t type = -1, items = -1;
        double scale = 0.0;
    };
    mutable SensorScale m_sensorScale;

private:
    void UpdateGaugeFill();
    void RenumberItems();
};

class COutput : public CMouseTarget {
public:
    COutput();
    void LayoutGlyph(const KRect& item);

    std::string m_name;
    std::int32_t m_ID = 0;
    COLORREF m_colour = 0xFFFFFF;
    bool m_bSelected = false;
    std::int32_t m_iScenarioCount = 0;
    std::string m_countLabel;
    std::int32_t m_iActionReceptorID = 0;
    KPoint m_anchor;
    KRect m_swatch, m_knob;
};

// The project's inputs, in order, with the user's selection and the bar geometry.
class CInputList {
public:
    CVariable* AddVariable(const VARIABLE_RECORD& rec);
    // A fresh variable ID, unique in this list.
    std::int32_t NewID() const;
    CVariable* Find(std::int32_t id) const;
    void ClearSelection();
    void Select(CVariable* v);
    void Remove(CVariable* v);  // unlinks and deletes; drops it from the selection
    void Clear();
    std::int32_t Count() const { return static_cast<std::int32_t>(m_items.size()); }

    std::vector<std::unique_ptr<CVariable>> m_items;
    std::vector<CVariable*> m_selection;
    std::int32_t m_iItemWidth = 64;
    std::int32_t m_iSpacing = 10;
    std::int32_t m_iOffset = 0;
};

struct OutputSelEntry {
    COutput* output = nullptr;
    std::int32_t id = 0;
};

class COutputList {
public:
    // Appends with a fresh output ID (also its hit-test identifier); returns the ID.
    std::int32_t AddOutput(std::unique_ptr<COutput> output);
    // Appends keeping the output's ID (loading).
    COutput* Append(std::unique_ptr<COutput> output);
    COutput* Find(std::int32_t id) const;
    void ClearSelection();
    void Select(COutput* o);
    void Remove(COutput* o);
    void Clear();
    std::int32_t Count() const { return static_cast<std::int32_t>(m_items.size()); }

    std::vector<std::unique_ptr<COutput>> m_items;
    std::vector<OutputSelEntry> m_selection;
    std::int32_t m_iItemWidth = 52;
    std::int32_t m_iSpacing = 10;
    std::int32_t m_iOffset = 0;
};

}  // namespace ks
