#include "GraphControl/GraphObject.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/ScopedValue.h"
#include "platform/Canvas.h"

namespace gc {

namespace {

// Keyboard nudging drags as the mouse would: the bottom-right corner to
// resize, the body to move.
constexpr THitCode NudgeResizeHitCode = nhBottomRight;
constexpr THitCode NudgeMoveHitCode = htBody;

bool RectsIntersect(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

const TGraphObjectClass* TGraphObject::StaticClass() {
  static const TGraphObjectClass cls("TGraphObject", nullptr, false, nullptr);
  return &cls;
}

const TGraphObjectClass* TGraphObject::ClassType() const { return StaticClass(); }

TGraphObject* TGraphObject::Construct(const TGraphObjectClass* cls, TGraphControl* owner) {
  return Construct(cls, owner, [](TGraphObject*) {});
}

TGraphObject* TGraphObject::Complete(TConstructionGuard& guard) {
  TGraphObject* object = guard.Get();
  TGraphControl::TDeletionGuard keep(*object->Owner_);
  object->AfterConstruction();
  guard.Release();
  return object->HasState(stDestroying) ? nullptr : object;
}

TGraphObject::TGraphObject(TGraphControl* owner) : Owner_(owner), Font_(owner->Font()) {
  Font_.OnChange = [this] { FontChanged(); };
  Brush_.OnChange = [this] { Changed(chVisual | chData); };
  Pen_.OnChange = [this] {
    Changed(chVisual | chData | chCaption | chBounds);
    Owner_->UpdateSpatialEntry({}, this);  // the markers' reach depends on the pen
  };
}

TGraphObject::TLinkLists& TGraphObject::Lists() {
  if (!Lists_) {
    Lists_ = std::make_unique<TLinkLists>();
    Lists_->Dependents.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
      DependentsListChanged(o, a);
    };
    Lists_->LinksIn.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
      LinksInChanged(o, a);
    };
    Lists_->LinksOut.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
      LinksOutChanged(o, a);
    };
  }
  return *Lists_;
}

const TGraphObjectList& TGraphObject::NoObjects() {
  static const TGraphObjectList empty;
  return empty;
}

TGraphObject::~TGraphObject() {
  // The lists report what they still hold when they go; nobody listens any more.
  if (Lists_) {
    Lists_->Dependents.OnChange = nullptr;
    Lists_->LinksIn.OnChange = nullptr;
    Lists_->LinksOut.OnChange = nullptr;
  }
  Font_.OnChange = nullptr;
  Brush_.OnChange = nullptr;
  Pen_.OnChange = nullptr;
}

void TGraphObject::AfterConstruction() {
  // Deleted by an event handler while being built: it never enters the diagram.
  if (HasState(stDestroying)) return;
  if (HasState(stConverting)) {
    RemoveState(stConverting | stCreating);
    Prepare();
    Changed(chVisual | chData | chBounds);
    return;
  }
  if (!HasState(stLoading)) {
    SetID(Owner_->NewObjectID(this));
    Owner_->DoObjectInitInstance(this);
    if (HasState(stDestroying)) return;
  }
  RemoveState(stCreating);
  Prepare();
  Owner_->Objects().Add(this);
}

void TGraphObject::Destroy() {
  if (HasState(stDestroying)) return;
  AddState(stDestroying);
  // Leaving the diagram and the links unhooking from it are one history step.
  TGraphControl::THistoryStep step(*Owner_);
  if (!HasState(stConverting)) {
    // Skips the list search when the object already left Objects (the removal
    // path destroys it), which keeps clearing n objects O(n).
    if (Owner_->HoldsObject(this)) Owner_->Objects().Remove(this);
    BroadcastToDependents(gdkGoingAway);
  }
  if (!Owner_->DeferFree({}, this)) delete this;
}

void TGraphObject::FreeDestroyed(TGraphObject* object) {
  assert(object->HasState(stDestroying) && "only an object whose Destroy ran is freed later");
  delete object;
}

void TGraphObject::SetID(uint32_t id) {
  if (id == ID_) return;
  const uint32_t oldID = ID_;
  ID_ = id;
  Owner_->ObjectIDChanged({}, this, oldID);
}

// ---- Properties ----------------------------------------------------------------

void TGraphObject::SetText(const std::string& value) {
  if (Text_ == value) return;
  Text_ = value;
  Changed(chVisual | chData | chCaption);
}

void TGraphObject::SetHint(const std::string& value) {
  if (Hint_ == value) return;
  Hint_ = value;
  Changed(chData);
}

void TGraphObject::FontChanged() {
  ParentFont_ = false;
  Changed(chVisual | chData | chCaption);
}

void TGraphObject::CopyParentFontSilently() {
  TScopedValue<TChangeCallback> detached(Font_.OnChange, nullptr);
  Font_.Assign(Owner_->Font());
}

void TGraphObject::SetParentFont(bool value) {
  if (ParentFont_ == value) return;
  ParentFont_ = value;
  if (value) {
    CopyParentFontSilently();
    Changed(chVisual | chData | chCaption);
  } else {
    Changed(chData);
  }
}

void TGraphObject::SetOptions(TGraphObjectOptions value) {
  if (Options_ == value) return;
  // Showing or hiding the caption changes what a link paints.
  const bool captionShown = ((Options_ ^ value) & goShowCaption) != 0;
  Options_ = value;
  Changed(captionShown ? chVisual | chData | chCaption : chVisual | chData);
  // A non-selectable object is never selected.
  if (Selected_ && !(Options_ & goSelectable)) SetSelected(false);
}

void TGraphObject::SetVisible(bool value) {
  if (Visible_ == value) return;
  Visible_ = value;
  Owner_->UpdateSpatialEntry({}, this);
  // Unless hidden objects are shown anyway, the diagram's extent changes too.
  Changed(chVisual | chData | (Owner_->ShowHiddenObjects() ? 0 : chBounds));
}

void TGraphObject::SetSelected(bool value) {
  // Only an object of the diagram can be selected: not one a handler has
  // deleted meanwhile, nor one still being built.
  if (value && (!(Options_ & goSelectable) || HasState(stDestroying) || !Owner_->HoldsObject(this)))
    value = false;
  if (Selected_ == value) return;
  // OnObjectSelect may destroy this object; the repaint request below is
  // then a no-op on an object that is still whole.
  TGraphControl::TDeletionGuard keep(*Owner_);
  Selected_ = value;
  if (value)
    Owner_->SelectedObjects().Add(this);
  else
    Owner_->SelectedObjects().Remove(this);
  Changed(chVisual);
}

void TGraphObject::SetHasCustomData(bool value) {
  if (HasCustomData_ == value) return;
  HasCustomData_ = value;
  Changed(chData);
}

int32_t TGraphObject::ZOrder() const { return Owner_->Objects().IndexOf(this); }

void TGraphObject::SetZOrder(int32_t value) {
  TGraphObjectList& objects = Owner_->Objects();
  const int32_t current = objects.IndexOf(this);
  if (current < 0) return;
  if (value < 0 || value >= objects.Count()) value = objects.Count() - 1;
  objects.Move(current, value);
}

void TGraphObject::BringToFront() { SetZOrder(std::numeric_limits<int32_t>::max()); }
void TGraphObject::SendToBack() { SetZOrder(0); }

bool TGraphObject::IsShowing() const {
  return (Visible_ || Owner_->ShowHiddenObjects()) && !HasState(stDestroying);
}

void TGraphObject::Assign(const TGraphObject& source) {
  if (&source == this) return;
  TGraphObject::TUpdateLock lock(*this);
  SetText(source.Text_);
  SetHint(source.Hint_);
  SetBrush(source.Brush_);
  SetPen(source.Pen_);
  SetFont(source.Font_);
  SetParentFont(source.ParentFont_);
  SetVisible(source.Visible_);
  SetOptions(source.Options_);
}

// ---- Life cycle and change protocol ---------------------------------------------

void TGraphObject::Prepare() {
  if (!HasState(stLoading)) ResolveReferences();
  UpdateCaptionPlacement(true, 0, 0);
  PaintBounds_ = ComputePaintBounds();
  Owner_->UpdateSpatialEntry({}, this);
  BroadcastToDependents(gdkChanged);
}

void TGraphObject::FinishLoading() {
  RemoveState(stLoading);
  ResolveReferences();
}

void TGraphObject::RenumberID(uint32_t oldID, uint32_t newID) {
  if (ID_ == oldID) SetID(newID);
}

void TGraphObject::SubstituteObject(TGraphObject* oldObject, TGraphObject* newObject) {
  if (!Lists_) return;
  for (TGraphObjectList* list : {&Lists_->Dependents, &Lists_->LinksIn, &Lists_->LinksOut})
    while (list->Replace(oldObject, newObject) >= 0) {
    }
}

void TGraphObject::BroadcastToDependents(TGraphDependencyKind kind) {
  // The list's own enumeration survives dependents unhooking themselves.
  if (!Lists_) return;
  TGraphObjectList& dependents = Lists_->Dependents;
  for (TGraphObject* dependent = dependents.First(); dependent; dependent = dependents.Next())
    dependent->DependencyChanged(this, kind);
}

void TGraphObject::Changed(TGraphChangeFlags flags) {
  if (IsUpdateLocked()) {
    PendingChanges_ |= flags;
    return;
  }
  // The changes of the dependents this change moves belong to its step.
  TGraphControl::THistoryStep step(*Owner_);
  if (flags & chHooks) RefreshHooks();
  if ((flags & chCaption) && (!Text_.empty() || !DisplayText_.empty())) UpdateCaptionPlacement(true, 0, 0);
  if (flags & chBounds) BroadcastToDependents(gdkChanged);
  if ((flags & chVisual) && (flags & VisualTriggers_)) {
    const TRect bounds = ComputePaintBounds();
    if (bounds != PaintBounds_) {
      flags |= chBounds;
      Invalidate();
      PaintBounds_ = bounds;
      Owner_->UpdateSpatialEntry({}, this);
    }
  }
  if (flags & (chData | chBounds)) Owner_->DoObjectChange(this);
  Owner_->ObjectChanged(this, flags);
}

void TGraphObject::BoundsChanged(int32_t dx, int32_t dy, int32_t dWidth, int32_t dHeight) {
  // A painted area that touches the coordinate limits (it may have been cut
  // there) or would leave them is computed again.
  auto fits = [](int32_t c, int32_t d) {
    const int64_t moved = int64_t{c} + d;
    return c != INT32_MIN && c != INT32_MAX && moved > INT32_MIN && moved < INT32_MAX;
  };
  const bool movedOnly = dWidth == 0 && dHeight == 0 && fits(PaintBounds_.Left, dx) &&
                         fits(PaintBounds_.Right, dx) && fits(PaintBounds_.Top, dy) &&
                         fits(PaintBounds_.Bottom, dy);
  if (!Text_.empty()) UpdateCaptionPlacement(!movedOnly, dx, dy);
  TScopedValue restoreTriggers(VisualTriggers_);
  if (movedOnly) {
    // A pure move shifts the painted area instead of recomputing it.
    Invalidate();
    PaintBounds_ = {PaintBounds_.Left + dx, PaintBounds_.Top + dy, PaintBounds_.Right + dx,
                    PaintBounds_.Bottom + dy};
    Owner_->UpdateSpatialEntry({}, this);
    VisualTriggers_ &= static_cast<TGraphChangeFlags>(~(chData | chBounds));
  }
  Changed(chVisual | chData | chBounds);
}

void TGraphObject::LinksInChanged(TGraphObject* object, TGraphListAction action) {
  if (action == glaAdded)
    Dependents().Add(object);
  else if (action == glaRemoved)
    Dependents().Remove(object);
}

void TGraphObject::LinksOutChanged(TGraphObject* object, TGraphListAction action) {
  LinksInChanged(object, action);
}

void TGraphObject::ParentFontChanged() {
  if (!ParentFont_) return;
  CopyParentFontSilently();
  Changed(chVisual | chCaption);
}

bool TGraphObject::IsUpdateLocked() const {
  return HasState(stCreating | stDestroying | stReading | stUpdating);
}

int32_t TGraphObject::GrabRadius() const { return std::max(Pen_.Width() / 2, Owner_->MarkerSize()); }

TRect TGraphObject::GetSelectedPaintBounds() const {
  const int32_t grow = Owner_->MarkerSize() - Pen_.Width() / 2;
  return grow > 0 ? InflatedRect(PaintBounds_, grow) : PaintBounds_;
}

void TGraphObject::BeginUpdate() {
  if (UpdateCount_ == 0) {
    AddState(stUpdating);
    PendingChanges_ = 0;
  }
  ++UpdateCount_;
}

void TGraphObject::EndUpdate() {
  if (UpdateCount_ <= 0) return;
  if (--UpdateCount_ > 0) return;
  RemoveState(stUpdating);
  if (PendingChanges_ != 0) Changed(PendingChanges_);
}

// ---- Drawing ---------------------------------------------------------------------

void TGraphObject::Invalidate() const { Owner_->InvalidateRect(GetSelectedPaintBounds()); }

void TGraphObject::DrawMarker(TCanvas& canvas, TPoint point, bool enabled) {
  const TRect marker = MakeSquare(point, Owner_->MarkerSize());
  canvas.Rectangle(marker);
  if (!enabled) canvas.Rectangle(InflatedRect(marker, -2));
}

void TGraphObject::Draw(TCanvas& canvas) {
  if (!IsVisibleOn(canvas)) return;
  canvas.Brush().Assign(Brush_);
  canvas.Pen().Assign(Pen_);
  canvas.Font().Assign(Font_);
  Owner_->DoObjectBeforeDraw(canvas, this);
  DrawBody(canvas);
  if (Options_ & goShowCaption) DrawCaption(canvas);
  Owner_->DoObjectAfterDraw(canvas, this);
}

void TGraphObject::DrawOverlay(TCanvas& canvas) {
  if (!IsVisibleOn(canvas)) return;
  if (HasState(stDragging)) {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Pen().SetMode(TPenMode::pmNot);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    const int32_t width = Pen_.Width();
    canvas.Pen().SetWidth(width < 2 ? width + 2 : (width - 1) / 2);
    DrawDragOutline(canvas);
  } else if (Selected_) {
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetMode(TPenMode::pmCopy);
    canvas.Pen().SetStyle(TPenStyle::psInsideFrame);
    canvas.Pen().SetColor(Owner_->MarkerColor());
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Brush().SetColor(Owner_->Color());
    DrawMarkers(canvas);
  }
}

bool TGraphObject::IsVisibleOn(TCanvas& canvas) const {
  if (!IsShowing()) return false;
  if (canvas.IsMetafile()) return true;
  return RectsIntersect(GetSelectedPaintBounds(), canvas.ClipRect());
}

// ---- Hit testing -------------------------------------------------------------------

TRect TGraphObject::HitBounds() const { return Selected_ ? GetSelectedPaintBounds() : PaintBounds_; }

THitCode TGraphObject::HitTest(TPoint point) const {
  if (!IsShowing()) return htNone;
  if (!HitBounds().Contains(point)) return htNone;
  const THitCode code = ShapeHitTest(point);
  return code == htNone || (Options_ & goSelectable) ? code : htNotSelectable;
}

bool TGraphObject::OverlapsRect(const TRect& rect) const {
  if (!IsShowing()) return false;
  return RectsOverlap(rect, Selected_ ? GetSelectedPaintBounds() : PaintBounds_);
}

TCursor TGraphObject::CursorFor(THitCode /*hitCode*/) const { return Owner_->Cursor(); }

// ---- Dragging ----------------------------------------------------------------------

bool TGraphObject::JoinDrag(THitCode /*hitCode*/) {
  // A locked object never joins a mouse drag, nor one that refuses dragging.
  if (HasState(stNoDrag) || IsLocked()) return false;
  AddState(stDragging);
  Changed(chVisual);
  return true;
}

bool TGraphObject::LeaveDrag() {
  if (!HasState(stDragging)) return false;
  RemoveState(stDragging);
  Changed(chVisual);
  return true;
}

void TGraphObject::DisableDrag() {
  if (NoDragCount_ == 0) AddState(stNoDrag);
  ++NoDragCount_;
}

void TGraphObject::EnableDrag() {
  if (NoDragCount_ <= 0) return;
  if (--NoDragCount_ == 0) RemoveState(stNoDrag);
}

bool TGraphObject::BeginDrag(TPoint point, THitCode hitCode) {
  if (HasState(stNoDrag | stDestroying)) return false;
  if (Owner_->DragSource() && Owner_->DragSource() != this) return false;
  if (hitCode == htFromPoint) hitCode = HitTest(point);
  // False also when an event handler ended the drag or destroyed this object.
  TGraphControl::TDeletionGuard keep(*Owner_);
  if (!Owner_->BeginDragging(this, point, hitCode)) return false;
  AddState(stDragging);
  Changed(chVisual);
  return true;
}

bool TGraphObject::DragTo(TPoint point, bool snap) {
  const TPoint target = Owner_->DragTargetPoint();
  // Saturating: a target stopped at the coordinate limits may lie far away.
  return DragBy(SaturatingSub(point.X, target.X), SaturatingSub(point.Y, target.Y), snap);
}

bool TGraphObject::DragBy(int32_t dx, int32_t dy, bool snap) {
  if (Owner_->DragSource() != this) return false;
  if (dx == 0 && dy == 0) return true;
  if (snap) SnapDragOffset(Owner_->DragHitTest(), dx, dy);
  Owner_->SnapToGuides(dx, dy);
  Owner_->MoveDraggingObjects(dx, dy);
  return true;
}

bool TGraphObject::EndDrag(bool accept) {
  if (Owner_->DragSource() != this) return false;
  RemoveState(stDragging);
  Changed(chVisual);
  Owner_->EndDragging(accept);
  return true;
}

// ---- Mouse and keyboard --------------------------------------------------------------

void TGraphObject::SetScreenCursor(TCursor cursor) const { Owner_->SetScreenCursor(cursor); }

// Every step may run event handlers that destroy this object; the guard
// keeps it whole until the press is handled, and the press stops there.
void TGraphObject::MouseDown(TMouseButton button, TShiftState shift, TPoint point) {
  TGraphControl::TDeletionGuard keep(*Owner_);
  if (HasState(stDragging)) EndDrag(true);
  if (HasState(stDestroying)) return;
  if (Selected_ && (shift & ssShift)) {
    SetSelected(false);
  } else if (!Selected_ && (Options_ & goSelectable)) {
    if (!(shift & ssShift)) Owner_->SelectedObjects().Clear();
    SetSelected(true);
  }
  if (HasState(stDestroying)) return;
  const THitCode code = HitTest(point);
  if (button == TMouseButton::mbLeft && !(shift & ssDouble) && Selected_ && !IsLocked())
    BeginDrag(point, code);
  if (HasState(stDestroying)) return;
  SetScreenCursor(CursorFor(code));
}

void TGraphObject::MouseMove(TShiftState shift, TPoint point) {
  if (HasState(stDragging))
    DragTo(point, ((shift & ssCtrl) != 0) != Owner_->SnapToGrid());
  else
    SetScreenCursor(CursorFor(HitTest(point)));
}

void TGraphObject::MouseUp(TMouseButton /*button*/, TShiftState /*shift*/, TPoint point) {
  if (!HasState(stDragging)) return;
  TGraphControl::TDeletionGuard keep(*Owner_);
  EndDrag(true);
  if (!HasState(stDestroying)) SetScreenCursor(CursorFor(HitTest(point)));
}

bool TGraphObject::KeyDown(uint16_t key, TShiftState shift) {
  if (key == VK_ESCAPE) {
    if (!HasState(stDragging)) return false;
    EndDrag(false);
    return true;
  }
  int32_t dx = 0;
  int32_t dy = 0;
  switch (key) {
    case VK_LEFT:
      dx = -1;
      break;
    case VK_UP:
      dy = -1;
      break;
    case VK_RIGHT:
      dx = 1;
      break;
    case VK_DOWN:
      dy = 1;
      break;
    default:
      return false;
  }
  if (shift & ~(ssShift | ssCtrl)) return false;
  if (((shift & ssCtrl) != 0) != Owner_->SnapToGrid()) {
    dx *= Owner_->GridSize();
    dy *= Owner_->GridSize();
  }
  const bool resize = (shift & ssShift) != 0;
  if (Owner_->GraphConstraints().ConfineOffset(dx, dy, resize ? gsRight | gsBottom : gsAll))
    ApplyDrag(resize ? NudgeResizeHitCode : NudgeMoveHitCode, dx, dy);
  return true;
}

// ---- Locking and deletion -------------------------------------------------------------

bool TGraphObject::IsLocked() const { return IsLink() ? Owner_->LockLinks() : Owner_->LockNodes(); }

bool TGraphObject::CanDelete() {
  bool allow = true;
  Owner_->DoCanRemoveObject(this, allow);
  return allow;
}

bool TGraphObject::Delete() {
  if (!CanDelete()) return false;
  Destroy();
  return true;
}

}  // namespace gc
