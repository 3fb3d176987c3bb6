#include "GraphControl/SmartGuides.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <tuple>

#include "GraphControl/Numeric.h"

namespace gc {

namespace {

// A rectangle seen along one axis: Lo..Hi along it (Hi exclusive), CrossLo..
// CrossHi across it. The horizontal axis places vertical lines.
struct TView {
  int64_t Lo, Hi, CrossLo, CrossHi;
};

TView ViewOf(const TRect& r, bool horizontal) {
  return horizontal ? TView{r.Left, r.Right, r.Top, r.Bottom} : TView{r.Top, r.Bottom, r.Left, r.Right};
}

int32_t Clamp32(int64_t v) { return SaturateToInt32(v); }

TRect RectOf(int64_t lo, int64_t hi, int64_t crossLo, int64_t crossHi, bool horizontal) {
  return horizontal ? TRect{Clamp32(lo), Clamp32(crossLo), Clamp32(hi), Clamp32(crossHi)}
                    : TRect{Clamp32(crossLo), Clamp32(lo), Clamp32(crossHi), Clamp32(hi)};
}

TPoint PointOf(int64_t along, int64_t across, bool horizontal) {
  return horizontal ? TPoint{Clamp32(along), Clamp32(across)} : TPoint{Clamp32(across), Clamp32(along)};
}

bool Meets(const TRect& a, const TRect& b) {
  return a.Left <= b.Right && a.Right >= b.Left && a.Top <= b.Bottom && a.Bottom >= b.Top;
}

// An edge or the centre of a rectangle along an axis, in doubled units so
// that centres of odd extents stay integers.
enum TFeature : uint8_t { fLo, fMid, fHi };
constexpr TFeature AllFeatures[] = {fLo, fMid, fHi};

int64_t Doubled(const TView& v, TFeature f) {
  switch (f) {
    case fLo:
      return 2 * v.Lo;
    case fMid:
      return v.Lo + v.Hi;
    default:
      return 2 * v.Hi;
  }
}

// The pixel column (or row) where a feature of a rectangle is drawn: its
// first pixel, its middle pixel, its last pixel.
int64_t DrawnAt(const TView& v, TFeature f) {
  switch (f) {
    case fLo:
      return v.Lo;
    case fMid: {
      const int64_t sum = v.Lo + v.Hi - 1;
      return sum >= 0 ? sum / 2 : -((-sum + 1) / 2);
    }
    default:
      return v.Hi - 1;
  }
}

// The order of neighbours with the same nearest edge, so that the choice does
// not depend on the order the source returns them in.
auto Key(const TView& v) { return std::tie(v.Lo, v.Hi, v.CrossLo, v.CrossHi); }

class TSolver {
 public:
  TSolver(const TGuideRequest& request, const TGuideSource& source) : Request_(request), Source_(source) {}

  // The correction along one axis for the request's rectangle.
  int64_t Correction(bool horizontal);
  // The lines for rectangle `r`, which lies within the tolerance of the
  // request's rectangle.
  void Lines(const TRect& r, std::vector<TGuideLine>& out);

 private:
  struct TAxis {
    bool Gathered = false;
    std::vector<TView> Aligned;  // may line up with a moving feature
    std::vector<TView> Row;      // may be a neighbour in the row (column)
  };

  bool Moves(bool horizontal) const {
    const TGraphSides both = horizontal ? (gsLeft | gsRight) : (gsTop | gsBottom);
    return (Request_.Sides & both) == both;
  }
  std::vector<TFeature> MovingFeatures(bool horizontal) const;
  std::vector<TView> Query(const TRect& area, bool horizontal) const;
  TAxis& Gather(bool horizontal);
  std::optional<TView> Before(const std::vector<TView>& row, const TView& v, int64_t slack) const;
  std::optional<TView> After(const std::vector<TView>& row, const TView& v, int64_t slack) const;
  // The nearest neighbour before (after) `v` in its own row, asked of the source.
  std::optional<TView> NeighbourBefore(const TView& v, bool horizontal) const;
  std::optional<TView> NeighbourAfter(const TView& v, bool horizontal) const;
  std::vector<TView> RowOf(const TAxis& axis, const TView& v) const;

  const TGuideRequest& Request_;
  const TGuideSource& Source_;
  TAxis Axes_[2];
};

std::vector<TFeature> TSolver::MovingFeatures(bool horizontal) const {
  if (Moves(horizontal)) return {fLo, fMid, fHi};
  const TGraphSides lo = horizontal ? gsLeft : gsTop;
  const TGraphSides hi = horizontal ? gsRight : gsBottom;
  if (Request_.Sides & lo) return {fLo};
  if (Request_.Sides & hi) return {fHi};
  return {};
}

std::vector<TView> TSolver::Query(const TRect& area, bool horizontal) const {
  std::vector<TView> views;
  if (area.Left > area.Right || area.Top > area.Bottom) return views;
  std::vector<TRect> rects;
  Source_(area, rects);
  views.reserve(rects.size());
  for (const TRect& r : rects)
    if (Meets(r, Request_.Area)) views.push_back(ViewOf(r, horizontal));
  return views;
}

// The band across the area around the moving features (wide enough for the
// features of any rectangle within the tolerance), and for moves the band of
// the row the rectangle may move into.
TSolver::TAxis& TSolver::Gather(bool horizontal) {
  TAxis& axis = Axes_[horizontal ? 0 : 1];
  if (axis.Gathered) return axis;
  axis.Gathered = true;
  const TView p = ViewOf(Request_.Rect, horizontal);
  const TView area = ViewOf(Request_.Area, horizontal);
  const int64_t reach = int64_t{Request_.Tolerance} + 1;
  const std::vector<TFeature> moving = MovingFeatures(horizontal);
  if (!moving.empty()) {
    // One band from the first moving feature to the last: the bands around
    // the edges and the centre of a small rectangle overlap.
    const int64_t first = Doubled(p, moving.front()) / 2, last = Doubled(p, moving.back()) / 2;
    axis.Aligned =
        Query(RectOf(first - reach, last + reach + 1, area.CrossLo, area.CrossHi, horizontal), horizontal);
  }
  if (Moves(horizontal))
    axis.Row = Query(RectOf(area.Lo, area.Hi, p.CrossLo - reach, p.CrossHi + reach, horizontal), horizontal);
  return axis;
}

std::vector<TView> TSolver::RowOf(const TAxis& axis, const TView& v) const {
  std::vector<TView> row;
  for (const TView& c : axis.Row)
    if (c.CrossLo < v.CrossHi && c.CrossHi > v.CrossLo) row.push_back(c);
  return row;
}

std::optional<TView> TSolver::Before(const std::vector<TView>& row, const TView& v, int64_t slack) const {
  std::optional<TView> best;
  for (const TView& c : row) {
    if (c.Hi > v.Lo + slack || c.Lo >= v.Lo) continue;
    if (!best || std::tie(c.Hi, c.Lo, c.CrossLo, c.CrossHi) >
                     std::tie(best->Hi, best->Lo, best->CrossLo, best->CrossHi))
      best = c;
  }
  return best;
}

std::optional<TView> TSolver::After(const std::vector<TView>& row, const TView& v, int64_t slack) const {
  std::optional<TView> best;
  for (const TView& c : row) {
    if (c.Lo < v.Hi - slack || c.Hi <= v.Hi) continue;
    if (!best || Key(c) < Key(*best)) best = c;
  }
  return best;
}

std::optional<TView> TSolver::NeighbourBefore(const TView& v, bool horizontal) const {
  const TView area = ViewOf(Request_.Area, horizontal);
  std::vector<TView> row;
  for (const TView& c : Query(RectOf(area.Lo, v.Lo, v.CrossLo, v.CrossHi, horizontal), horizontal))
    if (c.CrossLo < v.CrossHi && c.CrossHi > v.CrossLo) row.push_back(c);
  return Before(row, v, 0);
}

std::optional<TView> TSolver::NeighbourAfter(const TView& v, bool horizontal) const {
  const TView area = ViewOf(Request_.Area, horizontal);
  std::vector<TView> row;
  for (const TView& c : Query(RectOf(v.Hi, area.Hi, v.CrossLo, v.CrossHi, horizontal), horizontal))
    if (c.CrossLo < v.CrossHi && c.CrossHi > v.CrossLo) row.push_back(c);
  return After(row, v, 0);
}

int64_t TSolver::Correction(bool horizontal) {
  const std::vector<TFeature> moving = MovingFeatures(horizontal);
  if (moving.empty()) return 0;
  const TAxis& axis = Gather(horizontal);
  const TView p = ViewOf(Request_.Rect, horizontal);
  const int64_t limit = 2 * int64_t{Request_.Tolerance};
  std::optional<int64_t> best;
  const auto consider = [&](int64_t d) {
    if (std::llabs(d) > limit) return;
    if (!best || std::llabs(d) < std::llabs(*best) || (std::llabs(d) == std::llabs(*best) && d < *best))
      best = d;
  };
  const auto align = [&](const TView& c) {
    for (const TFeature m : moving)
      for (const TFeature t : AllFeatures) consider(Doubled(c, t) - Doubled(p, m));
  };
  for (const TView& c : axis.Aligned) align(c);
  if (!Request_.Frame.IsEmpty()) align(ViewOf(Request_.Frame, horizontal));

  if (Moves(horizontal)) {
    const std::vector<TView> row = RowOf(axis, p);
    const int64_t slack = Request_.Tolerance;
    const std::optional<TView> a = Before(row, p, slack);
    const std::optional<TView> b = After(row, p, slack);
    if (a && b) {
      // Centred between the two: only exact halves give equal gaps.
      const int64_t d = a->Hi + b->Lo - p.Lo - p.Hi;
      const int64_t twoGaps = b->Lo - a->Hi - (p.Hi - p.Lo);
      if (d % 2 == 0 && twoGaps > 0) consider(d);
    }
    if (a)
      if (const std::optional<TView> a2 = NeighbourBefore(*a, horizontal); a2 && a->Lo - a2->Hi > 0)
        consider(2 * (a->Hi + (a->Lo - a2->Hi) - p.Lo));
    if (b)
      if (const std::optional<TView> b2 = NeighbourAfter(*b, horizontal); b2 && b2->Lo - b->Hi > 0)
        consider(2 * (b->Lo - (b2->Lo - b->Hi) - p.Hi));
  }
  return best ? *best / 2 : 0;
}

void TSolver::Lines(const TRect& r, std::vector<TGuideLine>& out) {
  std::vector<TGuideLine> gaps;
  for (const bool horizontal : {true, false}) {
    const std::vector<TFeature> moving = MovingFeatures(horizontal);
    if (moving.empty()) continue;
    const TAxis& axis = Gather(horizontal);
    const TView f = ViewOf(r, horizontal);
    // By doubled position: where the line is drawn and how far it reaches.
    struct TSpan {
      int64_t DrawnAt, CrossLo, CrossHi;
    };
    std::map<int64_t, TSpan> spans;
    const auto align = [&](const TView& c) {
      for (const TFeature m : moving) {
        const int64_t at = Doubled(f, m);
        for (const TFeature t : AllFeatures) {
          if (Doubled(c, t) != at) continue;
          auto [it, added] = spans.try_emplace(at, TSpan{DrawnAt(f, m), f.CrossLo, f.CrossHi});
          it->second.CrossLo = std::min(it->second.CrossLo, c.CrossLo);
          it->second.CrossHi = std::max(it->second.CrossHi, c.CrossHi);
        }
      }
    };
    for (const TView& c : axis.Aligned) align(c);
    if (!Request_.Frame.IsEmpty()) align(ViewOf(Request_.Frame, horizontal));
    for (const auto& [at, span] : spans)
      out.push_back({TGuideKind::Align, PointOf(span.DrawnAt, span.CrossLo, horizontal),
                     PointOf(span.DrawnAt, span.CrossHi - 1, horizontal)});

    if (!Moves(horizontal)) continue;
    const std::vector<TView> row = RowOf(axis, f);
    const auto gap = [&](const TView& x, const TView& y) {
      const int64_t across = (std::max(x.CrossLo, y.CrossLo) + std::min(x.CrossHi, y.CrossHi) - 1) / 2;
      const TGuideLine line{TGuideKind::Gap, PointOf(x.Hi, across, horizontal),
                            PointOf(y.Lo - 1, across, horizontal)};
      if (std::find(gaps.begin(), gaps.end(), line) == gaps.end()) gaps.push_back(line);
    };
    const std::optional<TView> a = Before(row, f, 0);
    const std::optional<TView> b = After(row, f, 0);
    if (a && b && f.Lo - a->Hi == b->Lo - f.Hi && f.Lo - a->Hi > 0) {
      gap(*a, f);
      gap(f, *b);
    }
    if (a)
      if (const std::optional<TView> a2 = NeighbourBefore(*a, horizontal);
          a2 && a->Lo - a2->Hi == f.Lo - a->Hi && f.Lo - a->Hi > 0) {
        gap(*a2, *a);
        gap(*a, f);
      }
    if (b)
      if (const std::optional<TView> b2 = NeighbourAfter(*b, horizontal);
          b2 && b2->Lo - b->Hi == b->Lo - f.Hi && b->Lo - f.Hi > 0) {
        gap(f, *b);
        gap(*b, *b2);
      }
  }
  out.insert(out.end(), gaps.begin(), gaps.end());
}

TRect Corrected(const TGuideRequest& request, int64_t dx, int64_t dy) {
  TRect r = request.Rect;
  if (request.Sides & gsLeft) r.Left = Clamp32(r.Left + dx);
  if (request.Sides & gsRight) r.Right = Clamp32(r.Right + dx);
  if (request.Sides & gsTop) r.Top = Clamp32(r.Top + dy);
  if (request.Sides & gsBottom) r.Bottom = Clamp32(r.Bottom + dy);
  return r;
}

}  // namespace

TGuideResult ComputeGuides(const TGuideRequest& request, const TGuideSource& source) {
  TSolver solver(request, source);
  const int64_t dx = solver.Correction(true);
  const int64_t dy = solver.Correction(false);
  TGuideResult result{.DX = Clamp32(dx), .DY = Clamp32(dy), .Lines = {}};
  solver.Lines(Corrected(request, dx, dy), result.Lines);
  return result;
}

std::vector<TGuideLine> GuideLinesFor(const TGuideRequest& request, const TGuideSource& source) {
  TSolver solver(request, source);
  std::vector<TGuideLine> lines;
  solver.Lines(request.Rect, lines);
  return lines;
}

}  // namespace gc
