#include "GraphControl/Codepage.h"

#include <gtest/gtest.h>

#include "support/CaseName.h"

#include <ostream>
#include <string>

namespace gc {
namespace {

TEST(Codepage, EveryWin1252ByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Win1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWin1252(utf8), all);
}

struct TWin1252Case {
  const char* Name;
  const char* Bytes;
  const char* Utf8;
};

void PrintTo(const TWin1252Case& c, std::ostream* os) { *os << std::string(c.Bytes).size() << " bytes"; }

class Win1252Conversion : public testing::TestWithParam<TWin1252Case> {};

TEST_P(Win1252Conversion, MapsToTheCodePoint) {
  EXPECT_EQ(Win1252ToUtf8(GetParam().Bytes), GetParam().Utf8);
  EXPECT_EQ(Utf8ToWin1252(GetParam().Utf8), std::string(GetParam().Bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Codepage, Win1252Conversion,
    testing::Values(TWin1252Case{"Umlauts", "\xE4\xF6\xFC", "äöü"}, TWin1252Case{"Euro", "\x80", "€"},
                    TWin1252Case{"CapitalYDiaeresis", "\x9F", "Ÿ"}, TWin1252Case{"SCaron", "\x8A\x9A", "Šš"},
                    TWin1252Case{"CurlyQuotes", "\x93x\x94", "“x”"},
                    // undefined bytes keep their value as C1 controls
                    TWin1252Case{"UndefinedBytes", "\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
                    TWin1252Case{"NoBreakSpaceAndYDiaeresis", "\xA0\xFF", "\u00A0ÿ"}),
    test::TCaseName());

TEST(Codepage, TextOutsideWin1252HasNoEightBitForm) {
  EXPECT_EQ(Utf8ToWin1252("日本"), std::nullopt);
  EXPECT_EQ(Utf8ToWin1252("a\x80"), std::nullopt);  // malformed
}

TEST(Codepage, Utf16RoundTripIncludingSurrogatePairs) {
  const std::string text = "Größe 😀 日本";
  const std::u16string units = Utf8ToUtf16(text);
  EXPECT_EQ(units, u"Größe 😀 日本");
  EXPECT_EQ(Utf16ToUtf8(units), text);
}

TEST(Codepage, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
  EXPECT_EQ(Utf16ToUtf8(lone), "a\uFFFDb\uFFFD");
  const std::u16string highAtEnd = {char16_t(0xD83D)};
  EXPECT_EQ(Utf16ToUtf8(highAtEnd), "\uFFFD");
}

struct TSanitizeCase {
  const char* Name;
  std::string Input;
  std::string Expected;
};

void PrintTo(const TSanitizeCase& c, std::ostream* os) {
  for (unsigned char b : c.Input) *os << std::hex << int(b) << ' ';
}

class Utf8Sanitizing : public testing::TestWithParam<TSanitizeCase> {};

TEST_P(Utf8Sanitizing, ReplacesEachMalformedSubsequence) {
  const std::string out = SanitizeUtf8(GetParam().Input);
  EXPECT_EQ(out, GetParam().Expected);
  EXPECT_TRUE(IsValidUtf8(out));
  EXPECT_EQ(IsValidUtf8(GetParam().Input), GetParam().Input == GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codepage, Utf8Sanitizing,
    testing::Values(TSanitizeCase{"ValidText", "Größe", "Größe"},
                    TSanitizeCase{"StrayContinuationByte", "a\x80z", "a\uFFFDz"},
                    TSanitizeCase{"TruncatedAtTheEnd", "\xE2\x82", "\uFFFD"},
                    TSanitizeCase{"TruncatedInside", "\xE2\x82x", "\uFFFDx"},
                    TSanitizeCase{"OverlongTwoByteForm", "\xC0\xAF", "\uFFFD\uFFFD"},
                    TSanitizeCase{"OverlongThreeByteForm", "\xE0\x80\xAF", "\uFFFD\uFFFD\uFFFD"},
                    TSanitizeCase{"Surrogate", "\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
                    TSanitizeCase{"AboveU10FFFF", "\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
                    TSanitizeCase{"BytesNeverInUtf8", "\xF5\xFF", "\uFFFD\uFFFD"},
                    TSanitizeCase{"FourByteEmoji", "\xF0\x9F\x98\x80", "😀"}),
    test::TCaseName());

struct TFormCase {
  const char* Name;
  std::string Text;
  TTextForm Form;
};

void PrintTo(const TFormCase& c, std::ostream* os) { *os << c.Text.size() << " bytes"; }

class TextFormChoice : public testing::TestWithParam<TFormCase> {};

TEST_P(TextFormChoice, PicksTheSmallerEncoding) {
  EXPECT_EQ(ChooseTextForm(GetParam().Text), GetParam().Form);
}

INSTANTIATE_TEST_SUITE_P(
    Codepage, TextFormChoice,
    testing::Values(TFormCase{"Empty", "", TTextForm::EightBit},
                    TFormCase{"Ascii", "Widget", TTextForm::EightBit},
                    TFormCase{"MostlyAscii", "Größe", TTextForm::Utf8},  // 7 bytes < 2 * 5 units
                    TFormCase{"OnlyUmlauts", "ÄÖ", TTextForm::Utf16},    // 4 bytes = 2 * 2 units
                    TFormCase{"HalfAscii", "aé", TTextForm::Utf8},       // 3 bytes < 2 * 2 units
                    TFormCase{"Kanji", "日本", TTextForm::Utf16},        // 6 bytes > 2 * 2 units
                    TFormCase{"Emoji", "😀", TTextForm::Utf16}),          // 4 bytes = 2 * 2 units
    test::TCaseName());

}  // namespace
}  // namespace gc
