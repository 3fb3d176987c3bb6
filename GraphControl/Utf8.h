// Character stepping over UTF-8 text. Text layout measures and breaks on whole
// characters, never inside a multi-byte sequence. A byte that does not start a
// well-formed sequence counts as one character of its own, so stepping always
// makes progress on malformed input.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace gc {

// Byte length of the well-formed sequence starting at `pos`, or 1.
inline size_t Utf8CharLength(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  size_t len = lead < 0x80           ? 1
               : (lead >> 5) == 0x6  ? 2
               : (lead >> 4) == 0xE  ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 1;
  if (pos + len > text.size()) return 1;
  for (size_t i = 1; i < len; ++i)
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  return len;
}

// Byte offsets of every character start, followed by text.size().
inline std::vector<size_t> Utf8Boundaries(std::string_view text) {
  std::vector<size_t> offsets;
  offsets.reserve(text.size() + 1);
  for (size_t pos = 0; pos < text.size(); pos += Utf8CharLength(text, pos)) offsets.push_back(pos);
  offsets.push_back(text.size());
  return offsets;
}

inline size_t Utf8CharCount(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += Utf8CharLength(text, pos)) ++count;
  return count;
}

// The horizontal ellipsis as one character, used when the font can draw it.
inline constexpr char32_t EllipsisCodePoint = 0x2026;
inline constexpr std::string_view EllipsisChar = "\xE2\x80\xA6";
inline constexpr std::string_view EllipsisDots = "...";

}  // namespace gc
