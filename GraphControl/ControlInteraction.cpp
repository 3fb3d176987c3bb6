// TGraphControl: mouse and keyboard input. The control tracks the object
// under the mouse and routes every mouse event by command mode: panning,
// rubber band, insertion of new objects, or the hover object's own handling
// (selection, moving, resizing). The middle button, and the left button while
// Space is held, pan in every mode. The default key map cancels drags and
// bands, nudges the selection, scrolls in cmPan and moves the selection with
// Tab. Every entry holds a deletion guard: event handlers may destroy the
// objects the input is working on.
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"

namespace gc {

namespace {

bool Gone(const TGraphObject* object) { return object->HasState(stDestroying); }

// Scrolls a bar that is shown by `delta` pixels, kept within 0..Range.
void ScrollBarBy(TGraphScrollBar& bar, int64_t delta) {
  if (!bar.IsShown()) return;
  const int64_t position = std::clamp<int64_t>(bar.Position() + delta, 0, std::max(bar.Range(), 0));
  bar.SetPosition(static_cast<int32_t>(position));
}

// Scrolls the shown bars so the content follows the mouse, pixel for pixel,
// from `anchor` to client (x, y); `anchor` becomes the new position on those
// axes.
void PanBy(TGraphControl& control, TPoint& anchor, int32_t x, int32_t y) {
  if (control.HorzScrollBar().IsShown()) {
    ScrollBarBy(control.HorzScrollBar(), static_cast<int64_t>(anchor.X) - x);
    anchor.X = x;
  }
  if (control.VertScrollBar().IsShown()) {
    ScrollBarBy(control.VertScrollBar(), static_cast<int64_t>(anchor.Y) - y);
    anchor.Y = y;
  }
}

TPoint Offset(TPoint p, int32_t d) {
  return {ClampToInt32(static_cast<double>(p.X) + d), ClampToInt32(static_cast<double>(p.Y) + d)};
}

// The release that ends a rubber band: Alt zooms to the band, otherwise in
// cmEdit the band selects (Shift toggles, Ctrl takes only nodes).
void EndRubberBand(TGraphControl& control, TShiftState shift) {
  const TRect band = control.SelectionRect();
  if (shift & ssAlt) {
    if (!band.IsEmpty()) control.ZoomToRect(band);
  } else if (control.CommandMode() == cmEdit) {
    control.SelectObjectsInRect(band, (shift & ssShift) != 0,
                                (shift & ssCtrl) ? TGraphNode::StaticClass() : TGraphObject::StaticClass());
  }
  control.SetSelectionRect(EmptyMarkerRect);
  control.SetScreenCursor(control.Cursor());
}

// Escape without a drag: ends a rubber band or leaves an insert mode.
bool EscapeWithoutDrag(TGraphControl& control) {
  if (control.SelectionRectVisible()) {
    control.SetSelectionRect(EmptyMarkerRect);
    control.SetScreenCursor(control.Cursor());
    return true;
  }
  if (IsInsertMode(control.CommandMode())) {
    control.SetCommandMode(cmEdit);
    return true;
  }
  return false;
}

}  // namespace

// ---- Hover object ------------------------------------------------------------------------

void TGraphControl::UpdateObjectAtCursor(TPoint point) {
  SetObjectAtCursor(DragSource_ ? DragSource_ : ObjectAtPoint(point));
}

void TGraphControl::MouseLeave() {
  if (Host_ && Host_->MouseCaptured()) return;
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  SetObjectAtCursor(nullptr);
  SetScreenCursor(crDefault);
}

void TGraphControl::MouseCaptureLost() {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  S_->StillPress.reset();
  S_->Panning = false;
  S_->PanKeyHeld = false;
  if (DragSource_) DragSource_->EndDrag(false);
  if (SelectionRectVisible()) SetSelectionRect(EmptyMarkerRect);
  SetScreenCursor(crDefault);
}

// ---- Mouse ------------------------------------------------------------------------------------

void TGraphControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  // A press and the drag it starts are one history step, and it ends a row
  // of nudges.
  THistoryStep gesture(*this);
  S_->NudgeKey = 0;
  S_->InputShift = shift;
  if (Host_ && !Host_->Focused()) Host_->SetFocus();
  DoMouseDown(button, shift, x, y);
  const TPoint point = ClientToGraph(x, y);
  UpdateObjectAtCursor(point);
  if (DragThreshold_ > 0)
    S_->StillPress = TPoint{x, y};
  else
    S_->StillPress.reset();
  if (button == TMouseButton::mbMiddle && GestureBeneath(*this) == mgNone) {
    S_->Panning = true;
    S_->PanAnchor = {x, y};
    SetScreenCursor(crHandGrab);
    return;
  }
  const bool plainLeft = button == TMouseButton::mbLeft && !(shift & ssDouble);
  // A press within a press (from an event handler) belongs to the outer one.
  const bool outerPress = S_->PressHold == phOff;
  if (outerPress) S_->PressHold = phHolding;
  TScopeExit endHold([this, outerPress] {
    if (outerPress) S_->PressHold = phOff;
  });
  switch (S_->PanKeyHeld ? cmPan : CommandMode_) {
    case cmPan:
      if (plainLeft) {
        DragStartPoint_ = {x, y};
        SetScreenCursor(crHandGrab);
      }
      break;
    case cmAddNode:
    case cmAddLink:
      PressToInsert(button, shift, point);
      break;
    case cmBrowse:
    case cmEdit:
      PressToEdit(button, shift, point);
      break;
  }
  if (outerPress) ReleasePressChanges();
}

// The press in an insert mode (MouseDown).
void TGraphControl::PressToInsert(TMouseButton button, TShiftState shift, TPoint point) {
  if (DragSource_) {
    DragSource_->MouseDown(button, shift, point);
    return;
  }
  if (button != TMouseButton::mbLeft || (shift & ssDouble)) return;
  const bool snap = ((shift & ssCtrl) != 0) != SnapToGrid_;
  TGraphObject* created =
      InsertObjectAt(point, CommandMode_ == cmAddNode ? DefaultNodeClass_ : DefaultLinkClass_, snap);
  if (!created) return;
  created->SetSelected(true);
  if (!Gone(created)) created->MouseDown(button, shift, point);
  if (DragSource_ == created) {
    // The pointer jumps onto the grabbed corner or point; the drag threshold
    // counts from there.
    SetCursorPoint(point);
    if (S_->StillPress) S_->StillPress = GraphToClient(point);
  } else {
    // No drag could start (a locked kind, Shift deselected the new object, or
    // a handler removed it): the insertion is complete as it is.
    SetCommandMode(cmEdit);
    if (HoldsObject(created)) ObjectChanged(created, chData);
  }
  if (HoldsObject(created)) SetObjectAtCursor(created);
}

// The press in cmBrowse and cmEdit (MouseDown).
void TGraphControl::PressToEdit(TMouseButton button, TShiftState shift, TPoint point) {
  if (ObjectUnderMouse_ && CommandMode_ != cmBrowse && (ObjectUnderMouse_->Options() & goSelectable)) {
    ObjectUnderMouse_->MouseDown(button, shift, point);
  } else if (button == TMouseButton::mbLeft && !(shift & ssDouble)) {
    DragStartPoint_ = point;
    DragTargetPoint_ = point;
    SetSelectionRect(MakeRectFromPoints(point, point));
    SetScreenCursor(crCross);
  }
}

void TGraphControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  S_->InputShift = shift;
  const TPoint point = ClientToGraph(x, y);
  UpdateObjectAtCursor(point);
  if (S_->Panning) {
    PanBy(*this, S_->PanAnchor, x, y);
  } else if (S_->PanKeyHeld || CommandMode_ == cmPan) {
    if (shift & ssLeft)
      PanBy(*this, DragStartPoint_, x, y);
    else
      SetScreenCursor(crHandFlat);
  } else if (!HoldsStill(x, y)) {
    switch (Gesture()) {
      case mgRubberBand:
        DragTargetPoint_ = point;
        SetSelectionRect(MakeRectFromPoints(DragStartPoint_, point));
        BringIntoView(point);
        break;
      case mgNone:
      case mgDragging:
      case mgPanning:
        if (ObjectUnderMouse_ && CommandMode_ != cmBrowse)
          ObjectUnderMouse_->MouseMove(shift, point);
        else
          SetScreenCursor(IsInsertMode(CommandMode_) ? crXHair1 : Cursor_);
        break;
    }
  }
  DoMouseMove(shift, x, y);
}

void TGraphControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  // The drag that ends here and what the release does after it (a link end
  // hooked onto the object under it) are one history step.
  THistoryStep gesture(*this);
  const TPoint point = ClientToGraph(x, y);
  UpdateObjectAtCursor(point);
  if (S_->Panning) {
    if (button == TMouseButton::mbMiddle) {
      S_->Panning = false;
      SetScreenCursor(S_->PanKeyHeld || CommandMode_ == cmPan ? crHandFlat : Cursor_);
    }
  } else if (S_->PanKeyHeld || CommandMode_ == cmPan) {
    if (button == TMouseButton::mbLeft) SetScreenCursor(crHandFlat);
  } else {
    switch (Gesture()) {
      case mgRubberBand:
        EndRubberBand(*this, shift);
        break;
      case mgNone:
      case mgDragging:
      case mgPanning:
        if (ObjectUnderMouse_ && CommandMode_ != cmBrowse)
          ObjectUnderMouse_->MouseUp(button, shift, point);
        else
          SetScreenCursor(Cursor_);
        break;
    }
  }
  S_->StillPress.reset();
  DoMouseUp(button, shift, x, y);
}

// The jitter of a click: a band or a drag does not follow a press that has
// not moved DragThreshold pixels (Manhattan distance) from where it went down.
bool TGraphControl::HoldsStill(int32_t x, int32_t y) {
  if (S_->StillPress && Gesture() != mgNone) {
    const int64_t distance = std::llabs(static_cast<int64_t>(x) - S_->StillPress->X) +
                             std::llabs(static_cast<int64_t>(y) - S_->StillPress->Y);
    if (distance < DragThreshold_) return true;
  }
  S_->StillPress.reset();
  return false;
}

// ---- Zoom at a point -------------------------------------------------------------------------

// Zooms to `newZoom` (clamped) keeping the graph point under client point
// `anchor` where it is. False when the zoom did not change.
bool TGraphControl::ZoomAt(int32_t newZoom, TPoint anchor) {
  newZoom = std::clamp(newZoom, MinZoom, MaxZoom);
  if (newZoom == Zoom_) return false;
  const TPoint fixed = ClientToGraph(anchor);
  Zoom_ = newZoom;
  CalcScrollRanges();
  if (HorzScrollBar_.IsShown())
    HorzScrollBar_.SetPosition(SaturatingSub(UnitsToPixels(fixed.X, Zoom_), anchor.X));
  if (VertScrollBar_.IsShown())
    VertScrollBar_.SetPosition(SaturatingSub(UnitsToPixels(fixed.Y, Zoom_), anchor.Y));
  Invalidate();
  DoZoomChange();
  return true;
}

// ---- Rubber band ------------------------------------------------------------------------------

void TGraphControl::SetSelectionRect(const TRect& rect) {
  if (rect == SelectionRect_) return;
  if (SelectionRectVisible()) InvalidateRect(SelectionRect_);
  SelectionRect_ = rect;
  // The band takes part in the scroll range.
  CalcScrollRanges();
  if (SelectionRectVisible()) InvalidateRect(rect);
}

void TGraphControl::SelectObjectsInRect(const TRect& rect, bool toggle, const TGraphObjectClass* graphClass) {
  const TGraphObjectClass* cls = graphClass ? graphClass : TGraphObject::StaticClass();
  TUpdateLock lock(*this);
  // Only the objects near the band and, unless toggling, the selected ones
  // can change; they are visited in z-order as a scan of Objects would.
  TCandidates candidates(*this);
  SelectionCandidates(rect, !toggle, candidates.List());
  TRemovalWatch watch(*this);
  for (TGraphObject* object : candidates.List()) {
    if (watch.Removed(object)) continue;
    if (object->InheritsFrom(cls) && object->OverlapsRect(rect))
      object->SetSelected(!(toggle && object->Selected()));
    else if (!toggle)
      object->SetSelected(false);
  }
}

// ---- Insertion -------------------------------------------------------------------------------------

TGraphObject* TGraphControl::InsertObjectAt(TPoint& point, const TGraphObjectClass* graphClass, bool snap) {
  if (!graphClass) return nullptr;
  TGraphObject* created = nullptr;
  if (graphClass->IsNode()) {
    TPoint topLeft = snap ? GridSnapPoint(point) : point;
    if (!GraphConstraints_.WithinBounds(topLeft)) return nullptr;
    int32_t size = MinNodeSize_;
    if (SnapToGrid_ && GridSize_ >= MinNodeSize_) {
      size = GridSize_;
    } else if (SnapToGrid_ && GridSize_ > 0 && MinNodeSize_ % GridSize_ != 0) {
      // The size rounded up to a whole number of grid steps.
      size = ClampToInt32(static_cast<double>(MinNodeSize_) + GridSize_ - MinNodeSize_ % GridSize_);
    }
    TPoint bottomRight = Offset(topLeft, size);
    GraphConstraints_.ConfinePoint(bottomRight);
    point = topLeft;
    created = AddNode(TRect(topLeft, bottomRight), graphClass);
    if (created) point = created->GetBoundsRect().BottomRight();
  } else {
    if (TGraphObject* source = ObjectAtPoint(point)) created = AddLink(source, {point}, graphClass);
    if (!created) {
      if (snap) point = GridSnapPoint(point);
      if (GraphConstraints_.WithinBounds(point)) created = AddLink({point, point}, graphClass);
    }
    if (created) {
      const auto* link = static_cast<const TGraphLink*>(created);
      if (link->PointCount() > 0) point = link->Points(link->PointCount() - 1);
    }
  }
  return created;
}

// ---- Keyboard -----------------------------------------------------------------------------------

bool TGraphControl::KeyDown(uint16_t& key, TShiftState shift) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  return DefaultKeyMap_ && DefaultKeyHandler(key, shift);
}

void TGraphControl::KeyUp(uint16_t& key, TShiftState shift) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  const uint16_t released = key;
  DoKeyUp(key, shift);
  if (released == VK_SPACE && S_->PanKeyHeld) {
    S_->PanKeyHeld = false;
    SetScreenCursor(IsInsertMode(CommandMode_) ? crXHair1 : Cursor_);
  }
}

bool TGraphControl::DefaultKeyHandler(uint16_t& key, TShiftState shift) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  bool handled = false;
  if (DragSource_) {
    GraphConstraints_.SetSourceRect(DraggingExtent());
    handled = DragSource_->KeyDown(key, shift);
  } else if (CommandMode_ == cmEdit || IsInsertMode(CommandMode_)) {
    const bool nudge = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    const bool resize = (shift & ssShift) != 0;
    std::optional<THistoryStep> step;
    if (nudge && !SelectedObjects_.IsEmpty())
      step.emplace(*this, resize ? "resize" : "move", NudgeStepKey(resize));
    // Every object confines its step against the same source rectangle, so
    // the whole selection moves by the same amount.
    GraphConstraints_.SetSourceRect(SelectedExtent());
    TUpdateLock lock(*this);
    const std::vector<TGraphObject*> selection = SelectedObjects_.Items();
    for (TGraphObject* object : selection) {
      if (!HoldsObject(object)) continue;
      if (object->KeyDown(key, shift)) handled = true;
    }
  }
  if (handled) return true;
  switch (key) {
    case VK_TAB:
      if (CommandMode_ != cmEdit && !IsInsertMode(CommandMode_)) return false;
      SelectFollowing((shift & ssShift) != 0);
      return true;
    case VK_LEFT:
    case VK_RIGHT:
      if (CommandMode_ != cmPan) return false;
      ScrollBarBy(HorzScrollBar_, key == VK_LEFT ? -static_cast<int64_t>(HorzScrollBar_.Increment())
                                                 : HorzScrollBar_.Increment());
      return true;
    case VK_UP:
    case VK_DOWN:
      if (CommandMode_ != cmPan) return false;
      ScrollBarBy(VertScrollBar_, key == VK_UP ? -static_cast<int64_t>(VertScrollBar_.Increment())
                                               : VertScrollBar_.Increment());
      return true;
    case VK_ESCAPE:
      return !DragSource_ && EscapeWithoutDrag(*this);
    case VK_SPACE:
      return BeginSpacePan();
    default:
      return false;
  }
}

// A nudge continues the nudges before it (one merge key) while it comes soon
// after the last, is of the same kind and moves the same selection, and
// nothing else went into the history in between (the history then merges).
int32_t TGraphControl::NudgeStepKey(bool resize) {
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
  std::vector<uint32_t> selection;
  selection.reserve(static_cast<size_t>(SelectedObjects_.Count()));
  for (const TGraphObject* object : SelectedObjects_) selection.push_back(object->ID());
  const bool continues = S_->NudgeKey != 0 && now - S_->LastNudge < NudgeMergeTime_ &&
                         resize == S_->NudgeResizes && selection == S_->NudgeSelection;
  if (!continues) {
    S_->NudgeKey = S_->NextNudgeKey;
    S_->NextNudgeKey = S_->NextNudgeKey == INT32_MIN ? -1 : S_->NextNudgeKey - 1;
  }
  S_->LastNudge = now;
  S_->NudgeResizes = resize;
  S_->NudgeSelection = std::move(selection);
  return S_->NudgeKey;
}

// Space held pans like cmPan, unless a gesture is under way or the mode pans
// anyway. Repeats of the held key are handled and change nothing.
bool TGraphControl::BeginSpacePan() {
  if (S_->PanKeyHeld) return true;
  if (CommandMode_ == cmPan || Gesture() != mgNone) return false;
  S_->PanKeyHeld = true;
  SetScreenCursor(crHandFlat);
  return true;
}

// ---- Focus --------------------------------------------------------------------------------------

void TGraphControl::DoEnter() {
  Raise(OnEnter);
  if (HideSelection_) InvalidateSelectionMarks(*this);
}

void TGraphControl::DoExit() {
  Raise(OnExit);
  if (HideSelection_) InvalidateSelectionMarks(*this);
}

// ---- Tooltips ------------------------------------------------------------------------------------

bool TGraphControl::InfoTipFor(TPoint client, std::string& text, TRect& clientRect) {
  TGraphObject* object = ObjectAtPoint(ClientToGraph(client));
  if (!object) return false;
  const bool shortened = object->Text() != object->DisplayText();
  if (!OnInfoTip && object->Hint().empty() && !shortened) return false;
  const TRect& bounds = object->PaintBounds();
  clientRect = TRect(GraphToClient(bounds.TopLeft()), GraphToClient(bounds.BottomRight()));
  text = ShortHint(object->Hint());
  if (text.empty() && shortened) text = object->Text();
  DoInfoTip(object, text);
  return true;
}

std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

std::string LongHint(const std::string& hint) {
  const size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

}  // namespace gc
