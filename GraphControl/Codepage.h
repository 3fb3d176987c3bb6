// Text conversions of the property stream. Text inside the library is UTF-8;
// the stream also carries 8-bit text in the Windows-1252 code page and UTF-16.
// Every conversion is total: malformed input becomes U+FFFD, and all 256
// Windows-1252 bytes (including the five the code page leaves undefined, which
// map to the C1 control of the same value) convert to UTF-8 and back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gc {

std::string Win1252ToUtf8(std::string_view bytes);
// nullopt when a character has no Windows-1252 byte.
std::optional<std::string> Utf8ToWin1252(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);
// Malformed sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

bool IsAscii(std::string_view text);
bool IsValidUtf8(std::string_view text);
// Replaces each maximal malformed subsequence by one U+FFFD (overlong forms,
// surrogates and values above U+10FFFF count as malformed).
std::string SanitizeUtf8(std::string_view text);

// How a string is stored: ASCII text as 8-bit characters (its UTF-8 and 8-bit
// forms are the same bytes); other text as UTF-16 when its UTF-8 form takes at
// least two bytes per UTF-16 unit, else as UTF-8, whichever is not larger.
enum class TTextForm { EightBit, Utf16, Utf8 };
TTextForm ChooseTextForm(std::string_view utf8);

}  // namespace gc
