// TGraphControl: mouse and keyboard input. The control tracks the object
// under the mouse and routes every mouse event by command mode: panning,
// rubber band, insertion of new objects, or the hover object's own handling
// (selection, moving, resizing). The default key map cancels drags, nudges the
// selection, scrolls in cmPan and moves the selection with Tab.
#include <algorithm>
#include <cstdint>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"

namespace gc {

namespace {

bool IsInsertMode(TGraphCommandMode mode) { return mode == cmAddNode || mode == cmAddLink; }

// Scrolls a bar that is shown by `delta` pixels, kept within 0..Range.
void ScrollBarBy(TGraphScrollBar& bar, int64_t delta) {
  if (!bar.IsShown()) return;
  const int64_t position = std::clamp<int64_t>(bar.Position() + delta, 0, std::max(bar.Range(), 0));
  bar.SetPosition(static_cast<int32_t>(position));
}

TPoint Offset(TPoint p, int32_t d) {
  return {ClampToInt32(static_cast<double>(p.X) + d), ClampToInt32(static_cast<double>(p.Y) + d)};
}

}  // namespace

// ---- Hover object ------------------------------------------------------------------------

void TGraphControl::UpdateObjectAtCursor(TPoint point) {
  SetObjectAtCursor(DragSource_ ? DragSource_ : ObjectAtPoint(point));
}

void TGraphControl::MouseLeave() {
  if (Host_ && Host_->MouseCaptured()) return;
  SetObjectAtCursor(nullptr);
  SetScreenCursor(crDefault);
}

// ---- Mouse ------------------------------------------------------------------------------------

void TGraphControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (Host_ && !Host_->Focused()) Host_->SetFocus();
  TPoint point = ClientToGraph(x, y);
  UpdateObjectAtCursor(point);
  const bool plainLeft = button == TMouseButton::mbLeft && !(shift & ssDouble);
  switch (CommandMode_) {
    case cmPan:
      if (plainLeft) {
        DragStartPoint_ = {x, y};
        SetScreenCursor(crHandGrab);
      }
      break;
    case cmAddNode:
    case cmAddLink: {
      if (DragSource_) {
        DragSource_->MouseDown(button, shift, point);
        break;
      }
      if (!plainLeft) break;
      const bool snap = ((shift & ssCtrl) != 0) != SnapToGrid_;
      TGraphObject* created =
          InsertObjectAt(point, CommandMode_ == cmAddNode ? DefaultNodeClass_ : DefaultLinkClass_, snap);
      if (!created) break;
      created->SetSelected(true);
      created->MouseDown(button, shift, point);
      if (DragSource_ == created) {
        // The pointer jumps onto the grabbed corner or point.
        SetCursorPoint(point);
      } else {
        // No drag could start (a locked kind, or Shift deselected the new
        // object): the insertion is complete as it is.
        SetCommandMode(cmEdit);
        if (HoldsObject(created)) ObjectChanged(created, chData);
      }
      if (HoldsObject(created)) SetObjectAtCursor(created);
      break;
    }
    case cmBrowse:
    case cmEdit:
      if (ObjectUnderMouse_ && CommandMode_ != cmBrowse && (ObjectUnderMouse_->Options() & goSelectable)) {
        ObjectUnderMouse_->MouseDown(button, shift, point);
      } else if (plainLeft) {
        DragStartPoint_ = point;
        DragTargetPoint_ = point;
        SetSelectionRect(MakeRectFromPoints(point, point));
        SetScreenCursor(crCross);
      }
      break;
  }
}

void TGraphControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
  const TPoint point = ClientToGraph(x, y);
  UpdateObjectAtCursor(point);
  if (CommandMode_ == cmPan) {
    if (shift & ssLeft) {
      // The content follows the mouse pixel for pixel.
      if (HorzScrollBar_.IsShown()) {
        ScrollBarBy(HorzScrollBar_, static_cast<int64_t>(DragStartPoint_.X) - x);
        DragStartPoint_.X = x;
      }
      if (VertScrollBar_.IsShown()) {
        ScrollBarBy(VertScrollBar_, static_cast<int64_t>(DragStartPoint_.Y) - y);
        DragStartPoint_.Y = y;
      }
    } else {
      SetScreenCursor(crHandFlat);
    }
  } else if (SelectionRectVisible_) {
    DragTargetPoint_ = point;
    SetSelectionRect(MakeRectFromPoints(DragStartPoint_, point));
    BringIntoView(point);
  } else if (ObjectUnderMouse_ && CommandMode_ != cmBrowse) {
    ObjectUnderMouse_->MouseMove(shift, point);
  } else {
    SetScreenCursor(IsInsertMode(CommandMode_) ? crXHair1 : Cursor_);
  }
}

void TGraphControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  const TPoint point = ClientToGraph(x, y);
  UpdateObjectAtCursor(point);
  if (CommandMode_ == cmPan) {
    if (button == TMouseButton::mbLeft) SetScreenCursor(crHandFlat);
  } else if (SelectionRectVisible_) {
    const TRect band = SelectionRect_;
    if (shift & ssAlt) {
      if (!band.IsEmpty()) ZoomToRect(band);
    } else if (CommandMode_ == cmEdit) {
      SelectObjectsInRect(band, (shift & ssShift) != 0,
                          (shift & ssCtrl) ? TGraphNode::StaticClass() : TGraphObject::StaticClass());
    }
    SetSelectionRect(EmptyMarkerRect);
    SetScreenCursor(Cursor_);
  } else if (ObjectUnderMouse_ && CommandMode_ != cmBrowse) {
    ObjectUnderMouse_->MouseUp(button, shift, point);
  } else {
    SetScreenCursor(Cursor_);
  }
}

// ---- Rubber band ------------------------------------------------------------------------------

void TGraphControl::SetSelectionRect(const TRect& rect) {
  if (rect == SelectionRect_) return;
  if (SelectionRectVisible_) InvalidateRect(SelectionRect_);
  SelectionRect_ = rect;
  SelectionRectVisible_ = rect.Right >= rect.Left && rect.Bottom >= rect.Top;
  // The band takes part in the scroll range.
  CalcScrollRanges();
  if (SelectionRectVisible_) InvalidateRect(rect);
}

void TGraphControl::SelectObjectsInRect(const TRect& rect, bool toggle, const TGraphObjectClass* graphClass) {
  const TGraphObjectClass* cls = graphClass ? graphClass : TGraphObject::StaticClass();
  TUpdateLock lock(*this);
  for (int32_t i = 0; i < Objects_.Count(); ++i) {
    TGraphObject* object = Objects_.Items(i);
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
  return DefaultKeyMap_ && DefaultKeyHandler(key, shift);
}

bool TGraphControl::DefaultKeyHandler(uint16_t& key, TShiftState shift) {
  bool handled = false;
  if (DragSource_) {
    GraphConstraints_.SetSourceRect(DraggingExtent());
    handled = DragSource_->KeyDown(key, shift);
  } else if (CommandMode_ == cmEdit || IsInsertMode(CommandMode_)) {
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
    default:
      return false;
  }
}

// ---- Tooltips ------------------------------------------------------------------------------------

bool TGraphControl::InfoTipFor(TPoint client, std::string& text, TRect& clientRect) {
  TGraphObject* object = ObjectAtPoint(ClientToGraph(client));
  if (!object) return false;
  const bool shortened = object->Text() != object->DisplayText();
  if (!OnInfoTip && object->Hint().empty() && !shortened) return false;
  const TRect& bounds = object->PaintBounds();
  clientRect = TRect(GraphToClient(bounds.TopLeft()), GraphToClient(bounds.BottomRight()));
  const std::string& hint = object->Hint();
  text = hint.substr(0, hint.find('|'));
  if (text.empty() && shortened) text = object->Text();
  DoInfoTip(object, text);
  return true;
}

}  // namespace gc
