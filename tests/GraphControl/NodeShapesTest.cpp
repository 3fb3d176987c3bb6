#include "GraphControl/NodeShapes.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphObjectClass.h"
#include "GraphControl/Unit.h"
#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

using TCallKind = TRecordingCanvas::TCallKind;

// Each shape on the bounds (0, 0, 100, 80): cx = 50, cy = 40, a quarter of
// the width is 25.
struct TShapeCase {
  const char* Name;
  const TGraphObjectClass* (*Class)();
  TPoints Vertices;  // polygon shapes only
  TPoint Center;
  TRect Caption;
  bool CornerPixelInside;  // the pixel (1, 1)
  TPoint AttachFromLeft;   // attach point for a reference far left at the centre's height
};

void PrintTo(const TShapeCase& c, std::ostream* os) { *os << c.Name; }

// clang-format off
const TShapeCase ShapeCases[] = {
    {"TRectangularNode", &TRectangularNode::StaticClass, {{0, 0}, {100, 0}, {100, 80}, {0, 80}},
     {50, 40}, {8, 8, 92, 72}, true, {0, 40}},
    {"TRoundRectangularNode", &TRoundRectangularNode::StaticClass, {},
     {50, 40}, {8, 8, 92, 72}, false, {0, 40}},
    {"TEllipticNode", &TEllipticNode::StaticClass, {},
     {50, 40}, {8, 8, 92, 72}, false, {0, 40}},
    {"TTriangularNode", &TTriangularNode::StaticClass, {{50, 0}, {100, 80}, {0, 80}},
     {50, 53}, {25, 40, 75, 72}, false, {17, 53}},
    {"TRhomboidalNode", &TRhomboidalNode::StaticClass, {{50, 0}, {100, 40}, {50, 80}, {0, 40}},
     {50, 40}, {25, 20, 75, 60}, false, {0, 40}},
    {"TPentagonalNode", &TPentagonalNode::StaticClass, {{50, 0}, {100, 40}, {75, 80}, {25, 80}, {0, 40}},
     {50, 48}, {25, 20, 75, 72}, false, {5, 48}},
    {"THexagonalNode", &THexagonalNode::StaticClass, {{25, 0}, {75, 0}, {100, 40}, {75, 80}, {25, 80}, {0, 40}},
     {50, 40}, {25, 8, 75, 72}, false, {0, 40}},
};
// clang-format on

class NodeShapesTest : public ::testing::TestWithParam<TShapeCase> {
 protected:
  void SetUp() override { InstallFixedWidthMeasurer(); }

  TGraphNode* Make(const TRect& bounds = {0, 0, 100, 80}) {
    return static_cast<TGraphNode*>(TGraphNode::CreateWithBounds(GetParam().Class(), &Graph, bounds));
  }

  TGraphControl Graph;
};

TEST_P(NodeShapesTest, DescriptorOutlineCentreCaptionAreaAndDrawing) {
  const TGraphObjectClass* cls = GetParam().Class();
  const bool polygonal = !GetParam().Vertices.empty();
  EXPECT_EQ(cls->ClassName(), GetParam().Name);
  EXPECT_TRUE(cls->InheritsFrom(TGraphNode::StaticClass()));
  EXPECT_EQ(cls->InheritsFrom(TPolygonalNode::StaticClass()), polygonal);
  TGraphNode* node = Make();
  EXPECT_EQ(node->ClassType(), cls);
  if (polygonal) {
    EXPECT_EQ(static_cast<TPolygonalNode*>(node)->PolygonPoints(), GetParam().Vertices);
    EXPECT_EQ(node->Region()->FillMode(), TFillMode::fmWinding);
    EXPECT_EQ(node->Region()->Points(), GetParam().Vertices);
  }
  EXPECT_EQ(node->GetCenter(), GetParam().Center);
  EXPECT_EQ(node->GetCaptionBounds(), GetParam().Caption);
  EXPECT_EQ(node->HitTest({1, 1}), GetParam().CornerPixelInside ? nhBody : htNone);

  TRecordingCanvas canvas;
  node->DrawShape(canvas);
  ASSERT_EQ(canvas.Calls.size(), 1u);
  const auto& call = canvas.Calls[0];
  if (polygonal) {
    EXPECT_EQ(call.Points, GetParam().Vertices);
  } else {
    EXPECT_EQ(call.Rect, (TRect{0, 0, 100, 80}));
    EXPECT_EQ(call.Kind, cls == TEllipticNode::StaticClass() ? TCallKind::Ellipse : TCallKind::RoundRect);
  }
}

TEST_P(NodeShapesTest, AttachPointIsTheCentreInsideAndTheNearestOutlineCrossingOutside) {
  TGraphNode* node = Make();
  EXPECT_EQ(node->GetAttachPoint({50, 40}), GetParam().Center) << "reference inside the region";
  EXPECT_EQ(node->GetAttachPoint({50, -100}), (TPoint{50, 0})) << "reference above";
  EXPECT_EQ(node->GetAttachPoint({-100, GetParam().Center.Y}), GetParam().AttachFromLeft);
}

TEST_P(NodeShapesTest, PureMoveShiftsTheOutline) {
  TGraphNode* node = Make();
  node->MoveBy(10, 20);
  EXPECT_EQ(node->GetCenter(), (TPoint{GetParam().Center.X + 10, GetParam().Center.Y + 20}));
  EXPECT_EQ(node->Region()->ContainsPoint({11, 21}), GetParam().CornerPixelInside);
  EXPECT_FALSE(node->Region()->ContainsPoint({111, 60}));
}

TEST_P(NodeShapesTest, OverlapsRectUsesTheShapeUnlessSelected) {
  TGraphNode* node = Make();
  EXPECT_TRUE(node->OverlapsRect({45, 35, 55, 45}));
  EXPECT_EQ(node->OverlapsRect({0, 0, 2, 2}), GetParam().CornerPixelInside);
  node->SetSelected(true);
  EXPECT_TRUE(node->OverlapsRect({0, 0, 2, 2})) << "a selected node overlaps by its painted area";
}

INSTANTIATE_TEST_SUITE_P(AllShapes, NodeShapesTest, ::testing::ValuesIn(ShapeCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Shape details ----------------------------------------------------------------------

class NodeShapeDetailsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFixedWidthMeasurer();
    Graph.GraphConstraints().SetBoundsRect({-1000, -1000, 1000, 1000});
  }
  template <class TNode>
  TNode* Make(const TRect& bounds) {
    return TGraphNode::CreateWithBounds<TNode>(&Graph, bounds);
  }

  TGraphControl Graph;
};

TEST_F(NodeShapeDetailsTest, DivisionsTruncateTowardZeroOnNegativeCoordinates) {
  // L = -101, R = 0: cx = -101 div 2 = -50 (not -51); a quarter of 101 is 25.
  auto* pentagon = Make<TPentagonalNode>({-101, -81, 0, 0});
  EXPECT_EQ(pentagon->PolygonPoints(), (TPoints{{-50, -81}, {0, -40}, {-25, 0}, {-76, 0}, {-101, -40}}));
  auto* triangle = Make<TTriangularNode>({-101, -81, 0, 0});
  EXPECT_EQ(triangle->GetCenter(), (TPoint{-50, -27}));
}

TEST_F(NodeShapeDetailsTest, RoundRectCornerFollowsTheLongerSide) {
  auto* wide = Make<TRoundRectangularNode>({0, 0, 103, 40});
  EXPECT_EQ(wide->CornerSize(), 25);
  auto* tall = Make<TRoundRectangularNode>({0, 0, 40, 90});
  EXPECT_EQ(tall->CornerSize(), 22);
  EXPECT_EQ(tall->Region()->Bounds(), (TRect{0, 0, 41, 91}));
  tall->SetBounds(0, 0, 120, 90);
  EXPECT_EQ(tall->Region()->CornerWidth(), 30) << "the corner is rebuilt with the size";
}

TEST_F(NodeShapeDetailsTest, RoundRectAttachPointFollowsTheCorner) {
  // Corner ellipse 25 x 25; a line to the centre through the corner zone is
  // moved from the rectangle's corner onto the rounded outline.
  auto* node = Make<TRoundRectangularNode>({0, 0, 100, 100});
  const TPoint p = node->GetAttachPoint({-50, -50});
  EXPECT_GT(p.X, 0);
  EXPECT_EQ(p.X, p.Y);
  EXPECT_LT(p.X, 12);
}

TEST_F(NodeShapeDetailsTest, BuiltInClassesAreRegisteredInOrderAtStartUp) {
  ASSERT_FALSE(GraphControlStarted());
  GraphControlStartup();
  const std::vector<std::string> expected{"TRectangularNode", "TRoundRectangularNode", "TEllipticNode",
                                          "TTriangularNode",  "TRhomboidalNode",       "TPentagonalNode",
                                          "THexagonalNode"};
  std::vector<std::string> names;
  for (int32_t i = 0; i < TGraphControl::NodeClassCount(); ++i)
    names.push_back(TGraphControl::NodeClasses(i)->ClassName());
  EXPECT_EQ(names, expected);
  for (const std::string& name : expected) EXPECT_NE(FindGraphClass(name), nullptr) << name;
  TGraphControl control;
  EXPECT_EQ(control.DefaultNodeClass(), TRectangularNode::StaticClass());
  GraphControlShutdown();
  EXPECT_EQ(TGraphControl::NodeClassCount(), 0);
  EXPECT_EQ(FindGraphClass("TEllipticNode"), nullptr);
}

}  // namespace
}  // namespace gc
