// Costs of showing a large diagram: repainting an 800 x 600 view (grid,
// objects, markers) of 10,000 and 100,000 rectangular nodes spread over a
// large area, where only a few dozen nodes are inside the view, and the hit
// test under the mouse over 100,000 nodes. Painting goes to a canvas that
// keeps the clip area and draws nothing, so the numbers are the control's own
// costs (mapping, culling, grid) without a raster backend.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "platform/Canvas.h"

namespace {

using namespace gc;

class TNullCanvas : public TCanvas {
 public:
  explicit TNullCanvas(TRect clip) : Clip_(clip) {}

  void Polygon(const TPoint*, int) override { ++Primitives; }
  void Polyline(const TPoint*, int) override { ++Primitives; }
  void Ellipse(const TRect&) override { ++Primitives; }
  void Rectangle(const TRect&) override { ++Primitives; }
  void RoundRect(const TRect&, int32_t, int32_t) override { ++Primitives; }
  void SetPixel(int32_t, int32_t, TColor) override { ++Pixels; }
  void FillRect(const TRect&) override { ++Primitives; }
  void TextOut(int32_t, int32_t, const std::string&) override { ++Primitives; }
  TSize TextExtent(const std::string& text) override { return {static_cast<int32_t>(text.size()) * 6, 13}; }
  bool HasGlyph(char32_t) override { return true; }
  void StretchDraw(const TRect&, const TGraphic&) override { ++Primitives; }
  void IntersectClipRegion(const TRegion& region) override { IntersectClipRect(region.BoundingBox()); }
  void IntersectClipRect(const TRect& r) override {
    Clip_ = {std::max(Clip_.Left, r.Left), std::max(Clip_.Top, r.Top), std::min(Clip_.Right, r.Right),
             std::min(Clip_.Bottom, r.Bottom)};
  }
  TRect ClipRect() const override { return Clip_; }
  void SaveState() override {}
  void RestoreState() override {}

  int64_t Primitives = 0;
  int64_t Pixels = 0;

 protected:
  void DrawTextLine(int32_t, int32_t, const std::string&) override { ++Primitives; }

 private:
  TRect Clip_;
};

// Nodes of 60 x 40 every 100 units, in rows of 500 (50,000 units wide).
std::unique_ptr<TGraphControl> MakeDiagram(int64_t count) {
  auto graph = std::make_unique<TGraphControl>();
  graph->GraphConstraints().SetBoundsRect({0, 0, 1000000, 1000000});
  TGraphControl::TUpdateLock lock(*graph);
  for (int64_t i = 0; i < count; ++i) {
    const auto x = static_cast<int32_t>((i % 500) * 100);
    const auto y = static_cast<int32_t>((i / 500) * 100);
    TGraphNode::CreateWithBounds<TRectangularNode>(graph.get(), {x, y, x + 60, y + 40});
  }
  graph->Objects().Items(0)->SetSelected(true);
  return graph;
}

void BM_PaintView(benchmark::State& state) {
  auto graph = MakeDiagram(state.range(0));
  int64_t primitives = 0;
  for (auto _ : state) {
    TNullCanvas canvas({0, 0, 800, 600});
    graph->ApplyViewMapping(canvas, {});
    graph->Paint(canvas);
    primitives = canvas.Primitives;
    benchmark::DoNotOptimize(canvas.Pixels);
  }
  state.counters["primitives"] = static_cast<double>(primitives);
}
BENCHMARK(BM_PaintView)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The grid alone at 5 %: the view shows 16,000 x 12,000 units, 6 million
// grid points on 480,000 pixels.
void BM_PaintGridZoomedOut(benchmark::State& state) {
  TGraphControl graph;
  graph.SetGridSize(4);
  graph.SetZoom(5);
  for (auto _ : state) {
    TNullCanvas canvas({0, 0, 16000, 12000});
    graph.ApplyViewMapping(canvas, {});
    graph.DrawGrid(canvas);
    benchmark::DoNotOptimize(canvas.Pixels);
  }
}
BENCHMARK(BM_PaintGridZoomedOut)->Unit(benchmark::kMillisecond);

void BM_ObjectAtPoint(benchmark::State& state) {
  auto graph = MakeDiagram(state.range(0));
  for (auto _ : state) {
    // A point inside a node near the bottom of the z-order, and one on empty ground.
    benchmark::DoNotOptimize(graph->ObjectAtPoint(130, 20));
    benchmark::DoNotOptimize(graph->ObjectAtPoint(170, 70));
  }
}
BENCHMARK(BM_ObjectAtPoint)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
