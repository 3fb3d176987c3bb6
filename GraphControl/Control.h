// How this fits with the rest of the library: docs/architecture.md.
// TGraphControl: the diagram control. It owns every graph object of one
// diagram, keeps the object lists consistent, hands out identifiers, defers
// notifications and repaints inside update locks, raises the diagram's events
// and drives the control side of dragging. It is headless: a window, when
// there is one, is reached through IGraphHost; without a host invalidation
// does nothing and scrolling only updates positions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "GraphControl/ControlTypes.h"
#include "GraphControl/DrawingTools.h"
#include "GraphControl/GraphConstraints.h"
#include "GraphControl/GraphObject.h"
#include "GraphControl/GraphObjectClass.h"
#include "GraphControl/GraphObjectList.h"
#include "GraphControl/GraphScrollBar.h"
#include "GraphControl/ObjectIDIndex.h"
#include "GraphControl/ScopedValue.h"
#include "GraphControl/SmartGuides.h"
#include "GraphControl/SpatialIndex.h"
#include "GraphControl/Types.h"
#include "platform/HostWindow.h"

namespace gc {

// What the mouse is doing (ControlInternal.h).
enum TGesture : uint8_t;

// Opens the members through which the library's objects keep their control
// current (identifier and spatial indexes, deferred freeing). Only the
// library can make one, so those members are no part of the control's API.
class TControlKey {
  friend class TGraphControl;
  friend class TGraphObject;
  TControlKey() = default;
};

class TGraphControl {
 public:
  TGraphControl();
  // Tells the host window, if any, that the control goes (IGraphHost::
  // ControlDestroyed), so window and control may be destroyed in either
  // order. Then frees every object with the removal steps, asking no
  // permission and delivering no deferred notification (OnGraphChange,
  // OnCommandModeChange and OnHistoryChange stay silent). The removal steps
  // still raise, per object, OnObjectMouseLeave (the object under the
  // mouse), OnObjectEndDrag (a drag in progress is cancelled), OnObjectSelect
  // (selected objects), OnObjectRemove, and for links hooked to a freed
  // object OnObjectUnhook and OnObjectChange: a program that keeps data per
  // object frees it in OnObjectRemove, as for any other removal. Handlers
  // see Destroying() true; those that reach parts of the program destroyed
  // before the control (members declared after it) must be cleared first.
  virtual ~TGraphControl();

  TGraphControl(const TGraphControl&) = delete;
  TGraphControl& operator=(const TGraphControl&) = delete;

  // ---- Host window ----------------------------------------------------------
  // The window that shows the control, or null (headless). Not owned.
  IGraphHost* Host() const { return Host_; }
  // One window at a time: giving a host to a control that has another
  // raises EGraphInvalidOperation and changes nothing; detach the first
  // (SetHost(nullptr)) before the control moves to another window.
  void SetHost(IGraphHost* host);
  bool Focused() const { return Host_ && Host_->Focused(); }
  TSize ClientSize() const { return Host_ ? Host_->ClientSize() : TSize{}; }
  void SetScreenCursor(TCursor cursor);

  // ---- Object lists -----------------------------------------------------------
  // Every object, in z-order (index 0 at the bottom). Removing an object from
  // this list frees it.
  TGraphObjectList& Objects() { return Objects_; }
  const TGraphObjectList& Objects() const { return Objects_; }
  // The selected objects in the order they were selected.
  TGraphObjectList& SelectedObjects() { return SelectedObjects_; }
  const TGraphObjectList& SelectedObjects() const { return SelectedObjects_; }
  // The objects taking part in the current drag.
  TGraphObjectList& DraggingObjects() { return DraggingObjects_; }
  const TGraphObjectList& DraggingObjects() const { return DraggingObjects_; }

  // ---- Objects ----------------------------------------------------------------
  // Creates a node of `nodeClass` (null: DefaultNodeClass) with `bounds`,
  // and returns it. Null means the node cannot be made as asked: there is no
  // class (none given and no DefaultNodeClass), the class is not a node class
  // or is abstract. Anything else that fails while the node is made (an
  // exception from one of the program's handlers, bad_alloc) passes through;
  // the diagram is then as before the call.
  TGraphObject* AddNode(const TRect& bounds, const TGraphObjectClass* nodeClass = nullptr);
  // Creates a link from `source` (null: a free start) through `points` (null
  // class: DefaultLinkClass), and returns it. Null means the link cannot be
  // made as asked: no link class, or the source refused it (not linkable,
  // OnCanHookLink said no); other failures pass through as for AddNode.
  TGraphObject* AddLink(TGraphObject* source, const TPoints& points,
                        const TGraphObjectClass* linkClass = nullptr);
  TGraphObject* AddLink(const TPoints& points, const TGraphObjectClass* linkClass = nullptr);
  // Removes and frees every object, then returns to cmEdit and scrolls to the origin.
  void Clear();

  // The object with that identifier (the highest in z-order should there be two).
  TGraphObject* ObjectByID(uint32_t id) const;
  TGraphObject* ObjectAtPoint(int32_t x, int32_t y, TGraphObject* below = nullptr) const;
  TGraphObject* ObjectAtPoint(TPoint p, TGraphObject* below = nullptr) const {
    return ObjectAtPoint(p.X, p.Y, below);
  }
  TGraphObject* NextObjectOf(int32_t startIndex, bool inclusive, bool backward, bool wrap,
                             const TGraphObjectClass* graphClass = nullptr) const;
  bool SelectFollowing(bool backward, const TGraphObjectClass* graphClass = nullptr);
  int32_t CountObjects(const TGraphObjectClass* graphClass = nullptr) const;
  int32_t CountSelected(const TGraphObjectClass* graphClass = nullptr) const;
  // Calls `callback` for each object of Objects (or SelectedObjects) inside
  // one update lock. The callback may delete the object it is given.
  void VisitObjects(const TGraphVisitCallback& callback, int32_t userData, bool selectedOnly);

  // Every object change ends here (called by TGraphObject::Changed).
  void ObjectChanged(TGraphObject* object, TGraphChangeFlags flags);
  // A unique identifier for the object: its own ID when not 0, else the
  // object count + 1, raised past identifiers held by other objects.
  virtual uint32_t NewObjectID(TGraphObject* object);
  // Whether the object is in Objects, in O(1) (through the identifier index).
  bool HoldsObject(const TGraphObject* object) const {
    return object && IDIndex_.Contains(object->ID(), object);
  }

  // ---- Spatial index ------------------------------------------------------------
  // Which index answers the area queries (hit test, rubber band, painting,
  // extent). Changing it rebuilds the index; both kinds give the same results.
  TSpatialIndexKind SpatialIndexKind() const { return SpatialIndex_->Kind(); }
  void SetSpatialIndexKind(TSpatialIndexKind kind);
  // The kind new controls start with (the R-tree unless changed).
  static TSpatialIndexKind DefaultSpatialIndexKind();
  static void SetDefaultSpatialIndexKind(TSpatialIndexKind kind);
  // Appends the objects of `graphClass` (null: any) whose OverlapsRect(rect)
  // holds, bottom of the z-order first.
  void ObjectsInRect(const TRect& rect, std::vector<TGraphObject*>& out,
                     const TGraphObjectClass* graphClass = nullptr) const;

  // ---- Update lock ----------------------------------------------------------
  void BeginUpdate();
  void EndUpdate();
  int32_t UpdateCount() const { return UpdateCount_; }
  // RAII form of BeginUpdate / EndUpdate.
  class TUpdateLock {
   public:
    explicit TUpdateLock(TGraphControl& control) : Control_(control) { Control_.BeginUpdate(); }
    ~TUpdateLock() { Control_.EndUpdate(); }
    TUpdateLock(const TUpdateLock&) = delete;
    TUpdateLock& operator=(const TUpdateLock&) = delete;

   private:
    TGraphControl& Control_;
  };

  bool Modified() const { return Modified_; }
  int32_t QuerySuppressCount() const { return QuerySuppressCount_; }
  bool Destroying() const { return Destroying_; }

  // ---- Repaint ----------------------------------------------------------------
  // The whole control; while updating the repaint is deferred to EndUpdate.
  virtual void Invalidate();
  // A rectangle in graph units.
  void InvalidateRect(const TRect& graphRect);
  // Client pixels still to repaint at the end of the update lock.
  const TRect& PendingInvalidRect() const { return PendingInvalidRect_; }

  // ---- Coordinates, zoom, view -------------------------------------------------
  // client = round(g * Zoom / 100) - scroll position; graph = round((c +
  // position) * 100 / Zoom); halves round to even.
  TPoint ClientToGraph(int32_t x, int32_t y) const;
  TPoint GraphToClient(int32_t x, int32_t y) const;
  TPoint ClientToGraph(TPoint p) const { return ClientToGraph(p.X, p.Y); }
  TPoint GraphToClient(TPoint p) const { return GraphToClient(p.X, p.Y); }
  // The client rectangle in graph units.
  TRect VisibleArea() const;
  int32_t Zoom() const { return Zoom_; }
  // Clamped to MinZoom..MaxZoom.
  void SetZoom(int32_t value);
  void BringIntoView(TGraphObject* object);
  void BringIntoView(const TRect& rect);
  void BringIntoView(TPoint point);
  void CenterView(TPoint point);
  void CenterView(const TRect& rect);
  TPoint GridSnapPoint(TPoint p) const;
  void GridSnapOffset(TPoint p, int32_t& dx, int32_t& dy) const;
  // Changes the zoom (clamped to MinZoom..MaxZoom) keeping a point in place:
  // zaTopLeft the visible area's top-left corner, zaCenter its centre,
  // zaCursor the graph point under the mouse, zaCursorCenter that point
  // moved to the centre. False when the zoom did not change.
  bool SetZoomAnchored(int32_t newZoom, TZoomAnchor origin);
  bool StepZoom(int32_t delta, TZoomAnchor origin) { return SetZoomAnchored(Zoom_ + delta, origin); }
  // Zooms so that `rect` fills the client area (leaving room for scroll bars
  // that are not shown yet) and centres it. True when the fit needed no
  // clamping; false, and nothing changes, for an empty rectangle.
  bool ZoomToRect(const TRect& rect);
  // The mouse pointer in graph units; setting it moves the pointer.
  TPoint CursorPoint() const;
  void SetCursorPoint(TPoint point);

  // ---- Painting ---------------------------------------------------------------
  // Sets the canvas's view mapping: device = logical * Zoom / 100 - scroll
  // position - origin. `origin` is the client position of the canvas's
  // device (0, 0), e.g. the top-left corner of an off-screen buffer that
  // holds only part of the client area.
  virtual void ApplyViewMapping(TCanvas& canvas, TPoint origin = {}) const;
  // Paints on a canvas whose view mapping is in place: the grid when
  // ShowGrid, the objects, then the selection markers and the rubber band.
  virtual void Paint(TCanvas& canvas);
  // One device pixel in GridColor at each multiple of GridSize inside the
  // canvas's clip area and the constraint bounds.
  virtual void DrawGrid(TCanvas& canvas);
  // Paints `list` in DrawOrder between DoBeforeDraw and DoAfterDraw; the
  // canvas gets its drawing tools back afterwards, also on failure.
  virtual void DrawObjects(TCanvas& canvas, const TGraphObjectList& list);
  // The selection markers (unless HideSelection hides them without the
  // focus) and the rubber band.
  virtual void DrawEditMarks(TCanvas& canvas);
  // The host reports focus changes here: OnEnter / OnExit, then, with
  // HideSelection, the selection's markers appear or disappear.
  virtual void DoEnter();
  virtual void DoExit();

  // ---- Extents ------------------------------------------------------------------
  // The union of the painted areas of all objects, the selected ones or the
  // dragged ones (cached until they change); (0,0,0,0) when none shows.
  TRect GetExtent(TExtentKind kind) const;
  TRect AllExtent() const { return GetExtent(ekAll); }
  TRect SelectedExtent() const { return GetExtent(ekSelected); }
  TRect DraggingExtent() const { return GetExtent(ekDragging); }
  // Union of the PaintBounds of the showing objects; (0,0,0,0) when none shows.
  virtual TRect MeasureObjects(const TGraphObjectList& list) const;

  // ---- Scroll bars ------------------------------------------------------------
  TGraphScrollBar& HorzScrollBar() { return HorzScrollBar_; }
  TGraphScrollBar& VertScrollBar() { return VertScrollBar_; }
  const TGraphScrollBar& HorzScrollBar() const { return HorzScrollBar_; }
  const TGraphScrollBar& VertScrollBar() const { return VertScrollBar_; }
  void SetHorzScrollBar(const TGraphScrollBar& source) { HorzScrollBar_.Assign(source); }
  void SetVertScrollBar(const TGraphScrollBar& source) { VertScrollBar_.Assign(source); }
  virtual void UpdateScrollBarsVisibility();
  virtual void CalcScrollRanges();
  // The host's client area changed size: the ranges are recomputed without
  // re-applying the bars, then the bars are applied once. Ignored while the
  // bars are being applied (a bar that appears resizes the client area).
  void ClientResized();
  bool ScrollBarsUpdating() const { return ScrollBarsUpdating_; }

  // ---- Command mode and dragging -----------------------------------------------
  TGraphCommandMode CommandMode() const { return CommandMode_; }
  void SetCommandMode(TGraphCommandMode value);
  TGraphObject* DragSource() const { return DragSource_; }
  THitCode DragHitTest() const { return DragHitTest_; }
  TPoint DragStartPoint() const { return DragStartPoint_; }
  TPoint DragTargetPoint() const { return DragTargetPoint_; }
  bool DragModified() const { return DragModified_; }
  virtual bool BeginDragging(TGraphObject* object, TPoint point, THitCode hitCode);
  virtual void MoveDraggingObjects(int32_t dx, int32_t dy);
  virtual void EndDragging(bool accept);
  TGraphObject* ObjectUnderMouse() const { return ObjectUnderMouse_; }
  virtual void SetObjectAtCursor(TGraphObject* object);
  bool SelectionRectVisible() const {
    return SelectionRect_.Right >= SelectionRect_.Left && SelectionRect_.Bottom >= SelectionRect_.Top;
  }
  const TRect& SelectionRect() const { return SelectionRect_; }

  // ---- Click, double click, context menu (client pixels) ------------------------
  virtual void Click();
  virtual void DblClick();
  virtual void DoContextPopup(TPoint mousePos, bool& handled);

  // ---- Published properties -----------------------------------------------------
  int32_t GridSize() const { return GridSize_; }
  void SetGridSize(int32_t value);  // outside MinGridSize..MaxGridSize: ignored
  TColor GridColor() const { return GridColor_; }
  void SetGridColor(TColor value);
  bool ShowGrid() const { return ShowGrid_; }
  void SetShowGrid(bool value);
  bool SnapToGrid() const { return SnapToGrid_; }
  void SetSnapToGrid(bool value) { SnapToGrid_ = value; }
  bool ShowHiddenObjects() const { return ShowHiddenObjects_; }
  void SetShowHiddenObjects(bool value);
  bool HideSelection() const { return HideSelection_; }
  void SetHideSelection(bool value);
  bool LockNodes() const { return LockNodes_; }
  void SetLockNodes(bool value);
  bool LockLinks() const { return LockLinks_; }
  void SetLockLinks(bool value);
  TColor MarkerColor() const { return MarkerColor_; }
  void SetMarkerColor(TColor value);
  int32_t MarkerSize() const { return MarkerSize_; }
  void SetMarkerSize(int32_t value);
  int32_t MinNodeSize() const { return MinNodeSize_; }
  void SetMinNodeSize(int32_t value) { MinNodeSize_ = value; }
  TGraphDrawOrder DrawOrder() const { return DrawOrder_; }
  void SetDrawOrder(TGraphDrawOrder value);
  bool FixedScrollBars() const { return FixedScrollBars_; }
  void SetFixedScrollBars(bool value);
  bool Transparent() const { return Transparent_; }
  void SetTransparent(bool value);
  bool DefaultKeyMap() const { return DefaultKeyMap_; }
  void SetDefaultKeyMap(bool value) { DefaultKeyMap_ = value; }
  TGraphClipboardFormats ClipboardFormats() const { return ClipboardFormats_; }
  void SetClipboardFormats(TGraphClipboardFormats value) { ClipboardFormats_ = value; }
  TColor Color() const { return Color_; }
  void SetColor(TColor value);
  // The control's font; a change makes every object with ParentFont take it.
  const TFont& Font() const { return Font_; }
  TFont& Font() { return Font_; }
  void SetFont(const TFont& value) { Font_.Assign(value); }
  TCursor Cursor() const { return Cursor_; }
  void SetCursor(TCursor value) { Cursor_ = value; }
  // Opaque menus for the host to pop up; not owned.
  void* ObjectPopupMenu() const { return ObjectPopupMenu_; }
  void SetObjectPopupMenu(void* menu) { ObjectPopupMenu_ = menu; }
  void* PopupMenu() const { return PopupMenu_; }
  void SetPopupMenu(void* menu) { PopupMenu_ = menu; }
  TGraphConstraints& GraphConstraints() { return GraphConstraints_; }
  const TGraphConstraints& GraphConstraints() const { return GraphConstraints_; }
  void SetGraphConstraints(const TGraphConstraints& source) { GraphConstraints_.Assign(source); }
  const TGraphObjectClass* DefaultNodeClass() const { return DefaultNodeClass_; }
  void SetDefaultNodeClass(const TGraphObjectClass* cls) { DefaultNodeClass_ = cls; }
  const TGraphObjectClass* DefaultLinkClass() const { return DefaultLinkClass_; }
  void SetDefaultLinkClass(const TGraphObjectClass* cls) { DefaultLinkClass_ = cls; }

  // ---- Class registries (process-wide) -----------------------------------------
  static void RegisterNodeClass(const TGraphObjectClass* nodeClass);
  static void UnregisterNodeClass(const TGraphObjectClass* nodeClass);
  static int32_t NodeClassCount();
  static const TGraphObjectClass* NodeClasses(int32_t index);
  static void RegisterLinkClass(const TGraphObjectClass* linkClass);
  static void UnregisterLinkClass(const TGraphObjectClass* linkClass);
  static int32_t LinkClassCount();
  static const TGraphObjectClass* LinkClasses(int32_t index);

  // ---- Events -----------------------------------------------------------------
  TGraphNotifyEvent OnObjectInitInstance;
  TGraphNotifyEvent OnObjectInsert;
  TGraphNotifyEvent OnObjectRemove;
  TGraphNotifyEvent OnObjectChange;
  TGraphNotifyEvent OnObjectSelect;
  TGraphNotifyEvent OnObjectClick;
  TGraphNotifyEvent OnObjectDblClick;
  TGraphContextPopupEvent OnObjectContextPopup;
  TGraphObjectDrawEvent OnObjectBeforeDraw;
  TGraphObjectDrawEvent OnObjectAfterDraw;
  TGraphBeginDragEvent OnObjectBeginDrag;
  TGraphEndDragEvent OnObjectEndDrag;
  TGraphNotifyEvent OnObjectMouseEnter;
  TGraphNotifyEvent OnObjectMouseLeave;
  TGraphStreamEvent OnObjectRead;
  TGraphStreamEvent OnObjectWrite;
  TGraphHookEvent OnObjectHook;
  TGraphHookEvent OnObjectUnhook;
  TGraphCanHookEvent OnCanHookLink;
  TGraphCanLinkEvent OnCanLinkObjects;
  TCanMoveResizeNodeEvent OnCanMoveResizeNode;
  TGraphCanRemoveEvent OnCanRemoveObject;
  TGraphNodeResizeEvent OnNodeMoveResize;
  TNotifyEvent OnGraphChange;
  TNotifyEvent OnCommandModeChange;
  TGraphDrawEvent OnBeforeDraw;
  TGraphDrawEvent OnAfterDraw;
  TGraphInfoTipEvent OnInfoTip;
  TNotifyEvent OnZoomChange;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TContextPopupEvent OnContextPopup;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

  // Dispatchers: each raises its event when assigned and does nothing else.
  // The four permission dispatchers are silent while QuerySuppressCount > 0,
  // leaving the answer as the caller preset it.
  virtual void DoZoomChange();
  virtual void DoGraphChange();
  virtual void DoCommandModeChange();  // silent while the control is destroyed
  virtual void DoBeforeDraw(TCanvas& canvas);
  virtual void DoAfterDraw(TCanvas& canvas);
  virtual void DoObjectClick(TGraphObject* object);
  virtual void DoObjectDblClick(TGraphObject* object);
  virtual void DoObjectInitInstance(TGraphObject* object);
  virtual void DoObjectInsert(TGraphObject* object);
  virtual void DoObjectRemove(TGraphObject* object);
  virtual void DoObjectSelect(TGraphObject* object);
  virtual void DoObjectChange(TGraphObject* object);
  virtual void DoObjectMouseEnter(TGraphObject* object);
  virtual void DoObjectMouseLeave(TGraphObject* object);
  virtual void DoObjectBeforeDraw(TCanvas& canvas, TGraphObject* object);
  virtual void DoObjectAfterDraw(TCanvas& canvas, TGraphObject* object);
  virtual void DoObjectContextPopup(TGraphObject* object, const TPoint& mousePos, bool& handled);
  virtual void DoObjectBeginDrag(TGraphObject* object, THitCode ht);
  virtual void DoObjectEndDrag(TGraphObject* object, THitCode ht, bool cancelled);
  virtual void DoObjectRead(TGraphObject* object, TStream& stream);
  virtual void DoObjectWrite(TGraphObject* object, TStream& stream);
  // Called before the control gives `object`, which is in the diagram, back a
  // state it recorded (undo, redo, Escape during a drag). The state is then
  // read as a load reads it: its custom data reaches DoObjectRead when it has
  // any, and a state without custom data reaches nothing. A derived control
  // that keeps data of its own per object forgets the object's here. Raises
  // no event; does nothing by default.
  virtual void DoObjectRestore(TGraphObject* object);
  virtual void DoObjectUnhook(TGraphObject* object, TGraphLink* link, int32_t index);
  virtual void DoObjectHook(TGraphObject* object, TGraphLink* link, int32_t index);
  virtual void DoCanHookLink(TGraphObject* object, TGraphLink* link, int32_t index, bool& canHook);
  virtual void DoCanLinkObjects(TGraphLink* link, TGraphObject* source, TGraphObject* target, bool& canLink);
  virtual void DoCanMoveResizeNode(TGraphNode* node, int32_t& newLeft, int32_t& newTop, int32_t& newWidth,
                                   int32_t& newHeight, bool& canMove, bool& canResize);
  virtual void DoCanRemoveObject(TGraphObject* object, bool& canRemove);
  virtual void DoNodeMoveResize(TGraphNode* node);
  virtual void DoInfoTip(TGraphObject* object, std::string& infoTip);
  // The framework's input events. OnMouseDown fires before the control's own
  // handling of the press, OnMouseMove and OnMouseUp after it (MouseDown,
  // MouseMove, MouseUp). A key reaches OnKeyDown and OnKeyPress only when the
  // key map did not handle it (see KeyDown); the host raises them.
  virtual void DoMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void DoMouseMove(TShiftState shift, int32_t x, int32_t y);
  virtual void DoMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void DoKeyDown(uint16_t& key, TShiftState shift);
  virtual void DoKeyUp(uint16_t& key, TShiftState shift);
  virtual void DoKeyPress(char32_t& key);
  // A turn of the mouse wheel away from the user (up) or towards the user
  // (down), before the host scrolls or zooms; Handled true skips that.
  virtual void DoMouseWheelDown(TShiftState shift, TPoint mousePos, bool& handled);
  virtual void DoMouseWheelUp(TShiftState shift, TPoint mousePos, bool& handled);

  // Objects destroyed while a deletion guard lives or an event handler runs
  // leave the diagram at once but stay allocated, so code that raised an
  // event can still ask the object it holds whether a handler destroyed it
  // (stDestroying, HoldsObject) instead of touching freed memory. They are
  // freed when the outermost Entry guard ends outside any handler: where the
  // control is entered from outside (input, adding objects, clearing,
  // loading, saving, visiting, undo and redo, the clipboard and alignment
  // commands), so nothing up the stack holds them any more. Inner guards
  // (operations of objects, which may run inside a program's call) only keep
  // objects allocated: what they and handlers outside any guard leave is
  // freed when the control is next entered, at the latest when it is
  // destroyed.
  class TDeletionGuard {
   public:
    enum TScope : uint8_t { Inner, Entry };
    explicit TDeletionGuard(TGraphControl& control, TScope scope = Inner);
    ~TDeletionGuard();
    TDeletionGuard(const TDeletionGuard&) = delete;
    TDeletionGuard& operator=(const TDeletionGuard&) = delete;

   private:
    TGraphControl& Control_;
    bool Entry_;
    bool Outermost_;
  };

  // ---- The library's objects to their control (TControlKey) ------------------
  // Keeps the identifier index current; called by the object when its ID changes.
  void ObjectIDChanged(TControlKey, TGraphObject* object, uint32_t oldID);
  // Puts `newObject` into the slots of `oldObject` in Objects and
  // SelectedObjects without notification (class conversion).
  void ReplaceObject(TControlKey, TGraphObject* oldObject, TGraphObject* newObject);
  // Keeps the object's entry in the spatial index current; the object calls
  // it whenever its painted area, its visibility or its pen changed.
  void UpdateSpatialEntry(TControlKey, TGraphObject* object) { UpdateSpatialEntry(object); }
  // The last step of TGraphObject::Destroy: true when a deletion guard lives
  // or a handler runs, and the object is freed later; false to free it now.
  bool DeferFree(TControlKey, TGraphObject* object);

  // ==== Mouse and keyboard input (ControlInteraction.cpp) =====================
  // Mouse input from the host, in client pixels. Each updates the object under
  // the mouse, then pans, runs the rubber band, inserts or routes the event to
  // the object under the mouse, depending on CommandMode.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  // The mouse left the window: no object is under it any more.
  virtual void MouseLeave();
  // The window lost the mouse capture (another window grabbed it, the focus
  // or the activation went elsewhere, a modal dialog opened): a drag is
  // cancelled as by Escape, a rubber band or pan ends, the screen cursor
  // returns to the default.
  virtual void MouseCaptureLost();
  // A press that moves less than this many client pixels (Manhattan
  // distance) before its release is a click: the drag, band or insertion it
  // started does not follow such jitter. 0 follows every pixel.
  int32_t DragThreshold() const { return DragThreshold_; }
  void SetDragThreshold(int32_t value) { DragThreshold_ = std::max(value, 0); }
  // While dragging the hover object is the drag source, otherwise the object
  // at `point` (graph units).
  virtual void UpdateObjectAtCursor(TPoint point);
  // A key press from the host: runs DefaultKeyHandler when DefaultKeyMap is
  // on. True when the key was handled (the host then keeps it from focus
  // navigation).
  bool KeyDown(uint16_t& key, TShiftState shift);
  // A key release from the host: OnKeyUp, then the end of a Space pan.
  void KeyUp(uint16_t& key, TShiftState shift);
  // Escape cancels a drag or a rubber band and leaves an insert mode, arrows
  // nudge or resize the selection (or scroll in cmPan), Tab / Shift+Tab
  // select the next / previous object, Space held pans.
  virtual bool DefaultKeyHandler(uint16_t& key, TShiftState shift);
  // Arrow-key nudges (or Shift-arrow resizes) of the same selection that
  // follow each other within this many milliseconds are one history step;
  // another step, a mouse press or a longer pause ends it. 0 makes every
  // nudge a step of its own.
  int32_t NudgeMergeTime() const { return NudgeMergeTime_; }
  void SetNudgeMergeTime(int32_t milliseconds) { NudgeMergeTime_ = std::max(milliseconds, 0); }
  // Creates an object of `graphClass` at `point` the way a press in an insert
  // mode does; `point` becomes the point to grab (a new node's bottom-right
  // corner, a new link's last point). Null when nothing was created.
  TGraphObject* InsertObjectAt(TPoint& point, const TGraphObjectClass* graphClass, bool snap);
  // Selects the objects of `graphClass` (null: any) overlapping `rect`; with
  // `toggle` flips them and leaves the others, otherwise deselects the others.
  void SelectObjectsInRect(const TRect& rect, bool toggle, const TGraphObjectClass* graphClass = nullptr);
  // The rubber band; a rectangle with Right < Left or Bottom < Top hides it.
  void SetSelectionRect(const TRect& rect);
  // The tooltip for client point `client`: false when the object there (if
  // any) has nothing to show. Otherwise `text` is the tip and `clientRect` the
  // area (client pixels) within which the tip stays valid.
  bool InfoTipFor(TPoint client, std::string& text, TRect& clientRect);
  // ---- Wheel, pinch and typed keys from the host (ControlWheel.cpp) ----
  // A wheel turn at client point `mousePos`: `angle` in eighths of a degree
  // (WheelNotch a notch, finer wheels report less), `pixels` the distance a
  // touchpad reports (zero for a wheel). OnMouseWheelUp / OnMouseWheelDown
  // come first; when no handler took the turn, Ctrl zooms about 10 % a notch
  // keeping the graph point under the pointer in place, Shift scrolls
  // sideways, otherwise the bars scroll WheelScrollLines lines of their
  // Increment a notch (touchpads by their pixels). Parts of a line are kept
  // for the next turn. Positions are set at once: the wheel never animates.
  static constexpr int32_t WheelNotch = 120;
  void MouseWheel(TShiftState shift, TPoint angle, TPoint pixels, TPoint mousePos);
  // The lines a notch scrolls: the platform's setting, 3 unless the host says.
  int32_t WheelScrollLines() const { return WheelScrollLines_; }
  void SetWheelScrollLines(int32_t lines) { WheelScrollLines_ = std::max(lines, 0); }
  // A pinch step: the scale grew by `scaleDelta` (0.1 = 10 %) since the last
  // step of the pinch; zooms keeping the graph point under `centre` in place.
  void Pinch(double scaleDelta, TPoint centre);
  // A key press as a canvas takes it: the key map first (KeyDown), then
  // OnKeyDown for a key it left, then OnKeyPress for each character `text`
  // types (control characters type nothing). True when the key map handled
  // the key or a handler consumed it (zeroed the key or a character): the
  // host then keeps the key from its parent. A window whose shortcuts come
  // between the key map and the handlers calls the two halves, KeyMapped
  // before its shortcuts and KeyTyped after them with the key as KeyMapped
  // left it. A key of 0 (none the control knows) only types its characters.
  bool KeyPressed(uint16_t key, TShiftState shift, const std::u32string& text);
  bool KeyMapped(uint16_t& key, TShiftState shift);
  bool KeyTyped(uint16_t key, TShiftState shift, const std::u32string& text);

  // ==== Undo history (ControlHistory.cpp) =====================================
  // Every data change that reaches the control through the change protocol
  // is recorded: one step per outermost update lock (VisitObjects, loading a
  // block, nudging), per mouse gesture (from the press to the end of its
  // drag) and per history step (BeginHistoryStep); a change made outside all
  // of them is a step of its own. Loading and clearing empty the history.
  bool CanUndo() const;
  bool CanRedo() const;
  // Undo gives the diagram its state from before the last step back, Redo
  // applies the step again. Either makes the objects the step touched the
  // selection and reports one OnGraphChange; Modified is false exactly when
  // the diagram is back at the state last loaded or saved. Both are refused
  // (false) while an update lock, a drag or a history step is open.
  bool Undo();
  bool Redo();
  void ClearHistory();
  int32_t UndoCount() const;
  int32_t RedoCount() const;
  // The name of the step Undo / Redo would apply, for "Undo move": the name
  // given to BeginHistoryStep, "move", "resize", "move point" or "insert"
  // for mouse gestures, else "insert", "delete", "order" or "change" by what
  // the step did. "" when there is no such step.
  std::string UndoName() const;
  std::string RedoName() const;
  // Changes between BeginHistoryStep and the matching EndHistoryStep are one
  // step, named by the first name given. Notifications are not deferred, as
  // they are by BeginUpdate. Steps with the same non-zero merge key that
  // follow each other become one (typing into a field). Merge keys below 0
  // are the control's own (nudges).
  void BeginHistoryStep();
  void BeginHistoryStep(const std::string& name, int32_t mergeKey = 0);
  void EndHistoryStep();
  // RAII form of BeginHistoryStep / EndHistoryStep.
  class THistoryStep {
   public:
    explicit THistoryStep(TGraphControl& control) : Control_(control) { Control_.BeginHistoryStep(); }
    THistoryStep(TGraphControl& control, const std::string& name, int32_t mergeKey = 0) : Control_(control) {
      Control_.BeginHistoryStep(name, mergeKey);
    }
    ~THistoryStep() { Control_.EndHistoryStep(); }
    THistoryStep(const THistoryStep&) = delete;
    THistoryStep& operator=(const THistoryStep&) = delete;

   private:
    TGraphControl& Control_;
  };
  // Links keep their points while one lives (undo, redo, a cancelled drag);
  // the library's own, defined in the internal header ControlInternal.h.
  class TLinkPointsKept;
  // The byte budget of the steps (DefaultHistoryLimit); the oldest steps are
  // dropped to stay within it. 0 turns the history off.
  int64_t HistoryLimit() const;
  void SetHistoryLimit(int64_t bytes);
  // Bytes the steps hold now.
  int64_t HistorySize() const;
  // Fires when a step was added, undone, redone or dropped, or the history cleared.
  TNotifyEvent OnHistoryChange;
  virtual void DoHistoryChange();

  // ==== Clipboard (ControlClipboard.cpp) ========================================
  // The clipboard the control uses: the one set here, else the platform's.
  IClipboard* Clipboard() const;
  void SetClipboard(IClipboard* clipboard) { Clipboard_ = clipboard; }
  // Puts the selected objects on the clipboard: in the diagram's own format a
  // diagram stream of them in z-order (hooks to objects that are not copied
  // left out), and a PNG and an SVG picture of them and their captions as
  // text for other programs. False when nothing is selected or there is no
  // clipboard.
  bool CopyToClipboard();
  // Copies, then deletes the selected objects (one step).
  bool CutToClipboard();
  // Appends the objects of the clipboard's diagram stream as one step. They
  // get new identifiers where theirs are taken, keep their links among each
  // other, and become the selection; they are placed at the mouse pointer
  // when it is over the control, else offset so they do not cover objects
  // like them. Data that is not a valid diagram stream changes nothing and
  // raises the reader's error. False when the clipboard holds no diagram.
  bool PasteFromClipboard();
  // Pastes a copy of the selection next to it without using the clipboard.
  bool DuplicateSelection();
  // The selected objects as a diagram stream, as CopyToClipboard writes them.
  std::vector<uint8_t> SelectionStream() const;
  // Pastes a diagram stream as PasteFromClipboard does; `atCursor` allows
  // placing it at the mouse pointer.
  bool PasteStream(const std::vector<uint8_t>& bytes, bool atCursor, const std::string& stepName);

  // ==== Alignment (ControlAlignment.cpp) =========================================
  // Each acts on the selected nodes, is one step, and moves or sizes a node
  // only as far as GraphConstraints, MinNodeSize, the node's options, LockNodes
  // and OnCanMoveResizeNode allow. False when nothing changed.
  // Lines the nodes up with the first selected node.
  bool AlignSelection(TGraphAlignment alignment);
  // Spreads three or more nodes so the gaps between them are equal; the
  // outermost two stay where they are.
  bool DistributeSelection(TGraphDistribution direction);
  // Gives the nodes the width / height of the first selected node.
  bool MakeSameWidth();
  bool MakeSameHeight();

  // ==== Smart guides (ControlGuides.cpp) ==========================================
  // While SmartGuides is on, moving or resizing nodes with the mouse snaps the
  // moving edges (and, for a move, the centre) to the edges and centres of the
  // other showing nodes in view and of GuideFrame, and a move also snaps to the
  // places that give it the spacing of its neighbours in a row or column. Lines
  // in GuideColor show what the dragged nodes line up with while the drag
  // lasts. Holding Alt suspends the guides. Grid snapping comes first; a guide
  // within GuideSnapDistance wins over it. Off by default, so that a drag is
  // exactly as without guides.
  bool SmartGuides() const { return SmartGuides_; }
  void SetSmartGuides(bool value);
  // How near a guide must be to snap, in client pixels (default 5; 0 only
  // shows what lines up exactly).
  int32_t GuideSnapDistance() const { return GuideSnapDistance_; }
  void SetGuideSnapDistance(int32_t pixels) { GuideSnapDistance_ = std::max(pixels, 0); }
  TColor GuideColor() const { return GuideColor_; }
  void SetGuideColor(TColor value);
  // A rectangle whose edges and centre guide like a node's (a page, the
  // screen being designed); an empty rectangle is none.
  const TRect& GuideFrame() const { return GuideFrame_; }
  void SetGuideFrame(const TRect& frame) { GuideFrame_ = frame; }
  // The lines of the drag under way (none outside a drag).
  const std::vector<TGuideLine>& GuideLines() const { return GuideLines_; }
  // Corrects the offset the drag under way is about to move by, so that the
  // dragged nodes meet the nearest guide; DragBy calls it after grid snapping.
  virtual void SnapToGuides(int32_t& dx, int32_t& dy);

  // ==== Diagram stream, snapshots and export (ControlStreaming.cpp) ============
  // The diagram stream: the signature "0.GS", then the object block. Once it
  // is written the diagram counts as saved: Modified becomes false and the
  // history's current position is the saved one.
  virtual void SaveToStream(TStream& stream);
  // Replaces the diagram by the stream's. A stream shorter than the signature
  // or with another signature raises EGraphStreamError "Invalid stream
  // content" and leaves the diagram untouched. A failure further on leaves the
  // objects read before it (see ReadObjects) and propagates.
  virtual void LoadFromStream(TStream& stream);
  // SaveToStream into a temporary file that replaces `fileName` only when
  // complete, so a failed save leaves the old file as it was and the diagram
  // modified (WriteFileAtomically: a read-only file is refused, a replaced
  // file keeps its permissions, a symbolic link is saved through).
  void SaveToFile(const std::string& fileName);
  // The bytes SaveToStream and SaveToFile write (through SaveToStream), as a
  // copy that does not count as saving (a recovery copy, an export's scratch
  // file): Modified and the saved position stay as they are.
  void SaveCopyToStream(TStream& stream);
  void SaveCopyToFile(const std::string& fileName);
  // Reads the whole file into memory first (ReadFileBytes), so pipes and other
  // files that cannot seek load too, then LoadFromStream.
  void LoadFromFile(const std::string& fileName);
  // The object block: a 32-bit count, then per object its class name record
  // and its property stream.
  virtual void WriteObjects(TStream& stream, const TGraphObjectList& list);
  // Appends the block's objects, renumbers their identifiers where they clash
  // and resolves their link ends. When reading fails, the object being read
  // is discarded and those completed before it are finished all the same
  // (unique identifiers, link ends resolved among what was read, no longer
  // loading) before the error propagates, so the diagram stays consistent and
  // a later save keeps their hooks.
  virtual void ReadObjects(TStream& stream);
  // Object-state snapshot (memory only): a count, then per object its ID and
  // its property stream. Restoring skips entries whose object is gone.
  virtual void SaveSnapshot(TStream& stream, const TGraphObjectList& list);
  virtual void RestoreSnapshot(TStream& stream);
  // The list's objects drawn into a new image of the size of their paint
  // bounds, through the platform's image hooks (RenderHooks.h). Null when no
  // platform installed the hook.
  virtual std::unique_ptr<TRenderedImage> RenderBitmap(const TGraphObjectList& list);
  virtual std::unique_ptr<TRenderedImage> RenderMetafile(const TGraphObjectList& list);

 protected:
  // A subclass may mark the diagram saved (false) or not; the history's saved
  // state follows.
  void SetModified(bool value);
  // After a read appended objects from `firstIndex` on with the identifiers
  // stored in the stream: gives each appended object a unique identifier,
  // renumbering the references among the appended objects with it. The caller
  // then runs FinishLoading on each appended object.
  void RenumberAppendedObjects(int32_t firstIndex);

 private:
  // ==== Settings: the values the property accessors return ====
  int32_t GridSize_ = 8;
  TColor GridColor_ = clGray;
  bool ShowGrid_ = true;
  bool SnapToGrid_ = true;
  bool ShowHiddenObjects_ = false;
  bool HideSelection_ = false;
  bool LockNodes_ = false;
  bool LockLinks_ = false;
  TColor MarkerColor_ = clBlack;
  int32_t MarkerSize_ = 3;
  int32_t Zoom_ = 100;
  bool DefaultKeyMap_ = true;
  void* ObjectPopupMenu_ = nullptr;
  void* PopupMenu_ = nullptr;
  const TGraphObjectClass* DefaultNodeClass_ = nullptr;
  const TGraphObjectClass* DefaultLinkClass_ = nullptr;
  TGraphCommandMode CommandMode_ = cmEdit;
  int32_t MinNodeSize_ = 16;
  TGraphDrawOrder DrawOrder_ = doDefault;
  bool FixedScrollBars_ = false;
  bool Transparent_ = false;
  TGraphClipboardFormats ClipboardFormats_ = cfNative;
  TColor Color_ = clWindow;
  TFont Font_;
  TCursor Cursor_ = crDefault;
  int32_t DragThreshold_ = 0;
  int32_t NudgeMergeTime_ = 1000;
  int32_t WheelScrollLines_ = 3;
  bool SmartGuides_ = false;
  int32_t GuideSnapDistance_ = 5;
  TColor GuideColor_ = 0x003C4CF0;
  TRect GuideFrame_;
  IClipboard* Clipboard_ = nullptr;
  IGraphHost* Host_ = nullptr;

  // ==== What the inline accessors above read ====
  // The control's own lists refuse, with EListError and unchanged, a null
  // object, an object of another control and (when `refuseHeld`) an object
  // they hold already: saved, such a diagram would store an object twice or
  // hold one that is not its own. The dragging set, rebuilt at every drag
  // start, refuses only the first two.
  class TOwnList final : public TGraphObjectList {
   public:
    TOwnList(const TGraphControl& control, bool refuseHeld) : Control_(control), RefuseHeld_(refuseHeld) {}

   protected:
    void CheckAdmission(const TGraphObject* object) const override;

   private:
    const TGraphControl& Control_;
    bool RefuseHeld_;
  };
  TOwnList Objects_{*this, true};
  TOwnList SelectedObjects_{*this, true};
  TOwnList DraggingObjects_{*this, false};
  TObjectIDIndex IDIndex_;
  TGraphScrollBar HorzScrollBar_;
  TGraphScrollBar VertScrollBar_;
  TGraphConstraints GraphConstraints_;
  std::unique_ptr<TSpatialIndex> SpatialIndex_;
  bool ScrollBarsUpdating_ = false;
  TRect PendingInvalidRect_ = EmptyMarkerRect;
  bool Destroying_ = false;
  bool Modified_ = false;
  int32_t UpdateCount_ = 0;
  int32_t QuerySuppressCount_ = 0;
  TGraphObject* DragSource_ = nullptr;
  THitCode DragHitTest_ = 0;
  TPoint DragStartPoint_;
  TPoint DragTargetPoint_;
  bool DragModified_ = false;
  TGraphObject* ObjectUnderMouse_ = nullptr;
  TRect SelectionRect_ = EmptyMarkerRect;
  std::vector<TGuideLine> GuideLines_;

  // ==== The rest of the state, and helper classes (ControlInternal.h) ====
  struct TState;
  std::unique_ptr<TState> S_;
  class TCandidates;
  class TRemovalWatch;
  struct TReadBatch;
  class THistoryReset;
  class TQuerySuppressLock;

  // ==== Private helpers, by the file that defines them ====
  // ControlCore.cpp: lists, identifiers, changes, area queries.
  void ObjectListChanged(TGraphObject* object, TGraphListAction action);
  void SelectedListChanged(TGraphObject* object, TGraphListAction action);
  void DraggingListChanged(TGraphObject* object, TGraphListAction action);
  void RenumberObjects(const std::vector<TGraphObject*>& appended);
  bool IDUsedByOther(uint32_t id, const TGraphObject* object) const {
    return IDIndex_.UsedByOther(id, object);
  }
  // The one place that decides what a data change does.
  void DataChanged();
  void UpdateSpatialEntry(TGraphObject* object);
  void UpdateAllSpatialEntries();
  void SelectionCandidates(const TRect& rect, bool withSelected, std::vector<TGraphObject*>& out) const;
  // ControlView.cpp
  void InvalidateClientRect(const TRect& clientRect);
  // ControlInteraction.cpp, ControlDragging.cpp: the mouse gesture.
  // What the mouse is doing, derived from the pan, the band and the drag
  // (ControlInternal.h).
  TGesture Gesture() const;
  TGraphChangeFlags FilterGestureChange(TGraphChangeFlags flags);
  void ReleasePressChanges();
  bool HoldsStill(int32_t x, int32_t y);
  void CancelDrag(TGraphObject* source, bool inserting);
  void PressToInsert(TMouseButton button, TShiftState shift, TPoint point);
  void PressToEdit(TMouseButton button, TShiftState shift, TPoint point);
  bool BeginSpacePan();
  bool ZoomAt(int32_t newZoom, TPoint anchor);
  // ControlEvents.cpp: handlers, deferred freeing, the host's notices.
  template <class Event, class... Args>
  void Raise(const Event& event, Args&&... args);
  bool FreeingAllowed() const;
  void FreeDeferredObjects();
  void NotifyHost(TControlEvent event, const TGraphObject* object = nullptr);
  void FlushHostNotices();
  // ControlStreaming.cpp
  void FinishReadObjects(TReadBatch& batch);
  // ControlHistory.cpp
  bool HistoryHeld() const;
  void HistoryQuiet();
  bool ApplyHistoryStep(bool forward);
  int32_t NudgeStepKey(bool resize);
  // ControlGuides.cpp
  bool GuidesActive() const;
  TGuideSource GuideSource() const;
  void SetGuideLines(std::vector<TGuideLine> lines);
  void FollowGuides();
  // ControlWheel.cpp
  void ZoomByWheel(int32_t turn, TPoint mousePos);
};

// The two parts of a hint "short|long": the tooltip text before the first
// "|", and the status-bar text after it (the whole hint when it has none).
std::string ShortHint(const std::string& hint);
std::string LongHint(const std::string& hint);

}  // namespace gc
