#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "LinkTestFixture.h"
#include "support/CaseName.h"

namespace gc {
namespace {

using ::testing::ElementsAre;
using TCallKind = TRecordingCanvas::TCallKind;

using LinkDrawingTest = LinkTest;

// ---- Decorations ----------------------------------------------------------------------------------

struct TDecorationSizeCase {
  const char* Name;
  TLinkBeginEndStyle Style;
  int32_t Size;
  int32_t PenWidth;
  int32_t Expected;
};

class LinkDecorationSizeTest : public LinkTest, public ::testing::WithParamInterface<TDecorationSizeCase> {};

TEST_P(LinkDecorationSizeTest, GrowsWithTheSizeAndThePen) {
  const TDecorationSizeCase& c = GetParam();
  TGraphLink* link = NewLink({{0, 0}, {100, 0}});
  link->Pen().SetWidth(c.PenWidth);
  EXPECT_EQ(link->DecorationSize(c.Style, c.Size), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Styles, LinkDecorationSizeTest,
                         ::testing::Values(TDecorationSizeCase{"ArrowSize6Pen1", lsArrow, 6, 1, 14},
                                           TDecorationSizeCase{"ArrowSimpleSize6Pen1", lsArrowSimple, 6, 1,
                                                               14},
                                           TDecorationSizeCase{"ArrowSize6Pen3", lsArrow, 6, 3, 18},
                                           TDecorationSizeCase{"CircleSize6Pen1", lsCircle, 6, 1, 4},
                                           TDecorationSizeCase{"DiamondSize6Pen1", lsDiamond, 6, 1, 4},
                                           TDecorationSizeCase{"CircleSize6Pen2", lsCircle, 6, 2, 4},
                                           TDecorationSizeCase{"DiamondSize7Pen2", lsDiamond, 7, 2, 5},
                                           TDecorationSizeCase{"NoneSize6Pen1", lsNone, 6, 1, 0}),
                         test::TCaseName());

TEST_F(LinkDrawingTest, ArrowHeadIsFilledAndTheLineStopsAtItsNotch) {
  TGraphLink* link = NewLink({{0, 50}, {100, 50}});
  link->Pen().SetStyle(TPenStyle::psDash);
  TRecordingCanvas canvas;
  link->Draw(canvas);

  const auto polygons = canvas.CallsOf(TCallKind::Polygon);
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_THAT(polygons[0].Points,
              ElementsAre(TPoint{100, 50}, TPoint{87, 45}, TPoint{92, 50}, TPoint{87, 55}));
  EXPECT_EQ(polygons[0].Pen.Style(), TPenStyle::psSolid);
  EXPECT_EQ(polygons[0].Brush.Style(), TBrushStyle::bsSolid);

  const auto lines = canvas.CallsOf(TCallKind::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0].Points, ElementsAre(TPoint{0, 50}, TPoint{92, 50}));
  EXPECT_EQ(lines[0].Pen.Style(), TPenStyle::psDash);
  EXPECT_EQ(lines[0].Brush.Style(), TBrushStyle::bsClear);
  EXPECT_EQ(canvas.Brush().Style(), TBrushStyle::bsSolid);
  // The link's own points are untouched by the shortened line.
  EXPECT_EQ(link->Points(1), (TPoint{100, 50}));
}

TEST_F(LinkDrawingTest, CircleAndDiamondAreCentredOnTheirEndsAndTheLineStopsAtTheRim) {
  TGraphLink* link = NewLink({{0, 50}, {100, 50}});
  link->SetBeginStyle(lsCircle);
  link->SetEndStyle(lsDiamond);
  TRecordingCanvas canvas;
  link->Draw(canvas);

  const auto ellipses = canvas.CallsOf(TCallKind::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].Rect, (TRect{-4, 46, 4, 54}));
  const auto polygons = canvas.CallsOf(TCallKind::Polygon);
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_THAT(polygons[0].Points,
              ElementsAre(TPoint{96, 50}, TPoint{100, 46}, TPoint{104, 50}, TPoint{100, 54}));
  const auto lines = canvas.CallsOf(TCallKind::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0].Points, ElementsAre(TPoint{4, 50}, TPoint{96, 50}));
}

TEST_F(LinkDrawingTest, PaintBoundsCoverTheDecorationsWithThePenAllowance) {
  TGraphLink* link = NewLink({{0, 50}, {100, 50}});
  EXPECT_EQ(link->PaintBounds(), (TRect{0, 44, 101, 56}));
  link->Pen().SetStyle(TPenStyle::psInsideFrame);
  EXPECT_EQ(link->PaintBounds(), (TRect{0, 45, 100, 55}));
  link->SetEndStyle(lsNone);
  EXPECT_EQ(link->PaintBounds(), (TRect{0, 50, 100, 50}));
}

TEST_F(LinkDrawingTest, PaintBoundsOfPointsAtTheIntegerLimitsDoNotOverflow) {
  // Points read from a file may lie anywhere in the coordinate range.
  constexpr int32_t Min = std::numeric_limits<int32_t>::min();
  constexpr int32_t Max = std::numeric_limits<int32_t>::max();
  TGraphLink* link = NewLink({{Min, 0}, {Max, 0}});
  link->Pen().SetWidth(4);
  link->SetSelected(true);
  EXPECT_EQ(link->PaintBounds().Left, Min);
  EXPECT_EQ(link->PaintBounds().Right, Max);
  EXPECT_EQ(link->GetSelectedPaintBounds().Left, Min);
}

TEST_F(LinkDrawingTest, MarkersShowWhichPointsCanBeEdited) {
  TGraphLink* link = NewLink({{0, 50}, {50, 50}, {100, 50}});
  link->SetSelected(true);
  auto markerRectangles = [&] {
    TRecordingCanvas canvas;
    link->DrawOverlay(canvas);
    return canvas.CallsOf(TCallKind::Rectangle).size();
  };
  EXPECT_EQ(markerRectangles(), 3u);
  link->SetLinkOptions(gloFixedBreakPoints);
  EXPECT_EQ(markerRectangles(), 4u);
  link->SetLinkOptions(gloFixedStartPoint | gloFixedEndPoint);
  EXPECT_EQ(markerRectangles(), 5u);
  Graph.SetLockLinks(true);
  link->SetLinkOptions(0);
  EXPECT_EQ(markerRectangles(), 6u);

  Graph.SetLockLinks(false);
  TGraphLink* dot = NewLink({{200, 200}});
  dot->SetSelected(true);
  TRecordingCanvas canvas;
  dot->DrawOverlay(canvas);
  EXPECT_EQ(canvas.CallsOf(TCallKind::Rectangle).size(), 2u);
}

// ---- Caption ------------------------------------------------------------------------------------------

TEST_F(LinkDrawingTest, CaptionSitsAboveAHorizontalLineWhicheverWayItRuns) {
  TGraphLink* rightwards = NewLink({{0, 100}, {200, 100}});
  rightwards->SetText("Hello");
  TGraphLink* leftwards = NewLink({{200, 100}, {0, 100}});
  leftwards->SetText("Hello");

  for (TGraphLink* link : {rightwards, leftwards}) {
    ASSERT_TRUE(link->CaptionRegion().has_value());
    EXPECT_EQ(link->DisplayText(), "Hello");
    EXPECT_EQ(link->CaptionAnchor(), (TPoint{100, 99}));
    const TRect box = link->CaptionRegion()->BoundingBox();
    EXPECT_LE(box.Bottom, 100);
    EXPECT_EQ(box.Width(), 30);
    EXPECT_EQ(box.Height(), 13);
    EXPECT_TRUE(link->CaptionRegion()->ContainsPoint({100, 92}));
    EXPECT_FALSE(link->CaptionRegion()->ContainsPoint({100, 105}));
    // The painted area includes the caption.
    EXPECT_LE(link->PaintBounds().Top, box.Top);
  }
  EXPECT_EQ(rightwards->CaptionRegion()->BoundingBox(), leftwards->CaptionRegion()->BoundingBox());
}

TEST_F(LinkDrawingTest, CaptionKeepsHalfTheDecorationAwayFromTheDecoratedEnd) {
  TGraphLink* rightwards = NewLink({{0, 100}, {100, 100}, {300, 100}});
  rightwards->SetText("Hello");
  rightwards->SetTextPosition(1);
  EXPECT_EQ(rightwards->CaptionAnchor(), (TPoint{193, 99}));

  TGraphLink* leftwards = NewLink({{300, 100}, {200, 100}, {0, 100}});
  leftwards->SetText("Hello");
  leftwards->SetTextPosition(1);
  EXPECT_EQ(leftwards->CaptionAnchor(), (TPoint{107, 99}));

  rightwards->SetTextSpacing(5);
  EXPECT_EQ(rightwards->CaptionAnchor(), (TPoint{193, 94}));
}

struct TCaptionAngleCase {
  const char* Name;
  TPoint From, To;
  int32_t Orientation;  // tenths of a degree, counter-clockwise
};

class LinkCaptionAngleTest : public LinkTest, public ::testing::WithParamInterface<TCaptionAngleCase> {};

TEST_P(LinkCaptionAngleTest, CaptionIsDrawnAlongTheSegmentAndNeverUpsideDown) {
  const TCaptionAngleCase& c = GetParam();
  TGraphLink* link = NewLink({c.From, c.To});
  link->SetEndStyle(lsNone);
  link->SetText("Hi");
  ASSERT_TRUE(link->CaptionRegion().has_value());

  TRecordingCanvas canvas;
  canvas.SetTextAlign(ta::Left);
  link->Draw(canvas);
  const auto texts = canvas.CallsOf(TCallKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Text, "Hi");
  EXPECT_EQ(texts[0].Points[0], link->CaptionAnchor());
  EXPECT_EQ(texts[0].Font.Orientation(), c.Orientation);
  EXPECT_EQ(texts[0].TextAlign, ta::Bottom | ta::Center);
  EXPECT_EQ(texts[0].BackgroundMode, TBackgroundMode::Transparent);
  // The canvas is left as it was found.
  EXPECT_EQ(canvas.TextAlign(), ta::Left);
  EXPECT_EQ(canvas.Font().Orientation(), 0);
  EXPECT_EQ(canvas.BackgroundMode(), TBackgroundMode::Opaque);
}

INSTANTIATE_TEST_SUITE_P(Directions, LinkCaptionAngleTest,
                         ::testing::Values(TCaptionAngleCase{"Right", {0, 100}, {200, 100}, 0},
                                           TCaptionAngleCase{"Left", {200, 100}, {0, 100}, 0},
                                           TCaptionAngleCase{"Down", {100, 0}, {100, 200}, -900},
                                           TCaptionAngleCase{"Up", {100, 200}, {100, 0}, 900},
                                           TCaptionAngleCase{"DownRight", {0, 0}, {200, 200}, -450},
                                           TCaptionAngleCase{"DownLeft", {200, 0}, {0, 200}, 450},
                                           TCaptionAngleCase{"UpLeft", {200, 200}, {0, 0}, -450}),
                         test::TCaseName());

TEST_F(LinkDrawingTest, CaptionOnASegmentTooShortForTheDecorationIsNotShown) {
  TGraphLink* link = NewLink({{0, 100}, {15, 100}});
  link->SetBeginStyle(lsArrow);
  const TRect plain = link->PaintBounds();
  link->SetText("Hello");
  EXPECT_FALSE(link->CaptionRegion().has_value());
  EXPECT_EQ(link->DisplayText(), "");
  EXPECT_EQ(link->PaintBounds(), plain);
  EXPECT_EQ(link->ShapeHitTest({7, 92}), htNone);
  TRecordingCanvas canvas;
  link->DrawCaption(canvas);
  EXPECT_TRUE(canvas.Calls.empty());

  link->SetPolyline({{0, 100}, {16, 100}});
  EXPECT_TRUE(link->CaptionRegion().has_value());
}

TEST_F(LinkDrawingTest, LongCaptionIsShortenedToTheSegment) {
  TGraphLink* link = NewLink({{0, 100}, {60, 100}});
  link->SetText("  A caption far too long\t");
  ASSERT_TRUE(link->CaptionRegion().has_value());
  EXPECT_LT(link->DisplayText().size(), std::string("A caption far too long").size());
  EXPECT_EQ(link->DisplayText().substr(0, 2), "A ");
  EXPECT_LE(link->CaptionRegion()->BoundingBox().Width(), 59);
}

struct TTextPositionCase {
  const char* Name;
  TPoints Points;
  int32_t TextPosition;
  int32_t Segment;
};

class LinkTextPositionTest : public LinkTest, public ::testing::WithParamInterface<TTextPositionCase> {};

TEST_P(LinkTextPositionTest, CaptionSegmentIsTheChosenOneOrTheLongest) {
  const TTextPositionCase& c = GetParam();
  TGraphLink* link = NewLink(c.Points);
  link->SetText("x");
  link->SetTextPosition(c.TextPosition);
  EXPECT_EQ(link->CaptionSegment(), c.Segment);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, LinkTextPositionTest,
    ::testing::Values(
        TTextPositionCase{"OutOfRangeTakesTheLongestFirst", {{0, 0}, {200, 0}, {200, 50}}, 5, 0},
        TTextPositionCase{"OutOfRangeTakesTheLongestSecond", {{0, 0}, {50, 0}, {50, 200}}, 5, 1},
        TTextPositionCase{"ChosenSecond", {{0, 0}, {200, 0}, {200, 50}}, 1, 1},
        TTextPositionCase{"NegativeTakesTheLongest", {{0, 0}, {200, 0}, {200, 50}}, -1, 0},
        TTextPositionCase{"OnePastTheLastTakesTheLongest", {{0, 0}, {200, 0}, {200, 50}}, 2, 0}),
    test::TCaseName());

}  // namespace
}  // namespace gc
