#include "GraphControl/GraphNode.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/NodeShapes.h"
#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

using TCallKind = TRecordingCanvas::TCallKind;

// A rectangle that counts how often its outline and caption are rebuilt.
class TCountingNode : public TRectangularNode {
 public:
  static const TGraphObjectClass* StaticClass() {
    static const TGraphObjectClass cls("TCountingNode", TRectangularNode::StaticClass(), false, &Make);
    return &cls;
  }
  const TGraphObjectClass* ClassType() const override { return StaticClass(); }
  TRegion CreateShapeRegion() const override {
    ++RegionBuilds;
    return TRectangularNode::CreateShapeRegion();
  }
  TRect LayoutCaption() override {
    ++CaptionLayouts;
    return TRectangularNode::LayoutCaption();
  }
  mutable int RegionBuilds = 0;
  int CaptionLayouts = 0;

 protected:
  explicit TCountingNode(TGraphControl* owner) : TRectangularNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner) { return new TCountingNode(owner); }
};

class GraphNodeTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallFixedWidthMeasurer(); }
  template <class TNode = TRectangularNode>
  TNode* Node(const TRect& r = {100, 100, 200, 160}) {
    return TGraphNode::CreateWithBounds<TNode>(&Graph, r);
  }
  TGraphControl Graph;
};

// ---- Bounds ------------------------------------------------------------------------------

struct TBoundsCase {
  const char* Name;
  TRect Constraints;
  TRect Start;
  TRect Request;  // left, top, width, height
  TRect Expected;
};
void PrintTo(const TBoundsCase& c, std::ostream* os) { *os << c.Name; }

class GraphNodeBoundsTest : public GraphNodeTest, public ::testing::WithParamInterface<TBoundsCase> {};

TEST_P(GraphNodeBoundsTest, SetBoundsClampsToMinimumSizeAndConstraints) {
  const TBoundsCase& c = GetParam();
  TRectangularNode* node = Node(c.Start);
  Graph.GraphConstraints().SetBoundsRect(c.Constraints);
  node->SetBounds(c.Request.Left, c.Request.Top, c.Request.Right, c.Request.Bottom);
  EXPECT_EQ(node->GetBoundsRect(), c.Expected);
}

constexpr TRect Wide{-100, -100, 65535, 65535};
constexpr TRect Box200{0, 0, 200, 200};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, GraphNodeBoundsTest, ::testing::Values(
    TBoundsCase{"BelowMinimumSize", Wide, {10, 10, 50, 50}, {10, 10, 3, 5}, {10, 10, 26, 26}},
    TBoundsCase{"BeforeMinLeft", {5, 7, 500, 500}, {10, 10, 50, 50}, {-20, 0, 40, 40}, {5, 7, 45, 47}},
    TBoundsCase{"MoveKeepsWidthAtMaxRight", Box200, {100, 0, 150, 40}, {180, 0, 50, 40}, {150, 0, 200, 40}},
    TBoundsCase{"ResizeCutsWidthAtMaxRight", Box200, {100, 0, 150, 40}, {100, 0, 150, 40}, {100, 0, 200, 40}},
    TBoundsCase{"MoveKeepsHeightAtMaxBottom", Box200, {0, 100, 40, 150}, {0, 190, 40, 50}, {0, 150, 40, 200}},
    TBoundsCase{"ResizeCutsHeightAtMaxBottom", Box200, {0, 100, 40, 150}, {0, 100, 40, 300}, {0, 100, 40, 200}},
    // A node left beyond the far edge keeps MinNodeSize and is pushed back
    // instead of getting a negative width.
    TBoundsCase{"BeyondFarEdgeKeepsMinimumSize", {0, 0, 100, 100}, {90, 0, 130, 40}, {90, 0, 60, 40}, {84, 0, 100, 40}}),
    [](const auto& info) { return std::string(info.param.Name); });
// clang-format on

TEST_F(GraphNodeTest, PermissionHandlerAdjustsOrRefusesMoveAndResizeSeparately) {
  TRectangularNode* node = Node();
  bool allowMove = false, allowResize = true;
  int events = 0;
  Graph.OnCanMoveResizeNode = [&](TGraphControl*, TGraphNode*, int32_t&, int32_t&, int32_t& w, int32_t&,
                                  bool& move, bool& resize) {
    w += 1;
    move = move && allowMove;
    resize = resize && allowResize;
  };
  Graph.OnNodeMoveResize = [&](TGraphControl*, TGraphNode*) { ++events; };
  node->SetBounds(150, 150, 50, 50);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{100, 100, 151, 150})) << "resize only, width adjusted";
  std::swap(allowMove, allowResize);
  node->SetBounds(0, 0, 500, 500);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{0, 0, 51, 50})) << "move only";
  allowMove = false;
  node->SetBounds(10, 10, 20, 20);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{0, 0, 51, 50})) << "both refused";
  EXPECT_EQ(events, 2);
  allowMove = allowResize = true;
  node->SetNodeOptions(gnoResizable);
  node->SetBounds(100, 100, 40, 30);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{0, 0, 41, 30})) << "without gnoMovable only the size applies";
}

TEST_F(GraphNodeTest, BoundsSetUnderAnUpdateLockRebuildTheOutlineAtTheEnd) {
  TRectangularNode* source = Node({300, 300, 400, 350});
  source->SetAlignment(taRightJustify);
  source->SetBackgroundMargins({1, 2, 3, 4});
  auto* node = Node<TEllipticNode>({0, 0, 50, 50});
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  node->Assign(*source);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(node->Alignment(), taRightJustify);
  EXPECT_EQ(node->BackgroundMargins(), (TRect{1, 2, 3, 4}));
  EXPECT_EQ(node->GetBoundsRect(), (TRect{300, 300, 400, 350}));
  EXPECT_EQ(node->HitTest({350, 325}), nhBody);
  EXPECT_EQ(node->HitTest({25, 25}), htNone);
}

TEST_F(GraphNodeTest, PureMoveOffsetsCachedDataAndResizeRebuildsIt) {
  auto* node = Node<TCountingNode>();
  node->SetText("abc");
  node->Pen().SetWidth(5);
  const TRect caption = node->CaptionRect(), paint = node->PaintBounds();
  EXPECT_EQ(node->RegionBuilds, 0);  // the outline is made when first needed
  EXPECT_EQ(node->Region()->Points(), (TPoints{{100, 100}, {200, 100}, {200, 160}, {100, 160}}));
  const int regions = node->RegionBuilds, layouts = node->CaptionLayouts;
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  node->MoveBy(7, -3);
  EXPECT_EQ(node->RegionBuilds, regions);
  EXPECT_EQ(node->CaptionLayouts, layouts);
  EXPECT_EQ(node->CaptionRect(),
            (TRect{caption.Left + 7, caption.Top - 3, caption.Right + 7, caption.Bottom - 3}));
  EXPECT_EQ(node->PaintBounds(), (TRect{paint.Left + 7, paint.Top - 3, paint.Right + 7, paint.Bottom - 3}));
  EXPECT_EQ(node->Region()->Points(), (TPoints{{107, 97}, {207, 97}, {207, 157}, {107, 157}}));
  EXPECT_EQ(changes, 1);

  node->SetBounds(107, 97, 60, 60);
  EXPECT_EQ(node->Region()->Points(), (TPoints{{107, 97}, {167, 97}, {167, 157}, {107, 157}}));
  EXPECT_EQ(node->RegionBuilds, regions + 1);
  node->CaptionRect();  // the caption is laid out anew when it is next needed
  EXPECT_GT(node->CaptionLayouts, layouts);
  EXPECT_EQ(node->PolygonPoints(), (TPoints{{107, 97}, {167, 97}, {167, 157}, {107, 157}}));
}

// ---- Caption ------------------------------------------------------------------------------

// Node (50, 20, 250, 120): the caption area is (58, 28, 242, 112); "abc"
// measures 18 x 13 with the fixed-width measurer.
TEST_F(GraphNodeTest, CaptionIsPlacedByAlignmentAndLayout) {
  struct {
    TAlignment Alignment;
    TTextLayout Layout;
    TRect Expected;
  } const cases[] = {{taLeftJustify, tlTop, {58, 28, 76, 41}},
                     {taCenter, tlCenter, {141, 63, 159, 76}},
                     {taRightJustify, tlBottom, {224, 99, 242, 112}}};
  TRectangularNode* node = Node({50, 20, 250, 120});
  node->SetText("abc");
  for (const auto& c : cases) {
    node->SetAlignment(c.Alignment);
    node->SetLayout(c.Layout);
    EXPECT_EQ(node->CaptionRect(), c.Expected) << int{c.Alignment} << "/" << int{c.Layout};
  }
  EXPECT_EQ(node->DisplayText(), "abc");
}

TEST_F(GraphNodeTest, CaptionAreaLeavesRoomForPenAndMargin) {
  TRectangularNode* node = Node({0, 0, 100, 60});
  EXPECT_EQ(node->GetCaptionBounds(), (TRect{8, 8, 92, 52}));
  node->Pen().SetWidth(5);
  EXPECT_EQ(node->GetCaptionBounds(), (TRect{10, 10, 90, 50}));
  node->Pen().SetStyle(TPenStyle::psInsideFrame);
  EXPECT_EQ(node->GetCaptionBounds(), (TRect{13, 13, 87, 47}));
}

TEST_F(GraphNodeTest, LongCaptionIsCutToTheAreaWithAnEllipsis) {
  TRectangularNode* node = Node({0, 0, 76, 46});  // area 10 characters wide, two lines high
  node->SetAlignment(taLeftJustify);
  node->SetLayout(tlTop);
  node->SetText("alpha beta gamma delta epsilon");
  EXPECT_EQ(node->DisplayText(), "alpha beta\r\ngamma\xE2\x80\xA6");
  EXPECT_EQ(node->CaptionRect(), (TRect{8, 8, 68, 34}));
}

TEST_F(GraphNodeTest, CaptionIsDrawnTransparentlyAndOnlyWithText) {
  TRectangularNode* node = Node({50, 20, 250, 120});
  node->SetText("abc");
  TRecordingCanvas canvas;
  node->Draw(canvas);
  ASSERT_EQ(canvas.Calls.size(), 2u);
  EXPECT_EQ(canvas.Calls[0].Kind, TCallKind::Polygon);
  EXPECT_EQ(canvas.Calls[1].Text, "abc");
  EXPECT_EQ(canvas.Calls[1].Points[0], node->CaptionRect().TopLeft());
  EXPECT_EQ(canvas.Calls[1].BackgroundMode, TBackgroundMode::Transparent);
  EXPECT_EQ(canvas.BackgroundMode(), TBackgroundMode::Opaque) << "restored after drawing";

  node->SetText("");
  EXPECT_EQ(node->CaptionRect(), TRect{});
  EXPECT_EQ(node->DisplayText(), "");
  TRecordingCanvas empty;
  node->Draw(empty);
  EXPECT_TRUE(empty.Texts().empty());
  EXPECT_EQ(empty.Calls.size(), 1u);
}

// ---- Background ---------------------------------------------------------------------------

TEST_F(GraphNodeTest, BackgroundIsStretchedIntoTheInsetTargetClippedToTheShape) {
  TRectangularNode* node = Node({100, 50, 300, 150});
  node->SetBackgroundMargins({10, 10, 10, 10});
  const TGraphic bitmap{"TBitmap", {1}};
  node->Background().SetGraphic(&bitmap);
  TRecordingCanvas canvas;
  node->Draw(canvas);
  ASSERT_EQ(canvas.Calls.size(), 3u);
  EXPECT_EQ(canvas.Calls[1].Kind, TCallKind::StretchDraw);
  EXPECT_EQ(canvas.Calls[1].Rect, (TRect{120, 60, 280, 140}));
  EXPECT_EQ(canvas.Calls[2].Kind, TCallKind::Polygon) << "outline on top of the picture";
  EXPECT_EQ(canvas.Calls[2].Brush.Style(), TBrushStyle::bsClear);
  ASSERT_EQ(canvas.Clips.size(), 1u);
  EXPECT_EQ(canvas.Clips[0].Rect, node->Region()->BoundingBox());
  EXPECT_EQ(canvas.ClipRect(), TRecordingCanvas().ClipRect()) << "clip removed again";

  node->SetNodeOptions(gnoMovable | gnoResizable);
  TRecordingCanvas hidden;
  node->Draw(hidden);
  EXPECT_EQ(hidden.Calls.size(), 1u);
}

TEST_F(GraphNodeTest, DeviceRegionFollowsTheCanvasMapping) {
  TRectangularNode* node = Node({100, 50, 300, 150});
  TRecordingCanvas canvas;
  canvas.SetViewMapping(50, {-10, 5});
  EXPECT_EQ(node->CreateDeviceRegion(canvas)->Points(), (TPoints{{40, 30}, {140, 30}, {140, 80}, {40, 80}}));
}

// ---- Markers and hit testing ----------------------------------------------------------------

TEST_F(GraphNodeTest, MarkersAreDrawnInOrderAndShowWhetherResizingIsAllowed) {
  TRectangularNode* node = Node();
  const TPoints order{{100, 100}, {200, 100}, {100, 160}, {200, 160},
                      {150, 160}, {200, 130}, {100, 130}, {150, 100}};
  TRecordingCanvas canvas;
  node->DrawMarkers(canvas);
  ASSERT_EQ(canvas.Calls.size(), 8u);
  for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(canvas.Calls[i].Rect, MakeSquare(order[i], 3)) << i;
  for (bool locked : {true, false}) {
    Graph.SetLockNodes(locked);
    node->SetNodeOptions(locked ? gnoAllOptions : gnoMovable);
    TRecordingCanvas disabled;
    node->DrawMarkers(disabled);
    EXPECT_EQ(disabled.Calls.size(), 16u) << "a disabled marker has an inner square";
  }
}

TEST_F(GraphNodeTest, HitCodesCombineBodyAndCaptionAndMarkersComeFirst) {
  TRectangularNode* node = Node();
  node->SetText("abc");
  const TPoint inCaption = CenterOfRect(node->CaptionRect());
  EXPECT_EQ(node->HitTest(inCaption), 0x0600u);
  EXPECT_EQ(node->HitTest({100, 100}), nhBody) << "no markers while unselected";
  EXPECT_EQ(node->HitTest({200, 130}), htNone) << "right edge excluded";
  node->SetSelected(true);
  EXPECT_EQ(node->HitTest({202, 162}), nhBottomRight);
  EXPECT_EQ(node->HitTest({150, 102}), nhTop);
  EXPECT_EQ(node->HitTest({98, 131}), nhLeft);
  node->SetOptions(goLinkable | goSelectable);
  EXPECT_EQ(node->HitTest(inCaption), 0x0200u);
  Graph.SetMinNodeSize(2);
  node->SetBounds(0, 0, 4, 4);
  EXPECT_EQ(node->ShapeHitTest({2, 0}), nhTopRight) << "on a tiny node the corner beats the top middle";
}

// ---- Dragging ------------------------------------------------------------------------------

struct TDragCase {
  const char* Name;
  THitCode Code;
  int32_t Dx, Dy;
  TRect Expected;
};
void PrintTo(const TDragCase& c, std::ostream* os) { *os << c.Name; }

class GraphNodeDragTest : public GraphNodeTest, public ::testing::WithParamInterface<TDragCase> {};

TEST_P(GraphNodeDragTest, ApplyDragMovesOrResizesKeepingTheOppositeEdge) {
  TRectangularNode* node = Node();  // (100, 100, 200, 160)
  EXPECT_TRUE(node->ApplyDrag(GetParam().Code, GetParam().Dx, GetParam().Dy));
  EXPECT_EQ(node->GetBoundsRect(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GraphNodeDragTest,
    ::testing::Values(TDragCase{"Left", nhLeft, 10, 99, {110, 100, 200, 160}},
                      TDragCase{"Top", nhTop, 99, -10, {100, 90, 200, 160}},
                      TDragCase{"Right", nhRight, 10, 99, {100, 100, 210, 160}},
                      TDragCase{"Bottom", nhBottom, 99, -10, {100, 100, 200, 150}},
                      TDragCase{"TopLeft", nhTopLeft, 10, 10, {110, 110, 200, 160}},
                      TDragCase{"TopRight", nhTopRight, 10, 10, {100, 110, 210, 160}},
                      TDragCase{"BottomLeft", nhBottomLeft, 10, 10, {110, 100, 200, 170}},
                      TDragCase{"BottomRight", nhBottomRight, 10, 10, {100, 100, 210, 170}},
                      TDragCase{"BodyAndCaption", nhBody | nhCaption, -5, 5, {95, 105, 195, 165}},
                      TDragCase{"LeftPastMinimum", nhLeft, 90, 0, {184, 100, 200, 160}},
                      TDragCase{"TopLeftPastMinimum", nhTopLeft, 90, 90, {184, 144, 200, 160}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(GraphNodeTest, LeftMarkerOfAMinimalNodeLeavesItUnchanged) {
  TRectangularNode* node = Node({100, 100, 116, 160});
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  node->ApplyDrag(nhLeft, 20, 0);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{100, 100, 116, 160}));
  EXPECT_EQ(changes, 0);
}

TEST_F(GraphNodeTest, ApplyDragAndJoinDragRespectOptionsAndCodes) {
  TRectangularNode* node = Node();
  node->SetNodeOptions(gnoMovable);
  EXPECT_FALSE(node->ApplyDrag(nhBottomRight, 10, 10));
  node->SetNodeOptions(gnoResizable);
  EXPECT_FALSE(node->ApplyDrag(nhBody, 10, 10));
  EXPECT_FALSE(node->ApplyDrag(0x0800, 10, 10));
  EXPECT_EQ(node->GetBoundsRect(), (TRect{100, 100, 200, 160}));
  EXPECT_FALSE(node->JoinDrag(htNotSelectable));
  EXPECT_TRUE(node->JoinDrag(nhBottomRight));
}

TEST_F(GraphNodeTest, DragSidesAreTheEdgesTheDragMoves) {
  const std::pair<THitCode, TGraphSides> table[] = {{nhLeft, gsLeft},
                                                    {nhTop, gsTop},
                                                    {nhRight, gsRight},
                                                    {nhBottom, gsBottom},
                                                    {nhTopRight, gsTop | gsRight},
                                                    {nhBottomLeft, gsLeft | gsBottom},
                                                    {nhBody, gsAll},
                                                    {nhCaption, gsAll},
                                                    {htNotSelectable, 0}};
  TRectangularNode* node = Node();
  for (const auto& [code, sides] : table) EXPECT_EQ(node->DragSides(code), sides) << code;
}

TEST_F(GraphNodeTest, SnapDragOffsetSnapsTheMovingCornerToTheGrid) {
  TRectangularNode* node = Node({13, 13, 113, 73});  // grid 8
  int32_t dx = 5, dy = 0;
  node->SnapDragOffset(nhBody, dx, dy);
  EXPECT_EQ(dx, 3);  // left edge 13 + 5 lands on 16
  EXPECT_EQ(dy, 0) << "a zero delta stays zero";
  dx = dy = 2;
  node->SnapDragOffset(nhTopRight, dx, dy);
  EXPECT_EQ(dx, -1);  // right edge 113 + 2 lands on 112
  EXPECT_EQ(dy, 3);   // top edge 13 + 2 lands on 16
}

TEST_F(GraphNodeTest, CursorShowsWhatADragWouldDo) {
  struct {
    THitCode Code;
    TGraphNodeOptions Options;
    bool Locked;
    TCursor Expected;
  } const cases[] = {
      {nhLeft, gnoAllOptions, false, crSizeWE},           {nhBottom, gnoAllOptions, false, crSizeNS},
      {nhBottomRight, gnoAllOptions, false, crSizeNWSE},  {nhBottomLeft, gnoAllOptions, false, crSizeNESW},
      {nhBody | nhCaption, gnoMovable, false, crSizeAll}, {nhLeft, gnoAllOptions, true, crHandPoint},
      {nhBody, gnoAllOptions, true, crHandPoint},         {nhRight, gnoMovable, false, crHandPoint},
      {nhCaption, gnoResizable, false, crHandPoint},      {htNotSelectable, gnoAllOptions, false, crCross}};
  TRectangularNode* node = Node();
  Graph.SetCursor(crCross);
  for (const auto& c : cases) {
    node->SetNodeOptions(c.Options);
    Graph.SetLockNodes(c.Locked);
    EXPECT_EQ(node->CursorFor(c.Code), c.Expected) << c.Code << " locked " << c.Locked;
  }
}

}  // namespace
}  // namespace gc
