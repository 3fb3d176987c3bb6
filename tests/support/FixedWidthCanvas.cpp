#include "support/FixedWidthCanvas.h"

#include <algorithm>
#include <utility>

#include "GraphControl/Utf8.h"
#include "platform/Platform.h"

namespace gc {

std::vector<TRecordingCanvas::Call> TRecordingCanvas::CallsOf(TCallKind kind) const {
  std::vector<Call> result;
  std::copy_if(Calls.begin(), Calls.end(), std::back_inserter(result),
               [kind](const Call& c) { return c.Kind == kind; });
  return result;
}

std::vector<std::string> TRecordingCanvas::Texts() const {
  std::vector<std::string> result;
  for (const Call& c : Calls)
    if (c.Kind == TCallKind::TextOut || c.Kind == TCallKind::TextLine) result.push_back(c.Text);
  return result;
}

TRecordingCanvas::Call TRecordingCanvas::Snapshot(TCallKind kind) const {
  Call c{};
  c.Kind = kind;
  c.Pen = Pen();
  c.Brush = Brush();
  c.Font = Font();
  c.PolyFillMode = PolyFillMode();
  c.BackgroundMode = BackgroundMode();
  c.TextAlign = TextAlign();
  c.Zoom = Zoom();
  c.ViewportOrigin = ViewportOrigin();
  return c;
}

TRecordingCanvas::Call& TRecordingCanvas::Record(TCallKind kind) {
  return Calls.emplace_back(Snapshot(kind));
}

TRecordingCanvas::Call& TRecordingCanvas::RecordClip(TCallKind kind) {
  return Clips.emplace_back(Snapshot(kind));
}

void TRecordingCanvas::Polygon(const TPoint* points, int count) {
  Record(TCallKind::Polygon).Points.assign(points, points + std::max(count, 0));
}

void TRecordingCanvas::Polyline(const TPoint* points, int count) {
  Record(TCallKind::Polyline).Points.assign(points, points + std::max(count, 0));
}

void TRecordingCanvas::Ellipse(const TRect& r) { Record(TCallKind::Ellipse).Rect = r; }

void TRecordingCanvas::Rectangle(const TRect& r) { Record(TCallKind::Rectangle).Rect = r; }

void TRecordingCanvas::RoundRect(const TRect& r, int32_t cornerWidth, int32_t cornerHeight) {
  Call& c = Record(TCallKind::RoundRect);
  c.Rect = r;
  c.CornerWidth = cornerWidth;
  c.CornerHeight = cornerHeight;
}

void TRecordingCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
  Call& c = Record(TCallKind::SetPixel);
  c.Points = {{x, y}};
  c.Color = color;
}

void TRecordingCanvas::FillRect(const TRect& r) { Record(TCallKind::FillRect).Rect = r; }

void TRecordingCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
  Call& c = Record(TCallKind::TextOut);
  c.Points = {{x, y}};
  c.Text = text;
}

void TRecordingCanvas::DrawTextLine(int32_t x, int32_t y, const std::string& line) {
  Call& c = Record(TCallKind::TextLine);
  c.Points = {{x, y}};
  c.Text = line;
}

TSize TRecordingCanvas::TextExtent(const std::string& text) {
  return {static_cast<int32_t>(Utf8CharCount(text)) * CharWidth, LineHeight};
}

bool TRecordingCanvas::HasGlyph(char32_t ch) { return ch != EllipsisCodePoint || EllipsisGlyph; }

void TRecordingCanvas::StretchDraw(const TRect& r, const TGraphic& graphic) {
  Call& c = Record(TCallKind::StretchDraw);
  c.Rect = r;
  c.Text = graphic.ClassName;
}

void TRecordingCanvas::IntersectClipRegion(const TRegion& region) {
  const TRect box = region.BoundingBox();
  RecordClip(TCallKind::ClipRegion).Rect = box;
  Clip_ = {std::max(Clip_.Left, box.Left), std::max(Clip_.Top, box.Top), std::min(Clip_.Right, box.Right),
           std::min(Clip_.Bottom, box.Bottom)};
}

void TRecordingCanvas::IntersectClipRect(const TRect& r) {
  RecordClip(TCallKind::ClipRect).Rect = r;
  Clip_ = {std::max(Clip_.Left, r.Left), std::max(Clip_.Top, r.Top), std::min(Clip_.Right, r.Right),
           std::min(Clip_.Bottom, r.Bottom)};
}

void TRecordingCanvas::SaveState() { Saved_.push_back({SaveBaseState(), Clip_}); }

void TRecordingCanvas::RestoreState() {
  if (Saved_.empty()) return;
  RestoreBaseState(Saved_.back().Base);
  Clip_ = Saved_.back().Clip;
  Saved_.pop_back();
}

void InstallFixedWidthMeasurer() {
  InstallMeasuringCanvas([]() -> std::unique_ptr<TCanvas> { return std::make_unique<TRecordingCanvas>(); });
}

void InstallMeasuringCanvas(TCanvasFactory factory) {
  TPlatformServices services = PlatformServices();
  services.MeasuringCanvas = factory;
  SetPlatformServices(std::move(services));
}

}  // namespace gc
