// The control's index from object identifier to the objects of its Objects
// list holding it. Identifiers are unique except for a moment during a read,
// so the index is a multimap; lookups and updates cost O(1) on average.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace gc {

class TGraphObject;

class TObjectIDIndex {
 public:
  void Add(uint32_t id, TGraphObject* object) { Map_.emplace(id, object); }
  void Remove(uint32_t id, const TGraphObject* object) {
    auto [first, last] = Map_.equal_range(id);
    for (auto it = first; it != last; ++it) {
      if (it->second == object) {
        Map_.erase(it);
        return;
      }
    }
  }
  void Clear() { Map_.clear(); }
  // True when an object other than `self` holds `id`.
  bool UsedByOther(uint32_t id, const TGraphObject* self) const {
    auto [first, last] = Map_.equal_range(id);
    for (auto it = first; it != last; ++it)
      if (it->second != self) return true;
    return false;
  }
  bool Contains(uint32_t id, const TGraphObject* object) const {
    auto [first, last] = Map_.equal_range(id);
    for (auto it = first; it != last; ++it)
      if (it->second == object) return true;
    return false;
  }
  std::size_t Count(uint32_t id) const { return Map_.count(id); }
  // Calls fn(object) for every object holding `id`.
  template <class Fn>
  void ForEach(uint32_t id, Fn&& fn) const {
    auto [first, last] = Map_.equal_range(id);
    for (auto it = first; it != last; ++it) fn(it->second);
  }
  std::size_t Size() const { return Map_.size(); }

 private:
  std::unordered_multimap<uint32_t, TGraphObject*> Map_;
};

}  // namespace gc
