#include "GraphControl/Geometry.h"

#include <gtest/gtest.h>

#include <limits>

#include <cmath>
#include <ostream>

#include "GraphControl/Region.h"
#include "GraphControl/Utf8.h"
#include "support/CaseName.h"
#include "support/FixedWidthCanvas.h"
#include "support/Printers.h"

namespace gc {

namespace {

// ---------------------------------------------------------------------------
// Angles

struct AngleCase {
  const char* Name;
  TPoint From, To;
  double Expected;
};

class LineAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(LineAngleTest, GivesDirectionWithYDown) {
  const AngleCase& c = GetParam();
  EXPECT_DOUBLE_EQ(LineAngle(c.From, c.To), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Directions, LineAngleTest,
                         ::testing::Values(AngleCase{"Down", {0, 0}, {0, 5}, Pi / 2},
                                           AngleCase{"Up", {0, 5}, {0, 0}, -Pi / 2},
                                           AngleCase{"SamePoint", {3, 3}, {3, 3}, 0.0},
                                           AngleCase{"Left", {0, 0}, {-5, 0}, Pi},
                                           AngleCase{"DownRight", {0, 0}, {5, 5}, Pi / 4},
                                           AngleCase{"UpLeft", {0, 0}, {-5, -5}, -3 * Pi / 4}),
                         test::TCaseName());

TEST(NormalizeAngle, KeepsBoundsAndWrapsOutside) {
  EXPECT_EQ(NormalizeAngle(Pi), Pi);
  EXPECT_EQ(NormalizeAngle(-Pi), -Pi);
  EXPECT_NEAR(NormalizeAngle(3 * Pi / 2), -Pi / 2, 1e-12);
  EXPECT_NEAR(NormalizeAngle(-3 * Pi / 2), Pi / 2, 1e-12);
  EXPECT_NEAR(NormalizeAngle(7 * Pi / 2), -Pi / 2, 1e-12);
  EXPECT_EQ(NormalizeAngle(0.5), 0.5);
}

TEST(NormalizeAngle, ReturnsForHugeAndNonFiniteAngles) {
  const double a = NormalizeAngle(1e300);
  EXPECT_GE(a, -Pi);
  EXPECT_LE(a, Pi);
  EXPECT_TRUE(std::isinf(NormalizeAngle(INFINITY)));
  EXPECT_TRUE(std::isnan(NormalizeAngle(NAN)));
}

struct BackwardCase {
  const char* Name;
  TPoint Origin;
  double Angle, Distance;
  TPoint Expected;
};

class BackwardPointTest : public ::testing::TestWithParam<BackwardCase> {};

TEST_P(BackwardPointTest, StepsBackAgainstTheDirection) {
  const BackwardCase& c = GetParam();
  EXPECT_EQ(BackwardPoint(c.Origin, c.Angle, c.Distance), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackwardPointTest,
    ::testing::Values(BackwardCase{"Right", {10, 10}, 0, 5, {5, 10}},
                      BackwardCase{"Down", {10, 10}, Pi / 2, 5, {10, 5}},
                      BackwardCase{"Left", {10, 10}, Pi, 5, {15, 10}},
                      BackwardCase{"Up", {10, 10}, -Pi / 2, 5, {10, 15}},
                      BackwardCase{"NegativeDistanceGoesForward", {10, 10}, 0, -5, {15, 10}},
                      BackwardCase{"FullTurnIsBroughtIntoRange", {10, 10}, 2 * Pi, 5, {5, 10}},
                      BackwardCase{"Diagonal", {10, 10}, Pi / 4, std::sqrt(50.0), {5, 5}},
                      // halves round to even
                      BackwardCase{"RightByTwoAndAHalf", {0, 0}, 0, 2.5, {-2, 0}},
                      BackwardCase{"RightByThreeAndAHalf", {0, 0}, 0, 3.5, {-4, 0}},
                      BackwardCase{"DownByTwoAndAHalf", {0, 0}, Pi / 2, 2.5, {0, -2}},
                      BackwardCase{"UpByThreeAndAHalf", {0, 0}, -Pi / 2, 3.5, {0, 4}}),
    test::TCaseName());

TEST(IsBetween, AcceptsBoundsInEitherOrder) {
  EXPECT_TRUE(IsBetween(5, 0, 10));
  EXPECT_TRUE(IsBetween(5, 10, 0));
  EXPECT_TRUE(IsBetween(0, 10, 0));
  EXPECT_TRUE(IsBetween(10, 10, 0));
  EXPECT_FALSE(IsBetween(11, 10, 0));
  EXPECT_FALSE(IsBetween(-1, 0, 10));
}

// ---------------------------------------------------------------------------
// Segments and nearest points

TEST(NearestPointOnSegment, FindsFootOfPerpendicular) {
  EXPECT_EQ(NearestPointOnSegment({0, 0}, {10, 0}, {4, 7}), TPoint(4, 0));
  EXPECT_EQ(NearestPointOnSegment({-10, -10}, {10, 10}, {-4, 4}), TPoint(0, 0));
  EXPECT_DOUBLE_EQ(DistanceToSegment({0, 0}, {10, 0}, {4, 7}), 7.0);
}

TEST(NearestPointOnSegment, ZeroLengthSegmentGivesItsPoint) {
  EXPECT_EQ(NearestPointOnSegment({3, -4}, {3, -4}, {100, 100}), TPoint(3, -4));
}

TEST(NearestPointOnSegment, StaysInSegmentBoxAndNearTrueDistance) {
  const TPoint ends[][2] = {{{0, 0}, {1000, 300}}, {{-50, 70}, {80, -90}}, {{5, 5}, {6, 200}}};
  const TPoint probes[] = {{0, 0}, {500, -400}, {-300, 20}, {2000, 900}, {7, 100}, {33, -12}};
  for (const auto& e : ends) {
    for (TPoint p : probes) {
      const TPoint r = NearestPointOnSegment(e[0], e[1], p);
      EXPECT_TRUE(IsBetween(r.X, e[0].X, e[1].X) && IsBetween(r.Y, e[0].Y, e[1].Y));
      // Exact distance to the segment, from the projection.
      const double dx = e[1].X - e[0].X, dy = e[1].Y - e[0].Y;
      double t = ((p.X - e[0].X) * dx + (p.Y - e[0].Y) * dy) / (dx * dx + dy * dy);
      t = std::clamp(t, 0.0, 1.0);
      const double exact = std::hypot(p.X - (e[0].X + t * dx), p.Y - (e[0].Y + t * dy));
      // Truncated halving lets the midpoints drift a few units off the line.
      EXPECT_NEAR(DistanceToSegment(e[0], e[1], p), exact, 3.0);
    }
  }
}

TEST(NearestPoint, FirstOfEqualsWinsAndEmptyLeavesOutputAlone) {
  const TPoints pts = {{10, 0}, {0, 10}, {-10, 0}, {1, 1}};
  TPoint q{-7, -7};
  EXPECT_EQ(NearestPoint(pts, {0, 0}, q), 3);
  EXPECT_EQ(q, TPoint(1, 1));
  EXPECT_EQ(NearestPoint(pts.data(), 2, {0, 0}, q), 0);  // (10,0), (0,10), (-10,0) tie
  EXPECT_EQ(q, TPoint(10, 0));
  TPoint untouched{-7, -7};
  EXPECT_EQ(NearestPoint(TPoints{}, {0, 0}, untouched), -1);
  EXPECT_EQ(untouched, TPoint(-7, -7));
}

// ---------------------------------------------------------------------------
// Point list transforms

TEST(RotatePoints, QuarterTurnIsClockwiseOnScreen) {
  TPoints pts = {{10, 0}, {0, 10}, {3, 4}};
  RotatePoints(pts, {0, 0}, Pi / 2);
  EXPECT_EQ(pts, (TPoints{{0, 10}, {-10, 0}, {-4, 3}}));
}

TEST(RotatePoints, AboutOffCentrePointAndBack) {
  TPoints pts = {{10, 5}, {7, 9}, {5, 5}};
  const TPoints original = pts;
  RotatePoints(pts, {5, 5}, Pi);
  EXPECT_EQ(pts, (TPoints{{0, 5}, {3, 1}, {5, 5}}));
  RotatePoints(pts, {5, 5}, -Pi);
  EXPECT_EQ(pts, original);
  RotatePoints(pts, {5, 5}, 0);
  EXPECT_EQ(pts, original);
}

TEST(RotatePoints, VisitsOnlyUpToHigh) {
  TPoints pts = {{10, 0}, {10, 0}};
  RotatePoints(pts.data(), 0, {0, 0}, Pi / 2);
  EXPECT_EQ(pts, (TPoints{{0, 10}, {10, 0}}));
}

struct ScaleCase {
  const char* Name;
  TPoint Center, Point;
  double Factor;
  TPoint Expected;
};

class ScalePointsTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScalePointsTest, MovesAlongTheRayFromCentre) {
  const ScaleCase& c = GetParam();
  TPoints pts = {c.Point};
  ScalePoints(pts, c.Center, c.Factor);
  EXPECT_EQ(pts[0], c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScalePointsTest,
    ::testing::Values(ScaleCase{"Grows", {0, 0}, {4, 8}, 1.25, {5, 10}},
                      ScaleCase{"Shrinks", {0, 0}, {4, 8}, 0.75, {3, 6}},
                      ScaleCase{"GrowsAroundAnOffsetCentre", {10, 10}, {14, 18}, 1.25, {15, 20}},
                      ScaleCase{"GrowsOnTheVerticalAxis", {0, 0}, {0, 8}, 1.25, {0, 10}},
                      ScaleCase{"ShrinksOnTheNegativeVerticalAxis", {0, 0}, {0, -8}, 0.5, {0, -4}},
                      ScaleCase{"DoublesOnTheNegativeHorizontalAxis", {0, 0}, {-8, 0}, 2, {-16, 0}},
                      ScaleCase{"NegativeFactorMirrors", {0, 0}, {4, 8}, -1, {-4, -8}},
                      ScaleCase{"PointOnTheCentreStays", {3, 3}, {3, 3}, 5, {3, 3}}),
    test::TCaseName());

TEST(SpreadPoints, MovesEachAxisAwayFromAnchor) {
  TPoints pts = {{0, 5}, {10, 0}, {5, 10}, {5, 5}};
  SpreadPoints(pts, 2, 3, {5, 5});
  EXPECT_EQ(pts, (TPoints{{-2, 5}, {12, -3}, {5, 13}, {5, 5}}));
  SpreadPoints(pts, -2, -3, {5, 5});
  EXPECT_EQ(pts, (TPoints{{0, 5}, {10, 0}, {5, 10}, {5, 5}}));
}

TEST(OffsetPoints, ShiftsAndSaturatesAtCoordinateLimits) {
  TPoints pts = {{1, 2}, {2147483600, -2147483600}};
  OffsetPoints(pts, 100, -100);
  EXPECT_EQ(pts, (TPoints{{101, -98}, {2147483647, -2147483647 - 1}}));
}

TEST(CenterOfPoints, TruncatesTowardZero) {
  EXPECT_EQ(CenterOfPoints(TPoints{{0, 0}, {1, 1}}), TPoint(0, 0));
  EXPECT_EQ(CenterOfPoints(TPoints{{-1, -1}, {0, 0}}), TPoint(0, 0));
  EXPECT_EQ(CenterOfPoints(TPoints{{-3, 7}, {0, 0}}), TPoint(-1, 3));
  EXPECT_EQ(CenterOfPoints(TPoints{{2147483647, 0}, {2147483647, 0}}), TPoint(2147483647, 0));
}

TEST(CenterOfPointsDeathTest, EmptyListIsACallerError) {
  EXPECT_DEATH(CenterOfPoints(TPoints{}), "at least one point");
}

TEST(BoundsOfPoints, IsInclusiveAndEmptyGivesMarker) {
  EXPECT_EQ(BoundsOfPoints(TPoints{{3, -1}, {-2, 8}, {0, 0}}), TRect(-2, -1, 3, 8));
  EXPECT_EQ(BoundsOfPoints(TPoints{}), EmptyMarkerRect);
}

// ---------------------------------------------------------------------------
// Rectangles

TEST(Rects, ConstructionAndCentre) {
  EXPECT_EQ(MakeSquare({5, 5}, 3), TRect(2, 2, 8, 8));
  EXPECT_EQ(MakeRectFromPoints({10, 0}, {0, 20}), TRect(0, 0, 10, 20));
  EXPECT_EQ(CenterOfRect({0, 0, 5, 5}), TPoint(2, 2));
  EXPECT_EQ(CenterOfRect({-3, -3, 0, 0}), TPoint(-1, -1));
}

TEST(Rects, MergeCountsEmptyRectAndNarrowMayInvert) {
  TRect r{0, 0, 10, 10};
  MergeRect(r, {20, 20, 20, 20});
  EXPECT_EQ(r, TRect(0, 0, 20, 20));
  TRect n{0, 0, 10, 10};
  NarrowRect(n, {20, 5, 30, 8});
  EXPECT_EQ(n, TRect(20, 5, 10, 8));
}

TEST(Rects, InflatedRectSaturatesAtTheIntegerLimits) {
  EXPECT_EQ(InflatedRect({0, 0, 10, 10}, 2), TRect(-2, -2, 12, 12));
  EXPECT_EQ(InflatedRect({0, 0, 10, 10}, -2), TRect(2, 2, 8, 8));
  constexpr int32_t Min = std::numeric_limits<int32_t>::min();
  constexpr int32_t Max = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(InflatedRect({Min, Min + 1, Max - 1, Max}, 3), TRect(Min, Min, Max, Max));
}

// A rectangle spanning more than 32 bits can say has the largest width; a
// rounded-rectangle region over it keeps its corners.
TEST(Rects, WidthAndHeightSaturateBeyondThirtyTwoBits) {
  constexpr int32_t Min = std::numeric_limits<int32_t>::min();
  constexpr int32_t Max = std::numeric_limits<int32_t>::max();
  EXPECT_EQ(TRect(Min, 0, Max, 10).Width(), Max);
  EXPECT_EQ(TRect(0, Max, 10, Min).Height(), Min);
  EXPECT_EQ(TRect(-5, -7, 5, 7).Width(), 10);
  const TRegion round = TRegion::RoundRect({Min, Min, Max, Max}, 100, 60);
  EXPECT_EQ(round.CornerWidth(), 100);
  EXPECT_EQ(round.CornerHeight(), 60);
  EXPECT_TRUE(round.ContainsPoint({0, 0}));
  EXPECT_FALSE(round.ContainsPoint({Min, Min}));
}

struct OverlapCase {
  const char* Name;
  TRect A, B;
  bool Expected;
};

class RectsOverlapTest : public ::testing::TestWithParam<OverlapCase> {};

TEST_P(RectsOverlapTest, EdgesAreInclusive) {
  const OverlapCase& c = GetParam();
  EXPECT_EQ(RectsOverlap(c.A, c.B), c.Expected);
  EXPECT_EQ(RectsOverlap(c.B, c.A), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RectsOverlapTest,
    ::testing::Values(OverlapCase{"TouchingCorners", {0, 0, 10, 10}, {10, 10, 20, 20}, true},
                      OverlapCase{"GapToTheRight", {0, 0, 10, 10}, {11, 0, 20, 10}, false},
                      OverlapCase{"GapBelow", {0, 0, 10, 10}, {0, 11, 10, 20}, false},
                      OverlapCase{"Inside", {0, 0, 10, 10}, {2, 2, 3, 3}, true},
                      OverlapCase{"Crossing", {0, 0, 10, 10}, {-5, 4, 15, 6}, true}),
    test::TCaseName());

// ---------------------------------------------------------------------------
// Line crossings

TEST(IntersectLines, VerticalAndParallelCases) {
  TPoint r{-1, -1};
  EXPECT_FALSE(IntersectLines({0, 0}, Pi / 2, {5, 0}, -Pi / 2, r));
  EXPECT_FALSE(IntersectLines({0, 0}, Pi / 4, {5, 0}, Pi / 4, r));
  EXPECT_EQ(r, TPoint(-1, -1));
  ASSERT_TRUE(IntersectLines({3, 100}, Pi / 2, {0, 2}, 0, r));
  EXPECT_EQ(r, TPoint(3, 2));
  ASSERT_TRUE(IntersectLines({0, 0}, Pi / 4, {7, -50}, Pi / 2, r));
  EXPECT_EQ(r, TPoint(7, 7));
  ASSERT_TRUE(IntersectLines({0, 0}, 0, {10, 10}, LineAngle({10, 10}, {20, 0}), r));
  EXPECT_EQ(r, TPoint(20, 0));
}

TEST(IntersectLineRect, VerticalLineCrossesTopAndBottomOnly) {
  EXPECT_EQ(IntersectLineRect({5, 5}, {0, 0, 10, 10}, Pi / 2), (TPoints{{5, 0}, {5, 10}}));
}

TEST(IntersectLineRect, NearlyParallelEdgeGivesNoBogusCrossing) {
  // The bottom edge runs at angle pi, whose tangent is a tiny non-zero value:
  // its crossing lies far away and must be dropped, not overflow.
  EXPECT_EQ(IntersectLineRect({5, 5}, {0, 0, 10, 10}, 0), (TPoints{{10, 5}, {0, 5}}));
}

TEST(IntersectLineRect, CrossingThroughCornerIsReportedPerEdge) {
  EXPECT_EQ(IntersectLineRect({5, 5}, {0, 0, 10, 10}, Pi / 4), (TPoints{{0, 0}, {10, 10}, {10, 10}, {0, 0}}));
}

TEST(IntersectLinePolyline, LeavesOutTheClosingEdge) {
  const TPoints chain = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_EQ(IntersectLinePolygon({5, 5}, chain, 0), (TPoints{{10, 5}, {0, 5}}));
  EXPECT_EQ(IntersectLinePolyline({5, 5}, chain, 0), (TPoints{{10, 5}}));
  EXPECT_TRUE(IntersectLinePolyline({5, 5}, chain.data(), 0, 0).empty());
}

struct EllipseCase {
  const char* Name;
  TPoint P;
  TRect R;
  double Angle;
  TPoints Expected;
};

class IntersectLineEllipseTest : public ::testing::TestWithParam<EllipseCase> {};

TEST_P(IntersectLineEllipseTest, GivesCrossingsInOrder) {
  const EllipseCase& c = GetParam();
  EXPECT_EQ(IntersectLineEllipse(c.P, c.R, c.Angle), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntersectLineEllipseTest,
    ::testing::Values(EllipseCase{"Horizontal", {5, 5}, {0, 0, 10, 10}, 0, {{0, 5}, {10, 5}}},
                      EllipseCase{"Vertical", {5, 5}, {0, 0, 10, 10}, Pi / 2, {{5, 0}, {5, 10}}},
                      EllipseCase{"VerticalTangent", {0, 99}, {0, 0, 10, 10}, -Pi / 2, {{0, 5}}},
                      EllipseCase{"HorizontalTangent", {-40, 0}, {0, 0, 10, 10}, 0, {{5, 0}}},
                      EllipseCase{"VerticalMiss", {20, 5}, {0, 0, 10, 10}, Pi / 2, {}},
                      EllipseCase{"Miss", {0, 30}, {0, 0, 10, 10}, 0, {}},
                      EllipseCase{"EmptyRect", {5, 5}, {0, 0, 0, 10}, 0, {}},
                      EllipseCase{"Diagonal", {0, 0}, {-10, -10, 10, 10}, Pi / 4, {{-7, -7}, {7, 7}}},
                      EllipseCase{"Wide", {0, 0}, {-20, -5, 20, 5}, 0, {{-20, 0}, {20, 0}}},
                      // Nearly vertical from far away: the crossings stay on the ellipse.
                      EllipseCase{"NearlyVerticalFromFarAway",
                                  {332, -2071723616},
                                  {920, 192, 936, 252},
                                  LineAngle({332, -2071723616}, {928, 222}),
                                  {{928, 192}, {928, 252}}},
                      // Off by more than half a unit is off the ellipse, even by one.
                      EllipseCase{"NearlyVerticalFromFarBelow",
                                  {-1, 738197503},
                                  {0, 65519, 16, 65535},
                                  LineAngle({-1, 738197503}, {8, 65527}),
                                  {{8, 65519}, {8, 65535}}},
                      EllipseCase{"SteepFromFarBelow",
                                  {-36609, 1091240703},
                                  {65519, 276, 65535, 349},
                                  LineAngle({-36609, 1091240703}, {65527, 312}),
                                  {{65527, 276}, {65527, 349}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(IntersectLineRoundRect, CornerCrossingsMoveOntoCornerEllipse) {
  // y = x through the top-left corner: (0,0) lies in the corner zone twice
  // (top and left edge) and moves onto the corner circle around (10,10).
  EXPECT_EQ(IntersectLineRoundRect({0, 0}, {0, 0, 100, 50}, 20, 20, Pi / 4),
            (TPoints{{3, 3}, {50, 50}, {3, 3}}));
  // Through the bottom-right corner: the second ellipse crossing is taken.
  const TPoints br = IntersectLineRoundRect({100, 50}, {0, 0, 100, 50}, 20, 20, Pi / 4);
  ASSERT_EQ(br.size(), 3u);
  EXPECT_EQ(br[0], TPoint(50, 0));
  EXPECT_EQ(br[1], TPoint(97, 47));
  EXPECT_EQ(br[2], TPoint(97, 47));
}

// A rectangle spanning the coordinate range, wider than 32 bits can say
// (the sanitizer build reports the overflow this once had): the crossings
// near the far corner move onto its corner circle, inside the rectangle.
TEST(IntersectLineRoundRect, RectangleSpanningTheCoordinateRange) {
  constexpr int32_t M = INT32_MAX;
  const TPoints crossings = IntersectLineRoundRect({M, M}, {-M, -M, M, M}, 20, 20, Pi / 4);
  ASSERT_EQ(crossings.size(), 4u);
  EXPECT_EQ(crossings[1], TPoint(M - 3, M - 3));
  EXPECT_EQ(crossings[2], TPoint(M - 3, M - 3));
}

TEST(IntersectLineRoundRect, CrossingsAwayFromCornersStay) {
  EXPECT_EQ(IntersectLineRoundRect({50, 25}, {0, 0, 100, 50}, 20, 20, Pi / 2), (TPoints{{50, 0}, {50, 50}}));
  EXPECT_TRUE(IntersectLineRoundRect({500, 25}, {0, 0, 100, 50}, 20, 20, Pi / 2).empty());
}

// ---------------------------------------------------------------------------
// Text layout with the recording canvas, whose every character is 6 units
// wide and 13 high.

constexpr int32_t W = 6;
constexpr int32_t H = 13;

// ---------------------------------------------------------------------------
// WrapText

struct WrapCase {
  const char* Name;
  std::string Text;
  int32_t Chars;  // the width, in characters
  std::string Expected;
};

class WrapTextTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTextTest, Wraps) {
  TRecordingCanvas canvas;
  const WrapCase& c = GetParam();
  EXPECT_EQ(WrapText(canvas, c.Text, c.Chars * W), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTextTest,
    ::testing::Values(WrapCase{"BreaksAtSpace", "alpha beta", 7, "alpha\r\nbeta"},
                      WrapCase{"FitsOnOneLine", "alpha beta", 10, "alpha beta"},
                      WrapCase{"LongWordBreaksInside", "abcdefghij", 4, "abcd\r\nefgh\r\nij"},
                      WrapCase{"BreaksAfterHyphen", "a-b", 2, "a-\r\nb"},
                      WrapCase{"BreaksAfterSlash", "x/yz", 3, "x/\r\nyz"},
                      WrapCase{"BreakCharsOnly", "ab,cd", 4, "ab,\r\ncd"},
                      WrapCase{"OverflowAtSpaceEndsLine", "abc def", 3, "abc\r\ndef"},
                      WrapCase{"OverflowAtTab", "abc\tdef", 3, "abc\r\ndef"},
                      WrapCase{"TabIsBreakChar", "ab\tcd", 3, "ab\r\ncd"},
                      WrapCase{"LeadingAndTrailingBlanksGo", "  \tab   ", 10, "ab"},
                      WrapCase{"InnerBlanksStay", "a  b", 10, "a  b"},
                      WrapCase{"CrLfIsOneBreak", "a\r\nb", 10, "a\r\nb"},
                      WrapCase{"LfCrIsOneBreak", "a\n\rb", 10, "a\r\nb"},
                      WrapCase{"LoneLf", "a\nb", 10, "a\r\nb"}, WrapCase{"LoneCr", "a\rb", 10, "a\r\nb"},
                      WrapCase{"CrCrIsTwoBreaks", "a\r\rb", 10, "a\r\n\r\nb"},
                      WrapCase{"LfLfIsTwoBreaks", "a\n\nb", 10, "a\r\n\r\nb"},
                      WrapCase{"TrailingBreakKept", "abc\r\n", 10, "abc\r\n"},
                      WrapCase{"TrailingLfBecomesCrLf", "abc\n", 10, "abc\r\n"},
                      WrapCase{"BlanksAfterBreakSkipped", "a\n   b", 10, "a\r\nb"},
                      WrapCase{"ZeroWidthTakesOneCharPerLine", "abc", 0, "a\r\nb\r\nc"},
                      WrapCase{"EmptyText", "", 5, ""}, WrapCase{"OnlyBlanks", "   ", 5, ""},
                      WrapCase{"MultiByteCountsAsOneChar", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4", 2,
                               "\xC3\xA4\xC3\xA4\r\n\xC3\xA4\xC3\xA4"},
                      WrapCase{"ThreeByteChars", "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC x", 3,
                               "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\r\nx"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(WrapText, MeasuresWithTheCanvasMetrics) {
  TRecordingCanvas canvas;
  canvas.CharWidth = 10;
  // 42 units now hold four characters: "alpha" is broken inside the word and
  // the following "a" ends at the space.
  EXPECT_EQ(WrapText(canvas, "alpha beta", 7 * W), "alph\r\na\r\nbeta");
  EXPECT_EQ(WrapText(canvas, "abcdefghij", 4 * W), "ab\r\ncd\r\nef\r\ngh\r\nij");
}

// ---------------------------------------------------------------------------
// FitText

TEST(FitText, TextThatFitsIsOnlyWrapped) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "alpha beta", {0, 0, 7 * W, 2 * H}), "alpha\r\nbeta");
}

TEST(FitText, FirstLineTooTallGivesEmptyText) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "alpha beta", {0, 0, 100, H - 1}), "");
}

TEST(FitText, CutLinesEndWithEllipsisCharacter) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "alpha beta gamma", {0, 0, 7 * W, 2 * H}), "alpha\r\nbeta\xE2\x80\xA6");
}

TEST(FitText, LastLineShortenedUntilEllipsisFits) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "abcdefgh ijk", {0, 0, 7 * W, H}), "abcdef\xE2\x80\xA6");
  canvas.EllipsisGlyph = false;
  EXPECT_EQ(FitText(canvas, "abcdefgh ijk", {0, 0, 7 * W, H}), "abcd...");
}

TEST(FitText, EllipsisAloneWhenNothingElseFits) {
  TRecordingCanvas canvas;
  canvas.EllipsisGlyph = false;
  EXPECT_EQ(FitText(canvas, "abcdef", {0, 0, 2 * W, H}), "...");
}

TEST(FitText, DropsEmptyLinesBeforeTheCut) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "a\n\nb", {0, 0, 10 * W, 2 * H}), "a\xE2\x80\xA6");
}

TEST(FitText, ShortensByWholeCharacters) {
  TRecordingCanvas canvas;
  const std::string ae = "\xC3\xA4";
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += ae;
  const std::string result = FitText(canvas, eight + " x", {0, 0, 7 * W, H});
  EXPECT_EQ(result, ae + ae + ae + ae + ae + ae + "\xE2\x80\xA6");
  EXPECT_EQ(Utf8Boundaries(result).size(), 8u);  // 7 well-formed characters
}

}  // namespace
}  // namespace gc
