// graphtool dump and build through the real program: every file the diagram
// reader accepts comes back byte for byte, and JSON that describes no such
// file is refused with its place and nothing written.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/PropertyStream.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "support/StreamBytes.h"
#include "tools/GraphToolRunner.h"

namespace gc {
namespace {

using namespace tooltest;
using TJson = nlohmann::ordered_json;
using TBytes = std::vector<uint8_t>;
using namespace std::string_view_literals;

std::string AsString(const TBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// ---- Files made by the library ------------------------------------------------------------

// Identifiers from just below 2^31, so that link ends take the 64-bit form and
// IDs the negative 32-bit one.
class TBigIDControl : public TGraphControl {
 public:
  uint32_t NewObjectID(TGraphObject*) override { return NextID_++; }

 private:
  uint32_t NextID_ = 0x7FFFFFFE;
};

// A 1 x 1 red 24-bit BMP file.
const std::string BmpFile(
    "BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0"
    "\x13\x0B\0\0\x13\x0B\0\0\0\0\0\0\0\0\0\0\0\0\xFF\0",
    58);

TBytes EveryFeature() {
  TBigIDControl graph;
  graph.OnObjectWrite = [](TGraphControl*, TGraphObject* object, TStream& stream) {
    const std::string data = "data of " + object->Text();
    stream.WriteBuffer(data.data(), data.size());
  };
  const TGraphObjectClass* shapes[] = {TRectangularNode::StaticClass(), TRoundRectangularNode::StaticClass(),
                                       TEllipticNode::StaticClass(),    TTriangularNode::StaticClass(),
                                       TRhomboidalNode::StaticClass(),  TPentagonalNode::StaticClass(),
                                       THexagonalNode::StaticClass()};
  std::vector<TGraphNode*> nodes;
  for (int32_t i = 0; i < 7; ++i)
    nodes.push_back(static_cast<TGraphNode*>(
        TGraphNode::CreateWithBounds(shapes[i], &graph, {i * 120, 0, i * 120 + 100 + 40000 * (i == 6), 60})));
  TGraphLink* toNode = TGraphLink::CreateNew(&graph, nodes[0], {{50, 200}, {300, 200}}, nodes[1]);
  toNode->SetText("a to b");
  toNode->SetBeginStyle(lsDiamond);
  toNode->SetBeginSize(12);
  toNode->SetEndStyle(lsArrowSimple);
  toNode->SetEndSize(255);
  toNode->SetLinkOptions(gloFixedBreakPoints);
  toNode->SetTextPosition(1);
  toNode->SetTextSpacing(-4);
  toNode->SetHasCustomData(true);
  TGraphLink::CreateNew(&graph, nodes[5], {}, toNode)->SetEndStyle(lsCircle);
  TGraphLink::CreateNew(&graph, nullptr, {{0, 300}, {100, 350}}, nullptr)->SetEndStyle(lsNone);
  TGraphNode& a = *nodes[0];
  a.SetText("Größe");
  a.SetHint(std::string(300, 'h'));
  a.Brush().SetColor(0x123456);
  a.Brush().SetStyle(TBrushStyle::bsDiagCross);
  a.Pen().SetColor(clBtnFace);
  a.Pen().SetMode(TPenMode::pmXor);
  a.Pen().SetStyle(TPenStyle::psDot);
  a.Pen().SetWidth(3);
  a.SetParentFont(false);
  a.Font().SetName("Liberation Serif");
  a.Font().SetColor(clRed);
  a.Font().SetHeight(-21);
  a.Font().SetCharset(3);
  a.Font().SetPitch(TFontPitch::fpFixed);
  a.Font().SetStyle(fsBold | fsStrikeOut);
  a.SetOptions(goSelectable);
  a.SetTag(-100000);
  a.SetHasCustomData(true);
  a.SetAlignment(taRightJustify);
  a.SetLayout(tlBottom);
  a.SetMargin(200);
  a.SetNodeOptions(gnoMovable);
  nodes[1]->SetText("ÄÖ");
  nodes[1]->SetVisible(false);
  const TGraphic bitmap{"TBitmap", TBytes(BmpFile.begin(), BmpFile.end())};
  const TGraphic metafile{"TMetafile", {1, 2, 3}};
  const TGraphic icon{"TIcon", {}};
  nodes[2]->Background().SetGraphic(&bitmap);
  nodes[2]->SetBackgroundMargins({10, 20, 30, 40});
  nodes[3]->Background().SetGraphic(&metafile);
  nodes[4]->Background().SetGraphic(&icon);

  return test::SavedBytes(graph);
}

// ---- Files in forms other writers of the format use -----------------------------------------

// Writes records tag by tag, for the forms the library's writer never chooses.
class TRawFile {
 public:
  explicit TRawFile(int32_t count) {
    S.WriteBuffer("0.GS", 4);
    S.WriteInt32(count);
  }
  TRawFile& Object(std::string_view className, std::string_view header = "TGraphStreamableObject") {
    S.WriteInt32(static_cast<int32_t>(className.size() + 1));
    S.WriteBuffer(className.data(), className.size());
    S.WriteUInt8(0);
    W.WriteHeader(header);
    return *this;
  }
  TRawFile& Path(std::string_view path) {
    W.WritePropertyName(path);
    return *this;
  }
  TRawFile& Bytes(std::string_view bytes) {
    S.WriteBuffer(bytes.data(), bytes.size());
    return *this;
  }
  TRawFile& End() {
    W.WriteListEnd();
    W.WriteListEnd();
    return *this;
  }
  TBytes Done() const { return S.Bytes(); }

  TMemoryStream S;
  TPropertyWriter W{S};
};

TBytes OtherWritersForms() {
  return TRawFile(1)
      .Object("TRectangularNode")
      .Path("ID")
      .Bytes("\x04\x01\0\0\0"sv)
      .Path("G.Text")
      .Bytes(
          "\x06\x05Gr\xF6\xDF"
          "e"sv)
      .Path("G.Brush.Color")
      .Bytes("\x03\xFF\0"sv)
      .Path("g.left")
      .Bytes("\x13\x0A\0\0\0\0\0\0\0"sv)
      .Path("G.Options")
      .Bytes("\x0B\x0Dgoshowcaption\x0AgoLinkable\0"sv)
      .Path("G.Alignment")
      .Bytes("\x07\x0DTALEFTJUSTIFY"sv)
      .End()
      .Done();
}

TBytes OlderLinkRecords() {
  return TRawFile(2)
      .Object("TEllipticNode")
      .Path("ID")
      .Bytes("\x02\x07")
      .End()
      .Object("TGraphLink")
      .Path("G.FromNode")
      .Bytes("\x02\x07")
      .Path("G.ToNode")
      .Bytes("\x04\x00\x00\x00\x80"sv)
      .Path("G.Kind")
      .Bytes("\x07\x0ClkBidirected")
      .Path("G.ArrowSize")
      .Bytes("\x02\x05")
      .End()
      .Done();
}

// Records the JSON properties have no place for: the object is kept as its bytes.
TBytes KeptAsRecords() {
  TRawFile file(4);
  file.Object("TRectangularNode", "TSomeOtherWrapper").Path("ID").Bytes("\x02\x01").End();
  file.Object("TRectangularNode").Path("G.Text").Bytes("\x06\x01x").Path("G.Text").Bytes("\x06\x01y").End();
  file.Object("TRectangularNode").Path("G.Options").Bytes("\x0B\x07goWhat?\0"sv).End();
  file.Object("TRectangularNode").Path("G.CustomData").Bytes("\x0A\x06\0\0\0\x01\0\0\0zz"sv).End();
  return file.Bytes("trailing bytes").Done();
}

TBytes NegativeCount() { return TRawFile(-3).Done(); }

TBytes FromFile(const std::string& relative) {
  const std::string bytes = ReadFile(fs::path(SOURCE_DIR) / relative);
  return TBytes(bytes.begin(), bytes.end());
}

struct TRoundTripCase {
  std::string Name;
  std::function<TBytes()> File;
};

const TRoundTripCase RoundTripCases[] = {
    {"DemoScreen", [] { return FromFile("examples/demo.Screen"); }},
    {"FuzzSeedShapes", [] { return FromFile("tests/fuzz/corpus/shapes.Screen"); }},
    {"FuzzSeedLinked", [] { return FromFile("tests/fuzz/corpus/linked.Screen"); }},
    {"FuzzSeedOverflow", [] { return FromFile("tests/fuzz/corpus/regression-link-bounds-overflow.Screen"); }},
    {"EveryFeature", EveryFeature},
    {"OtherWritersForms", OtherWritersForms},
    {"OlderLinkRecords", OlderLinkRecords},
    {"KeptAsRecords", KeptAsRecords},
    {"NegativeCount", NegativeCount},
};

struct TRefusedCase {
  std::string Name;
  std::string Json;
  std::string Message;  // after "graphtool build: FILE: "
};

void PrintTo(const TRoundTripCase& c, std::ostream* os) { *os << c.Name; }
void PrintTo(const TRefusedCase& c, std::ostream* os) { *os << c.Name; }

class GraphToolFiles : public ::testing::Test {
 protected:
  void SetUp() override { GraphControlStartup(); }
  void TearDown() override { GraphControlShutdown(); }
  TJson Dump(const TBytes& file) {
    WriteFile(Tool.File("in.Screen"), AsString(file));
    const TToolRun run = Tool.Run({"dump", Tool.File("in.Screen")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    return TJson::parse(run.Out);
  }
  TToolRunner Tool;
};

class GraphToolRoundTrip : public GraphToolFiles, public ::testing::WithParamInterface<TRoundTripCase> {};

TEST_P(GraphToolRoundTrip, DumpThenBuildGivesTheSameBytes) {
  const TBytes original = GetParam().File();
  ASSERT_FALSE(original.empty());
  WriteFile(Tool.File("in.Screen"), AsString(original));
  const TToolRun dump = Tool.Run({"dump", Tool.File("in.Screen")});
  ASSERT_EQ(dump.Status, 0) << dump.Err;
  WriteFile(Tool.File("in.json"), dump.Out);
  const TToolRun build = Tool.Run({"build", Tool.File("in.json"), Tool.File("out.Screen")});
  ASSERT_EQ(build.Status, 0) << build.Err;
  EXPECT_EQ(ReadFile(Tool.File("out.Screen")), AsString(original)) << dump.Out;
}

INSTANTIATE_TEST_SUITE_P(Files, GraphToolRoundTrip, ::testing::ValuesIn(RoundTripCases),
                         [](const auto& info) { return info.param.Name; });

// ---- What the dump shows ------------------------------------------------------------------

TEST_F(GraphToolFiles, ValuesShowInTheirJsonTypesAndOtherFormsNameTheirTag) {
  const TJson every = Dump(EveryFeature());
  const TJson other = Dump(OtherWritersForms());
  const TJson kept = Dump(KeptAsRecords());
  const struct {
    const TJson& Document;
    const char* Pointer;
    TJson Expected;
  } cases[] = {
      {every, "/objects/0/properties/ID", 0x7FFFFFFE},
      {every, "/objects/2/properties/ID", 0x80000000u},
      {every, "/objects/0/properties/G.Brush.Color", 0x123456},
      {every, "/objects/0/properties/G.Pen.Color", "clBtnFace"},
      {every, "/objects/0/properties/G.Font.Style", {"fsBold", "fsStrikeOut"}},
      {every, "/objects/0/properties/G.CustomData", "ZGF0YSBvZiBHcsO2w59l"},
      {every, "/objects/3/properties/G.Background.Data", {{"class", "TMetafile"}, {"data", "AQID"}}},
      {every, "/objects/2/properties/G.BackgroundMargins", {10, 20, 30, 40}},
      {every, "/objects/8/properties/G.Source", 0x80000003u},
      {every, "/objects/9/properties/G.BreakPoints", {{0, 300}, {100, 350}}},
      {other, "/objects/0/properties/ID", {{"value", 1}, {"tag", "int32"}}},
      {other, "/objects/0/properties/G.Text", {{"value", "Größe"}, {"tag", "cp1252"}}},
      {other, "/objects/0/properties/G.Brush.Color", 255},
      {other, "/objects/0/properties/g.left", {{"value", 10}, {"tag", "int64"}}},
      {other, "/objects/0/properties/G.Options", {"goshowcaption", "goLinkable"}},
      {kept, "/objects/1/class", "TRectangularNode"},
      {kept, "/count", nullptr},
      {kept, "/trailing", "dHJhaWxpbmcgYnl0ZXM="},
  };
  for (const auto& c : cases) {
    const TJson::json_pointer pointer(c.Pointer);
    if (c.Expected.is_null())
      EXPECT_FALSE(c.Document.contains(pointer)) << c.Pointer;
    else
      EXPECT_EQ(c.Document.value(pointer, TJson()), c.Expected) << c.Pointer;
  }
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(kept["objects"][i].contains("record")) << i;
}

// ---- The designer's data -----------------------------------------------------------------------

// A widget's binding and the screen's properties show as "binding" and
// "screen"; the records they need are put where the writer puts them.
TEST_F(GraphToolFiles, DesignerDataShowsAsBindingAndScreenAndBuildsBack) {
  WriteFile(Tool.File("in.json"), R"({"objects": [
    {"class": "TRectangularNode", "properties": {"ID": 1, "G.Text": "Clock", "G.Left": 10, "G.Top": 10,
       "G.Width": 120, "G.Height": 40},
     "binding": {"source": "Clock.Time", "converterType": "ClockToText", "converterName": "Default"}},
    {"class": "TRectangularNode", "properties": {"ID": 2, "G.Visible": false, "G.Left": 0, "G.Top": 0,
       "G.Width": 800, "G.Height": 480},
     "screen": {"name": "Main", "width": 800, "height": 480, "backgroundColor": "#102030"}}]})");
  ASSERT_EQ(Tool.Run({"build", Tool.File("in.json"), Tool.File("a.Screen")}).Status, 0);
  const std::string built = ReadFile(Tool.File("a.Screen"));
  const TJson dumped = Dump(TBytes(built.begin(), built.end()));
  EXPECT_EQ(dumped["objects"][0]["properties"].dump(),
            R"({"ID":1,"G.Text":"Clock","G.HasCustomData":true,"G.Left":10,"G.Top":10,"G.Width":120,)"
            R"("G.Height":40})");
  EXPECT_EQ(dumped["objects"][0]["binding"].dump(),
            R"({"source":"Clock.Time","converterType":"ClockToText","converterName":"Default"})");
  EXPECT_EQ(dumped["objects"][1]["screen"].dump(),
            R"({"name":"Main","width":800,"height":480,"backgroundColor":"#102030"})");
  WriteFile(Tool.File("again.json"), dumped.dump());
  ASSERT_EQ(Tool.Run({"build", Tool.File("again.json"), Tool.File("b.Screen")}).Status, 0);
  EXPECT_EQ(ReadFile(Tool.File("b.Screen")), built);

  // Designer data that JSON cannot give back exactly (a record of a later
  // version) stays the stored custom data.
  const std::string later = std::string("ORVD\x01\x63\x01\0\0\0x", 11);
  TRawFile file(1);
  file.Object("TRectangularNode")
      .Path("G.HasCustomData")
      .Bytes("\x09")
      .Path("G.CustomData")
      .Bytes(std::string("\x0A\x0F\0\0\0\x0B\0\0\0", 9) + later)
      .End();
  const TJson kept = Dump(file.Done());
  EXPECT_FALSE(kept["objects"][0].contains("binding"));
  EXPECT_TRUE(kept["objects"][0]["properties"].contains("G.CustomData"));
}

// ---- Screens written by hand ------------------------------------------------------------------

TEST_F(GraphToolFiles, AHandWrittenScreenLoadsWithItsValuesAndDefaultsForTheRest) {
  WriteFile(Tool.File("screen.json"), R"({"objects": [
    {"class": "TRectangularNode",
     "properties": {"ID": 1, "G.Text": "Hello", "G.Brush.Color": "clYellow",
                    "G.Left": 10, "G.Top": 10, "G.Width": 120, "G.Height": 40}},
    {"class": "TEllipticNode", "properties": {"ID": 2, "G.Left": 300, "G.Top": 10, "G.Width": 80, "G.Height": 40}},
    {"class": "TGraphLink",
     "properties": {"ID": 3, "G.Source": 1, "G.Target": 2, "G.BreakPoints": [[70, 30], [340, 30]]}}]})");
  const TToolRun run = Tool.Run({"build", Tool.File("screen.json"), Tool.File("screen.Screen")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  TGraphControl graph;
  graph.LoadFromFile(Tool.File("screen.Screen"));
  ASSERT_EQ(graph.Objects().Count(), 3);
  const auto* node = dynamic_cast<TGraphNode*>(graph.Objects().Items(0));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Text(), "Hello");
  EXPECT_EQ(node->Brush().Color(), clYellow);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{10, 10, 130, 50}));
  EXPECT_EQ(node->Pen().Color(), clBlack);
  EXPECT_EQ(node->Alignment(), taCenter);
  const auto* link = static_cast<TGraphLink*>(graph.Objects().Items(2));
  EXPECT_EQ(link->Source(), graph.Objects().Items(0));
  EXPECT_EQ(link->Target(), graph.Objects().Items(1));
}

// ---- Refused JSON -----------------------------------------------------------------------------

const TRefusedCase RefusedCases[] = {
    {"SyntaxError", "{\"objects\": [\n  {\"class\" \"TRectangularNode\"}]}",
     "parse error at line 2, column 29: syntax error while parsing object separator - unexpected string "
     "literal; "
     "expected ':'"},
    {"NotUtf8", "{\"objects\": [], \"x\": \"\xFF\"}",
     "parse error at line 1, column 23: syntax error while parsing value - invalid string: ill-formed UTF-8 "
     "byte"},
    {"RepeatedKey",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.Left": 1, "G.Left": 2}}]})",
     "/objects/0/properties/G.Left: repeated key"},
    {"UnknownClass", R"({"objects": [{"class": "TSquare"}]})",
     "/objects/0/class: unknown class \"TSquare\" (expected one of TRectangularNode,"},
    {"UnknownProperty", R"({"objects": [{"class": "TEllipticNode", "properties": {"G.Colour": 1}}]})",
     "/objects/0/properties/G.Colour: unknown property"},
    {"NodePropertyOnLink", R"({"objects": [{"class": "TGraphLink", "properties": {"G.Left": 1}}]})",
     "/objects/0/properties/G.Left: only nodes have this property"},
    {"WrongType", R"({"objects": [{"class": "TRectangularNode", "properties": {"G.Width": "wide"}}]})",
     "/objects/0/properties/G.Width: expected an integer (found a string)"},
    {"OutOfRange", R"({"objects": [{"class": "TGraphLink", "properties": {"G.EndSize": 256}}]})",
     "/objects/0/properties/G.EndSize: 256 is outside 0..255"},
    {"UnknownColour",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.Pen.Color": "clPink"}}]})",
     "/objects/0/properties/G.Pen.Color: unknown colour \"clPink\""},
    {"UnknownSetMember",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.Font.Style": ["fsBold", "fsWide"]}}]})",
     "/objects/0/properties/G.Font.Style/1: unknown member \"fsWide\" (expected one of fsBold, fsItalic,"},
    {"TextOutsideItsTag",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.Text": {"value": "€ ∑", "tag": "cp1252"}}}]})",
     "/objects/0/properties/G.Text/value: the text has characters that Windows-1252 does not hold"},
    {"BadBase64",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.CustomData": "no base64!"}}]})",
     "/objects/0/properties/G.CustomData: not valid base64"},
    {"BadPoint", R"({"objects": [{"class": "TGraphLink", "properties": {"G.BreakPoints": [[1, 2], [3]]}}]})",
     "/objects/0/properties/G.BreakPoints/1: expected a point [x, y]"},
    {"RecordOfAnotherClass",
     R"({"objects": [{"class": "TGraphLink", "record": "EQAAAFRSZWN0YW5ndWxhck5vZGUA"}]})",
     "/objects/0/record: the record does not hold a TGraphLink"},
    {"RecordTheReaderRejects",
     R"({"objects": [{"class": "TRectangularNode", "record": "EQAAAFRSZWN0YW5ndWxhck5vZGUA"}]})",
     "/objects/0: the diagram reader rejects this object: Ungültiges Stream-Format"},
    {"CountWithoutObjects", R"({"objects": [], "count": 2})", "/count: must be the number of objects"},
    {"BindingBesideCustomData",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.CustomData": "eHl6"},
        "binding": {"source": "S"}}]})",
     "/objects/0/properties/G.CustomData: the custom data is given by \"binding\" or \"screen\" already"},
    {"BindingWithoutCustomData",
     R"({"objects": [{"class": "TRectangularNode", "properties": {"G.HasCustomData": false},
        "binding": {"source": "S"}}]})",
     "/objects/0/properties/G.HasCustomData: must be true with \"binding\" or \"screen\""},
    {"EmptyBinding", R"({"objects": [{"class": "TRectangularNode", "binding": {"source": ""}}]})",
     "/objects/0/binding: a binding needs a source, a converter type or a name"},
    {"UnknownBindingKey", R"({"objects": [{"class": "TRectangularNode", "binding": {"sauce": "S"}}]})",
     "/objects/0/binding/sauce: unknown key (expected \"source\", \"converterType\", \"converterName\")"},
    {"WidthWithoutHeight", R"({"objects": [{"class": "TRectangularNode", "screen": {"width": 800}}]})",
     "/objects/0/screen: \"width\" and \"height\" come together"},
    {"ScreenColourNotHtml",
     R"({"objects": [{"class": "TRectangularNode", "screen": {"backgroundColor": "clRed"}}]})",
     "/objects/0/screen/backgroundColor: expected a colour \"#RRGGBB\""},
};

class GraphToolBuildRefuses : public GraphToolFiles, public ::testing::WithParamInterface<TRefusedCase> {};

TEST_P(GraphToolBuildRefuses, WithItsPlaceAndLeavesTheOutputAlone) {
  const fs::path json = Tool.File("bad.json");
  const fs::path out = Tool.File("out.Screen");
  WriteFile(json, GetParam().Json);
  WriteFile(out, "the screen from before");
  const TToolRun run = Tool.Run({"build", json, out});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Err.rfind("graphtool build: " + json.string() + ": " + GetParam().Message, 0), 0u) << run.Err;
  EXPECT_EQ(ReadFile(out), "the screen from before");
  EXPECT_EQ(std::distance(fs::directory_iterator(Tool.Dir()), fs::directory_iterator()), 4) << "stray files";
}

INSTANTIATE_TEST_SUITE_P(Json, GraphToolBuildRefuses, ::testing::ValuesIn(RefusedCases),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace gc
