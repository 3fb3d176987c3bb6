// Qt's points, rectangles and colours in the control's terms.
#include "platform/qt/QtTypes.h"

#include <gtest/gtest.h>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

TEST(QtTypes, ConversionsRoundToWholeUnitsAndColoursToBGR) {
  EXPECT_EQ(ToTPoint({10.4, -2.6}), (TPoint{10, -3}));
  EXPECT_EQ(ToQPointF({7, -8}), QPointF(7, -8));
  EXPECT_EQ(ToTRect(QRectF(10.2, 20.5, 30, 40.6)), (TRect{10, 20, 40, 61}));  // halves to even
  EXPECT_EQ(ToQRectF({10, 20, 40, 60}), QRectF(10, 20, 30, 40));
  EXPECT_EQ(ToTColor(QColor(0x11, 0x22, 0x33, 0x80)), TColor{0x332211});
  EXPECT_EQ(ToQColor(0x332211), QColor(0x11, 0x22, 0x33));
  EXPECT_TRUE(ToQColor(clWindow).isValid());
}

TEST(QtTypes, ControlCallsTakeQtTypesAndTheWidgetMapsItsPositions) {
  TGraphControl graph;
  TGraphNode* node = AddNode(graph, QRectF(20, 20, 80, 40), TEllipticNode::StaticClass());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{20, 20, 100, 60}));
  TGraphLink* link = AddLink(graph, node, {QPointF(200, 40)}, TGraphLink::StaticClass());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->Source(), node);
  SetColor(node->Brush(), QColor(Qt::red));
  SetColor(node->Pen(), QColor(Qt::blue));
  EXPECT_EQ(node->Brush().Color(), clRed);
  EXPECT_EQ(node->Pen().Color(), clBlue);
  EXPECT_EQ(ObjectAtPoint(graph, QPointF(60, 40)), node);

  TGraphWidget view(&graph);
  view.resize(400, 300);
  graph.SetZoom(200);
  EXPECT_EQ(view.MapToGraph(QPointF(120, 80)), QPointF(60, 40));
  EXPECT_EQ(view.MapFromGraph(QPointF(60, 40)), QPointF(120, 80));
  EXPECT_EQ(view.ObjectAt(QPointF(120, 80)), node);
  EXPECT_EQ(view.ObjectAt(QPointF(390, 290)), nullptr);
}

}  // namespace
}  // namespace gc::qt
