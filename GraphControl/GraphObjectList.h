// An ordered list of graph object references with a change callback and a
// forward enumeration that survives removal. The list never owns what it
// holds; the control owns every object.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace gc {

class TGraphObject;
class TGraphObjectList;

enum TGraphListAction : uint8_t { glaAdded = 0, glaRemoved = 1, glaReordered = 2 };

using TGraphObjectListEvent =
    std::function<void(TGraphObjectList* list, TGraphObject* object, TGraphListAction action)>;

class TGraphObjectList {
 public:
  TGraphObjectList() = default;
  // Sets Capacity to 0 first, so every held object is reported as removed.
  virtual ~TGraphObjectList();

  TGraphObjectList(const TGraphObjectList&) = delete;
  TGraphObjectList& operator=(const TGraphObjectList&) = delete;

  // Called after every add, remove and reorder, never for a null object.
  TGraphObjectListEvent OnChange;
  // While OnChange runs: the index the object was added at, removed from or
  // moved to, and for a move the index it came from (-1 otherwise).
  int32_t ChangeIndex() const { return ChangeIndex_; }
  int32_t ChangeFromIndex() const { return ChangeFromIndex_; }

  int32_t Count() const { return static_cast<int32_t>(Items_.size()); }
  bool IsEmpty() const { return Items_.empty(); }

  // Raises EListError "Index out of range (%d)" outside 0..Count-1.
  TGraphObject* Items(int32_t index) const;
  TGraphObject* operator[](int32_t index) const { return Items(index); }

  int32_t Add(TGraphObject* object);
  // Index 0..Count; raises "Index out of range (%d)" otherwise.
  void Insert(int32_t index, TGraphObject* object);
  void Delete(int32_t index);
  // Removes the occurrence IndexOf finds; returns its index or -1.
  int32_t Remove(TGraphObject* object);
  // Searches from the last entry down, so with duplicates the higher index wins.
  int32_t IndexOf(const TGraphObject* object) const;
  bool Contains(const TGraphObject* object) const { return IndexOf(object) >= 0; }
  // The slot of `oldObject` takes `newObject`, without notification; returns
  // the index or -1.
  int32_t Replace(TGraphObject* oldObject, TGraphObject* newObject);
  // Moves one object to another index and reports glaReordered.
  void Move(int32_t fromIndex, int32_t toIndex);

  // The number of slots by the list's growth rule: 16 more while Count < 64,
  // 8 more from then on. Setting it below Count deletes from the end first.
  int32_t Capacity() const { return Capacity_; }
  void SetCapacity(int32_t capacity);
  void Clear() { SetCapacity(0); }

  // Clears, then adds every object of `source` in order.
  void Assign(const TGraphObjectList& source);

  // Forward enumeration. Deleting the current object or one before it moves
  // the cursor back, so Next yields the object that followed; inserting at or
  // before the cursor moves it on, so no object is visited twice. Next after
  // the end (or without First) raises "List enumeration is not initialized".
  TGraphObject* First();
  TGraphObject* Next();

  // Keeps a position key on every held object, ascending in list order, so
  // that IndexOf and Remove find an object by binary search and an object
  // that is not held is told at once. The keys live on the objects, in key
  // slot `slot` (0 or 1); the control keys Objects and SelectedObjects in
  // the two slots. A list given an object that already has a key in its
  // slot (held twice, or by another control's list) falls back to scanning
  // until it is empty again.
  void KeepPositionKeys(int slot);
  // The object's position key in this list; 0 when the list keeps no keys
  // or does not hold the object. Keys compare as the positions do.
  uint64_t PositionKey(const TGraphObject* object) const;
  bool KeepsPositionKeys() const { return Keyed(); }

  // The held objects, for read-only iteration.
  const std::vector<TGraphObject*>& Items() const { return Items_; }
  auto begin() const { return Items_.begin(); }
  auto end() const { return Items_.end(); }

 protected:
  // Asked before an object enters the list (Add, Insert, Assign); raises to
  // refuse it, leaving the list unchanged. The base list takes anything.
  virtual void CheckAdmission(const TGraphObject* /*object*/) const {}
  // The list's notification: calls OnChange for a non-null object.
  virtual void Notify(TGraphObject* object, TGraphListAction action);
  // Notify, with the indices ChangeIndex and ChangeFromIndex report.
  void NotifyAt(TGraphObject* object, TGraphListAction action, int32_t index, int32_t fromIndex = -1);

 private:
  void Grow();
  void CheckIndex(int32_t index, int32_t highest) const;
  bool Keyed() const { return KeyMode_ == TKeyMode::Keyed; }
  // Gives the object at `index` a key between its neighbours' keys.
  void PlaceKey(int32_t index);
  void Renumber();
  void ReleaseKey(TGraphObject* object);
  // Called before `object` enters the list: a second occurrence or an object
  // without a free key entry ends the keyed mode.
  void Admit(const TGraphObject* object);
  void DropKeys();
  // The key entry this list holds on the object, or null.
  uint64_t* KeySlot(const TGraphObject* object) const;
  uint64_t& RawKey(TGraphObject* object) const;

  enum class TKeyMode : uint8_t { None, Keyed, Scanning };

  std::vector<TGraphObject*> Items_;
  int32_t Capacity_ = 0;
  int32_t Cursor_ = -1;
  bool Enumerating_ = false;
  TKeyMode KeyMode_ = TKeyMode::None;
  uint8_t KeySlot_ = 0;
  int32_t ChangeIndex_ = -1;
  int32_t ChangeFromIndex_ = -1;
};

}  // namespace gc
