// The control's view: graph and client coordinates, grid snapping, zoom
// limits, the cached extents, and the scroll ranges and bars they give.
#include <gtest/gtest.h>

#include <random>

#include "GraphControl/Control.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"
#include "support/TestObjects.h"
#include "tests/GraphControl/ControlCoreFixture.h"

namespace gc {
namespace {

using test::TTestNode;

// ---- Snapping and coordinates ------------------------------------------------------------------

struct TSnapCase {
  TPoint In, Out;
};

class ControlGridSnapTest : public ControlCoreTest, public ::testing::WithParamInterface<TSnapCase> {};

TEST_P(ControlGridSnapTest, SnapsToTheNearestGridPointTruncatingTowardZero) {
  EXPECT_EQ(Graph.GridSnapPoint(GetParam().In), GetParam().Out);
}

INSTANTIATE_TEST_SUITE_P(Cases, ControlGridSnapTest,
                         ::testing::Values(TSnapCase{{3, 4}, {0, 8}}, TSnapCase{{12, -3}, {16, 0}},
                                           TSnapCase{{-13, -12}, {-8, -8}}, TSnapCase{{4, 11}, {8, 8}}),
                         [](const auto& info) { return "At" + test::PointName(info.param.In); });

TEST_F(ControlCoreTest, SnapOffsetKeepsAZeroAxisUnsnapped) {
  int32_t dx = 5;
  int32_t dy = 0;
  Graph.GridSnapOffset({1, 3}, dx, dy);
  EXPECT_EQ(dx, 7);
  EXPECT_EQ(dy, 0);
}

TEST_F(ControlCoreTest, GridSizeOutsideItsRangeIsIgnored) {
  for (int32_t v : {3, 129, 0, -8}) {
    Graph.SetGridSize(v);
    EXPECT_EQ(Graph.GridSize(), 8);
  }
  Graph.SetGridSize(4);
  EXPECT_EQ(Graph.GridSize(), 4);
  Graph.SetGridSize(128);
  EXPECT_EQ(Graph.GridSize(), 128);
}

TEST_F(ControlCoreTest, ZoomIsClampedAndAnnounced) {
  int zoomChanges = 0;
  Graph.OnZoomChange = [&](TGraphControl*) { ++zoomChanges; };
  Graph.SetZoom(0);
  EXPECT_EQ(Graph.Zoom(), 5);
  Graph.SetZoom(40000);
  EXPECT_EQ(Graph.Zoom(), 36863);
  Graph.SetZoom(36863);
  EXPECT_EQ(zoomChanges, 2);
}

struct TMappingCase {
  int32_t Zoom;
  int32_t Graph;
  int32_t Client;
};

class ControlMappingTest : public ControlCoreTest, public ::testing::WithParamInterface<TMappingCase> {};

TEST_P(ControlMappingTest, RoundsHalvesToEven) {
  const TMappingCase& c = GetParam();
  Graph.SetZoom(c.Zoom);
  EXPECT_EQ(Graph.GraphToClient(c.Graph, c.Graph), (TPoint{c.Client, c.Client}));
}

INSTANTIATE_TEST_SUITE_P(Cases, ControlMappingTest,
                         ::testing::Values(TMappingCase{150, 1, 2},   // 1.5 -> 2
                                           TMappingCase{150, 3, 4},   // 4.5 -> 4
                                           TMappingCase{50, 5, 2},    // 2.5 -> 2
                                           TMappingCase{50, -5, -2},  // -2.5 -> -2
                                           TMappingCase{50, 7, 4},    // 3.5 -> 4
                                           TMappingCase{100, -7, -7}),
                         [](const auto& info) {
                           return "Zoom" + test::NumberName(info.param.Zoom) + "Graph" +
                                  test::NumberName(info.param.Graph);
                         });

TEST_F(ControlCoreTest, ClientToGraphInvertsTheMapping) {
  Graph.SetZoom(200);
  EXPECT_EQ(Graph.ClientToGraph(5, 7), (TPoint{2, 4}));  // 2.5 -> 2, 3.5 -> 4
  EXPECT_EQ(Graph.ClientToGraph(Graph.GraphToClient(123, -45)), (TPoint{123, -45}));
}

// ---- Extents ---------------------------------------------------------------------------------

TEST_F(ControlCoreTest, MergedExtentEqualsAFreshMeasurement) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int32_t> coord(-500, 500);
  EXPECT_EQ(Graph.AllExtent(), TRect{});
  for (int i = 0; i < 50; ++i) {
    const int32_t x = coord(random);
    const int32_t y = coord(random);
    TTestNode* n = Node({x, y, x + 10, y + 10});
    if (i % 7 == 3) n->SetVisible(false);
    ASSERT_EQ(Graph.AllExtent(), Graph.MeasureObjects(Graph.Objects())) << i;
  }
  Graph.SetShowHiddenObjects(true);
  EXPECT_EQ(Graph.AllExtent(), Graph.MeasureObjects(Graph.Objects()));
}

TEST_F(ControlCoreTest, FirstShowingObjectReplacesTheEmptyExtent) {
  TTestNode* hidden = Node({-100, -100, -90, -90});
  hidden->SetVisible(false);
  Graph.BeginUpdate();
  Graph.EndUpdate();
  EXPECT_EQ(Graph.AllExtent(), TRect{});
  Node({20, 30, 40, 50});
  EXPECT_EQ(Graph.AllExtent(), (TRect{20, 30, 40, 50}));
}

TEST_F(ControlCoreTest, SelectionExtentFollowsTheSelection) {
  TTestNode* a = Node({0, 0, 10, 10});
  TTestNode* b = Node({20, 20, 30, 30});
  a->SetSelected(true);
  EXPECT_EQ(Graph.SelectedExtent(), (TRect{0, 0, 10, 10}));
  b->SetSelected(true);
  EXPECT_EQ(Graph.SelectedExtent(), (TRect{0, 0, 30, 30}));
  a->SetSelected(false);
  EXPECT_EQ(Graph.SelectedExtent(), (TRect{20, 20, 30, 30}));
}

// A host whose scroll bars appear when the control gives them a range, and
// whose client area shrinks by a bar's thickness while it shows and reports
// the resize at once, as a window's does.
class TWindowHost : public TFakeHost {
 public:
  TGraphControl* Graph = nullptr;

  TSize ClientSize() const override {
    return {Client.cx - (VertShown ? 17 : 0), Client.cy - (HorzShown ? 17 : 0)};
  }
  void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) override {
    TFakeHost::SetScrollInfo(kind, info);
    bool& shown = kind == TScrollBarKind::sbHorizontal ? HorzShown : VertShown;
    if (shown == (info.Max > 0)) return;
    shown = info.Max > 0;
    if (Graph) Graph->ClientResized();
  }
};

// ---- Scroll ranges and bars --------------------------------------------------------------------

struct TBarsCase {
  const char* Name;
  TSize Diagram;
  bool Horz, Vert;
  int32_t HorzMax, VertMax;
};

class ScrollBarsVisibilityTest : public ::testing::TestWithParam<TBarsCase> {};

TEST_P(ScrollBarsVisibilityTest, BarsShowWhenTheDiagramDoesNotFit) {
  const TBarsCase& c = GetParam();
  TWindowHost host;
  TGraphControl graph;
  host.Graph = &graph;
  graph.SetHost(&host);
  TTestNode::Create(&graph, {0, 0, c.Diagram.cx, c.Diagram.cy});
  EXPECT_EQ(host.HorzShown, c.Horz);
  EXPECT_EQ(host.VertShown, c.Vert);
  EXPECT_EQ(graph.HorzScrollBar().MaxPosition(), c.HorzMax);
  EXPECT_EQ(graph.VertScrollBar().MaxPosition(), c.VertMax);
  graph.SetHost(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScrollBarsVisibilityTest,
    // A node of bounds 0..N paints the pixels 0 to N: N + 1 of them.
    ::testing::Values(TBarsCase{"SmallerThanTheClient", {700, 500}, false, false, 0, 0},
                      TBarsCase{"AsLargeAsTheClient", {799, 599}, false, false, 0, 0},
                      TBarsCase{"OnePixelLargerThanTheClient", {800, 600}, true, true, 18, 18},
                      TBarsCase{"WiderThanTheClient", {900, 500}, true, false, 101, 0},
                      // One bar takes the room the other dimension needed.
                      TBarsCase{"TallerSoTheVerticalBarNarrows", {790, 700}, true, true, 8, 118},
                      TBarsCase{"WiderSoTheHorizontalBarLowers", {900, 590}, true, true, 118, 8},
                      TBarsCase{"LargerBothWays", {2000, 1000}, true, true, 1218, 418}),
    test::TCaseName());

TEST(ScrollBarsVisibility, ZoomChangesTheRangesAndBars) {
  TWindowHost host;
  TGraphControl graph;
  host.Graph = &graph;
  graph.SetHost(&host);
  TTestNode::Create(&graph, {0, 0, 500, 400});
  EXPECT_FALSE(host.HorzShown);
  graph.SetZoom(200);
  EXPECT_EQ(graph.HorzScrollBar().Range(), 1002);
  EXPECT_TRUE(host.HorzShown);
  EXPECT_TRUE(host.VertShown);
  graph.SetZoom(100);
  EXPECT_FALSE(host.HorzShown);
  EXPECT_FALSE(host.VertShown);
  graph.SetHost(nullptr);
}

TEST(ScrollBarsVisibility, ResizeReappliesTheBars) {
  TWindowHost host;
  TGraphControl graph;
  host.Graph = &graph;
  graph.SetHost(&host);
  TTestNode::Create(&graph, {0, 0, 1000, 500});
  EXPECT_TRUE(host.HorzShown);
  host.Client = {1200, 800};
  graph.ClientResized();
  EXPECT_FALSE(host.HorzShown);
  EXPECT_EQ(graph.HorzScrollBar().MaxPosition(), 0);
  graph.SetHost(nullptr);
}

}  // namespace
}  // namespace gc
