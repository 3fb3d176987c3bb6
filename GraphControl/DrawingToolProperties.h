// Property tables of the drawing tools as graph objects store them. Each
// property is stored only when it differs from the tool's default; the font's
// properties are all stored, and its owner decides whether the font is
// written at all (StoredWhen on the owner's "Font" property).
#pragma once

#include "GraphControl/DrawingTools.h"
#include "GraphControl/PropertyTable.h"

namespace gc {

// Charset, Color, Height, Name (when not empty), Pitch (when not fpDefault),
// Style.
const TPropertyTable<TFont>& FontPropertyTable();
// Color (default clBlack), Mode (pmCopy), Style (psSolid), Width (1).
const TPropertyTable<TPen>& PenPropertyTable();
// Color (default clWhite), Style (bsSolid).
const TPropertyTable<TBrush>& BrushPropertyTable();

}  // namespace gc
