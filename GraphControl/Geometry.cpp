#include "GraphControl/Geometry.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <string_view>
#include <vector>

#include "GraphControl/Numeric.h"
#include "GraphControl/Utf8.h"
#include "platform/Canvas.h"

namespace gc {

namespace {

constexpr double HalfPi = Pi / 2;

// Sum of a coordinate and an offset, saturated to the 32-bit range so moving
// a point near the edge of the coordinate space cannot overflow.
int32_t AddCoord(int32_t c, int64_t d) { return ClampToInt32(static_cast<double>(c + d)); }

// Halving of a sum of two coordinates, formed in 64 bits so it cannot overflow.
int32_t HalfSum(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); }

TPoint Midpoint(TPoint a, TPoint b) { return {HalfSum(a.X, b.X), HalfSum(a.Y, b.Y)}; }

bool IsVertical(double angle) { return std::fabs(angle) == HalfPi; }

}  // namespace

bool IsBetween(int32_t value, int32_t bound1, int32_t bound2) {
  if (bound2 < bound1) return bound2 <= value && value <= bound1;
  return bound1 <= value && value <= bound2;
}

bool SamePoint(TPoint p1, TPoint p2) { return p1 == p2; }

double NormalizeAngle(double angle) {
  if (!std::isfinite(angle)) return angle;
  // Very large angles would take forever to bring back by steps of 2*pi.
  if (std::fabs(angle) > 1e6) angle = std::remainder(angle, 2 * Pi);
  while (angle > Pi) angle -= 2 * Pi;
  while (angle < -Pi) angle += 2 * Pi;
  return angle;
}

double LineLength(TPoint p1, TPoint p2) {
  const double dx = static_cast<double>(p2.X) - p1.X;
  const double dy = static_cast<double>(p2.Y) - p1.Y;
  return std::sqrt(dx * dx + dy * dy);
}

double LineAngle(TPoint from, TPoint to) {
  if (from.X != to.X)
    return std::atan2(static_cast<double>(to.Y) - from.Y, static_cast<double>(to.X) - from.X);
  if (to.Y < from.Y) return -HalfPi;
  if (to.Y > from.Y) return HalfPi;
  return 0;
}

TPoint BackwardPoint(TPoint origin, double angle, double distance) {
  const double c = NormalizeAngle(angle);
  if (std::fabs(c) == HalfPi) {
    const int32_t d = RoundHalfEven(distance);
    return {origin.X, c > 0 ? AddCoord(origin.Y, -int64_t{d}) : AddCoord(origin.Y, d)};
  }
  const double t = std::tan(angle);
  const double s = distance / std::sqrt(t * t + 1);
  const double x = std::fabs(c) < HalfPi ? origin.X - s : origin.X + s;
  return {RoundHalfEven(x), RoundHalfEven(t * (x - origin.X) + origin.Y)};
}

TPoint NearestPointOnSegment(TPoint a, TPoint b, TPoint p) {
  for (;;) {
    const TPoint m = Midpoint(a, b);
    if (m == a || m == b) return m;
    if (LineLength(p, Midpoint(a, m)) >= LineLength(p, Midpoint(m, b)))
      a = m;
    else
      b = m;
  }
}

double DistanceToSegment(TPoint a, TPoint b, TPoint p) {
  return LineLength(p, NearestPointOnSegment(a, b, p));
}

int NearestPoint(const TPoint* points, int high, TPoint p, TPoint& nearest) {
  double best = 1.7e308;
  int index = -1;
  for (int i = 0; i <= high; ++i) {
    const double d = LineLength(points[i], p);
    if (d < best) {
      best = d;
      index = i;
    }
  }
  if (index != -1) nearest = points[index];
  return index;
}

int NearestPoint(const TPoints& points, TPoint p, TPoint& nearest) {
  return NearestPoint(points.data(), static_cast<int>(points.size()) - 1, p, nearest);
}

void RotatePoints(TPoint* points, int high, TPoint center, double angle) {
  const double a = NormalizeAngle(angle);
  const double sinA = std::sin(a);
  const double cosA = std::cos(a);
  for (int i = 0; i <= high; ++i) {
    const double dx = static_cast<double>(points[i].X) - center.X;
    const double dy = static_cast<double>(points[i].Y) - center.Y;
    points[i].X = AddCoord(center.X, RoundHalfEven(cosA * dx - sinA * dy));
    points[i].Y = AddCoord(center.Y, RoundHalfEven(sinA * dx + cosA * dy));
  }
}

void RotatePoints(TPoints& points, TPoint center, double angle) {
  RotatePoints(points.data(), static_cast<int>(points.size()) - 1, center, angle);
}

void ScalePoints(TPoint* points, int high, TPoint center, double factor) {
  for (int i = 0; i <= high; ++i)
    points[i] = BackwardPoint(center, LineAngle(points[i], center), factor * LineLength(points[i], center));
}

void ScalePoints(TPoints& points, TPoint center, double factor) {
  ScalePoints(points.data(), static_cast<int>(points.size()) - 1, center, factor);
}

void OffsetPoints(TPoint* points, int high, int32_t dx, int32_t dy) {
  for (int i = 0; i <= high; ++i) points[i] = {AddCoord(points[i].X, dx), AddCoord(points[i].Y, dy)};
}

void OffsetPoints(TPoints& points, int32_t dx, int32_t dy) {
  OffsetPoints(points.data(), static_cast<int>(points.size()) - 1, dx, dy);
}

namespace {

int32_t SpreadCoord(int32_t c, int32_t amount, int32_t anchor) {
  if (c < anchor) return AddCoord(c, -int64_t{amount});
  if (c > anchor) return AddCoord(c, amount);
  return c;
}

}  // namespace

void SpreadPoints(TPoint* points, int high, int32_t dx, int32_t dy, TPoint anchor) {
  for (int i = 0; i <= high; ++i)
    points[i] = {SpreadCoord(points[i].X, dx, anchor.X), SpreadCoord(points[i].Y, dy, anchor.Y)};
}

void SpreadPoints(TPoints& points, int32_t dx, int32_t dy, TPoint anchor) {
  SpreadPoints(points.data(), static_cast<int>(points.size()) - 1, dx, dy, anchor);
}

TPoint CenterOfPoints(const TPoint* points, int high) {
  assert(high >= 0 && "CenterOfPoints needs at least one point");
  int64_t sx = 0;
  int64_t sy = 0;
  for (int i = 0; i <= high; ++i) {
    sx += points[i].X;
    sy += points[i].Y;
  }
  const int64_t n = int64_t{high} + 1;
  return {static_cast<int32_t>(sx / n), static_cast<int32_t>(sy / n)};
}

TPoint CenterOfPoints(const TPoints& points) {
  return CenterOfPoints(points.data(), static_cast<int>(points.size()) - 1);
}

TRect BoundsOfPoints(const TPoint* points, int high) {
  TRect r = EmptyMarkerRect;
  for (int i = 0; i <= high; ++i) {
    r.Left = std::min(r.Left, points[i].X);
    r.Top = std::min(r.Top, points[i].Y);
    r.Right = std::max(r.Right, points[i].X);
    r.Bottom = std::max(r.Bottom, points[i].Y);
  }
  return r;
}

TRect BoundsOfPoints(const TPoints& points) {
  return BoundsOfPoints(points.data(), static_cast<int>(points.size()) - 1);
}

TRect InflatedRect(const TRect& r, int32_t d) {
  return {SaturatingSub(r.Left, d), SaturatingSub(r.Top, d), SaturatingAdd(r.Right, d),
          SaturatingAdd(r.Bottom, d)};
}

TRect MakeSquare(TPoint p, int32_t half) {
  return {AddCoord(p.X, -int64_t{half}), AddCoord(p.Y, -int64_t{half}), AddCoord(p.X, half),
          AddCoord(p.Y, half)};
}

TRect MakeRectFromPoints(TPoint p1, TPoint p2) {
  return {std::min(p1.X, p2.X), std::min(p1.Y, p2.Y), std::max(p1.X, p2.X), std::max(p1.Y, p2.Y)};
}

TPoint CenterOfRect(const TRect& r) { return {HalfSum(r.Left, r.Right), HalfSum(r.Top, r.Bottom)}; }

void MergeRect(TRect& r, const TRect& other) {
  r.Left = std::min(r.Left, other.Left);
  r.Top = std::min(r.Top, other.Top);
  r.Right = std::max(r.Right, other.Right);
  r.Bottom = std::max(r.Bottom, other.Bottom);
}

void NarrowRect(TRect& r, const TRect& other) {
  r.Left = std::max(r.Left, other.Left);
  r.Top = std::max(r.Top, other.Top);
  r.Right = std::min(r.Right, other.Right);
  r.Bottom = std::min(r.Bottom, other.Bottom);
}

bool RectsOverlap(const TRect& r1, const TRect& r2) {
  return !(r1.Right < r2.Left || r2.Right < r1.Left || r1.Bottom < r2.Top || r2.Bottom < r1.Top);
}

bool IntersectLines(TPoint p, double lineAngle, TPoint q, double segAngle, TPoint& crossing) {
  const bool lineVertical = IsVertical(lineAngle);
  const bool segVertical = IsVertical(segAngle);
  if (lineVertical && segVertical) return false;
  if (lineVertical) {
    const double m = std::tan(segAngle);
    crossing = {p.X, RoundHalfEven(m * p.X + (q.Y - m * q.X))};
    return true;
  }
  if (segVertical) {
    const double k = std::tan(lineAngle);
    crossing = {q.X, RoundHalfEven(k * q.X + (p.Y - k * p.X))};
    return true;
  }
  const double k = std::tan(lineAngle);
  const double m = std::tan(segAngle);
  if (k == m) return false;
  const double f = p.Y - k * p.X;
  const double g = q.Y - m * q.X;
  crossing = {RoundHalfEven((f - g) / (m - k)), RoundHalfEven((m * f - k * g) / (m - k))};
  return true;
}

namespace {

// Appends the crossing of the line with the edge a-b when it lies on the edge.
void AddEdgeCrossing(TPoints& result, TPoint p, double angle, TPoint a, TPoint b) {
  TPoint r;
  if (IntersectLines(p, angle, a, LineAngle(a, b), r) && IsBetween(r.X, a.X, b.X) && IsBetween(r.Y, a.Y, b.Y))
    result.push_back(r);
}

}  // namespace

TPoints IntersectLinePolygon(TPoint p, const TPoint* points, int high, double angle) {
  TPoints result;
  for (int i = 0; i <= high; ++i) AddEdgeCrossing(result, p, angle, points[i], points[(i + 1) % (high + 1)]);
  return result;
}

TPoints IntersectLinePolygon(TPoint p, const TPoints& points, double angle) {
  return IntersectLinePolygon(p, points.data(), static_cast<int>(points.size()) - 1, angle);
}

TPoints IntersectLinePolyline(TPoint p, const TPoint* points, int high, double angle) {
  TPoints result;
  for (int i = 0; i < high; ++i) AddEdgeCrossing(result, p, angle, points[i], points[i + 1]);
  return result;
}

TPoints IntersectLinePolyline(TPoint p, const TPoints& points, double angle) {
  return IntersectLinePolyline(p, points.data(), static_cast<int>(points.size()) - 1, angle);
}

TPoints IntersectLineRect(TPoint p, const TRect& r, double angle) {
  const TPoint corners[4] = {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}};
  return IntersectLinePolygon(p, corners, 3, angle);
}

namespace {

// The crossings of the line through p at `angle` with the ellipse of centre
// (cx, cy) and squared half axes A, B, found from the point of the line
// nearest the centre, so that only small numbers meet: the slope form loses
// every digit when the line is nearly vertical and p lies far away.
TPoints StableLineEllipse(TPoint p, double cx, double cy, double A, double B, double angle) {
  TPoints result;
  const double dx = std::cos(angle), dy = std::sin(angle);
  const double t0 = (cx - p.X) * dx + (cy - p.Y) * dy;
  const double qx = p.X + t0 * dx, qy = p.Y + t0 * dy;
  const double u = qx - cx, v = qy - cy;
  const double a = dx * dx / A + dy * dy / B;
  const double b = 2 * (u * dx / A + v * dy / B);
  const double c = u * u / A + v * v / B - 1;
  const double D = b * b - 4 * a * c;
  if (D < 0 || a == 0) return result;
  auto at = [&](double s) { return TPoint{RoundHalfEven(qx + s * dx), RoundHalfEven(qy + s * dy)}; };
  TPoint first = at((-b - std::sqrt(D)) / (2 * a));
  TPoint second = at((-b + std::sqrt(D)) / (2 * a));
  // Smaller x first, as the slope form gives them.
  if (second.X < first.X || (second.X == first.X && second.Y < first.Y)) std::swap(first, second);
  result.push_back(first);
  if (second != first) result.push_back(second);
  return result;
}

}  // namespace

TPoints IntersectLineEllipse(TPoint p, const TRect& r, double angle) {
  TPoints result;
  if (r.IsEmpty()) return result;
  const double halfW = (static_cast<double>(r.Right) - r.Left) / 2;
  const double halfH = (static_cast<double>(r.Bottom) - r.Top) / 2;
  const double A = halfW * halfW;
  const double B = halfH * halfH;
  const double cx = (static_cast<double>(r.Left) + r.Right) / 2;
  const double cy = (static_cast<double>(r.Top) + r.Bottom) / 2;
  if (!IsVertical(angle)) {
    const double m = std::tan(angle);
    const double k = p.Y - m * p.X;
    const double j = k - cy;
    const double c = m * A * j - cx * B;
    const double f = B + m * m * A;
    const double D = c * c - (cx * cx * B + A * j * j - A * B) * f;
    if (D < 0 || f == 0) return result;
    auto add = [&](double x) { result.push_back({RoundHalfEven(x), RoundHalfEven(k + m * x)}); };
    if (D > 0) {
      add((-c - std::sqrt(D)) / f);
      add((-c + std::sqrt(D)) / f);
    } else {
      add(-c / f);
    }
    // Exact crossings lie within the ellipse's box, whose sides are whole
    // numbers, and so do they rounded: a crossing off the box, even by one,
    // means the slope form lost its digits.
    const bool offTheEllipse = std::any_of(result.begin(), result.end(), [&](TPoint q) {
      return q.X < r.Left || q.X > r.Right || q.Y < r.Top || q.Y > r.Bottom;
    });
    return offTheEllipse ? StableLineEllipse(p, cx, cy, A, B, angle) : result;
  }
  const double dx = p.X - cx;
  const double t = 1 - dx * dx / A;
  if (t > 0) {
    const double dy = std::sqrt(B) * std::sqrt(t);
    result.push_back({p.X, RoundHalfEven(cy - dy)});
    result.push_back({p.X, RoundHalfEven(cy + dy)});
  } else if (t == 0) {
    result.push_back({p.X, RoundHalfEven(cy)});
  }
  return result;
}

TPoints IntersectLineRoundRect(TPoint p, const TRect& r, int32_t cornerWidth, int32_t cornerHeight,
                               double angle) {
  TPoints result = IntersectLineRect(p, r, angle);
  // In 64 bits: a rectangle may span the whole coordinate range.
  const int64_t w = int64_t{r.Right} - r.Left;
  const int64_t h = int64_t{r.Bottom} - r.Top;
  const TPoint center = CenterOfRect(r);
  for (TPoint& c : result) {
    const int64_t ex = int64_t{c.X} - center.X;
    const int64_t ey = int64_t{c.Y} - center.Y;
    const bool inCornerZone = w / 2 - std::abs(ex) < Halve(cornerWidth) &&  //
                              h / 2 - std::abs(ey) < Halve(cornerHeight);
    if (!inCornerZone) continue;
    const int64_t left = ex > 0 ? r.Left + w - cornerWidth : r.Left;
    const int64_t top = ey > 0 ? r.Top + h - cornerHeight : r.Top;
    const TRect corner{SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(left + cornerWidth),
                       SaturateToInt32(top + cornerHeight)};
    const TPoints onCorner = IntersectLineEllipse(p, corner, angle);
    if (onCorner.size() == 2) c = ex < 0 ? onCorner[0] : onCorner[1];
  }
  return result;
}

// ---------------------------------------------------------------------------
// Text layout

namespace {

const std::string CrLf = "\r\n";

bool IsBlank(std::string_view ch) { return ch.size() == 1 && (ch[0] == ' ' || ch[0] == '\t'); }
bool IsLineBreak(std::string_view ch) { return ch.size() == 1 && (ch[0] == '\r' || ch[0] == '\n'); }

bool IsBreakChar(std::string_view ch) {
  return ch.size() == 1 && std::string_view("\t !),-./:;>?\\]}").find(ch[0]) != std::string_view::npos;
}

// The text as a sequence of whole characters.
class TCharText {
 public:
  explicit TCharText(const std::string& text) : Text_(text), Bounds_(Utf8Boundaries(text)) {}

  size_t Count() const { return Bounds_.size() - 1; }
  std::string_view Char(size_t i) const {
    return std::string_view(Text_).substr(Bounds_[i], Bounds_[i + 1] - Bounds_[i]);
  }
  // Characters first..last-1.
  std::string Range(size_t first, size_t last) const {
    return Text_.substr(Bounds_[first], Bounds_[last] - Bounds_[first]);
  }

 private:
  const std::string& Text_;
  std::vector<size_t> Bounds_;
};

int32_t TextWidth(TCanvas& canvas, const std::string& s) { return canvas.TextExtent(s).cx; }

void TrimTrailingBlanks(std::string& line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
}

}  // namespace

std::string WrapText(TCanvas& canvas, const std::string& text, int32_t maxWidth) {
  const TCharText chars(text);
  const size_t n = chars.Count();
  auto skipBlanks = [&](size_t i) {
    while (i < n && IsBlank(chars.Char(i))) ++i;
    return i;
  };

  std::string result;
  bool firstLine = true;
  size_t i = skipBlanks(0);
  while (i < n) {
    const size_t start = i;
    size_t p = start;
    size_t lastFit = start;  // one past the last accepted character
    // The line takes its first character and then as many as fit. A prefix
    // of text that fits fits too, so the longest fitting prefix is found by
    // bisection, with a few measurements instead of one per character.
    size_t end = start;
    while (end < n && !IsLineBreak(chars.Char(end))) ++end;
    if (end > start) {
      size_t low = start + 1;
      size_t high = end;
      while (low < high) {
        const size_t mid = low + (high - low + 1) / 2;
        if (TextWidth(canvas, chars.Range(start, mid)) <= maxWidth)
          low = mid;
        else
          high = mid - 1;
      }
      lastFit = p = low;
    }

    size_t lineEnd = p;
    size_t next = p;
    bool trailingBreak = false;
    if (p < n && !IsLineBreak(chars.Char(p))) {
      // Overflow at p: end at the last fitting character when p is blank,
      // else after the last break character, else inside the word.
      lineEnd = lastFit;
      next = lastFit;
      if (!IsBlank(chars.Char(p))) {
        for (size_t k = lastFit; k > start; --k) {
          if (IsBreakChar(chars.Char(k - 1))) {
            lineEnd = next = k;
            break;
          }
        }
      }
    } else if (p < n) {
      const std::string_view brk = chars.Char(p);
      next = p + 1;
      if (next < n && IsLineBreak(chars.Char(next)) && chars.Char(next) != brk) ++next;
      trailingBreak = next == n;
    }

    std::string line = chars.Range(start, lineEnd);
    TrimTrailingBlanks(line);
    if (trailingBreak) line += CrLf;
    if (!firstLine) result += CrLf;
    result += line;
    firstLine = false;
    i = skipBlanks(next);
  }
  return result;
}

namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  for (;;) {
    const size_t brk = text.find(CrLf, pos);
    if (brk == std::string::npos) break;
    lines.push_back(text.substr(pos, brk - pos));
    pos = brk + CrLf.size();
  }
  lines.push_back(text.substr(pos));
  return lines;
}

}  // namespace

std::string FitText(TCanvas& canvas, const std::string& text, const TRect& rect) {
  const int32_t width = rect.Right - rect.Left;
  const int64_t height = int64_t{rect.Bottom} - rect.Top;
  const std::string wrapped = WrapText(canvas, text, width);
  const std::vector<std::string> lines = SplitCrLf(wrapped);

  int64_t total = 0;
  size_t keptChars = 0;  // bytes of `wrapped` before the first line that does not fit
  size_t fitting = 0;
  for (; fitting < lines.size(); ++fitting) {
    const std::string& line = lines[fitting];
    total += canvas.TextExtent(line.empty() ? std::string(" ") : line).cy;
    if (total > height) break;
    keptChars += line.size() + CrLf.size();
  }
  if (fitting == lines.size()) return wrapped;

  std::string kept = wrapped.substr(0, std::min(keptChars, wrapped.size()));
  while (!kept.empty() && (kept.back() == '\r' || kept.back() == '\n')) kept.pop_back();
  if (kept.empty()) return kept;

  const size_t lastBreak = kept.rfind(CrLf);
  const size_t lastStart = lastBreak == std::string::npos ? 0 : lastBreak + CrLf.size();
  std::string body = kept.substr(lastStart);
  kept.resize(lastStart);

  // The characters before the ellipsis go one by one, last first, until the
  // line fits or only the ellipsis is left.
  const std::string_view ellipsis(canvas.HasGlyph(EllipsisCodePoint) ? EllipsisChar : EllipsisDots);
  const std::vector<size_t> bounds = Utf8Boundaries(body);
  size_t chars = bounds.size() - 1;
  body += ellipsis;
  while (chars > 0 && TextWidth(canvas, body) > width) {
    --chars;
    body.erase(bounds[chars], bounds[chars + 1] - bounds[chars]);
  }
  return kept + body;
}

}  // namespace gc
