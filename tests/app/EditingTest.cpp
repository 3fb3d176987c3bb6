// Editing the screen in the real window: undo and redo bring back the very
// file, the clipboard keys copy, paste and duplicate widgets, the panel's
// fields keep their own keys, and the arrangement buttons line widgets up.
// A workflow across the window, its panel and the control; tests of one
// window live in that window's test file.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>
#include <climits>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/qt/CaptionEditor.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

class EditingTest : public MainWindowTest {
 protected:
  QToolButton* Button(QAction* action) {
    return qobject_cast<QToolButton*>(Form.EditBar->widgetForAction(action));
  }
  std::string State() {
    const TGraphControl& g = Form.GraphControl1;
    std::string ids;
    for (TGraphObject* o : g.Objects()) ids += (ids.empty() ? "" : ",") + std::to_string(o->ID());
    return "ids=" + ids + " selected=" + std::to_string(g.CountSelected()) +
           " top=" + g.Objects()[g.CountObjects() - 1]->Text() + " undo=" + g.UndoName() +
           " redo=" + g.RedoName() + " clipboard=" + QGuiApplication::clipboard()->text().toStdString();
  }
};

TEST_F(EditingTest, DeletingAWidgetAndUndoingGivesTheSavedFileBackByteForByte) {
  PlaceWidget({20, 20}, {100, 50});
  PlaceWidget({20, 80}, {100, 110});
  PlaceWidget({150, 40}, {260, 90});
  Click({50, 90});  // showing a widget in the panel sets its text margin to 0
  Click({200, 60});
  QTest::keyClicks(Form.edText, "Start");
  Click({50, 90});
  Dialogs.Files = {Path("before.Screen"), Path("after.Screen")};
  Form.btnSaveClick();
  Form.GraphWidget->setFocus();
  Key(Qt::Key_Delete);
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [before.Screen*]");

  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [before.Screen]") << "back at the saved screen";
  Form.btnSaveClick();
  EXPECT_EQ(ReadAll(Dir.filePath("after.Screen")), ReadAll(Dir.filePath("before.Screen")));
}

struct TKeysCase {
  const char* Name;
  std::vector<std::pair<int, Qt::KeyboardModifiers>> Keys;
  const char* After;  // the window's state afterwards, as EditingTest::State() puts it
  friend void PrintTo(const TKeysCase& c, std::ostream* os) { *os << c.Name; }
};

class EditingKeys : public EditingTest, public ::testing::WithParamInterface<TKeysCase> {};

// Widgets a (1) and b (2); b is selected, and its text was just changed to "b2".
TEST_P(EditingKeys, ActOnTheDiagram) {
  PlaceWidget({20, 20}, {100, 50})->SetText("a");
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 90});
  Form.GraphControl1.ClearHistory();
  b->SetText("b2");
  QGuiApplication::clipboard()->clear();
  Form.GraphWidget->setFocus();
  for (const auto& [key, modifiers] : GetParam().Keys) Key(key, modifiers);
  EXPECT_EQ(State(), GetParam().After);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EditingKeys,
    ::testing::Values(
        TKeysCase{"Undo", {{Qt::Key_Z, Ctrl}}, "ids=1,2 selected=1 top= undo= redo=change clipboard="},
        TKeysCase{"RedoWithShiftZ",
                  {{Qt::Key_Z, Ctrl}, {Qt::Key_Z, CtrlShift}},
                  "ids=1,2 selected=1 top=b2 undo=change redo= clipboard="},
        TKeysCase{"RedoWithY",
                  {{Qt::Key_Z, Ctrl}, {Qt::Key_Y, Ctrl}},
                  "ids=1,2 selected=1 top=b2 undo=change redo= clipboard="},
        TKeysCase{"Cut", {{Qt::Key_X, Ctrl}}, "ids=1 selected=0 top=a undo=cut redo= clipboard=b2"},
        TKeysCase{"Copy", {{Qt::Key_C, Ctrl}}, "ids=1,2 selected=1 top=b2 undo=change redo= clipboard=b2"},
        TKeysCase{"CopyAndPaste",
                  {{Qt::Key_C, Ctrl}, {Qt::Key_V, Ctrl}},
                  "ids=1,2,3 selected=1 top=b2 undo=paste redo= clipboard=b2"},
        TKeysCase{
            "Duplicate", {{Qt::Key_D, Ctrl}}, "ids=1,2,3 selected=1 top=b2 undo=duplicate redo= clipboard="},
        TKeysCase{"CutPasteAndUndoBoth",
                  {{Qt::Key_X, Ctrl}, {Qt::Key_V, Ctrl}, {Qt::Key_Z, Ctrl}, {Qt::Key_Z, Ctrl}},
                  "ids=1,2 selected=1 top=b2 undo=change redo=cut clipboard=b2"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(EditingTest, TypingAWordIsOneStepAndTheFieldKeepsItsOwnKeys) {
  PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 30});
  Key(Qt::Key_Delete);  // a step the field's keys must leave alone
  Click({50, 90});
  QTest::keyClicks(Form.edText, "ab cd");
  ASSERT_EQ(b->Text(), "ab cd");
  Form.GraphWidget->setFocus();
  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(b->Text(), "ab ");
  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(b->Text(), "");
  EXPECT_EQ(Form.edText->text(), "") << "the panel follows";
  EXPECT_EQ(Count(), 1);

  Form.edText->setFocus();
  QTest::keyClicks(Form.edText, "xy");
  for (const auto& [key, modifiers] : std::vector<std::pair<int, Qt::KeyboardModifiers>>{
           {Qt::Key_Z, Ctrl}, {Qt::Key_Y, Ctrl}, {Qt::Key_D, Ctrl}})
    QTest::keyClick(Form.edText, Qt::Key(key), modifiers);
  EXPECT_EQ(Form.edText->text(), "xy") << "undone and redone in the field";
  EXPECT_EQ(Count(), 1) << "the deleted widget stays deleted, nothing is duplicated";
  QTest::keyClick(Form.edText, Qt::Key_A, Ctrl);
  QTest::keyClick(Form.edText, Qt::Key_C, Ctrl);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "xy");
  EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(
      QStringLiteral("application/x-qt-windows-mime;value=\"Graph Control Format\"")));
}

TEST_F(EditingTest, AWidgetsTextEditedInPlaceIsOneStepThatThePanelShows) {
  TGraphNode* w = PlaceWidget({20, 20}, {140, 50});
  QTest::mouseDClick(Canvas(), Qt::LeftButton, {}, {60, 35});
  QWidget* field = QApplication::focusWidget();
  ASSERT_EQ(field, Form.GraphWidget->CaptionEditor());
  QTest::keyClicks(field, "Hello");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(w->Text(), "Hello");
  EXPECT_EQ(Form.edText->text(), "Hello") << "the panel follows";
  EXPECT_EQ(Form.GraphControl1.UndoName(), "text");
  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(w->Text(), "");
  EXPECT_EQ(Form.edText->text(), "");
}

TEST_F(EditingTest, UndoButtonsNameTheStepAndTheZoomShowsAtTheRightEnd) {
  EXPECT_FALSE(Button(Form.actUndo)->isEnabled());
  PlaceWidget({20, 20}, {100, 50});
  Click({50, 30});
  Key(Qt::Key_Delete);
  EXPECT_EQ(Button(Form.actUndo)->toolTip(), "Undo delete");
  EXPECT_FALSE(Button(Form.actRedo)->isEnabled());
  QTest::mouseClick(Button(Form.actUndo), Qt::LeftButton);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Button(Form.actRedo)->toolTip(), "Redo delete");

  EXPECT_EQ(Form.lblZoom->text(), "100%");
  QTest::mouseClick(Form.btnZoomPlus, Qt::LeftButton);
  EXPECT_EQ(Form.lblZoom->text(), "102%");
  EXPECT_GT(Form.lblZoom->x(), Form.chSnap->x() + Form.chSnap->width()) << "after the specified items";
}

TEST_F(EditingTest, UndoAndRedoKeepTheAlignmentsReferenceAndRepaintWhatTheyMove) {
  TGraphObject* a = PlaceWidget({20, 20}, {100, 50});
  TGraphObject* b = PlaceWidget({150, 80}, {190, 100});
  Click({170, 90});  // b first: the reference
  QTest::mouseClick(Canvas(), Qt::LeftButton, Qt::ShiftModifier, {50, 30});
  auto fresh = [&] {
    return Form.GraphWidget->RenderClientRect(Canvas()->rect()).convertToFormat(QImage::Format_RGB32);
  };
  Form.actAlignMiddle->trigger();
  ASSERT_EQ(a->GetBoundsRect(), (TRect{20, 75, 100, 105}));
  const QImage aligned = fresh();
  EXPECT_TRUE(OnScreen() == aligned);

  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(Form.GraphControl1.SelectedObjects().Items(), (std::vector<TGraphObject*>{b, a}));
  EXPECT_TRUE(OnScreen() == fresh()) << "after undo";
  Key(Qt::Key_Y, Ctrl);
  EXPECT_TRUE(OnScreen() == aligned) << "after redo: no markers left where a was";
  Key(Qt::Key_Z, Ctrl);
  Form.actAlignMiddle->trigger();
  EXPECT_EQ(a->GetBoundsRect(), (TRect{20, 75, 100, 105})) << "aligned to b again";
  EXPECT_EQ(b->GetBoundsRect(), (TRect{150, 80, 190, 100}));
}

TEST_F(EditingTest, ArrowKeysInARowAreOneUndoStep) {
  TGraphObject* w = PlaceWidget({20, 20}, {100, 50});
  Click({50, 30});
  Form.GraphControl1.SetNudgeMergeTime(INT32_MAX);  // however slow the machine
  for (int i = 0; i < 3; ++i) Key(Qt::Key_Right);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(w->GetBoundsRect(), (TRect{23, 20, 103, 51}));
  EXPECT_EQ(Button(Form.actUndo)->toolTip(), "Undo resize");
  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(w->GetBoundsRect(), (TRect{23, 20, 103, 50}));
  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(w->GetBoundsRect(), (TRect{20, 20, 100, 50})) << "the three moves at once";
}

struct TArrangeCase {
  const char* Name;
  QAction* TForm1::*Action;
  TRect First, Second, Third;  // the widgets' bounds afterwards
  friend void PrintTo(const TArrangeCase& c, std::ostream* os) { *os << c.Name; }
};

class ArrangeButtons : public EditingTest, public ::testing::WithParamInterface<TArrangeCase> {};

// The first selected widget is 80 x 30 at (20, 20); the second 40 x 20 at
// (150, 80), the third 80 x 20 at (250, 150). The window is wide enough to
// show every button.
TEST_P(ArrangeButtons, LineUpTheSelectionInOneUndoableStep) {
  Form.resize(1400, 476);
  QApplication::processEvents();
  TGraphObject* first = PlaceWidget({20, 20}, {100, 50});
  TGraphObject* second = PlaceWidget({150, 80}, {190, 100});
  TGraphObject* third = PlaceWidget({250, 150}, {330, 170});
  Click({50, 30});
  QTest::mouseClick(Canvas(), Qt::LeftButton, Qt::ShiftModifier, {170, 90});
  QTest::mouseClick(Canvas(), Qt::LeftButton, Qt::ShiftModifier, {290, 160});
  ASSERT_EQ(Form.GraphControl1.CountSelected(), 3);
  QToolButton* button = Button(Form.*GetParam().Action);
  ASSERT_TRUE(button && button->isVisible()) << "the button shows in a wide window";
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(first->GetBoundsRect(), GetParam().First);
  EXPECT_EQ(second->GetBoundsRect(), GetParam().Second);
  EXPECT_EQ(third->GetBoundsRect(), GetParam().Third);

  Form.GraphWidget->setFocus();
  Key(Qt::Key_Z, Ctrl);
  EXPECT_EQ(first->GetBoundsRect(), (TRect{20, 20, 100, 50}));
  EXPECT_EQ(second->GetBoundsRect(), (TRect{150, 80, 190, 100}));
  EXPECT_EQ(third->GetBoundsRect(), (TRect{250, 150, 330, 170}));
}

constexpr TRect First0{20, 20, 100, 50};
INSTANTIATE_TEST_SUITE_P(
    Toolbar, ArrangeButtons,
    ::testing::Values(
        TArrangeCase{"AlignLeft", &TForm1::actAlignLeft, First0, {20, 80, 60, 100}, {20, 150, 100, 170}},
        TArrangeCase{"AlignCenter", &TForm1::actAlignCenter, First0, {40, 80, 80, 100}, {20, 150, 100, 170}},
        TArrangeCase{"AlignRight", &TForm1::actAlignRight, First0, {60, 80, 100, 100}, {20, 150, 100, 170}},
        TArrangeCase{"AlignTop", &TForm1::actAlignTop, First0, {150, 20, 190, 40}, {250, 20, 330, 40}},
        TArrangeCase{"AlignMiddle", &TForm1::actAlignMiddle, First0, {150, 25, 190, 45}, {250, 25, 330, 45}},
        TArrangeCase{"AlignBottom", &TForm1::actAlignBottom, First0, {150, 30, 190, 50}, {250, 30, 330, 50}},
        TArrangeCase{"DistributeHorizontally",
                     &TForm1::actDistributeHorizontally,
                     First0,
                     {155, 80, 195, 100},
                     {250, 150, 330, 170}},
        TArrangeCase{"DistributeVertically",
                     &TForm1::actDistributeVertically,
                     First0,
                     {150, 90, 190, 110},
                     {250, 150, 330, 170}},
        TArrangeCase{"SameWidth", &TForm1::actSameWidth, First0, {150, 80, 230, 100}, {250, 150, 330, 170}},
        TArrangeCase{
            "SameHeight", &TForm1::actSameHeight, First0, {150, 80, 190, 110}, {250, 150, 330, 180}}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace gc::app
