#include "GraphControl/GraphScrollBar.h"

#include <gtest/gtest.h>

#include "GraphControl/Control.h"
#include "GraphControl/Numeric.h"
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

}  // namespace
}  // namespace gc
