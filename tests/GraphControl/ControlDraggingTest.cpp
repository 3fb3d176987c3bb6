#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "support/TestObjects.h"

namespace gc {
namespace {

using test::TTestNode;

class ControlDraggingTest : public ::testing::Test {
 protected:
  void TearDown() override { test::ResetEvents(Graph); }
  TTestNode* Node(const TRect& r) { return TTestNode::Create(&Graph, r); }

  TGraphControl Graph;
  std::vector<std::string> Log;
};

TEST_F(ControlDraggingTest, DraggingASelectionMovesTheGroupAndReportsOneChange) {
  TTestNode* a = Node({10, 10, 20, 20});
  TTestNode* b = Node({40, 10, 50, 20});
  a->SetSelected(true);
  b->SetSelected(true);
  Graph.SetSnapToGrid(false);
  Graph.OnObjectBeginDrag = [&](TGraphControl*, TGraphObject* o, THitCode ht) {
    Log.push_back("begin " + std::to_string(o->ID()) + " " + std::to_string(ht));
  };
  Graph.OnObjectEndDrag = [&](TGraphControl*, TGraphObject*, THitCode, bool cancelled) {
    Log.push_back(cancelled ? "cancelled" : "accepted");
  };
  Graph.OnGraphChange = [&](TGraphControl*) { Log.push_back("graph"); };
  a->MouseDown(TMouseButton::mbLeft, 0, {15, 15});
  ASSERT_EQ(Graph.DragSource(), a);
  EXPECT_EQ(Graph.DraggingObjects().Items(), (std::vector<TGraphObject*>{a, b}));
  EXPECT_TRUE(b->HasState(stDragging));
  a->MouseMove(0, {18, 19});
  a->MouseMove(0, {20, 21});
  EXPECT_EQ(a->Bounds(), (TRect{15, 16, 25, 26}));
  EXPECT_EQ(b->Bounds(), (TRect{45, 16, 55, 26}));
  a->MouseUp(TMouseButton::mbLeft, 0, {20, 21});
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_FALSE(b->HasState(stDragging));
  EXPECT_FALSE(a->HasState(stDragging));
  EXPECT_EQ(Log, (std::vector<std::string>{"begin 1 512", "accepted", "graph"}));
}

TEST_F(ControlDraggingTest, TheGroupStopsAtTheConstraintEdge) {
  Graph.GraphConstraints().SetBoundsRect({0, 0, 100, 100});
  TTestNode* a = Node({10, 10, 20, 20});
  TTestNode* b = Node({30, 10, 40, 20});
  a->SetSelected(true);
  b->SetSelected(true);
  ASSERT_TRUE(b->BeginDrag({35, 15}));
  b->DragBy(-50, 200, false);
  EXPECT_EQ(a->Bounds(), (TRect{0, 90, 10, 100}));
  EXPECT_EQ(b->Bounds(), (TRect{20, 90, 30, 100}));
  b->EndDrag(true);
}

TEST_F(ControlDraggingTest, LockedNodesNeitherStartNorJoinAMouseDrag) {
  TTestNode* a = Node({10, 10, 20, 20});
  TTestNode* b = Node({30, 10, 40, 20});
  a->SetSelected(true);
  b->SetSelected(true);
  Graph.SetLockNodes(true);
  a->MouseDown(TMouseButton::mbLeft, ssShift | ssCtrl, {15, 15});  // Shift toggles: deselects a
  a->SetSelected(true);
  a->MouseDown(TMouseButton::mbLeft, 0, {15, 15});
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_FALSE(b->JoinDrag(test::thBody));
}

TEST_F(ControlDraggingTest, CancellingAnInsertionDragDestroysTheNewObject) {
  Graph.SetCommandMode(cmAddNode);
  TTestNode* node = Node({10, 10, 20, 20});
  node->SetSelected(true);
  Graph.OnCommandModeChange = [&](TGraphControl* g) {
    Log.push_back("mode " + std::to_string(g->CommandMode()));
  };
  Graph.OnObjectEndDrag = [&](TGraphControl*, TGraphObject*, THitCode, bool) { Log.push_back("end"); };
  ASSERT_TRUE(node->BeginDrag({20, 20}, test::thBottomRight));
  EXPECT_TRUE(Graph.DragModified());
  EXPECT_TRUE(node->KeyDown(VK_ESCAPE, 0));
  EXPECT_TRUE(Graph.Objects().IsEmpty());
  EXPECT_EQ(Log, (std::vector<std::string>{"mode 2"}));
}

TEST_F(ControlDraggingTest, AcceptedInsertionReturnsToEditAndMarksModified) {
  Graph.SetCommandMode(cmAddNode);
  TTestNode* node;
  {
    TGraphControl::TUpdateLock lock(Graph);
    node = Node({10, 10, 20, 20});
  }
  EXPECT_FALSE(Graph.Modified());
  node->SetSelected(true);
  ASSERT_TRUE(node->BeginDrag({20, 20}, test::thBottomRight));
  node->DragBy(5, 5, false);
  EXPECT_EQ(node->Bounds(), (TRect{10, 10, 25, 25}));
  node->EndDrag(true);
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  EXPECT_TRUE(Graph.Modified());
  EXPECT_EQ(Graph.Objects().Count(), 1);
}

TEST_F(ControlDraggingTest, ChangingModeCancelsTheDrag) {
  TTestNode* node = Node({10, 10, 20, 20});
  node->SetSelected(true);
  Graph.OnObjectEndDrag = [&](TGraphControl*, TGraphObject*, THitCode, bool cancelled) {
    Log.push_back(cancelled ? "cancelled" : "accepted");
  };
  ASSERT_TRUE(node->BeginDrag({15, 15}));
  Graph.SetCommandMode(cmPan);
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"cancelled"}));
}

TEST_F(ControlDraggingTest, DeletingTheDragSourceEndsTheDragFirst) {
  TTestNode* node = Node({10, 10, 20, 20});
  node->SetSelected(true);
  ASSERT_TRUE(node->BeginDrag({15, 15}));
  Graph.Objects().Delete(0);
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_TRUE(Graph.DraggingObjects().IsEmpty());
}

TEST_F(ControlDraggingTest, DeletingTheInsertionDragSourceFreesItOnce) {
  Graph.SetCommandMode(cmAddNode);
  TTestNode* node = Node({10, 10, 20, 20});
  node->SetSelected(true);
  ASSERT_TRUE(node->BeginDrag({20, 20}, test::thBottomRight));
  Graph.Objects().Delete(0);  // must not free it twice
  EXPECT_TRUE(Graph.Objects().IsEmpty());
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
}

TEST_F(ControlDraggingTest, NoDragObjectsRefuseToStart) {
  TTestNode* node = Node({10, 10, 20, 20});
  node->SetSelected(true);
  node->DisableDrag();
  node->DisableDrag();
  EXPECT_FALSE(node->BeginDrag({15, 15}));
  node->EnableDrag();
  EXPECT_FALSE(node->BeginDrag({15, 15}));
  node->EnableDrag();
  EXPECT_TRUE(node->BeginDrag({15, 15}));
  node->EndDrag(false);
}

}  // namespace
}  // namespace gc
