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
  Control_.History_->Pause();
}

TGraphControl::THistoryReset::~THistoryReset() {
  if (Control_.History_->Resume(!Control_.Modified_)) Control_.DoHistoryChange();
}

std::string TGraphControl::DragStepName(TGraphCommandMode mode, THitCode hitCode) {
  if (IsInsertMode(mode)) return "insert";
  if (hitCode & lhPoint) return "move point";
  if (hitCode & (htBody | htCaption)) return "move";
  return "resize";
}

void TGraphControl::HistoryQuiet() {
  if (Destroying_ || HistoryHeld()) return;
  if (History_->Commit()) DoHistoryChange();
}

// A step starts from the selection of the moment its outermost bracket opens.
void TGraphControl::BeginHistoryStep() {
  if (!HistoryHeld()) History_->MayStartStep();
  ++HistoryHold_;
}

void TGraphControl::BeginHistoryStep(const std::string& name, int32_t mergeKey) {
  BeginHistoryStep();
  History_->NameStep(name, mergeKey);
}

void TGraphControl::EndHistoryStep() {
  if (HistoryHold_ <= 0) return;
  if (--HistoryHold_ == 0) HistoryQuiet();
}

void TGraphControl::DoHistoryChange() {
  if (Destroying_) return;
  Raise(OnHistoryChange);
  NotifyHost(TControlEvent::HistoryChanged);
  FlushHostNotices();
}

bool TGraphControl::CanUndo() const { return !HistoryHeld() && History_->CanUndo(); }
bool TGraphControl::CanRedo() const { return !HistoryHeld() && History_->CanRedo(); }
int32_t TGraphControl::UndoCount() const { return static_cast<int32_t>(History_->UndoCount()); }
int32_t TGraphControl::RedoCount() const { return static_cast<int32_t>(History_->RedoCount()); }
std::string TGraphControl::UndoName() const { return History_->UndoName(); }
std::string TGraphControl::RedoName() const { return History_->RedoName(); }

bool TGraphControl::Undo() { return CanUndo() && ApplyHistoryStep(false); }
bool TGraphControl::Redo() { return CanRedo() && ApplyHistoryStep(true); }

bool TGraphControl::ApplyHistoryStep(bool forward) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  bool applied = false;
  {
    TUpdateLock lock(*this);
    TQuerySuppressLock suppress(*this);
    DeferredChange_ = dcChanged;
    applied = History_->Apply(forward);
    // A handler may change the diagram while the step is applied (when the
    // step selects what it touched, say); that change becomes a step of its
    // own as the lock ends, and the diagram is then not the saved one.
    if (applied) DeferredChange_ = dcSavedState;
  }
  DoHistoryChange();
  return applied;
}

void TGraphControl::ClearHistory() {
  History_->Clear(!Modified_);
  DoHistoryChange();
}

int64_t TGraphControl::HistoryLimit() const { return static_cast<int64_t>(History_->Limit()); }

void TGraphControl::SetHistoryLimit(int64_t bytes) {
  bytes = std::max<int64_t>(bytes, 0);
  if (bytes == HistoryLimit()) return;
  History_->SetLimit(static_cast<size_t>(bytes), !Modified_);
  DoHistoryChange();
}

int64_t TGraphControl::HistorySize() const { return static_cast<int64_t>(History_->Size()); }

void TGraphControl::SetModified(bool value) {
  const bool was = Modified_;
  Modified_ = value;
  if (!value)
    History_->MarkSaved();
  else if (!was)
    History_->Unsave();
  FlushHostNotices();
}

}  // namespace gc
