// The overview: a press where a node is drawn scrolls the view so that the
// node comes to its middle (as far as the scroll ranges allow), at several
// zooms; dragging follows the mouse; the view's rectangle follows zooming,
// scrolling and changes of the diagram.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <ostream>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "PixelHelpers.h"
#include "platform/qt/GraphOverview.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

// The node the tests look for is pure red; the view's rectangle, drawn over
// it, tints it a little.
bool Marked(QRgb rgb) { return qRed(rgb) > 180 && qGreen(rgb) < 80 && qBlue(rgb) < 80; }

class GraphOverviewTest : public ::testing::Test {
 protected:
  // A diagram from (0, 0) to (4000, 3000), grey nodes at its corners.
  void SetUp() override {
    Graph.SetShowGrid(false);
    for (const TRect& r : {TRect{0, 0, 40, 40}, TRect{3960, 2960, 4000, 3000}, TRect{3960, 0, 4000, 40}})
      Node(r, clGray);
    View.resize(400, 300);
    View.show();
    Overview.SetThrottled(false);  // every change drawn before the pixels are read
    Overview.resize(200, 150);
    Overview.show();
    QApplication::processEvents();
  }
  TGraphNode* Node(const TRect& r, TColor color) {
    auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, r);
    node->Brush().SetColor(color);
    return node;
  }
  // The rectangle that the overview's pixels of `rgb` (or those that
  // `wanted` accepts) span, as the overview is drawn now.
  QRect Pixels(QRgb rgb) {
    return Pixels([rgb](QRgb pixel) { return pixel == rgb; });
  }
  template <class Wanted>
  QRect Pixels(Wanted wanted) {
    const QImage image = Overview.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return test::BoxWhere(image, [&](int x, int y) { return wanted(image.pixel(x, y)); });
  }
  TPoint ViewCenter() const {
    const TRect r = Graph.VisibleArea();
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }

  TGraphControl Graph;
  TGraphWidget View{&Graph};
  TGraphOverview Overview{&View};
};

struct TClickCase {
  const char* Name;
  int32_t Zoom;
  TRect Target;
  TPoint Center;  // the view's centre afterwards
  friend void PrintTo(const TClickCase& c, std::ostream* os) { *os << c.Name; }
};

class OverviewClicks : public GraphOverviewTest, public ::testing::WithParamInterface<TClickCase> {};

TEST_P(OverviewClicks, ScrollTheViewToWhatWasClicked) {
  const TClickCase& c = GetParam();
  Node(c.Target, 0x0000FF);  // TColor is 0x00BBGGRR: pure red
  Graph.SetZoom(c.Zoom);
  const QRect marked = Pixels(Marked);
  ASSERT_FALSE(marked.isEmpty()) << "the node is drawn";

  QTest::mouseClick(&Overview, Qt::LeftButton, {}, marked.center());

  // One overview pixel is about 21 graph units at this size.
  const TPoint center = ViewCenter();
  EXPECT_LE(std::abs(center.X - c.Center.X), 24) << center.X;
  EXPECT_LE(std::abs(center.Y - c.Center.Y), 24) << center.Y;
  const TRect visible = Graph.VisibleArea();
  EXPECT_TRUE(visible.Left <= c.Target.Left && c.Target.Right <= visible.Right &&
              visible.Top <= c.Target.Top && c.Target.Bottom <= visible.Bottom);
}

// The view's client area is 400 x 300 less its scroll bars (about 16 pixels).
const TClickCase ClickCases[] = {
    {"Middle100", 100, {2500, 1500, 2600, 1600}, {2550, 1550}},
    {"Middle50", 50, {2500, 1500, 2600, 1600}, {2550, 1550}},
    {"Middle300", 300, {1000, 2400, 1040, 2440}, {1020, 2420}},
    // The view cannot scroll before the origin: it shows 2 x 384 by 2 x 284 units from there.
    {"NearTheOriginStopsAtTheStart50", 50, {100, 100, 200, 200}, {384, 284}},
    // Nor past the diagram's end.
    {"NearTheEndStopsAtTheEnd100", 100, {3800, 2850, 3900, 2950}, {4000 - 192, 3000 - 142}},
};
INSTANTIATE_TEST_SUITE_P(Zooms, OverviewClicks, ::testing::ValuesIn(ClickCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(GraphOverviewTest, DraggingScrollsAlongAndTheViewFrameFollowsZoomScrollAndChanges) {
  const QRgb frame = Overview.palette().color(QPalette::Highlight).rgb();
  const QRect at100 = Pixels(frame);
  ASSERT_FALSE(at100.isEmpty());
  EXPECT_LE(at100.left(), 12);  // the view shows the diagram's top-left corner
  Graph.SetZoom(200);
  const QRect at200 = Pixels(frame);
  EXPECT_NEAR(at200.width(), at100.width() / 2.0, 1.5);
  EXPECT_NEAR(at200.height(), at100.height() / 2.0, 1.5);

  // The overview shows 3240 units of height (3000 and 3 % on either side)
  // in 150 pixels: 21.6 units a pixel.
  Graph.HorzScrollBar().SetPosition(4000);  // 2000 units to the right, 1000 down
  Graph.VertScrollBar().SetPosition(2000);
  const QRect scrolled = Pixels(frame);
  EXPECT_NEAR(scrolled.left() - at200.left(), 2000 / 21.6, 1.5);
  EXPECT_NEAR(scrolled.top() - at200.top(), 1000 / 21.6, 1.5);

  // Dragging from the frame's middle 40 pixels left and 20 down moves the view along.
  QTest::mousePress(&Overview, Qt::LeftButton, {}, scrolled.center());
  const TPoint before = ViewCenter();
  QTest::mouseMove(&Overview, scrolled.center() + QPoint(-20, 10));
  QTest::mouseMove(&Overview, scrolled.center() + QPoint(-40, 20));
  QTest::mouseRelease(&Overview, Qt::LeftButton, {}, scrolled.center() + QPoint(-40, 20));
  EXPECT_NEAR(ViewCenter().X - before.X, -40 * 21.6, 2);
  EXPECT_NEAR(ViewCenter().Y - before.Y, 20 * 21.6, 2);

  // A node added far away: the overview takes it in and draws it.
  Node({7960, 2000, 8000, 2040}, 0x0000FF);
  QApplication::processEvents();
  const QRect added = Pixels(Marked);
  ASSERT_FALSE(added.isEmpty());
  EXPECT_GE(added.left(), 190);
}

// Drawn small, a node shows as a dot of its fill even where many links lie
// on the same pixels: a link shorter than a pixel draws nothing.
TEST_F(GraphOverviewTest, TinyNodesShowOverTheLinksBetweenThem) {
  TGraphNode* previous = nullptr;
  for (int32_t x = 100; x < 3900; x += 20) {
    TGraphNode* node = Node({x, 1500, x + 8, 1508}, 0x0000FF);
    if (previous) TGraphLink::CreateNew(&Graph, previous, {}, node);
    previous = node;
  }
  QApplication::processEvents();
  const QRect red = Pixels(Marked);
  EXPECT_GE(red.width(), 170) << "a row of red dots across the overview";
  EXPECT_TRUE(Pixels(qRgb(0, 0, 0)).isEmpty()) << "no black of the links' pens";
}

}  // namespace
}  // namespace gc::qt
