#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"
#include "support/TestObjects.h"

namespace gc {
namespace {

using test::TTestLink;
using test::TTestNode;
using TCallKind = TRecordingCanvas::TCallKind;

// Gives tests the rubber band, which only the mouse interaction sets.
class TBandControl : public TGraphControl {
 public:
  void ShowBand(const TRect& r) { SetSelectionRect(r); }
};

std::set<std::pair<int32_t, int32_t>> DevicePixels(const TRecordingCanvas& canvas) {
  std::set<std::pair<int32_t, int32_t>> pixels;
  for (const auto& call : canvas.CallsOf(TCallKind::SetPixel)) {
    TRecordingCanvas mapping;
    mapping.SetViewMapping(call.Zoom, call.ViewportOrigin);
    const TPoint d = mapping.LogicalToDevice(call.Points[0]);
    pixels.insert({d.X, d.Y});
  }
  return pixels;
}

std::vector<TPoint> GridDots(const TRecordingCanvas& canvas) {
  std::vector<TPoint> dots;
  for (const auto& call : canvas.CallsOf(TCallKind::SetPixel)) dots.push_back(call.Points[0]);
  return dots;
}

std::vector<TPoint> Lattice(std::vector<int32_t> xs, std::vector<int32_t> ys) {
  std::vector<TPoint> dots;
  for (int32_t y : ys)
    for (int32_t x : xs) dots.push_back({x, y});
  return dots;
}

// ---- Grid -----------------------------------------------------------------------------------

struct TGridCase {
  const char* Name;
  int32_t GridSize;
  TRect Clip;         // graph units
  TRect Constraints;  // graph units
  std::vector<int32_t> Columns;
  std::vector<int32_t> Rows;
};

class GridDotsTest : public ::testing::TestWithParam<TGridCase> {};

TEST_P(GridDotsTest, DotsSitOnGridMultiplesInsideClipAndConstraints) {
  const TGridCase& c = GetParam();
  TGraphControl graph;
  graph.SetGridSize(c.GridSize);
  graph.GraphConstraints().SetBoundsRect(c.Constraints);
  TRecordingCanvas canvas;
  canvas.SetClipRect(c.Clip);
  graph.DrawGrid(canvas);
  EXPECT_EQ(GridDots(canvas), Lattice(c.Columns, c.Rows));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridDotsTest,
    ::testing::Values(
        TGridCase{"FirstDotAtNextMultiple", 5, {7, 7, 21, 16}, {0, 0, 65535, 65535}, {10, 15, 20}, {10, 15}},
        TGridCase{
            "NegativeStartRoundsTowardZero", 5, {-7, -12, 3, -4}, {-100, -100, 100, 100}, {-5, 0}, {-10, -5}},
        TGridCase{
            "ExactMultipleIsIncludedRightEdgeNot", 5, {0, 0, 10, 10}, {0, 0, 65535, 65535}, {0, 5}, {0, 5}},
        TGridCase{
            "DefaultConstraintsCutNegativeArea", 8, {-20, -20, 9, 9}, {0, 0, 65535, 65535}, {0, 8}, {0, 8}},
        TGridCase{"ConstraintsCutRightAndBottom", 4, {0, 0, 100, 100}, {0, 0, 12, 9}, {0, 4, 8}, {0, 4, 8}},
        TGridCase{"EmptyAreaDrawsNothing", 4, {0, 0, 100, 100}, {200, 200, 300, 300}, {}, {}}),
    [](const auto& info) { return info.param.Name; });

TEST(GridDots, ColourIsResolvedToRgbOnce) {
  TGraphControl graph;
  graph.SetGridColor(clBtnShadow);
  TRecordingCanvas canvas;
  canvas.SetClipRect({0, 0, 16, 8});
  graph.DrawGrid(canvas);
  const auto dots = canvas.CallsOf(TCallKind::SetPixel);
  ASSERT_EQ(dots.size(), 2u);
  EXPECT_EQ(dots[0].Color, canvas.ColorToRGB(clBtnShadow));
  EXPECT_NE(dots[0].Color, clBtnShadow);
}

// Below zoom 100 several grid points share a device pixel; whatever the
// zoom, the set of pixels set must be exactly the lattice's.
class GridZoomTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(GridZoomTest, SetsExactlyThePixelsOfTheLattice) {
  const int32_t zoom = GetParam();
  TGraphControl graph;
  graph.SetGridSize(4);
  TRecordingCanvas canvas;
  canvas.SetClipRect({3, 5, 403, 305});
  canvas.SetViewMapping(zoom, {-7, -3});
  graph.DrawGrid(canvas);

  std::set<std::pair<int32_t, int32_t>> expected;
  for (int32_t y = 8; y < 305; y += 4)
    for (int32_t x = 4; x < 403; x += 4) {
      const TPoint d = canvas.LogicalToDevice({x, y});
      expected.insert({d.X, d.Y});
    }
  EXPECT_EQ(DevicePixels(canvas), expected);
  if (zoom >= 100) {
    EXPECT_EQ(canvas.CallsOf(TCallKind::SetPixel).size(), 100u * 75u);
  }
}

INSTANTIATE_TEST_SUITE_P(Zooms, GridZoomTest, ::testing::Values(5, 10, 33, 50, 75, 100, 250),
                         [](const auto& info) { return "Zoom" + test::NumberName(info.param); });

// ---- View mapping and painting -----------------------------------------------------------

class RenderingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host.HorzShown = Host.VertShown = true;
    Graph.SetHost(&Host);
  }
  void TearDown() override {
    test::ResetEvents(Graph);
    Graph.SetHost(nullptr);
  }

  TFakeHost Host;
  TBandControl Graph;
};

TEST_F(RenderingTest, ViewMappingSubtractsScrollPositionAndOrigin) {
  TTestNode::Create(&Graph, {0, 0, 4000, 4000});
  Graph.SetZoom(200);
  Graph.HorzScrollBar().SetPosition(30);
  Graph.VertScrollBar().SetPosition(10);
  TRecordingCanvas canvas;
  Graph.ApplyViewMapping(canvas, {5, 7});
  EXPECT_EQ(canvas.Zoom(), 200);
  EXPECT_EQ(canvas.ViewportOrigin(), (TPoint{-35, -17}));
  // A buffer for client (5, 7) onward: graph (10, 10) is client (-10, 10).
  EXPECT_EQ(canvas.LogicalToDevice({10, 10}), (TPoint{20 - 30 - 5, 20 - 10 - 7}));
}

// The canvas paints with the control's mapping, so an edge is drawn on the
// pixel where it is hit and repainted: at every zoom the two agree on every
// coordinate, both ways, with the view scrolled. At zoom 34, 25 units are
// 8.5 pixels, which round to 8 (halves to even).
TEST_F(RenderingTest, CanvasAndControlMapAlikeAtEveryZoom) {
  TTestNode::Create(&Graph, {0, 0, 40000, 40000});
  std::vector<std::string> mismatches;
  for (int32_t zoom = MinZoom; zoom <= 400; ++zoom) {
    Graph.SetZoom(zoom);
    Graph.HorzScrollBar().SetPosition(37);
    Graph.VertScrollBar().SetPosition(11);
    TRecordingCanvas canvas;
    Graph.ApplyViewMapping(canvas);
    for (int32_t v = -300; v <= 300; ++v) {
      if (canvas.LogicalToDevice({v, v}) != Graph.GraphToClient(v, v) ||
          canvas.DeviceToLogical({v, v}) != Graph.ClientToGraph(v, v))
        mismatches.push_back("zoom " + std::to_string(zoom) + " at " + std::to_string(v));
    }
  }
  EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " mismatches, first " << mismatches.front();
  Graph.SetZoom(34);
  EXPECT_EQ(Graph.GraphToClient(25, 25), (TPoint{8 - 37, 8 - 11}));
}

TEST_F(RenderingTest, GridFollowsZoomAndScrollPosition) {
  TTestNode::Create(&Graph, {0, 0, 4000, 4000});
  Graph.SetGridSize(10);
  Graph.SetZoom(150);
  Graph.HorzScrollBar().SetPosition(45);
  Graph.VertScrollBar().SetPosition(15);
  TRecordingCanvas canvas;
  Graph.ApplyViewMapping(canvas, {});
  // Client (0, 0)..(30, 15) is graph (30, 10)..(50, 20).
  canvas.SetClipRect({canvas.DeviceToLogical({0, 0}), canvas.DeviceToLogical({30, 15})});
  Graph.DrawGrid(canvas);
  EXPECT_EQ(DevicePixels(canvas), (std::set<std::pair<int32_t, int32_t>>{{0, 0}, {15, 0}}));
}

TEST_F(RenderingTest, PaintDrawsGridOnlyWhenShown) {
  TTestNode::Create(&Graph, {10, 10, 50, 50});
  TRecordingCanvas canvas;
  canvas.SetClipRect({0, 0, 100, 100});
  Graph.Paint(canvas);
  EXPECT_FALSE(canvas.CallsOf(TCallKind::SetPixel).empty());
  EXPECT_EQ(canvas.CallsOf(TCallKind::Rectangle).size(), 1u);

  Graph.SetShowGrid(false);
  TRecordingCanvas hidden;
  hidden.SetClipRect({0, 0, 100, 100});
  Graph.Paint(hidden);
  EXPECT_TRUE(hidden.CallsOf(TCallKind::SetPixel).empty());
}

struct TOrderCase {
  const char* Name;
  TGraphDrawOrder Order;
  std::vector<int> Expected;  // indexes into the z-ordered objects
};

class DrawOrderTest : public ::testing::TestWithParam<TOrderCase> {};

TEST_P(DrawOrderTest, GroupsKeepZOrder) {
  TGraphControl graph;
  std::vector<TGraphObject*> objects = {
      TTestNode::Create(&graph, {0, 0, 10, 10}), TTestLink::Create(&graph, {{0, 0}, {5, 5}}),
      TTestNode::Create(&graph, {20, 0, 30, 10}), TTestLink::Create(&graph, {{1, 1}, {6, 6}}),
      TTestNode::Create(&graph, {40, 0, 50, 10})};
  std::vector<int> drawn;
  graph.OnObjectBeforeDraw = [&](TGraphControl*, TGraphObject* o, TCanvas&) {
    drawn.push_back(static_cast<int>(std::find(objects.begin(), objects.end(), o) - objects.begin()));
  };
  graph.SetDrawOrder(GetParam().Order);
  TRecordingCanvas canvas;
  graph.DrawObjects(canvas, graph.Objects());
  EXPECT_EQ(drawn, GetParam().Expected);
  test::ResetEvents(graph);
}

INSTANTIATE_TEST_SUITE_P(Orders, DrawOrderTest,
                         ::testing::Values(TOrderCase{"Default", doDefault, {0, 1, 2, 3, 4}},
                                           TOrderCase{"NodesOnTop", doNodesOnTop, {1, 3, 0, 2, 4}},
                                           TOrderCase{"LinksOnTop", doLinksOnTop, {0, 2, 4, 1, 3}}),
                         test::TCaseName());

TEST_F(RenderingTest, DrawObjectsSkipsObjectsOutsideTheClipArea) {
  TTestNode::Create(&Graph, {0, 0, 10, 10});
  TTestNode::Create(&Graph, {500, 500, 510, 510});
  TRecordingCanvas canvas;
  canvas.SetClipRect({0, 0, 100, 100});
  Graph.DrawObjects(canvas, Graph.Objects());
  ASSERT_EQ(canvas.CallsOf(TCallKind::Rectangle).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(TCallKind::Rectangle)[0].Rect, (TRect{0, 0, 10, 10}));
}

TEST_F(RenderingTest, DrawObjectsBracketsWithEventsAndRestoresTools) {
  TTestNode* node = TTestNode::Create(&Graph, {0, 0, 10, 10});
  node->Pen().SetColor(clRed);
  node->Brush().SetColor(clLime);
  std::vector<std::string> log;
  Graph.OnBeforeDraw = [&](TGraphControl*, TCanvas&) { log.push_back("before"); };
  Graph.OnObjectBeforeDraw = [&](TGraphControl*, TGraphObject*, TCanvas&) { log.push_back("object"); };
  Graph.OnAfterDraw = [&](TGraphControl*, TCanvas& c) {
    log.push_back("after");
    EXPECT_EQ(c.Pen().Color(), clBlue);  // tools are back before the event
  };
  TRecordingCanvas canvas;
  canvas.Pen().SetColor(clBlue);
  canvas.Brush().SetColor(clYellow);
  canvas.SetCopyMode(7);
  canvas.SetTextFlags(3);
  Graph.DrawObjects(canvas, Graph.Objects());
  EXPECT_EQ(log, (std::vector<std::string>{"before", "object", "after"}));
  EXPECT_EQ(canvas.CallsOf(TCallKind::Rectangle)[0].Pen.Color(), clRed);
  EXPECT_EQ(canvas.Pen().Color(), clBlue);
  EXPECT_EQ(canvas.Brush().Color(), clYellow);
  EXPECT_EQ(canvas.CopyMode(), 7u);
  EXPECT_EQ(canvas.TextFlags(), 3u);
}

TEST_F(RenderingTest, FailingObjectStillRestoresToolsAndSkipsAfterDraw) {
  TTestNode* node = TTestNode::Create(&Graph, {0, 0, 10, 10});
  node->Pen().SetColor(clRed);
  bool after = false;
  Graph.OnObjectAfterDraw = [](TGraphControl*, TGraphObject*, TCanvas&) { throw std::runtime_error("boom"); };
  Graph.OnAfterDraw = [&](TGraphControl*, TCanvas&) { after = true; };
  TRecordingCanvas canvas;
  canvas.Pen().SetColor(clBlue);
  EXPECT_THROW(Graph.DrawObjects(canvas, Graph.Objects()), std::runtime_error);
  EXPECT_EQ(canvas.Pen().Color(), clBlue);
  EXPECT_FALSE(after);
}

// ---- Edit marks ---------------------------------------------------------------------------------

TEST_F(RenderingTest, MarkersFollowHideSelectionAndFocus) {
  TTestNode* node = TTestNode::Create(&Graph, {0, 0, 10, 10});
  node->SetSelected(true);
  Graph.SetMarkerColor(clRed);
  auto markers = [this] {
    TRecordingCanvas canvas;
    Graph.DrawEditMarks(canvas);
    return canvas.CallsOf(TCallKind::Rectangle);
  };
  Host.HasFocus = false;
  const auto shown = markers();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Rect, MakeSquare({10, 10}, Graph.MarkerSize()));
  EXPECT_EQ(shown[0].Pen.Color(), clRed);

  Graph.SetHideSelection(true);
  EXPECT_TRUE(markers().empty());
  Host.HasFocus = true;
  EXPECT_EQ(markers().size(), 1u);
}

TEST_F(RenderingTest, FocusChangeRepaintsTheMarkersOnlyWithHideSelection) {
  TTestNode* node = TTestNode::Create(&Graph, {100, 100, 200, 150});
  node->SetSelected(true);
  Host.ClearRecords();
  Graph.DoExit();
  EXPECT_TRUE(Host.InvalidatedRects.empty());

  Graph.SetHideSelection(true);
  Host.ClearRecords();
  Graph.DoEnter();
  Graph.DoExit();
  // The markers stick out MarkerSize beyond the painted bounds.
  const int32_t m = Graph.MarkerSize();
  const TRect expected{100 - m, 100 - m, 200 + m + 1, 150 + m + 1};
  EXPECT_EQ(Host.InvalidatedRects, (std::vector<TRect>{expected, expected}));

  // Switching HideSelection while unfocused repaints the same area, markers included.
  Host.HasFocus = false;
  Host.ClearRecords();
  Graph.SetHideSelection(false);
  EXPECT_EQ(Host.InvalidatedRects, (std::vector<TRect>{expected}));
}

TEST_F(RenderingTest, RubberBandIsAnInvertingDottedHairline) {
  Graph.ShowBand({5, 6, 50, 60});
  TRecordingCanvas canvas;
  Graph.DrawEditMarks(canvas);
  const auto band = canvas.CallsOf(TCallKind::Rectangle);
  ASSERT_EQ(band.size(), 1u);
  EXPECT_EQ(band[0].Rect, (TRect{5, 6, 50, 60}));
  EXPECT_EQ(band[0].Brush.Style(), TBrushStyle::bsClear);
  EXPECT_EQ(band[0].Pen.Mode(), TPenMode::pmNot);
  EXPECT_EQ(band[0].Pen.Style(), TPenStyle::psDot);
  EXPECT_EQ(band[0].Pen.Width(), 0);

  Graph.ShowBand({5, 6, 5, 60});  // zero width: nothing to draw
  TRecordingCanvas empty;
  Graph.DrawEditMarks(empty);
  EXPECT_TRUE(empty.Calls.empty());
}

// ---- Zoom ------------------------------------------------------------------------------------------

struct TAnchorCase {
  TZoomAnchor Anchor;
  int32_t StartZoom;
  int32_t NewZoom;
  TPoint Cursor;  // client
  TPoint StartPosition;
  TPoint ExpectedPosition;
};

class ZoomAnchorTest : public ::testing::TestWithParam<TAnchorCase> {};

TEST_P(ZoomAnchorTest, KeepsTheAnchorInPlace) {
  const TAnchorCase& c = GetParam();
  TFakeHost host;
  host.HorzShown = host.VertShown = true;
  host.Cursor = c.Cursor;
  TGraphControl graph;
  graph.SetHost(&host);
  TTestNode::Create(&graph, {0, 0, 5000, 5000});
  graph.SetZoom(c.StartZoom);
  graph.HorzScrollBar().SetPosition(c.StartPosition.X);
  graph.VertScrollBar().SetPosition(c.StartPosition.Y);
  int zoomEvents = 0;
  graph.OnZoomChange = [&](TGraphControl*) { ++zoomEvents; };
  EXPECT_TRUE(graph.SetZoomAnchored(c.NewZoom, c.Anchor));
  EXPECT_EQ(graph.Zoom(), c.NewZoom);
  EXPECT_EQ((TPoint{graph.HorzScrollBar().Position(), graph.VertScrollBar().Position()}), c.ExpectedPosition);
  EXPECT_EQ(zoomEvents, 1);
  test::ResetEvents(graph);
  graph.SetHost(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, ZoomAnchorTest,
    ::testing::Values(TAnchorCase{zaCenter, 100, 102, {0, 0}, {0, 0}, {8, 6}},
                      TAnchorCase{zaCursor, 100, 102, {400, 300}, {0, 0}, {8, 6}},
                      // Graph (400, 250) stays under client (100, 50).
                      TAnchorCase{zaCursor, 100, 200, {100, 50}, {300, 200}, {700, 450}},
                      TAnchorCase{zaCursorCenter, 100, 200, {600, 500}, {0, 0}, {800, 700}},
                      // The old visible area (1000, 500)..(1400, 800) is brought into view.
                      TAnchorCase{zaTopLeft, 200, 100, {0, 0}, {2000, 1000}, {1000, 500}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(RenderingTest, CursorAnchorKeepsTheGraphPointUnderTheMouse) {
  TTestNode::Create(&Graph, {0, 0, 5000, 5000});
  Host.Cursor = {400, 300};
  EXPECT_EQ(Graph.CursorPoint(), (TPoint{400, 300}));
  Graph.SetZoomAnchored(102, zaCursor);
  EXPECT_EQ(Graph.CursorPoint(), (TPoint{400, 300}));
}

TEST_F(RenderingTest, SameZoomDoesNothingAndLimitsClamp) {
  int zoomEvents = 0;
  Graph.OnZoomChange = [&](TGraphControl*) { ++zoomEvents; };
  Host.ClearRecords();
  EXPECT_FALSE(Graph.SetZoomAnchored(100, zaCenter));
  EXPECT_EQ(zoomEvents, 0);
  EXPECT_EQ(Host.InvalidateAllCount, 0);
  EXPECT_TRUE(Graph.SetZoomAnchored(0, zaTopLeft));
  EXPECT_EQ(Graph.Zoom(), MinZoom);
  EXPECT_TRUE(Graph.StepZoom(40000, zaCenter));
  EXPECT_EQ(Graph.Zoom(), MaxZoom);
  EXPECT_FALSE(Graph.StepZoom(2, zaCenter));
  EXPECT_EQ(zoomEvents, 2);
}

TEST_F(RenderingTest, CursorPointWritesClientPositionThroughTheHost) {
  TTestNode::Create(&Graph, {0, 0, 5000, 5000});
  Graph.SetZoom(200);
  Graph.HorzScrollBar().SetPosition(50);
  Graph.SetCursorPoint({100, 40});
  EXPECT_EQ(Host.Cursor, (TPoint{150, 80}));
}

TEST(ZoomToRect, FitsTheRectangleLeavingRoomForBars) {
  TFakeHost host;  // neither bar shown
  TGraphControl graph;
  graph.SetHost(&host);
  EXPECT_TRUE(graph.ZoomToRect({0, 0, 800 - 17, 600 - 17}));
  EXPECT_EQ(graph.Zoom(), 100);
  EXPECT_TRUE(graph.ZoomToRect({0, 0, (800 - 17) / 2, 100}));
  EXPECT_EQ(graph.Zoom(), 200);
  EXPECT_FALSE(graph.ZoomToRect({0, 0, 1, 1}));
  EXPECT_EQ(graph.Zoom(), MaxZoom);
  graph.SetHost(nullptr);
}

TEST(ZoomToRect, EmptyRectangleChangesNothing) {
  TFakeHost host;
  TGraphControl graph;
  graph.SetHost(&host);
  EXPECT_FALSE(graph.ZoomToRect({10, 10, 10, 50}));
  EXPECT_FALSE(graph.ZoomToRect({10, 10, 5, 5}));
  EXPECT_EQ(graph.Zoom(), 100);
  graph.SetHost(nullptr);
}

TEST(ZoomToRect, CentresTheRectangle) {
  TFakeHost host;
  host.HorzShown = host.VertShown = true;
  TGraphControl graph;
  graph.SetHost(&host);
  TTestNode::Create(&graph, {0, 0, 5000, 5000});
  EXPECT_TRUE(graph.ZoomToRect({1000, 1000, 1400, 1300}));
  EXPECT_EQ(graph.Zoom(), 200);
  // Centre (1200, 1150) at zoom 200 is (2400, 2300) and lands mid-client.
  EXPECT_EQ(graph.HorzScrollBar().Position(), 2400 - 400);
  EXPECT_EQ(graph.VertScrollBar().Position(), 2300 - 300);
  graph.SetHost(nullptr);
}

}  // namespace
}  // namespace gc
