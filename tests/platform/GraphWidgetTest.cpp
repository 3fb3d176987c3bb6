#include "platform/qt/GraphWidget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <limits>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "PixelHelpers.h"

namespace gc::qt {
namespace {

constexpr QRgb Red = 0xFF0000;
constexpr QRgb Blue = 0x0000FF;
constexpr QRgb White = 0xFFFFFF;

class GraphWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Graph.SetColor(clWhite);
    Graph.SetShowGrid(false);
    Widget.resize(400, 300);
    Widget.show();
  }

  template <class TNode>
  TNode* AddNode(const TRect& bounds, TColor fill) {
    TNode* node = TGraphNode::CreateWithBounds<TNode>(&Graph, bounds);
    node->Brush().SetColor(fill);
    return node;
  }
  // Makes the diagram larger than the window without painting near the origin.
  void MakeDiagramLarge() { AddNode<TRectangularNode>({2990, 1990, 3000, 2000}, clWhite); }
  QImage Grab() { return Widget.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  // Declared before the widget, which must go first.
  TGraphControl Graph;
  TGraphWidget Widget{&Graph};
};

TEST_F(GraphWidgetTest, NodeFillStaysInsideItsShape) {
  AddNode<TEllipticNode>({20, 20, 120, 80}, 0x0000FF);
  const QImage image = Grab();
  EXPECT_TRUE(test::IsColor(image, 70, 50, Red));
  EXPECT_TRUE(test::IsColor(image, 30, 50, Red));
  // Corners of the bounds lie outside the ellipse.
  EXPECT_TRUE(test::IsWhite(image, 22, 22));
  EXPECT_TRUE(test::IsWhite(image, 117, 77));
  EXPECT_EQ(test::InkBox(image), QRect(20, 20, 100, 60));
}

TEST(GraphWidgetTransparency, ParentShowsThroughWhereNoObjectIsDrawn) {
  // A parent that paints itself green; the control sits inside it.
  class TGreenParent : public QWidget {
   protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::green); }
  };
  TGraphControl graph;
  graph.SetShowGrid(false);
  TGreenParent parent;
  TGraphWidget widget(&graph, &parent);
  widget.setFrameShape(QFrame::NoFrame);
  widget.setGeometry(0, 0, 200, 150);
  parent.resize(200, 150);
  TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {20, 20, 60, 60})->Brush().SetColor(0x0000FF);
  parent.show();

  graph.SetTransparent(true);
  QApplication::processEvents();
  QImage image = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_TRUE(test::IsColor(image, 150, 100, 0x00FF00));
  EXPECT_TRUE(test::IsColor(image, 40, 40, Red));

  graph.SetTransparent(false);
  QApplication::processEvents();
  image = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_FALSE(test::IsColor(image, 150, 100, 0x00FF00));
}

TEST_F(GraphWidgetTest, ZoomAndScrollMoveTheDrawing) {
  MakeDiagramLarge();
  AddNode<TRectangularNode>({100, 100, 140, 120}, 0x0000FF)->Pen().SetStyle(TPenStyle::psClear);
  Graph.SetZoom(200);
  Graph.HorzScrollBar().SetPosition(150);
  Graph.VertScrollBar().SetPosition(170);
  const QImage image = Grab();
  // Graph (100, 100)..(140, 120) is client (50, 30)..(130, 70).
  EXPECT_EQ(test::InkBox(image), QRect(50, 30, 80, 40));
  EXPECT_TRUE(test::IsColor(image, 90, 50, Red));
}

// The canvas maps with the control's rounding: at every zoom a node covers
// exactly the client pixels between its mapped corners, where the control
// hit-tests and repaints it (at zoom 34 graph x 25 is pixel 8, not 9).
TEST_F(GraphWidgetTest, NodesCoverThePixelsTheControlMapsThemToAtEveryZoom) {
  AddNode<TRectangularNode>({25, 15, 55, 45}, 0x0000FF)->Pen().SetStyle(TPenStyle::psClear);
  std::vector<int32_t> wrong;
  for (int32_t zoom = MinZoom; zoom <= 400; ++zoom) {
    Graph.SetZoom(zoom);
    const TPoint a = Graph.GraphToClient(25, 15);
    const TPoint b = Graph.GraphToClient(55, 45);
    const QImage image = Widget.RenderClientRect(QRect(0, 0, 230, 190));
    if (test::InkBox(image) != QRect(QPoint(a.X, a.Y), QPoint(b.X - 1, b.Y - 1))) wrong.push_back(zoom);
  }
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " zooms, the first " << wrong.front();
  Graph.SetZoom(34);
  EXPECT_EQ(test::InkBox(Widget.RenderClientRect(QRect(0, 0, 40, 40))), QRect(8, 5, 11, 10));
}

// At a device pixel ratio of 2 the diagram is painted with the screen's own
// pixels: text edges fall between the two device pixels of a logical one,
// while a one-pixel pen stays one logical (two device) pixels wide.
TEST_F(GraphWidgetTest, PaintsAtTheDevicePixelRatio) {
  TGraphNode* node = AddNode<TRectangularNode>({10, 10, 110, 50}, clWhite);
  node->SetText("Sharp text");
  const QImage image =
      Widget.RenderClientRect(QRect(0, 0, 120, 60), 2.0).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.size(), QSize(240, 120));
  EXPECT_EQ(image.devicePixelRatio(), 2.0);
  int splitPairs = 0;
  for (int y = 24; y < 96; ++y)
    for (int x = 24; x < 216; x += 2) splitPairs += image.pixel(x, y) != image.pixel(x + 1, y);
  for (int y = 24; y < 96; y += 2)
    for (int x = 24; x < 216; ++x) splitPairs += image.pixel(x, y) != image.pixel(x, y + 1);
  EXPECT_GT(splitPairs, 20) << "text drawn as doubled pixels";
  // The left edge of the node at logical x 10, half-way down.
  EXPECT_TRUE(test::IsWhite(image, 19, 60));
  EXPECT_TRUE(test::IsColor(image, 20, 60, 0x000000));
  EXPECT_TRUE(test::IsColor(image, 21, 60, 0x000000));
  EXPECT_TRUE(test::IsWhite(image, 22, 60));
}

TEST_F(GraphWidgetTest, GridDotsFollowZoomAndScroll) {
  MakeDiagramLarge();
  Graph.SetShowGrid(true);
  Graph.SetGridSize(10);
  Graph.SetGridColor(0x00FF00);
  Graph.SetZoom(150);
  Graph.HorzScrollBar().SetPosition(45);
  Graph.VertScrollBar().SetPosition(20);
  const QImage image = Grab();
  int expected = 0;
  // Graph multiples of 10 at zoom 150: client x = 15 k - 45, y = 15 k - 20.
  for (int y = 10; y < image.height(); y += 15) {
    for (int x = 0; x < image.width(); x += 15) {
      ++expected;
      EXPECT_TRUE(test::IsColor(image, x, y, 0x00FF00)) << x << "," << y;
    }
  }
  EXPECT_EQ(test::CountColor(image, 0x00FF00), expected);
}

TEST_F(GraphWidgetTest, GridStaysInsideTheConstraints) {
  Graph.SetShowGrid(true);
  Graph.SetGridSize(10);
  Graph.SetGridColor(0x00FF00);
  Graph.GraphConstraints().SetBoundsRect({0, 0, 55, 35});
  const QImage image = Grab();
  EXPECT_EQ(test::CountColor(image, 0x00FF00), 6 * 4);
  EXPECT_EQ(test::InkBox(image), QRect(0, 0, 51, 31));
}

TEST_F(GraphWidgetTest, SelectedNodeShowsMarkerSquares) {
  TRectangularNode* node = AddNode<TRectangularNode>({50, 50, 150, 100}, 0x0000FF);
  Graph.SetMarkerColor(0xFF0000);
  node->SetSelected(true);
  const QImage image = Grab();
  // The top-left marker: outline (47, 47)..(52, 52), filled with the control's colour.
  EXPECT_TRUE(test::IsColor(image, 47, 47, Blue));
  EXPECT_TRUE(test::IsColor(image, 52, 52, Blue));
  EXPECT_TRUE(test::IsColor(image, 51, 51, White));
  // The top-middle marker.
  EXPECT_TRUE(test::IsColor(image, 97, 47, Blue));
  EXPECT_TRUE(test::IsColor(image, 60, 60, Red));

  Widget.clearFocus();
  Graph.SetHideSelection(true);
  const QImage hidden = Grab();
  EXPECT_EQ(test::CountColor(hidden, Blue), 0);
  EXPECT_TRUE(test::IsColor(hidden, 51, 51, Red));
}

TEST_F(GraphWidgetTest, OnePixelRepaintPaintsJustThatPixel) {
  AddNode<TRectangularNode>({10, 10, 60, 40}, 0x0000FF);
  const QImage full = Grab();
  QImage target(Widget.viewport()->size(), QImage::Format_RGB32);
  target.fill(qRgb(255, 0, 255));
  const QRect pixel(30, 20, 1, 1);
  Widget.viewport()->render(&target, pixel.topLeft(), QRegion(pixel));
  EXPECT_EQ(Widget.LastPaintedRect(), pixel);
  EXPECT_EQ(test::CountColor(target, 0xFF00FF), target.width() * target.height() - 1);
  EXPECT_EQ(target.pixel(30, 20), full.pixel(30, 20));
  EXPECT_EQ(Widget.RenderClientRect(pixel).pixel(0, 0), full.pixel(30, 20));
}

// A hostile file can place objects at the coordinate limits; repainting
// them asks for client rectangles wider than an int holds.
TEST_F(GraphWidgetTest, RepaintRequestsReachingTheCoordinateLimitsStayDefined) {
  constexpr int32_t Min = std::numeric_limits<int32_t>::min(), Max = std::numeric_limits<int32_t>::max();
  for (const TRect r : {TRect{Min, 0, 284, 10}, TRect{-5, Min, 10, Max}, TRect{0, 0, Max, Max}})
    Widget.InvalidateRect(r);
  QApplication::processEvents();
  EXPECT_EQ(Widget.LastPaintedRect(), Widget.viewport()->rect());
}

TEST_F(GraphWidgetTest, BarsAppearWhenTheDiagramDoesNotFitAndGoWhenItDoes) {
  EXPECT_FALSE(Widget.horizontalScrollBar()->isVisible());
  MakeDiagramLarge();
  EXPECT_TRUE(Widget.horizontalScrollBar()->isVisible());
  EXPECT_TRUE(Widget.verticalScrollBar()->isVisible());
  const TSize client = Widget.ClientSize();
  EXPECT_EQ(QSize(client.cx, client.cy), Widget.viewport()->size());
  EXPECT_EQ(Widget.horizontalScrollBar()->maximum(), Graph.HorzScrollBar().MaxPosition());
  EXPECT_EQ(Widget.horizontalScrollBar()->pageStep(), client.cx + 1);

  Widget.resize(3200, 2200);
  EXPECT_FALSE(Widget.horizontalScrollBar()->isVisible());
  EXPECT_FALSE(Widget.verticalScrollBar()->isVisible());
  EXPECT_EQ(Graph.HorzScrollBar().MaxPosition(), 0);
}

TEST_F(GraphWidgetTest, BarActionsScrollByTheControlsSteps) {
  MakeDiagramLarge();
  QScrollBar* bar = Widget.verticalScrollBar();
  Graph.VertScrollBar().SetIncrement(13);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 13);
  EXPECT_EQ(bar->value(), 13);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 13 + Widget.ClientSize().cy);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(Graph.VertScrollBar().Position(), Graph.VertScrollBar().MaxPosition());
  EXPECT_EQ(bar->value(), Graph.VertScrollBar().MaxPosition());
}

TEST_F(GraphWidgetTest, DraggedThumbScrollsOnReleaseUnlessTracking) {
  MakeDiagramLarge();
  QScrollBar* bar = Widget.horizontalScrollBar();
  bar->setSliderDown(true);
  bar->setSliderPosition(100);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 0);
  bar->setSliderDown(false);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 100);

  Graph.HorzScrollBar().SetTracking(true);
  bar->setSliderDown(true);
  bar->setSliderPosition(250);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 250);
  bar->setSliderDown(false);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 250);
}

void SendWheel(QWidget* target, QPoint angle, Qt::KeyboardModifiers modifiers, QPoint pixels = {}) {
  const QPointF at(100, 100);
  QWheelEvent event(at, target->mapToGlobal(at), pixels, angle, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                    false);
  QApplication::sendEvent(target, &event);
}

// Three lines of the bar's Increment a notch, set at once even on a bar that
// scrolls smoothly (no sleep on the user-interface thread); touchpad pixel
// deltas scroll by pixels; Ctrl zooms by about 10 % a notch at the pointer.
TEST_F(GraphWidgetTest, WheelScrollsLinesOrPixelsAndCtrlWheelZoomsAtThePointer) {
  MakeDiagramLarge();
  int sleeps = 0;
  const TScrollClock previous = SetScrollClock({nullptr, [&sleeps](int32_t) { ++sleeps; }});
  Graph.VertScrollBar().SetSmooth(true);
  Graph.VertScrollBar().SetIncrement(10);
  Graph.HorzScrollBar().SetIncrement(10);
  SendWheel(Widget.viewport(), {0, -240}, Qt::NoModifier);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 60);
  SendWheel(Widget.viewport(), {0, 60}, Qt::NoModifier);  // half a notch: one line, half a line kept
  EXPECT_EQ(Graph.VertScrollBar().Position(), 50);
  SendWheel(Widget.viewport(), {0, 60}, Qt::NoModifier);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 30);
  SendWheel(Widget.viewport(), {0, -120}, Qt::ShiftModifier);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 30);
  SendWheel(Widget.viewport(), {0, -120}, Qt::NoModifier, {-7, -25});
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 37);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 55);
  EXPECT_EQ(sleeps, 0);
  SetScrollClock(previous);

  // Client (100, 100) shows graph (137, 155) before and after.
  SendWheel(Widget.viewport(), {0, 120}, Qt::ControlModifier);
  EXPECT_EQ(Graph.Zoom(), 110);
  EXPECT_EQ(Graph.ClientToGraph(100, 100), (TPoint{137, 155}));
  SendWheel(Widget.viewport(), {0, 120}, Qt::ControlModifier);
  EXPECT_EQ(Graph.Zoom(), 121);
  SendWheel(Widget.viewport(), {0, -240}, Qt::ControlModifier);
  EXPECT_EQ(Graph.Zoom(), 100);
}

TEST_F(GraphWidgetTest, ScreenCursorOverridesUntilDefault) {
  Widget.SetScreenCursor(crHandGrab);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  Widget.SetScreenCursor(crCross);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  Widget.SetScreenCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace gc::qt
