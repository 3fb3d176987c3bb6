// The object list over a screen: it follows and sets the selection, and
// reorders, hides and locks widgets as steps of the history.
#include "tests/app/DesignerWindowsFixture.h"

namespace gc::app {
namespace {

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

}  // namespace
}  // namespace gc::app
