// A filled area in graph coordinates: a polygon (winding or alternate fill),
// an ellipse or a rounded rectangle, optionally offset. Regions are plain
// geometry so hit testing needs no platform; a canvas turns one into a clip
// path when drawing.
//
// Pixel rule: the pixel (x, y) belongs to the region when its centre
// (x + 0.5, y + 0.5) lies inside the shape, so a rectangle region (L, T, R, B)
// holds exactly the pixels L <= x < R, T <= y < B.
#pragma once

#include <optional>

#include "GraphControl/Types.h"

namespace gc {

enum class TFillMode : uint8_t { fmAlternate, fmWinding };

class TRegion {
 public:
  enum class TKind : uint8_t { Polygon, Ellipse, RoundRect };

  static TRegion Polygon(const TPoints& points, TFillMode mode);
  // The ellipse inscribed in `bounds` (right and bottom exclusive).
  static TRegion Ellipse(const TRect& bounds);
  // Rounded rectangle over `bounds` with a corner ellipse of cw x ch.
  static TRegion RoundRect(const TRect& bounds, int32_t cw, int32_t ch);

  TKind Kind() const { return Kind_; }
  TFillMode FillMode() const { return FillMode_; }
  const TPoints& Points() const { return Points_; }  // polygon vertices
  const TRect& Bounds() const { return Box_; }       // ellipse / round-rect box
  int32_t CornerWidth() const { return CornerWidth_; }
  int32_t CornerHeight() const { return CornerHeight_; }

  void Offset(int32_t dx, int32_t dy);
  // Maps every coordinate c to round(c * scale) + offset, per axis (the
  // region as seen through a zoom and scroll mapping).
  TRegion Transformed(double scaleX, double scaleY, int32_t offsetX, int32_t offsetY) const;
  // The region through the view mapping at `zoom` percent: every coordinate
  // goes through UnitsToPixels (the rounding the canvas paints with), then
  // the offset is added.
  TRegion Zoomed(int32_t zoom, int32_t offsetX, int32_t offsetY) const;

  bool ContainsPoint(TPoint p) const;
  // True when any pixel of the rectangle (right/bottom exclusive) is in the region.
  bool TouchesRect(const TRect& r) const;
  // A rectangle holding every pixel of the region (right/bottom exclusive):
  // the ellipse or round-rect bounds, or the box of the polygon's vertices.
  TRect BoundingBox() const { return Box_; }

 private:
  template <class TMapX, class TMapY>
  TRegion Mapped(TMapX mx, TMapY my, double scaleX, double scaleY) const;

  TPoints Points_;
  // The ellipse or round-rect box, or the cached box of the polygon's
  // vertices: the quick reject of every hit test.
  TRect Box_;
  int32_t CornerWidth_ = 0;
  int32_t CornerHeight_ = 0;
  TKind Kind_ = TKind::Polygon;
  TFillMode FillMode_ = TFillMode::fmAlternate;

  // Measures a polygon's box from its vertices.
  void UpdateBox();
};

// Regions are owned by value; "no region" is an empty optional.
using TOptionalRegion = std::optional<TRegion>;

}  // namespace gc
