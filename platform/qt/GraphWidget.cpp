#include "platform/qt/GraphWidget.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "GraphControl/Control.h"
#include "platform/qt/Cursors.h"
#include "platform/qt/QtCanvas.h"

namespace gc::qt {

namespace {

// One notch of a mouse wheel in QWheelEvent::angleDelta units.
constexpr int WheelNotch = 120;
// Zoom change per wheel notch with Ctrl, in percentage points.
constexpr int WheelZoomStep = 10;

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

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

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (buttons & Qt::LeftButton) shift |= ssLeft;
  if (buttons & Qt::RightButton) shift |= ssRight;
  if (buttons & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

bool ButtonOf(Qt::MouseButton qtButton, TMouseButton& button) {
  switch (qtButton) {
    case Qt::LeftButton:
      button = TMouseButton::mbLeft;
      return true;
    case Qt::RightButton:
      button = TMouseButton::mbRight;
      return true;
    case Qt::MiddleButton:
      button = TMouseButton::mbMiddle;
      return true;
    default:
      return false;
  }
}

// The virtual key code of the keys the control's key map knows; 0 for others.
uint16_t VirtualKeyOf(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    default:
      return 0;
  }
}

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
  if (Control_) Control_->SetHost(nullptr);
  Control_ = control;
  if (Control_) Control_->SetHost(this);
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

// ---- Painting -------------------------------------------------------------------------------------

QImage TGraphWidget::RenderClientRect(const QRect& clientRect) const {
  // A transparent control starts from a clear buffer, so what the parent
  // painted below the viewport shows through wherever no object is drawn.
  const bool transparent = Control_ && Control_->Transparent();
  QImage image(clientRect.size().expandedTo(QSize(1, 1)),
               transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
  QPainter painter(&image);
  TQtCanvas canvas(&painter);
  if (transparent) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(image.rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  } else {
    const TColor background = Control_ ? Control_->Color() : clWindow;
    painter.fillRect(image.rect(), TQtCanvas::ToQColor(canvas.ColorToRGB(background)));
  }
  if (Control_) {
    canvas.SaveState();
    Control_->ApplyViewMapping(canvas, {clientRect.left(), clientRect.top()});
    Control_->Paint(canvas);
    canvas.RestoreState();
  }
  return image;
}

void TGraphWidget::paintEvent(QPaintEvent* event) {
  const QRect area = event->rect();
  if (area.isEmpty()) return;
  if (SyncTransparency()) return;
  const QImage buffer = RenderClientRect(area);
  LastBufferSize_ = buffer.size();
  QPainter painter(viewport());
  painter.drawImage(area.topLeft(), buffer);
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
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    std::string text;
    TRect area;
    if (Control_ && Control_->InfoTipFor({help->pos().x(), help->pos().y()}, text, area) && !text.empty())
      QToolTip::showText(help->globalPos(), QString::fromStdString(text), viewport(), ToQRect(area));
    else
      QToolTip::hideText();
    event->accept();
    return true;
  }
  if (event->type() == QEvent::Leave && Control_) Control_->MouseLeave();
  return QAbstractScrollArea::viewportEvent(event);
}

bool TGraphWidget::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && ForwardKeyPress(key)) {
      event->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void TGraphWidget::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (Control_) Control_->DoEnter();
}

void TGraphWidget::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  if (Control_) Control_->DoExit();
}

// Mouse and keys go to the control with positions in client (viewport)
// pixels. Qt grabs the mouse while a button is held, so moves and the release
// outside the window still arrive.

void TGraphWidget::mousePressEvent(QMouseEvent* event) {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  ButtonsDown_ |= event->button();
  if (event->button() == Qt::LeftButton) ClickPending_ = true;
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const QPoint p = event->position().toPoint();
    Control_->MouseDown(button, ShiftOf(event->modifiers(), event->buttons()), p.x(), p.y());
  }
  event->accept();
}

void TGraphWidget::mouseMoveEvent(QMouseEvent* event) {
  if (Control_) {
    const QPoint p = event->position().toPoint();
    Control_->MouseMove(ShiftOf(event->modifiers(), event->buttons()), p.x(), p.y());
  }
  event->accept();
}

void TGraphWidget::mouseReleaseEvent(QMouseEvent* event) {
  ButtonsDown_ &= ~event->button();
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
  event->accept();
}

void TGraphWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  ButtonsDown_ |= event->button();
  if (event->button() == Qt::LeftButton && Control_) Control_->DblClick();
  TMouseButton button;
  if (Control_ && ButtonOf(event->button(), button)) {
    const QPoint p = event->position().toPoint();
    Control_->MouseDown(button, ShiftOf(event->modifiers(), event->buttons()) | ssDouble, p.x(), p.y());
  }
  event->accept();
}

void TGraphWidget::RefreshMouse(Qt::KeyboardModifiers modifiers) {
  if (!Control_) return;
  const QPoint p = viewport()->mapFromGlobal(QCursor::pos());
  if (!viewport()->rect().contains(p) && ButtonsDown_ == Qt::NoButton) return;
  Control_->MouseMove(ShiftOf(modifiers, QGuiApplication::mouseButtons()), p.x(), p.y());
}

bool TGraphWidget::ForwardKeyPress(QKeyEvent* event) {
  if (!Control_) return false;
  RefreshMouse(event->modifiers());
  uint16_t key = VirtualKeyOf(event);
  if (key == 0) return false;
  TShiftState shift = ShiftOf(event->modifiers(), Qt::NoButton);
  // Shift+Tab arrives as its own key.
  if (event->key() == Qt::Key_Backtab) shift |= ssShift;
  return Control_->KeyDown(key, shift);
}

void TGraphWidget::keyPressEvent(QKeyEvent* event) {
  // Keys the control does not handle go to the parent.
  if (ForwardKeyPress(event))
    event->accept();
  else
    event->ignore();
}

void TGraphWidget::keyReleaseEvent(QKeyEvent* event) {
  event->ignore();
  RefreshMouse(event->modifiers());
}

void TGraphWidget::wheelEvent(QWheelEvent* event) {
  if (!Control_) return;
  const QPoint delta = event->angleDelta();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & Qt::ControlModifier) {
    WheelRemainderY_ += delta.y();
    const int notches = WheelRemainderY_ / WheelNotch;
    WheelRemainderY_ -= notches * WheelNotch;
    if (notches != 0) Control_->StepZoom(notches * WheelZoomStep, zaCursor);
  } else if (modifiers & Qt::ShiftModifier) {
    ScrollByWheel(TScrollBarKind::sbHorizontal, WheelRemainderX_, delta.y() != 0 ? delta.y() : delta.x());
  } else {
    ScrollByWheel(TScrollBarKind::sbVertical, WheelRemainderY_, delta.y());
    ScrollByWheel(TScrollBarKind::sbHorizontal, WheelRemainderX_, delta.x());
  }
  event->accept();
}

// Whole notches scroll one line (the bar's Increment) each; a positive delta
// (wheel turned away from the user) scrolls up or left.
void TGraphWidget::ScrollByWheel(TScrollBarKind kind, int& remainder, int delta) {
  remainder += delta;
  const int notches = remainder / WheelNotch;
  remainder -= notches * WheelNotch;
  TGraphScrollBar& bar =
      kind == TScrollBarKind::sbHorizontal ? Control_->HorzScrollBar() : Control_->VertScrollBar();
  const TScrollCode code = notches > 0 ? TScrollCode::scLineUp : TScrollCode::scLineDown;
  for (int i = 0; i < std::abs(notches); ++i) bar.HandleScrollMessage(code, bar.Position());
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
