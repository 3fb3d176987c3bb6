// The control's helper classes that only its own sources use: the header is
// not installed. See docs/architecture.md.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphHistory.h"

namespace gc {

// What the mouse is doing, as MouseMove and MouseUp see it. A middle-button
// pan owns the mouse until its release, even over a band or a drag that a
// press during it started; otherwise the band (SelectionRect) comes before
// the drag (DragSource).
enum TGesture : uint8_t { mgNone, mgDragging, mgRubberBand, mgPanning };

// Data changes while MouseDown handles a press are held back: a drag that the
// press starts takes them over (reported once when it is accepted, undone
// when it is cancelled), otherwise they are reported when the press has been
// handled.
enum TPressHold : uint8_t { phOff, phHolding, phHeldChange };

// Deferred graph-change notification owed at the end of the update lock.
// dcSavedState: Modified becomes whether the diagram differs from the
// history's saved state, judged once the lock's own changes (an event
// handler's, say) are recorded.
enum TDeferredChange : uint8_t { dcNone = 0, dcChanged = 1, dcReset = 2, dcSavedState = 3 };

// The control's working state that no inline accessor of Control.h reads,
// grouped by the part of the control that keeps it.
struct TGraphControl::TState {
  // ---- Extents (ControlView.cpp): one dirty bit per TExtentKind (1 << kind).
  uint8_t BoundsCacheDirty = 0;
  TRect BoundsCache[3];

  // ---- Change reporting and the update lock (ControlCore.cpp)
  TDeferredChange DeferredChange = dcNone;
  bool DeferredBoundsChange = false;

  // ---- Area queries (ControlCore.cpp): spare candidate vectors, and the
  // removals the innermost TRemovalWatch collects.
  std::vector<std::vector<TGraphObject*>> FreeCandidates;
  std::vector<TGraphObject*>* RemovedObjects = nullptr;

  // ---- The mouse gesture (ControlInteraction.cpp, ControlDragging.cpp)
  // A middle-button pan: it owns the mouse until its release.
  bool Panning = false;
  TPressHold PressHold = phOff;
  // A cancelled drag is being undone: nothing is reported as a data change.
  bool RevertingDrag = false;
  // Space held: the left button pans as in cmPan.
  bool PanKeyHeld = false;
  // Where the press went down, while it has not yet moved DragThreshold
  // pixels: until then its band or drag does not follow the mouse.
  std::optional<TPoint> StillPress;
  TPoint PanAnchor;
  // State of the dragging objects saved when a drag starts; a cancelled drag
  // restores it.
  std::vector<uint8_t> DragSnapshot;
  // The modifier keys of the last mouse event: Alt suspends the guides.
  TShiftState InputShift = 0;
  // Where the last guide correction put the guided rectangle.
  TRect GuidePlaced;

  // ---- Event handlers and deferred freeing (ControlEvents.cpp)
  int32_t DeletionGuards = 0;
  int32_t HandlersRunning = 0;
  std::vector<TGraphObject*> DeferredDeletes;

  // ---- The host's notices (ControlEvents.cpp)
  int32_t EntryDepth = 0;
  bool SelectionNoticePending = false;
  bool ModifiedNoticed = false;

  // ---- Reading and saving (ControlStreaming.cpp)
  TReadBatch* ReadBatch = nullptr;
  // Raised by the copies and SaveToFile: SaveToStream leaves marking the
  // diagram saved to them.
  int32_t SaveMarkHeld = 0;

  // ---- History glue (ControlHistory.cpp)
  std::unique_ptr<TGraphHistory> History;
  int32_t HistoryHold = 0;
  int32_t LinkPointsKept = 0;
  // The nudges in a row: their merge key (0 when none is going on), when the
  // last came, its kind and the selection it moved.
  int32_t NudgeKey = 0;
  int32_t NextNudgeKey = -1;
  int64_t LastNudge = 0;
  bool NudgeResizes = false;
  std::vector<uint32_t> NudgeSelection;

  // ---- Wheel (ControlWheel.cpp): what the last turns left over.
  TPoint WheelRemainder;
};

// Calls an event handler, when one is set, with the control and `args`;
// objects it destroys are freed only later (TDeletionGuard).
template <class Event, class... Args>
void TGraphControl::Raise(const Event& event, Args&&... args) {
  if (!event) return;
  TScopedValue running(S_->HandlersRunning, S_->HandlersRunning + 1);
  event(this, std::forward<Args>(args)...);
}

inline bool TGraphControl::FreeingAllowed() const {
  return S_->DeletionGuards == 0 && S_->HandlersRunning == 0;
}

// Whether a step is held open: an update lock, a drag or a history step.
inline bool TGraphControl::HistoryHeld() const {
  return UpdateCount_ > 0 || DragSource_ || S_->HistoryHold > 0;
}

// The gesture the band and the drag make, leaving a pan aside.
inline TGesture GestureBeneath(const TGraphControl& control) {
  return control.SelectionRectVisible() ? mgRubberBand : control.DragSource() ? mgDragging : mgNone;
}

inline TGesture TGraphControl::Gesture() const { return S_->Panning ? mgPanning : GestureBeneath(*this); }

// Repaints the selected objects with their markers, which reach beyond the
// objects' painted bounds (HideSelection shows or hides them).
void InvalidateSelectionMarks(TGraphControl& control);

// The history's name of a mouse gesture: "insert", "move", "move point" or
// "resize".
std::string DragStepName(TGraphCommandMode mode, THitCode hitCode);

// The smart guides' view of the drag under way (ControlGuides.cpp): the
// rectangle they act on (false when no node drags), the request for it, and
// the area and the drawing of their lines.
bool GuideRect(const TGraphControl& control, TRect& rect, TGraphSides& sides);
TGuideRequest GuideRequest(const TGraphControl& control, const TRect& rect, TGraphSides sides);
TRect GuideLinesArea(const TGraphControl& control);
void DrawGuideLines(const TGraphControl& control, TCanvas& canvas);

// Raises QuerySuppressCount for its lifetime.
class TGraphControl::TQuerySuppressLock : TScopedValue<int32_t> {
 public:
  explicit TQuerySuppressLock(TGraphControl& control)
      : TScopedValue(control.QuerySuppressCount_, control.QuerySuppressCount_ + 1) {}
};

// While one lives, links keep their points when they or the objects they are
// hooked to change: undo and redo give every object a step touched its exact
// state, links included, and a link placing its ends anew as it or its
// neighbours are restored would undo that. A cancelled drag puts the hooked
// links back the same way.
class TGraphControl::TLinkPointsKept : TScopedValue<int32_t> {
 public:
  explicit TLinkPointsKept(TGraphControl& control)
      : TScopedValue(control.S_->LinkPointsKept, control.S_->LinkPointsKept + 1) {}
  // Whether one lives for `control`.
  static bool Active(const TGraphControl& control) { return control.S_->LinkPointsKept > 0; }
};

// Reusable vectors for the candidates of area queries, so that painting and
// hit testing do not allocate per call. A query made while another is being
// worked through (from an event handler) takes a vector of its own.
class TGraphControl::TCandidates {
 public:
  explicit TCandidates(const TGraphControl& control);
  ~TCandidates();
  TCandidates(const TCandidates&) = delete;
  TCandidates& operator=(const TCandidates&) = delete;
  std::vector<TGraphObject*>& List() { return List_; }

 private:
  const TGraphControl& Control_;
  std::vector<TGraphObject*> List_;
};

// Watches Objects for removals while a list of candidates is worked through,
// so that objects an event handler removed are skipped.
class TGraphControl::TRemovalWatch {
 public:
  explicit TRemovalWatch(TGraphControl& control);
  ~TRemovalWatch();
  TRemovalWatch(const TRemovalWatch&) = delete;
  TRemovalWatch& operator=(const TRemovalWatch&) = delete;
  bool Removed(const TGraphObject* object) const;

 private:
  TGraphControl& Control_;
  std::vector<TGraphObject*>* Outer_;
  std::vector<TGraphObject*> Removed_;
};

// The objects a running ReadObjects appended, in reading order; an object that
// leaves Objects meanwhile leaves a null entry. Reads nest through event
// handlers, so each batch links to the one outside it.
struct TGraphControl::TReadBatch {
  std::vector<TGraphObject*> Objects;
  TReadBatch* Outer = nullptr;
  // The diagram held objects before the read.
  bool NextToOthers = false;
};

// Pauses recording for its lifetime; the diagram as it is then becomes the
// history's start (clearing, loading).
class TGraphControl::THistoryReset {
 public:
  explicit THistoryReset(TGraphControl& control);
  ~THistoryReset();
  THistoryReset(const THistoryReset&) = delete;
  THistoryReset& operator=(const THistoryReset&) = delete;

 private:
  TGraphControl& Control_;
};

}  // namespace gc
