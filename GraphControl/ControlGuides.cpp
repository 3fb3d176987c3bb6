// TGraphControl: smart guides during mouse drags of nodes. The guiding nodes
// come from the spatial index, asked only for thin bands around the dragged
// edges and the row the nodes move in, so a drag among many objects costs
// what the objects near those bands cost.
#include <algorithm>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/Numeric.h"
#include "platform/Canvas.h"

namespace gc {

void TGraphControl::SetSmartGuides(bool value) {
  if (SmartGuides_ == value) return;
  SmartGuides_ = value;
  if (!value) SetGuideLines({});
}

void TGraphControl::SetGuideColor(TColor value) {
  if (GuideColor_ == value) return;
  GuideColor_ = value;
  if (!GuideLines_.empty()) InvalidateRect(GuideLinesArea(*this));
}

// Whether the guides take part in the drag under way: on, not suspended by
// Alt, a node drags.
bool TGraphControl::GuidesActive() const {
  return SmartGuides_ && !(S_->InputShift & ssAlt) && DragSource_ && DragSource_->IsNode() &&
         !DragSource_->HasState(stDestroying);
}

// The rectangle the guides act on: the bounds of the dragged nodes for a move,
// the drag source's for a resize. False when no node drags.
bool GuideRect(const TGraphControl& control, TRect& rect, TGraphSides& sides) {
  sides = control.DragSource()->DragSides(control.DragHitTest());
  if (sides == 0) return false;
  if (sides != gsAll) {
    rect = control.DragSource()->GetBoundsRect();
    return true;
  }
  rect = EmptyMarkerRect;
  for (const TGraphObject* object : control.DraggingObjects())
    if (object->IsNode()) MergeRect(rect, object->GetBoundsRect());
  return rect != EmptyMarkerRect;
}

// The request for the dragged nodes at `rect`; the sides that move.
TGuideRequest GuideRequest(const TGraphControl& control, const TRect& rect, TGraphSides sides) {
  const TSize client = control.ClientSize();
  const TRect area =
      client.cx > 0 && client.cy > 0 ? control.VisibleArea() : control.GraphConstraints().BoundsRect();
  return {.Rect = rect,
          .Sides = sides,
          .Tolerance = PixelsToUnits(control.GuideSnapDistance(), control.Zoom()),
          .Area = area,
          .Frame = control.GuideFrame()};
}

// The bounds of the showing nodes that do not take part in the drag.
TGuideSource TGraphControl::GuideSource() const {
  return [this](const TRect& area, std::vector<TRect>& out) {
    TCandidates candidates(*this);
    SpatialIndex_->Query(area, candidates.List());
    for (const TGraphObject* object : candidates.List())
      if (object->IsNode() && !object->HasState(stDragging | stDestroying) && object->IsShowing())
        out.push_back(object->GetBoundsRect());
  };
}

void TGraphControl::SnapToGuides(int32_t& dx, int32_t& dy) {
  TRect rect;
  TGraphSides sides = 0;
  if (!GuidesActive() || !GuideRect(*this, rect, sides)) {
    SetGuideLines({});
    return;
  }
  if (sides & gsLeft) rect.Left = SaturatingAdd(rect.Left, dx);
  if (sides & gsRight) rect.Right = SaturatingAdd(rect.Right, dx);
  if (sides & gsTop) rect.Top = SaturatingAdd(rect.Top, dy);
  if (sides & gsBottom) rect.Bottom = SaturatingAdd(rect.Bottom, dy);
  TGuideResult result = ComputeGuides(GuideRequest(*this, rect, sides), GuideSource());
  dx = SaturatingAdd(dx, result.DX);
  dy = SaturatingAdd(dy, result.DY);
  S_->GuidePlaced = rect;
  if (sides & gsLeft) S_->GuidePlaced.Left = SaturatingAdd(S_->GuidePlaced.Left, result.DX);
  if (sides & gsRight) S_->GuidePlaced.Right = SaturatingAdd(S_->GuidePlaced.Right, result.DX);
  if (sides & gsTop) S_->GuidePlaced.Top = SaturatingAdd(S_->GuidePlaced.Top, result.DY);
  if (sides & gsBottom) S_->GuidePlaced.Bottom = SaturatingAdd(S_->GuidePlaced.Bottom, result.DY);
  SetGuideLines(std::move(result.Lines));
}

// After the dragged nodes moved: the lines follow where they really went
// (constraints, the minimum size and handlers may have stopped them short).
void TGraphControl::FollowGuides() {
  if (GuideLines_.empty() && !GuidesActive()) return;
  TRect rect;
  TGraphSides sides = 0;
  if (!GuidesActive() || !GuideRect(*this, rect, sides)) return SetGuideLines({});
  if (rect == S_->GuidePlaced) return;
  S_->GuidePlaced = rect;
  SetGuideLines(GuideLinesFor(GuideRequest(*this, rect, sides), GuideSource()));
}

// The lines and the ticks at the ends of the gap lines, grown by a pixel.
TRect GuideLinesArea(const TGraphControl& control) {
  TRect area = EmptyMarkerRect;
  for (const TGuideLine& line : control.GuideLines()) MergeRect(area, MakeRectFromPoints(line.From, line.To));
  if (area == EmptyMarkerRect) return area;
  const int32_t margin = PixelsToUnits(5, control.Zoom()) + 1;
  return {SaturatingSub(area.Left, margin), SaturatingSub(area.Top, margin),
          SaturatingAdd(area.Right, margin), SaturatingAdd(area.Bottom, margin)};
}

void TGraphControl::SetGuideLines(std::vector<TGuideLine> lines) {
  if (lines == GuideLines_) return;
  if (!GuideLines_.empty()) InvalidateRect(GuideLinesArea(*this));
  GuideLines_ = std::move(lines);
  if (!GuideLines_.empty()) InvalidateRect(GuideLinesArea(*this));
}

// One pixel wide whatever the zoom; a gap line carries a tick across each end.
void DrawGuideLines(const TGraphControl& control, TCanvas& canvas) {
  if (control.GuideLines().empty()) return;
  canvas.Pen().SetMode(TPenMode::pmCopy);
  canvas.Pen().SetStyle(TPenStyle::psSolid);
  canvas.Pen().SetWidth(0);
  canvas.Pen().SetColor(control.GuideColor());
  const int32_t tick = PixelsToUnits(3, control.Zoom());
  for (const TGuideLine& line : control.GuideLines()) {
    const TPoint segment[2] = {line.From, line.To};
    canvas.Polyline(segment, 2);
    if (line.Kind != TGuideKind::Gap) continue;
    const bool horizontal = line.From.Y == line.To.Y;
    for (const TPoint end : {line.From, line.To}) {
      const TPoint across[2] = {
          horizontal ? TPoint{end.X, SaturatingSub(end.Y, tick)} : TPoint{SaturatingSub(end.X, tick), end.Y},
          horizontal ? TPoint{end.X, SaturatingAdd(end.Y, tick)} : TPoint{SaturatingAdd(end.X, tick), end.Y}};
      canvas.Polyline(across, 2);
    }
  }
}

}  // namespace gc
