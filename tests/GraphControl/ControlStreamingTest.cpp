// The diagram stream: exact bytes of known diagrams, lossless round trips of
// every class, reading into a non-empty diagram, damaged and hostile input,
// custom data, snapshots (also through a cancelled drag), class conversion
// and rendering through the platform's image hook.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/PropertyStream.h"
#include "GraphControl/RenderHooks.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "platform/Canvas.h"
#include "platform/Platform.h"
#include "support/FixedWidthCanvas.h"
#include "support/StreamBytes.h"

namespace gc {
namespace {

using TBytes = std::vector<uint8_t>;

using test::Put;
using test::PutBytes;
using test::PutInt32;
using test::PutShort;

// An object record's header: class name record, "TPF0", wrapper class, empty name.
void PutObjectHeader(TBytes& b, std::string_view className) {
  PutInt32(b, static_cast<int32_t>(className.size() + 1));
  Put(b, className);
  b.push_back(0);
  Put(b, "TPF0");
  PutShort(b, "TGraphStreamableObject");
  b.push_back(0);
}
bool Contains(const TBytes& haystack, const TBytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class DiagramStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GraphControlStartup();
    InstallFixedWidthMeasurer();
  }
  void TearDown() override { GraphControlShutdown(); }
  // `b` is left, top, width, height.
  TGraphNode* Node(const TRect& b, const TGraphObjectClass* cls = TRectangularNode::StaticClass()) {
    return static_cast<TGraphNode*>(
        TGraphNode::CreateWithBounds(cls, &Graph, {b.Left, b.Top, b.Left + b.Right, b.Top + b.Bottom}));
  }
  TGraphLink* Link(TGraphObject* source, TGraphObject* target, const TPoints& points = {}) {
    return TGraphLink::CreateNew(&Graph, source, points, target);
  }
  static TBytes Save(TGraphControl& graph) { return test::SavedBytes(graph); }
  static void Load(TGraphControl& graph, const TBytes& bytes) { test::LoadBytes(graph, bytes); }
  static std::string LoadError(TGraphControl& graph, const TBytes& bytes) {
    try {
      Load(graph, bytes);
    } catch (const EGraphException& e) {
      return e.what();
    }
    return "no error";
  }

  TGraphControl Graph;
};

// ---- Exact bytes ----------------------------------------------------------------------------

TEST_F(DiagramStreamTest, OneRectangleWithTextIsTheKnown117Bytes) {
  Node({10, 20, 100, 50})->SetText("Widget");
  TBytes expected;
  PutBytes(expected, {0x30, 0x2E, 0x47, 0x53, 0x01, 0x00, 0x00, 0x00});
  PutObjectHeader(expected, "TRectangularNode");
  PutShort(expected, "ID");
  PutBytes(expected, {0x02, 0x01});
  PutShort(expected, "G.Text");
  expected.push_back(0x06);
  PutShort(expected, "Widget");
  for (auto [path, value] : {std::pair{"G.Left", 10}, {"G.Top", 20}, {"G.Width", 100}, {"G.Height", 50}}) {
    PutShort(expected, path);
    PutBytes(expected, {0x02, static_cast<uint8_t>(value)});
  }
  PutBytes(expected, {0x00, 0x00});
  ASSERT_EQ(expected.size(), 117u);
  EXPECT_EQ(Save(Graph), expected);
  EXPECT_FALSE(Graph.Modified());
}

TEST_F(DiagramStreamTest, OwnFontAndFillWriteTheirRecordsInTableOrder) {
  TGraphNode* node = Node({40, 40, 120, 30});
  node->SetText("Start");
  node->Brush().SetColor(clYellow);
  node->Font().SetName("Arial");
  node->Font().SetSize(10);
  node->Font().SetColor(clRed);
  node->Font().SetCharset(DEFAULT_CHARSET);
  node->Font().SetStyle(0);
  node->Font().SetPitch(TFontPitch::fpDefault);
  TBytes expected;
  PutShort(expected, "G.Text");
  expected.push_back(0x06);
  PutShort(expected, "Start");
  PutShort(expected, "G.Brush.Color");
  expected.push_back(0x07);
  PutShort(expected, "clYellow");
  PutShort(expected, "G.Font.Charset");
  expected.push_back(0x07);
  PutShort(expected, "DEFAULT_CHARSET");
  PutShort(expected, "G.Font.Color");
  expected.push_back(0x07);
  PutShort(expected, "clRed");
  PutShort(expected, "G.Font.Height");
  PutBytes(expected, {0x02, 0xF3});
  PutShort(expected, "G.Font.Name");
  expected.push_back(0x06);
  PutShort(expected, "Arial");
  PutShort(expected, "G.Font.Style");
  PutBytes(expected, {0x0B, 0x00});
  PutShort(expected, "G.ParentFont");
  expected.push_back(0x08);
  for (auto [path, value] : {std::pair{"G.Left", 40}, {"G.Top", 40}, {"G.Width", 120}, {"G.Height", 30}}) {
    PutShort(expected, path);
    PutBytes(expected, {0x02, static_cast<uint8_t>(value)});
  }
  PutBytes(expected, {0x00, 0x00});
  const TBytes saved = Save(Graph);
  TBytes idRecord;
  PutShort(idRecord, "ID");
  PutBytes(idRecord, {0x02, 0x01});
  idRecord.insert(idRecord.end(), expected.begin(), expected.end());
  EXPECT_TRUE(Contains(saved, idRecord));
  EXPECT_EQ(saved.size(), 8 + 21 + 4 + 23 + 1 + idRecord.size());
}

TEST_F(DiagramStreamTest, EmptyDiagramIsSignatureAndZeroCount) {
  EXPECT_EQ(Save(Graph), (TBytes{0x30, 0x2E, 0x47, 0x53, 0, 0, 0, 0}));
  Node({0, 0, 50, 50});
  Load(Graph, {0x30, 0x2E, 0x47, 0x53, 0, 0, 0, 0});
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_FALSE(Graph.Modified());
}

// ---- Round trips ----------------------------------------------------------------------------

// Every property away from its default, so every record is written.
void SetEveryObjectProperty(TGraphObject* o) {
  o->SetText("Größe ÄÖ and a caption");
  o->SetHint(std::string(300, 'h'));
  o->Brush().SetColor(0x00123456);
  o->Brush().SetStyle(TBrushStyle::bsCross);
  o->Pen().SetColor(clBtnFace);
  o->Pen().SetMode(TPenMode::pmXor);
  o->Pen().SetStyle(TPenStyle::psDot);
  o->Pen().SetWidth(3);
  o->Font().SetName("Courier New");
  o->Font().SetHeight(-17);
  o->Font().SetColor(clNavy);
  o->Font().SetCharset(238);
  o->Font().SetPitch(TFontPitch::fpFixed);
  o->Font().SetStyle(fsBold | fsStrikeOut);
  o->SetOptions(goSelectable);
  o->SetVisible(false);
  o->SetTag(-40000);
  o->SetHasCustomData(true);
}

class DiagramRoundTripTest : public DiagramStreamTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DiagramRoundTripTest, EveryPropertySurvivesSaveLoadSaveByteForByte) {
  const TGraphObjectClass* cls = FindGraphClass(GetParam());
  ASSERT_NE(cls, nullptr);
  Graph.OnObjectWrite = [](TGraphControl*, TGraphObject* o, TStream& s) { s.WriteUInt32(o->ID() * 7); };
  TGraphNode* a = Node({-30, 200, 40000, 90}, cls);
  TGraphNode* b = Node({500, 10, 60, 60}, cls);
  TGraphLink* link = Link(a, b, {{300, 300}, {310, 320}});
  SetEveryObjectProperty(a);
  a->SetAlignment(taRightJustify);
  a->SetLayout(tlBottom);
  a->SetMargin(3);
  const TGraphic bitmap{"TBitmap", {'B', 'M', 1, 2, 3}};
  a->Background().SetGraphic(&bitmap);
  a->SetBackgroundMargins({5, 10, 15, 20});
  a->SetNodeOptions(gnoResizable);
  SetEveryObjectProperty(link);
  link->SetBeginStyle(lsDiamond);
  link->SetBeginSize(200);
  link->SetEndStyle(lsCircle);
  link->SetEndSize(9);
  link->SetLinkOptions(gloFixedEndPoint | gloFixedBreakPoints);
  link->SetTextPosition(1);
  link->SetTextSpacing(4);
  const TBytes first = Save(Graph);

  TGraphControl copy;
  std::vector<uint32_t> customRead;
  copy.OnObjectRead = [&](TGraphControl*, TGraphObject*, TStream& s) {
    customRead.push_back(s.ReadUInt32());
  };
  copy.OnObjectWrite = Graph.OnObjectWrite;
  Load(copy, first);
  ASSERT_EQ(copy.Objects().Count(), 3);
  EXPECT_EQ(customRead, (std::vector<uint32_t>{7, 21}));
  auto* loadedLink = static_cast<TGraphLink*>(copy.Objects().Items(2));
  EXPECT_EQ(loadedLink->Source(), copy.Objects().Items(0));
  EXPECT_EQ(loadedLink->Target(), copy.Objects().Items(1));
  EXPECT_EQ(copy.Objects().Items(0)->Text(), "Größe ÄÖ and a caption");
  EXPECT_EQ(Save(copy), first);
}

INSTANTIATE_TEST_SUITE_P(NodeClasses, DiagramRoundTripTest,
                         ::testing::Values("TRectangularNode", "TRoundRectangularNode", "TEllipticNode",
                                           "TTriangularNode", "TRhomboidalNode", "TPentagonalNode",
                                           "THexagonalNode"),
                         [](const auto& info) { return std::string(info.param).substr(1); });

TEST_F(DiagramStreamTest, ClashingIdentifiersAreRenumberedAndLinksJoinTheSameObjects) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  a->SetText("a");
  b->SetText("b");
  Link(a, b)->SetText("a-b");
  TMemoryStream block;
  Graph.WriteObjects(block, Graph.Objects());

  TGraphControl target;
  for (int i = 0; i < 3; ++i)
    TGraphNode::CreateWithBounds<TEllipticNode>(&target, {0, 200 * i, 30, 30})->SetText("old");
  block.SetPosition(0);
  target.ReadObjects(block);
  ASSERT_EQ(target.Objects().Count(), 6);
  std::vector<uint32_t> ids;
  for (TGraphObject* o : target.Objects()) ids.push_back(o->ID());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "identifiers stay unique";
  auto* link = static_cast<TGraphLink*>(target.Objects().Items(5));
  ASSERT_NE(link->Source(), nullptr);
  ASSERT_NE(link->Target(), nullptr);
  EXPECT_EQ(link->Source()->Text(), "a");
  EXPECT_EQ(link->Target()->Text(), "b");
  EXPECT_EQ(link->SourceID(), link->Source()->ID());
}

TEST_F(DiagramStreamTest, LoadKeepsStoredIdentifiersAndAMissingTargetLeavesAFreeEnd) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  TGraphLink* link = Link(a, b);
  a->SetZOrder(2);  // identifiers out of z-order
  TGraphControl copy;
  Load(copy, Save(Graph));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(copy.Objects().Items(i)->ID(), Graph.Objects().Items(i)->ID());
  // The target's record is dropped from the file: the link keeps a free end.
  TMemoryStream block;
  TGraphObjectList withoutTarget;
  withoutTarget.Add(a);
  withoutTarget.Add(link);
  block.WriteBuffer("0.GS", 4);
  Graph.WriteObjects(block, withoutTarget);
  TGraphControl partial;
  Load(partial, block.Bytes());
  auto* loaded = static_cast<TGraphLink*>(partial.Objects().Items(1));
  EXPECT_EQ(loaded->Source(), partial.Objects().Items(0));
  EXPECT_EQ(loaded->Target(), nullptr);
}

TEST_F(DiagramStreamTest, IdentifiersFromTwoToThe31UpUseNegativeIdAndSixtyFourBitLinkEnds) {
  TBytes b{0x30, 0x2E, 0x47, 0x53};
  PutInt32(b, 2);
  PutObjectHeader(b, "TRectangularNode");
  PutShort(b, "ID");
  PutBytes(b, {0x04, 0x00, 0x00, 0x00, 0x80});
  for (const char* path : {"G.Left", "G.Top", "G.Width", "G.Height"}) {
    PutShort(b, path);
    PutBytes(b, {0x02, 40});
  }
  PutBytes(b, {0, 0});
  PutObjectHeader(b, "TGraphLink");
  PutShort(b, "ID");
  PutBytes(b, {0x02, 0x07});
  PutShort(b, "G.Source");
  PutBytes(b, {0x13, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0});
  PutShort(b, "G.BreakPoints");
  PutBytes(b, {0x0A, 20, 0, 0, 0, 2, 0, 0, 0});
  for (int i = 0; i < 4; ++i) PutInt32(b, 100 + i);
  PutBytes(b, {0, 0});
  Load(Graph, b);
  ASSERT_EQ(Graph.Objects().Count(), 2);
  EXPECT_EQ(Graph.Objects().Items(0)->ID(), 0x80000000u);
  auto* link = static_cast<TGraphLink*>(Graph.Objects().Items(1));
  EXPECT_EQ(link->Source(), Graph.Objects().Items(0));
  // The hooked first point moved onto the node's outline, so compare the records only.
  const TBytes saved = Save(Graph);
  TBytes source;
  PutShort(source, "G.Source");
  PutBytes(source, {0x13, 0x00, 0x00, 0x00, 0x80, 0, 0, 0, 0});
  EXPECT_TRUE(Contains(saved, source));
  EXPECT_TRUE(Contains(saved, TBytes(b.begin() + 12, b.begin() + 12 + 17 + 4 + 23 + 1 + 3 + 5)));
}

// ---- Older link records -----------------------------------------------------------------------

TEST_F(DiagramStreamTest, OlderLinkPathsSetEndsKindAndArrowSize) {
  TBytes b;
  PutBytes(b, {0x30, 0x2E, 0x47, 0x53});
  PutInt32(b, 3);
  for (int id = 1; id <= 2; ++id) {
    PutObjectHeader(b, "TRectangularNode");
    PutShort(b, "ID");
    PutBytes(b, {0x02, static_cast<uint8_t>(id)});
    for (auto [path, value] :
         {std::pair{"G.Left", id * 100}, {"G.Top", 0}, {"G.Width", 50}, {"G.Height", 50}}) {
      PutShort(b, path);
      PutBytes(b, {0x03, static_cast<uint8_t>(value), 0});
    }
    PutBytes(b, {0, 0});
  }
  PutObjectHeader(b, "TGraphLink");
  PutShort(b, "ID");
  PutBytes(b, {0x02, 3});
  PutShort(b, "G.FromNode");
  PutBytes(b, {0x02, 1});
  PutShort(b, "G.ToNode");
  PutBytes(b, {0x02, 2});
  PutShort(b, "G.Kind");
  b.push_back(0x07);
  PutShort(b, "lkBidirected");
  PutShort(b, "G.ArrowSize");
  PutBytes(b, {0x02, 4});
  PutBytes(b, {0, 0});
  Load(Graph, b);
  ASSERT_EQ(Graph.Objects().Count(), 3);
  auto* link = static_cast<TGraphLink*>(Graph.Objects().Items(2));
  EXPECT_EQ(link->Source(), Graph.Objects().Items(0));
  EXPECT_EQ(link->Target(), Graph.Objects().Items(1));
  EXPECT_EQ(link->BeginStyle(), lsArrow);
  EXPECT_EQ(link->EndStyle(), lsArrow);
  EXPECT_EQ(link->BeginSize(), 6);
  EXPECT_EQ(link->EndSize(), 6);
  EXPECT_EQ(link->PointCount(), 2) << "a link stored without points gets its two ends";
}

// ---- Custom data --------------------------------------------------------------------------------

TEST_F(DiagramStreamTest, EmptyCustomDataIsStoredAsZeroAndRaisesNoReadEvent) {
  Node({0, 0, 50, 50})->SetHasCustomData(true);
  const TBytes bytes = Save(Graph);
  TBytes record;
  PutShort(record, "G.CustomData");
  PutBytes(record, {0x0A, 4, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_TRUE(Contains(bytes, record));
  int reads = 0;
  TGraphControl copy;
  copy.OnObjectRead = [&](TGraphControl*, TGraphObject*, TStream&) { ++reads; };
  Load(copy, bytes);
  EXPECT_EQ(reads, 0);
  EXPECT_TRUE(copy.Objects().Items(0)->HasCustomData());
}

// ---- Failures -------------------------------------------------------------------------------------

TEST_F(DiagramStreamTest, WrongOrShortSignatureLeavesTheDiagramUntouched) {
  Node({0, 0, 50, 50});
  for (const TBytes& bad : {TBytes{}, TBytes{0x30, 0x2E, 0x47}, TBytes{0x30, 0x2E, 0x47, 0x54, 0, 0, 0, 0}}) {
    EXPECT_THROW(Load(Graph, bad), EGraphStreamError);
    EXPECT_EQ(LoadError(Graph, bad), "Invalid stream content");
    EXPECT_EQ(Graph.Objects().Count(), 1);
  }
}

TEST_F(DiagramStreamTest, UnknownClassEmptiesTheDiagramAndNamesTheClass) {
  Node({0, 0, 50, 50});
  TBytes b;
  PutBytes(b, {0x30, 0x2E, 0x47, 0x53});
  PutInt32(b, 1);
  PutObjectHeader(b, "TNoSuchNode");
  PutBytes(b, {0, 0});
  int changes = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++changes; };
  EXPECT_EQ(LoadError(Graph, b), "Klasse TNoSuchNode nicht gefunden");
  EXPECT_EQ(Graph.Objects().Count(), 0);
  EXPECT_FALSE(Graph.Modified());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Graph.UpdateCount(), 0);
  EXPECT_EQ(Graph.QuerySuppressCount(), 0);
}

TEST_F(DiagramStreamTest, PartialLoadKeepsCompletedObjectsAndDiscardsTheBrokenOne) {
  Node({0, 0, 50, 50})->SetText("kept");
  Node({100, 0, 50, 50})->SetText("broken");
  TBytes bytes = Save(Graph);
  // Replace the second object's "G.Text" with an unknown property name.
  const TBytes text{6, 'G', '.', 'T', 'e', 'x', 't', 6, 6, 'b'};
  auto it = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
  ASSERT_NE(it, bytes.end());
  it[4] = 'q';
  TGraphControl copy;
  int inserts = 0;
  copy.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { ++inserts; };
  EXPECT_EQ(LoadError(copy, bytes), "Eigenschaft Tqxt existiert nicht.");
  ASSERT_EQ(copy.Objects().Count(), 1);
  EXPECT_EQ(copy.Objects().Items(0)->Text(), "kept");
  EXPECT_EQ(inserts, 1);
  EXPECT_TRUE(copy.Modified()) << "the appended object's change is the last deferred change";
  EXPECT_EQ(copy.UpdateCount(), 0);
  EXPECT_EQ(copy.QuerySuppressCount(), 0);
}

bool IdentifiersUnique(const TGraphControl& graph) {
  std::vector<uint32_t> ids;
  for (TGraphObject* o : graph.Objects()) ids.push_back(o->ID());
  std::sort(ids.begin(), ids.end());
  return std::adjacent_find(ids.begin(), ids.end()) == ids.end();
}
bool NoneLoading(const TGraphControl& graph) {
  return std::none_of(graph.Objects().begin(), graph.Objects().end(),
                      [](TGraphObject* o) { return o->HasState(stLoading); });
}

// A block whose last record fails (an unknown property), read into a diagram
// holding the same identifiers: the objects read before the failure end up
// as a successful read leaves them, and a save keeps the link's hooks.
TEST_F(DiagramStreamTest, FailedReadFinishesTheObjectsReadBeforeTheFailure) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  a->SetText("a");
  b->SetText("b");
  Link(a, b);
  Node({200, 0, 50, 50})->SetText("broken");
  TMemoryStream block;
  Graph.WriteObjects(block, Graph.Objects());
  TBytes bytes = block.Bytes();
  const TBytes text{6, 'G', '.', 'T', 'e', 'x', 't', 6, 6, 'b', 'r'};
  auto it = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
  ASSERT_NE(it, bytes.end());
  it[4] = 'q';

  TGraphControl target;
  for (int i = 0; i < 2; ++i) TGraphNode::CreateWithBounds<TEllipticNode>(&target, {0, 200, 30, 30});
  TMemoryStream in(bytes);
  EXPECT_THROW(target.ReadObjects(in), EReadError);
  ASSERT_EQ(target.Objects().Count(), 5);
  EXPECT_TRUE(IdentifiersUnique(target));
  EXPECT_TRUE(NoneLoading(target));
  auto* link = static_cast<TGraphLink*>(target.Objects().Items(4));
  ASSERT_NE(link->Source(), nullptr);
  ASSERT_NE(link->Target(), nullptr);
  EXPECT_EQ(link->Source()->Text(), "a");
  EXPECT_EQ(link->Target()->Text(), "b");

  TGraphControl copy;
  Load(copy, Save(target));
  auto* copied = static_cast<TGraphLink*>(copy.Objects().Items(4));
  ASSERT_NE(copied->Source(), nullptr);
  EXPECT_EQ(copied->Source()->Text(), "a");
  EXPECT_EQ(copied->Target()->Text(), "b");
}

// The objects a read appends are known by identity, not by position: an
// OnObjectInsert handler deleting an older object does not leave the first
// object read loading.
TEST_F(DiagramStreamTest, HandlerDeletingObjectsDuringAReadLeavesNoObjectLoading) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  Link(a, b);
  TMemoryStream block;
  Graph.WriteObjects(block, Graph.Objects());

  TGraphControl target;
  TGraphObject* older = TGraphNode::CreateWithBounds<TEllipticNode>(&target, {0, 200, 30, 30});
  target.OnObjectInsert = [&](TGraphControl*, TGraphObject*) {
    if (older) std::exchange(older, nullptr)->Delete();
  };
  block.SetPosition(0);
  target.ReadObjects(block);
  ASSERT_EQ(target.Objects().Count(), 3);
  EXPECT_TRUE(NoneLoading(target));
  auto* link = static_cast<TGraphLink*>(target.Objects().Items(2));
  EXPECT_EQ(link->Source(), target.Objects().Items(0));
  EXPECT_EQ(link->Target(), target.Objects().Items(1));
}

// Every cut of a complete file fails cleanly: a stream error, the locks
// restored, and only whole objects left.
TEST_F(DiagramStreamTest, FileCutAtEveryOffsetFailsCleanly) {
  Graph.OnObjectWrite = [](TGraphControl*, TGraphObject*, TStream& s) { s.WriteUInt32(0xABCDEF01); };
  TGraphNode* a = Node({0, 0, 50, 50});
  a->SetText("Größe");
  a->SetHasCustomData(true);
  const TGraphic icon{"TIcon", {1, 2, 3, 4, 5, 6}};
  a->Background().SetGraphic(&icon);
  a->SetBackgroundMargins({1, 2, 3, 4});
  TGraphNode* b = Node({100, 0, 50, 50});
  Link(a, b, {{70, 70}})->SetText("x");
  const TBytes full = Save(Graph);
  for (size_t cut = 0; cut < full.size(); ++cut) {
    TGraphControl copy;
    const TBytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(Load(copy, part), EGraphException) << "cut at " << cut;
    EXPECT_LE(copy.Objects().Count(), 2) << "cut at " << cut;
    EXPECT_EQ(copy.UpdateCount(), 0);
    EXPECT_EQ(copy.QuerySuppressCount(), 0);
  }
  TGraphControl whole;
  whole.OnObjectWrite = Graph.OnObjectWrite;
  Load(whole, full);
  EXPECT_EQ(Save(whole), full);
}

TEST_F(DiagramStreamTest, HugeObjectCountFailsWithoutReservingForIt) {
  TBytes b{0x30, 0x2E, 0x47, 0x53};
  PutInt32(b, 2000000000);
  b.resize(40, 0);
  EXPECT_EQ(LoadError(Graph, b), "Ungültiges Stream-Format");
  EXPECT_LT(Graph.Objects().Capacity(), 16);
}

TEST_F(DiagramStreamTest, OverlongClassNameIsRejectedBeforeItsBytesAreRead) {
  TBytes b{0x30, 0x2E, 0x47, 0x53};
  PutInt32(b, 1);
  PutInt32(b, 257);
  b.resize(b.size() + 300, 'A');
  TMemoryStream s(b);
  EXPECT_THROW(Graph.LoadFromStream(s), EReadError);
  EXPECT_EQ(s.Position(), 12);
  // 256 bytes (255 characters and the zero) are still a name record.
  TBytes ok{0x30, 0x2E, 0x47, 0x53};
  PutInt32(ok, 1);
  PutInt32(ok, 256);
  ok.resize(ok.size() + 255, 'A');
  ok.push_back(0);
  EXPECT_EQ(LoadError(Graph, ok), "Klasse " + std::string(255, 'A') + " nicht gefunden");
}

TEST_F(DiagramStreamTest, StreamEndingInsideTheCountIsAReadError) {
  EXPECT_EQ(LoadError(Graph, {0x30, 0x2E, 0x47, 0x53, 1, 0}), "Stream-Lesefehler");
}

TEST_F(DiagramStreamTest, UnknownEnumerationIdentifierIsRejected) {
  TGraphNode* node = Node({0, 0, 50, 50});
  node->SetAlignment(taLeftJustify);
  TBytes bytes = Save(Graph);
  const TBytes ident{0x07, 13, 't', 'a', 'L', 'e', 'f', 't'};
  auto it = std::search(bytes.begin(), bytes.end(), ident.begin(), ident.end());
  ASSERT_NE(it, bytes.end());
  it[3] = 'x';
  EXPECT_EQ(LoadError(Graph, bytes), "Ungültiger Eigenschaftswert");
}

TEST_F(DiagramStreamTest, FileErrorsCarryTheirMessagesAndAFailedSaveKeepsTheOldFile) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("gc_stream_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "a.Screen").string();
  Node({0, 0, 50, 50});
  Graph.SaveToFile(file);
  const auto before = std::filesystem::file_size(file);
  Graph.Objects().Items(0)->SetHasCustomData(true);
  Graph.OnObjectWrite = [](TGraphControl*, TGraphObject*, TStream&) {
    throw EGraphException("handler failed");
  };
  EXPECT_THROW(Graph.SaveToFile(file), EGraphException);
  EXPECT_EQ(std::filesystem::file_size(file), before);
  EXPECT_TRUE(Graph.Modified());
  TGraphControl copy;
  copy.LoadFromFile(file);
  EXPECT_EQ(copy.Objects().Count(), 1);
  try {
    copy.LoadFromFile((dir / "missing.Screen").string());
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Datei " + (dir / "missing.Screen").string() + " kann nicht", 0),
              0u)
        << e.what();
  }
  EXPECT_EQ(copy.Objects().Count(), 1);
  std::filesystem::remove_all(dir);
}

// A rectangle whose class carries a name of a chosen length.
class TNamedNode : public TRectangularNode {
 public:
  static inline const TGraphObjectClass* Class = nullptr;
  const TGraphObjectClass* ClassType() const override { return Class; }
  static TGraphObject* Make(TGraphControl* owner) { return new TNamedNode(owner); }

 protected:
  explicit TNamedNode(TGraphControl* owner) : TRectangularNode(owner) {}
};

// What the reader would reject or read differently is refused when writing,
// with the reason, instead of being written (or stopping the program).
TEST_F(DiagramStreamTest, WriterRefusesWhatTheReaderWouldReject) {
  const TGraphObjectClass longName(std::string(256, 'N'), TRectangularNode::StaticClass(), false,
                                   &TNamedNode::Make);
  const struct {
    const char* Name;
    std::function<void(TGraphNode&)> Spoil;
    std::string Message;
  } cases[] = {
      {"enumeration value without identifier",
       [](TGraphNode& n) { n.SetAlignment(static_cast<TAlignment>(7)); }, "Ungültiger Eigenschaftswert"},
      {"graphic class the reader does not know",
       [](TGraphNode& n) {
         const TGraphic png{"TPngImage", {1, 2, 3}};
         n.Background().SetGraphic(&png);
       },
       "Ungültiger Eigenschaftswert"},
      {"class name of 256 bytes", [&](TGraphNode& n) { n.ConvertTo(&longName); },
       "Klassenname " + std::string(256, 'N') + " kann nicht gespeichert werden"},
  };
  TNamedNode::Class = &longName;
  for (const auto& c : cases) {
    TGraphControl graph;
    c.Spoil(*TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {0, 0, 50, 50}));
    TMemoryStream out;
    try {
      graph.SaveToStream(out);
      ADD_FAILURE() << c.Name << ": saved";
    } catch (const EWriteError& e) {
      EXPECT_EQ(std::string(e.what()), c.Message) << c.Name;
    }
  }
  TNamedNode::Class = nullptr;
}

TEST_F(DiagramStreamTest, ClassNameOf255BytesIsStoredWhole) {
  const TGraphObjectClass named(std::string(255, 'N'), TRectangularNode::StaticClass(), false,
                                &TNamedNode::Make);
  TNamedNode::Class = &named;
  RegisterGraphClass(&named);
  TGraphNode::CreateWithBounds(&named, &Graph, {0, 0, 50, 50});
  TGraphControl copy;
  Load(copy, Save(Graph));
  UnregisterGraphClass(&named);
  ASSERT_EQ(copy.Objects().Count(), 1);
  EXPECT_EQ(copy.Objects().Items(0)->ClassType(), &named);
  Graph.Clear();
  copy.Clear();
  TNamedNode::Class = nullptr;
}

// A derived control's overrides are what SaveToFile and the image export reach.
TEST_F(DiagramStreamTest, SaveToFileAndRenderingGoThroughTheVirtualOperations) {
  struct TTrailingControl : TGraphControl {
    int Rendered = 0;
    void SaveToStream(TStream& stream) override {
      TGraphControl::SaveToStream(stream);
      stream.WriteBuffer("tail", 4);
    }
    std::unique_ptr<TRenderedImage> RenderBitmap(const TGraphObjectList&) override {
      ++Rendered;
      return nullptr;
    }
    std::unique_ptr<TRenderedImage> RenderMetafile(const TGraphObjectList&) override {
      ++Rendered;
      return nullptr;
    }
  } derived;
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("gc_virtual_save_" + std::to_string(::getpid()) + ".Screen");
  TGraphControl& control = derived;
  control.SaveToFile(file.string());
  std::ifstream in(file, std::ios::binary);
  const std::string saved{std::istreambuf_iterator<char>(in), {}};
  std::filesystem::remove(file);
  EXPECT_EQ(saved, std::string("0.GS\0\0\0\0tail", 12));
  control.RenderBitmap(control.Objects());
  control.RenderMetafile(control.Objects());
  EXPECT_EQ(derived.Rendered, 2);
}

// ---- Snapshots and drags ------------------------------------------------------------------------

TEST_F(DiagramStreamTest, SnapshotRestoresStateAndSkipsObjectsThatAreGone) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  TGraphNode* c = Node({200, 0, 50, 50});
  TMemoryStream snapshot;
  Graph.SaveSnapshot(snapshot, Graph.Objects());
  a->SetBounds(5, 5, 60, 60);
  b->Destroy();
  c->SetText("changed");
  c->SetBounds(300, 300, 20, 20);
  snapshot.SetPosition(0);
  Graph.RestoreSnapshot(snapshot);
  EXPECT_EQ(snapshot.Position(), snapshot.Size());
  EXPECT_EQ(a->GetBoundsRect(), (TRect{0, 0, 50, 50}));
  EXPECT_EQ(c->GetBoundsRect(), (TRect{200, 0, 250, 50}));
  EXPECT_EQ(c->PaintBounds(), c->ComputePaintBounds());
  EXPECT_EQ(Graph.QuerySuppressCount(), 0);
}

TEST_F(DiagramStreamTest, CancelledDragPutsTheDraggedObjectsBack) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  TGraphLink* link = Link(a, b);
  const TPoints linkPoints = link->Polyline();
  Graph.SetSnapToGrid(false);
  b->SetSelected(true);
  a->MouseDown(TMouseButton::mbLeft, ssShift, {25, 25});
  ASSERT_EQ(Graph.DragSource(), a);
  a->MouseMove(0, {45, 65});
  ASSERT_EQ(a->Left(), 20);
  ASSERT_EQ(b->Top(), 40);
  ASSERT_EQ(Graph.AllExtent(), Graph.MeasureObjects(Graph.Objects()));
  EXPECT_TRUE(a->KeyDown(VK_ESCAPE, 0));
  EXPECT_EQ(a->GetBoundsRect(), (TRect{0, 0, 50, 50}));
  EXPECT_EQ(b->GetBoundsRect(), (TRect{100, 0, 150, 50}));
  EXPECT_EQ(Graph.AllExtent(), Graph.MeasureObjects(Graph.Objects()));
  // A node without links: only the restore itself can report its new place.
  TGraphNode* c = Node({300, 300, 50, 50});
  c->MouseDown(TMouseButton::mbLeft, 0, {325, 325});
  c->MouseMove(0, {345, 365});
  ASSERT_EQ(c->Left(), 320);
  ASSERT_EQ(Graph.AllExtent(), Graph.MeasureObjects(Graph.Objects()));
  EXPECT_TRUE(c->KeyDown(VK_ESCAPE, 0));
  EXPECT_EQ(c->Left(), 300);
  EXPECT_EQ(Graph.AllExtent(), Graph.MeasureObjects(Graph.Objects())) << "the extent follows the restore";
  EXPECT_EQ(link->Source(), a);
  EXPECT_EQ(link->Target(), b);
  EXPECT_EQ(link->Polyline(), linkPoints);
}

// Placing a hooked end anew need not give its old point back (here the end
// lies off its node, as a file may store it): a cancelled drag gives the
// links hooked onto the dragged objects their exact points back, and the
// diagram is as it was, without a step.
TEST_F(DiagramStreamTest, CancelledDragPutsTheHookedLinksBackExactly) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({200, 0, 50, 50});
  TGraphLink* link = Link(a, b, {{100, 100}});
  TGraphLink* onLink = Link(nullptr, link, {{100, 200}});
  {
    TGraphControl::TLinkPointsKept kept(Graph);
    a->MoveBy(0, 30);
  }
  Graph.SetSnapToGrid(false);
  Graph.ClearHistory();
  const TBytes before = Save(Graph);
  const TPoints linkPoints = link->Polyline();
  const TPoints onLinkPoints = onLink->Polyline();
  a->MouseDown(TMouseButton::mbLeft, 0, {25, 55});
  ASSERT_EQ(Graph.DragSource(), a);
  a->MouseMove(0, {45, 95});
  ASSERT_NE(link->Polyline(), linkPoints);
  EXPECT_TRUE(a->KeyDown(VK_ESCAPE, 0));
  EXPECT_EQ(link->Polyline(), linkPoints);
  EXPECT_EQ(onLink->Polyline(), onLinkPoints);
  EXPECT_EQ(Save(Graph), before);
  EXPECT_EQ(Graph.UndoCount(), 0);
}

// ---- Conversion -----------------------------------------------------------------------------------

TEST_F(DiagramStreamTest, ConvertToKeepsDataIdentityAndLinks) {
  TGraphNode* a = Node({0, 0, 50, 50});
  TGraphNode* b = Node({100, 0, 50, 50});
  TGraphLink* link = Link(a, b);
  a->SetText("a");
  a->SetSelected(true);
  a->SetData(42);
  const uint32_t id = a->ID();
  TGraphObject* converted = a->ConvertTo(TEllipticNode::StaticClass());
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(converted->ClassType(), TEllipticNode::StaticClass());
  EXPECT_EQ(converted->ID(), id);
  EXPECT_EQ(converted->Text(), "a");
  EXPECT_EQ(converted->Data(), 42);
  EXPECT_EQ(Graph.Objects().Items(0), converted);
  EXPECT_EQ(Graph.SelectedObjects().Items(0), converted);
  EXPECT_TRUE(converted->Selected());
  EXPECT_EQ(link->Source(), converted);
  EXPECT_EQ(converted->LinksOut().Count(), 1);
  EXPECT_EQ(converted->ConvertTo(TGraphLink::StaticClass()), converted) << "a node never becomes a link";
  // Converting the link keeps its hooks, without duplicates in the hooked lists.
  TGraphObject* linkCopy = link->ConvertTo(TGraphLink::StaticClass());
  EXPECT_EQ(linkCopy, link) << "same class: unchanged";
  b->Destroy();
  EXPECT_EQ(converted->LinksOut().Count(), 1);
  EXPECT_EQ(Graph.Objects().Count(), 2);
}

// ---- Rendering through the image hook ------------------------------------------------------------

class TFakeImage : public TRenderedImage {
 public:
  TFakeImage(TRenderedImageKind kind, int32_t w, int32_t h) : Kind_(kind), W_(w), H_(h) {}
  TRenderedImageKind Kind() const override { return Kind_; }
  int32_t Width() const override { return W_; }
  int32_t Height() const override { return H_; }
  TCanvas& Canvas() override { return Canvas_; }
  void Finish() override { Finished = true; }
  std::vector<uint8_t> Encode() const override { return {}; }
  TRecordingCanvas Canvas_;
  bool Finished = false;

 private:
  TRenderedImageKind Kind_;
  int32_t W_, H_;
};

TEST_F(DiagramStreamTest, RenderBitmapSizesTheImageToThePaintBounds) {
  TGraphNode* node = Node({10, 10, 100, 50});
  node->Pen().SetWidth(1);
  ASSERT_EQ(node->PaintBounds(), (TRect{10, 10, 110, 60}));
  EXPECT_EQ(Graph.RenderBitmap(Graph.Objects()), nullptr) << "no platform: no image";
  const TPlatformServices before = PlatformServices();
  TPlatformServices services = before;
  services.RenderImage = [](TRenderedImageKind kind, int32_t w, int32_t h) {
    return std::make_unique<TFakeImage>(kind, w, h);
  };
  SetPlatformServices(services);
  auto image = Graph.RenderBitmap(Graph.Objects());
  SetPlatformServices(before);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Kind(), TRenderedImageKind::Bitmap);
  EXPECT_EQ(image->Width(), 101);
  EXPECT_EQ(image->Height(), 51);
  auto& fake = static_cast<TFakeImage&>(*image);
  EXPECT_TRUE(fake.Finished);
  EXPECT_EQ(fake.Canvas_.ViewportOrigin(), (TPoint{0, 0}));
}

}  // namespace
}  // namespace gc
