#include "GraphControl/GraphLink.h"

#include <gtest/gtest.h>

#include "GraphControl/Exceptions.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/Unit.h"
#include "LinkTestFixture.h"

namespace gc {
namespace {

using ::testing::ElementsAre;

// A link as a stream reader leaves it: stored identifiers, ends unresolved.
class TLoadedLink : public TGraphLink {
 public:
  static const TGraphObjectClass* StaticClass() {
    static const TGraphObjectClass cls("TLoadedLink", TGraphLink::StaticClass(), true, &Make);
    return &cls;
  }
  const TGraphObjectClass* ClassType() const override { return StaticClass(); }

  static TLoadedLink* Create(TGraphControl* owner, uint32_t sourceID, uint32_t targetID,
                             const TPoints& points) {
    return static_cast<TLoadedLink*>(Construct(StaticClass(), owner, [&](TGraphObject* o) {
      auto* link = static_cast<TLoadedLink*>(o);
      link->AddState(stLoading);
      link->SetID(100);
      link->SetSourceID(sourceID);
      link->SetTargetID(targetID);
      link->SetPolyline(points);
    }));
  }

 protected:
  explicit TLoadedLink(TGraphControl* owner) : TGraphLink(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner) { return new TLoadedLink(owner); }
};

using GraphLinkTest = LinkTest;

// ---- Construction --------------------------------------------------------------------------------

TEST_F(GraphLinkTest, PointsRejectsIndicesOutsideTheList) {
  TGraphLink* link = NewLink({{0, 0}, {10, 0}});
  EXPECT_EQ(link->Points(1), (TPoint{10, 0}));
  for (int32_t bad : {-1, 2}) {
    try {
      link->Points(bad);
      FAIL() << "no error for index " << bad;
    } catch (const EPointListError& e) {
      EXPECT_EQ(e.Message(), Format("Invalid point index. (%d)", bad));
    }
  }
}

TEST_F(GraphLinkTest, CreateNewHooksBothEndsWithEventsInOrderAndPlacesThemOnTheOutlines) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  RecordHookEvents();
  TGraphLink* link = NewLink({{150, 200}, {250, 200}}, a, b);

  EXPECT_THAT(Events, ElementsAre("CanHook A 0", "CanHook B 3", "CanLink A B", "Hook A 0", "Hook B 3"));
  ASSERT_EQ(link->PointCount(), 4);
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);
  EXPECT_EQ(link->SourceID(), a->ID());
  EXPECT_EQ(link->TargetID(), b->ID());
  EXPECT_EQ(link->Points(0), a->GetAttachPoint(link->Points(1)));
  EXPECT_EQ(link->Points(3), b->GetAttachPoint(link->Points(2)));
  EXPECT_NE(link->Points(0), a->GetCenter());
  EXPECT_EQ(a->LinksOut().IndexOf(link), 0);
  EXPECT_EQ(b->LinksIn().IndexOf(link), 0);
  EXPECT_EQ(a->Dependents().Count(), 1);
  // The paint bounds were computed for the placed end points.
  EXPECT_EQ(link->PaintBounds(), link->ComputePaintBounds());
}

TEST_F(GraphLinkTest, CreateNewFailsWithTheExactMessageWhenTheTargetIsRefused) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  Graph.OnCanHookLink = [b](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t, bool& can) {
    if (o == b) can = false;
  };
  int inserted = 0;
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { ++inserted; };
  try {
    TGraphLink::CreateNew(&Graph, a, {}, b);
    FAIL() << "the link was created";
  } catch (const EGraphInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot create link with the specified parameters");
  }
  EXPECT_EQ(Graph.Objects().Count(), 2);
  EXPECT_EQ(inserted, 0);
  // The half-built link let go of the source it had hooked.
  EXPECT_TRUE(a->LinksOut().IsEmpty());
  EXPECT_TRUE(a->Dependents().IsEmpty());
}

TEST_F(GraphLinkTest, AddLinkReturnsNullAndLeavesTheDiagramUnchangedWhenTheSourceIsRefused) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  Graph.OnCanHookLink = [](TGraphControl*, TGraphObject*, TGraphLink*, int32_t, bool& can) { can = false; };
  EXPECT_EQ(Graph.AddLink(a, {{200, 200}}, TGraphLink::StaticClass()), nullptr);
  EXPECT_EQ(Graph.Objects().Count(), 1);
  EXPECT_TRUE(a->Dependents().IsEmpty());

  Graph.OnCanHookLink = nullptr;
  TGraphObject* link = Graph.AddLink(a, {{200, 200}}, TGraphLink::StaticClass());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(static_cast<TGraphLink*>(link)->Source(), a);
}

TEST_F(GraphLinkTest, StartUpRegistersTheLinkClassAsTheDefaultLinkClass) {
  GraphControlStartup();
  {
    TGraphControl graph;
    EXPECT_EQ(graph.DefaultLinkClass(), TGraphLink::StaticClass());
    EXPECT_EQ(FindGraphClass("TGraphLink"), TGraphLink::StaticClass());
    TGraphObject* link = graph.AddLink({{1, 1}, {50, 50}});
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->ClassType(), TGraphLink::StaticClass());
  }
  GraphControlShutdown();
}

// ---- Hooking ------------------------------------------------------------------------------------------

TEST_F(GraphLinkTest, RefusedHooksChangeNothingAndAskNoOne) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({}, a, b);
  RecordHookEvents();

  EXPECT_FALSE(link->Hook(0, b));  // one object cannot hold both ends
  EXPECT_FALSE(link->Hook(0, link));
  EXPECT_FALSE(link->Hook(0, nullptr));
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);

  EXPECT_FALSE(link->Link(a, a));
  EXPECT_TRUE(Events.empty());

  TGraphLink* free = NewLink({{0, 300}, {50, 300}, {100, 300}});
  EXPECT_FALSE(free->Hook(1, a));  // break points are never hooked
  EXPECT_TRUE(Events.empty());
}

TEST_F(GraphLinkTest, ALinkCannotHookALinkThatIsHookedToIt) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* first = NewLink({}, a, b, "L1");
  TGraphLink* second = NewLink({{200, 300}, {250, 300}}, nullptr, nullptr, "L2");
  ASSERT_TRUE(second->Hook(0, first));
  EXPECT_EQ(first->Dependents().IndexOf(second), 0);
  EXPECT_FALSE(first->CanHook(0, second));
  EXPECT_FALSE(first->CanHook(first->PointCount() - 1, second));
}

TEST_F(GraphLinkTest, HookingTheOtherEndAsksCanLinkWithSourceAndTargetInOrder) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({{150, 150}, {250, 150}});
  ASSERT_TRUE(link->Hook(1, b));
  RecordHookEvents();
  Graph.OnCanLinkObjects = [this](TGraphControl*, TGraphLink*, TGraphObject* s, TGraphObject* t, bool& can) {
    Events.push_back("CanLink " + Name(s) + " " + Name(t));
    can = false;
  };
  EXPECT_FALSE(link->Hook(0, a));
  EXPECT_THAT(Events, ElementsAre("CanHook A 0", "CanLink A B"));
  EXPECT_EQ(link->Source(), nullptr);
  EXPECT_TRUE(a->LinksOut().IsEmpty());
}

TEST_F(GraphLinkTest, LinkingSwappedEndsKeepsBothHooksAndTheLists) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({}, a, b);
  ASSERT_TRUE(link->Link(b, a));
  EXPECT_EQ(link->Source(), b);
  EXPECT_EQ(link->Target(), a);
  EXPECT_THAT(b->LinksOut().Items(), ElementsAre(link));
  EXPECT_THAT(a->LinksIn().Items(), ElementsAre(link));
  EXPECT_TRUE(a->LinksOut().IsEmpty());
  EXPECT_TRUE(b->LinksIn().IsEmpty());
}

TEST_F(GraphLinkTest, HookedEndPointsFollowAMovedNodeOntoItsOutline) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({}, a, b);
  const TPoint oldEnd = link->Points(1);
  b->SetBounds(300, 300, 100, 100);
  EXPECT_NE(link->Points(1), oldEnd);
  EXPECT_EQ(link->Points(0), a->GetAttachPoint(b->GetCenter()));
  EXPECT_EQ(link->Points(1), b->GetAttachPoint(a->GetCenter()));
  EXPECT_EQ(link->PaintBounds(), link->ComputePaintBounds());
}

TEST_F(GraphLinkTest, LinkHookedToALinkSettlesOnIt) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* base = NewLink({}, a, b, "L1");
  TRectangularNode* c = Box({150, 300, 250, 400}, "C");
  TGraphLink* branch = NewLink({}, c, base, "L2");
  ASSERT_EQ(branch->Target(), base);
  // The branch ends on the base line, straight above the node.
  EXPECT_EQ(branch->Points(1), base->GetAttachPoint(branch->Points(0)));
  EXPECT_EQ(branch->Points(1).Y, base->Points(0).Y);
  b->SetBounds(300, 100, 100, 100);
  EXPECT_EQ(branch->Points(1), base->GetAttachPoint(branch->Points(0)));
}

TEST_F(GraphLinkTest, DeletingAHookedNodeUnhooksTheLinkWithoutDanglingReferences) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({}, a, b);
  RecordHookEvents();
  ASSERT_TRUE(b->Delete());
  EXPECT_THAT(Events, ElementsAre("Unhook B 1"));
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_EQ(link->TargetID(), 0u);
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(Graph.Objects().Count(), 2);

  Events.clear();
  ASSERT_TRUE(link->Delete());
  EXPECT_THAT(Events, ElementsAre("Unhook A 0"));
  EXPECT_TRUE(a->LinksOut().IsEmpty());
  EXPECT_TRUE(a->Dependents().IsEmpty());
}

TEST_F(GraphLinkTest, ClearingTheDiagramFreesHookedLinksAndNodes) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  NewLink({}, a, b);
  NewLink({}, b, a);
  Graph.Clear();
  EXPECT_EQ(Graph.Objects().Count(), 0);
}

// ---- Point list ------------------------------------------------------------------------------------------

TEST_F(GraphLinkTest, AddPointDetachesTheTargetBeforeAppending) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({}, a, b);
  RecordHookEvents();
  EXPECT_EQ(link->AddPoint({500, 500}), 2);
  EXPECT_THAT(Events, ElementsAre("Unhook B 1"));
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_EQ(link->Source(), a);
  EXPECT_TRUE(b->LinksIn().IsEmpty());
}

TEST_F(GraphLinkTest, InsertPointWithANegativeIndexDetachesTheSourceButIndexZeroDoesNot) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TGraphLink* link = NewLink({{300, 300}}, a);
  ASSERT_EQ(link->Source(), a);
  link->InsertPoint(0, {200, 200});
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->PointCount(), 3);

  link->InsertPoint(-5, {150, 150});
  EXPECT_EQ(link->Source(), nullptr);
  EXPECT_EQ(link->Points(0), (TPoint{150, 150}));

  link->InsertPoint(99, {400, 400});
  EXPECT_EQ(link->Points(link->PointCount() - 1), (TPoint{400, 400}));
}

TEST_F(GraphLinkTest, AssigningAnEqualPolylineKeepsTheHooksAndADifferentOneDetachesBoth) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* link = NewLink({{200, 200}}, a, b);
  int changes = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++changes; };
  link->SetPolyline(TPoints(link->Polyline()));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);

  TPoints moved = link->Polyline();
  moved[1].X += 1;
  link->SetPolyline(moved);
  EXPECT_EQ(link->Source(), nullptr);
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_EQ(link->Polyline(), moved);
}

TEST_F(GraphLinkTest, SegmentSearchesKeepTheEarlierSegmentOnTies) {
  TGraphLink* link = NewLink({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  EXPECT_EQ(link->IndexOfLongestSegment(), 0);
  link->SetPolyline({{0, 0}, {10, 0}, {10, 30}, {0, 30}});
  EXPECT_EQ(link->IndexOfLongestSegment(), 1);
  link->SetPolyline({{0, 0}});
  EXPECT_EQ(link->IndexOfLongestSegment(), -1);
  EXPECT_EQ(link->IndexOfNearestSegment({0, 0}, 100), -1);

  // (5,5) is 5 away from both the first and the second segment.
  link->SetPolyline({{0, 0}, {10, 0}, {10, 10}});
  EXPECT_EQ(link->IndexOfNearestSegment({5, 5}, 5), 0);
  EXPECT_EQ(link->IndexOfNearestSegment({9, 6}, 5), 1);
  EXPECT_EQ(link->IndexOfNearestSegment({5, 5}, 4), -1);
}

TEST_F(GraphLinkTest, TidyingRemovesRedundantBreakPointsButNeverTheEnds) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 200, 400, 300}, "B");
  TGraphLink* link = NewLink({{150, 50}, {151, 51}, {200, 50}, {250, 50}, {250, 150}}, a, b);
  ASSERT_EQ(link->PointCount(), 7);
  EXPECT_TRUE(link->TidyBreakPoints(ltoClosePoints));
  EXPECT_EQ(link->PointCount(), 6);
  // The straight run along y = 50 keeps only its corner.
  EXPECT_TRUE(link->TidyBreakPoints(ltoSameDirection));
  ASSERT_EQ(link->PointCount(), 4);
  EXPECT_EQ(link->Points(1), (TPoint{250, 50}));
  EXPECT_EQ(link->Points(2), (TPoint{250, 150}));
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);
  EXPECT_FALSE(link->TidyBreakPoints(0));

  // Points crowded at the end: only break points go, the two ends stay.
  TGraphLink* crowded = NewLink({{0, 300}, {1, 300}, {2, 300}, {3, 300}});
  EXPECT_TRUE(crowded->TidyBreakPoints(ltoClosePoints));
  EXPECT_THAT(crowded->Polyline(), ElementsAre(TPoint{0, 300}, TPoint{3, 300}));
  EXPECT_FALSE(crowded->TidyBreakPoints(ltoClosePoints | ltoSameDirection));
}

// ---- Fixed points and transforms
// ----------------------------------------------------------------------------

TEST_F(GraphLinkTest, RotateAndScaleAreRefusedForHookedOrFixedLinksAndOutsideTheConstraints) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TGraphLink* hooked = NewLink({{200, 50}, {300, 50}}, a);
  const TPoints before = hooked->Polyline();
  EXPECT_FALSE(hooked->Rotate({250, 50}, Pi / 2));
  EXPECT_FALSE(hooked->Scale(1.25));
  EXPECT_EQ(hooked->Polyline(), before);

  TGraphLink* link = NewLink({{100, 100}, {110, 100}});
  link->SetLinkOptions(gloFixedBreakPoints);
  EXPECT_FALSE(link->Rotate({105, 100}, Pi / 2));
  link->SetLinkOptions(0);

  ASSERT_TRUE(link->Rotate({105, 100}, Pi / 2));
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{105, 95}, TPoint{105, 105}));
  ASSERT_TRUE(link->Scale(2.0));
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{105, 90}, TPoint{105, 110}));

  Graph.GraphConstraints().SetBoundsRect({0, 0, 112, 115});
  EXPECT_FALSE(link->Rotate({105, 100}, Pi / 2));
  EXPECT_FALSE(link->Scale(1.5));
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{105, 90}, TPoint{105, 110}));
}

TEST_F(GraphLinkTest, ReverseSwapsTheEndsTheListsAndTheCaptionSegment) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({600, 0, 700, 100}, "B");
  TGraphLink* link = NewLink({{200, 200}, {300, 200}, {400, 200}}, a, b);
  ASSERT_EQ(link->PointCount(), 5);
  link->SetTextPosition(1);
  const TPoints before = link->Polyline();
  RecordHookEvents();

  link->Reverse();
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(link->TextPosition(), 2);
  EXPECT_EQ(link->Source(), b);
  EXPECT_EQ(link->Target(), a);
  EXPECT_EQ(link->SourceID(), b->ID());
  EXPECT_THAT(b->LinksOut().Items(), ElementsAre(link));
  EXPECT_THAT(a->LinksIn().Items(), ElementsAre(link));
  EXPECT_TRUE(a->LinksOut().IsEmpty());
  EXPECT_TRUE(b->LinksIn().IsEmpty());
  EXPECT_EQ(link->Points(0), before[4]);
  EXPECT_EQ(link->Points(4), before[0]);

  link->SetTextPosition(-1);
  link->Reverse();
  EXPECT_EQ(link->TextPosition(), -1);
}

TEST_F(GraphLinkTest, MoveByMovesEveryPointAndTheCaptionWithoutALayout) {
  TGraphLink* link = NewLink({{0, 100}, {200, 100}, {200, 300}});
  link->SetText("Label");
  const TRect caption = link->CaptionRegion()->BoundingBox();
  const TRect painted = link->PaintBounds();
  link->MoveBy(10, 20);
  EXPECT_THAT(link->Polyline(), ElementsAre(TPoint{10, 120}, TPoint{210, 120}, TPoint{210, 320}));
  EXPECT_EQ(link->CaptionRegion()->BoundingBox(),
            (TRect{caption.Left + 10, caption.Top + 20, caption.Right + 10, caption.Bottom + 20}));
  EXPECT_EQ(link->PaintBounds(),
            (TRect{painted.Left + 10, painted.Top + 20, painted.Right + 10, painted.Bottom + 20}));
}

// ---- Centre and attach point
// ---------------------------------------------------------------------------------

TEST_F(GraphLinkTest, AttachPointLandsOnTheLineOrOnAFreeNearbyPoint) {
  TGraphLink* link = NewLink({{0, 100}, {200, 100}, {200, 300}});
  EXPECT_EQ(link->GetAttachPoint({100, 40}), (TPoint{100, 100}));
  EXPECT_EQ(link->GetAttachPoint({1, 40}), (TPoint{0, 100}));
  EXPECT_EQ(link->GetAttachPoint({260, 101}), (TPoint{200, 100}));

  // Near an end held by a node: the neighbouring point instead.
  TRectangularNode* a = Box({300, 250, 400, 350}, "A");
  ASSERT_TRUE(link->Hook(2, a));
  const TPoint end = link->Points(2);
  EXPECT_EQ(link->GetAttachPoint({end.X - 1, end.Y + 50}), (TPoint{200, 100}));
}

// ---- Copying and loading
// ---------------------------------------------------------------------------------------

TEST_F(GraphLinkTest, AssignCopiesPointsPropertiesAndBothHooks) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TGraphLink* original = NewLink({{200, 200}}, a, b);
  original->SetText("copy me");
  original->SetBeginStyle(lsDiamond);
  original->SetEndSize(9);
  original->SetTextPosition(1);
  original->SetTextSpacing(3);
  original->SetLinkOptions(gloFixedEndPoint);

  TGraphLink* copy = NewLink({{5, 5}});
  copy->Assign(*original);
  EXPECT_EQ(copy->Polyline(), original->Polyline());
  EXPECT_EQ(copy->Text(), "copy me");
  EXPECT_EQ(copy->BeginStyle(), lsDiamond);
  EXPECT_EQ(copy->EndSize(), 9);
  EXPECT_EQ(copy->TextPosition(), 1);
  EXPECT_EQ(copy->TextSpacing(), 3);
  EXPECT_EQ(copy->LinkOptions(), gloFixedEndPoint);
  EXPECT_EQ(copy->Source(), a);
  EXPECT_EQ(copy->Target(), b);
  EXPECT_EQ(a->LinksOut().Count(), 2);
}

TEST_F(GraphLinkTest, LoadedLinkResolvesItsEndsAndPlacesMissingPoints) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TRectangularNode* b = Box({300, 0, 400, 100}, "B");
  TLoadedLink* link = TLoadedLink::Create(&Graph, a->ID(), b->ID(), {});
  EXPECT_EQ(link->Source(), nullptr);
  EXPECT_EQ(link->SourceID(), a->ID());

  link->FinishLoading();
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);
  EXPECT_THAT(a->LinksOut().Items(), ElementsAre(link));
  EXPECT_THAT(b->LinksIn().Items(), ElementsAre(link));
  ASSERT_EQ(link->PointCount(), 2);
  EXPECT_EQ(link->Points(0), a->GetAttachPoint(b->GetCenter()));
  EXPECT_EQ(link->Points(1), b->GetAttachPoint(a->GetCenter()));
}

// An end is hooked only where the link has a point: a file storing one end
// and no points gives the end one, and removing a link's last point lets go
// of what it is hooked to. Deleting the object then unhooks both links.
TEST_F(GraphLinkTest, AHookedEndAlwaysHasItsPoint) {
  TRectangularNode* a = Box({0, 0, 100, 100}, "A");
  TLoadedLink* loaded = TLoadedLink::Create(&Graph, 0, a->ID(), {});
  loaded->FinishLoading();
  EXPECT_EQ(loaded->Target(), a);
  EXPECT_THAT(loaded->Polyline(), ElementsAre(TPoint{50, 50}));
  TGraphLink* edited = NewLink({});
  ASSERT_TRUE(edited->Hook(-1, a));
  ASSERT_EQ(edited->PointCount(), 1);
  edited->RemovePoint(0);
  EXPECT_EQ(edited->Target(), nullptr);
  EXPECT_THAT(a->LinksIn().Items(), ElementsAre(loaded));
  a->Delete();
  EXPECT_EQ(loaded->Target(), nullptr);
  EXPECT_EQ(loaded->TargetID(), 0u);
}

TEST_F(GraphLinkTest, LoadedLinkLeavesUnknownAndSelfReferencesFree) {
  TLoadedLink* link = TLoadedLink::Create(&Graph, 77, 100, {{0, 0}, {50, 50}});
  link->FinishLoading();
  EXPECT_EQ(link->Source(), nullptr);
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_EQ(link->Polyline().size(), 2u);
}

}  // namespace
}  // namespace gc
