// Widths of text in one font without shaping it each time.
//
// Measuring a line with Qt shapes it: the text is itemised, run through the
// shaper and its glyph advances added up, some microseconds a line. Laying
// out a caption measures many lines. For text whose characters the shaper
// never changes in context, the width is the sum of each character's own
// advance, which this cache keeps per font. The sum is exact: Qt adds the
// advances in 1/64 pixels, as this does.
//
// A character takes the fast path only after the cache has checked it: it
// has a glyph in the font itself, is no control or format character, and
// measured in a pair with every character accepted before it (either way
// round) gives the sum of the two advances. Pairs that shaping changes (the
// ligatures "fi" or "ff" of some fonts) are remembered, and text containing
// one is shaped in full. Everything else (combining marks, right-to-left and
// CJK text, tabs, characters from fallback fonts) is shaped in full too.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class QPaintDevice;

namespace gc::qt {

class TTextAdvances {
 public:
  // The cache of a font as measured on a device; kept for the process's
  // life (one per font and resolution in use; the user-interface thread only).
  static TTextAdvances& For(const QFont& font, const QPaintDevice* device);

  // The width of `text` (UTF-8) in 1/64 pixels when the fast path can give
  // it; nothing when the text must be shaped.
  std::optional<int64_t> Width(std::string_view text);
  // Whether the font itself has a glyph for the character.
  bool HasGlyph(char32_t ch);

  // Turns the fast path off (and on again) for the whole process, so that a
  // comparison can measure every text in full.
  static void SetEnabled(bool enabled);
  static bool Enabled();

  TTextAdvances(const QFont& font, const QPaintDevice* device);

 private:
  // Characters below this code point may take the fast path (Latin).
  static constexpr char32_t Limit = 0x250;
  enum class TKind : uint8_t { Unchecked, Simple, Shaped };

  bool Check(char32_t ch);
  int64_t Measure(const QString& text) const;  // 1/64 pixels, shaped in full
  size_t PairIndex(char32_t first, char32_t second) const { return first * Limit + second; }

  QFontMetricsF Metrics_;
  std::array<TKind, Limit> Kind_{};
  std::array<int32_t, Limit> Advance_{};  // 1/64 pixels
  std::vector<char32_t> Simple_;          // accepted characters, in order
  std::vector<bool> ShapedPairs_;         // Limit x Limit: pairs whose width is not the sum
  std::unordered_map<char32_t, bool> Glyphs_;
};

}  // namespace gc::qt
