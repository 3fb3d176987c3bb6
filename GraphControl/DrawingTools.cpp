#include "GraphControl/DrawingTools.h"

#include "GraphControl/Numeric.h"

namespace gc {

// Points are 1/72 inch; heights are pixels at FontPixelsPerInch.
int32_t TFont::Size() const { return -MulDiv(Height_, 72, FontPixelsPerInch); }

void TFont::SetSize(int32_t points) { SetHeight(-MulDiv(points, FontPixelsPerInch, 72)); }

}  // namespace gc
