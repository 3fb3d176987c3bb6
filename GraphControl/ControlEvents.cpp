// TGraphControl: the event dispatchers, the hover object, and the routing of
// clicks, double clicks and context-menu requests to the selection.
#include <vector>

#include "GraphControl/Control.h"

namespace gc {

void TGraphControl::DoZoomChange() {
  if (OnZoomChange) OnZoomChange(this);
}

void TGraphControl::DoGraphChange() {
  if (OnGraphChange) OnGraphChange(this);
}

void TGraphControl::DoCommandModeChange() {
  if (OnCommandModeChange && !Destroying_) OnCommandModeChange(this);
}

void TGraphControl::DoBeforeDraw(TCanvas& canvas) {
  if (OnBeforeDraw) OnBeforeDraw(this, canvas);
}

void TGraphControl::DoAfterDraw(TCanvas& canvas) {
  if (OnAfterDraw) OnAfterDraw(this, canvas);
}

void TGraphControl::DoObjectClick(TGraphObject* object) {
  if (OnObjectClick) OnObjectClick(this, object);
}

void TGraphControl::DoObjectDblClick(TGraphObject* object) {
  if (OnObjectDblClick) OnObjectDblClick(this, object);
}

void TGraphControl::DoObjectInitInstance(TGraphObject* object) {
  if (OnObjectInitInstance) OnObjectInitInstance(this, object);
}

void TGraphControl::DoObjectInsert(TGraphObject* object) {
  if (OnObjectInsert) OnObjectInsert(this, object);
}

void TGraphControl::DoObjectRemove(TGraphObject* object) {
  if (OnObjectRemove) OnObjectRemove(this, object);
}

void TGraphControl::DoObjectSelect(TGraphObject* object) {
  if (OnObjectSelect) OnObjectSelect(this, object);
}

void TGraphControl::DoObjectChange(TGraphObject* object) {
  if (OnObjectChange) OnObjectChange(this, object);
}

void TGraphControl::DoObjectMouseEnter(TGraphObject* object) {
  if (OnObjectMouseEnter) OnObjectMouseEnter(this, object);
}

void TGraphControl::DoObjectMouseLeave(TGraphObject* object) {
  if (OnObjectMouseLeave) OnObjectMouseLeave(this, object);
}

void TGraphControl::DoObjectBeforeDraw(TCanvas& canvas, TGraphObject* object) {
  if (OnObjectBeforeDraw) OnObjectBeforeDraw(this, object, canvas);
}

void TGraphControl::DoObjectAfterDraw(TCanvas& canvas, TGraphObject* object) {
  if (OnObjectAfterDraw) OnObjectAfterDraw(this, object, canvas);
}

void TGraphControl::DoObjectContextPopup(TGraphObject* object, const TPoint& mousePos, bool& handled) {
  if (OnObjectContextPopup) OnObjectContextPopup(this, object, mousePos, handled);
}

void TGraphControl::DoObjectBeginDrag(TGraphObject* object, THitCode ht) {
  if (OnObjectBeginDrag) OnObjectBeginDrag(this, object, ht);
}

void TGraphControl::DoObjectEndDrag(TGraphObject* object, THitCode ht, bool cancelled) {
  if (OnObjectEndDrag) OnObjectEndDrag(this, object, ht, cancelled);
}

void TGraphControl::DoObjectRead(TGraphObject* object, TStream& stream) {
  if (OnObjectRead) OnObjectRead(this, object, stream);
}

void TGraphControl::DoObjectWrite(TGraphObject* object, TStream& stream) {
  if (OnObjectWrite) OnObjectWrite(this, object, stream);
}

void TGraphControl::DoObjectUnhook(TGraphObject* object, TGraphLink* link, int32_t index) {
  if (OnObjectUnhook) OnObjectUnhook(this, object, link, index);
}

void TGraphControl::DoObjectHook(TGraphObject* object, TGraphLink* link, int32_t index) {
  if (OnObjectHook) OnObjectHook(this, object, link, index);
}

void TGraphControl::DoCanHookLink(TGraphObject* object, TGraphLink* link, int32_t index, bool& canHook) {
  if (OnCanHookLink && QuerySuppressCount_ <= 0) OnCanHookLink(this, object, link, index, canHook);
}

void TGraphControl::DoCanLinkObjects(TGraphLink* link, TGraphObject* source, TGraphObject* target,
                                     bool& canLink) {
  if (OnCanLinkObjects && QuerySuppressCount_ <= 0) OnCanLinkObjects(this, link, source, target, canLink);
}

void TGraphControl::DoCanMoveResizeNode(TGraphNode* node, int32_t& newLeft, int32_t& newTop,
                                        int32_t& newWidth, int32_t& newHeight, bool& canMove,
                                        bool& canResize) {
  if (OnCanMoveResizeNode && QuerySuppressCount_ <= 0)
    OnCanMoveResizeNode(this, node, newLeft, newTop, newWidth, newHeight, canMove, canResize);
}

void TGraphControl::DoCanRemoveObject(TGraphObject* object, bool& canRemove) {
  if (OnCanRemoveObject && QuerySuppressCount_ <= 0) OnCanRemoveObject(this, object, canRemove);
}

void TGraphControl::DoNodeMoveResize(TGraphNode* node) {
  if (OnNodeMoveResize) OnNodeMoveResize(this, node);
}

void TGraphControl::DoInfoTip(TGraphObject* object, std::string& infoTip) {
  if (OnInfoTip) OnInfoTip(this, object, infoTip);
}

void TGraphControl::DoMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TGraphControl::DoMouseMove(TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TGraphControl::DoMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TGraphControl::DoKeyDown(uint16_t& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TGraphControl::DoKeyUp(uint16_t& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TGraphControl::DoKeyPress(char32_t& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TGraphControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos, bool& handled) {
  if (OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
}

void TGraphControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos, bool& handled) {
  if (OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
}

// ---- Deferred deletion ------------------------------------------------------------------

bool TGraphControl::DeferFree(TGraphObject* object) {
  if (DeletionGuards_ == 0) return false;
  DeferredDeletes_.push_back(object);
  return true;
}

void TGraphControl::FreeDeferredObjects() {
  // Freeing runs destructors only, which raise no events, so no object is
  // added while the list is emptied.
  std::vector<TGraphObject*> objects;
  objects.swap(DeferredDeletes_);
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
  if (object && object->HasState(stDestroying)) object = nullptr;
  ObjectUnderMouse_ = object;
  if (object) DoObjectMouseEnter(object);
  if (!DragSource_ && Host_) Host_->CancelToolTip();
}

// ---- Click, double click, context menu ---------------------------------------------------

void TGraphControl::Click() {
  TDeletionGuard keep(*this);
  if (!SelectedObjects_.IsEmpty())
    DoObjectClick(SelectedObjects_.Items(0));
  else if (OnClick)
    OnClick(this);
}

void TGraphControl::DblClick() {
  if (DragSource_) return;
  TDeletionGuard keep(*this);
  if (!SelectedObjects_.IsEmpty())
    DoObjectDblClick(SelectedObjects_.Items(0));
  else if (OnDblClick)
    OnDblClick(this);
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
  if (OnContextPopup) OnContextPopup(this, mousePos, handled);
  if (!handled && PopupMenu_) {
    if (Host_) Host_->PopupMenu(PopupMenu_, mousePos);
    handled = true;
  }
}

}  // namespace gc
