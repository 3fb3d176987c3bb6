// The main window's tools for daily work (DesignerDocks.cpp), in the real
// window: the inspector and object list docks, smart guides under the mouse,
// the screen's frame, bindings kept by the widgets and an export without
// questions, recent files; and, as the same day's work, commands that leave
// the screen object alone and every existing screen file opening and saving
// byte for byte.
#include <QAction>
#include <QDirIterator>
#include <QDockWidget>
#include <QFileInfo>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include "GraphControl/Stream.h"
#include "app/BindingTable.h"
#include "app/ColorPicker.h"
#include "app/ObjectList.h"
#include "app/PropertyEditor.h"
#include "app/Unit2.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

class DailyWorkTest : public MainWindowTest {
 protected:
  static void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  // What the docks show once the event loop ran.
  void Settle() { QApplication::processEvents(); }
  // A mouse move with the left button held and `modifiers`, as X11 sends it.
  void MoveHolding(QPoint to, Qt::KeyboardModifiers modifiers) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), Canvas()->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, modifiers);
    QApplication::sendEvent(Canvas(), &move);
  }
  std::string Export(TForm2& exporter) {
    Form.SetExportWindow(&exporter);
    std::string text;
    QTimer::singleShot(0, &exporter, [&] {
      text = exporter.Text();
      exporter.accept();
    });
    Form.btnExportClick();
    return text;
  }
};

TEST_F(DailyWorkTest, TheInspectorTakesAnExactPlaceAndSizeAndThePanelFollows) {
  ASSERT_TRUE(Form.dockInspector->isVisible());
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  Click({50, 30});
  Settle();
  EXPECT_EQ(Form.Inspector->edX->text(), "20");
  Type(Form.Inspector->edX, "312");
  Type(Form.Inspector->edY, "140");
  Type(Form.Inspector->edWidth, "160");
  Type(Form.Inspector->edHeight, "48");
  EXPECT_EQ(w->GetBoundsRect(), (TRect{312, 140, 472, 188}));
  EXPECT_EQ(Form.edPosX->value(), 312);
  EXPECT_EQ(Form.edBreite->value(), 160);
  EXPECT_EQ(Form.GraphControl1.UndoName(), "resize");
}

TEST_F(DailyWorkTest, FiveWidgetsGetAFontAndAColourInOneStepEach) {
  for (int i = 0; i < 5; ++i) PlaceWidget({20 + 70 * i, 20}, {80 + 70 * i, 50});
  Click({50, 30});  // the panel shows the first
  Key(Qt::Key_A, Qt::ControlModifier);
  Settle();
  EXPECT_EQ(Form.Inspector->lblSelection->text(), "<b>5 widgets selected</b>");
  const int steps = Form.GraphControl1.UndoCount();
  // Typed as a user types: the docks refresh between the keys.
  QLineEdit* font = Form.Inspector->edFont->lineEdit();
  font->setFocus();
  font->selectAll();
  for (const QChar c : QString("Liberation Serif")) {
    QTest::keyClicks(font, QString(c));
    Settle();
  }
  QTest::keyClick(font, Qt::Key_Return);
  Form.Inspector->edBackground->SetColor(clYellow);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Widget(i)->Font().Name(), "Liberation Serif") << i;
    EXPECT_EQ(Widget(i)->Brush().Color(), clYellow) << i;
  }
  EXPECT_EQ(Form.GraphControl1.UndoCount(), steps + 2);
  EXPECT_EQ(Form.edHinter->Color(), clYellow) << "the panel follows";
  EXPECT_EQ(Form.edSchrift->currentFont().family(), "Liberation Serif");
  Form.UndoClick();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Widget(i)->Brush().Color(), clWhite) << i;
  EXPECT_EQ(Form.edHinter->Color(), clWhite);
  EXPECT_EQ(Widget(4)->Font().Name(), "Liberation Serif");
}

TEST_F(DailyWorkTest, TheObjectListReordersAndThePanelShowsTheNewZPosition) {
  TGraphNode* a = PlaceWidget({20, 20}, {100, 50});
  PlaceWidget({20, 80}, {100, 110});
  PlaceWidget({20, 140}, {100, 170});
  Click({50, 30});
  Settle();
  QTreeView* view = Form.ObjectList->View;
  ASSERT_EQ(view->selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(view->selectionModel()->selectedRows().front().row(), 2) << "the bottom widget, shown last";
  Form.ObjectList->btnRaise->click();
  Form.ObjectList->btnRaise->click();
  EXPECT_EQ(a->ZOrder(), 2);
  EXPECT_EQ(Form.edZPosition->value(), 2);
  Settle();
  EXPECT_EQ(view->selectionModel()->selectedRows().front().row(), 0);
}

// Widget A at (20, 20)-(100, 50); B is dragged until its left edge is 3
// pixels right of A's: it snaps onto it, with a guide line, unless Alt is held.
TEST_F(DailyWorkTest, ADraggedWidgetSnapsToAnothersEdgeUnlessAltIsHeld) {
  PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({200, 200}, {260, 230});
  QTest::mousePress(Canvas(), Qt::LeftButton, {}, {230, 215});
  MoveHolding({140, 215}, Qt::NoModifier);
  MoveHolding({53, 215}, Qt::NoModifier);
  EXPECT_EQ(b->GetBoundsRect().Left, 20);
  EXPECT_FALSE(Form.GraphControl1.GuideLines().empty());
  MoveHolding({54, 215}, Qt::AltModifier);
  EXPECT_EQ(b->GetBoundsRect().Left, 24);
  EXPECT_TRUE(Form.GraphControl1.GuideLines().empty());
  MoveHolding({53, 215}, Qt::NoModifier);
  QTest::mouseRelease(Canvas(), Qt::LeftButton, {}, {53, 215});
  EXPECT_EQ(b->GetBoundsRect().Left, 20);
  EXPECT_TRUE(Form.GraphControl1.GuideLines().empty());
}

TEST_F(DailyWorkTest, TheScreenOf800x480ShowsItsFrameAndZoomToScreenFitsIt) {
  PlaceWidget({20, 20}, {100, 50});
  TScreenProperties screen;
  screen.Name = "Main";
  screen.Size = TScreenSize{800, 480};
  screen.Background = 0x00302010;
  Dialogs.ScreenAnswer = screen;
  Form.actScreenProperties->trigger();
  EXPECT_EQ(Dialogs.ScreenLimits, (std::pair<int32_t, int32_t>{2000, 2000}));
  EXPECT_EQ(Form.GraphControl1.Screen(), screen);
  EXPECT_EQ(Form.GraphControl1.GuideFrame(), (TRect{0, 0, 800, 480}));
  const QImage shot = Form.GraphWidget->RenderClientRect(Form.GraphWidget->viewport()->rect());
  EXPECT_EQ(shot.pixelColor(400, 300), QColor(0x10, 0x20, 0x30)) << "the screen's background";
  EXPECT_EQ(shot.pixelColor(800, 100), QColor(0x30, 0x70, 0xC0)) << "the frame's edge";
  EXPECT_LT(shot.pixelColor(820, 100).lightness(), 250) << "outside is dimmed";
  EXPECT_EQ(shot.pixelColor(50, 35), QColor(Qt::white)) << "the widget";

  Form.actZoomToScreen->trigger();
  const TRect visible = Form.GraphControl1.VisibleArea();
  EXPECT_LT(Form.GraphControl1.Zoom(), 100);
  EXPECT_LE(visible.Left, 0);
  EXPECT_GE(visible.Right, 800);
  EXPECT_GE(visible.Bottom, 480);

  Form.UndoClick();
  EXPECT_TRUE(Form.GraphControl1.ScreenFrame().IsEmpty());
  EXPECT_EQ(Count(), 1);
}

TEST_F(DailyWorkTest, BoundWidgetsExportWithoutAQuestionAndAnswersCanBeKept) {
  for (int i = 0; i < 4; ++i) PlaceWidget({20, 20 + 50 * i}, {100, 50 + 50 * i});
  Settle();
  TBindingModel* table = Form.BindingTable->Model;
  ASSERT_EQ(table->rowCount(), 4);
  // Typed over the selected rows as in a spreadsheet: the text replaces what
  // the cells held.
  Form.dockBindings->raise();
  Settle();
  QTableView* view = Form.BindingTable->View;
  auto typeOver = [&](const QString& text) {
    QItemSelection rows;
    rows.select(table->index(0, TBindingModel::colSource), table->index(2, TBindingModel::colSource));
    view->selectionModel()->setCurrentIndex(table->index(0, TBindingModel::colSource),
                                            QItemSelectionModel::NoUpdate);
    view->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
    view->setFocus();
    QTest::keyClicks(view, text.left(1));
    ASSERT_NE(QApplication::focusWidget(), view) << "an editor opened";
    QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Settle();  // the closed editor goes
  };
  typeOver("Session.Title");
  typeOver("Clock.Time");
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(Form.GraphControl1.Binding(Widget(i)), nullptr) << i;
    EXPECT_EQ(Form.GraphControl1.Binding(Widget(i))->Source, "Clock.Time") << i;
  }
  ASSERT_TRUE(table->SetColumn({0, 1, 2}, TBindingModel::colConverterType, "ClockToText"));
  ASSERT_TRUE(table->SetColumn({0, 1, 2}, TBindingModel::colConverterName, "Default"));
  TScreenProperties screen;
  screen.Size = TScreenSize{800, 480};
  Form.GraphControl1.SetScreen(screen);

  WriteAll("xml_Sources", "S=Session.Title\n");
  WriteAll("xml_ConvTypes", "T=EventName\n");
  WriteAll("xml_ConvNames", "N=Format\n");
  TForm2 exporter(Dialogs, &Form);
  Dialogs.KeepAnswers = true;
  Dialogs.Choices = {0, 0, 0};
  const std::string text = Export(exporter);
  EXPECT_EQ(Dialogs.Selections,
            (std::vector<std::string>{"Select SOURSE for: Widget3", "Select Convertor-TYPE for: Widget3",
                                      "Select Convertor-Name for: Widget3"}));
  EXPECT_NE(text.find("size=\"800,480\""), std::string::npos) << text;
  EXPECT_NE(text.find("<widget source=\"Clock.Time\""), std::string::npos) << text;
  EXPECT_NE(text.find("zPosition=\"0\""), std::string::npos) << "the screen object is no widget";
  ASSERT_NE(Form.GraphControl1.Binding(Widget(Count() - 1)), nullptr) << "the kept answers";
  EXPECT_EQ(*Form.GraphControl1.Binding(Widget(Count() - 1)),
            (TWidgetBinding{"Session.Title", "EventName", "Format"}));
  EXPECT_EQ(Form.GraphControl1.UndoName(), "keep bindings");

  // Now every widget keeps one: not a single question.
  const size_t asked = Dialogs.Selections.size();
  const std::string again = Export(exporter);
  EXPECT_EQ(Dialogs.Selections.size(), asked);
  EXPECT_NE(again.find("<convert type=\"EventName\">Format</convert>"), std::string::npos) << again;
}

TEST_F(DailyWorkTest, BindingsAndTheScreenComeBackFromTheFileAndTheListKnowsIt) {
  PlaceWidget({20, 20}, {100, 50});
  Form.GraphControl1.SetBinding(Widget(0), {"Clock.Time", "", ""});
  TScreenProperties screen;
  screen.Title = "Main screen";
  Form.GraphControl1.SetScreen(screen);
  Dialogs.Files = {Path("daily.Screen")};
  Form.btnSaveClick();
  EXPECT_EQ(Form.lblFilePath->text().toStdString(), Path("daily.Screen"));
  ASSERT_FALSE(Form.RecentFiles.Files().isEmpty());
  EXPECT_EQ(Form.RecentFiles.Files().front().toStdString(), Path("daily.Screen"));

  Form.btnScreenPropClick();  // New screen
  EXPECT_EQ(Count(), 0);
  Form.OpenRecentFile(Form.RecentFiles.Files().front());
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(Form.GraphControl1.Screen(), screen);
  ASSERT_NE(Form.GraphControl1.Binding(Form.GraphControl1.Widgets().front()), nullptr);
  EXPECT_EQ(Form.GraphControl1.Binding(Form.GraphControl1.Widgets().front())->Source, "Clock.Time");

  QFile::remove(Dir.filePath("daily.Screen"));
  Form.OpenRecentFile(QString::fromStdString(Path("daily.Screen")));
  EXPECT_FALSE(Form.RecentFiles.Files().contains(QString::fromStdString(Path("daily.Screen"))));
  EXPECT_NE(Dialogs.Messages.back().find("is no longer there"), std::string::npos);
}

TEST_F(DailyWorkTest, AnotherProgramsCustomDataIsReportedAndSavedAsItWas) {
  TGraphControl plain;
  TGraphObject* a = plain.AddNode({10, 10, 60, 30}, TRectangularNode::StaticClass());
  a->SetText("Start");
  a->SetHasCustomData(true);
  plain.OnObjectWrite = [](TGraphControl*, TGraphObject*, TStream& s) { s.WriteBuffer("XYZ", 3); };
  plain.SaveToFile(Path("foreign.Screen"));
  ASSERT_TRUE(Form.OpenScreen(Path("foreign.Screen")));
  Settle();
  ASSERT_FALSE(Dialogs.Messages.empty());
  EXPECT_EQ(Dialogs.Messages.back(),
            "A widget carries custom data that this version of the designer does not understand. It is kept "
            "as it is and saved with the screen:\n\"Start\": custom data of another program");
  Dialogs.Files = {Path("again.Screen")};
  Form.btnSaveClick();
  EXPECT_EQ(ReadAll(Dir.filePath("again.Screen")), ReadAll(Dir.filePath("foreign.Screen")));
}

// The hidden object that keeps the screen's properties is no widget for any
// command: each case starts from a screen of 800 x 480 with two widgets, both
// selected with Ctrl+A, and leaves the screen object as it was, unselected,
// the only one of its kind. Clearing the properties gives the bytes of the
// screen before it had any.
struct TScreenObjectCase {
  const char* Name;
  const char* Keys;  // pressed in the drawing area after Ctrl+A, in Qt's text, separated by "; "
  size_t Widgets;    // afterwards
  QAction* TForm1::*Command = nullptr;  // run after the keys
  friend void PrintTo(const TScreenObjectCase& c, std::ostream* os) { *os << c.Name; }
};

class ScreenObjectCommands : public DailyWorkTest, public ::testing::WithParamInterface<TScreenObjectCase> {};

TEST_P(ScreenObjectCommands, LeaveTheScreenObjectAlone) {
  PlaceWidget({20, 20}, {100, 50});
  PlaceWidget({40, 80}, {120, 110});
  TDesignerGraph& graph = Form.GraphControl1;
  TMemoryStream plain;
  graph.WriteObjects(plain, graph.Objects());
  TScreenProperties screen;
  screen.Name = "Main";
  screen.Size = TScreenSize{800, 480};
  graph.SetScreen(screen);
  TGraphObject* object = graph.ScreenObject();
  ASSERT_NE(object, nullptr);
  Form.GraphWidget->setFocus();

  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(graph.SelectedWidgets().size(), 2u);
  for (const QString& text : QString(GetParam().Keys).split("; ", Qt::SkipEmptyParts)) {
    const QKeyCombination key = QKeySequence::fromString(text)[0];
    Key(key.key(), key.keyboardModifiers());
  }
  if (GetParam().Command) (Form.*GetParam().Command)->trigger();
  EXPECT_EQ(graph.Widgets().size(), GetParam().Widgets);
  int32_t marked = 0;
  for (TGraphObject* o : graph.Objects()) marked += graph.IsScreenObject(o);
  EXPECT_EQ(marked, 1);
  ASSERT_EQ(graph.ScreenObject(), object);
  EXPECT_FALSE(object->Selected());
  EXPECT_EQ(object->GetBoundsRect(), (TRect{0, 0, 800, 480}));
  EXPECT_EQ(graph.Screen(), screen);
  const std::vector<TGraphObject*> widgets = graph.Widgets();
  for (size_t i = 0; i < widgets.size(); ++i) EXPECT_EQ(graph.WidgetIndex(widgets[i]), int32_t(i));
  // The docks list the widgets alone.
  Settle();
  EXPECT_EQ(Form.ObjectList->Model->rowCount(), int(GetParam().Widgets));
  EXPECT_EQ(Form.BindingTable->Model->rowCount(), int(GetParam().Widgets));
  Key(Qt::Key_A, Qt::ControlModifier);
  Settle();
  EXPECT_EQ(graph.SelectedWidgets().size(), GetParam().Widgets);
  EXPECT_FALSE(object->Selected());

  // The export counts the widgets alone.
  WriteAll("xml_Sources", "S=Source\n");
  WriteAll("xml_ConvTypes", "T=Type\n");
  WriteAll("xml_ConvNames", "N=Name\n");
  Dialogs.Choices.assign(3 * widgets.size(), 0);
  TForm2 exporter(Dialogs, &Form);
  const std::string xml = Export(exporter);
  size_t lines = 0;
  for (size_t at = xml.find("<widget "); at != std::string::npos; at = xml.find("<widget ", at + 1)) ++lines;
  EXPECT_EQ(lines, GetParam().Widgets) << xml;

  graph.SetScreen({});
  if (std::string(GetParam().Name) == "SelectAll") {
    TMemoryStream cleared;
    graph.WriteObjects(cleared, graph.Objects());
    EXPECT_EQ(cleared.Bytes(), plain.Bytes());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ScreenObjectCommands,
    ::testing::Values(TScreenObjectCase{"SelectAll", "", 2}, TScreenObjectCase{"Delete", "Del", 0},
                      TScreenObjectCase{"Duplicate", "Ctrl+D", 4},
                      TScreenObjectCase{"CopyAndPaste", "Ctrl+C; Ctrl+V", 4},
                      TScreenObjectCase{"Cut", "Ctrl+X", 0}, TScreenObjectCase{"SendToBack", "Ctrl+K", 2},
                      TScreenObjectCase{"NudgeAndResize", "Left; Up; Shift+Right", 2},
                      TScreenObjectCase{"TabAround", "Tab; Tab; Tab; Shift+Tab; Shift+Tab; Shift+Tab; Del",
                                        1},
                      TScreenObjectCase{"DeleteThenUndo", "Del; Ctrl+Z", 2},
                      TScreenObjectCase{"AlignLeft", "", 2, &TForm1::actAlignLeft},
                      TScreenObjectCase{"AlignBottom", "", 2, &TForm1::actAlignBottom},
                      TScreenObjectCase{"SameWidth", "", 2, &TForm1::actSameWidth},
                      TScreenObjectCase{"DistributeVertically", "", 2, &TForm1::actDistributeVertically}),
    [](const auto& info) { return std::string(info.param.Name); });

// Every screen file the project has (the examples, the test corpus) opens
// and saves as the very same bytes. The exceptions are the fuzzing finds kept
// in the corpus ("regression-..."), which no writer produces (a damaged class
// name, link ends naming no object, links hooked in a circle, sizes beyond
// the coordinate range): the designer either refuses such a file with a
// message or repairs it as it reads it, and the repaired form saves stably.
TEST_F(DailyWorkTest, EveryExistingScreenFileOpensAndSavesByteForByte) {
  int files = 0;
  int refused = 0;
  for (const char* folder : {"examples", "tests/fuzz/corpus"}) {
    QDirIterator it(QString(SOURCE_DIR) + "/" + folder, {"*.Screen"}, QDir::Files);
    while (it.hasNext()) {
      const QString original = it.next();
      const bool fuzzingFind = QFileInfo(original).fileName().startsWith("regression-");
      const bool opened = Form.OpenScreen(original.toStdString());
      if (fuzzingFind && !opened) {
        EXPECT_EQ(Dialogs.Messages.size(), 1u) << original.toStdString();
        Dialogs.Messages.clear();
        ++refused;
        continue;
      }
      ASSERT_TRUE(opened) << original.toStdString();
      Dialogs.Files = {Path("resaved.Screen")};
      Form.btnSaveClick();
      QString expected = original;
      if (fuzzingFind) {
        ASSERT_TRUE(Form.OpenScreen(Path("resaved.Screen")));
        QFile::remove(Dir.filePath("first.Screen"));
        QFile::rename(Dir.filePath("resaved.Screen"), Dir.filePath("first.Screen"));
        Dialogs.Files = {Path("resaved.Screen")};
        Form.btnSaveClick();
        expected = Dir.filePath("first.Screen");
      }
      EXPECT_EQ(ReadAll(Dir.filePath("resaved.Screen")), ReadAll(expected)) << original.toStdString();
      ++files;
    }
  }
  EXPECT_GE(files, 6);
  EXPECT_LE(refused, 1);
  EXPECT_TRUE(Dialogs.Messages.empty());
}

}  // namespace
}  // namespace gc::app
