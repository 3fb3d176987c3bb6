#include "GraphControl/GraphObjectList.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "GraphControl/Exceptions.h"
#include "GraphControl/GraphObject.h"

namespace gc {

namespace {

// Position keys start in the middle of the key range, one gap apart, so
// objects can be put before the first and after the last for a long time
// and between two neighbours 24 times before the keys are renumbered.
constexpr uint64_t FirstKey = uint64_t{1} << 62;
constexpr uint64_t KeyGap = uint64_t{1} << 24;

}  // namespace

// Capacity reports the logical slot count of the list's growth rule (16 more
// while Count < 64, then 8 more), which callers and tests can observe. The
// real storage is a std::vector that grows geometrically: growing it by 8
// slots at a time would copy the whole array every 8 insertions, making n
// appends O(n^2); geometric growth keeps them O(n) amortised.

TGraphObjectList::~TGraphObjectList() { SetCapacity(0); }

void TGraphObjectList::CheckIndex(int32_t index, int32_t highest) const {
  if (index < 0 || index > highest) throw EListError(Format("Index out of range (%d)", index));
}

TGraphObject* TGraphObjectList::Items(int32_t index) const {
  CheckIndex(index, Count() - 1);
  return Items_[static_cast<size_t>(index)];
}

void TGraphObjectList::Grow() {
  if (Count() < Capacity_) return;
  Capacity_ += Count() < 64 ? 16 : 8;
}

int32_t TGraphObjectList::Add(TGraphObject* object) {
  CheckAdmission(object);
  Grow();
  Admit(object);
  Items_.push_back(object);
  const int32_t index = Count() - 1;
  if (Keyed()) PlaceKey(index);
  NotifyAt(object, glaAdded, index);
  return index;
}

void TGraphObjectList::Insert(int32_t index, TGraphObject* object) {
  CheckIndex(index, Count());
  CheckAdmission(object);
  Grow();
  Admit(object);
  Items_.insert(Items_.begin() + index, object);
  if (Keyed()) PlaceKey(index);
  if (Enumerating_ && index <= Cursor_) ++Cursor_;
  NotifyAt(object, glaAdded, index);
}

void TGraphObjectList::Delete(int32_t index) {
  CheckIndex(index, Count() - 1);
  TGraphObject* object = Items_[static_cast<size_t>(index)];
  Items_.erase(Items_.begin() + index);
  if (Keyed())
    ReleaseKey(object);
  else if (KeyMode_ == TKeyMode::Scanning && Items_.empty())
    KeyMode_ = TKeyMode::Keyed;
  if (Enumerating_ && index <= Cursor_) --Cursor_;
  NotifyAt(object, glaRemoved, index);
}

int32_t TGraphObjectList::Remove(TGraphObject* object) {
  const int32_t index = IndexOf(object);
  if (index >= 0) Delete(index);
  return index;
}

int32_t TGraphObjectList::IndexOf(const TGraphObject* object) const {
  if (Keyed()) {
    const uint64_t* slot = KeySlot(object);
    if (!slot) return -1;
    if (!Items_.empty() && Items_.back() == object) return Count() - 1;  // the usual removal
    const uint64_t key = *slot;
    const auto found = std::lower_bound(Items_.begin(), Items_.end(), key,
                                        [this](TGraphObject* o, uint64_t k) { return RawKey(o) < k; });
    if (found != Items_.end() && *found == object) return static_cast<int32_t>(found - Items_.begin());
    // A key from another list of the same slot (an object of another
    // control): not held here, which the scan below confirms.
  }
  for (int32_t i = Count() - 1; i >= 0; --i)
    if (Items_[static_cast<size_t>(i)] == object) return i;
  return -1;
}

int32_t TGraphObjectList::Replace(TGraphObject* oldObject, TGraphObject* newObject) {
  const int32_t index = IndexOf(oldObject);
  if (index < 0) return index;
  const uint64_t key = Keyed() ? *KeySlot(oldObject) : 0;
  if (Keyed()) ReleaseKey(oldObject);
  Admit(newObject);
  Items_[static_cast<size_t>(index)] = newObject;
  if (Keyed()) RawKey(newObject) = key;
  return index;
}

void TGraphObjectList::Move(int32_t fromIndex, int32_t toIndex) {
  if (fromIndex == toIndex) return;
  CheckIndex(fromIndex, Count() - 1);
  CheckIndex(toIndex, Count() - 1);
  TGraphObject* object = Items_[static_cast<size_t>(fromIndex)];
  // The enumeration cursor follows as if the object were deleted and inserted again.
  if (Enumerating_ && fromIndex <= Cursor_) --Cursor_;
  if (Enumerating_ && toIndex <= Cursor_) ++Cursor_;
  auto begin = Items_.begin();
  if (fromIndex < toIndex)
    std::rotate(begin + fromIndex, begin + fromIndex + 1, begin + toIndex + 1);
  else
    std::rotate(begin + toIndex, begin + fromIndex, begin + fromIndex + 1);
  if (Keyed()) PlaceKey(toIndex);
  NotifyAt(object, glaReordered, toIndex, fromIndex);
}

void TGraphObjectList::SetCapacity(int32_t capacity) {
  capacity = std::max(capacity, 0);
  if (capacity == Capacity_) return;
  while (Count() > capacity) Delete(Count() - 1);
  Capacity_ = capacity;
  if (capacity == 0) {
    std::vector<TGraphObject*>().swap(Items_);
  } else if (static_cast<size_t>(capacity) > Items_.capacity()) {
    Items_.reserve(static_cast<size_t>(capacity));
  }
}

void TGraphObjectList::Assign(const TGraphObjectList& source) {
  if (&source == this) return;
  Clear();
  SetCapacity(source.Count());
  for (TGraphObject* object : source.Items_) Add(object);
}

TGraphObject* TGraphObjectList::First() {
  if (Items_.empty()) {
    Enumerating_ = false;
    return nullptr;
  }
  Enumerating_ = true;
  Cursor_ = 0;
  return Items_.front();
}

TGraphObject* TGraphObjectList::Next() {
  if (Enumerating_) {
    ++Cursor_;
    if (Cursor_ >= 0 && Cursor_ < Count()) return Items_[static_cast<size_t>(Cursor_)];
    if (Cursor_ == Count()) {
      Enumerating_ = false;
      return nullptr;
    }
  }
  throw EListError("List enumeration is not initialized");
}

// ---- Position keys -------------------------------------------------------------------

void TGraphObjectList::KeepPositionKeys(int slot) {
  if (KeyMode_ != TKeyMode::None) return;
  assert(slot >= 0 && slot < 2);
  KeySlot_ = static_cast<uint8_t>(slot);
  KeyMode_ = TKeyMode::Keyed;
  for (TGraphObject* object : Items_) {
    Admit(object);
    if (!Keyed()) return;
    RawKey(object) = 1;  // held; Renumber gives the real keys
  }
  Renumber();
}

uint64_t TGraphObjectList::PositionKey(const TGraphObject* object) const {
  if (!Keyed()) return 0;
  const uint64_t* slot = KeySlot(object);
  return slot ? *slot : 0;
}

uint64_t& TGraphObjectList::RawKey(TGraphObject* object) const { return object->ListKeys_[KeySlot_]; }

uint64_t* TGraphObjectList::KeySlot(const TGraphObject* object) const {
  uint64_t& key = RawKey(const_cast<TGraphObject*>(object));
  return key != 0 ? &key : nullptr;
}

void TGraphObjectList::ReleaseKey(TGraphObject* object) { RawKey(object) = 0; }

// An object that has a key in this list's slot already is held twice, or by
// another list of that slot: its key cannot follow two positions.
void TGraphObjectList::Admit(const TGraphObject* object) {
  if (Keyed() && KeySlot(object)) DropKeys();
}

void TGraphObjectList::DropKeys() {
  for (TGraphObject* object : Items_) ReleaseKey(object);
  KeyMode_ = TKeyMode::Scanning;
}

void TGraphObjectList::PlaceKey(int32_t index) {
  uint64_t& key = RawKey(Items_[static_cast<size_t>(index)]);
  const bool hasPrevious = index > 0;
  const bool hasNext = index + 1 < Count();
  const uint64_t low = hasPrevious ? RawKey(Items_[static_cast<size_t>(index - 1)]) : 0;
  const uint64_t high = hasNext ? RawKey(Items_[static_cast<size_t>(index + 1)]) : 0;
  if (!hasPrevious && !hasNext) {
    key = FirstKey;
  } else if (!hasNext && low <= UINT64_MAX - KeyGap) {
    key = low + KeyGap;
  } else if (!hasPrevious && high > KeyGap) {
    key = high - KeyGap;
  } else if (hasPrevious && hasNext && high > low + 1) {
    key = low + (high - low) / 2;
  } else {
    Renumber();
  }
}

void TGraphObjectList::Renumber() {
  uint64_t key = FirstKey;
  for (TGraphObject* object : Items_) {
    RawKey(object) = key;
    key += KeyGap;
  }
}

void TGraphObjectList::Notify(TGraphObject* object, TGraphListAction action) {
  if (object && OnChange) OnChange(this, object, action);
}

void TGraphObjectList::NotifyAt(TGraphObject* object, TGraphListAction action, int32_t index,
                                int32_t fromIndex) {
  ChangeIndex_ = index;
  ChangeFromIndex_ = fromIndex;
  Notify(object, action);
}

}  // namespace gc
