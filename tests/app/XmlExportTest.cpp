// The XML description of a screen: line layout, the questions asked per
// widget, the value lists and their failures.
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <deque>

#include <gtest/gtest.h>

#include "app/Unit2.h"

namespace gc::app {
namespace {

class TScriptedDialogs : public IDesignerDialogs {
 public:
  int MessageBox(const std::string& text, TBoxKind, bool) override {
    Errors.push_back(text);
    return 1;
  }
  std::string InputQuery(const std::string&, const std::string&, const std::string& d) override { return d; }
  bool OpenFile(const std::string&, const std::string&, std::string&) override { return false; }
  bool SaveFile(const std::string&, const std::string&, std::string&) override { return false; }
  bool SelectValue(const std::string& title, const std::string& label, const std::vector<std::string>& values,
                   int& index) override {
    Asked.push_back(title + " " + label);
    EXPECT_EQ(index, values.empty() ? -1 : 0);  // entry 0 preselected
    if (Answers.empty()) return false;
    const int answer = Answers.front();
    Answers.pop_front();
    if (answer == -2) return false;  // cancel
    index = answer;
    return true;
  }
  std::deque<int> Answers;
  std::vector<std::string> Asked, Errors;
};

class XmlExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    WriteFile("xml_Sources", "SRC=Session.Title\nXClock\n");
    WriteFile("xml_ConvTypes", "TYPE=ClockToText\r\nTEventName\r\n");
    WriteFile("xml_ConvNames", "NAME=Default\nNFormat\n");
  }
  void WriteFile(const char* name, const char* content) {
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
  std::vector<std::string> Build() {
    std::vector<std::string> lines;
    BuildXmlLines(Graph, Dialogs, lines, Dir.path().toStdString());
    return lines;
  }

  QTemporaryDir Dir;
  TGraphControl Graph;
  TScriptedDialogs Dialogs;
};

const std::string ScreenLine =
    "  <screen name=\"NONAME\" position=\"0,0\" size=\"100,100\" title=\"NONAME\" "
    "backgroundColor=\"#0F0F0F\" >";

TEST_F(XmlExportTest, EmptyScreenGivesTwoLinesAndAsksNothing) {
  EXPECT_EQ(Build(), (std::vector<std::string>{ScreenLine, "  </screen>"}));
  EXPECT_TRUE(Dialogs.Asked.empty());
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

TEST_F(XmlExportTest, AsksThreeQuestionsPerWidgetBottomFirst) {
  AddWidget({0, 0, 10, 10}, "");
  AddWidget({0, 0, 10, 10}, "Clock");
  AddWidget({0, 0, 10, 10}, "");
  Build();
  EXPECT_EQ(Dialogs.Asked,
            (std::vector<std::string>{"Select SOURSE for: Widget0", "Select Convertor-TYPE for: Widget0",
                                      "Select Convertor-Name for: Widget0", "Select SOURSE for: Clock",
                                      "Select Convertor-TYPE for: Clock", "Select Convertor-Name for: Clock",
                                      "Select SOURSE for: Widget2", "Select Convertor-TYPE for: Widget2",
                                      "Select Convertor-Name for: Widget2"}));
}

TEST_F(XmlExportTest, ChosenLinesGiveTheirValues) {
  Graph.GraphConstraints().SetMinLeft(-100);
  TGraphNode* w = AddWidget({0, 5, 30, 45}, "A", 12);
  w->SetBoundsRect({-10, 5, 20, 45});
  Dialogs.Answers = {1, 0, 1};
  const auto lines = Build();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_NE(lines[1].find("source=\"Clock\""), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("position=\"-10,5\" size=\"30,40\" font=\"Regular;12\""), std::string::npos)
      << lines[1];
  EXPECT_EQ(lines[2], "      <convert type=\"ClockToText\">Format</convert>");
}

TEST_F(XmlExportTest, OkOnAnEmptyListGivesEmptyValues) {
  WriteFile("xml_Sources", "");
  AddWidget({0, 0, 10, 10}, "A");
  Dialogs.Answers = {-1, -2, -2};
  const auto lines = Build();
  EXPECT_NE(lines[1].find("<widget source=\"\" render"), std::string::npos) << lines[1];
}

TEST_F(XmlExportTest, MissingValueListNamesTheFileAndKeepsEarlierLines) {
  QFile::remove(Dir.filePath("xml_ConvTypes"));
  AddWidget({0, 0, 10, 10}, "A");
  std::vector<std::string> lines;
  try {
    BuildXmlLines(Graph, Dialogs, lines, Dir.path().toStdString());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("xml_ConvTypes"), std::string::npos) << e.what();
  }
  EXPECT_EQ(lines, std::vector<std::string>{ScreenLine});
}

struct TLineCase {
  const char* Line;
  const char* Value;
};
class ValueOfLineTest : public ::testing::TestWithParam<TLineCase> {};
TEST_P(ValueOfLineTest, TakesTextAfterFirstEqualsOrDropsFirstCharacter) {
  EXPECT_EQ(ValueOfLine(GetParam().Line), GetParam().Value);
}
INSTANTIATE_TEST_SUITE_P(Lines, ValueOfLineTest,
                         ::testing::Values(TLineCase{"LBL=Label text", "Label text"},
                                           TLineCase{"Label", "abel"}, TLineCase{"a=b=c", "b=c"},
                                           TLineCase{"X=", ""}, TLineCase{"=v", "v"}, TLineCase{"L", ""},
                                           TLineCase{"", ""}));

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
  EXPECT_EQ(Dialogs.Asked.size(), 6u);
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 5);
  EXPECT_TRUE(Dialogs.Errors.empty());

  // A broken workspace is reported and the previous text stays.
  WriteFile("ScreenWorkspace", "garbage");
  form.FormShow();
  EXPECT_EQ(Dialogs.Errors, std::vector<std::string>{"Invalid stream content"});
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 5);

  // A missing value list ends the export with the lines so far.
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  QFile::remove(Dir.filePath("xml_Sources"));
  form.FormShow();
  ASSERT_EQ(Dialogs.Errors.size(), 2u);
  EXPECT_NE(Dialogs.Errors[1].find("xml_Sources"), std::string::npos);
  EXPECT_EQ(form.XMEMO->toPlainText().toStdString(), ScreenLine);
}

}  // namespace
}  // namespace gc::app
