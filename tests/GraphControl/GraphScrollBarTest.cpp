#include "GraphControl/GraphScrollBar.h"

#include <gtest/gtest.h>

#include "GraphControl/Control.h"
#include "GraphControl/Numeric.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"
#include "support/TestObjects.h"

namespace gc {
namespace {

using test::TTestNode;

class GraphScrollBarTest : public ::testing::Test {
 protected:
  void Attach() {
    Host.HorzShown = true;
    Host.VertShown = true;
    Graph.SetHost(&Host);
  }
  void TearDown() override { Graph.SetHost(nullptr); }

  TFakeHost Host;
  TGraphControl Graph;
};

// The range runs to the pixel at the extent: the pixels 0 to E are E + 1.
TEST_F(GraphScrollBarTest, RangeWithoutObjectsRunsToPixelOnePlusMarginZoomed) {
  Graph.HorzScrollBar().SetMargin(10);
  Graph.SetZoom(250);
  EXPECT_EQ(Graph.HorzScrollBar().Range(), MulDiv(12, 250, 100));
  EXPECT_EQ(Graph.VertScrollBar().Range(), MulDiv(2, 250, 100));
  Graph.SetFixedScrollBars(true);
  EXPECT_EQ(Graph.HorzScrollBar().Range(), MulDiv(65535 + 1 + 10, 250, 100));
}

TEST_F(GraphScrollBarTest, RangeRunsToTheLastPixelOfTheDiagram) {
  TTestNode::Create(&Graph, {0, 0, 300, 120});
  EXPECT_EQ(Graph.HorzScrollBar().Range(), 301);
  EXPECT_EQ(Graph.VertScrollBar().Range(), 121);
}

TEST_F(GraphScrollBarTest, BarsGetTheirLimitsFromTheHostAndPositionsClamp) {
  Attach();
  TTestNode::Create(&Graph, {0, 0, 2000, 1000});  // the pixels 0 to 2000 and 0 to 1000
  TGraphScrollBar& horz = Graph.HorzScrollBar();
  EXPECT_EQ(horz.MaxPosition(), 1201);
  EXPECT_EQ(Graph.VertScrollBar().MaxPosition(), 401);
  EXPECT_EQ(Host.ScrollInfos[TScrollBarKind::sbHorizontal].Max, 2001);
  EXPECT_EQ(Host.ScrollInfos[TScrollBarKind::sbHorizontal].Page, 801);
  horz.SetPosition(5000);
  EXPECT_EQ(horz.Position(), 1201);
  EXPECT_EQ(Host.Scrolls.back(), (TPoint{-1201, 0}));
  horz.SetPosition(-3);
  EXPECT_EQ(horz.Position(), 0);
  EXPECT_EQ(Host.Scrolls.back(), (TPoint{1201, 0}));
  EXPECT_EQ(horz.PageIncrement(), 720);
}

TEST_F(GraphScrollBarTest, HiddenBarCannotScroll) {
  Attach();
  TTestNode::Create(&Graph, {0, 0, 2000, 1000});
  Graph.VertScrollBar().SetPosition(100);
  Graph.VertScrollBar().SetVisible(false);
  EXPECT_EQ(Graph.VertScrollBar().MaxPosition(), 0);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 0);
  EXPECT_FALSE(Graph.VertScrollBar().IsShown());
}

TEST_F(GraphScrollBarTest, ZeroSizesApplyTheSystemDefaultAndReadZero) {
  Attach();
  TGraphScrollBar& horz = Graph.HorzScrollBar();
  horz.SetButtonSize(5);
  EXPECT_EQ(Host.Appearances[TScrollBarKind::sbHorizontal].ButtonSize, 5);
  horz.SetButtonSize(0);
  EXPECT_EQ(Host.Appearances[TScrollBarKind::sbHorizontal].ButtonSize, 17);
  EXPECT_EQ(horz.ButtonSize(), 0);
}

TEST_F(GraphScrollBarTest, ParentColorResetsTheColour) {
  TGraphScrollBar& bar = Graph.VertScrollBar();
  bar.SetColor(clRed);
  EXPECT_FALSE(bar.ParentColor());
  bar.SetParentColor(true);
  EXPECT_TRUE(bar.ParentColor());
  EXPECT_EQ(bar.Color(), clBtnHighlight);
}

TEST_F(GraphScrollBarTest, BringIntoViewAndCenterViewScrollOnlyShownBars) {
  TTestNode::Create(&Graph, {0, 0, 3000, 3000});
  Graph.BringIntoView(TPoint{2500, 2500});
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 0);  // headless: nothing to scroll
  Attach();
  Graph.BringIntoView(TPoint{1000, 700});
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 200);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 100);
  Graph.BringIntoView(TPoint{50, 60});
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 50);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 60);
  Graph.CenterView(TRect{900, 900, 1100, 1100});
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 600);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 700);
  EXPECT_EQ(Graph.VisibleArea(), (TRect{600, 700, 1400, 1300}));
}

TEST(GraphConstraints, EdgesAreOutsideForWithinBoundsButKeptByConfinePoint) {
  TGraphConstraints constraints;
  constraints.SetBoundsRect({0, 0, 100, 100});
  EXPECT_FALSE(constraints.WithinBounds(TPoint{100, 50}));
  EXPECT_TRUE(constraints.WithinBounds(TPoints{{0, 0}, {99, 99}}));
  TPoint p{100, 50};
  EXPECT_TRUE(constraints.ConfinePoint(p));
  EXPECT_EQ(p, (TPoint{100, 50}));
  p = {-5, 150};
  EXPECT_FALSE(constraints.ConfinePoint(p));
  EXPECT_EQ(p, (TPoint{0, 100}));
}

TEST(GraphConstraints, ConfineOffsetKeepsTheSourceInsideOnTheGivenSides) {
  TGraphConstraints constraints;
  constraints.SetSourceRect({10, 20, 60, 40});
  int32_t dx = -30;
  int32_t dy = 0;
  EXPECT_TRUE(constraints.ConfineOffset(dx, dy, gsAll));
  EXPECT_EQ(dx, -10);
  dx = -30;
  dy = -5;
  EXPECT_TRUE(constraints.ConfineOffset(dx, dy, gsRight | gsBottom));  // the left side is not confined
  EXPECT_EQ(dx, -30);
  constraints.SetSourceRect({0, 20, 50, 40});
  dx = -5;
  dy = 0;
  EXPECT_FALSE(constraints.ConfineOffset(dx, dy, gsAll));
  EXPECT_EQ(dx, 0);
}

TEST(GraphConstraints, ChangingTheBoundsNotifiesOnce) {
  int changes = 0;
  TGraphControl graph;
  graph.GraphConstraints().OnChange = [&](TGraphConstraints*) { ++changes; };
  graph.GraphConstraints().SetMaxRight(2000);
  graph.GraphConstraints().SetMaxRight(2000);
  graph.SetFixedScrollBars(true);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(graph.HorzScrollBar().Range(), 2001);
  graph.GraphConstraints().SetMaxRight(3000);
  EXPECT_EQ(graph.HorzScrollBar().Range(), 3001);
}

// ---- Scroll notifications --------------------------------------------------------------------------

class ScrollMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Host.HorzShown = Host.VertShown = true;
    Graph.SetHost(&Host);
    TTestNode::Create(&Graph, {0, 0, 2000, 999});  // rows 0 to 999: vertical MaxPosition 400
    Bar().SetPosition(100);
    Host.ClearRecords();
  }
  void TearDown() override { Graph.SetHost(nullptr); }
  TGraphScrollBar& Bar() { return Graph.VertScrollBar(); }

  TFakeHost Host;
  TGraphControl Graph;
};

struct TMessageCase {
  const char* Name;
  TScrollCode Code;
  int32_t Position;  // carried by the notification
  bool Tracking;
  int32_t Expected;
};

class ScrollCodeTest : public ScrollMessageTest, public ::testing::WithParamInterface<TMessageCase> {};

TEST_P(ScrollCodeTest, MovesThePositionAndRepaints) {
  const TMessageCase& c = GetParam();
  Bar().SetTracking(c.Tracking);
  EXPECT_TRUE(Bar().HandleScrollMessage(c.Code, c.Position));
  EXPECT_EQ(Bar().Position(), c.Expected);
  EXPECT_EQ(Host.InvalidateAllCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ScrollCodeTest,
    ::testing::Values(TMessageCase{"LineUp", TScrollCode::scLineUp, 0, false, 92},
                      TMessageCase{"LineDown", TScrollCode::scLineDown, 0, false, 108},
                      TMessageCase{"PageUp", TScrollCode::scPageUp, 0, false, 0},
                      TMessageCase{"PageDown", TScrollCode::scPageDown, 0, false, 400},
                      TMessageCase{"Position", TScrollCode::scPosition, 345, false, 345},
                      TMessageCase{"TrackWithoutTracking", TScrollCode::scTrack, 345, false, 100},
                      TMessageCase{"TrackWithTracking", TScrollCode::scTrack, 345, true, 345},
                      TMessageCase{"Top", TScrollCode::scTop, 0, false, 0},
                      TMessageCase{"Bottom", TScrollCode::scBottom, 0, false, 400},
                      TMessageCase{"EndScroll", TScrollCode::scEndScroll, 0, false, 100}),
    test::TCaseName());

TEST_F(ScrollMessageTest, HiddenBarLeavesTheNotificationToTheWindow) {
  Graph.HorzScrollBar().SetPosition(50);
  Graph.HorzScrollBar().SetVisible(false);
  Host.ClearRecords();
  EXPECT_FALSE(Graph.HorzScrollBar().HandleScrollMessage(TScrollCode::scLineDown, 0));
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 0);
  EXPECT_EQ(Host.InvalidateAllCount, 0);
}

TEST(ScrollMessage, FarThumbPositionsComeFromTheTrackPosition) {
  TFakeHost host;
  host.HorzShown = host.VertShown = true;
  TGraphControl graph;
  graph.SetHost(&host);
  TTestNode::Create(&graph, {0, 0, 60000, 100});
  TGraphScrollBar& bar = graph.HorzScrollBar();
  ASSERT_GE(bar.MaxPosition(), 32768);
  host.ScrollPositions[TScrollBarKind::sbHorizontal] = 40000;  // where the thumb is
  bar.HandleScrollMessage(TScrollCode::scPosition, 1234);
  EXPECT_EQ(bar.Position(), 40000);
  graph.SetHost(nullptr);
}

// A clock that advances by a scripted amount per reading and records sleeps.
class SmoothScrollTest : public ScrollMessageTest {
 protected:
  void SetUp() override {
    ScrollMessageTest::SetUp();
    Previous = SetScrollClock({[this] { return Ticks[std::min(Reads++, Ticks.size() - 1)]; },
                               [this](int32_t ms) { Sleeps.push_back(ms); }});
    Bar().SetSmooth(true);
  }
  void TearDown() override {
    SetScrollClock(std::move(Previous));
    ScrollMessageTest::TearDown();
  }

  std::vector<int64_t> Ticks{1000, 1003, 1020, 1025};
  size_t Reads = 0;
  std::vector<int32_t> Sleeps;
  TScrollClock Previous;
};

TEST_F(SmoothScrollTest, LineMovesInLineDivStepsThenTheRest) {
  Bar().SetIncrement(10);
  Bar().HandleScrollMessage(TScrollCode::scLineDown, 0);
  EXPECT_EQ(Bar().Position(), 110);
  EXPECT_EQ(Host.Scrolls, (std::vector<TPoint>{{0, -2}, {0, -2}, {0, -2}, {0, -2}, {0, -2}}));
  EXPECT_EQ(Host.PaintNowCount, 4);  // after each paced step, not after the rest
  // Steps closer together than Delay (10 ms) wait for the remainder.
  EXPECT_EQ(Sleeps, (std::vector<int32_t>{7, 5}));
}

TEST_F(SmoothScrollTest, PageMovesInPageDivSteps) {
  Bar().SetPageDiv(7);
  const int32_t page = Bar().PageIncrement();  // 600 * 9 / 10 = 540
  ASSERT_EQ(page, 540);
  Bar().HandleScrollMessage(TScrollCode::scPageUp, 0);
  EXPECT_EQ(Bar().Position(), 0);  // 7 steps of 77 and a rest of 1, clamped at the top
  ASSERT_EQ(Host.Scrolls.size(), 2u);
  EXPECT_EQ(Host.Scrolls[0], (TPoint{0, 77}));
  EXPECT_EQ(Host.Scrolls[1], (TPoint{0, 23}));
  EXPECT_EQ(Host.PaintNowCount, 7);
}

TEST_F(SmoothScrollTest, ThumbAndEndCodesDoNotAnimate) {
  Bar().HandleScrollMessage(TScrollCode::scBottom, 0);
  EXPECT_EQ(Bar().Position(), 400);
  EXPECT_EQ(Host.Scrolls, (std::vector<TPoint>{{0, -300}}));
  EXPECT_TRUE(Sleeps.empty());
}

}  // namespace
}  // namespace gc
