// A diagram that is a screen: the bindings and the screen object kept in the
// widgets' custom data, their undo, and custom data the designer does not
// understand, which stays as it was.
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

const TWidgetBinding Clock{"Clock.Time", "ClockToText", "Default"};

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
