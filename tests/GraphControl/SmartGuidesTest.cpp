#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/SmartGuides.h"
#include "GraphControl/Unit.h"
#include "support/FakeHost.h"

namespace gc {

void PrintTo(const TGuideLine& line, std::ostream* os) {
  *os << (line.Kind == TGuideKind::Align ? "align " : "gap ") << "(" << line.From.X << "," << line.From.Y
      << ")-(" << line.To.X << "," << line.To.Y << ")";
}

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

// ---- In the control -----------------------------------------------------------------------

class ControlGuides : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { GraphControlStartup(); }
  static void TearDownTestSuite() { GraphControlShutdown(); }

  void SetUp() override { Prepare(Graph, Host); }
  void TearDown() override {
    Graph.SetHost(nullptr);
    Reference.SetHost(nullptr);
  }
  static void Prepare(TGraphControl& graph, TFakeHost& host) {
    graph.SetHost(&host);
    graph.SetDefaultNodeClass(TRectangularNode::StaticClass());
    graph.SetSnapToGrid(false);
  }
  TGraphObject* Node(const TRect& r) { return Graph.AddNode(r); }
  // Zoom 100 and no scrolling: client points are graph points.
  void Press(TPoint p, TShiftState shift = 0) { Graph.MouseDown(mbLeft, shift | ssLeft, p.X, p.Y); }
  void MoveTo(TPoint p, TShiftState shift = 0) { Graph.MouseMove(shift | ssLeft, p.X, p.Y); }
  void Release(TPoint p, TShiftState shift = 0) { Graph.MouseUp(mbLeft, shift, p.X, p.Y); }

  TFakeHost Host, ReferenceHost;
  TGraphControl Graph, Reference;
};

TEST_F(ControlGuides, AreOffByDefault) {
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  EXPECT_FALSE(Graph.SmartGuides());
  Press({325, 315});
  MoveTo({128, 415});  // left edge at 103
  Release({128, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{103, 400, 153, 430}));
}

TEST_F(ControlGuides, ADragSnapsShowsLinesAndEndsWithoutThem) {
  Graph.SetSmartGuides(true);
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  Press({325, 315});
  MoveTo({128, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{100, 400, 150, 430}));
  // The left edge meets the other's left edge, the right edge its centre.
  EXPECT_EQ(Graph.GuideLines(),
            (std::vector<TGuideLine>{{Align, {100, 100}, {100, 429}}, {Align, {149, 100}, {149, 429}}}));
  // Further moves are measured from the pointer, not from the snapped place.
  MoveTo({140, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{115, 400, 165, 430}));
  EXPECT_TRUE(Graph.GuideLines().empty());
  MoveTo({129, 415});
  Release({129, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{100, 400, 150, 430}));
  EXPECT_TRUE(Graph.GuideLines().empty());
}

TEST_F(ControlGuides, AltSuspendsThemForAsLongAsItIsHeld) {
  Graph.SetSmartGuides(true);
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  Press({325, 315});
  MoveTo({128, 415}, ssAlt);
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{103, 400, 153, 430}));
  EXPECT_TRUE(Graph.GuideLines().empty());
  MoveTo({127, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{100, 400, 150, 430}));
  Release({127, 415});
}

TEST_F(ControlGuides, TheScreenFrameGuides) {
  Graph.SetSmartGuides(true);
  Graph.SetGuideFrame({0, 0, 800, 480});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  Press({325, 315});
  MoveTo({773, 463});  // right 798, bottom 478
  Release({773, 463});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{750, 450, 800, 480}));
}

TEST_F(ControlGuides, AResizeSnapsTheDraggedCorner) {
  Graph.SetSmartGuides(true);
  Node({400, 100, 500, 150});
  TGraphObject* resized = Node({300, 300, 350, 330});
  resized->SetSelected(true);
  Press({350, 330});  // the bottom-right marker
  MoveTo({397, 352});
  Release({397, 352});
  EXPECT_EQ(resized->GetBoundsRect(), (TRect{300, 300, 400, 352}));
}

TEST_F(ControlGuides, GridSnappingStaysWhenNoGuideIsNear) {
  Graph.SetSmartGuides(true);
  Graph.SetSnapToGrid(true);
  Graph.SetGridSize(8);
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({304, 304, 354, 334});
  Press({329, 319});
  MoveTo({529, 521});
  Release({529, 521});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{504, 504, 554, 534}));
  // Near the other widget its edge wins over the grid: 102 would snap to 104.
  Press({529, 519});
  MoveTo({127, 519});
  Release({127, 519});
  EXPECT_EQ(dragged->GetBoundsRect().Left, 100);
}

// The spatial index answers the guides' questions; the reference scan must
// give every drag the same places and lines.
TEST_F(ControlGuides, TheIndexAndTheReferenceScanGuideAlike) {
  Prepare(Reference, ReferenceHost);
  Graph.SetSpatialIndexKind(TSpatialIndexKind::RTree);
  Reference.SetSpatialIndexKind(TSpatialIndexKind::Scan);
  std::mt19937 random(3);
  std::uniform_int_distribution<int32_t> pos(0, 760), size(8, 60), step(-40, 40);
  for (TGraphControl* g : {&Graph, &Reference}) g->SetSmartGuides(true);
  for (int i = 0; i < 300; ++i) {
    const int32_t x = pos(random), y = pos(random);
    const TRect r{x, y, x + size(random), y + size(random)};
    Graph.AddNode(r);
    Reference.AddNode(r);
  }
  int snapped = 0;
  for (int drag = 0; drag < 40; ++drag) {
    TGraphObject* a = Graph.Objects()[drag * 7];
    TGraphObject* b = Reference.Objects()[drag * 7];
    const TRect r = a->GetBoundsRect();
    TPoint p{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    // The pressed point must hit this node, not one above it.
    if (Graph.ObjectAtPoint(p) != a) continue;
    for (TGraphControl* g : {&Graph, &Reference}) g->MouseDown(mbLeft, ssLeft, p.X, p.Y);
    for (int move = 0; move < 10; ++move) {
      p = {std::clamp(p.X + step(random), 0, 799), std::clamp(p.Y + step(random), 0, 599)};
      for (TGraphControl* g : {&Graph, &Reference}) g->MouseMove(ssLeft, p.X, p.Y);
      ASSERT_EQ(a->GetBoundsRect(), b->GetBoundsRect()) << "drag " << drag << " move " << move;
      ASSERT_EQ(Graph.GuideLines(), Reference.GuideLines()) << "drag " << drag << " move " << move;
      snapped += !Graph.GuideLines().empty();
    }
    for (TGraphControl* g : {&Graph, &Reference}) g->MouseUp(mbLeft, 0, p.X, p.Y);
  }
  EXPECT_GT(snapped, 20);  // the comparison saw guides, not only empty lists
}

}  // namespace
}  // namespace gc
