// The binding table over a screen: many rows edited at once, and filling down.
#include "tests/app/DesignerWindowsFixture.h"

namespace gc::app {
namespace {

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

}  // namespace
}  // namespace gc::app
