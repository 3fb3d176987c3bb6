// Integer rounding helpers with the exact rules the diagram geometry relies on.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace gc {

// Converts a double to a 32-bit coordinate for every input: NaN gives 0 and
// values beyond the int32 range saturate (a line nearly parallel to an edge
// can cross it near 1e17).
inline int32_t ClampToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Clamps a 64-bit intermediate to the int32 range.
constexpr int32_t SaturateToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// a + b and a - b saturating at the int32 limits: coordinates read from a file
// may lie anywhere in the range, and growing them must not overflow.
constexpr int32_t SaturatingAdd(int32_t a, int32_t b) { return SaturateToInt32(int64_t{a} + b); }
constexpr int32_t SaturatingSub(int32_t a, int32_t b) { return SaturateToInt32(int64_t{a} - b); }

// Round to nearest, halves to even (the FPU default rounding mode).
inline int32_t RoundHalfEven(double v) { return ClampToInt32(std::nearbyint(v)); }

// The one mapping between graph units and pixels at a zoom in percent, shared
// by the control (client coordinates, hit testing, invalidation) and every
// canvas (painting), so an edge is drawn on the pixel where it is hit and
// repainted: pixels = round(units * zoom / 100), units = round(pixels * 100 /
// zoom), halves to even. The products are exact in 64 bits and the quotient
// of two exact doubles is correctly rounded, so a true half stays a half.
inline int32_t UnitsToPixels(int64_t units, int32_t zoom) {
  return RoundHalfEven(static_cast<double>(units * zoom) / 100.0);
}
inline int32_t PixelsToUnits(int64_t pixels, int32_t zoom) {
  return RoundHalfEven(static_cast<double>(pixels * 100) / static_cast<double>(zoom));
}

// Integer halving truncating toward zero: Halve(-3) == -1.
constexpr int32_t Halve(int32_t n) { return n / 2; }

// a * b / c with a 64-bit intermediate, rounded half away from zero; -1 when c
// is 0 (the platform's MulDiv).
constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t num = static_cast<int64_t>(a) * b;
  int64_t den = c;
  if (den < 0) {
    num = -num;
    den = -den;
  }
  int64_t q = (num >= 0 ? num + den / 2 : num - den / 2) / den;
  if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return -1;
  return static_cast<int32_t>(q);
}

}  // namespace gc
