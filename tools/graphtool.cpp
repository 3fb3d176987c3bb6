// graphtool: inspects, rewrites and renders diagram files.
//
//   graphtool dump FILE       prints the diagram as JSON: every object in
//                             z-order with its class, ID and properties
//   graphtool resave IN OUT   loads IN and saves it as OUT
//   graphtool render IN OUT   draws every object into OUT, a PNG or an SVG
//                             file (by the extension)
//   graphtool xml FILE [--lists DIR]
//                             prints the screen's XML export (tools/XmlCommand.h)
//
// On failure the message goes to stderr and the exit status is 1.
#include <QGuiApplication>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/Identifiers.h"
#include "GraphControl/RenderHooks.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"
#include "platform/qt/QtMeasuringCanvas.h"
#include "platform/qt/QtRenderedImage.h"
#include "tools/XmlCommand.h"

namespace {

using namespace gc;

constexpr const char* UsageText =
    "usage: graphtool dump FILE | graphtool resave IN OUT | graphtool render IN OUT.png|OUT.svg | "
    "graphtool xml FILE.Screen [--lists DIR]";

// Custom data has no meaning to the tool; it is kept byte for byte so that a
// resaved file carries it unchanged.
class TCustomDataKeeper {
 public:
  explicit TCustomDataKeeper(TGraphControl& graph) {
    graph.OnObjectRead = [this](TGraphControl*, TGraphObject* object, TStream& stream) {
      std::vector<uint8_t>& bytes = Data_[object];
      bytes.resize(static_cast<size_t>(stream.Size()));
      stream.ReadBuffer(bytes.data(), bytes.size());
    };
    graph.OnObjectWrite = [this](TGraphControl*, TGraphObject* object, TStream& stream) {
      const auto it = Data_.find(object);
      if (it != Data_.end() && !it->second.empty()) stream.WriteBuffer(it->second.data(), it->second.size());
    };
  }
  size_t SizeOf(const TGraphObject* object) const {
    const auto it = Data_.find(object);
    return it == Data_.end() ? 0 : it->second.size();
  }

 private:
  std::map<const TGraphObject*, std::vector<uint8_t>> Data_;
};

// ---- JSON -------------------------------------------------------------------------------------

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Ident(const TIdentTable& names, int ordinal) {
  return names.Contains(ordinal) ? Quote(names.Name(ordinal)) : std::to_string(ordinal);
}

std::string SetOf(const TIdentTable& names, uint32_t members) {
  std::string out = "[";
  for (int i = 0; i < names.Count(); ++i) {
    if (!(members & (1u << i))) continue;
    if (out.size() > 1) out += ", ";
    out += Quote(names.Name(i));
  }
  return out + "]";
}

std::string Color(TColor color) {
  if (const auto name = ColorToIdent(color)) return Quote(*name);
  return std::to_string(color);
}

std::string Charset(int32_t charset) {
  if (const auto name = CharsetToIdent(charset)) return Quote(*name);
  return std::to_string(charset);
}

std::string Bool(bool value) { return value ? "true" : "false"; }

// One object as a JSON object, in the order of its stored records.
std::string ObjectJson(const TGraphObject& o, const TCustomDataKeeper& custom) {
  std::ostringstream j;
  j << "    {\"class\": " << Quote(o.ClassType()->ClassName()) << ", \"ID\": " << o.ID();
  j << ", \"Text\": " << Quote(o.Text()) << ", \"Hint\": " << Quote(o.Hint());
  j << ", \"Brush\": {\"Color\": " << Color(o.Brush().Color())
    << ", \"Style\": " << Ident(BrushStyleIdents, static_cast<int>(o.Brush().Style())) << "}";
  j << ", \"Pen\": {\"Color\": " << Color(o.Pen().Color())
    << ", \"Mode\": " << Ident(PenModeIdents, static_cast<int>(o.Pen().Mode()))
    << ", \"Style\": " << Ident(PenStyleIdents, static_cast<int>(o.Pen().Style()))
    << ", \"Width\": " << o.Pen().Width() << "}";
  const TFont& f = o.Font();
  j << ", \"Font\": {\"Charset\": " << Charset(f.Charset()) << ", \"Color\": " << Color(f.Color())
    << ", \"Height\": " << f.Height() << ", \"Name\": " << Quote(f.Name())
    << ", \"Pitch\": " << Ident(FontPitchIdents, static_cast<int>(f.Pitch()))
    << ", \"Style\": " << SetOf(FontStyleIdents, f.Style()) << "}";
  j << ", \"ParentFont\": " << Bool(o.ParentFont())
    << ", \"Options\": " << SetOf(GraphObjectOptionIdents, o.Options())
    << ", \"Visible\": " << Bool(o.Visible()) << ", \"Tag\": " << o.Tag()
    << ", \"HasCustomData\": " << Bool(o.HasCustomData()) << ", \"CustomDataSize\": " << custom.SizeOf(&o);
  if (o.IsLink()) {
    const auto& l = static_cast<const TGraphLink&>(o);
    j << ", \"BeginStyle\": " << Ident(LinkBeginEndStyleIdents, l.BeginStyle())
      << ", \"BeginSize\": " << int{l.BeginSize()}
      << ", \"EndStyle\": " << Ident(LinkBeginEndStyleIdents, l.EndStyle())
      << ", \"EndSize\": " << int{l.EndSize()}
      << ", \"LinkOptions\": " << SetOf(GraphLinkOptionIdents, l.LinkOptions())
      << ", \"TextPosition\": " << l.TextPosition() << ", \"TextSpacing\": " << l.TextSpacing();
    j << ", \"Points\": [";
    for (int32_t i = 0; i < l.PointCount(); ++i)
      j << (i ? ", " : "") << "[" << l.Points(i).X << ", " << l.Points(i).Y << "]";
    j << "]";
    j << ", \"Source\": " << (l.Source() ? std::to_string(l.Source()->ID()) : "null");
    j << ", \"Target\": " << (l.Target() ? std::to_string(l.Target()->ID()) : "null");
  } else if (const auto* n = dynamic_cast<const TGraphNode*>(&o)) {
    j << ", \"Left\": " << n->Left() << ", \"Top\": " << n->Top() << ", \"Width\": " << n->Width()
      << ", \"Height\": " << n->Height() << ", \"Alignment\": " << Ident(AlignmentIdents, n->Alignment())
      << ", \"Layout\": " << Ident(TextLayoutIdents, n->Layout()) << ", \"Margin\": " << n->Margin();
    const TGraphic* g = n->Background().Graphic();
    j << ", \"Background\": ";
    if (g)
      j << "{\"Class\": " << Quote(g->ClassName) << ", \"Size\": " << g->Data.size() << "}";
    else
      j << "null";
    const TRect& m = n->BackgroundMargins();
    j << ", \"BackgroundMargins\": [" << m.Left << ", " << m.Top << ", " << m.Right << ", " << m.Bottom
      << "]";
    j << ", \"NodeOptions\": " << SetOf(GraphNodeOptionIdents, n->NodeOptions());
  }
  j << "}";
  return j.str();
}

// ---- Commands ---------------------------------------------------------------------------------

int Dump(const std::string& file) {
  TGraphControl graph;
  TCustomDataKeeper custom(graph);
  graph.LoadFromFile(file);
  std::cout << "{\n  \"objects\": [\n";
  for (int32_t i = 0; i < graph.Objects().Count(); ++i)
    std::cout << ObjectJson(*graph.Objects().Items(i), custom)
              << (i + 1 < graph.Objects().Count() ? ",\n" : "\n");
  std::cout << "  ]\n}\n";
  return 0;
}

int Resave(const std::string& in, const std::string& out) {
  TGraphControl graph;
  TCustomDataKeeper custom(graph);
  graph.LoadFromFile(in);
  graph.SaveToFile(out);
  return 0;
}

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         SameText(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

int Render(int argc, char** argv, const std::string& in, const std::string& out) {
  TRenderedImageKind kind;
  if (EndsWith(out, ".png"))
    kind = TRenderedImageKind::Bitmap;
  else if (EndsWith(out, ".svg"))
    kind = TRenderedImageKind::Metafile;
  else
    throw EGraphException("Unknown image type (use .png or .svg): " + out);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  qt::InstallQtPlatform();
  qt::InstallQtImageFactory();
  TGraphControl graph;
  graph.LoadFromFile(in);
  std::unique_ptr<TRenderedImage> image = kind == TRenderedImageKind::Bitmap
                                              ? graph.RenderBitmap(graph.Objects())
                                              : graph.RenderMetafile(graph.Objects());
  if (!image) throw EGraphException("No image could be created");
  const std::vector<uint8_t> bytes = image->Encode();
  image.reset();
  WriteFileAtomically(out, [&](TStream& stream) { stream.WriteBuffer(bytes.data(), bytes.size()); });
  qt::UninstallQtImageFactory();
  qt::UninstallQtPlatform();
  return 0;
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "dump") return Dump(args[1]);
  if (args.size() == 3 && args[0] == "resave") return Resave(args[1], args[2]);
  if (args.size() == 3 && args[0] == "render") return Render(argc, argv, args[1], args[2]);
  if (!args.empty() && args[0] == "xml") return tools::RunXmlCommand({args.begin() + 1, args.end()});
  std::cerr << UsageText << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  GraphControlStartup();
  int status = 1;
  try {
    status = Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "graphtool: " << e.what() << "\n";
  }
  GraphControlShutdown();
  return status;
}
