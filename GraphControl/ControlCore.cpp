// TGraphControl: construction, the object lists and their reactions,
// identifiers, the update lock, searches, visiting and the class registries.
#include <algorithm>
#include <climits>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Exceptions.h"
#include "GraphControl/GraphHistory.h"
#include "GraphControl/ScopedValue.h"

namespace gc {

namespace {

constexpr TGraphChangeFlags EntryExitFlags = chVisual | chData | chBounds;
constexpr uint8_t AllExtentKinds = (1 << ekAll) | (1 << ekSelected) | (1 << ekDragging);

using TClassRegistry = std::unique_ptr<std::vector<const TGraphObjectClass*>>;

TClassRegistry& NodeRegistry() {
  static TClassRegistry registry;
  return registry;
}

TClassRegistry& LinkRegistry() {
  static TClassRegistry registry;
  return registry;
}

void RegisterClassIn(TClassRegistry& registry, const TGraphObjectClass* cls) {
  if (!cls) return;
  if (!registry) registry = std::make_unique<std::vector<const TGraphObjectClass*>>();
  if (std::find(registry->begin(), registry->end(), cls) != registry->end()) return;
  registry->push_back(cls);
  RegisterGraphClass(cls);
}

void UnregisterClassIn(TClassRegistry& registry, const TGraphObjectClass* cls) {
  if (!registry) return;
  UnregisterGraphClass(cls);
  registry->erase(std::remove(registry->begin(), registry->end(), cls), registry->end());
  if (registry->empty()) registry.reset();
}

const TGraphObjectClass* RegistryItem(const TClassRegistry& registry, int32_t index) {
  const int32_t count = registry ? static_cast<int32_t>(registry->size()) : 0;
  if (index < 0 || index >= count) throw EListError(Format("Index out of range (%d)", index));
  return (*registry)[static_cast<size_t>(index)];
}

int32_t CountInstances(const TGraphObjectList& list, const TGraphObjectClass* cls) {
  if (!cls) return list.Count();
  return static_cast<int32_t>(
      std::count_if(list.begin(), list.end(), [cls](TGraphObject* o) { return o->InheritsFrom(cls); }));
}

TSpatialIndexKind& DefaultIndexKind() {
  static TSpatialIndexKind kind = TSpatialIndexKind::RTree;
  return kind;
}

}  // namespace

// ---- Construction and destruction -------------------------------------------------

TGraphControl::TGraphControl()
    : HorzScrollBar_(this, TScrollBarKind::sbHorizontal),
      VertScrollBar_(this, TScrollBarKind::sbVertical),
      GraphConstraints_(this),
      SpatialIndex_(MakeSpatialIndex(DefaultIndexKind(), Objects_)),
      S_(std::make_unique<TState>()) {
  Objects_.KeepPositionKeys(0);
  SelectedObjects_.KeepPositionKeys(1);
  Objects_.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
    ObjectListChanged(o, a);
  };
  SelectedObjects_.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
    SelectedListChanged(o, a);
  };
  DraggingObjects_.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
    DraggingListChanged(o, a);
  };
  // Objects with ParentFont take the control's new font; by index, as a
  // change handler may remove objects.
  Font_.OnChange = [this] {
    TUpdateLock lock(*this);
    for (int32_t i = 0; i < Objects_.Count(); ++i) Objects_.Items(i)->ParentFontChanged();
  };
  S_->History = std::make_unique<TGraphHistory>(*this);
  if (NodeClassCount() > 0) DefaultNodeClass_ = NodeClasses(0);
  if (LinkClassCount() > 0) DefaultLinkClass_ = LinkClasses(0);
}

TGraphControl::~TGraphControl() {
  // Raised for good: no deferred notification is delivered and no permission asked.
  Destroying_ = true;
  ++UpdateCount_;
  ++QuerySuppressCount_;
  S_->History->Pause();  // the destruction is not recorded
  // The window that shows the control may outlive it (the control a member
  // of the window, the widget a child the window frees later): it forgets
  // the control now, and the control calls it no more.
  if (IGraphHost* host = std::exchange(Host_, nullptr)) host->ControlDestroyed(this);
  Objects_.Clear();
  // Objects a handler destroyed outside any deletion guard are still held.
  FreeDeferredObjects();
  SelectedObjects_.OnChange = nullptr;
  DraggingObjects_.OnChange = nullptr;
  Objects_.OnChange = nullptr;
  Font_.OnChange = nullptr;
}

void TGraphControl::SetHost(IGraphHost* host) {
  if (Host_ == host) return;
  // Scroll positions, client size, focus and mouse capture are the
  // control's, so one window at a time shows it; taking it from the window
  // that has it would leave that window pointing at a control that no
  // longer answers to it.
  if (host && Host_)
    throw EGraphInvalidOperation("The control is already shown by another window; detach it there first");
  Host_ = host;
  S_->ModifiedNoticed = Modified_;
  if (Host_) {
    CalcScrollRanges();
    UpdateScrollBarsVisibility();
  }
}

void TGraphControl::SetScreenCursor(TCursor cursor) {
  if (Host_) Host_->SetScreenCursor(cursor);
}

// ---- List reactions ---------------------------------------------------------------

void TGraphControl::TOwnList::CheckAdmission(const TGraphObject* object) const {
  if (!object) throw EListError("A graph object list holds no null object");
  if (object->Owner() != &Control_) throw EListError("The object belongs to another control");
  if (RefuseHeld_ && Contains(object)) throw EListError("The object is in the list already");
}

void TGraphControl::ObjectListChanged(TGraphObject* object, TGraphListAction action) {
  if (object->Owner() != this) {
    if (action == glaAdded) Objects_.Remove(object);
    return;
  }
  // What an insertion or removal sets off (unhooking links) is part of its step.
  THistoryStep step(*this);
  switch (action) {
    case glaAdded:
      S_->History->Added(object, Objects_.ChangeIndex());
      IDIndex_.Add(object->ID(), object);
      UpdateSpatialEntry(object);
      if (S_->ReadBatch && object->HasState(stLoading)) S_->ReadBatch->Objects.push_back(object);
      DoObjectInsert(object);
      ObjectChanged(object, EntryExitFlags);
      break;
    case glaRemoved: {
      S_->History->Removed(object, Objects_.ChangeIndex());
      IDIndex_.Remove(object->ID(), object);
      UpdateSpatialEntry(object);
      if (S_->RemovedObjects) S_->RemovedObjects->push_back(object);
      for (TReadBatch* batch = S_->ReadBatch; batch; batch = batch->Outer) {
        auto& read = batch->Objects;
        if (auto it = std::find(read.rbegin(), read.rend(), object); it != read.rend()) *it = nullptr;
      }
      // The object has left Objects, so it is freed here even when a step
      // below (an event handler) fails; it would be lost otherwise.
      TScopeExit freeOnExit([object] {
        if (!object->HasState(stDestroying)) object->Destroy();
      });
      if (object == DragSource_)
        object->EndDrag(false);
      else if (object->HasState(stDragging))
        DraggingObjects_.Remove(object);
      if (object == ObjectUnderMouse_) SetObjectAtCursor(nullptr);
      object->SetSelected(false);
      DoObjectRemove(object);
      S_->History->Left(object);
      ObjectChanged(object, EntryExitFlags);
      break;
    }
    case glaReordered:
      S_->History->Moved(object, Objects_.ChangeFromIndex(), Objects_.ChangeIndex());
      ObjectChanged(object, chVisual | chData);
      break;
  }
}

void TGraphControl::SelectedListChanged(TGraphObject* object, TGraphListAction action) {
  const bool own = object->Owner() == this;
  switch (action) {
    case glaAdded:
      if (own && object->Selected()) {
        S_->BoundsCacheDirty |= 1 << ekSelected;
        DoObjectSelect(object);
      } else {
        SelectedObjects_.Remove(object);
      }
      break;
    case glaRemoved:
      if (!own) break;
      object->SetSelected(false);
      S_->BoundsCacheDirty |= 1 << ekSelected;
      DoObjectSelect(object);
      break;
    case glaReordered:
      break;
  }
}

void TGraphControl::DraggingListChanged(TGraphObject* object, TGraphListAction action) {
  if (object->Owner() != this) {
    if (action == glaAdded) DraggingObjects_.Remove(object);
    return;
  }
  if (action != glaReordered) S_->BoundsCacheDirty |= 1 << ekDragging;
}

// ---- Changes and the update lock -----------------------------------------------------

void TGraphControl::ObjectChanged(TGraphObject* object, TGraphChangeFlags flags) {
  if (Destroying_) return;
  THistoryStep step(*this);
  // The history hears of every data change, also of those a gesture reports
  // later, and of a hooked link's points following its objects: they are
  // not a change of their own, but the link's stored points change with them.
  if ((flags & chData) || ((flags & chBounds) && object->IsLink())) S_->History->DataChanged(object);
  UpdateSpatialEntry(object);
  flags = FilterGestureChange(flags);
  if (flags & chBounds) {
    if (UpdateCount_ > 0) {
      S_->DeferredBoundsChange = true;
    } else {
      S_->BoundsCacheDirty |= AllExtentKinds;
      CalcScrollRanges();
    }
  }
  if (flags & chData) DataChanged();
  if (flags & chVisual) object->Invalidate();
}

// A drag moves its objects inside update locks; its data changes are reported
// once, when it is accepted, as outside a lock. In an insert mode the new
// object's changes inside a lock belong to the drag that follows its press.
void TGraphControl::DataChanged() {
  if (DragSource_) {
    DragModified_ = true;
  } else if (UpdateCount_ > 0) {
    if (!IsInsertMode(CommandMode_)) S_->DeferredChange = dcChanged;
  } else {
    Modified_ = true;
    DoGraphChange();
  }
}

void TGraphControl::BeginUpdate() {
  if (!HistoryHeld()) S_->History->MayStartStep();
  if (UpdateCount_ == 0) {
    S_->DeferredChange = dcNone;
    S_->DeferredBoundsChange = false;
    PendingInvalidRect_ = EmptyMarkerRect;
  }
  ++UpdateCount_;
}

void TGraphControl::EndUpdate() {
  if (UpdateCount_ <= 0) return;
  if (--UpdateCount_ > 0 || Destroying_) return;
  HistoryQuiet();
  if (S_->DeferredBoundsChange) {
    S_->DeferredBoundsChange = false;
    S_->BoundsCacheDirty |= AllExtentKinds;
    CalcScrollRanges();
  }
  if (!PendingInvalidRect_.IsEmpty()) {
    const TRect pending = PendingInvalidRect_;
    PendingInvalidRect_ = EmptyMarkerRect;
    InvalidateClientRect(pending);
  }
  if (S_->DeferredChange != dcNone) {
    Modified_ =
        S_->DeferredChange == dcSavedState ? !S_->History->AtSavedState() : S_->DeferredChange == dcChanged;
    S_->DeferredChange = dcNone;
    DoGraphChange();
  }
  // Handlers of the notifications above (a graph change, the pointer now
  // over another object) may have changed the diagram: that is a step of
  // its own, not the start of the next one.
  HistoryQuiet();
  FlushHostNotices();
}

// ---- Identifiers -----------------------------------------------------------------------

// Gives the identifiers of the plain algorithm (own ID or count + 1, raised
// past identifiers held by other objects) but asks the identifier index
// instead of scanning Objects for each candidate. Above the starting value the
// object holds no identifier, so any holder there is another object.
uint32_t TGraphControl::NewObjectID(TGraphObject* object) {
  const uint32_t candidate = object->ID() != 0 ? object->ID() : static_cast<uint32_t>(Objects_.Count()) + 1;
  if (!IDUsedByOther(candidate, object)) return candidate;
  return IDIndex_.FirstFreeFrom(candidate + 1);  // wraps past 0xFFFFFFFF to 1
}

void TGraphControl::ObjectIDChanged(TControlKey, TGraphObject* object, uint32_t oldID) {
  if (!IDIndex_.Contains(oldID, object)) return;
  IDIndex_.Remove(oldID, object);
  IDIndex_.Add(object->ID(), object);
}

TGraphObject* TGraphControl::ObjectByID(uint32_t id) const {
  const size_t holders = IDIndex_.Count(id);
  if (holders == 0) return nullptr;
  TGraphObject* found = nullptr;
  if (holders == 1) {
    IDIndex_.ForEach(id, [&](TGraphObject* o) { found = o; });
    return found;
  }
  // Duplicates exist only for a moment during a read: the highest in z-order wins.
  int32_t bestIndex = -1;
  IDIndex_.ForEach(id, [&](TGraphObject* o) {
    const int32_t index = Objects_.IndexOf(o);
    if (index > bestIndex) {
      bestIndex = index;
      found = o;
    }
  });
  return found;
}

void TGraphControl::RenumberAppendedObjects(int32_t firstIndex) {
  std::vector<TGraphObject*> appended;
  for (int32_t i = std::max(firstIndex, 0); i < Objects_.Count(); ++i) appended.push_back(Objects_.Items(i));
  RenumberObjects(appended);
}

// The same as RenumberAppendedObjects for the objects a read appended, in the
// order they were read; null entries (objects removed meanwhile) are skipped.
// O(n) for the whole pass, whatever identifiers the block holds. Each
// renumbering from old to new reaches, besides the object itself, only the
// appended objects that refer to old (GetReferencedIDs): RenumberID changes
// nothing in the others. A new identifier was free when handed out, so it is
// never renumbered again later in the pass.
void TGraphControl::RenumberObjects(const std::vector<TGraphObject*>& appended) {
  // A stream the control wrote, read into an empty diagram, holds unique
  // identifiers that no object here uses: nothing to renumber.
  if (std::all_of(appended.begin(), appended.end(),
                  [this](TGraphObject* object) { return !object || NewObjectID(object) == object->ID(); }))
    return;
  std::unordered_map<uint32_t, int32_t> holders;
  std::unordered_map<uint32_t, std::vector<TGraphObject*>> referrers;
  std::vector<uint32_t> referenced;
  for (TGraphObject* object : appended) {
    if (!object) continue;
    ++holders[object->ID()];
    referenced.clear();
    object->GetReferencedIDs(referenced);
    std::sort(referenced.begin(), referenced.end());
    referenced.erase(std::unique(referenced.begin(), referenced.end()), referenced.end());
    for (uint32_t id : referenced) referrers[id].push_back(object);
  }
  for (TGraphObject* object : appended) {
    if (!object) continue;
    const uint32_t oldID = object->ID();
    const uint32_t newID = NewObjectID(object);
    if (newID == oldID) continue;
    --holders[oldID];
    ++holders[newID];
    object->RenumberID(oldID, newID);
    // Another appended object still holding the identifier means the stream
    // itself held it twice: references cannot tell the two apart, so only this
    // object moves (renumbering them all would keep the clash forever).
    if (holders[oldID] > 0) continue;
    if (auto it = referrers.find(oldID); it != referrers.end())
      for (TGraphObject* referrer : it->second)
        if (referrer != object) referrer->RenumberID(oldID, newID);
  }
}

void TGraphControl::ReplaceObject(TControlKey, TGraphObject* oldObject, TGraphObject* newObject) {
  if (Objects_.Replace(oldObject, newObject) >= 0) {
    IDIndex_.Remove(oldObject->ID(), oldObject);
    IDIndex_.Add(newObject->ID(), newObject);
  }
  SelectedObjects_.Replace(oldObject, newObject);
  S_->History->Replaced(oldObject, newObject);
  if (ObjectUnderMouse_ == oldObject) ObjectUnderMouse_ = newObject;
  S_->BoundsCacheDirty |= AllExtentKinds;
  UpdateSpatialEntry(oldObject);
  UpdateSpatialEntry(newObject);
}

// ---- Spatial index ---------------------------------------------------------------------

TSpatialIndexKind TGraphControl::DefaultSpatialIndexKind() { return DefaultIndexKind(); }

void TGraphControl::SetDefaultSpatialIndexKind(TSpatialIndexKind kind) { DefaultIndexKind() = kind; }

void TGraphControl::SetSpatialIndexKind(TSpatialIndexKind kind) {
  if (kind == SpatialIndex_->Kind()) return;
  for (TGraphObject* object : Objects_) object->SpatialEntry().Indexed = false;
  SpatialIndex_ = MakeSpatialIndex(kind, Objects_);
  UpdateAllSpatialEntries();
  S_->BoundsCacheDirty |= AllExtentKinds;
}

namespace {

// How far the object's selected painted area reaches beyond its painted area.
int32_t MarkerReach(const TGraphObject& object) {
  const TRect& painted = object.PaintBounds();
  const TRect selected = object.GetSelectedPaintBounds();
  const int64_t reach =
      std::max({int64_t{0}, int64_t{painted.Left} - selected.Left, int64_t{painted.Top} - selected.Top,
                int64_t{selected.Right} - painted.Right, int64_t{selected.Bottom} - painted.Bottom});
  return static_cast<int32_t>(std::min<int64_t>(reach, INT32_MAX));
}

}  // namespace

// An object is filed while it is in Objects and showing, under its painted
// area; every path that changes one of these ends here.
void TGraphControl::UpdateSpatialEntry(TGraphObject* object) {
  TSpatialEntry& entry = object->SpatialEntry();
  const bool wanted = !Destroying_ && object->IsShowing() && HoldsObject(object);
  if (!wanted) {
    if (entry.Indexed) SpatialIndex_->Remove(object, entry.Area, entry.Reach);
    entry.Indexed = false;
    return;
  }
  const TRect& area = object->PaintBounds();
  const int32_t reach = MarkerReach(*object);
  if (entry.Indexed) {
    if (entry.Area == area && entry.Reach == reach) return;
    const TRect oldArea = entry.Area;
    const int32_t oldReach = entry.Reach;
    entry.Area = area;
    entry.Reach = reach;
    SpatialIndex_->Update(object, oldArea, oldReach, area, reach);
    return;
  }
  entry.Area = area;
  entry.Reach = reach;
  entry.Indexed = true;
  SpatialIndex_->Insert(object, area, reach);
}

void TGraphControl::UpdateAllSpatialEntries() {
  for (TGraphObject* object : Objects_) UpdateSpatialEntry(object);
}

TGraphControl::TCandidates::TCandidates(const TGraphControl& control) : Control_(control) {
  if (!Control_.S_->FreeCandidates.empty()) {
    List_ = std::move(Control_.S_->FreeCandidates.back());
    Control_.S_->FreeCandidates.pop_back();
  }
}

TGraphControl::TCandidates::~TCandidates() {
  List_.clear();
  Control_.S_->FreeCandidates.push_back(std::move(List_));
}

TGraphControl::TRemovalWatch::TRemovalWatch(TGraphControl& control)
    : Control_(control), Outer_(control.S_->RemovedObjects) {
  Control_.S_->RemovedObjects = &Removed_;
}

TGraphControl::TRemovalWatch::~TRemovalWatch() {
  Control_.S_->RemovedObjects = Outer_;
  if (Outer_) Outer_->insert(Outer_->end(), Removed_.begin(), Removed_.end());
}

bool TGraphControl::TRemovalWatch::Removed(const TGraphObject* object) const {
  return std::find(Removed_.begin(), Removed_.end(), object) != Removed_.end();
}

namespace {

// Compares objects of `objects` by z-order.
bool Below(const TGraphObjectList& objects, const TGraphObject* a, const TGraphObject* b) {
  if (objects.KeepsPositionKeys()) return objects.PositionKey(a) < objects.PositionKey(b);
  return objects.IndexOf(a) < objects.IndexOf(b);
}

}  // namespace

// The objects whose painted area may meet `rect`, with the selected ones when
// `withSelected`, each once, bottom of the z-order first.
void TGraphControl::SelectionCandidates(const TRect& rect, bool withSelected,
                                        std::vector<TGraphObject*>& out) const {
  SpatialIndex_->Query(rect, out);
  if (!withSelected || SelectedObjects_.IsEmpty()) return;
  out.insert(out.end(), SelectedObjects_.begin(), SelectedObjects_.end());
  const auto below = [this](const TGraphObject* a, const TGraphObject* b) { return Below(Objects_, a, b); };
  std::sort(out.begin(), out.end(), below);
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

void TGraphControl::ObjectsInRect(const TRect& rect, std::vector<TGraphObject*>& out,
                                  const TGraphObjectClass* graphClass) const {
  const TGraphObjectClass* cls = graphClass ? graphClass : TGraphObject::StaticClass();
  TCandidates candidates(*this);
  SpatialIndex_->Query(rect, candidates.List());
  for (TGraphObject* object : candidates.List())
    if (object->InheritsFrom(cls) && object->OverlapsRect(rect)) out.push_back(object);
}

// ---- Creating and clearing ---------------------------------------------------------------

TGraphObject* TGraphControl::AddNode(const TRect& bounds, const TGraphObjectClass* nodeClass) {
  const TGraphObjectClass* cls = nodeClass ? nodeClass : DefaultNodeClass_;
  if (!cls || !cls->IsNode() || !cls->NodeFactory()) return nullptr;
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  try {
    return cls->NodeFactory()(cls, this, bounds);
  } catch (const EGraphCreateRefused&) {
    return nullptr;
  }
}

TGraphObject* TGraphControl::AddLink(TGraphObject* source, const TPoints& points,
                                     const TGraphObjectClass* linkClass) {
  const TGraphObjectClass* cls = linkClass ? linkClass : DefaultLinkClass_;
  if (!cls || !cls->IsLink() || !cls->LinkFactory()) return nullptr;
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  try {
    return cls->LinkFactory()(cls, this, source, points, nullptr);
  } catch (const EGraphCreateRefused&) {
    return nullptr;
  }
}

TGraphObject* TGraphControl::AddLink(const TPoints& points, const TGraphObjectClass* linkClass) {
  return AddLink(nullptr, points, linkClass);
}

void TGraphControl::Clear() {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  THistoryReset reset(*this);
  if (!Objects_.IsEmpty()) {
    TUpdateLock lock(*this);
    {
      TQuerySuppressLock suppress(*this);
      Objects_.Clear();
    }
    S_->DeferredChange = dcReset;
  }
  SetCommandMode(cmEdit);
  HorzScrollBar_.SetPosition(0);
  VertScrollBar_.SetPosition(0);
}

// ---- Searching, counting, visiting ---------------------------------------------------------

int32_t TGraphControl::CountObjects(const TGraphObjectClass* graphClass) const {
  return CountInstances(Objects_, graphClass);
}

int32_t TGraphControl::CountSelected(const TGraphObjectClass* graphClass) const {
  return CountInstances(SelectedObjects_, graphClass);
}

void TGraphControl::VisitObjects(const TGraphVisitCallback& callback, int32_t userData, bool selectedOnly) {
  TGraphObjectList& list = selectedOnly ? SelectedObjects_ : Objects_;
  if (!callback || list.IsEmpty()) return;
  TUpdateLock lock(*this);
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  for (TGraphObject* object = list.First(); object; object = list.Next())
    if (!callback(object, userData)) break;
}

TGraphObject* TGraphControl::ObjectAtPoint(int32_t x, int32_t y, TGraphObject* below) const {
  const TPoint p{x, y};
  // Only objects under `below` in z-order take part; one that is not in
  // Objects has nothing under it.
  if (below && Objects_.IndexOf(below) < 0) return nullptr;
  TCandidates candidates(*this);
  SpatialIndex_->Query({x, y, x, y}, candidates.List());
  TGraphObject* candidate = nullptr;
  for (auto it = candidates.List().rbegin(); it != candidates.List().rend(); ++it) {
    TGraphObject* object = *it;
    if (object == DragSource_ || (below && !Below(Objects_, object, below))) continue;
    const THitCode code = object->HitTest(p);
    if (code == htNone) continue;
    if (!candidate) {
      candidate = object;
      if (SelectedObjects_.IsEmpty()) return candidate;
    }
    if (!object->Selected()) continue;
    if (object == candidate) return candidate;
    // A selected node hit elsewhere than its body and caption (on a marker)
    // wins over an unselected object above it.
    if (object->IsLink() || !(code & (htBody | htCaption))) return object;
  }
  return candidate;
}

TGraphObject* TGraphControl::NextObjectOf(int32_t startIndex, bool inclusive, bool backward, bool wrap,
                                          const TGraphObjectClass* graphClass) const {
  const TGraphObjectClass* cls = graphClass ? graphClass : TGraphObject::StaticClass();
  const int32_t count = Objects_.Count();
  auto scan = [&](int32_t from, int32_t to, int32_t step) -> TGraphObject* {
    for (int32_t i = from; step > 0 ? i <= to : i >= to; i += step) {
      if (i < 0 || i >= count) continue;
      TGraphObject* object = Objects_.Items(i);
      if (object->InheritsFrom(cls)) return object;
    }
    return nullptr;
  };
  TGraphObject* found = nullptr;
  if (!backward) {
    found = scan(std::max(inclusive ? startIndex : startIndex + 1, 0), count - 1, 1);
    if (!found && wrap) found = scan(0, std::min(startIndex - 1, count - 1), 1);
  } else {
    found = scan(std::min(inclusive ? startIndex : startIndex - 1, count - 1), 0, -1);
    if (!found && wrap) found = scan(count - 1, std::max(startIndex + 1, 0), -1);
  }
  return found;
}

bool TGraphControl::SelectFollowing(bool backward, const TGraphObjectClass* graphClass) {
  if (Objects_.IsEmpty()) return false;
  const TGraphObjectClass* cls = graphClass ? graphClass : TGraphObject::StaticClass();
  TGraphObject* current = nullptr;
  for (TGraphObject* object : SelectedObjects_) {
    if (object->InheritsFrom(cls)) {
      current = object;
      break;
    }
  }
  // With no current object, forward starts at index 0 and backward at the last index.
  int32_t index = current ? Objects_.IndexOf(current) : (backward ? Objects_.Count() : -1);
  TGraphObject* found = nullptr;
  std::unordered_set<const TGraphObject*> visited;
  while (TGraphObject* next = NextObjectOf(index, false, backward, true, cls)) {
    if (!visited.insert(next).second) break;
    if (next->Options() & goSelectable) {
      found = next;
      break;
    }
    index = Objects_.IndexOf(next);
  }
  if (!found) return false;
  SelectedObjects_.Clear();
  found->SetSelected(true);
  BringIntoView(found);
  return true;
}

// ---- Command mode ------------------------------------------------------------------------

void TGraphControl::SetCommandMode(TGraphCommandMode value) {
  if (CommandMode_ == value) return;
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  if (DragSource_) DragSource_->EndDrag(false);
  CommandMode_ = value;
  if (value == cmBrowse || IsInsertMode(value)) SelectedObjects_.Clear();
  CalcScrollRanges();
  DoCommandModeChange();
}

// ---- Class registries ----------------------------------------------------------------------

void TGraphControl::RegisterNodeClass(const TGraphObjectClass* nodeClass) {
  RegisterClassIn(NodeRegistry(), nodeClass);
}
void TGraphControl::UnregisterNodeClass(const TGraphObjectClass* nodeClass) {
  UnregisterClassIn(NodeRegistry(), nodeClass);
}
int32_t TGraphControl::NodeClassCount() {
  return NodeRegistry() ? static_cast<int32_t>(NodeRegistry()->size()) : 0;
}
const TGraphObjectClass* TGraphControl::NodeClasses(int32_t index) {
  return RegistryItem(NodeRegistry(), index);
}

void TGraphControl::RegisterLinkClass(const TGraphObjectClass* linkClass) {
  RegisterClassIn(LinkRegistry(), linkClass);
}
void TGraphControl::UnregisterLinkClass(const TGraphObjectClass* linkClass) {
  UnregisterClassIn(LinkRegistry(), linkClass);
}
int32_t TGraphControl::LinkClassCount() {
  return LinkRegistry() ? static_cast<int32_t>(LinkRegistry()->size()) : 0;
}
const TGraphObjectClass* TGraphControl::LinkClasses(int32_t index) {
  return RegistryItem(LinkRegistry(), index);
}

}  // namespace gc
