// The shared workload (see WorkloadBench.cpp) on Qt's own Graphics View:
// a QGraphicsScene with its default BSP index, each node a 40 x 20
// QGraphicsRectItem (black 1-pixel pen, a brush) with a child
// QGraphicsSimpleTextItem "Node i" 2 units inside it. It mirrors the
// comparison program of compare.sh benchmark by benchmark, with the same
// names, seeds, points and rectangles, and adds what that program does not
// cover: any size (GC_WORKLOAD_SIZES, as bench_workload) and a shown
// QGraphicsView driven by mouse and wheel events (BM_Widget*).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "WidgetEvents.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

constexpr int NodeWidth = 40;
constexpr int NodeHeight = 20;
constexpr int SceneSize = 65535;

struct TRng {
  std::mt19937 Gen;
  explicit TRng(unsigned seed) : Gen(seed) {}
  int Below(int n) { return static_cast<int>(Gen() % static_cast<unsigned>(n)); }
};

// Ctrl + wheel zooms by 10 % a notch keeping the scene point under the
// pointer in place, as the control's widget does; the plain wheel scrolls.
class TZoomingView : public QGraphicsView {
 protected:
  void wheelEvent(QWheelEvent* event) override {
    if (!(event->modifiers() & Qt::ControlModifier)) {
      QGraphicsView::wheelEvent(event);
      return;
    }
    const QPoint pointer = event->position().toPoint();
    const QPointF anchor = mapToScene(pointer);
    const double factor = std::pow(1.1, event->angleDelta().y() / 120.0);
    scale(factor, factor);
    const QPoint moved = mapFromScene(anchor) - pointer;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + moved.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + moved.y());
    event->accept();
  }
};

struct TScene {
  std::unique_ptr<QGraphicsScene> Scene;
  std::vector<QGraphicsRectItem*> Nodes;
  int Side = 0;
};

// The views outlive every scene and die before the application.
struct TViews {
  QGraphicsView Hidden;  // a scene without a view keeps its update rectangles forever
  TZoomingView Shown;
  std::map<int, TScene> Shared;
};
TViews* Views = nullptr;

// What an application does on returning to its event loop, then one tiny
// query that makes the index take in any pending change.
void Settle(QGraphicsScene& scene) {
  QCoreApplication::processEvents();
  benchmark::DoNotOptimize(scene.items(QRectF(-10, -10, 1, 1)));
}

TScene AddNodes(int n, bool interactive = false) {
  TScene s;
  s.Side = static_cast<int>(std::sqrt(static_cast<double>(n)) * 60.0);
  s.Scene = std::make_unique<QGraphicsScene>(0, 0, SceneSize, SceneSize);
  Views->Hidden.setScene(s.Scene.get());
  s.Nodes.reserve(static_cast<size_t>(n));
  TRng rng(12345);
  const QPen pen(Qt::black, 1);
  for (int i = 0; i < n; ++i) {
    auto* node = new QGraphicsRectItem(0, 0, NodeWidth, NodeHeight);
    const int x = rng.Below(s.Side - NodeWidth + 1);
    const int y = rng.Below(s.Side - NodeHeight + 1);
    node->setPos(x, y);
    node->setPen(pen);
    node->setBrush(QColor::fromHsv((i * 37) % 360, 60, 240));
    if (interactive) node->setFlags(QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable);
    auto* caption = new QGraphicsSimpleTextItem(QStringLiteral("Node %1").arg(i), node);
    caption->setPos(2, 2);
    s.Scene->addItem(node);
    s.Nodes.push_back(node);
  }
  return s;
}

TScene MakeScene(int n) {
  TScene s = AddNodes(n);
  Settle(*s.Scene);
  return s;
}

// Read-only benchmarks share one settled scene per size; its nodes can be
// selected and moved, for the widget benchmarks.
TScene& Shared(int n) {
  auto it = Views->Shared.find(n);
  if (it == Views->Shared.end()) {
    TScene s = AddNodes(n, true);
    Settle(*s.Scene);
    it = Views->Shared.emplace(n, std::move(s)).first;
  }
  return it->second;
}

void BM_Insert(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double settle = 0, teardown = 0;
  for (auto _ : state) {
    TScene s = AddNodes(n);
    const auto t0 = Clock::now();
    Settle(*s.Scene);
    settle += Seconds(Clock::now() - t0);
    state.PauseTiming();
    const auto t1 = Clock::now();
    s.Scene.reset();
    teardown += Seconds(Clock::now() - t1);
    state.ResumeTiming();
  }
  using C = benchmark::Counter;
  state.counters["settle_ms"] = C(settle * 1e3, C::kAvgIterations);
  state.counters["teardown_ms"] = C(teardown * 1e3, C::kAvgIterations);
}

void BM_HitTest(benchmark::State& state) {
  TScene& s = Shared(static_cast<int>(state.range(0)));
  std::vector<QPointF> points;
  TRng rng(777);
  for (int i = 0; i < 10000; ++i) {
    const int x = rng.Below(s.Side);
    points.emplace_back(x, rng.Below(s.Side));
  }
  size_t i = 0;
  int hits = 0;
  for (auto _ : state) {
    hits += s.Scene->itemAt(points[i], QTransform()) != nullptr;
    i = (i + 1) % points.size();
  }
  state.counters["hit_ratio"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

// range(2) = 1: bounding-rectangle mode, the like-for-like query.
void BM_RubberBand(benchmark::State& state) {
  TScene& s = Shared(static_cast<int>(state.range(0)));
  const double w = s.Side * std::sqrt(state.range(1) / 100.0);
  const QRectF band(s.Side / 2.0 - w / 2, s.Side / 2.0 - w / 2, w, w);
  const auto mode = state.range(2) ? Qt::IntersectsItemBoundingRect : Qt::IntersectsItemShape;
  qsizetype found = 0;
  for (auto _ : state) {
    const QList<QGraphicsItem*> items = s.Scene->items(band, mode);
    found = items.size();
    benchmark::DoNotOptimize(items.constData());
  }
  state.counters["found"] = static_cast<double>(found);
}

void BM_Paint(benchmark::State& state) {
  TScene& s = Shared(static_cast<int>(state.range(0)));
  const QRectF target(0, 0, 800, 600);
  const QRectF source = state.range(1) ? QRectF(0, 0, s.Side, s.Side)
                                       : QRectF(s.Side / 2.0 - 400, s.Side / 2.0 - 300, 800, 600);
  QImage image(800, 600, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    s.Scene->render(&painter, target, source);
  }
}

void BM_Move(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TScene s = MakeScene(n);
  std::vector<QGraphicsRectItem*> group;
  for (int i = 0; i < 1000; ++i)
    group.push_back(s.Nodes[static_cast<size_t>(i) * static_cast<size_t>(n / 1000)]);
  double settle = 0;
  for (auto _ : state) {
    for (QGraphicsRectItem* node : group) node->setPos(node->pos() + QPointF(3, 2));
    const auto t0 = Clock::now();
    Settle(*s.Scene);
    settle += Seconds(Clock::now() - t0);
  }
  using C = benchmark::Counter;
  state.counters["settle_us"] = C(settle * 1e6, C::kAvgIterations);
}

void BM_RemoveAll(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double settle = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TScene s = MakeScene(n);
    state.ResumeTiming();
    for (auto it = s.Nodes.rbegin(); it != s.Nodes.rend(); ++it) delete *it;
    const auto t0 = Clock::now();
    Settle(*s.Scene);
    settle += Seconds(Clock::now() - t0);
    state.PauseTiming();
    s.Scene.reset();
    state.ResumeTiming();
  }
  using C = benchmark::Counter;
  state.counters["settle_ms"] = C(settle * 1e3, C::kAvgIterations);
}

// ---- The view, driven by events ----------------------------------------------------------------

TScene& ShownScene(int n) {
  TScene& s = Shared(n);
  QGraphicsView& view = Views->Shown;
  if (view.scene() != s.Scene.get()) {
    view.setScene(s.Scene.get());
    // A wheel notch scrolls three lines of 8 pixels, as in the control.
    view.horizontalScrollBar()->setSingleStep(8);
    view.verticalScrollBar()->setSingleStep(8);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();
  }
  view.resetTransform();
  view.centerOn(s.Side / 2.0, s.Side / 2.0);
  bench::RunUntilPainted(*view.viewport());
  return s;
}

QGraphicsRectItem* NodeInView(const TScene& s) {
  const QGraphicsView& view = Views->Shown;
  const QPointF middle = view.mapToScene(view.viewport()->rect().center());
  QGraphicsRectItem* best = nullptr;
  double bestDistance = 1e300;
  for (QGraphicsRectItem* node : s.Nodes) {
    const QPointF d = node->pos() + QPointF(NodeWidth / 2.0, NodeHeight / 2.0) - middle;
    if (QPointF::dotProduct(d, d) < bestDistance) {
      bestDistance = QPointF::dotProduct(d, d);
      best = node;
    }
  }
  return best;
}

void BM_WidgetDrag(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TScene& s = ShownScene(n);
  QGraphicsView& view = Views->Shown;
  QWidget& viewport = *view.viewport();
  QGraphicsRectItem* grabbed = NodeInView(s);
  s.Scene->clearSelection();
  if (state.range(1) > 1) {
    const int count = static_cast<int>(state.range(1));
    for (int i = 0; i < count - 1; ++i)
      s.Nodes[static_cast<size_t>(i) * static_cast<size_t>(n / count)]->setSelected(true);
  }
  grabbed->setSelected(true);
  const QPoint press = view.mapFromScene(grabbed->pos() + QPointF(NodeWidth / 2.0, NodeHeight / 2.0));
  bench::RunUntilPainted(viewport);
  bench::Press(viewport, press);
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
  bench::SaveShot(Views->Shown,
                  "WidgetDrag_" + std::to_string(state.range(0)) + "_" + std::to_string(state.range(1)));
  bench::Release(viewport, at);
  bench::RunUntilPainted(viewport);
  state.counters["selected"] = static_cast<double>(s.Scene->selectedItems().size());
  state.counters["paints"] =
      benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
  s.Scene->clearSelection();
}

void BM_WidgetWheel(benchmark::State& state) {
  ShownScene(static_cast<int>(state.range(0)));
  QWidget& viewport = *Views->Shown.viewport();
  const bool zoom = state.range(1) != 0;
  const QPoint pointer(viewport.width() / 3, viewport.height() / 3);
  int notch = -120;
  int64_t paints = 0;
  for (auto _ : state) {
    bench::Wheel(viewport, pointer, notch, zoom ? Qt::ControlModifier : Qt::NoModifier);
    notch = -notch;
    paints += bench::RunUntilPainted(viewport);
  }
  bench::SaveShot(Views->Shown,
                  "WidgetWheel_" + std::to_string(state.range(0)) + "_" + std::to_string(state.range(1)));
  state.counters["paints"] =
      benchmark::Counter(static_cast<double>(paints), benchmark::Counter::kAvgIterations);
  state.counters["zoom"] = Views->Shown.transform().m11() * 100;
}

using benchmark::kMicrosecond;
using benchmark::kMillisecond;

void RegisterBenchmarks(const std::vector<int64_t>& sizes) {
  BENCHMARK(BM_Insert)->ArgsProduct({sizes})->Unit(kMillisecond);
  BENCHMARK(BM_HitTest)->ArgsProduct({sizes, {0}})->Iterations(10000)->Unit(kMicrosecond);
  BENCHMARK(BM_RubberBand)->ArgsProduct({sizes, {1, 25}, {1}})->Unit(kMicrosecond);
  BENCHMARK(BM_Paint)->ArgsProduct({sizes, {0, 1}})->Unit(kMillisecond);
  BENCHMARK(BM_Move)->ArgsProduct({sizes})->Iterations(100)->Unit(kMicrosecond);
  BENCHMARK(BM_RemoveAll)->ArgsProduct({sizes})->Unit(kMillisecond);
  BENCHMARK(BM_WidgetDrag)->ArgsProduct({sizes, {1, 1000}})->Unit(kMicrosecond);
  BENCHMARK(BM_WidgetWheel)->ArgsProduct({sizes, {0, 1}})->Unit(kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  {
    TViews views;
    Views = &views;
    RegisterBenchmarks(bench::WorkloadSizes());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Views->Shown.setScene(nullptr);
    Views->Hidden.setScene(nullptr);
    Views = nullptr;
  }
  return 0;
}
