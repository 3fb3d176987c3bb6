// The diagram window driven the way the window system drives it: QTest
// events on the top-level window, so that Qt itself grabs the mouse and
// synthesises context-menu, enter/leave and shortcut-override events. What is
// checked is what a user sees and what the application hears: the window's
// pixels, the diagram's data, its extents and the events.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "platform/qt/GraphWidget.h"

namespace gc::qt {
namespace {

// A control whose key map a test can replace, and whose Modified flag it can clear.
class TTestGraph : public TGraphControl {
 public:
  using TGraphControl::SetModified;
  std::function<bool(uint16_t& key, TShiftState shift)> KeyHandler;
  bool DefaultKeyHandler(uint16_t& key, TShiftState shift) override {
    return KeyHandler ? KeyHandler(key, shift) : TGraphControl::DefaultKeyHandler(key, shift);
  }
};

std::string Bytes(TGraphControl& graph) {
  TMemoryStream stream;
  graph.SaveToStream(stream);
  const std::vector<uint8_t>& bytes = stream.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

class GraphWindowTest : public ::testing::Test {
 protected:
  GraphWindowTest() {
    Graph.SetShowGrid(false);
    Graph.SetSnapToGrid(false);
    Graph.SetMinNodeSize(2);
    Graph.SetColor(clWhite);
    Graph.SetDefaultNodeClass(TRectangularNode::StaticClass());
    Graph.SetDefaultLinkClass(TGraphLink::StaticClass());
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    Widget = new TGraphWidget(&Graph);
    Edit = new QLineEdit;
    layout->addWidget(Widget, 1);
    layout->addWidget(Edit);
    Window.setCentralWidget(central);
    Window.statusBar();
    Window.resize(440, 380);
    Window.show();
    Window.activateWindow();
    Widget->setFocus();
    QApplication::processEvents();
  }
  ~GraphWindowTest() override { QApplication::processEvents(); }

  QWindow* Handle() { return Window.windowHandle(); }
  // Client (viewport) pixels to the window's coordinates.
  QPoint At(QPoint client) { return Widget->viewport()->mapTo(&Window, client); }
  void Press(QPoint client, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(Handle(), button, modifiers, At(client));
  }
  void Move(QPoint client) { QTest::mouseMove(Handle(), At(client)); }
  void Release(QPoint client, Qt::KeyboardModifiers modifiers = {}, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseRelease(Handle(), button, modifiers, At(client));
  }
  void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = {}) {
    Press(from, modifiers);
    Move(to);
    Release(to, modifiers);
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(Handle(), key, modifiers); }
  // What the window shows once the pending repaints are done.
  QImage Screen() {
    QApplication::processEvents();
    return Window.screen()->grabWindow(Window.winId()).toImage();
  }

  TRectangularNode* Box(const TRect& r, TColor fill) {
    auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, r);
    node->Brush().SetColor(fill);
    return node;
  }
  // Records the diagram's events as "event name" lines.
  void Record(std::vector<std::pair<TGraphObject*, std::string>> names) {
    Names = std::move(names);
    auto name = [this](TGraphObject* o) {
      for (const auto& [object, n] : Names)
        if (object == o) return n;
      return std::string("?");
    };
    Graph.OnObjectChange = [=, this](TGraphControl*, TGraphObject* o) { Log.push_back("change " + name(o)); };
    Graph.OnGraphChange = [this](TGraphControl*) { Log.push_back("graph"); };
    Graph.OnObjectHook = [=, this](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t i) {
      Log.push_back("hook " + name(o) + " " + std::to_string(i));
    };
    Graph.OnObjectUnhook = [=, this](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t i) {
      Log.push_back("unhook " + name(o) + " " + std::to_string(i));
    };
    Graph.OnObjectEndDrag = [=, this](TGraphControl*, TGraphObject* o, THitCode, bool cancelled) {
      Log.push_back("end drag " + name(o) + (cancelled ? " cancelled" : ""));
    };
  }

  // The records outlive the control, whose destruction still raises events;
  // the control outlives the window, which must go first.
  std::vector<std::pair<TGraphObject*, std::string>> Names;
  std::vector<std::string> Log;
  TTestGraph Graph;
  QMainWindow Window;
  TGraphWidget* Widget = nullptr;
  QLineEdit* Edit = nullptr;
};

// ---- Cancelling a drag --------------------------------------------------------------------------

// Two nodes joined by a link from A's right edge (120, 70) to B's left edge
// (240, 70). The press, a move that widens the diagram, then Escape before
// the release.
struct TCancelCase {
  const char* Name;
  bool SelectLink;  // else node A is selected
  QPoint Press;
  Qt::KeyboardModifiers Modifiers;
  QPoint To;
  std::vector<std::string> EventsAfterEscape;
};

class CancelledDragTest : public GraphWindowTest, public ::testing::WithParamInterface<TCancelCase> {};

TEST_P(CancelledDragTest, EscapeBeforeReleasePutsTheDiagramAndTheScreenBack) {
  const TCancelCase& c = GetParam();
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  TRectangularNode* b = Box({240, 40, 320, 100}, 0xC0FFC0);
  TGraphLink* link = TGraphLink::CreateNew(&Graph, a, {}, b);
  (c.SelectLink ? static_cast<TGraphObject*>(link) : a)->SetSelected(true);
  Graph.SetModified(false);
  const std::string data = Bytes(Graph);
  const TRect extent = Graph.AllExtent();
  const int32_t range = Graph.HorzScrollBar().Range();
  const QImage before = Screen();
  Record({{a, "A"}, {b, "B"}, {link, "L"}});

  Press(c.Press, c.Modifiers);
  Move(c.To);
  ASSERT_NE(Graph.DragSource(), nullptr);
  ASSERT_NE(Graph.AllExtent(), extent);
  Log.clear();
  Key(Qt::Key_Escape);

  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_EQ(Log, c.EventsAfterEscape);
  EXPECT_EQ(Bytes(Graph), data);
  EXPECT_EQ(Graph.AllExtent(), extent);
  EXPECT_EQ(Graph.HorzScrollBar().Range(), range);
  EXPECT_FALSE(Graph.Modified());
  EXPECT_TRUE(Screen() == before) << "the window still shows the dragged state";
  // The release that follows changes nothing.
  Release(c.To);
  EXPECT_EQ(Bytes(Graph), data);
  EXPECT_FALSE(Graph.Modified());
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, CancelledDragTest,
    ::testing::Values(
        // The dragged node gets its state back first, then the link hooked onto it.
        TCancelCase{
            "MoveNode", false, {45, 85}, {}, {390, 250}, {"change A", "change L", "end drag A cancelled"}},
        TCancelCase{"ResizeNode",
                    false,
                    {120, 100},
                    {},
                    {390, 250},
                    {"change A", "change L", "end drag A cancelled"}},
        TCancelCase{"HookedLinkEnd",
                    true,
                    {240, 70},
                    {},
                    {390, 250},
                    {"change L", "change L", "hook B 1", "end drag L cancelled"}},
        TCancelCase{"AltSegmentInsertsABreakPoint",
                    true,
                    {180, 70},
                    Qt::AltModifier,
                    {390, 250},
                    {"change L", "change L", "end drag L cancelled"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Insertion --------------------------------------------------------------------------------

struct TInsertCase {
  const char* Name;
  TGraphCommandMode Mode;
  Qt::KeyboardModifiers Modifiers;
  bool Escape;  // before the release
  int GraphChanges;
  int Objects;
};

class InsertionTest : public GraphWindowTest, public ::testing::WithParamInterface<TInsertCase> {};

TEST_P(InsertionTest, IsReportedOnceWhenItFinishesAndNotAtAllWhenCancelled) {
  const TInsertCase& c = GetParam();
  Box({300, 200, 340, 240}, 0xC0C0FF);
  Graph.SetModified(false);
  const QImage before = Screen();
  int changes = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++changes; };
  Graph.SetCommandMode(c.Mode);

  Press({50, 40}, c.Modifiers);
  Move({120, 90});
  if (c.Escape) Key(Qt::Key_Escape);
  Release({120, 90}, c.Modifiers);

  EXPECT_EQ(changes, c.GraphChanges);
  EXPECT_EQ(Graph.Modified(), c.GraphChanges > 0);
  EXPECT_EQ(Graph.Objects().Count(), c.Objects);
  EXPECT_EQ(Graph.CommandMode(), cmEdit);
  if (c.Escape) {
    EXPECT_TRUE(Screen() == before) << "the cancelled object is still drawn";
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, InsertionTest,
                         ::testing::Values(TInsertCase{"NodeReleased", cmAddNode, {}, false, 1, 2},
                                           TInsertCase{"NodeEscaped", cmAddNode, {}, true, 0, 1},
                                           TInsertCase{"ShiftPressPlacesWithoutDrag", cmAddNode,
                                                       Qt::ShiftModifier, false, 1, 2},
                                           TInsertCase{"LinkReleased", cmAddLink, {}, false, 1, 2},
                                           TInsertCase{"LinkEscaped", cmAddLink, {}, true, 0, 1}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(GraphWindowTest, PressInAddNodeModeCreatesANodeThatTheMouseThenDrags) {
  Graph.SetCommandMode(cmAddNode);
  Drag({50, 40}, {120, 90});
  ASSERT_EQ(Graph.Objects().Count(), 1);
  TGraphObject* node = Graph.Objects().Items(0);
  EXPECT_EQ(node->GetBoundsRect(), (TRect{50, 40, 120, 90}));
  Drag({80, 60}, {100, 70});
  EXPECT_EQ(node->GetBoundsRect(), (TRect{70, 50, 140, 100}));
  EXPECT_EQ(Graph.DragSource(), nullptr);
}

TEST_F(GraphWindowTest, ModifiersAndButtonsReachTheControl) {
  TRectangularNode* a = Box({10, 10, 50, 50}, clWhite);
  TRectangularNode* b = Box({100, 10, 140, 50}, clWhite);
  a->SetSelected(true);
  // Shift + click toggles b into the selection.
  Press({120, 30}, Qt::ShiftModifier);
  Release({120, 30}, Qt::ShiftModifier);
  EXPECT_TRUE(a->Selected() && b->Selected());
  // A right press on empty space starts no band.
  Press({300, 250}, {}, Qt::RightButton);
  EXPECT_FALSE(Graph.SelectionRectVisible());
  Release({300, 250}, {}, Qt::RightButton);
  EXPECT_TRUE(a->Selected() && b->Selected());
}

// ---- Links are hit where they are drawn ----------------------------------------------------------

struct TLinkHitCase {
  const char* Name;
  TPoints Points;
  TLinkBeginEndStyle Begin;
  QPoint Click;
  bool Hit;
};

class LinkHitTest : public GraphWindowTest, public ::testing::WithParamInterface<TLinkHitCase> {};

TEST_P(LinkHitTest, AClickOnOrNextToTheLineSelectsTheLink) {
  const TLinkHitCase& c = GetParam();
  TGraphLink* link = TGraphLink::CreateNew(&Graph, nullptr, c.Points, nullptr);
  link->SetBeginStyle(c.Begin);
  link->SetEndStyle(lsNone);
  Press(c.Click);
  Release(c.Click);
  EXPECT_EQ(link->Selected(), c.Hit);
}

INSTANTIATE_TEST_SUITE_P(
    Points, LinkHitTest,
    ::testing::Values(TLinkHitCase{"OnAHorizontalLine", {{20, 50}, {200, 50}}, lsNone, {100, 50}, true},
                      TLinkHitCase{"TwoPixelsAboveIt", {{20, 50}, {200, 50}}, lsNone, {100, 48}, true},
                      TLinkHitCase{"TwoPixelsBelowIt", {{20, 50}, {200, 50}}, lsNone, {100, 52}, true},
                      TLinkHitCase{"OnAVerticalLine", {{50, 20}, {50, 200}}, lsNone, {50, 100}, true},
                      TLinkHitCase{"LastPointOfADiagonal", {{20, 20}, {150, 120}}, lsNone, {150, 120}, true},
                      TLinkHitCase{
                          "BeforePointZeroOfAnArrow", {{40, 50}, {200, 50}}, lsArrow, {38, 50}, true},
                      TLinkHitCase{"FarFromTheLine", {{20, 50}, {200, 50}}, lsNone, {100, 56}, false},
                      TLinkHitCase{"PastTheLastPoint", {{20, 50}, {200, 50}}, lsNone, {206, 50}, false}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Event handlers that delete what the input works on ---------------------------------------

struct TReentranceCase {
  const char* Name;
  TGraphCommandMode Mode;
  void (*Arm)(TGraphControl& graph);
  TGraphCommandMode ModeAfter;
};

void DeleteOn(TGraphNotifyEvent& event) {
  event = [](TGraphControl*, TGraphObject* o) { o->Delete(); };
}

class ReentranceTest : public GraphWindowTest, public ::testing::WithParamInterface<TReentranceCase> {};

// Under the sanitizers a use of the deleted object fails the test.
TEST_P(ReentranceTest, AHandlerMayDeleteTheObjectTheInputWorksOn) {
  const TReentranceCase& c = GetParam();
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  TRectangularNode* b = Box({240, 40, 320, 100}, 0xC0FFC0);
  TGraphLink* link = TGraphLink::CreateNew(&Graph, a, {}, b);
  link->SetSelected(true);
  Graph.SetCommandMode(c.Mode);
  const int32_t count = Graph.Objects().Count();
  c.Arm(Graph);

  Press(c.Mode == cmEdit ? QPoint(240, 70) : QPoint(60, 200));
  Move({200, 250});
  Release({200, 250});
  Move({150, 150});

  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_EQ(Graph.CommandMode(), c.ModeAfter);
  EXPECT_LT(Graph.Objects().Count(), count + (c.Mode == cmEdit ? 0 : 1));
}

INSTANTIATE_TEST_SUITE_P(Handlers, ReentranceTest,
                         ::testing::Values(
                             // A creation that did not complete leaves the insert mode on.
                             TReentranceCase{"InsertedNodeOnInsert", cmAddNode,
                                             [](TGraphControl& g) { DeleteOn(g.OnObjectInsert); }, cmAddNode},
                             TReentranceCase{"InsertedNodeOnSelect", cmAddNode,
                                             [](TGraphControl& g) { DeleteOn(g.OnObjectSelect); }, cmEdit},
                             TReentranceCase{"InsertedLinkOnSelect", cmAddLink,
                                             [](TGraphControl& g) { DeleteOn(g.OnObjectSelect); }, cmEdit},
                             TReentranceCase{"LinkOnUnhookAtPress", cmEdit,
                                             [](TGraphControl& g) {
                                               g.OnObjectUnhook = [](TGraphControl*, TGraphObject*,
                                                                     TGraphLink* l, int32_t) { l->Delete(); };
                                             },
                                             cmEdit},
                             TReentranceCase{"LinkOnBeginDrag", cmEdit,
                                             [](TGraphControl& g) {
                                               g.OnObjectBeginDrag = [](TGraphControl*, TGraphObject* o,
                                                                        THitCode) { o->Delete(); };
                                             },
                                             cmEdit},
                             TReentranceCase{"HoverObjectOnEnter", cmEdit,
                                             [](TGraphControl& g) { DeleteOn(g.OnObjectMouseEnter); },
                                             cmEdit}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ---- Framework events ---------------------------------------------------------------------------

TEST_F(GraphWindowTest, FrameworkEventsComeInOrderWithTheControlsOwnHandling) {
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  Graph.OnMouseDown = [this](TGraphControl*, TMouseButton, TShiftState shift, int32_t x, int32_t y) {
    Log.push_back("down " + std::to_string(x) + "," + std::to_string(y) + ((shift & ssLeft) ? " left" : ""));
  };
  // Moves with the button held; the keys move the mouse to where it is, too.
  Graph.OnMouseMove = [this](TGraphControl* g, TShiftState shift, int32_t x, int32_t) {
    if (shift & ssLeft) Log.push_back("move " + std::to_string(x) + (g->DragSource() ? " dragging" : ""));
  };
  Graph.OnMouseUp = [this](TGraphControl* g, TMouseButton, TShiftState, int32_t x, int32_t) {
    Log.push_back("up " + std::to_string(x) + (g->DragSource() ? " dragging" : ""));
  };
  Graph.OnObjectSelect = [this](TGraphControl*, TGraphObject*) { Log.push_back("select"); };
  Graph.OnObjectClick = [this](TGraphControl*, TGraphObject*) { Log.push_back("object click"); };
  Graph.OnObjectEndDrag = [this](TGraphControl*, TGraphObject*, THitCode, bool) {
    Log.push_back("end drag");
  };
  Graph.OnKeyDown = [this](TGraphControl*, uint16_t& key, TShiftState) {
    Log.push_back("key down " + std::to_string(key));
  };
  Graph.OnKeyPress = [this](TGraphControl*, char32_t& ch) {
    Log.push_back(std::string("key press ") + char(ch));
  };
  Graph.OnKeyUp = [this](TGraphControl*, uint16_t& key, TShiftState) {
    Log.push_back("key up " + std::to_string(key));
  };
  Graph.OnExit = [this](TGraphControl*) { Log.push_back("exit"); };
  Graph.OnEnter = [this](TGraphControl*) { Log.push_back("enter"); };
  Graph.KeyHandler = [this](uint16_t& key, TShiftState) {
    Log.push_back("key map " + std::to_string(key));
    return key == VK_DELETE;
  };
  Graph.OnMouseWheelUp = [this](TGraphControl*, TShiftState, const TPoint& p, bool& handled) {
    Log.push_back("wheel up " + std::to_string(p.X));
    handled = true;  // the view does not scroll
  };

  Drag({60, 60}, {80, 60});
  Key(Qt::Key_X);
  Key(Qt::Key_Delete);
  Edit->setFocus();
  Widget->setFocus();
  QWheelEvent wheel(QPointF(30, 30), Widget->viewport()->mapToGlobal(QPointF(30, 30)), QPoint(),
                    QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Widget->viewport(), &wheel);

  EXPECT_EQ(a->GetBoundsRect(), (TRect{60, 40, 140, 100}));
  EXPECT_EQ(Graph.Zoom(), 100);
  EXPECT_EQ(Log, (std::vector<std::string>{"down 60,60 left", "select", "move 80 dragging", "object click",
                                           "end drag", "up 80", "key map 88", "key down 88", "key press x",
                                           "key up 88", "key map 46", "key up 46", "exit", "enter",
                                           "wheel up 30"}));
}

// ---- Keys -----------------------------------------------------------------------------------------

// A modifier is a key press of its own before the key it modifies.
struct TKeyCase {
  const char* Name;
  Qt::Key QtKey;
  Qt::KeyboardModifiers Modifiers;
  std::vector<std::pair<uint16_t, TShiftState>> Seen;
};

class KeyMapTest : public GraphWindowTest, public ::testing::WithParamInterface<TKeyCase> {};

TEST_P(KeyMapTest, EveryKeyReachesTheKeyMapWithItsVirtualKeyAndShiftState) {
  const TKeyCase& c = GetParam();
  std::vector<std::pair<uint16_t, TShiftState>> seen;
  Graph.KeyHandler = [&](uint16_t& key, TShiftState shift) {
    seen.emplace_back(key, shift);
    return true;
  };
  Key(c.QtKey, c.Modifiers);
  EXPECT_EQ(seen, c.Seen);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyMapTest,
    ::testing::Values(
        TKeyCase{"LetterA", Qt::Key_A, {}, {{0x41, 0}}},
        TKeyCase{"CtrlZ", Qt::Key_Z, Qt::ControlModifier, {{VK_CONTROL, ssCtrl}, {0x5A, ssCtrl}}},
        TKeyCase{"Digit7", Qt::Key_7, {}, {{0x37, 0}}},
        TKeyCase{"ShiftDigit5", Qt::Key_5, Qt::ShiftModifier, {{VK_SHIFT, ssShift}, {0x35, ssShift}}},
        TKeyCase{"Delete", Qt::Key_Delete, {}, {{VK_DELETE, 0}}},
        TKeyCase{"AltHome", Qt::Key_Home, Qt::AltModifier, {{VK_MENU, ssAlt}, {VK_HOME, ssAlt}}},
        TKeyCase{"End", Qt::Key_End, {}, {{VK_END, 0}}},
        TKeyCase{"PageUp", Qt::Key_PageUp, {}, {{VK_PRIOR, 0}}},
        TKeyCase{"PageDown", Qt::Key_PageDown, {}, {{VK_NEXT, 0}}},
        TKeyCase{"Return", Qt::Key_Return, {}, {{VK_RETURN, 0}}}, TKeyCase{"F5", Qt::Key_F5, {}, {{0x74, 0}}},
        TKeyCase{"Numpad7", Qt::Key_7, Qt::KeypadModifier, {{0x67, 0}}},
        TKeyCase{"NumpadPlus", Qt::Key_Plus, Qt::KeypadModifier, {{VK_ADD, 0}}},
        TKeyCase{"NumpadEnter", Qt::Key_Enter, Qt::KeypadModifier, {{VK_RETURN, 0}}},
        TKeyCase{"ShiftTab", Qt::Key_Backtab, Qt::ShiftModifier, {{VK_SHIFT, ssShift}, {VK_TAB, ssShift}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(GraphWindowTest, TheKeyAsTheKeyMapLeftItReachesOnKeyDown) {
  Graph.KeyHandler = [](uint16_t& key, TShiftState) {
    if (key == 'A') key = 'B';
    return false;
  };
  std::vector<uint16_t> keys;
  Graph.OnKeyDown = [&](TGraphControl*, uint16_t& key, TShiftState) { keys.push_back(key); };
  Key(Qt::Key_A);
  EXPECT_EQ(keys, (std::vector<uint16_t>{'B'}));
}

TEST_F(GraphWindowTest, AnUnhandledTabRunsTheKeyMapOnceAndMovesTheFocus) {
  int runs = 0;
  Graph.KeyHandler = [&](uint16_t&, TShiftState) {
    ++runs;
    return false;
  };
  Key(Qt::Key_Tab);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(Edit->hasFocus());
}

TEST_F(GraphWindowTest, DefaultKeysStayWithTheControl) {
  TRectangularNode* a = Box({10, 10, 50, 50}, clWhite);
  TRectangularNode* b = Box({100, 10, 140, 50}, clWhite);
  a->SetSelected(true);
  Key(Qt::Key_Tab);
  EXPECT_TRUE(b->Selected() && !a->Selected());
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(a->Selected());
  Key(Qt::Key_Right);
  EXPECT_EQ(a->GetBoundsRect(), (TRect{11, 10, 51, 50}));
  EXPECT_TRUE(Widget->hasFocus());
}

// A key the control handles wins over an application shortcut on the same
// key; a key it does not handle reaches the window's shortcut.
TEST_F(GraphWindowTest, ShortcutsGetOnlyTheKeysTheControlDoesNotHandle) {
  int deletes = 0;
  int refreshes = 0;
  QAction deleteAction("Delete", &Window);
  deleteAction.setShortcut(Qt::Key_Delete);
  QObject::connect(&deleteAction, &QAction::triggered, [&] { ++deletes; });
  QAction refreshAction("Refresh", &Window);
  refreshAction.setShortcut(Qt::Key_F5);
  QObject::connect(&refreshAction, &QAction::triggered, [&] { ++refreshes; });
  Window.addAction(&deleteAction);
  Window.addAction(&refreshAction);
  std::vector<uint16_t> keyMap;
  Graph.KeyHandler = [&](uint16_t& key, TShiftState) {
    keyMap.push_back(key);
    return key == VK_DELETE;
  };
  int keyDowns = 0;
  Graph.OnKeyDown = [&](TGraphControl*, uint16_t&, TShiftState) { ++keyDowns; };

  Key(Qt::Key_Delete);
  Key(Qt::Key_F5);

  EXPECT_EQ(deletes, 0);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(keyMap, (std::vector<uint16_t>{VK_DELETE, 0x74}));
  EXPECT_EQ(keyDowns, 0);
}

// ---- Escape, panning, the drag threshold -------------------------------------------------------

TEST_F(GraphWindowTest, EscapeLeavesAnInsertModeAndCancelsARubberBand) {
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  Graph.SetCommandMode(cmAddNode);
  Key(Qt::Key_Escape);
  EXPECT_EQ(Graph.CommandMode(), cmEdit);

  Press({20, 20});
  Move({200, 200});
  ASSERT_TRUE(Graph.SelectionRectVisible());
  Key(Qt::Key_Escape);
  EXPECT_FALSE(Graph.SelectionRectVisible());
  Release({200, 200});
  EXPECT_FALSE(a->Selected());
}

TEST_F(GraphWindowTest, MiddleButtonAndSpaceHeldPanInEditMode) {
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  Box({1990, 1990, 2000, 2000}, clWhite);
  Press({100, 100}, {}, Qt::MiddleButton);
  Move({70, 60});
  Release({70, 60}, {}, Qt::MiddleButton);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 30);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 40);

  QTest::keyPress(Handle(), Qt::Key_Space);
  Drag({60, 60}, {50, 50});  // over node A, which does not move
  QTest::keyRelease(Handle(), Qt::Key_Space);
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 40);
  EXPECT_EQ(Graph.VertScrollBar().Position(), 50);
  EXPECT_EQ(a->GetBoundsRect(), (TRect{40, 40, 120, 100}));
  Drag({10, 10}, {5, 5});  // Space is up: a rubber band, no pan
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 40);
}

TEST_F(GraphWindowTest, JitterBelowTheStartDragDistanceIsAClick) {
  ASSERT_EQ(Graph.DragThreshold(), QApplication::startDragDistance());
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  a->SetSelected(true);
  Graph.SetModified(false);
  int changes = 0;
  Graph.OnGraphChange = [&](TGraphControl*) { ++changes; };
  const int jitter = QApplication::startDragDistance() / 2;
  Drag({60, 60}, {60 + jitter, 60});
  EXPECT_EQ(a->GetBoundsRect(), (TRect{40, 40, 120, 100}));
  EXPECT_FALSE(Graph.Modified());
  Drag({60, 60}, {60 + 3 * jitter, 60});
  EXPECT_EQ(a->GetBoundsRect(), (TRect{40 + 3 * jitter, 40, 120 + 3 * jitter, 100}));
  EXPECT_EQ(changes, 1);
}

// ---- Losing the mouse -------------------------------------------------------------------------

// A context menu opened on the right press takes the release: afterwards the
// control holds no capture, hover events go on and no override cursor stays.
TEST_F(GraphWindowTest, AContextMenuTakingTheReleaseLeavesNoCaptureBehind) {
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  QMenu menu;
  menu.addAction("Item");
  Graph.SetPopupMenu(&menu);
  Press({200, 200}, {}, Qt::RightButton);
  ASSERT_TRUE(menu.isVisible());
  Release({200, 200}, {}, Qt::RightButton);  // goes to the menu
  menu.close();
  EXPECT_FALSE(Widget->MouseCaptured());
  std::vector<std::string> hover;
  Graph.OnObjectMouseEnter = [&](TGraphControl*, TGraphObject*) { hover.push_back("enter"); };
  Graph.OnObjectMouseLeave = [&](TGraphControl*, TGraphObject*) { hover.push_back("leave"); };
  Move({60, 60});
  Move({200, 200});
  QTest::mouseMove(Handle(), QPoint(-50, -50));
  QApplication::processEvents();
  EXPECT_EQ(hover, (std::vector<std::string>{"enter", "leave"}));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(a->GetBoundsRect(), (TRect{40, 40, 120, 100}));
}

struct TCaptureLossCase {
  const char* Name;
  void (*Lose)(GraphWindowTest& test);
};

class CaptureLossTest : public GraphWindowTest, public ::testing::WithParamInterface<TCaptureLossCase> {
 public:
  QLineEdit* LineEdit() { return Edit; }
  QMainWindow& MainWindow() { return Window; }
  TTestGraph& Control() { return Graph; }
};

TEST_P(CaptureLossTest, CancelsTheDragLikeEscape) {
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  a->SetSelected(true);
  Press({60, 60});
  Move({160, 160});
  ASSERT_EQ(Graph.DragSource(), a);
  GetParam().Lose(*this);
  EXPECT_EQ(Graph.DragSource(), nullptr);
  EXPECT_EQ(a->GetBoundsRect(), (TRect{40, 40, 120, 100}));
  EXPECT_FALSE(Widget->MouseCaptured());
  Release({160, 160});
  EXPECT_EQ(a->GetBoundsRect(), (TRect{40, 40, 120, 100}));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CaptureLossTest,
    ::testing::Values(TCaptureLossCase{"FocusOut",
                                       [](GraphWindowTest& t) {
                                         static_cast<CaptureLossTest&>(t).LineEdit()->setFocus();
                                       }},
                      TCaptureLossCase{"WindowDeactivated",
                                       [](GraphWindowTest& t) {
                                         QEvent deactivate(QEvent::WindowDeactivate);
                                         QApplication::sendEvent(
                                             &static_cast<CaptureLossTest&>(t).MainWindow(), &deactivate);
                                       }},
                      TCaptureLossCase{"ModalDialogFromAHandler",
                                       [](GraphWindowTest& t) {
                                         auto& test = static_cast<CaptureLossTest&>(t);
                                         test.Control().OnObjectChange = [&test](TGraphControl* g,
                                                                                 TGraphObject*) {
                                           g->OnObjectChange = nullptr;
                                           QDialog dialog(&test.MainWindow());
                                           QTimer::singleShot(0, &dialog, &QDialog::reject);
                                           dialog.exec();
                                         };
                                         QTest::mouseMove(test.MainWindow().windowHandle(), QPoint(250, 250));
                                       }}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Hints ------------------------------------------------------------------------------------------

TEST_F(GraphWindowTest, HintsShowAsTooltipsAndTheirLongPartInTheStatusBar) {
  TRectangularNode* a = Box({40, 40, 120, 100}, 0xFFC0C0);
  a->SetHint("Widget|The widget's long description");
  Widget->setToolTip("The drawing area");
  auto tip = [this](QPoint client) {
    QHelpEvent help(QEvent::ToolTip, client, Widget->viewport()->mapToGlobal(client));
    QApplication::sendEvent(Widget->viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  EXPECT_EQ(tip({60, 60}), "Widget");
  EXPECT_EQ(tip({300, 200}), "The drawing area");
  Move({60, 60});
  EXPECT_EQ(Window.statusBar()->currentMessage(), "The widget's long description");
  Move({300, 200});
  EXPECT_EQ(Window.statusBar()->currentMessage(), "");
  QToolTip::hideText();
}

}  // namespace
}  // namespace gc::qt
