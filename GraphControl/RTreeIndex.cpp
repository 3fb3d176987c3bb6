// The R-tree implementation of TSpatialIndex (Boost.Geometry). Areas are
// filed with 64-bit coordinates so that sizes computed inside the tree never
// overflow at the coordinate limits. An area whose Right is left of its Left
// (or Bottom above its Top) has no box; such areas are kept aside and are
// candidates of every query.
#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/function_output_iterator.hpp>
#include <cassert>
#include <map>
#include <utility>

#include "GraphControl/GraphObjectList.h"
#include "GraphControl/SpatialIndex.h"

namespace gc {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

using TPoint64 = bg::model::point<int64_t, 2, bg::cs::cartesian>;
using TBox = bg::model::box<TPoint64>;
using TValue = std::pair<TBox, TGraphObject*>;

bool IsRegular(const TRect& r) { return r.Left <= r.Right && r.Top <= r.Bottom; }

TBox BoxOf(const TRect& r) { return {{r.Left, r.Top}, {r.Right, r.Bottom}}; }

// The query box: the area with its corners in order, grown by `grow`.
TBox QueryBox(const TRect& r, int64_t grow) {
  return {{std::min<int64_t>(r.Left, r.Right) - grow, std::min<int64_t>(r.Top, r.Bottom) - grow},
          {std::max<int64_t>(r.Left, r.Right) + grow, std::max<int64_t>(r.Top, r.Bottom) + grow}};
}

class TRTreeIndex final : public TSpatialIndex {
 public:
  explicit TRTreeIndex(const TGraphObjectList& objects) : Objects_(objects) {}

  TSpatialIndexKind Kind() const override { return TSpatialIndexKind::RTree; }

  void Insert(TGraphObject* object, const TRect& area, int32_t reach) override {
    if (IsRegular(area))
      Tree_.insert({BoxOf(area), object});
    else
      Irregular_.push_back({area, object});
    ++Reaches_[reach];
  }

  void Remove(TGraphObject* object, const TRect& area, int32_t reach) override {
    if (IsRegular(area)) {
      if (Tree_.remove(TValue{BoxOf(area), object}) == 0) RemoveAnywhere(object);
    } else {
      const auto found = std::find_if(Irregular_.begin(), Irregular_.end(),
                                      [object](const auto& entry) { return entry.second == object; });
      if (found != Irregular_.end()) Irregular_.erase(found);
    }
    const auto count = Reaches_.find(reach);
    if (count != Reaches_.end() && --count->second == 0) Reaches_.erase(count);
  }

  void Clear() override {
    Tree_.clear();
    Irregular_.clear();
    Reaches_.clear();
  }

  void Query(const TRect& area, std::vector<TGraphObject*>& out) const override {
    if (!Objects_.KeepsPositionKeys()) {
      // Without keys the answers cannot be put in z-order: every object is a candidate.
      out.insert(out.end(), Objects_.begin(), Objects_.end());
      return;
    }
    // Sorted by z-order with each key read once, into a buffer kept between queries.
    std::vector<std::pair<uint64_t, TGraphObject*>>& found = Found_;
    found.clear();
    const int64_t grow = Reaches_.empty() ? 0 : std::max(Reaches_.rbegin()->first, 0);
    const auto add = [&](TGraphObject* object) { found.emplace_back(Objects_.PositionKey(object), object); };
    Tree_.query(bgi::intersects(QueryBox(area, grow)),
                boost::make_function_output_iterator([&add](const TValue& v) { add(v.second); }));
    for (const auto& entry : Irregular_) add(entry.second);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : found) out.push_back(entry.second);
  }

  bool Extent(TRect& out) const override {
    bool any = false;
    if (!Tree_.empty()) {
      const TBox box = Tree_.bounds();
      out = {static_cast<int32_t>(box.min_corner().get<0>()), static_cast<int32_t>(box.min_corner().get<1>()),
             static_cast<int32_t>(box.max_corner().get<0>()),
             static_cast<int32_t>(box.max_corner().get<1>())};
      any = true;
    }
    for (const auto& entry : Irregular_) {
      const TRect& r = entry.first;
      out = any ? TRect{std::min(out.Left, r.Left), std::min(out.Top, r.Top), std::max(out.Right, r.Right),
                        std::max(out.Bottom, r.Bottom)}
                : r;
      any = true;
    }
    if (!any) out = {0, 0, 0, 0};
    return true;
  }

 private:
  // The entry was filed under another area than the caller says: a fault
  // in the change protocol. Find it by object so no stale pointer stays.
  void RemoveAnywhere(TGraphObject* object) {
    assert(!"spatial entry filed under another area");
    for (const TValue& v : Tree_) {
      if (v.second == object) {
        Tree_.remove(TValue(v));
        return;
      }
    }
  }

  const TGraphObjectList& Objects_;
  bgi::rtree<TValue, bgi::quadratic<16>> Tree_;
  std::vector<std::pair<TRect, TGraphObject*>> Irregular_;
  // How many filed objects have each reach; the largest grows every query.
  std::map<int32_t, int32_t> Reaches_;
  mutable std::vector<std::pair<uint64_t, TGraphObject*>> Found_;
};

}  // namespace

std::unique_ptr<TSpatialIndex> MakeRTreeIndex(const TGraphObjectList& objects) {
  return std::make_unique<TRTreeIndex>(objects);
}

}  // namespace gc
