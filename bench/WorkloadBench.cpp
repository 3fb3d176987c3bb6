// The shared workload of the comparison with a retained-mode scene of
// another toolkit (bench/compare.sh): N rectangular 40 x 20 nodes with a
// caption "Node i" at pseudo-random integer positions inside 0..side,
// side = sqrt(N) * 60, so the density is the same for every N. The control
// runs with its real Qt canvas: captions are measured by the Qt measuring
// canvas and painting goes through TQtCanvas into an 800 x 600 image. The
// mutated diagrams are shown by a (hidden) TGraphWidget, as in a program,
// and work the host defers to the event loop is included ("settle").
//
// The benchmark names, sizes, seeds, points, band squares and view
// rectangles are those of the other program, so compare.sh can pair them.
// The other program keeps no undo history, so by default neither does the
// control here; GC_WORKLOAD_HISTORY=1 measures it with its default history.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtMeasuringCanvas.h"

namespace {

using namespace gc;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

constexpr int NodeWidth = 40;
constexpr int NodeHeight = 20;

// mt19937's raw output is fixed by the standard; reduced modulo, the
// positions are the same with every standard library.
struct TRng {
  std::mt19937 Gen;
  explicit TRng(unsigned seed) : Gen(seed) {}
  int Below(int n) { return static_cast<int>(Gen() % static_cast<unsigned>(n)); }
};

struct TDiagram {
  std::unique_ptr<TGraphControl> Graph;
  std::unique_ptr<qt::TGraphWidget> View;
  std::vector<TGraphNode*> Nodes;
  int Side = 0;
};

// What a program does on returning to its event loop: the host's deferred
// work runs, and one tiny area question makes the spatial index take in
// the changes it queued, as the other program's settle does with its index.
void Settle(TGraphControl& graph) {
  QCoreApplication::processEvents();
  std::vector<TGraphObject*> found;
  graph.ObjectsInRect({0, 0, 1, 1}, found);
  benchmark::DoNotOptimize(found.data());
}

const bool WithHistory = [] {
  const char* value = std::getenv("GC_WORKLOAD_HISTORY");
  return value && *value && std::string(value) != "0";
}();

// A control of this run: with the default undo history, or with none.
void PrepareControl(TGraphControl& graph) {
  if (!WithHistory) graph.SetHistoryLimit(0);
}

TColor NodeColor(int i) {
  const QColor c = QColor::fromHsv((i * 37) % 360, 60, 240);
  return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

// A new diagram with n nodes, created in one update lock.
TDiagram AddNodes(int n) {
  TDiagram d;
  d.Side = static_cast<int>(std::sqrt(static_cast<double>(n)) * 60.0);
  d.Graph = std::make_unique<TGraphControl>();
  PrepareControl(*d.Graph);
  d.Graph->SetShowGrid(false);
  d.View = std::make_unique<qt::TGraphWidget>(d.Graph.get());
  d.Nodes.reserve(static_cast<size_t>(n));
  TRng rng(12345);
  TGraphControl::TUpdateLock lock(*d.Graph);
  for (int i = 0; i < n; ++i) {
    const int x = rng.Below(d.Side - NodeWidth + 1);
    const int y = rng.Below(d.Side - NodeHeight + 1);
    auto* node =
        TGraphNode::CreateWithBounds<TRectangularNode>(d.Graph.get(), {x, y, x + NodeWidth, y + NodeHeight});
    node->Brush().SetColor(NodeColor(i));
    node->SetText("Node " + std::to_string(i));
    d.Nodes.push_back(node);
  }
  return d;
}

TDiagram MakeDiagram(int n) {
  TDiagram d = AddNodes(n);
  Settle(*d.Graph);
  return d;
}

// Read-only benchmarks share one diagram per size, built untimed. Nodes lay
// their captions out when first shown or hit; here every caption is laid
// out beforehand, as the other program's are, so that the hit tests and
// paints measure steady use rather than first sight.
TDiagram& Shared(int n) {
  static std::map<int, TDiagram> shared;
  auto it = shared.find(n);
  if (it == shared.end()) {
    it = shared.emplace(n, MakeDiagram(n)).first;
    for (TGraphNode* node : it->second.Nodes) node->EnsureCaptionLayout();
  }
  return it->second;
}

void BM_Insert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double settle = 0, teardown = 0;
  for (auto _ : state) {
    TDiagram d = AddNodes(n);
    const auto t0 = Clock::now();
    Settle(*d.Graph);
    settle += Seconds(Clock::now() - t0);
    state.PauseTiming();
    const auto t1 = Clock::now();
    d.View.reset();
    d.Graph.reset();
    teardown += Seconds(Clock::now() - t1);
    state.ResumeTiming();
  }
  using C = benchmark::Counter;
  state.counters["settle_ms"] = C(settle * 1e3, C::kAvgIterations);
  state.counters["teardown_ms"] = C(teardown * 1e3, C::kAvgIterations);
}

void BM_HitTest(benchmark::State& state) {
  TDiagram& d = Shared(static_cast<int>(state.range(0)));
  std::vector<TPoint> points;
  TRng rng(777);
  for (int i = 0; i < 10000; ++i) {
    const int x = rng.Below(d.Side);
    points.push_back({x, rng.Below(d.Side)});
  }
  size_t i = 0;
  int hits = 0;
  for (auto _ : state) {
    hits += d.Graph->ObjectAtPoint(points[i]) != nullptr;
    i = (i + 1) % points.size();
  }
  state.counters["hit_ratio"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

// The band is the square of the other program, its edges rounded outward.
TRect Band(const TDiagram& d, int percent) {
  const double w = d.Side * std::sqrt(percent / 100.0);
  const double left = d.Side / 2.0 - w / 2;
  return {static_cast<int32_t>(std::floor(left)), static_cast<int32_t>(std::floor(left)),
          static_cast<int32_t>(std::ceil(left + w)), static_cast<int32_t>(std::ceil(left + w))};
}

// The query under the rubber band: the objects overlapping it.
void BM_RubberBand(benchmark::State& state) {
  TDiagram& d = Shared(static_cast<int>(state.range(0)));
  const TRect band = Band(d, static_cast<int>(state.range(1)));
  std::vector<TGraphObject*> found;
  for (auto _ : state) {
    found.clear();
    d.Graph->ObjectsInRect(band, found);
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["found"] = static_cast<double>(found.size());
}

// Selecting with the band and clearing the selection again.
void BM_RubberBandSelect(benchmark::State& state) {
  TDiagram& d = Shared(static_cast<int>(state.range(0)));
  const TRect band = Band(d, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    d.Graph->SelectObjectsInRect(band, false);
    d.Graph->SelectedObjects().Clear();
  }
}

// range(1) = 0: an 800 x 600 view at 100 % in the middle of the populated
// area; 1: the whole area at the largest zoom that fits 800 x 600.
void BM_Paint(benchmark::State& state) {
  TDiagram& d = Shared(static_cast<int>(state.range(0)));
  TGraphControl& graph = *d.Graph;
  const bool fitted = state.range(1) != 0;
  const int32_t zoom = fitted ? std::clamp(600 * 100 / d.Side, MinZoom, MaxZoom) : 100;
  graph.SetZoom(zoom);
  const TPoint origin = fitted ? TPoint{} : TPoint{d.Side / 2 - 400, d.Side / 2 - 300};
  QImage image(800, 600, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    qt::TQtCanvas canvas(&painter);
    graph.ApplyViewMapping(canvas, origin);
    graph.Paint(canvas);
  }
  graph.SetZoom(100);
  state.counters["zoom"] = zoom;
}

void BM_Move(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TDiagram d = MakeDiagram(n);
  std::vector<TGraphNode*> group;
  for (int i = 0; i < 1000; ++i)
    group.push_back(d.Nodes[static_cast<size_t>(i) * static_cast<size_t>(n / 1000)]);
  double settle = 0;
  for (auto _ : state) {
    {
      TGraphControl::TUpdateLock lock(*d.Graph);
      for (TGraphNode* node : group) node->MoveBy(3, 2);
    }
    const auto t0 = Clock::now();
    Settle(*d.Graph);
    settle += Seconds(Clock::now() - t0);
  }
  using C = benchmark::Counter;
  state.counters["settle_us"] = C(settle * 1e6, C::kAvgIterations);
}

// One node moved without an update lock.
void BM_MoveOne(benchmark::State& state) {
  TDiagram& d = Shared(static_cast<int>(state.range(0)));
  TGraphNode* node = d.Nodes[d.Nodes.size() / 2];
  int32_t step = 1;
  for (auto _ : state) {
    node->MoveBy(step, step);
    step = -step;
  }
}

// Every node deleted one by one without an update lock, last inserted first.
void BM_RemoveAll(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double settle = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TDiagram d = MakeDiagram(n);
    state.ResumeTiming();
    for (auto it = d.Nodes.rbegin(); it != d.Nodes.rend(); ++it) (*it)->Delete();
    const auto t0 = Clock::now();
    Settle(*d.Graph);
    settle += Seconds(Clock::now() - t0);
    state.PauseTiming();
    d.View.reset();
    d.Graph.reset();
    state.ResumeTiming();
  }
  using C = benchmark::Counter;
  state.counters["settle_ms"] = C(settle * 1e3, C::kAvgIterations);
}

// The diagram with n / 2 links, each joining two consecutive nodes.
TMemoryStream SavedDiagram(int n) {
  TDiagram d = MakeDiagram(n);
  {
    TGraphControl::TUpdateLock lock(*d.Graph);
    for (size_t i = 0; i + 1 < d.Nodes.size(); i += 2)
      TGraphLink::CreateNew(d.Graph.get(), d.Nodes[i], {}, d.Nodes[i + 1]);
  }
  TMemoryStream stream;
  d.Graph->SaveToStream(stream);
  return stream;
}

void BM_Load(benchmark::State& state) {
  const TMemoryStream saved = SavedDiagram(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TGraphControl graph;
    PrepareControl(graph);
    TMemoryStream stream(saved.Bytes());
    graph.LoadFromStream(stream);
    state.PauseTiming();
    graph.Clear();
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(saved.Size());
}

void BM_Save(benchmark::State& state) {
  const TMemoryStream saved = SavedDiagram(static_cast<int>(state.range(0)));
  TGraphControl graph;
  PrepareControl(graph);
  TMemoryStream source(saved.Bytes());
  graph.LoadFromStream(source);
  for (auto _ : state) {
    TMemoryStream stream;
    graph.SaveToStream(stream);
    benchmark::DoNotOptimize(stream.Size());
  }
}

using benchmark::kMicrosecond;
using benchmark::kMillisecond;
const std::vector<int64_t> Sizes = {1000, 10000, 100000};

BENCHMARK(BM_Insert)->ArgsProduct({Sizes})->Unit(kMillisecond);
BENCHMARK(BM_HitTest)->ArgsProduct({Sizes, {0}})->Iterations(10000)->Unit(kMicrosecond);
BENCHMARK(BM_RubberBand)->ArgsProduct({Sizes, {1, 25}, {1}})->Unit(kMicrosecond);
BENCHMARK(BM_RubberBandSelect)->ArgsProduct({Sizes, {1, 25}})->Unit(kMicrosecond);
BENCHMARK(BM_Paint)->ArgsProduct({Sizes, {0, 1}})->Unit(kMillisecond);
BENCHMARK(BM_Move)->ArgsProduct({Sizes})->Iterations(100)->Unit(kMicrosecond);
BENCHMARK(BM_MoveOne)->ArgsProduct({Sizes})->Unit(kMicrosecond);
BENCHMARK(BM_RemoveAll)->ArgsProduct({Sizes})->Unit(kMillisecond);
BENCHMARK(BM_Load)->ArgsProduct({Sizes})->Unit(kMillisecond);
BENCHMARK(BM_Save)->ArgsProduct({Sizes})->Unit(kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  GraphControlStartup();
  qt::InstallQtPlatform();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  qt::UninstallQtPlatform();
  return 0;
}
