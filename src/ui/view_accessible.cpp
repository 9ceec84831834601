#include "ui/view_accessible.h"

#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include "ui/display.h"

namespace ks {

namespace {

const char* const kPartNames[kViewParts] = {"Inputs bar", "Network", "Outputs bar"};

QWindow* WindowOf(const QWidget& w) {
    const QWidget* top = w.window();
    return top ? top->windowHandle() : nullptr;
}

// The view itself: three children, the two bars and the network between them.
class ViewAccessible : public QAccessibleWidget {
public:
    explicit ViewAccessible(CDisplay* view) : QAccessibleWidget(view, QAccessible::Client) {}
    CDisplay* View() const { return static_cast<CDisplay*>(widget()); }
    int childCount() const override { return View()->Accessibility() ? kViewParts : 0; }
    QAccessibleInterface* child(int index) const override {
        const CViewAccessibility* a = View()->Accessibility();
        return a && index >= 0 && index < kViewParts ? a->Part(index) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override {
        for (int i = 0; i < childCount(); ++i)
            if (child(i) == c) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* part = child(i); part->rect().contains(x, y)) return part;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const CViewAccessibility* a = View()->Accessibility();
        return a && View()->hasFocus() ? a->FocusedTile() : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return "Model view";
        if (t == QAccessible::Description) return View()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
};

// A bar or the network: a list of tiles.
class PartAccessible : public QAccessibleInterface {
public:
    PartAccessible(const CViewAccessibility& owner, int part) : m_owner(owner), m_part(part) {}
    bool isValid() const override { return true; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return WindowOf(m_owner.View()); }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(&m_owner.View()); }
    int childCount() const override { return static_cast<int>(Tiles().size()); }
    QAccessibleInterface* child(int index) const override {
        return index >= 0 && index < childCount() ? m_owner.Tile(Tiles()[static_cast<std::size_t>(index)].key) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i)
            if (m_owner.Tile(Tiles()[static_cast<std::size_t>(i)].key) == child) return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = m_owner.View().mapFromGlobal(QPoint(x, y));
        // Receptors are drawn over the picture in model view: the last one drawn is on top.
        for (auto t = Tiles().rbegin(); t != Tiles().rend(); ++t)
            if (t->rect.contains(at)) return m_owner.Tile(t->key);
        return nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return kPartNames[m_part];
        if (t == QAccessible::Description) {
            const int n = childCount();
            const char* what = m_part == kPartInputs ? "input" : m_part == kPartOutputs ? "output" : "receptor";
            return QString("%1 %2%3").arg(n).arg(what).arg(n == 1 ? "" : "s");
        }
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = m_owner.Words().partRects[m_part];
        return QRect(m_owner.View().mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return m_part == kPartNetwork ? QAccessible::Grouping : QAccessible::List; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !m_owner.View().isVisible();
        s.multiSelectable = m_part != kPartOutputs;
        return s;
    }

private:
    const std::vector<ViewTile>& Tiles() const { return m_owner.Words().parts[m_part]; }
    const CViewAccessibility& m_owner;
    int m_part;
};

// One input tile, receptor or output tile. An input's value can be set as its
// slider sets it; pressing a tile opens the slider or the properties dialog.
class TileAccessible : public QAccessibleInterface, public QAccessibleValueInterface, public QAccessibleActionInterface {
public:
    TileAccessible(const CViewAccessibility& owner, std::int64_t key) : m_owner(owner), m_key(key) {}
    bool isValid() const override { return Tile() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return WindowOf(m_owner.View()); }
    QAccessibleInterface* parent() const override { return m_owner.Part(PartOfKey(m_key)); }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        const ViewTile* tile = Tile();
        if (!tile) return {};
        if (t == QAccessible::Name) return tile->name;
        if (t == QAccessible::Value) return tile->value;
        if (t == QAccessible::Description) return tile->description;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const ViewTile* tile = Tile();
        return tile ? QRect(m_owner.View().mapToGlobal(tile->rect.topLeft()), tile->rect.size()) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        const ViewTile* tile = Tile();
        if (!tile) {
            s.invalid = true;
            return s;
        }
        s.invisible = !m_owner.View().isVisible();
        s.focusable = PartOfKey(m_key) != kPartNetwork;
        s.focused = tile->focused && m_owner.View().hasFocus();
        s.selectable = true;
        s.selected = tile->selected;
        s.readOnly = PartOfKey(m_key) != kPartInputs;
        if (PartOfKey(m_key) == kPartOutputs) {
            s.checkable = true;
            s.checked = tile->decision;
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && PartOfKey(m_key) == kPartInputs) return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // Value: the input's number within its range, set as the slider sets it.
    QVariant currentValue() const override { return Tile() ? QVariant(Tile()->number) : QVariant(); }
    void setCurrentValue(const QVariant& value) override {
        if (!Tile() || !value.canConvert<double>()) return;
        QPointer<CDisplay> view(&m_owner.View());
        const std::int64_t key = m_key;
        const double number = value.toDouble();
        QMetaObject::invokeMethod(
            view, [view, key, number] { if (view) view->SetTileValue(key, number); }, Qt::QueuedConnection);
    }
    QVariant maximumValue() const override { return Tile() ? QVariant(Tile()->maximum) : QVariant(); }
    QVariant minimumValue() const override { return Tile() ? QVariant(Tile()->minimum) : QVariant(); }
    QVariant minimumStepSize() const override { return Tile() ? QVariant(Tile()->step) : QVariant(); }

    QStringList actionNames() const override { return {pressAction()}; }
    QString localizedActionDescription(const QString& name) const override {
        if (name != pressAction()) return {};
        return PartOfKey(m_key) == kPartInputs ? "Set the value" : "Open the properties";
    }
    void doAction(const QString& name) override {
        if (name != pressAction() || !Tile()) return;
        // Later: the dialog it opens must not run inside the caller's request.
        QPointer<CDisplay> view(&m_owner.View());
        const std::int64_t key = m_key;
        QMetaObject::invokeMethod(
            view, [view, key] { if (view) view->OpenTile(key); }, Qt::QueuedConnection);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction() ? QStringList{"Return"} : QStringList{};
    }

private:
    const ViewTile* Tile() const { return m_owner.Words().Find(m_key); }
    const CViewAccessibility& m_owner;
    std::int64_t m_key;
};

std::int64_t PartKey(int part) { return -1 - part; }

}  // namespace

QAccessibleInterface* ViewAccessibleFactory(const QString&, QObject* object) {
    if (auto* view = qobject_cast<CDisplay*>(object)) return new ViewAccessible(view);
    return nullptr;
}

CViewAccessibility::~CViewAccessibility() {
    for (const auto& [key, id] : m_made) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* CViewAccessibility::Made(std::int64_t key) const {
    const auto found = m_made.find(key);
    return found == m_made.end() ? nullptr : QAccessible::accessibleInterface(found->second);
}

QAccessibleInterface* CViewAccessibility::Part(int part) const {
    if (QAccessibleInterface* made = Made(PartKey(part))) return made;
    auto* iface = new PartAccessible(*this, part);
    m_made[PartKey(part)] = QAccessible::registerAccessibleInterface(iface);
    return iface;
}

QAccessibleInterface* CViewAccessibility::Tile(std::int64_t key) const {
    if (QAccessibleInterface* made = Made(key)) return made;
    if (!m_words.Find(key)) return nullptr;
    auto* iface = new TileAccessible(*this, key);
    m_made[key] = QAccessible::registerAccessibleInterface(iface);
    return iface;
}

QAccessibleInterface* CViewAccessibility::FocusedTile() const {
    for (const auto& tiles : m_words.parts)
        for (const ViewTile& t : tiles)
            if (t.focused) return Tile(t.key);
    return nullptr;
}

void CViewAccessibility::Tell(QAccessibleEvent& event) {
    if (listener) listener(&event);
    QAccessible::updateAccessibility(&event);
}

void CViewAccessibility::Update(ViewWords words) {
    const ViewWords old = std::exchange(m_words, std::move(words));
    // Interfaces of objects that are gone are told and dropped.
    for (auto it = m_made.begin(); it != m_made.end();) {
        if (it->first >= 0 && !m_words.Find(it->first)) {
            if (QAccessibleInterface* gone = QAccessible::accessibleInterface(it->second)) {
                QAccessibleEvent event(gone, QAccessible::ObjectDestroyed);
                Tell(event);
            }
            QAccessible::deleteAccessibleInterface(it->second);
            it = m_made.erase(it);
        } else {
            ++it;
        }
    }
    if (!QAccessible::isActive() && !listener) return;
    for (int part = 0; part < kViewParts; ++part) {
        bool reordered = old.parts[part].size() != m_words.parts[part].size();
        for (std::size_t i = 0; i < m_words.parts[part].size(); ++i) {
            const ViewTile& now = m_words.parts[part][i];
            const ViewTile* before = old.Find(now.key);
            if (!before) {
                reordered = true;
                continue;
            }
            reordered = reordered || old.parts[part][i].key != now.key;
            // Only what a client has asked about (or must hear about) is told.
            QAccessibleInterface* iface = now.decision != before->decision || (now.focused && !before->focused)
                                              ? Tile(now.key)
                                              : Made(now.key);
            if (!iface) continue;
            if (now.name != before->name) {
                QAccessibleEvent event(iface, QAccessible::NameChanged);
                Tell(event);
            }
            if (now.value != before->value || now.number != before->number) {
                QAccessibleValueChangeEvent event(iface, now.number);
                Tell(event);
            }
            QAccessible::State changed;
            changed.checked = now.decision != before->decision;
            changed.selected = now.selected != before->selected;
            changed.focused = now.focused != before->focused;
            if (changed.checked || changed.selected || changed.focused) {
                QAccessibleStateChangeEvent event(iface, changed);
                Tell(event);
            }
            if (now.focused && !before->focused && m_view.hasFocus()) {
                QAccessibleEvent event(iface, QAccessible::Focus);
                Tell(event);
            }
        }
        if (reordered) {
            QAccessibleEvent event(Part(part), QAccessible::ObjectReorder);
            Tell(event);
        }
    }
}

}  // namespace ks
