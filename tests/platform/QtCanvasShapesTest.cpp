// Pixel tests of the Qt canvas's shapes: the box rule of rectangles and
// ellipses, pens, fill modes, pen modes, single pixels and clipping.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QMetaEnum>
#include <QPalette>
#include <cmath>
#include <string>

#include "PixelHelpers.h"
#include "platform/qt/QtCanvas.h"

namespace gc::qt::test {
namespace {

constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Black = qRgb(0, 0, 0);

struct TBoxCase {
  const char* Name;
  int32_t Zoom;
  TPoint Origin;
  TRect Rect;
  int32_t PenWidth;
  TPenStyle Style;
  QRect Ink;  // device pixels touched
};

class RectangleExtent : public testing::TestWithParam<TBoxCase> {};

TEST_P(RectangleExtent, TouchesExactlyTheBoxPixels) {
  const TBoxCase& c = GetParam();
  TQtImageCanvas canvas(40, 40);
  canvas.SetViewMapping(c.Zoom, c.Origin);
  canvas.Pen().SetWidth(c.PenWidth);
  canvas.Pen().SetStyle(c.Style);
  canvas.Brush().SetColor(clRed);
  canvas.Rectangle(c.Rect);
  EXPECT_EQ(InkBox(canvas.Image()), c.Ink) << Picture(canvas.Image());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RectangleExtent,
    testing::Values(
        TBoxCase{"OnePixelPen", 100, {}, {2, 3, 12, 9}, 1, TPenStyle::psSolid, QRect(2, 3, 10, 6)},
        TBoxCase{"ZeroWidthAtZoom200", 200, {1, 2}, {1, 1, 6, 5}, 0, TPenStyle::psSolid, QRect(3, 4, 10, 8)},
        TBoxCase{"ZoomHalf", 50, {}, {4, 6, 24, 18}, 1, TPenStyle::psSolid, QRect(2, 3, 10, 6)},
        TBoxCase{"InsideFrameStaysInBox",
                 100,
                 {},
                 {2, 2, 14, 12},
                 3,
                 TPenStyle::psInsideFrame,
                 QRect(2, 2, 12, 10)},
        TBoxCase{"WidePenCentredOnEdge", 100, {}, {2, 2, 14, 12}, 3, TPenStyle::psSolid, QRect(1, 1, 14, 12)},
        TBoxCase{"NoPenFillsBox", 100, {}, {2, 3, 12, 9}, 1, TPenStyle::psClear, QRect(2, 3, 10, 6)},
        TBoxCase{"ReversedCorners", 100, {}, {12, 9, 2, 3}, 1, TPenStyle::psSolid, QRect(2, 3, 10, 6)}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(QtCanvasRectangle, OutlinesWithThePenAndFillsTheInsideWithTheBrush) {
  TQtImageCanvas canvas(20, 20);
  canvas.Brush().SetColor(clRed);
  canvas.Rectangle({2, 3, 12, 9});
  const QImage& im = canvas.Image();
  for (QPoint p : {QPoint(2, 5), QPoint(11, 5), QPoint(6, 3), QPoint(6, 8), QPoint(11, 8)})
    EXPECT_TRUE(IsColor(im, p.x(), p.y(), Black)) << p.x() << "," << p.y() << "\n" << Picture(im);
  for (QPoint p : {QPoint(3, 4), QPoint(10, 7), QPoint(6, 6)})
    EXPECT_TRUE(IsColor(im, p.x(), p.y(), Red)) << p.x() << "," << p.y();
  EXPECT_EQ(CountColor(im, Red), 8 * 4);
}

TEST(QtCanvasRectangle, ClearBrushLeavesTheInsideAlone) {
  TQtImageCanvas canvas(20, 20);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Rectangle({2, 3, 12, 9});
  EXPECT_TRUE(IsWhite(canvas.Image(), 6, 6));
  EXPECT_EQ(CountColor(canvas.Image(), Black), 2 * 10 + 2 * 4);
}

TEST(QtCanvasRectangle, FillRectFillsTheBoxWithoutOutline) {
  TQtImageCanvas canvas(20, 20);
  canvas.Brush().SetColor(clRed);
  canvas.FillRect({2, 3, 12, 9});
  EXPECT_EQ(InkBox(canvas.Image()), QRect(2, 3, 10, 6));
  EXPECT_EQ(CountColor(canvas.Image(), Red), 60);
}

// Every row and column of a closed shape begins and ends with the pen: the
// brush never shows outside the outline.
void ExpectOutlineEnclosesFill(const QImage& im) {
  const QRect box = InkBox(im);
  for (int y = box.top(); y <= box.bottom(); ++y) {
    int first = -1, last = -1;
    for (int x = box.left(); x <= box.right(); ++x)
      if (!IsWhite(im, x, y)) {
        if (first < 0) first = x;
        last = x;
      }
    ASSERT_GE(first, 0) << "row " << y << "\n" << Picture(im);
    EXPECT_TRUE(IsColor(im, first, y, Black) && IsColor(im, last, y, Black)) << "row " << y << "\n"
                                                                             << Picture(im);
  }
  for (int x = box.left(); x <= box.right(); ++x) {
    int first = -1, last = -1;
    for (int y = box.top(); y <= box.bottom(); ++y)
      if (!IsWhite(im, x, y)) {
        if (first < 0) first = y;
        last = y;
      }
    ASSERT_GE(first, 0) << "column " << x;
    EXPECT_TRUE(IsColor(im, x, first, Black) && IsColor(im, x, last, Black)) << "column " << x << "\n"
                                                                             << Picture(im);
  }
}

TEST(QtCanvasEllipse, SpansItsBoxAndKeepsTheCornersEmpty) {
  TQtImageCanvas canvas(24, 20);
  canvas.Brush().SetColor(clRed);
  canvas.Ellipse({2, 2, 18, 14});
  const QImage& im = canvas.Image();
  EXPECT_EQ(InkBox(im), QRect(2, 2, 16, 12)) << Picture(im);
  EXPECT_TRUE(IsColor(im, 10, 8, Red));
  for (QPoint p : {QPoint(2, 2), QPoint(17, 2), QPoint(2, 13), QPoint(17, 13)})
    EXPECT_TRUE(IsWhite(im, p.x(), p.y()));
  ExpectOutlineEnclosesFill(im);
}

TEST(QtCanvasEllipse, InsideFrameWidePenStaysInTheBox) {
  TQtImageCanvas canvas(30, 30);
  canvas.Pen().SetStyle(TPenStyle::psInsideFrame);
  canvas.Pen().SetWidth(4);
  canvas.Brush().SetColor(clRed);
  canvas.Ellipse({3, 3, 25, 21});
  EXPECT_EQ(InkBox(canvas.Image()), QRect(3, 3, 22, 18)) << Picture(canvas.Image());
  EXPECT_TRUE(IsColor(canvas.Image(), 14, 12, Red));
}

TEST(QtCanvasRoundRect, SpansItsBoxWithRoundedCorners) {
  TQtImageCanvas canvas(30, 24);
  canvas.Brush().SetColor(clRed);
  canvas.RoundRect({2, 2, 26, 20}, 10, 8);
  const QImage& im = canvas.Image();
  EXPECT_EQ(InkBox(im), QRect(2, 2, 24, 18)) << Picture(im);
  EXPECT_TRUE(IsWhite(im, 2, 2));
  EXPECT_TRUE(IsColor(im, 2, 11, Black));
  EXPECT_TRUE(IsColor(im, 14, 2, Black));
  ExpectOutlineEnclosesFill(im);
}

TEST(QtCanvasPolyline, LeavesOutTheLastPixel) {
  TQtImageCanvas canvas(12, 12);
  const TPoint points[] = {{2, 2}, {9, 2}, {9, 9}};
  canvas.Polyline(points, 3);
  const QImage& im = canvas.Image();
  EXPECT_TRUE(IsColor(im, 2, 2, Black));
  EXPECT_TRUE(IsColor(im, 9, 2, Black));
  EXPECT_TRUE(IsColor(im, 9, 8, Black));
  EXPECT_TRUE(IsWhite(im, 9, 9)) << Picture(im);
  EXPECT_EQ(CountColor(im, Black), 7 + 7);
}

TEST(QtCanvasPolygon, OutlineRunsThroughEveryVertex) {
  TQtImageCanvas canvas(14, 14);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  const TPoint points[] = {{2, 2}, {10, 2}, {10, 10}, {2, 10}};
  canvas.Polygon(points, 4);
  EXPECT_EQ(InkBox(canvas.Image()), QRect(2, 2, 9, 9)) << Picture(canvas.Image());
  EXPECT_EQ(CountColor(canvas.Image(), Black), 4 * 8);
}

// A repaint of part of the window draws the part of a polygon it holds with
// the pixels a repaint of the whole window gives them, whichever polygon
// edges the smaller buffer cuts.
TEST(QtCanvasPolygon, APartialBufferHoldsThePixelsOfTheWholeOne) {
  const TPoint points[] = {{40, 40}, {120, 40}, {120, 100}, {40, 100}, {70, 70}};
  TQtImageCanvas whole(200, 160);
  whole.Brush().SetStyle(TBrushStyle::bsClear);
  whole.Polygon(points, 5);
  for (const QPoint origin : {QPoint(42, 60), QPoint(117, 61), QPoint(60, 95), QPoint(30, 30)}) {
    TQtImageCanvas part(60, 50);
    part.SetViewMapping(100, {-origin.x(), -origin.y()});
    part.Brush().SetStyle(TBrushStyle::bsClear);
    part.Polygon(points, 5);
    const QImage expected = whole.Image().copy(QRect(origin, part.Image().size()));
    EXPECT_TRUE(part.Image() == expected) << "buffer at " << origin.x() << "," << origin.y() << "\n"
                                          << Picture(part.Image()) << "\n"
                                          << Picture(expected);
  }
}

// Names a case after its image format, "Format_RGB32".
std::string FormatName(const testing::TestParamInfo<QImage::Format>& info) {
  return QMetaEnum::fromType<QImage::Format>().valueToKey(info.param);
}

class PolygonFillMode : public testing::TestWithParam<TFillMode> {};

TEST_P(PolygonFillMode, StarCentreFollowsTheFillRule) {
  TQtImageCanvas canvas(41, 41);
  canvas.Pen().SetStyle(TPenStyle::psClear);
  canvas.Brush().SetColor(clBlack);
  canvas.SetPolyFillMode(GetParam());
  TPoint star[5];
  for (int k = 0; k < 5; ++k) {
    const double a = (-90 + k * 144) * M_PI / 180;
    star[k] = {int32_t(std::lround(20 + 18 * std::cos(a))), int32_t(std::lround(20 + 18 * std::sin(a)))};
  }
  canvas.Polygon(star, 5);
  const bool filledCentre = !IsWhite(canvas.Image(), 20, 20);
  EXPECT_EQ(filledCentre, GetParam() == TFillMode::fmWinding) << Picture(canvas.Image());
  EXPECT_FALSE(IsWhite(canvas.Image(), 20, 6));  // a tip is filled either way
}

INSTANTIATE_TEST_SUITE_P(Modes, PolygonFillMode,
                         testing::Values(TFillMode::fmAlternate, TFillMode::fmWinding), [](const auto& info) {
                           return std::string(info.param == TFillMode::fmAlternate ? "Alternate" : "Winding");
                         });

// A test background where every pixel differs from its neighbours.
QImage Pattern(int w, int h, QImage::Format format) {
  QImage image(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x * y) % 256));
  return image;
}

class InvertingPen : public testing::TestWithParam<QImage::Format> {};

void DrawSelectionBandAndDragLine(TCanvas& canvas, TPenMode mode) {
  canvas.Pen().SetMode(mode);
  canvas.Pen().SetStyle(TPenStyle::psDot);
  canvas.Pen().SetWidth(0);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Rectangle({3, 3, 30, 20});
  const TPoint line[] = {{1, 25}, {20, 28}, {38, 22}, {30, 27}};  // apart from the band
  canvas.Polyline(line, 3);
}

int ChangedPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

TEST_P(InvertingPen, InvertsEachCoveredPixelOnceAndTwiceRestores) {
  TQtImageCanvas reference(40, 30);
  DrawSelectionBandAndDragLine(reference, TPenMode::pmCopy);
  const int covered = CountColor(reference.Image(), Black);

  QImage image = Pattern(40, 30, GetParam());
  const QImage original = image.copy();
  {
    TQtCanvas canvas(&image);
    DrawSelectionBandAndDragLine(canvas, TPenMode::pmNot);
    EXPECT_EQ(ChangedPixels(image, original), covered);
    const QRgb before = original.pixel(3, 3), after = image.pixel(3, 3);
    EXPECT_EQ(after & 0xFFFFFF, ~before & 0xFFFFFF);
    EXPECT_EQ(qAlpha(after), 255);
    DrawSelectionBandAndDragLine(canvas, TPenMode::pmNot);
  }
  EXPECT_EQ(image, original);
}

INSTANTIATE_TEST_SUITE_P(Formats, InvertingPen,
                         testing::Values(QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied),
                         FormatName);

TEST(QtCanvasPenMode, XorTouchesEachPixelOnceWithPenAndBrushColours) {
  QImage image = Pattern(30, 30, QImage::Format_RGB32);
  const QImage original = image.copy();
  TQtCanvas canvas(&image);
  canvas.Pen().SetMode(TPenMode::pmXor);
  canvas.Pen().SetColor(0x0000FF);
  canvas.Brush().SetColor(0x00FF00);
  canvas.Rectangle({4, 4, 20, 16});
  auto x = [&](int px, int py) { return (image.pixel(px, py) ^ original.pixel(px, py)) & 0xFFFFFF; };
  EXPECT_EQ(x(4, 10), 0xFF0000u);  // pen: red in QRgb order
  EXPECT_EQ(x(19, 15), 0xFF0000u);
  EXPECT_EQ(x(10, 10), 0x00FF00u);  // brush
  EXPECT_EQ(x(20, 10), 0u);
  canvas.Rectangle({4, 4, 20, 16});
  EXPECT_EQ(image, original);
}

TEST(QtCanvasPenMode, WidePenWithBrushInvertsEveryPixelOnce) {
  QImage image = Pattern(40, 40, QImage::Format_RGB32);
  const QImage original = image.copy();
  TQtCanvas canvas(&image);
  canvas.Pen().SetMode(TPenMode::pmNot);
  canvas.Pen().SetWidth(5);
  canvas.Ellipse({4, 4, 36, 30});
  TQtImageCanvas reference(40, 40);
  reference.Pen().SetWidth(5);
  reference.Brush().SetColor(clBlack);
  reference.Ellipse({4, 4, 36, 30});
  EXPECT_EQ(ChangedPixels(image, original), CountColor(reference.Image(), Black));
}

TEST(QtCanvasPenMode, NopDrawsNothing) {
  TQtImageCanvas canvas(20, 20);
  canvas.Pen().SetMode(TPenMode::pmNop);
  canvas.Rectangle({2, 2, 10, 10});
  EXPECT_TRUE(InkBox(canvas.Image()).isEmpty());
}

class SetPixelFormat : public testing::TestWithParam<QImage::Format> {};

TEST_P(SetPixelFormat, SetsOneDevicePixelAtTheMappedPoint) {
  QImage image(40, 40, GetParam());
  image.fill(Qt::white);
  {
    TQtCanvas canvas(&image);
    canvas.SetViewMapping(200, {5, 7});
    canvas.SetPixel(3, 4, clRed);
    canvas.SaveState();
    canvas.IntersectClipRect({0, 0, 2, 2});
    canvas.SetPixel(6, 6, clRed);  // outside the clip
    canvas.RestoreState();
  }
  EXPECT_TRUE(IsColor(image, 11, 15, Red));
  EXPECT_EQ(InkBox(image), QRect(11, 15, 1, 1));
}

INSTANTIATE_TEST_SUITE_P(Formats, SetPixelFormat, testing::Values(QImage::Format_RGB32, QImage::Format_RGB16),
                         FormatName);

TEST(QtCanvasSetPixel, RespectsARegionClip) {
  TQtImageCanvas canvas(20, 20);
  canvas.IntersectClipRegion(TRegion::Ellipse({0, 0, 20, 20}));
  canvas.SetPixel(0, 0, clRed);
  canvas.SetPixel(10, 10, clRed);
  EXPECT_EQ(InkBox(canvas.Image()), QRect(10, 10, 1, 1));
}

struct TClipCase {
  const char* Name;
  int32_t Zoom;
  TPoint Origin;
  TRegion Region;
};

TPoints Star() {
  TPoints star;
  for (int k = 0; k < 5; ++k) {
    const double a = (-90 + k * 144) * M_PI / 180;
    star.push_back(
        {int32_t(std::lround(15 + 14 * std::cos(a))), int32_t(std::lround(15 + 14 * std::sin(a)))});
  }
  return star;
}

void PrintTo(const TClipCase& c, std::ostream* os) { *os << c.Name; }
void PrintTo(const TBoxCase& c, std::ostream* os) { *os << c.Name; }

class ClipRegion : public testing::TestWithParam<TClipCase> {};

// The clip path covers exactly the pixels the library's region holds, so
// what is drawn matches what hit testing sees.
TEST_P(ClipRegion, PaintsExactlyThePixelsOfTheRegion) {
  const TClipCase& c = GetParam();
  TQtImageCanvas canvas(64, 64);
  canvas.SetViewMapping(c.Zoom, c.Origin);
  canvas.Brush().SetColor(clBlack);
  canvas.IntersectClipRegion(c.Region);
  canvas.FillRect({-100, -100, 100, 100});
  const double s = c.Zoom / 100.0;
  const TRegion device = c.Region.Transformed(s, s, c.Origin.X, c.Origin.Y);
  int mismatches = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) mismatches += device.ContainsPoint({x, y}) == IsWhite(canvas.Image(), x, y);
  EXPECT_EQ(mismatches, 0) << Picture(canvas.Image());
}

INSTANTIATE_TEST_SUITE_P(
    Regions, ClipRegion,
    testing::Values(TClipCase{"Ellipse", 100, {}, TRegion::Ellipse({3, 5, 40, 30})},
                    TClipCase{"EllipseZoomed", 150, {4, -3}, TRegion::Ellipse({3, 5, 30, 30})},
                    TClipCase{"EllipseBeyondTheDevice", 100, {}, TRegion::Ellipse({-30, -10, 81, 90})},
                    TClipCase{"RoundRect", 100, {}, TRegion::RoundRect({2, 2, 50, 40}, 20, 14)},
                    TClipCase{"RoundRectOddZoom", 137, {-2, 3}, TRegion::RoundRect({2, 2, 41, 37}, 15, 9)},
                    TClipCase{"StarAlternate", 200, {1, 1}, TRegion::Polygon(Star(), TFillMode::fmAlternate)},
                    TClipCase{"StarWinding", 200, {1, 1}, TRegion::Polygon(Star(), TFillMode::fmWinding)}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(QtCanvasPainter, DrawsInTheSpaceThePainterWasIn) {
  QImage image(30, 30, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(5, 6);
  {
    TQtCanvas canvas(&painter);
    canvas.Rectangle({0, 0, 4, 4});
    canvas.SetPixel(10, 10, clRed);
    EXPECT_EQ(canvas.ClipRect(), TRect(-5, -6, 25, 24));
  }
  painter.end();
  EXPECT_EQ(CountColor(image, Black), 12);
  EXPECT_TRUE(IsColor(image, 5, 6, Black));
  EXPECT_TRUE(IsColor(image, 8, 9, Black));
  EXPECT_TRUE(IsColor(image, 15, 16, Red));
}

TEST(QtCanvasClip, ClipRectIsTheDeviceInLogicalUnitsUntilClipped) {
  TQtImageCanvas canvas(40, 30);
  canvas.SetViewMapping(200, {10, 0});
  EXPECT_EQ(canvas.ClipRect(), TRect(-5, 0, 15, 15));
  canvas.SaveState();
  canvas.IntersectClipRect({0, 0, 5, 5});
  canvas.IntersectClipRect({2, -10, 50, 50});
  EXPECT_EQ(canvas.ClipRect(), TRect(2, 0, 5, 5));
  canvas.RestoreState();
  EXPECT_EQ(canvas.ClipRect(), TRect(-5, 0, 15, 15));
}

TEST(QtCanvasClip, ClipRectRoundsOutwardToWholeLogicalUnits) {
  TQtImageCanvas canvas(41, 41);
  canvas.SetViewMapping(200, {});
  EXPECT_EQ(canvas.ClipRect(), TRect(0, 0, 21, 21));
}

TEST(QtCanvasState, RestoreBringsBackToolsMappingAndClip) {
  TQtImageCanvas canvas(20, 20);
  canvas.SaveState();
  canvas.Pen().SetColor(clRed);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.SetViewMapping(300, {1, 1});
  canvas.IntersectClipRect({0, 0, 1, 1});
  canvas.RestoreState();
  EXPECT_EQ(canvas.Pen().Color(), clBlack);
  EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(canvas.Zoom(), 100);
  canvas.Rectangle({0, 0, 20, 20});
  EXPECT_EQ(InkBox(canvas.Image()), QRect(0, 0, 20, 20));
  canvas.RestoreState();  // unbalanced: ignored
}

TEST(QtCanvasHatch, HatchedBrushLeavesGapsAndClearBrushPaintsNothing) {
  TQtImageCanvas canvas(32, 32);
  canvas.Brush().SetStyle(TBrushStyle::bsHorizontal);
  canvas.Brush().SetColor(clBlack);
  canvas.FillRect({0, 0, 32, 32});
  const int black = CountColor(canvas.Image(), Black);
  EXPECT_GT(black, 0);
  EXPECT_LT(black, 32 * 32 / 4);
  // Each row is either a full hatch line or empty.
  for (int y = 0; y < 32; ++y) {
    int n = 0;
    for (int x = 0; x < 32; ++x) n += IsColor(canvas.Image(), x, y, Black);
    EXPECT_TRUE(n == 0 || n == 32) << "row " << y;
  }
  TQtImageCanvas clear(8, 8);
  clear.Brush().SetStyle(TBrushStyle::bsClear);
  clear.FillRect({0, 0, 8, 8});
  EXPECT_TRUE(InkBox(clear.Image()).isEmpty());
}

TEST(QtCanvasColors, SystemColoursComeFromTheApplicationPalette) {
  TQtImageCanvas canvas(1, 1);
  const QPalette palette = QGuiApplication::palette();
  EXPECT_EQ(canvas.ColorToRGB(clWindow), TQtCanvas::FromQColor(palette.color(QPalette::Base)));
  EXPECT_EQ(canvas.ColorToRGB(clWindowText), TQtCanvas::FromQColor(palette.color(QPalette::Text)));
  EXPECT_EQ(canvas.ColorToRGB(clHighlight), TQtCanvas::FromQColor(palette.color(QPalette::Highlight)));
  EXPECT_EQ(canvas.ColorToRGB(clBtnFace), TQtCanvas::FromQColor(palette.color(QPalette::Button)));
  EXPECT_EQ(canvas.ColorToRGB(0x00123456), 0x00123456u);
}

TEST(QtCanvasColors, SystemColourDrawsInThePaletteColour) {
  TQtImageCanvas canvas(4, 4);
  canvas.Brush().SetColor(clHighlight);
  canvas.FillRect({0, 0, 4, 4});
  EXPECT_EQ(QColor(canvas.Image().pixel(1, 1)), QGuiApplication::palette().color(QPalette::Highlight));
}

}  // namespace
}  // namespace gc::qt::test
