// How failure messages show the library's points, rectangles and guide
// lines: as their coordinates instead of a dump of their bytes.
#pragma once

#include <ostream>

#include "GraphControl/SmartGuides.h"
#include "GraphControl/Types.h"

namespace gc {

inline void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << "," << p.Y << ")"; }
inline void PrintTo(const TRect& r, std::ostream* os) {
  *os << "(" << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
}
inline void PrintTo(const TGuideLine& line, std::ostream* os) {
  *os << (line.Kind == TGuideKind::Align ? "align " : "gap ") << "(" << line.From.X << "," << line.From.Y
      << ")-(" << line.To.X << "," << line.To.Y << ")";
}

}  // namespace gc
