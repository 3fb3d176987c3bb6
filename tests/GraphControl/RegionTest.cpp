#include "GraphControl/Region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/CaseName.h"

namespace gc {
namespace {

// Independent reference for polygons: the winding number of the pixel centre,
// with exact integer cross products in doubled coordinates. A centre exactly
// on an edge counts for neither side of it, which puts left edges inside and
// right edges outside.
int64_t IsLeft(TPoint a, TPoint b, int64_t px, int64_t py) {
  const int64_t ax = 2 * int64_t{a.X}, ay = 2 * int64_t{a.Y}, bx = 2 * int64_t{b.X}, by = 2 * int64_t{b.Y};
  return (bx - ax) * (py - ay) - (px - ax) * (by - ay);
}

bool ReferenceContains(const TPoints& pts, TFillMode mode, TPoint p) {
  const int64_t px = 2 * int64_t{p.X} + 1, py = 2 * int64_t{p.Y} + 1;
  int winding = 0, count = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    const TPoint a = pts[i], b = pts[(i + 1) % pts.size()];
    if (2 * int64_t{a.Y} <= py) {
      if (2 * int64_t{b.Y} > py && IsLeft(a, b, px, py) > 0) ++winding, ++count;
    } else if (2 * int64_t{b.Y} <= py && IsLeft(a, b, px, py) < 0) {
      --winding, ++count;
    }
  }
  return mode == TFillMode::fmAlternate ? (count & 1) : winding != 0;
}

TRegion Square() { return TRegion::Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, TFillMode::fmAlternate); }

// A five-pointed star drawn in one stroke: its inner pentagon is covered twice.
TPoints Star() { return {{15, 0}, {24, 29}, {0, 11}, {30, 11}, {6, 29}}; }

struct PixelCase {
  TPoint P;
  bool Inside;
};

class SquareRegionTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(SquareRegionTest, HoldsExactlyTheHalfOpenPixels) {
  EXPECT_EQ(Square().ContainsPoint(GetParam().P), GetParam().Inside);
}

INSTANTIATE_TEST_SUITE_P(Pixels, SquareRegionTest,
                         ::testing::Values(PixelCase{{0, 0}, true}, PixelCase{{9, 9}, true},
                                           PixelCase{{9, 0}, true}, PixelCase{{10, 5}, false},
                                           PixelCase{{5, 10}, false}, PixelCase{{-1, 5}, false},
                                           PixelCase{{5, -1}, false}),
                         [](const auto& info) { return "Pixel" + test::PointName(info.param.P); });

TEST(PolygonRegion, SlantedEdgeThroughPixelCentreBelongsToTheLeftSideOnly) {
  // The hypotenuse x + y = 10 passes through the centres (5.5, 4.5) and
  // (4.5, 5.5) of pixels (5,4) and (4,5); it is a right-hand edge.
  const TRegion r = TRegion::Polygon({{0, 0}, {10, 0}, {0, 10}}, TFillMode::fmAlternate);
  EXPECT_TRUE(r.ContainsPoint({4, 4}));
  EXPECT_FALSE(r.ContainsPoint({5, 4}));
  EXPECT_FALSE(r.ContainsPoint({4, 5}));
  // Mirrored, the slanted edge is a left-hand edge and its centres are inside.
  const TRegion m = TRegion::Polygon({{10, 0}, {10, 10}, {0, 10}}, TFillMode::fmAlternate);
  EXPECT_TRUE(m.ContainsPoint({5, 5}));
  EXPECT_FALSE(m.ContainsPoint({4, 4}));
}

TEST(PolygonRegion, FillModeDecidesDoublyCoveredArea) {
  const TRegion alternate = TRegion::Polygon(Star(), TFillMode::fmAlternate);
  const TRegion winding = TRegion::Polygon(Star(), TFillMode::fmWinding);
  EXPECT_FALSE(alternate.ContainsPoint({15, 16}));  // the inner pentagon
  EXPECT_TRUE(winding.ContainsPoint({15, 16}));
  EXPECT_TRUE(alternate.ContainsPoint({15, 4}));  // a tip
  EXPECT_TRUE(winding.ContainsPoint({15, 4}));
  EXPECT_EQ(winding.FillMode(), TFillMode::fmWinding);
}

TEST(PolygonRegion, AgreesWithWindingNumberReference) {
  uint32_t seed = 12345;
  auto next = [&](int range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(range));
  };
  for (int shape = 0; shape < 40; ++shape) {
    TPoints pts;
    const int n = 3 + next(6);
    for (int i = 0; i < n; ++i) pts.push_back({next(40) - 5, next(40) - 5});
    for (TFillMode mode : {TFillMode::fmAlternate, TFillMode::fmWinding}) {
      const TRegion r = TRegion::Polygon(pts, mode);
      for (int y = -7; y < 37; ++y)
        for (int x = -7; x < 37; ++x)
          ASSERT_EQ(r.ContainsPoint({x, y}), ReferenceContains(pts, mode, {x, y}))
              << "shape " << shape << " pixel " << x << "," << y;
    }
  }
}

TEST(PolygonRegion, DegenerateOutlinesHoldNothing) {
  const TRegion line = TRegion::Polygon({{0, 0}, {10, 10}}, TFillMode::fmWinding);
  const TRegion none = TRegion::Polygon({}, TFillMode::fmAlternate);
  for (int i = -1; i < 11; ++i) {
    EXPECT_FALSE(line.ContainsPoint({i, i}));
    EXPECT_FALSE(none.ContainsPoint({i, i}));
  }
  EXPECT_FALSE(line.TouchesRect({-100, -100, 100, 100}));
  EXPECT_FALSE(none.TouchesRect({-100, -100, 100, 100}));
}

TEST(EllipseRegion, CircleHoldsPixelsWhoseCentresAreInside) {
  const TRegion c = TRegion::Ellipse({0, 0, 10, 10});
  EXPECT_TRUE(c.ContainsPoint({5, 5}));
  EXPECT_TRUE(c.ContainsPoint({0, 4}));  // centre (0.5, 4.5): 4.5^2 + 0.5^2 < 25
  EXPECT_TRUE(c.ContainsPoint({9, 5}));
  EXPECT_FALSE(c.ContainsPoint({0, 2}));  // 4.5^2 + 2.5^2 > 25
  EXPECT_FALSE(c.ContainsPoint({0, 0}));
  EXPECT_FALSE(c.ContainsPoint({9, 9}));
  EXPECT_FALSE(c.ContainsPoint({10, 5}));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(c.ContainsPoint({x, y}), c.ContainsPoint({9 - x, y}));
      EXPECT_EQ(c.ContainsPoint({x, y}), c.ContainsPoint({y, x}));
    }
}

TEST(EllipseRegion, InvertedBoundsAreNormalizedAndEmptyBoundsHoldNothing) {
  EXPECT_TRUE(TRegion::Ellipse({10, 10, 0, 0}).ContainsPoint({5, 5}));
  const TRegion flat = TRegion::Ellipse({0, 5, 10, 5});
  EXPECT_FALSE(flat.ContainsPoint({5, 5}));
  EXPECT_FALSE(flat.TouchesRect({-10, -10, 20, 20}));
}

TEST(RoundRectRegion, CutsOnlyTheCorners) {
  const TRegion r = TRegion::RoundRect({0, 0, 100, 50}, 20, 20);
  EXPECT_FALSE(r.ContainsPoint({0, 0}));
  EXPECT_FALSE(r.ContainsPoint({2, 2}));  // centre (2.5, 2.5) lies outside the corner circle
  EXPECT_TRUE(r.ContainsPoint({3, 3}));
  EXPECT_TRUE(r.ContainsPoint({0, 10}));  // below the corner zone
  EXPECT_TRUE(r.ContainsPoint({50, 0}));
  EXPECT_FALSE(r.ContainsPoint({99, 49}));
  EXPECT_FALSE(r.ContainsPoint({97, 2}));
  EXPECT_TRUE(r.ContainsPoint({96, 3}));
  EXPECT_FALSE(r.ContainsPoint({100, 25}));
}

TEST(RoundRectRegion, OversizedCornersMakeAnEllipseAndZeroCornersARectangle) {
  const TRegion round = TRegion::RoundRect({0, 0, 30, 20}, 100, 100);
  const TRegion ellipse = TRegion::Ellipse({0, 0, 30, 20});
  const TRegion square = TRegion::RoundRect({0, 0, 30, 20}, 0, 0);
  for (int y = -1; y < 21; ++y)
    for (int x = -1; x < 31; ++x) {
      EXPECT_EQ(round.ContainsPoint({x, y}), ellipse.ContainsPoint({x, y})) << x << "," << y;
      EXPECT_EQ(square.ContainsPoint({x, y}), TRect(0, 0, 30, 20).Contains({x, y}));
    }
}

// TouchesRect must agree with asking every pixel of the rectangle.
bool BruteTouches(const TRegion& region, const TRect& r) {
  for (int32_t y = r.Top; y < r.Bottom; ++y)
    for (int32_t x = r.Left; x < r.Right; ++x)
      if (region.ContainsPoint({x, y})) return true;
  return false;
}

struct ShapeCase {
  const char* Name;
  TRegion Region;
};

class TouchesRectTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(TouchesRectTest, AgreesWithPixelByPixelCheck) {
  const TRegion& region = GetParam().Region;
  for (int w = 1; w <= 4; w += 3)
    for (int h = 1; h <= 3; h += 2)
      for (int y = -4; y < 34; ++y)
        for (int x = -4; x < 34; ++x) {
          const TRect r{x, y, x + w, y + h};
          ASSERT_EQ(region.TouchesRect(r), BruteTouches(region, r))
              << "rect " << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
        }
}

TEST_P(TouchesRectTest, LargeAndEmptyRects) {
  const TRegion& region = GetParam().Region;
  EXPECT_TRUE(region.TouchesRect({-1000, -1000, 1000, 1000}));
  EXPECT_FALSE(region.TouchesRect({100, 100, 200, 200}));
  EXPECT_FALSE(region.TouchesRect({10, 10, 10, 20}));
  EXPECT_FALSE(region.TouchesRect({20, 10, 10, 20}));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TouchesRectTest,
    ::testing::Values(
        ShapeCase{"Square", Square()}, ShapeCase{"Circle", TRegion::Ellipse({1, 2, 28, 27})},
        ShapeCase{"ThinEllipse", TRegion::Ellipse({0, 10, 30, 12})},
        ShapeCase{"RoundRect", TRegion::RoundRect({2, 3, 29, 25}, 14, 10)},
        ShapeCase{"StarAlternate", TRegion::Polygon(Star(), TFillMode::fmAlternate)},
        ShapeCase{"StarWinding", TRegion::Polygon(Star(), TFillMode::fmWinding)},
        ShapeCase{"ThinDiagonal", TRegion::Polygon({{0, 0}, {30, 29}, {30, 30}}, TFillMode::fmAlternate)},
        ShapeCase{
            "Ring",
            TRegion::Polygon(
                {{0, 0}, {30, 0}, {30, 30}, {0, 30}, {0, 0}, {8, 8}, {8, 22}, {22, 22}, {22, 8}, {8, 8}},
                TFillMode::fmAlternate)}),
    [](const auto& info) { return std::string(info.param.Name); });

// A shape spanning the coordinate range answers at once, from its outline:
// an area in its empty corner, one its edge crosses, one holding a corner.
TEST(PolygonRegion, TouchesRectAcrossTheWholeCoordinateRange) {
  constexpr int32_t Low = INT32_MIN;
  constexpr int32_t High = INT32_MAX;
  const TRegion triangle = TRegion::Polygon({{Low, Low}, {High, Low}, {Low, High}}, TFillMode::fmAlternate);
  EXPECT_FALSE(triangle.TouchesRect({1000, 1000, High, High}));
  EXPECT_TRUE(triangle.TouchesRect({-10, -10, High, High}));
  EXPECT_TRUE(triangle.TouchesRect({Low, High - 5000, Low + 10, High}));
  EXPECT_FALSE(triangle.TouchesRect({Low + 10000, High - 5000, Low + 10010, High}));
  EXPECT_TRUE(triangle.TouchesRect({Low, Low, Low + 1, Low + 1}));
}

TEST(Region, OffsetMovesEveryKind) {
  TRegion p = Square();
  p.Offset(5, -3);
  EXPECT_TRUE(p.ContainsPoint({5, -3}));
  EXPECT_FALSE(p.ContainsPoint({4, -3}));
  EXPECT_EQ(p.BoundingBox(), TRect(5, -3, 15, 7));
  EXPECT_EQ(p.Points()[0], TPoint(5, -3));

  TRegion e = TRegion::Ellipse({0, 0, 10, 10});
  e.Offset(100, 100);
  EXPECT_TRUE(e.ContainsPoint({105, 105}));
  EXPECT_FALSE(e.ContainsPoint({5, 5}));
  EXPECT_EQ(e.Bounds(), TRect(100, 100, 110, 110));

  TRegion rr = TRegion::RoundRect({0, 0, 100, 50}, 20, 20);
  rr.Offset(-10, 0);
  EXPECT_TRUE(rr.ContainsPoint({-7, 3}));
  EXPECT_FALSE(rr.ContainsPoint({-8, 2}));
  EXPECT_EQ(rr.BoundingBox(), TRect(-10, 0, 90, 50));
}

TEST(Region, TransformedScalesAndShifts) {
  const TRegion p = Square().Transformed(2, 3, 5, -5);
  EXPECT_EQ(p.Points(), (TPoints{{5, -5}, {25, -5}, {25, 25}, {5, 25}}));
  EXPECT_EQ(p.BoundingBox(), TRect(5, -5, 25, 25));

  const TRegion rr = TRegion::RoundRect({10, 10, 20, 30}, 4, 6).Transformed(1.5, 0.5, 0, 0);
  EXPECT_EQ(rr.Kind(), TRegion::TKind::RoundRect);
  EXPECT_EQ(rr.Bounds(), TRect(15, 5, 30, 15));
  EXPECT_EQ(rr.CornerWidth(), 6);
  EXPECT_EQ(rr.CornerHeight(), 3);

  // A mirroring scale keeps the bounds ordered.
  const TRegion e = TRegion::Ellipse({0, 0, 10, 4}).Transformed(-1, 1, 0, 0);
  EXPECT_EQ(e.Bounds(), TRect(-10, 0, 0, 4));
  EXPECT_TRUE(e.ContainsPoint({-5, 2}));
}

TEST(Region, BoundingBoxHoldsEveryPixel) {
  const TRegion regions[] = {TRegion::Polygon(Star(), TFillMode::fmWinding), TRegion::Ellipse({-3, 2, 17, 9}),
                             TRegion::RoundRect({4, 4, 9, 30}, 3, 3)};
  for (const TRegion& r : regions) {
    const TRect box = r.BoundingBox();
    for (int y = -10; y < 40; ++y)
      for (int x = -10; x < 40; ++x)
        if (r.ContainsPoint({x, y})) {
          EXPECT_TRUE(box.Contains({x, y})) << x << "," << y;
        }
  }
  EXPECT_EQ(TRegion::Polygon(Star(), TFillMode::fmWinding).BoundingBox(), TRect(0, 0, 30, 29));
}

}  // namespace
}  // namespace gc
