// The property panel in the real window: it edits only the widget it shows,
// empties when that widget leaves, keeps its editing keys to the field, and
// holds font sizes from 1 to 500; and, through the window's handlers, it
// fills only for a single selection, edits only then, and shows position
// and size as the widget changes.
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/ColorPicker.h"
#include "app/Unit1.h"
#include "tests/app/DesignerFixture.h"
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

// ---- Through the window's handlers -------------------------------------------------------------

TEST_F(DesignerTest, ClickFillsThePanelOnlyForASingleSelection) {
  AddWidget({0, 0, 10, 10}, "first");
  TGraphNode* w = AddWidget({40, 30, 160, 55}, "second");
  w->Brush().SetColor(0x123456);
  w->Font().SetColor(0x00FF00);
  w->Font().SetSize(13);
  ClickOnly(w);
  EXPECT_EQ(Form.CurrentWidgetIndex(), 1);
  EXPECT_EQ(Form.edText->text().toStdString(), "second");
  EXPECT_EQ(Form.edHinter->Color(), 0x123456u);
  EXPECT_EQ(Form.edVorder->Color(), 0x00FF00u);
  EXPECT_EQ(Form.edFontSize->value(), 13);
  EXPECT_EQ(Form.edZPosition->value(), 1);
  // Filling the text field wrote it back, dropping the default margin.
  EXPECT_EQ(w->Margin(), 0);

  Form.GraphControl1.Objects()[0]->SetSelected(true);  // two selected
  Form.GraphControl1ObjectClick(&Form.GraphControl1, w);
  EXPECT_EQ(Form.CurrentWidgetIndex(), 1);
  EXPECT_EQ(Form.edText->text().toStdString(), "second");
}

TEST_F(DesignerTest, PanelEditsChangeTheWidgetOnlyWithOneSelected) {
  TGraphNode* other = AddWidget({0, 0, 10, 10}, "other");
  TGraphNode* w = AddWidget({40, 30, 160, 55}, "w");
  w->SetMargin(8);
  ClickOnly(w);
  w->SetMargin(8);
  Form.edText->setText("Hello");
  EXPECT_EQ(w->Text(), "Hello");
  EXPECT_EQ(w->Margin(), 0);
  Form.edHinter->SetColor(0x0000FF);
  EXPECT_EQ(w->Brush().Color(), 0x0000FFu);
  Form.edVorder->SetColor(0xFF0000);
  EXPECT_EQ(w->Font().Color(), 0xFF0000u);
  Form.edFontSize->setValue(21);
  EXPECT_EQ(w->Font().Size(), 21);

  other->SetSelected(true);
  Form.edText->setText("Nope");
  Form.edFontSize->setValue(9);
  EXPECT_EQ(w->Text(), "Hello");
  EXPECT_EQ(w->Font().Size(), 21);
  EXPECT_EQ(other->Text(), "other");
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(DesignerTest, ObjectChangeShowsPositionAndSizeIncludingNegative) {
  Form.GraphControl1.GraphConstraints().SetMinLeft(-100);
  TGraphNode* w = AddWidget({40, 30, 160, 55});
  ClickOnly(w);
  w->SetBoundsRect({-10, 5, 30, 45});
  Form.GraphControl1ObjectChange(&Form.GraphControl1, w);
  EXPECT_EQ(Form.edPosX->value(), -10);
  EXPECT_EQ(Form.edPosY->value(), 5);
  EXPECT_EQ(Form.edBreite->value(), 40);
  EXPECT_EQ(Form.edHoehe->value(), 40);
}

// "New screen" puts one question: the warning for a screen without unsaved
// changes, the unsaved-changes question for one with them.

}  // namespace
}  // namespace gc::app
