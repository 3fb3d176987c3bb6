// The drawing surface the diagram library paints and measures through.
//
// Coordinates given to a canvas are logical (graph) coordinates. The view
// mapping turns them into device pixels: device = round(logical * Zoom / 100)
// + ViewportOrigin, per axis. The canvas carries a current pen, brush and font
// (as a device context does); primitives use them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "GraphControl/DrawingTools.h"
#include "GraphControl/Picture.h"
#include "GraphControl/Region.h"
#include "GraphControl/Types.h"

namespace gc {

// Flags of DrawText, in the platform's bit values.
namespace dt {
inline constexpr uint32_t Top = 0x0000;
inline constexpr uint32_t Left = 0x0000;
inline constexpr uint32_t Center = 0x0001;
inline constexpr uint32_t Right = 0x0002;
inline constexpr uint32_t VCenter = 0x0004;
inline constexpr uint32_t Bottom = 0x0008;
inline constexpr uint32_t WordBreak = 0x0010;
inline constexpr uint32_t SingleLine = 0x0020;
inline constexpr uint32_t NoClip = 0x0100;
inline constexpr uint32_t CalcRect = 0x0400;
inline constexpr uint32_t NoPrefix = 0x0800;
inline constexpr uint32_t EditControl = 0x2000;
inline constexpr uint32_t EndEllipsis = 0x8000;
inline constexpr uint32_t ModifyString = 0x10000;
inline constexpr uint32_t RtlReading = 0x20000;
}  // namespace dt

// Text alignment of TextOut, in the platform's bit values.
namespace ta {
inline constexpr uint32_t Left = 0;
inline constexpr uint32_t Top = 0;
inline constexpr uint32_t Right = 2;
inline constexpr uint32_t Center = 6;
inline constexpr uint32_t Bottom = 8;
inline constexpr uint32_t Baseline = 24;
inline constexpr uint32_t RtlReading = 256;
}  // namespace ta

enum class TBackgroundMode : uint8_t { Transparent, Opaque };

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  // Current drawing tools. Primitives read them at the time of the call.
  TFont& Font() { return Font_; }
  TPen& Pen() { return Pen_; }
  TBrush& Brush() { return Brush_; }
  const TFont& Font() const { return Font_; }
  const TPen& Pen() const { return Pen_; }
  const TBrush& Brush() const { return Brush_; }

  TFillMode PolyFillMode() const { return PolyFillMode_; }
  void SetPolyFillMode(TFillMode m) { PolyFillMode_ = m; }
  TBackgroundMode BackgroundMode() const { return BackgroundMode_; }
  void SetBackgroundMode(TBackgroundMode m) { BackgroundMode_ = m; }
  uint32_t TextAlign() const { return TextAlign_; }
  void SetTextAlign(uint32_t flags) { TextAlign_ = flags; }
  // The bitmap copy mode and text output option bits, kept so that a caller
  // can save and restore them around painting.
  uint32_t CopyMode() const { return CopyMode_; }
  void SetCopyMode(uint32_t m) { CopyMode_ = m; }
  uint32_t TextFlags() const { return TextFlags_; }
  void SetTextFlags(uint32_t f) { TextFlags_ = f; }

  // Primitives, in logical coordinates.
  virtual void Polygon(const TPoint* points, int count) = 0;
  virtual void Polyline(const TPoint* points, int count) = 0;
  virtual void Ellipse(const TRect& r) = 0;
  virtual void Rectangle(const TRect& r) = 0;
  virtual void RoundRect(const TRect& r, int32_t cornerWidth, int32_t cornerHeight) = 0;
  // Sets the one device pixel that the logical point maps to.
  virtual void SetPixel(int32_t x, int32_t y, TColor color) = 0;
  // Fills a rectangle with the brush, without an outline.
  virtual void FillRect(const TRect& r) = 0;
  // One line of text at (x, y) placed by TextAlign, in the font's orientation.
  virtual void TextOut(int32_t x, int32_t y, const std::string& text) = 0;
  // Width and height of one line of text in the current font, in logical units.
  virtual TSize TextExtent(const std::string& text) = 0;
  // Whether the current font has a glyph for the character (a Unicode code point).
  virtual bool HasGlyph(char32_t ch) = 0;
  virtual void StretchDraw(const TRect& r, const TGraphic& graphic) = 0;

  // Multi-line text in a rectangle with the dt:: flags. With dt::CalcRect
  // nothing is drawn and `r` receives the text's extent (its Right and Bottom
  // change). With dt::ModifyString and dt::EndEllipsis, `text` receives the
  // shortened text. Returns the height of the text. Built on TextExtent and
  // DrawTextLine so every canvas lays out text the same way.
  int32_t DrawText(std::string& text, TRect& r, uint32_t flags);

  // Clipping, in logical coordinates.
  virtual void IntersectClipRegion(const TRegion& region) = 0;
  virtual void IntersectClipRect(const TRect& r) = 0;
  // The bounding box of the current clip area in logical units; the whole
  // surface when nothing clips.
  virtual TRect ClipRect() const = 0;

  // Saves and restores the tools, modes, clip and mapping (nestable).
  virtual void SaveState() = 0;
  virtual void RestoreState() = 0;

  // View mapping.
  void SetViewMapping(int32_t zoom, TPoint viewportOrigin) {
    Zoom_ = zoom;
    ViewportOrigin_ = viewportOrigin;
    MappingChanged();
  }
  int32_t Zoom() const { return Zoom_; }
  TPoint ViewportOrigin() const { return ViewportOrigin_; }
  TPoint LogicalToDevice(TPoint p) const;
  TPoint DeviceToLogical(TPoint p) const;

  // True for a canvas that records a vector drawing (the metafile export).
  virtual bool IsMetafile() const { return false; }
  // Resolves named system colours to a plain 0x00BBGGRR value.
  virtual TColor ColorToRGB(TColor color) const;

 protected:
  // Draws one already laid-out line of text with its top-left at (x, y).
  virtual void DrawTextLine(int32_t x, int32_t y, const std::string& line) = 0;
  virtual void MappingChanged() {}

  // Restores the base class's state saved by SaveBaseState.
  struct TBaseState {
    TFont Font;
    TPen Pen;
    TBrush Brush;
    TFillMode PolyFillMode;
    TBackgroundMode BackgroundMode;
    uint32_t TextAlign, CopyMode, TextFlags;
    int32_t Zoom;
    TPoint ViewportOrigin;
  };
  TBaseState SaveBaseState() const;
  void RestoreBaseState(const TBaseState& s);

 private:
  TFont Font_;
  TPen Pen_;
  TBrush Brush_;
  TFillMode PolyFillMode_ = TFillMode::fmAlternate;
  TBackgroundMode BackgroundMode_ = TBackgroundMode::Opaque;
  uint32_t TextAlign_ = 0;
  uint32_t CopyMode_ = 0x00CC0020;  // source copy
  uint32_t TextFlags_ = 0;
  int32_t Zoom_ = 100;
  TPoint ViewportOrigin_;
};

// Saves the canvas's state (tools, modes, clip, mapping) for the length of a
// scope and restores it when the scope ends, also when drawing throws.
class TCanvasStateGuard {
 public:
  explicit TCanvasStateGuard(TCanvas& canvas) : Canvas_(canvas) { Canvas_.SaveState(); }
  ~TCanvasStateGuard() { Canvas_.RestoreState(); }
  TCanvasStateGuard(const TCanvasStateGuard&) = delete;
  TCanvasStateGuard& operator=(const TCanvasStateGuard&) = delete;

 private:
  TCanvas& Canvas_;
};

// Makes the canvas that measures text without a window (the "compatible
// canvas" of nodes and links), through the platform's MeasuringCanvas
// service (platform/Platform.h); without one a fixed-width measurer stands in
// (each character is half the font's pixel height wide, a line is the pixel
// height tall).
using TCanvasFactory = std::unique_ptr<TCanvas> (*)();
std::unique_ptr<TCanvas> CreateCompatibleCanvas();
// One compatible canvas kept for measuring text, so that laying out a
// caption does not create a canvas each time. Callers set the font they
// measure with. It is made on first use and dropped when the platform's
// services change or ReleaseCompatibleCanvas is called (before the platform goes).
TCanvas& CompatibleCanvas();
void ReleaseCompatibleCanvas();

}  // namespace gc
