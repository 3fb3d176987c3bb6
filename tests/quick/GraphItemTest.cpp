// The Qt Quick item hosts a control as the widget does: it paints it, and
// mouse, keys, wheel, hover and focus reach it; QML sees its properties.
#include "platform/qt/GraphItem.h"

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"

namespace gc::qt {
namespace {

class GraphItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QQmlComponent component(&Engine);
    component.setData(R"(
      import QtQuick
      import GraphControl
      GraphItem { width: 300; height: 200; focus: true }
    )",
                      QUrl());
    Item = qobject_cast<TGraphItem*>(component.create());
    ASSERT_NE(Item, nullptr) << component.errorString().toStdString();
    Item->setParentItem(Window.contentItem());
    Window.resize(300, 200);
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    Graph = Item->Control();
    ASSERT_NE(Graph, nullptr);
    Graph->SetShowGrid(false);
    Graph->SetColor(clWhite);
    Node = TGraphNode::CreateWithBounds<TRectangularNode>(Graph, {20, 20, 100, 80});
    Node->Brush().SetColor(clRed);
  }
  void TearDown() override { delete Item; }
  QImage Grab() { return Window.grabWindow(); }

  QQmlEngine Engine;
  QQuickWindow Window;
  TGraphItem* Item = nullptr;
  TGraphControl* Graph = nullptr;
  TGraphNode* Node = nullptr;
};

TEST_F(GraphItemTest, PaintsTheControlsDiagram) {
  const QImage image = Grab();
  EXPECT_EQ(image.pixelColor(60, 50), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(200, 150), QColor(Qt::white));
}

TEST_F(GraphItemTest, MouseKeysAndWheelReachTheControl) {
  QSignalSpy selection(Item, &TGraphItem::selectionChanged);
  QTest::mouseClick(&Window, Qt::LeftButton, {}, {60, 50});
  EXPECT_TRUE(Node->Selected());
  EXPECT_EQ(selection.count(), 1);
  EXPECT_EQ(Item->selectionCount(), 1);
  EXPECT_TRUE(Item->hasActiveFocus());

  // A drag moves the node: one step QML can undo.
  QTest::mousePress(&Window, Qt::LeftButton, {}, {60, 50});
  QTest::mouseMove(&Window, {75, 60});
  QTest::mouseMove(&Window, {90, 70});
  QTest::mouseRelease(&Window, Qt::LeftButton, {}, {90, 70});
  EXPECT_EQ(Node->GetBoundsRect(), (TRect{48, 40, 128, 100}));  // moved by (30, 20), snapped to 8
  EXPECT_TRUE(Item->canUndo());
  EXPECT_TRUE(Item->modified());

  // The arrow keys nudge through the control's key map.
  Graph->SetSnapToGrid(false);
  QTest::keyClick(&Window, Qt::Key_Right);
  EXPECT_EQ(Node->Left(), 49);

  // Hovering a marker shows the resize cursor.
  QTest::mouseMove(&Window, {129, 101});
  EXPECT_EQ(Item->cursor().shape(), Qt::SizeFDiagCursor);

  // Ctrl + wheel zooms at the pointer.
  QSignalSpy zoom(Item, &TGraphItem::zoomChanged);
  QWheelEvent wheel({60, 50}, Window.mapToGlobal(QPoint(60, 50)), {}, {0, 120}, Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&Window, &wheel);
  EXPECT_EQ(Item->zoom(), 110);
  EXPECT_EQ(zoom.count(), 1);

  EXPECT_TRUE(Item->undo());
  Item->deleteSelection();
  EXPECT_EQ(Graph->Objects().Count(), 0);
}

TEST_F(GraphItemTest, QmlSetsTheModeAndAnOutsideControlMayGoFirst) {
  Item->setProperty("commandMode", TGraphItem::AddNode);
  EXPECT_EQ(Graph->CommandMode(), cmAddNode);
  auto other = std::make_unique<TGraphControl>();
  Item->SetControl(other.get());
  EXPECT_EQ(Graph->Host(), nullptr);
  other.reset();
  EXPECT_EQ(Item->Control(), nullptr);
  Grab();  // paints nothing, touches nothing freed
}

}  // namespace
}  // namespace gc::qt
