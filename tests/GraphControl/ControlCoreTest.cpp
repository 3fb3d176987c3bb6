#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"
#include "support/TestObjects.h"
#include "tests/GraphControl/ControlCoreFixture.h"

namespace gc {
namespace {

using test::TTestControl;
using test::TTestLink;
using test::TTestNode;
using test::TTestSubNode;

// The plain identifier algorithm: rescan Objects from the top for each
// candidate. `self` is the object asking (null for one not built yet).
uint32_t ReferenceNewObjectID(const TGraphControl& graph, const TGraphObject* self, uint32_t ownID) {
  const TGraphObjectList& objects = graph.Objects();
  uint32_t candidate = ownID != 0 ? ownID : static_cast<uint32_t>(objects.Count()) + 1;
  for (int32_t i = objects.Count() - 1; i >= 0; --i) {
    if (objects.Items(i) != self && objects.Items(i)->ID() == candidate) {
      ++candidate;
      i = objects.Count();
    }
  }
  return candidate;
}

TGraphObject* ReferenceObjectByID(const TGraphControl& graph, uint32_t id) {
  for (int32_t i = graph.Objects().Count() - 1; i >= 0; --i)
    if (graph.Objects().Items(i)->ID() == id) return graph.Objects().Items(i);
  return nullptr;
}

// ---- Identifiers -------------------------------------------------------------------------

TEST_F(ControlCoreTest, IdentifiersStartAtCountPlusOneAndSkipTakenValues) {
  EXPECT_EQ(Node()->ID(), 1u);
  Node();
  TTestNode* third = Node();
  EXPECT_EQ(Node()->ID(), 4u);  // 1, 2, 3 present
  third->Destroy();
  EXPECT_EQ(Node()->ID(), 5u);  // 1, 2, 4 present: count + 1 = 4 is taken
}

TEST_F(ControlCoreTest, WithOneAndFourPresentTheNextIdentifierIsThree) {
  for (int i = 0; i < 4; ++i) Node();
  Graph.ObjectByID(2)->Destroy();
  Graph.ObjectByID(3)->Destroy();
  EXPECT_EQ(IDs(), (std::vector<uint32_t>{1, 4}));
  EXPECT_EQ(Node()->ID(), 3u);
  EXPECT_EQ(Node()->ID(), 5u);  // 1, 3, 4 present: 4 is taken, 5 is free
}

TEST_F(ControlCoreTest, IndexedIdentifiersAgreeWithTheLinearReferenceOnRandomOperations) {
  std::mt19937 random(12345);
  for (int step = 0; step < 400; ++step) {
    const int choice = std::uniform_int_distribution<int>(0, 9)(random);
    const int32_t count = Graph.Objects().Count();
    if (choice < 5 || count == 0) {
      const uint32_t expected = ReferenceNewObjectID(Graph, nullptr, 0);
      ASSERT_EQ(Node()->ID(), expected) << "step " << step;
    } else if (choice < 7) {
      // A read block of one object with a stored identifier that may clash.
      const uint32_t stored = std::uniform_int_distribution<uint32_t>(1, 40)(random);
      TTestNode* loaded = TTestNode::CreateLoaded(&Graph, stored, {0, 0, 5, 5});
      for (uint32_t id = 0; id < 80; ++id) ASSERT_EQ(Graph.ObjectByID(id), ReferenceObjectByID(Graph, id));
      const uint32_t expected = ReferenceNewObjectID(Graph, loaded, stored);
      Graph.RenumberAppendedObjects(count);
      loaded->FinishLoading();
      ASSERT_EQ(loaded->ID(), expected) << "step " << step;
    } else if (choice < 9) {
      Graph.Objects().Items(std::uniform_int_distribution<int32_t>(0, count - 1)(random))->Destroy();
    } else {
      Graph.Objects().Items(std::uniform_int_distribution<int32_t>(0, count - 1)(random))->SendToBack();
    }
    for (uint32_t id = 0; id < 80; ++id) ASSERT_EQ(Graph.ObjectByID(id), ReferenceObjectByID(Graph, id));
    std::vector<uint32_t> ids = IDs();
    std::sort(ids.begin(), ids.end());
    ASSERT_TRUE(std::adjacent_find(ids.begin(), ids.end()) == ids.end()) << "duplicate identifier";
  }
}

TEST_F(ControlCoreTest, NewObjectIDMatchesTheReferenceForAnyStartingCandidate) {
  for (int i = 0; i < 6; ++i) Node();
  Graph.ObjectByID(3)->Destroy();
  Graph.ObjectByID(5)->Destroy();
  // Present: 1, 2, 4, 6.
  for (uint32_t start = 0; start < 9; ++start) {
    TTestNode* loaded = TTestNode::CreateLoaded(&Graph, start, {0, 0, 1, 1});
    EXPECT_EQ(Graph.NewObjectID(loaded), ReferenceNewObjectID(Graph, loaded, start)) << "start " << start;
    loaded->Destroy();
  }
}

TEST_F(ControlCoreTest, ReadObjectsRenumbersClashesAndKeepsLinksJoined) {
  for (int i = 0; i < 3; ++i) Node();  // 1, 2, 3
  const int32_t first = Graph.Objects().Count();
  // A block as a read appends it: nodes 2 and 3, a link from 2 to 3.
  TTestNode* a = TTestNode::CreateLoaded(&Graph, 2, {0, 0, 5, 5});
  TTestNode* b = TTestNode::CreateLoaded(&Graph, 3, {0, 0, 5, 5});
  TTestLink* link = TTestLink::CreateLoaded(&Graph, 7, 2, 3);
  Graph.RenumberAppendedObjects(first);
  for (int32_t i = first; i < Graph.Objects().Count(); ++i) Graph.Objects().Items(i)->FinishLoading();
  EXPECT_EQ(IDs(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 7}));
  EXPECT_EQ(a->ID(), 4u);
  EXPECT_EQ(b->ID(), 5u);
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);
  EXPECT_FALSE(a->HasState(stLoading));
}

// One record of a block as a read appends it; links refer to their ends by ID.
struct TBlockRecord {
  uint32_t ID;
  bool Link = false;
  uint32_t Source = 0;
  uint32_t Target = 0;
  bool operator==(const TBlockRecord&) const = default;
};
void PrintTo(const TBlockRecord& r, std::ostream* os) {
  *os << r.ID;
  if (r.Link) *os << " (" << r.Source << " -> " << r.Target << ")";
}

void AppendBlock(TGraphControl& graph, const std::vector<TBlockRecord>& block) {
  for (const TBlockRecord& r : block) {
    if (r.Link)
      TTestLink::CreateLoaded(&graph, r.ID, r.Source, r.Target);
    else
      TTestNode::CreateLoaded(&graph, r.ID, {0, 0, 5, 5});
  }
}

std::vector<TBlockRecord> BlockFrom(const TGraphControl& graph, int32_t first) {
  std::vector<TBlockRecord> block;
  for (int32_t i = first; i < graph.Objects().Count(); ++i) {
    TGraphObject* o = graph.Objects().Items(i);
    if (auto* link = dynamic_cast<TTestLink*>(o))
      block.push_back({o->ID(), true, link->SourceID(), link->TargetID()});
    else
      block.push_back({o->ID()});
  }
  return block;
}

// The renumbering as the plain algorithm does it, one candidate and one
// rescan at a time, over identifiers only.
std::vector<TBlockRecord> ReferenceRenumbering(const std::vector<uint32_t>& present,
                                               std::vector<TBlockRecord> block) {
  const auto total = static_cast<uint32_t>(present.size() + block.size());
  auto heldByOther = [&](uint32_t id, size_t self) {
    if (std::find(present.begin(), present.end(), id) != present.end()) return true;
    for (size_t j = 0; j < block.size(); ++j)
      if (j != self && block[j].ID == id) return true;
    return false;
  };
  auto renumber = [](TBlockRecord& r, uint32_t from, uint32_t to) {
    if (r.ID == from) r.ID = to;
    if (r.Link && r.Source == from) r.Source = to;
    if (r.Link && r.Target == from) r.Target = to;
  };
  for (size_t i = 0; i < block.size(); ++i) {
    const uint32_t old = block[i].ID;
    uint32_t candidate = old != 0 ? old : total + 1;
    while (heldByOther(candidate, i))
      if (++candidate == 0) candidate = 1;
    if (candidate == old) continue;
    bool clash = false;
    for (size_t j = 0; j < block.size(); ++j) clash |= j != i && block[j].ID == old;
    renumber(block[i], old, candidate);
    if (!clash)
      for (size_t j = 0; j < block.size(); ++j)
        if (j != i) renumber(block[j], old, candidate);
  }
  return block;
}

struct TRenumberCase {
  const char* Name;
  int32_t Present;  // objects 1..Present in the diagram before the read
  std::vector<TBlockRecord> Block;
  std::vector<TBlockRecord> Expected;
};

void PrintTo(const TRenumberCase& c, std::ostream* os) { *os << c.Name; }

class RenumberingTest : public ::testing::TestWithParam<TRenumberCase> {};

// Only the first holder of a repeated identifier moves, one step further each
// time; the last keeps it. Records without identifiers count up from the
// object count + 1. Links follow an end only when its identifier was unique
// in the block.
TEST_P(RenumberingTest, GivesThePlainAlgorithmsIdentifiers) {
  const TRenumberCase& c = GetParam();
  TTestControl graph;
  for (int32_t i = 0; i < c.Present; ++i) TTestNode::Create(&graph, {0, 0, 5, 5});
  AppendBlock(graph, c.Block);
  graph.RenumberAppendedObjects(c.Present);
  EXPECT_EQ(BlockFrom(graph, c.Present), c.Expected);
}

constexpr uint32_t MaxID = 0xFFFFFFFF;
INSTANTIATE_TEST_SUITE_P(
    Blocks, RenumberingTest,
    ::testing::Values(
        TRenumberCase{"OneIdentifierThreeTimes", 0, {{5}, {5}, {5}}, {{6}, {7}, {5}}},
        TRenumberCase{"NoIdentifiers", 0, {{0}, {0}, {0}}, {{4}, {5}, {6}}},
        TRenumberCase{"ClashesWithTheDiagramCarryTheLinks",
                      3,
                      {{2}, {3}, {7, true, 2, 3}},
                      {{4}, {5}, {7, true, 4, 5}}},
        TRenumberCase{
            "RepeatedAndClashingWithTheDiagram", 1, {{1}, {1}, {9, true, 1, 1}}, {{2}, {3}, {9, true, 3, 3}}},
        TRenumberCase{"LargestIdentifierTwiceWrapsToOne", 0, {{MaxID}, {MaxID}}, {{1}, {MaxID}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(RenumberingReference, RandomBlocksGetThePlainAlgorithmsIdentifiers) {
  std::mt19937 random(2024);
  auto pick = [&](uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random);
  };
  for (int round = 0; round < 300; ++round) {
    TTestControl graph;
    const auto present = static_cast<int32_t>(pick(0, 8));
    for (int32_t i = 0; i < present; ++i) TTestNode::Create(&graph, {0, 0, 5, 5});
    for (uint32_t gone = pick(0, 2); gone > 0 && graph.Objects().Count() > 0; --gone)
      graph.Objects().Items(static_cast<int32_t>(pick(0, graph.Objects().Count() - 1)))->Destroy();
    std::vector<uint32_t> ids;
    for (TGraphObject* o : graph.Objects()) ids.push_back(o->ID());
    std::vector<TBlockRecord> block(pick(1, 12));
    for (TBlockRecord& r : block) r = {pick(0, 12), pick(0, 3) == 0, pick(0, 12), pick(0, 12)};
    for (TBlockRecord& r : block)
      if (!r.Link) r.Source = r.Target = 0;
    const int32_t first = graph.Objects().Count();
    AppendBlock(graph, block);
    graph.RenumberAppendedObjects(first);
    ASSERT_EQ(BlockFrom(graph, first), ReferenceRenumbering(ids, block)) << "round " << round;
  }
}

// ---- Update lock and modification -----------------------------------------------------------

TEST_F(ControlCoreTest, ChangesInsideOneLockFireObjectChangeEachButGraphChangeOnce) {
  TTestNode* node = Node();
  int objectChanges = 0;
  int graphChanges = 0;
  Graph.OnObjectChange = [&](TGraphControl*, TGraphObject*) { ++objectChanges; };
  Graph.OnGraphChange = [&](TGraphControl*) { ++graphChanges; };
  Graph.BeginUpdate();
  for (int i = 0; i < 20; ++i) node->SetText(std::to_string(i));
  EXPECT_EQ(graphChanges, 0);
  Graph.EndUpdate();
  EXPECT_EQ(objectChanges, 20);
  EXPECT_EQ(graphChanges, 1);
  EXPECT_TRUE(Graph.Modified());
}

TEST_F(ControlCoreTest, NestedLocksDeliverOnlyAtTheOutermostEnd) {
  TTestNode* node = Node();
  int graphChanges = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++graphChanges; };
  Graph.BeginUpdate();
  Graph.BeginUpdate();
  node->SetHint("x");
  Graph.EndUpdate();
  EXPECT_EQ(graphChanges, 0);
  Graph.EndUpdate();
  EXPECT_EQ(graphChanges, 1);
}

TEST_F(ControlCoreTest, DataChangeInAnInsertModeLockIsNotRecorded) {
  TTestNode* node = Node();
  Graph.Clear();
  node = Node();
  Graph.SetCommandMode(cmAddNode);
  bool graphChanged = false;
  Graph.OnGraphChange = [&](TGraphControl*) { graphChanged = true; };
  {
    TGraphControl::TUpdateLock lock(Graph);
    node->SetText("x");
  }
  EXPECT_FALSE(graphChanged);
}

TEST_F(ControlCoreTest, InvalidationsInsideALockMergeIntoOneRectangle) {
  TFakeHost host;
  Graph.SetHost(&host);
  TTestNode* a = Node({10, 10, 20, 20});
  TTestNode* b = Node({100, 50, 120, 60});
  host.ClearRecords();
  Graph.BeginUpdate();
  a->Brush().SetColor(clRed);
  b->Brush().SetColor(clRed);
  EXPECT_TRUE(host.InvalidatedRects.empty());
  Graph.EndUpdate();
  // Each object's area grown by the marker size, then one pixel on the right and bottom.
  EXPECT_EQ(host.InvalidatedRects, (std::vector<TRect>{{7, 7, 124, 64}}));
  Graph.SetHost(nullptr);
}

TEST_F(ControlCoreTest, WholeInvalidationInsideALockCoversTheScreen) {
  TFakeHost host;
  Graph.SetHost(&host);
  host.ClearRecords();
  Graph.BeginUpdate();
  Graph.Invalidate();
  EXPECT_EQ(Graph.PendingInvalidRect(), (TRect{0, 0, 1920, 1080}));
  Graph.EndUpdate();
  EXPECT_EQ(host.InvalidatedRects, (std::vector<TRect>{{0, 0, 1920, 1080}}));
  Graph.Invalidate();
  EXPECT_EQ(host.InvalidateAllCount, 1);
  Graph.SetHost(nullptr);
}

// ---- Queries on a const control -------------------------------------------------------------

// A program's const accessors (a view's paint, a model's query) ask the
// control through a const reference.
TEST_F(ControlCoreTest, ReadOnlyQueriesWorkOnAConstControl) {
  Node({10, 10, 50, 40})->SetSelected(true);
  Node({60, 20, 90, 70});
  const TGraphControl& graph = Graph;
  EXPECT_EQ(graph.AllExtent(), (TRect{10, 10, 90, 70}));
  EXPECT_EQ(graph.GetExtent(ekAll), (TRect{10, 10, 90, 70}));
  EXPECT_EQ(graph.SelectedExtent(), (TRect{10, 10, 50, 40}));
  EXPECT_EQ(graph.DraggingExtent(), (TRect{0, 0, 0, 0}));
  EXPECT_EQ(graph.ObjectAtPoint(70, 60), graph.ObjectByID(2));
  EXPECT_EQ(graph.CountSelected(), 1);
  EXPECT_EQ(graph.NextObjectOf(0, false, false, false), graph.Objects().Items(1));
  EXPECT_FALSE(graph.CanUndo() && graph.CanRedo());
}

// ---- The control's own lists ------------------------------------------------------------

// Refused with an error and the diagram unchanged: an object held twice would
// be saved twice and read back as two, another control's object would be
// saved in this control's file.
TEST_F(ControlCoreTest, OwnListsRefuseWhatWouldCorruptTheDiagram) {
  TTestNode* a = Node();
  TTestNode* b = Node({60, 10, 90, 40});
  a->SetSelected(true);
  TGraphControl other;
  TTestNode* foreign = TTestNode::Create(&other, {0, 0, 10, 10});
  struct {
    TGraphObjectList& List;
    TGraphObject* Object;
  } refused[] = {
      {Graph.Objects(), a},         {Graph.Objects(), foreign},         {Graph.Objects(), nullptr},
      {Graph.SelectedObjects(), a}, {Graph.SelectedObjects(), foreign}, {Graph.DraggingObjects(), foreign},
      {other.Objects(), a},
  };
  for (auto& c : refused) {
    EXPECT_THROW(c.List.Add(c.Object), EListError);
    EXPECT_THROW(c.List.Insert(0, c.Object), EListError);
  }
  EXPECT_EQ(IDs(), (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(Graph.Objects().IndexOf(b), 1);
  ASSERT_EQ(Graph.SelectedObjects().Count(), 1);
  EXPECT_EQ(Graph.DraggingObjects().Count(), 0);
  ASSERT_EQ(other.Objects().Count(), 1);
  EXPECT_EQ(other.Objects().Items(0), foreign);
  EXPECT_EQ(a->Owner(), &Graph);
}

// ---- Clear ---------------------------------------------------------------------------------

TEST_F(ControlCoreTest, ClearOnAnEmptyDiagramOnlyResetsModeAndScrolling) {
  Graph.SetCommandMode(cmPan);
  int graphChanges = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++graphChanges; };
  Graph.Clear();
  EXPECT_EQ(graphChanges, 0);
  EXPECT_FALSE(Graph.Modified());
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
}

TEST_F(ControlCoreTest, ClearRemovesEveryObjectWithoutAskingAndResetsModified) {
  for (int i = 0; i < 3; ++i) Node()->SetSelected(true);
  ASSERT_TRUE(Graph.Modified());
  std::vector<std::string> log;
  Graph.OnCanRemoveObject = [&](TGraphControl*, TGraphObject*, bool&) { log.push_back("ask"); };
  Graph.OnObjectSelect = [&](TGraphControl*, TGraphObject* o) {
    log.push_back("select " + std::to_string(o->ID()));
  };
  Graph.OnObjectRemove = [&](TGraphControl*, TGraphObject* o) {
    log.push_back("remove " + std::to_string(o->ID()));
  };
  Graph.OnGraphChange = [&](TGraphControl*) { log.push_back("graph"); };
  Graph.Clear();
  EXPECT_EQ(log, (std::vector<std::string>{"select 3", "remove 3", "select 2", "remove 2", "select 1",
                                           "remove 1", "graph"}));
  EXPECT_FALSE(Graph.Modified());
  EXPECT_EQ(Graph.QuerySuppressCount(), 0);
  EXPECT_EQ(Graph.UpdateCount(), 0);
  EXPECT_EQ(Node()->ID(), 1u);
}

TEST_F(ControlCoreTest, ClearReleasesItsLocksWhenAHandlerFails) {
  Node();
  Graph.OnObjectRemove = [](TGraphControl*, TGraphObject*) { throw EGraphInvalidOperation("handler"); };
  EXPECT_THROW(Graph.Clear(), EGraphInvalidOperation);
  EXPECT_EQ(Graph.QuerySuppressCount(), 0);
  EXPECT_EQ(Graph.UpdateCount(), 0);
  Graph.OnObjectRemove = nullptr;
}

// ---- Visiting ------------------------------------------------------------------------------

TEST_F(ControlCoreTest, VisitingSelectedObjectsCanDeleteEachExactlyOnce) {
  std::vector<TGraphObject*> selected;
  for (int i = 0; i < 5; ++i) {
    TTestNode* n = Node();
    if (i != 2) {
      n->SetSelected(true);
      selected.push_back(n);
    }
  }
  std::vector<TGraphObject*> visited;
  Graph.VisitObjects(
      [&](TGraphObject* o, int32_t userData) {
        EXPECT_EQ(userData, 42);
        visited.push_back(o);
        o->Delete();
        return true;
      },
      42, true);
  EXPECT_EQ(visited, selected);
  EXPECT_EQ(Graph.Objects().Count(), 1);
  EXPECT_TRUE(Graph.SelectedObjects().IsEmpty());
}

TEST_F(ControlCoreTest, VisitingStopsWhenTheCallbackSaysSo) {
  for (int i = 0; i < 3; ++i) Node();
  int visits = 0;
  Graph.VisitObjects([&](TGraphObject*, int32_t) { return ++visits < 1; }, 0, false);
  EXPECT_EQ(visits, 1);
}

TEST_F(ControlCoreTest, VisitingWithoutCallbackOrObjectsDoesNothing) {
  int graphChanges = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++graphChanges; };
  int visits = 0;
  Graph.VisitObjects([&](TGraphObject*, int32_t) { return ++visits > 0; }, 0, false);
  Node();
  graphChanges = 0;
  Graph.VisitObjects(nullptr, 0, false);
  Graph.VisitObjects([&](TGraphObject*, int32_t) { return ++visits > 0; }, 0, true);
  EXPECT_EQ(visits, 0);
  EXPECT_EQ(graphChanges, 0);
}

// ---- Searching ------------------------------------------------------------------------------

TEST_F(ControlCoreTest, ObjectAtPointPrefersTheUpperObjectUnlessASelectedOneIsHitOnAMarker) {
  TTestNode* lower = Node({10, 10, 50, 40});
  TTestNode* upper = Node({30, 20, 80, 60});
  EXPECT_EQ(Graph.ObjectAtPoint(40, 30), upper);
  EXPECT_EQ(Graph.ObjectAtPoint(15, 15), lower);
  lower->SetSelected(true);
  EXPECT_EQ(Graph.ObjectAtPoint(40, 30), upper);  // lower hit on its body: the upper one stays
  EXPECT_EQ(Graph.ObjectAtPoint(50, 40), lower);  // lower hit on its bottom-right marker
  EXPECT_EQ(Graph.ObjectAtPoint(40, 30, upper), lower);
  EXPECT_EQ(Graph.ObjectAtPoint(200, 200), nullptr);
}

TEST_F(ControlCoreTest, ObjectAtPointReturnsASelectedLinkUnderAnUnselectedNode) {
  TTestLink* link = TTestLink::Create(&Graph, {{0, 0}, {100, 100}});
  TTestNode* node = Node({10, 10, 50, 40});
  link->SetSelected(true);
  EXPECT_EQ(Graph.ObjectAtPoint(20, 20), link);
  node->SetSelected(true);
  EXPECT_EQ(Graph.ObjectAtPoint(20, 20), node);
}

TEST_F(ControlCoreTest, CountingAndSearchingHonourTheClass) {
  Node();
  TTestLink::Create(&Graph, {{0, 0}, {1, 1}});
  TTestSubNode* sub = TTestSubNode::Create(&Graph, {0, 0, 5, 5});
  sub->SetSelected(true);
  EXPECT_EQ(Graph.CountObjects(), 3);
  EXPECT_EQ(Graph.CountObjects(TTestNode::StaticClass()), 2);
  EXPECT_EQ(Graph.CountObjects(TTestSubNode::StaticClass()), 1);
  EXPECT_EQ(Graph.CountSelected(TTestLink::StaticClass()), 0);
  EXPECT_EQ(Graph.NextObjectOf(0, false, false, false, TTestNode::StaticClass()), sub);
  EXPECT_EQ(Graph.NextObjectOf(2, false, false, true, TTestLink::StaticClass()), Graph.Objects().Items(1));
  EXPECT_EQ(Graph.NextObjectOf(2, true, true, false, TTestSubNode::StaticClass()), sub);
  EXPECT_EQ(Graph.NextObjectOf(1, false, true, false, TTestLink::StaticClass()), nullptr);
}

TEST_F(ControlCoreTest, SelectFollowingWrapsAndSkipsUnselectableObjects) {
  TTestNode* a = Node();
  TTestNode* b = Node();
  TTestNode* c = Node();
  b->SetOptions(goShowCaption);
  EXPECT_TRUE(Graph.SelectFollowing(false));
  EXPECT_EQ(Graph.SelectedObjects().Items(), (std::vector<TGraphObject*>{a}));
  EXPECT_TRUE(Graph.SelectFollowing(false));
  EXPECT_EQ(Graph.SelectedObjects().Items(), (std::vector<TGraphObject*>{c}));
  EXPECT_TRUE(Graph.SelectFollowing(false));
  EXPECT_EQ(Graph.SelectedObjects().Items(), (std::vector<TGraphObject*>{a}));
  EXPECT_TRUE(Graph.SelectFollowing(true));
  EXPECT_EQ(Graph.SelectedObjects().Items(), (std::vector<TGraphObject*>{c}));
}

TEST_F(ControlCoreTest, SelectFollowingWithoutSelectableObjectsChangesNothing) {
  EXPECT_FALSE(Graph.SelectFollowing(false));
  TTestNode* a = Node();
  a->SetOptions(0);
  EXPECT_FALSE(Graph.SelectFollowing(false));
  EXPECT_FALSE(Graph.SelectFollowing(true));
  EXPECT_TRUE(Graph.SelectedObjects().IsEmpty());
}

// ---- Command mode -------------------------------------------------------------------------------

TEST_F(ControlCoreTest, InsertModesClearTheSelectionBeforeAnnouncingTheMode) {
  TTestNode* a = Node();
  TTestNode* b = Node();
  a->SetSelected(true);
  b->SetSelected(true);
  std::vector<std::string> log;
  Graph.OnObjectSelect = [&](TGraphControl*, TGraphObject* o) {
    log.push_back("select " + std::to_string(o->ID()) + (o->Selected() ? " on" : " off"));
  };
  Graph.OnCommandModeChange = [&](TGraphControl* g) {
    log.push_back("mode " + std::to_string(g->CommandMode()));
  };
  Graph.SetCommandMode(cmPan);
  EXPECT_EQ(Graph.SelectedObjects().Count(), 2);
  Graph.SetCommandMode(cmAddNode);
  Graph.SetCommandMode(cmAddNode);
  EXPECT_EQ(log, (std::vector<std::string>{"mode 1", "select 2 off", "select 1 off", "mode 3"}));
}

// ---- Removal order --------------------------------------------------------------------------------

TEST_F(ControlCoreTest, DeletingTheHoverObjectLeavesItBeforeRemoval) {
  TTestNode* node = Node();
  Graph.SetObjectAtCursor(node);
  std::vector<std::string> log;
  Graph.OnObjectMouseLeave = [&](TGraphControl*, TGraphObject*) { log.push_back("leave"); };
  Graph.OnObjectRemove = [&](TGraphControl*, TGraphObject*) { log.push_back("remove"); };
  node->Delete();
  EXPECT_EQ(log, (std::vector<std::string>{"leave", "remove"}));
  EXPECT_EQ(Graph.ObjectUnderMouse(), nullptr);
}

TEST_F(ControlCoreTest, RemovingFromObjectsFreesTheObject) {
  Node();
  Node()->SetSelected(true);
  Graph.Objects().Delete(1);
  EXPECT_EQ(Graph.Objects().Count(), 1);
  EXPECT_TRUE(Graph.SelectedObjects().IsEmpty());
  EXPECT_EQ(Graph.ObjectByID(2), nullptr);
}

// ---- Creating through classes and the registries ------------------------------------------------------

TEST_F(ControlCoreTest, AddNodeAndAddLinkGoThroughTheClassesAndAnswerARefusalWithNull) {
  EXPECT_EQ(Graph.AddNode({0, 0, 10, 10}), nullptr);  // no default class
  Graph.SetDefaultNodeClass(TTestNode::StaticClass());
  TGraphObject* node = Graph.AddNode({0, 0, 10, 10});
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->ClassType(), TTestNode::StaticClass());
  EXPECT_EQ(Graph.AddNode({0, 0, 10, 10}, TTestLink::StaticClass()), nullptr);
  EXPECT_EQ(Graph.AddNode({0, 0, 10, 10}, TGraphObject::StaticClass()), nullptr);
  TGraphObject* link = Graph.AddLink(node, {{0, 0}, {5, 5}}, TTestLink::StaticClass());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(static_cast<TTestLink*>(link)->SourceID(), node->ID());
  EXPECT_EQ(Graph.Objects().Count(), 2);
}

// A handler's exception, or running out of memory, is no refusal: it reaches
// the caller, and the object being made is gone again.
TEST_F(ControlCoreTest, AddNodeAndAddLinkLetAHandlersExceptionThrough) {
  Graph.SetDefaultNodeClass(TTestNode::StaticClass());
  Graph.SetDefaultLinkClass(TTestLink::StaticClass());
  TGraphObject* node = Graph.AddNode({0, 0, 10, 10});
  const auto fail = [](TGraphControl*, TGraphObject*) { throw std::bad_alloc(); };
  Graph.OnObjectInitInstance = fail;
  EXPECT_THROW(Graph.AddNode({0, 0, 10, 10}), std::bad_alloc);
  Graph.OnObjectInitInstance = nullptr;
  Graph.OnObjectInsert = [](TGraphControl*, TGraphObject*) { throw EGraphInvalidOperation("the program's"); };
  EXPECT_THROW(Graph.AddLink(node, {{5, 5}}), EGraphInvalidOperation);
  EXPECT_THROW(Graph.AddNode({0, 0, 10, 10}), EGraphInvalidOperation);
  EXPECT_EQ(IDs(), (std::vector<uint32_t>{1}));
}

TEST(ControlRegistry, RegistrationOrderGivesTheDefaultClasses) {
  ASSERT_EQ(TGraphControl::NodeClassCount(), 0);
  TGraphControl::RegisterNodeClass(TTestNode::StaticClass());
  TGraphControl::RegisterNodeClass(TTestSubNode::StaticClass());
  TGraphControl::RegisterNodeClass(TTestNode::StaticClass());
  TGraphControl::RegisterLinkClass(TTestLink::StaticClass());
  EXPECT_EQ(TGraphControl::NodeClassCount(), 2);
  EXPECT_EQ(FindGraphClass("TTestSubNode"), TTestSubNode::StaticClass());
  {
    TGraphControl graph;
    EXPECT_EQ(graph.DefaultNodeClass(), TTestNode::StaticClass());
    EXPECT_EQ(graph.DefaultLinkClass(), TTestLink::StaticClass());
  }
  EXPECT_THROW(TGraphControl::NodeClasses(2), EListError);
  TGraphControl::UnregisterNodeClass(TTestSubNode::StaticClass());
  TGraphControl::UnregisterNodeClass(TTestNode::StaticClass());
  TGraphControl::UnregisterLinkClass(TTestLink::StaticClass());
  EXPECT_EQ(TGraphControl::NodeClassCount(), 0);
  EXPECT_EQ(TGraphControl::LinkClassCount(), 0);
  EXPECT_EQ(FindGraphClass("TTestNode"), nullptr);
  TGraphControl graph;
  EXPECT_EQ(graph.DefaultNodeClass(), nullptr);
}

// ---- The host window and destruction --------------------------------------------------------

TEST(ControlLifetime, OneHostAtATimeAndTheHostHearsWhenTheControlGoes) {
  TFakeHost first;
  TFakeHost second;
  auto graph = std::make_unique<TGraphControl>();
  graph->SetHost(&first);
  EXPECT_THROW(graph->SetHost(&second), EGraphInvalidOperation);
  EXPECT_EQ(graph->Host(), &first);
  graph->SetHost(nullptr);
  graph->SetHost(&second);
  graph.reset();
  EXPECT_EQ(first.ControlDestroyedCount, 0);
  EXPECT_EQ(second.ControlDestroyedCount, 1);
}

// The destructor's removal steps: the events it may raise are the ones its
// header names, each object's, and nothing about the diagram as a whole.
TEST(ControlLifetime, DestructionRaisesOnlyTheRemovalEvents) {
  InstallFixedWidthMeasurer();
  TFakeHost host;
  std::set<std::string> raised;
  {
    TGraphControl graph;
    graph.SetHost(&host);
    auto* a = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {0, 0, 40, 40});
    auto* b = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {100, 0, 140, 40});
    // Below the nodes, so it outlives them and unhooks from each.
    TGraphLink::CreateNew(&graph, a, {}, b)->SendToBack();
    graph.MouseDown(TMouseButton::mbLeft, 0, 20, 20);  // a selected, under the mouse, dragged
    graph.MouseMove(ssLeft, 25, 25);
    ASSERT_EQ(graph.DragSource(), a);
    const auto note = [&](const char* name) { return [&raised, name](auto&&...) { raised.insert(name); }; };
    graph.OnObjectInitInstance = note("InitInstance");
    graph.OnObjectInsert = note("Insert");
    graph.OnObjectRemove = note("Remove");
    graph.OnObjectChange = note("Change");
    graph.OnObjectSelect = note("Select");
    graph.OnObjectMouseEnter = note("MouseEnter");
    graph.OnObjectMouseLeave = note("MouseLeave");
    graph.OnObjectBeginDrag = note("BeginDrag");
    graph.OnObjectEndDrag = note("EndDrag");
    graph.OnObjectHook = note("Hook");
    graph.OnObjectUnhook = note("Unhook");
    graph.OnCanHookLink = note("CanHook");
    graph.OnCanLinkObjects = note("CanLink");
    graph.OnCanMoveResizeNode = note("CanMoveResize");
    graph.OnCanRemoveObject = note("CanRemove");
    graph.OnNodeMoveResize = note("NodeMoveResize");
    graph.OnGraphChange = note("GraphChange");
    graph.OnCommandModeChange = note("CommandModeChange");
    graph.OnHistoryChange = note("HistoryChange");
    graph.OnZoomChange = note("ZoomChange");
  }
  EXPECT_EQ(raised, (std::set<std::string>{"Change", "EndDrag", "MouseLeave", "Remove", "Select", "Unhook"}));
  EXPECT_EQ(host.ControlDestroyedCount, 1);
}

}  // namespace
}  // namespace gc
