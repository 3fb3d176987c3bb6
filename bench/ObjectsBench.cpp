// Costs of the object registry: inserting objects one at a time, finding them
// by identifier and visiting them, for 10,000 and 100,000 objects.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "GraphControl/Control.h"
#include "support/TestObjects.h"

namespace {

using gc::TGraphControl;
using gc::TRect;
using gc::test::TTestNode;

void Fill(TGraphControl& graph, int64_t n) {
  for (int64_t i = 0; i < n; ++i) {
    const int32_t x = static_cast<int32_t>((i % 1000) * 20);
    const int32_t y = static_cast<int32_t>((i / 1000) * 20);
    TTestNode::Create(&graph, TRect{x, y, x + 16, y + 16});
  }
}

void BM_InsertObjects(benchmark::State& state) {
  for (auto _ : state) {
    auto graph = std::make_unique<TGraphControl>();
    Fill(*graph, state.range(0));
    state.PauseTiming();
    graph.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InsertObjects)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ObjectByID(benchmark::State& state) {
  TGraphControl graph;
  Fill(graph, state.range(0));
  std::mt19937 random(1);
  std::uniform_int_distribution<uint32_t> id(1, static_cast<uint32_t>(state.range(0)));
  std::vector<uint32_t> ids(4096);
  for (uint32_t& v : ids) v = id(random);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(graph.ObjectByID(ids[i++ & 4095]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObjectByID)->Arg(10000)->Arg(100000);

void BM_VisitObjects(benchmark::State& state) {
  TGraphControl graph;
  Fill(graph, state.range(0));
  for (auto _ : state) {
    int64_t sum = 0;
    graph.VisitObjects(
        [&](gc::TGraphObject* o, int32_t) {
          sum += o->ID();
          return true;
        },
        0, false);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_VisitObjects)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
