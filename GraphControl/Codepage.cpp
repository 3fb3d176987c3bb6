#include "GraphControl/Codepage.h"

#include <array>

namespace gc {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Code points of the bytes 0x80..0x9F; the undefined bytes keep their own value.
constexpr std::array<char16_t, 32> Win1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t Win1252ToCodePoint(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? Win1252High[byte - 0x80] : char32_t{byte};
}

std::optional<unsigned char> CodePointToWin1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (size_t i = 0; i < Win1252High.size(); ++i)
    if (Win1252High[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

struct TDecoded {
  char32_t CodePoint;
  size_t Length;  // bytes consumed, at least 1
  bool Valid;
};

// Decodes one character at `pos`. A malformed sequence consumes its longest
// prefix that could still have started a well-formed character.
TDecoded DecodeUtf8(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, 1, true};
  size_t length = 0;
  char32_t cp = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return {Replacement, 1, false};
  }
  for (size_t i = 1; i < length; ++i) {
    if (pos + i >= text.size()) return {Replacement, i, false};
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    const unsigned char lo = i == 1 ? low : 0x80, hi = i == 1 ? high : 0xBF;
    if (byte < lo || byte > hi) return {Replacement, i, false};
    cp = (cp << 6) | (byte & 0x3F);
  }
  return {cp, length, true};
}

template <class Visit>
void ForEachCodePoint(std::string_view utf8, Visit visit) {
  for (size_t pos = 0; pos < utf8.size();) {
    const TDecoded d = DecodeUtf8(utf8, pos);
    visit(d);
    pos += d.Length;
  }
}

}  // namespace

std::string Win1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, Win1252ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> Utf8ToWin1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  bool ok = true;
  ForEachCodePoint(utf8, [&](const TDecoded& d) {
    const auto byte = d.Valid ? CodePointToWin1252(d.CodePoint) : std::nullopt;
    if (byte)
      out += static_cast<char>(*byte);
    else
      ok = false;
  });
  if (!ok) return std::nullopt;
  return out;
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char32_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, Replacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  ForEachCodePoint(utf8, [&](const TDecoded& d) { AppendUtf16(out, d.CodePoint); });
  return out;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const TDecoded d = DecodeUtf8(text, pos);
    if (!d.Valid) return false;
    pos += d.Length;
  }
  return true;
}

std::string SanitizeUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  ForEachCodePoint(text, [&](const TDecoded& d) { AppendUtf8(out, d.CodePoint); });
  return out;
}

TTextForm ChooseTextForm(std::string_view utf8) {
  if (IsAscii(utf8)) return TTextForm::EightBit;
  size_t units = 0;
  ForEachCodePoint(utf8, [&](const TDecoded& d) { units += d.CodePoint >= 0x10000 ? 2 : 1; });
  return utf8.size() >= 2 * units ? TTextForm::Utf16 : TTextForm::Utf8;
}

}  // namespace gc
