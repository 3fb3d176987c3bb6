// What the control's spatial index holds for one object, kept on the object
// so that updating or removing its entry needs no lookup.
#pragma once

#include <array>
#include <cstdint>

#include "GraphControl/Types.h"

namespace gc {

struct TSpatialEntry {
  // The painted area the index files the object under.
  TRect Area;
  // How far the object's selected painted area reaches beyond Area.
  int32_t Reach = 0;
  // How far the box the index keeps the entry in reaches beyond Area on
  // each side (left, top, right, bottom); the index sets it. An index may
  // file an area under a larger box so that small moves inside it need no
  // re-filing.
  std::array<uint8_t, 4> Slack{};
  bool Indexed = false;
};

}  // namespace gc
