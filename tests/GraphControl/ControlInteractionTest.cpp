#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"

namespace gc {
namespace {

using enum TMouseButton;

class ControlInteractionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { GraphControlStartup(); }
  static void TearDownTestSuite() { GraphControlShutdown(); }

  void SetUp() override {
    Graph.SetHost(&Host);
    Graph.SetDefaultNodeClass(TRectangularNode::StaticClass());
    Graph.SetDefaultLinkClass(TGraphLink::StaticClass());
  }
  void TearDown() override { Graph.SetHost(nullptr); }

  TGraphNode* Node(const TRect& r) { return static_cast<TGraphNode*>(Graph.AddNode(r)); }
  static TRect Bounds(TGraphObject* o) { return o->GetBoundsRect(); }

  // A press and release at one client point (zoom 100, no scrolling: client = graph).
  void LeftClick(TPoint p, TShiftState shift = 0) {
    Graph.MouseDown(mbLeft, shift | ssLeft, p.X, p.Y);
    Graph.Click();
    Graph.MouseUp(mbLeft, shift, p.X, p.Y);
  }
  void LeftDrag(TPoint from, TPoint to, TShiftState shift = 0) {
    Graph.MouseDown(mbLeft, shift | ssLeft, from.X, from.Y);
    Graph.MouseMove(shift | ssLeft, to.X, to.Y);
    Graph.MouseUp(mbLeft, shift, to.X, to.Y);
  }
  std::vector<TGraphObject*> Selection() const { return Graph.SelectedObjects().Items(); }

  // The event log outlives the control, whose destruction still reports.
  std::vector<std::string> Log;
  TFakeHost Host;
  TGraphControl Graph;
};

TEST_F(ControlInteractionTest, ClickOnEmptySpaceClearsTheSelectionUnlessShiftIsHeld) {
  TGraphNode* a = Node({10, 10, 50, 50});
  TGraphNode* b = Node({60, 10, 100, 50});
  TGraphNode* c = Node({110, 10, 150, 50});
  for (TGraphNode* n : {a, b, c}) n->SetSelected(true);
  LeftClick({400, 400}, ssShift);
  EXPECT_EQ(Selection().size(), 3u);
  EXPECT_FALSE(Graph.SelectionRectVisible());
  LeftClick({400, 400});
  EXPECT_TRUE(Selection().empty());
}

TEST_F(ControlInteractionTest, ClickOnEmptySpaceReportsTheFirstSelectedObjectBeforeClearing) {
  TGraphNode* a = Node({10, 10, 50, 50});
  TGraphNode* b = Node({60, 10, 100, 50});
  b->SetSelected(true);
  a->SetSelected(true);
  TGraphObject* clicked = nullptr;
  Graph.OnObjectClick = [&](TGraphControl*, TGraphObject* o) { clicked = o; };
  LeftClick({400, 400});
  EXPECT_EQ(clicked, b);
  EXPECT_TRUE(Selection().empty());
}

TEST_F(ControlInteractionTest, CtrlBandSelectsOnlyNodesAndShiftKeepsTheOthers) {
  TGraphNode* a = Node({10, 10, 50, 50});
  TGraphNode* b = Node({100, 10, 140, 50});
  TGraphObject* link = Graph.AddLink({{60, 100}, {90, 100}});
  ASSERT_NE(link, nullptr);
  link->SetSelected(true);
  LeftDrag({0, 0}, {200, 200}, ssCtrl | ssShift);
  EXPECT_TRUE(a->Selected() && b->Selected() && link->Selected());
  LeftDrag({0, 0}, {200, 200}, ssCtrl);
  EXPECT_TRUE(a->Selected() && b->Selected());
  EXPECT_FALSE(link->Selected());
  // A plain band replaces the selection by what it overlaps, links included.
  LeftDrag({55, 90}, {95, 110});
  EXPECT_EQ(Selection(), (std::vector<TGraphObject*>{link}));
}

TEST_F(ControlInteractionTest, AltBandZoomsAndSelectsNothing) {
  Node({10, 10, 50, 50});
  for (TGraphCommandMode mode : {cmEdit, cmBrowse}) {
    Graph.SetCommandMode(mode);
    Graph.SetZoom(100);
    // An Alt click is an empty band: nothing changes.
    LeftClick({300, 300}, ssAlt);
    EXPECT_EQ(Graph.Zoom(), 100);
    LeftDrag({0, 0}, {100, 75}, ssAlt);
    EXPECT_GT(Graph.Zoom(), 100) << int(mode);
    EXPECT_TRUE(Selection().empty());
    EXPECT_FALSE(Graph.SelectionRectVisible());
  }
}

TEST_F(ControlInteractionTest, BrowseModeNeverSelectsButReportsEnterAndLeave) {
  TGraphNode* a = Node({10, 10, 50, 50});
  Graph.SetCommandMode(cmBrowse);
  Graph.OnObjectMouseEnter = [&](TGraphControl*, TGraphObject*) { Log.push_back("enter"); };
  Graph.OnObjectMouseLeave = [&](TGraphControl*, TGraphObject*) { Log.push_back("leave"); };
  Graph.MouseMove(0, 20, 20);
  LeftClick({20, 20});
  Graph.MouseMove(0, 300, 300);
  EXPECT_FALSE(a->Selected());
  EXPECT_EQ(Log, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(ControlInteractionTest, MouseLeaveForgetsTheHoverObjectUnlessCaptured) {
  Node({10, 10, 50, 50});
  Graph.MouseMove(0, 20, 20);
  ASSERT_NE(Graph.ObjectUnderMouse(), nullptr);
  Host.Captured = true;
  Graph.MouseLeave();
  EXPECT_NE(Graph.ObjectUnderMouse(), nullptr);
  Host.Captured = false;
  Graph.MouseLeave();
  EXPECT_EQ(Graph.ObjectUnderMouse(), nullptr);
  EXPECT_EQ(Host.ScreenCursors.back(), crDefault);
}

struct TInsertCase {
  const char* Name;
  bool Snap;
  int32_t GridSize;
  int32_t MinNodeSize;
  TShiftState Shift;
  TPoint Press;
  TRect Expected;
};

void PrintTo(const TInsertCase& c, std::ostream* os) {
  *os << "snap " << c.Snap << " grid " << c.GridSize << " min " << c.MinNodeSize << " shift " << c.Shift;
}

class InsertSizeTest : public ControlInteractionTest, public ::testing::WithParamInterface<TInsertCase> {};

TEST_P(InsertSizeTest, NewNodeStartsAtItsInitialSizeWithThePointerOnTheCorner) {
  const TInsertCase& c = GetParam();
  Graph.SetSnapToGrid(c.Snap);
  Graph.SetGridSize(c.GridSize);
  Graph.SetMinNodeSize(c.MinNodeSize);
  Graph.SetCommandMode(cmAddNode);
  Graph.MouseDown(mbLeft, c.Shift | ssLeft, c.Press.X, c.Press.Y);
  ASSERT_EQ(Graph.Objects().Count(), 1);
  TGraphObject* node = Graph.Objects().Items(0);
  EXPECT_EQ(Bounds(node), c.Expected);
  EXPECT_EQ(Graph.DragSource(), node);
  EXPECT_EQ(Host.Cursor, c.Expected.BottomRight());
  EXPECT_EQ(Graph.ObjectUnderMouse(), node);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, InsertSizeTest,
    ::testing::Values(TInsertCase{"Unsnapped", false, 5, 2, 0, {103, 47}, {103, 47, 105, 49}},
                      TInsertCase{"Snapped", true, 5, 2, 0, {103, 47}, {105, 45, 110, 50}},
                      // Ctrl inverts snapping for the position only.
                      TInsertCase{"CtrlInvertsSnapping", true, 5, 2, ssCtrl, {103, 47}, {103, 47, 108, 52}},
                      TInsertCase{
                          "MinimumSizeBetweenGridSteps", true, 8, 20, 0, {96, 96}, {96, 96, 120, 120}},
                      TInsertCase{"MinimumSizeOnAGridStep", true, 8, 16, 0, {96, 96}, {96, 96, 112, 112}}),
    test::TCaseName());

TEST_F(ControlInteractionTest, InsertionDragResizesAndReleaseReturnsToEdit) {
  Graph.SetSnapToGrid(false);
  Graph.SetMinNodeSize(2);
  Graph.SetCommandMode(cmAddNode);
  int changes = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++changes; };
  Graph.MouseDown(mbLeft, ssLeft, 100, 100);
  changes = 0;
  Graph.MouseMove(ssLeft, 140, 130);
  Graph.MouseUp(mbLeft, 0, 140, 130);
  ASSERT_EQ(Graph.Objects().Count(), 1);
  EXPECT_EQ(Bounds(Graph.Objects().Items(0)), (TRect{100, 100, 140, 130}));
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  EXPECT_TRUE(Graph.Modified());
  EXPECT_EQ(changes, 1);
}

TEST_F(ControlInteractionTest, ReleaseRightAfterInsertionKeepsTheInitialSize) {
  Graph.SetCommandMode(cmAddNode);
  Graph.MouseDown(mbLeft, ssLeft, 96, 96);
  Graph.MouseUp(mbLeft, 0, 112, 112);
  ASSERT_EQ(Graph.Objects().Count(), 1);
  EXPECT_EQ(Bounds(Graph.Objects().Items(0)), (TRect{96, 96, 112, 112}));
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  EXPECT_TRUE(Graph.Modified());
}

TEST_F(ControlInteractionTest, EscapeDuringInsertionRemovesTheNodeWithoutEndDragEvent) {
  Graph.SetCommandMode(cmAddNode);
  Graph.OnObjectEndDrag = [&](TGraphControl*, TGraphObject*, THitCode, bool) { Log.push_back("end"); };
  Graph.MouseDown(mbLeft, ssLeft, 96, 96);
  Graph.MouseMove(ssLeft, 150, 150);
  uint16_t key = VK_ESCAPE;
  EXPECT_TRUE(Graph.KeyDown(key, ssLeft));
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  EXPECT_EQ(Graph.ObjectUnderMouse(), nullptr);
  EXPECT_TRUE(Log.empty());
  Graph.MouseUp(mbLeft, 0, 150, 150);
  EXPECT_EQ(Graph.Objects().Count(), 0);
}

TEST_F(ControlInteractionTest, ShiftInsertionLeavesTheNodeUnselectedAndReturnsToEdit) {
  Graph.SetCommandMode(cmAddNode);
  Graph.MouseDown(mbLeft, ssShift | ssLeft, 96, 96);
  ASSERT_EQ(Graph.Objects().Count(), 1);
  EXPECT_FALSE(Graph.Objects().Items(0)->Selected());
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  EXPECT_TRUE(Graph.Modified());
}

TEST_F(ControlInteractionTest, InsertionOutsideTheConstraintsCreatesNothing) {
  Graph.GraphConstraints().SetBoundsRect({0, 0, 50, 50});
  Graph.SetCommandMode(cmAddNode);
  Graph.MouseDown(mbLeft, ssLeft, 200, 200);
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_EQ(Graph.CommandMode(), cmAddNode);
}

TEST_F(ControlInteractionTest, LinkInsertionHooksToTheObjectUnderThePressAndDragsItsLastPoint) {
  TGraphNode* a = Node({10, 10, 50, 50});
  Graph.SetSnapToGrid(false);
  Graph.SetCommandMode(cmAddLink);
  Graph.MouseDown(mbLeft, ssLeft, 30, 30);
  ASSERT_EQ(Graph.Objects().Count(), 2);
  auto* link = static_cast<TGraphLink*>(Graph.Objects().Items(1));
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(Graph.DragSource(), link);
  Graph.MouseMove(ssLeft, 200, 120);
  Graph.MouseUp(mbLeft, 0, 200, 120);
  EXPECT_EQ(link->Points(link->PointCount() - 1), (TPoint{200, 120}));
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
}

TEST_F(ControlInteractionTest, GroupDragStopsAtTheConstraintEdge) {
  Graph.GraphConstraints().SetBoundsRect({0, 0, 300, 300});
  Graph.SetSnapToGrid(false);
  TGraphNode* a = Node({10, 10, 50, 50});
  TGraphNode* b = Node({100, 10, 140, 50});
  a->SetSelected(true);
  b->SetSelected(true);
  Graph.MouseDown(mbLeft, ssLeft, 120, 30);
  Graph.MouseMove(ssLeft, 500, -100);
  Graph.MouseUp(mbLeft, 0, 500, -100);
  EXPECT_EQ(Bounds(a), (TRect{170, 0, 210, 40}));
  EXPECT_EQ(Bounds(b), (TRect{260, 0, 300, 40}));
}

TEST_F(ControlInteractionTest, ArrowsMoveLockedNodesThatTheMouseCannotDrag) {
  Graph.SetSnapToGrid(false);
  Graph.SetLockNodes(true);
  TGraphNode* a = Node({10, 10, 50, 50});
  a->SetSelected(true);
  LeftDrag({30, 30}, {80, 80});
  EXPECT_EQ(Bounds(a), (TRect{10, 10, 50, 50}));
  uint16_t key = VK_RIGHT;
  EXPECT_TRUE(Graph.KeyDown(key, 0));
  key = VK_DOWN;
  EXPECT_TRUE(Graph.KeyDown(key, ssCtrl));
  EXPECT_EQ(Bounds(a), (TRect{11, 18, 51, 58}));
  key = VK_LEFT;
  EXPECT_TRUE(Graph.KeyDown(key, ssShift));
  EXPECT_EQ(Bounds(a), (TRect{11, 18, 50, 58}));
}

TEST_F(ControlInteractionTest, ArrowsScrollInPanModeWithinTheRange) {
  Host.HorzShown = true;
  Host.VertShown = true;
  Node({1000, 1000, 1040, 1040});
  Graph.CalcScrollRanges();
  Graph.SetCommandMode(cmPan);
  TGraphScrollBar& horz = Graph.HorzScrollBar();
  ASSERT_GT(horz.Range(), 0);
  uint16_t key = VK_RIGHT;
  EXPECT_TRUE(Graph.KeyDown(key, 0));
  EXPECT_EQ(horz.Position(), 8);
  key = VK_LEFT;
  EXPECT_TRUE(Graph.KeyDown(key, 0));
  EXPECT_TRUE(Graph.KeyDown(key, 0));
  EXPECT_EQ(horz.Position(), 0);
  key = VK_DOWN;
  EXPECT_TRUE(Graph.KeyDown(key, 0));
  EXPECT_EQ(Graph.VertScrollBar().Position(), 8);
  Graph.SetCommandMode(cmBrowse);
  EXPECT_FALSE(Graph.KeyDown(key, 0));
  EXPECT_EQ(Graph.VertScrollBar().Position(), 8);
}

TEST_F(ControlInteractionTest, PanDragMovesTheContentWithTheMouse) {
  Host.HorzShown = true;
  Host.VertShown = true;
  Node({1000, 1000, 1040, 1040});
  Graph.CalcScrollRanges();
  Graph.SetCommandMode(cmPan);
  Graph.MouseDown(mbLeft, ssLeft, 300, 300);
  EXPECT_EQ(Host.ScreenCursors.back(), crHandGrab);
  Graph.MouseMove(ssLeft, 280, 290);
  Graph.MouseMove(ssLeft, 250, 400);
  Graph.MouseUp(mbLeft, 0, 250, 400);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 50);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 0);
  EXPECT_EQ(Host.ScreenCursors.back(), crHandFlat);
}

TEST_F(ControlInteractionTest, TabSelectsTheFollowingObjectAndIsHandledWithoutObjects) {
  uint16_t key = VK_TAB;
  EXPECT_TRUE(Graph.KeyDown(key, 0));
  TGraphNode* a = Node({10, 10, 50, 50});
  Node({60, 10, 100, 50});
  TGraphNode* c = Node({110, 10, 150, 50});
  a->SetSelected(true);
  EXPECT_TRUE(Graph.KeyDown(key, ssShift));
  EXPECT_EQ(Selection(), (std::vector<TGraphObject*>{c}));
  Graph.SetDefaultKeyMap(false);
  EXPECT_FALSE(Graph.KeyDown(key, 0));
  EXPECT_EQ(Selection(), (std::vector<TGraphObject*>{c}));
}

TEST_F(ControlInteractionTest, RightClickOnEmptySpaceOpensTheObjectMenuForTheSelection) {
  int menu = 0;
  Graph.SetObjectPopupMenu(&menu);
  TGraphNode* a = Node({10, 10, 50, 50});
  a->SetSelected(true);
  Graph.MouseDown(mbRight, ssRight, 300, 300);
  Graph.MouseUp(mbRight, 0, 300, 300);
  bool handled = false;
  Graph.DoContextPopup({300, 300}, handled);
  EXPECT_TRUE(handled);
  ASSERT_EQ(Host.Popups.size(), 1u);
  EXPECT_EQ(Host.Popups[0].Menu, &menu);
  EXPECT_TRUE(a->Selected());
}

TEST_F(ControlInteractionTest, DragInProgressBlocksTheContextMenu) {
  int menu = 0;
  Graph.SetObjectPopupMenu(&menu);
  TGraphNode* a = Node({10, 10, 50, 50});
  a->SetSelected(true);
  Graph.MouseDown(mbLeft, ssLeft, 30, 30);
  ASSERT_EQ(Graph.DragSource(), a);
  bool handled = false;
  Graph.DoContextPopup({30, 30}, handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(Host.Popups.empty());
}

TEST_F(ControlInteractionTest, RightPressOnAnUnselectedObjectSelectsItAloneWithoutDragging) {
  int menu = 0;
  Graph.SetObjectPopupMenu(&menu);
  TGraphNode* a = Node({10, 10, 50, 50});
  TGraphNode* b = Node({100, 10, 140, 50});
  a->SetSelected(true);
  Graph.MouseDown(mbRight, ssRight, 120, 30);
  EXPECT_EQ(Selection(), (std::vector<TGraphObject*>{b}));
  EXPECT_EQ(Graph.DragSource(), nullptr);
  Graph.MouseUp(mbRight, 0, 120, 30);
  bool handled = false;
  Graph.DoContextPopup({120, 30}, handled);
  ASSERT_EQ(Host.Popups.size(), 1u);
}

TEST_F(ControlInteractionTest, HoverObjectIsTheDragSourceWhileDragging) {
  Graph.SetSnapToGrid(false);
  TGraphNode* a = Node({10, 10, 50, 50});
  Node({100, 10, 140, 50});
  a->SetSelected(true);
  Graph.OnObjectMouseEnter = [&](TGraphControl*, TGraphObject*) { Log.push_back("enter"); };
  Graph.OnObjectMouseLeave = [&](TGraphControl*, TGraphObject*) { Log.push_back("leave"); };
  Graph.MouseDown(mbLeft, ssLeft, 30, 30);
  Graph.MouseMove(ssLeft, 120, 30);
  Graph.MouseMove(ssLeft, 300, 300);
  EXPECT_EQ(Graph.ObjectUnderMouse(), a);
  EXPECT_EQ(Log, (std::vector<std::string>{"enter"}));
}

TEST_F(ControlInteractionTest, InfoTipShowsTheShortHintOverTheObjectsPaintBounds) {
  TGraphNode* a = Node({10, 10, 50, 50});
  Graph.SetZoom(200);
  std::string text;
  TRect area;
  EXPECT_FALSE(Graph.InfoTipFor({60, 60}, text, area));
  a->SetHint("Short|Long help");
  ASSERT_TRUE(Graph.InfoTipFor({60, 60}, text, area));
  EXPECT_EQ(text, "Short");
  const TRect& paint = a->PaintBounds();
  EXPECT_EQ(area, (TRect{paint.Left * 2, paint.Top * 2, paint.Right * 2, paint.Bottom * 2}));
  Graph.OnInfoTip = [](TGraphControl*, TGraphObject*, std::string& tip) { tip += "!"; };
  ASSERT_TRUE(Graph.InfoTipFor({60, 60}, text, area));
  EXPECT_EQ(text, "Short!");
  EXPECT_FALSE(Graph.InfoTipFor({600, 600}, text, area));
}

}  // namespace
}  // namespace gc
