// The widget's Qt signals: one per change, object identifiers as arguments,
// any number of receivers, and the control's own handlers untouched.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

class GraphWidgetSignalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Graph.SetShowGrid(false);
    Graph.SetDefaultNodeClass(TRectangularNode::StaticClass());
    View.resize(400, 300);
    View.show();
  }
  void Press(QPoint at) { QTest::mousePress(View.viewport(), Qt::LeftButton, {}, at); }
  void Release(QPoint at) { QTest::mouseRelease(View.viewport(), Qt::LeftButton, {}, at); }
  void MoveHeld(QPoint to) {
    QMouseEvent move(QEvent::MouseMove, to, View.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(View.viewport(), &move);
  }

  TGraphControl Graph;
  TGraphWidget View{&Graph};
};

TEST_F(GraphWidgetSignalsTest, SelectionChangesAreReportedOncePerChange) {
  for (int i = 0; i < 3; ++i) Graph.AddNode({20 + 60 * i, 20, 60 + 60 * i, 60});
  QSignalSpy selection(&View, &TGraphWidget::selectionChanged);
  int perObject = 0;
  Graph.OnObjectSelect = [&](TGraphControl*, TGraphObject*) { ++perObject; };

  Press({5, 5});  // a rubber band around all three
  MoveHeld({100, 40});
  MoveHeld({250, 100});
  Release({250, 100});
  EXPECT_EQ(Graph.SelectedObjects().Count(), 3);
  EXPECT_EQ(selection.count(), 1);
  Press({300, 250});  // a click on empty ground: all three leave the selection
  Release({300, 250});
  EXPECT_EQ(Graph.SelectedObjects().Count(), 0);
  EXPECT_EQ(selection.count(), 2);
  EXPECT_EQ(perObject, 6);  // the program's handler still hears of each object

  // A program's call reports its own change at once.
  Graph.Objects().Items(2)->SetSelected(true);
  EXPECT_EQ(selection.count(), 3);
  // The handler counts into this body's local; the fixture's control, freed
  // later, deselects its objects once more.
  Graph.OnObjectSelect = nullptr;
}

TEST_F(GraphWidgetSignalsTest, ObjectDiagramAndViewSignalsCarryWhatChanged) {
  QSignalSpy inserted(&View, &TGraphWidget::objectInserted);
  QSignalSpy changed(&View, &TGraphWidget::objectChanged);
  QSignalSpy removed(&View, &TGraphWidget::objectRemoved);
  QSignalSpy clicked(&View, &TGraphWidget::objectClicked);
  QSignalSpy modified(&View, &TGraphWidget::modifiedChanged);
  QSignalSpy history(&View, &TGraphWidget::historyChanged);
  QSignalSpy zoom(&View, &TGraphWidget::zoomChanged);
  QSignalSpy mode(&View, &TGraphWidget::commandModeChanged);
  int handlerInserts = 0;
  Graph.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { ++handlerInserts; };
  quint32 secondReceiver = 0;
  QObject::connect(&View, &TGraphWidget::objectInserted, [&](quint32 id) { secondReceiver = id; });

  TGraphObject* node = Graph.AddNode({20, 20, 100, 80});
  const quint32 id = node->ID();
  node->SetText("renamed");
  Press({50, 50});
  Release({50, 50});
  Graph.SetZoom(200);
  Graph.SetCommandMode(cmAddNode);
  TMemoryStream file;
  Graph.SaveToStream(file);
  node->Delete();

  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted.at(0).at(0).value<quint32>(), id);
  EXPECT_EQ(secondReceiver, id);
  EXPECT_EQ(handlerInserts, 1);
  ASSERT_GE(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).value<quint32>(), id);
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked.at(0).at(0).value<quint32>(), id);
  ASSERT_EQ(removed.count(), 1);
  EXPECT_EQ(removed.at(0).at(0).value<quint32>(), id);
  // Set by the insertion, cleared by the save, set again by the deletion.
  ASSERT_EQ(modified.count(), 3);
  EXPECT_EQ(modified.at(0).at(0).toBool(), true);
  EXPECT_EQ(modified.at(1).at(0).toBool(), false);
  EXPECT_EQ(modified.at(2).at(0).toBool(), true);
  EXPECT_GE(history.count(), 3);
  ASSERT_EQ(zoom.count(), 1);
  EXPECT_EQ(zoom.at(0).at(0).toInt(), 200);
  ASSERT_EQ(mode.count(), 1);
  EXPECT_EQ(mode.at(0).at(0).toInt(), cmAddNode);
}

}  // namespace
}  // namespace gc::qt
