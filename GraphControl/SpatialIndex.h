// How this fits with the rest of the library: docs/architecture.md.
// The control's spatial index of the painted areas of its showing objects.
// Hit testing, the rubber band, painting and the diagram's extent ask it
// which objects may meet an area instead of testing every object. It is fed
// only by the control's change protocol (objects entering and leaving
// Objects, painted-area, visibility and pen changes), never by the objects
// themselves.
//
// Two implementations answer the same questions: an R-tree, and a scan of
// Objects that is the reference the R-tree is tested against.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "GraphControl/Types.h"

namespace gc {

class TGraphObject;
class TGraphObjectList;

enum class TSpatialIndexKind : uint8_t { RTree, Scan };

class TSpatialIndex {
 public:
  virtual ~TSpatialIndex() = default;

  virtual TSpatialIndexKind Kind() const = 0;

  // Files the object under its painted area `area`; `reach` is how far its
  // selected painted area (markers) extends beyond `area`.
  virtual void Insert(TGraphObject* object, const TRect& area, int32_t reach) = 0;
  // The filed object's painted area changed from `oldArea` to `area`.
  virtual void Update(TGraphObject* object, const TRect& oldArea, int32_t oldReach, const TRect& area,
                      int32_t reach) = 0;
  // Takes out the entry made by Insert (or the last Update) with the same arguments.
  virtual void Remove(TGraphObject* object, const TRect& area, int32_t reach) = 0;
  virtual void Clear() = 0;

  // Appends to `out`, bottom of the z-order first, every object whose filed
  // area grown by its reach meets `area` (touching edges count), and
  // possibly others: callers test each candidate themselves.
  virtual void Query(const TRect& area, std::vector<TGraphObject*>& out) const = 0;

  // The union of the filed areas (smallest Left and Top, largest Right and
  // Bottom; (0, 0, 0, 0) when nothing is filed). False when the index
  // cannot tell without visiting every object.
  virtual bool Extent(TRect& out) const = 0;
};

// `objects` is the control's Objects list, which keeps position keys: the
// R-tree sorts its answers by them and the scan walks the list.
std::unique_ptr<TSpatialIndex> MakeSpatialIndex(TSpatialIndexKind kind, const TGraphObjectList& objects);

}  // namespace gc
