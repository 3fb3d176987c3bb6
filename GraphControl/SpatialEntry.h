// What the control's spatial index holds for one object, kept on the object
// so that updating or removing its entry needs no lookup.
#pragma once

#include <cstdint>

#include "GraphControl/Types.h"

namespace gc {

struct TSpatialEntry {
  // The painted area the index files the object under.
  TRect Area;
  // The box the index keeps the entry in, which holds Area; the index sets
  // it. An index may file an area under a larger box so that small moves
  // inside it need no re-filing.
  TRect Box;
  // How far the object's selected painted area reaches beyond Area.
  int32_t Reach = 0;
  bool Indexed = false;
};

}  // namespace gc
