// Drawing the overview of a large diagram afresh (what it does after a
// change): 100,000 objects, 60,000 nodes in a grid with 40,000 links between
// neighbours, fitted into 220 x 160 and 440 x 320 pixels. Scrolling and
// zooming the view do not draw the picture again, so they are not measured.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "platform/qt/GraphOverview.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtPlatform.h"

namespace {

using namespace gc;

void BuildDiagram(TGraphControl& graph) {
  TGraphControl::TUpdateLock lock(graph);
  constexpr int Columns = 300;
  std::vector<TGraphNode*> nodes;
  for (int i = 0; i < 60000; ++i) {
    const int32_t x = (i % Columns) * 120, y = (i / Columns) * 80;
    nodes.push_back(TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {x, y, x + 80, y + 40}));
    nodes.back()->SetText("Node " + std::to_string(i));
  }
  for (int i = 0; i < 40000; ++i) {
    const int from = (i * 3) % 60000;
    const int to = (from % Columns + 1 < Columns) ? from + 1 : from - 1;
    TGraphLink::CreateNew(&graph, nodes[static_cast<size_t>(from)], {}, nodes[static_cast<size_t>(to)]);
  }
}

void BM_OverviewPicture(benchmark::State& state) {
  TGraphControl graph;
  BuildDiagram(graph);
  qt::TGraphWidget view(&graph);
  view.resize(800, 600);
  qt::TGraphOverview overview(&view);
  overview.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(0)) * 8 / 11);
  for (auto _ : state) benchmark::DoNotOptimize(overview.RenderDiagram());
  state.counters["objects"] = graph.Objects().Count();
}
BENCHMARK(BM_OverviewPicture)->Arg(220)->Arg(440)->Unit(benchmark::kMillisecond);

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
  GraphControlShutdown();
  return 0;
}
