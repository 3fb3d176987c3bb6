#include "platform/qt/QtRegion.h"

#include <QPolygonF>
#include <vector>

namespace gc::qt {

QPainterPath ToPainterPath(const TRegion& region) {
  QPainterPath path;
  const TRect& b = region.Bounds();
  const QRectF box(b.Left, b.Top, b.Width(), b.Height());
  switch (region.Kind()) {
    case TRegion::TKind::Polygon: {
      if (region.Points().size() < 3) return path;
      QPolygonF polygon;
      polygon.reserve(static_cast<qsizetype>(region.Points().size()));
      for (const TPoint& p : region.Points()) polygon << QPointF(p.X, p.Y);
      path.addPolygon(polygon);
      path.closeSubpath();
      path.setFillRule(region.FillMode() == TFillMode::fmWinding ? Qt::WindingFill : Qt::OddEvenFill);
      break;
    }
    case TRegion::TKind::Ellipse:
      if (!b.IsEmpty()) path.addEllipse(box);
      break;
    case TRegion::TKind::RoundRect:
      if (!b.IsEmpty())
        path.addRoundedRect(box, region.CornerWidth() / 2.0, region.CornerHeight() / 2.0, Qt::AbsoluteSize);
      break;
  }
  return path;
}

namespace {

// Ellipses and rounded rectangles are convex and symmetric about their
// centre, so every row's pixels form one run through the middle column:
// binary searches find its ends.
void ConvexRows(const TRegion& region, const QRect& rows, std::vector<QRect>& runs) {
  const TRect& b = region.Bounds();
  const int32_t midLeft = b.Left + (b.Width() - 1) / 2;
  const int32_t midRight = b.Left + b.Width() / 2;
  for (int y = rows.top(); y <= rows.bottom(); ++y) {
    int32_t mid;
    if (region.ContainsPoint({midLeft, y}))
      mid = midLeft;
    else if (region.ContainsPoint({midRight, y}))
      mid = midRight;
    else
      continue;
    int32_t lo = b.Left, hi = mid;  // first inside pixel in [lo, hi]
    while (lo < hi) {
      const int32_t m = lo + (hi - lo) / 2;
      if (region.ContainsPoint({m, y}))
        hi = m;
      else
        lo = m + 1;
    }
    const int32_t left = lo;
    lo = mid;
    hi = b.Right - 1;  // last inside pixel in [lo, hi]
    while (lo < hi) {
      const int32_t m = lo + (hi - lo + 1) / 2;
      if (region.ContainsPoint({m, y}))
        lo = m;
      else
        hi = m - 1;
    }
    const QRect run = QRect(QPoint(left, y), QPoint(lo, y)) & rows;
    if (!run.isEmpty()) runs.push_back(run);
  }
}

void ScanRows(const TRegion& region, const QRect& rows, std::vector<QRect>& runs) {
  for (int y = rows.top(); y <= rows.bottom(); ++y) {
    int start = -1;
    for (int x = rows.left(); x <= rows.right() + 1; ++x) {
      const bool inside = x <= rows.right() && region.ContainsPoint({x, y});
      if (inside && start < 0) start = x;
      if (!inside && start >= 0) {
        runs.emplace_back(start, y, x - start, 1);
        start = -1;
      }
    }
  }
}

}  // namespace

QRegion ToPixelRegion(const TRegion& region, const QRect& limit) {
  const TRect b = region.BoundingBox();
  if (b.IsEmpty()) return {};
  const QRect rows = QRect(QPoint(b.Left, b.Top), QPoint(b.Right - 1, b.Bottom - 1)) & limit;
  if (rows.isEmpty()) return {};
  std::vector<QRect> runs;
  if (region.Kind() == TRegion::TKind::Polygon)
    ScanRows(region, rows, runs);
  else
    ConvexRows(region, rows, runs);
  QRegion result;
  result.setRects(runs.data(), int(runs.size()));
  return result;
}

QPainterPath TransformRegion(const TRegion& region, const QTransform& transform) {
  return transform.map(ToPainterPath(region));
}

}  // namespace gc::qt
