// TGraphControl: the undo history. The change protocol feeds the history
// (ControlCore.cpp); here the control decides where a step ends, applies
// undo and redo inside one update lock, and keeps Modified in step with the
// saved position of the history.
#include <algorithm>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/GraphHistory.h"
#include "GraphControl/GraphLink.h"

namespace gc {

TGraphControl::THistoryReset::THistoryReset(TGraphControl& control) : Control_(control) {
  Control_.S_->History->Pause();
}

TGraphControl::THistoryReset::~THistoryReset() {
  if (Control_.S_->History->Resume(!Control_.Modified_)) Control_.DoHistoryChange();
}

std::string DragStepName(TGraphCommandMode mode, THitCode hitCode) {
  if (IsInsertMode(mode)) return "insert";
  if (hitCode & lhPoint) return "move point";
  if (hitCode & (htBody | htCaption)) return "move";
  return "resize";
}

// A point where the step being recorded may end; commits it unless held.
void TGraphControl::HistoryQuiet() {
  if (Destroying_ || HistoryHeld()) return;
  if (S_->History->Commit()) DoHistoryChange();
}

// A step starts from the selection of the moment its outermost bracket opens.
void TGraphControl::BeginHistoryStep() {
  if (!HistoryHeld()) S_->History->MayStartStep();
  ++S_->HistoryHold;
}

void TGraphControl::BeginHistoryStep(const std::string& name, int32_t mergeKey) {
  BeginHistoryStep();
  S_->History->NameStep(name, mergeKey);
}

void TGraphControl::EndHistoryStep() {
  if (S_->HistoryHold <= 0) return;
  if (--S_->HistoryHold == 0) HistoryQuiet();
}

void TGraphControl::DoHistoryChange() {
  if (Destroying_) return;
  Raise(OnHistoryChange);
  NotifyHost(TControlEvent::HistoryChanged);
  FlushHostNotices();
}

bool TGraphControl::CanUndo() const { return !HistoryHeld() && S_->History->CanUndo(); }
bool TGraphControl::CanRedo() const { return !HistoryHeld() && S_->History->CanRedo(); }
int32_t TGraphControl::UndoCount() const { return static_cast<int32_t>(S_->History->UndoCount()); }
int32_t TGraphControl::RedoCount() const { return static_cast<int32_t>(S_->History->RedoCount()); }
std::string TGraphControl::UndoName() const { return S_->History->UndoName(); }
std::string TGraphControl::RedoName() const { return S_->History->RedoName(); }

bool TGraphControl::Undo() { return CanUndo() && ApplyHistoryStep(false); }
bool TGraphControl::Redo() { return CanRedo() && ApplyHistoryStep(true); }

// Undo (forward false) or Redo inside one update lock.
bool TGraphControl::ApplyHistoryStep(bool forward) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  bool applied = false;
  {
    TUpdateLock lock(*this);
    TQuerySuppressLock suppress(*this);
    S_->DeferredChange = dcChanged;
    applied = S_->History->Apply(forward);
    // A handler may change the diagram while the step is applied (when the
    // step selects what it touched, say); that change becomes a step of its
    // own as the lock ends, and the diagram is then not the saved one.
    if (applied) S_->DeferredChange = dcSavedState;
  }
  DoHistoryChange();
  return applied;
}

void TGraphControl::ClearHistory() {
  S_->History->Clear(!Modified_);
  DoHistoryChange();
}

int64_t TGraphControl::HistoryLimit() const { return static_cast<int64_t>(S_->History->Limit()); }

void TGraphControl::SetHistoryLimit(int64_t bytes) {
  bytes = std::max<int64_t>(bytes, 0);
  if (bytes == HistoryLimit()) return;
  S_->History->SetLimit(static_cast<size_t>(bytes), !Modified_);
  DoHistoryChange();
}

int64_t TGraphControl::HistorySize() const { return static_cast<int64_t>(S_->History->Size()); }

void TGraphControl::SetModified(bool value) {
  const bool was = Modified_;
  Modified_ = value;
  if (!value)
    S_->History->MarkSaved();
  else if (!was)
    S_->History->Unsave();
  FlushHostNotices();
}

}  // namespace gc
