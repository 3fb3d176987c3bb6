#include "GraphControl/GraphObjectList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "support/CaseName.h"
#include "support/TestObjects.h"

namespace gc {
namespace {

// The list never dereferences what it holds, so distinct addresses suffice.
TGraphObject* Obj(int i) {
  static char storage[256];
  return reinterpret_cast<TGraphObject*>(&storage[i]);
}

struct TRecordedChange {
  TGraphObject* Object;
  TGraphListAction Action;
  bool operator==(const TRecordedChange&) const = default;
};

class GraphObjectListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    List.OnChange = [this](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
      Changes.push_back({o, a});
    };
  }
  void Fill(int n) {
    for (int i = 0; i < n; ++i) List.Add(Obj(i));
    Changes.clear();
  }
  std::vector<TGraphObject*> Contents() const { return List.Items(); }

  // Declared first: the list reports its objects to it when destroyed.
  std::vector<TRecordedChange> Changes;
  TGraphObjectList List;
};

TEST_F(GraphObjectListTest, CapacityFollowsTheGrowthRule) {
  std::vector<int32_t> capacities;
  for (int i = 0; i < 81; ++i) {
    List.Add(Obj(i));
    if (capacities.empty() || capacities.back() != List.Capacity()) capacities.push_back(List.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int32_t>{16, 32, 48, 64, 72, 80, 88}));
}

TEST_F(GraphObjectListTest, SettingCapacityBelowCountRemovesFromTheEnd) {
  Fill(5);
  List.SetCapacity(3);
  EXPECT_EQ(List.Count(), 3);
  EXPECT_EQ(List.Capacity(), 3);
  EXPECT_EQ(Changes, (std::vector<TRecordedChange>{{Obj(4), glaRemoved}, {Obj(3), glaRemoved}}));
}

TEST_F(GraphObjectListTest, IndexErrorsCarryTheIndexAndLeaveTheListUnchanged) {
  Fill(3);
  auto message = [](auto&& fn) {
    try {
      fn();
    } catch (const EListError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { List.Items(3); }), "Index out of range (3)");
  EXPECT_EQ(message([&] { List.Items(-1); }), "Index out of range (-1)");
  EXPECT_EQ(message([&] { List.Insert(4, Obj(9)); }), "Index out of range (4)");
  EXPECT_EQ(message([&] { List.Delete(3); }), "Index out of range (3)");
  EXPECT_EQ(message([&] { List.Move(5, 0); }), "Index out of range (5)");
  EXPECT_EQ(message([&] { List.Move(0, 7); }), "Index out of range (7)");
  EXPECT_EQ(Contents(), (std::vector<TGraphObject*>{Obj(0), Obj(1), Obj(2)}));
  EXPECT_TRUE(Changes.empty());
}

TEST_F(GraphObjectListTest, InsertAtCountAppends) {
  Fill(2);
  List.Insert(2, Obj(7));
  List.Insert(0, Obj(8));
  EXPECT_EQ(Contents(), (std::vector<TGraphObject*>{Obj(8), Obj(0), Obj(1), Obj(7)}));
  EXPECT_EQ(Changes, (std::vector<TRecordedChange>{{Obj(7), glaAdded}, {Obj(8), glaAdded}}));
}

TEST_F(GraphObjectListTest, DuplicatesAreFoundAndRemovedFromTheTop) {
  List.Add(Obj(1));
  List.Add(Obj(2));
  List.Add(Obj(1));
  EXPECT_EQ(List.IndexOf(Obj(1)), 2);
  EXPECT_EQ(List.Remove(Obj(1)), 2);
  EXPECT_EQ(Contents(), (std::vector<TGraphObject*>{Obj(1), Obj(2)}));
  EXPECT_EQ(List.Remove(Obj(5)), -1);
}

TEST_F(GraphObjectListTest, ReplaceSwapsTheSlotSilently) {
  Fill(3);
  EXPECT_EQ(List.Replace(Obj(1), Obj(9)), 1);
  EXPECT_EQ(List.Replace(Obj(5), Obj(9)), -1);
  EXPECT_EQ(Contents(), (std::vector<TGraphObject*>{Obj(0), Obj(9), Obj(2)}));
  EXPECT_TRUE(Changes.empty());
}

struct TMoveCase {
  int From, To;
  std::vector<int> Expected;
};

class GraphObjectListMoveTest : public GraphObjectListTest,
                                public ::testing::WithParamInterface<TMoveCase> {};

TEST_P(GraphObjectListMoveTest, MovesOneObjectAndReportsReordered) {
  Fill(4);
  const TMoveCase& c = GetParam();
  List.Move(c.From, c.To);
  std::vector<TGraphObject*> expected;
  for (int i : c.Expected) expected.push_back(Obj(i));
  EXPECT_EQ(Contents(), expected);
  if (c.From == c.To)
    EXPECT_TRUE(Changes.empty());
  else
    EXPECT_EQ(Changes, (std::vector<TRecordedChange>{{Obj(c.From), glaReordered}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, GraphObjectListMoveTest,
                         ::testing::Values(TMoveCase{1, 1, {0, 1, 2, 3}}, TMoveCase{0, 3, {1, 2, 3, 0}},
                                           TMoveCase{3, 0, {3, 0, 1, 2}}, TMoveCase{1, 2, {0, 2, 1, 3}},
                                           TMoveCase{2, 1, {0, 2, 1, 3}}),
                         [](const auto& info) {
                           return "From" + test::NumberName(info.param.From) + "To" +
                                  test::NumberName(info.param.To);
                         });

TEST_F(GraphObjectListTest, EnumerationSurvivesDeletingTheCurrentObject) {
  Fill(5);
  std::vector<TGraphObject*> visited;
  for (TGraphObject* o = List.First(); o; o = List.Next()) {
    visited.push_back(o);
    if (o == Obj(1)) List.Delete(1);  // the current one
    if (o == Obj(3)) List.Delete(0);  // one before the current
  }
  EXPECT_EQ(visited, (std::vector<TGraphObject*>{Obj(0), Obj(1), Obj(2), Obj(3), Obj(4)}));
}

TEST_F(GraphObjectListTest, EnumerationVisitsAppendedObjectsAndNotMovedOnesTwice) {
  Fill(3);
  std::vector<TGraphObject*> visited;
  for (TGraphObject* o = List.First(); o; o = List.Next()) {
    visited.push_back(o);
    if (o == Obj(1)) {
      List.Move(1, 0);   // sending the current object to the back
      List.Add(Obj(9));  // appended during the enumeration
      List.Insert(0, Obj(8));
    }
  }
  EXPECT_EQ(visited, (std::vector<TGraphObject*>{Obj(0), Obj(1), Obj(2), Obj(9)}));
}

TEST_F(GraphObjectListTest, NextAfterTheEndOrWithoutFirstFails) {
  EXPECT_THROW(List.Next(), EListError);
  EXPECT_EQ(List.First(), nullptr);
  Fill(1);
  EXPECT_EQ(List.First(), Obj(0));
  EXPECT_EQ(List.Next(), nullptr);
  try {
    List.Next();
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List enumeration is not initialized");
  }
}

TEST_F(GraphObjectListTest, AssignCopiesInOrderAndDestructionReportsEveryObject) {
  Fill(3);
  std::vector<TRecordedChange> reported;
  {
    TGraphObjectList copy;
    copy.Add(Obj(7));
    copy.OnChange = [&](TGraphObjectList*, TGraphObject* o, TGraphListAction a) {
      reported.push_back({o, a});
    };
    copy.Assign(List);
    EXPECT_EQ(copy.Items(), List.Items());
    EXPECT_EQ(copy.Capacity(), 3);
    reported.clear();
  }
  EXPECT_EQ(reported,
            (std::vector<TRecordedChange>{{Obj(2), glaRemoved}, {Obj(1), glaRemoved}, {Obj(0), glaRemoved}}));
}

TEST_F(GraphObjectListTest, NullObjectsAreNeverReported) {
  List.Add(nullptr);
  List.Delete(0);
  EXPECT_TRUE(Changes.empty());
}

// ---- Position keys -----------------------------------------------------------------------------

// A keyed list against a plain vector through random inserts (many at the
// front and between two neighbours, which use up the gaps between keys and
// force renumbering), moves, deletions, replacements and a duplicate.
TEST(GraphObjectListKeys, KeyedListFindsEveryObjectWhereAScanWould) {
  TGraphControl graph;
  std::vector<TGraphObject*> pool;
  for (int i = 0; i < 40; ++i) pool.push_back(test::TTestNode::Create(&graph, {i, i, i + 5, i + 5}));
  TGraphObjectList list;
  list.KeepPositionKeys(1);  // the slot the selection would use
  std::vector<TGraphObject*> model;
  std::mt19937 random(7);
  auto pick = [&](size_t n) { return static_cast<int32_t>(random() % n); };
  auto expectSameIndexes = [&](int step) {
    for (TGraphObject* o : pool) {
      const auto last = std::find(model.rbegin(), model.rend(), o);
      const int32_t expected = last == model.rend() ? -1 : static_cast<int32_t>(model.rend() - last - 1);
      ASSERT_EQ(list.IndexOf(o), expected) << "step " << step;
    }
    ASSERT_EQ(list.Items(), model) << "step " << step;
  };
  for (int step = 0; step < 3000; ++step) {
    std::vector<TGraphObject*> absent;
    for (TGraphObject* o : pool)
      if (std::find(model.begin(), model.end(), o) == model.end()) absent.push_back(o);
    const int what = pick(10);
    if ((what < 4 || model.empty()) && !absent.empty()) {
      TGraphObject* o = absent[static_cast<size_t>(pick(absent.size()))];
      const int32_t index = what < 2 || model.empty() ? 0 : pick(model.size() + 1);
      list.Insert(index, o);
      model.insert(model.begin() + index, o);
    } else if (what < 6 && model.size() > 1) {
      const int32_t from = pick(model.size()), to = what == 4 ? 0 : pick(model.size());
      list.Move(from, to);
      TGraphObject* o = model[static_cast<size_t>(from)];
      model.erase(model.begin() + from);
      model.insert(model.begin() + to, o);
    } else if (what < 8 && !model.empty()) {
      const int32_t index = pick(model.size());
      list.Delete(index);
      model.erase(model.begin() + index);
    } else if (!model.empty() && !absent.empty()) {
      TGraphObject* o = model[static_cast<size_t>(pick(model.size()))];
      TGraphObject* replacement = absent[static_cast<size_t>(pick(absent.size()))];
      list.Replace(o, replacement);
      *std::find(model.rbegin(), model.rend(), o) = replacement;
    }
    expectSameIndexes(step);
  }
  // Holding an object twice gives up the keys; emptied, the list keeps them again.
  ASSERT_FALSE(model.empty());
  list.Add(model.front());
  model.push_back(model.front());
  EXPECT_FALSE(list.KeepsPositionKeys());
  expectSameIndexes(-1);
  list.Clear();
  EXPECT_TRUE(list.KeepsPositionKeys());
  list.Add(pool[0]);
  list.Add(pool[1]);
  EXPECT_LT(list.PositionKey(pool[0]), list.PositionKey(pool[1]));
}

}  // namespace
}  // namespace gc
