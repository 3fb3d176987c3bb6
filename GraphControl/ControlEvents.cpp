// TGraphControl: the event dispatchers, the hover object, and the routing of
// clicks, double clicks and context-menu requests to the selection.
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/ScopedValue.h"

namespace gc {

// ---- Deletion guards --------------------------------------------------------------------

TGraphControl::TDeletionGuard::TDeletionGuard(TGraphControl& control, TScope scope)
    : Control_(control), Entry_(scope == Entry), Outermost_(Entry_ && control.FreeingAllowed()) {
  if (Outermost_) Control_.FreeDeferredObjects();
  ++Control_.S_->DeletionGuards;
  if (Entry_) ++Control_.S_->EntryDepth;
}

TGraphControl::TDeletionGuard::~TDeletionGuard() {
  --Control_.S_->DeletionGuards;
  if (Outermost_) Control_.FreeDeferredObjects();
  if (Entry_ && --Control_.S_->EntryDepth == 0) Control_.FlushHostNotices();
}

// ---- The host's notices ---------------------------------------------------------------

// Tells the host of an event (IGraphHost::ControlEvent).
void TGraphControl::NotifyHost(TControlEvent event, const TGraphObject* object) {
  if (!Host_ || Destroying_) return;
  // Receivers may change the diagram as handlers may.
  TScopedValue running(S_->HandlersRunning, S_->HandlersRunning + 1);
  Host_->ControlEvent(event, object ? object->ID() : 0);
}

// Reports a changed selection and a changed Modified to the host. They are
// reported once the control is back with the program: at the end of the
// outermost update lock and of the outermost call into the control, or at once
// when neither is open.
void TGraphControl::FlushHostNotices() {
  if (UpdateCount_ > 0 || S_->EntryDepth > 0) return;
  if (S_->SelectionNoticePending) {
    S_->SelectionNoticePending = false;
    NotifyHost(TControlEvent::SelectionChanged);
  }
  if (Modified_ != S_->ModifiedNoticed) {
    S_->ModifiedNoticed = Modified_;
    NotifyHost(TControlEvent::ModifiedChanged);
  }
}

void TGraphControl::DoZoomChange() {
  Raise(OnZoomChange);
  NotifyHost(TControlEvent::ZoomChanged);
}

void TGraphControl::DoGraphChange() {
  Raise(OnGraphChange);
  NotifyHost(TControlEvent::GraphChanged);
  FlushHostNotices();
}

void TGraphControl::DoCommandModeChange() {
  if (Destroying_) return;
  Raise(OnCommandModeChange);
  NotifyHost(TControlEvent::CommandModeChanged);
}

void TGraphControl::DoBeforeDraw(TCanvas& canvas) { Raise(OnBeforeDraw, canvas); }

void TGraphControl::DoAfterDraw(TCanvas& canvas) { Raise(OnAfterDraw, canvas); }

void TGraphControl::DoObjectClick(TGraphObject* object) {
  Raise(OnObjectClick, object);
  NotifyHost(TControlEvent::ObjectClicked, object);
}

void TGraphControl::DoObjectDblClick(TGraphObject* object) {
  Raise(OnObjectDblClick, object);
  NotifyHost(TControlEvent::ObjectDoubleClicked, object);
}

void TGraphControl::DoObjectInitInstance(TGraphObject* object) { Raise(OnObjectInitInstance, object); }

void TGraphControl::DoObjectInsert(TGraphObject* object) {
  Raise(OnObjectInsert, object);
  NotifyHost(TControlEvent::ObjectInserted, object);
}

void TGraphControl::DoObjectRemove(TGraphObject* object) {
  Raise(OnObjectRemove, object);
  NotifyHost(TControlEvent::ObjectRemoved, object);
}

void TGraphControl::DoObjectSelect(TGraphObject* object) {
  Raise(OnObjectSelect, object);
  S_->SelectionNoticePending = true;
  FlushHostNotices();
}

void TGraphControl::DoObjectChange(TGraphObject* object) {
  Raise(OnObjectChange, object);
  NotifyHost(TControlEvent::ObjectChanged, object);
}

void TGraphControl::DoObjectMouseEnter(TGraphObject* object) { Raise(OnObjectMouseEnter, object); }

void TGraphControl::DoObjectMouseLeave(TGraphObject* object) { Raise(OnObjectMouseLeave, object); }

void TGraphControl::DoObjectBeforeDraw(TCanvas& canvas, TGraphObject* object) {
  Raise(OnObjectBeforeDraw, object, canvas);
}

void TGraphControl::DoObjectAfterDraw(TCanvas& canvas, TGraphObject* object) {
  Raise(OnObjectAfterDraw, object, canvas);
}

void TGraphControl::DoObjectContextPopup(TGraphObject* object, const TPoint& mousePos, bool& handled) {
  Raise(OnObjectContextPopup, object, mousePos, handled);
}

void TGraphControl::DoObjectBeginDrag(TGraphObject* object, THitCode ht) {
  Raise(OnObjectBeginDrag, object, ht);
}

void TGraphControl::DoObjectEndDrag(TGraphObject* object, THitCode ht, bool cancelled) {
  Raise(OnObjectEndDrag, object, ht, cancelled);
}

void TGraphControl::DoObjectRead(TGraphObject* object, TStream& stream) {
  Raise(OnObjectRead, object, stream);
}

void TGraphControl::DoObjectWrite(TGraphObject* object, TStream& stream) {
  Raise(OnObjectWrite, object, stream);
}

void TGraphControl::DoObjectRestore(TGraphObject*) {}

void TGraphControl::DoObjectUnhook(TGraphObject* object, TGraphLink* link, int32_t index) {
  Raise(OnObjectUnhook, object, link, index);
}

void TGraphControl::DoObjectHook(TGraphObject* object, TGraphLink* link, int32_t index) {
  Raise(OnObjectHook, object, link, index);
}

void TGraphControl::DoCanHookLink(TGraphObject* object, TGraphLink* link, int32_t index, bool& canHook) {
  if (QuerySuppressCount_ <= 0) Raise(OnCanHookLink, object, link, index, canHook);
}

void TGraphControl::DoCanLinkObjects(TGraphLink* link, TGraphObject* source, TGraphObject* target,
                                     bool& canLink) {
  if (QuerySuppressCount_ <= 0) Raise(OnCanLinkObjects, link, source, target, canLink);
}

void TGraphControl::DoCanMoveResizeNode(TGraphNode* node, int32_t& newLeft, int32_t& newTop,
                                        int32_t& newWidth, int32_t& newHeight, bool& canMove,
                                        bool& canResize) {
  if (QuerySuppressCount_ <= 0)
    Raise(OnCanMoveResizeNode, node, newLeft, newTop, newWidth, newHeight, canMove, canResize);
}

void TGraphControl::DoCanRemoveObject(TGraphObject* object, bool& canRemove) {
  if (QuerySuppressCount_ <= 0) Raise(OnCanRemoveObject, object, canRemove);
}

void TGraphControl::DoNodeMoveResize(TGraphNode* node) { Raise(OnNodeMoveResize, node); }

void TGraphControl::DoInfoTip(TGraphObject* object, std::string& infoTip) {
  Raise(OnInfoTip, object, infoTip);
}

void TGraphControl::DoMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  Raise(OnMouseDown, button, shift, x, y);
}

void TGraphControl::DoMouseMove(TShiftState shift, int32_t x, int32_t y) { Raise(OnMouseMove, shift, x, y); }

void TGraphControl::DoMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  Raise(OnMouseUp, button, shift, x, y);
}

void TGraphControl::DoKeyDown(uint16_t& key, TShiftState shift) { Raise(OnKeyDown, key, shift); }

void TGraphControl::DoKeyUp(uint16_t& key, TShiftState shift) { Raise(OnKeyUp, key, shift); }

void TGraphControl::DoKeyPress(char32_t& key) { Raise(OnKeyPress, key); }

void TGraphControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos, bool& handled) {
  Raise(OnMouseWheelDown, shift, mousePos, handled);
}

void TGraphControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos, bool& handled) {
  Raise(OnMouseWheelUp, shift, mousePos, handled);
}

// ---- Deferred deletion ------------------------------------------------------------------

bool TGraphControl::DeferFree(TControlKey, TGraphObject* object) {
  if (FreeingAllowed()) return false;
  S_->DeferredDeletes.push_back(object);
  return true;
}

void TGraphControl::FreeDeferredObjects() {
  // Freeing runs destructors only, which raise no events, so no object is
  // added while the list is emptied.
  std::vector<TGraphObject*> objects;
  objects.swap(S_->DeferredDeletes);
  for (TGraphObject* object : objects) TGraphObject::FreeDestroyed(object);
}

// ---- Hover object ---------------------------------------------------------------------

// The hover object is cleared before the leave event, so a handler that
// removes the old object does not see it leave twice, and an object that a
// handler destroyed never becomes the hover object.
void TGraphControl::SetObjectAtCursor(TGraphObject* object) {
  if (object == ObjectUnderMouse_) return;
  TDeletionGuard keep(*this);
  if (TGraphObject* old = ObjectUnderMouse_) {
    ObjectUnderMouse_ = nullptr;
    DoObjectMouseLeave(old);
  }
  if (object && (object->HasState(stDestroying) || !HoldsObject(object))) object = nullptr;
  ObjectUnderMouse_ = object;
  if (object) DoObjectMouseEnter(object);
  if (!DragSource_ && Host_) Host_->CancelToolTip();
}

// ---- Click, double click, context menu ---------------------------------------------------

void TGraphControl::Click() {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  if (!SelectedObjects_.IsEmpty())
    DoObjectClick(SelectedObjects_.Items(0));
  else
    Raise(OnClick);
}

void TGraphControl::DblClick() {
  if (DragSource_) return;
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  if (!SelectedObjects_.IsEmpty())
    DoObjectDblClick(SelectedObjects_.Items(0));
  else
    Raise(OnDblClick);
}

void TGraphControl::DoContextPopup(TPoint mousePos, bool& handled) {
  if (DragSource_) {
    handled = true;
    return;
  }
  if (!SelectedObjects_.IsEmpty()) {
    DoObjectContextPopup(SelectedObjects_.Items(0), mousePos, handled);
    if (!handled && ObjectPopupMenu_) {
      if (Host_) Host_->PopupMenu(ObjectPopupMenu_, mousePos);
      handled = true;
    }
  }
  if (handled) return;
  // The control's own handling: its event, then its popup menu.
  Raise(OnContextPopup, mousePos, handled);
  if (!handled && PopupMenu_) {
    if (Host_) Host_->PopupMenu(PopupMenu_, mousePos);
    handled = true;
  }
}

}  // namespace gc
