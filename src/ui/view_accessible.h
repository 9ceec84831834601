#pragma once
// The model view for screen readers and automation: the inputs bar, the
// network and the outputs bar as children of the view, each tile below them
// with its name, value and state. Built on the view's words (view_words.h);
// each new set of words raises the events for what changed.
#include <QAccessible>
#include <QPointer>
#include <map>

#include "ui/view_words.h"

namespace ks {

class CDisplay;

class CViewAccessibility {
public:
    explicit CViewAccessibility(CDisplay& view) : m_view(view) {}
    ~CViewAccessibility();
    CViewAccessibility(const CViewAccessibility&) = delete;
    CViewAccessibility& operator=(const CViewAccessibility&) = delete;

    // Takes the words of the latest drawing and tells assistive technology what changed.
    void Update(ViewWords words);
    const ViewWords& Words() const { return m_words; }
    CDisplay& View() const { return m_view; }

    // The interfaces, made once and kept while their object lives.
    QAccessibleInterface* Part(int part) const;
    QAccessibleInterface* Tile(std::int64_t key) const;
    QAccessibleInterface* FocusedTile() const;

    // Also hears every event the view raises, whether or not a screen reader
    // listens (tests; Qt drops events while accessibility is inactive).
    static inline void (*listener)(QAccessibleEvent*) = nullptr;

private:
    static void Tell(QAccessibleEvent& event);
    QAccessibleInterface* Made(std::int64_t key) const;
    CDisplay& m_view;
    ViewWords m_words;
    mutable std::map<std::int64_t, QAccessible::Id> m_made;  // parts under negative keys
};

// The factory Qt asks for the view's interface (installed once by the view).
QAccessibleInterface* ViewAccessibleFactory(const QString& className, QObject* object);

}  // namespace ks
