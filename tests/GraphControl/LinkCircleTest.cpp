// Links hooked onto links never form a circle: hooking refuses the hook that
// would close one, and reading drops it (the end keeps its stored point and
// becomes free), so every edit works on what a damaged file leaves; a file
// without a circle loads and saves unchanged. One rule followed through
// hooking (GraphLink.cpp), reading and editing, so it has a file of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "support/FixedWidthCanvas.h"
#include "support/LibraryTest.h"
#include "support/StreamBytes.h"

namespace gc {
namespace {

using TBytes = std::vector<uint8_t>;

// A link as a file stores it: identifier, hooked ends (0: free), points.
struct TStoredLink {
  uint32_t ID;
  uint32_t Source;
  uint32_t Target;
  TPoints Points;
};

using test::PutInt32;
using test::PutShort;

// An integer below 128, as the writer stores it (tag 0x02).
void PutSmallInteger(TBytes& b, std::string_view path, uint32_t value) {
  PutShort(b, path);
  b.push_back(0x02);
  b.push_back(static_cast<uint8_t>(value));
}

// A diagram file holding the links in order, written the way the control
// writes links whose other properties are at their defaults.
TBytes FileOf(const std::vector<TStoredLink>& links) {
  TBytes b{'0', '.', 'G', 'S'};
  PutInt32(b, static_cast<int32_t>(links.size()));
  for (const TStoredLink& link : links) {
    PutInt32(b, 11);
    for (char c : std::string_view("TGraphLink")) b.push_back(static_cast<uint8_t>(c));
    b.push_back(0);
    for (char c : std::string_view("TPF0")) b.push_back(static_cast<uint8_t>(c));
    PutShort(b, "TGraphStreamableObject");
    b.push_back(0);
    PutSmallInteger(b, "ID", link.ID);
    if (link.Source) PutSmallInteger(b, "G.Source", link.Source);
    if (link.Target) PutSmallInteger(b, "G.Target", link.Target);
    PutShort(b, "G.BreakPoints");
    b.push_back(0x0A);
    PutInt32(b, static_cast<int32_t>(4 + 8 * link.Points.size()));
    PutInt32(b, static_cast<int32_t>(link.Points.size()));
    for (const TPoint& p : link.Points) {
      PutInt32(b, p.X);
      PutInt32(b, p.Y);
    }
    b.push_back(0);
    b.push_back(0);
  }
  return b;
}

class LinkCircleTest : public test::LibraryTest {
 protected:
  void Load(const TBytes& bytes) { test::LoadBytes(Graph, bytes); }
  TBytes Save() { return test::SavedBytes(Graph); }
  TGraphLink* Link(uint32_t id) { return static_cast<TGraphLink*>(Graph.ObjectByID(id)); }
  // Each link's ends as "source>target" identifiers, in z-order.
  std::vector<std::string> Hooks() {
    std::vector<std::string> hooks;
    for (TGraphObject* object : Graph.Objects()) {
      const auto* link = static_cast<TGraphLink*>(object);
      const auto id = [](const TGraphObject* o) { return o ? std::to_string(o->ID()) : std::string("-"); };
      hooks.push_back(id(link->Source()) + ">" + id(link->Target()));
    }
    return hooks;
  }
  // A free straight link from (x, 0) to (x, 100).
  TGraphLink* Line(int32_t x) { return TGraphLink::CreateNew(&Graph, nullptr, {{x, 0}, {x, 100}}, nullptr); }

  TGraphControl Graph;
};

// A chain of `length` links, each hooked by its end onto the next; the
// last one's end may not be hooked onto the first, and no end of the last
// onto any link of the chain, while links outside the chain may.
TEST_F(LinkCircleTest, HookingRefusesEveryHookThatWouldCloseACircle) {
  for (int length : {1, 2, 3, 6}) {
    SCOPED_TRACE("a chain of " + std::to_string(length));
    Graph.Clear();
    std::vector<TGraphLink*> chain;
    for (int i = 0; i < length; ++i) chain.push_back(Line(100 * i));
    for (int i = 0; i + 1 < length; ++i) ASSERT_TRUE(chain[i]->Hook(1, chain[i + 1]));
    TGraphLink* last = chain.back();
    for (TGraphLink* link : chain) {
      EXPECT_FALSE(last->CanHook(0, link));
      EXPECT_FALSE(last->Hook(0, link));
    }
    EXPECT_EQ(last->Source(), nullptr);
    EXPECT_EQ(last->Target(), nullptr);
    TGraphLink* outside = Line(1000);
    EXPECT_TRUE(last->CanHook(0, outside));
    EXPECT_TRUE(outside->Hook(1, last));
    EXPECT_TRUE(Line(2000)->Hook(0, chain.front()));
  }
}

// Two links hooked onto the same link and a third hooked onto both form no
// circle: every hook of it stays allowed.
TEST_F(LinkCircleTest, ADiamondOfLinksIsNoCircle) {
  TGraphLink* bottom = Line(0);
  TGraphLink* left = Line(100);
  TGraphLink* right = Line(200);
  TGraphLink* top = Line(300);
  ASSERT_TRUE(left->Hook(1, bottom));
  ASSERT_TRUE(right->Hook(1, bottom));
  EXPECT_TRUE(top->Link(left, right));
  EXPECT_FALSE(bottom->CanHook(0, top));
  EXPECT_FALSE(bottom->CanHook(0, left));
}

// Three links each stored hooked onto the other two (the shape of a
// damaged file): reading keeps each hook that closes no circle, in reading
// order, and drops the others with their identifiers; every point stays
// where it was stored.
TEST_F(LinkCircleTest, ReadingDropsTheHooksThatCloseACircleAndKeepsThePoints) {
  const std::vector<TStoredLink> stored{{1, 2, 3, {{0, 0}, {100, 0}}},
                                        {2, 3, 1, {{100, 0}, {100, 100}}},
                                        {3, 1, 2, {{100, 100}, {0, 0}}},
                                        // A longer circle: 4 onto 5 onto 6 onto 4.
                                        {4, 0, 5, {{0, 300}, {50, 300}}},
                                        {5, 0, 6, {{50, 300}, {50, 350}}},
                                        {6, 4, 0, {{50, 350}, {0, 300}}}};
  Load(FileOf(stored));
  EXPECT_THAT(Hooks(), ::testing::ElementsAre("2>3", "3>-", "->-", "->5", "->6", "->-"));
  for (const TStoredLink& link : stored) EXPECT_EQ(Link(link.ID)->Polyline(), link.Points) << link.ID;
  EXPECT_EQ(Link(2)->TargetID(), 0u);
  EXPECT_EQ(Link(6)->SourceID(), 0u);
  EXPECT_FALSE(Graph.Modified());
}

// What a file with a circle leaves can be edited like any diagram: moving
// each link, deleting one, undoing and redoing all of it, saving and
// loading again.
TEST_F(LinkCircleTest, EveryEditWorksOnADiagramReadFromACircle) {
  Load(FileOf(
      {{1, 2, 3, {{0, 0}, {100, 0}}}, {2, 3, 1, {{100, 0}, {100, 100}}}, {3, 1, 2, {{100, 100}, {0, 0}}}}));
  const TBytes loaded = Save();
  for (TGraphObject* object : Graph.Objects()) object->MoveBy(5, 5);
  Link(3)->Delete();
  Link(1)->Delete();
  const TBytes edited = Save();
  while (Graph.CanUndo()) ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Save(), loaded);
  while (Graph.CanRedo()) ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(Save(), edited);
  Load(edited);
  EXPECT_EQ(Save(), edited);
}

// Links hooked onto links without a circle (a chain, several onto one, a
// diamond) load with every hook and save to the same bytes.
TEST_F(LinkCircleTest, AFileWithoutACircleLoadsAndSavesUnchanged) {
  const TBytes file = FileOf({{1, 0, 0, {{0, 0}, {400, 0}}},
                              {2, 0, 1, {{50, 100}, {50, 0}}},
                              {3, 0, 1, {{150, 100}, {150, 0}}},
                              {4, 2, 3, {{50, 100}, {150, 100}}},
                              {5, 4, 0, {{100, 100}, {100, 200}}}});
  Load(file);
  EXPECT_THAT(Hooks(), ::testing::ElementsAre("->-", "->1", "->1", "2>3", "4>-"));
  EXPECT_EQ(Save(), file);
}

// A snapshot taken before the hooks turned around would close a circle as
// it is restored: the restored link lets go of that end.
TEST_F(LinkCircleTest, ARestoredSnapshotDropsTheHookThatWouldCloseACircle) {
  TGraphLink* first = Line(0);
  TGraphLink* second = Line(100);
  ASSERT_TRUE(first->Hook(1, second));
  TGraphObjectList list;
  list.Add(first);
  TMemoryStream snapshot;
  Graph.SaveSnapshot(snapshot, list);
  list.Clear();
  first->Unhook(second);
  ASSERT_TRUE(second->Hook(1, first));
  snapshot.SetPosition(0);
  Graph.RestoreSnapshot(snapshot);
  EXPECT_EQ(first->Target(), nullptr);
  EXPECT_EQ(first->TargetID(), 0u);
  EXPECT_EQ(second->Target(), first);
  first->MoveBy(10, 10);
  second->MoveBy(10, 10);
}

}  // namespace
}  // namespace gc
