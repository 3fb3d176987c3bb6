#include "platform/qt/GraphWidget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

#include "GraphControl/Control.h"
#include "GraphControl/GraphNode.h"
#include "platform/qt/CaptionEditor.h"
#include "platform/qt/Cursors.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtInput.h"
#include "platform/qt/QtTypes.h"

namespace gc::qt {

namespace {

// A client rectangle as a QRect. One reaching towards the coordinate limits
// (an object of a hostile file placed there) is cut far beyond any screen
// first, so that its width and height stay defined.
constexpr int32_t ClientLimit = 1 << 29;

QRect ToQRect(const TRect& r) {
  const auto cut = [](int32_t v) { return std::clamp(v, -ClientLimit, ClientLimit); };
  return QRect(QPoint(cut(r.Left), cut(r.Top)), QPoint(cut(r.Right) - 1, cut(r.Bottom) - 1));
}

TScrollCode CodeForAction(int action, bool& known) {
  known = true;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return TScrollCode::scLineUp;
    case QAbstractSlider::SliderSingleStepAdd:
      return TScrollCode::scLineDown;
    case QAbstractSlider::SliderPageStepSub:
      return TScrollCode::scPageUp;
    case QAbstractSlider::SliderPageStepAdd:
      return TScrollCode::scPageDown;
    case QAbstractSlider::SliderToMinimum:
      return TScrollCode::scTop;
    case QAbstractSlider::SliderToMaximum:
      return TScrollCode::scBottom;
    case QAbstractSlider::SliderMove:
      return TScrollCode::scPosition;
    default:
      known = false;
      return TScrollCode::scEndScroll;
  }
}

// Named system colours keep the style's own bar colours.
bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == clSystemColor; }

}  // namespace

// A scroll bar whose thickness can be set: the scroll area lays its bars out
// by their size hint.
class TGraphWidget::TBar : public QScrollBar {
 public:
  TBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

  void SetThickness(int thickness) {
    if (thickness == Thickness_) return;
    Thickness_ = thickness;
    updateGeometry();
  }
  QSize sizeHint() const override {
    QSize size = QScrollBar::sizeHint();
    if (Thickness_ > 0) {
      if (orientation() == Qt::Horizontal)
        size.setHeight(Thickness_);
      else
        size.setWidth(Thickness_);
    }
    return size;
  }

 private:
  int Thickness_ = 0;
};

// ---- Construction ---------------------------------------------------------------------

TGraphWidget::TGraphWidget(QWidget* parent) : TGraphWidget(nullptr, parent) {}

TGraphWidget::TGraphWidget(TGraphControl* control, QWidget* parent) : QAbstractScrollArea(parent) {
  setHorizontalScrollBar(new TBar(Qt::Horizontal, this));
  setVerticalScrollBar(new TBar(Qt::Vertical, this));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ConnectBar(TScrollBarKind::sbHorizontal);
  ConnectBar(TScrollBarKind::sbVertical);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  // Every pixel is painted from the off-screen buffer.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  SetControl(control);
}

TGraphWidget::~TGraphWidget() {
  ReleaseScreenCursor();
  SetControl(nullptr);
}

void TGraphWidget::SetControl(TGraphControl* control) {
  if (control == Control_) return;
  // A control another window shows is refused before anything changes here.
  if (control && control->Host()) control->SetHost(this);  // raises EGraphInvalidOperation
  Detach();
  Control_ = control;
  if (Control_) {
    Control_->SetHost(this);
    Control_->SetDragThreshold(QApplication::startDragDistance());
    Control_->SetWheelScrollLines(QApplication::wheelScrollLines());
  }
  viewport()->update();
}

// Only the control's current host detaches it: the control may have moved on.
void TGraphWidget::Detach() {
  TGraphControl* control = std::exchange(Control_, nullptr);
  Buttons_ = Qt::NoButton;
  ClickPending_ = false;
  if (control && control->Host() == this) control->SetHost(nullptr);
}

void TGraphWidget::ControlEvent(TControlEvent event, uint32_t objectID) {
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
      if (Control_) emit modifiedChanged(Control_->Modified());
      break;
    case TControlEvent::HistoryChanged:
      emit historyChanged();
      break;
    case TControlEvent::ZoomChanged:
      if (Control_) emit zoomChanged(Control_->Zoom());
      break;
    case TControlEvent::CommandModeChanged:
      if (Control_) emit commandModeChanged(Control_->CommandMode());
      break;
  }
}

void TGraphWidget::ControlDestroyed(TGraphControl* control) {
  if (control != Control_) return;
  Control_ = nullptr;
  Buttons_ = Qt::NoButton;
  ClickPending_ = false;
  ReleaseScreenCursor();
  viewport()->update();
}

void TGraphWidget::ConnectBar(TScrollBarKind kind) {
  TBar* bar = Bar(kind);
  // The thumb scrolls while dragged only when the control's Tracking says so.
  bar->setTracking(false);
  connect(bar, &QAbstractSlider::actionTriggered, this,
          [this, kind](int action) { BarAction(kind, action); });
  connect(bar, &QAbstractSlider::sliderMoved, this,
          [this, kind](int value) { BarMessage(kind, static_cast<int>(TScrollCode::scTrack), value); });
  connect(bar, &QAbstractSlider::sliderReleased, this, [this, kind] {
    BarMessage(kind, static_cast<int>(TScrollCode::scPosition), Bar(kind)->sliderPosition());
  });
  // Changes that come neither from the user nor from the control (a program
  // setting the bar's value).
  connect(bar, &QAbstractSlider::valueChanged, this, [this, kind](int value) {
    if (Bar(kind)->isSliderDown()) return;
    BarMessage(kind, static_cast<int>(TScrollCode::scPosition), value);
  });
}

TGraphWidget::TBar* TGraphWidget::Bar(TScrollBarKind kind) const {
  return static_cast<TBar*>(kind == TScrollBarKind::sbHorizontal ? horizontalScrollBar()
                                                                 : verticalScrollBar());
}

// ---- Scroll bar notifications ----------------------------------------------------------------

void TGraphWidget::BarAction(TScrollBarKind kind, int action) {
  TBar* bar = Bar(kind);
  // A dragged thumb reports through sliderMoved and sliderReleased.
  if (action == QAbstractSlider::SliderMove && bar->isSliderDown()) return;
  bool known = false;
  const TScrollCode code = CodeForAction(action, known);
  if (!known) return;
  BarMessage(kind, static_cast<int>(code), bar->sliderPosition());
  // The bar applies its slider position after this notification: make that
  // the control's position rather than the bar's own step.
  if (Control_) {
    const TGraphScrollBar& state =
        kind == TScrollBarKind::sbHorizontal ? Control_->HorzScrollBar() : Control_->VertScrollBar();
    bar->setSliderPosition(state.Position());
  }
}

void TGraphWidget::BarMessage(TScrollBarKind kind, int code, int position) {
  if (ApplyingBar_ || !Control_) return;
  TGraphScrollBar& state =
      kind == TScrollBarKind::sbHorizontal ? Control_->HorzScrollBar() : Control_->VertScrollBar();
  const auto scrollCode = static_cast<TScrollCode>(code);
  if (scrollCode == TScrollCode::scPosition && position == state.Position()) return;
  state.HandleScrollMessage(scrollCode, position);
}

void TGraphWidget::scrollContentsBy(int, int) {}

// ---- Coordinates ----------------------------------------------------------------------------------

QPointF TGraphWidget::MapToGraph(const QPointF& viewportPos) const {
  if (!Control_) return viewportPos;
  return ToQPointF(Control_->ClientToGraph(ToTPoint(viewportPos)));
}

QPointF TGraphWidget::MapFromGraph(const QPointF& graphPoint) const {
  if (!Control_) return graphPoint;
  return ToQPointF(Control_->GraphToClient(ToTPoint(graphPoint)));
}

TGraphObject* TGraphWidget::ObjectAt(const QPointF& viewportPos) const {
  return Control_ ? Control_->ObjectAtPoint(Control_->ClientToGraph(ToTPoint(viewportPos))) : nullptr;
}

// ---- Painting -------------------------------------------------------------------------------------

QImage TGraphWidget::RenderClientRect(const QRect& clientRect, qreal devicePixelRatio) const {
  const bool transparent = Control_ && Control_->Transparent();
  const QSize logical = clientRect.size().expandedTo(QSize(1, 1));
  QImage image(logical * devicePixelRatio,
               transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  // The painter then works in logical pixels: text and shapes come out at
  // the screen's resolution, the view mapping stays the control's.
  image.setDevicePixelRatio(devicePixelRatio);
  if (transparent) image.fill(Qt::transparent);
  QPainter painter(&image);
  PaintArea(painter, QRect(QPoint(0, 0), logical), clientRect.topLeft());
  return image;
}

void TGraphWidget::PaintArea(QPainter& painter, const QRect& area, const QPoint& clientOrigin) const {
  // The clip tells the control which part of the view to draw: it visits
  // only the objects that meet it.
  painter.setClipRect(area);
  TQtCanvas canvas(&painter);
  // A transparent control leaves the area as it is, so what lies below the
  // viewport shows through wherever no object is drawn.
  if (!Control_ || !Control_->Transparent()) {
    const TColor background = Control_ ? Control_->Color() : clWindow;
    painter.fillRect(area, TQtCanvas::ToQColor(canvas.ColorToRGB(background)));
  }
  if (Control_) {
    canvas.SaveState();
    Control_->ApplyViewMapping(canvas, {clientOrigin.x(), clientOrigin.y()});
    Control_->Paint(canvas);
    canvas.RestoreState();
  }
}

void TGraphWidget::paintEvent(QPaintEvent* event) {
  const QRect area = event->rect();
  if (area.isEmpty()) return;
  if (SyncTransparency()) return;
  // The window system already double-buffers the viewport: the control draws
  // straight into its backing store, with no image of its own to fill and copy.
  LastPaintedRect_ = area;
  QPainter painter(viewport());
  PaintArea(painter, area, QPoint(0, 0));
}

// Qt paints a widget's parent first, so a viewport that neither fills its
// background nor claims to paint opaquely lets the parent show through. When
// the control's Transparent setting changed, the attributes follow and the
// whole viewport is painted again under them.
bool TGraphWidget::SyncTransparency() {
  const bool transparent = Control_ && Control_->Transparent();
  if (viewport()->testAttribute(Qt::WA_OpaquePaintEvent) == !transparent) return false;
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
  viewport()->setAutoFillBackground(!transparent);
  viewport()->update();
  return true;
}

// ---- Window events ----------------------------------------------------------------------------------

void TGraphWidget::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (Control_) Control_->ClientResized();
}

bool TGraphWidget::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip:
      if (!ShowToolTip(static_cast<QHelpEvent*>(event))) QToolTip::hideText();
      event->accept();
      return true;
    case QEvent::Enter:
      MouseInside_ = true;
      break;
    case QEvent::Leave:
      MouseInside_ = false;
      if (Control_) Control_->MouseLeave();
      UpdateStatusTip();
      break;
    case QEvent::NativeGesture: {
      auto* gesture = static_cast<QNativeGestureEvent*>(event);
      if (Control_ && gesture->gestureType() == Qt::ZoomNativeGesture) {
        // The value is the change of scale since the last event of the pinch.
        Control_->Pinch(gesture->value(), ToTPoint(gesture->position().toPoint()));
        event->accept();
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

// The object's tip, else the widget's own tooltip over empty ground.
bool TGraphWidget::ShowToolTip(const QHelpEvent* help) {
  std::string text;
  TRect area;
  if (Control_ && Control_->InfoTipFor({help->pos().x(), help->pos().y()}, text, area)) {
    if (text.empty()) return false;
    QToolTip::showText(help->globalPos(), QString::fromStdString(text), viewport(), ToQRect(area));
    return true;
  }
  if (toolTip().isEmpty()) return false;
  QToolTip::showText(help->globalPos(), toolTip(), this);
  return true;
}

void TGraphWidget::UpdateStatusTip() {
  const TGraphObject* hover = Control_ ? Control_->ObjectUnderMouse() : nullptr;
  const QString tip = hover ? QString::fromStdString(LongHint(hover->Hint())) : statusTip();
  if (tip == StatusTip_) return;
  StatusTip_ = tip;
  // Travels up to the window, whose status bar shows it.
  QStatusTipEvent event(tip);
  QApplication::sendEvent(this, &event);
}

bool TGraphWidget::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Qt asks before it looks for a shortcut: a key the control handles is
      // claimed here and stays with it, any other goes to the window's
      // shortcuts (or, without one, comes back as an ordinary key press).
      auto* key = static_cast<QKeyEvent*>(event);
      if (PreprocessKey(key)) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::KeyPress: {
      // Focus navigation with Tab comes after the control's key map.
      auto* key = static_cast<QKeyEvent*>(event);
      if (TakePreprocessedKey(key)) {
        event->accept();
        return true;
      }
      break;
    }
    case QEvent::WindowDeactivate:
      LoseCapture();
      break;
    default:
      break;
  }
  return QAbstractScrollArea::event(event);
}

// A popup (a context menu) takes the focus only for a moment; the control
// loses the mouse to it, but neither leaves nor gets the focus.
void TGraphWidget::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (Control_ && event->reason() != Qt::PopupFocusReason) Control_->DoEnter();
}

void TGraphWidget::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  LoseCapture();
  if (Control_ && event->reason() != Qt::PopupFocusReason) Control_->DoExit();
}

void TGraphWidget::hideEvent(QHideEvent* event) {
  QAbstractScrollArea::hideEvent(event);
  LoseCapture();
}

void TGraphWidget::LoseCapture() {
  Buttons_ = Qt::NoButton;
  ClickPending_ = false;
  if (Control_) Control_->MouseCaptureLost();
}

// ---- Mouse ------------------------------------------------------------------------------------------

// Mouse events go to the control with positions in client (viewport)
// pixels. Qt grabs the mouse while a button is held, so moves and the release
// outside the window still arrive; the buttons held are each event's own.

void TGraphWidget::mousePressEvent(QMouseEvent* event) {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  NoteMouse(event);
  if (event->button() == Qt::LeftButton) ClickPending_ = true;
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const QPoint p = event->position().toPoint();
    Control_->MouseDown(button, ShiftOf(event->modifiers(), event->buttons()), p.x(), p.y());
  }
  UpdateStatusTip();
  event->accept();
}

void TGraphWidget::mouseMoveEvent(QMouseEvent* event) {
  // A release that went to another window (a popup, a dialog) ends the
  // capture as soon as the mouse is back.
  if (Buttons_ != Qt::NoButton && event->buttons() == Qt::NoButton) LoseCapture();
  NoteMouse(event);
  if (Control_) {
    const QPoint p = event->position().toPoint();
    Control_->MouseMove(ShiftOf(event->modifiers(), event->buttons()), p.x(), p.y());
  }
  UpdateStatusTip();
  event->accept();
}

void TGraphWidget::mouseReleaseEvent(QMouseEvent* event) {
  NoteMouse(event);
  // The click comes before the release, as the control expects.
  const bool click = event->button() == Qt::LeftButton && ClickPending_ &&
                     viewport()->rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) ClickPending_ = false;
  if (click && Control_) Control_->Click();
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const QPoint p = event->position().toPoint();
    Control_->MouseUp(button, ShiftOf(event->modifiers(), event->buttons()), p.x(), p.y());
  }
  UpdateStatusTip();
  event->accept();
}

void TGraphWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  NoteMouse(event);
  if (event->button() == Qt::LeftButton && Control_) Control_->DblClick();
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const QPoint p = event->position().toPoint();
    Control_->MouseDown(button, ShiftOf(event->modifiers(), event->buttons()) | ssDouble, p.x(), p.y());
  }
  // The double click selected the node under the pointer (or kept it): its
  // caption opens for editing once the control has had the click.
  if (CaptionEditing_ && Control_ && event->button() == Qt::LeftButton && !Control_->DragSource()) {
    TGraphObject* object = ObjectAt(event->position());
    if (object && object->Selected()) EditCaption(object);
  }
  event->accept();
}

TCaptionEditor* TGraphWidget::EditCaption(TGraphObject* object) {
  if (CaptionEditor_) CaptionEditor_->Commit();
  if (!Control_ || !object || object->Owner() != Control_ || !object->IsNode() || object->IsLocked() ||
      Control_->CommandMode() == cmBrowse)
    return nullptr;
  CaptionEditor_ = new TCaptionEditor(this, static_cast<TGraphNode*>(object));
  connect(CaptionEditor_, &TCaptionEditor::finished, this, [this, id = object->ID()](bool committed) {
    CaptionEditor_ = nullptr;
    if (committed) emit captionEdited(id);
  });
  return CaptionEditor_;
}

// The pointer is where the last mouse event put it: inside the viewport every
// move reaches this widget, and so does every move while the mouse is captured.
void TGraphWidget::RefreshMouse(Qt::KeyboardModifiers modifiers) {
  if (!Control_ || (!MouseInside_ && Buttons_ == Qt::NoButton)) return;
  Control_->MouseMove(ShiftOf(modifiers, Buttons_), LastMousePos_.x(), LastMousePos_.y());
}

void TGraphWidget::NoteMouse(const QMouseEvent* event) {
  Buttons_ = event->buttons();
  LastMousePos_ = event->position().toPoint();
  MouseInside_ = viewport()->rect().contains(LastMousePos_);
}

// ---- Keys ---------------------------------------------------------------------------------------------

bool TGraphWidget::PreprocessKey(QKeyEvent* event) {
  Preprocessed_ = {};
  if (!Control_) return false;
  RefreshMouse(event->modifiers());
  uint16_t key = VirtualKeyOf(event->key(), event->modifiers());
  if (key == 0) return false;
  const bool handled = Control_->KeyMapped(key, KeyShiftOf(*event));
  Preprocessed_ = {true, event->key(), event->modifiers(), event->timestamp(), key, handled};
  return handled;
}

// The key map's answer for this press, running it when no shortcut override
// came first. The key as the map left it waits for keyPressEvent.
bool TGraphWidget::TakePreprocessedKey(QKeyEvent* event) {
  const bool same = Preprocessed_.Valid && Preprocessed_.QtKey == event->key() &&
                    Preprocessed_.Modifiers == event->modifiers() &&
                    Preprocessed_.Timestamp == event->timestamp();
  if (!same) PreprocessKey(event);
  const bool handled = Preprocessed_.Handled;
  PendingKey_ = Preprocessed_.Valid ? Preprocessed_.Key : VirtualKeyOf(event->key(), event->modifiers());
  Preprocessed_ = {};
  return handled;
}

// The ordinary key press, for keys the key map and focus navigation left.
// Keys no handler consumed go on to the parent.
void TGraphWidget::keyPressEvent(QKeyEvent* event) {
  const uint16_t key = std::exchange(PendingKey_, 0);
  if (!Control_) {
    event->ignore();
    return;
  }
  // F2, when OnKeyDown left it, opens the selected object's caption for
  // editing (it types no characters, so it may come after them).
  bool consumed = Control_->KeyTyped(key, KeyShiftOf(*event), event->text().toStdU32String());
  if (!consumed && CaptionEditing_ && event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier &&
      Control_->SelectedObjects().Count() > 0) {
    consumed = EditCaption(Control_->SelectedObjects()[0]) != nullptr;
  }
  if (consumed)
    event->accept();
  else
    event->ignore();
}

void TGraphWidget::keyReleaseEvent(QKeyEvent* event) {
  event->ignore();
  if (!Control_) return;
  if (!event->isAutoRepeat()) {
    uint16_t key = VirtualKeyOf(event->key(), event->modifiers());
    TShiftState shift = ShiftOf(event->modifiers(), Qt::NoButton);
    if (key != 0) Control_->KeyUp(key, shift);
  }
  RefreshMouse(event->modifiers());
}

// ---- Wheel ---------------------------------------------------------------------------------------------

void TGraphWidget::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (Control_)
    Control_->MouseWheel(ShiftOf(event->modifiers(), event->buttons()), ToTPoint(event->angleDelta()),
                         ToTPoint(event->pixelDelta()), ToTPoint(event->position().toPoint()));
}

void TGraphWidget::contextMenuEvent(QContextMenuEvent* event) {
  if (!Control_) return;
  bool handled = false;
  Control_->DoContextPopup({event->pos().x(), event->pos().y()}, handled);
  if (handled)
    event->accept();
  else
    event->ignore();
}

// ---- IGraphHost ----------------------------------------------------------------------------------

void TGraphWidget::InvalidateRect(const TRect& clientRect) {
  if (!clientRect.IsEmpty()) viewport()->update(ToQRect(clientRect));
}

void TGraphWidget::InvalidateAll() { viewport()->update(); }

void TGraphWidget::PaintNow() { viewport()->repaint(); }

void TGraphWidget::ScrollContent(int32_t dx, int32_t dy) { viewport()->scroll(dx, dy); }

TSize TGraphWidget::ClientSize() const {
  // From the frame and the bars the control has decided on, so the size is
  // right before the scroll area has laid out its bars (while hidden).
  QSize size = contentsRect().size();
  if (Vert_.Shown) size.rwidth() -= Bar(TScrollBarKind::sbVertical)->sizeHint().width();
  if (Horz_.Shown) size.rheight() -= Bar(TScrollBarKind::sbHorizontal)->sizeHint().height();
  return {std::max(size.width(), 0), std::max(size.height(), 0)};
}

bool TGraphWidget::Focused() const { return hasFocus(); }

void TGraphWidget::SetFocus() { setFocus(Qt::OtherFocusReason); }

TPoint TGraphWidget::CursorPos() const {
  const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
  return {p.x(), p.y()};
}

void TGraphWidget::SetCursorPos(TPoint clientPoint) {
  QCursor::setPos(viewport()->mapToGlobal(QPoint(clientPoint.X, clientPoint.Y)));
}

void TGraphWidget::SetScreenCursor(TCursor cursor) {
  if (cursor == crDefault) {
    ReleaseScreenCursor();
  } else if (CursorOverridden_) {
    QGuiApplication::changeOverrideCursor(CursorFor(cursor));
  } else {
    QGuiApplication::setOverrideCursor(CursorFor(cursor));
    CursorOverridden_ = true;
  }
}

void TGraphWidget::ReleaseScreenCursor() {
  if (!CursorOverridden_) return;
  QGuiApplication::restoreOverrideCursor();
  CursorOverridden_ = false;
}

void TGraphWidget::CancelToolTip() { QToolTip::hideText(); }

void TGraphWidget::PopupMenu(void* menu, TPoint clientPoint) {
  if (menu) static_cast<QMenu*>(menu)->popup(viewport()->mapToGlobal(QPoint(clientPoint.X, clientPoint.Y)));
}

bool TGraphWidget::ScrollBarShown(TScrollBarKind kind) const { return State(kind).Shown; }

void TGraphWidget::SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) {
  TBar* bar = Bar(kind);
  {
    const bool wasApplying = ApplyingBar_;
    ApplyingBar_ = true;
    // The bar's value runs to the last position at which a full page still fits.
    bar->setRange(info.Min, std::max(info.Min, info.Max - info.Page + 1));
    bar->setPageStep(std::max(info.Page, 1));
    if (Control_) {
      const TGraphScrollBar& state =
          kind == TScrollBarKind::sbHorizontal ? Control_->HorzScrollBar() : Control_->VertScrollBar();
      bar->setSingleStep(std::max(state.Increment(), 1));
    }
    bar->setValue(info.Position);
    ApplyingBar_ = wasApplying;
  }
  const bool shown = info.Max > 0;
  TBarState& state = State(kind);
  if (shown == state.Shown) return;
  state.Shown = shown;
  // Showing or hiding a bar resizes the viewport; the resize reaches the
  // control while it is still applying its bars, which keeps it from
  // re-entering.
  const Qt::ScrollBarPolicy policy = shown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (kind == TScrollBarKind::sbHorizontal)
    setHorizontalScrollBarPolicy(policy);
  else
    setVerticalScrollBarPolicy(policy);
}

int32_t TGraphWidget::ScrollPos(TScrollBarKind kind) const { return Bar(kind)->value(); }

void TGraphWidget::SetScrollPos(TScrollBarKind kind, int32_t position) {
  const bool wasApplying = ApplyingBar_;
  ApplyingBar_ = true;
  Bar(kind)->setValue(position);
  ApplyingBar_ = wasApplying;
}

bool TGraphWidget::TrackPos(TScrollBarKind kind, int32_t& position) const {
  position = Bar(kind)->sliderPosition();
  return true;
}

// Thickness and background colour map onto the Qt bar. Qt's bars have no
// flat or hot-track modes of their own (the style decides how they look and
// most styles already highlight under the mouse), and no per-bar arrow button
// or thumb size: Style, ButtonSize and ThumbSize are kept but not shown.
void TGraphWidget::SetScrollBarAppearance(TScrollBarKind kind, const TScrollBarAppearance& appearance) {
  TBarState& state = State(kind);
  TBar* bar = Bar(kind);
  if (!state.AppearanceSet || appearance.Size != state.Appearance.Size) bar->SetThickness(appearance.Size);
  if (!state.AppearanceSet || appearance.Color != state.Appearance.Color) {
    if (IsSystemColor(appearance.Color)) {
      bar->setPalette(QPalette());
    } else {
      QPalette palette = bar->palette();
      const QColor color = TQtCanvas::ToQColor(appearance.Color);
      palette.setColor(QPalette::Window, color);
      palette.setColor(QPalette::Base, color);
      palette.setColor(QPalette::Button, color);
      bar->setPalette(palette);
    }
  }
  state.Appearance = appearance;
  state.AppearanceSet = true;
}

int32_t TGraphWidget::SystemMetric(TSystemMetric metric) const {
  switch (metric) {
    case TSystemMetric::CxVScroll:
    case TSystemMetric::CyHScroll:
    case TSystemMetric::CxHScroll:
    case TSystemMetric::CyVScroll:
      return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    case TSystemMetric::CxScreen:
    case TSystemMetric::CyScreen: {
      const QScreen* screen = QGuiApplication::primaryScreen();
      const QSize size = screen ? screen->size() : QSize();
      return metric == TSystemMetric::CxScreen ? size.width() : size.height();
    }
  }
  return 0;
}

}  // namespace gc::qt
