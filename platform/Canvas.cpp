#include "platform/Canvas.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "GraphControl/Numeric.h"
#include "GraphControl/Utf8.h"
#include "platform/Platform.h"

namespace gc {

// ---------------------------------------------------------------------------
// Multi-line text

namespace {

const std::string CrLf = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Splits on CR LF, LF and CR (CR LF is one break). With singleLine every
// break becomes a space and the text stays one line.
std::vector<std::string> SplitParagraphs(const std::string& text, bool singleLine) {
  std::vector<std::string> lines(1);
  for (size_t i = 0;;) {
    const size_t brk = text.find_first_of("\r\n", i);
    lines.back().append(text, i, brk == std::string::npos ? std::string::npos : brk - i);
    if (brk == std::string::npos) break;
    i = brk + 1;
    if (text[brk] == '\r' && i < text.size() && text[i] == '\n') ++i;
    if (singleLine)
      lines.back() += ' ';
    else
      lines.emplace_back();
  }
  return lines;
}

// Greedy word wrap of one paragraph: lines break between words (runs of
// blanks are dropped at the break); a word wider than the width keeps a line
// of its own rather than being split.
void WrapParagraph(TCanvas& canvas, const std::string& para, int32_t width, std::vector<std::string>& out) {
  struct TWord {
    size_t Begin, End;
  };
  std::vector<TWord> words;
  for (size_t i = 0; i < para.size();) {
    while (i < para.size() && IsBlank(para[i])) ++i;
    if (i == para.size()) break;
    const size_t begin = i;
    while (i < para.size() && !IsBlank(para[i])) ++i;
    words.push_back({begin, i});
  }
  if (words.empty()) {
    out.push_back(para);
    return;
  }
  size_t lineBegin = 0;  // the first line keeps the paragraph's leading blanks
  size_t first = 0;
  while (first < words.size()) {
    size_t last = first;
    while (last + 1 < words.size() &&
           canvas.TextExtent(para.substr(lineBegin, words[last + 1].End - lineBegin)).cx <= width)
      ++last;
    out.push_back(para.substr(lineBegin, words[last].End - lineBegin));
    first = last + 1;
    if (first < words.size()) lineBegin = words[first].Begin;
  }
}

// Shortens the line until it fits with the ellipsis appended; true when the
// line changed.
bool AddEndEllipsis(TCanvas& canvas, std::string& line, int32_t width) {
  if (canvas.TextExtent(line).cx <= width) return false;
  const std::string ellipsis(canvas.HasGlyph(EllipsisCodePoint) ? EllipsisChar : EllipsisDots);
  std::vector<size_t> bounds = Utf8Boundaries(line);
  bounds.pop_back();
  while (!bounds.empty()) {
    line.resize(bounds.back());
    bounds.pop_back();
    if (canvas.TextExtent(line + ellipsis).cx <= width) break;
  }
  line += ellipsis;
  return true;
}

}  // namespace

int32_t TCanvas::DrawText(std::string& text, TRect& r, uint32_t flags) {
  const bool singleLine = (flags & dt::SingleLine) != 0;
  const int32_t width = r.Right - r.Left;
  std::vector<std::string> lines;
  for (const std::string& para : SplitParagraphs(text, singleLine)) {
    if ((flags & dt::WordBreak) && !singleLine)
      WrapParagraph(*this, para, width, lines);
    else
      lines.push_back(para);
  }

  bool shortened = false;
  if (flags & dt::EndEllipsis)
    for (std::string& line : lines) shortened |= AddEndEllipsis(*this, line, width);
  if (shortened && (flags & dt::ModifyString)) {
    text.clear();
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? CrLf : std::string()) + lines[i];
  }

  std::vector<TSize> extents;
  extents.reserve(lines.size());
  int32_t total = 0;
  int32_t widest = 0;
  for (const std::string& line : lines) {
    TSize e = TextExtent(line);
    if (line.empty()) e.cy = TextExtent(" ").cy;
    extents.push_back(e);
    total += e.cy;
    widest = std::max(widest, e.cx);
  }

  if (flags & dt::CalcRect) {
    r.Right = r.Left + widest;
    r.Bottom = r.Top + total;
    return total;
  }

  int32_t y = r.Top;
  if (flags & dt::Bottom)
    y = r.Bottom - total;
  else if (flags & dt::VCenter)
    y = r.Top + Halve(r.Bottom - r.Top - total);

  // Only clipping changes the canvas's state.
  std::optional<TCanvasStateGuard> guard;
  if (!(flags & dt::NoClip)) {
    guard.emplace(*this);
    IntersectClipRect(r);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    int32_t x = r.Left;
    if (flags & dt::Right)
      x = r.Right - extents[i].cx;
    else if (flags & dt::Center)
      x = r.Left + Halve(width - extents[i].cx);
    DrawTextLine(x, y, lines[i]);
    y += extents[i].cy;
  }
  return total;
}

// ---------------------------------------------------------------------------
// View mapping and colours

// The control's own mapping (UnitsToPixels), so painting lands on the pixels
// that the control hit-tests and invalidates.
TPoint TCanvas::LogicalToDevice(TPoint p) const {
  const int32_t zoom = Zoom_ > 0 ? Zoom_ : 100;
  auto map = [zoom](int32_t c, int32_t origin) { return SaturatingAdd(UnitsToPixels(c, zoom), origin); };
  return {map(p.X, ViewportOrigin_.X), map(p.Y, ViewportOrigin_.Y)};
}

TPoint TCanvas::DeviceToLogical(TPoint p) const {
  const int32_t zoom = Zoom_ > 0 ? Zoom_ : 100;
  auto map = [zoom](int32_t c, int32_t origin) {
    return PixelsToUnits(static_cast<int64_t>(c) - origin, zoom);
  };
  return {map(p.X, ViewportOrigin_.X), map(p.Y, ViewportOrigin_.Y)};
}

namespace {

constexpr TColor Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

// The classic default scheme of the system colours, indexed by the low byte
// of a system colour value.
constexpr TColor SystemColorTable[] = {
    Rgb(212, 208, 200),  // scroll bar
    Rgb(58, 110, 165),   // desktop background
    Rgb(10, 36, 106),    // active caption
    Rgb(128, 128, 128),  // inactive caption
    Rgb(212, 208, 200),  // menu
    Rgb(255, 255, 255),  // window
    Rgb(0, 0, 0),        // window frame
    Rgb(0, 0, 0),        // menu text
    Rgb(0, 0, 0),        // window text
    Rgb(255, 255, 255),  // caption text
    Rgb(212, 208, 200),  // active border
    Rgb(212, 208, 200),  // inactive border
    Rgb(128, 128, 128),  // application workspace
    Rgb(10, 36, 106),    // highlight
    Rgb(255, 255, 255),  // highlight text
    Rgb(212, 208, 200),  // button face
    Rgb(128, 128, 128),  // button shadow
    Rgb(128, 128, 128),  // grey text
    Rgb(0, 0, 0),        // button text
    Rgb(212, 208, 200),  // inactive caption text
    Rgb(255, 255, 255),  // button highlight
    Rgb(64, 64, 64),     // 3-D dark shadow
    Rgb(212, 208, 200),  // 3-D light
    Rgb(0, 0, 0),        // tooltip text
    Rgb(255, 255, 225),  // tooltip background
    Rgb(181, 181, 181),  // (unused index)
    Rgb(0, 0, 128),      // hot-tracked item
    Rgb(166, 202, 240),  // gradient of the active caption
    Rgb(192, 192, 192),  // gradient of the inactive caption
    Rgb(49, 106, 197),   // menu highlight
    Rgb(236, 233, 216),  // menu bar
};

}  // namespace

TColor TCanvas::ColorToRGB(TColor color) const {
  if (color == clNone) return clWhite;
  if (color == clDefault) return clBlack;
  if ((color & 0xFF000000) == clSystemColor) {
    const uint32_t index = color & 0xFF;
    return index < std::size(SystemColorTable) ? SystemColorTable[index] : clBlack;
  }
  return color & 0x00FFFFFF;
}

// ---------------------------------------------------------------------------
// State

TCanvas::TBaseState TCanvas::SaveBaseState() const {
  return TBaseState{Font_,      Pen_,      Brush_,     PolyFillMode_, BackgroundMode_,
                    TextAlign_, CopyMode_, TextFlags_, Zoom_,         ViewportOrigin_};
}

void TCanvas::RestoreBaseState(const TBaseState& s) {
  Font_ = s.Font;
  Pen_ = s.Pen;
  Brush_ = s.Brush;
  PolyFillMode_ = s.PolyFillMode;
  BackgroundMode_ = s.BackgroundMode;
  TextAlign_ = s.TextAlign;
  CopyMode_ = s.CopyMode;
  TextFlags_ = s.TextFlags;
  if (Zoom_ != s.Zoom || ViewportOrigin_ != s.ViewportOrigin) SetViewMapping(s.Zoom, s.ViewportOrigin);
}

// ---------------------------------------------------------------------------
// Measuring canvas

namespace {

// Stands in for the platform's measuring canvas when none is installed: draws
// nothing; every character is half the font's pixel height wide and a line is
// that height tall.
class TFallbackMeasurer final : public TCanvas {
 public:
  void Polygon(const TPoint*, int) override {}
  void Polyline(const TPoint*, int) override {}
  void Ellipse(const TRect&) override {}
  void Rectangle(const TRect&) override {}
  void RoundRect(const TRect&, int32_t, int32_t) override {}
  void SetPixel(int32_t, int32_t, TColor) override {}
  void FillRect(const TRect&) override {}
  void TextOut(int32_t, int32_t, const std::string&) override {}
  TSize TextExtent(const std::string& text) override {
    const int32_t h = Font().Height() == 0 ? 13 : std::abs(Font().Height());
    return {static_cast<int32_t>(std::min<size_t>(Utf8CharCount(text) * (h / 2), INT32_MAX)), h};
  }
  bool HasGlyph(char32_t) override { return true; }
  void StretchDraw(const TRect&, const TGraphic&) override {}
  void IntersectClipRegion(const TRegion&) override {}
  void IntersectClipRect(const TRect&) override {}
  TRect ClipRect() const override { return {-1073741824, -1073741824, 1073741823, 1073741823}; }
  void SaveState() override { States_.push_back(SaveBaseState()); }
  void RestoreState() override {
    if (States_.empty()) return;
    RestoreBaseState(States_.back());
    States_.pop_back();
  }

 protected:
  void DrawTextLine(int32_t, int32_t, const std::string&) override {}

 private:
  std::vector<TBaseState> States_;
};

// The canvas that CompatibleCanvas() hands out; made on first use.
std::unique_ptr<TCanvas>& SharedCompatibleCanvas() {
  static std::unique_ptr<TCanvas> canvas;
  return canvas;
}

}  // namespace

TCanvas& CompatibleCanvas() {
  std::unique_ptr<TCanvas>& canvas = SharedCompatibleCanvas();
  if (!canvas) canvas = CreateCompatibleCanvas();
  return *canvas;
}

void ReleaseCompatibleCanvas() { SharedCompatibleCanvas().reset(); }

std::unique_ptr<TCanvas> CreateCompatibleCanvas() {
  if (const TCanvasFactory factory = PlatformServices().MeasuringCanvas)
    if (std::unique_ptr<TCanvas> canvas = factory()) return canvas;
  return std::make_unique<TFallbackMeasurer>();
}

}  // namespace gc
