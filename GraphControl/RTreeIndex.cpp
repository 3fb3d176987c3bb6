// The R-tree implementation of TSpatialIndex (Boost.Geometry). Areas are
// filed with 64-bit coordinates so that sizes computed inside the tree never
// overflow at the coordinate limits. An area whose Right is left of its Left
// (or Bottom above its Top) has no box; such areas are kept aside and are
// candidates of every query.
//
// The tree keeps each area under a box a little larger than the area (by
// its entry's Slack), so that an object moved or grown by a little stays
// where it is filed and the tree is not touched: dragging, nudging and links
// that follow their nodes mostly change no box. Queries test the exact areas of
// what the tree hands them, so their answers are those of exact boxes, and
// the extent is kept from the exact areas, not from the tree.
#include <algorithm>
#include <array>
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/iterator/filter_iterator.hpp>
#include <boost/iterator/function_output_iterator.hpp>
#include <boost/iterator/transform_iterator.hpp>
#include <cassert>
#include <cstdint>
#include <iterator>
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

// The query box: the area with its corners in order, grown by `grow`.
TBox QueryBox(const TRect& r, int64_t grow) {
  return {{std::min<int64_t>(r.Left, r.Right) - grow, std::min<int64_t>(r.Top, r.Bottom) - grow},
          {std::max<int64_t>(r.Left, r.Right) + grow, std::max<int64_t>(r.Top, r.Bottom) + grow}};
}

bool Meets(const TRect& r, const TBox& box) {
  return r.Left <= box.max_corner().get<0>() && r.Right >= box.min_corner().get<0>() &&
         r.Top <= box.max_corner().get<1>() && r.Bottom >= box.min_corner().get<1>();
}

// How far an entry's tree box reaches beyond its area on each side: left,
// top, right, bottom.
using TSlack = std::array<uint8_t, 4>;

TBox FiledBox(const TRect& r, const TSlack& s) {
  return {{int64_t{r.Left} - s[0], int64_t{r.Top} - s[1]},
          {int64_t{r.Right} + s[2], int64_t{r.Bottom} + s[3]}};
}

// The slack a regular area is filed with: a margin of half its larger side,
// at least 8 and at most 64 units. An area that moved by (dx, dy) gets three
// quarters of the margins of both sides of an axis on the side it moves to.
// An irregular area has none.
TSlack FilingSlack(const TRect& area, int64_t dx = 0, int64_t dy = 0) {
  if (!IsRegular(area)) return {};
  const int64_t side = std::max(int64_t{area.Right} - area.Left, int64_t{area.Bottom} - area.Top);
  const int64_t margin = std::clamp<int64_t>(side / 2, 8, 64);
  const auto lead = [margin](int64_t d) {
    return static_cast<uint8_t>(d > 0 ? margin * 3 / 2 : d < 0 ? margin / 2 : margin);
  };
  return {lead(-dx), lead(-dy), lead(dx), lead(dy)};
}

// The slack under which `box` still holds `area`; false when the box no
// longer holds it, or holds it more loosely than a slack can say (an area
// that shrank a lot is filed again under a tighter box).
bool SlackWithin(const TBox& box, const TRect& area, TSlack& slack) {
  const int64_t gaps[4] = {area.Left - box.min_corner().get<0>(), area.Top - box.min_corner().get<1>(),
                           box.max_corner().get<0>() - area.Right, box.max_corner().get<1>() - area.Bottom};
  for (const int64_t gap : gaps)
    if (gap < 0 || gap > UINT8_MAX) return false;
  for (int side = 0; side < 4; ++side) slack[static_cast<size_t>(side)] = static_cast<uint8_t>(gaps[side]);
  return true;
}

// The four edges of an extent as keys that grow outwards: -Left, -Top,
// Right, Bottom.
constexpr int EdgeCount = 4;
int64_t EdgeKey(const TRect& r, int edge) {
  switch (edge) {
    case 0:
      return -int64_t{r.Left};
    case 1:
      return -int64_t{r.Top};
    case 2:
      return r.Right;
    default:
      return r.Bottom;
  }
}

class TRTreeIndex final : public TSpatialIndex {
 public:
  explicit TRTreeIndex(const TGraphObjectList& objects) : Objects_(objects) {}

  TSpatialIndexKind Kind() const override { return TSpatialIndexKind::RTree; }

  // Changes are queued and applied by the next query, so a batch (loading,
  // inserting in one update lock) builds the tree in one pass from the
  // objects' entries instead of inserting one by one.
  void Insert(TGraphObject* object, const TRect& area, int32_t reach) override {
    ++Reaches_[reach];
    Widen(area);
    ++Filed_;
    TSlack& slack = object->SpatialEntry().Slack;
    slack = FilingSlack(area);
    Queue({true, object, area, slack});
  }

  void Update(TGraphObject* object, const TRect& oldArea, int32_t oldReach, const TRect& area,
              int32_t reach) override {
    if (reach != oldReach) {
      Uncount(oldReach);
      ++Reaches_[reach];
    }
    Widen(area);
    Narrow(oldArea);
    TSlack& slack = object->SpatialEntry().Slack;
    if (IsRegular(area) && IsRegular(oldArea) && SlackWithin(FiledBox(oldArea, slack), area, slack)) return;
    Queue({false, object, oldArea, slack});
    slack = FilingSlack(area, int64_t{area.Left} - oldArea.Left, int64_t{area.Top} - oldArea.Top);
    Queue({true, object, area, slack});
  }

  void Remove(TGraphObject* object, const TRect& area, int32_t reach) override {
    Uncount(reach);
    Narrow(area);
    --Filed_;
    Queue({false, object, area, object->SpatialEntry().Slack});
  }

  void Clear() override {
    Tree_.clear();
    Irregular_.clear();
    Reaches_.clear();
    Pending_.clear();
    RebuildDue_ = false;
    Filed_ = 0;
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
    const TBox query = QueryBox(area, grow);
    const auto add = [&](TGraphObject* object) { found.emplace_back(Objects_.PositionKey(object), object); };
    // The tree answers by filing boxes; the exact areas decide.
    Tree_.query(bgi::intersects(query), boost::make_function_output_iterator([&](const TValue& v) {
                  if (Meets(v.second->SpatialEntry().Area, query)) add(v.second);
                }));
    for (const auto& entry : Irregular_) add(entry.second);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : found) out.push_back(entry.second);
  }

  bool Extent(TRect& out) const override {
    if (Filed_ <= 0) {
      out = {0, 0, 0, 0};
      return true;
    }
    for (int edge = 0; edge < EdgeCount; ++edge)
      if (OnEdge_[edge] == 0) MeasureEdge(edge);
    out = {static_cast<int32_t>(-Edge_[0]), static_cast<int32_t>(-Edge_[1]), static_cast<int32_t>(Edge_[2]),
           static_cast<int32_t>(Edge_[3])};
    return true;
  }

 private:
  struct TChange {
    bool Insert;
    TGraphObject* Object;
    TRect Area;
    TSlack Slack;
  };

  void Uncount(int32_t reach) {
    const auto count = Reaches_.find(reach);
    if (count != Reaches_.end() && --count->second == 0) Reaches_.erase(count);
  }

  // The extent is kept edge by edge: each edge's key is at or beyond every
  // filed area's, and OnEdge_ counts the areas lying on it. An area coming
  // in can only widen the extent; one going out leaves an edge without
  // areas on it, which is measured again when the extent is asked for.
  void Widen(const TRect& area) {
    for (int edge = 0; edge < EdgeCount; ++edge) {
      const int64_t key = EdgeKey(area, edge);
      if (Filed_ <= 0 || key > Edge_[edge]) {
        Edge_[edge] = key;
        OnEdge_[edge] = 1;
      } else if (key == Edge_[edge]) {
        ++OnEdge_[edge];
      }
    }
  }

  void Narrow(const TRect& area) {
    for (int edge = 0; edge < EdgeCount; ++edge)
      if (EdgeKey(area, edge) == Edge_[edge]) --OnEdge_[edge];
  }

  // Finds the edge from the tree. An area reaching beyond a bound is filed
  // under a box that does too, so among the boxes reaching beyond a bound
  // near the tree's own edge, an area that reaches beyond it as well is the
  // outermost; without one, the bound moves inwards, twice as far each time.
  void MeasureEdge(int edge) const {
    Flush();
    int64_t best = INT64_MIN;
    int64_t count = 0;
    const auto consider = [&](const TRect& area) {
      const int64_t key = EdgeKey(area, edge);
      if (key > best) {
        best = key;
        count = 1;
      } else if (key == best) {
        ++count;
      }
    };
    if (!Tree_.empty()) {
      const TBox bounds = Tree_.bounds();
      const int axis = edge % 2;
      const bool low = edge < 2;
      const int64_t outer = Coordinate(low ? bounds.min_corner() : bounds.max_corner(), axis);
      const int64_t inner = Coordinate(low ? bounds.max_corner() : bounds.min_corner(), axis);
      for (int64_t depth = 128;; depth *= 2) {
        const bool whole = depth >= (low ? inner - outer : outer - inner);
        const int64_t bound = low ? outer + depth : outer - depth;
        TBox strip = bounds;
        if (!whole) SetCoordinate(low ? strip.max_corner() : strip.min_corner(), axis, bound);
        best = INT64_MIN;
        count = 0;
        Tree_.query(bgi::intersects(strip), boost::make_function_output_iterator([&](const TValue& v) {
                      consider(v.second->SpatialEntry().Area);
                    }));
        if (whole || (count > 0 && best >= (low ? -bound : bound))) break;
      }
    }
    for (const auto& entry : Irregular_) consider(entry.first);
    Edge_[edge] = best;
    OnEdge_[edge] = count;
  }

  static int64_t Coordinate(const TPoint64& p, int axis) { return axis == 0 ? p.get<0>() : p.get<1>(); }
  static void SetCoordinate(TPoint64& p, int axis, int64_t value) {
    if (axis == 0)
      p.set<0>(value);
    else
      p.set<1>(value);
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
    size_t inTree = 0;
    for (TGraphObject* object : objects) {
      const TSpatialEntry& entry = object->SpatialEntry();
      if (!entry.Indexed) continue;
      if (IsRegular(entry.Area))
        ++inTree;
      else
        Irregular_.push_back({entry.Area, object});
    }
    // Packing keeps an iterator per value until it is done; when every
    // object is in the tree, a bare pointer does.
    if (inTree == objects.size()) {
      Tree_ = TTree(TValueIterator(objects.data()), TValueIterator(objects.data() + objects.size()));
      return;
    }
    const auto first = boost::make_transform_iterator(
        boost::make_filter_iterator(&FiledInTree, objects.begin(), objects.end()), &ValueOf);
    const auto last = boost::make_transform_iterator(
        boost::make_filter_iterator(&FiledInTree, objects.end(), objects.end()), &ValueOf);
    Tree_ = TTree(first, last);
  }

  // The tree values of a run of objects that are all in the tree.
  class TValueIterator {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = TValue;
    using difference_type = std::ptrdiff_t;
    using pointer = const TValue*;
    using reference = TValue;

    explicit TValueIterator(TGraphObject* const* at) : At_(at) {}
    TValue operator*() const { return ValueOf(*At_); }
    TValue operator[](difference_type n) const { return ValueOf(At_[n]); }
    TValueIterator& operator++() {
      ++At_;
      return *this;
    }
    TValueIterator operator++(int) { return TValueIterator(At_++); }
    TValueIterator& operator--() {
      --At_;
      return *this;
    }
    TValueIterator operator--(int) { return TValueIterator(At_--); }
    TValueIterator& operator+=(difference_type n) {
      At_ += n;
      return *this;
    }
    TValueIterator& operator-=(difference_type n) {
      At_ -= n;
      return *this;
    }
    TValueIterator operator+(difference_type n) const { return TValueIterator(At_ + n); }
    TValueIterator operator-(difference_type n) const { return TValueIterator(At_ - n); }
    difference_type operator-(const TValueIterator& other) const { return At_ - other.At_; }
    auto operator<=>(const TValueIterator&) const = default;

   private:
    TGraphObject* const* At_;
  };

  static bool FiledInTree(const TGraphObject* object) {
    const TSpatialEntry& entry = object->SpatialEntry();
    return entry.Indexed && IsRegular(entry.Area);
  }
  static TValue ValueOf(TGraphObject* object) {
    const TSpatialEntry& entry = object->SpatialEntry();
    return {FiledBox(entry.Area, entry.Slack), object};
  }

  void Apply(const TChange& change) const {
    if (change.Insert) {
      if (IsRegular(change.Area))
        Tree_.insert({FiledBox(change.Area, change.Slack), change.Object});
      else
        Irregular_.push_back({change.Area, change.Object});
    } else if (IsRegular(change.Area)) {
      if (Tree_.remove(TValue{FiledBox(change.Area, change.Slack), change.Object}) == 0)
        RemoveAnywhere(change.Object);
    } else {
      const auto found = std::find_if(Irregular_.begin(), Irregular_.end(),
                                      [&change](const auto& entry) { return entry.second == change.Object; });
      if (found != Irregular_.end()) Irregular_.erase(found);
    }
  }

  // The entry was filed under another box than the caller says: a fault
  // in the change protocol. Find it by object so no stale pointer stays.
  void RemoveAnywhere(TGraphObject* object) const {
    assert(!"spatial entry filed under another box");
    for (const TValue& v : Tree_) {
      if (v.second == object) {
        Tree_.remove(TValue(v));
        return;
      }
    }
  }

  using TTree = bgi::rtree<TValue, bgi::linear<16>>;
  const TGraphObjectList& Objects_;
  // The tree and the areas without a box, as of the last Flush.
  mutable TTree Tree_;
  mutable std::vector<std::pair<TRect, TGraphObject*>> Irregular_;
  mutable std::vector<TChange> Pending_;
  mutable bool RebuildDue_ = false;
  // How many filed objects have each reach; the largest grows every query.
  std::map<int32_t, int32_t> Reaches_;
  mutable std::vector<std::pair<uint64_t, TGraphObject*>> Found_;
  // The number of filed objects, and their extent edge by edge (see Widen).
  int64_t Filed_ = 0;
  mutable std::array<int64_t, EdgeCount> Edge_{};
  mutable std::array<int64_t, EdgeCount> OnEdge_{};
};

}  // namespace

std::unique_ptr<TSpatialIndex> MakeRTreeIndex(const TGraphObjectList& objects) {
  return std::make_unique<TRTreeIndex>(objects);
}

}  // namespace gc
