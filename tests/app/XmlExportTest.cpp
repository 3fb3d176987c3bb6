// The XML description of a screen: line layout, the questions asked per
// widget, the value lists and their failures, and the export window.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/Unit2.h"
#include "app/XmlExport.h"
#include "support/CaseName.h"
#include "tests/app/FakeDialogs.h"

namespace gc::app {
namespace {

class XmlExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    WriteFile("xml_Sources", "SRC=Session.Title\nXClock\n");
    WriteFile("xml_ConvTypes", "TYPE=ClockToText\r\nTEventName\r\n");
    WriteFile("xml_ConvNames", "NAME=Default\nNFormat\n");
  }
  void WriteFile(const char* name, const QByteArray& content) {
    QFile f(Dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  TGraphNode* AddWidget(const TRect& r, const std::string& text, int32_t fontSize = 8) {
    auto* node = static_cast<TGraphNode*>(Graph.AddNode(r, TRectangularNode::StaticClass()));
    node->SetText(text);
    node->Font().SetSize(fontSize);
    return node;
  }
  TValueListAnswers Answers() {
    return TValueListAnswers(
        Dir.path().toStdString(),
        [this](const std::string& title, const std::string& label, const std::vector<std::string>& values,
               int& index) { return Dialogs.SelectValue(title, label, values, index); });
  }
  std::vector<std::string> Build() {
    std::vector<std::string> lines;
    TValueListAnswers answers = Answers();
    BuildXmlLines(Graph, answers, lines);
    return lines;
  }

  QTemporaryDir Dir;
  TScreenGraph Graph;
  TFakeDialogs Dialogs;
};

const std::string ScreenLine =
    "  <screen name=\"NONAME\" position=\"0,0\" size=\"100,100\" title=\"NONAME\" "
    "backgroundColor=\"#0F0F0F\" >";

TEST_F(XmlExportTest, EmptyScreenGivesTwoLinesAndAsksNothing) {
  EXPECT_EQ(Build(), (std::vector<std::string>{ScreenLine, "  </screen>"}));
  EXPECT_TRUE(Dialogs.Selections.empty());
}

TEST_F(XmlExportTest, CancelledQuestionsKeepTheDefaults) {
  AddWidget({40, 30, 160, 55}, "Title");
  EXPECT_EQ(Build(),
            (std::vector<std::string>{
                ScreenLine,
                "    <widget source=\"NO_SOURSE\" render=\"Label\" position=\"40,30\" size=\"120,25\" "
                "font=\"Regular;8\" foregroundColor=\"#FFFFFF\" backgroundColor=\"#0F0F0F\" "
                "zPosition=\"0\" transparent=\"1\" >",
                "      <convert type=\"NO_TYPE\">NO_NAME</convert>", "    </widget>", "  </screen>"}));
}

TEST_F(XmlExportTest, AsksThreeQuestionsPerWidgetBottomFirstWithTheFirstLinePreselected) {
  AddWidget({0, 0, 10, 10}, "");
  AddWidget({0, 0, 10, 10}, "Clock");
  AddWidget({0, 0, 10, 10}, "");
  Build();
  EXPECT_EQ(Dialogs.Selections,
            (std::vector<std::string>{"Select SOURSE for: Widget0", "Select Convertor-TYPE for: Widget0",
                                      "Select Convertor-Name for: Widget0", "Select SOURSE for: Clock",
                                      "Select Convertor-TYPE for: Clock", "Select Convertor-Name for: Clock",
                                      "Select SOURSE for: Widget2", "Select Convertor-TYPE for: Widget2",
                                      "Select Convertor-Name for: Widget2"}));
  EXPECT_EQ(Dialogs.Preselected, std::vector<int>(9, 0));
  EXPECT_EQ(Dialogs.Offered[1], (std::vector<std::string>{"TYPE=ClockToText", "TEventName"}));
}

TEST_F(XmlExportTest, ChosenLinesGiveTheirValuesAndAnEmptyListAnEmptyOne) {
  Graph.GraphConstraints().SetMinLeft(-100);
  TGraphNode* w = AddWidget({0, 5, 30, 45}, "A", 12);
  w->SetBoundsRect({-10, 5, 20, 45});
  Dialogs.Choices = {1, 0, 1};
  auto lines = Build();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1],
            "    <widget source=\"Clock\" render=\"Label\" position=\"-10,5\" size=\"30,40\" "
            "font=\"Regular;12\" foregroundColor=\"#FFFFFF\" backgroundColor=\"#0F0F0F\" "
            "zPosition=\"0\" transparent=\"1\" >");
  EXPECT_EQ(lines[2], "      <convert type=\"ClockToText\">Format</convert>");

  WriteFile("xml_Sources", "");
  Dialogs.Choices = {-1, TFakeDialogs::Cancel, TFakeDialogs::Cancel};
  lines = Build();
  EXPECT_EQ(lines[1].rfind("    <widget source=\"\" render=", 0), 0u) << lines[1];
  EXPECT_EQ(Dialogs.Preselected.back(), 0);
  EXPECT_EQ(Dialogs.Preselected[Dialogs.Preselected.size() - 3], -1);  // the empty list
}

// A widget that keeps a binding is exported with it and not asked about; the
// screen element carries the properties that are set.
TEST_F(XmlExportTest, KeptBindingsAndScreenPropertiesNeedNoQuestion) {
  TGraphNode* clock = AddWidget({40, 30, 160, 55}, "Clock");
  AddWidget({40, 60, 160, 85}, "Title");
  Graph.SetBinding(clock, {"Clock.Time", "", "Default & <more>"});
  TScreenProperties screen;
  screen.Name = "Main \"1\"";
  screen.Size = TScreenSize{800, 480};
  screen.Background = 0x00302010;
  Graph.SetScreen(screen);
  const std::vector<std::string> lines = Build();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0],
            "  <screen name=\"Main &quot;1&quot;\" position=\"0,0\" size=\"800,480\" title=\"NONAME\" "
            "backgroundColor=\"#102030\" >");
  EXPECT_EQ(lines[1].rfind("    <widget source=\"Clock.Time\" render=", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find("zPosition=\"0\""), std::string::npos) << "counted among the widgets";
  EXPECT_EQ(lines[2], "      <convert type=\"NO_TYPE\">Default &amp; &lt;more&gt;</convert>");
  EXPECT_NE(lines[4].find("zPosition=\"1\""), std::string::npos);
  EXPECT_EQ(Dialogs.Selections,
            (std::vector<std::string>{"Select SOURSE for: Title", "Select Convertor-TYPE for: Title",
                                      "Select Convertor-Name for: Title"}));
}

struct TValueListCase {
  const char* Name;
  QByteArray Bytes;
  std::vector<std::string> Lines;
};
class ValueListReadTest : public ::testing::TestWithParam<TValueListCase> {};

TEST_P(ValueListReadTest, SplitsLinesAndReadsTheirText) {
  QTemporaryDir dir;
  QFile f(dir.filePath("list"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(GetParam().Bytes);
  f.close();
  EXPECT_EQ(ReadValueList(dir.filePath("list").toStdString()), GetParam().Lines);
}

INSTANTIATE_TEST_SUITE_P(Files, ValueListReadTest,
                         ::testing::Values(TValueListCase{"Empty", "", {}},
                                           TValueListCase{
                                               "MixedLineEnds", "a=1\r\nb=2\nc", {"a=1", "b=2", "c"}},
                                           TValueListCase{"BlankLinesAreChoices", "\n\nx\n", {"", "", "x"}},
                                           TValueListCase{"Utf8WithByteOrderMark",
                                                          "\xEF\xBB\xBFS=Gr\xC3\xBC\xC3\x9F"
                                                          "e",
                                                          {"S=Grüße"}},
                                           TValueListCase{"Windows1252",
                                                          "S=Gr\xFC\xDF"
                                                          "e \x80",
                                                          {"S=Grüße €"}}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(XmlExportTest, UnreadableValueListsRaiseTheFileErrorAndKeepTheLinesSoFar) {
  const std::string folder = Dir.path().toStdString();
  AddWidget({0, 0, 10, 10}, "A");
  for (const char* broken : {"missing", "folder"}) {
    QFile::remove(Dir.filePath("xml_ConvTypes"));
    if (std::string(broken) == "folder") {
      ASSERT_TRUE(QDir(Dir.path()).mkdir("xml_ConvTypes"));
    }
    std::vector<std::string> lines;
    TValueListAnswers answers = Answers();
    try {
      BuildXmlLines(Graph, answers, lines);
      ADD_FAILURE() << broken << ": no error";
    } catch (const EFOpenError& e) {
      EXPECT_EQ(
          std::string(e.what()).rfind("Datei " + folder + "/xml_ConvTypes kann nicht geöffnet werden.", 0),
          0u)
          << e.what();
    }
    EXPECT_EQ(lines, std::vector<std::string>{ScreenLine}) << broken;
  }
}

struct TLineCase {
  const char* Name;
  const char* Line;
  const char* Value;
};
class ValueOfLineTest : public ::testing::TestWithParam<TLineCase> {};
TEST_P(ValueOfLineTest, TakesTextAfterFirstEqualsOrDropsFirstCharacter) {
  EXPECT_EQ(ValueOfLine(GetParam().Line), GetParam().Value);
}
INSTANTIATE_TEST_SUITE_P(Lines, ValueOfLineTest,
                         ::testing::Values(TLineCase{"KeyAndValue", "LBL=Label text", "Label text"},
                                           TLineCase{"NoEqualsDropsTheFirstCharacter", "Label", "abel"},
                                           TLineCase{"SplitsAtTheFirstEquals", "a=b=c", "b=c"},
                                           TLineCase{"EmptyValue", "X=", ""},
                                           TLineCase{"EmptyKey", "=v", "v"},
                                           TLineCase{"SingleCharacter", "L", ""},
                                           TLineCase{"EmptyLine", "", ""}),
                         test::TCaseName());

TEST_F(XmlExportTest, WindowRebuildsFromTheWorkspaceOnEveryShowing) {
  AddWidget({40, 30, 160, 55}, "Title");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();
  EXPECT_EQ(form.windowTitle(), "XML-Export");
  EXPECT_TRUE(form.XMEMO->isReadOnly());
  EXPECT_FALSE(form.XEXPORTER.Host());
  form.FormShow();
  form.FormShow();
  EXPECT_EQ(Dialogs.Selections.size(), 6u);
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 5);
  EXPECT_TRUE(Dialogs.Messages.empty());

  // A broken workspace is reported and the previous text stays.
  WriteFile("ScreenWorkspace", "garbage");
  form.FormShow();
  EXPECT_EQ(Dialogs.Messages, std::vector<std::string>{"Invalid stream content"});
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 5);

  // A missing value list ends the export with the lines so far.
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  QFile::remove(Dir.filePath("xml_Sources"));
  form.FormShow();
  ASSERT_EQ(Dialogs.Messages.size(), 2u);
  EXPECT_NE(Dialogs.Messages[1].find("xml_Sources"), std::string::npos);
  EXPECT_EQ(form.XMEMO->toPlainText().toStdString(), ScreenLine);
}

// Forty widgets give a text wider and longer than the window. However it was
// scrolled, each showing starts at its top-left corner; a note under the
// text says when it is incomplete or the previous one.
TEST_F(XmlExportTest, WindowShowsTheTextFromItsTopLeftAndSaysWhenItIsNotWhole) {
  for (int i = 0; i < 40; ++i) AddWidget({10 * i, 0, 10 * i + 10, 10}, "");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QScrollBar* across = form.XMEMO->horizontalScrollBar();
  QScrollBar* down = form.XMEMO->verticalScrollBar();
  auto showAfterScrollingToTheEnd = [&] {
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    form.FormShow();
    QApplication::processEvents();
  };
  showAfterScrollingToTheEnd();
  ASSERT_GT(across->maximum(), 0);
  ASSERT_GT(down->maximum(), 0);
  EXPECT_EQ(across->value(), 0);
  EXPECT_EQ(down->value(), 0);
  EXPECT_EQ(form.XMEMO->textCursor().position(), 0);
  EXPECT_FALSE(form.lblNote->isVisible());

  QFile::remove(Dir.filePath("xml_ConvNames"));
  showAfterScrollingToTheEnd();
  EXPECT_EQ(form.XMEMO->toPlainText().toStdString(), ScreenLine);
  EXPECT_EQ(across->value(), 0);
  ASSERT_TRUE(form.lblNote->isVisible());
  EXPECT_TRUE(form.lblNote->text().startsWith("The text is incomplete: a value list could not be read.\n"));
  EXPECT_TRUE(form.lblNote->text().contains("xml_ConvNames"));

  WriteFile("xml_ConvNames", "NAME=Default\n");
  showAfterScrollingToTheEnd();
  EXPECT_FALSE(form.lblNote->isVisible());
  const QString whole = form.XMEMO->toPlainText();
  WriteFile("ScreenWorkspace", "garbage");
  showAfterScrollingToTheEnd();
  EXPECT_EQ(form.XMEMO->toPlainText(), whole);
  EXPECT_EQ(down->value(), 0);
  EXPECT_EQ(form.lblNote->text(),
            "The screen could not be read; this is the text of the export before.\nInvalid stream content");
}

// The answers of a question with the box ticked are listed for the main
// window to keep; "Stop export" ends the text where it is.
TEST_F(XmlExportTest, WindowKeepsAnswersAndStops) {
  AddWidget({40, 30, 160, 55}, "A");
  AddWidget({40, 60, 160, 85}, "B");
  Graph.SetBinding(AddWidget({40, 90, 160, 115}, "Bound"), {"S", "T", "N"});
  AddWidget({40, 120, 160, 145}, "C");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();

  Dialogs.KeepAnswers = true;
  Dialogs.Choices = {0, TFakeDialogs::Cancel, 1, 1, 0, 0, 0, 0, 0};
  form.FormShow();
  EXPECT_FALSE(form.Stopped());
  ASSERT_EQ(form.KeptBindings().size(), 3u);
  EXPECT_EQ(form.KeptBindings()[0].WidgetIndex, 0);
  EXPECT_EQ(form.KeptBindings()[0].Binding, (TWidgetBinding{"Session.Title", "", "Format"}));
  EXPECT_EQ(form.KeptBindings()[1].Binding, (TWidgetBinding{"Clock", "ClockToText", "Default"}));
  EXPECT_EQ(form.KeptBindings()[2].WidgetIndex, 3);
  EXPECT_FALSE(form.lblNote->isVisibleTo(&form));

  Dialogs.KeepAnswers = false;
  Dialogs.StopAt = static_cast<int>(Dialogs.Selections.size()) + 4;  // B's second question
  Dialogs.Choices = {0, 0, 0, 0};
  form.FormShow();
  EXPECT_TRUE(form.Stopped());
  EXPECT_TRUE(form.KeptBindings().empty());
  EXPECT_TRUE(form.lblNote->isVisibleTo(&form));
  EXPECT_EQ(form.lblNote->text(), "The export was stopped: the text ends with the last widget answered.");
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 4) << "the screen line and widget A";
  EXPECT_TRUE(Dialogs.Messages.empty());

  // A workspace that cannot be read keeps nothing of the showing before.
  Dialogs.StopAt = -1;
  Dialogs.KeepAnswers = true;
  Dialogs.Choices = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  form.FormShow();
  ASSERT_EQ(form.KeptBindings().size(), 3u);
  WriteFile("ScreenWorkspace", "garbage");
  form.FormShow();
  EXPECT_TRUE(form.KeptBindings().empty());
}

TEST_F(XmlExportTest, WindowSavesAndCopiesTheTextItShows) {
  AddWidget({40, 30, 160, 55}, "Title");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();
  form.FormShow();
  const std::string shown = form.XMEMO->toPlainText().toStdString() + "\n";

  const QString target = Dir.filePath("screen.xml");
  Dialogs.Files = {target.toStdString(), ""};
  form.btnSaveAs->click();
  QFile saved(target);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll().toStdString(), shown);
  form.btnSaveAs->click();  // cancelled; the dialog offers the last file again
  EXPECT_EQ(Dialogs.Prefilled, (std::vector<std::string>{"", target.toStdString()}));
  EXPECT_EQ(Dialogs.Filters.front(), "XML-Files|*.xml");

  form.btnCopy->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), shown);
}

}  // namespace
}  // namespace gc::app
