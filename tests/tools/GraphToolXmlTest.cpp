// Runs the real "graphtool xml" on screens and value lists written here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "tools/GraphToolRunner.h"

namespace gc {
namespace {

namespace fs = std::filesystem;

using TXmlRun = tooltest::TToolRun;

class GraphToolXmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GraphControlStartup();
    fs::create_directories(Dir / "lists");
    // Two widgets: a titled one at 40,30 and an untitled one at -10,5.
    TGraphControl graph;
    graph.GraphConstraints().SetMinLeft(-100);
    TGraphObject* title = graph.AddNode({40, 30, 160, 55}, TRectangularNode::StaticClass());
    title->SetText("Title");
    title->Font().SetSize(8);
    graph.AddNode({-10, 5, 20, 45}, TRectangularNode::StaticClass())->Font().SetSize(12);
    graph.SaveToFile((Dir / "screen.Screen").string());
    // The same with a binding kept by the titled widget, in the designer's
    // custom data (records: tag, 32-bit length, text).
    title->SetHasCustomData(true);
    graph.OnObjectWrite = [title](TGraphControl*, TGraphObject* object, TStream& stream) {
      const std::string data(
          "ORVD\x01"
          "\x01\x0A\0\0\0Clock.Time"
          "\x02\0\0\0\0"
          "\x03\x07\0\0\0Default",
          37);
      if (object == title) stream.WriteBuffer(data.data(), data.size());
    };
    graph.SaveToFile((Dir / "bound.Screen").string());
  }
  void TearDown() override { GraphControlShutdown(); }
  void WriteList(const char* name, const std::string& text) {
    std::ofstream(Dir / "lists" / name, std::ios::binary) << text;
  }
  TXmlRun Xml(const std::string& args) { return Tool.RunWithShellArguments("xml " + args); }
  std::string Screen() const { return "'" + (Dir / "screen.Screen").string() + "'"; }
  std::string Lists() const { return "--lists '" + (Dir / "lists").string() + "'"; }

  tooltest::TToolRunner Tool;
  const fs::path Dir = Tool.Dir();
};

constexpr const char* ScreenOpen =
    "  <screen name=\"NONAME\" position=\"0,0\" size=\"100,100\" title=\"NONAME\" "
    "backgroundColor=\"#0F0F0F\" >\n";
constexpr const char* ScreenClose = "  </screen>\n";

std::string WidgetLines(const std::string& source, const std::string& place, const std::string& font, int z,
                        const std::string& type, const std::string& name) {
  return "    <widget source=\"" + source + "\" render=\"Label\" " + place + " font=\"Regular;" + font +
         "\" foregroundColor=\"#FFFFFF\" backgroundColor=\"#0F0F0F\" zPosition=\"" + std::to_string(z) +
         "\" transparent=\"1\" >\n      <convert type=\"" + type + "\">" + name +
         "</convert>\n    </widget>\n";
}

TEST_F(GraphToolXmlTest, WithoutListsEveryQuestionKeepsItsDefault) {
  const TXmlRun r = Xml(Screen());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out,
            std::string(ScreenOpen) +
                WidgetLines("NO_SOURSE", "position=\"40,30\" size=\"120,25\"", "8", 0, "NO_TYPE", "NO_NAME") +
                WidgetLines("NO_SOURSE", "position=\"-10,5\" size=\"30,40\"", "12", 1, "NO_TYPE", "NO_NAME") +
                ScreenClose);
  EXPECT_EQ(r.Err, "");
}

TEST_F(GraphToolXmlTest, WithListsTheFirstLineOfEachListAnswers) {
  WriteList("xml_Sources", "S=Session.<Title> & \"Now\"\r\nS=Other\r\n");
  WriteList("xml_ConvTypes", "TClockToText\n");
  WriteList("xml_ConvNames", "");
  const TXmlRun r = Xml(Screen() + " " + Lists());
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::string source = "Session.&lt;Title&gt; &amp; &quot;Now&quot;";
  EXPECT_EQ(r.Out, std::string(ScreenOpen) +
                       WidgetLines(source, "position=\"40,30\" size=\"120,25\"", "8", 0, "ClockToText", "") +
                       WidgetLines(source, "position=\"-10,5\" size=\"30,40\"", "12", 1, "ClockToText", "") +
                       ScreenClose);
}

TEST_F(GraphToolXmlTest, AKeptBindingIsExportedAndItsWidgetNotAsked) {
  WriteList("xml_Sources", "S=Listed\n");
  WriteList("xml_ConvTypes", "T=Listed\n");
  WriteList("xml_ConvNames", "N=Listed\n");
  const TXmlRun r = Xml("'" + (Dir / "bound.Screen").string() + "' " + Lists());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(
      r.Out,
      std::string(ScreenOpen) +
          WidgetLines("Clock.Time", "position=\"40,30\" size=\"120,25\"", "8", 0, "NO_TYPE", "Default") +
          WidgetLines("Listed", "position=\"-10,5\" size=\"30,40\"", "12", 1, "Listed", "Listed") +
          ScreenClose);
}

struct TXmlFailure {
  const char* Name;
  const char* Args;   // "$S" stands for the screen, "$L" for --lists with the list folder
  int Status;         // 1 for a failure, 2 for a command line that does not fit
  const char* Error;  // the start of standard error
};

class GraphToolXmlFailureTest : public GraphToolXmlTest, public ::testing::WithParamInterface<TXmlFailure> {};

TEST_P(GraphToolXmlFailureTest, PrintsTheErrorAndNoXml) {
  std::string args = GetParam().Args;
  for (auto [token, value] : {std::pair<std::string, std::string>{"$S", Screen()}, {"$L", Lists()}})
    if (const auto at = args.find(token); at != std::string::npos) args.replace(at, token.size(), value);
  std::string error = GetParam().Error;
  if (const auto at = error.find("$D"); at != std::string::npos) error.replace(at, 2, Dir.string());
  const TXmlRun r = Xml(args);
  EXPECT_EQ(r.Status, GetParam().Status);
  EXPECT_EQ(r.Err.substr(0, error.size()), error) << r.Err;
  EXPECT_EQ(r.Out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Failures, GraphToolXmlFailureTest,
    ::testing::Values(TXmlFailure{"MissingScreen", "'/nonexistent/x.Screen'", 2,
                                  "graphtool: /nonexistent/x.Screen: no such file\nusage: graphtool xml"},
                      TXmlFailure{"MissingList", "$S $L", 1,
                                  "graphtool xml: Datei $D/lists/xml_Sources kann nicht geöffnet werden."},
                      TXmlFailure{
                          "NoScreen", "", 2,
                          "graphtool: missing arguments\nusage: graphtool xml [--lists DIR] FILE.Screen"},
                      TXmlFailure{"UnknownOption", "$S --list x", 2,
                                  "graphtool: unknown option --list\nusage: graphtool xml"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace gc
