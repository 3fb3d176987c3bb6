#include <gtest/gtest.h>

#include <string>

#include "GraphControl/Geometry.h"
#include "GraphControl/Utf8.h"
#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

// Every character of the recording canvas is 6 units wide and 13 high.
constexpr int32_t W = 6;
constexpr int32_t H = 13;

// ---------------------------------------------------------------------------
// TCanvas::DrawText

using Kind = TRecordingCanvas::TCallKind;

struct Line {
  int32_t X, Y;
  std::string Text;
  friend bool operator==(const Line&, const Line&) = default;
  friend void PrintTo(const Line& l, std::ostream* os) {
    *os << "(" << l.X << "," << l.Y << ",\"" << l.Text << "\")";
  }
};

std::vector<Line> DrawnLines(const TRecordingCanvas& canvas) {
  std::vector<Line> lines;
  for (const auto& c : canvas.CallsOf(Kind::TextLine))
    lines.push_back({c.Points[0].X, c.Points[0].Y, c.Text});
  return lines;
}

TEST(DrawText, SplitsOnEveryKindOfLineBreak) {
  TRecordingCanvas canvas;
  std::string text = "a\r\nb\nc\rd";
  TRect r{0, 0, 100, 100};
  EXPECT_EQ(canvas.DrawText(text, r, dt::Left), 4 * H);
  EXPECT_EQ(DrawnLines(canvas),
            (std::vector<Line>{{0, 0, "a"}, {0, H, "b"}, {0, 2 * H, "c"}, {0, 3 * H, "d"}}));
}

TEST(DrawText, WordBreakWrapsBetweenWordsAndKeepsLongWordsWhole) {
  TRecordingCanvas canvas;
  std::string text = "alpha beta gamma";
  TRect r{0, 0, 10 * W, 100};
  canvas.DrawText(text, r, dt::WordBreak);
  EXPECT_EQ(DrawnLines(canvas), (std::vector<Line>{{0, 0, "alpha beta"}, {0, H, "gamma"}}));

  TRecordingCanvas narrow;
  std::string longWord = "abcdefgh ij";
  TRect nr{0, 0, 3 * W, 100};
  narrow.DrawText(longWord, nr, dt::WordBreak);
  EXPECT_EQ(DrawnLines(narrow), (std::vector<Line>{{0, 0, "abcdefgh"}, {0, H, "ij"}}));
}

struct PlaceCase {
  const char* Name;
  uint32_t Flags;
  int32_t X, Y;
};

class DrawTextPlacementTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(DrawTextPlacementTest, PlacesTheBlockInTheRect) {
  const PlaceCase& c = GetParam();
  TRecordingCanvas canvas;
  std::string text = "abc";
  TRect r{10, 20, 70, 70};  // 60 wide, 50 high; the text is 18 x 13
  canvas.DrawText(text, r, c.Flags);
  EXPECT_EQ(DrawnLines(canvas), (std::vector<Line>{{c.X, c.Y, "abc"}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, DrawTextPlacementTest,
                         ::testing::Values(PlaceCase{"TopLeft", dt::Left | dt::Top, 10, 20},
                                           PlaceCase{"Center", dt::Center, 31, 20},
                                           PlaceCase{"Right", dt::Right, 52, 20},
                                           PlaceCase{"VCenter", dt::SingleLine | dt::VCenter, 10, 38},
                                           PlaceCase{"Bottom", dt::SingleLine | dt::Bottom, 10, 57},
                                           PlaceCase{"CenterBoth", dt::Center | dt::VCenter, 31, 38}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(DrawText, MultiLineBlockCentresAsAWholeWithLinesAlignedEach) {
  TRecordingCanvas canvas;
  std::string text = "abcd\nab";
  TRect r{0, 0, 60, 46};
  canvas.DrawText(text, r, dt::Center | dt::VCenter);
  EXPECT_EQ(DrawnLines(canvas), (std::vector<Line>{{18, 10, "abcd"}, {24, 23, "ab"}}));
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
  TRecordingCanvas canvas;
  std::string text = "alpha\nbe\n";
  TRect r{5, 7, 1000, 1000};
  EXPECT_EQ(canvas.DrawText(text, r, dt::CalcRect), 3 * H);
  EXPECT_EQ(r, TRect(5, 7, 5 + 5 * W, 7 + 3 * H));
  EXPECT_TRUE(canvas.Calls.empty());
  EXPECT_TRUE(canvas.Clips.empty());
}

TEST(DrawText, CalcRectWithWordBreakUsesTheWidth) {
  TRecordingCanvas canvas;
  std::string text = "alpha beta gamma";
  TRect r{0, 0, 11 * W, 0};
  EXPECT_EQ(canvas.DrawText(text, r, dt::CalcRect | dt::WordBreak), 2 * H);
  EXPECT_EQ(r, TRect(0, 0, 10 * W, 2 * H));
}

TEST(DrawText, SingleLineJoinsBreaks) {
  TRecordingCanvas canvas;
  std::string text = "a\r\nb";
  TRect r{0, 0, 100, 100};
  canvas.DrawText(text, r, dt::SingleLine | dt::WordBreak);
  EXPECT_EQ(DrawnLines(canvas), (std::vector<Line>{{0, 0, "a b"}}));
}

TEST(DrawText, EndEllipsisShortensAndModifyStringWritesBack) {
  TRecordingCanvas canvas;
  std::string text = "abcdefghij";
  TRect r{0, 0, 7 * W, H};
  canvas.DrawText(text, r, dt::SingleLine | dt::EndEllipsis);
  EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"abcdef\xE2\x80\xA6"}));
  EXPECT_EQ(text, "abcdefghij");

  canvas.EllipsisGlyph = false;
  canvas.DrawText(text, r, dt::SingleLine | dt::EndEllipsis | dt::ModifyString);
  EXPECT_EQ(text, "abcd...");
}

TEST(DrawText, EndEllipsisLeavesFittingTextAlone) {
  TRecordingCanvas canvas;
  std::string text = "abcdefg";
  TRect r{0, 0, 7 * W, H};
  canvas.DrawText(text, r, dt::EndEllipsis | dt::ModifyString);
  EXPECT_EQ(text, "abcdefg");
  EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"abcdefg"}));
}

TEST(DrawText, ClipsToTheRectUnlessNoClipAndRestoresTheClip) {
  TRecordingCanvas canvas;
  const TRect before = canvas.ClipRect();
  std::string text = "abc";
  TRect r{1, 2, 30, 40};
  canvas.DrawText(text, r, dt::Left);
  ASSERT_EQ(canvas.Clips.size(), 1u);
  EXPECT_EQ(canvas.Clips[0].Rect, r);
  EXPECT_EQ(canvas.ClipRect(), before);
  canvas.DrawText(text, r, dt::NoClip);
  EXPECT_EQ(canvas.Clips.size(), 1u);
  EXPECT_EQ(canvas.Texts().size(), 2u);
}

TEST(DrawText, LinesCarryTheCurrentFont) {
  TRecordingCanvas canvas;
  canvas.Font().SetColor(clRed);
  canvas.Font().SetStyle(fsBold);
  std::string text = "x";
  TRect r{0, 0, 10, 10};
  canvas.DrawText(text, r, dt::NoClip);
  ASSERT_EQ(canvas.Calls.size(), 1u);
  EXPECT_EQ(canvas.Calls[0].Font.Color(), clRed);
  EXPECT_EQ(canvas.Calls[0].Font.Style(), fsBold);
}

// ---------------------------------------------------------------------------
// The measuring canvas

class CompatibleCanvasTest : public ::testing::Test {
 protected:
  void TearDown() override { InstallMeasuringCanvas(nullptr); }
};

TEST_F(CompatibleCanvasTest, FallbackMeasuresHalfTheFontHeightPerCharacter) {
  InstallMeasuringCanvas(nullptr);
  auto canvas = CreateCompatibleCanvas();
  ASSERT_NE(canvas, nullptr);
  canvas->Font().SetHeight(-11);
  EXPECT_EQ(canvas->TextExtent("ab\xC3\xA4"), (TSize{15, 11}));
  canvas->Font().SetHeight(0);
  EXPECT_EQ(canvas->TextExtent("abcd"), (TSize{24, 13}));
  EXPECT_TRUE(canvas->HasGlyph(EllipsisCodePoint));
}

TEST_F(CompatibleCanvasTest, InstalledFactoryIsUsed) {
  InstallFixedWidthMeasurer();
  auto canvas = CreateCompatibleCanvas();
  EXPECT_NE(dynamic_cast<TRecordingCanvas*>(canvas.get()), nullptr);
  EXPECT_EQ(canvas->TextExtent("abc"), (TSize{3 * W, H}));
}

}  // namespace
}  // namespace gc
