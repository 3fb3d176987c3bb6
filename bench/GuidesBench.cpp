// The cost of a mouse drag with smart guides among many objects: N captioned
// 40 x 20 nodes at the workload's density (bench/WorkloadBench.cpp), an
// 800 x 600 window, one node pressed and moved 100 times by (3, 2) pixels,
// then released, with the guides off and on, at 100 % and at 10 % (where
// about a hundred times as many nodes are in view). Each move is one item.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "support/FakeHost.h"

namespace {

using namespace gc;

constexpr int MovesPerDrag = 100;

struct TDiagram {
  TFakeHost Host;
  std::unique_ptr<TGraphControl> Graph;
  TGraphNode* Dragged = nullptr;

  explicit TDiagram(int n) : Graph(std::make_unique<TGraphControl>()) {
    static const bool started = [] {
      GraphControlStartup();
      return true;
    }();
    (void)started;
    Graph->SetHistoryLimit(0);
    Graph->SetSnapToGrid(false);
    Host.HorzShown = Host.VertShown = true;
    Graph->SetHost(&Host);
    const int side = static_cast<int>(std::sqrt(static_cast<double>(n)) * 60.0);
    std::mt19937 rng(12345);
    {
      TGraphControl::TUpdateLock lock(*Graph);
      for (int i = 0; i < n; ++i) {
        const int x = static_cast<int>(rng() % static_cast<unsigned>(side - 39));
        const int y = static_cast<int>(rng() % static_cast<unsigned>(side - 19));
        auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(Graph.get(), {x, y, x + 40, y + 20});
        node->SetText("Node " + std::to_string(i));
      }
    }
    // The node dragged sits in the middle of the diagram, on top, and the
    // view is centred on it.
    const int middle = side / 2;
    Dragged = TGraphNode::CreateWithBounds<TRectangularNode>(Graph.get(),
                                                             {middle, middle, middle + 40, middle + 20});
  }
  ~TDiagram() { Graph->SetHost(nullptr); }
};

void BM_GuidedDrag(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool guides = state.range(1) != 0;
  const int zoom = static_cast<int>(state.range(2));
  TDiagram d(n);
  d.Graph->SetSmartGuides(guides);
  d.Graph->SetZoom(zoom);
  d.Graph->CenterView(d.Dragged->GetBoundsRect());
  int direction = 1;
  int64_t snapped = 0;
  for (auto _ : state) {
    const TRect r = d.Dragged->GetBoundsRect();
    TPoint p = d.Graph->GraphToClient((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    d.Graph->MouseDown(TMouseButton::mbLeft, ssLeft, p.X, p.Y);
    for (int i = 0; i < MovesPerDrag; ++i) {
      p = {p.X + 3 * direction, p.Y + 2 * direction};
      d.Graph->MouseMove(ssLeft, p.X, p.Y);
      snapped += !d.Graph->GuideLines().empty();
    }
    d.Graph->MouseUp(TMouseButton::mbLeft, 0, p.X, p.Y);
    direction = -direction;
  }
  state.SetItemsProcessed(state.iterations() * MovesPerDrag);
  state.counters["guided"] =
      benchmark::Counter(static_cast<double>(snapped) / (state.iterations() * MovesPerDrag));
}
BENCHMARK(BM_GuidedDrag)
    ->ArgNames({"n", "guides", "zoom"})
    ->ArgsProduct({{10000, 100000}, {0, 1}, {100, 10}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
