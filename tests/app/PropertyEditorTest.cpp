// The inspector over a screen: shared and mixed values, an edit as one step
// for every selected widget, edits refused before anything changes, and the
// binding and order of the selection.
#include "tests/app/DesignerWindowsFixture.h"

namespace gc::app {
namespace {

// ---- The inspector ----------------------------------------------------------------------------

TEST_F(DesignerWindowsTest, TheInspectorShowsSharedValuesAndMarksTheMixedOnes) {
  TPropertyEditor inspector(Dialogs);
  inspector.SetGraph(&Graph);
  EXPECT_EQ(inspector.lblSelection->text(), "No widget selected");
  EXPECT_FALSE(inspector.edText->isEnabled());
  Select({1});
  inspector.Refresh();
  EXPECT_EQ(inspector.edFont->currentText(), "Arial") << "by its name, listed or not";
  Select({0, 1});
  inspector.Refresh();
  Select({3});
  inspector.Refresh();
  EXPECT_EQ(inspector.edFont->currentText(), "Arial") << "after a mixed selection";
  Select({1});
  inspector.Refresh();
  EXPECT_EQ(inspector.edText->text(), "W1");
  EXPECT_EQ(inspector.edX->text(), "70");
  EXPECT_EQ(inspector.edWidth->text(), "50");
  EXPECT_EQ(inspector.edZ->text(), "1");
  Select({0, 1, 2});
  inspector.Refresh();
  EXPECT_EQ(inspector.lblSelection->text(), "<b>3 widgets selected</b>");
  EXPECT_EQ(inspector.edText->text(), "");
  EXPECT_EQ(inspector.edText->placeholderText(), "(mixed)");
  EXPECT_EQ(inspector.edY->text(), "10") << "shared";
  EXPECT_EQ(inspector.edX->placeholderText(), "(mixed)");
  EXPECT_EQ(inspector.edFont->currentIndex(), -1) << "Arial and Courier New";
  EXPECT_EQ(inspector.edFontSize->text(), "8 pt");
}

TEST_F(DesignerWindowsTest, AnInspectorEditAppliesToEverySelectedWidgetAsOneStep) {
  TPropertyEditor inspector(Dialogs);
  inspector.SetGraph(&Graph);
  const std::vector<uint8_t> before = Save();
  Select({0, 2, 4});
  inspector.Refresh();
  inspector.edFontSize->setValue(14);
  inspector.chBold->click();
  Type(inspector.edY, "200");
  for (int i : {0, 2, 4}) {
    EXPECT_EQ(Widgets[i]->Font().Size(), 14);
    EXPECT_TRUE(Widgets[i]->Font().Style() & fsBold);
    EXPECT_EQ(Widgets[i]->GetBoundsRect().Top, 200);
  }
  EXPECT_EQ(Widgets[1]->Font().Size(), 8);
  EXPECT_EQ(Graph.UndoCount(), 3);
  EXPECT_EQ(Graph.UndoName(), "move");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Save(), before);
}

struct TRefusalCase {
  const char* Name;
  QLineEdit* TPropertyEditor::*Field;
  const char* Typed;
  const char* Message;  // the start of the message; "" for none
};

class InspectorRefusal : public DesignerWindowsTest, public ::testing::WithParamInterface<TRefusalCase> {};

// W4 (250..300) stops every widget from reaching X 1960: nothing moves.
TEST_P(InspectorRefusal, ChecksEveryWidgetFirstAndChangesNothing) {
  TPropertyEditor inspector(Dialogs);
  inspector.SetGraph(&Graph);
  Graph.SetWidgetsLocked({Widgets[3]}, true);
  Graph.ClearHistory();
  const std::vector<uint8_t> before = Save();
  Select({0, 4});
  inspector.Refresh();
  Type(inspector.*GetParam().Field, GetParam().Typed);
  EXPECT_EQ(Save(), before);
  EXPECT_FALSE(Graph.CanUndo());
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].rfind(GetParam().Message, 0), 0u) << Dialogs.Messages[0];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InspectorRefusal,
    ::testing::Values(
        TRefusalCase{
            "PastTheRightEdge", &TPropertyEditor::edX, "1960",
            "X 1960 does not fit. The drawing area reaches from 0,0 to 2000,2000; \"W0\" is 50 wide, so "
            "its X can be 0 to 1950. Nothing was changed."},
        TRefusalCase{"LeftOfTheArea", &TPropertyEditor::edX, "-1", "X -1 does not fit."},
        TRefusalCase{"TooSmall", &TPropertyEditor::edHeight, "1", "Height 1 does not fit."},
        TRefusalCase{
            "TooWide", &TPropertyEditor::edWidth, "1800",
            "Width 1800 does not fit. The drawing area reaches from 0,0 to 2000,2000; \"W4\" starts at X "
            "250, so its Width can be 2 to 1750."},
        TRefusalCase{"NotANumber", &TPropertyEditor::edY, "1e3", "\"1e3\" is not a whole number"},
        TRefusalCase{"ZBeyondTheTop", &TPropertyEditor::edZ, "4", "The zPosition is a whole number from 0"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DesignerWindowsTest, TheInspectorRefusesToMoveALockedWidget) {
  TPropertyEditor inspector(Dialogs);
  inspector.SetGraph(&Graph);
  Graph.SetWidgetsLocked({Widgets[3]}, true);
  Select({2, 3});
  inspector.Refresh();
  Type(inspector.edX, "400");
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0], "\"W3\" is locked: unlock it in the object list to move or resize it.");
  EXPECT_EQ(Widgets[2]->GetBoundsRect().Left, 130);
}

TEST_F(DesignerWindowsTest, TheInspectorBindsAndReordersTheSelection) {
  QTemporaryDir lists;
  TPropertyEditor inspector(Dialogs);
  inspector.SetGraph(&Graph);
  inspector.SetListFolder(lists.path().toStdString());
  Select({1, 3});
  inspector.Refresh();
  Type(inspector.cbSource->lineEdit(), "Clock.Time");
  for (int i : {1, 3}) {
    ASSERT_NE(Graph.Binding(Widgets[i]), nullptr) << i;
    EXPECT_EQ(Graph.Binding(Widgets[i])->Source, "Clock.Time");
  }
  EXPECT_EQ(Graph.UndoCount(), 1);
  // Both to the bottom, in their order.
  Type(inspector.edZ, "0");
  EXPECT_EQ(Widgets[1]->ZOrder(), 0);
  EXPECT_EQ(Widgets[3]->ZOrder(), 1);
  EXPECT_EQ(Widgets[0]->ZOrder(), 2);
}

}  // namespace
}  // namespace gc::app
