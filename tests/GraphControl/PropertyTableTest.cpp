#include "GraphControl/PropertyTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "GraphControl/DrawingToolProperties.h"
#include "support/StreamBytes.h"

namespace gc {
namespace {

using TBytes = std::vector<uint8_t>;

using test::Bytes;

// A stand-in for a graph object with the kinds of properties the format has.
enum class TSampleAlignment { taLeftJustify, taRightJustify, taCenter };

struct TSample {
  std::string Text;
  TBrush Brush;
  TPen Pen;
  TFont Font;
  bool ParentFont = true;
  uint32_t Options = 0b111;
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  TSampleAlignment Alignment = TSampleAlignment::taCenter;
  int64_t SourceID = 0;
  TPoints BreakPoints;
};

const TPropertyTable<TSample>& SampleTable() {
  static const TPropertyTable<TSample> table{
      .Published =
          {
              StringProperty<TSample>(
                  "Text", [](const TSample& o) { return o.Text; },
                  [](TSample& o, std::string v) { o.Text = v; }),
              ObjectProperty<TSample>(
                  "Brush", BrushPropertyTable(), [](auto& o) -> auto& { return o.Brush; }),
              ObjectProperty<TSample>(
                  "Pen", PenPropertyTable(), [](auto& o) -> auto& { return o.Pen; }),
              ObjectProperty<TSample>(
                  "Font", FontPropertyTable(), [](auto& o) -> auto& { return o.Font; })
                  .StoredWhen([](const TSample& o) { return !o.ParentFont; }),
              BooleanProperty<TSample>(
                  "ParentFont", [](const TSample& o) { return o.ParentFont; },
                  [](TSample& o, bool v) { o.ParentFont = v; }, true),
              SetProperty<TSample>(
                  "Options", GraphObjectOptionIdents, [](const TSample& o) { return o.Options; },
                  [](TSample& o, uint32_t v) { o.Options = v; }, 0b111),
              IntegerProperty<TSample>(
                  "Left", [](const TSample& o) { return o.Left; }, [](TSample& o, int32_t v) { o.Left = v; }),
              IntegerProperty<TSample>(
                  "Top", [](const TSample& o) { return o.Top; }, [](TSample& o, int32_t v) { o.Top = v; }),
              IntegerProperty<TSample>(
                  "Width", [](const TSample& o) { return o.Width; },
                  [](TSample& o, int32_t v) { o.Width = v; }),
              IntegerProperty<TSample>(
                  "Height", [](const TSample& o) { return o.Height; },
                  [](TSample& o, int32_t v) { o.Height = v; }),
              EnumProperty<TSample>(
                  "Alignment", AlignmentIdents, [](const TSample& o) { return o.Alignment; },
                  [](TSample& o, TSampleAlignment v) { o.Alignment = v; }, TSampleAlignment::taCenter),
          },
      .Defined =
          {
              {.Name = "Source",
               .Stored = [](const TSample& o) { return o.SourceID != 0; },
               .Write = [](TPropertyWriter& w, const TSample& o) { w.WriteInteger64(o.SourceID); },
               .Read = [](TPropertyReader& r, TSample& o) { o.SourceID = r.ReadInteger64(); }},
              {.Name = "BreakPoints",
               .Stored = [](const TSample& o) { return !o.BreakPoints.empty(); },
               .WriteData =
                   [](TStream& s, const TSample& o) {
                     s.WriteInt32(static_cast<int32_t>(o.BreakPoints.size()));
                     for (const TPoint& p : o.BreakPoints) {
                       s.WriteInt32(p.X);
                       s.WriteInt32(p.Y);
                     }
                   },
               .ReadData =
                   [](TStream& s, TSample& o) {
                     const int32_t count = s.ReadInt32();
                     if (count < 0 || count > s.Remaining() / 8) throw EReadError("Stream-Lesefehler");
                     o.BreakPoints.resize(static_cast<size_t>(count));
                     for (TPoint& p : o.BreakPoints) p = {s.ReadInt32(), s.ReadInt32()};
                   }},
              // Read from older files only.
              {.Name = "FromNode",
               .Read = [](TPropertyReader& r, TSample& o) { o.SourceID = r.ReadInteger64(); }},
          },
  };
  return table;
}

struct TWrapper {
  uint32_t ID = 0;
  TSample G;
};

const TPropertyTable<TWrapper>& WrapperTable() {
  static const TPropertyTable<TWrapper> table{
      .Published = {
          IntegerProperty<TWrapper>(
              "ID", [](const TWrapper& w) { return static_cast<int32_t>(w.ID); },
              [](TWrapper& w, int32_t v) { w.ID = static_cast<uint32_t>(v); }),
          ObjectProperty<TWrapper>(
              "G", SampleTable(), [](auto& w) -> auto& { return w.G; }),
      }};
  return table;
}

TBytes Save(const TWrapper& object) {
  TMemoryStream s;
  TPropertyWriter w(s);
  WritePropertyStream(w, "TGraphStreamableObject", WrapperTable(), object);
  return s.Bytes();
}

TWrapper Load(const TBytes& bytes, int64_t* endPosition = nullptr) {
  TMemoryStream s(bytes);
  TPropertyReader r(s);
  TWrapper object;
  ReadPropertyStream(r, WrapperTable(), object);
  if (endPosition) *endPosition = s.Position();
  return object;
}

const TBytes Header = Bytes("TPF0", 0x16, "TGraphStreamableObject", 0x00);

template <class... Parts>
TBytes Stream(const Parts&... records) {
  TBytes out = Header;
  const TBytes body = Bytes(records...);
  out.insert(out.end(), body.begin(), body.end());
  out.push_back(0x00);
  out.push_back(0x00);
  return out;
}

TEST(PropertyTable, WritesOnlyWhatDiffersFromTheDefaults) {
  TWrapper o;
  o.ID = 1;
  o.G.Text = "Widget";
  o.G.Left = 10;
  o.G.Top = 20;
  o.G.Width = 100;
  o.G.Height = 50;
  const TBytes bytes = Save(o);
  EXPECT_EQ(bytes,
            Stream(0x02, "ID", 0x02, 0x01, 0x06, "G.Text", 0x06, 0x06, "Widget", 0x06, "G.Left", 0x02, 0x0A,
                   0x05, "G.Top", 0x02, 0x14, 0x07, "G.Width", 0x02, 0x64, 0x08, "G.Height", 0x02, 0x32));
  EXPECT_EQ(bytes.size(), 88u);
}

TEST(PropertyTable, NestedObjectsAndAnOwnFontInRecordOrder) {
  TWrapper o;
  o.ID = 1;
  o.G.Text = "Start";
  o.G.Brush.SetColor(clYellow);
  o.G.ParentFont = false;
  o.G.Font.SetName("Arial");
  o.G.Font.SetHeight(-13);
  o.G.Font.SetColor(clRed);
  o.G.Font.SetCharset(DEFAULT_CHARSET);
  o.G.Left = 40;
  o.G.Top = 40;
  o.G.Width = 120;
  o.G.Height = 30;
  EXPECT_EQ(Save(o), Stream(0x02, "ID", 0x02, 0x01,                                 //
                            0x06, "G.Text", 0x06, 0x05, "Start",                    //
                            0x0D, "G.Brush.Color", 0x07, 0x08, "clYellow",          //
                            0x0E, "G.Font.Charset", 0x07, 0x0F, "DEFAULT_CHARSET",  //
                            0x0C, "G.Font.Color", 0x07, 0x05, "clRed",              //
                            0x0D, "G.Font.Height", 0x02, 0xF3,                      //
                            0x0B, "G.Font.Name", 0x06, 0x05, "Arial",               //
                            0x0C, "G.Font.Style", 0x0B, 0x00,                       //
                            0x0C, "G.ParentFont", 0x08,                             //
                            0x06, "G.Left", 0x02, 0x28, 0x05, "G.Top", 0x02, 0x28,  //
                            0x07, "G.Width", 0x02, 0x78, 0x08, "G.Height", 0x02, 0x1E));
}

TWrapper RichSample() {
  TWrapper o;
  o.ID = 0x80000001u;  // written as a negative 32-bit value
  o.G.Text = "Größe ÄÖ";
  o.G.Brush.SetStyle(TBrushStyle::bsDiagCross);
  o.G.Pen.SetColor(0x00123456);
  o.G.Pen.SetMode(TPenMode::pmXor);
  o.G.Pen.SetStyle(TPenStyle::psDot);
  o.G.Pen.SetWidth(3);
  o.G.ParentFont = false;
  o.G.Font.SetName("Courier New");
  o.G.Font.SetPitch(TFontPitch::fpFixed);
  o.G.Font.SetStyle(fsBold | fsUnderline);
  o.G.Font.SetCharset(3);
  o.G.Options = 0b010;
  o.G.Left = -40000;
  o.G.Width = 200;
  o.G.Alignment = TSampleAlignment::taLeftJustify;
  o.G.SourceID = 4000000000LL;
  o.G.BreakPoints = {{1, 2}, {-3, 70000}};
  return o;
}

void ExpectSameSample(const TWrapper& a, const TWrapper& b) {
  EXPECT_EQ(a.ID, b.ID);
  EXPECT_EQ(a.G.Text, b.G.Text);
  EXPECT_TRUE(a.G.Brush.SameValues(b.G.Brush));
  EXPECT_TRUE(a.G.Pen.SameValues(b.G.Pen));
  EXPECT_TRUE(a.G.Font.SameValues(b.G.Font));
  EXPECT_EQ(a.G.ParentFont, b.G.ParentFont);
  EXPECT_EQ(a.G.Options, b.G.Options);
  EXPECT_EQ(TRect(a.G.Left, a.G.Top, a.G.Width, a.G.Height), TRect(b.G.Left, b.G.Top, b.G.Width, b.G.Height));
  EXPECT_EQ(a.G.Alignment, b.G.Alignment);
  EXPECT_EQ(a.G.SourceID, b.G.SourceID);
  EXPECT_EQ(a.G.BreakPoints, b.G.BreakPoints);
}

TEST(PropertyTable, EveryKindOfValueRoundTrips) {
  const TWrapper original = RichSample();
  const TBytes bytes = Save(original);
  int64_t end = 0;
  ExpectSameSample(Load(bytes, &end), original);
  EXPECT_EQ(end, static_cast<int64_t>(bytes.size()));
}

TEST(PropertyTable, TruncationAtAnyByteFailsCleanly) {
  const TBytes bytes = Save(RichSample());
  for (size_t length = 0; length < bytes.size(); ++length) {
    const TBytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_THROW(Load(cut), EReadError) << "length " << length;
  }
}

struct TPathCase {
  TBytes Record;
  std::string Message;
};

void PrintTo(const TPathCase& c, std::ostream* os) {
  *os << std::string(c.Record.begin() + 1, c.Record.begin() + 1 + c.Record[0]);
}

class PropertyPathErrors : public testing::TestWithParam<TPathCase> {};

TEST_P(PropertyPathErrors, ReportTheExactMessage) {
  try {
    Load(Stream(GetParam().Record));
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.what(), GetParam().Message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PropertyTable, PropertyPathErrors,
    testing::Values(TPathCase{Bytes(0x06, "G.Nope", 0x02, 0x01), "Eigenschaft Nope existiert nicht."},
                    TPathCase{Bytes(0x06, "Nope.X", 0x02, 0x01), "Eigenschaft Nope existiert nicht."},
                    TPathCase{Bytes(0x0D, "G.Brush.Bogus", 0x02, 0x01), "Eigenschaft Bogus existiert nicht."},
                    TPathCase{Bytes(0x0D, "G.Text.Length", 0x02, 0x01), "Ungültiger Pfad für Eigenschaft"},
                    TPathCase{Bytes(0x04, "ID.X", 0x02, 0x01), "Ungültiger Pfad für Eigenschaft"},
                    TPathCase{Bytes(0x06, "G.Font", 0x02, 0x01), "Ungültiger Eigenschaftswert"},
                    TPathCase{Bytes(0x06, "G.Left", 0x06, 0x01, "1"), "Ungültiger Eigenschaftswert"},
                    TPathCase{Bytes(0x0D, "G.Brush.Style", 0x07, 0x07, "bsWeird"),
                              "Ungültiger Eigenschaftswert"},
                    TPathCase{Bytes(0x0B, "G.Alignment", 0x02, 0x01), "Ungültiger Eigenschaftswert"},
                    TPathCase{Bytes(0x0D, "G.BreakPoints", 0x02, 0x00), "Ungültiger Eigenschaftswert"},
                    TPathCase{Bytes(0x0C, "G.ParentFont", 0x02, 0x00), "Ungültiger Eigenschaftswert"}),
    // Named after the property path, "G.Brush.Bogus" as "G_Brush_Bogus".
    [](const auto& info) {
      const TBytes& record = info.param.Record;
      std::string name(record.begin() + 1, record.begin() + 1 + record[0]);
      std::replace(name.begin(), name.end(), '.', '_');
      return name;
    });

TEST(PropertyTable, UnknownEnumerationIdentifierStoresNothing) {
  TBrush brush;
  brush.SetStyle(TBrushStyle::bsHorizontal);
  TMemoryStream bad(Bytes(0x07, 0x07, "bsWeird"));
  TPropertyReader r(bad);
  EXPECT_THROW(ReadProperty(r, BrushPropertyTable(), brush, "Style"), EReadError);
  EXPECT_EQ(brush.Style(), TBrushStyle::bsHorizontal);
}

TEST(PropertyTable, NamesAreMatchedIgnoringCase) {
  const TWrapper o =
      Load(Stream(0x0C, "g.font.COLOR", 0x07, 0x05, "clRed",  //
                  0x0D, "G.breakpoints", 0x0A, 0x0C, 0, 0, 0, 0x01, 0, 0, 0, 0x05, 0, 0, 0, 0x06, 0, 0, 0));
  EXPECT_EQ(o.G.Font.Color(), clRed);
  EXPECT_EQ(o.G.BreakPoints, (TPoints{{5, 6}}));
}

TEST(PropertyTable, BinaryReaderThatStopsEarlyLeavesTheStreamIntact) {
  // One point declared but a longer payload: the next record still reads.
  const TWrapper o = Load(Stream(0x0D, "G.BreakPoints", 0x0A, 0x10, 0, 0, 0, 0x01, 0, 0, 0, 0x05, 0, 0, 0,
                                 0x06, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD,  //
                                 0x06, "G.Left", 0x02, 0x07));
  EXPECT_EQ(o.G.BreakPoints, (TPoints{{5, 6}}));
  EXPECT_EQ(o.G.Left, 7);
}

TEST(PropertyTable, ReadOnlyDefinedPropertiesAreReadButNeverWritten) {
  const TWrapper o = Load(Stream(0x0A, "G.FromNode", 0x02, 0x09));
  EXPECT_EQ(o.G.SourceID, 9);
  const TBytes bytes = Save(o);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.find("FromNode"), std::string::npos);
  EXPECT_NE(text.find("G.Source"), std::string::npos);
}

TEST(PropertyTable, ChildComponentIsRejected) {
  TBytes bytes = Header;
  for (int b : {0x00, 0x01}) bytes.push_back(static_cast<uint8_t>(b));
  try {
    Load(bytes);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Ungültiges Stream-Format");
  }
}

struct TDerivedSample : TSample {
  int32_t Margin = 8;
};

const TPropertyTable<TDerivedSample>& DerivedTable() {
  static const TPropertyTable<TDerivedSample> table = [] {
    auto t = InheritTable<TDerivedSample>(SampleTable());
    t.Published.push_back(IntegerProperty<TDerivedSample>(
        "Margin", [](const TDerivedSample& o) { return o.Margin; },
        [](TDerivedSample& o, int32_t v) { o.Margin = v; }, 8));
    return t;
  }();
  return table;
}

TEST(PropertyTable, DerivedTableWritesBasePropertiesFirst) {
  TDerivedSample o;
  o.Text = "a";
  o.Margin = 3;
  o.SourceID = 2;
  TMemoryStream s;
  TPropertyWriter w(s);
  WriteProperties(w, DerivedTable(), o);
  EXPECT_EQ(s.Bytes(), Bytes(0x04, "Text", 0x06, 0x01, "a", 0x04, "Left", 0x02, 0x00, 0x03, "Top", 0x02, 0x00,
                             0x05, "Width", 0x02, 0x00, 0x06, "Height", 0x02, 0x00, 0x06, "Margin", 0x02,
                             0x03, 0x06, "Source", 0x02, 0x02));
  s.SetPosition(0);
  TPropertyReader r(s);
  TDerivedSample copy;
  while (s.Remaining() > 0) ReadProperty(r, DerivedTable(), copy, r.ReadPropertyName());
  EXPECT_EQ(copy.Margin, 3);
  EXPECT_EQ(copy.SourceID, 2);
  EXPECT_EQ(copy.Text, "a");
}

// An owner whose nested object picks its table at run time, as a wrapper
// around a class hierarchy does.
struct TAnyObject {
  TDerivedSample* Object = nullptr;
};

TEST(PropertyTable, NestedPropertyRoutesToTheTableTheObjectChooses) {
  static const TPropertyTable<TAnyObject> table{
      .Published = {NestedProperty<TAnyObject>(
          "G",
          [](TPropertyWriter& w, const TAnyObject& o, const std::string& prefix) {
            WriteProperties(w, DerivedTable(), *o.Object, prefix);
          },
          [](TPropertyReader& r, TAnyObject& o, std::string_view path) {
            ReadProperty(r, DerivedTable(), *o.Object, path);
          })}};
  TDerivedSample source;
  source.Margin = 1;
  TMemoryStream s;
  TPropertyWriter w(s);
  WritePropertyStream(w, "TWrapper", table, TAnyObject{&source});
  s.SetPosition(0);
  TPropertyReader r(s);
  TDerivedSample target;
  TAnyObject owner{&target};
  EXPECT_EQ(ReadPropertyStream(r, table, owner).ClassName, "TWrapper");
  EXPECT_EQ(target.Margin, 1);
}

}  // namespace
}  // namespace gc
