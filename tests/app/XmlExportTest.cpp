// The XML description of a screen: line layout, the questions asked per
// widget, the value lists and their failures.
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
#include "tests/app/XmlExportFixture.h"

namespace gc::app {
namespace {

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

}  // namespace
}  // namespace gc::app
