// The record types listed from the property tables, held against the writer
// and the reader themselves.
#include "GraphControl/RecordSchema.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

using enum TValueTag;

// The tags a value of each kind may be stored with.
std::set<TValueTag> TagsOf(TValueKind kind) {
  switch (kind) {
    case TValueKind::Integer:
    case TValueKind::Unsigned:
    case TValueKind::LinkEnd:
    case TValueKind::Byte:
    case TValueKind::Margins:  // the first of four integers
      return {Int8, Int16, Int32, Int64};
    case TValueKind::Text:
      return {String, LString, WString, Utf8String};
    case TValueKind::Boolean:
      return {False, True};
    case TValueKind::Color:
    case TValueKind::Charset:
      return {Ident, Int8, Int16, Int32};
    case TValueKind::Enum:
    case TValueKind::Identifier:
      return {Ident};
    case TValueKind::Set:
      return {Set};
    case TValueKind::CustomData:
    case TValueKind::Picture:
    case TValueKind::Points:
      return {Binary};
  }
  return {};
}

// A value of the kind, as a program building records without objects writes it.
void WriteSample(TPropertyWriter& w, const TRecordType& type) {
  const auto count = [](int32_t n) {
    TMemoryStream s;
    s.WriteInt32(n);
    return s.Bytes();
  };
  switch (type.Kind) {
    case TValueKind::Integer:
    case TValueKind::Unsigned:
    case TValueKind::Byte:
      return w.WriteInteger(7);
    case TValueKind::LinkEnd:
      return w.WriteInteger64(1);
    case TValueKind::Text:
      return w.WriteString("Zürich");
    case TValueKind::Boolean:
      return w.WriteBoolean(false);
    case TValueKind::Color:
      return w.WriteIdent("clRed");
    case TValueKind::Charset:
      return w.WriteIdent("EASTEUROPE_CHARSET");
    case TValueKind::Enum:
      return w.WriteIdent(type.Names->Name(type.Names->Count() - 1));
    case TValueKind::Set:
      return w.WriteSet(1, *type.Names);
    case TValueKind::Identifier:
      return w.WriteIdent("lkUndirected");
    case TValueKind::CustomData:
    case TValueKind::Points:
      return w.WriteBinary(count(0));
    case TValueKind::Picture:
      return w.WriteBinary(std::vector<uint8_t>{0});  // no graphic
    case TValueKind::Margins:
      for (int i = 0; i < 4; ++i) w.WriteInteger(i);
      return;
  }
}

class RecordSchemaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GraphControlStartup();
    InstallFixedWidthMeasurer();
    Graph.OnObjectWrite = [](TGraphControl*, TGraphObject*, TStream& s) { s.WriteUInt32(5); };
    Node = static_cast<TGraphNode*>(
        TGraphNode::CreateWithBounds(TEllipticNode::StaticClass(), &Graph, {0, 0, 50, 40}));
    Other = static_cast<TGraphNode*>(
        TGraphNode::CreateWithBounds(TRectangularNode::StaticClass(), &Graph, {200, 0, 250, 40}));
    Link = TGraphLink::CreateNew(&Graph, Node, {{100, 100}}, Other);
  }
  void TearDown() override { GraphControlShutdown(); }

  TGraphControl Graph;
  TGraphNode* Node = nullptr;
  TGraphNode* Other = nullptr;
  TGraphLink* Link = nullptr;
};

TEST_F(RecordSchemaTest, EveryRecordWrittenHasATypeInStoredOrderWithATagOfItsKind) {
  const TGraphic bitmap{"TBitmap", {'B', 'M'}};
  Node->Background().SetGraphic(&bitmap);
  Node->SetBackgroundMargins({1, 2, 3, 4});
  for (TGraphObject* object : {static_cast<TGraphObject*>(Node), static_cast<TGraphObject*>(Link)}) {
    SCOPED_TRACE(object->ClassType()->ClassName());
    object->SetHasCustomData(true);
    object->SetParentFont(false);
    TMemoryStream records;
    TPropertyWriter writer(records);
    writer.SetCompleteState(true);  // every property, defaults included
    writer.WritePropertyName("ID");
    writer.WriteInteger(static_cast<int32_t>(object->ID()));
    object->WriteStreamProperties(writer, "G.");
    writer.WriteListEnd();

    records.SetPosition(0);
    TPropertyReader reader(records);
    size_t place = 0;
    int count = 0;
    while (!reader.EndOfList()) {
      const std::string path = reader.ReadPropertyName();
      const TRecordType* type = FindRecordType(path, object->IsLink());
      ASSERT_NE(type, nullptr) << path;
      EXPECT_EQ(type->Path, path);
      EXPECT_TRUE(count == 0 || type->Place > place) << path << " out of stored order";
      place = type->Place;
      EXPECT_TRUE(TagsOf(type->Kind).contains(reader.PeekValueTag())) << path;
      EXPECT_EQ(type->Names != nullptr, type->Kind == TValueKind::Enum || type->Kind == TValueKind::Set)
          << path;
      for (int i = type->Kind == TValueKind::Margins ? 4 : 1; i > 0; --i) reader.SkipValue();
      ++count;
    }
    // Every type but the paths only older files hold (link ends by their
    // old names, the old kind and arrow size) was written.
    EXPECT_EQ(count + (object->IsLink() ? 4 : 0),
              static_cast<int>(GraphObjectRecordTypes(object->IsLink()).size()));
  }
}

TEST_F(RecordSchemaTest, TheReaderTakesEveryTypeWithAValueOfItsKind) {
  for (TGraphObject* object : {static_cast<TGraphObject*>(Node), static_cast<TGraphObject*>(Link)}) {
    for (const TRecordType& type : GraphObjectRecordTypes(object->IsLink())) {
      SCOPED_TRACE(type.Path);
      TMemoryStream stream;
      TPropertyWriter writer(stream);
      writer.WriteHeader("TGraphStreamableObject");
      writer.WritePropertyName(type.Path);
      WriteSample(writer, type);
      writer.WriteListEnd();
      writer.WriteListEnd();
      stream.SetPosition(0);
      EXPECT_NO_THROW(object->LoadFromStream(stream));
      EXPECT_EQ(stream.Remaining(), 0);
    }
  }
  // The paths compare as the reader compares them, and each class has its own.
  ASSERT_NE(FindRecordType("g.font.COLOR", false), nullptr);
  EXPECT_EQ(FindRecordType("g.font.COLOR", false)->Path, "G.Font.Color");
  EXPECT_EQ(FindRecordType("G.BreakPoints", false), nullptr);
  EXPECT_EQ(FindRecordType("G.Left", true), nullptr);
}

}  // namespace
}  // namespace gc
