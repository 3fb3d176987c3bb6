// The designer's windows beside the drawing area, each on its own over a
// screen: the inspector, the object list, the binding table and the dialog of
// the screen's properties.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "app/BindingTable.h"
#include "app/ColorPicker.h"
#include "app/Inspector.h"
#include "app/ObjectList.h"
#include "app/ScreenPropertiesDialog.h"
#include "support/StreamBytes.h"
#include "tests/app/FakeDialogs.h"

namespace gc::app {
namespace {

class DesignerWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Graph.GraphConstraints().SetMaxRight(2000);
    Graph.GraphConstraints().SetMaxBottom(2000);
    Graph.SetMinNodeSize(2);
    for (int i = 0; i < 5; ++i) {
      TGraphObject* w = Graph.AddNode({10 + 60 * i, 10, 60 + 60 * i, 30}, TRectangularNode::StaticClass());
      w->SetText("W" + std::to_string(i));
      w->Font().SetName(i % 2 ? "Arial" : "Courier New");
      Widgets.push_back(w);
    }
    Graph.ClearHistory();
  }
  void Select(std::initializer_list<int> which) {
    Graph.SelectedObjects().Clear();
    for (int i : which) Widgets[static_cast<size_t>(i)]->SetSelected(true);
  }
  static void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  std::vector<uint8_t> Save() { return test::SavedBytes(Graph); }

  TScreenGraph Graph;
  std::vector<TGraphObject*> Widgets;
  TFakeDialogs Dialogs;
};

// ---- The inspector ----------------------------------------------------------------------------

TEST_F(DesignerWindowsTest, TheInspectorShowsSharedValuesAndMarksTheMixedOnes) {
  TInspector inspector(Dialogs);
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
  TInspector inspector(Dialogs);
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
  QLineEdit* TInspector::*Field;
  const char* Typed;
  const char* Message;  // the start of the message; "" for none
};

class InspectorRefusal : public DesignerWindowsTest, public ::testing::WithParamInterface<TRefusalCase> {};

// W4 (250..300) stops every widget from reaching X 1960: nothing moves.
TEST_P(InspectorRefusal, ChecksEveryWidgetFirstAndChangesNothing) {
  TInspector inspector(Dialogs);
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
            "PastTheRightEdge", &TInspector::edX, "1960",
            "X 1960 does not fit. The drawing area reaches from 0,0 to 2000,2000; \"W0\" is 50 wide, so "
            "its X can be 0 to 1950. Nothing was changed."},
        TRefusalCase{"LeftOfTheArea", &TInspector::edX, "-1", "X -1 does not fit."},
        TRefusalCase{"TooSmall", &TInspector::edHeight, "1", "Height 1 does not fit."},
        TRefusalCase{
            "TooWide", &TInspector::edWidth, "1800",
            "Width 1800 does not fit. The drawing area reaches from 0,0 to 2000,2000; \"W4\" starts at X "
            "250, so its Width can be 2 to 1750."},
        TRefusalCase{"NotANumber", &TInspector::edY, "1e3", "\"1e3\" is not a whole number"},
        TRefusalCase{"ZBeyondTheTop", &TInspector::edZ, "4", "The zPosition is a whole number from 0"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DesignerWindowsTest, TheInspectorRefusesToMoveALockedWidget) {
  TInspector inspector(Dialogs);
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
  TInspector inspector(Dialogs);
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

// ---- The object list --------------------------------------------------------------------------

TEST_F(DesignerWindowsTest, TheObjectListFollowsAndSetsTheSelection) {
  TObjectList list(Dialogs);
  list.SetGraph(&Graph);
  ASSERT_EQ(list.Model->rowCount(), 5);
  EXPECT_EQ(list.Model->index(0, TObjectListModel::colText).data().toString(), "W4") << "the top first";
  EXPECT_EQ(list.Model->index(0, TObjectListModel::colZ).data().toInt(), 4);
  Select({0, 1, 2, 4});
  list.Refresh();
  QList<int> rows;
  for (const QModelIndex& i : list.View->selectionModel()->selectedRows()) rows.append(i.row());
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (QList<int>{0, 2, 3, 4}));
  // One row chosen: every other widget leaves the selection.
  list.View->selectionModel()->select(list.Model->index(1, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  EXPECT_EQ(Graph.SelectedWidgets(), std::vector<TGraphObject*>{Widgets[3]});
}

TEST_F(DesignerWindowsTest, TheObjectListReordersHidesAndLocksAsSteps) {
  TObjectList list(Dialogs);
  list.SetGraph(&Graph);
  const std::vector<uint8_t> before = Save();
  // Rows show W4 W3 W2 W1 W0; W1 and W0 dropped above W3 keep their order.
  list.Model->MoveRows({3, 4}, 1);
  std::vector<std::string> order;
  for (TGraphObject* o : Graph.Objects()) order.push_back(o->Text());
  EXPECT_EQ(order, (std::vector<std::string>{"W2", "W3", "W0", "W1", "W4"}));
  list.Refresh();
  EXPECT_EQ(list.Model->index(1, TObjectListModel::colText).data().toString(), "W1");

  list.Model->setData(list.Model->index(0, TObjectListModel::colShown), Qt::Unchecked, Qt::CheckStateRole);
  EXPECT_FALSE(Widgets[4]->Visible());
  list.Model->setData(list.Model->index(0, TObjectListModel::colLocked), Qt::Checked, Qt::CheckStateRole);
  EXPECT_TRUE(TScreenGraph::IsLocked(Widgets[4]));
  EXPECT_EQ(Graph.UndoCount(), 3);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Graph.Undo());
  EXPECT_EQ(Save(), before);
}

// ---- The binding table ------------------------------------------------------------------------

TEST_F(DesignerWindowsTest, TheBindingTableEditsManyRowsAndFillsDown) {
  QTemporaryDir lists;
  {
    QFile f(lists.filePath("xml_Sources"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("SRC=Clock.Time\nXOther\n");
  }
  TBindingTable table(Dialogs);
  table.SetListFolder(lists.path().toStdString());
  table.SetGraph(&Graph);
  EXPECT_EQ(table.Choices(TBindingModel::colSource), (std::vector<std::string>{"SRC=Clock.Time", "XOther"}));
  EXPECT_TRUE(table.Choices(TBindingModel::colConverterName).empty()) << "no list: typed text only";
  ASSERT_EQ(table.Model->rowCount(), 5);

  QItemSelection rows;
  for (int row : {1, 2, 4})
    rows.select(table.Model->index(row, TBindingModel::colSource),
                table.Model->index(row, TBindingModel::colSource));
  table.View->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(Graph.SelectedWidgets().size(), 3u) << "the rows' widgets are selected";
  ASSERT_TRUE(
      table.Model->setData(table.Model->index(2, TBindingModel::colSource), "Session.Title", Qt::EditRole));
  for (int i : {1, 2, 4}) EXPECT_EQ(Graph.Binding(Widgets[i])->Source, "Session.Title") << i;
  EXPECT_EQ(Graph.Binding(Widgets[0]), nullptr);

  Graph.SetBinding(Widgets[1], {"Session.Title", "ClockToText", "Default"});
  QItemSelection all;
  all.select(table.Model->index(1, 0), table.Model->index(3, TBindingModel::ColumnCount - 1));
  table.View->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
  const int steps = Graph.UndoCount();
  table.FillDown();
  for (int i : {2, 3})
    EXPECT_EQ(*Graph.Binding(Widgets[i]), (TWidgetBinding{"Session.Title", "ClockToText", "Default"})) << i;
  EXPECT_EQ(Graph.UndoCount(), steps + 1);
}

// ---- The screen's properties ---------------------------------------------------------------------

TEST_F(DesignerWindowsTest, TheScreenDialogOffersThePresetsThatFitAndKeepsUnsetValuesUnset) {
  TScreenPropertiesDialog dialog(1000, 700);
  std::vector<QString> sizes;
  for (int i = 0; i < dialog.cbSize->count(); ++i) sizes.push_back(dialog.cbSize->itemText(i));
  EXPECT_EQ(sizes.front(), "Not set");
  EXPECT_EQ(sizes.back(), "Custom size");
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), "800 × 480 (WVGA)"), sizes.end());
  EXPECT_EQ(std::find(sizes.begin(), sizes.end(), "1024 × 600 (WSVGA)"), sizes.end()) << "wider than 1000";
  EXPECT_EQ(dialog.Properties(), TScreenProperties()) << "nothing set";

  dialog.cbSize->setCurrentIndex(dialog.cbSize->findText("800 × 480 (WVGA)"));
  EXPECT_EQ(dialog.edWidth->value(), 800);
  dialog.edHeight->setValue(500);
  EXPECT_EQ(dialog.cbSize->currentText(), "Custom size");
  dialog.edName->setText("Main");
  TScreenProperties expected;
  expected.Name = "Main";
  expected.Size = TScreenSize{800, 500};
  EXPECT_EQ(dialog.Properties(), expected);

  expected.Size = TScreenSize{320, 240};
  expected.Background = 0x00112233;
  dialog.SetProperties(expected);
  EXPECT_EQ(dialog.cbSize->currentText(), "320 × 240 (QVGA)");
  EXPECT_EQ(dialog.Properties(), expected);
}

}  // namespace
}  // namespace gc::app
