// Aligning, distributing and sizing the selected nodes: exact bounds for each
// operation, one undo step each, and the limits a node's placement respects.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "support/FixedWidthCanvas.h"
#include "support/LibraryTest.h"

namespace gc {
namespace {

class ControlAlignmentTest : public test::LibraryTest {
 protected:
  // The first selected node R is 100 x 60; P (40 x 30) and Q (80 x 20) follow it.
  void SetUp() override {
    R = Node({100, 100, 200, 160});
    P = Node({10, 20, 50, 50});
    Q = Node({300, 250, 380, 270});
    for (TGraphNode* n : {R, P, Q}) n->SetSelected(true);
    Graph.ClearHistory();
  }
  TGraphNode* Node(const TRect& r) { return TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, r); }

  TGraphControl Graph;
  TGraphNode *R = nullptr, *P = nullptr, *Q = nullptr;
};

struct TPlacementCase {
  const char* Name;
  std::function<bool(TGraphControl&)> Operation;
  TRect R, P, Q;  // expected bounds afterwards
  friend void PrintTo(const TPlacementCase& c, std::ostream* os) { *os << c.Name; }
};

class Placing : public ControlAlignmentTest, public ::testing::WithParamInterface<TPlacementCase> {};

TEST_P(Placing, GivesExactBoundsInOneUndoableStep) {
  const TPlacementCase& c = GetParam();
  ASSERT_TRUE(c.Operation(Graph));
  EXPECT_EQ(R->GetBoundsRect(), c.R);
  EXPECT_EQ(P->GetBoundsRect(), c.P);
  EXPECT_EQ(Q->GetBoundsRect(), c.Q);
  EXPECT_EQ(Graph.UndoCount(), 1);
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(R->GetBoundsRect(), (TRect{100, 100, 200, 160}));
  EXPECT_EQ(P->GetBoundsRect(), (TRect{10, 20, 50, 50}));
  EXPECT_EQ(Q->GetBoundsRect(), (TRect{300, 250, 380, 270}));
}

constexpr TRect R0{100, 100, 200, 160};
const TPlacementCase PlacementCases[] = {
    {"AlignLeft",
     [](TGraphControl& g) { return g.AlignSelection(gaLeft); },
     R0,
     {100, 20, 140, 50},
     {100, 250, 180, 270}},
    {"AlignCenter",
     [](TGraphControl& g) { return g.AlignSelection(gaCenter); },
     R0,
     {130, 20, 170, 50},
     {110, 250, 190, 270}},
    {"AlignRight",
     [](TGraphControl& g) { return g.AlignSelection(gaRight); },
     R0,
     {160, 20, 200, 50},
     {120, 250, 200, 270}},
    {"AlignTop",
     [](TGraphControl& g) { return g.AlignSelection(gaTop); },
     R0,
     {10, 100, 50, 130},
     {300, 100, 380, 120}},
    {"AlignMiddle",
     [](TGraphControl& g) { return g.AlignSelection(gaMiddle); },
     R0,
     {10, 115, 50, 145},
     {300, 120, 380, 140}},
    {"AlignBottom",
     [](TGraphControl& g) { return g.AlignSelection(gaBottom); },
     R0,
     {10, 130, 50, 160},
     {300, 140, 380, 160}},
    // P, R, Q from left to right: 150 units of room, 75 in each gap.
    {"DistributeHorizontally",
     [](TGraphControl& g) { return g.DistributeSelection(gdHorizontal); },
     {125, 100, 225, 160},
     {10, 20, 50, 50},
     {300, 250, 380, 270}},
    // P, R, Q from top to bottom: 140 units of room, 70 in each gap.
    {"DistributeVertically",
     [](TGraphControl& g) { return g.DistributeSelection(gdVertical); },
     {100, 120, 200, 180},
     {10, 20, 50, 50},
     {300, 250, 380, 270}},
    {"SameWidth",
     [](TGraphControl& g) { return g.MakeSameWidth(); },
     R0,
     {10, 20, 110, 50},
     {300, 250, 400, 270}},
    {"SameHeight",
     [](TGraphControl& g) { return g.MakeSameHeight(); },
     R0,
     {10, 20, 50, 80},
     {300, 250, 380, 310}},
};

INSTANTIATE_TEST_SUITE_P(Alignment, Placing, ::testing::ValuesIn(PlacementCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ControlAlignmentTest, UnequalRoomLeavesGapsThatDifferByOneAtMost) {
  Q->SetBounds(301, 250, 80, 20);  // 151 units of room between P and Q
  ASSERT_TRUE(Graph.DistributeSelection(gdHorizontal));
  EXPECT_EQ(R->Left(), 125) << "gaps of 75 and 76";
}

TEST_F(ControlAlignmentTest, PlacementsStayWithinConstraintsAndMinNodeSize) {
  Graph.GraphConstraints().SetMaxRight(390);
  ASSERT_TRUE(Graph.MakeSameWidth());
  EXPECT_EQ(Q->GetBoundsRect(), (TRect{300, 250, 390, 270})) << "cut at the right edge";
  R->SetBounds(100, 100, 100, 20);
  Graph.SetMinNodeSize(50);
  ASSERT_TRUE(Graph.MakeSameHeight());
  EXPECT_EQ(P->Height(), 50) << "not the reference's 20";
}

TEST_F(ControlAlignmentTest, LockedRefusedAndFixedNodesStay) {
  Graph.SetLockNodes(true);
  EXPECT_FALSE(Graph.AlignSelection(gaLeft));
  EXPECT_FALSE(Graph.CanUndo());
  Graph.SetLockNodes(false);

  Graph.OnCanMoveResizeNode = [this](TGraphControl*, TGraphNode* node, int32_t&, int32_t&, int32_t&, int32_t&,
                                     bool& canMove, bool&) {
    if (node == Q) canMove = false;
  };
  P->SetNodeOptions(gnoResizable);  // not movable
  EXPECT_FALSE(Graph.AlignSelection(gaLeft));
  EXPECT_EQ(P->Left(), 10);
  EXPECT_EQ(Q->Left(), 300);
  Graph.OnCanMoveResizeNode = nullptr;
  EXPECT_TRUE(Graph.AlignSelection(gaLeft));
  EXPECT_EQ(Q->Left(), 100);
}

TEST_F(ControlAlignmentTest, FewerNodesThanTheOperationNeedsChangeNothing) {
  Q->SetSelected(false);
  EXPECT_FALSE(Graph.DistributeSelection(gdHorizontal));
  P->SetSelected(false);
  EXPECT_FALSE(Graph.AlignSelection(gaRight));
  EXPECT_FALSE(Graph.MakeSameWidth());
  EXPECT_FALSE(Graph.CanUndo());
}

}  // namespace
}  // namespace gc
