// Editing a caption in place, in a real window: these tests run on the xcb
// platform under Xvfb (the CTest entry "caption_editing"), where focus and key
// handling are the desktop's; on other platforms they are skipped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "platform/qt/CaptionEditor.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

class CaptionEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      GTEST_SKIP() << "a window test: runs on xcb (ctest -R caption_editing)";
    Graph.SetShowGrid(false);
    Graph.SetColor(clWhite);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    Widget = new TGraphWidget(&Graph);
    Other = new QLineEdit;
    layout->addWidget(Widget, 1);
    layout->addWidget(Other);
    Window.setCentralWidget(central);
    Window.resize(480, 360);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Widget->setFocus();
    Widget->SetCaptionEditing(true);
    Node = TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, TRect{40, 40, 200, 100});
    Node->SetText("Start");
    Node->SetAlignment(taLeftJustify);
    Steps = Graph.UndoCount();
  }
  void TearDown() override { QApplication::processEvents(); }

  // Client (viewport) pixels of a graph point at the current zoom and scroll.
  QPoint Client(int x, int y) { return Widget->MapFromGraph(QPointF(x, y)).toPoint(); }
  void DoubleClick(QPoint client) { QTest::mouseDClick(Widget->viewport(), Qt::LeftButton, {}, client); }
  void Type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
  }
  void Settle() {
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  TGraphControl Graph;
  QMainWindow Window;
  TGraphWidget* Widget = nullptr;
  QLineEdit* Other = nullptr;
  TGraphNode* Node = nullptr;
  int32_t Steps = 0;
};

TEST_F(CaptionEditorTest, DoubleClickEditsTheCaptionAndReturnCommitsOneStepThatUndoes) {
  DoubleClick(Client(120, 70));
  TCaptionEditor* editor = Widget->CaptionEditor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(QApplication::focusWidget(), editor);
  EXPECT_EQ(editor->toPlainText(), "Start");
  EXPECT_TRUE(editor->document()->defaultTextOption().alignment() & Qt::AlignLeft);

  Type("Stop");  // replaces the selected text
  EXPECT_EQ(Node->Text(), "Start");
  Key(Qt::Key_Return);
  Settle();
  EXPECT_EQ(Widget->CaptionEditor(), nullptr);
  EXPECT_EQ(Node->Text(), "Stop");
  EXPECT_EQ(Graph.UndoCount(), Steps + 1);
  EXPECT_EQ(Graph.UndoName(), "text");
  EXPECT_EQ(QApplication::focusWidget(), Widget);

  Graph.Undo();
  EXPECT_EQ(Node->Text(), "Start");
  Graph.Redo();
  EXPECT_EQ(Node->Text(), "Stop");
}

TEST_F(CaptionEditorTest, EscapeCancelsAndReturnWithoutAChangeRecordsNothing) {
  Node->SetSelected(true);
  Key(Qt::Key_F2);
  ASSERT_NE(Widget->CaptionEditor(), nullptr);
  Type("Other");
  Key(Qt::Key_Escape);
  Settle();
  EXPECT_EQ(Widget->CaptionEditor(), nullptr);
  EXPECT_EQ(Node->Text(), "Start");
  EXPECT_EQ(QApplication::focusWidget(), Widget);

  Key(Qt::Key_F2);
  ASSERT_NE(Widget->CaptionEditor(), nullptr);
  Key(Qt::Key_Return);
  Settle();
  EXPECT_EQ(Graph.UndoCount(), Steps);
}

TEST_F(CaptionEditorTest, ShiftReturnStartsALineAndLeavingTheFieldCommits) {
  Node->SetSelected(true);
  Key(Qt::Key_F2);
  ASSERT_NE(Widget->CaptionEditor(), nullptr);
  Type("Line one");
  Key(Qt::Key_Return, Qt::ShiftModifier);
  Type("two");
  EXPECT_NE(Widget->CaptionEditor(), nullptr);
  Other->setFocus(Qt::MouseFocusReason);
  Settle();
  EXPECT_EQ(Widget->CaptionEditor(), nullptr);
  EXPECT_EQ(Node->Text(), "Line one\r\ntwo");
  EXPECT_EQ(Graph.UndoCount(), Steps + 1);
}

// The field lies over the caption area as the view shows it and uses the
// node's font at the view's zoom.
TEST_F(CaptionEditorTest, TheFieldFollowsZoomAndScroll) {
  Node->Font().SetHeight(-10);
  Node->SetSelected(true);
  for (const int zoom : {50, 100, 200}) {
    SCOPED_TRACE(zoom);
    Graph.SetZoom(zoom);
    Key(Qt::Key_F2);
    TCaptionEditor* editor = Widget->CaptionEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->font().pixelSize(), 10 * zoom / 100);
    const TRect area = Node->GetCaptionBounds();
    const QRect expected = QRectF(Widget->MapFromGraph(QPointF(area.Left, area.Top)),
                                  Widget->MapFromGraph(QPointF(area.Right, area.Bottom)))
                               .toAlignedRect();
    EXPECT_TRUE(editor->geometry().contains(expected.center()));
    if (zoom == 200) {
      EXPECT_EQ(editor->geometry().adjusted(1, 1, -1, -1), expected);
      Graph.SetZoom(100);  // the open field follows
      const QRect after = QRectF(Widget->MapFromGraph(QPointF(area.Left, area.Top)),
                                 Widget->MapFromGraph(QPointF(area.Right, area.Bottom)))
                              .toAlignedRect();
      EXPECT_EQ(editor->geometry().adjusted(1, 1, -1, -1), after);
      EXPECT_EQ(editor->font().pixelSize(), 10);
    }
    Key(Qt::Key_Escape);
    Settle();
  }
}

TEST_F(CaptionEditorTest, OnlyWhereAProgramAsksAndOnlyForNodesThatStay) {
  TGraphLink* link = TGraphLink::CreateNew(&Graph, Node, {TPoint{300, 200}}, nullptr);
  EXPECT_EQ(Widget->EditCaption(link), nullptr);

  Widget->SetCaptionEditing(false);
  DoubleClick(Client(120, 70));
  EXPECT_EQ(Widget->CaptionEditor(), nullptr);

  // A node that goes while its caption is edited only closes the field.
  ASSERT_NE(Widget->EditCaption(Node), nullptr);
  Type("lost");
  const uint32_t id = Node->ID();
  Node->Destroy();
  Settle();
  EXPECT_EQ(Widget->CaptionEditor(), nullptr);
  EXPECT_EQ(Graph.ObjectByID(id), nullptr);
}

}  // namespace
}  // namespace gc::qt
