// A diagram control in Qt Quick: the item paints the control and forwards
// mouse, hover, key, wheel and focus events to it, as TGraphWidget does for
// widgets, and answers what the control asks of its window. Register it with
// RegisterQmlTypes, then in QML:
//
//   import GraphControl
//   GraphItem { anchors.fill: parent; focus: true }
//
// The item starts with a control of its own (made when the item is, so call
// GraphControlStartup before loading QML); SetControl shows another one,
// which the item does not own, and either may then be destroyed first.
// The item has no scroll bars of its own: the wheel scrolls, Ctrl + wheel
// zooms at the pointer, and QML can read and set the scroll positions.
#pragma once

#include <QQuickPaintedItem>
#include <memory>

#include "platform/HostWindow.h"

namespace gc {
class TGraphControl;
}

namespace gc::qt {

class TGraphItem : public QQuickPaintedItem, public IGraphHost {
  Q_OBJECT
  Q_PROPERTY(int zoom READ zoom WRITE setZoom NOTIFY zoomChanged)
  Q_PROPERTY(int commandMode READ commandMode WRITE setCommandMode NOTIFY commandModeChanged)
  Q_PROPERTY(bool showGrid READ showGrid WRITE setShowGrid NOTIFY showGridChanged)
  Q_PROPERTY(bool modified READ modified NOTIFY modifiedChanged)
  Q_PROPERTY(bool canUndo READ canUndo NOTIFY historyChanged)
  Q_PROPERTY(bool canRedo READ canRedo NOTIFY historyChanged)
  Q_PROPERTY(int selectionCount READ selectionCount NOTIFY selectionChanged)
  Q_PROPERTY(int horizontalPosition READ horizontalPosition WRITE setHorizontalPosition NOTIFY scrolled)
  Q_PROPERTY(int verticalPosition READ verticalPosition WRITE setVerticalPosition NOTIFY scrolled)

 public:
  // The command modes, for QML: GraphItem.Edit and so on.
  enum CommandMode { Browse = 0, Pan = 1, Edit = 2, AddNode = 3, AddLink = 4 };
  Q_ENUM(CommandMode)

  explicit TGraphItem(QQuickItem* parent = nullptr);
  ~TGraphItem() override;

  TGraphControl* Control() const { return Control_; }
  // Shows another control (or none). A control another window shows is
  // refused with EGraphInvalidOperation.
  void SetControl(TGraphControl* control);

  int zoom() const;
  void setZoom(int zoom);
  int commandMode() const;
  void setCommandMode(int mode);
  bool showGrid() const;
  void setShowGrid(bool show);
  bool modified() const;
  bool canUndo() const;
  bool canRedo() const;
  int selectionCount() const;
  int horizontalPosition() const;
  void setHorizontalPosition(int position);
  int verticalPosition() const;
  void setVerticalPosition(int position);

  Q_INVOKABLE bool undo();
  Q_INVOKABLE bool redo();
  // Deletes the selected objects the program lets go (OnCanRemoveObject), as one step.
  Q_INVOKABLE void deleteSelection();

  void paint(QPainter* painter) override;

  // IGraphHost.
  void ControlDestroyed(TGraphControl* control) override;
  void ControlEvent(TControlEvent event, uint32_t objectID) override;
  void InvalidateRect(const TRect& clientRect) override;
  void InvalidateAll() override;
  void PaintNow() override;
  void ScrollContent(int32_t dx, int32_t dy) override;
  TSize ClientSize() const override;
  bool HasBorder() const override { return false; }
  bool Focused() const override;
  void SetFocus() override;
  bool MouseCaptured() const override { return Buttons_ != Qt::NoButton; }
  TPoint CursorPos() const override;
  void SetCursorPos(TPoint clientPoint) override;
  void SetScreenCursor(TCursor cursor) override;
  void CancelToolTip() override {}
  void PopupMenu(void* /*menu*/, TPoint /*clientPoint*/) override {}
  bool ScrollBarShown(TScrollBarKind kind) const override;
  void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) override;
  int32_t ScrollPos(TScrollBarKind kind) const override;
  void SetScrollPos(TScrollBarKind kind, int32_t position) override;
  bool TrackPos(TScrollBarKind /*kind*/, int32_t& /*position*/) const override { return false; }
  void SetScrollBarAppearance(TScrollBarKind /*kind*/, const TScrollBarAppearance& /*appearance*/) override {}
  int32_t SystemMetric(TSystemMetric metric) const override;

 signals:
  // As TGraphWidget's.
  void selectionChanged();
  void objectInserted(quint32 id);
  void objectRemoved(quint32 id);
  void objectChanged(quint32 id);
  void objectClicked(quint32 id);
  void objectDoubleClicked(quint32 id);
  void graphChanged();
  void modifiedChanged(bool modified);
  void historyChanged();
  void zoomChanged(int zoom);
  void commandModeChanged(int mode);
  void showGridChanged();
  void scrolled();

 protected:
  void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseUngrabEvent() override;
  void hoverMoveEvent(QHoverEvent* event) override;
  void hoverLeaveEvent(QHoverEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Detach();
  TScrollInfo& Info(TScrollBarKind kind) { return kind == TScrollBarKind::sbHorizontal ? Horz_ : Vert_; }
  const TScrollInfo& Info(TScrollBarKind kind) const {
    return kind == TScrollBarKind::sbHorizontal ? Horz_ : Vert_;
  }

  std::unique_ptr<TGraphControl> Own_;
  TGraphControl* Control_ = nullptr;
  TScrollInfo Horz_;
  TScrollInfo Vert_;
  Qt::MouseButtons Buttons_;
  bool ClickPending_ = false;
  bool FullPaintPending_ = true;
};

// Registers TGraphItem as the QML type "GraphItem" 1.0 in module `uri`;
// call once, before the QML that uses it is loaded.
void RegisterQmlTypes(const char* uri = "GraphControl");

}  // namespace gc::qt
