// The designer's "Arrange" command, run from its menu: the widgets are laid
// out in a row without overlapping, as one step that Ctrl+Z takes back.
#include <QMenu>

#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

class ArrangeCommandTest : public MainWindowTest {};

TEST_F(ArrangeCommandTest, LaysTheWidgetsOutInARowAsOneUndoableStep) {
  TGraphNode* a = PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({200, 120}, {240, 140});
  TGraphNode* c = PlaceWidget({60, 200}, {140, 260});
  const TRect before[] = {a->GetBoundsRect(), b->GetBoundsRect(), c->GetBoundsRect()};
  QAction* arrange = nullptr;
  for (QAction* action : Form.menuArrange->actions())
    if (action->text().remove('&') == "Arrange") arrange = action;
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

}  // namespace
}  // namespace gc::app
