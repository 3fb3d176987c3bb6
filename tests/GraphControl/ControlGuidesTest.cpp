// Smart guides in the control: off by default, shown and snapped to while a
// node is dragged or resized, suspended while Alt is held, along the screen's
// frame, and alike with the spatial index and the reference scan.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/SmartGuides.h"
#include "GraphControl/Unit.h"
#include "support/FakeHost.h"
#include "support/Printers.h"

namespace gc {
namespace {

using enum TMouseButton;
using enum TGuideKind;

// ---- In the control -----------------------------------------------------------------------

class ControlGuides : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { GraphControlStartup(); }
  static void TearDownTestSuite() { GraphControlShutdown(); }

  void SetUp() override { Prepare(Graph, Host); }
  void TearDown() override {
    Graph.SetHost(nullptr);
    Reference.SetHost(nullptr);
  }
  static void Prepare(TGraphControl& graph, TFakeHost& host) {
    graph.SetHost(&host);
    graph.SetDefaultNodeClass(TRectangularNode::StaticClass());
    graph.SetSnapToGrid(false);
  }
  TGraphObject* Node(const TRect& r) { return Graph.AddNode(r); }
  // Zoom 100 and no scrolling: client points are graph points.
  void Press(TPoint p, TShiftState shift = 0) { Graph.MouseDown(mbLeft, shift | ssLeft, p.X, p.Y); }
  void MoveTo(TPoint p, TShiftState shift = 0) { Graph.MouseMove(shift | ssLeft, p.X, p.Y); }
  void Release(TPoint p, TShiftState shift = 0) { Graph.MouseUp(mbLeft, shift, p.X, p.Y); }

  TFakeHost Host, ReferenceHost;
  TGraphControl Graph, Reference;
};

TEST_F(ControlGuides, AreOffByDefault) {
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  EXPECT_FALSE(Graph.SmartGuides());
  Press({325, 315});
  MoveTo({128, 415});  // left edge at 103
  Release({128, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{103, 400, 153, 430}));
}

TEST_F(ControlGuides, ADragSnapsShowsLinesAndEndsWithoutThem) {
  Graph.SetSmartGuides(true);
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  Press({325, 315});
  MoveTo({128, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{100, 400, 150, 430}));
  // The left edge meets the other's left edge, the right edge its centre.
  EXPECT_EQ(Graph.GuideLines(),
            (std::vector<TGuideLine>{{Align, {100, 100}, {100, 429}}, {Align, {149, 100}, {149, 429}}}));
  // Further moves are measured from the pointer, not from the snapped place.
  MoveTo({140, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{115, 400, 165, 430}));
  EXPECT_TRUE(Graph.GuideLines().empty());
  MoveTo({129, 415});
  Release({129, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{100, 400, 150, 430}));
  EXPECT_TRUE(Graph.GuideLines().empty());
}

TEST_F(ControlGuides, AltSuspendsThemForAsLongAsItIsHeld) {
  Graph.SetSmartGuides(true);
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  Press({325, 315});
  MoveTo({128, 415}, ssAlt);
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{103, 400, 153, 430}));
  EXPECT_TRUE(Graph.GuideLines().empty());
  MoveTo({127, 415});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{100, 400, 150, 430}));
  Release({127, 415});
}

TEST_F(ControlGuides, TheScreenFrameGuides) {
  Graph.SetSmartGuides(true);
  Graph.SetGuideFrame({0, 0, 800, 480});
  TGraphObject* dragged = Node({300, 300, 350, 330});
  Press({325, 315});
  MoveTo({773, 463});  // right 798, bottom 478
  Release({773, 463});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{750, 450, 800, 480}));
}

TEST_F(ControlGuides, AResizeSnapsTheDraggedCorner) {
  Graph.SetSmartGuides(true);
  Node({400, 100, 500, 150});
  TGraphObject* resized = Node({300, 300, 350, 330});
  resized->SetSelected(true);
  Press({350, 330});  // the bottom-right marker
  MoveTo({397, 352});
  Release({397, 352});
  EXPECT_EQ(resized->GetBoundsRect(), (TRect{300, 300, 400, 352}));
}

TEST_F(ControlGuides, GridSnappingStaysWhenNoGuideIsNear) {
  Graph.SetSmartGuides(true);
  Graph.SetSnapToGrid(true);
  Graph.SetGridSize(8);
  Node({100, 100, 200, 150});
  TGraphObject* dragged = Node({304, 304, 354, 334});
  Press({329, 319});
  MoveTo({529, 521});
  Release({529, 521});
  EXPECT_EQ(dragged->GetBoundsRect(), (TRect{504, 504, 554, 534}));
  // Near the other widget its edge wins over the grid: 102 would snap to 104.
  Press({529, 519});
  MoveTo({127, 519});
  Release({127, 519});
  EXPECT_EQ(dragged->GetBoundsRect().Left, 100);
}

// The spatial index answers the guides' questions; the reference scan must
// give every drag the same places and lines.
TEST_F(ControlGuides, TheIndexAndTheReferenceScanGuideAlike) {
  Prepare(Reference, ReferenceHost);
  Graph.SetSpatialIndexKind(TSpatialIndexKind::RTree);
  Reference.SetSpatialIndexKind(TSpatialIndexKind::Scan);
  std::mt19937 random(3);
  std::uniform_int_distribution<int32_t> pos(0, 760), size(8, 60), step(-40, 40);
  for (TGraphControl* g : {&Graph, &Reference}) g->SetSmartGuides(true);
  for (int i = 0; i < 300; ++i) {
    const int32_t x = pos(random), y = pos(random);
    const TRect r{x, y, x + size(random), y + size(random)};
    Graph.AddNode(r);
    Reference.AddNode(r);
  }
  int snapped = 0;
  for (int drag = 0; drag < 40; ++drag) {
    TGraphObject* a = Graph.Objects()[drag * 7];
    TGraphObject* b = Reference.Objects()[drag * 7];
    const TRect r = a->GetBoundsRect();
    TPoint p{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    // The pressed point must hit this node, not one above it.
    if (Graph.ObjectAtPoint(p) != a) continue;
    for (TGraphControl* g : {&Graph, &Reference}) g->MouseDown(mbLeft, ssLeft, p.X, p.Y);
    for (int move = 0; move < 10; ++move) {
      p = {std::clamp(p.X + step(random), 0, 799), std::clamp(p.Y + step(random), 0, 599)};
      for (TGraphControl* g : {&Graph, &Reference}) g->MouseMove(ssLeft, p.X, p.Y);
      ASSERT_EQ(a->GetBoundsRect(), b->GetBoundsRect()) << "drag " << drag << " move " << move;
      ASSERT_EQ(Graph.GuideLines(), Reference.GuideLines()) << "drag " << drag << " move " << move;
      snapped += !Graph.GuideLines().empty();
    }
    for (TGraphControl* g : {&Graph, &Reference}) g->MouseUp(mbLeft, 0, p.X, p.Y);
  }
  EXPECT_GT(snapped, 20);  // the comparison saw guides, not only empty lists
}

}  // namespace
}  // namespace gc
