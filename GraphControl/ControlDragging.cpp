// TGraphControl: the control side of dragging. An object's BeginDrag asks the
// control to start; the source object's moves come back through
// MoveDraggingObjects, and its EndDrag ends the drag here. A drag is one
// gesture: accepted, its data changes are reported once; cancelled, the
// dragged objects, the links hooked onto them, the edits of the press that
// started it and the screen go back to how they were before the press, and
// no data change is reported.
#include <unordered_set>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/GraphHistory.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/ScopedValue.h"
#include "GraphControl/Stream.h"

namespace gc {

TGraphChangeFlags TGraphControl::FilterGestureChange(TGraphChangeFlags flags) {
  if (!(flags & chData)) return flags;
  if (S_->RevertingDrag) return flags & static_cast<TGraphChangeFlags>(~chData);
  if (S_->PressHold != phOff && !DragSource_) {
    S_->PressHold = phHeldChange;
    return flags & static_cast<TGraphChangeFlags>(~chData);
  }
  return flags;
}

// The press has been handled: what it changed that no drag took over is
// reported now, once.
void TGraphControl::ReleasePressChanges() {
  const bool changed = S_->PressHold == phHeldChange;
  S_->PressHold = phOff;
  if (changed) DataChanged();
}

bool TGraphControl::BeginDragging(TGraphObject* object, TPoint point, THitCode hitCode) {
  // Not an object a handler deleted meanwhile, nor one still being built.
  if (!object || object->HasState(stDestroying) || !HoldsObject(object)) return false;
  TDeletionGuard keep(*this);
  S_->History->NameStep(DragStepName(CommandMode_, hitCode), 0);
  S_->DragSnapshot.clear();
  DragSource_ = object;
  DragHitTest_ = hitCode;
  DragStartPoint_ = point;
  DragTargetPoint_ = point;
  if (!object->Selected()) {
    SelectedObjects_.Clear();
    object->SetSelected(true);
    // A selection handler may have destroyed the object, which ended the drag.
    if (DragSource_ != object) return false;
  }
  DraggingObjects_.Clear();
  DraggingObjects_.SetCapacity(SelectedObjects_.Count());
  DraggingObjects_.Add(object);
  // What the press changed before the drag began belongs to the drag.
  // A new object being placed is a change of the drag from its start.
  DragModified_ = S_->PressHold == phHeldChange || IsInsertMode(CommandMode_);
  if (S_->PressHold == phHeldChange) S_->PressHold = phHolding;
  if (IsInsertMode(CommandMode_)) return true;
  for (int32_t i = 0; i < SelectedObjects_.Count(); ++i) {
    TGraphObject* other = SelectedObjects_.Items(i);
    if (other == object || other->ID() == object->ID()) continue;
    if (other->JoinDrag(hitCode)) DraggingObjects_.Add(other);
  }
  // The state of the dragging objects and of the links hooked onto them, one
  // after the other, so that a cancelled drag can put all of it back as it
  // was: placing the hooked ends anew need not give their old points back
  // (a link hooked onto links settles within a few passes, a file keeps
  // the points it stored).
  {
    TGraphObjectList touched;
    std::unordered_set<const TGraphObject*> listed;
    for (TGraphObject* dragging : DraggingObjects_)
      if (listed.insert(dragging).second) touched.Add(dragging);
    for (int32_t i = 0; i < touched.Count(); ++i)
      for (TGraphObject* dependent : touched.Items(i)->Dependents())
        if (listed.insert(dependent).second) touched.Add(dependent);
    TMemoryStream snapshot;
    SaveSnapshot(snapshot, touched);
    S_->DragSnapshot = snapshot.Bytes();
  }
  DoObjectBeginDrag(object, hitCode);
  return DragSource_ == object;
}

void TGraphControl::MoveDraggingObjects(int32_t dx, int32_t dy) {
  if (!DragSource_ || (dx == 0 && dy == 0)) return;
  TGraphSides sides = 0;
  for (TGraphObject* object : DraggingObjects_) sides |= object->DragSides(DragHitTest_);
  GraphConstraints_.SetSourceRect(DraggingExtent());
  if (!GraphConstraints_.ConfineOffset(dx, dy, sides)) return;
  {
    TUpdateLock lock(*this);
    for (int32_t i = 0; i < DraggingObjects_.Count(); ++i)
      DraggingObjects_.Items(i)->ApplyDrag(DragHitTest_, dx, dy);
  }
  DragTargetPoint_ = {SaturatingAdd(DragTargetPoint_.X, dx), SaturatingAdd(DragTargetPoint_.Y, dy)};
  FollowGuides();
  BringIntoView(DragTargetPoint_);
}

void TGraphControl::EndDragging(bool accept) {
  if (!DragSource_) return;
  TDeletionGuard keep(*this);
  TGraphObject* source = DragSource_;
  DragSource_ = nullptr;
  const bool inserting = IsInsertMode(CommandMode_);
  {
    // The drag is over but its step is not: leaving the drag would otherwise
    // end the step with the objects still where they were dragged, and a
    // cancelled drag would then record the way back as a second step.
    TScopedValue hold(S_->HistoryHold, S_->HistoryHold + 1);
    SetGuideLines({});
    for (int32_t i = 1; i < DraggingObjects_.Count(); ++i) DraggingObjects_.Items(i)->LeaveDrag();
    DraggingObjects_.Clear();
    if (!accept) {
      DragModified_ = false;
      CancelDrag(source, inserting);
    }
  }
  S_->DragSnapshot.clear();
  if (inserting)
    SetCommandMode(cmEdit);
  else
    DoObjectEndDrag(source, DragHitTest_, !accept);
  if (DragModified_) DataChanged();
  // The gesture is one step of the history.
  HistoryQuiet();
}

// Undoes the gesture. A new object whose insertion is cancelled goes away
// (when it is already leaving Objects, the removal path destroys it).
// Otherwise the dragged objects get their state from before the drag back,
// reporting the areas they leave and take (RestoreSnapshot), and the source
// undoes what the press changed before the drag began. None of this is a
// data change: Modified stays as it was before the press.
void TGraphControl::CancelDrag(TGraphObject* source, bool inserting) {
  TScopedValue reverting(S_->RevertingDrag, true);
  if (inserting) {
    if (HoldsObject(source)) source->Destroy();
    return;
  }
  if (!S_->DragSnapshot.empty()) {
    TMemoryStream snapshot(std::move(S_->DragSnapshot));
    S_->DragSnapshot.clear();
    TLinkPointsKept kept(*this);
    RestoreSnapshot(snapshot);
  }
  if (HoldsObject(source)) {
    TQuerySuppressLock suppress(*this);
    source->UndoPressEdits();
  }
}

}  // namespace gc
