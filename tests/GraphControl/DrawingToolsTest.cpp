#include "GraphControl/DrawingTools.h"

#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "support/CaseName.h"
#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

// ---------------------------------------------------------------------------
// Font size and height at 96 pixels per inch

struct SizeCase {
  int32_t Height, Points;
};

class FontSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FontSizeTest, HeightGivesPoints) {
  TFont font;
  font.SetHeight(GetParam().Height);
  EXPECT_EQ(font.Size(), GetParam().Points);
}

INSTANTIATE_TEST_SUITE_P(Heights, FontSizeTest,
                         ::testing::Values(SizeCase{-13, 10}, SizeCase{-11, 8}, SizeCase{-16, 12},
                                           SizeCase{-12, 9}, SizeCase{-32, 24}, SizeCase{0, 0},
                                           SizeCase{13, -10}),
                         [](const auto& info) { return "Height" + test::NumberName(info.param.Height); });

TEST(FontSize, SetSizeStoresTheHeightAndNotifiesOnlyOnChange) {
  TFont font;
  int changes = 0;
  font.OnChange = [&] { ++changes; };
  font.SetSize(10);
  EXPECT_EQ(font.Height(), -13);
  EXPECT_EQ(changes, 1);
  font.SetSize(10);
  EXPECT_EQ(changes, 1);
  font.SetSize(8);
  EXPECT_EQ(font.Height(), -11);
  font.SetSize(72);
  EXPECT_EQ(font.Height(), -96);
  EXPECT_EQ(font.Size(), 72);
}

// ---------------------------------------------------------------------------
// Canvas view mapping, colours and saved state

TEST(CanvasMapping, LogicalToDeviceRoundsHalvesToEvenBeforeAddingTheOrigin) {
  TRecordingCanvas canvas;
  canvas.SetViewMapping(150, {10, 20});
  EXPECT_EQ(canvas.LogicalToDevice({3, 1}), TPoint(14, 22));   // 4.5 -> 4, 1.5 -> 2
  EXPECT_EQ(canvas.LogicalToDevice({5, -3}), TPoint(18, 16));  // 7.5 -> 8, -4.5 -> -4
  EXPECT_EQ(canvas.DeviceToLogical({14, 22}), TPoint(3, 1));   // 2.67 -> 3, 1.33 -> 1
  canvas.SetViewMapping(100, {0, 0});
  EXPECT_EQ(canvas.LogicalToDevice({-7, 9}), TPoint(-7, 9));
}

TEST(CanvasMapping, RoundTripsAtEveryZoomAtLeastOneHundred) {
  TRecordingCanvas canvas;
  for (int32_t zoom : {100, 125, 150, 300, 36863}) {
    canvas.SetViewMapping(zoom, {-33, 7});
    for (int32_t v = -50; v <= 50; v += 7)
      EXPECT_EQ(canvas.DeviceToLogical(canvas.LogicalToDevice({v, -v})), TPoint(v, -v));
  }
}

struct ColorCase {
  const char* Name;
  TColor In, Out;
};

class ColorToRGBTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ColorToRGBTest, ResolvesSystemColoursOnly) {
  TRecordingCanvas canvas;
  EXPECT_EQ(canvas.ColorToRGB(GetParam().In), GetParam().Out);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ColorToRGBTest,
    ::testing::Values(ColorCase{"Red", clRed, clRed}, ColorCase{"Rgb", 0x123456, 0x123456},
                      ColorCase{"Window", clWindow, clWhite}, ColorCase{"WindowText", clWindowText, clBlack},
                      ColorCase{"BtnFace", clBtnFace, 0xC8D0D4}, ColorCase{"InfoBk", clInfoBk, 0xE1FFFF},
                      ColorCase{"Highlight", clHighlight, 0x6A240A}, ColorCase{"None", clNone, clWhite},
                      ColorCase{"Default", clDefault, clBlack},
                      ColorCase{"UnknownSystemColour", 0xFF0000FF, clBlack}),
    test::TCaseName());

TEST(CanvasState, RestoreBringsBackToolsModesAndMapping) {
  TRecordingCanvas canvas;
  canvas.Pen().SetColor(clRed);
  canvas.SetViewMapping(200, {1, 2});
  canvas.SaveState();
  canvas.Pen().SetColor(clBlue);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Font().SetHeight(-40);
  canvas.SetTextAlign(ta::Center);
  canvas.SetPolyFillMode(TFillMode::fmWinding);
  canvas.SetViewMapping(50, {9, 9});
  canvas.IntersectClipRect({0, 0, 5, 5});
  canvas.RestoreState();
  EXPECT_EQ(canvas.Pen().Color(), clRed);
  EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsSolid);
  EXPECT_EQ(canvas.Font().Height(), -11);
  EXPECT_EQ(canvas.TextAlign(), ta::Left);
  EXPECT_EQ(canvas.PolyFillMode(), TFillMode::fmAlternate);
  EXPECT_EQ(canvas.Zoom(), 200);
  EXPECT_EQ(canvas.ViewportOrigin(), TPoint(1, 2));
  EXPECT_NE(canvas.ClipRect(), TRect(0, 0, 5, 5));
}

TEST(RecordingCanvas, SnapshotsToolsAtTheTimeOfEachCall) {
  TRecordingCanvas canvas;
  canvas.Pen().SetColor(clRed);
  canvas.Rectangle({0, 0, 5, 5});
  canvas.Pen().SetColor(clBlue);
  canvas.Pen().SetWidth(3);
  const TPoint pts[] = {{0, 0}, {4, 4}};
  canvas.Polyline(pts, 2);
  ASSERT_EQ(canvas.Calls.size(), 2u);
  EXPECT_EQ(canvas.Calls[0].Pen.Color(), clRed);
  EXPECT_EQ(canvas.Calls[1].Pen.Color(), clBlue);
  EXPECT_EQ(canvas.Calls[1].Pen.Width(), 3);
  EXPECT_EQ(canvas.Calls[1].Points, (TPoints{{0, 0}, {4, 4}}));
}

}  // namespace
}  // namespace gc
