#pragma once
// The model view in words: what each input tile, receptor and output tile
// shows, taken with every drawing (under the training lock, so it is what the
// picture shows) and read by screen readers through the accessibility tree.
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

namespace ks {

class CProject;

enum ViewPart { kPartInputs = 0, kPartNetwork = 1, kPartOutputs = 2, kViewParts = 3 };

struct ViewTile {
    std::int64_t key = 0;  // part and object ID: stays the same while the object lives
    QString name, value, description;
    QRect rect;            // in the view's coordinates
    bool selected = false;
    bool decision = false;  // an output tile: the decision the network makes for the inputs shown
    bool focused = false;   // the tile the keyboard is on
    double number = 0.0, minimum = 0.0, maximum = 0.0, step = 0.0;  // an input's value, range and step
};

struct ViewWords {
    std::vector<ViewTile> parts[kViewParts];
    QRect partRects[kViewParts];
    const ViewTile* Find(std::int64_t key) const;
};

inline std::int64_t TileKey(int part, std::int32_t id) { return (static_cast<std::int64_t>(part) << 32) | static_cast<std::uint32_t>(id); }
inline int PartOfKey(std::int64_t key) { return static_cast<int>(key >> 32); }
inline std::int32_t IdOfKey(std::int64_t key) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(key & 0xFFFFFFFF)); }

// Reads the project (the caller holds the training lock). `focusPart` and
// `focusIndex` name the tile the keyboard is on (-1: none).
ViewWords DescribeView(const CProject& project, QSize viewSize, int barHeight, int focusPart, int focusIndex);

}  // namespace ks
