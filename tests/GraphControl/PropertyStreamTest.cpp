#include "GraphControl/PropertyStream.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "support/CaseName.h"
#include "support/StreamBytes.h"

namespace gc {
namespace {

using TBytes = std::vector<uint8_t>;

using test::Bytes;

TBytes Written(const std::function<void(TPropertyWriter&)>& write) {
  TMemoryStream s;
  TPropertyWriter w(s);
  write(w);
  return s.Bytes();
}

// Expects `read` to fail with an EReadError carrying `message`.
template <class Read>
void ExpectReadError(const TBytes& bytes, Read read, const std::string& message) {
  TMemoryStream s(bytes);
  TPropertyReader r(s);
  try {
    read(r);
    ADD_FAILURE() << "no exception, expected " << message;
  } catch (const EReadError& e) {
    EXPECT_EQ(e.what(), message);
  }
}

struct TIntegerCase {
  int64_t Value;
  TBytes Encoded;
};

void PrintTo(const TIntegerCase& c, std::ostream* os) { *os << c.Value; }

class IntegerEncoding : public testing::TestWithParam<TIntegerCase> {};

TEST_P(IntegerEncoding, UsesTheSmallestFormAndReadsBack) {
  const auto& [value, encoded] = GetParam();
  EXPECT_EQ(Written([&](TPropertyWriter& w) { w.WriteInteger64(value); }), encoded);
  if (value >= INT32_MIN && value <= INT32_MAX) {
    EXPECT_EQ(Written([&](TPropertyWriter& w) { w.WriteInteger(static_cast<int32_t>(value)); }), encoded);
  }
  TMemoryStream s(encoded);
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadInteger64(), value);
  EXPECT_EQ(s.Remaining(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    PropertyStream, IntegerEncoding,
    testing::Values(TIntegerCase{10, Bytes(0x02, 0x0A)}, TIntegerCase{-5, Bytes(0x02, 0xFB)},
                    TIntegerCase{127, Bytes(0x02, 0x7F)}, TIntegerCase{-128, Bytes(0x02, 0x80)},
                    TIntegerCase{128, Bytes(0x03, 0x80, 0x00)}, TIntegerCase{200, Bytes(0x03, 0xC8, 0x00)},
                    TIntegerCase{-32768, Bytes(0x03, 0x00, 0x80)},
                    TIntegerCase{40000, Bytes(0x04, 0x40, 0x9C, 0x00, 0x00)},
                    TIntegerCase{-32769, Bytes(0x04, 0xFF, 0x7F, 0xFF, 0xFF)},
                    TIntegerCase{INT32_MIN, Bytes(0x04, 0x00, 0x00, 0x00, 0x80)},
                    TIntegerCase{2147483648LL, Bytes(0x13, 0, 0, 0, 0x80, 0, 0, 0, 0)},
                    TIntegerCase{4294967295LL, Bytes(0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0)}),
    [](const auto& info) { return "Value" + test::NumberName(info.param.Value); });

TEST(PropertyReader, IntegerRejectsOtherTagsAnd64BitValuesOutside32Bits) {
  const auto readInt = [](TPropertyReader& r) { r.ReadInteger(); };
  ExpectReadError(Bytes(0x06, 0x01, "1"), readInt, "Ungültiger Eigenschaftswert");
  ExpectReadError(Bytes(0x07, 0x01, "x"), readInt, "Ungültiger Eigenschaftswert");
  ExpectReadError(Bytes(0x13, 0, 0, 0, 0x80, 0, 0, 0, 0), readInt, "Ungültiger Eigenschaftswert");
  TMemoryStream s(Bytes(0x13, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadInteger(), -2);
}

struct TStringCase {
  const char* Name;
  std::string Text;
  TBytes Encoded;
};

void PrintTo(const TStringCase& c, std::ostream* os) { *os << c.Text.size() << " bytes"; }

class StringEncoding : public testing::TestWithParam<TStringCase> {};

TEST_P(StringEncoding, ChoosesTheTagByContentAndReadsBack) {
  const auto& [name, text, encoded] = GetParam();
  EXPECT_EQ(Written([&](TPropertyWriter& w) { w.WriteString(text); }), encoded);
  TMemoryStream s(encoded);
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadString(), text);
  EXPECT_EQ(s.Remaining(), 0);
}

const std::string Ascii300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    PropertyStream, StringEncoding,
    testing::Values(TStringCase{"Empty", "", Bytes(0x06, 0x00)},
                    TStringCase{"Ascii", "Widget", Bytes(0x06, 0x06, "Widget")},
                    TStringCase{"LongestShortString", std::string(255, 'a'),
                                Bytes(0x06, 0xFF, std::string(255, 'a'))},
                    TStringCase{"LongString", Ascii300, Bytes(0x0C, 0x2C, 0x01, 0x00, 0x00, Ascii300)},
                    TStringCase{"MostlyAsciiAsUtf8", "Größe",
                                Bytes(0x14, 0x07, 0, 0, 0, "Gr", 0xC3, 0xB6, 0xC3, 0x9F, "e")},
                    TStringCase{"UmlautsAsUtf16", "ÄÖ", Bytes(0x12, 0x02, 0, 0, 0, 0xC4, 0x00, 0xD6, 0x00)},
                    TStringCase{"SurrogatePair", "😀", Bytes(0x12, 0x02, 0, 0, 0, 0x3D, 0xD8, 0x00, 0xDE)}),
    test::TCaseName());

TEST(PropertyReader, EightBitStringsAreWindows1252) {
  TMemoryStream s(Bytes(0x06, 0x03, 0xE4, 0xF6, 0xFC, 0x0C, 0x02, 0, 0, 0, 0x80, 0x85));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadString(), "äöü");
  EXPECT_EQ(r.ReadString(), "€…");
}

TEST(PropertyReader, MalformedUtf8AndUtf16AreRepaired) {
  TMemoryStream s(Bytes(0x14, 0x03, 0, 0, 0, "a", 0xC3, "b", 0x12, 0x01, 0, 0, 0, 0x00, 0xD8));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadString(), "a\uFFFDb");
  EXPECT_EQ(r.ReadString(), "\uFFFD");
}

TEST(PropertyWriter, MalformedTextIsWrittenAsItsRepairedForm) {
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteString("a\xFF"); }),
            Bytes(0x12, 0x02, 0, 0, 0, "a", 0x00, 0xFD, 0xFF));
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteString("ab\xFF"); }),
            Bytes(0x14, 0x05, 0, 0, 0, "ab", 0xEF, 0xBF, 0xBD));
}

TEST(PropertyReader, StringRejectsNonStringTags) {
  ExpectReadError(
      Bytes(0x07, 0x01, "x"), [](TPropertyReader& r) { r.ReadString(); }, "Ungültiger Eigenschaftswert");
  ExpectReadError(
      Bytes(0x02, 0x01), [](TPropertyReader& r) { r.ReadString(); }, "Ungültiger Eigenschaftswert");
}

struct TColorCase {
  const char* Name;
  TColor Color;
  TBytes Encoded;
};

void PrintTo(const TColorCase& c, std::ostream* os) { *os << std::hex << c.Color; }

class ColorEncoding : public testing::TestWithParam<TColorCase> {};

TEST_P(ColorEncoding, NamedColoursAsIdentifiersOthersAsIntegers) {
  const auto& [name, color, encoded] = GetParam();
  EXPECT_EQ(Written([&](TPropertyWriter& w) { w.WriteColor(color); }), encoded);
  TMemoryStream s(encoded);
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadColor(), color);
}

INSTANTIATE_TEST_SUITE_P(
    PropertyStream, ColorEncoding,
    testing::Values(TColorCase{"Rgb", 0x00123456, Bytes(0x04, 0x56, 0x34, 0x12, 0x00)},
                    TColorCase{"Red", 0x000000FF, Bytes(0x07, 0x05, "clRed")},
                    TColorCase{"Black", clBlack, Bytes(0x07, 0x07, "clBlack")},
                    TColorCase{"SkyBlue", 0xF0CAA6, Bytes(0x07, 0x09, "clSkyBlue")},
                    TColorCase{"BtnFace", clBtnFace, Bytes(0x07, 0x09, "clBtnFace")},
                    TColorCase{"WindowText", clWindowText, Bytes(0x07, 0x0C, "clWindowText")},
                    TColorCase{"None", clNone, Bytes(0x07, 0x06, "clNone")},
                    TColorCase{"Default", clDefault, Bytes(0x07, 0x09, "clDefault")},
                    TColorCase{"SystemColourWithoutAName", 0xFF000019, Bytes(0x04, 0x19, 0x00, 0x00, 0xFF)}),
    test::TCaseName());

TEST(PropertyReader, ColourNamesIgnoreCaseAndUnknownNamesAreRejected) {
  TMemoryStream s(Bytes(0x07, 0x05, "CLRED"));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadColor(), clRed);
  ExpectReadError(
      Bytes(0x07, 0x06, "clPink"), [](TPropertyReader& r) { r.ReadColor(); }, "Ungültiger Eigenschaftswert");
  ExpectReadError(
      Bytes(0x09), [](TPropertyReader& r) { r.ReadColor(); }, "Ungültiger Eigenschaftswert");
}

TEST(PropertyStream, CharsetsAsIdentifiersWhenListed) {
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteCharset(1); }), Bytes(0x07, 0x0F, "DEFAULT_CHARSET"));
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteCharset(255); }), Bytes(0x07, 0x0B, "OEM_CHARSET"));
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteCharset(3); }), Bytes(0x02, 0x03));
  TMemoryStream s(Bytes(0x07, 0x0D, "GREEK_CHARSET", 0x02, 0x03));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadCharset(), 161);
  EXPECT_EQ(r.ReadCharset(), 3);
  ExpectReadError(
      Bytes(0x03, 0x2C, 0x01), [](TPropertyReader& r) { r.ReadCharset(); }, "Ungültiger Eigenschaftswert");
  ExpectReadError(
      Bytes(0x07, 0x03, "FOO"), [](TPropertyReader& r) { r.ReadCharset(); }, "Ungültiger Eigenschaftswert");
}

TEST(PropertyStream, SetsListMembersInOrdinalOrder) {
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteSet(0, GraphObjectOptionIdents); }), Bytes(0x0B, 0x00));
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteSet(0b110, GraphObjectOptionIdents); }),
            Bytes(0x0B, 0x0C, "goSelectable", 0x0D, "goShowCaption", 0x00));
  EXPECT_EQ(Written([](TPropertyWriter& w) { w.WriteSet(0b1001, FontStyleIdents); }),
            Bytes(0x0B, 0x06, "fsBold", 0x0B, "fsStrikeOut", 0x00));
}

TEST(PropertyReader, SetIgnoresUnknownMembers) {
  TMemoryStream s(Bytes(0x0B, 0x0D, "goShowCaption", 0x05, "goFoo", 0x0A, "golinkable", 0x00, 0x02, 0x01));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadSet(GraphObjectOptionIdents), 0b101u);
  EXPECT_EQ(r.ReadInteger(), 1);
  ExpectReadError(
      Bytes(0x02, 0x00), [](TPropertyReader& r) { r.ReadSet(FontStyleIdents); },
      "Ungültiger Eigenschaftswert");
}

TEST(PropertyReader, EnumerationRejectsUnknownIdentifiers) {
  TMemoryStream s(Bytes(0x07, 0x07, "bsCross"));
  TPropertyReader r(s);
  EXPECT_EQ(r.ReadEnum(BrushStyleIdents), 6);
  ExpectReadError(
      Bytes(0x07, 0x07, "bsWeird"), [](TPropertyReader& r) { r.ReadEnum(BrushStyleIdents); },
      "Ungültiger Eigenschaftswert");
  ExpectReadError(
      Bytes(0x02, 0x01), [](TPropertyReader& r) { r.ReadEnum(BrushStyleIdents); },
      "Ungültiger Eigenschaftswert");
}

TEST(PropertyStream, BooleansIdentifiersAndBinary) {
  EXPECT_EQ(Written([](TPropertyWriter& w) {
              w.WriteBoolean(false);
              w.WriteBoolean(true);
              w.WriteIdent("lsArrow");
              w.WriteBinary(TBytes{1, 2});
            }),
            Bytes(0x08, 0x09, 0x07, 0x07, "lsArrow", 0x0A, 0x02, 0, 0, 0, 1, 2));
  TMemoryStream s(Bytes(0x08, 0x09, 0x00, 0x0D, 0x0A, 0x00, 0, 0, 0));
  TPropertyReader r(s);
  EXPECT_FALSE(r.ReadBoolean());
  EXPECT_EQ(r.ReadIdent(), "True");
  EXPECT_EQ(r.ReadIdent(), "Null");
  EXPECT_EQ(r.ReadIdent(), "nil");
  EXPECT_TRUE(r.ReadBinary().empty());
  ExpectReadError(
      Bytes(0x02, 0x01), [](TPropertyReader& r) { r.ReadBoolean(); }, "Ungültiger Eigenschaftswert");
  ExpectReadError(
      Bytes(0x06, 0x00), [](TPropertyReader& r) { r.ReadBinary(); }, "Ungültiger Eigenschaftswert");
}

TEST(PropertyWriter, ShortStringsAreCutAt255) {
  const TBytes bytes = Written([](TPropertyWriter& w) { w.WritePropertyName(std::string(300, 'p')); });
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(bytes[0], 255);
}

TEST(PropertyReader, HeaderNeedsTheSignatureAndSkipsAPrefix) {
  ExpectReadError(
      Bytes("TPF1", 0x00, 0x00), [](TPropertyReader& r) { r.ReadHeader(); }, "Ungültiges Stream-Format");
  ExpectReadError(
      Bytes("TP"), [](TPropertyReader& r) { r.ReadHeader(); }, "Ungültiges Stream-Format");
  // A prefix with the child position flag is followed by an integer.
  TMemoryStream s(Bytes("TPF0", 0xF2, 0x03, 0x10, 0x01, 0x02, "TX", 0x01, "n", 0x55));
  TPropertyReader r(s);
  const auto header = r.ReadHeader();
  EXPECT_EQ(header.ClassName, "TX");
  EXPECT_EQ(header.ComponentName, "n");
  EXPECT_EQ(s.ReadUInt8(), 0x55);
  // Without the flag the prefix byte stands alone.
  TMemoryStream t(Bytes("TPF0", 0xF1, 0x02, "TY", 0x00, 0x55));
  TPropertyReader u(t);
  EXPECT_EQ(u.ReadHeader().ClassName, "TY");
  EXPECT_EQ(t.ReadUInt8(), 0x55);
}

// Every value tag, followed by a marker byte that must come next after the skip.
struct TSkipCase {
  const char* Name;
  TBytes Value;
};

class ValueSkipping : public testing::TestWithParam<TSkipCase> {};

TEST_P(ValueSkipping, StopsRightBehindTheValue) {
  TBytes bytes = GetParam().Value;
  bytes.push_back(0xEE);
  TMemoryStream s(bytes);
  TPropertyReader r(s);
  r.SkipValue();
  EXPECT_EQ(s.ReadUInt8(), 0xEE);
}

INSTANTIATE_TEST_SUITE_P(
    PropertyStream, ValueSkipping,
    testing::Values(TSkipCase{"Null", Bytes(0x00)},
                    TSkipCase{"List", Bytes(0x01, 0x02, 0x05, 0x06, 0x01, "a", 0x00)},
                    TSkipCase{"NestedList", Bytes(0x01, 0x01, 0x02, 0x05, 0x00, 0x08, 0x00)},
                    TSkipCase{"Int8", Bytes(0x02, 0x01)}, TSkipCase{"Int16", Bytes(0x03, 0x01, 0x02)},
                    TSkipCase{"Int32", Bytes(0x04, 1, 2, 3, 4)},
                    TSkipCase{"Extended", Bytes(0x05, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10)},
                    TSkipCase{"String", Bytes(0x06, 0x02, "ab")}, TSkipCase{"Ident", Bytes(0x07, 0x01, "x")},
                    TSkipCase{"False", Bytes(0x08)}, TSkipCase{"True", Bytes(0x09)},
                    TSkipCase{"Binary", Bytes(0x0A, 0x02, 0, 0, 0, 0, 0)},
                    TSkipCase{"Set", Bytes(0x0B, 0x01, "a", 0x02, "bc", 0x00)},
                    TSkipCase{"LString", Bytes(0x0C, 0x01, 0, 0, 0, "z")}, TSkipCase{"Nil", Bytes(0x0D)},
                    // collection: one item with an order value, one without
                    TSkipCase{"Collection",
                              Bytes(0x0E, 0x02, 0x07, 0x01, 0x01, "P", 0x02, 0x01, 0x00, 0x01, 0x00, 0x00)},
                    TSkipCase{"Single", Bytes(0x0F, 1, 2, 3, 4)},
                    TSkipCase{"Currency", Bytes(0x10, 1, 2, 3, 4, 5, 6, 7, 8)},
                    TSkipCase{"Date", Bytes(0x11, 1, 2, 3, 4, 5, 6, 7, 8)},
                    TSkipCase{"WString", Bytes(0x12, 0x02, 0, 0, 0, 'a', 0, 'b', 0)},
                    TSkipCase{"Int64", Bytes(0x13, 1, 2, 3, 4, 5, 6, 7, 8)},
                    TSkipCase{"Utf8String", Bytes(0x14, 0x01, 0, 0, 0, "u")}),
    test::TCaseName());

TEST(PropertyReader, SkipRejectsUnknownTagsAndRunawayNesting) {
  ExpectReadError(
      Bytes(0x15), [](TPropertyReader& r) { r.SkipValue(); }, "Ungültiger Eigenschaftswert");
  TBytes deep(100000, 0x01);
  ExpectReadError(
      deep, [](TPropertyReader& r) { r.SkipValue(); }, "Ungültiges Stream-Format");
}

// A declared length far beyond the stream fails at once, before any payload
// is read or allocated.
struct THugeLengthCase {
  const char* Name;
  uint8_t Tag;
  void (*Read)(TPropertyReader&);
};

void PrintTo(const THugeLengthCase& c, std::ostream* os) { *os << "tag " << int(c.Tag); }

class HugeLength : public testing::TestWithParam<THugeLengthCase> {};

TEST_P(HugeLength, FailsWithoutReadingFurther) {
  TBytes bytes = Bytes(GetParam().Tag, 0x00, 0x00, 0x00, 0x78);  // 2013265920
  bytes.resize(40, 'x');
  TMemoryStream s(bytes);
  TPropertyReader r(s);
  try {
    GetParam().Read(r);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream-Lesefehler");
    EXPECT_EQ(s.Position(), 5);
  }
}

void ReadStringValue(TPropertyReader& r) { r.ReadString(); }
void ReadBinaryValue(TPropertyReader& r) { r.ReadBinary(); }
void SkipAnyValue(TPropertyReader& r) { r.SkipValue(); }

INSTANTIATE_TEST_SUITE_P(PropertyStream, HugeLength,
                         testing::Values(THugeLengthCase{"ReadLString", 0x0C, ReadStringValue},
                                         THugeLengthCase{"ReadWString", 0x12, ReadStringValue},
                                         THugeLengthCase{"ReadUtf8String", 0x14, ReadStringValue},
                                         THugeLengthCase{"ReadBinary", 0x0A, ReadBinaryValue},
                                         THugeLengthCase{"SkipBinary", 0x0A, SkipAnyValue},
                                         THugeLengthCase{"SkipLString", 0x0C, SkipAnyValue},
                                         THugeLengthCase{"SkipWString", 0x12, SkipAnyValue},
                                         THugeLengthCase{"SkipUtf8String", 0x14, SkipAnyValue}),
                         test::TCaseName());

TEST(PropertyReader, NegativeLengthsAreReadErrors) {
  ExpectReadError(
      Bytes(0x0C, 0xFF, 0xFF, 0xFF, 0xFF, "abc"), [](TPropertyReader& r) { r.ReadString(); },
      "Stream-Lesefehler");
  ExpectReadError(
      Bytes(0x0A, 0xFE, 0xFF, 0xFF, 0xFF), [](TPropertyReader& r) { r.SkipValue(); }, "Stream-Lesefehler");
}

}  // namespace
}  // namespace gc
