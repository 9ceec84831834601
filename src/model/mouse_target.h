#pragma once
// Base of everything the user can point at in the drawn area.
#include <cstdint>
#include <string>

#include "model/geometry.h"

namespace ks {

// Target types reported on a hit.
enum TargetType : std::int32_t {
    kTargetSensor = 1,  // also the receptor manager
    kTargetProcessor = 2,
    kTargetBias = 3,
    kTargetAction = 4,
    kTargetPaletteSensor = 10,
    kTargetPaletteBias = 15,
    kTargetPaletteProcessor = 20,
    kTargetPaletteAction = 40,
    kTargetInputsBar = 92,
    kTargetInput = 94,
    kTargetOutput = 95,
    kTargetOutputsBar = 97,
    kTargetConnection = 100,
    kTargetView = 200,
    kTargetPalette = 0,
};

class CMouseTarget;

// What a hit reports.
struct HitRecord {
    std::int32_t targetType = -1;
    std::int32_t id = 0;
    void* object = nullptr;
};

class CMouseTarget {
public:
    virtual ~CMouseTarget() = default;

    // Writes type, identifier and owner into the record when (x, y) lies in
    // the rectangle (right and bottom edges excluded).
    bool HitTest(HitRecord& record, std::int32_t x, std::int32_t y) const {
        if (!m_rect.Contains(x, y)) return false;
        record.targetType = m_iTargetType;
        record.id = m_iTargetID;
        record.object = m_pOwner;
        return true;
    }

    KRect m_rect;           // hit rectangle in the container's coordinates
    KRect m_rect2;          // second placement rectangle (canvas coordinates for panels)
    std::string m_label;    // diagnostic name
    std::int32_t m_iTargetType = 0;
    std::int32_t m_iTargetID = 0;
    void* m_pOwner = nullptr;
};

}  // namespace ks
