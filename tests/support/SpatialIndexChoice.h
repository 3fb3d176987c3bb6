// The test programs run twice under CTest: with the R-tree and, with the
// environment variable GC_SPATIAL_INDEX=scan, with the reference scan, so
// every behaviour test checks both spatial indexes.
#pragma once

#include <cstdlib>
#include <string>

#include "GraphControl/Control.h"

namespace gc::test {

inline TSpatialIndexKind SpatialIndexKindOfThisRun() {
  const char* chosen = std::getenv("GC_SPATIAL_INDEX");
  return chosen && std::string(chosen) == "scan" ? TSpatialIndexKind::Scan : TSpatialIndexKind::RTree;
}

inline void ChooseSpatialIndexForThisRun() {
  TGraphControl::SetDefaultSpatialIndexKind(SpatialIndexKindOfThisRun());
}

}  // namespace gc::test
