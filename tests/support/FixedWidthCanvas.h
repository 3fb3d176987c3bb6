// A deterministic canvas for tests: every character is CharWidth units wide
// and every line LineHeight units high, whatever the font, so text layout
// gives the same result on every machine. It draws nothing and records every
// primitive, with the drawing tools as they were at the time of the call, so a
// test can check what was drawn.
#pragma once

#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace gc {

class TRecordingCanvas : public gc::TCanvas {
 public:
  enum class TCallKind {
    Polygon,
    Polyline,
    Ellipse,
    Rectangle,
    RoundRect,
    SetPixel,
    FillRect,
    TextOut,
    TextLine,
    StretchDraw,
    ClipRect,
    ClipRegion
  };

  struct Call {
    TCallKind Kind;
    TPoints Points;  // Polygon, Polyline; SetPixel, TextOut and TextLine: the one point
    TRect Rect;      // Ellipse, Rectangle, RoundRect, FillRect, StretchDraw, ClipRect; ClipRegion: its box
    int32_t CornerWidth = 0, CornerHeight = 0;  // RoundRect
    TColor Color = 0;                           // SetPixel
    std::string Text;                           // TextOut, TextLine; StretchDraw: the graphic's class name
    // Snapshot of the canvas state at the time of the call.
    TPen Pen;
    TBrush Brush;
    TFont Font;
    TFillMode PolyFillMode = TFillMode::fmAlternate;
    TBackgroundMode BackgroundMode = TBackgroundMode::Opaque;
    uint32_t TextAlign = 0;
    int32_t Zoom = 100;
    TPoint ViewportOrigin;
  };

  int32_t CharWidth = 6;
  int32_t LineHeight = 13;
  bool EllipsisGlyph = true;  // answer of HasGlyph for U+2026; every other character has a glyph
  std::vector<Call> Calls;    // drawing primitives in call order
  std::vector<Call> Clips;    // IntersectClipRect / IntersectClipRegion in call order

  // The recorded drawing calls of one kind.
  std::vector<Call> CallsOf(TCallKind kind) const;
  // Texts of the recorded TextOut and TextLine calls, in order.
  std::vector<std::string> Texts() const;

  void SetClipRect(const TRect& r) { Clip_ = r; }

  void Polygon(const TPoint* points, int count) override;
  void Polyline(const TPoint* points, int count) override;
  void Ellipse(const TRect& r) override;
  void Rectangle(const TRect& r) override;
  void RoundRect(const TRect& r, int32_t cornerWidth, int32_t cornerHeight) override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  void FillRect(const TRect& r) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  TSize TextExtent(const std::string& text) override;
  bool HasGlyph(char32_t ch) override;
  void StretchDraw(const TRect& r, const TGraphic& graphic) override;
  void IntersectClipRegion(const TRegion& region) override;
  void IntersectClipRect(const TRect& r) override;
  TRect ClipRect() const override { return Clip_; }
  void SaveState() override;
  void RestoreState() override;

 protected:
  void DrawTextLine(int32_t x, int32_t y, const std::string& line) override;

 private:
  Call& Record(TCallKind kind);
  Call& RecordClip(TCallKind kind);
  Call Snapshot(TCallKind kind) const;

  struct TSavedState {
    TBaseState Base;
    TRect Clip;
  };
  TRect Clip_{-1073741824, -1073741824, 1073741823, 1073741823};
  std::vector<TSavedState> Saved_;
};

// Makes CreateCompatibleCanvas return a TRecordingCanvas with the default
// metrics, so text measured by the library is predictable in tests.
void InstallFixedWidthMeasurer();
// Replaces only the platform's measuring canvas (null: the library's own
// fixed-width fallback), keeping its other services.
void InstallMeasuringCanvas(TCanvasFactory factory);

}  // namespace gc
