// The control's index from object identifier to the objects of its Objects
// list holding it. Identifiers are unique except for a moment during a read,
// when a block may hold one identifier many times; every operation stays O(1)
// on average however many objects share an identifier. The index also finds
// the first free identifier from a starting value in amortised O(1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace gc {

class TGraphObject;

class TObjectIDIndex {
 public:
  void Add(uint32_t id, TGraphObject* object);
  void Remove(uint32_t id, const TGraphObject* object);
  void Clear();

  bool Contains(uint32_t id, const TGraphObject* object) const;
  // True when an object other than `self` holds `id`.
  bool UsedByOther(uint32_t id, const TGraphObject* self) const;
  std::size_t Count(uint32_t id) const;
  // Calls fn(object) for every object holding `id`.
  template <class Fn>
  void ForEach(uint32_t id, Fn&& fn) const {
    if (auto single = Single_.find(id); single != Single_.end()) {
      fn(single->second);
    } else if (auto shared = Shared_.find(id); shared != Shared_.end()) {
      for (TGraphObject* object : shared->second) fn(object);
    }
  }
  std::size_t Size() const { return Size_; }

  // The first identifier from `id` on that no object holds; after 0xFFFFFFFF
  // comes 1, and 0 is never the result.
  uint32_t FirstFreeFrom(uint32_t id);

 private:
  void Forget(uint32_t id);

  // Identifiers held once, and those held by several objects.
  std::unordered_map<uint32_t, TGraphObject*> Single_;
  std::unordered_map<uint32_t, std::unordered_multiset<TGraphObject*>> Shared_;
  std::size_t Size_ = 0;
  // Shortcuts of the free-identifier search: every identifier from the key up
  // to (not including) the value is held. Held identifiers only ever join
  // while these are kept; the first identifier that becomes free drops them.
  std::unordered_map<uint32_t, uint32_t> Skips_;
  std::vector<uint32_t> Path_;
};

}  // namespace gc
