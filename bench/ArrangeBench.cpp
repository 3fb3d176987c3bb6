// Arranging a whole diagram with ArrangeDiagram: N rectangular nodes and
// 1.5 N links (a random tree, each node hanging from one of the 50 made
// before it, plus cross links to one of the next 30 nodes; seeded), top-down
// and with the multilevel spring model. The time covers the Graphviz layout and routing and
// placing every node and link as one undo step; building the diagram is not
// timed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "layout/DiagramLayout.h"

namespace {

using namespace gc;

std::unique_ptr<TGraphControl> Diagram(int64_t nodes) {
  auto graph = std::make_unique<TGraphControl>();
  std::mt19937 random(7);
  std::vector<TGraphNode*> made;
  made.reserve(static_cast<size_t>(nodes));
  for (int64_t i = 0; i < nodes; ++i) {
    const int32_t w = 40 + static_cast<int32_t>(i % 5) * 10;
    made.push_back(TGraphNode::CreateWithBounds<TRectangularNode>(graph.get(), {0, 0, w, 30}));
  }
  for (int64_t i = 1; i < nodes; ++i) {
    std::uniform_int_distribution<int64_t> parent(std::max<int64_t>(0, i - 50), i - 1);
    TGraphLink::CreateNew(graph.get(), made[static_cast<size_t>(parent(random))], {},
                          made[static_cast<size_t>(i)]);
  }
  std::uniform_int_distribution<int64_t> any(0, nodes - 2);
  std::uniform_int_distribution<int64_t> near(1, 30);
  for (int64_t k = 0; k < nodes / 2 + 1; ++k) {
    const int64_t a = any(random);
    const int64_t b = std::min(nodes - 1, a + near(random));
    TGraphLink::CreateNew(graph.get(), made[static_cast<size_t>(a)], {}, made[static_cast<size_t>(b)]);
  }
  graph->ClearHistory();
  return graph;
}

void Arrange(benchmark::State& state, TArrangeStyle style) {
  GraphControlStartup();
  for (auto _ : state) {
    state.PauseTiming();
    auto graph = Diagram(state.range(0));
    state.ResumeTiming();
    TArrangeOptions options;
    options.Style = style;
    benchmark::DoNotOptimize(ArrangeDiagram(*graph, options));
    state.PauseTiming();
    graph.reset();
    state.ResumeTiming();
  }
  state.counters["links"] = static_cast<double>(state.range(0) * 3 / 2);
  GraphControlShutdown();
}

void BM_ArrangeTopDown(benchmark::State& state) { Arrange(state, asTopDown); }
void BM_ArrangeSpring(benchmark::State& state) { Arrange(state, asSpring); }

BENCHMARK(BM_ArrangeTopDown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ArrangeSpring)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
