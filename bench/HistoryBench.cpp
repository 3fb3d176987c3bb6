// Costs of the undo history in loaded diagrams of 1,000 and 100,000
// rectangles with captions: recording a one-node move and a caption edit
// (which must not grow with the diagram), undoing and redoing a move, and
// what keeping the history adds to a load (it keeps the committed state of
// every object).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"

namespace {

using namespace gc;

std::vector<uint8_t> DiagramFile(int64_t nodes) {
  GraphControlStartup();
  TGraphControl builder;
  builder.SetHistoryLimit(0);
  TGraphControl::TUpdateLock lock(builder);
  for (int64_t i = 0; i < nodes; ++i) {
    const auto x = static_cast<int32_t>((i % 250) * 100);
    const auto y = static_cast<int32_t>((i / 250) * 60);
    auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&builder, {x, y, x + 80, y + 40});
    node->SetText("Node " + std::to_string(i));
  }
  TMemoryStream file;
  builder.SaveToStream(file);
  return file.Bytes();
}

std::unique_ptr<TGraphControl> LoadedDiagram(int64_t nodes) {
  auto graph = std::make_unique<TGraphControl>();
  TMemoryStream file(DiagramFile(nodes));
  graph->LoadFromStream(file);
  return graph;
}

// Each move outside an update lock is one step of the history; the second
// argument turns the history on (1) or off (0), so the difference is what
// recording costs.
void BM_RecordOneNodeMove(benchmark::State& state) {
  auto graph = LoadedDiagram(state.range(0));
  if (state.range(1) == 0) graph->SetHistoryLimit(0);
  TGraphObject* node = graph->Objects()[graph->Objects().Count() / 2];
  int32_t dx = 1;
  for (auto _ : state) {
    node->MoveBy(dx, 0);
    dx = -dx;
  }
  state.counters["steps"] = static_cast<double>(graph->UndoCount());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordOneNodeMove)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMicrosecond);

// The same for a caption edit, which leaves the diagram's extent alone: what
// remains is the change protocol and the history.
void BM_RecordOneTextChange(benchmark::State& state) {
  auto graph = LoadedDiagram(state.range(0));
  if (state.range(1) == 0) graph->SetHistoryLimit(0);
  TGraphObject* node = graph->Objects()[graph->Objects().Count() / 2];
  bool flip = false;
  for (auto _ : state) {
    node->SetText(flip ? "a" : "b");
    flip = !flip;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordOneTextChange)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_UndoRedoOneNodeMove(benchmark::State& state) {
  auto graph = LoadedDiagram(state.range(0));
  graph->Objects()[graph->Objects().Count() / 2]->MoveBy(5, 5);
  for (auto _ : state) {
    graph->Undo();
    graph->Redo();
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_UndoRedoOneNodeMove)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Loading with the history on and off (HistoryLimit 0); "heap" is what the
// loaded diagram holds on the heap, the history's baseline included.
void BM_LoadWithHistory(benchmark::State& state) {
  const std::vector<uint8_t> bytes = DiagramFile(state.range(0));
  const bool history = state.range(1) != 0;
  size_t heap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const size_t before = mallinfo2().uordblks;
    auto graph = std::make_unique<TGraphControl>();
    if (!history) graph->SetHistoryLimit(0);
    TMemoryStream file(bytes);
    state.ResumeTiming();
    graph->LoadFromStream(file);
    state.PauseTiming();
    heap = mallinfo2().uordblks - before - bytes.size();
    graph.reset();
    state.ResumeTiming();
  }
  state.counters["heap"] = static_cast<double>(heap);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadWithHistory)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
