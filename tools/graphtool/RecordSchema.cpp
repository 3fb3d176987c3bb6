#include "tools/graphtool/RecordSchema.h"

#include <algorithm>
#include <iterator>

namespace gc::tool {

namespace {

using enum TValueKind;
constexpr TRecordScope Node = TRecordScope::Node;
constexpr TRecordScope Link = TRecordScope::Link;
constexpr TRecordScope Any = TRecordScope::AnyObject;

// In the order the writer stores them, then the paths only older files use.
const TRecordType Records[] = {
    {"ID", Unsigned},
    {"G.Text", Text},
    {"G.Hint", Text},
    {"G.Brush.Color", Color},
    {"G.Brush.Style", Enum, Any, &BrushStyleIdents},
    {"G.Pen.Color", Color},
    {"G.Pen.Mode", Enum, Any, &PenModeIdents},
    {"G.Pen.Style", Enum, Any, &PenStyleIdents},
    {"G.Pen.Width", Integer},
    {"G.Font.Charset", Charset},
    {"G.Font.Color", Color},
    {"G.Font.Height", Integer},
    {"G.Font.Name", Text},
    {"G.Font.Pitch", Enum, Any, &FontPitchIdents},
    {"G.Font.Style", Set, Any, &FontStyleIdents},
    {"G.ParentFont", Boolean},
    {"G.Options", Set, Any, &GraphObjectOptionIdents},
    {"G.Visible", Boolean},
    {"G.Tag", Integer},
    {"G.HasCustomData", Boolean},
    {"G.Left", Integer, Node},
    {"G.Top", Integer, Node},
    {"G.Width", Integer, Node},
    {"G.Height", Integer, Node},
    {"G.Alignment", Enum, Node, &AlignmentIdents},
    {"G.Layout", Enum, Node, &TextLayoutIdents},
    {"G.Margin", Integer, Node},
    {"G.Background.Data", Picture, Node},
    {"G.NodeOptions", Set, Node, &GraphNodeOptionIdents},
    {"G.BeginStyle", Enum, Link, &LinkBeginEndStyleIdents},
    {"G.BeginSize", Byte, Link},
    {"G.EndStyle", Enum, Link, &LinkBeginEndStyleIdents},
    {"G.EndSize", Byte, Link},
    {"G.LinkOptions", Set, Link, &GraphLinkOptionIdents},
    {"G.TextPosition", Integer, Link},
    {"G.TextSpacing", Integer, Link},
    {"G.CustomData", CustomData},
    {"G.BackgroundMargins", Margins, Node},
    {"G.Source", LinkEnd, Link},
    {"G.Target", LinkEnd, Link},
    {"G.BreakPoints", Points, Link},
    {"G.FromNode", LinkEnd, Link},
    {"G.ToNode", LinkEnd, Link},
    {"G.Kind", Identifier, Link},
    {"G.ArrowSize", Integer, Link},
};

}  // namespace

const TRecordType* FindRecordType(std::string_view path, bool isLink) {
  const auto it = std::find_if(std::begin(Records), std::end(Records), [&](const TRecordType& r) {
    return SameText(r.Path, path) &&
           (r.Scope == TRecordScope::AnyObject || (r.Scope == TRecordScope::Link) == isLink);
  });
  return it == std::end(Records) ? nullptr : &*it;
}

size_t RecordPlace(const TRecordType& type) { return static_cast<size_t>(&type - std::begin(Records)); }

}  // namespace gc::tool
