// Arranging small known diagrams with every style: the nodes end up apart,
// layered layouts run the links in their direction, routed links reach the
// node outlines and pass round the nodes they do not join, a link hooked onto
// a link stays on it, and the arrangement is one step that undo takes back
// to the exact bytes. A failed layout changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "layout/DiagramLayout.h"
#include "layout/GraphvizLayout.h"
#include "support/FixedWidthCanvas.h"
#include "support/LibraryTest.h"
#include "support/StreamBytes.h"

namespace gc {
namespace {

struct TDiagramCase {
  const char* Name;
  int NodeCount;
  std::vector<std::pair<int, int>> Links;  // node indexes
  bool Acyclic;
  // A last node with a link hooked onto the first link.
  bool LinkOntoLink;
  friend void PrintTo(const TDiagramCase& c, std::ostream* os) { *os << c.Name; }
};

const TDiagramCase Diagrams[] = {
    {"Chain", 4, {{0, 1}, {1, 2}, {2, 3}}, true, false},
    {"Tree", 6, {{0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 5}}, true, false},
    {"Cycle", 3, {{0, 1}, {1, 2}, {2, 0}}, false, false},
    {"LinkOntoLink", 3, {{0, 1}, {1, 2}}, true, true},
    // Links across several layers, which the router bends round the nodes between.
    {"Lattice",
     8,
     {{0, 1}, {1, 2}, {2, 3}, {0, 3}, {0, 4}, {4, 5}, {5, 6}, {6, 7}, {0, 7}, {1, 7}, {2, 6}},
     true,
     false},
};

const TArrangeStyle Styles[] = {asTopDown, asLeftRight, asForceDirected, asSpring};
const char* const StyleNames[] = {"TopDown", "LeftRight", "ForceDirected", "Spring"};

using test::SavedBytes;

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Whether the segment a-b passes through the inside of `r` (Liang-Barsky).
bool SegmentCrosses(TPoint a, TPoint b, const TRect& r) {
  double t0 = 0, t1 = 1;
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {static_cast<double>(a.X) - r.Left, static_cast<double>(r.Right) - a.X,
                      static_cast<double>(a.Y) - r.Top, static_cast<double>(r.Bottom) - a.Y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] <= 0) return false;
    } else if (p[i] < 0) {
      t0 = std::max(t0, q[i] / p[i]);
    } else {
      t1 = std::min(t1, q[i] / p[i]);
    }
  }
  return t0 < t1;
}

TRect Inset(const TRect& r, int32_t d) { return {r.Left + d, r.Top + d, r.Right - d, r.Bottom - d}; }

// On the outline of `r`, within `tolerance` units.
bool OnOutline(TPoint p, const TRect& r, int32_t tolerance = 1) {
  const TRect outer = Inset(r, -tolerance);
  const bool inOuter = p.X >= outer.Left && p.X <= outer.Right && p.Y >= outer.Top && p.Y <= outer.Bottom;
  const TRect inner = Inset(r, tolerance);
  const bool inInner = p.X > inner.Left && p.X < inner.Right && p.Y > inner.Top && p.Y < inner.Bottom;
  return inOuter && !inInner;
}

double DistanceToPolyline(TPoint p, const TPoints& line) {
  double best = 1e300;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const double ax = line[i].X, ay = line[i].Y, bx = line[i + 1].X, by = line[i + 1].Y;
    const double len2 = (bx - ax) * (bx - ax) + (by - ay) * (by - ay);
    double t = len2 == 0 ? 0 : ((p.X - ax) * (bx - ax) + (p.Y - ay) * (by - ay)) / len2;
    t = std::clamp(t, 0.0, 1.0);
    const double x = ax + t * (bx - ax) - p.X, y = ay + t * (by - ay) - p.Y;
    best = std::min(best, std::sqrt(x * x + y * y));
  }
  return best;
}

class ArrangeDiagramTest : public test::LibraryTest {
 protected:
  // Nodes of different sizes, all piled near the origin, and links as
  // straight lines between them.
  void Build(const TDiagramCase& diagram) {
    for (int i = 0; i < diagram.NodeCount + (diagram.LinkOntoLink ? 1 : 0); ++i) {
      const int32_t w = 60 + 10 * i, h = 30 + 8 * (i % 3);
      Nodes.push_back(TGraphNode::CreateWithBounds<TRectangularNode>(
          &Graph, {100 + 3 * i, 50 + 2 * i, 100 + 3 * i + w, 50 + 2 * i + h}));
    }
    for (auto [s, t] : diagram.Links) Links.push_back(TGraphLink::CreateNew(&Graph, Nodes[s], {}, Nodes[t]));
    if (diagram.LinkOntoLink) OnLink = TGraphLink::CreateNew(&Graph, Nodes.back(), {}, Links.front());
    Graph.ClearHistory();
  }

  TGraphControl Graph;
  std::vector<TGraphNode*> Nodes;
  std::vector<TGraphLink*> Links;
  TGraphLink* OnLink = nullptr;
};

class ArrangingKnownDiagrams : public ArrangeDiagramTest,
                               public ::testing::WithParamInterface<std::tuple<TDiagramCase, int>> {};

TEST_P(ArrangingKnownDiagrams, SeparatesNodesRoutesLinksAndUndoesToTheSameBytes) {
  const auto& [diagram, styleIndex] = GetParam();
  const TArrangeStyle style = Styles[styleIndex];
  Build(diagram);
  const std::vector<uint8_t> before = SavedBytes(Graph);

  TArrangeOptions options;
  options.Style = style;
  ASSERT_TRUE(ArrangeDiagram(Graph, options));

  for (size_t i = 0; i < Nodes.size(); ++i)
    for (size_t j = i + 1; j < Nodes.size(); ++j)
      EXPECT_FALSE(Overlap(Nodes[i]->GetBoundsRect(), Nodes[j]->GetBoundsRect())) << i << " and " << j;
  // The arranged nodes keep the top-left corner of their common bounds.
  int32_t left = INT32_MAX, top = INT32_MAX;
  for (const TGraphNode* n : Nodes) left = std::min(left, n->Left()), top = std::min(top, n->Top());
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, 50);

  for (size_t k = 0; k < Links.size(); ++k) {
    const TGraphLink* link = Links[k];
    const auto [s, t] = diagram.Links[k];
    ASSERT_EQ(link->Source(), Nodes[s]);
    ASSERT_EQ(link->Target(), Nodes[t]);
    const TPoints& points = link->Polyline();
    EXPECT_TRUE(OnOutline(points.front(), Nodes[s]->GetBoundsRect())) << "link " << k;
    EXPECT_TRUE(OnOutline(points.back(), Nodes[t]->GetBoundsRect())) << "link " << k;
    for (size_t n = 0; n < Nodes.size(); ++n) {
      if (static_cast<int>(n) == s || static_cast<int>(n) == t) continue;
      for (size_t i = 0; i + 1 < points.size(); ++i)
        EXPECT_FALSE(SegmentCrosses(points[i], points[i + 1], Inset(Nodes[n]->GetBoundsRect(), 2)))
            << "link " << k << " crosses node " << n;
    }
    if (diagram.Acyclic && style == asTopDown) {
      EXPECT_LT(Nodes[s]->Top(), Nodes[t]->Top()) << "link " << k;
    }
    if (diagram.Acyclic && style == asLeftRight) {
      EXPECT_LT(Nodes[s]->Left(), Nodes[t]->Left()) << "link " << k;
    }
  }
  if (OnLink) {
    EXPECT_EQ(OnLink->Source(), Nodes.back());
    EXPECT_EQ(OnLink->Target(), Links.front());
    EXPECT_EQ(OnLink->PointCount(), 2);
    EXPECT_TRUE(OnOutline(OnLink->Polyline().front(), Nodes.back()->GetBoundsRect()));
    EXPECT_LE(DistanceToPolyline(OnLink->Polyline().back(), Links.front()->Polyline()), 1.0);
  }

  const std::vector<uint8_t> arranged = SavedBytes(Graph);
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "arrange");
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(SavedBytes(Graph), before);
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(SavedBytes(Graph), arranged);
}

INSTANTIATE_TEST_SUITE_P(Styles, ArrangingKnownDiagrams,
                         ::testing::Combine(::testing::ValuesIn(Diagrams), ::testing::Range(0, 4)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).Name) +
                                  StyleNames[std::get<1>(info.param)];
                         });

// The break points are the router's own: Graphviz asked directly with the
// same boxes and edges gives the same corners, moved with the nodes.
TEST_F(ArrangeDiagramTest, BreakPointsAreTheRoutersCorners) {
  const TDiagramCase& lattice = Diagrams[4];
  Build(lattice);
  layout::TLayoutRequest request;
  for (const TGraphNode* n : Nodes) request.Nodes.push_back({n->Width(), n->Height()});
  for (auto [s, t] : lattice.Links) request.Edges.push_back({s, t, "", "", 11});
  const layout::TLayoutResult router = layout::RunGraphviz(request);

  ASSERT_TRUE(ArrangeDiagram(Graph));

  const TPoint offset{Nodes[0]->Left() - (router.Centers[0].X - Nodes[0]->Width() / 2),
                      Nodes[0]->Top() - (router.Centers[0].Y - Nodes[0]->Height() / 2)};
  int bent = 0;
  for (size_t k = 0; k < Links.size(); ++k) {
    const TPoints& path = router.Paths[k];
    TPoints expected;
    for (size_t i = 1; i + 1 < path.size(); ++i)
      expected.push_back({path[i].X + offset.X, path[i].Y + offset.Y});
    const TPoints& points = Links[k]->Polyline();
    EXPECT_EQ(TPoints(points.begin() + 1, points.end() - 1), expected) << "link " << k;
    bent += expected.empty() ? 0 : 1;
  }
  EXPECT_GE(bent, 3);
}

TEST_F(ArrangeDiagramTest, ArrangesTheSelectedNodesAroundTheirCornerAndLeavesTheOthers) {
  Build(Diagrams[1]);
  const TRect third = Nodes[3]->GetBoundsRect();
  Nodes[4]->SetBounds(400, 300, Nodes[4]->Width(), Nodes[4]->Height());
  Nodes[0]->SetSelected(true);
  Nodes[1]->SetSelected(true);
  Nodes[2]->SetSelected(true);
  const TRect fifth = Nodes[4]->GetBoundsRect();

  ASSERT_TRUE(ArrangeDiagram(Graph));

  EXPECT_EQ(Nodes[3]->GetBoundsRect(), third);
  EXPECT_EQ(Nodes[4]->GetBoundsRect(), fifth);
  EXPECT_EQ(std::min({Nodes[0]->Left(), Nodes[1]->Left(), Nodes[2]->Left()}), 100);
  EXPECT_EQ(std::min({Nodes[0]->Top(), Nodes[1]->Top(), Nodes[2]->Top()}), 50);
  EXPECT_LT(Nodes[0]->Top(), Nodes[1]->Top());
  EXPECT_LT(Nodes[0]->Top(), Nodes[2]->Top());
  // Links to nodes left out keep their hooks and become straight.
  EXPECT_EQ(Links[2]->Target(), Nodes[3]);
  EXPECT_EQ(Links[2]->PointCount(), 2);
  EXPECT_TRUE(OnOutline(Links[4]->Polyline().front(), Nodes[2]->GetBoundsRect()));
}

TEST_F(ArrangeDiagramTest, ALayoutErrorRaisesGraphvizMessageAndChangesNothing) {
  Build(Diagrams[0]);
  const std::vector<uint8_t> before = SavedBytes(Graph);
  int changes = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++changes; };

  try {
    TArrangeOptions options;
    options.Engine = "no-such-engine";
    ArrangeDiagram(Graph, options);
    FAIL() << "no exception";
  } catch (const EGraphLayoutError& e) {
    EXPECT_NE(e.Message().find("no-such-engine"), std::string::npos) << e.Message();
  }

  EXPECT_EQ(SavedBytes(Graph), before);
  EXPECT_EQ(Graph.UndoCount(), 0);
  EXPECT_FALSE(Graph.Modified());
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Graph.UpdateCount(), 0);
  // The next arrangement works.
  EXPECT_TRUE(ArrangeDiagram(Graph));
}

TEST_F(ArrangeDiagramTest, NothingToArrangeIsNoStep) {
  EXPECT_FALSE(ArrangeDiagram(Graph));
  Nodes.push_back(TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, {0, 0, 40, 40}));
  Graph.ClearHistory();
  EXPECT_FALSE(ArrangeDiagram(Graph));  // one node at the corner it had
  EXPECT_EQ(Graph.UndoCount(), 0);
}

}  // namespace
}  // namespace gc
