// Runs the real graphtool program on diagrams written by the library.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"

namespace gc {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TRun {
  int Status = -1;
  std::string Out;
  std::string Err;
};

class GraphToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GraphControlStartup();
    Dir = fs::temp_directory_path() / ("graphtool_test_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
  }
  void TearDown() override {
    fs::remove_all(Dir);
    GraphControlShutdown();
  }

  TRun Run(const std::string& args) {
    const fs::path out = Dir / "stdout.txt";
    const fs::path err = Dir / "stderr.txt";
    const std::string command =
        std::string("'") + GRAPHTOOL_PATH + "' " + args + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    TRun result;
    result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.Out = ReadFile(out);
    result.Err = ReadFile(err);
    return result;
  }
  std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

  // Two nodes and a link between them, with custom data on the first node.
  fs::path WriteSample() {
    TGraphControl graph;
    graph.OnObjectWrite = [](TGraphControl*, TGraphObject*, TStream& s) { s.WriteBuffer("xyz", 3); };
    auto* a = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {10, 10, 110, 60});
    auto* b = TGraphNode::CreateWithBounds<TEllipticNode>(&graph, {200, 10, 260, 60});
    a->SetText("Say \"hi\"");
    a->SetHasCustomData(true);
    auto* link = TGraphLink::CreateNew(&graph, a, {{150, 100}}, b);
    link->SetEndStyle(lsDiamond);
    const fs::path file = Dir / "sample.Screen";
    graph.SaveToFile(file.string());
    return file;
  }

  fs::path Dir;
};

TEST_F(GraphToolTest, DumpPrintsEveryObjectWithPropertiesPointsAndEnds) {
  const TRun r = Run("dump " + Quoted(WriteSample()));
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Out.find(R"({"class": "TRectangularNode", "ID": 1, "Text": "Say \"hi\"")"), std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find(R"("class": "TEllipticNode", "ID": 2)"), std::string::npos);
  EXPECT_NE(r.Out.find(R"("Left": 10, "Top": 10, "Width": 100, "Height": 50)"), std::string::npos);
  EXPECT_NE(r.Out.find(R"("CustomDataSize": 3)"), std::string::npos);
  EXPECT_NE(r.Out.find(R"("EndStyle": "lsDiamond")"), std::string::npos);
  EXPECT_NE(r.Out.find(R"("Source": 1, "Target": 2)"), std::string::npos);
  EXPECT_NE(r.Out.find(R"("Points": [[)"), std::string::npos);
  // z-order: the link was added last.
  EXPECT_LT(r.Out.find("TEllipticNode"), r.Out.find("TGraphLink"));
}

TEST_F(GraphToolTest, ResaveWritesTheSameBytesIncludingCustomData) {
  const fs::path in = WriteSample();
  const fs::path out = Dir / "copy.Screen";
  const TRun r = Run("resave " + Quoted(in) + " " + Quoted(out));
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(ReadFile(out), ReadFile(in));
}

TEST_F(GraphToolTest, RenderWritesAPngOfThePaintBoundsSizeOrAnSvg) {
  TGraphControl graph;
  TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {10, 10, 110, 60});
  const fs::path in = Dir / "one.Screen";
  graph.SaveToFile(in.string());
  const fs::path png = Dir / "one.png";
  TRun r = Run("render " + Quoted(in) + " " + Quoted(png));
  ASSERT_EQ(r.Status, 0) << r.Err;
  const std::string bytes = ReadFile(png);
  ASSERT_GE(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
           (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
  };
  EXPECT_EQ(be32(16), 101u);
  EXPECT_EQ(be32(20), 51u);

  const fs::path svg = Dir / "one.svg";
  r = Run("render " + Quoted(in) + " " + Quoted(svg));
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(ReadFile(svg).find("<svg"), std::string::npos);
}

TEST_F(GraphToolTest, FailuresPrintAMessageAndExitWithOne) {
  const fs::path missing = Dir / "missing.Screen";
  TRun r = Run("dump " + Quoted(missing));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("kann nicht geöffnet werden"), std::string::npos) << r.Err;
  EXPECT_TRUE(r.Out.empty());

  std::ofstream(Dir / "bad.Screen", std::ios::binary) << "not a diagram";
  r = Run("dump " + Quoted(Dir / "bad.Screen"));
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Invalid stream content"), std::string::npos) << r.Err;

  r = Run("render " + Quoted(WriteSample()) + " " + Quoted(Dir / "out.gif"));
  EXPECT_EQ(r.Status, 1);
  EXPECT_FALSE(fs::exists(Dir / "out.gif"));

  r = Run("frobnicate");
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("usage"), std::string::npos);
}

}  // namespace
}  // namespace gc
