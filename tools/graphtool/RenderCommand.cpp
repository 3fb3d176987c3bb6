// graphtool render: draws every object of a diagram into a PNG or an SVG
// file, at a zoom and on a background of choice.
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <charconv>
#include <limits>

#include "GraphControl/Control.h"
#include "GraphControl/Identifiers.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtMeasuringCanvas.h"
#include "platform/qt/QtPlatform.h"
#include "tools/graphtool/Command.h"
#include "tools/graphtool/Files.h"
#include "tools/graphtool/SvgSizeEstimate.h"

namespace gc::tool {

namespace {

enum class TImageKind { Png, Svg };

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         SameText(std::string_view(text).substr(text.size() - suffix.size()), suffix);
}

TImageKind ImageKindOf(const std::string& file) {
  if (EndsWith(file, ".png")) return TImageKind::Png;
  if (EndsWith(file, ".svg")) return TImageKind::Svg;
  throw EUsageError("unknown image type (use .png or .svg): " + file);
}

int32_t ParseZoom(const std::optional<std::string>& option) {
  if (!option) return 100;
  std::string_view text = *option;
  if (text.ends_with('%')) text.remove_suffix(1);
  int32_t zoom = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), zoom);
  if (error != std::errc() || end != text.data() + text.size() || zoom < MinZoom || zoom > MaxZoom)
    throw EUsageError("--zoom: expected a percentage from " + std::to_string(MinZoom) + " to " +
                      std::to_string(MaxZoom) + ", not \"" + *option + "\"");
  return zoom;
}

// A colour identifier of the diagram (clWhite, clBtnFace: system colours as
// the desktop paints them) or a colour as Qt names it (white, transparent,
// #RRGGBB, #AARRGGBB).
QColor ParseBackground(const std::string& text, const TCanvas& canvas) {
  if (const std::optional<TColor> color = IdentToColor(text))
    return qt::TQtCanvas::ToQColor(canvas.ColorToRGB(*color));
  const QColor color = QColor::fromString(text);
  if (!color.isValid())
    throw EUsageError("--background: unknown colour \"" + text +
                      "\" (use a name such as white or transparent, #RRGGBB, #AARRGGBB or a colour "
                      "identifier such as clBtnFace)");
  return color;
}

// The device rectangle the objects' paint bounds cover at the zoom: the image
// size, and the view origin that puts the bounds' top-left at (0, 0).
struct TImageFrame {
  int32_t Width = 1;
  int32_t Height = 1;
  TPoint Origin;
};

TImageFrame FrameOf(const TRect& bounds, int32_t zoom, TCanvas& mapping) {
  mapping.SetViewMapping(zoom, {});
  const TPoint topLeft = mapping.LogicalToDevice({bounds.Left, bounds.Top});
  const TPoint bottomRight = mapping.LogicalToDevice({bounds.Right, bounds.Bottom});
  const int64_t width = static_cast<int64_t>(bottomRight.X) - topLeft.X + 1;
  const int64_t height = static_cast<int64_t>(bottomRight.Y) - topLeft.Y + 1;
  if (width > std::numeric_limits<int32_t>::max() || height > std::numeric_limits<int32_t>::max())
    throw EGraphInvalidOperation("Image too large");
  return {static_cast<int32_t>(width), static_cast<int32_t>(height), {-topLeft.X, -topLeft.Y}};
}

std::vector<uint8_t> ToBytes(const QByteArray& data) {
  return std::vector<uint8_t>(data.begin(), data.end());
}

void DrawDiagram(TGraphControl& graph, QPainter& painter, const TImageFrame& frame, int32_t zoom, bool svg) {
  qt::TQtCanvas canvas(&painter, svg);
  canvas.SetViewMapping(zoom, frame.Origin);
  graph.DrawObjects(canvas, graph.Objects());
}

// The largest PNG image render makes: 32767 pixels a side and 2^26 pixels in
// all (192 MiB at 24 bits), so a far-flung diagram or a high zoom gets an
// error instead of gigabytes of memory.
constexpr int64_t MaxPngSide = 32767;
constexpr int64_t MaxPngPixels = int64_t{1} << 26;

// A 24-bit image on white unless the background is not opaque.
std::vector<uint8_t> RenderPng(TGraphControl& graph, const TImageFrame& frame, int32_t zoom,
                               const std::optional<QColor>& background) {
  if (frame.Width > MaxPngSide || frame.Height > MaxPngSide ||
      int64_t{frame.Width} * frame.Height > MaxPngPixels)
    throw EGraphInvalidOperation("Image too large: " + std::to_string(frame.Width) + " x " +
                                 std::to_string(frame.Height) +
                                 " pixels (at most 32767 a side and 67108864 in all)");
  const bool opaque = !background || background->alpha() == 255;
  QImage image(frame.Width, frame.Height, opaque ? QImage::Format_RGB888 : QImage::Format_ARGB32);
  if (image.isNull())
    throw EGraphInvalidOperation("Image too large (" + std::to_string(frame.Width) + " x " +
                                 std::to_string(frame.Height) + " pixels)");
  image.fill(background.value_or(QColor(Qt::white)));
  {
    QPainter painter(&image);
    DrawDiagram(graph, painter, frame, zoom, false);
  }
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw EGraphInvalidOperation("The PNG image could not be encoded");
  return ToBytes(data);
}

// The largest SVG drawing render makes. The SVG writer builds the whole
// drawing in memory as UTF-16 text and converts it in one piece as it ends,
// so a drawing takes about four to five times its size at its peak: a
// diagram of hundreds of thousands of objects gets an error instead of
// gigabytes of memory.
constexpr int64_t MaxSvgBytes = int64_t{64} << 20;

// Without a background the SVG shows only the objects.
std::vector<uint8_t> RenderSvg(TGraphControl& graph, const TImageFrame& frame, int32_t zoom,
                               const std::optional<QColor>& background) {
  if (const int64_t bytes = EstimateSvgBytes(graph, zoom); bytes > MaxSvgBytes)
    throw EGraphInvalidOperation("Image too large: the SVG drawing would take about " +
                                 std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB (at most " +
                                 std::to_string(MaxSvgBytes >> 20) + " MiB)");
  QByteArray data;
  QBuffer buffer(&data);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(frame.Width, frame.Height));
  generator.setViewBox(QRect(0, 0, frame.Width, frame.Height));
  {
    QPainter painter(&generator);
    if (background) painter.fillRect(QRect(0, 0, frame.Width, frame.Height), *background);
    DrawDiagram(graph, painter, frame, zoom, true);
  }
  return ToBytes(data);
}

int Render(const TInvocation& invocation) {
  const std::string& in = invocation.Arguments[0];
  const std::string& out = invocation.Arguments[1];
  const TImageKind kind = ImageKindOf(out);
  const int32_t zoom = ParseZoom(invocation.Option("--zoom"));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = invocation.Argc;
  QGuiApplication app(argc, invocation.Argv);
  qt::InstallQtPlatform();
  std::vector<uint8_t> bytes;
  {
    const std::unique_ptr<TCanvas> measuring = qt::CreateQtMeasuringCanvas();
    const std::optional<std::string> option = invocation.Option("--background");
    const std::optional<QColor> background =
        option ? std::optional(ParseBackground(*option, *measuring)) : std::nullopt;
    TGraphControl graph;
    graph.LoadFromFile(in);
    const TImageFrame frame = FrameOf(graph.MeasureObjects(graph.Objects()), zoom, *measuring);
    bytes = kind == TImageKind::Png ? RenderPng(graph, frame, zoom, background)
                                    : RenderSvg(graph, frame, zoom, background);
  }
  qt::UninstallQtPlatform();
  WriteFileBytes(out, bytes);
  return 0;
}

}  // namespace

extern const TCommand RenderCommand{
    .Name = "render",
    .Summary = "draw a diagram file into a PNG or an SVG image",
    .Description =
        "Draws every object of IN into OUT, a PNG or an SVG file by its extension. The image\n"
        "covers the objects' paint bounds: at 100 % a node from (10, 10) to (110, 60) gives a\n"
        "101 x 51 image with the node's top-left corner at (0, 0). A PNG image may be at most\n"
        "32767 pixels wide and high and hold at most 67,108,864 pixels (192 MiB); an SVG\n"
        "drawing may take at most about 64 MiB.\n",
    .Arguments = {{"IN.Screen", TArgumentRole::InputFile}, {"OUT.png|OUT.svg", TArgumentRole::OutputFile}},
    .Options = {{"--zoom", "PERCENT", "draw at this zoom, 5 to 36863 (default 100)"},
                {"--background", "COLOR",
                 "fill the image with this colour first: a name (white, transparent), #RRGGBB, #AARRGGBB "
                 "or a colour identifier (clBtnFace); default white for PNG, none for SVG"}},
    .Run = Render,
};

}  // namespace gc::tool
