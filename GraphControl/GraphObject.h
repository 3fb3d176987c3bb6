// How this fits with the rest of the library: docs/architecture.md.
// TGraphObject: the common base of every diagram item (nodes and links). It
// owns the shared properties (caption, hint, font, fill, outline, visibility,
// options, tag), reports every change to the owning control, keeps the
// bookkeeping of dependent links, z-order and selection, and does its part of
// dragging and keyboard nudging.
//
// Lifetime: objects are created only through factories (Construct and the
// named factories built on it) and destroyed only through Destroy() or by
// leaving the owner's Objects list, so that the steps that need the whole
// object run with full virtual dispatch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GraphControl/DrawingTools.h"
#include "GraphControl/GraphObjectClass.h"
#include "GraphControl/GraphObjectList.h"
#include "GraphControl/SpatialEntry.h"
#include "GraphControl/Types.h"

namespace gc {

class TCanvas;
class TGraphControl;
class TPropertyReader;
class TPropertyWriter;
class TStream;

// What changed in an object, one bit per kind.
using TGraphChangeFlags = uint8_t;
inline constexpr TGraphChangeFlags chVisual = 1;   // repaint
inline constexpr TGraphChangeFlags chData = 2;     // persisted data changed: the diagram is modified
inline constexpr TGraphChangeFlags chCaption = 4;  // caption layout must be recomputed
inline constexpr TGraphChangeFlags chBounds = 8;   // placement or size changed
inline constexpr TGraphChangeFlags chHooks = 16;   // geometry depending on hooked objects must be recomputed

// Life-cycle states of an object, in bit order.
using TGraphObjectStates = uint16_t;
inline constexpr TGraphObjectStates stCreating = 0x0001;
inline constexpr TGraphObjectStates stDestroying = 0x0002;
inline constexpr TGraphObjectStates stLoading = 0x0004;
inline constexpr TGraphObjectStates stReading = 0x0008;
inline constexpr TGraphObjectStates stWriting = 0x0010;
inline constexpr TGraphObjectStates stUpdating = 0x0020;
inline constexpr TGraphObjectStates stDragging = 0x0040;
inline constexpr TGraphObjectStates stNoDrag = 0x0080;
inline constexpr TGraphObjectStates stConverting = 0x0100;

// Options of an object; stored as one byte, bit 0 = goLinkable.
using TGraphObjectOptions = uint8_t;
inline constexpr TGraphObjectOptions goLinkable = 1;     // links may be hooked to the object
inline constexpr TGraphObjectOptions goSelectable = 2;   // the object can be selected
inline constexpr TGraphObjectOptions goShowCaption = 4;  // the caption is drawn and hit-tested
inline constexpr TGraphObjectOptions goAllOptions = goLinkable | goSelectable | goShowCaption;

// Sides of a rectangle that a drag or nudge moves (ConfineOffset).
using TGraphSides = uint8_t;
inline constexpr TGraphSides gsLeft = 1;
inline constexpr TGraphSides gsTop = 2;
inline constexpr TGraphSides gsRight = 4;
inline constexpr TGraphSides gsBottom = 8;
inline constexpr TGraphSides gsAll = gsLeft | gsTop | gsRight | gsBottom;

// What BroadcastToDependents tells the dependent objects.
enum TGraphDependencyKind : uint8_t { gdkChanged = 0, gdkGoingAway = 1 };

// Hit codes: 0 is a miss, 1 a hit on an object that is not selectable; the
// other values are class-specific (node and link hit codes).
using THitCode = uint32_t;
inline constexpr THitCode htNone = 0;
inline constexpr THitCode htNotSelectable = 1;
// The parts nodes and links share: the body, and the caption (with the body
// for a link).
inline constexpr THitCode htBody = 0x0200;
inline constexpr THitCode htCaption = 0x0400;
// Passed to BeginDrag: take the hit code of the point.
inline constexpr THitCode htFromPoint = 0xFFFFFFFF;

class TGraphObject {
 public:
  static const TGraphObjectClass* StaticClass();
  virtual const TGraphObjectClass* ClassType() const;

  // Runs the C++ constructor of `cls`, then `body(object)` (the body of the
  // named constructor), then the post-construction steps: identifier,
  // OnObjectInitInstance, Prepare, entering the owner's Objects. When any step
  // fails, the half-built object is destroyed (it never reached Objects) and
  // the error propagates.
  template <class Body>
  static TGraphObject* Construct(const TGraphObjectClass* cls, TGraphControl* owner, Body&& body);
  // The same without a constructor body.
  static TGraphObject* Construct(const TGraphObjectClass* cls, TGraphControl* owner);

  // The one way to destroy an object: runs the pre-destruction steps with the
  // whole object (leave the owner's Objects, tell the dependents it goes
  // away), then deletes it. Does nothing when destruction already started.
  void Destroy();

  // Identity and ownership.
  uint32_t ID() const { return ID_; }
  TGraphControl* Owner() const { return Owner_; }
  bool IsLink() const { return ClassType()->IsLink(); }
  bool IsNode() const { return !IsLink(); }
  bool InheritsFrom(const TGraphObjectClass* cls) const { return ClassType()->InheritsFrom(cls); }

  // Properties. Every setter does nothing when the value is unchanged.
  const std::string& Text() const { return Text_; }
  void SetText(const std::string& value);
  const std::string& Hint() const { return Hint_; }
  void SetHint(const std::string& value);
  const TBrush& Brush() const { return Brush_; }
  TBrush& Brush() { return Brush_; }
  void SetBrush(const TBrush& value) { Brush_.Assign(value); }
  const TPen& Pen() const { return Pen_; }
  TPen& Pen() { return Pen_; }
  void SetPen(const TPen& value) { Pen_.Assign(value); }
  const TFont& Font() const { return Font_; }
  TFont& Font() { return Font_; }
  void SetFont(const TFont& value) { Font_.Assign(value); }
  bool ParentFont() const { return ParentFont_; }
  void SetParentFont(bool value);
  TGraphObjectOptions Options() const { return Options_; }
  void SetOptions(TGraphObjectOptions value);
  bool Visible() const { return Visible_; }
  void SetVisible(bool value);
  bool Selected() const { return Selected_; }
  void SetSelected(bool value);
  bool HasCustomData() const { return HasCustomData_; }
  void SetHasCustomData(bool value);
  // The program's own values. Plain fields: setting them reports no change
  // (no OnObjectChange, Modified stays). Tag is saved with the diagram, Data
  // is not. Undo and redo never change either on an object that stays in
  // the diagram; an object they bring back (a deletion undone) has the Tag
  // and Data it had when it left, after OnObjectRemove, and OnObjectInsert
  // sees them. A program that releases what Data refers to in
  // OnObjectRemove sets Data to 0 there and gives it anew in OnObjectInsert.
  int32_t Tag() const { return Tag_; }
  void SetTag(int32_t value) { Tag_ = value; }
  intptr_t Data() const { return Data_; }
  void SetData(intptr_t value) { Data_ = value; }
  // Index in the owner's Objects (0 = bottom); -1 while not in it. A value
  // outside 0..Count-1 puts the object on top.
  int32_t ZOrder() const;
  void SetZOrder(int32_t value);
  void BringToFront();
  void SendToBack();

  const std::string& DisplayText() const {
    EnsureCaptionLayout();
    return DisplayText_;
  }
  TGraphObjectStates States() const { return States_; }
  bool HasState(TGraphObjectStates s) const { return (States_ & s) != 0; }
  const TRect& PaintBounds() const { return PaintBounds_; }
  // What the owner's spatial index holds for the object; kept by the control.
  TSpatialEntry& SpatialEntry() { return SpatialEntry_; }
  const TSpatialEntry& SpatialEntry() const { return SpatialEntry_; }
  TGraphChangeFlags VisualTriggers() const { return VisualTriggers_; }
  TGraphChangeFlags PendingChanges() const { return PendingChanges_; }
  int32_t UpdateCount() const { return UpdateCount_; }

  // Dependency bookkeeping: links hooked to this object. Most objects never
  // have links, so the lists are made when first changed (the read-only
  // accessors give an empty list until then).
  TGraphObjectList& Dependents() { return Lists().Dependents; }
  TGraphObjectList& LinksIn() { return Lists().LinksIn; }
  TGraphObjectList& LinksOut() { return Lists().LinksOut; }
  const TGraphObjectList& Dependents() const { return Lists_ ? Lists_->Dependents : NoObjects(); }
  const TGraphObjectList& LinksIn() const { return Lists_ ? Lists_->LinksIn : NoObjects(); }
  const TGraphObjectList& LinksOut() const { return Lists_ ? Lists_->LinksOut : NoObjects(); }

  // (Visible or the owner shows hidden objects) and not being destroyed.
  bool IsShowing() const;

  // Copies Text, Hint, Brush, Pen, Font, ParentFont, Visible and Options in
  // one update (one change notification).
  virtual void Assign(const TGraphObject& source);
  void AssignTo(TGraphObject& dest) const { dest.Assign(*this); }

  // Life cycle.
  virtual void Prepare();
  virtual void FinishLoading();
  virtual void RenumberID(uint32_t oldID, uint32_t newID);
  // Adds the identifiers of other objects this object refers to and that its
  // RenumberID renumbers (a loading link's stored ends). The renumbering after
  // a read renumbers an identifier only in the objects that report it, so a
  // class whose RenumberID renumbers references must report them here.
  virtual void GetReferencedIDs(std::vector<uint32_t>& /*ids*/) const {}
  virtual void SubstituteObject(TGraphObject* oldObject, TGraphObject* newObject);
  virtual void BroadcastToDependents(TGraphDependencyKind kind);
  virtual void ResolveReferences() {}
  virtual void RefreshHooks() {}
  virtual void DependencyChanged(TGraphObject* /*object*/, TGraphDependencyKind /*kind*/) {}
  virtual void UpdateCaptionPlacement(bool /*recompute*/, int32_t /*dx*/, int32_t /*dy*/) {}
  // Classes that lay their caption out when it is first needed do it here;
  // DisplayText calls it.
  virtual void EnsureCaptionLayout() const {}
  virtual void Changed(TGraphChangeFlags flags);
  virtual void BoundsChanged(int32_t dx, int32_t dy, int32_t dWidth, int32_t dHeight);
  virtual void ParentFontChanged();
  virtual bool IsUpdateLocked() const;
  virtual int32_t GrabRadius() const;

  // Geometry.
  virtual TPoint GetCenter() const = 0;
  virtual TPoint GetAttachPoint(TPoint reference) const = 0;
  virtual TRect ComputePaintBounds() = 0;
  virtual void SetBoundsRect(const TRect& rect) = 0;
  virtual TRect GetBoundsRect() const = 0;
  virtual TRect GetSelectedPaintBounds() const;
  virtual void MoveBy(int32_t dx, int32_t dy) = 0;

  // Drawing.
  virtual void DrawMarker(TCanvas& canvas, TPoint point, bool enabled);
  virtual void DrawMarkers(TCanvas& canvas) = 0;
  virtual void DrawDragOutline(TCanvas& canvas) = 0;
  virtual void DrawCaption(TCanvas& canvas) = 0;
  virtual void DrawBody(TCanvas& canvas) = 0;
  virtual void Draw(TCanvas& canvas);
  virtual void DrawOverlay(TCanvas& canvas);
  virtual bool IsVisibleOn(TCanvas& canvas) const;
  // Asks the owner to repaint the object's area.
  void Invalidate() const;

  // Hit testing. HitBounds is the rectangle (right and bottom excluded)
  // outside which HitTest never reports a hit: the painted area, or the
  // selected painted area (with the markers) while selected.
  virtual TRect HitBounds() const;
  virtual THitCode ShapeHitTest(TPoint /*point*/) const { return htNone; }
  virtual THitCode HitTest(TPoint point) const;
  bool ContainsPoint(int32_t x, int32_t y) const { return HitTest({x, y}) != htNone; }
  virtual bool OverlapsRect(const TRect& rect) const;
  virtual TCursor CursorFor(THitCode hitCode) const;

  // Dragging, the object's side.
  virtual TGraphSides DragSides(THitCode /*hitCode*/) const { return 0; }
  virtual bool ApplyDrag(THitCode /*hitCode*/, int32_t /*dx*/, int32_t /*dy*/) { return false; }
  virtual void SnapDragOffset(THitCode /*hitCode*/, int32_t& /*dx*/, int32_t& /*dy*/) {}
  virtual bool JoinDrag(THitCode hitCode);
  virtual bool LeaveDrag();
  virtual void DisableDrag();
  virtual void EnableDrag();
  virtual bool BeginDrag(TPoint point, THitCode hitCode = htFromPoint);
  virtual bool DragTo(TPoint point, bool snap);
  virtual bool DragBy(int32_t dx, int32_t dy, bool snap);
  virtual bool EndDrag(bool accept);
  // Called by the control when the drag this object started is cancelled,
  // after the dragged state is restored: undoes what the press changed
  // before the drag began (nothing here; a link re-hooks the end it unhooked
  // and removes the break point it inserted).
  virtual void UndoPressEdits() {}

  // Mouse and keyboard, called by the control (points in graph units).
  virtual void MouseDown(TMouseButton button, TShiftState shift, TPoint point);
  virtual void MouseMove(TShiftState shift, TPoint point);
  virtual void MouseUp(TMouseButton button, TShiftState shift, TPoint point);
  virtual bool KeyDown(uint16_t key, TShiftState shift);

  // Update lock: changes made inside are reported once, at the outermost EndUpdate.
  virtual void BeginUpdate();
  virtual void EndUpdate();

  // ---- Streaming and conversion (ObjectStreaming.cpp) ------------------------
  // The named constructor that reads an object: the C++ constructor of `cls`
  // in the loading state, then LoadFromStream; the object keeps the stored
  // identifier, raises no OnObjectInitInstance and stays loading (references
  // unresolved) until FinishLoading. A failure leaves nothing behind.
  static TGraphObject* CreateFromStream(const TGraphObjectClass* cls, TGraphControl* owner, TStream& stream);
  // The named constructor that builds an object of `cls` taking over `old`'s
  // place: its data (through the property stream, so every shared property and
  // the identifier carry over), its link lists and its slots in the owner's
  // lists. `old` is left for the caller to destroy.
  static TGraphObject* CreateReplacing(const TGraphObjectClass* cls, TGraphObject* old);
  // Converts between node classes or between link classes; the object itself
  // is returned for a null class, its own class or a node/link mismatch.
  // Otherwise this object is destroyed and the replacement returned.
  virtual TGraphObject* ConvertTo(const TGraphObjectClass* cls);
  // Reads / writes the object's property stream. Reading runs inside an
  // update lock with stReading set; both are restored when reading fails.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream);
  // The records below the wrapper's "G": the class's property table. Derived
  // classes with properties of their own override both.
  virtual void WriteStreamProperties(TPropertyWriter& writer, const std::string& prefix) const;
  virtual void ReadStreamProperty(TPropertyReader& reader, std::string_view path);

  // ---- Restoring a saved state (ObjectState.cpp) ------------------------------
  // Gives the object the state of `state`, a property stream that
  // SaveToStream wrote: every property the stream leaves out returns to its
  // default, so the object ends exactly as it was when the state was saved,
  // whatever it holds now. Links hook their ends to the stored identifiers.
  // The undo history restores objects through this.
  virtual void RestoreState(const std::vector<uint8_t>& state);

  // Links are locked by the owner's LockLinks, nodes by its LockNodes.
  virtual bool IsLocked() const;
  // Destroys the object when the owner allows it (OnCanRemoveObject).
  virtual bool Delete();
  virtual bool CanDelete();

 protected:
  // The C++ constructor: the object starts in the creating state.
  explicit TGraphObject(TGraphControl* owner);
  // Frees only what the object owns; the pre-destruction steps ran in Destroy().
  virtual ~TGraphObject();

  TGraphObject(const TGraphObject&) = delete;
  TGraphObject& operator=(const TGraphObject&) = delete;

  // The single path that changes the identifier; keeps the owner's
  // identifier index current.
  void SetID(uint32_t id);
  void AddState(TGraphObjectStates s) { States_ |= s; }
  void RemoveState(TGraphObjectStates s) { States_ &= static_cast<TGraphObjectStates>(~s); }
  void SetDisplayText(const std::string& text) { DisplayText_ = text; }
  void SetVisualTriggers(TGraphChangeFlags flags) { VisualTriggers_ = flags; }

  // Reactions of the object to its own lists.
  virtual void DependentsListChanged(TGraphObject* /*object*/, TGraphListAction /*action*/) {}
  virtual void LinksInChanged(TGraphObject* object, TGraphListAction action);
  virtual void LinksOutChanged(TGraphObject* object, TGraphListAction action);

  // Copies the owner's font without turning ParentFont off.
  void CopyParentFontSilently();

  // The post-construction steps (see Construct).
  void AfterConstruction();

  // CreateReplacing: takes over `old`'s user value, selection and link lists.
  // Links also take over their hooked references.
  virtual void TakeOverFrom(TGraphObject& old);

 private:
  void FontChanged();
  void SetScreenCursor(TCursor cursor) const;

  // The members are ordered so that the small ones share words: a large
  // diagram holds many objects.
  uint32_t ID_ = 0;
  int32_t Tag_ = 0;
  TGraphControl* Owner_;
  TBrush Brush_;
  TPen Pen_;
  std::string Text_;
  std::string Hint_;
  TFont Font_;
  bool ParentFont_ = true;
  TGraphObjectOptions Options_ = goAllOptions;
  bool Visible_ = true;
  bool Selected_ = false;
  TGraphObjectStates States_ = stCreating;
  bool HasCustomData_ = false;
  TGraphChangeFlags VisualTriggers_ = chBounds;
  struct TLinkLists {
    TGraphObjectList Dependents;
    TGraphObjectList LinksIn;
    TGraphObjectList LinksOut;
  };
  TLinkLists& Lists();
  static const TGraphObjectList& NoObjects();
  std::unique_ptr<TLinkLists> Lists_;
  std::string DisplayText_;
  intptr_t Data_ = 0;
  TRect PaintBounds_;
  int32_t UpdateCount_ = 0;
  int32_t NoDragCount_ = 0;
  // Position keys of the owner's keyed lists holding the object, one per
  // key slot (see TGraphObjectList::KeepPositionKeys); 0 while not held.
  friend class TGraphObjectList;
  uint64_t ListKeys_[2] = {0, 0};
  TSpatialEntry SpatialEntry_;
  TGraphChangeFlags PendingChanges_ = 0;

  class TConstructionGuard;
  // Runs the post-construction steps; null when an event handler destroyed
  // the new object meanwhile.
  static TGraphObject* Complete(TConstructionGuard& guard);

 public:
  // Frees an object whose Destroy ran while its owner deferred the freeing
  // (TGraphControl::TDeletionGuard); only the owner calls it.
  static void FreeDestroyed(TGraphObject* object);
  // RAII form of BeginUpdate / EndUpdate: the lock ends also on failure.
  class TUpdateLock {
   public:
    explicit TUpdateLock(TGraphObject& object) : Object_(object) { Object_.BeginUpdate(); }
    ~TUpdateLock() { Object_.EndUpdate(); }
    TUpdateLock(const TUpdateLock&) = delete;
    TUpdateLock& operator=(const TUpdateLock&) = delete;

   private:
    TGraphObject& Object_;
  };
};

// Destroys a half-built object unless construction completed.
class TGraphObject::TConstructionGuard {
 public:
  explicit TConstructionGuard(TGraphObject* object) : Object_(object) {}
  ~TConstructionGuard() {
    if (Object_) Object_->Destroy();
  }
  TGraphObject* Get() const { return Object_; }
  TGraphObject* Release() {
    TGraphObject* o = Object_;
    Object_ = nullptr;
    return o;
  }
  TConstructionGuard(const TConstructionGuard&) = delete;
  TConstructionGuard& operator=(const TConstructionGuard&) = delete;

 private:
  TGraphObject* Object_;
};

template <class Body>
TGraphObject* TGraphObject::Construct(const TGraphObjectClass* cls, TGraphControl* owner, Body&& body) {
  TConstructionGuard guard(cls->Make(owner));
  body(guard.Get());
  return Complete(guard);
}

}  // namespace gc
