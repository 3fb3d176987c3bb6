// Links drawn through the Qt canvas: the line stops at the arrow's notch, and
// the caption is drawn along its segment, above it whichever way it runs.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "PixelHelpers.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtPlatform.h"
#include "support/FixedWidthCanvas.h"

namespace gc::qt {
namespace {

constexpr QRgb Black = 0x000000;

class LinkPixelTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallQtPlatform(); }
  void TearDown() override { InstallMeasuringCanvas(nullptr); }

  TGraphLink* AddLink(TPoint from, TPoint to, const std::string& text = {}) {
    TGraphLink* link = TGraphLink::CreateNew(&Graph, nullptr, TPoints{from, to}, nullptr);
    link->SetText(text);
    return link;
  }

  // Paints the link alone on a white 240 x 240 image at zoom 100.
  QImage Render(TGraphLink& link) {
    QImage image(240, 240, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      TQtCanvas canvas(&image);
      link.Draw(canvas);
    }
    return image;
  }

  // Bounding box of the dark pixels away from the line y = lineY (the caption).
  static QRect InkAwayFromRow(const QImage& image, int lineY) {
    return test::BoxWhere(
        image, [&](int x, int y) { return std::abs(y - lineY) > 1 && qGray(image.pixel(x, y)) < 128; });
  }

  TGraphControl Graph;
};

TEST_F(LinkPixelTest, LineStopsAtTheNotchOfTheArrowHead) {
  TGraphLink* link = AddLink({20, 50}, {100, 50});
  ASSERT_EQ(link->EndStyle(), lsArrow);
  const QImage image = Render(*link);
  // The line runs up to the notch at x = 92 ...
  EXPECT_TRUE(test::IsColor(image, 60, 50, Black));
  EXPECT_TRUE(test::IsColor(image, 90, 50, Black));
  // ... and not on into the head, whose inside is filled with the link's white brush.
  EXPECT_TRUE(test::IsWhite(image, 95, 50)) << test::Picture(image.copy(80, 40, 25, 20));
  EXPECT_TRUE(test::IsWhite(image, 97, 50));
  // The barbs reach back to x = 87, five units above and below the line.
  EXPECT_LT(qGray(image.pixel(87, 45)), 128);
  EXPECT_LT(qGray(image.pixel(87, 55)), 128);
}

TEST_F(LinkPixelTest, CaptionSitsAboveAHorizontalSegmentWhicheverWayItRuns) {
  for (const bool rightwards : {true, false}) {
    SCOPED_TRACE(rightwards ? "left to right" : "right to left");
    TGraphLink* link =
        rightwards ? AddLink({20, 120}, {220, 120}, "Caption") : AddLink({220, 120}, {20, 120}, "Caption");
    link->SetEndStyle(lsNone);
    const QRect ink = InkAwayFromRow(Render(*link), 120);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LT(ink.bottom(), 120);
    EXPECT_GT(ink.top(), 90);
    // Centred on the segment's middle (x = 120) and wider than tall: upright text.
    EXPECT_NEAR(ink.center().x(), 120, 4);
    EXPECT_GT(ink.width(), ink.height());
    link->Destroy();
  }
}

TEST_F(LinkPixelTest, CaptionOfAVerticalSegmentIsTurnedAlongIt) {
  TGraphLink* link = AddLink({120, 20}, {120, 220}, "Caption");
  link->SetEndStyle(lsNone);
  const QImage image = Render(*link);
  const QRect ink = test::BoxWhere(
      image, [&](int x, int y) { return std::abs(x - 120) > 1 && qGray(image.pixel(x, y)) < 128; });
  ASSERT_FALSE(ink.isEmpty());
  // Beside the line, centred on its middle, taller than wide.
  EXPECT_NEAR(ink.center().y(), 120, 4);
  EXPECT_GT(ink.height(), ink.width());
  EXPECT_TRUE(ink.right() < 120 || ink.left() > 120);
}

}  // namespace
}  // namespace gc::qt
