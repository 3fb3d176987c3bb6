// How this fits with the rest of the library: docs/architecture.md.
// The undo history of a diagram control, fed by the change protocol only.
//
// A step records, for every object it touched, the object's state before and
// after as the stream format captures it (class, identifier and property
// stream, hooks included), and the object list's own events (insertions,
// removals, z-order moves) with their indices. Undoing replays the list
// events backwards and gives the touched objects their earlier states back;
// redoing replays them forwards. Because states come from the stream format,
// any change that reaches the control through the change protocol is
// undoable without code of its own.
//
// Tag and Data belong to the program: setting them reports no change, so no
// step can tell whether it changed them. Undo and redo therefore never change
// them on an object that stays in the diagram, and an object they bring back
// gets the Tag and Data it had when it last left (as OnObjectRemove left
// them), before OnObjectInsert announces it.
//
// The history keeps the committed state of every object (the baseline), so
// the state an object had before a step is at hand when the step first
// touches it: recording costs time in proportion to the objects a step
// touches, not to the size of the diagram.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "GraphControl/GraphObjectList.h"
#include "GraphControl/Stream.h"

namespace gc {

class TGraphControl;
class TGraphObject;
class TGraphObjectClass;

class TGraphHistory {
 public:
  explicit TGraphHistory(TGraphControl& control);
  ~TGraphHistory();

  TGraphHistory(const TGraphHistory&) = delete;
  TGraphHistory& operator=(const TGraphHistory&) = delete;

  // ---- Recording --------------------------------------------------------------------
  // Whether changes are recorded: the history has a budget, is not paused and
  // is not applying a step.
  bool Recording() const { return Limit_ > 0 && Paused_ == 0 && !Broken_; }
  // The change protocol: a data change of an object in the diagram, and the
  // events of the object list with their indices. A removed object is still
  // whole (and hooked) when Removed is called.
  void DataChanged(TGraphObject* object);
  void Added(TGraphObject* object, int32_t index);
  void Removed(TGraphObject* object, int32_t index);
  void Moved(TGraphObject* object, int32_t fromIndex, int32_t toIndex);
  // A removed object's removal is over (OnObjectRemove has run): its Tag and
  // Data as they are now come back with it.
  void Left(const TGraphObject* object);
  // `newObject` took `oldObject`'s place (class conversion).
  void Replaced(TGraphObject* oldObject, TGraphObject* newObject);
  // The control enters an update lock or a named step while nothing is
  // recorded: a step may start, and the selection it starts from is the
  // current one (a step that records no change forgets it again).
  void MayStartStep();
  // Names the step being recorded, unless it has a name already. Steps with
  // the same non-zero merge key that follow each other become one step.
  void NameStep(const std::string& name, int32_t mergeKey);
  // Ends the step being recorded. True when the history changed (a step was
  // added or merged); a step that changed nothing is dropped. A failure to
  // record clears the history instead of leaving it half right.
  bool Commit() noexcept;

  // While paused nothing is recorded. The outermost Resume takes the diagram
  // as it is then as the history's start: no steps, the diagram as saved
  // when `saved`; it returns true.
  void Pause() { ++Paused_; }
  bool Resume(bool saved);

  // ---- Steps ------------------------------------------------------------------------
  bool CanUndo() const { return Position_ > 0; }
  bool CanRedo() const { return Position_ < Steps_.size(); }
  size_t UndoCount() const { return Position_; }
  size_t RedoCount() const { return Steps_.size() - Position_; }
  // Names of the steps Undo and Redo would apply ("" when none).
  std::string UndoName() const;
  std::string RedoName() const;
  // Applies the step after the current position (redo, `forward`) or the one
  // before it (undo); the caller holds the control's update lock. Redo
  // selects what was selected when the step ended, undo what was selected
  // when it started (in the order they were selected, as far as they exist).
  // False, and the history is cleared, when the diagram no longer matches
  // the step (it was changed behind the history's back).
  bool Apply(bool forward);
  // Forgets every step; the diagram as it is stays the baseline.
  void Clear(bool saved);

  // ---- Saved state ------------------------------------------------------------------
  // The diagram was saved: the current position is the saved state (or,
  // while a step is open, the position that step ends at). Unsave: the
  // diagram as it is does not count as saved; a saved position elsewhere in
  // the steps stays.
  void MarkSaved();
  void Unsave();
  bool AtSavedState() const { return Saved_ == static_cast<int64_t>(Position_); }

  // ---- Memory -----------------------------------------------------------------------
  // The byte budget of the steps. Old steps are dropped to stay within it;
  // 0 turns the history off.
  size_t Limit() const { return Limit_; }
  void SetLimit(size_t bytes, bool saved);
  // Bytes the steps hold now.
  size_t Size() const { return Size_; }

 private:
  struct TObjectState {
    const TGraphObjectClass* Class = nullptr;
    uint32_t ID = 0;
    std::vector<uint8_t> Bytes;  // the object's property stream
  };
  using TState = std::shared_ptr<const TObjectState>;

  // The program's own fields of an object that left the diagram.
  struct TProgramFields {
    bool Known = false;
    int32_t Tag = 0;
    intptr_t Data = 0;
  };
  static TProgramFields FieldsOf(const TGraphObject* object);

  // One object's part in a step. An object the step created and removed
  // again has neither state; Passing is its state when it was removed, which
  // replaying needs. Left holds its Tag and Data from the last time this
  // step (recorded, undone or redone) removed it, for the next time the
  // step brings it back.
  struct TStepObject {
    TState Before;
    TState After;
    TState Passing;
    mutable TProgramFields Left;
  };
  struct TStepEvent {
    TGraphListAction Action;
    uint32_t Object;  // index into the step's objects
    int32_t Index;    // added at, removed from, moved to
    int32_t From;     // moved from
  };
  struct TStep {
    std::string Name;
    int32_t MergeKey = 0;
    std::vector<TStepObject> Objects;
    std::vector<TStepEvent> Events;
    // The identifiers of the selected objects, in selection order, when the
    // step started and when it ended.
    std::vector<uint32_t> SelectedBefore;
    std::vector<uint32_t> SelectedAfter;
    size_t Bytes = 0;
  };
  // An object the step being recorded touched.
  struct TOpenObject {
    TGraphObject* Object;  // null once it left the diagram
    TState Before;
    TState Passing;
    TProgramFields Left;
  };
  // Nothing is recorded while the history applies a step.
  class TApplying;

  uint32_t OpenObject(TGraphObject* object);
  TState Capture(TGraphObject* object) const;
  // Writes the object's property stream into Scratch_.
  void CaptureBytes(TGraphObject* object) const;
  // A state of the object holding a copy of Scratch_.
  static TState StateOf(const TGraphObject* object, const std::vector<uint8_t>& bytes);
  bool BuildStep(TStep& step);
  void UpdateBaseline(const TStep& step, bool forward);
  void Push(TStep&& step);
  bool Merge(TStep& step);
  void Trim();
  void DiscardOpen();
  void Rebuild();
  bool ApplyStep(const TStep& step, bool forward);
  bool Replay(const TStep& step, bool forward);
  void FinishAbandoned();
  TGraphObject* Recreate(const TObjectState& state, int32_t index);
  TGraphObject* ObjectAt(int32_t index, uint32_t id) const;
  bool Restore(const TObjectState& state);
  std::vector<uint32_t> SelectedIDs() const;
  // Takes the selection as the open step's start unless it has one.
  void NoteStepStart();
  void Select(const std::vector<uint32_t>& ids);
  static size_t StepBytes(const TStep& step);

  TGraphControl& Control_;
  size_t Limit_;
  // Every capture writes into this stream first: it keeps its buffer, so a
  // capture grows none from empty, and a state keeps a copy of just its size.
  // An unchanged object is told without making a state at all.
  mutable TMemoryStream Scratch_;
  int32_t Paused_ = 0;
  // A step could not be recorded; nothing is recorded until the next reset.
  bool Broken_ = false;
  // While a step is applied: the object the replay itself is destroying,
  // and whether the next object to enter is the one it recreates. Any other
  // object entering or leaving is an event handler's doing, which the
  // history cannot record: it starts again from the diagram as it is.
  int32_t Applying_ = 0;
  const TGraphObject* OwnRemoval_ = nullptr;
  bool OwnInsertion_ = false;
  // Where the replay keeps the Tag and Data of the object it removes, and
  // those it gives the object it recreates.
  TProgramFields* OwnRemovalFields_ = nullptr;
  const TProgramFields* OwnInsertionFields_ = nullptr;

  // The committed state of every object, by identifier.
  std::unordered_map<uint32_t, TState> Baseline_;

  // The step being recorded.
  std::vector<TOpenObject> Open_;
  std::unordered_map<const TGraphObject*, uint32_t> OpenIndex_;
  std::vector<TStepEvent> OpenEvents_;
  // Objects the open step removed whose removal is not over yet.
  std::vector<std::pair<const TGraphObject*, uint32_t>> Leaving_;
  std::string OpenName_;
  int32_t OpenMergeKey_ = 0;
  std::vector<uint32_t> OpenSelected_;
  bool OpenSelectedTaken_ = false;
  // The diagram was saved while the step was open: the position the step
  // ends at becomes the saved one.
  bool SavedWhileOpen_ = false;

  std::deque<TStep> Steps_;
  size_t Position_ = 0;  // steps applied
  size_t Size_ = 0;
  // The position of the saved state; -1 when no position holds it (yet:
  // see SavedWhileOpen_).
  int64_t Saved_ = 0;
};

}  // namespace gc
