#include "GraphControl/DrawingToolProperties.h"

namespace gc {

const TPropertyTable<TFont>& FontPropertyTable() {
  static const TPropertyTable<TFont> table{
      .Published = {
          CharsetProperty<TFont>(
              "Charset", [](const TFont& f) { return f.Charset(); },
              [](TFont& f, TFontCharset v) { f.SetCharset(v); }),
          ColorProperty<TFont>(
              "Color", [](const TFont& f) { return f.Color(); }, [](TFont& f, TColor v) { f.SetColor(v); }),
          IntegerProperty<TFont>(
              "Height", [](const TFont& f) { return f.Height(); },
              [](TFont& f, int32_t v) { f.SetHeight(v); }),
          StringProperty<TFont>(
              "Name", [](const TFont& f) { return f.Name(); },
              [](TFont& f, const std::string& v) { f.SetName(v); }),
          EnumProperty<TFont>(
              "Pitch", FontPitchIdents, [](const TFont& f) { return f.Pitch(); },
              [](TFont& f, TFontPitch v) { f.SetPitch(v); }, TFontPitch::fpDefault),
          SetProperty<TFont>(
              "Style", FontStyleIdents, [](const TFont& f) { return f.Style(); },
              [](TFont& f, TFontStyles v) { f.SetStyle(v); }),
      }};
  return table;
}

const TPropertyTable<TPen>& PenPropertyTable() {
  static const TPropertyTable<TPen> table{
      .Published = {
          ColorProperty<TPen>(
              "Color", [](const TPen& p) { return p.Color(); }, [](TPen& p, TColor v) { p.SetColor(v); },
              clBlack),
          EnumProperty<TPen>(
              "Mode", PenModeIdents, [](const TPen& p) { return p.Mode(); },
              [](TPen& p, TPenMode v) { p.SetMode(v); }, TPenMode::pmCopy),
          EnumProperty<TPen>(
              "Style", PenStyleIdents, [](const TPen& p) { return p.Style(); },
              [](TPen& p, TPenStyle v) { p.SetStyle(v); }, TPenStyle::psSolid),
          IntegerProperty<TPen>(
              "Width", [](const TPen& p) { return p.Width(); }, [](TPen& p, int32_t v) { p.SetWidth(v); }, 1),
      }};
  return table;
}

const TPropertyTable<TBrush>& BrushPropertyTable() {
  static const TPropertyTable<TBrush> table{
      .Published = {
          ColorProperty<TBrush>(
              "Color", [](const TBrush& b) { return b.Color(); }, [](TBrush& b, TColor v) { b.SetColor(v); },
              clWhite),
          EnumProperty<TBrush>(
              "Style", BrushStyleIdents, [](const TBrush& b) { return b.Style(); },
              [](TBrush& b, TBrushStyle v) { b.SetStyle(v); }, TBrushStyle::bsSolid),
      }};
  return table;
}

}  // namespace gc
