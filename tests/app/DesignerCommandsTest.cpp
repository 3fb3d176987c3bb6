// The designer's commands as a user reaches them on this desktop: every key
// of the README's table runs its command from the drawing area and belongs to
// no other, the drawing area has the keyboard, every toolbar command is in
// the menu bar even in the narrowest window, the shortcuts act on the
// diagram as their commands do, the context menu offers the
// commands on the selection, "Arrange" lays the widgets out as one undoable
// step, and the View menu's "Overview" shows the overview dock.
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/DesignerCommands.h"
#include "platform/qt/GraphOverview.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

using TKeyTable = std::map<std::string, std::string>;  // command name -> keys, as the README writes them

std::string KeysText(const QList<QKeySequence>& keys) {
  QStringList texts;
  for (const QKeySequence& key : keys) texts << key.toString();
  return texts.join(" or ").toStdString();
}

// The rows of the README's shortcut table: pairs of cells "keys | command",
// keys separated by " or ".
TKeyTable ReadmeShortcuts() {
  QFile readme(QStringLiteral(SOURCE_DIR "/README.md"));
  EXPECT_TRUE(readme.open(QIODevice::ReadOnly | QIODevice::Text));
  const QStringList lines = QString::fromUtf8(readme.readAll()).split('\n');
  TKeyTable table;
  const qsizetype start = lines.indexOf("### Keyboard shortcuts of the designer");
  EXPECT_GE(start, 0) << "the README has no shortcut table";
  bool inTable = false;
  for (qsizetype i = start + 1; start >= 0 && i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (!line.startsWith('|')) {
      if (inTable) break;
      continue;
    }
    inTable = true;
    QStringList cells = line.mid(1, line.size() - 2).split('|');
    for (QString& cell : cells) cell = cell.trimmed();
    if (cells.value(0) == "Keys" || cells.value(0).startsWith("---")) continue;
    for (qsizetype c = 0; c + 1 < cells.size(); c += 2) {
      if (cells[c].isEmpty()) continue;
      QList<QKeySequence> keys;
      for (const QString& key : cells[c].split(" or ")) keys << QKeySequence::fromString(key);
      table[cells[c + 1].toStdString()] = KeysText(keys);
    }
  }
  return table;
}

// The commands' own keys (those the README lists), by name.
TKeyTable CommandShortcuts() {
  TKeyTable table;
  for (const TDesignerCommand& command : DesignerCommands()) {
    const QList<QKeySequence> keys = OwnKeys(command);
    if (!keys.isEmpty()) table[CommandName(command).toStdString()] = KeysText(keys);
  }
  return table;
}

std::string Lines(const TKeyTable& table) {
  std::string text;
  for (const auto& [name, keys] : table) text += keys + " = " + name + "\n";
  return text;
}

class CommandTest : public MainWindowTest {
 protected:
  QAction* ActionNamed(TForm1& form, const std::string& name) {
    for (const TDesignerCommand& command : DesignerCommands())
      if (CommandName(command).toStdString() == name) return form.*command.Action;
    return nullptr;
  }
};

TEST_F(CommandTest, TheReadmeTableListsTheKeysOfEveryCommand) {
  EXPECT_EQ(Lines(ReadmeShortcuts()), Lines(CommandShortcuts()));
}

// On X11 the desktop's Delete keys include Ctrl+D, and its paste keys
// Shift+Insert: each key sequence runs one command or the key does nothing.
TEST_F(CommandTest, EveryKeyBelongsToOneCommandOnThisDesktop) {
  std::map<QString, QStringList> owners;
  for (const QAction* action : Form.findChildren<QAction*>())
    for (const QKeySequence& key : action->shortcuts()) owners[key.toString()] << action->text();
  for (const auto& [key, actions] : owners)
    EXPECT_EQ(actions.size(), 1) << key.toStdString() << ": " << actions.join(", ").toStdString();
  EXPECT_EQ(owners["Ctrl+D"], QStringList{"&Duplicate"});
  EXPECT_EQ(owners["Del"], QStringList{"De&lete widget"});
}

// Each key of the table, pressed in the drawing area of a window with two
// widgets (one selected), a step to undo and one to redo, runs its command
// once and makes Qt print nothing. Every dialog it opens is cancelled.
TEST_F(CommandTest, EveryKeyOfTheReadmeRunsItsCommandFromTheDrawingArea) {
  const TKeyTable table = ReadmeShortcuts();
  ASSERT_FALSE(table.empty());
  for (const auto& [name, keys] : table) {
    for (const QString& text : QString::fromStdString(keys).split(" or ")) {
      SCOPED_TRACE(text.toStdString() + " = " + name);
      TFakeDialogs dialogs;
      dialogs.BoxAnswer = 2;
      auto form = std::make_unique<TForm1>(dialogs);
      Show(*form);
      TGraphControl& graph = form->GraphControl1;
      graph.AddNode({20, 20, 100, 50});
      graph.AddNode({20, 80, 100, 110})->SetSelected(true);
      graph.AddNode({150, 20, 200, 50});
      ASSERT_TRUE(graph.Undo());
      ASSERT_TRUE(graph.CanUndo() && graph.CanRedo());
      ASSERT_EQ(QApplication::focusWidget(), form->GraphWidget);

      QAction* action = ActionNamed(*form, name);
      ASSERT_NE(action, nullptr) << "no command is named so";
      QSignalSpy triggered(action, &QAction::triggered);
      const QKeyCombination key = QKeySequence::fromString(text)[0];
      QTest::keyClick(form->GraphWidget, key.key(), key.keyboardModifiers());
      EXPECT_EQ(triggered.count(), 1);
      EXPECT_EQ(TakeQtMessages().join('\n').toStdString(), "");
    }
  }
}

// A screen with two widgets to open, and the keys that reach whatever has
// the keyboard afterwards: Tab selects the first widget when it is the
// drawing area, Return and Space run nothing.
TEST_F(CommandTest, TheDrawingAreaHasTheKeyboardAtStartAfterOpenAndAfterNewScreen) {
  {
    TGraphControl screen;
    screen.AddNode({20, 20, 100, 50});
    screen.AddNode({20, 80, 100, 110});
    screen.SaveToFile(Path("two.Screen"));
  }
  TFakeDialogs dialogs;
  TForm1 form(dialogs);
  Show(form);
  EXPECT_EQ(QApplication::focusWidget(), form.GraphWidget) << "at start";

  auto openAndTab = [&](const char* how) {
    SCOPED_TRACE(how);
    EXPECT_EQ(QApplication::focusWidget(), form.GraphWidget);
    const size_t asked = dialogs.Titles.size() + dialogs.Messages.size() + dialogs.Questions.size();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(form.GraphControl1.CountSelected(), 1) << "Tab selects a widget";
    EXPECT_EQ(dialogs.Titles.size() + dialogs.Messages.size() + dialogs.Questions.size(), asked)
        << "Return and Space open no dialog";
  };
  dialogs.Files = {Path("two.Screen")};
  form.edText->setFocus();
  QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(form.GraphControl1.CountObjects(), 2);
  openAndTab("after Open");

  form.edText->setFocus();
  QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(form.GraphControl1.CountObjects(), 0);
  form.GraphControl1.AddNode({20, 20, 100, 50});
  openAndTab("after New screen");
}

TEST_F(CommandTest, EveryToolbarCommandIsInTheMenuBarWhichFitsTheNarrowestWindow) {
  // The docks beside it give the drawing area more height, never less.
  EXPECT_EQ(Form.GraphWidget->width(), 835);
  EXPECT_GE(Form.GraphWidget->height(), 395) << "the menu bar takes no room from the drawing area";
  Form.resize(200, 476);
  QApplication::processEvents();
  const int narrowest = Form.width();
  EXPECT_EQ(narrowest, Form.minimumSizeHint().width());

  QList<QAction*> inMenus;
  for (QAction* menu : Form.menuBar()->actions()) {
    EXPECT_TRUE(Form.menuBar()->rect().contains(Form.menuBar()->actionGeometry(menu)))
        << menu->text().toStdString() << " is cut off at " << narrowest << " pixels";
    inMenus << menu->menu()->actions();
  }
  std::vector<QToolButton*> buttons = {Form.btnScreenProp, Form.btnOpen,    Form.btnSave,   Form.btnExport,
                                       Form.btnClose,      Form.btnEdit,    Form.btnPan,    Form.btnNew,
                                       Form.btnDel,        Form.btnToFront, Form.btnToBack, Form.btnZoomPlus,
                                       Form.btnZoomMinus,  Form.btnFullView};
  for (QAction* action : Form.EditBar->actions())
    if (!action->isSeparator())
      buttons.push_back(qobject_cast<QToolButton*>(Form.EditBar->widgetForAction(action)));
  ASSERT_EQ(buttons.size(), 26u);
  for (QToolButton* button : buttons) {
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(inMenus.contains(button->defaultAction())) << button->toolTip().toStdString();
  }
  EXPECT_TRUE(inMenus.contains(Form.actShowGrid) && inMenus.contains(Form.actSnapToGrid));

  // The editing bar's overflow button shows, inside the window.
  auto* more = Form.EditBar->findChild<QToolButton*>("qt_toolbar_ext_button");
  ASSERT_NE(more, nullptr);
  EXPECT_TRUE(more->isVisible());
  EXPECT_LE(more->mapTo(&Form, QPoint(more->width(), 0)).x(), narrowest);
}

TEST_F(CommandTest, TheGridSettingShowsTheSameInTheMenuAndOnTheToolbar) {
  Form.actShowGrid->trigger();
  EXPECT_TRUE(Form.chGrid->isChecked());
  EXPECT_TRUE(Form.GraphControl1.ShowGrid());
  QTest::mouseClick(Form.chSnap, Qt::LeftButton);
  EXPECT_TRUE(Form.actSnapToGrid->isChecked());
  EXPECT_TRUE(Form.GraphControl1.SnapToGrid());
}

// The docks' entries in the View menu show and hide them and follow a dock
// closed by its own button; smart guides are a setting of the same menu, and
// the recent files a submenu of File.
TEST_F(CommandTest, TheViewMenuShowsTheDocksAsTheyAreAndTurnsTheGuidesOff) {
  const std::pair<QDockWidget*, QAction*> docks[] = {{Form.dockInspector, Form.actShowInspector},
                                                     {Form.dockObjects, Form.actShowObjectList},
                                                     {Form.dockBindings, Form.actShowBindings}};
  for (const auto& [dock, action] : docks) {
    SCOPED_TRACE(action->text().toStdString());
    EXPECT_TRUE(Form.menuView->actions().contains(action));
    EXPECT_TRUE(action->isChecked());
    action->trigger();
    EXPECT_TRUE(dock->isHidden());
    action->trigger();
    EXPECT_FALSE(dock->isHidden());
    EXPECT_TRUE(dock->isVisible()) << "a dock shown comes to the front of its tabs";
    dock->close();
    EXPECT_FALSE(action->isChecked());
    action->trigger();
    EXPECT_TRUE(dock->isVisible());
  }
  ASSERT_TRUE(Form.GraphControl1.SmartGuides());
  Form.actSmartGuides->trigger();
  EXPECT_FALSE(Form.GraphControl1.SmartGuides());
  EXPECT_TRUE(Form.menuFile->actions().contains(Form.actRecentFiles));
  EXPECT_EQ(Form.actRecentFiles->menu(), Form.mnuRecent);
}

TEST_F(CommandTest, TheContextMenuOfTheDrawingAreaRunsCommandsOnTheSelection) {
  PlaceWidget({20, 20}, {100, 50});
  Click({50, 30});
  QContextMenuEvent request(QContextMenuEvent::Mouse, {50, 30}, Canvas()->mapToGlobal(QPoint(50, 30)));
  QApplication::sendEvent(Canvas(), &request);
  ASSERT_TRUE(Form.ContextMenu->isVisible());
  EXPECT_TRUE(Form.ContextMenu->actions().contains(Form.actDuplicate));
  EXPECT_TRUE(Form.ContextMenu->actions().contains(Form.actToFront));
  EXPECT_FALSE(Form.ContextMenu->actions().contains(Form.actOpen));
  Form.ContextMenu->close();
  Form.actDuplicate->trigger();
  EXPECT_EQ(Count(), 2);
}

// ---- Arrange and the overview, from their menus -----------------------------------------------

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

// ---- Keyboard shortcuts ----------------------------------------------------------------------

struct TShortcutCase {
  const char* Name;
  int Key;
  Qt::KeyboardModifiers Modifiers;
  const char* After;  // the window's state afterwards, as ShortcutTest::State() puts it
};

class ShortcutTest : public MainWindowTest, public ::testing::WithParamInterface<TShortcutCase> {
 protected:
  std::string State() {
    const TGraphControl& g = Form.GraphControl1;
    return "zoom=" + std::to_string(g.Zoom()) + " widgets=" + std::to_string(g.CountObjects()) +
           " selected=" + std::to_string(g.CountSelected()) +
           " top=" + g.Objects()[g.CountObjects() - 1]->Text() +
           " boxes=" + std::to_string(Dialogs.Messages.size()) +
           " questions=" + std::to_string(Dialogs.Questions.size()) +
           " files=" + std::to_string(Dialogs.Titles.size()) +
           (QFile::exists("ScreenWorkspace") ? " exported" : "");
  }
};

// Widget a lies under widget b; b is shown and selected, the screen is
// unsaved and zoomed to 110. Every dialog the keys open is cancelled.
TEST_P(ShortcutTest, RunsItsCommandFromTheDiagram) {
  PlaceWidget({20, 20}, {100, 50})->SetText("a");
  PlaceWidget({20, 80}, {100, 110})->SetText("b");
  Click({50, 90});
  Form.GraphControl1.SetZoom(110);
  Form.GraphWidget->setFocus();
  Dialogs.BoxAnswer = 2;
  Key(GetParam().Key, GetParam().Modifiers);
  EXPECT_EQ(State(), GetParam().After);
}

constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Keys, ShortcutTest,
    ::testing::Values(TShortcutCase{"NewScreen", Qt::Key_N, Ctrl,
                                    "zoom=110 widgets=2 selected=1 top=b boxes=0 questions=1 files=0"},
                      TShortcutCase{"Open", Qt::Key_O, Ctrl,
                                    "zoom=110 widgets=2 selected=1 top=b boxes=0 questions=1 files=0"},
                      TShortcutCase{"Save", Qt::Key_S, Ctrl,
                                    "zoom=110 widgets=2 selected=1 top=b boxes=0 questions=0 files=1"},
                      TShortcutCase{"SaveAs", Qt::Key_S, Ctrl | Qt::ShiftModifier,
                                    "zoom=110 widgets=2 selected=1 top=b boxes=0 questions=0 files=1"},
                      TShortcutCase{
                          "Export", Qt::Key_E, Ctrl,
                          "zoom=110 widgets=2 selected=1 top=b boxes=0 questions=0 files=0 exported"},
                      TShortcutCase{"Exit", Qt::Key_Q, Ctrl,
                                    "zoom=110 widgets=2 selected=1 top=b boxes=0 questions=1 files=0"},
                      TShortcutCase{"DeleteWidget",
                                    Qt::Key_Delete,
                                    {},
                                    "zoom=110 widgets=1 selected=0 top=a boxes=0 questions=0 files=0"},
                      TShortcutCase{"SendToBack", Qt::Key_K, Ctrl,
                                    "zoom=110 widgets=2 selected=1 top=a boxes=0 questions=0 files=0"},
                      TShortcutCase{"ZoomInPlus", Qt::Key_Plus, Ctrl,
                                    "zoom=112 widgets=2 selected=1 top=b boxes=0 questions=0 files=0"},
                      TShortcutCase{"ZoomInEquals", Qt::Key_Equal, Ctrl,
                                    "zoom=112 widgets=2 selected=1 top=b boxes=0 questions=0 files=0"},
                      TShortcutCase{"ZoomOut", Qt::Key_Minus, Ctrl,
                                    "zoom=108 widgets=2 selected=1 top=b boxes=0 questions=0 files=0"},
                      TShortcutCase{"Zoom100", Qt::Key_0, Ctrl,
                                    "zoom=100 widgets=2 selected=1 top=b boxes=0 questions=0 files=0"},
                      TShortcutCase{"SelectAll", Qt::Key_A, Ctrl,
                                    "zoom=110 widgets=2 selected=2 top=b boxes=0 questions=0 files=0"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(MainWindowTest, BringToFrontKeyRaisesTheSelectedWidget) {
  TGraphObject* a = PlaceWidget({20, 20}, {100, 50});
  PlaceWidget({20, 80}, {100, 110});
  Click({50, 30});
  Key(Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(a->ZOrder(), 1);
}

}  // namespace
}  // namespace gc::app
