// The property panel in the real window: it edits only the widget it shows,
// empties when that widget leaves, keeps its editing keys to the field, and
// holds font sizes from 1 to 500.
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

// ---- The panel edits only the widget it shows ------------------------------------------------

TEST_F(MainWindowTest, PanelKeepsEditingTheShownWidgetAfterItIsReordered) {
  TGraphNode* a = PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 30});
  QTest::mouseClick(Form.btnToFront, Qt::LeftButton);
  QTest::keyClicks(Form.edText, "Hello");
  EXPECT_EQ(a->Text(), "Hello");
  EXPECT_EQ(b->Text(), "");
  EXPECT_EQ(Form.CurrentWidgetIndex(), 1);
  EXPECT_EQ(Form.edZPosition->value(), 1);
}

TEST_F(MainWindowTest, PanelEmptiesWhenItsWidgetLeavesAndNothingReportsAnError) {
  PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 30});
  Form.GraphWidget->setFocus();
  Key(Qt::Key_Delete);
  EXPECT_EQ(Form.ShownWidget(), nullptr);
  EXPECT_FALSE(Form.edText->isEnabled());
  EXPECT_EQ(Form.edText->text(), "");

  Key(Qt::Key_Tab);  // selects b without a click: the panel stays empty
  ASSERT_TRUE(b->Selected());
  QTest::keyClicks(Form.edText, "x");
  EXPECT_EQ(b->Text(), "");
  Drag({50, 90}, {60, 100});  // raises OnObjectChange on every step, then shows b
  EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front();
  EXPECT_EQ(Form.ShownWidget(), b);

  Dialogs.InputAnswer = "Next";
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  Form.btnScreenPropClick();
  EXPECT_EQ(Form.ShownWidget(), nullptr);
  EXPECT_FALSE(Form.edFontSize->isEnabled());
}

TEST_F(MainWindowTest, EditingKeysInThePanelStayWithTheField) {
  PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 90});
  QTest::keyClicks(Form.edText, "abc");
  Form.edText->setCursorPosition(0);
  QTest::keyClick(Form.edText, Qt::Key_Delete);
  QTest::keyClick(Form.edText, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(b->Text(), "bc");
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Form.GraphControl1.CountSelected(), 1);
  EXPECT_EQ(Form.edText->selectedText(), "bc");
}

TEST_F(MainWindowTest, FontSizeFieldHoldsOneToFiveHundredWithoutChangingOtherSizes) {
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  w->Font().SetSize(900);
  Click({50, 30});
  EXPECT_EQ(w->Font().Size(), 900);
  EXPECT_EQ(Form.edFontSize->value(), 500);
  Form.edFontSize->setValue(0);
  EXPECT_EQ(w->Font().Size(), 1);
}

}  // namespace
}  // namespace gc::app
