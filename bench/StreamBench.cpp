// Saving and loading whole diagrams: n rectangles with captions and n / 2
// links between neighbours, for 10,000 and 100,000 nodes. Loading should grow
// linearly with the diagram. The file size is reported as a counter.
#include <benchmark/benchmark.h>

#include <memory>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"

namespace {

using namespace gc;

std::unique_ptr<TGraphControl> MakeDiagram(int64_t nodes) {
  GraphControlStartup();
  auto graph = std::make_unique<TGraphControl>();
  TGraphControl::TUpdateLock lock(*graph);
  std::vector<TGraphObject*> created;
  created.reserve(static_cast<size_t>(nodes));
  for (int64_t i = 0; i < nodes; ++i) {
    const auto x = static_cast<int32_t>((i % 1000) * 100);
    const auto y = static_cast<int32_t>((i / 1000) * 60);
    auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(graph.get(), {x, y, x + 80, y + 40});
    node->SetText("Node " + std::to_string(i));
    created.push_back(node);
  }
  for (int64_t i = 0; i + 1 < nodes; i += 2)
    TGraphLink::CreateNew(graph.get(), created[static_cast<size_t>(i)], {},
                          created[static_cast<size_t>(i + 1)]);
  return graph;
}

void BM_SaveDiagram(benchmark::State& state) {
  auto graph = MakeDiagram(state.range(0));
  int64_t size = 0;
  for (auto _ : state) {
    TMemoryStream stream;
    graph->SaveToStream(stream);
    size = stream.Size();
  }
  state.counters["bytes"] = static_cast<double>(size);
  state.SetItemsProcessed(state.iterations() * state.range(0) * 3 / 2);
}
BENCHMARK(BM_SaveDiagram)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadDiagram(benchmark::State& state) {
  TMemoryStream saved;
  MakeDiagram(state.range(0))->SaveToStream(saved);
  for (auto _ : state) {
    TGraphControl graph;
    TMemoryStream stream(saved.Bytes());
    graph.LoadFromStream(stream);
    state.PauseTiming();
    graph.Clear();
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(saved.Size());
  state.SetItemsProcessed(state.iterations() * state.range(0) * 3 / 2);
}
BENCHMARK(BM_LoadDiagram)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
