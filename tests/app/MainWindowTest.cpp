// The designer's main window used as a user uses it: QTest mouse and key
// events on the real window and its TGraphWidget, answers from scripted
// dialogs, files in a scratch folder. A workflow across the window, its
// panel, its files and the control; tests of one window live in that
// window's test file.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest/QTest>
#include <functional>

#include <gtest/gtest.h>

#include "GraphControl/Unit.h"
#include "app/ColorPicker.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/WidgetPicture.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtClipboard.h"
#include "tests/app/FakeDialogs.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

TEST_F(MainWindowTest, PlacingClickingMovingAndResizingAWidgetShowsItInThePanel) {
  TGraphNode* w = PlaceWidget({40, 30}, {160, 55});
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(w->ClassType(), TRectangularNode::StaticClass());
  EXPECT_EQ(w->GetBoundsRect(), (TRect{40, 30, 160, 55}));
  EXPECT_FALSE(Form.btnEdit->isEnabled());

  Click({100, 40});
  EXPECT_EQ(Form.ShownWidget(), w);
  EXPECT_TRUE(Form.edText->isEnabled());
  EXPECT_EQ(Form.edVorder->text(), "Window Text");  // the default text colour, by name
  EXPECT_EQ(Form.edVorder->Color(), clWindowText);
  EXPECT_EQ(w->Font().Color(), clWindowText);  // filling the panel kept the system colour
  EXPECT_EQ(Form.edFontSize->value(), w->Font().Size());

  QTest::mousePress(Canvas(), Qt::LeftButton, {}, {100, 40});
  QTest::mouseMove(Canvas(), {110, 60});
  EXPECT_EQ(Form.edPosX->value(), 50);  // follows while the mouse moves
  EXPECT_EQ(Form.edPosY->value(), 50);
  QTest::mouseRelease(Canvas(), Qt::LeftButton, {}, {110, 60});
  Drag({170, 75}, {190, 95});  // the bottom-right marker
  EXPECT_EQ(Form.edBreite->value(), 140);
  EXPECT_EQ(Form.edHoehe->value(), 45);
  EXPECT_EQ(w->GetBoundsRect(), (TRect{50, 50, 190, 95}));
}

// ---- The panel edits only the widget it shows ------------------------------------------------

TEST_F(MainWindowTest, PanelKeepsEditingTheShownWidgetAfterItIsReordered) {
  TGraphNode* a = PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 30});
  QTest::mouseClick(Form.btnToFront, Qt::LeftButton);
  QTest::keyClicks(Form.edText, "Hello");
  EXPECT_EQ(a->Text(), "Hello");
  EXPECT_EQ(b->Text(), "");
  EXPECT_EQ(Form.CurrentWidgetIndex(), 1);
  EXPECT_EQ(Form.edZPosition->value(), 1);
}

TEST_F(MainWindowTest, PanelEmptiesWhenItsWidgetLeavesAndNothingReportsAnError) {
  PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 30});
  Form.GraphWidget->setFocus();
  Key(Qt::Key_Delete);
  EXPECT_EQ(Form.ShownWidget(), nullptr);
  EXPECT_FALSE(Form.edText->isEnabled());
  EXPECT_EQ(Form.edText->text(), "");

  Key(Qt::Key_Tab);  // selects b without a click: the panel stays empty
  ASSERT_TRUE(b->Selected());
  QTest::keyClicks(Form.edText, "x");
  EXPECT_EQ(b->Text(), "");
  Drag({50, 90}, {60, 100});  // raises OnObjectChange on every step, then shows b
  EXPECT_TRUE(Dialogs.Messages.empty()) << Dialogs.Messages.front();
  EXPECT_EQ(Form.ShownWidget(), b);

  Dialogs.InputAnswer = "Next";
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  Form.btnScreenPropClick();
  EXPECT_EQ(Form.ShownWidget(), nullptr);
  EXPECT_FALSE(Form.edFontSize->isEnabled());
}

// ---- A file that fails to open leaves the screen as it was --------------------------------------

struct TDamageCase {
  const char* Name;
  std::function<void(const QString& path)> Damage;
  const char* Reason;  // the start of the reason in the error box
};

class OpenDamagedFileTest : public MainWindowTest, public ::testing::WithParamInterface<TDamageCase> {};

// A screen file with one widget whose text colour is stored by name.
QByteArray GoodScreenBytes() {
  TGraphControl graph;
  graph.AddNode({0, 0, 40, 20}, TRectangularNode::StaticClass())->Font().SetColor(clWhite);
  graph.AddNode({0, 30, 40, 50}, TRectangularNode::StaticClass());
  TMemoryStream stream;
  graph.SaveToStream(stream);
  return QByteArray(reinterpret_cast<const char*>(stream.Bytes().data()), qsizetype(stream.Bytes().size()));
}

void WriteReplaced(const QString& path, const char* from, const char* to) {
  QByteArray bytes = GoodScreenBytes();
  const qsizetype at = bytes.indexOf(from);
  ASSERT_GE(at, 0);
  WriteAll(path, bytes.replace(at, qsizetype(strlen(from)), to));
}

TEST_P(OpenDamagedFileTest, KeepsTheScreenItsNameAndCaption) {
  Dialogs.InputAnswer = "Before";
  Form.btnScreenPropClick();
  TGraphNode* kept = PlaceWidget({20, 20}, {100, 50});
  const QString path = Dir.filePath("damaged.Screen");
  GetParam().Damage(path);

  Dialogs.Answers = {IDesignerDialogs::anDestructive};  // discard the unsaved widget
  Dialogs.Files = {path.toStdString()};
  Form.btnOpenClick();
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(Widget(0), kept);
  EXPECT_EQ(Form.ScreenName, "Before");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [Before*]");
  ASSERT_EQ(Dialogs.Messages.size(), 2u);  // the New screen warning, then the error
  const std::string expected = "Cannot open \"" + path.toStdString() + "\":\n" + GetParam().Reason;
  EXPECT_EQ(Dialogs.Messages[1].substr(0, expected.size()), expected) << Dialogs.Messages[1];
  EXPECT_EQ(Dialogs.Kinds[1], IDesignerDialogs::bkError);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, OpenDamagedFileTest,
    ::testing::Values(
        TDamageCase{"NotADiagram", [](const QString& p) { WriteAll(p, "not a diagram"); },
                    "Invalid stream content"},
        TDamageCase{"Truncated", [](const QString& p) { WriteAll(p, GoodScreenBytes().chopped(10)); },
                    "Stream-Lesefehler"},
        TDamageCase{"UnknownClass",
                    [](const QString& p) { WriteReplaced(p, "TRectangularNode", "TRectangularNodx"); },
                    "Klasse TRectangularNodx nicht gefunden"},
        TDamageCase{"BadValue", [](const QString& p) { WriteReplaced(p, "clWhite", "clWhitx"); },
                    "Ungültiger Eigenschaftswert"},
        TDamageCase{"Missing", [](const QString&) {}, "Datei "},
        TDamageCase{"Folder", [](const QString& p) { QDir().mkdir(p); }, "Datei "}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Unsaved work is never discarded silently ---------------------------------------------------

struct TCommand {
  const char* Name;
  void (*Run)(MainWindowTest&, TForm1&);
  // Whether the command went ahead (the window closed, the screen was replaced).
  bool (*WentAhead)(TForm1&);
};

bool Closed(TForm1& form) { return !form.isVisible(); }
bool Replaced(TForm1& form) { return form.GraphControl1.CountObjects() != 2; }

const TCommand Commands[] = {
    {"ExitButton", [](MainWindowTest&, TForm1& f) { QTest::mouseClick(f.btnClose, Qt::LeftButton); }, Closed},
    {"ExitKey", [](MainWindowTest&, TForm1& f) { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); },
     Closed},
    {"CloseWindow", [](MainWindowTest&, TForm1& f) { f.close(); }, Closed},
    {"OpenScreen", [](MainWindowTest&, TForm1& f) { QTest::mouseClick(f.btnOpen, Qt::LeftButton); },
     Replaced},
    {"NewScreen", [](MainWindowTest&, TForm1& f) { QTest::mouseClick(f.btnScreenProp, Qt::LeftButton); },
     Replaced},
};

const char* const AnswerNames[] = {"Save", "Discard", "Cancel"};

class UnsavedChangesTest
    : public MainWindowTest,
      public ::testing::WithParamInterface<std::tuple<TCommand, IDesignerDialogs::TAnswer>> {};

TEST_P(UnsavedChangesTest, AskToSaveDiscardOrCancel) {
  const auto& [command, answer] = GetParam();
  MakeUnsavedScreen();
  const std::string before = ReadAll(Dir.filePath("first.Screen"));
  {
    TGraphControl other;
    other.AddNode({0, 0, 10, 10});
    other.SaveToFile(Path("other.Screen"));
  }
  Dialogs.Answers = {answer};
  Dialogs.Files = {Path("other.Screen")};
  command.Run(*this, Form);

  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_EQ(
      Dialogs.Questions[0],
      "The screen \"first.Screen\" has unsaved changes.\nDo you want to save them? [Save|Discard|Cancel]");
  EXPECT_EQ(command.WentAhead(Form), answer != IDesignerDialogs::anCancel);
  const std::string after = ReadAll(Dir.filePath("first.Screen"));
  if (answer == IDesignerDialogs::anAccept)
    EXPECT_NE(after, before);  // saved to the screen's file, without asking for a name
  else
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Commands, UnsavedChangesTest,
                         ::testing::Combine(::testing::ValuesIn(Commands),
                                            ::testing::Values(IDesignerDialogs::anAccept,
                                                              IDesignerDialogs::anDestructive,
                                                              IDesignerDialogs::anCancel)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).Name) + "_" +
                                  AnswerNames[std::get<1>(info.param)];
                         });

TEST_F(MainWindowTest, OnlyAModifiedScreenIsAskedAboutAndExportDoesNotCountAsSaving) {
  Form.close();
  EXPECT_TRUE(Dialogs.Questions.empty());
  Show(Form);

  PlaceWidget({20, 20}, {100, 50});
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi*");
  QTest::mouseClick(Form.btnExport, Qt::LeftButton);
  EXPECT_FALSE(ReadAll(Dir.filePath("ScreenWorkspace")).empty());
  EXPECT_TRUE(Form.GraphControl1.Modified());
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi*");
}

// ---- Save and Save As ------------------------------------------------------------------------

// From Save As on, the caption, the unsaved-changes question and Save all
// name the new file; the file the screen came from stays as it was.
TEST_F(MainWindowTest, SaveWritesTheFileTheWindowNamesAndSaveAsAlwaysAsks) {
  PlaceWidget({20, 20}, {100, 50});
  Dialogs.Files = {"", Path("one.Screen")};
  Key(Qt::Key_S, Qt::ControlModifier);  // no file yet: asks; cancelled
  EXPECT_TRUE(Form.GraphControl1.Modified());
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi*");
  Key(Qt::Key_S, Qt::ControlModifier);  // asks again; saved
  EXPECT_FALSE(Form.GraphControl1.Modified());
  EXPECT_EQ(Form.FileName(), Path("one.Screen"));
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [one.Screen]");

  Drag({50, 35}, {60, 45});
  Key(Qt::Key_S, Qt::ControlModifier);  // straight to one.Screen
  EXPECT_EQ(Dialogs.Titles.size(), 2u);
  TGraphControl reread;
  reread.LoadFromFile(Path("one.Screen"));
  EXPECT_EQ(reread.Objects()[0]->GetBoundsRect(), (TRect{30, 30, 110, 60}));
  const std::string one = ReadAll(Dir.filePath("one.Screen"));

  Dialogs.Files = {Path("two.Screen")};
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Form.ScreenName, "two.Screen");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [two.Screen]");
  Drag({60, 45}, {70, 55});
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [two.Screen*]");
  Form.close();
  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_EQ(
      Dialogs.Questions[0],
      "The screen \"two.Screen\" has unsaved changes.\nDo you want to save them? [Save|Discard|Cancel]");
  Key(Qt::Key_S, Qt::ControlModifier);
  reread.LoadFromFile(Path("two.Screen"));
  EXPECT_EQ(reread.Objects()[0]->GetBoundsRect(), (TRect{40, 40, 120, 70}));
  EXPECT_EQ(ReadAll(Dir.filePath("one.Screen")), one) << "the earlier file is left alone";

  Dialogs.Files = {""};
  QTest::mouseClick(Form.btnSave, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Titles, (std::vector<std::string>{"Save file", "Save file", "Save file", "Save file"}));
  EXPECT_EQ(Dialogs.Prefilled, (std::vector<std::string>{"", "", Path("one.Screen"), Path("two.Screen")}));
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

TEST_F(MainWindowTest, EditingKeysInThePanelStayWithTheField) {
  PlaceWidget({20, 20}, {100, 50});
  TGraphNode* b = PlaceWidget({20, 80}, {100, 110});
  Click({50, 90});
  QTest::keyClicks(Form.edText, "abc");
  Form.edText->setCursorPosition(0);
  QTest::keyClick(Form.edText, Qt::Key_Delete);
  QTest::keyClick(Form.edText, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(b->Text(), "bc");
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Form.GraphControl1.CountSelected(), 1);
  EXPECT_EQ(Form.edText->selectedText(), "bc");
}

// ---- The Pixmap button -----------------------------------------------------------------------

TEST_F(MainWindowTest, PixmapButtonLinksAPictureThatSurvivesSaveAndOpen) {
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Messages, std::vector<std::string>{"The function is to time not implemented ;-)"});

  QImage image(3, 2, QImage::Format_ARGB32);
  image.fill(QColor(200, 30, 40));
  image.setPixel(1, 1, qRgba(0, 0, 255, 0));
  ASSERT_TRUE(image.save(Dir.filePath("logo.png")));
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  Click({50, 30});
  Dialogs.Files = {Path("logo.png"), Path("w.Screen")};
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Titles.back(), "Link a pixmap to widget");
  EXPECT_EQ(Dialogs.Filters.back(), "Pictures|*.png *.jpg *.jpeg *.bmp *.svg");
  ASSERT_TRUE(w->Background().HasGraphic());
  Form.btnSaveClick();
  Form.GraphControl1.Clear();
  ASSERT_TRUE(Form.OpenScreen(Path("w.Screen")));

  auto* reread = static_cast<TGraphNode*>(Widget(0));
  ASSERT_TRUE(reread->Background().HasGraphic());
  const TGraphic& stored = *reread->Background().Graphic();
  EXPECT_EQ(stored.ClassName, "TBitmap");
  const QImage back = QImage::fromData(stored.Data.data(), int(stored.Data.size()), "BMP");
  ASSERT_EQ(back.size(), QSize(3, 2));
  EXPECT_EQ(back.pixel(0, 0), qRgba(200, 30, 40, 255));
  EXPECT_EQ(qAlpha(back.pixel(1, 1)), 0);

  Click({50, 30});
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Questions.back(), "The widget shows a picture. [Choose another…|Remove|Cancel]");
  EXPECT_FALSE(reread->Background().HasGraphic());

  // A picture that cannot be read is reported; a vector picture is drawn to
  // cover twice the widget's 80 x 30 in its own proportions.
  WriteAll(Dir.filePath("broken.png"), "no picture");
  WriteAll(Dir.filePath("mark.svg"),
           "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='5'><rect width='10' height='5' "
           "fill='#00ff00'/></svg>");
  Dialogs.Files = {Path("broken.png"), Path("mark.svg")};
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Messages.back().rfind("Cannot read the picture \"" + Path("broken.png") + "\": ", 0), 0u);
  EXPECT_FALSE(reread->Background().HasGraphic());
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  ASSERT_TRUE(reread->Background().HasGraphic());
  const TGraphic& vector = *reread->Background().Graphic();
  const QImage drawn = QImage::fromData(vector.Data.data(), int(vector.Data.size()), "BMP");
  EXPECT_EQ(drawn.size(), QSize(160, 80));
  EXPECT_EQ(drawn.pixel(80, 40), qRgb(0, 255, 0));
}

// ---- Export ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, ExportShowsWellFormedXmlForHostileValueLists) {
  WriteAll("xml_Sources", "S=a\"b&c<d>e\n");
  WriteAll("xml_ConvTypes", "T=\"><evil x='1'/><convert type=\"\n");
  WriteAll("xml_ConvNames", QByteArray("N=</convert></widget>&amp;\x01\x1F\tend\n"));
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  w->SetText("<Title & \"quote\">");
  TForm2 exporter(Dialogs, &Form);
  Form.SetExportWindow(&exporter);
  Dialogs.Choices = {0, 0, 0};
  std::string text;
  QTimer::singleShot(0, &exporter, [&] {
    text = exporter.Text();
    exporter.accept();
  });
  Key(Qt::Key_E, Qt::ControlModifier);

  QXmlStreamReader reader(QString::fromStdString(text));
  std::vector<std::string> values;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    if (reader.name() == u"widget")
      values.push_back(reader.attributes().value("source").toString().toStdString());
    if (reader.name() == u"convert") {
      values.push_back(reader.attributes().value("type").toString().toStdString());
      values.push_back(reader.readElementText().toStdString());
    }
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << "\n" << text;
  // Control characters other than tab have no form in XML and are left out.
  EXPECT_EQ(values, (std::vector<std::string>{"a\"b&c<d>e", "\"><evil x='1'/><convert type=\"",
                                              "</convert></widget>&amp;\tend"}));
  ASSERT_EQ(Dialogs.Selections.size(), 3u);
  EXPECT_EQ(Dialogs.Selections[0], "Select SOURSE for: <Title & \"quote\">");
}

// ---- Look ------------------------------------------------------------------------------------

TEST_F(MainWindowTest, PanelLabelsClearTheirEditsAndTheLowerRowStaysReachable) {
  const std::pair<const char*, const QWidget*> besides[] = {{"Pos X", Form.edPosX},
                                                            {"Pos Y", Form.edPosY},
                                                            {"Width", Form.edBreite},
                                                            {"Height", Form.edHoehe},
                                                            {"zPosition", Form.edZPosition}};
  for (const auto& [text, edit] : besides) {
    const QLabel* label = nullptr;
    for (const QLabel* l : Form.sbElementProp->widget()->findChildren<QLabel*>())
      if (l->text() == text) label = l;
    ASSERT_NE(label, nullptr) << text;
    EXPECT_LT(label->x() + label->fontMetrics().horizontalAdvance(text), edit->x()) << text;
  }

  // The docks beside the drawing area take their part of the width.
  const int docks = Form.width() - Form.centralWidget()->width();
  Form.resize(600 + docks, 476);
  QApplication::processEvents();
  EXPECT_GE(Form.sbElementProp->viewport()->height(), 56);
  EXPECT_TRUE(Form.sbElementProp->horizontalScrollBar()->isVisible());
  Form.resize(900 + docks, 476);
  QApplication::processEvents();
  EXPECT_EQ(Form.sbElementProp->height(), 56);
}

// A red widget with a black border touches the bottom-right limit of the
// screen (2000, 2000): scrolled to the end, the drawing area's last pixel
// row and column show its border.
TEST_F(MainWindowTest, TheLastPixelsOfTheScreenShowAtTheLargestScrollPosition) {
  TGraphObject* corner = Form.GraphControl1.AddNode({1900, 1950, 2000, 2000});
  corner->Brush().SetColor(0x0000FF);
  for (TGraphScrollBar* bar : {&Form.GraphControl1.HorzScrollBar(), &Form.GraphControl1.VertScrollBar()})
    bar->SetPosition(bar->MaxPosition());
  const QImage shown = OnScreen();
  const int right = shown.width() - 1, bottom = shown.height() - 1;
  EXPECT_EQ(shown.pixel(right, bottom - 20), qRgb(0, 0, 0)) << "the right border";
  EXPECT_EQ(shown.pixel(right - 20, bottom), qRgb(0, 0, 0)) << "the bottom border";
  EXPECT_EQ(shown.pixel(right - 1, bottom - 1), qRgb(255, 0, 0)) << "the fill inside";
}

TEST_F(MainWindowTest, FontSizeFieldHoldsOneToFiveHundredWithoutChangingOtherSizes) {
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  w->Font().SetSize(900);
  Click({50, 30});
  EXPECT_EQ(w->Font().Size(), 900);
  EXPECT_EQ(Form.edFontSize->value(), 500);
  Form.edFontSize->setValue(0);
  EXPECT_EQ(w->Font().Size(), 1);
}

TEST_F(MainWindowTest, ButtonsHaveTheirOwnIconsAndTheProgramItsIconAndClipboardFormat) {
  std::vector<QImage> seen;
  for (const QToolButton* button : Form.centralWidget()->findChildren<QToolButton*>()) {
    if (button->objectName() == "qt_toolbar_ext_button") continue;  // the editing bar's overflow
    const QImage image = button->icon().pixmap(QSize(20, 20), 2.0).toImage();
    ASSERT_FALSE(image.isNull()) << button->toolTip().toStdString();
    for (const QImage& other : seen) EXPECT_NE(image, other) << button->toolTip().toStdString();
    seen.push_back(image);
  }
  EXPECT_EQ(seen.size(), 32u) << "20 specified buttons, undo, redo and 10 arrangement buttons";
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_EQ(qt::QtClipboardMimeType(GraphClipboardFormat()),
            "application/x-qt-windows-mime;value=\"Graph Control Format\"");
}

}  // namespace
}  // namespace gc::app
