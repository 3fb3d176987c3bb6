#include "GraphControl/Region.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "GraphControl/Numeric.h"

namespace gc {

namespace {

int32_t AddCoord(int32_t c, int32_t d) { return ClampToInt32(static_cast<double>(c) + d); }

TRect Normalized(const TRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

TRect Intersection(const TRect& a, const TRect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
}

// Pixel (x, y) against the ellipse inscribed in box, in doubled coordinates
// so the pixel centre and the ellipse centre are integers: the centre lies in
// the closed ellipse.
bool PixelInEllipse(const TRect& box, int32_t x, int32_t y) {
  const long double w = static_cast<long double>(box.Right) - box.Left;
  const long double h = static_cast<long double>(box.Bottom) - box.Top;
  if (w <= 0 || h <= 0) return false;
  const long double dx = 2.0L * x + 1 - (static_cast<long double>(box.Left) + box.Right);
  const long double dy = 2.0L * y + 1 - (static_cast<long double>(box.Top) + box.Bottom);
  return dx * dx * h * h + dy * dy * w * w <= w * w * h * h;
}

// Pixel (x, y), known to lie in the bounds, against the rounded corners:
// inside a corner zone (beyond the corner ellipse's centre on both axes) the
// pixel must lie in that corner's ellipse.
bool PixelInRoundRect(const TRect& b, int32_t cw, int32_t ch, int32_t x, int32_t y) {
  if (cw <= 0 || ch <= 0) return true;
  const int64_t px = 2 * int64_t{x} + 1;
  const int64_t py = 2 * int64_t{y} + 1;
  const bool left = px < 2 * int64_t{b.Left} + cw;
  const bool right = px > 2 * int64_t{b.Right} - cw;
  const bool top = py < 2 * int64_t{b.Top} + ch;
  const bool bottom = py > 2 * int64_t{b.Bottom} - ch;
  if (!(left || right) || !(top || bottom)) return true;
  const int32_t cl = left ? b.Left : b.Right - cw;
  const int32_t ct = top ? b.Top : b.Bottom - ch;
  return PixelInEllipse({cl, ct, cl + cw, ct + ch}, x, y);
}

// One crossing of a polygon edge with the horizontal line through the centres
// of a pixel row.
struct TCrossing {
  double X;
  int Direction;  // +1 for an edge going down, -1 going up
  bool operator<(const TCrossing& o) const { return X < o.X; }
};

// Calls f(crossing) for every edge that crosses the centre line of row y.
// Vertices have integer coordinates and the centre line is at y + 0.5, so an
// edge never touches it at an end: no vertex needs special care.
template <class F>
void ForEachCrossing(const TPoints& pts, int32_t y, F f) {
  const size_t n = pts.size();
  const double yc = y + 0.5;
  for (size_t i = 0; i < n; ++i) {
    const TPoint a = pts[i];
    const TPoint b = pts[(i + 1) % n];
    if (a.Y == b.Y) continue;
    const bool down = a.Y < b.Y;
    const int32_t lo = down ? a.Y : b.Y;
    const int32_t hi = down ? b.Y : a.Y;
    if (y < lo || y >= hi) continue;
    const double x = a.X + (yc - a.Y) * (static_cast<double>(b.X) - a.X) / (static_cast<double>(b.Y) - a.Y);
    f(TCrossing{x, down ? 1 : -1});
  }
}

bool IsInside(TFillMode mode, int count, int winding) {
  return mode == TFillMode::fmAlternate ? (count & 1) != 0 : winding != 0;
}

// A pixel's centre is inside when the crossings to its right (strictly) say
// so, which puts centres on a left edge inside and on a right edge outside.
bool PixelInPolygon(const TPoints& pts, TFillMode mode, int32_t x, int32_t y) {
  const double px = x + 0.5;
  int count = 0;
  int winding = 0;
  ForEachCrossing(pts, y, [&](const TCrossing& c) {
    if (c.X > px) {
      ++count;
      winding += c.Direction;
    }
  });
  return IsInside(mode, count, winding);
}

// The smallest column x with x + 0.5 >= v.
double FirstColumnAtOrRight(double v) {
  double x = std::ceil(v - 0.5);
  while (x + 0.5 < v) x += 1;
  while (x - 0.5 >= v) x -= 1;
  return x;
}

// Whether any pixel of columns [left, right) in row y is in the polygon. The
// inside parts of the row are the gaps [c[k], c[k+1]) between sorted
// crossings whose crossings to the right make them inside.
bool RowTouchesPolygon(const TPoints& pts, TFillMode mode, int32_t y, int32_t left, int32_t right,
                       std::vector<TCrossing>& crossings) {
  crossings.clear();
  ForEachCrossing(pts, y, [&](const TCrossing& c) { crossings.push_back(c); });
  std::sort(crossings.begin(), crossings.end());
  int count = static_cast<int>(crossings.size());
  int winding = 0;
  for (const TCrossing& c : crossings) winding += c.Direction;
  for (size_t k = 0; k + 1 < crossings.size(); ++k) {
    --count;
    winding -= crossings[k].Direction;
    if (!IsInside(mode, count, winding)) continue;
    const double x = std::max(static_cast<double>(left), FirstColumnAtOrRight(crossings[k].X));
    if (x < right && x + 0.5 < crossings[k + 1].X) return true;
  }
  return false;
}

// Rows of an area that TouchesRect asks one by one; a taller area is
// decided by OutlineEntersBox.
constexpr int64_t MaxScannedRows = 1024;

// Whether a polygon edge meets the box of the area's pixel centres: with the
// middle pixel outside, the polygon then reaches into the area, and without
// such an edge it lies wholly outside. Exact for every shape at least a
// pixel wide; a sliver thinner than a pixel counts as touching.
bool OutlineEntersBox(const TPoints& pts, const TRect& area) {
  const double left = area.Left + 0.5;
  const double right = area.Right - 0.5;
  const double top = area.Top + 0.5;
  const double bottom = area.Bottom - 0.5;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const TPoint a = pts[i];
    const TPoint b = pts[(i + 1) % n];
    // Clips the segment a + t (b - a), 0 <= t <= 1, to the box.
    const double dx = static_cast<double>(b.X) - a.X;
    const double dy = static_cast<double>(b.Y) - a.Y;
    double t0 = 0;
    double t1 = 1;
    const auto clip = [&](double p, double q) {
      if (p == 0) return q >= 0;
      const double t = q / p;
      if (p < 0) {
        if (t > t1) return false;
        t0 = std::max(t0, t);
      } else {
        if (t < t0) return false;
        t1 = std::min(t1, t);
      }
      return true;
    };
    if (clip(-dx, a.X - left) && clip(dx, right - a.X) && clip(-dy, a.Y - top) && clip(dy, bottom - a.Y) &&
        t0 <= t1)
      return true;
  }
  return false;
}

// The column (or row) in [lo, hi) whose pixel centre is nearest to the
// doubled coordinate `twiceCenter`.
int32_t NearestIndex(int64_t twiceCenter, int32_t lo, int32_t hi) {
  const int64_t num = twiceCenter - 1;
  const int64_t best = num >= 0 ? num / 2 : -((-num + 1) / 2);
  return static_cast<int32_t>(std::clamp<int64_t>(best, lo, int64_t{hi} - 1));
}

}  // namespace

TRegion TRegion::Polygon(const TPoints& points, TFillMode mode) {
  TRegion r;
  r.Kind_ = TKind::Polygon;
  r.FillMode_ = mode;
  r.Points_ = points;
  r.UpdateBox();
  return r;
}

TRegion TRegion::Ellipse(const TRect& bounds) {
  TRegion r;
  r.Kind_ = TKind::Ellipse;
  r.Box_ = Normalized(bounds);
  return r;
}

TRegion TRegion::RoundRect(const TRect& bounds, int32_t cw, int32_t ch) {
  TRegion r;
  r.Kind_ = TKind::RoundRect;
  r.Box_ = Normalized(bounds);
  // A corner ellipse larger than the rectangle is cut to its size.
  r.CornerWidth_ = std::clamp(cw, 0, r.Box_.Width());
  r.CornerHeight_ = std::clamp(ch, 0, r.Box_.Height());
  return r;
}

void TRegion::UpdateBox() {
  if (Points_.empty()) {
    Box_ = TRect();
    return;
  }
  Box_ = {Points_[0], Points_[0]};
  for (const TPoint& p : Points_) {
    Box_.Left = std::min(Box_.Left, p.X);
    Box_.Top = std::min(Box_.Top, p.Y);
    Box_.Right = std::max(Box_.Right, p.X);
    Box_.Bottom = std::max(Box_.Bottom, p.Y);
  }
}

void TRegion::Offset(int32_t dx, int32_t dy) {
  if (Kind_ != TKind::Polygon) {
    Box_ = {AddCoord(Box_.Left, dx), AddCoord(Box_.Top, dy), AddCoord(Box_.Right, dx),
            AddCoord(Box_.Bottom, dy)};
    return;
  }
  for (TPoint& p : Points_) p = {AddCoord(p.X, dx), AddCoord(p.Y, dy)};
  UpdateBox();
}

template <class TMapX, class TMapY>
TRegion TRegion::Mapped(TMapX mx, TMapY my, double scaleX, double scaleY) const {
  TRegion r = *this;
  if (Kind_ == TKind::Polygon) {
    for (TPoint& p : r.Points_) p = {mx(p.X), my(p.Y)};
    r.UpdateBox();
    return r;
  }
  r.Box_ = Normalized({mx(Box_.Left), my(Box_.Top), mx(Box_.Right), my(Box_.Bottom)});
  if (Kind_ == TKind::RoundRect) {
    r.CornerWidth_ = std::clamp(RoundHalfEven(CornerWidth_ * std::fabs(scaleX)), 0, r.Box_.Width());
    r.CornerHeight_ = std::clamp(RoundHalfEven(CornerHeight_ * std::fabs(scaleY)), 0, r.Box_.Height());
  }
  return r;
}

TRegion TRegion::Transformed(double scaleX, double scaleY, int32_t offsetX, int32_t offsetY) const {
  return Mapped([&](int32_t x) { return AddCoord(RoundHalfEven(x * scaleX), offsetX); },
                [&](int32_t y) { return AddCoord(RoundHalfEven(y * scaleY), offsetY); }, scaleX, scaleY);
}

TRegion TRegion::Zoomed(int32_t zoom, int32_t offsetX, int32_t offsetY) const {
  if (zoom <= 0) zoom = 100;
  const double scale = zoom / 100.0;
  return Mapped([&](int32_t x) { return SaturatingAdd(UnitsToPixels(x, zoom), offsetX); },
                [&](int32_t y) { return SaturatingAdd(UnitsToPixels(y, zoom), offsetY); }, scale, scale);
}

bool TRegion::ContainsPoint(TPoint p) const {
  if (!Box_.Contains(p)) return false;
  switch (Kind_) {
    case TKind::Polygon:
      return PixelInPolygon(Points_, FillMode_, p.X, p.Y);
    case TKind::Ellipse:
      return PixelInEllipse(Box_, p.X, p.Y);
    case TKind::RoundRect:
      return PixelInRoundRect(Box_, CornerWidth_, CornerHeight_, p.X, p.Y);
  }
  return false;
}

bool TRegion::TouchesRect(const TRect& r) const {
  const TRect area = Intersection(r, Box_);
  if (area.IsEmpty()) return false;
  if (Kind_ != TKind::Polygon) {
    // Ellipses and rounded rectangles are convex and symmetric about their
    // centre lines, so the pixel of the area nearest to the centre on each
    // axis is in the region whenever any pixel of the area is.
    const int32_t x = NearestIndex(int64_t{Box_.Left} + Box_.Right, area.Left, area.Right);
    const int32_t y = NearestIndex(int64_t{Box_.Top} + Box_.Bottom, area.Top, area.Bottom);
    return ContainsPoint({x, y});
  }
  // Most touching rectangles cover the middle of the shape: try that first.
  const TPoint middle{static_cast<int32_t>((int64_t{area.Left} + area.Right) / 2),
                      static_cast<int32_t>((int64_t{area.Top} + area.Bottom) / 2)};
  if (ContainsPoint(middle)) return true;
  // A tall area is decided by the outline: asking it row by row would take
  // as long as the area is tall, and a shape read from a file can span the
  // whole coordinate range.
  if (int64_t{area.Bottom} - area.Top > MaxScannedRows) return OutlineEntersBox(Points_, area);
  std::vector<TCrossing> crossings;
  for (int32_t y = area.Top; y < area.Bottom; ++y)
    if (RowTouchesPolygon(Points_, FillMode_, y, area.Left, area.Right, crossings)) return true;
  return false;
}

}  // namespace gc
