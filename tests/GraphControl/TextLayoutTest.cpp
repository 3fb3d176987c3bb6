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
// WrapText

struct WrapCase {
  const char* Name;
  std::string Text;
  int32_t Chars;  // the width, in characters
  std::string Expected;
};

class WrapTextTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTextTest, Wraps) {
  TRecordingCanvas canvas;
  const WrapCase& c = GetParam();
  EXPECT_EQ(WrapText(canvas, c.Text, c.Chars * W), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTextTest,
    ::testing::Values(WrapCase{"BreaksAtSpace", "alpha beta", 7, "alpha\r\nbeta"},
                      WrapCase{"FitsOnOneLine", "alpha beta", 10, "alpha beta"},
                      WrapCase{"LongWordBreaksInside", "abcdefghij", 4, "abcd\r\nefgh\r\nij"},
                      WrapCase{"BreaksAfterHyphen", "a-b", 2, "a-\r\nb"},
                      WrapCase{"BreaksAfterSlash", "x/yz", 3, "x/\r\nyz"},
                      WrapCase{"BreakCharsOnly", "ab,cd", 4, "ab,\r\ncd"},
                      WrapCase{"OverflowAtSpaceEndsLine", "abc def", 3, "abc\r\ndef"},
                      WrapCase{"OverflowAtTab", "abc\tdef", 3, "abc\r\ndef"},
                      WrapCase{"TabIsBreakChar", "ab\tcd", 3, "ab\r\ncd"},
                      WrapCase{"LeadingAndTrailingBlanksGo", "  \tab   ", 10, "ab"},
                      WrapCase{"InnerBlanksStay", "a  b", 10, "a  b"},
                      WrapCase{"CrLfIsOneBreak", "a\r\nb", 10, "a\r\nb"},
                      WrapCase{"LfCrIsOneBreak", "a\n\rb", 10, "a\r\nb"},
                      WrapCase{"LoneLf", "a\nb", 10, "a\r\nb"}, WrapCase{"LoneCr", "a\rb", 10, "a\r\nb"},
                      WrapCase{"CrCrIsTwoBreaks", "a\r\rb", 10, "a\r\n\r\nb"},
                      WrapCase{"LfLfIsTwoBreaks", "a\n\nb", 10, "a\r\n\r\nb"},
                      WrapCase{"TrailingBreakKept", "abc\r\n", 10, "abc\r\n"},
                      WrapCase{"TrailingLfBecomesCrLf", "abc\n", 10, "abc\r\n"},
                      WrapCase{"BlanksAfterBreakSkipped", "a\n   b", 10, "a\r\nb"},
                      WrapCase{"ZeroWidthTakesOneCharPerLine", "abc", 0, "a\r\nb\r\nc"},
                      WrapCase{"EmptyText", "", 5, ""}, WrapCase{"OnlyBlanks", "   ", 5, ""},
                      WrapCase{"MultiByteCountsAsOneChar", "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4", 2,
                               "\xC3\xA4\xC3\xA4\r\n\xC3\xA4\xC3\xA4"},
                      WrapCase{"ThreeByteChars", "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC x", 3,
                               "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\r\nx"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(WrapText, MeasuresWithTheCanvasMetrics) {
  TRecordingCanvas canvas;
  canvas.CharWidth = 10;
  // 42 units now hold four characters: "alpha" is broken inside the word and
  // the following "a" ends at the space.
  EXPECT_EQ(WrapText(canvas, "alpha beta", 7 * W), "alph\r\na\r\nbeta");
  EXPECT_EQ(WrapText(canvas, "abcdefghij", 4 * W), "ab\r\ncd\r\nef\r\ngh\r\nij");
}

// ---------------------------------------------------------------------------
// FitText

TEST(FitText, TextThatFitsIsOnlyWrapped) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "alpha beta", {0, 0, 7 * W, 2 * H}), "alpha\r\nbeta");
}

TEST(FitText, FirstLineTooTallGivesEmptyText) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "alpha beta", {0, 0, 100, H - 1}), "");
}

TEST(FitText, CutLinesEndWithEllipsisCharacter) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "alpha beta gamma", {0, 0, 7 * W, 2 * H}), "alpha\r\nbeta\xE2\x80\xA6");
}

TEST(FitText, LastLineShortenedUntilEllipsisFits) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "abcdefgh ijk", {0, 0, 7 * W, H}), "abcdef\xE2\x80\xA6");
  canvas.EllipsisGlyph = false;
  EXPECT_EQ(FitText(canvas, "abcdefgh ijk", {0, 0, 7 * W, H}), "abcd...");
}

TEST(FitText, EllipsisAloneWhenNothingElseFits) {
  TRecordingCanvas canvas;
  canvas.EllipsisGlyph = false;
  EXPECT_EQ(FitText(canvas, "abcdef", {0, 0, 2 * W, H}), "...");
}

TEST(FitText, DropsEmptyLinesBeforeTheCut) {
  TRecordingCanvas canvas;
  EXPECT_EQ(FitText(canvas, "a\n\nb", {0, 0, 10 * W, 2 * H}), "a\xE2\x80\xA6");
}

TEST(FitText, ShortensByWholeCharacters) {
  TRecordingCanvas canvas;
  const std::string ae = "\xC3\xA4";
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += ae;
  const std::string result = FitText(canvas, eight + " x", {0, 0, 7 * W, H});
  EXPECT_EQ(result, ae + ae + ae + ae + ae + ae + "\xE2\x80\xA6");
  EXPECT_EQ(Utf8Boundaries(result).size(), 8u);  // 7 well-formed characters
}

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
