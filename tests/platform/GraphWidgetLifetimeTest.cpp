// The widget and the control it shows, destroyed in either order: the way Qt
// programs hold them (the control a member of the window, the widget a child
// the window frees after its members) must never touch freed memory. Run
// under AddressSanitizer in the sanitizer build, and clean under valgrind.
#include <gtest/gtest.h>

#include <QMainWindow>
#include <QTest>
#include <memory>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "GraphControl/NodeShapes.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

class TEditorWindow : public QMainWindow {
 public:
  TEditorWindow() {
    View = new TGraphWidget(&Graph, this);
    setCentralWidget(View);
    resize(300, 200);
  }
  TGraphControl Graph;
  TGraphWidget* View;
};

// A window in the middle of a gesture: a node selected and being dragged, the
// screen cursor overridden, the mouse captured.
std::unique_ptr<TEditorWindow> BusyWindow() {
  auto window = std::make_unique<TEditorWindow>();
  window->Graph.SetShowGrid(false);
  TGraphNode::CreateWithBounds<TRectangularNode>(&window->Graph, {20, 20, 100, 80});
  window->show();
  QWidget* viewport = window->View->viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, {50, 50});
  QTest::mouseMove(viewport, {80, 70});
  return window;
}

TEST(GraphWidgetLifetime, WindowWithTheControlAsMemberClosesInTheMiddleOfADrag) {
  std::unique_ptr<TEditorWindow> window = BusyWindow();
  ASSERT_NE(window->Graph.DragSource(), nullptr);
  // The control goes with the window's members, the widget after it with the
  // window's children.
  window.reset();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(GraphWidgetLifetime, WidgetDestroyedFirstLeavesAHeadlessControl) {
  std::unique_ptr<TEditorWindow> window = BusyWindow();
  delete window->View;
  TGraphControl& graph = window->Graph;
  EXPECT_EQ(graph.Host(), nullptr);
  // The control goes on without a window.
  graph.SetZoom(200);
  ASSERT_NE(graph.AddNode({200, 20, 240, 60}, TRectangularNode::StaticClass()), nullptr);
  EXPECT_EQ(graph.Objects().Count(), 2);
}

TEST(GraphWidgetLifetime, ControlDestroyedFirstLeavesAnEmptyWidget) {
  auto graph = std::make_unique<TGraphControl>();
  TGraphWidget view(graph.get());
  view.resize(200, 100);
  view.show();
  graph.reset();
  EXPECT_EQ(view.Control(), nullptr);
  // Painting and input go nowhere.
  view.viewport()->repaint();
  QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, {10, 10});
  QTest::keyClick(&view, Qt::Key_Right);
}

TEST(GraphWidgetLifetime, ASecondWidgetIsRefusedTheControlUntilTheFirstLetsGo) {
  TGraphControl graph;
  auto first = std::make_unique<TGraphWidget>(&graph);
  EXPECT_THROW(TGraphWidget refused(&graph), EGraphInvalidOperation);
  TGraphWidget second;
  EXPECT_THROW(second.SetControl(&graph), EGraphInvalidOperation);
  EXPECT_EQ(second.Control(), nullptr);
  EXPECT_EQ(graph.Host(), first.get());

  first->SetControl(nullptr);
  second.SetControl(&graph);
  EXPECT_EQ(graph.Host(), &second);
  // The widget that let go leaves the control's new window alone.
  first.reset();
  EXPECT_EQ(graph.Host(), &second);
}

}  // namespace
}  // namespace gc::qt
