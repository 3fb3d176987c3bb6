#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/SmartGuides.h"
#include "GraphControl/Unit.h"
#include "support/Printers.h"

namespace gc {

namespace {

using enum TMouseButton;
using enum TGuideKind;

TGuideSource ListSource(const std::vector<TRect>& rects) {
  return
      [rects](const TRect&, std::vector<TRect>& out) { out.insert(out.end(), rects.begin(), rects.end()); };
}

constexpr TRect Everywhere{-100000, -100000, 100000, 100000};

TGuideRequest Move(const TRect& rect, int32_t tolerance = 5, TRect frame = {}) {
  return {.Rect = rect, .Sides = gsAll, .Tolerance = tolerance, .Area = Everywhere, .Frame = frame};
}

// ---- The computation ----------------------------------------------------------------------

struct TAlignCase {
  const char* Name;
  TGuideRequest Request;
  int32_t DX, DY;
};

// One other widget at (100, 100)-(200, 150) and a screen of 800 x 480; the
// dragged widget is 50 x 30 unless the case says otherwise.
const std::vector<TRect> OneWidget{{100, 100, 200, 150}};
constexpr TRect Screen{0, 0, 800, 480};

class GuideAlignment : public ::testing::TestWithParam<TAlignCase> {};

TEST_P(GuideAlignment, SnapsTheNearestFeatureWithinTheTolerance) {
  const TGuideResult result = ComputeGuides(GetParam().Request, ListSource(OneWidget));
  EXPECT_EQ(result.DX, GetParam().DX);
  EXPECT_EQ(result.DY, GetParam().DY);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideAlignment,
    ::testing::Values(
        TAlignCase{"LeftToLeft", Move({103, 300, 153, 330}), -3, 0},
        TAlignCase{"LeftToRight", Move({197, 300, 247, 330}), 3, 0},
        TAlignCase{"RightToLeft", Move({47, 300, 97, 330}), 3, 0},
        TAlignCase{"CentreToCentre", Move({127, 300, 177, 330}), -2, 0},
        TAlignCase{"TopToBottomAndLeftToLeft", Move({98, 153, 148, 183}), 2, -3},
        TAlignCase{"ExactlyAtTheTolerance", Move({105, 300, 155, 330}), -5, 0},
        TAlignCase{"JustOutOfReach", Move({106, 300, 156, 330}), 0, 0},
        TAlignCase{"ZeroToleranceNeverMoves", Move({101, 300, 151, 330}, 0), 0, 0},
        TAlignCase{"ScreenRightEdge", Move({748, 300, 798, 330}, 5, Screen), 2, 0},
        TAlignCase{"ScreenCentre", Move({373, 223, 423, 253}, 5, Screen), 2, 2},
        // Left edge 4 from the other's left, right edge 8 from the frame's centre.
        TAlignCase{"SmallerCorrectionWins", Move({102, 300, 142, 330}, 5, {0, 0, 292, 480}), -2, 0},
        TAlignCase{"EqualCorrectionsPreferNegative", Move({103, 300, 143, 330}, 5, {0, 0, 292, 480}), -3, 0},
        TAlignCase{"ResizeSnapsOnlyTheMovingEdge",
                   TGuideRequest{.Rect = {10, 300, 97, 330},
                                 .Sides = gsRight | gsBottom,
                                 .Tolerance = 5,
                                 .Area = Everywhere,
                                 .Frame = {}},
                   3, 0},
        TAlignCase{"ResizeIgnoresTheCentre",
                   TGuideRequest{.Rect = {120, 300, 178, 330},
                                 .Sides = gsRight,
                                 .Tolerance = 5,
                                 .Area = Everywhere,
                                 .Frame = {}},
                   0, 0},
        TAlignCase{"OutsideTheAreaDoesNotGuide",
                   TGuideRequest{.Rect = {103, 300, 153, 330},
                                 .Sides = gsAll,
                                 .Tolerance = 5,
                                 .Area = {0, 200, 800, 600},
                                 .Frame = {}},
                   0, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SmartGuides, AnAlignmentLineSpansBothWidgets) {
  const TGuideResult result = ComputeGuides(Move({103, 300, 143, 330}), ListSource(OneWidget));
  EXPECT_EQ(result.Lines, (std::vector<TGuideLine>{{Align, {100, 100}, {100, 329}}}));
}

TEST(SmartGuides, EveryFeatureThatLinesUpGetsOneLine) {
  // Same width as the other widget and snapped onto its left edge: left,
  // centre and right line up, each with one vertical line.
  const TGuideResult result = ComputeGuides(Move({102, 200, 202, 220}), ListSource(OneWidget));
  EXPECT_EQ(result.DX, -2);
  EXPECT_EQ(result.Lines, (std::vector<TGuideLine>{{Align, {100, 100}, {100, 219}},
                                                   {Align, {149, 100}, {149, 219}},
                                                   {Align, {199, 100}, {199, 219}}}));
}

struct TSpacingCase {
  const char* Name;
  std::vector<TRect> Others;
  TRect Dragged;
  int32_t DX, DY;
  std::vector<TGuideLine> Lines;
};

class GuideSpacing : public ::testing::TestWithParam<TSpacingCase> {};

TEST_P(GuideSpacing, SnapsToTheSpacingOfTheNeighbours) {
  const TGuideResult result = ComputeGuides(Move(GetParam().Dragged), ListSource(GetParam().Others));
  EXPECT_EQ(result.DX, GetParam().DX);
  EXPECT_EQ(result.DY, GetParam().DY);
  EXPECT_EQ(result.Lines, GetParam().Lines);
}

// The dragged widget is taller than its neighbours, so that only the spacing
// is in reach, not their edges.
INSTANTIATE_TEST_SUITE_P(
    Cases, GuideSpacing,
    ::testing::Values(
        TSpacingCase{"ContinuesTheRowToTheRight",
                     {{100, 100, 150, 130}, {200, 100, 250, 130}},
                     {297, 20, 347, 222},
                     3,
                     0,
                     {{Gap, {150, 114}, {199, 114}}, {Gap, {250, 114}, {299, 114}}}},
        TSpacingCase{"ContinuesTheRowToTheLeft",
                     {{200, 100, 250, 130}, {300, 100, 350, 130}},
                     {102, 20, 152, 222},
                     -2,
                     0,
                     {{Gap, {150, 114}, {199, 114}}, {Gap, {250, 114}, {299, 114}}}},
        TSpacingCase{
            "NotInTheirRow", {{100, 100, 150, 130}, {300, 100, 350, 130}}, {198, 140, 248, 170}, 0, 0, {}},
        TSpacingCase{"CentresBetweenTwo",
                     {{100, 100, 150, 130}, {300, 100, 350, 130}},
                     {198, 20, 248, 222},
                     2,
                     0,
                     {{Gap, {150, 114}, {199, 114}}, {Gap, {250, 114}, {299, 114}}}},
        // 101 units between them cannot be split evenly around 50.
        TSpacingCase{"UnevenRoomIsNotSplit",
                     {{100, 100, 150, 130}, {301, 100, 351, 130}},
                     {198, 20, 248, 222},
                     0,
                     0,
                     {}},
        TSpacingCase{"ContinuesAColumnDownwards",
                     {{100, 100, 150, 130}, {100, 160, 150, 190}},
                     {30, 217, 206, 247},
                     0,
                     3,
                     {{Gap, {124, 130}, {124, 159}}, {Gap, {124, 190}, {124, 219}}}}),
    [](const auto& info) { return std::string(info.param.Name); });

// The result depends only on the rectangles that meet the area: a source may
// return more than it is asked for, and some twice.
TEST(SmartGuides, AGenerousSourceGivesTheSameResultAsAnExactOne) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> pos(0, 1500), size(5, 120), tol(0, 12);
  std::vector<TRect> rects;
  for (int i = 0; i < 400; ++i) {
    const int32_t x = pos(random), y = pos(random);
    rects.push_back({x, y, x + size(random), y + size(random)});
  }
  const TGuideSource exact = [&](const TRect& area, std::vector<TRect>& out) {
    for (const TRect& r : rects)
      if (r.Left <= area.Right && r.Right >= area.Left && r.Top <= area.Bottom && r.Bottom >= area.Top)
        out.push_back(r);
  };
  const TGuideSource generous = [&](const TRect&, std::vector<TRect>& out) {
    out.insert(out.end(), rects.rbegin(), rects.rend());
    out.insert(out.end(), rects.begin(), rects.begin() + 50);
  };
  constexpr TGraphSides SideSets[] = {gsAll, gsRight | gsBottom, gsLeft, gsTop | gsLeft};
  for (int i = 0; i < 500; ++i) {
    const int32_t x = pos(random), y = pos(random);
    const TGuideRequest request{.Rect = {x, y, x + size(random), y + size(random)},
                                .Sides = SideSets[i % 4],
                                .Tolerance = tol(random),
                                .Area = {pos(random) - 800, pos(random) - 800, 1200, 1200},
                                .Frame = i % 3 ? TRect{0, 0, 800, 480} : TRect{}};
    const TGuideResult a = ComputeGuides(request, exact);
    const TGuideResult b = ComputeGuides(request, generous);
    ASSERT_EQ(a.DX, b.DX) << "request " << i;
    ASSERT_EQ(a.DY, b.DY) << "request " << i;
    ASSERT_EQ(a.Lines, b.Lines) << "request " << i;
  }
}

}  // namespace
}  // namespace gc
