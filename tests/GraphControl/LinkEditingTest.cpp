#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "LinkTestFixture.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"

namespace gc {
namespace {

using ::testing::ElementsAre;
using TCallKind = TRecordingCanvas::TCallKind;

class LinkEditingTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    Graph.SetHost(&Host);
    Graph.SetSnapToGrid(false);
  }
  void TearDown() override { Graph.SetHost(nullptr); }

  TGraphLink* SelectedLink(const TPoints& points, TGraphObject* source = nullptr,
                           TGraphObject* target = nullptr) {
    TGraphLink* link = NewLink(points, source, target);
    link->SetSelected(true);
    return link;
  }
  TCursor LastCursor() const { return Host.ScreenCursors.empty() ? crNone : Host.ScreenCursors.back(); }

  TFakeHost Host;
};

// ---- Hit codes --------------------------------------------------------------------------------------

struct THitCase {
  const char* Name;
  bool Selected;
  TPoint Point;
  THitCode Expected;
};

class LinkHitTest : public LinkTest, public ::testing::WithParamInterface<THitCase> {};

TEST_P(LinkHitTest, PointsWinOverSegmentsAndSegmentsOverTheCaption) {
  const THitCase& c = GetParam();
  TGraphLink* link = NewLink({{0, 100}, {100, 100}, {100, 200}});
  link->SetText("Caption");
  link->SetSelected(c.Selected);
  EXPECT_EQ(link->HitTest(c.Point), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, LinkHitTest,
    ::testing::Values(THitCase{"PointWinsOverSegment", true, {100, 198}, (2 << 16) + 0x0800},
                      THitCase{"FirstPoint", true, {1, 101}, 0x0800},
                      THitCase{"FirstSegment", true, {50, 102}, 0x1200},
                      THitCase{"SecondSegment", true, {101, 150}, (1 << 16) + 0x1200},
                      THitCase{"Caption", true, {50, 92}, 0x0600},
                      THitCase{"UnselectedNearAPoint", false, {100, 198}, 0x0200},
                      THitCase{"UnselectedOnASegment", false, {50, 102}, 0x0200},
                      THitCase{"UnselectedCaption", false, {50, 92}, 0x0600},
                      THitCase{"Nowhere", true, {50, 150}, 0}),
    test::TCaseName());

TEST_F(LinkEditingTest, RubberBandOverlapsALinkThatCrossesAnyOfItsEdges) {
  TGraphLink* link = NewLink({{0, 100}, {100, 100}, {100, 200}});
  EXPECT_TRUE(link->OverlapsRect({40, 90, 60, 110}));    // crosses the band
  EXPECT_TRUE(link->OverlapsRect({90, 140, 120, 160}));  // holds no point, crosses its top edge
  EXPECT_FALSE(link->OverlapsRect({10, 120, 80, 190}));  // inside the bend, touching nothing

  // Cutting off only the bottom-right corner of the band.
  TGraphLink* corner = NewLink({{310, 280}, {280, 310}});
  EXPECT_TRUE(corner->OverlapsRect({200, 200, 300, 300}));
  TGraphLink* clear = NewLink({{330, 280}, {280, 330}});
  EXPECT_FALSE(clear->OverlapsRect({200, 200, 300, 300}));

  corner->SetVisible(false);
  EXPECT_FALSE(corner->OverlapsRect({200, 200, 300, 300}));
}

// ---- Hover cursors ------------------------------------------------------------------------------------

struct TCursorCase {
  const char* Name;
  TPoint Point;
  TShiftState Shift;
  TGraphLinkOptions Options;
  TLinkPendingAction Action;
  TCursor Cursor;
};

class LinkCursorTest : public LinkEditingTest, public ::testing::WithParamInterface<TCursorCase> {};

TEST_P(LinkCursorTest, HoveringShowsWhatAPressWouldDo) {
  const TCursorCase& c = GetParam();
  TGraphLink* link = SelectedLink({{0, 100}, {100, 100}, {100, 200}});
  link->SetText("Caption");
  link->SetLinkOptions(c.Options);
  link->MouseMove(c.Shift, c.Point);
  EXPECT_EQ(link->PendingAction(), c.Action);
  EXPECT_EQ(LastCursor(), c.Cursor);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, LinkCursorTest,
    ::testing::Values(
        TCursorCase{"BreakPointMoves", {100, 100}, 0, 0, paMovePoint, crXHair2},
        TCursorCase{"AltOnABreakPointRemovesIt", {100, 100}, ssAlt, 0, paRemovePoint, crXHair3},
        TCursorCase{
            "AltOnAFixedBreakPointDoesNothing", {100, 100}, ssAlt, gloFixedBreakPoints, paNone, crHandPoint},
        TCursorCase{"FixedStartPointDoesNothing", {0, 100}, 0, gloFixedStartPoint, paNone, crHandPoint},
        TCursorCase{"AltOnASegmentInsertsAPoint", {50, 100}, ssAlt, 0, paInsertPoint, crXHair1},
        TCursorCase{"SegmentMovesTheLink", {50, 100}, 0, 0, paMoveLink, crSizeAll},
        TCursorCase{
            "SegmentWithFixedBreakPointsDoesNothing", {50, 100}, 0, gloFixedBreakPoints, paNone, crHandPoint},
        TCursorCase{
            "SegmentWithAFixedStartPointDoesNothing", {50, 100}, 0, gloFixedStartPoint, paNone, crHandPoint},
        TCursorCase{"CaptionMovesTheLink", {50, 92}, 0, 0, paMoveLink, crSizeAll},
        TCursorCase{
            "CaptionWithFixedBreakPointsDoesNothing", {50, 92}, 0, gloFixedBreakPoints, paNone, crHandPoint}),
    test::TCaseName());

// ---- Break points ---------------------------------------------------------------------------------------

TEST_F(LinkEditingTest, AltClickOnABreakPointRemovesIt) {
  TGraphLink* link = SelectedLink({{0, 100}, {100, 100}, {100, 200}});
  link->MouseDown(TMouseButton::mbLeft, ssLeft | ssAlt, {100, 100});
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{0, 100}, TPoint{100, 200}));
  EXPECT_FALSE(link->HasState(stDragging));
  EXPECT_EQ(Graph.DragSource(), nullptr);
  link->MouseUp(TMouseButton::mbLeft, ssAlt, {100, 100});
  EXPECT_EQ(link->PendingAction(), paNone);
}

TEST_F(LinkEditingTest, AltClickOnASegmentInsertsAPointAndDragsIt) {
  TGraphLink* link = SelectedLink({{0, 100}, {100, 100}, {100, 200}});
  link->MouseDown(TMouseButton::mbLeft, ssLeft | ssAlt, {50, 100});
  ASSERT_EQ(link->PointCount(), 4);
  EXPECT_EQ(link->Points(1), (TPoint{50, 100}));
  EXPECT_EQ(link->ActivePoint(), 1);
  EXPECT_EQ(Graph.DragSource(), link);

  link->MouseMove(ssLeft, {50, 60});
  EXPECT_THAT(link->Polyline(),
              ElementsAre(TPoint{0, 100}, TPoint{50, 60}, TPoint{100, 100}, TPoint{100, 200}));

  // The drag outline shows only the two segments at the dragged point.
  TRecordingCanvas canvas;
  link->DrawOverlay(canvas);
  const auto outline = canvas.CallsOf(TCallKind::Polyline);
  ASSERT_EQ(outline.size(), 1u);
  EXPECT_THAT(outline[0].Points, ElementsAre(TPoint{0, 100}, TPoint{50, 60}, TPoint{100, 100}));
  EXPECT_EQ(outline[0].Pen.Mode(), TPenMode::pmNot);

  link->MouseUp(TMouseButton::mbLeft, 0, {50, 60});
  EXPECT_FALSE(link->HasState(stDragging));
  EXPECT_EQ(link->ActivePoint(), -1);
  EXPECT_EQ(link->PointCount(), 4);
}

TEST_F(LinkEditingTest, FixedBreakPointsCannotBeRemovedOrInserted) {
  TGraphLink* link = SelectedLink({{0, 100}, {100, 100}, {100, 200}});
  link->SetLinkOptions(gloFixedBreakPoints);
  link->MouseDown(TMouseButton::mbLeft, ssLeft | ssAlt, {100, 100});
  link->MouseUp(TMouseButton::mbLeft, ssAlt, {100, 100});
  link->MouseDown(TMouseButton::mbLeft, ssLeft | ssAlt, {50, 100});
  EXPECT_FALSE(link->HasState(stDragging));
  link->MouseMove(ssLeft | ssAlt, {50, 60});
  link->MouseUp(TMouseButton::mbLeft, ssAlt, {50, 60});
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{0, 100}, TPoint{100, 100}, TPoint{100, 200}));
}

TEST_F(LinkEditingTest, RemovingTheOnlyPointDestroysTheLink) {
  TGraphLink* link = SelectedLink({{100, 100}});
  int removed = 0;
  Graph.OnObjectRemove = [&](TGraphControl*, TGraphObject*) { ++removed; };
  link->MouseDown(TMouseButton::mbLeft, ssLeft | ssAlt, {100, 100});
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_EQ(Graph.SelectedObjects().Count(), 0);
}

TEST_F(LinkEditingTest, RightPressWhileDraggingAnEndPointDropsASnappedBreakPoint) {
  Graph.SetSnapToGrid(true);
  TGraphLink* link = SelectedLink({{96, 96}, {200, 96}});
  link->MouseDown(TMouseButton::mbLeft, ssLeft, {200, 96});
  ASSERT_EQ(link->PendingAction(), paMovePoint);
  link->MouseMove(ssLeft, {203, 198});
  EXPECT_EQ(link->Points(1), (TPoint{200, 200}));

  link->MouseDown(TMouseButton::mbRight, ssLeft | ssRight, {203, 198});
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{96, 96}, TPoint{200, 200}, TPoint{200, 200}));
  EXPECT_EQ(link->ActivePoint(), 2);
  EXPECT_TRUE(link->HasState(stDragging));
  link->MouseUp(TMouseButton::mbRight, ssLeft, {203, 198});
  EXPECT_TRUE(link->HasState(stDragging));

  link->MouseMove(ssLeft, {300, 198});
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{96, 96}, TPoint{200, 200}, TPoint{296, 200}));
  link->MouseUp(TMouseButton::mbLeft, 0, {300, 198});
  EXPECT_FALSE(link->HasState(stDragging));
  EXPECT_EQ(link->PointCount(), 3);
}

// ---- Moving the whole link
// ------------------------------------------------------------------------------------

TEST_F(LinkEditingTest, DraggingASegmentOfAFreeLinkMovesEveryPoint) {
  TGraphLink* link = SelectedLink({{0, 100}, {100, 100}, {100, 200}});
  link->MouseDown(TMouseButton::mbLeft, ssLeft, {50, 100});
  EXPECT_EQ(link->PendingAction(), paMoveLink);
  link->MouseMove(ssLeft, {60, 130});
  link->MouseUp(TMouseButton::mbLeft, 0, {60, 130});
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{10, 130}, TPoint{110, 130}, TPoint{110, 230}));
}

TEST_F(LinkEditingTest, ResizeHandlesSpreadAFreeLinkOnly) {
  TGraphLink* link = NewLink({{0, 0}, {100, 50}});
  EXPECT_TRUE(link->ApplyDrag(nhBottomRight, 10, 10));
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{0, 0}, TPoint{110, 60}));
  EXPECT_TRUE(link->ApplyDrag(nhLeft, 10, 10));
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{10, 0}, TPoint{110, 60}));
  EXPECT_TRUE(link->ApplyDrag(nhTop, 10, -5));
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{10, -5}, TPoint{110, 60}));

  TRectangularNode* a = Box({200, 0, 300, 100}, "A");
  TGraphLink* hooked = NewLink({{400, 400}}, a);
  const TPoints before = hooked->Polyline();
  EXPECT_FALSE(hooked->ApplyDrag(nhBottomRight, 10, 10));
  EXPECT_EQ(hooked->Polyline(), before);
}

// ---- Hooking by dragging an end point
// ------------------------------------------------------------------------

TEST_F(LinkEditingTest, DraggingAHookedEndAwayUnhooksIt) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = SelectedLink({}, a, b);
  const TPoint end = link->Points(1);
  RecordHookEvents();

  link->MouseDown(TMouseButton::mbLeft, ssLeft, end);
  EXPECT_THAT(Events, ElementsAre("Unhook B 1"));
  EXPECT_EQ(link->Target(), nullptr);
  link->MouseMove(ssLeft, {300, 300});
  EXPECT_FALSE(link->CanHookHover());
  link->MouseUp(TMouseButton::mbLeft, 0, {300, 300});
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_EQ(link->Points(1), (TPoint{300, 300}));
  EXPECT_TRUE(b->LinksIn().IsEmpty());
  EXPECT_EQ(link->Source(), a);
}

TEST_F(LinkEditingTest, PressingAndReleasingAHookedEndInPlaceKeepsTheHook) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = SelectedLink({}, a, b);
  const TPoint end = link->Points(1);
  link->MouseDown(TMouseButton::mbLeft, ssLeft, end);
  link->MouseUp(TMouseButton::mbLeft, 0, end);
  EXPECT_EQ(link->Target(), b);
  EXPECT_EQ(link->Points(1), end);
}

TEST_F(LinkEditingTest, ReleasingAnEndOverALinkableNodeHooksItAndFiresOnObjectHook) {
  TRectangularNode* c = Box({400, 150, 500, 250}, "C");
  TGraphLink* link = SelectedLink({{150, 200}, {250, 200}});
  RecordHookEvents();

  link->MouseDown(TMouseButton::mbLeft, ssLeft, {250, 200});
  link->MouseMove(ssLeft, {450, 200});
  EXPECT_TRUE(link->CanHookHover());
  EXPECT_EQ(link->HoverObject(), c);
  EXPECT_EQ(LastCursor(), crXHairLink);
  link->MouseUp(TMouseButton::mbLeft, 0, {450, 200});

  EXPECT_THAT(Events, ElementsAre("CanHook C 1", "CanHook C 1", "Hook C 1"));
  EXPECT_EQ(link->Target(), c);
  EXPECT_EQ(link->Points(1), c->GetAttachPoint(link->Points(0)));
  EXPECT_EQ(link->Points(1).X, 400);
  EXPECT_EQ(link->HoverObject(), nullptr);
  EXPECT_FALSE(link->CanHookHover());
}

TEST_F(LinkEditingTest, HoldingAltOverTheNodePreventsTheHook) {
  TRectangularNode* c = Box({400, 150, 500, 250}, "C");
  TGraphLink* link = SelectedLink({{150, 200}, {250, 200}});
  link->MouseDown(TMouseButton::mbLeft, ssLeft, {250, 200});
  link->MouseMove(ssLeft | ssAlt, {450, 200});
  EXPECT_FALSE(link->CanHookHover());
  link->MouseUp(TMouseButton::mbLeft, ssAlt, {450, 200});
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_TRUE(c->LinksIn().IsEmpty());
  EXPECT_EQ(link->Points(1), (TPoint{450, 200}));
}

}  // namespace
}  // namespace gc
