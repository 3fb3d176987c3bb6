// The Qt canvas paints grid-aligned rectangles and lines of text it has
// drawn before by shortcuts. Each must leave exactly the pixels of the
// general way: the same scene is painted with and without the shortcuts and
// the two images compared.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Region.h"
#include "platform/qt/QtCanvas.h"

namespace gc::qt::test {
namespace {

// Restores the shortcuts when a test ends.
struct TShortcuts {
  explicit TShortcuts(bool enabled) { TQtCanvas::SetPaintingShortcuts(enabled); }
  ~TShortcuts() { TQtCanvas::SetPaintingShortcuts(true); }
};

QImage Paint(bool shortcuts, const std::function<void(TQtCanvas&)>& scene) {
  TShortcuts use(shortcuts);
  QImage image(160, 120, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    TQtCanvas canvas(&image);
    scene(canvas);
  }
  return image;
}

void ExpectSamePixels(const std::function<void(TQtCanvas&)>& scene) {
  const QImage general = Paint(false, scene);
  const QImage shortcut = Paint(true, scene);
  ASSERT_EQ(general.size(), shortcut.size());
  int differing = 0;
  for (int y = 0; y < general.height(); ++y)
    for (int x = 0; x < general.width(); ++x) differing += general.pixel(x, y) != shortcut.pixel(x, y);
  EXPECT_EQ(differing, 0);
}

struct TRectangleCase {
  const char* Name;
  int32_t Zoom;
  TPenMode Mode;
  TPenStyle PenStyle;
  TBrushStyle BrushStyle;
  int Clip;  // 0 none, 1 a rectangle, 2 an ellipse
};

class RectangleShortcut : public testing::TestWithParam<TRectangleCase> {};

// Random rectangles, some reaching past the image or thin as a line, drawn
// as polygons with their vertices in both turning orders.
TEST_P(RectangleShortcut, PaintsThePixelsOfThePolygon) {
  const TRectangleCase& c = GetParam();
  std::mt19937 random(17);
  auto coordinate = [&](int limit) { return static_cast<int32_t>(random() % (limit + 60)) - 30; };
  std::vector<std::vector<TPoint>> shapes;
  for (int i = 0; i < 40; ++i) {
    const int32_t l = coordinate(160), t = coordinate(120);
    const int32_t r = l + static_cast<int32_t>(random() % 50), b = t + static_cast<int32_t>(random() % 30);
    if (i % 2)
      shapes.push_back({{l, t}, {r, t}, {r, b}, {l, b}});
    else
      shapes.push_back({{r, b}, {r, t}, {l, t}, {l, b}});
  }
  ExpectSamePixels([&](TQtCanvas& canvas) {
    canvas.SetViewMapping(c.Zoom, {3, -2});
    if (c.Clip == 1) canvas.IntersectClipRect({20, 15, 110, 90});
    if (c.Clip == 2) canvas.IntersectClipRegion(TRegion::Ellipse({10, 5, 120, 100}));
    canvas.Pen().SetMode(c.Mode);
    canvas.Pen().SetStyle(c.PenStyle);
    canvas.Brush().SetStyle(c.BrushStyle);
    for (size_t i = 0; i < shapes.size(); ++i) {
      canvas.Pen().SetColor(static_cast<TColor>(0x102030 * (i + 1)) & 0xFFFFFF);
      canvas.Brush().SetColor(static_cast<TColor>(0x405060 + 0x0A0B0C * i) & 0xFFFFFF);
      canvas.Polygon(shapes[i].data(), 4);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RectangleShortcut,
    testing::Values(
        TRectangleCase{"Plain", 100, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsSolid, 0},
        TRectangleCase{"Zoomed", 137, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsSolid, 0},
        TRectangleCase{"ZoomedOut", 33, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsSolid, 0},
        TRectangleCase{"ClearBrush", 100, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsClear, 0},
        TRectangleCase{"InsideFrame", 100, TPenMode::pmCopy, TPenStyle::psInsideFrame, TBrushStyle::bsSolid,
                       0},
        TRectangleCase{"NotCopy", 100, TPenMode::pmNotCopy, TPenStyle::psSolid, TBrushStyle::bsSolid, 0},
        TRectangleCase{"Inverting", 100, TPenMode::pmNot, TPenStyle::psSolid, TBrushStyle::bsSolid, 0},
        TRectangleCase{"Dashed", 100, TPenMode::pmCopy, TPenStyle::psDot, TBrushStyle::bsSolid, 0},
        TRectangleCase{"Hatched", 100, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsCross, 0},
        TRectangleCase{"ClipRect", 100, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsSolid, 1},
        TRectangleCase{"ClipEllipse", 120, TPenMode::pmCopy, TPenStyle::psSolid, TBrushStyle::bsSolid, 2}),
    [](const testing::TestParamInfo<TRectangleCase>& info) { return info.param.Name; });

struct TTextCase {
  const char* Name;
  int32_t Zoom;
  const char* Font;
  TFontStyles Style;
  int32_t Orientation;  // tenths of a degree, for TextOut
  TBackgroundMode Background;
};

class TextShortcut : public testing::TestWithParam<TTextCase> {};

// Each line is drawn three times at different places, so that the later
// draws come from the shaped lines the first ones left.
TEST_P(TextShortcut, PaintsThePixelsOfTheShapedText) {
  const TTextCase& c = GetParam();
  const std::vector<std::string> lines = {"Node 12345",
                                          "Nod\xE2\x80\xA6",
                                          "office ffi",
                                          "Gr\xC3\xB6\xC3\x9F"
                                          "e",
                                          "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D abc",
                                          "\xE6\xBC\xA2\xE5\xAD\x97 Node",
                                          "e\xCC\x81t\xC3\xA9",
                                          "a\tb"};
  ExpectSamePixels([&](TQtCanvas& canvas) {
    canvas.SetViewMapping(c.Zoom, {1, 2});
    canvas.Font().SetName(c.Font);
    canvas.Font().SetHeight(-13);
    canvas.Font().SetStyle(c.Style);
    canvas.Font().SetOrientation(c.Orientation);
    canvas.Font().SetColor(0x203040);
    canvas.Brush().SetColor(0xC0E0F0);
    canvas.SetBackgroundMode(c.Background);
    canvas.SetTextAlign(ta::Bottom | ta::Center);
    for (int round = 0; round < 3; ++round)
      for (size_t i = 0; i < lines.size(); ++i) {
        const int32_t x = 5 + round * 7, y = 4 + static_cast<int32_t>(i) * 14 + round;
        std::string text = lines[i];
        TRect r{x, y, x + 150, y + 14};
        if (c.Orientation)
          canvas.TextOut(x + 60, y + 12, text);
        else
          canvas.DrawText(text, r, dt::NoClip | dt::NoPrefix);
      }
  });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextShortcut,
    testing::Values(TTextCase{"Plain", 100, "Arial", 0, 0, TBackgroundMode::Transparent},
                    TTextCase{"Ligatures", 100, "DejaVu Sans", fsBold, 0, TBackgroundMode::Transparent},
                    TTextCase{"Zoomed", 137, "Arial", fsItalic, 0, TBackgroundMode::Transparent},
                    TTextCase{"ZoomedOut", 21, "DejaVu Serif", 0, 0, TBackgroundMode::Transparent},
                    TTextCase{"Opaque", 100, "Arial", 0, 0, TBackgroundMode::Opaque},
                    TTextCase{"Underlined", 110, "Arial", fsUnderline | fsStrikeOut, 0,
                              TBackgroundMode::Transparent},
                    TTextCase{"Rotated", 100, "Arial", 0, 300, TBackgroundMode::Transparent},
                    TTextCase{"RotatedZoomed", 150, "DejaVu Sans", 0, -450, TBackgroundMode::Transparent}),
    [](const testing::TestParamInfo<TTextCase>& info) { return info.param.Name; });

}  // namespace
}  // namespace gc::qt::test
