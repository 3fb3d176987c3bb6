// The R-tree implementation of TSpatialIndex (Boost.Geometry). Areas are
// filed with 64-bit coordinates so that sizes computed inside the tree never
// overflow at the coordinate limits. An area whose Right is left of its Left
// (or Bottom above its Top) has no box; such areas are kept aside and are
// candidates of every query.
#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/filter_iterator.hpp>
#include <boost/iterator/function_output_iterator.hpp>
#include <boost/iterator/transform_iterator.hpp>
#include <cassert>
#include <map>
#include <utility>

#include "GraphControl/GraphObject.h"
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

  // Changes are queued and applied by the next query, so a batch (loading,
  // inserting in one update lock) builds the tree in one pass from the
  // objects' entries instead of inserting one by one. The extent is kept
  // without the tree where it can be: an entry coming in widens it, one
  // going out leaves it unless it lay on its edge.
  void Insert(TGraphObject* object, const TRect& area, int32_t reach) override {
    ++Reaches_[reach];
    // An entry only widens the extent.
    if (ExtentValid_) ExtentValue_ = Filed_ == 0 ? area : Union(ExtentValue_, area);
    ++Filed_;
    Queue({true, object, area});
  }

  void Remove(TGraphObject* object, const TRect& area, int32_t reach) override {
    const auto count = Reaches_.find(reach);
    if (count != Reaches_.end() && --count->second == 0) Reaches_.erase(count);
    // The extent stays unless the entry lay on its edge.
    if (ExtentValid_ && (area.Left <= ExtentValue_.Left || area.Top <= ExtentValue_.Top ||
                         area.Right >= ExtentValue_.Right || area.Bottom >= ExtentValue_.Bottom))
      ExtentValid_ = false;
    --Filed_;
    Queue({false, object, area});
  }

  void Clear() override {
    Tree_.clear();
    Irregular_.clear();
    Reaches_.clear();
    Pending_.clear();
    RebuildDue_ = false;
    Filed_ = 0;
    ExtentValid_ = true;
  }

  void Query(const TRect& area, std::vector<TGraphObject*>& out) const override {
    if (!Objects_.KeepsPositionKeys()) {
      // Without keys the answers cannot be put in z-order: every object is a candidate.
      out.insert(out.end(), Objects_.begin(), Objects_.end());
      return;
    }
    Flush();
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
    if (!ExtentValid_) {
      ExtentValue_ = MeasureTree();
      ExtentValid_ = true;
    }
    out = Filed_ == 0 ? TRect{0, 0, 0, 0} : ExtentValue_;
    return true;
  }

 private:
  struct TChange {
    bool Insert;
    TGraphObject* Object;
    TRect Area;
  };

  static TRect Union(const TRect& a, const TRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
  }

  // Many changes without a query in between (one object moved again and
  // again) are applied one by one, so the queue stays bounded. Rebuilding
  // is left to queries: while the caller is changing an entry, the entries
  // on the objects are not yet what the queue leads to.
  //
  // Once the queue holds more changes than a rebuild costs, the tree is due
  // for a rebuild from the entries on the objects and the queue is dropped:
  // loading a large diagram does not also hold a queue as long as itself.
  void Queue(const TChange& change) {
    if (RebuildDue_) return;
    Pending_.push_back(change);
    if (Pending_.size() >= FlushLimit()) {
      RebuildDue_ = true;
      std::vector<TChange>().swap(Pending_);
    } else if (Pending_.size() > 2 * static_cast<size_t>(std::max<int64_t>(Filed_, 0)) + 1024) {
      for (const TChange& queued : Pending_) Apply(queued);
      Pending_.clear();
    }
  }

  size_t FlushLimit() const { return Tree_.size() / 4 + 64; }

  TRect MeasureTree() const {
    Flush();
    TRect out{0, 0, 0, 0};
    bool any = false;
    if (!Tree_.empty()) {
      const TBox box = Tree_.bounds();
      out = {static_cast<int32_t>(box.min_corner().get<0>()), static_cast<int32_t>(box.min_corner().get<1>()),
             static_cast<int32_t>(box.max_corner().get<0>()),
             static_cast<int32_t>(box.max_corner().get<1>())};
      any = true;
    }
    for (const auto& entry : Irregular_) {
      out = any ? Union(out, entry.first) : entry.first;
      any = true;
    }
    return out;
  }

  // Applies the queued changes; many of them rebuild the tree from the
  // entries the objects carry, which packs it better and costs less.
  void Flush() const {
    if (RebuildDue_) {
      Rebuild();
      RebuildDue_ = false;
    }
    for (const TChange& change : Pending_) Apply(change);
    Pending_.clear();
  }

  // Packs the tree straight from the entries on the objects, without a
  // copy of all values: the rebuild after loading happens at the diagram's
  // largest, and the copy would add to its peak memory.
  void Rebuild() const {
    Tree_.clear();
    Irregular_.clear();
    const std::vector<TGraphObject*>& objects = Objects_.Items();
    for (TGraphObject* object : objects) {
      const TSpatialEntry& entry = object->SpatialEntry();
      if (entry.Indexed && !IsRegular(entry.Area)) Irregular_.push_back({entry.Area, object});
    }
    const auto first = boost::make_transform_iterator(
        boost::make_filter_iterator(&FiledInTree, objects.begin(), objects.end()), &ValueOf);
    const auto last = boost::make_transform_iterator(
        boost::make_filter_iterator(&FiledInTree, objects.end(), objects.end()), &ValueOf);
    Tree_ = TTree(first, last);
  }

  static bool FiledInTree(const TGraphObject* object) {
    const TSpatialEntry& entry = object->SpatialEntry();
    return entry.Indexed && IsRegular(entry.Area);
  }
  static TValue ValueOf(TGraphObject* object) { return {BoxOf(object->SpatialEntry().Area), object}; }

  void Apply(const TChange& change) const {
    if (change.Insert) {
      if (IsRegular(change.Area))
        Tree_.insert({BoxOf(change.Area), change.Object});
      else
        Irregular_.push_back({change.Area, change.Object});
    } else if (IsRegular(change.Area)) {
      if (Tree_.remove(TValue{BoxOf(change.Area), change.Object}) == 0) RemoveAnywhere(change.Object);
    } else {
      const auto found = std::find_if(Irregular_.begin(), Irregular_.end(),
                                      [&change](const auto& entry) { return entry.second == change.Object; });
      if (found != Irregular_.end()) Irregular_.erase(found);
    }
  }

  // The entry was filed under another area than the caller says: a fault
  // in the change protocol. Find it by object so no stale pointer stays.
  void RemoveAnywhere(TGraphObject* object) const {
    assert(!"spatial entry filed under another area");
    for (const TValue& v : Tree_) {
      if (v.second == object) {
        Tree_.remove(TValue(v));
        return;
      }
    }
  }

  using TTree = bgi::rtree<TValue, bgi::quadratic<16>>;
  const TGraphObjectList& Objects_;
  // The tree and the areas without a box, as of the last Flush.
  mutable TTree Tree_;
  mutable std::vector<std::pair<TRect, TGraphObject*>> Irregular_;
  mutable std::vector<TChange> Pending_;
  mutable bool RebuildDue_ = false;
  // How many filed objects have each reach; the largest grows every query.
  std::map<int32_t, int32_t> Reaches_;
  mutable std::vector<std::pair<uint64_t, TGraphObject*>> Found_;
  // The number of filed objects, and the extent while it is known without
  // measuring the tree.
  int64_t Filed_ = 0;
  mutable bool ExtentValid_ = true;
  mutable TRect ExtentValue_;
};

}  // namespace

std::unique_ptr<TSpatialIndex> MakeRTreeIndex(const TGraphObjectList& objects) {
  return std::make_unique<TRTreeIndex>(objects);
}

}  // namespace gc
