// Copy, cut, paste and duplicate through a fake clipboard: what goes onto
// the clipboard, how pasted objects are numbered, hooked and placed, and that
// data which does not read changes nothing.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "support/FakeClipboard.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"
#include "support/LibraryTest.h"

namespace gc {
namespace {

using TBytes = std::vector<uint8_t>;

class ControlClipboardTest : public test::LibraryTest {
 protected:
  // A (1), B (2) and C (3); link L (4) from A to B, link M (5) from A to C.
  void SetUp() override {
    for (TGraphControl* g : {&Graph, &Other}) {
      g->SetClipboard(&Clipboard);
      g->SetSnapToGrid(false);
    }
    A = Node({10, 10, 90, 50}, "A");
    B = Node({200, 10, 280, 60}, "B");
    C = Node({10, 200, 90, 260}, "");
    L = TGraphLink::CreateNew(&Graph, A, {}, B);
    M = TGraphLink::CreateNew(&Graph, A, {{50, 150}}, C);
    Graph.ClearHistory();
  }

  TGraphNode* Node(const TRect& r, const std::string& text) {
    auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, r);
    node->SetText(text);
    return node;
  }
  static void Select(std::initializer_list<TGraphObject*> objects) {
    for (TGraphObject* o : objects) o->SetSelected(true);
  }
  static std::vector<uint32_t> IDs(const TGraphObjectList& list) {
    std::vector<uint32_t> ids;
    for (TGraphObject* o : list) ids.push_back(o->ID());
    return ids;
  }
  static TBytes Bytes(TGraphControl& graph) {
    TMemoryStream stream;
    graph.WriteObjects(stream, graph.Objects());
    return stream.Bytes();
  }
  static TGraphLink* AsLink(TGraphObject* o) { return dynamic_cast<TGraphLink*>(o); }

  TFakeClipboard Clipboard;
  TGraphControl Graph;
  TGraphControl Other;
  TGraphNode *A = nullptr, *B = nullptr, *C = nullptr;
  TGraphLink *L = nullptr, *M = nullptr;
};

TEST_F(ControlClipboardTest, CopyOffersTheObjectsInZOrderAndTheirCaptionsAsText) {
  Select({L, B, A});
  ASSERT_TRUE(Graph.CopyToClipboard());
  EXPECT_EQ(Clipboard.Content.Text, "A\nB");
  ASSERT_GE(Clipboard.Content.Native.size(), 8u);
  EXPECT_EQ(TBytes(Clipboard.Content.Native.begin(), Clipboard.Content.Native.begin() + 8),
            (TBytes{'0', '.', 'G', 'S', 3, 0, 0, 0}));

  ASSERT_TRUE(Other.PasteFromClipboard());
  EXPECT_EQ(IDs(Other.Objects()), (std::vector<uint32_t>{1, 2, 4}));
  auto* link = AsLink(Other.Objects()[2]);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->Source(), Other.Objects()[0]);
  EXPECT_EQ(link->Target(), Other.Objects()[1]);
  EXPECT_EQ(Other.Objects()[0]->GetBoundsRect(), (TRect{10, 10, 90, 50})) << "nothing like them was there";
}

TEST_F(ControlClipboardTest, NothingSelectedCopiesNothing) {
  EXPECT_FALSE(Graph.CopyToClipboard());
  EXPECT_EQ(Clipboard.SetCount, 0);
  EXPECT_FALSE(Graph.PasteFromClipboard());
}

TEST_F(ControlClipboardTest, ALinkCopiedWithoutOneEndKeepsItsPointsAndLosesThatHook) {
  Select({A, M});
  const TPoints points = M->Polyline();
  ASSERT_TRUE(Graph.CopyToClipboard());
  ASSERT_TRUE(Other.PasteFromClipboard());
  auto* link = AsLink(Other.Objects()[1]);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->Source(), Other.Objects()[0]);
  EXPECT_EQ(link->Target(), nullptr);
  EXPECT_EQ(link->Polyline(), points);
}

TEST_F(ControlClipboardTest, PastingIntoTheSameDiagramRenumbersOffsetsAndSelectsTheCopies) {
  Select({A, B, L});
  Graph.CopyToClipboard();
  const TBytes before = Bytes(Graph);
  ASSERT_TRUE(Graph.PasteFromClipboard());
  EXPECT_EQ(IDs(Graph.Objects()), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(IDs(Graph.SelectedObjects()), (std::vector<uint32_t>{6, 7, 8}));
  EXPECT_EQ(Graph.ObjectByID(6)->GetBoundsRect(), (TRect{26, 26, 106, 66})) << "two grid steps of 8";
  EXPECT_EQ(Graph.ObjectByID(7)->GetBoundsRect(), (TRect{216, 26, 296, 76}));
  auto* copy = AsLink(Graph.ObjectByID(8));
  EXPECT_EQ(copy->Source(), Graph.ObjectByID(6));
  EXPECT_EQ(copy->Target(), Graph.ObjectByID(7));
  EXPECT_EQ(copy->Polyline().front().Y - L->Polyline().front().Y, 16) << "the link follows its nodes";

  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "paste");
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(Graph), before);
}

TEST_F(ControlClipboardTest, DuplicatesStepAwayFromEachOtherAndLeaveTheClipboardAlone) {
  Select({C});
  ASSERT_TRUE(Graph.DuplicateSelection());
  ASSERT_TRUE(Graph.DuplicateSelection());
  EXPECT_EQ(Clipboard.SetCount, 0);
  EXPECT_EQ(Graph.ObjectByID(6)->GetBoundsRect(), (TRect{26, 216, 106, 276}));
  EXPECT_EQ(Graph.ObjectByID(7)->GetBoundsRect(), (TRect{42, 232, 122, 292}));
  EXPECT_EQ(Graph.UndoName(), "duplicate");
}

TEST_F(ControlClipboardTest, PastingWithTheMouseOverTheControlPlacesTheObjectsAtThePointer) {
  TFakeHost host;
  host.Cursor = {300, 200};
  Graph.SetHost(&host);
  Select({B, C});
  Graph.CopyToClipboard();
  ASSERT_TRUE(Graph.PasteFromClipboard());
  EXPECT_EQ(Graph.ObjectByID(6)->GetBoundsRect(), (TRect{490, 200, 570, 250}));
  EXPECT_EQ(Graph.ObjectByID(7)->GetBoundsRect(), (TRect{300, 390, 380, 450}));
  Graph.SetHost(nullptr);
}

TEST_F(ControlClipboardTest, CutCopiesAndDeletesInOneStep) {
  Select({B, L});
  const TBytes before = Bytes(Graph);
  ASSERT_TRUE(Graph.CutToClipboard());
  EXPECT_EQ(IDs(Graph.Objects()), (std::vector<uint32_t>{1, 3, 5}));
  EXPECT_EQ(Graph.UndoCount(), 1);
  EXPECT_EQ(Graph.UndoName(), "cut");
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Bytes(Graph), before);
  ASSERT_TRUE(Other.PasteFromClipboard());
  EXPECT_EQ(Other.Objects().Count(), 2);
}

struct TBadData {
  const char* Name;
  TBytes Native;
  const char* Message;
  friend void PrintTo(const TBadData& d, std::ostream* os) { *os << d.Name; }
};

class PastingBadData : public ControlClipboardTest, public ::testing::WithParamInterface<TBadData> {};

TEST_P(PastingBadData, ChangesNothingAndReportsTheReadersError) {
  Clipboard.Content.Native = GetParam().Native;
  const TBytes before = Bytes(Graph);
  try {
    Graph.PasteFromClipboard();
    FAIL() << "pasted";
  } catch (const EGraphException& e) {
    EXPECT_EQ(e.Message(), GetParam().Message);
  }
  EXPECT_EQ(Bytes(Graph), before);
  EXPECT_FALSE(Graph.CanUndo());
}

const TBadData BadData[] = {
    {"NoSignature", {'T', 'P', 'F', '0', 1, 0, 0, 0}, "Invalid stream content"},
    {"UnknownClass", {'0', '.', 'G', 'S', 1, 0, 0, 0, 2, 0, 0, 0, 'X', 0}, "Klasse X nicht gefunden"},
    {"Truncated",
     {'0', '.', 'G', 'S', 1, 0, 0, 0, 17, 0, 0, 0, 'T', 'R', 'e', 'c', 't'},
     "Stream-Lesefehler"},
};

INSTANTIATE_TEST_SUITE_P(Clipboard, PastingBadData, ::testing::ValuesIn(BadData),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace gc
