#include "platform/qt/QtTypes.h"

#include <QImage>
#include <cmath>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"
#include "platform/qt/QtCanvas.h"

namespace gc::qt {

namespace {

int32_t Round(qreal v) { return ClampToInt32(std::nearbyint(v)); }

}  // namespace

TPoint ToTPoint(const QPointF& point) { return {Round(point.x()), Round(point.y())}; }

QPointF ToQPointF(TPoint point) { return {static_cast<qreal>(point.X), static_cast<qreal>(point.Y)}; }

TRect ToTRect(const QRectF& rect) {
  return {Round(rect.left()), Round(rect.top()), Round(rect.right()), Round(rect.bottom())};
}

QRectF ToQRectF(const TRect& rect) {
  return QRectF(QPointF(rect.Left, rect.Top), QPointF(rect.Right, rect.Bottom));
}

TColor ToTColor(const QColor& color) { return TQtCanvas::FromQColor(color); }

QColor ToQColor(TColor color) {
  if ((color & 0xFF000000u) != clSystemColor) return TQtCanvas::ToQColor(color);
  QImage pixel(1, 1, QImage::Format_RGB32);
  const TQtCanvas canvas(&pixel);
  return TQtCanvas::ToQColor(canvas.ColorToRGB(color));
}

TGraphNode* AddNode(TGraphControl& graph, const QRectF& bounds, const TGraphObjectClass* nodeClass) {
  return static_cast<TGraphNode*>(graph.AddNode(ToTRect(bounds), nodeClass));
}

TGraphLink* AddLink(TGraphControl& graph, TGraphObject* source, const QList<QPointF>& points,
                    const TGraphObjectClass* linkClass) {
  TPoints graphPoints;
  graphPoints.reserve(static_cast<size_t>(points.size()));
  for (const QPointF& p : points) graphPoints.push_back(ToTPoint(p));
  return static_cast<TGraphLink*>(graph.AddLink(source, graphPoints, linkClass));
}

TGraphObject* ObjectAtPoint(const TGraphControl& graph, const QPointF& point) {
  return graph.ObjectAtPoint(ToTPoint(point));
}

void BringIntoView(TGraphControl& graph, const QRectF& rect) { graph.BringIntoView(ToTRect(rect)); }

void CenterView(TGraphControl& graph, const QPointF& point) { graph.CenterView(ToTPoint(point)); }

void SetColor(TBrush& brush, const QColor& color) { brush.SetColor(ToTColor(color)); }
void SetColor(TPen& pen, const QColor& color) { pen.SetColor(ToTColor(color)); }
void SetColor(TFont& font, const QColor& color) { font.SetColor(ToTColor(color)); }
void SetColor(TGraphControl& graph, const QColor& color) { graph.SetColor(ToTColor(color)); }

}  // namespace gc::qt
