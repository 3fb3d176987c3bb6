#include "platform/qt/GraphItem.h"

#include <QtQml/qqml.h>
#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QQuickWindow>
#include <QScreen>
#include <QStyleHints>
#include <algorithm>
#include <utility>

#include "GraphControl/Control.h"
#include "platform/qt/Cursors.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtInput.h"
#include "platform/qt/QtTypes.h"

namespace gc::qt {

namespace {

TPoint PointOf(const QPointF& p) { return {static_cast<int32_t>(p.x()), static_cast<int32_t>(p.y())}; }

}  // namespace

TGraphItem::TGraphItem(QQuickItem* parent)
    : QQuickPaintedItem(parent), Own_(std::make_unique<TGraphControl>()) {
  setAcceptedMouseButtons(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton);
  setAcceptHoverEvents(true);
  setActiveFocusOnTab(true);
  setFlag(ItemHasContents);
  setOpaquePainting(true);
  SetControl(Own_.get());
}

TGraphItem::~TGraphItem() { Detach(); }

void TGraphItem::SetControl(TGraphControl* control) {
  if (control == Control_) return;
  if (control && control->Host()) control->SetHost(this);  // raises EGraphInvalidOperation
  Detach();
  Control_ = control;
  if (Control_) {
    Control_->SetHost(this);
    if (QStyleHints* hints = QGuiApplication::styleHints()) {
      Control_->SetDragThreshold(hints->startDragDistance());
      Control_->SetWheelScrollLines(hints->wheelScrollLines());
    }
  }
  update();
}

void TGraphItem::Detach() {
  TGraphControl* control = std::exchange(Control_, nullptr);
  Buttons_ = Qt::NoButton;
  ClickPending_ = false;
  if (control && control->Host() == this) control->SetHost(nullptr);
}

// ---- Properties -------------------------------------------------------------------------------------

int TGraphItem::zoom() const { return Control_ ? Control_->Zoom() : 100; }
void TGraphItem::setZoom(int zoom) {
  if (Control_) Control_->SetZoom(zoom);
}
int TGraphItem::commandMode() const { return Control_ ? Control_->CommandMode() : cmEdit; }
void TGraphItem::setCommandMode(int mode) {
  if (Control_ && mode >= cmBrowse && mode <= cmAddLink)
    Control_->SetCommandMode(static_cast<TGraphCommandMode>(mode));
}
bool TGraphItem::showGrid() const { return Control_ && Control_->ShowGrid(); }
void TGraphItem::setShowGrid(bool show) {
  if (!Control_ || show == Control_->ShowGrid()) return;
  Control_->SetShowGrid(show);
  emit showGridChanged();
}
bool TGraphItem::modified() const { return Control_ && Control_->Modified(); }
bool TGraphItem::canUndo() const { return Control_ && Control_->CanUndo(); }
bool TGraphItem::canRedo() const { return Control_ && Control_->CanRedo(); }
int TGraphItem::selectionCount() const { return Control_ ? Control_->SelectedObjects().Count() : 0; }
int TGraphItem::horizontalPosition() const { return Horz_.Position; }
void TGraphItem::setHorizontalPosition(int position) {
  if (Control_) Control_->HorzScrollBar().SetPosition(position);
}
int TGraphItem::verticalPosition() const { return Vert_.Position; }
void TGraphItem::setVerticalPosition(int position) {
  if (Control_) Control_->VertScrollBar().SetPosition(position);
}

bool TGraphItem::undo() { return Control_ && Control_->Undo(); }
bool TGraphItem::redo() { return Control_ && Control_->Redo(); }

void TGraphItem::deleteSelection() {
  if (!Control_) return;
  Control_->VisitObjects(
      [](TGraphObject* object, int32_t) {
        object->Delete();
        return true;
      },
      0, true);
}

// ---- Painting -------------------------------------------------------------------------------------------

void TGraphItem::paint(QPainter* painter) {
  if (!painter->hasClipping() || painter->clipBoundingRect().contains(boundingRect()))
    FullPaintPending_ = false;
  TQtCanvas canvas(painter);
  const QRectF all(0, 0, width(), height());
  const TColor background = Control_ ? Control_->Color() : clWindow;
  painter->fillRect(all, TQtCanvas::ToQColor(canvas.ColorToRGB(background)));
  if (!Control_) return;
  canvas.SaveState();
  Control_->ApplyViewMapping(canvas);
  Control_->Paint(canvas);
  canvas.RestoreState();
}

void TGraphItem::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
  QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
  if (newGeometry.size() == oldGeometry.size()) return;
  // The item's texture is made anew at the new size: all of it is painted.
  FullPaintPending_ = true;
  update();
  if (Control_) Control_->ClientResized();
}

// ---- Mouse and keys ------------------------------------------------------------------------------

void TGraphItem::mousePressEvent(QMouseEvent* event) {
  if (!hasActiveFocus()) forceActiveFocus(Qt::MouseFocusReason);
  Buttons_ = event->buttons();
  if (event->button() == Qt::LeftButton) ClickPending_ = true;
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const TPoint p = PointOf(event->position());
    Control_->MouseDown(button, ShiftOf(event->modifiers(), event->buttons()), p.X, p.Y);
  }
  event->accept();
}

void TGraphItem::mouseMoveEvent(QMouseEvent* event) {
  Buttons_ = event->buttons();
  if (Control_) {
    const TPoint p = PointOf(event->position());
    Control_->MouseMove(ShiftOf(event->modifiers(), event->buttons()), p.X, p.Y);
  }
  event->accept();
}

void TGraphItem::mouseReleaseEvent(QMouseEvent* event) {
  Buttons_ = event->buttons();
  const bool click = event->button() == Qt::LeftButton && ClickPending_ && contains(event->position());
  if (event->button() == Qt::LeftButton) ClickPending_ = false;
  if (click && Control_) Control_->Click();
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const TPoint p = PointOf(event->position());
    Control_->MouseUp(button, ShiftOf(event->modifiers(), event->buttons()), p.X, p.Y);
  }
  event->accept();
}

void TGraphItem::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && Control_) Control_->DblClick();
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const TPoint p = PointOf(event->position());
    Control_->MouseDown(button, ShiftOf(event->modifiers(), event->buttons()) | ssDouble, p.X, p.Y);
  }
  event->accept();
}

// Another item or a popup took the mouse: a drag is cancelled as by Escape.
void TGraphItem::mouseUngrabEvent() {
  Buttons_ = Qt::NoButton;
  ClickPending_ = false;
  if (Control_) Control_->MouseCaptureLost();
}

void TGraphItem::hoverMoveEvent(QHoverEvent* event) {
  if (Control_ && Buttons_ == Qt::NoButton) {
    const TPoint p = PointOf(event->position());
    Control_->MouseMove(ShiftOf(event->modifiers(), Qt::NoButton), p.X, p.Y);
  }
}

void TGraphItem::hoverLeaveEvent(QHoverEvent*) {
  if (Control_) Control_->MouseLeave();
}

// The control's key map, OnKeyDown and OnKeyPress (there are no shortcuts
// to come between them); keys nobody consumed go on to the parent items.
void TGraphItem::keyPressEvent(QKeyEvent* event) {
  const uint16_t key = VirtualKeyOf(event->key(), event->modifiers());
  if (Control_ && Control_->KeyPressed(key, KeyShiftOf(*event), event->text().toStdU32String()))
    event->accept();
  else
    event->ignore();
}

void TGraphItem::keyReleaseEvent(QKeyEvent* event) {
  event->ignore();
  if (!Control_ || event->isAutoRepeat()) return;
  uint16_t key = VirtualKeyOf(event->key(), event->modifiers());
  if (key != 0) Control_->KeyUp(key, ShiftOf(event->modifiers(), Qt::NoButton));
}

void TGraphItem::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (Control_)
    Control_->MouseWheel(ShiftOf(event->modifiers(), event->buttons()), ToTPoint(event->angleDelta()),
                         ToTPoint(event->pixelDelta()), PointOf(event->position()));
}

void TGraphItem::focusInEvent(QFocusEvent* event) {
  QQuickPaintedItem::focusInEvent(event);
  if (Control_) Control_->DoEnter();
}

void TGraphItem::focusOutEvent(QFocusEvent* event) {
  QQuickPaintedItem::focusOutEvent(event);
  if (Control_) {
    Control_->MouseCaptureLost();
    Control_->DoExit();
  }
}

// ---- IGraphHost --------------------------------------------------------------------------------------

void TGraphItem::ControlDestroyed(TGraphControl* control) {
  if (control != Control_) return;
  Control_ = nullptr;
  Buttons_ = Qt::NoButton;
  update();
}

void TGraphItem::ControlEvent(TControlEvent event, uint32_t objectID) {
  switch (event) {
    case TControlEvent::ObjectInserted:
      emit objectInserted(objectID);
      break;
    case TControlEvent::ObjectRemoved:
      emit objectRemoved(objectID);
      break;
    case TControlEvent::ObjectChanged:
      emit objectChanged(objectID);
      break;
    case TControlEvent::ObjectClicked:
      emit objectClicked(objectID);
      break;
    case TControlEvent::ObjectDoubleClicked:
      emit objectDoubleClicked(objectID);
      break;
    case TControlEvent::SelectionChanged:
      emit selectionChanged();
      break;
    case TControlEvent::GraphChanged:
      emit graphChanged();
      break;
    case TControlEvent::ModifiedChanged:
      emit modifiedChanged(modified());
      break;
    case TControlEvent::HistoryChanged:
      emit historyChanged();
      break;
    case TControlEvent::ZoomChanged:
      emit zoomChanged(zoom());
      break;
    case TControlEvent::CommandModeChanged:
      emit commandModeChanged(commandMode());
      break;
  }
}

// Until the whole item has been painted once at its size, every repaint
// request repaints all of it: the scene graph may drop a full request made
// before the item's texture exists and keep only the partial ones after it.
void TGraphItem::InvalidateRect(const TRect& clientRect) {
  if (FullPaintPending_)
    update();
  else if (!clientRect.IsEmpty())
    update(QRect(clientRect.Left, clientRect.Top, clientRect.Width(), clientRect.Height()));
}

void TGraphItem::InvalidateAll() { update(); }

void TGraphItem::PaintNow() { update(); }

void TGraphItem::ScrollContent(int32_t, int32_t) { update(); }

TSize TGraphItem::ClientSize() const {
  return {std::max(static_cast<int32_t>(width()), 0), std::max(static_cast<int32_t>(height()), 0)};
}

bool TGraphItem::Focused() const { return hasActiveFocus(); }

void TGraphItem::SetFocus() { forceActiveFocus(Qt::OtherFocusReason); }

TPoint TGraphItem::CursorPos() const { return PointOf(mapFromGlobal(QCursor::pos())); }

void TGraphItem::SetCursorPos(TPoint clientPoint) {
  QCursor::setPos(mapToGlobal(QPointF(clientPoint.X, clientPoint.Y)).toPoint());
}

void TGraphItem::SetScreenCursor(TCursor cursor) {
  if (cursor == crDefault)
    unsetCursor();
  else
    setCursor(CursorFor(cursor));
}

bool TGraphItem::ScrollBarShown(TScrollBarKind kind) const { return Info(kind).Max > 0; }

void TGraphItem::SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) {
  const bool moved = info.Position != Info(kind).Position;
  Info(kind) = info;
  if (moved) emit scrolled();
}

int32_t TGraphItem::ScrollPos(TScrollBarKind kind) const { return Info(kind).Position; }

void TGraphItem::SetScrollPos(TScrollBarKind kind, int32_t position) {
  if (Info(kind).Position == position) return;
  Info(kind).Position = position;
  emit scrolled();
}

// No scroll bar takes room from the item.
int32_t TGraphItem::SystemMetric(TSystemMetric metric) const {
  switch (metric) {
    case TSystemMetric::CxScreen:
    case TSystemMetric::CyScreen: {
      const QScreen* screen = window() ? window()->screen() : QGuiApplication::primaryScreen();
      const QSize size = screen ? screen->size() : QSize();
      return metric == TSystemMetric::CxScreen ? size.width() : size.height();
    }
    default:
      return 0;
  }
}

void RegisterQmlTypes(const char* uri) { qmlRegisterType<TGraphItem>(uri, 1, 0, "GraphItem"); }

}  // namespace gc::qt
