#include "tools/graphtool/SvgSizeEstimate.h"

#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "platform/Canvas.h"

namespace gc::tool {

namespace {

// What the SVG writer puts down per drawing call: a group with the pen, the
// brush, the font and the transform, and the element's own attributes; per
// point at most two signed 32-bit coordinates and their separators; per
// byte of text at most an entity such as "&quot;"; per byte of a picture
// its PNG form in base 64.
constexpr int64_t CallBytes = 1500;
constexpr int64_t PointBytes = 24;
constexpr int64_t TextByteBytes = 6;
constexpr int64_t PictureByteBytes = 2;

class TSvgSizeCanvas final : public TCanvas {
 public:
  int64_t Bytes() const { return Bytes_; }

  void Polygon(const TPoint*, int count) override { Call(count); }
  void Polyline(const TPoint*, int count) override { Call(count); }
  void Ellipse(const TRect&) override { Call(2); }
  void Rectangle(const TRect&) override { Call(4); }
  void RoundRect(const TRect&, int32_t, int32_t) override { Call(4); }
  void SetPixel(int32_t, int32_t, TColor) override { Call(2); }
  void FillRect(const TRect&) override { Call(4); }
  void TextOut(int32_t, int32_t, const std::string& text) override { Text(text); }
  TSize TextExtent(const std::string& text) override { return Measuring().TextExtent(text); }
  bool HasGlyph(char32_t ch) override { return Measuring().HasGlyph(ch); }
  void StretchDraw(const TRect&, const TGraphic& graphic) override {
    Call(4);
    Bytes_ += static_cast<int64_t>(graphic.Data.size()) * PictureByteBytes;
  }
  void IntersectClipRegion(const TRegion& region) override {
    Call(region.Kind() == TRegion::TKind::Polygon ? static_cast<int>(region.Points().size()) : 4);
  }
  void IntersectClipRect(const TRect&) override { Call(4); }
  TRect ClipRect() const override { return {-1073741824, -1073741824, 1073741823, 1073741823}; }
  void SaveState() override { States_.push_back(SaveBaseState()); }
  void RestoreState() override {
    if (States_.empty()) return;
    RestoreBaseState(States_.back());
    States_.pop_back();
  }
  bool IsMetafile() const override { return true; }

 protected:
  void DrawTextLine(int32_t, int32_t, const std::string& line) override { Text(line); }

 private:
  void Call(int points) { Bytes_ += CallBytes + int64_t{points} * PointBytes; }
  void Text(const std::string& text) {
    Call(1);
    Bytes_ += static_cast<int64_t>(text.size()) * TextByteBytes;
  }
  // Text is laid out as the drawing lays it out: with the measuring canvas.
  TCanvas& Measuring() {
    TCanvas& canvas = CompatibleCanvas();
    canvas.Font() = Font();
    return canvas;
  }

  int64_t Bytes_ = 0;
  std::vector<TBaseState> States_;
};

}  // namespace

int64_t EstimateSvgBytes(TGraphControl& graph, int32_t zoom) {
  TSvgSizeCanvas canvas;
  canvas.SetViewMapping(zoom, {});
  graph.DrawObjects(canvas, graph.Objects());
  return canvas.Bytes();
}

}  // namespace gc::tool
