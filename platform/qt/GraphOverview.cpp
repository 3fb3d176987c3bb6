#include "platform/qt/GraphOverview.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtTypes.h"

namespace gc::qt {

namespace {

// How strongly links show over the background.
constexpr qreal LinkOpacity = 0.35;

// Room round the diagram, in percent of its larger side.
constexpr int32_t MarginPercent = 3;

// The rectangle grown by `d` on every side, within the coordinate range.
TRect Inflated(const TRect& r, int64_t d) {
  const auto grown = [](int32_t v, int64_t by) { return ClampToInt32(static_cast<double>(v + by)); };
  return {grown(r.Left, -d), grown(r.Top, -d), grown(r.Right, d), grown(r.Bottom, d)};
}

// An object is drawn in its fill colour (a node) or its line colour.
QColor ColorOf(const TGraphObject& object) {
  if (!object.IsLink() && object.Brush().Style() != TBrushStyle::bsClear)
    return ToQColor(object.Brush().Color());
  return ToQColor(object.Pen().Color());
}

// The scale and offset of the graph-to-overview mapping.
struct TFit {
  double Scale = 1;
  double X = 0;
  double Y = 0;
};

TFit FitOf(const TRect& shown, QSize size) {
  const double w = std::max(1.0, static_cast<double>(shown.Right) - shown.Left);
  const double h = std::max(1.0, static_cast<double>(shown.Bottom) - shown.Top);
  TFit fit;
  fit.Scale = std::min(size.width() / w, size.height() / h);
  fit.X = (size.width() - w * fit.Scale) / 2 - shown.Left * fit.Scale;
  fit.Y = (size.height() - h * fit.Scale) / 2 - shown.Top * fit.Scale;
  return fit;
}

}  // namespace

TGraphOverview::TGraphOverview(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(false);
  RefreshTimer_.setSingleShot(true);
  connect(&RefreshTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

TGraphOverview::TGraphOverview(TGraphWidget* view, QWidget* parent) : TGraphOverview(parent) {
  SetView(view);
}

TGraphOverview::~TGraphOverview() {
  if (Viewport_) Viewport_->removeEventFilter(this);
}

TGraphControl* TGraphOverview::Control() const { return View() ? View_->Control() : nullptr; }

void TGraphOverview::SetView(TGraphWidget* view) {
  if (view == View()) return;
  if (ViewAlive_) disconnect(ViewAlive_, nullptr, this, nullptr);
  if (Viewport_) Viewport_->removeEventFilter(this);
  View_ = view;
  ViewAlive_ = view;
  Viewport_ = view ? view->viewport() : nullptr;
  if (view) {
    for (auto signal :
         {&TGraphWidget::objectInserted, &TGraphWidget::objectRemoved, &TGraphWidget::objectChanged})
      connect(view, signal, this, &TGraphOverview::DiagramChanged);
    connect(view, &TGraphWidget::graphChanged, this, &TGraphOverview::DiagramChanged);
    connect(view, &TGraphWidget::zoomChanged, this, &TGraphOverview::ViewMoved);
    view->viewport()->installEventFilter(this);
  }
  DiagramChanged();
}

void TGraphOverview::DiagramChanged() {
  PictureStale_ = true;
  UpdateShownArea();
  update();
}

void TGraphOverview::ViewMoved() {
  const TGraphControl* control = Control();
  if (!control || control->VisibleArea() == LastVisible_) return;
  update();
}

bool TGraphOverview::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Viewport_ && (event->type() == QEvent::Paint || event->type() == QEvent::Resize))
    ViewMoved();
  return QWidget::eventFilter(watched, event);
}

// ---- Mapping ---------------------------------------------------------------------------------------

void TGraphOverview::UpdateShownArea() {
  const TGraphControl* control = Control();
  if (!control) {
    Shown_ = {};
    return;
  }
  TRect extent = control->AllExtent();
  if (extent.Right <= extent.Left || extent.Bottom <= extent.Top) extent = control->VisibleArea();
  // In 64 bits: an object may reach to the ends of the coordinate range.
  const int64_t side = std::max(int64_t{extent.Right} - extent.Left, int64_t{extent.Bottom} - extent.Top);
  Shown_ = Inflated(extent, std::max<int64_t>(8, side * MarginPercent / 100));
}

QPointF TGraphOverview::MapFromGraph(const QPointF& graphPoint) const {
  const TFit fit = FitOf(Shown_, size());
  return {graphPoint.x() * fit.Scale + fit.X, graphPoint.y() * fit.Scale + fit.Y};
}

QPointF TGraphOverview::MapToGraph(const QPointF& overviewPos) const {
  const TFit fit = FitOf(Shown_, size());
  return {(overviewPos.x() - fit.X) / fit.Scale, (overviewPos.y() - fit.Y) / fit.Scale};
}

QRectF TGraphOverview::ViewRect() const {
  const TGraphControl* control = Control();
  if (!control) return {};
  const TRect r = control->VisibleArea();
  return QRectF(MapFromGraph(QPointF(r.Left, r.Top)), MapFromGraph(QPointF(r.Right, r.Bottom)));
}

void TGraphOverview::CenterViewOn(const QPointF& graphPoint) {
  TGraphControl* control = Control();
  if (!control) return;
  const TSize client = control->ClientSize();
  const double zoom = control->Zoom() / 100.0;
  control->HorzScrollBar().SetPosition(
      static_cast<int32_t>(std::lround(graphPoint.x() * zoom - client.cx / 2.0)));
  control->VertScrollBar().SetPosition(
      static_cast<int32_t>(std::lround(graphPoint.y() * zoom - client.cy / 2.0)));
}

// ---- Drawing ---------------------------------------------------------------------------------------

QImage TGraphOverview::RenderDiagram() {
  UpdateShownArea();
  QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  TGraphControl* control = Control();
  image.fill(control ? ToQColor(control->Color()) : palette().color(QPalette::Window));
  if (!control) return image;

  std::vector<TGraphObject*> objects;
  control->ObjectsInRect(Shown_, objects);
  const TFit fit = FitOf(Shown_, image.size());
  const auto map = [&](TPoint p) { return QPointF(p.X * fit.Scale + fit.X, p.Y * fit.Scale + fit.Y); };
  // Objects smaller than a pixel become that pixel, set after painting.
  std::vector<std::pair<QPoint, QRgb>> dots;
  {
    QPainter painter(&image);
    QPolygonF line;
    // Links first and faint, nodes over them: drawn small, a diagram is its
    // nodes, and the many links between them would otherwise hide them.
    painter.setOpacity(LinkOpacity);
    for (TGraphObject* object : objects) {
      if (!object->IsShowing() || !object->IsLink()) continue;
      const TRect bounds = object->GetBoundsRect();
      const QRectF r(map({bounds.Left, bounds.Top}), map({bounds.Right, bounds.Bottom}));
      if (r.width() < 1.5 && r.height() < 1.5) continue;
      line.clear();
      for (TPoint p : static_cast<TGraphLink*>(object)->Polyline()) line.append(map(p));
      painter.setPen(ColorOf(*object));
      painter.drawPolyline(line);
    }
    painter.setOpacity(1);
    // A link shorter than a pixel shows nothing: its nodes' dots are there.
    for (TGraphObject* object : objects) {
      if (!object->IsShowing() || object->IsLink()) continue;
      const TRect bounds = object->GetBoundsRect();
      const QRectF r(map({bounds.Left, bounds.Top}), map({bounds.Right, bounds.Bottom}));
      if (r.width() < 1.5 && r.height() < 1.5)
        dots.emplace_back(r.center().toPoint(), ColorOf(*object).rgb());
      else
        painter.fillRect(r, ColorOf(*object));
    }
  }
  const QRect area = image.rect();
  for (const auto& [p, rgb] : dots)
    if (area.contains(p)) image.setPixel(p, rgb);
  return image;
}

// A diagram that changes all the time (a drag) is drawn afresh at most once
// in ten times what the last picture took, so a large one does not slow the
// view down; a small one follows every change.
void TGraphOverview::paintEvent(QPaintEvent*) {
  if (PictureStale_ || Picture_.size() != size()) {
    const qint64 wait =
        Throttled_ && SinceRefresh_.isValid() ? 10 * RenderCost_ - SinceRefresh_.elapsed() : 0;
    if (wait <= 0 || Picture_.size() != size()) {
      QElapsedTimer cost;
      cost.start();
      Picture_ = RenderDiagram();
      PictureStale_ = false;
      RenderCost_ = cost.elapsed();
      SinceRefresh_.start();
    } else if (!RefreshTimer_.isActive()) {
      RefreshTimer_.start(static_cast<int>(wait));
    }
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Picture_);
  if (const TGraphControl* control = Control()) {
    LastVisible_ = control->VisibleArea();
    const QColor highlight = palette().color(QPalette::Highlight);
    QColor fill = highlight;
    fill.setAlpha(48);
    painter.setPen(QPen(highlight, 1));
    painter.setBrush(fill);
    painter.drawRect(ViewRect().adjusted(0, 0, -1, -1));
  }
}

void TGraphOverview::resizeEvent(QResizeEvent* event) {
  PictureStale_ = true;
  UpdateShownArea();
  QWidget::resizeEvent(event);
}

void TGraphOverview::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  Dragging_ = true;
  CenterViewOn(MapToGraph(event->position()));
}

void TGraphOverview::mouseMoveEvent(QMouseEvent* event) {
  if (Dragging_ && (event->buttons() & Qt::LeftButton)) CenterViewOn(MapToGraph(event->position()));
}

void TGraphOverview::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) Dragging_ = false;
}

}  // namespace gc::qt
