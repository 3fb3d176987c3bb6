#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"
#include "support/TestObjects.h"

namespace gc {
namespace {

using test::TTestNode;

class ControlEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { Graph.SetHost(&Host); }
  void TearDown() override {
    test::ResetEvents(Graph);
    Graph.SetHost(nullptr);
  }
  TTestNode* Node(const TRect& r = {10, 10, 50, 40}) { return TTestNode::Create(&Graph, r); }

  TFakeHost Host;
  TGraphControl Graph;
  std::vector<std::string> Log;
};

TEST_F(ControlEventsTest, WithoutHandlersNoDispatcherHasAnEffect) {
  TTestNode* node = Node();
  TRecordingCanvas canvas;
  bool answer = true;
  int32_t l = 1, t = 2, w = 3, h = 4;
  bool move = true, resize = true;
  std::string tip = "tip";
  Graph.DoZoomChange();
  Graph.DoGraphChange();
  Graph.DoCommandModeChange();
  Graph.DoBeforeDraw(canvas);
  Graph.DoObjectClick(node);
  Graph.DoObjectContextPopup(node, {1, 1}, answer);
  Graph.DoCanRemoveObject(node, answer);
  Graph.DoCanHookLink(node, nullptr, 0, answer);
  Graph.DoCanLinkObjects(nullptr, node, node, answer);
  Graph.DoCanMoveResizeNode(nullptr, l, t, w, h, move, resize);
  Graph.DoInfoTip(node, tip);
  EXPECT_TRUE(answer && move && resize);
  EXPECT_EQ((std::vector<int32_t>{l, t, w, h}), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(tip, "tip");
  EXPECT_TRUE(canvas.Calls.empty());
}

// A derived control can intercept every event through its dispatcher.
class TInterceptingControl : public TGraphControl {
 public:
  std::vector<std::string> Seen;
  void DoObjectInsert(TGraphObject* object) override {
    Seen.push_back("insert");
    TGraphControl::DoObjectInsert(object);
  }
  void DoGraphChange() override { Seen.push_back("graph"); }
};

TEST(ControlDispatch, DerivedControlSeesEventsThroughItsDispatchers) {
  TInterceptingControl graph;
  int inserts = 0;
  graph.OnObjectInsert = [&](TGraphControl* g, TGraphObject*) {
    EXPECT_EQ(g, &graph);
    ++inserts;
  };
  bool graphChange = false;
  graph.OnGraphChange = [&](TGraphControl*) { graphChange = true; };
  TTestNode::Create(&graph, {0, 0, 5, 5});
  EXPECT_EQ(graph.Seen, (std::vector<std::string>{"insert", "graph"}));
  EXPECT_EQ(inserts, 1);
  EXPECT_FALSE(graphChange);
}

TEST_F(ControlEventsTest, EventsOfANewObjectComeInOrder) {
  Graph.OnObjectInitInstance = [&](TGraphControl*, TGraphObject*) { Log.push_back("init"); };
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { Log.push_back("insert"); };
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { Log.push_back("change"); };
  Graph.OnGraphChange = [&](TGraphControl*) { Log.push_back("graph"); };
  Node();
  EXPECT_EQ(Log, (std::vector<std::string>{"init", "insert", "graph"}));
}

TEST_F(ControlEventsTest, PermissionEventsAreSuppressedWhileClearing) {
  Node();
  bool asked = false;
  Graph.OnCanRemoveObject = [&](TGraphControl*, TGraphObject*, bool&) { asked = true; };
  Graph.Clear();
  EXPECT_FALSE(asked);
  TTestNode* node = Node();
  EXPECT_TRUE(node->CanDelete());
  EXPECT_TRUE(asked);
}

TEST_F(ControlEventsTest, DestroyingTheControlAsksNothingAndAnnouncesNoMode) {
  auto graph = std::make_unique<TGraphControl>();
  TTestNode::Create(graph.get(), {0, 0, 5, 5})->SetSelected(true);
  int removes = 0;
  bool asked = false;
  bool modeChanged = false;
  graph->OnObjectRemove = [&](TGraphControl*, TGraphObject*) { ++removes; };
  graph->OnCanRemoveObject = [&](TGraphControl*, TGraphObject*, bool&) { asked = true; };
  graph->OnCommandModeChange = [&](TGraphControl*) { modeChanged = true; };
  graph->OnObjectSelect = [&](TGraphControl* g, TGraphObject* o) {
    bool allow = true;
    g->DoCanRemoveObject(o, allow);
    g->DoCommandModeChange();
  };
  graph.reset();
  EXPECT_EQ(removes, 1);
  EXPECT_FALSE(asked);
  EXPECT_FALSE(modeChanged);
}

TEST_F(ControlEventsTest, ClickGoesToTheFirstSelectedObjectInsteadOfOnClick) {
  TTestNode* a = Node();
  TTestNode* b = Node();
  Graph.OnClick = [&](TGraphControl*) { Log.push_back("click"); };
  Graph.OnObjectClick = [&](TGraphControl*, TGraphObject* o) {
    Log.push_back("object " + std::to_string(o->ID()));
  };
  Graph.Click();
  b->SetSelected(true);
  a->SetSelected(true);
  Graph.Click();
  EXPECT_EQ(Log, (std::vector<std::string>{"click", "object 2"}));
}

TEST_F(ControlEventsTest, DoubleClickDuringADragFiresNothing) {
  TTestNode* node = Node();
  node->SetSelected(true);
  Graph.OnDblClick = [&](TGraphControl*) { Log.push_back("dbl"); };
  Graph.OnObjectDblClick = [&](TGraphControl*, TGraphObject*) { Log.push_back("object dbl"); };
  ASSERT_TRUE(node->BeginDrag({20, 20}));
  Graph.DblClick();
  EXPECT_TRUE(Log.empty());
  node->EndDrag(true);
  Graph.DblClick();
  node->SetSelected(false);
  Graph.DblClick();
  EXPECT_EQ(Log, (std::vector<std::string>{"object dbl", "dbl"}));
}

TEST_F(ControlEventsTest, ContextRequestWithASelectionShowsTheObjectMenu) {
  int objectMenu = 0;
  int controlMenu = 0;
  Graph.SetObjectPopupMenu(&objectMenu);
  Graph.SetPopupMenu(&controlMenu);
  bool handled = false;
  Graph.DoContextPopup({5, 6}, handled);
  EXPECT_TRUE(handled);
  Node()->SetSelected(true);
  handled = false;
  Graph.DoContextPopup({7, 8}, handled);
  EXPECT_TRUE(handled);
  ASSERT_EQ(Host.Popups.size(), 2u);
  EXPECT_EQ(Host.Popups[0].Menu, &controlMenu);
  EXPECT_EQ(Host.Popups[1].Menu, &objectMenu);
  EXPECT_EQ(Host.Popups[1].Position, (TPoint{7, 8}));
}

TEST_F(ControlEventsTest, HandledObjectContextRequestShowsNoMenu) {
  int objectMenu = 0;
  Graph.SetObjectPopupMenu(&objectMenu);
  Node()->SetSelected(true);
  Graph.OnObjectContextPopup = [](TGraphControl*, TGraphObject*, const TPoint&, bool& handled) {
    handled = true;
  };
  Graph.OnContextPopup = [&](TGraphControl*, const TPoint&, bool&) { Log.push_back("control"); };
  bool handled = false;
  Graph.DoContextPopup({1, 1}, handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(Host.Popups.empty());
  EXPECT_TRUE(Log.empty());
}

TEST_F(ControlEventsTest, ContextRequestDuringADragIsSwallowed) {
  int objectMenu = 0;
  Graph.SetObjectPopupMenu(&objectMenu);
  TTestNode* node = Node();
  node->SetSelected(true);
  node->BeginDrag({20, 20});
  bool handled = false;
  Graph.DoContextPopup({1, 1}, handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(Host.Popups.empty());
  node->EndDrag(false);
}

TEST_F(ControlEventsTest, HoverChangesLeaveTheOldObjectBeforeEnteringTheNew) {
  TTestNode* a = Node();
  TTestNode* b = Node();
  Graph.OnObjectMouseEnter = [&](TGraphControl*, TGraphObject* o) {
    Log.push_back("enter " + std::to_string(o->ID()));
  };
  Graph.OnObjectMouseLeave = [&](TGraphControl*, TGraphObject* o) {
    Log.push_back("leave " + std::to_string(o->ID()));
  };
  Graph.SetObjectAtCursor(a);
  Graph.SetObjectAtCursor(a);
  Graph.SetObjectAtCursor(b);
  Graph.SetObjectAtCursor(nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"enter 1", "leave 1", "enter 2", "leave 2"}));
  EXPECT_EQ(Host.ToolTipCancels, 3);
}

TEST_F(ControlEventsTest, PressingTheMouseSelectsAndShowsTheObjectsCursor) {
  TTestNode* a = Node({0, 0, 10, 10});
  TTestNode* b = Node({20, 0, 30, 10});
  a->SetSelected(true);
  b->MouseDown(TMouseButton::mbRight, 0, {25, 5});
  EXPECT_EQ(Graph.SelectedObjects().Items(), (std::vector<TGraphObject*>{b}));
  a->MouseDown(TMouseButton::mbRight, ssShift, {5, 5});
  EXPECT_EQ(Graph.SelectedObjects().Items(), (std::vector<TGraphObject*>{b, a}));
  a->MouseDown(TMouseButton::mbRight, ssShift, {5, 5});
  EXPECT_FALSE(a->Selected());
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_EQ(Host.ScreenCursors.size(), 3u);
}

}  // namespace
}  // namespace gc
