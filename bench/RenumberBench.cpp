// Reading object blocks whose identifiers must be renumbered: every record
// holding the same identifier, records without an identifier, and a diagram
// read into itself (every identifier clashes with an existing object, and the
// links among the read objects follow their ends). Each should grow linearly
// with the number of records.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"

namespace {

using namespace gc;
using TBytes = std::vector<uint8_t>;

// The object record of one rectangle with identifier 1, as a saved file holds
// it (the bytes after the signature and the object count).
TBytes OneRecord(bool withID) {
  GraphControlStartup();
  TGraphControl graph;
  TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {0, 0, 80, 40})->SetText("Node");
  TMemoryStream saved;
  graph.WriteObjects(saved, graph.Objects());
  TBytes record(saved.Bytes().begin() + 4, saved.Bytes().end());
  if (!withID) {
    const TBytes id{2, 'I', 'D', 2, 1};
    auto at = std::search(record.begin(), record.end(), id.begin(), id.end());
    record.erase(at, at + static_cast<std::ptrdiff_t>(id.size()));
  }
  return record;
}

// An object block of `count` copies of `record`.
TBytes Block(const TBytes& record, int64_t count) {
  TBytes block(4);
  for (int i = 0; i < 4; ++i) block[static_cast<size_t>(i)] = static_cast<uint8_t>(count >> (8 * i));
  block.reserve(4 + record.size() * static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) block.insert(block.end(), record.begin(), record.end());
  return block;
}

void ReadBlock(benchmark::State& state, const TBytes& block, TGraphControl& graph) {
  const int32_t before = graph.Objects().Count();
  TMemoryStream stream(block);
  graph.ReadObjects(stream);
  state.PauseTiming();
  {
    TGraphControl::TUpdateLock lock(graph);
    while (graph.Objects().Count() > before) graph.Objects().Delete(graph.Objects().Count() - 1);
  }
  state.ResumeTiming();
}

void BM_ReadRepeatedIdentifier(benchmark::State& state) {
  const TBytes block = Block(OneRecord(true), state.range(0));
  TGraphControl graph;
  for (auto _ : state) ReadBlock(state, block, graph);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadRepeatedIdentifier)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadWithoutIdentifiers(benchmark::State& state) {
  const TBytes block = Block(OneRecord(false), state.range(0));
  TGraphControl graph;
  for (auto _ : state) ReadBlock(state, block, graph);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadWithoutIdentifiers)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// n / 2 nodes and n / 2 links between neighbours, read into the diagram they
// were saved from.
void BM_ReadDiagramIntoItself(benchmark::State& state) {
  GraphControlStartup();
  TGraphControl graph;
  {
    TGraphControl::TUpdateLock lock(graph);
    TGraphObject* previous = nullptr;
    for (int64_t i = 0; i < state.range(0) / 2; ++i) {
      const auto x = static_cast<int32_t>((i % 1000) * 100);
      const auto y = static_cast<int32_t>((i / 1000) * 60);
      TGraphObject* node = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {x, y, x + 80, y + 40});
      if (previous) TGraphLink::CreateNew(&graph, previous, {}, node);
      previous = node;
    }
  }
  TMemoryStream saved;
  graph.WriteObjects(saved, graph.Objects());
  for (auto _ : state) ReadBlock(state, saved.Bytes(), graph);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadDiagramIntoItself)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
