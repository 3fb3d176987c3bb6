// What a screen keeps beyond its widgets: the layout of the custom data, the
// bindings and the screen object in the diagram, their undo, and custom data
// the designer does not understand, which stays as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "app/ScreenGraph.h"
#include "app/WidgetData.h"
#include "support/StreamBytes.h"

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

// ---- In the diagram ----------------------------------------------------------------------------

class ScreenGraphTest : public ::testing::Test {
 protected:
  TGraphObject* AddWidget(TGraphControl& graph, const TRect& r, const std::string& text) {
    TGraphObject* widget = graph.AddNode(r, TRectangularNode::StaticClass());
    widget->SetText(text);
    return widget;
  }
  static TBytes Save(TGraphControl& graph) { return test::SavedBytes(graph); }
  static void Load(TGraphControl& graph, const TBytes& bytes) { test::LoadBytes(graph, bytes); }
  // Two widgets saved by a control that knows nothing of the designer, the
  // first with `custom` as its custom data.
  TBytes ForeignFile(const std::string& custom, bool hasCustomData = true) {
    TGraphControl plain;
    TGraphObject* a = AddWidget(plain, {10, 10, 60, 30}, "Start");
    AddWidget(plain, {10, 50, 60, 70}, "");
    a->SetHasCustomData(hasCustomData);
    plain.OnObjectWrite = [&](TGraphControl*, TGraphObject* o, TStream& s) {
      if (o == a && !custom.empty()) s.WriteBuffer(custom.data(), custom.size());
    };
    return Save(plain);
  }

  TScreenGraph Graph;
};

TEST_F(ScreenGraphTest, ABindingIsSavedReadBackAndItsRemovalGivesTheOldBytes) {
  TGraphObject* widget = AddWidget(Graph, {10, 10, 60, 30}, "Clock");
  const TBytes unbound = Save(Graph);
  Graph.SetBinding(widget, Clock);
  EXPECT_TRUE(Graph.Modified());
  const TBytes bound = Save(Graph);

  TScreenGraph other;
  Load(other, bound);
  ASSERT_NE(other.Binding(other.Objects()[0]), nullptr);
  EXPECT_EQ(*other.Binding(other.Objects()[0]), Clock);
  EXPECT_EQ(Save(other), bound);
  EXPECT_TRUE(other.DataProblems().empty());

  Graph.SetBinding(widget, {});
  EXPECT_EQ(Graph.Binding(widget), nullptr);
  EXPECT_EQ(Save(Graph), unbound);
}

TEST_F(ScreenGraphTest, UndoAndRedoCoverBindingsAndScreenProperties) {
  TGraphObject* widget = AddWidget(Graph, {10, 10, 60, 30}, "Clock");
  const TBytes start = Save(Graph);
  Graph.SetBinding(widget, Clock);
  TScreenProperties screen;
  screen.Size = TScreenSize{800, 480};
  screen.Title = "Main screen";
  Graph.SetScreen(screen);
  const TBytes done = Save(Graph);
  ASSERT_EQ(Graph.Objects().Count(), 2);

  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Graph.ScreenObject(), nullptr);
  EXPECT_TRUE(Graph.ScreenFrame().IsEmpty());
  ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Graph.Binding(widget), nullptr);
  EXPECT_EQ(Save(Graph), start);
  ASSERT_TRUE(Graph.Redo());
  ASSERT_TRUE(Graph.Redo());
  EXPECT_EQ(Graph.Screen(), screen);
  EXPECT_EQ(Save(Graph), done);
}

TEST_F(ScreenGraphTest, TheScreenObjectIsHiddenAtTheBottomAndNoWidget) {
  TGraphObject* widget = AddWidget(Graph, {10, 10, 60, 30}, "");
  TScreenProperties screen;
  screen.Size = TScreenSize{800, 480};
  Graph.SetScreen(screen);
  TGraphObject* object = Graph.ScreenObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->ZOrder(), 0);
  EXPECT_FALSE(object->Visible());
  object->SetSelected(true);
  EXPECT_FALSE(object->Selected());
  EXPECT_EQ(object->GetBoundsRect(), (TRect{0, 0, 800, 480}));
  EXPECT_EQ(Graph.ScreenFrame(), (TRect{0, 0, 800, 480}));
  EXPECT_EQ(Graph.Widgets(), std::vector<TGraphObject*>{widget});
  EXPECT_EQ(Graph.WidgetIndex(widget), 0);
  EXPECT_EQ(Graph.WidgetLabel(widget), "Widget0");
  EXPECT_FALSE(Graph.CanBind(object));
  EXPECT_THROW(Graph.SetScreen({.Name = {}, .Size = TScreenSize{0, 480}, .Title = {}, .Background = {}}),
               EDesignerError);

  screen.Size = TScreenSize{480, 272};
  Graph.SetScreen(screen);
  EXPECT_EQ(object->GetBoundsRect(), (TRect{0, 0, 480, 272}));

  // Properties that are all unset leave no screen object behind.
  Graph.SetScreen({});
  EXPECT_EQ(Graph.Objects().Count(), 1);
}

TEST_F(ScreenGraphTest, AnotherProgramsCustomDataIsKeptReportedAndNotOverwritten) {
  const TBytes file = ForeignFile("XYZ");
  Load(Graph, file);
  ASSERT_EQ(Graph.DataProblems().size(), 1u);
  EXPECT_EQ(Graph.DataProblems()[0].Widget, "Start");
  EXPECT_EQ(Graph.DataProblemsText(),
            "A widget carries custom data that this version of the designer does not understand. It is kept "
            "as it is and saved with the screen:\n\"Start\": custom data of another program");
  TGraphObject* start = Graph.Objects()[0];
  EXPECT_FALSE(Graph.CanBind(start));
  EXPECT_THROW(Graph.SetBinding(start, Clock), EDesignerError);
  // The other widget can be bound; the foreign data stays as it was.
  Graph.SetBinding(Graph.Objects()[1], Clock);
  Graph.SetBinding(Graph.Objects()[1], {});
  EXPECT_EQ(Save(Graph), file);

  // It was reported once, when it was read: undo and redo give it back
  // without a word, a deleted widget's included.
  Graph.ClearDataProblems();
  start->SetText("Moved");
  start->Delete();
  ASSERT_TRUE(Graph.Undo());
  ASSERT_TRUE(Graph.Undo());
  ASSERT_TRUE(Graph.Redo());
  ASSERT_TRUE(Graph.Undo());
  EXPECT_TRUE(Graph.DataProblems().empty());
  EXPECT_FALSE(Graph.CanBind(Graph.Objects()[0]));
  EXPECT_EQ(Save(Graph), file);
}

// Custom data of size 0 tells the designer nothing while it is read: undoing
// a binding given to such a widget must still take the binding away, also
// when undo is called as the control's (by the window or its commands).
TEST_F(ScreenGraphTest, UndoingABindingOnEmptyCustomDataTakesItAway) {
  const TBytes file = ForeignFile("");
  Load(Graph, file);
  TGraphControl& control = Graph;
  TGraphObject* start = Graph.Objects()[0];
  ASSERT_TRUE(start->HasCustomData());
  Graph.SetBinding(start, Clock);
  ASSERT_TRUE(control.Undo());
  EXPECT_EQ(Graph.Binding(start), nullptr);
  EXPECT_EQ(Save(Graph), file);
  ASSERT_TRUE(control.Redo());
  ASSERT_NE(Graph.Binding(start), nullptr);
  EXPECT_EQ(*Graph.Binding(start), Clock);
}

TEST_F(ScreenGraphTest, DeletedBoundWidgetsComeBackWithTheirBindingAndFreedAddressesForgetIt) {
  TGraphObject* widget = AddWidget(Graph, {10, 10, 60, 30}, "Clock");
  Graph.SetBinding(widget, Clock);
  widget->Destroy();
  ASSERT_TRUE(Graph.Undo());
  ASSERT_EQ(Graph.Objects().Count(), 1);
  ASSERT_NE(Graph.Binding(Graph.Objects()[0]), nullptr);
  EXPECT_EQ(*Graph.Binding(Graph.Objects()[0]), Clock);
  Graph.Clear();
  for (int i = 0; i < 20; ++i) {
    TGraphObject* fresh = AddWidget(Graph, {10, 10, 60, 30}, "");
    fresh->SetHasCustomData(true);
    EXPECT_EQ(Graph.Binding(fresh), nullptr);
  }
}

}  // namespace
}  // namespace gc::app
