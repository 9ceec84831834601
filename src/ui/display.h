#pragma once
// The model view: the network between the inputs bar and the outputs bar,
// drawn into an off-screen image, with the tools palette at its left edge
// and every mouse gesture that edits the network.
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "model/receptor.h"
#include "ui/graphics.h"
#include "ui/view_accessible.h"

namespace ks {

class CSession;

class CProject;
class CTrainingRunner;
class IPrompt;
class CVariable;

// The state of the current mouse gesture (canvas coordinates).
struct GestureRecord {
    QPoint press, current, previous;
    int id = 0;
    int targetType = 0;  // 0: nothing tracked
    bool leftDown = false, rightDown = false, shift = false;
    void* object = nullptr;
    bool rubberShown = false, ringShown = false;
    QLine rubber;
    QPoint ringAnchor;
    void Reset();
};

class CDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarHeight = 60;
    static constexpr int kPaletteWidth = 36;  // the visible palette strip at the left edge
    static constexpr QPoint kCorner{10, 30};  // the view's place in the window's client area

    explicit CDisplay(QWidget* parent = nullptr);
    ~CDisplay() override;

    void Attach(CProject* project, CTrainingRunner* runner, IPrompt* prompt);
    // The operations a gesture ends in go through the session.
    void SetSession(CSession* session) { m_session = session; }
    // Sizes the view from the window's client width and the given height.
    void Resize(int clientWidth, int height);
    void LayoutBars(bool centre);
    void Align();
    void Draw();
    // Draw in two halves, for a caller that already holds the training lock:
    // the picture and its words while the lock is held, then hand them on.
    void RenderHeld();
    void Publish();

    const QImage& BackBuffer() const { return m_buffer; }
    GestureRecord& Gesture() { return m_gesture; }
    bool m_bSimulationRunning = false;
    bool m_bDrawingEnabled = true;
    bool m_bCollapsed = false;

    // Set by the main window.
    std::function<void()> onEdited;                       // the project changed: refresh lists and pages
    std::function<void(int type, void* object)> onOpen;   // a double-click asks for a properties dialog
    std::function<void(CVariable*)> onSlider;             // an input dropped back on its item
    std::function<void()> onDelete;                       // the Delete key: delete what is selected

    // The gestures, in canvas coordinates (public for tests).
    void LeftDown(QPoint p, bool shift);
    void LeftUp(QPoint p);
    void RightDown(QPoint p, bool shift);
    void RightUp(QPoint p);
    void MouseMove(QPoint p, Qt::MouseButtons buttons);
    void DoubleClick(QPoint p);

    // The whole text of what is under a point of the view: a receptor's name
    // and values, a connection's weight, an input or output item (a drawn
    // text may be cut short or left out for lack of room). Empty: nothing.
    QString TextAt(QPoint canvas) const;
    // The decision, the inputs' values and the outputs' counts in words (the
    // view's accessible description, kept up to date by Draw).
    QString Description() const;

    // The view's tiles and receptors for assistive technology (view_accessible.h);
    // none while the view is being destroyed.
    CViewAccessibility* Accessibility() const { return m_a11y.get(); }
    // What pressing a tile does, from the keyboard or assistive technology: an
    // input opens its slider, an output or a receptor its properties dialog.
    void OpenTile(std::int64_t key);
    // Sets an input's value from assistive technology, kept in its range, as its slider would.
    void SetTileValue(std::int64_t key, double value);
    // The keyboard's tile: a part (inputs or outputs bar) and an index in it, selected as a click selects.
    void MoveKeyboard(int part, int index);
    int KeyboardPart() const { return m_keyPart; }
    // Marks the output the network decides for the values on show (the outputs bar's highlight).
    void ShowDecision();
    int KeyboardIndex() const { return m_keyIndex; }

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void Render();
    void BuildPalette();
    void ClearSelections();
    // A press on a bar: its item or the bar becomes the target (the rubber line from the item when asked).
    bool HitBars(QPoint p, bool rubber);
    bool InInputsBar(QPoint p) const;
    bool InOutputsBar(QPoint p) const;
    CVariable* InputAt(QPoint p) const;
    class COutput* OutputAt(QPoint p) const;
    CReceptor* PaletteAt(QPoint p) const;
    QPoint ToModel(QPoint canvas) const;
    bool Training() const;
    void Changed();

    // Drawing (display_draw.cpp).
    void DrawNetwork(QPainter& p, bool pictureMode, int state);
    void DrawReceptor(QPainter& p, const CReceptor& r, QPoint offset);
    void DrawBars(QPainter& p);
    void DrawInputItem(QPainter& p, const CVariable& v);
    void DrawOutputItem(QPainter& p, const class COutput& o);
    void DrawPalette(QPainter& p);
    void DrawOverlay(QPainter& p);
    void DrawHint(QPainter& p);

    CProject* m_project = nullptr;
    CTrainingRunner* m_runner = nullptr;
    CSession* m_session = nullptr;
    IPrompt* m_prompt = nullptr;
    QImage m_buffer;
    QImage m_icons;
    QImage m_pictures[3];
    QImage m_empty;
    GestureRecord m_gesture;
    std::vector<std::unique_ptr<CReceptor>> m_palette;
    QFont m_font1, m_font2;
    int m_keyPart = kPartInputs, m_keyIndex = -1;
    std::unique_ptr<CViewAccessibility> m_a11y;
    QString m_told;       // the last render's description and words, until published
    ViewWords m_words;
};

}  // namespace ks
