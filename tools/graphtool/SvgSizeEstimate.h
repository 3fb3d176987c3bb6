// How large an SVG drawing of a diagram would be, found by drawing the
// diagram onto a canvas that only adds up what each drawing call would write,
// so that render can refuse a drawing too large to build in memory before
// building it.
#pragma once

#include <cstdint>

namespace gc {
class TGraphControl;
}

namespace gc::tool {

// About as many bytes as the SVG drawing of every object of `graph` at
// `zoom` would hold, rather more than fewer.
int64_t EstimateSvgBytes(TGraphControl& graph, int32_t zoom);

}  // namespace gc::tool
