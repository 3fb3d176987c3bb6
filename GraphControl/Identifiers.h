// Identifiers the property stream writes for enumerations and named integers.
// Enumeration tables list the identifiers by ordinal; the code that owns an
// enumeration binds its values to a table by ordinal. Identifiers are compared
// case-insensitively when read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "GraphControl/Types.h"

namespace gc {

bool SameText(std::string_view a, std::string_view b);

// Identifiers of an enumeration (or of set members) by ordinal.
struct TIdentTable {
  std::span<const std::string_view> Names;

  int Count() const { return static_cast<int>(Names.size()); }
  bool Contains(int ordinal) const { return ordinal >= 0 && ordinal < Count(); }
  std::string_view Name(int ordinal) const { return Names[static_cast<size_t>(ordinal)]; }
  // Ordinal of the identifier, or -1 when the table does not know it.
  int IndexOf(std::string_view name) const;
};

namespace idents {
inline constexpr std::string_view BrushStyle[] = {"bsSolid",    "bsClear",     "bsHorizontal",
                                                  "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                                  "bsCross",    "bsDiagCross"};
inline constexpr std::string_view PenStyle[] = {"psSolid",      "psDash",  "psDot",        "psDashDot",
                                                "psDashDotDot", "psClear", "psInsideFrame"};
inline constexpr std::string_view PenMode[] = {
    "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
    "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
inline constexpr std::string_view FontPitch[] = {"fpDefault", "fpVariable", "fpFixed"};
inline constexpr std::string_view FontStyle[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
inline constexpr std::string_view Alignment[] = {"taLeftJustify", "taRightJustify", "taCenter"};
inline constexpr std::string_view TextLayout[] = {"tlTop", "tlCenter", "tlBottom"};
inline constexpr std::string_view GraphObjectOption[] = {"goLinkable", "goSelectable", "goShowCaption"};
inline constexpr std::string_view GraphNodeOption[] = {"gnoMovable", "gnoResizable", "gnoShowBackground"};
inline constexpr std::string_view GraphLinkOption[] = {"gloFixedStartPoint", "gloFixedEndPoint",
                                                       "gloFixedBreakPoints"};
inline constexpr std::string_view LinkBeginEndStyle[] = {"lsNone", "lsArrow", "lsArrowSimple", "lsCircle",
                                                         "lsDiamond"};
}  // namespace idents

inline constexpr TIdentTable BrushStyleIdents{idents::BrushStyle};
inline constexpr TIdentTable PenStyleIdents{idents::PenStyle};
inline constexpr TIdentTable PenModeIdents{idents::PenMode};
inline constexpr TIdentTable FontPitchIdents{idents::FontPitch};
inline constexpr TIdentTable FontStyleIdents{idents::FontStyle};
inline constexpr TIdentTable AlignmentIdents{idents::Alignment};
inline constexpr TIdentTable TextLayoutIdents{idents::TextLayout};
inline constexpr TIdentTable GraphObjectOptionIdents{idents::GraphObjectOption};
inline constexpr TIdentTable GraphNodeOptionIdents{idents::GraphNodeOption};
inline constexpr TIdentTable GraphLinkOptionIdents{idents::GraphLinkOption};
inline constexpr TIdentTable LinkBeginEndStyleIdents{idents::LinkBeginEndStyle};

// Named colours and character sets. A value with several names is written
// with the first; every name is read.
std::optional<std::string_view> ColorToIdent(TColor color);
std::optional<TColor> IdentToColor(std::string_view name);
std::optional<std::string_view> CharsetToIdent(int32_t charset);
std::optional<int32_t> IdentToCharset(std::string_view name);

}  // namespace gc
