// Text on the Qt canvas: measuring, multi-line layout placed through the
// canvas, alignment, rotation and background.
#include <gtest/gtest.h>

#include <QImage>

#include "PixelHelpers.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtPlatform.h"

namespace gc::qt::test {
namespace {

void UseFont(TCanvas& canvas, int32_t height, TFontStyles style = 0) {
  canvas.Font().SetName("Arial");
  canvas.Font().SetHeight(height);
  canvas.Font().SetStyle(style);
  canvas.Font().SetColor(clBlack);
  canvas.SetBackgroundMode(TBackgroundMode::Transparent);
}

TEST(QtCanvasText, ExtentFollowsTheGlyphsAndTheFont) {
  TQtImageCanvas canvas(1, 1);
  UseFont(canvas, -20);
  const TSize narrow = canvas.TextExtent("iiii");
  const TSize wide = canvas.TextExtent("WWWW");
  EXPECT_LT(narrow.cx * 2, wide.cx);
  EXPECT_GE(wide.cy, 20);
  EXPECT_LE(wide.cy, 26);
  EXPECT_EQ(canvas.TextExtent("").cx, 0);

  const TSize regular = canvas.TextExtent("Caption text");
  UseFont(canvas, -20, fsBold);
  EXPECT_GT(canvas.TextExtent("Caption text").cx, regular.cx);
  UseFont(canvas, -40);
  EXPECT_NEAR(canvas.TextExtent("Caption text").cx, 2 * regular.cx, 3);
}

TEST(QtCanvasText, PositiveHeightIsTheCellHeight) {
  TQtImageCanvas canvas(1, 1);
  UseFont(canvas, 30);
  EXPECT_NEAR(canvas.TextExtent("Hg").cy, 30, 1);
}

TEST(QtCanvasText, HasGlyphAsksTheFont) {
  TQtImageCanvas canvas(1, 1);
  UseFont(canvas, -12);
  EXPECT_TRUE(canvas.HasGlyph(U'A'));
  EXPECT_TRUE(canvas.HasGlyph(U'\u2026'));
  EXPECT_FALSE(canvas.HasGlyph(U'\U000F0001'));  // private use: no font has it
}

TEST(QtCanvasText, CentredDrawTextLandsInTheMiddleOfTheRect) {
  TQtImageCanvas canvas(200, 60);
  UseFont(canvas, -16);
  std::string text = "Hello";
  TRect r{0, 0, 200, 60};
  canvas.DrawText(text, r, dt::Center | dt::VCenter | dt::SingleLine);
  const QRect ink = InkBox(canvas.Image());
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), 100, 3);
  EXPECT_NEAR(ink.center().y(), 30, 4);
}

TEST(QtCanvasText, EndEllipsisShortensToTheRectWidth) {
  TQtImageCanvas canvas(200, 40);
  UseFont(canvas, -16);
  std::string text = "A long caption that does not fit";
  TRect r{0, 0, 80, 40};
  canvas.DrawText(text, r, dt::EndEllipsis | dt::ModifyString | dt::SingleLine);
  EXPECT_NE(text, "A long caption that does not fit");
  EXPECT_EQ(text.substr(text.size() - 3), "\u2026");
  EXPECT_LE(canvas.TextExtent(text).cx, 80);
  const QRect ink = InkBox(canvas.Image());
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_LT(ink.right(), 80);
}

TEST(QtCanvasText, DrawTextClipsToTheRect) {
  TQtImageCanvas canvas(200, 40);
  UseFont(canvas, -16);
  std::string text = "A long caption that does not fit";
  TRect r{10, 0, 60, 40};
  canvas.DrawText(text, r, dt::SingleLine);
  const QRect ink = InkBox(canvas.Image());
  EXPECT_GE(ink.left(), 10);
  EXPECT_LT(ink.right(), 60);
  EXPECT_EQ(canvas.ClipRect(), TRect(0, 0, 200, 40));  // the clip is restored afterwards
}

struct TAlignCase {
  const char* Name;
  uint32_t Align;
  int32_t Orientation;
  // Expected ink box relative to the reference point (100, 100), with slack.
  int Left, Top, Right, Bottom;
};

class TextOutPlacement : public testing::TestWithParam<TAlignCase> {};

TEST_P(TextOutPlacement, PlacesTheTextAroundTheReferencePoint) {
  const TAlignCase& c = GetParam();
  TQtImageCanvas canvas(200, 200);
  UseFont(canvas, -20);
  canvas.Font().SetOrientation(c.Orientation);
  canvas.SetTextAlign(c.Align);
  canvas.TextOut(100, 100, "HHHHHH");
  const QRect ink = InkBox(canvas.Image()).translated(-100, -100);
  ASSERT_FALSE(ink.isEmpty());
  constexpr int slack = 4;
  EXPECT_NEAR(ink.left(), c.Left, slack) << "left";
  EXPECT_NEAR(ink.top(), c.Top, slack) << "top";
  EXPECT_NEAR(ink.right(), c.Right, slack) << "right";
  EXPECT_NEAR(ink.bottom(), c.Bottom, slack) << "bottom";
}

// "HHHHHH" at 20 px: about 87 px wide; capitals stand about 14 px on the
// baseline, which lies about 18 px below the cell top.
INSTANTIATE_TEST_SUITE_P(
    Cases, TextOutPlacement,
    testing::Values(TAlignCase{"LeftTop", ta::Left | ta::Top, 0, 1, 4, 86, 18},
                    TAlignCase{"RightBaseline", ta::Right | ta::Baseline, 0, -86, -14, -1, 0},
                    TAlignCase{"CentreBottom", ta::Center | ta::Bottom, 0, -43, -19, 43, -5},
                    TAlignCase{"Up", ta::Left | ta::Top, 900, 4, -86, 18, -1},
                    TAlignCase{"Down", ta::Left | ta::Top, -900, -18, 1, -4, 86}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(QtCanvasText, ScalesWithTheZoom) {
  TQtImageCanvas normal(400, 100), zoomed(400, 100);
  for (TQtImageCanvas* c : {&normal, &zoomed}) UseFont(*c, -14);
  zoomed.SetViewMapping(200, {});
  normal.TextOut(10, 10, "Zoomed text");
  zoomed.TextOut(10, 10, "Zoomed text");
  const QRect a = InkBox(normal.Image()), b = InkBox(zoomed.Image());
  EXPECT_NEAR(b.width(), 2 * a.width(), 4);
  EXPECT_NEAR(b.left(), 2 * a.left(), 2);
}

TEST(QtCanvasText, OpaqueBackgroundFillsTheCellWithTheBrush) {
  TQtImageCanvas canvas(100, 40);
  UseFont(canvas, -16);
  canvas.Brush().SetColor(clYellow);
  canvas.TextOut(5, 5, "Text");
  EXPECT_EQ(CountColor(canvas.Image(), qRgb(255, 255, 0)), 0);  // transparent
  canvas.SetBackgroundMode(TBackgroundMode::Opaque);
  canvas.TextOut(5, 5, "Text");
  const TSize e = canvas.TextExtent("Text");
  EXPECT_GT(CountColor(canvas.Image(), qRgb(255, 255, 0)), e.cx * e.cy / 3);
  EXPECT_TRUE(IsWhite(canvas.Image(), 5 + e.cx + 2, 5));
}

TEST(QtMeasuringCanvas, InstalledAsTheCompatibleCanvas) {
  InstallQtPlatform();
  {
    std::unique_ptr<TCanvas> canvas = CreateCompatibleCanvas();
    ASSERT_NE(dynamic_cast<TQtCanvas*>(canvas.get()), nullptr);
    UseFont(*canvas, -20);
    EXPECT_LT(canvas->TextExtent("iiii").cx, canvas->TextExtent("WWWW").cx);
  }
  UninstallQtPlatform();
  std::unique_ptr<TCanvas> fallback = CreateCompatibleCanvas();
  EXPECT_EQ(dynamic_cast<TQtCanvas*>(fallback.get()), nullptr);
}

}  // namespace
}  // namespace gc::qt::test
