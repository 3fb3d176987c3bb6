// Smart guides: while objects are dragged or resized, the edges and the centre
// of the dragged rectangle snap to the edges and centres of other objects and
// of a frame nearby, and to positions that give neighbours in a row or column
// equal spacing; lines show what the rectangle lines up with.
//
// The computation works on rectangles (right and bottom exclusive, as node
// bounds are) and asks a source for the rectangles of the guiding objects in
// an area, so that the control can answer from its spatial index and tests
// from a plain list. A source may return more rectangles than lie in the area,
// and the same one twice: the result depends only on the rectangles that meet
// the request's area.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "GraphControl/GraphObject.h"
#include "GraphControl/Types.h"

namespace gc {

enum class TGuideKind : uint8_t {
  Align,  // an edge or centre lines up with the rectangle's: a line across both
  Gap,    // one of two or more equal gaps between neighbours: a line along it
};

// A horizontal or vertical segment in graph units.
struct TGuideLine {
  TGuideKind Kind = TGuideKind::Align;
  TPoint From;
  TPoint To;
  friend bool operator==(const TGuideLine&, const TGuideLine&) = default;
};

struct TGuideRequest {
  // Where the pointer would put the dragged rectangle.
  TRect Rect;
  // The sides that move: all four for a move, the dragged edges for a resize.
  // Moves snap the edges and the centre and keep spacing; resizes snap the
  // moving edges.
  TGraphSides Sides = gsAll;
  // The largest correction along each axis, in graph units.
  int32_t Tolerance = 0;
  // Only rectangles that meet this area guide (touching counts).
  TRect Area;
  // A frame whose edges and centre guide like an object's; none when empty.
  TRect Frame;
};

struct TGuideResult {
  // The correction to add to the offset (0 where nothing is in reach).
  int32_t DX = 0;
  int32_t DY = 0;
  // The lines for the corrected rectangle, in a fixed order.
  std::vector<TGuideLine> Lines;
};

// Appends the rectangles of the guiding objects that may meet `area`.
using TGuideSource = std::function<void(const TRect& area, std::vector<TRect>& out)>;

// The correction that brings the nearest guide within the tolerance onto the
// rectangle along each axis (the smaller correction wins; equal ones prefer
// the negative), and the lines for the corrected rectangle.
TGuideResult ComputeGuides(const TGuideRequest& request, const TGuideSource& source);

// The lines for `request.Rect` as it lies (no correction).
std::vector<TGuideLine> GuideLinesFor(const TGuideRequest& request, const TGuideSource& source);

}  // namespace gc
