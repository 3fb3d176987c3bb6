#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

class GraphWidgetInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Graph.SetShowGrid(false);
    Graph.SetSnapToGrid(false);
    Graph.SetMinNodeSize(2);
    Graph.SetDefaultNodeClass(TRectangularNode::StaticClass());
    Widget.resize(400, 300);
    Widget.show();
  }

  void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = Widget.viewport();
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }
  bool Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&Widget, &event);
    return event.isAccepted();
  }

  // Declared before the widget, which must go first.
  TGraphControl Graph;
  TGraphWidget Widget{&Graph};
};

TEST_F(GraphWidgetInputTest, PressInAddNodeModeCreatesANodeThatTheMouseThenDrags) {
  Graph.SetCommandMode(cmAddNode);
  Drag({50, 40}, {120, 90});
  ASSERT_EQ(Graph.Objects().Count(), 1);
  TGraphObject* node = Graph.Objects().Items(0);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{50, 40, 120, 90}));
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  EXPECT_TRUE(Graph.Modified());
  Drag({80, 60}, {100, 70});
  EXPECT_EQ(node->GetBoundsRect(), (TRect{70, 50, 140, 100}));
  EXPECT_EQ(Graph.DragSource(), nullptr);
}

TEST_F(GraphWidgetInputTest, ModifiersAndButtonsReachTheControl) {
  TGraphObject* a = Graph.AddNode({10, 10, 50, 50});
  TGraphObject* b = Graph.AddNode({100, 10, 140, 50});
  a->SetSelected(true);
  // Shift + click toggles b into the selection.
  Mouse(QEvent::MouseButtonPress, {120, 30}, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  Mouse(QEvent::MouseButtonRelease, {120, 30}, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
  EXPECT_TRUE(a->Selected() && b->Selected());
  // A right press on empty space starts no band.
  Mouse(QEvent::MouseButtonPress, {300, 250}, Qt::RightButton, Qt::RightButton);
  EXPECT_FALSE(Graph.SelectionRectVisible());
  Mouse(QEvent::MouseButtonRelease, {300, 250}, Qt::RightButton, Qt::NoButton);
  EXPECT_TRUE(a->Selected() && b->Selected());
}

TEST_F(GraphWidgetInputTest, TabAndArrowsStayWithTheControl) {
  TGraphObject* a = Graph.AddNode({10, 10, 50, 50});
  TGraphObject* b = Graph.AddNode({100, 10, 140, 50});
  a->SetSelected(true);
  EXPECT_TRUE(Key(Qt::Key_Tab));
  EXPECT_TRUE(b->Selected());
  EXPECT_FALSE(a->Selected());
  EXPECT_TRUE(Key(Qt::Key_Backtab, Qt::ShiftModifier));
  EXPECT_TRUE(a->Selected());
  EXPECT_TRUE(Key(Qt::Key_Right));
  EXPECT_EQ(a->GetBoundsRect(), (TRect{11, 10, 51, 50}));
  // Keys the control does not know go on to the parent.
  EXPECT_FALSE(Key(Qt::Key_F5));
}

}  // namespace
}  // namespace gc::qt
