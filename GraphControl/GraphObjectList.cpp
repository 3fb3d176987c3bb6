#include "GraphControl/GraphObjectList.h"

#include <algorithm>

#include "GraphControl/Exceptions.h"

namespace gc {

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
  Grow();
  Items_.push_back(object);
  const int32_t index = Count() - 1;
  Notify(object, glaAdded);
  return index;
}

void TGraphObjectList::Insert(int32_t index, TGraphObject* object) {
  CheckIndex(index, Count());
  Grow();
  Items_.insert(Items_.begin() + index, object);
  if (Enumerating_ && index <= Cursor_) ++Cursor_;
  Notify(object, glaAdded);
}

void TGraphObjectList::Delete(int32_t index) {
  CheckIndex(index, Count() - 1);
  TGraphObject* object = Items_[static_cast<size_t>(index)];
  Items_.erase(Items_.begin() + index);
  if (Enumerating_ && index <= Cursor_) --Cursor_;
  Notify(object, glaRemoved);
}

int32_t TGraphObjectList::Remove(TGraphObject* object) {
  const int32_t index = IndexOf(object);
  if (index >= 0) Delete(index);
  return index;
}

int32_t TGraphObjectList::IndexOf(const TGraphObject* object) const {
  for (int32_t i = Count() - 1; i >= 0; --i)
    if (Items_[static_cast<size_t>(i)] == object) return i;
  return -1;
}

int32_t TGraphObjectList::Replace(TGraphObject* oldObject, TGraphObject* newObject) {
  const int32_t index = IndexOf(oldObject);
  if (index >= 0) Items_[static_cast<size_t>(index)] = newObject;
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
  Notify(object, glaReordered);
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

void TGraphObjectList::Notify(TGraphObject* object, TGraphListAction action) {
  if (object && OnChange) OnChange(this, object, action);
}

}  // namespace gc
