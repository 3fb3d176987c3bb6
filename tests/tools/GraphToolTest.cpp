// Runs the real graphtool program: dump, resave and render of diagrams written
// by the library, and the command line's help, usage and exit status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "tools/GraphToolRunner.h"

namespace gc {
namespace {

using namespace tooltest;
using TJson = nlohmann::ordered_json;

class GraphToolTest : public ::testing::Test {
 protected:
  void SetUp() override { GraphControlStartup(); }
  void TearDown() override { GraphControlShutdown(); }

  // Two nodes and a link between them, with custom data on the first node.
  std::string WriteSample() {
    TGraphControl graph;
    graph.OnObjectWrite = [](TGraphControl*, TGraphObject*, TStream& s) { s.WriteBuffer("xyz", 3); };
    auto* a = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {10, 10, 110, 60});
    auto* b = TGraphNode::CreateWithBounds<TEllipticNode>(&graph, {200, 10, 260, 60});
    a->SetText("Say \"hi\"");
    a->SetHasCustomData(true);
    TGraphLink::CreateNew(&graph, a, {{150, 100}}, b)->SetEndStyle(lsDiamond);
    const std::string file = Tool.File("sample.Screen");
    graph.SaveToFile(file);
    return file;
  }

  TToolRunner Tool;
};

TEST_F(GraphToolTest, DumpListsEveryObjectsRecordsInStoredOrder) {
  const TToolRun r = Tool.Run({"dump", WriteSample()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  const TJson expected = TJson::parse(R"({"objects": [
    {"class": "TRectangularNode",
     "properties": {"ID": 1, "G.Text": "Say \"hi\"", "G.HasCustomData": true,
                    "G.Left": 10, "G.Top": 10, "G.Width": 100, "G.Height": 50, "G.CustomData": "eHl6"}},
    {"class": "TEllipticNode",
     "properties": {"ID": 2, "G.Left": 200, "G.Top": 10, "G.Width": 60, "G.Height": 50}},
    {"class": "TGraphLink",
     "properties": {"ID": 3, "G.EndStyle": "lsDiamond", "G.Source": 1, "G.Target": 2,
                    "G.BreakPoints": [[95, 60], [150, 100], [209, 52]]}}]})");
  EXPECT_EQ(TJson::parse(r.Out), expected) << r.Out;
}

TEST_F(GraphToolTest, ResaveWritesTheSameBytesIncludingCustomData) {
  const std::string in = WriteSample();
  const TToolRun r = Tool.Run({"resave", in, Tool.File("copy.Screen")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(ReadFile(Tool.File("copy.Screen")), ReadFile(in));
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

TEST_F(GraphToolTest, RenderCoversThePaintBoundsAtTheZoomOnTheBackground) {
  TGraphControl graph;
  TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {10, 10, 110, 60});
  graph.SaveToFile(Tool.File("one.Screen"));
  const struct {
    std::vector<std::string> Options;
    uint32_t Width, Height;
    int ColourType;  // of the PNG header: 2 RGB, 6 RGB with alpha
  } cases[] = {
      {{}, 101, 51, 2},
      {{"--zoom", "200"}, 201, 101, 2},
      {{"--zoom=50%", "--background", "clBtnFace"}, 51, 26, 2},
      {{"--background", "transparent"}, 101, 51, 6},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"render"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {Tool.File("one.Screen"), Tool.File("one.png")});
    const TToolRun r = Tool.Run(args);
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string png = ReadFile(Tool.File("one.png"));
    ASSERT_GE(png.size(), 26u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(BigEndian32(png, 16), c.Width) << testing::PrintToString(c.Options);
    EXPECT_EQ(BigEndian32(png, 20), c.Height) << testing::PrintToString(c.Options);
    EXPECT_EQ(png[25], c.ColourType) << testing::PrintToString(c.Options);
  }
  ASSERT_EQ(Tool.Run({"render", Tool.File("one.Screen"), Tool.File("one.svg")}).Status, 0);
  EXPECT_EQ(ReadFile(Tool.File("one.svg")).find("#ffeeaa"), std::string::npos);
  ASSERT_EQ(
      Tool.Run({"render", "--background", "#ffeeaa", Tool.File("one.Screen"), Tool.File("one.svg")}).Status,
      0);
  EXPECT_NE(ReadFile(Tool.File("one.svg")).find("fill=\"#ffeeaa\""), std::string::npos);
}

TEST_F(GraphToolTest, DumpReadsADiagramFromAPipe) {
  const TToolRun r = Tool.Run({"dump", "/dev/stdin"}, WriteSample());
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find(R"("class": "TEllipticNode")"), std::string::npos) << r.Out;
}

TEST_F(GraphToolTest, RenderRefusesAPngBeyondTheLimitAndWritesNothing) {
  TGraphControl graph;
  TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {0, 0, 10, 10});
  TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {9990, 9990, 10000, 10000});
  graph.SaveToFile(Tool.File("wide.Screen"));
  TToolRun r = Tool.Run({"render", Tool.File("wide.Screen"), Tool.File("wide.png")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Image too large: 10007 x 10007 pixels (at most 32767 a side and 67108864 in all)"),
            std::string::npos)
      << r.Err;
  EXPECT_FALSE(fs::exists(Tool.File("wide.png")));
  r = Tool.Run({"render", "--zoom", "10", Tool.File("wide.Screen"), Tool.File("small.png")});
  EXPECT_EQ(r.Status, 0) << "the limit applies to the zoomed image: " << r.Err;
  r = Tool.Run({"render", Tool.File("wide.Screen"), Tool.File("wide.svg")});
  EXPECT_EQ(r.Status, 0) << "a vector image has no pixels to allocate: " << r.Err;
}

// The SVG writer builds the whole drawing in memory: a drawing estimated
// beyond its limit (here one link of three million points) is refused before
// it is built.
TEST_F(GraphToolTest, RenderRefusesAnSvgBeyondTheLimitAndWritesNothing) {
  TGraphControl graph;
  TPoints points(3000000);
  for (size_t i = 0; i < points.size(); ++i)
    points[i] = {static_cast<int32_t>(i % 1000), static_cast<int32_t>(i / 1000)};
  TGraphLink::CreateNew(&graph, nullptr, {}, nullptr)->SetPolyline(points);
  graph.SaveToFile(Tool.File("long.Screen"));
  const TToolRun r = Tool.Run({"render", Tool.File("long.Screen"), Tool.File("long.svg")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Image too large: the SVG drawing would take about 69 MiB (at most 64 MiB)"),
            std::string::npos)
      << r.Err;
  EXPECT_FALSE(fs::exists(Tool.File("long.svg")));
}

struct TCommandLineCase {
  std::string Name;
  std::vector<std::string> Args;  // "SAMPLE" and "DIR/" stand for the sample file and the scratch folder
  int Status;
  std::string Output;  // expected on stdout for status 0, on stderr otherwise
};

const TCommandLineCase CommandLineCases[] = {
    {"Help", {"--help"}, 0, "  build FILE.json OUT.Screen\n      write a diagram file from its JSON form"},
    {"CommandHelp",
     {"render", "--help"},
     0,
     "usage: graphtool render [--zoom PERCENT] [--background COLOR] IN.Screen OUT.png|OUT.svg\n"},
    {"HelpOnCommand", {"help", "dump"}, 0, "usage: graphtool dump FILE.Screen\n"},
    {"NoCommand", {}, 2, "graphtool: no command given\nusage: graphtool COMMAND"},
    {"UnknownCommand",
     {"frobnicate"},
     2,
     "graphtool: unknown command \"frobnicate\"\nusage: graphtool COMMAND"},
    {"MissingArgument", {"dump"}, 2, "graphtool: missing arguments\nusage: graphtool dump FILE.Screen\n"},
    {"TooManyArguments",
     {"dump", "SAMPLE", "SAMPLE"},
     2,
     "graphtool: too many arguments\nusage: graphtool dump"},
    {"MissingFile",
     {"resave", "DIR/missing.Screen", "DIR/out.Screen"},
     2,
     "missing.Screen: no such file\nusage:"},
    {"FolderForAFile", {"dump", "DIR/"}, 2, "is a folder, not a file\nusage:"},
    {"UnknownOption", {"dump", "--zoom", "50", "SAMPLE"}, 2, "graphtool: unknown option --zoom\n"},
    {"OptionWithoutValue",
     {"render", "SAMPLE", "DIR/out.png", "--zoom"},
     2,
     "--zoom needs a value (PERCENT)"},
    {"ZoomOutOfRange",
     {"render", "--zoom", "4", "SAMPLE", "DIR/out.png"},
     2,
     "graphtool: --zoom: expected a percentage from 5 to 36863, not \"4\""},
    {"UnknownBackground",
     {"render", "--background", "mauvish", "SAMPLE", "DIR/out.png"},
     2,
     "graphtool: --background: unknown colour \"mauvish\""},
    {"UnknownImageType", {"render", "SAMPLE", "DIR/out.gif"}, 2, "unknown image type (use .png or .svg)"},
    {"NotADiagram", {"dump", "DIR/bad.Screen"}, 1, "graphtool dump: Invalid stream content\n"},
};

void PrintTo(const TCommandLineCase& c, std::ostream* os) { *os << c.Name; }

class GraphToolCommandLine : public GraphToolTest, public ::testing::WithParamInterface<TCommandLineCase> {};

TEST_P(GraphToolCommandLine, ExitStatusAndMessage) {
  const std::string sample = WriteSample();
  WriteFile(Tool.File("bad.Screen"), "not a diagram");
  std::vector<std::string> args;
  for (const std::string& arg : GetParam().Args)
    args.push_back(arg == "SAMPLE"           ? sample
                   : arg.starts_with("DIR/") ? Tool.File(arg.substr(4)).string()
                                             : arg);
  const TToolRun r = Tool.Run(args);
  EXPECT_EQ(r.Status, GetParam().Status) << r.Err;
  const std::string& shown = GetParam().Status == 0 ? r.Out : r.Err;
  EXPECT_NE(shown.find(GetParam().Output), std::string::npos) << shown;
  if (GetParam().Status != 0) {
    EXPECT_EQ(r.Out, "");
  }
  EXPECT_FALSE(fs::exists(Tool.File("out.png")) || fs::exists(Tool.File("out.gif")) ||
               fs::exists(Tool.File("out.Screen")));
}

INSTANTIATE_TEST_SUITE_P(Cases, GraphToolCommandLine, ::testing::ValuesIn(CommandLineCases),
                         [](const auto& info) { return info.param.Name; });

}  // namespace
}  // namespace gc
