// The spatial index against the reference scan: focused cases with written
// out answers for both kinds, and twin diagrams driven through the same
// random edits that must answer every area question alike.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "support/FixedWidthCanvas.h"
#include "support/SpatialIndexChoice.h"

namespace gc {
namespace {

const bool IndexChosen = (test::ChooseSpatialIndexForThisRun(), true);

std::string KindName(TSpatialIndexKind kind) { return kind == TSpatialIndexKind::RTree ? "RTree" : "Scan"; }

TEST(SpatialIndexChoice, NewControlsUseTheKindThisRunAsksFor) {
  ASSERT_TRUE(IndexChosen);
  EXPECT_EQ(TGraphControl().SpatialIndexKind(), test::SpatialIndexKindOfThisRun());
}

std::vector<uint32_t> IDs(const std::vector<TGraphObject*>& objects) {
  std::vector<uint32_t> ids;
  for (const TGraphObject* o : objects) ids.push_back(o->ID());
  return ids;
}

// Every object under the point, top first, through repeated ObjectAtPoint(below).
std::vector<uint32_t> StackAt(const TGraphControl& graph, TPoint p) {
  std::vector<uint32_t> ids;
  for (TGraphObject* o = graph.ObjectAtPoint(p); o; o = graph.ObjectAtPoint(p, o)) {
    ids.push_back(o->ID());
    if (ids.size() > 1000) break;  // a cycle would be a fault of its own
  }
  return ids;
}

// The objects DrawObjects paints on a canvas clipped to `clip`, in order.
std::vector<uint32_t> PaintedIn(TGraphControl& graph, const TRect& clip) {
  std::vector<uint32_t> ids;
  graph.OnObjectBeforeDraw = [&](TGraphControl*, TGraphObject* o, TCanvas&) { ids.push_back(o->ID()); };
  TRecordingCanvas canvas;
  canvas.SetClipRect(clip);
  graph.DrawObjects(canvas, graph.Objects());
  graph.OnObjectBeforeDraw = nullptr;
  return ids;
}

// ---- Focused cases, both kinds ---------------------------------------------------------------

class SpatialIndexCaseTest : public ::testing::TestWithParam<TSpatialIndexKind> {
 protected:
  void SetUp() override {
    InstallFixedWidthMeasurer();
    Graph.SetSpatialIndexKind(GetParam());
    Graph.GraphConstraints().SetBoundsRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  }
  TGraphNode* Node(const TRect& r) { return TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, r); }
  // A link without arrow heads: its painted area is the segment's box.
  TGraphLink* Line(TPoint a, TPoint b) {
    TGraphLink* link = TGraphLink::CreateNew(&Graph, nullptr, {a, b}, nullptr);
    link->SetEndStyle(lsNone);
    return link;
  }
  TGraphControl Graph;
};

// Whether a point on the line hits it is the link's own hit test; the index
// must hand the link to every question whose area meets the line.
TEST_P(SpatialIndexCaseTest, AStraightLinkIsPaintedAndBandedThoughItsPaintedAreaHasNoHeight) {
  TGraphLink* link = Line({0, 50}, {100, 50});
  EXPECT_EQ(PaintedIn(Graph, {30, 40, 60, 60}), (std::vector<uint32_t>{link->ID()}));
  std::vector<TGraphObject*> found;
  Graph.ObjectsInRect({20, 45, 30, 55}, found);
  EXPECT_EQ(IDs(found), (std::vector<uint32_t>{link->ID()}));
  found.clear();
  Graph.ObjectsInRect({20, 60, 30, 70}, found);
  EXPECT_EQ(IDs(found), (std::vector<uint32_t>{}));
  EXPECT_EQ(Graph.AllExtent(), link->PaintBounds());
}

TEST_P(SpatialIndexCaseTest, HiddenObjectsTakePartOnlyWhileHiddenObjectsAreShown) {
  TGraphNode* low = Node({0, 0, 100, 100});
  TGraphNode* high = Node({50, 50, 150, 150});
  high->SetVisible(false);
  EXPECT_EQ(StackAt(Graph, {75, 75}), (std::vector<uint32_t>{low->ID()}));
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 100, 100}));
  Graph.SetShowHiddenObjects(true);
  EXPECT_EQ(StackAt(Graph, {75, 75}), (std::vector<uint32_t>{high->ID(), low->ID()}));
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 150, 150}));
  Graph.SetShowHiddenObjects(false);
  high->SetVisible(true);
  EXPECT_EQ(PaintedIn(Graph, {60, 60, 70, 70}), (std::vector<uint32_t>{low->ID(), high->ID()}));
}

TEST_P(SpatialIndexCaseTest, ObjectsOnTheSameAreaFollowTheZOrderAfterEveryReorder) {
  TGraphNode* a = Node({10, 10, 30, 30});
  TGraphNode* b = Node({10, 10, 30, 30});
  TGraphNode* c = Node({10, 10, 30, 30});
  EXPECT_EQ(StackAt(Graph, {20, 20}), (std::vector<uint32_t>{c->ID(), b->ID(), a->ID()}));
  a->BringToFront();
  c->SendToBack();
  EXPECT_EQ(StackAt(Graph, {20, 20}), (std::vector<uint32_t>{a->ID(), b->ID(), c->ID()}));
  b->SetZOrder(0);
  EXPECT_EQ(StackAt(Graph, {20, 20}), (std::vector<uint32_t>{a->ID(), c->ID(), b->ID()}));
  EXPECT_EQ(PaintedIn(Graph, {0, 0, 40, 40}), (std::vector<uint32_t>{b->ID(), c->ID(), a->ID()}));
}

TEST_P(SpatialIndexCaseTest, ASelectedObjectIsHitOnItsMarkersOutsideItsPaintedArea) {
  TGraphNode* node = Node({100, 100, 200, 200});
  node->SetSelected(true);
  // MarkerSize 3 with a 1-unit pen: the selected area reaches 3 units out.
  EXPECT_EQ(Graph.ObjectAtPoint(98, 98), node);
  EXPECT_EQ(Graph.ObjectAtPoint(96, 96), nullptr);
  Graph.SetMarkerSize(9);
  EXPECT_EQ(Graph.ObjectAtPoint(93, 93), node);
  // A negative pen width shrinks the painted area by 10 on every side while
  // the markers stay: they reach 19 units beyond it.
  node->Pen().SetWidth(-20);
  EXPECT_EQ(node->PaintBounds(), (TRect{110, 110, 190, 190}));
  EXPECT_EQ(Graph.ObjectAtPoint(92, 92), node);
}

TEST_P(SpatialIndexCaseTest, ObjectsAtTheCoordinateLimitsAreFoundAndMeasured) {
  TGraphNode* far = Node({INT32_MAX - 40, INT32_MAX - 20, INT32_MAX - 1, INT32_MAX - 1});
  TGraphNode* near = Node({INT32_MIN + 1, INT32_MIN + 1, INT32_MIN + 41, INT32_MIN + 21});
  far->SetSelected(true);
  near->SetSelected(true);
  EXPECT_EQ(Graph.ObjectAtPoint(INT32_MAX - 2, INT32_MAX - 2), far);
  EXPECT_EQ(Graph.ObjectAtPoint(INT32_MIN + 2, INT32_MIN + 2), near);
  EXPECT_EQ(Graph.AllExtent(), (TRect{INT32_MIN + 1, INT32_MIN + 1, INT32_MAX - 1, INT32_MAX - 1}));
  std::vector<TGraphObject*> found;
  Graph.ObjectsInRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, found);
  EXPECT_EQ(IDs(found), (std::vector<uint32_t>{far->ID(), near->ID()}));
}

TEST_P(SpatialIndexCaseTest, TheExtentShrinksWhenTheObjectOnItsEdgeMovesInOrGoes) {
  TGraphNode* corner = Node({0, 0, 20, 20});
  TGraphNode* edge = Node({90, 90, 110, 110});
  TGraphNode* middle = Node({40, 40, 60, 60});
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 110, 110}));
  // Steps of a few units, as a drag makes them: an edge two objects lie on
  // stays until both have left it.
  edge->MoveBy(-3, -2);
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 107, 108}));
  middle->MoveBy(-40, 0);
  corner->MoveBy(2, 1);
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 1, 107, 108}));
  middle->MoveBy(3, 0);
  EXPECT_EQ(Graph.AllExtent(), (TRect{2, 1, 107, 108}));
  corner->MoveBy(-2, -1);
  middle->MoveBy(37, 0);
  edge->MoveBy(3, 2);
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 110, 110}));
  edge->SetBounds(50, 50, 20, 20);
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 70, 70}));
  edge->SetBounds(200, 0, 20, 20);
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 220, 60}));
  edge->Delete();
  EXPECT_EQ(Graph.AllExtent(), (TRect{0, 0, 60, 60}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpatialIndexCaseTest,
                         ::testing::Values(TSpatialIndexKind::RTree, TSpatialIndexKind::Scan),
                         [](const auto& info) { return KindName(info.param); });

// ---- Twin diagrams ---------------------------------------------------------------------------

// Two diagrams, one answered by the R-tree and one by the reference scan,
// edited alike. Objects are matched by their place in Objects, and answers
// are compared by identifier, which the identical edits keep equal.
class TTwinDiagrams {
 public:
  explicit TTwinDiagrams(unsigned seed) : Random_(seed) {
    Fast_.SetSpatialIndexKind(TSpatialIndexKind::RTree);
    Reference_.SetSpatialIndexKind(TSpatialIndexKind::Scan);
    for (TGraphControl* g : {&Fast_, &Reference_})
      g->GraphConstraints().SetBoundsRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  }

  int Pick(int below) { return static_cast<int>(Random_() % static_cast<unsigned>(below)); }
  int Coordinate() { return Pick(600) - 50; }
  TRect SomeRect() {
    const int x = Coordinate(), y = Coordinate();
    return {x, y, x + Pick(120), y + Pick(120)};
  }

  // One random edit, made to both diagrams (every random draw comes first).
  void Edit() {
    const int what = Pick(100);
    const int count = Fast_.Objects().Count();
    const int index = count > 0 ? Pick(count) : 0;
    const TRect r = SomeRect();
    const int a = Pick(40) - 20, b = Pick(40) - 20;
    const int other = count > 0 ? Pick(count) : 0;
    const bool flag = Pick(2) == 0;
    const int small = Pick(7);
    for (TGraphControl* g : {&Fast_, &Reference_}) {
      TGraphObject* object = count > 0 ? g->Objects().Items(index) : nullptr;
      TGraphObject* second = count > 0 ? g->Objects().Items(other) : nullptr;
      if (what < 22 || !object) {
        TGraphNode::CreateWithBounds<TRectangularNode>(g, r);
      } else if (what < 26) {
        TGraphNode::CreateWithBounds<TRectangularNode>(
            g, flag ? TRect{INT32_MAX - 30, INT32_MAX - 30, INT32_MAX, INT32_MAX}
                    : TRect{INT32_MIN, INT32_MIN, INT32_MIN + 30, INT32_MIN + 30});
      } else if (what < 32) {
        // Straight links: a painted area of no height or no width.
        const TPoint from = r.TopLeft();
        TGraphLink::CreateNew(g, nullptr, {from, flag ? TPoint{r.Right, r.Top} : TPoint{r.Left, r.Bottom}},
                              nullptr);
      } else if (what < 36 && object->IsNode() && second->IsNode() && object != second) {
        TGraphLink::CreateNew(g, object, {}, second);  // follows both nodes
      } else if (what < 52) {
        object->MoveBy(a, b);
      } else if (what < 58 && object->IsNode()) {
        object->SetBoundsRect(r);
      } else if (what < 64) {
        object->Delete();
      } else if (what < 70) {
        object->SetVisible(!object->Visible());
      } else if (what < 72) {
        g->SetShowHiddenObjects(!g->ShowHiddenObjects());
      } else if (what < 78) {
        if (flag)
          object->SetZOrder(a);
        else
          object->BringToFront();
      } else if (what < 86) {
        object->SetSelected(!object->Selected());
      } else if (what < 88) {
        g->SetMarkerSize(3 + small);
      } else if (what < 91) {
        object->Pen().SetWidth(small);
      } else if (what < 95) {
        g->SelectObjectsInRect(r, flag);
      } else {
        // A batch in one update lock.
        TGraphControl::TUpdateLock lock(*g);
        for (int i = 0; i < g->Objects().Count(); i += 3) g->Objects().Items(i)->MoveBy(b, a);
      }
    }
  }

  // Asks both diagrams the same questions and expects the same answers.
  void ExpectSameAnswers(int step) {
    SCOPED_TRACE("after edit " + std::to_string(step));
    ASSERT_EQ(Fast_.Objects().Count(), Reference_.Objects().Count());
    EXPECT_EQ(Fast_.AllExtent(), Reference_.AllExtent());
    EXPECT_EQ(Fast_.SelectedExtent(), Reference_.SelectedExtent());
    EXPECT_EQ(IDs(Fast_.SelectedObjects().Items()), IDs(Reference_.SelectedObjects().Items()));
    for (int i = 0; i < 12; ++i) {
      const TPoint p{Coordinate(), Coordinate()};
      EXPECT_EQ(StackAt(Fast_, p), StackAt(Reference_, p)) << p.X << "," << p.Y;
    }
    for (const TPoint p : {TPoint{INT32_MAX - 1, INT32_MAX - 1}, TPoint{INT32_MIN, INT32_MIN}})
      EXPECT_EQ(StackAt(Fast_, p), StackAt(Reference_, p));
    for (int i = 0; i < 3; ++i) {
      const TRect r = SomeRect();
      std::vector<TGraphObject*> fast, reference;
      Fast_.ObjectsInRect(r, fast);
      Reference_.ObjectsInRect(r, reference);
      EXPECT_EQ(IDs(fast), IDs(reference));
      EXPECT_EQ(PaintedIn(Fast_, r), PaintedIn(Reference_, r));
    }
  }

 private:
  std::mt19937 Random_;
  TGraphControl Fast_;
  TGraphControl Reference_;
};

class SpatialIndexTwinTest : public ::testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override { InstallFixedWidthMeasurer(); }
};

TEST_P(SpatialIndexTwinTest, RTreeAndScanAnswerAlikeThroughRandomEdits) {
  TTwinDiagrams twins(GetParam());
  for (int step = 0; step < 400; ++step) {
    twins.Edit();
    twins.ExpectSameAnswers(step);
    if (::testing::Test::HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SpatialIndexTwinTest, ::testing::Values(1u, 2u, 3u, 4u));

}  // namespace
}  // namespace gc
