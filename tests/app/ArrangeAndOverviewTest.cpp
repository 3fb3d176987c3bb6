// The designer's "Arrange" command, run from its menu: the widgets are laid
// out in a row without overlapping, as one step that Ctrl+Z takes back. And
// its overview dock: shown from the View menu, a click in it scrolls the
// drawing area.
#include <QDockWidget>
#include <QMenu>

#include "platform/qt/GraphOverview.h"

#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

class ArrangeCommandTest : public MainWindowTest {
 protected:
  QAction* Command(QMenu* menu, const QString& name) {
    for (QAction* action : menu->actions())
      if (action->text().remove('&') == name) return action;
    return nullptr;
  }
};

TEST_F(ArrangeCommandTest, LaysTheWidgetsOutInARowAsOneUndoableStep) {
  TGraphNode* a = PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({200, 120}, {240, 140});
  TGraphNode* c = PlaceWidget({60, 200}, {140, 260});
  const TRect before[] = {a->GetBoundsRect(), b->GetBoundsRect(), c->GetBoundsRect()};
  QAction* arrange = Command(Form.menuArrange, "Arrange");
  ASSERT_TRUE(arrange);

  arrange->trigger();

  // Widgets have no links: one layer, in a row from the old top-left corner.
  EXPECT_EQ(std::min({a->Left(), b->Left(), c->Left()}), 20);
  EXPECT_EQ(std::min({a->Top(), b->Top(), c->Top()}), 20);
  std::vector<TRect> row = {a->GetBoundsRect(), b->GetBoundsRect(), c->GetBoundsRect()};
  std::sort(row.begin(), row.end(), [](const TRect& p, const TRect& q) { return p.Left < q.Left; });
  for (size_t i = 0; i + 1 < row.size(); ++i) EXPECT_GE(row[i + 1].Left - row[i].Right, 24) << i;
  EXPECT_EQ(Form.GraphControl1.UndoName(), "arrange");

  Form.GraphWidget->setFocus();
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(a->GetBoundsRect(), before[0]);
  EXPECT_EQ(b->GetBoundsRect(), before[1]);
  EXPECT_EQ(c->GetBoundsRect(), before[2]);
}

TEST_F(ArrangeCommandTest, TheOverviewDockShowsFromTheViewMenuAndScrollsTheDrawingArea) {
  PlaceWidget({20, 20}, {100, 50});
  Form.GraphControl1.AddNode({1500, 1200, 1600, 1250});  // the screen ends at 2000 x 2000
  QAction* overview = Command(Form.menuView, "Overview");
  ASSERT_TRUE(overview);
  EXPECT_FALSE(Form.dockOverview->isVisible());

  overview->trigger();
  QApplication::processEvents();
  ASSERT_TRUE(Form.dockOverview->isVisible());
  EXPECT_TRUE(overview->isChecked());
  auto* view = qobject_cast<qt::TGraphOverview*>(Form.dockOverview->widget());
  ASSERT_TRUE(view);
  const QPointF far = view->MapFromGraph(QPointF(1550, 1225));
  QTest::mouseClick(view, Qt::LeftButton, {}, far.toPoint());
  const TRect visible = Form.GraphControl1.VisibleArea();
  EXPECT_TRUE(visible.Left < 1500 && 1600 < visible.Right && visible.Top < 1200 && 1250 < visible.Bottom)
      << visible.Left << "," << visible.Top << " " << visible.Right << "," << visible.Bottom;

  Form.dockOverview->close();
  EXPECT_FALSE(overview->isChecked());
}

}  // namespace
}  // namespace gc::app
