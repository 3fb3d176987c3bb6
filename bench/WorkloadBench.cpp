// The shared workload of the comparison with a retained-mode scene of
// another toolkit (bench/compare.sh): N rectangular 40 x 20 nodes with a
// caption "Node i" at pseudo-random integer positions inside 0..side,
// side = sqrt(N) * 60, so the density is the same for every N. The nodes'
// Margin is 2, the other program's text offset, so every caption has room to
// show (the counter "captions" counts the nodes whose caption shows). The
// control runs with its real Qt canvas: captions are measured by the Qt
// measuring canvas and painting goes through TQtCanvas into an 800 x 600
// image. The mutated diagrams are shown by a (hidden) TGraphWidget, as in a
// program, and work the host defers to the event loop is included ("settle").
//
// The benchmark names, seeds, points, band squares and view rectangles are
// those of the other program, so compare.sh can pair them. The sizes are
// 1,000, 10,000 and 100,000, or the list in GC_WORKLOAD_SIZES (for example
// "1000,1000000"). The other program keeps no undo history, so by default
// neither does the control here; GC_WORKLOAD_HISTORY=1 measures it with its
// default history.
//
// The BM_Widget benchmarks drive a shown 800 x 600 TGraphWidget with mouse
// and wheel events and time each event up to its finished repaint; the
// program bench_qgraphics_workload does the same on a QGraphicsView.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "WidgetEvents.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtPlatform.h"

namespace {

using namespace gc;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

constexpr int NodeWidth = 40;
constexpr int NodeHeight = 20;
// The other program draws its captions 2 units inside the node.
constexpr int NodeMargin = 2;

// Bytes the program holds on the heap now.
double HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

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
    node->SetMargin(NodeMargin);
    node->SetText("Node " + std::to_string(i));
    d.Nodes.push_back(node);
  }
  return d;
}

// Nodes lay their captions out when first shown or hit; the other
// program's text items lay theirs out when created. This lays out every
// caption and returns how many show a text.
int LayOutCaptions(const TDiagram& d) {
  int shown = 0;
  for (TGraphNode* node : d.Nodes) {
    node->EnsureCaptionLayout();
    shown += !node->DisplayText().empty() && !node->CaptionRect().IsEmpty();
  }
  return shown;
}

TDiagram MakeDiagram(int n) {
  TDiagram d = AddNodes(n);
  Settle(*d.Graph);
  return d;
}

// Read-only benchmarks share one diagram per size, built untimed, with
// every caption laid out, as the other program's are, so that the hit
// tests and paints measure steady use rather than first sight.
// (They go before the application does.)
std::map<int, TDiagram>* SharedDiagrams = nullptr;

TDiagram& Shared(int n) {
  std::map<int, TDiagram>& shared = *SharedDiagrams;
  auto it = shared.find(n);
  if (it == shared.end()) {
    it = shared.emplace(n, MakeDiagram(n)).first;
    LayOutCaptions(it->second);
  }
  return it->second;
}

// range(1) = 1: every caption laid out in the insert, as the other program
// does; 0: captions left to be laid out when first shown. Counters: the
// settle and caption shares, the heap bytes per node the diagram holds,
// and the captions shown.
void BM_Insert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool layOut = state.range(1) != 0;
  double settle = 0, captions = 0, teardown = 0, bytes = 0;
  int shown = 0;
  for (auto _ : state) {
    const double heap = HeapBytes();
    TDiagram d = AddNodes(n);
    const auto t0 = Clock::now();
    Settle(*d.Graph);
    const auto t1 = Clock::now();
    if (layOut) shown = LayOutCaptions(d);
    const auto t2 = Clock::now();
    settle += Seconds(t1 - t0);
    captions += Seconds(t2 - t1);
    state.PauseTiming();
    if (!layOut) shown = LayOutCaptions(d);
    bytes += (HeapBytes() - heap) / n;
    const auto t3 = Clock::now();
    d.View.reset();
    d.Graph.reset();
    teardown += Seconds(Clock::now() - t3);
    state.ResumeTiming();
  }
  using C = benchmark::Counter;
  state.counters["settle_ms"] = C(settle * 1e3, C::kAvgIterations);
  state.counters["captions_ms"] = C(captions * 1e3, C::kAvgIterations);
  state.counters["teardown_ms"] = C(teardown * 1e3, C::kAvgIterations);
  state.counters["bytes_per_node"] = C(bytes, C::kAvgIterations);
  state.counters["captions"] = shown;
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

// range(1) = 1: the load also lays out every caption and settles the
// index, so the diagram ends as the other program's insert leaves its scene.
void BM_Load(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const bool complete = state.range(1) != 0;
  const TMemoryStream saved = SavedDiagram(n);
  int shown = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    TGraphControl graph;
    PrepareControl(graph);
    TMemoryStream stream(saved.Bytes());
    graph.LoadFromStream(stream);
    if (complete) {
      shown = 0;
      for (TGraphObject* object : graph.Objects()) {
        object->EnsureCaptionLayout();
        shown += !object->DisplayText().empty();
      }
      Settle(graph);
    }
    seconds += Seconds(Clock::now() - t0);
    state.PauseTiming();
    graph.Clear();
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(saved.Size());
  state.counters["per_node_us"] = benchmark::Counter(seconds / n * 1e6, benchmark::Counter::kAvgIterations);
  if (complete) state.counters["captions"] = shown;
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

// ---- The widget, driven by events ----------------------------------------------------------

// The shared diagram of size n in its widget, shown at 800 x 600 over the
// middle of the populated area, grid snapping off (the other program has
// none).
TDiagram& ShownDiagram(int n) {
  TDiagram& d = Shared(n);
  if (!d.View->isVisible()) {
    d.Graph->SetSnapToGrid(false);
    d.View->resize(800, 600);
    d.View->show();
    QCoreApplication::processEvents();
  }
  d.Graph->SetZoom(100);
  const QSize client = d.View->viewport()->size();
  d.Graph->HorzScrollBar().SetPosition(d.Side / 2 - client.width() / 2);
  d.Graph->VertScrollBar().SetPosition(d.Side / 2 - client.height() / 2);
  bench::RunUntilPainted(*d.View->viewport());
  return d;
}

// The node under the middle of the view, or the one nearest to it.
TGraphNode* NodeInView(const TDiagram& d) {
  const QSize client = d.View->viewport()->size();
  const TPoint middle = d.Graph->ClientToGraph(client.width() / 2, client.height() / 2);
  TGraphNode* best = nullptr;
  int64_t bestDistance = INT64_MAX;
  for (TGraphNode* node : d.Nodes) {
    const int64_t dx = node->Left() + NodeWidth / 2 - middle.X;
    const int64_t dy = node->Top() + NodeHeight / 2 - middle.Y;
    if (dx * dx + dy * dy < bestDistance) {
      bestDistance = dx * dx + dy * dy;
      best = node;
    }
  }
  return best;
}

QPoint ClientCenter(const TDiagram& d, const TGraphNode& node) {
  const TPoint p = d.Graph->GraphToClient(node.Left() + NodeWidth / 2, node.Top() + NodeHeight / 2);
  return {p.X, p.Y};
}

// range(1) = 1: one node dragged; 1000: a selection of 1,000 nodes spread
// over the whole diagram, grabbed by one of them. One timed unit is one
// mouse move of 3 pixels (back and forth) up to the finished repaint.
void BM_WidgetDrag(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TDiagram& d = ShownDiagram(n);
  QWidget& viewport = *d.View->viewport();
  TGraphNode* grabbed = NodeInView(d);
  d.Graph->SelectedObjects().Clear();
  if (state.range(1) > 1) {
    const int count = static_cast<int>(state.range(1));
    for (int i = 0; i < count - 1; ++i)
      d.Nodes[static_cast<size_t>(i) * static_cast<size_t>(n / count)]->SetSelected(true);
  }
  grabbed->SetSelected(true);
  const QPoint press = ClientCenter(d, *grabbed);
  bench::RunUntilPainted(viewport);
  bench::Press(viewport, press);
  // Past the drag threshold first, untimed.
  QPoint at = press + QPoint(QApplication::startDragDistance() + 2, 0);
  bench::Move(viewport, at);
  bench::RunUntilPainted(viewport);
  int step = 3;
  int64_t paints = 0;
  for (auto _ : state) {
    at += QPoint(step, step);
    step = -step;
    bench::Move(viewport, at);
    paints += bench::RunUntilPainted(viewport);
  }
  bench::SaveShot(*d.View,
                  "WidgetDrag_" + std::to_string(state.range(0)) + "_" + std::to_string(state.range(1)));
  bench::Release(viewport, at);
  bench::RunUntilPainted(viewport);
  state.counters["selected"] = static_cast<double>(d.Graph->SelectedObjects().Count());
  state.counters["paints"] =
      benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
  d.Graph->SelectedObjects().Clear();
}

// range(1) = 0: one wheel notch scrolls (down, then up again); 1: one notch
// with Ctrl zooms at the pointer (in, then out again).
void BM_WidgetWheel(benchmark::State& state) {
  TDiagram& d = ShownDiagram(static_cast<int>(state.range(0)));
  QWidget& viewport = *d.View->viewport();
  const bool zoom = state.range(1) != 0;
  const QPoint pointer(viewport.width() / 3, viewport.height() / 3);
  int notch = -120;
  int64_t paints = 0;
  for (auto _ : state) {
    bench::Wheel(viewport, pointer, notch, zoom ? Qt::ControlModifier : Qt::NoModifier);
    notch = -notch;
    paints += bench::RunUntilPainted(viewport);
  }
  bench::SaveShot(*d.View,
                  "WidgetWheel_" + std::to_string(state.range(0)) + "_" + std::to_string(state.range(1)));
  state.counters["paints"] =
      benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
  state.counters["zoom"] = d.Graph->Zoom();
}

using benchmark::kMicrosecond;
using benchmark::kMillisecond;

void RegisterBenchmarks(const std::vector<int64_t>& sizes) {
  BENCHMARK(BM_Insert)->ArgsProduct({sizes, {1, 0}})->Unit(kMillisecond);
  BENCHMARK(BM_HitTest)->ArgsProduct({sizes, {0}})->Iterations(10000)->Unit(kMicrosecond);
  BENCHMARK(BM_RubberBand)->ArgsProduct({sizes, {1, 25}, {1}})->Unit(kMicrosecond);
  BENCHMARK(BM_RubberBandSelect)->ArgsProduct({sizes, {1, 25}})->Unit(kMicrosecond);
  BENCHMARK(BM_Paint)->ArgsProduct({sizes, {0, 1}})->Unit(kMillisecond);
  BENCHMARK(BM_Move)->ArgsProduct({sizes})->Iterations(100)->Unit(kMicrosecond);
  BENCHMARK(BM_MoveOne)->ArgsProduct({sizes})->Unit(kMicrosecond);
  BENCHMARK(BM_RemoveAll)->ArgsProduct({sizes})->Unit(kMillisecond);
  BENCHMARK(BM_Load)->ArgsProduct({sizes, {0, 1}})->Unit(kMillisecond);
  BENCHMARK(BM_Save)->ArgsProduct({sizes})->Unit(kMillisecond);
  BENCHMARK(BM_WidgetDrag)->ArgsProduct({sizes, {1, 1000}})->Unit(kMicrosecond);
  BENCHMARK(BM_WidgetWheel)->ArgsProduct({sizes, {0, 1}})->Unit(kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  GraphControlStartup();
  qt::InstallQtPlatform();
  std::map<int, TDiagram> shared;
  SharedDiagrams = &shared;
  RegisterBenchmarks(bench::WorkloadSizes());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shared.clear();
  qt::UninstallQtPlatform();
  return 0;
}
