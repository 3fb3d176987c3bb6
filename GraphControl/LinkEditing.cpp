// TGraphLink editing: hit codes, the rubber-band overlap test, cursors, the
// link's side of dragging, and the mouse editing of its points (moving,
// inserting and removing break points, hooking a dragged end point).
#include <algorithm>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"

namespace gc {

namespace {

// The part bits of a link hit code without the body bit.
constexpr THitCode PartOf(THitCode hit) { return hit & 0xFFFF & ~lhBody; }

// A rectangle including its right and bottom edges.
bool InClosedRect(const TRect& r, TPoint p) {
  return r.Left <= p.X && p.X <= r.Right && r.Top <= p.Y && p.Y <= r.Bottom;
}

// How a node marker handle spreads a link's points: the fixed anchor of the
// bounds and which deltas count, negated or not.
struct TMarkerSpread {
  THitCode Code;
  int AnchorX;  // 0 left, 1 middle, 2 right
  int AnchorY;  // 0 top, 1 middle, 2 bottom
  int SignX;    // -1 negated, 0 dropped, 1 as is
  int SignY;
};
constexpr TMarkerSpread MarkerSpreads[] = {
    {nhLeft, 2, 1, -1, 0},       {nhTop, 1, 2, 0, -1},        {nhRight, 0, 1, 1, 0},
    {nhBottom, 1, 0, 0, 1},      {nhTopLeft, 2, 2, -1, -1},   {nhTopRight, 0, 2, 1, -1},
    {nhBottomLeft, 2, 0, -1, 1}, {nhBottomRight, 0, 0, 1, 1},
};

int32_t Pick(int which, int32_t low, int32_t high) {
  return which == 0 ? low : which == 2 ? high : Halve(low + high);
}

}  // namespace

// ---- Hit testing ----------------------------------------------------------------------------------

// A link is hit within GrabRadius of its points and segments, edges
// included. The painted area alone would miss most of that: it is zero
// pixels high for a straight horizontal line of a thin pen, leaves out the
// last point of a diagonal line, and ends at the tip of an arrow head.
TRect TGraphLink::HitBounds() const {
  const TRect painted = TGraphObject::HitBounds();
  const int32_t r = GrabRadius();
  return {SaturatingSub(painted.Left, r), SaturatingSub(painted.Top, r), SaturatingAdd(painted.Right, r + 1),
          SaturatingAdd(painted.Bottom, r + 1)};
}

THitCode TGraphLink::ShapeHitTest(TPoint point) const {
  const int32_t r = GrabRadius();
  const int32_t n = PointCount();
  for (int32_t i = n - 1; i >= 0; --i)
    if (MakeSquare(Points_[static_cast<size_t>(i)], r).Contains(point))
      return Selected() ? MakeLinkHitCode(i, lhPoint) : lhBody;
  for (int32_t i = 0; i + 1 < n; ++i)
    if (DistanceToSegment(Points_[static_cast<size_t>(i)], Points_[static_cast<size_t>(i + 1)], point) <= r)
      return Selected() ? MakeLinkHitCode(i, lhSegment | lhBody) : lhBody;
  if (CaptionRegion_ && (Options() & goShowCaption) && CaptionRegion_->ContainsPoint(point))
    return lhBody | lhCaption;
  return htNone;
}

// A segment counts when it crosses any edge of the rectangle, right and
// bottom edges included, so a link that only cuts off a corner of the
// rubber band is selected too.
bool TGraphLink::OverlapsRect(const TRect& rect) const {
  if (!TGraphObject::OverlapsRect(rect)) return false;
  if (CaptionRegion_ && (Options() & goShowCaption) && CaptionRegion_->TouchesRect(rect)) return true;
  for (const TPoint& p : Points_)
    if (rect.Contains(p)) return true;
  const struct {
    TPoint Through;
    double Angle;
  } edges[] = {
      {rect.TopLeft(), 0}, {rect.TopLeft(), Pi / 2}, {rect.BottomRight(), 0}, {rect.BottomRight(), Pi / 2}};
  for (const auto& edge : edges)
    for (const TPoint& crossing : IntersectLinePolyline(edge.Through, Points_, edge.Angle))
      if (InClosedRect(rect, crossing)) return true;
  return false;
}

TCursor TGraphLink::CursorFor(THitCode hitCode) const {
  switch (PartOf(hitCode)) {
    case lhCaption:
      return PendingAction_ == paMoveLink ? crSizeAll : crHandPoint;
    case lhPoint:
      if (PendingAction_ == paRemovePoint) return crXHair3;
      if (PendingAction_ == paMovePoint) return CanHookHover_ ? crXHairLink : crXHair2;
      return crHandPoint;
    case lhSegment:
      if (PendingAction_ == paInsertPoint) return crXHair1;
      if (PendingAction_ == paMoveLink) return crSizeAll;
      return crHandPoint;
    default:
      return hitCode == lhBody ? crHandPoint : TGraphObject::CursorFor(hitCode);
  }
}

void TGraphLink::PrepareMouseAction(THitCode hitCode, TShiftState shift) {
  PendingAction_ = paNone;
  const int32_t i = LinkHitIndex(hitCode);
  const bool alt = (shift & ssAlt) != 0;
  const bool breakPointsFixed = (LinkOptions_ & gloFixedBreakPoints) != 0;
  switch (PartOf(hitCode)) {
    case lhCaption:
      if (!breakPointsFixed && CountHookedPoints() < PointCount()) PendingAction_ = paMoveLink;
      break;
    case lhPoint:
      if (!PointIsFixed(i, false)) PendingAction_ = alt ? paRemovePoint : paMovePoint;
      break;
    case lhSegment:
      if (breakPointsFixed) break;
      if (alt)
        PendingAction_ = paInsertPoint;
      else if (!PointIsFixed(i, true) && !PointIsFixed(i + 1, true))
        PendingAction_ = paMoveLink;
      break;
    default:
      break;
  }
}

// ---- Dragging --------------------------------------------------------------------------------------

TGraphSides TGraphLink::DragSides(THitCode hitCode) const {
  return hitCode & (lhBody | lhCaption | lhPoint) ? gsAll : TGraphObject::DragSides(hitCode);
}

bool TGraphLink::MoveAllPoints(int32_t dx, int32_t dy) {
  int32_t moved = 0;
  bool clamped = false;  // a point stopped at the coordinate limits
  for (int32_t i = 0; i < PointCount(); ++i) {
    if (PointIsFixed(i, true)) continue;
    TPoint& p = Points_[static_cast<size_t>(i)];
    const TPoint to{SaturatingAdd(p.X, dx), SaturatingAdd(p.Y, dy)};
    clamped |= int64_t{to.X} - p.X != dx || int64_t{to.Y} - p.Y != dy;
    p = to;
    ++moved;
  }
  if (moved == 0) return false;
  if (moved < PointCount() || clamped || IsUpdateLocked())
    Changed(chVisual | chData | chCaption | chBounds);
  else
    BoundsChanged(dx, dy, 0, 0);
  return true;
}

bool TGraphLink::SpreadByMarker(THitCode hitCode, int32_t dx, int32_t dy) {
  const auto spread = std::find_if(std::begin(MarkerSpreads), std::end(MarkerSpreads),
                                   [&](const TMarkerSpread& s) { return s.Code == hitCode; });
  if (spread == std::end(MarkerSpreads) || !CanTransform() || PointCount() == 0) return false;
  const TRect r = GetBoundsRect();
  const TPoint anchor{Pick(spread->AnchorX, r.Left, r.Right), Pick(spread->AnchorY, r.Top, r.Bottom)};
  SpreadPoints(Points_, dx * spread->SignX, dy * spread->SignY, anchor);
  Changed(chVisual | chData | chCaption | chBounds);
  return true;
}

bool TGraphLink::ApplyDrag(THitCode hitCode, int32_t dx, int32_t dy) {
  if (hitCode & lhPoint) {
    const int32_t i = LinkHitIndex(hitCode);
    if (i >= PointCount() || PointIsFixed(i, true)) return false;
    TPoint& p = Points_[static_cast<size_t>(i)];
    p = {SaturatingAdd(p.X, dx), SaturatingAdd(p.Y, dy)};
    Changed(chVisual | chData | chCaption | chBounds);
    return true;
  }
  if (hitCode & (lhBody | lhCaption)) return MoveAllPoints(dx, dy);
  if (SpreadByMarker(hitCode, dx, dy)) return true;
  return TGraphObject::ApplyDrag(hitCode, dx, dy);
}

void TGraphLink::SnapDragOffset(THitCode hitCode, int32_t& dx, int32_t& dy) {
  int32_t reference = -1;
  if (hitCode & lhPoint)
    reference = LinkHitIndex(hitCode);
  else if (hitCode & (lhBody | lhCaption))
    reference = 0;
  if (reference < 0 || reference >= PointCount()) {
    TGraphObject::SnapDragOffset(hitCode, dx, dy);
    return;
  }
  Owner()->GridSnapOffset(Points_[static_cast<size_t>(reference)], dx, dy);
}

bool TGraphLink::JoinDrag(THitCode hitCode) {
  // A link follows a group drag only as a whole.
  return (hitCode & (lhBody | lhCaption)) ? TGraphObject::JoinDrag(hitCode) : false;
}

// ---- Mouse editing ------------------------------------------------------------------------------------

// While an end or break point is dragged, a right-button press leaves a
// break point at the (snapped) mouse position and the drag goes on with the
// same point.
void TGraphLink::DropBreakPointWhileDragging(TShiftState shift, TPoint point) {
  TPoint s = ((shift & ssCtrl) != 0) != Owner()->SnapToGrid() ? Owner()->GridSnapPoint(point) : point;
  Owner()->GraphConstraints().ConfinePoint(s);
  const int32_t a = ActivePoint_;
  if (a > 0) {
    BeginDrag(point, MakeLinkHitCode(a + 1, lhPoint));
    InsertPoint(a, s);
    ActivePoint_ = a + 1;
  } else if (a == 0) {
    BeginDrag(point, MakeLinkHitCode(0, lhPoint));
    InsertPoint(1, s);
  }
}

// Returns false when the link destroyed itself (its last point was removed).
bool TGraphLink::RemoveClickedPoint(THitCode hit) {
  RemovePoint(LinkHitIndex(hit));
  if (PointCount() == 0) {
    Destroy();
    return false;
  }
  if (HasState(stDragging)) EndDrag(true);
  Owner()->SetScreenCursor(CursorFor(hit));
  return true;
}

// Event handlers (unhooking, selection) may destroy the link; the guard
// keeps it whole until the press is handled, and the press stops there.
void TGraphLink::MouseDown(TMouseButton button, TShiftState shift, TPoint point) {
  TGraphControl::TDeletionGuard keep(*Owner());
  const bool wasDragging = HasState(stDragging);
  if (wasDragging) EndDrag(true);
  if (HasState(stDestroying)) return;
  PressUnhooked_ = nullptr;
  PressInsertedPoint_ = -1;
  if (wasDragging && PendingAction_ == paMovePoint &&
      (button == TMouseButton::mbRight || (shift & ssRight))) {
    DropBreakPointWhileDragging(shift, point);
    return;
  }
  if (button != TMouseButton::mbLeft || !Selected() || IsLocked()) {
    TGraphObject::MouseDown(button, shift, point);
    return;
  }
  const THitCode hit = HitTest(point);
  PrepareMouseAction(hit, shift);
  switch (PendingAction_) {
    case paInsertPoint: {
      const int32_t placed = PlaceBreakPoint(point);
      if (placed > 0) PressInsertedPoint_ = placed;
      ActivePoint_ = placed;
      PendingAction_ = paMovePoint;
      TGraphObject::MouseDown(button, shift, point);
      break;
    }
    case paRemovePoint:
      RemoveClickedPoint(hit);
      break;
    case paMovePoint: {
      // A hooked end point is picked up free; releasing it over an object
      // that accepts it hooks it again.
      const int32_t index = LinkHitIndex(hit);
      ActivePoint_ = index;
      HoverObject_ = ObjectHookedAt(index);
      CanHookHover_ = HoverObject_ != nullptr;
      if (HoverObject_ && UnhookPoint(index)) {
        PressUnhooked_ = HoverObject_;
        PressUnhookedStart_ = index == 0;
      }
      if (HasState(stDestroying)) return;
      TGraphObject::MouseDown(button, shift, point);
      break;
    }
    case paMoveLink:
      ActivePoint_ = -1;
      TGraphObject::MouseDown(button, shift, point);
      break;
    case paNone:
      // The selection may change, but no drag starts.
      DisableDrag();
      TGraphObject::MouseDown(button, shift, point);
      EnableDrag();
      break;
  }
}

// The snapshot restored before this call was taken after the press's edits:
// it holds the inserted break point and the unhooked end, at their places
// from before the drag.
void TGraphLink::UndoPressEdits() {
  TGraphObject* unhooked = PressUnhooked_;
  const bool start = PressUnhookedStart_;
  const int32_t inserted = PressInsertedPoint_;
  ResetMouseAction();
  if (inserted > 0 && inserted < PointCount() - 1) RemovePoint(inserted);
  // The object may have left the diagram during the drag: compared by
  // address only, never dereferenced unless it is still there.
  if (unhooked && !HasState(stDestroying) && Owner()->Objects().IndexOf(unhooked) >= 0)
    Hook(start ? 0 : PointCount() - 1, unhooked);
}

void TGraphLink::MouseMove(TShiftState shift, TPoint point) {
  if (!HasState(stDragging)) {
    // The cursor chosen below shows what a press would do.
    if (Selected() && !IsLocked()) PrepareMouseAction(HitTest(point), shift);
  } else if (PendingAction_ == paMovePoint && (ActivePoint_ == 0 || ActivePoint_ == PointCount() - 1)) {
    HoverObject_ = Owner()->ObjectAtPoint(point);
    const bool allowed = !(shift & ssAlt) && CanHook(ActivePoint_, HoverObject_);
    if (allowed != CanHookHover_) {
      CanHookHover_ = allowed;
      Owner()->SetScreenCursor(CursorFor(MakeLinkHitCode(ActivePoint_, lhPoint)));
    }
  }
  TGraphObject::MouseMove(shift, point);
}

void TGraphLink::ResetMouseAction() {
  ActivePoint_ = -1;
  HoverObject_ = nullptr;
  CanHookHover_ = false;
  PendingAction_ = paNone;
  PressUnhooked_ = nullptr;
  PressInsertedPoint_ = -1;
}

void TGraphLink::MouseUp(TMouseButton button, TShiftState shift, TPoint point) {
  // Releasing the right button that dropped a break point does not end the point's drag.
  if (HasState(stDragging) && PendingAction_ == paMovePoint && button == TMouseButton::mbRight) return;
  TGraphControl::TDeletionGuard keep(*Owner());
  TGraphObject::MouseUp(button, shift, point);
  if (HasState(stDestroying)) return;
  // The hovered object may have left the diagram while the point was dragged
  // (compared by address, not dereferenced).
  if (PendingAction_ == paMovePoint && CanHookHover_ && Owner()->Objects().IndexOf(HoverObject_) >= 0)
    Hook(ActivePoint_, HoverObject_);
  ResetMouseAction();
}

}  // namespace gc
