#include "GraphControl/GraphObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "support/CaseName.h"
#include "support/FixedWidthCanvas.h"
#include "support/TestObjects.h"

namespace gc {
namespace {

using test::TTestLink;
using test::TTestNode;

class GraphObjectTest : public ::testing::Test {
 protected:
  void TearDown() override { test::ResetEvents(Graph); }
  TTestNode* Node(const TRect& r = {10, 10, 50, 40}) { return TTestNode::Create(&Graph, r); }

  TGraphControl Graph;
};

TEST_F(GraphObjectTest, NewObjectHasTheDefaultsAndEntersTheDiagram) {
  int inits = 0;
  int inserts = 0;
  Graph.OnObjectInitInstance = [&](TGraphControl*, TGraphObject* o) {
    ++inits;
    EXPECT_EQ(o->ID(), 1u);
    EXPECT_FALSE(Graph.Objects().Contains(o));
  };
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { ++inserts; };
  TTestNode* node = Node();
  EXPECT_EQ(inits, 1);
  EXPECT_EQ(inserts, 1);
  EXPECT_EQ(node->States(), 0);
  EXPECT_EQ(node->Options(), goLinkable | goSelectable | goShowCaption);
  EXPECT_TRUE(node->Visible());
  EXPECT_TRUE(node->ParentFont());
  EXPECT_EQ(node->Brush().Color(), clWhite);
  EXPECT_EQ(node->Pen().Color(), clBlack);
  EXPECT_EQ(node->PaintBounds(), (TRect{10, 10, 50, 40}));
  EXPECT_EQ(node->ZOrder(), 0);
  EXPECT_TRUE(Graph.Modified());
}

struct TRefusingBody {
  void operator()(TGraphObject*) const { throw EGraphInvalidOperation("refused"); }
};

TEST_F(GraphObjectTest, FailedConstructionLeavesNothingBehind) {
  int inserts = 0;
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { ++inserts; };
  EXPECT_THROW(TGraphObject::Construct(TTestNode::StaticClass(), &Graph, TRefusingBody{}),
               EGraphInvalidOperation);
  Graph.OnObjectInitInstance = [](TGraphControl*, TGraphObject*) { throw EGraphInvalidOperation("no"); };
  EXPECT_THROW(Node(), EGraphInvalidOperation);
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_EQ(inserts, 0);
  Graph.OnObjectInitInstance = nullptr;
  EXPECT_EQ(Node()->ID(), 1u);
}

TEST_F(GraphObjectTest, SelectingANonSelectableObjectDoesNothing) {
  TTestNode* node = Node();
  node->SetOptions(goLinkable);
  int selects = 0;
  int changes = 0;
  Graph.OnObjectSelect = [&](TGraphControl*, TGraphObject*) { ++selects; };
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  node->SetSelected(true);
  EXPECT_FALSE(node->Selected());
  EXPECT_TRUE(Graph.SelectedObjects().IsEmpty());
  EXPECT_EQ(selects + changes, 0);
}

TEST_F(GraphObjectTest, RemovingSelectableOptionDeselects) {
  TTestNode* node = Node();
  node->SetSelected(true);
  node->SetOptions(goShowCaption);
  EXPECT_FALSE(node->Selected());
  EXPECT_TRUE(Graph.SelectedObjects().IsEmpty());
}

TEST_F(GraphObjectTest, EditingTheFontTurnsParentFontOffAndBackOn) {
  TTestNode* node = Node();
  node->Font().SetSize(20);
  EXPECT_FALSE(node->ParentFont());
  node->SetParentFont(true);
  EXPECT_TRUE(node->ParentFont());
  EXPECT_TRUE(node->Font().SameValues(Graph.Font()));
}

TEST_F(GraphObjectTest, ControlFontReachesOnlyObjectsWithParentFont) {
  TTestNode* follower = Node();
  TTestNode* own = Node({60, 10, 90, 40});
  own->Font().SetName("Courier New");
  int graphChanges = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++graphChanges; };
  Graph.Font().SetName("Times New Roman");
  EXPECT_EQ(follower->Font().Name(), "Times New Roman");
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_EQ(own->Font().Name(), "Courier New");
  EXPECT_EQ(graphChanges, 0);  // a visual change only
}

TEST_F(GraphObjectTest, ZOrderOutsideTheListPutsTheObjectOnTop) {
  TTestNode* a = Node();
  TTestNode* b = Node();
  TTestNode* c = Node();
  a->SetZOrder(-5);
  EXPECT_EQ(Graph.Objects().Items(), (std::vector<TGraphObject*>{b, c, a}));
  b->SetZOrder(99);
  EXPECT_EQ(Graph.Objects().Items(), (std::vector<TGraphObject*>{c, a, b}));
  b->SendToBack();
  EXPECT_EQ(b->ZOrder(), 0);
  b->BringToFront();
  EXPECT_EQ(b->ZOrder(), 2);
}

TEST_F(GraphObjectTest, HiddenObjectsAreHitOnlyWhenShown) {
  TTestNode* node = Node();
  node->SetVisible(false);
  EXPECT_EQ(node->HitTest({20, 20}), htNone);
  EXPECT_FALSE(node->OverlapsRect({0, 0, 100, 100}));
  Graph.SetShowHiddenObjects(true);
  EXPECT_EQ(node->HitTest({20, 20}), test::thBody);
  EXPECT_TRUE(node->OverlapsRect({50, 40, 60, 60}));  // touching edges overlap
}

TEST_F(GraphObjectTest, HitTestUsesTheMarkerAreaOnlyWhenSelected) {
  TTestNode* node = Node();
  EXPECT_EQ(node->HitTest({51, 41}), htNone);
  node->SetSelected(true);
  EXPECT_EQ(node->HitTest({51, 41}), test::thBottomRight);
  node->SetOptions(goShowCaption);  // not selectable any more
  EXPECT_EQ(node->HitTest({20, 20}), htNotSelectable);
  EXPECT_EQ(node->HitTest({60, 60}), htNone);
}

TEST_F(GraphObjectTest, UpdateLockReportsOneChangeWithTheUnionOfFlags) {
  TTestNode* node = Node();
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  node->BeginUpdate();
  node->SetText("a");
  node->SetHint("b");
  node->Brush().SetColor(clRed);
  EXPECT_EQ(node->PendingChanges(), chVisual | chData | chCaption);
  EXPECT_EQ(changes, 0);
  node->EndUpdate();
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(node->HasState(stUpdating));
}

TEST_F(GraphObjectTest, PureMoveShiftsPaintBoundsWithoutMeasuring) {
  TTestNode* node = Node();
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  const int computed = node->ComputeCount;
  node->MoveBy(5, -3);
  EXPECT_EQ(node->PaintBounds(), (TRect{15, 7, 55, 37}));
  EXPECT_EQ(node->ComputeCount, computed);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(node->VisualTriggers(), chBounds);
  node->SetBoundsRect({15, 7, 80, 37});
  EXPECT_EQ(node->ComputeCount, computed + 1);
  EXPECT_EQ(node->PaintBounds(), (TRect{15, 7, 80, 37}));
  EXPECT_EQ(Graph.AllExtent(), (TRect{15, 7, 80, 37}));
}

TEST_F(GraphObjectTest, AssignCopiesTheSharedPropertiesInOneChange) {
  TTestNode* source = Node();
  source->SetText("caption");
  source->SetHint("hint");
  source->Pen().SetWidth(3);
  source->Font().SetSize(14);
  source->SetOptions(goSelectable);
  source->SetVisible(false);
  TTestNode* dest = Node();
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  dest->Assign(*source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dest->Text(), "caption");
  EXPECT_EQ(dest->Hint(), "hint");
  EXPECT_EQ(dest->Pen().Width(), 3);
  EXPECT_EQ(dest->Font().Size(), 14);
  EXPECT_FALSE(dest->ParentFont());
  EXPECT_EQ(dest->Options(), goSelectable);
  EXPECT_FALSE(dest->Visible());
}

TEST_F(GraphObjectTest, LinksInAndOutMakeDependents) {
  TTestNode* node = Node();
  TTestLink* link = TTestLink::Create(&Graph, {{0, 0}, {5, 5}});
  node->LinksIn().Add(link);
  node->LinksOut().Add(link);
  EXPECT_EQ(node->Dependents().Count(), 2);
  node->LinksIn().Remove(link);
  EXPECT_EQ(node->Dependents().Count(), 1);
  node->LinksOut().Remove(link);
  EXPECT_TRUE(node->Dependents().IsEmpty());
}

TEST_F(GraphObjectTest, DeleteAsksPermissionAndDestroys) {
  TTestNode* node = Node();
  bool allow = false;
  Graph.OnCanRemoveObject = [&](TGraphControl*, TGraphObject*, bool& canRemove) { canRemove = allow; };
  EXPECT_FALSE(node->Delete());
  EXPECT_EQ(Graph.Objects().Count(), 1);
  allow = true;
  EXPECT_TRUE(node->Delete());
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_EQ(Graph.ObjectByID(1), nullptr);
}

// ---- Keyboard nudging ----------------------------------------------------------------

TEST_F(GraphObjectTest, ArrowWithAltIsNotHandledAndChangesNothing) {
  TTestNode* node = Node();
  EXPECT_FALSE(node->KeyDown(VK_LEFT, ssAlt));
  EXPECT_FALSE(node->KeyDown(VK_LEFT, ssAlt | ssShift));
  EXPECT_FALSE(node->KeyDown('A', 0));
  EXPECT_FALSE(node->KeyDown(VK_ESCAPE, 0));
  EXPECT_EQ(node->Bounds(), (TRect{10, 10, 50, 40}));
}

struct TNudgeCase {
  const char* Name;
  uint16_t Key;
  TShiftState Shift;
  bool SnapToGrid;
  TRect Expected;
};

class GraphObjectNudgeTest : public GraphObjectTest, public ::testing::WithParamInterface<TNudgeCase> {};

TEST_P(GraphObjectNudgeTest, ArrowKeysMoveOrResizeWithinTheConstraints) {
  const TNudgeCase& c = GetParam();
  Graph.SetSnapToGrid(c.SnapToGrid);
  Graph.GraphConstraints().SetBoundsRect({0, 5, 55, 100});
  TTestNode* node = Node();
  Graph.GraphConstraints().SetSourceRect(node->Bounds());
  EXPECT_TRUE(node->KeyDown(c.Key, c.Shift));
  EXPECT_EQ(node->Bounds(), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GraphObjectNudgeTest,
    ::testing::Values(TNudgeCase{"LeftByOneUnit", VK_LEFT, 0, false, {9, 10, 49, 40}},
                      TNudgeCase{"CtrlDownByAGridStep", VK_DOWN, ssCtrl, false, {10, 18, 50, 48}},
                      TNudgeCase{"CtrlInvertsSnapping", VK_DOWN, ssCtrl, true, {10, 11, 50, 41}},
                      // 8 up, confined at MinTop 5
                      TNudgeCase{"UpConfinedAtTheTop", VK_UP, 0, true, {10, 5, 50, 35}},
                      TNudgeCase{
                          "ShiftRightResizesUpToTheRightEdge", VK_RIGHT, ssShift, true, {10, 10, 55, 40}},
                      TNudgeCase{"RightMovesUpToTheRightEdge", VK_RIGHT, 0, true, {15, 10, 55, 40}}),
    test::TCaseName());

TEST_F(GraphObjectTest, NudgeAtTheEdgeIsHandledWithoutMoving) {
  Graph.GraphConstraints().SetBoundsRect({10, 10, 100, 100});
  TTestNode* node = Node();
  Graph.GraphConstraints().SetSourceRect(node->Bounds());
  EXPECT_TRUE(node->KeyDown(VK_LEFT, 0));
  EXPECT_EQ(node->Bounds(), (TRect{10, 10, 50, 40}));
}

// ---- Drawing ----------------------------------------------------------------------

TEST_F(GraphObjectTest, DrawUsesTheObjectToolsBetweenTheDrawEvents) {
  TTestNode* node = Node();
  node->SetText("hi");
  node->Brush().SetColor(clYellow);
  std::vector<std::string> order;
  Graph.OnObjectBeforeDraw = [&](TGraphControl*, TGraphObject*, TCanvas& canvas) {
    order.push_back("before");
    EXPECT_EQ(canvas.Brush().Color(), clYellow);
  };
  Graph.OnObjectAfterDraw = [&](TGraphControl*, TGraphObject*, TCanvas&) { order.push_back("after"); };
  TRecordingCanvas canvas;
  node->Draw(canvas);
  EXPECT_EQ(order, (std::vector<std::string>{"before", "after"}));
  ASSERT_EQ(canvas.CallsOf(TRecordingCanvas::TCallKind::Rectangle).size(), 1u);
  EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"hi"}));

  node->SetOptions(goSelectable);  // no caption
  canvas.Calls.clear();
  node->Draw(canvas);
  EXPECT_TRUE(canvas.Texts().empty());
}

TEST_F(GraphObjectTest, ObjectsOutsideTheClipAreNotDrawn) {
  TTestNode* node = Node();
  TRecordingCanvas canvas;
  canvas.SetClipRect({100, 100, 200, 200});
  node->Draw(canvas);
  EXPECT_TRUE(canvas.Calls.empty());
  canvas.SetClipRect({45, 35, 200, 200});
  node->Draw(canvas);
  EXPECT_FALSE(canvas.Calls.empty());
}

TEST_F(GraphObjectTest, OverlayDrawsMarkersInTheMarkerColours) {
  Graph.SetMarkerColor(clRed);
  Graph.SetColor(clAqua);
  TTestNode* node = Node();
  TRecordingCanvas canvas;
  node->DrawOverlay(canvas);
  EXPECT_TRUE(canvas.Calls.empty());  // not selected
  node->SetSelected(true);
  node->DrawOverlay(canvas);
  auto rects = canvas.CallsOf(TRecordingCanvas::TCallKind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].Rect, (TRect{47, 37, 53, 43}));
  EXPECT_EQ(rects[0].Pen.Color(), clRed);
  EXPECT_EQ(rects[0].Pen.Style(), TPenStyle::psInsideFrame);
  EXPECT_EQ(rects[0].Brush.Color(), clAqua);
}

TEST_F(GraphObjectTest, DisabledMarkerHasAnInnerRectangle) {
  TTestNode* node = Node();
  TRecordingCanvas canvas;
  node->DrawMarker(canvas, {20, 20}, false);
  auto rects = canvas.CallsOf(TRecordingCanvas::TCallKind::Rectangle);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].Rect, (TRect{17, 17, 23, 23}));
  EXPECT_EQ(rects[1].Rect, (TRect{19, 19, 21, 21}));
}

}  // namespace
}  // namespace gc
