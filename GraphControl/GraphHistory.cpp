#include "GraphControl/GraphHistory.h"

#include <algorithm>
#include <exception>
#include <iterator>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Stream.h"

namespace gc {

namespace {

constexpr uint32_t NoObject = UINT32_MAX;

}  // namespace

// A step an error stops half way leaves a diagram that matches neither of
// its ends: the history is broken and starts again from the diagram as it is.
class TGraphHistory::TApplying {
 public:
  explicit TApplying(TGraphHistory& history) : History_(history), Errors_(std::uncaught_exceptions()) {
    ++History_.Paused_;
    ++History_.Applying_;
  }
  ~TApplying() {
    --History_.Paused_;
    --History_.Applying_;
    if (std::uncaught_exceptions() > Errors_) History_.Broken_ = true;
  }
  TApplying(const TApplying&) = delete;
  TApplying& operator=(const TApplying&) = delete;

 private:
  TGraphHistory& History_;
  const int Errors_;
};

TGraphHistory::TGraphHistory(TGraphControl& control) : Control_(control), Limit_(DefaultHistoryLimit) {}

TGraphHistory::~TGraphHistory() = default;

// ---- Recording ------------------------------------------------------------------------

uint32_t TGraphHistory::OpenObject(TGraphObject* object) {
  const auto [entry, fresh] = OpenIndex_.try_emplace(object, static_cast<uint32_t>(Open_.size()));
  if (fresh) {
    TState before;
    if (const auto found = Baseline_.find(object->ID()); found != Baseline_.end())
      before = found->second;
    else
      Broken_ = true;  // an object the history never saw: it cannot tell what to undo
    Open_.push_back({object, std::move(before), nullptr, {}});
  }
  return entry->second;
}

void TGraphHistory::MayStartStep() {
  if (!Recording() || !Open_.empty() || !OpenEvents_.empty()) return;
  OpenSelectedTaken_ = false;
  NoteStepStart();
}

void TGraphHistory::NoteStepStart() {
  if (OpenSelectedTaken_) return;
  OpenSelected_ = SelectedIDs();
  OpenSelectedTaken_ = true;
}

std::vector<uint32_t> TGraphHistory::SelectedIDs() const {
  std::vector<uint32_t> ids;
  ids.reserve(static_cast<size_t>(Control_.SelectedObjects().Count()));
  for (const TGraphObject* object : Control_.SelectedObjects()) ids.push_back(object->ID());
  return ids;
}

void TGraphHistory::DataChanged(TGraphObject* object) {
  if (!Recording() || !Control_.HoldsObject(object)) return;
  NoteStepStart();
  OpenObject(object);
}

TGraphHistory::TProgramFields TGraphHistory::FieldsOf(const TGraphObject* object) {
  return {true, object->Tag(), object->Data()};
}

void TGraphHistory::Added(TGraphObject* object, int32_t index) {
  if (Applying_ > 0) {
    if (!OwnInsertion_) {
      Broken_ = true;
    } else if (OwnInsertionFields_ && OwnInsertionFields_->Known) {
      // Before OnObjectInsert, which may give the object data of its own.
      object->SetTag(OwnInsertionFields_->Tag);
      object->SetData(OwnInsertionFields_->Data);
    }
    OwnInsertion_ = false;
  }
  if (!Recording()) return;
  NoteStepStart();
  const auto entry = static_cast<uint32_t>(Open_.size());
  OpenIndex_[object] = entry;
  Open_.push_back({object, nullptr, nullptr, {}});
  OpenEvents_.push_back({glaAdded, entry, index, -1});
}

void TGraphHistory::Removed(TGraphObject* object, int32_t index) {
  if (Applying_ > 0 && object != OwnRemoval_) Broken_ = true;
  if (!Recording()) return;
  NoteStepStart();
  const uint32_t entry = OpenObject(object);
  TOpenObject& open = Open_[entry];
  // An object this step created has no state to come back to: replaying the
  // step needs the one it had when it went.
  if (!open.Before) {
    try {
      open.Passing = Capture(object);
    } catch (...) {
      Broken_ = true;
    }
  }
  open.Object = nullptr;
  open.Left = FieldsOf(object);
  Leaving_.emplace_back(object, entry);
  OpenIndex_.erase(object);
  OpenEvents_.push_back({glaRemoved, entry, index, -1});
}

void TGraphHistory::Left(const TGraphObject* object) {
  if (Applying_ > 0) {
    if (object == OwnRemoval_ && OwnRemovalFields_) *OwnRemovalFields_ = FieldsOf(object);
    return;
  }
  for (auto it = Leaving_.rbegin(); it != Leaving_.rend(); ++it) {
    if (it->first != object) continue;
    Open_[it->second].Left = FieldsOf(object);
    Leaving_.erase(std::next(it).base());
    return;
  }
}

void TGraphHistory::Moved(TGraphObject* object, int32_t fromIndex, int32_t toIndex) {
  if (!Recording()) return;
  NoteStepStart();
  OpenEvents_.push_back({glaReordered, OpenObject(object), toIndex, fromIndex});
}

void TGraphHistory::Replaced(TGraphObject* oldObject, TGraphObject* newObject) {
  const auto found = OpenIndex_.find(oldObject);
  if (found == OpenIndex_.end()) return;
  const uint32_t entry = found->second;
  OpenIndex_.erase(found);
  OpenIndex_[newObject] = entry;
  Open_[entry].Object = newObject;
}

void TGraphHistory::NameStep(const std::string& name, int32_t mergeKey) {
  if (OpenName_.empty()) OpenName_ = name;
  if (OpenMergeKey_ == 0) OpenMergeKey_ = mergeKey;
}

void TGraphHistory::CaptureBytes(TGraphObject* object) const {
  // A very large state (a picture) is not kept around for the next capture.
  constexpr int64_t Keep = 1 << 16;
  if (Scratch_.Size() > Keep)
    Scratch_ = TMemoryStream();
  else
    Scratch_.Clear();
  object->SaveToStream(Scratch_);
}

TGraphHistory::TState TGraphHistory::StateOf(const TGraphObject* object, const std::vector<uint8_t>& bytes) {
  auto state = std::make_shared<TObjectState>();
  state->Class = object->ClassType();
  state->ID = object->ID();
  state->Bytes = bytes;
  return state;
}

TGraphHistory::TState TGraphHistory::Capture(TGraphObject* object) const {
  CaptureBytes(object);
  return StateOf(object, Scratch_.Bytes());
}

namespace {

// Empties a container of the open step. Clearing an unordered_map touches
// every bucket it ever grew, so after a large step (a load, a bulk insert)
// each later small step would pay for it, and a vector would keep holding
// the large step's memory: such a container is given back instead.
template <class TContainer>
void Release(TContainer& container, size_t keep) {
  if (container.bucket_count() > keep)
    TContainer().swap(container);
  else
    container.clear();
}

template <class T>
void Release(std::vector<T>& container, size_t keep) {
  if (container.capacity() > keep)
    std::vector<T>().swap(container);
  else
    container.clear();
}

constexpr size_t KeepOpen = 64;

}  // namespace

void TGraphHistory::DiscardOpen() {
  Release(Open_, KeepOpen);
  Release(OpenIndex_, KeepOpen);
  Release(OpenEvents_, KeepOpen);
  Leaving_.clear();
  OpenName_.clear();
  OpenMergeKey_ = 0;
  SavedWhileOpen_ = false;
  OpenSelected_.clear();
  OpenSelectedTaken_ = false;
}

bool TGraphHistory::Commit() noexcept {
  // Every change notification ends here; most of them record nothing.
  if (Open_.empty() && !Broken_ && !SavedWhileOpen_ && OpenName_.empty() && OpenMergeKey_ == 0) {
    OpenSelectedTaken_ = false;
    return false;
  }
  if (Broken_) {
    // Start again from the diagram as it is.
    DiscardOpen();
    Clear(false);
    try {
      Rebuild();
      Broken_ = false;
    } catch (...) {
      Baseline_.clear();
    }
    return true;
  }
  if (Open_.empty()) {
    const bool saved = SavedWhileOpen_;
    DiscardOpen();
    if (saved) Saved_ = static_cast<int64_t>(Position_);
    return false;
  }
  try {
    TStep step;
    const bool changed = BuildStep(step);
    const bool saved = SavedWhileOpen_;
    DiscardOpen();
    if (changed) {
      UpdateBaseline(step, true);
      if (!Merge(step)) Push(std::move(step));
      Trim();
    }
    if (saved) Saved_ = static_cast<int64_t>(Position_);
    return changed;
  } catch (...) {
    DiscardOpen();
    Broken_ = true;
    return Commit();
  }
}

// Fills `step` from what was recorded; true when the diagram changed.
bool TGraphHistory::BuildStep(TStep& step) {
  // Building needs no lookup by object: a large index goes before the
  // step's states are made.
  Release(OpenIndex_, KeepOpen);
  step.Objects.reserve(Open_.size());
  step.Events.reserve(OpenEvents_.size());
  std::vector<bool> inEvents(Open_.size(), false);
  for (const TStepEvent& event : OpenEvents_) inEvents[event.Object] = true;
  std::vector<uint32_t> stepIndex(Open_.size(), NoObject);
  bool changed = false;
  for (size_t i = 0; i < Open_.size(); ++i) {
    const TOpenObject& open = Open_[i];
    const TState& before = open.Before;
    TState after;
    if (open.Object) {
      CaptureBytes(open.Object);
      if (before && before->Class == open.Object->ClassType() && before->ID == open.Object->ID() &&
          before->Bytes == Scratch_.Bytes()) {
        after = before;  // unchanged: share the bytes
        if (!inEvents[i]) continue;
      } else {
        after = StateOf(open.Object, Scratch_.Bytes());
      }
    }
    changed = changed || !before != !after || before != after;
    stepIndex[i] = static_cast<uint32_t>(step.Objects.size());
    step.Objects.push_back({before, after, open.Passing, open.Left});
  }
  // The step is kept: it holds no room for the objects that did not change.
  if (step.Objects.capacity() > 2 * step.Objects.size() + KeepOpen) step.Objects.shrink_to_fit();
  for (const TStepEvent& event : OpenEvents_) {
    const TStepObject& object = step.Objects[stepIndex[event.Object]];
    // A move of an object that is there before and after changes the z-order.
    changed = changed || (event.Action == glaReordered && object.Before && object.After);
    step.Events.push_back({event.Action, stepIndex[event.Object], event.Index, event.From});
  }
  if (!changed) return false;
  step.Name = OpenName_;
  if (step.Name.empty()) {
    const auto all = [&](auto pred) { return std::all_of(step.Objects.begin(), step.Objects.end(), pred); };
    if (all([](const TStepObject& o) { return !o.Before; }))
      step.Name = "insert";
    else if (all([](const TStepObject& o) { return !o.After; }))
      step.Name = "delete";
    else if (all([](const TStepObject& o) { return o.Before == o.After; }))
      step.Name = "order";
    else
      step.Name = "change";
  }
  step.MergeKey = OpenMergeKey_;
  step.SelectedBefore = std::move(OpenSelected_);
  step.SelectedAfter = SelectedIDs();
  step.Bytes = StepBytes(step);
  return true;
}

void TGraphHistory::UpdateBaseline(const TStep& step, bool forward) {
  // Identifiers an object gave up first: another may have taken them.
  for (const TStepObject& object : step.Objects) {
    const TState& gone = forward ? object.Before : object.After;
    const TState& now = forward ? object.After : object.Before;
    if (gone && !now) Baseline_.erase(gone->ID);
  }
  for (const TStepObject& object : step.Objects) {
    const TState& now = forward ? object.After : object.Before;
    if (now) Baseline_[now->ID] = now;
  }
}

size_t TGraphHistory::StepBytes(const TStep& step) {
  size_t bytes = sizeof(TStep) + step.Name.size() + step.Events.size() * sizeof(TStepEvent) +
                 step.Objects.size() * sizeof(TStepObject) +
                 (step.SelectedBefore.size() + step.SelectedAfter.size()) * sizeof(uint32_t);
  for (const TStepObject& object : step.Objects)
    for (const TState* state : {&object.Before, &object.After, &object.Passing})
      if (*state) bytes += sizeof(TObjectState) + (*state)->Bytes.size();
  return bytes;
}

void TGraphHistory::Push(TStep&& step) {
  // A new step ends the steps that were undone.
  while (Steps_.size() > Position_) {
    Size_ -= Steps_.back().Bytes;
    Steps_.pop_back();
  }
  if (Saved_ > static_cast<int64_t>(Position_)) Saved_ = -1;
  Size_ += step.Bytes;
  Steps_.push_back(std::move(step));
  ++Position_;
}

// Typing into one field, for example, is one step: a step with the merge key
// of the step before it joins it, unless the saved state lies between them.
bool TGraphHistory::Merge(TStep& step) {
  if (step.MergeKey == 0 || Position_ == 0 || Position_ != Steps_.size() ||
      Saved_ == static_cast<int64_t>(Position_))
    return false;
  TStep& top = Steps_.back();
  if (top.MergeKey != step.MergeKey || !top.Events.empty() || !step.Events.empty()) return false;
  for (TStepObject& object : step.Objects) {
    const auto same = std::find_if(top.Objects.begin(), top.Objects.end(), [&](const TStepObject& o) {
      return o.After && object.Before && o.After->ID == object.Before->ID;
    });
    if (same != top.Objects.end())
      same->After = object.After;
    else
      top.Objects.push_back(std::move(object));
  }
  top.SelectedAfter = std::move(step.SelectedAfter);
  Size_ -= top.Bytes;
  top.Bytes = StepBytes(top);
  Size_ += top.Bytes;
  return true;
}

// Drops the oldest steps (the undone ones last) until the steps fit the
// budget. Every step holds whole states, so the others stay intact.
void TGraphHistory::Trim() {
  while (Size_ > Limit_ && !Steps_.empty()) {
    if (Position_ > 0) {
      Size_ -= Steps_.front().Bytes;
      Steps_.pop_front();
      --Position_;
      Saved_ = Saved_ > 0 ? Saved_ - 1 : -1;
    } else {
      Size_ -= Steps_.back().Bytes;
      Steps_.pop_back();
      if (Saved_ > static_cast<int64_t>(Steps_.size())) Saved_ = -1;
    }
  }
}

void TGraphHistory::Rebuild() {
  Baseline_.clear();
  if (Limit_ == 0) return;
  Baseline_.reserve(static_cast<size_t>(Control_.Objects().Count()));
  for (TGraphObject* object : Control_.Objects()) Baseline_[object->ID()] = Capture(object);
}

bool TGraphHistory::Resume(bool saved) {
  if (Paused_ <= 0 || --Paused_ > 0) return false;
  DiscardOpen();
  Clear(saved);
  try {
    Rebuild();
    Broken_ = false;
  } catch (...) {
    Broken_ = true;
  }
  return true;
}

void TGraphHistory::Clear(bool saved) {
  Steps_.clear();
  Position_ = 0;
  Size_ = 0;
  Saved_ = saved ? 0 : -1;
}

void TGraphHistory::SetLimit(size_t bytes, bool saved) {
  if (bytes == Limit_) return;
  const bool wasOff = Limit_ == 0;
  Limit_ = bytes;
  if (bytes == 0) {
    DiscardOpen();
    Clear(saved);
    Baseline_.clear();
  } else if (wasOff) {
    DiscardOpen();
    Clear(saved);
    Rebuild();
  } else {
    Trim();
  }
}

// ---- Saved state ----------------------------------------------------------------------

void TGraphHistory::MarkSaved() {
  if (!Open_.empty()) {
    // The saved diagram is the one the open step ends in.
    SavedWhileOpen_ = true;
    Saved_ = -1;
  } else {
    Saved_ = static_cast<int64_t>(Position_);
  }
}

// The diagram as it is, or as the open step will leave it, no longer
// counts as saved.
void TGraphHistory::Unsave() {
  SavedWhileOpen_ = false;
  if (AtSavedState() && Open_.empty()) Saved_ = -1;
}

// ---- Undo and redo --------------------------------------------------------------------

std::string TGraphHistory::UndoName() const { return CanUndo() ? Steps_[Position_ - 1].Name : std::string(); }

std::string TGraphHistory::RedoName() const { return CanRedo() ? Steps_[Position_].Name : std::string(); }

bool TGraphHistory::Apply(bool forward) {
  if (forward ? !CanRedo() : !CanUndo()) return false;
  const TStep& step = Steps_[forward ? Position_ : Position_ - 1];
  if (!ApplyStep(step, forward)) {
    Broken_ = true;
    return false;
  }
  UpdateBaseline(step, forward);
  if (forward)
    ++Position_;
  else
    --Position_;
  Select(forward ? step.SelectedAfter : step.SelectedBefore);
  return true;
}

TGraphObject* TGraphHistory::ObjectAt(int32_t index, uint32_t id) const {
  const TGraphObjectList& objects = Control_.Objects();
  if (index < 0 || index >= objects.Count()) return nullptr;
  TGraphObject* object = objects.Items(index);
  return object->ID() == id ? object : nullptr;
}

// The object as the state describes it, created as a stream read creates it
// (its references resolve at the end of the replay), at `index` in z-order.
TGraphObject* TGraphHistory::Recreate(const TObjectState& state, int32_t index) {
  // Another object holding the identifier means the diagram was changed
  // behind the history's back; recreating would duplicate the identifier.
  if (Control_.ObjectByID(state.ID)) return nullptr;
  TMemoryStream stream(state.Bytes);
  TGraphObject* object = TGraphObject::CreateFromStream(state.Class, &Control_, stream);
  TGraphObjectList& objects = Control_.Objects();
  const int32_t last = objects.Count() - 1;
  // An event handler may have deleted the object again as it entered.
  if (last < 0 || objects.Items(last) != object || index < 0 || index > last) return nullptr;
  objects.Move(last, index);
  return object;
}

// False when the object is gone (an event handler deleted it behind the
// history's back) or refused to change its class: the diagram no longer
// matches the step.
bool TGraphHistory::Restore(const TObjectState& state) {
  TGraphObject* object = Control_.ObjectByID(state.ID);
  if (object && object->ClassType() != state.Class) object = object->ConvertTo(state.Class);
  if (!object) return false;
  // The state holds the Tag of its moment; the program's fields stay as they are.
  const int32_t tag = object->Tag();
  const intptr_t data = object->Data();
  Control_.DoObjectRestore(object);
  object->RestoreState(state.Bytes);
  object->SetTag(tag);
  object->SetData(data);
  return true;
}

// Forwards replays the list events in order and gives the touched objects
// their states after the step; backwards replays the events in reverse and
// gives them their states before it.
bool TGraphHistory::ApplyStep(const TStep& step, bool forward) {
  TApplying applying(*this);
  // A replay that stops half way, by a mismatch or by an exception, leaves
  // the diagram whole; one that completes needs nothing more.
  // When an exception leaves the replay, that exception is the one the caller
  // gets: a second failure while finishing (memory running out, say) is
  // dropped rather than ending the program during the unwinding.
  bool returned = false;
  TScopeExit finishOnThrow([this, &returned]() noexcept {
    if (returned) return;
    try {
      FinishAbandoned();
    } catch (...) {
    }
  });
  const bool applied = Replay(step, forward);
  returned = true;
  if (!applied) FinishAbandoned();
  return applied;
}

// A step that stopped half way (the diagram no longer matched it) may have
// recreated objects that still wait for the end of the replay: they leave
// their loading state with what they have, so the diagram stays whole. The
// objects they hook to kept their states from before the step, so a
// recreated link's hooked ends are placed on them as they are.
void TGraphHistory::FinishAbandoned() {
  std::vector<TGraphObject*> loading;
  for (TGraphObject* object : Control_.Objects())
    if (object->HasState(stLoading)) loading.push_back(object);
  const auto held = [&](TGraphObject* object) { return Control_.Objects().Contains(object); };
  for (TGraphObject* object : loading)
    if (held(object) && object->HasState(stLoading)) object->FinishLoading();
  for (TGraphObject* object : loading)
    if (held(object) && object->IsLink()) object->RefreshHooks();
}

bool TGraphHistory::Replay(const TStep& step, bool forward) {
  TApplying applying(*this);
  TGraphObjectList& objects = Control_.Objects();
  std::vector<TGraphObject*> created(step.Objects.size(), nullptr);
  const auto create = [&](const TStepEvent& event, const TState& state) {
    OwnInsertion_ = true;
    OwnInsertionFields_ = &step.Objects[event.Object].Left;
    TGraphObject* object = Recreate(*state, event.Index);
    OwnInsertion_ = false;
    OwnInsertionFields_ = nullptr;
    created[event.Object] = object;
    return object != nullptr;
  };
  const auto destroy = [&](const TStepEvent& event, const TState& state) {
    TGraphObject* object = ObjectAt(event.Index, state->ID);
    if (!object) return false;
    created[event.Object] = nullptr;
    const TGraphObject* outer = OwnRemoval_;
    TProgramFields* outerFields = OwnRemovalFields_;
    OwnRemoval_ = object;
    OwnRemovalFields_ = &step.Objects[event.Object].Left;
    *OwnRemovalFields_ = FieldsOf(object);
    object->Destroy();
    OwnRemoval_ = outer;
    OwnRemovalFields_ = outerFields;
    return true;
  };
  const auto move = [&](int32_t from, int32_t to) {
    if (from < 0 || to < 0 || from >= objects.Count() || to >= objects.Count()) return false;
    objects.Move(from, to);
    return true;
  };
  const auto replay = [&](const TStepEvent& event) {
    const TStepObject& object = step.Objects[event.Object];
    const TState& present = forward ? object.After : object.Before;
    const TState& ends = present ? present : object.Passing;
    switch (event.Action) {
      case glaAdded:
        return forward ? create(event, ends) : destroy(event, object.After ? object.After : object.Passing);
      case glaRemoved:
        return forward ? destroy(event, object.Before ? object.Before : object.Passing) : create(event, ends);
      case glaReordered:
        return forward ? move(event.From, event.Index) : move(event.Index, event.From);
    }
    return false;
  };
  const size_t events = step.Events.size();
  for (size_t i = 0; i < events; ++i)
    if (!replay(step.Events[forward ? i : events - 1 - i])) return false;
  // A handler may have deleted a recreated object as a later one entered;
  // only those still in the diagram finish loading. They finish before the
  // touched objects get their states: finishing tells the links hooked to
  // them, which would otherwise place their ends anew after their states
  // had been given back exactly.
  TGraphControl::TLinkPointsKept kept(Control_);
  for (TGraphObject* object : created)
    if (object && objects.Contains(object) && object->HasState(stLoading)) object->FinishLoading();
  for (const TStepObject& object : step.Objects)
    if (object.Before && object.After && object.Before != object.After &&
        !Restore(forward ? *object.After : *object.Before))
      return false;
  return true;
}

void TGraphHistory::Select(const std::vector<uint32_t>& ids) {
  Control_.SelectedObjects().Clear();
  for (const uint32_t id : ids)
    if (TGraphObject* object = Control_.ObjectByID(id)) object->SetSelected(true);
}

}  // namespace gc
