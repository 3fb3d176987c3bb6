#include "GraphControl/ObjectIDIndex.h"

#include <limits>

namespace gc {

namespace {

uint32_t NextIdentifier(uint32_t id) { return id == std::numeric_limits<uint32_t>::max() ? 1 : id + 1; }

}  // namespace

void TObjectIDIndex::Add(uint32_t id, TGraphObject* object) {
  ++Size_;
  if (auto shared = Shared_.find(id); shared != Shared_.end()) {
    shared->second.insert(object);
    return;
  }
  auto [single, inserted] = Single_.try_emplace(id, object);
  if (inserted) return;
  auto& holders = Shared_[id];
  holders.insert(single->second);
  holders.insert(object);
  Single_.erase(single);
}

void TObjectIDIndex::Remove(uint32_t id, const TGraphObject* object) {
  if (auto single = Single_.find(id); single != Single_.end()) {
    if (single->second != object) return;
    Single_.erase(single);
    Forget(id);
  } else if (auto shared = Shared_.find(id); shared != Shared_.end()) {
    auto& holders = shared->second;
    auto it = holders.find(const_cast<TGraphObject*>(object));
    if (it == holders.end()) return;
    holders.erase(it);
    if (holders.size() == 1) {
      Single_.emplace(id, *holders.begin());
      Shared_.erase(shared);
    }
  } else {
    return;
  }
  --Size_;
}

void TObjectIDIndex::Clear() {
  Single_.clear();
  Shared_.clear();
  Size_ = 0;
  Skips_ = {};
}

// An identifier no object holds any more may lie inside a shortcut.
void TObjectIDIndex::Forget(uint32_t id) {
  if (id != 0 && !Skips_.empty()) Skips_ = {};
}

bool TObjectIDIndex::Contains(uint32_t id, const TGraphObject* object) const {
  if (auto single = Single_.find(id); single != Single_.end()) return single->second == object;
  auto shared = Shared_.find(id);
  return shared != Shared_.end() && shared->second.count(const_cast<TGraphObject*>(object)) != 0;
}

bool TObjectIDIndex::UsedByOther(uint32_t id, const TGraphObject* self) const {
  if (auto single = Single_.find(id); single != Single_.end()) return single->second != self;
  auto shared = Shared_.find(id);
  return shared != Shared_.end() &&
         shared->second.size() > shared->second.count(const_cast<TGraphObject*>(self));
}

std::size_t TObjectIDIndex::Count(uint32_t id) const {
  if (Single_.count(id) != 0) return 1;
  auto shared = Shared_.find(id);
  return shared == Shared_.end() ? 0 : shared->second.size();
}

uint32_t TObjectIDIndex::FirstFreeFrom(uint32_t id) {
  uint32_t candidate = id == 0 ? 1 : id;
  Path_.clear();
  while (Count(candidate) != 0) {
    Path_.push_back(candidate);
    auto skip = Skips_.find(candidate);
    candidate = skip != Skips_.end() ? skip->second : NextIdentifier(candidate);
  }
  // Every identifier passed on the way is held up to the free one found.
  for (uint32_t passed : Path_) Skips_[passed] = candidate;
  return candidate;
}

}  // namespace gc
