// The Qt window of a diagram control. The widget owns nothing of the diagram:
// it paints the control, forwards size, scroll bar, focus, mouse, key, wheel
// and context menu events to it, and answers what the control asks of its
// window (repaints, scroll bars, cursor, mouse position, focus, metrics).
//
// Input as users of a canvas expect it: every key reaches the control's key
// map first (before the window's shortcuts, which get the keys it does not
// handle); the pressed buttons come from each mouse event, and losing the
// mouse (another window or popup takes it, the focus or activation goes
// elsewhere) cancels a drag as Escape does; the wheel, Ctrl + wheel and the
// pinch go to the control as they come (TGraphControl::MouseWheel, Pinch),
// which scrolls or zooms at the pointer; the diagram is painted at the
// screen's device pixel ratio.
//
// The control is not owned, and either may be destroyed first: the widget
// detaches itself when destroyed, and a control destroyed first tells the
// widget, which then shows nothing. So the usual Qt pattern is safe: the
// control a member of the window, the widget a child of the window.
// One widget shows a control at a time: SetControl with a control that
// another widget (or host) shows raises EGraphInvalidOperation.
//
// Beside the control's On... handlers, which stay the program's, the widget
// emits Qt signals for the control's events, with object identifiers (the
// handle that survives undo and redo; TGraphControl::ObjectByID finds the
// object), so any number of receivers can connect and disconnect.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include "platform/HostWindow.h"

class QHelpEvent;
class QMouseEvent;
class QPainter;
class QScrollBar;

namespace gc {
class TGraphControl;
class TGraphObject;
}  // namespace gc

namespace gc::qt {

class TCaptionEditor;

class TGraphWidget : public QAbstractScrollArea, public IGraphHost {
  Q_OBJECT

 public:
  explicit TGraphWidget(QWidget* parent = nullptr);
  explicit TGraphWidget(TGraphControl* control, QWidget* parent = nullptr);
  ~TGraphWidget() override;

  TGraphControl* Control() const { return Control_; }
  // Shows another control (or none); the previous one is detached. A
  // control that another window shows is refused (EGraphInvalidOperation)
  // and the widget keeps the control it had.
  void SetControl(TGraphControl* control);

  // The graph point (graph units) under a viewport position at the current
  // zoom and scroll positions, and the viewport position of a graph point.
  QPointF MapToGraph(const QPointF& viewportPos) const;
  QPointF MapFromGraph(const QPointF& graphPoint) const;
  // The object under a viewport position, as a press there would find it.
  TGraphObject* ObjectAt(const QPointF& viewportPos) const;

  // Editing captions in place, off until a program turns it on: then a
  // double click on a node, or F2 with a node selected first, opens a
  // TCaptionEditor over the node's caption.
  void SetCaptionEditing(bool enabled) { CaptionEditing_ = enabled; }
  bool CaptionEditing() const { return CaptionEditing_; }
  // Opens the editor over a node's caption, committing one already open.
  // Opens nothing (null) for a link, a locked object, an object of another
  // control, or while the control browses only.
  TCaptionEditor* EditCaption(TGraphObject* object);
  // The open editor, or null.
  TCaptionEditor* CaptionEditor() const { return CaptionEditor_; }

  // Renders the client rectangle `clientRect` the way a repaint of that
  // rectangle does: an image of its size times `devicePixelRatio` (which the
  // image carries), filled with the control's Color (left clear while the
  // control is Transparent), then the control painted with its view mapping
  // shifted to the rectangle's corner. Coordinates stay logical pixels.
  QImage RenderClientRect(const QRect& clientRect, qreal devicePixelRatio = 1.0) const;
  // The client rectangle the last repaint drew.
  QRect LastPaintedRect() const { return LastPaintedRect_; }

  // IGraphHost.
  void ControlDestroyed(TGraphControl* control) override;
  void ControlEvent(TControlEvent event, uint32_t objectID) override;
  void InvalidateRect(const TRect& clientRect) override;
  void InvalidateAll() override;
  void PaintNow() override;
  void ScrollContent(int32_t dx, int32_t dy) override;
  TSize ClientSize() const override;
  // The bars sit inside the frame and take exactly their thickness from the
  // client area, so no border correction applies.
  bool HasBorder() const override { return false; }
  bool Focused() const override;
  void SetFocus() override;
  bool MouseCaptured() const override { return Buttons_ != Qt::NoButton; }
  TPoint CursorPos() const override;
  void SetCursorPos(TPoint clientPoint) override;
  void SetScreenCursor(TCursor cursor) override;
  void CancelToolTip() override;
  // `menu` is a QMenu*.
  void PopupMenu(void* menu, TPoint clientPoint) override;
  bool ScrollBarShown(TScrollBarKind kind) const override;
  void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) override;
  int32_t ScrollPos(TScrollBarKind kind) const override;
  void SetScrollPos(TScrollBarKind kind, int32_t position) override;
  bool TrackPos(TScrollBarKind kind, int32_t& position) const override;
  void SetScrollBarAppearance(TScrollBarKind kind, const TScrollBarAppearance& appearance) override;
  int32_t SystemMetric(TSystemMetric metric) const override;

 signals:
  // Once per change of the selection, however many objects it touched.
  void selectionChanged();
  void objectInserted(quint32 id);
  // The object has left the diagram; it is freed once the signal returns.
  void objectRemoved(quint32 id);
  // The object's data or placement changed (OnObjectChange).
  void objectChanged(quint32 id);
  // A click or double click on the control with objects selected: the one
  // selected first.
  void objectClicked(quint32 id);
  void objectDoubleClicked(quint32 id);
  // The diagram's data changed, or it was cleared or loaded (OnGraphChange).
  void graphChanged();
  void modifiedChanged(bool modified);
  // A step was recorded, undone, redone or dropped (CanUndo, UndoName...).
  void historyChanged();
  void zoomChanged(int zoom);
  // A caption editor closed with Return or by losing the focus (the node's
  // text is what was typed; unchanged text records no step).
  void captionEdited(quint32 id);
  // The control's CommandMode (a TGraphCommandMode value).
  void commandModeChanged(int mode);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The control decides the scroll positions and moves the content itself.
  void scrollContentsBy(int dx, int dy) override;
  bool viewportEvent(QEvent* event) override;
  // Keys go to the control's key map before shortcuts and focus navigation
  // see them; losing the activation cancels a drag.
  bool event(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // Paints the control into `area` of the painter's device, whose top-left
  // pixel shows the client point `clientOrigin`.
  void PaintArea(QPainter& painter, const QRect& area, const QPoint& clientOrigin) const;
  // Matches the viewport's opaque-painting attributes to the control's
  // Transparent setting; true when they changed (a full repaint is queued).
  bool SyncTransparency();
  class TBar;
  struct TBarState {
    bool Shown = false;  // the window has the bar (policy AlwaysOn)
    TScrollBarAppearance Appearance;
    bool AppearanceSet = false;
  };

  TBar* Bar(TScrollBarKind kind) const;
  TBarState& State(TScrollBarKind kind) { return kind == TScrollBarKind::sbHorizontal ? Horz_ : Vert_; }
  const TBarState& State(TScrollBarKind kind) const {
    return kind == TScrollBarKind::sbHorizontal ? Horz_ : Vert_;
  }
  void ConnectBar(TScrollBarKind kind);
  void BarAction(TScrollBarKind kind, int action);
  void BarMessage(TScrollBarKind kind, int code, int position);
  void ReleaseScreenCursor();
  // The key pre-processing: the control's key map runs once per key press,
  // from the shortcut override Qt sends first or, without one, from the
  // press itself. True when the control handled the key.
  bool PreprocessKey(QKeyEvent* event);
  bool TakePreprocessedKey(QKeyEvent* event);
  // Re-runs the control's mouse move at the current pointer position, so the
  // hover object and cursor follow a changed modifier key at once.
  void RefreshMouse(Qt::KeyboardModifiers modifiers);
  void NoteMouse(const QMouseEvent* event);
  // The mouse went elsewhere without a release reaching this widget.
  void LoseCapture();
  // Forgets the control, detaching it when this widget is its host.
  void Detach();
  // Sends the long part of the hovered object's hint to the window's status bar.
  void UpdateStatusTip();
  bool ShowToolTip(const QHelpEvent* help);

  TGraphControl* Control_ = nullptr;
  bool CaptionEditing_ = false;
  TCaptionEditor* CaptionEditor_ = nullptr;
  TBarState Horz_;
  TBarState Vert_;
  // Set while the widget itself changes a bar, so the bar's signals do not
  // come back to the control.
  bool ApplyingBar_ = false;
  bool CursorOverridden_ = false;
  // The buttons held and the pointer, as the last mouse event reported them.
  Qt::MouseButtons Buttons_;
  QPoint LastMousePos_;
  bool MouseInside_ = false;
  bool ClickPending_ = false;
  // The key press whose shortcut override ran the key map already.
  struct TPreprocessedKey {
    bool Valid = false;
    int QtKey = 0;
    Qt::KeyboardModifiers Modifiers;
    quint64 Timestamp = 0;
    uint16_t Key = 0;  // as the key map left it
    bool Handled = false;
  } Preprocessed_;
  // The key for the ordinary key press that follows an unhandled one.
  uint16_t PendingKey_ = 0;
  QString StatusTip_;
  QRect LastPaintedRect_;
};

}  // namespace gc::qt
