#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "support/CaseName.h"
#include "support/FakeHost.h"

namespace gc {
namespace {

// The wheel, the pinch and typed keys as any host hands them over: the
// control alone decides what they do.
class ControlWheelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { GraphControlStartup(); }
  static void TearDownTestSuite() { GraphControlShutdown(); }

  void SetUp() override {
    Host.HorzShown = true;
    Host.VertShown = true;
    Graph.SetHost(&Host);
    Graph.AddNode({3000, 3000, 3040, 3040}, TRectangularNode::StaticClass());
    Graph.CalcScrollRanges();
    Graph.HorzScrollBar().SetIncrement(10);
    Graph.VertScrollBar().SetIncrement(10);
  }
  void TearDown() override { Graph.SetHost(nullptr); }

  TPoint Positions() const { return {Graph.HorzScrollBar().Position(), Graph.VertScrollBar().Position()}; }

  // The event log outlives the control, whose destruction still reports.
  std::vector<std::string> Log;
  TFakeHost Host;
  TGraphControl Graph;
};

// Each axis keeps its own part of a line; turns too large for any diagram
// stop at the ends of the bars and of the zoom range.
TEST_F(ControlWheelTest, EachAxisKeepsItsOwnPartOfALineAndHugeTurnsStopAtTheEnds) {
  Graph.SetWheelScrollLines(1);
  Graph.MouseWheel(0, {-60, -90}, {}, {100, 100});
  EXPECT_EQ(Positions(), (TPoint{0, 0}));
  Graph.MouseWheel(0, {-60, -60}, {}, {100, 100});
  EXPECT_EQ(Positions(), (TPoint{10, 10}));
  Graph.MouseWheel(0, {0, -90}, {}, {100, 100});
  EXPECT_EQ(Positions(), (TPoint{10, 20}));

  Graph.MouseWheel(0, {0, INT_MIN}, {}, {100, 100});
  EXPECT_EQ(Graph.VertScrollBar().Position(), Graph.VertScrollBar().MaxPosition());
  Graph.MouseWheel(ssShift, {0, INT_MAX}, {}, {100, 100});
  EXPECT_EQ(Graph.HorzScrollBar().Position(), 0);
  Graph.MouseWheel(ssCtrl, {0, INT_MAX}, {}, {100, 100});
  EXPECT_EQ(Graph.Zoom(), MaxZoom);
  Graph.MouseWheel(ssCtrl, {0, INT_MIN}, {}, {100, 100});
  EXPECT_EQ(Graph.Zoom(), MinZoom);
}

// A pinch zooms by its change of scale, keeping the graph point under its
// centre in place; values no pinch gives change nothing or stop at the range.
TEST_F(ControlWheelTest, PinchZoomsByItsChangeOfScaleAroundItsCentre) {
  // Scrolled so that the centre can stay on its graph point while zooming in and out.
  Graph.HorzScrollBar().SetPosition(1000);
  Graph.VertScrollBar().SetPosition(1000);
  EXPECT_EQ(Graph.ClientToGraph(200, 150), (TPoint{1200, 1150}));
  struct TStep {
    double ScaleDelta;
    int32_t Zoom;
  };
  const TStep steps[] = {{0.5, 150}, {-0.2, 120}, {0.004, 120}, {std::nan(""), 120}, {1e300, MaxZoom}};
  for (const TStep& step : steps) {
    Graph.Pinch(step.ScaleDelta, {200, 150});
    EXPECT_EQ(Graph.Zoom(), step.Zoom) << step.ScaleDelta;
    EXPECT_EQ(Graph.ClientToGraph(200, 150), (TPoint{1200, 1150})) << step.ScaleDelta;
  }
  Graph.Pinch(-5.0, {200, 150});
  EXPECT_EQ(Graph.Zoom(), MinZoom);
}

struct TKeyCase {
  const char* Name;
  uint16_t Key;
  std::u32string Text;
  bool OnKeyDownConsumes;
  bool OnKeyPressConsumes;
  std::vector<std::string> Log;
  bool Consumed;
};

class ControlKeyOrderTest : public ControlWheelTest, public ::testing::WithParamInterface<TKeyCase> {};

// The key map first; OnKeyDown only for keys it left; OnKeyPress only for
// printable characters of keys OnKeyDown left.
TEST_P(ControlKeyOrderTest, KeyMapThenOnKeyDownThenOnKeyPress) {
  const TKeyCase& c = GetParam();
  Graph.OnKeyDown = [this, &c](TGraphControl*, uint16_t& key, TShiftState) {
    Log.push_back("down " + std::to_string(key));
    if (c.OnKeyDownConsumes) key = 0;
  };
  Graph.OnKeyPress = [this, &c](TGraphControl*, char32_t& ch) {
    Log.push_back("press " + std::to_string(static_cast<uint32_t>(ch)));
    if (c.OnKeyPressConsumes) ch = 0;
  };
  Graph.OnObjectSelect = [this](TGraphControl*, TGraphObject*) { Log.push_back("select"); };
  EXPECT_EQ(Graph.KeyPressed(c.Key, 0, c.Text), c.Consumed);
  EXPECT_EQ(Log, c.Log);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ControlKeyOrderTest,
    ::testing::Values(
        TKeyCase{"KeyMapTakesTab", VK_TAB, U"\t", false, false, {"select"}, true},
        TKeyCase{"LetterGoesOnAndTypes", 'A', U"a", false, false, {"down 65", "press 97"}, false},
        TKeyCase{"OnKeyDownConsumesTheLetter", 'A', U"a", true, false, {"down 65"}, true},
        TKeyCase{"ControlCharactersTypeNothing", VK_RETURN, U"\r\x7F", false, true, {"down 13"}, false},
        TKeyCase{
            "KeyWithoutCodeOnlyTypes", 0, U"\u00E9\u0301", false, true, {"press 233", "press 769"}, true}),
    test::TCaseName());

}  // namespace
}  // namespace gc
