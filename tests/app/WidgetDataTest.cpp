// The designer's custom data of a widget: the records it understands (a
// binding, the screen's properties), the order it writes them in, and
// records it does not understand, kept as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/WidgetData.h"

namespace gc::app {
namespace {

using TBytes = std::vector<uint8_t>;

TBytes Bytes(std::string_view text) { return TBytes(text.begin(), text.end()); }

// A record: tag, 32-bit little-endian length, payload.
std::string Record(char tag, std::string_view payload) {
  std::string r(1, tag);
  const auto n = static_cast<uint32_t>(payload.size());
  for (int i = 0; i < 4; ++i) r += static_cast<char>((n >> (8 * i)) & 0xFF);
  return r + std::string(payload);
}

const std::string Header = std::string("ORVD") + '\x01';
const std::string ClockBinding =
    Header + Record(1, "Clock.Time") + Record(2, "ClockToText") + Record(3, "Default");
const TWidgetBinding Clock{"Clock.Time", "ClockToText", "Default"};

// ---- The layout --------------------------------------------------------------------------------

struct TReadCase {
  const char* Name;
  std::string Data;
  TWidgetData::TState State;
  const char* Problem;  // "" when everything is understood
  bool Bound;
};

class WidgetDataRead : public ::testing::TestWithParam<TReadCase> {};

TEST_P(WidgetDataRead, UnderstandsOrKeepsTheBytesAndWritesThemBackUnchanged) {
  const TReadCase& c = GetParam();
  const TWidgetData data = TWidgetData::Read(Bytes(c.Data));
  EXPECT_EQ(data.State(), c.State);
  EXPECT_EQ(data.Problem(), c.Problem);
  EXPECT_EQ(data.Binding().has_value(), c.Bound);
  EXPECT_EQ(data.Bytes(), Bytes(c.Data));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WidgetDataRead,
    ::testing::Values(
        TReadCase{"Binding", ClockBinding, TWidgetData::TState::Ours, "", true},
        // Records in another order than this version writes: kept as they were.
        TReadCase{"BindingInAnotherOrder", Header + Record(3, "Default") + Record(1, "Clock.Time"),
                  TWidgetData::TState::Ours, "", true},
        TReadCase{"UnknownRecordKept", ClockBinding + Record(99, "later"), TWidgetData::TState::Ours,
                  "1 part this version of the designer does not know", true},
        TReadCase{"AnotherProgramsData", "XYZ", TWidgetData::TState::Foreign,
                  "custom data of another program", false},
        TReadCase{"LaterVersion", std::string("ORVD") + '\x02' + Record(1, "x"), TWidgetData::TState::Newer,
                  "data of a later version of the designer (layout version 2)", false},
        TReadCase{"RecordCutShort", ClockBinding.substr(0, ClockBinding.size() - 2),
                  TWidgetData::TState::Damaged, "damaged designer data (a record longer than the data)",
                  false},
        TReadCase{"RepeatedRecord", ClockBinding + Record(1, "again"), TWidgetData::TState::Damaged,
                  "damaged designer data (a repeated record)", false},
        TReadCase{"TextThatIsNotUtf8", Header + Record(1, "\xFF\xFE"), TWidgetData::TState::Damaged,
                  "damaged designer data (a source that is not UTF-8 text)", false},
        TReadCase{"ScreenSizeOutOfRange",
                  Header + Record(16, "") + Record(18, std::string("\0\0\0\0\x10\0\0\0", 8)),
                  TWidgetData::TState::Damaged, "damaged designer data (a screen size out of range)", false},
        TReadCase{"ScreenPropertiesWithoutTheMark", Header + Record(17, "Main"), TWidgetData::TState::Damaged,
                  "damaged designer data (screen properties without the screen mark)", false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(WidgetData, WritesBindingThenScreenThenUnknownRecords) {
  TWidgetData data = TWidgetData::Read(Bytes(Header + Record(99, "later")));
  data.SetBinding(Clock);
  TScreenProperties screen;
  screen.Name = "Main";
  screen.Size = TScreenSize{800, 480};
  screen.Background = 0x00332211;
  data.SetScreen(screen);
  EXPECT_EQ(data.Bytes(), Bytes(ClockBinding + Record(16, "") + Record(17, "Main") +
                                Record(18, std::string("\x20\x03\0\0\xE0\x01\0\0", 8)) +
                                Record(20, std::string("\x11\x22\x33\0", 4)) + Record(99, "later")));
  data.SetBinding({});
  data.SetScreen(std::nullopt);
  EXPECT_EQ(data.Bytes(), Bytes(Header + Record(99, "later"))) << "what it did not know stays";
  EXPECT_EQ(HtmlColor(0x00332211), "#112233");
}

}  // namespace
}  // namespace gc::app
