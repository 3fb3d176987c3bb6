// Font, pen and brush: the drawing tools that graph objects own and that a
// canvas draws with. Each tool reports a real change through OnChange, so the
// owner can react (repaint, re-layout the caption, mark the diagram modified).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "GraphControl/ChangeCallback.h"
#include "GraphControl/Types.h"

namespace gc {

enum class TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
enum class TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class TPenMode : uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
enum class TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

// Font style set, one bit per member in declaration order.
using TFontStyles = uint8_t;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;

using TFontCharset = uint8_t;
inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;

// Fonts are measured at a fixed 96 pixels per inch, so a stored height means
// the same size on every screen.
inline constexpr int FontPixelsPerInch = 96;

// Base for the three tools: a change callback that copying and every setter
// use, and a lock so an owner can copy values in without being told.
class TDrawingTool {
 public:
  TChangeCallback OnChange;

 protected:
  void Changed() {
    if (OnChange) OnChange();
  }
};

class TFont : public TDrawingTool {
 public:
  TFont() = default;
  TFont(const TFont& other) { CopyValues(other); }
  // Copies the values and reports one change; the callback stays this font's.
  TFont& operator=(const TFont& other) {
    Assign(other);
    return *this;
  }
  void Assign(const TFont& other) {
    if (SameValues(other)) return;
    CopyValues(other);
    Changed();
  }
  bool SameValues(const TFont& o) const {
    return Name_ == o.Name_ && Height_ == o.Height_ && Color_ == o.Color_ && Style_ == o.Style_ &&
           Charset_ == o.Charset_ && Pitch_ == o.Pitch_ && Orientation_ == o.Orientation_;
  }

  const std::string& Name() const { return Name_; }
  void SetName(const std::string& v) { Set(Name_, v); }
  // Negative: character height in pixels; positive: cell height.
  int32_t Height() const { return Height_; }
  void SetHeight(int32_t v) { Set(Height_, v); }
  // Size in points, derived from the height at 96 pixels per inch.
  int32_t Size() const;
  void SetSize(int32_t points);
  TColor Color() const { return Color_; }
  void SetColor(TColor v) { Set(Color_, v); }
  TFontStyles Style() const { return Style_; }
  void SetStyle(TFontStyles v) { Set(Style_, v); }
  TFontCharset Charset() const { return Charset_; }
  void SetCharset(TFontCharset v) { Set(Charset_, v); }
  TFontPitch Pitch() const { return Pitch_; }
  void SetPitch(TFontPitch v) { Set(Pitch_, v); }
  // Text direction in tenths of a degree, counter-clockwise (used for rotated
  // link captions; never streamed).
  int32_t Orientation() const { return Orientation_; }
  void SetOrientation(int32_t v) { Set(Orientation_, v); }

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CopyValues(const TFont& o) {
    Name_ = o.Name_;
    Height_ = o.Height_;
    Color_ = o.Color_;
    Style_ = o.Style_;
    Charset_ = o.Charset_;
    Pitch_ = o.Pitch_;
    Orientation_ = o.Orientation_;
  }

  std::string Name_ = "Arial";
  int32_t Height_ = -11;  // 8 points
  TColor Color_ = clWindowText;
  TFontStyles Style_ = 0;
  TFontCharset Charset_ = DEFAULT_CHARSET;
  TFontPitch Pitch_ = TFontPitch::fpDefault;
  int32_t Orientation_ = 0;
};

class TPen : public TDrawingTool {
 public:
  TPen() = default;
  TPen(const TPen& other) { CopyValues(other); }
  TPen& operator=(const TPen& other) {
    Assign(other);
    return *this;
  }
  void Assign(const TPen& other) {
    if (SameValues(other)) return;
    CopyValues(other);
    Changed();
  }
  bool SameValues(const TPen& o) const {
    return Color_ == o.Color_ && Width_ == o.Width_ && Style_ == o.Style_ && Mode_ == o.Mode_;
  }

  TColor Color() const { return Color_; }
  void SetColor(TColor v) { Set(Color_, v); }
  int32_t Width() const { return Width_; }
  void SetWidth(int32_t v) { Set(Width_, v); }
  TPenStyle Style() const { return Style_; }
  void SetStyle(TPenStyle v) { Set(Style_, v); }
  TPenMode Mode() const { return Mode_; }
  void SetMode(TPenMode v) { Set(Mode_, v); }

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CopyValues(const TPen& o) {
    Color_ = o.Color_;
    Width_ = o.Width_;
    Style_ = o.Style_;
    Mode_ = o.Mode_;
  }

  TColor Color_ = clBlack;
  int32_t Width_ = 1;
  TPenStyle Style_ = TPenStyle::psSolid;
  TPenMode Mode_ = TPenMode::pmCopy;
};

class TBrush : public TDrawingTool {
 public:
  TBrush() = default;
  TBrush(const TBrush& other) { CopyValues(other); }
  TBrush& operator=(const TBrush& other) {
    Assign(other);
    return *this;
  }
  void Assign(const TBrush& other) {
    if (SameValues(other)) return;
    CopyValues(other);
    Changed();
  }
  bool SameValues(const TBrush& o) const { return Color_ == o.Color_ && Style_ == o.Style_; }

  TColor Color() const { return Color_; }
  void SetColor(TColor v) { Set(Color_, v); }
  TBrushStyle Style() const { return Style_; }
  void SetStyle(TBrushStyle v) { Set(Style_, v); }

 private:
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  void CopyValues(const TBrush& o) {
    Color_ = o.Color_;
    Style_ = o.Style_;
  }

  TColor Color_ = clWhite;
  TBrushStyle Style_ = TBrushStyle::bsSolid;
};

}  // namespace gc
