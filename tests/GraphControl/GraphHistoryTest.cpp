// The undo history: every kind of change, whatever made it, is one step that
// undo takes back to the exact bytes of the diagram before it and redo to the
// bytes after it; a long random session unwinds to the start; the steps stay
// within their byte budget; Modified follows the saved position. It covers
// the history itself (GraphHistory.cpp) and the control's side of it, where
// steps end and Modified is kept (ControlHistory.cpp).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"
#include "support/LibraryTest.h"

namespace gc {
namespace {

using TBytes = std::vector<uint8_t>;
using enum TMouseButton;

constexpr double HalfPi = 1.5707963267948966;

// Identifiers of the sample diagram's objects.
enum : uint32_t { idA = 1, idB = 2, idC = 3, idL = 4, idF = 5 };

class GraphHistoryTest : public test::LibraryTest {
 protected:
  // A loaded screen: a rectangle A with a caption, an ellipse B with a font
  // and a picture of its own, a triangle C, a link L from A to B with a
  // break point and a free link F.
  void SetUp() override {
    Host.Cursor = {-1, -1};
    TGraphControl builder;
    auto* a = TGraphNode::CreateWithBounds<TRectangularNode>(&builder, {10, 10, 90, 50});
    a->SetText("A");
    auto* b = TGraphNode::CreateWithBounds<TEllipticNode>(&builder, {200, 10, 280, 60});
    b->Font().SetName("Arial");
    b->Font().SetSize(12);
    const TGraphic picture{"TBitmap", {'B', 'M', 1, 2, 3}};
    b->Background().SetGraphic(&picture);
    TGraphNode::CreateWithBounds<TTriangularNode>(&builder, {10, 200, 90, 260});
    TGraphLink::CreateNew(&builder, a, {{150, 120}}, b);
    TGraphLink::CreateNew(&builder, nullptr, {{300, 300}, {400, 350}, {450, 300}}, nullptr);
    TMemoryStream file;
    builder.SaveToStream(file);
    file.SetPosition(0);
    Graph.SetHost(&Host);
    Graph.SetSnapToGrid(false);
    Graph.LoadFromStream(file);
  }
  void TearDown() override { Graph.SetHost(nullptr); }

  // The object block a save writes (without touching Modified).
  TBytes Bytes() {
    TMemoryStream stream;
    Graph.WriteObjects(stream, Graph.Objects());
    return stream.Bytes();
  }
  TGraphNode* Node(uint32_t id) { return static_cast<TGraphNode*>(Graph.ObjectByID(id)); }
  TGraphLink* Link(uint32_t id) { return static_cast<TGraphLink*>(Graph.ObjectByID(id)); }
  void Drag(TPoint from, TPoint to) {
    Graph.MouseDown(mbLeft, ssLeft, from.X, from.Y);
    Graph.MouseMove(ssLeft, (from.X + to.X) / 2, (from.Y + to.Y) / 2);
    Graph.MouseMove(ssLeft, to.X, to.Y);
    Graph.MouseUp(mbLeft, 0, to.X, to.Y);
  }
  void Click(TPoint p) {
    Graph.MouseDown(mbLeft, ssLeft, p.X, p.Y);
    Graph.MouseUp(mbLeft, 0, p.X, p.Y);
  }

  TFakeHost Host;
  TGraphControl Graph;
};

// ---- Every kind of change is one exact step ------------------------------------------------

class EveryChange;
struct TChangeCase {
  const char* Name;
  std::function<void(EveryChange&)> Change;
  friend void PrintTo(const TChangeCase& c, std::ostream* os) { *os << c.Name; }
};

class EveryChange : public GraphHistoryTest, public ::testing::WithParamInterface<TChangeCase> {
 public:
  void Run() { GetParam().Change(*this); }
  using GraphHistoryTest::Click;
  using GraphHistoryTest::Drag;
  using GraphHistoryTest::Graph;
  using GraphHistoryTest::Link;
  using GraphHistoryTest::Node;
};

TEST_P(EveryChange, IsOneStepThatUndoAndRedoReplayToTheByte) {
  const TBytes before = Bytes();
  ASSERT_FALSE(Graph.Modified());
  Run();
  const TBytes after = Bytes();
  ASSERT_NE(after, before) << "the change changed nothing";
  ASSERT_EQ(Graph.UndoCount(), 1);
  EXPECT_TRUE(Graph.Modified());

  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(), before);
  EXPECT_FALSE(Graph.Modified()) << "back at the loaded state";
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(Bytes(), after);
  EXPECT_TRUE(Graph.Modified());
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(), before);
}

using T = EveryChange;
const TChangeCase ChangeCases[] = {
    {"InsertNode",
     [](T& t) {
       t.Graph.AddNode({400, 10, 480, 60});
     }},
    {"InsertHookedLink", [](T& t) { TGraphLink::CreateNew(&t.Graph, t.Node(idC), {}, t.Node(idB)); }},
    {"DeleteNodeUnhooksItsLink", [](T& t) { t.Node(idA)->Delete(); }},
    {"DeleteLink", [](T& t) { t.Link(idL)->Delete(); }},
    {"DragMovesNodeAndHookedLink",
     [](T& t) {
       t.Drag({50, 30}, {70, 45});
     }},
    {"DragResizesNode",
     [](T& t) {
       t.Click({50, 30});
       t.Drag({90, 50}, {120, 80});
     }},
    {"DragMovesLinkPoint",
     [](T& t) {
       t.Click({350, 325});
       t.Drag({400, 350}, {420, 390});
     }},
    {"NudgeMovesSelection",
     [](T& t) {
       t.Node(idA)->SetSelected(true);
       t.Node(idC)->SetSelected(true);
       uint16_t key = VK_RIGHT;
       t.Graph.KeyDown(key, 0);
     }},
    {"BringToFront", [](T& t) { t.Node(idA)->BringToFront(); }},
    {"SendToBack", [](T& t) { t.Link(idF)->SendToBack(); }},
    {"ZOrderInTheMiddle", [](T& t) { t.Node(idA)->SetZOrder(2); }},
    {"HookFreeEnd", [](T& t) { t.Link(idF)->Hook(0, t.Node(idC)); }},
    {"UnhookEnd", [](T& t) { t.Link(idL)->Unhook(t.Node(idB)); }},
    {"ReverseLink", [](T& t) { t.Link(idL)->Reverse(); }},
    {"RotateLink",
     [](T& t) {
       t.Link(idF)->Rotate({375, 325}, HalfPi);
     }},
    {"ScaleLink", [](T& t) { t.Link(idF)->Scale(1.25); }},
    {"InsertBreakPoint",
     [](T& t) {
       t.Link(idF)->InsertPoint(1, {350, 400});
     }},
    {"RemoveBreakPoint", [](T& t) { t.Link(idF)->RemovePoint(1); }},
    // Both ends let go and the points change in one step.
    {"NewPointsForAHookedLink",
     [](T& t) {
       t.Link(idL)->SetPolyline({{100, 300}, {150, 320}, {300, 300}});
     }},
    {"TextFromCode", [](T& t) { t.Node(idB)->SetText("changed"); }},
    {"TextCleared", [](T& t) { t.Node(idA)->SetText(""); }},
    {"FontOfItsOwn", [](T& t) { t.Node(idA)->Font().SetName("Courier New"); }},
    {"ParentFontBack", [](T& t) { t.Node(idB)->SetParentFont(true); }},
    {"Fill", [](T& t) { t.Node(idC)->Brush().SetColor(clRed); }},
    {"PictureAdded",
     [](T& t) {
       const TGraphic picture{"TBitmap", {'B', 'M', 9}};
       t.Node(idA)->Background().SetGraphic(&picture);
     }},
    {"PictureRemoved", [](T& t) { t.Node(idB)->Background().SetGraphic(nullptr); }},
    {"NodeOptions", [](T& t) { t.Node(idC)->SetNodeOptions(gnoShowBackground); }},
    {"ConvertClass", [](T& t) { t.Node(idC)->ConvertTo(THexagonalNode::StaticClass()); }},
    // The hooked link's end moves onto the new outline within the same step.
    {"ConvertHookedNode", [](T& t) { t.Node(idA)->ConvertTo(THexagonalNode::StaticClass()); }},
    {"ConvertHookedNodeBack", [](T& t) { t.Node(idB)->ConvertTo(TRectangularNode::StaticClass()); }},
    {"VisitDeletesSelection",
     [](T& t) {
       t.Node(idA)->SetSelected(true);
       t.Node(idB)->SetSelected(true);
       t.Graph.VisitObjects([](TGraphObject* o, int32_t) { return o->Delete(); }, 0, true);
     }},
    {"UpdateLockBatch",
     [](T& t) {
       TGraphControl::TUpdateLock lock(t.Graph);
       t.Node(idA)->SetText("batch");
       t.Node(idB)->MoveBy(5, 5);
       t.Link(idF)->Delete();
       t.Graph.AddNode({500, 500, 540, 540});
     }},
    {"ReadObjectsWithTakenIdentifiers",
     [](T& t) {
       TMemoryStream block;
       t.Graph.WriteObjects(block, t.Graph.Objects());
       block.SetPosition(0);
       t.Graph.ReadObjects(block);
     }},
    {"DuplicateSelection",
     [](T& t) {
       t.Link(idL)->SetSelected(true);
       t.Node(idA)->SetSelected(true);
       t.Graph.DuplicateSelection();
     }},
};

INSTANTIATE_TEST_SUITE_P(Changes, EveryChange, ::testing::ValuesIn(ChangeCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- A long random session ----------------------------------------------------------------

// One random edit, wrapped in a step of its own so that the session knows
// which edits the history holds.
void RandomEdit(TGraphControl& graph, std::mt19937& random) {
  const auto pick = [&](int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random); };
  std::vector<TGraphNode*> nodes;
  std::vector<TGraphLink*> links;
  for (TGraphObject* o : graph.Objects())
    if (auto* link = dynamic_cast<TGraphLink*>(o))
      links.push_back(link);
    else
      nodes.push_back(static_cast<TGraphNode*>(o));
  const auto node = [&] { return nodes[static_cast<size_t>(pick(static_cast<int32_t>(nodes.size())))]; };
  const auto link = [&] { return links[static_cast<size_t>(pick(static_cast<int32_t>(links.size())))]; };
  TGraphControl::THistoryStep step(graph);
  switch (pick(nodes.size() < 3 ? 2 : 14)) {
    case 0:
    case 1: {
      const TPoint p{pick(1500), pick(1500)};
      graph.AddNode({p.X, p.Y, p.X + 20 + pick(80), p.Y + 20 + pick(60)},
                    TGraphControl::NodeClasses(pick(TGraphControl::NodeClassCount())));
      break;
    }
    case 2: {
      TGraphNode* from = node();
      TGraphNode* to = node();
      if (from != to) TGraphLink::CreateNew(&graph, from, {{pick(1500), pick(1500)}}, to);
      break;
    }
    case 3:
      graph.Objects().Items(pick(graph.Objects().Count()))->Delete();
      break;
    case 4:
      node()->MoveBy(pick(41) - 20, pick(41) - 20);
      break;
    case 5: {
      TGraphNode* n = node();
      n->SetBounds(n->Left(), n->Top(), 16 + pick(100), 16 + pick(100));
      break;
    }
    case 6:
      node()->SetText(pick(2) ? "" : "text " + std::to_string(pick(100)));
      break;
    case 7:
      if (pick(2))
        node()->Font().SetSize(8 + pick(10));
      else
        node()->SetParentFont(true);
      break;
    case 8:
      graph.Objects().Items(pick(graph.Objects().Count()))->SetZOrder(pick(graph.Objects().Count()));
      break;
    case 9:
      if (!links.empty()) link()->Hook(pick(2) ? 0 : link()->PointCount() - 1, node());
      break;
    case 10:
      if (!links.empty()) {
        TGraphLink* l = link();
        if (l->Source()) l->Unhook(l->Source());
      }
      break;
    case 11:
      if (!links.empty()) link()->Reverse();
      break;
    case 12:
      node()->ConvertTo(TGraphControl::NodeClasses(pick(TGraphControl::NodeClassCount())));
      break;
    default: {
      TGraphControl::TUpdateLock lock(graph);
      node()->Brush().SetColor(static_cast<TColor>(pick(0x1000000)));
      graph.Objects().Items(pick(graph.Objects().Count()))->Delete();
      break;
    }
  }
}

TEST_F(GraphHistoryTest, ThousandRandomEditsWithUndoAndRedoUnwindToTheOriginalBytes) {
  std::mt19937 random(20240611);
  // The states the history can reach, as the session expects them.
  std::vector<TBytes> states{Bytes()};
  size_t position = 0;
  for (int i = 0; i < 1000; ++i) {
    const int action = std::uniform_int_distribution<int>(0, 9)(random);
    if (action == 0 && position > 0) {
      ASSERT_TRUE(Graph.Undo());
      ASSERT_EQ(Bytes(), states[--position]) << "undo at edit " << i;
    } else if (action == 1 && position + 1 < states.size()) {
      ASSERT_TRUE(Graph.Redo());
      ASSERT_EQ(Bytes(), states[++position]) << "redo at edit " << i;
    } else {
      const int32_t steps = Graph.UndoCount();
      RandomEdit(Graph, random);
      if (Graph.UndoCount() == steps) continue;  // the edit changed nothing
      states.resize(position + 1);
      states.push_back(Bytes());
      ++position;
      ASSERT_EQ(Graph.RedoCount(), 0);
    }
    ASSERT_EQ(static_cast<size_t>(Graph.UndoCount()), position);
  }
  ASSERT_GT(position, 100u);
  while (Graph.CanUndo()) ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(), states.front());
  EXPECT_FALSE(Graph.Modified());
  while (Graph.CanRedo()) ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(Bytes(), states.back());
}

// ---- Steps: what makes one, and what none ---------------------------------------------------

TEST_F(GraphHistoryTest, ADragIsOneNamedStepAndACancelledDragIsNone) {
  Drag({50, 30}, {70, 45});
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "move");

  Graph.MouseDown(mbLeft, ssLeft, 70, 45);
  Graph.MouseMove(ssLeft, 120, 90);
  uint16_t escape = VK_ESCAPE;
  Graph.KeyDown(escape, 0);
  Graph.MouseUp(mbLeft, 0, 120, 90);
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Node(idA)->GetBoundsRect(), (TRect{30, 25, 110, 65}));
}

// Escape puts every dragged object back inside the drag's own step: the
// step leaves nothing, and what could be redone before still can.
TEST_F(GraphHistoryTest, AnEscapedDragOfSeveralNodesLeavesNoStepAndKeepsRedo) {
  for (const std::vector<uint32_t>& selection : {std::vector<uint32_t>{idA}, {idA, idB}, {idA, idB, idC}})
    for (const bool guides : {false, true}) {
      SCOPED_TRACE(testing::Message() << selection.size() << " selected, guides " << guides);
      Graph.SetSmartGuides(guides);
      Node(idB)->SetText("B2");
      ASSERT_TRUE(Graph.Undo());
      Graph.SelectedObjects().Clear();
      for (const uint32_t id : selection) Node(id)->SetSelected(true);
      const TBytes before = Bytes();
      const int32_t steps = Graph.UndoCount();

      Graph.MouseDown(mbLeft, ssLeft, 50, 30);
      Graph.MouseMove(ssLeft, 55, 35);
      Graph.MouseMove(ssLeft, 120, 90);
      uint16_t escape = VK_ESCAPE;
      Graph.KeyDown(escape, 0);
      Graph.MouseUp(mbLeft, 0, 120, 90);

      EXPECT_EQ(Graph.UndoCount(), steps);
      EXPECT_TRUE(Graph.CanRedo());
      EXPECT_EQ(Bytes(), before);
    }
}

// A point added, inserted or removed at a hooked end lets the end go and
// changes the points: one step, which undo and redo take whole.
TEST_F(GraphHistoryTest, APointChangeThatUnhooksAnEndIsOneStep) {
  const struct {
    const char* Name;
    std::function<void(TGraphLink&)> Change;
  } cases[] = {
      {"AddPoint after the target",
       [](TGraphLink& l) {
         l.AddPoint({170, 140});
       }},
      {"InsertPoint before the source",
       [](TGraphLink& l) {
         l.InsertPoint(-1, {170, 140});
       }},
      {"InsertPoint between",
       [](TGraphLink& l) {
         l.InsertPoint(1, {170, 140});
       }},
      {"RemovePoint of the source end", [](TGraphLink& l) { l.RemovePoint(0); }},
      {"RemovePoint of the target end", [](TGraphLink& l) { l.RemovePoint(l.PointCount() - 1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TBytes before = Bytes();
    const int32_t steps = Graph.UndoCount();
    c.Change(*Link(idL));
    const TBytes after = Bytes();
    ASSERT_NE(after, before);
    EXPECT_EQ(Graph.UndoCount(), steps + 1);
    ASSERT_TRUE(Graph.Undo());
    EXPECT_EQ(Bytes(), before);
    ASSERT_TRUE(Graph.Redo());
    EXPECT_EQ(Bytes(), after);
    ASSERT_TRUE(Graph.Undo());
  }
}

// Arrow keys in a row move the selection as one step, until something else
// happens in between. A is selected; each case runs its keys and actions.
struct TNudgeCase {
  const char* Name;
  const char* Actions;  // r: Right, R: Shift+Right, c: click on A, t: change A's text, b: select B too
  int32_t MergeTime;
  int32_t Steps;
  friend void PrintTo(const TNudgeCase& c, std::ostream* os) { *os << c.Name; }
};

class NudgeSteps : public GraphHistoryTest, public ::testing::WithParamInterface<TNudgeCase> {};

TEST_P(NudgeSteps, MergeWhileNothingElseComesBetween) {
  Click({50, 30});
  const TBytes before = Bytes();
  Graph.SetNudgeMergeTime(GetParam().MergeTime);
  for (const char* a = GetParam().Actions; *a; ++a) {
    uint16_t key = VK_RIGHT;
    switch (*a) {
      case 'r':
        Graph.KeyDown(key, 0);
        break;
      case 'R':
        Graph.KeyDown(key, ssShift);
        break;
      case 'c':
        Click({50, 30});
        break;
      case 't':
        Node(idA)->SetText(std::string(1, *a));
        break;
      case 'b':
        Node(idB)->SetSelected(true);
        break;
    }
  }
  EXPECT_EQ(Graph.UndoCount(), GetParam().Steps);
  while (Graph.Undo()) {
  }
  EXPECT_EQ(Bytes(), before);
}

constexpr int32_t Long = 1000000;
INSTANTIATE_TEST_SUITE_P(Keys, NudgeSteps,
                         ::testing::Values(TNudgeCase{"MovesInARow", "rrrr", Long, 1},
                                           TNudgeCase{"MovesThenResizes", "rrRR", Long, 2},
                                           TNudgeCase{"AClickBetween", "rrcrr", Long, 2},
                                           TNudgeCase{"AnotherStepBetween", "rrtrr", Long, 3},
                                           TNudgeCase{"AnotherSelection", "rrbrr", Long, 2},
                                           TNudgeCase{"APauseBeforeEach", "rrr", 0, 3}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(GraphHistoryTest, AnInsertionGestureIsOneStepAndAnEscapedOneLeavesNone) {
  Graph.SetSnapToGrid(false);
  Graph.SetCommandMode(cmAddNode);
  Graph.MouseDown(mbLeft, ssLeft, 500, 400);
  Graph.MouseMove(ssLeft, 560, 450);
  Graph.MouseUp(mbLeft, 0, 560, 450);
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "insert");

  Graph.SetCommandMode(cmAddNode);
  Graph.MouseDown(mbLeft, ssLeft, 600, 400);
  Graph.MouseMove(ssLeft, 660, 450);
  uint16_t escape = VK_ESCAPE;
  Graph.KeyDown(escape, 0);
  EXPECT_EQ(Graph.Objects().Count(), 6);
  EXPECT_EQ(Graph.UndoCount(), 1);
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Graph.Objects().Count(), 5);
}

// Drawing a link from one node to another, and dragging a hooked end onto
// another node, are each one step: the hook made as the button comes up
// belongs to the gesture, so one undo takes back all of it.
TEST_F(GraphHistoryTest, ALinkGestureAndTheHookItEndsWithAreOneStep) {
  const TBytes loaded = Bytes();
  Graph.SetCommandMode(cmAddLink);
  Drag({50, 230}, {240, 35});  // from C to B
  ASSERT_EQ(Graph.Objects().Count(), 6);
  const auto* drawn = static_cast<TGraphLink*>(Graph.Objects().Items(5));
  ASSERT_EQ(drawn->Source(), Node(idC));
  ASSERT_EQ(drawn->Target(), Node(idB));
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "insert");
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(), loaded);

  TGraphLink* l = Link(idL);
  l->SetSelected(true);
  const TPoint end = l->Points(l->PointCount() - 1);
  Drag(end, {50, 240});  // from B onto C
  ASSERT_EQ(l->Target(), Node(idC));
  EXPECT_EQ(Graph.UndoCount(), 1);
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(l->Target(), Node(idB));
  EXPECT_EQ(Bytes(), loaded);
}

// Tag and Data are the program's: undo and redo never change them on an
// object that stays, and an object they bring back has those it left with.
TEST_F(GraphHistoryTest, TagAndDataAreNeverUndoneAndComeBackWithTheirObject) {
  TGraphNode* a = Node(idA);
  a->SetTag(7);
  a->SetData(0x1234);
  Node(idB)->SetText("B");  // a step that has nothing to do with A
  a->SetText("A2");         // one that touches A
  a->SetTag(8);
  ASSERT_TRUE(Graph.Undo());
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(a->Text(), "A");
  EXPECT_EQ(a->Tag(), 8);
  EXPECT_EQ(a->Data(), 0x1234);
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(a->Tag(), 8);

  a->Delete();
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Node(idA)->Tag(), 8);
  EXPECT_EQ(Node(idA)->Data(), 0x1234);

  TGraphObject* added = Graph.AddNode({400, 10, 480, 60});
  const uint32_t id = added->ID();
  added->SetTag(3);
  added->SetData(99);
  ASSERT_TRUE(Graph.Undo());
  ASSERT_TRUE(Graph.Redo());
  ASSERT_NE(Graph.ObjectByID(id), nullptr);
  EXPECT_EQ(Graph.ObjectByID(id)->Tag(), 3);
  EXPECT_EQ(Graph.ObjectByID(id)->Data(), 99);
}

// A program that releases what Data refers to when its object is removed
// changes Data there (to 0, say); the object undo brings back arrives with
// that, and OnObjectInsert may give it new data.
TEST_F(GraphHistoryTest, ABroughtBackObjectHasTheDataOnObjectRemoveLeftIt) {
  Node(idA)->SetData(0x1234);
  Graph.OnObjectRemove = [](TGraphControl*, TGraphObject* o) { o->SetData(-o->Data()); };
  intptr_t arrivedWith = 0;
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject* o) {
    arrivedWith = o->Data();
    o->SetData(0x5678);
  };
  Node(idA)->Delete();
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(arrivedWith, -0x1234);
  EXPECT_EQ(Node(idA)->Data(), 0x5678);
}

TEST_F(GraphHistoryTest, StepsWithOneMergeKeyJoinUnlessTheSavedStateLiesBetween) {
  TGraphNode* a = Node(idA);
  for (const char* text : {"A w", "A wo", "A wor"}) {
    TGraphControl::THistoryStep step(Graph, "text", 7);
    a->SetText(text);
  }
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "text");
  TMemoryStream file;
  Graph.SaveToStream(file);
  {
    TGraphControl::THistoryStep step(Graph, "text", 7);
    a->SetText("A word");
  }
  EXPECT_EQ(Graph.UndoCount(), 2);
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(a->Text(), "A wor");
  EXPECT_FALSE(Graph.Modified());
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(a->Text(), "A");
  EXPECT_TRUE(Graph.Modified());
}

// A hooked link follows its node; a later step on the link (deleting it,
// say) must start from where it followed to, not from where it was.
TEST_F(GraphHistoryTest, ALinkThatFollowedItsNodeComesBackWhereItWas) {
  const TBytes loaded = Bytes();
  Node(idB)->MoveBy(30, 20);
  Node(idC)->ConvertTo(TEllipticNode::StaticClass());
  Link(idF)->Hook(0, Node(idC));
  Node(idC)->ConvertTo(TRhomboidalNode::StaticClass());
  const TBytes followed = Bytes();
  Link(idL)->Delete();
  Link(idF)->Delete();
  ASSERT_TRUE(Graph.Undo());
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(), followed);
  while (Graph.CanUndo()) ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(), loaded);
}

// Unhooking one end moves no point: the other end keeps the place its node
// gave it for the pair, and undo and redo keep it there too.
TEST_F(GraphHistoryTest, RedoingADeleteKeepsTheUnhookedLinkWhereItWas) {
  auto* from = TGraphNode::CreateWithBounds<TRhomboidalNode>(&Graph, {500, 500, 516, 564});
  auto* to = TGraphNode::CreateWithBounds<TRoundRectangularNode>(&Graph, {500, 500, 529, 529});
  TGraphLink::CreateNew(&Graph, from, {}, to);
  to->Delete();
  const TBytes deleted = Bytes();
  ASSERT_TRUE(Graph.Undo());
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(Bytes(), deleted);
}

// C selected before A: C is the reference the arrangement commands align to.
TEST_F(GraphHistoryTest, UndoAndRedoRestoreTheSelectionInItsOrderAndAreRefusedInsideALock) {
  auto selected = [&] {
    std::vector<uint32_t> ids;
    for (TGraphObject* o : Graph.SelectedObjects()) ids.push_back(o->ID());
    return ids;
  };
  Node(idC)->SetSelected(true);
  Node(idA)->SetSelected(true);
  Graph.AlignSelection(gaMiddle);
  const TBytes aligned = Bytes();
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(selected(), (std::vector<uint32_t>{idC, idA}));
  Graph.AlignSelection(gaMiddle);
  EXPECT_EQ(Bytes(), aligned) << "aligned to the same widget again";

  Graph.VisitObjects([](TGraphObject* o, int32_t) { return o->Delete(); }, 0, true);
  {
    TGraphControl::TUpdateLock lock(Graph);
    EXPECT_FALSE(Graph.CanUndo());
    EXPECT_FALSE(Graph.Undo());
  }
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(selected(), (std::vector<uint32_t>{idC, idA})) << "not the link deleted with A";
  EXPECT_EQ(Link(idL)->Source(), Node(idA)) << "the link hooks to the node it was hooked to";
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(selected(), std::vector<uint32_t>{});
  ASSERT_TRUE(Graph.Undo());
  Node(idB)->SetSelected(true);
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(selected(), (std::vector<uint32_t>{idC, idA})) << "the selection as the alignment started";
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(selected(), (std::vector<uint32_t>{idC, idA})) << "the selection as the alignment ended";
}

// Undo, redo and Escape during a drag move a selected node back: the area its
// markers covered at the place it leaves is repainted.
TEST_F(GraphHistoryTest, UndoRedoAndEscapeRepaintTheMarkersWhereTheNodeWas) {
  auto repainted = [&](const TRect& area) {
    return std::any_of(Host.InvalidatedRects.begin(), Host.InvalidatedRects.end(), [&](const TRect& r) {
      return r.Left <= area.Left && r.Top <= area.Top && r.Right >= area.Right && r.Bottom >= area.Bottom;
    });
  };
  Click({50, 30});
  Drag({50, 30}, {50, 130});
  const TRect moved = Node(idA)->GetSelectedPaintBounds();
  Host.ClearRecords();
  ASSERT_TRUE(Graph.Undo());
  EXPECT_TRUE(repainted(moved)) << "undo";
  ASSERT_TRUE(Node(idA)->Selected());
  const TRect back = Node(idA)->GetSelectedPaintBounds();
  Host.ClearRecords();
  ASSERT_TRUE(Graph.Redo());
  EXPECT_TRUE(repainted(back)) << "redo";

  Graph.MouseDown(mbLeft, ssLeft, 50, 130);
  Graph.MouseMove(ssLeft, 150, 130);
  const TRect dragged = Node(idA)->GetSelectedPaintBounds();
  Host.ClearRecords();
  uint16_t escape = VK_ESCAPE;
  Graph.KeyDown(escape, 0);
  Graph.MouseUp(mbLeft, 0, 150, 130);
  EXPECT_TRUE(repainted(dragged)) << "escape";
}

TEST_F(GraphHistoryTest, ModifiedFollowsTheSavedPosition) {
  TGraphNode* a = Node(idA);
  a->SetText("one");
  a->SetText("two");
  TMemoryStream file;
  Graph.SaveToStream(file);
  EXPECT_FALSE(Graph.Modified());
  Graph.Undo();
  EXPECT_TRUE(Graph.Modified());
  Graph.Redo();
  EXPECT_FALSE(Graph.Modified());
  Graph.Undo();
  Graph.Undo();
  EXPECT_TRUE(Graph.Modified()) << "the loaded state is not the saved one any more";
  a->SetText("three");  // ends the undone steps, the saved one among them
  while (Graph.CanUndo()) Graph.Undo();
  EXPECT_TRUE(Graph.Modified());
}

// Only a save that reached its end counts: a save to a full disk fails after
// the whole diagram was written, and a copy writes the diagram without saving
// it. Either leaves Modified and the saved position as they were, and the
// host is never told that the diagram was saved.
TEST_F(GraphHistoryTest, AFailedSaveOrACopyLeavesModifiedAndTheSavedPosition) {
  struct TNoticingHost : TFakeHost {
    int ModifiedNotices = 0;
    void ControlEvent(TControlEvent event, uint32_t) override {
      ModifiedNotices += event == TControlEvent::ModifiedChanged;
    }
  } host;
  Graph.SetHost(nullptr);
  Graph.SetHost(&host);
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("gc_history_copy_" + std::to_string(::getpid()) + ".Screen");
  const struct {
    const char* Name;
    std::function<TBytes()> Write;  // what was written, when it was
  } cases[] = {
      {"save to a full disk",
       [&] {
         EXPECT_THROW(Graph.SaveToFile("/dev/full"), EFCreateError);
         return TBytes();
       }},
      {"copy to a file",
       [&] {
         Graph.SaveCopyToFile(file.string());
         std::ifstream in(file, std::ios::binary);
         return TBytes(std::istreambuf_iterator<char>(in), {});
       }},
      {"copy to a stream",
       [&] {
         TMemoryStream stream;
         Graph.SaveCopyToStream(stream);
         return stream.Bytes();
       }},
  };
  for (const auto& c : cases) {
    Node(idA)->SetText(c.Name);
    ASSERT_TRUE(Graph.Modified());
    const int notices = host.ModifiedNotices;
    const TBytes written = c.Write();
    if (!written.empty()) {
      TBytes diagram{'0', '.', 'G', 'S'};
      const TBytes block = Bytes();
      diagram.insert(diagram.end(), block.begin(), block.end());
      EXPECT_EQ(written, diagram) << c.Name;
    }
    EXPECT_TRUE(Graph.Modified()) << c.Name;
    EXPECT_EQ(host.ModifiedNotices, notices) << c.Name;
    Graph.Undo();
    EXPECT_FALSE(Graph.Modified()) << c.Name << ": the loaded state is still the saved one";
    Graph.Redo();
    EXPECT_TRUE(Graph.Modified()) << c.Name;
    Graph.Undo();
  }
  std::filesystem::remove(file);
  Graph.SetHost(nullptr);
}

TEST_F(GraphHistoryTest, AHandlerThatChangesTheDiagramDuringUndoLeavesItModified) {
  Node(idA)->SetSelected(true);
  Node(idA)->SetText("one");
  // Undo selects A again, and the handler deletes C as it does.
  Graph.OnObjectSelect = [this](TGraphControl*, TGraphObject*) {
    if (Node(idC)) Node(idC)->Delete();
  };
  ASSERT_TRUE(Graph.Undo());
  Graph.OnObjectSelect = nullptr;
  ASSERT_EQ(Node(idC), nullptr);
  EXPECT_TRUE(Graph.Modified()) << "the loaded diagram had C";
  EXPECT_EQ(Graph.UndoName(), "delete");
  ASSERT_TRUE(Graph.Undo());
  EXPECT_FALSE(Graph.Modified()) << "C is back: the diagram as loaded";
}

// An insertion a handler deletes as it enters records no step but sets
// Modified; a step undone back to the saved position clears it again.
TEST_F(GraphHistoryTest, AChangeTakenBackWithinItsStepSetsModifiedWithoutAStep) {
  Graph.OnObjectInsert = [](TGraphControl*, TGraphObject* o) { o->Delete(); };
  Graph.AddNode({400, 10, 480, 60});
  Graph.OnObjectInsert = nullptr;
  EXPECT_EQ(Graph.UndoCount(), 0);
  EXPECT_TRUE(Graph.Modified());
  Graph.AddNode({400, 10, 480, 60});
  ASSERT_TRUE(Graph.Undo());
  EXPECT_FALSE(Graph.Modified()) << "the diagram as loaded, at the saved position";
}

TEST_F(GraphHistoryTest, LoadingAndClearingEmptyTheHistory) {
  int changes = 0;
  Graph.OnHistoryChange = [&](TGraphControl*) { ++changes; };
  Node(idA)->SetText("x");
  EXPECT_EQ(changes, 1);
  TMemoryStream file;
  Graph.SaveToStream(file);
  file.SetPosition(0);
  Graph.LoadFromStream(file);
  EXPECT_FALSE(Graph.CanUndo());
  EXPECT_EQ(changes, 2);
  Node(idA)->SetText("y");
  Graph.Clear();
  EXPECT_FALSE(Graph.CanUndo());
  EXPECT_FALSE(Graph.Modified());
}

TEST_F(GraphHistoryTest, StepsStayWithinTheBudgetAndTheNewestStillUndoExactly) {
  constexpr int64_t Budget = 6000;
  Graph.SetHistoryLimit(Budget);
  std::vector<TBytes> states{Bytes()};
  for (int i = 0; i < 100; ++i) {
    Node(idA)->SetText("edit " + std::to_string(i));
    states.push_back(Bytes());
    ASSERT_LE(Graph.HistorySize(), Budget);
  }
  const int32_t kept = Graph.UndoCount();
  ASSERT_GT(kept, 2);
  ASSERT_LT(kept, 100);
  for (int32_t i = 1; i <= kept; ++i) {
    ASSERT_TRUE(Graph.Undo());
    EXPECT_EQ(Bytes(), states[static_cast<size_t>(100 - i)]);
  }
  EXPECT_FALSE(Graph.CanUndo());
  EXPECT_TRUE(Graph.Modified()) << "the loaded state was dropped";

  Graph.SetHistoryLimit(0);
  Node(idA)->SetText("unrecorded");
  EXPECT_FALSE(Graph.CanUndo());
  EXPECT_FALSE(Graph.CanRedo());
  EXPECT_EQ(Graph.HistorySize(), 0);
}

TEST_F(GraphHistoryTest, AnObjectAHandlerDeletesWhileUndoRecreatesItLeavesNoTrace) {
  {
    TGraphControl::TUpdateLock lock(Graph);
    Node(idC)->Delete();
    Link(idL)->Delete();
  }
  // Undo recreates L, then C; as C enters, the handler deletes L again.
  Graph.OnObjectInsert = [this](TGraphControl*, TGraphObject* o) {
    if (o->ID() == idC && Link(idL)) Link(idL)->Delete();
  };
  Graph.Undo();
  Graph.OnObjectInsert = nullptr;
  ASSERT_NE(Node(idC), nullptr);
  EXPECT_EQ(Link(idL), nullptr);
  EXPECT_TRUE(Node(idA)->LinksOut().IsEmpty()) << "the deleted link must not hook to A when the undo ends";
  EXPECT_TRUE(Node(idB)->LinksIn().IsEmpty());
}

TEST_F(GraphHistoryTest, ARedoAHandlerStopsHalfWayLeavesItsLinksOnTheirNodes) {
  TPoints placed;
  uint32_t linkID = 0, nodeID = 0;
  {
    TGraphControl::THistoryStep step(Graph, "group");
    TGraphLink* link = TGraphLink::CreateNew(&Graph, Node(idC), {}, Node(idB));
    placed = link->Polyline();
    linkID = link->ID();
    Node(idB)->MoveBy(40, 30);
    nodeID = Graph.AddNode({500, 500, 540, 540})->ID();
  }
  ASSERT_TRUE(Graph.Undo());
  // The redo recreates the link, then stops at the node the handler deletes
  // as it enters; B keeps the place it had before the step.
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject* o) {
    if (o->ID() == nodeID) o->Delete();
  };
  EXPECT_FALSE(Graph.Redo());
  Graph.OnObjectInsert = nullptr;
  ASSERT_NE(Link(linkID), nullptr);
  EXPECT_EQ(Link(linkID)->Polyline(), placed) << "the link's ends on C and B where they are";
}

// What handlers change while a step is applied or as it ends is either a
// step of its own or, when the history cannot tell, the history starts again.
TEST_F(GraphHistoryTest, HandlersThatChangeTheDiagramDuringUndoNeverLeaveTheHistoryBehind) {
  Node(idA)->SetText("one");
  Graph.OnGraphChange = [this](TGraphControl*) {
    if (Node(idC)) Node(idC)->Delete();
  };
  ASSERT_TRUE(Graph.Undo());
  Graph.OnGraphChange = nullptr;
  EXPECT_EQ(Graph.UndoName(), "delete") << "the handler's deletion as the undo ended";
  EXPECT_EQ(Graph.UndoCount(), 1);

  // Undoing that deletion recreates C; as it enters, the handler deletes A,
  // which no step records: nothing is left to undo that would not match.
  Graph.OnObjectInsert = [this](TGraphControl*, TGraphObject* o) {
    if (o->ID() == idC && Node(idA)) Node(idA)->Delete();
  };
  ASSERT_TRUE(Graph.Undo());
  Graph.OnObjectInsert = nullptr;
  EXPECT_EQ(Node(idA), nullptr);
  EXPECT_FALSE(Graph.CanUndo());
  EXPECT_FALSE(Graph.CanRedo());
  EXPECT_TRUE(Graph.Modified());
}

TEST_F(GraphHistoryTest, AStepWhoseObjectAHandlerDeletedIsRefusedNotThrown) {
  Node(idA)->SetText("one");
  Node(idB)->SetText("two");
  // Undoing the second step deletes A behind the history's back.
  Graph.OnObjectChange = [this](TGraphControl*, TGraphObject* o) {
    if (o->ID() == idB && Node(idA)) Node(idA)->Delete();
  };
  ASSERT_TRUE(Graph.Undo());
  Graph.OnObjectChange = nullptr;
  ASSERT_EQ(Node(idA), nullptr);
  const TBytes before = Bytes();
  bool undone = true;
  EXPECT_NO_THROW(undone = Graph.Undo());
  EXPECT_FALSE(undone) << "the step changes A, which is gone";
  EXPECT_EQ(Bytes(), before);
}

// A control that keeps data of its own per object, as a program embedding
// the library may, is told before any object gets a recorded state back
// (through TGraphControl's own Undo and Redo, and Escape during a drag), and
// hears of the state's custom data only when the state has some: forgetting
// at the first and keeping at the second leaves it with what the state holds.
class TKeepingControl : public TGraphControl {
 public:
  std::map<const TGraphObject*, std::string> Kept;
  std::string Heard;  // r: a restore begins, d: custom data read

  void Keep(TGraphObject* object, const std::string& data) {
    Kept[object] = data;
    if (object->HasCustomData())
      object->Changed(chData);
    else
      object->SetHasCustomData(true);
  }
  void DoObjectRestore(TGraphObject* object) override {
    Heard += 'r';
    Kept.erase(object);
  }
  void DoObjectRead(TGraphObject* object, TStream& stream) override {
    Heard += 'd';
    std::string data(static_cast<size_t>(stream.Size()), '\0');
    stream.ReadBuffer(data.data(), data.size());
    Kept[object] = data;
  }
  void DoObjectWrite(TGraphObject* object, TStream& stream) override {
    if (const auto it = Kept.find(object); it != Kept.end())
      stream.WriteBuffer(it->second.data(), it->second.size());
  }
};

TEST_F(GraphHistoryTest, AControlThatKeepsDataPerObjectIsToldOfEveryRestoredState) {
  TKeepingControl keeping;
  keeping.SetHost(&Host);
  keeping.SetSnapToGrid(false);
  TGraphObject* node = keeping.AddNode({10, 10, 90, 50});
  keeping.Keep(node, "one");
  keeping.Keep(node, "two");
  TGraphControl& control = keeping;  // as a window or a command list holds it
  const auto kept = [&] { return keeping.Kept.count(node) ? keeping.Kept[node] : std::string("(none)"); };

  struct TStepCase {
    const char* What;
    std::function<bool()> Run;
    const char* Heard;
    const char* Kept;
  } cases[] = {
      {"undo to a state with custom data", [&] { return control.Undo(); }, "rd", "one"},
      {"undo to a state without", [&] { return control.Undo(); }, "r", "(none)"},
      {"redo", [&] { return control.Redo(); }, "rd", "one"},
      {"Escape during a drag",
       [&] {
         control.MouseDown(mbLeft, ssLeft, 50, 30);
         control.MouseMove(ssLeft, 120, 90);
         uint16_t escape = VK_ESCAPE;
         control.KeyDown(escape, 0);
         control.MouseUp(mbLeft, 0, 120, 90);
         return node->GetBoundsRect() == TRect{10, 10, 90, 50};
       },
       "rd", "one"},
  };
  for (const TStepCase& c : cases) {
    SCOPED_TRACE(c.What);
    keeping.Heard.clear();
    ASSERT_TRUE(c.Run());
    EXPECT_EQ(keeping.Heard, c.Heard);
    EXPECT_EQ(kept(), c.Kept);
  }
  keeping.SetHost(nullptr);
}

}  // namespace
}  // namespace gc
