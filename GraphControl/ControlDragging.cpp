// TGraphControl: the control side of dragging. An object's BeginDrag asks the
// control to start; the source object's moves come back through
// MoveDraggingObjects, and its EndDrag ends the drag here.
#include "GraphControl/Control.h"
#include "GraphControl/Stream.h"

namespace gc {

bool TGraphControl::BeginDragging(TGraphObject* object, TPoint point, THitCode hitCode) {
  if (!object) return false;
  DragSnapshot_.clear();
  DragSource_ = object;
  DragHitTest_ = hitCode;
  DragStartPoint_ = point;
  DragTargetPoint_ = point;
  if (!object->Selected()) {
    SelectedObjects_.Clear();
    object->SetSelected(true);
  }
  DraggingObjects_.Clear();
  DraggingObjects_.SetCapacity(SelectedObjects_.Count());
  DraggingObjects_.Add(object);
  if (CommandMode_ == cmAddNode || CommandMode_ == cmAddLink) {
    DragModified_ = true;
    return true;
  }
  DragModified_ = false;
  for (int32_t i = 0; i < SelectedObjects_.Count(); ++i) {
    TGraphObject* other = SelectedObjects_.Items(i);
    if (other == object || other->ID() == object->ID()) continue;
    if (other->JoinDrag(hitCode)) DraggingObjects_.Add(other);
  }
  // The state of the dragging objects, so that a cancelled drag can put it back.
  {
    TMemoryStream snapshot;
    SaveSnapshot(snapshot, DraggingObjects_);
    DragSnapshot_ = snapshot.Bytes();
  }
  DoObjectBeginDrag(object, hitCode);
  return true;
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
  DragTargetPoint_ = {DragTargetPoint_.X + dx, DragTargetPoint_.Y + dy};
  BringIntoView(DragTargetPoint_);
}

void TGraphControl::EndDragging(bool accept) {
  if (!DragSource_) return;
  TGraphObject* source = DragSource_;
  DragSource_ = nullptr;
  for (int32_t i = 1; i < DraggingObjects_.Count(); ++i) DraggingObjects_.Items(i)->LeaveDrag();
  DraggingObjects_.Clear();
  const bool inserting = CommandMode_ == cmAddNode || CommandMode_ == cmAddLink;
  if (!accept) {
    DragModified_ = false;
    // A new object whose insertion is cancelled goes away. When it is already
    // leaving Objects, the removal path destroys it.
    if (inserting && HoldsObject(source)) {
      source->Destroy();
    } else if (!inserting && !DragSnapshot_.empty()) {
      // Otherwise the dragged objects get their state from before the drag back.
      TMemoryStream snapshot(std::move(DragSnapshot_));
      DragSnapshot_.clear();
      RestoreSnapshot(snapshot);
    }
  }
  DragSnapshot_.clear();
  if (inserting)
    SetCommandMode(cmEdit);
  else
    DoObjectEndDrag(source, DragHitTest_, !accept);
  if (DragModified_) {
    Modified_ = true;
    DoGraphChange();
  }
}

}  // namespace gc
