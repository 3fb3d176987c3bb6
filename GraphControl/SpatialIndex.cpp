#include "GraphControl/SpatialIndex.h"

#include "GraphControl/GraphObjectList.h"

namespace gc {

std::unique_ptr<TSpatialIndex> MakeRTreeIndex(const TGraphObjectList& objects);

namespace {

// The reference: every object of Objects is a candidate, in list order, and
// the extent is measured by the caller.
class TScanIndex final : public TSpatialIndex {
 public:
  explicit TScanIndex(const TGraphObjectList& objects) : Objects_(objects) {}

  TSpatialIndexKind Kind() const override { return TSpatialIndexKind::Scan; }
  void Insert(TGraphObject*, const TRect&, int32_t) override {}
  void Update(TGraphObject*, const TRect&, int32_t, const TRect&, int32_t) override {}
  void Remove(TGraphObject*, const TRect&, int32_t) override {}
  void Clear() override {}
  void Query(const TRect&, std::vector<TGraphObject*>& out) const override {
    out.insert(out.end(), Objects_.begin(), Objects_.end());
  }
  bool Extent(TRect&) const override { return false; }

 private:
  const TGraphObjectList& Objects_;
};

}  // namespace

std::unique_ptr<TSpatialIndex> MakeSpatialIndex(TSpatialIndexKind kind, const TGraphObjectList& objects) {
  if (kind == TSpatialIndexKind::Scan) return std::make_unique<TScanIndex>(objects);
  return MakeRTreeIndex(objects);
}

}  // namespace gc
