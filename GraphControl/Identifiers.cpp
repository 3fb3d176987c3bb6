#include "GraphControl/Identifiers.h"

#include <algorithm>
#include <array>

namespace gc {

namespace {

template <class V>
struct TNamedValue {
  V Value;
  std::string_view Name;
};

constexpr std::array<TNamedValue<TColor>, 52> ColorNames = {{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

constexpr std::array<TNamedValue<int32_t>, 18> CharsetNames = {{
    {0, "ANSI_CHARSET"},
    {1, "DEFAULT_CHARSET"},
    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"},
    {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},
    {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},
    {162, "TURKISH_CHARSET"},
    {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"},
    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
}};

template <class V, size_t N>
std::optional<std::string_view> NameOf(const std::array<TNamedValue<V>, N>& table, V value) {
  const auto it = std::find_if(table.begin(), table.end(), [&](const auto& e) { return e.Value == value; });
  if (it == table.end()) return std::nullopt;
  return it->Name;
}

template <class V, size_t N>
std::optional<V> ValueOf(const std::array<TNamedValue<V>, N>& table, std::string_view name) {
  const auto it =
      std::find_if(table.begin(), table.end(), [&](const auto& e) { return SameText(e.Name, name); });
  if (it == table.end()) return std::nullopt;
  return it->Value;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Names are mostly written as declared: the exact comparison decides most
  // pairs, the one that ignores case the rest.
  if (a == b) return true;
  return std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

int TIdentTable::IndexOf(std::string_view name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Names[static_cast<size_t>(i)], name)) return i;
  return -1;
}

std::optional<std::string_view> ColorToIdent(TColor color) { return NameOf(ColorNames, color); }
std::optional<TColor> IdentToColor(std::string_view name) { return ValueOf(ColorNames, name); }
std::optional<std::string_view> CharsetToIdent(int32_t charset) { return NameOf(CharsetNames, charset); }
std::optional<int32_t> IdentToCharset(std::string_view name) { return ValueOf(CharsetNames, name); }

}  // namespace gc
