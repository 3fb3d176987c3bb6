#include "platform/qt/QtCanvas.h"

#include <QBitmap>
#include <QByteArray>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPalette>
#include <QRegion>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <list>
#include <optional>

#include "GraphControl/Numeric.h"
#include "platform/qt/QtRegion.h"
#include "platform/qt/QtTextAdvances.h"
#include "platform/qt/QtTextLines.h"

namespace gc::qt {

namespace {

// Whether painting takes its shortcuts (TQtCanvas::SetPaintingShortcuts).
bool PaintingShortcuts = true;

// Dash patterns of one-pixel pens (on, off, ... in pen widths).
QList<qreal> DashPattern(TPenStyle style) {
  switch (style) {
    case TPenStyle::psDash:
      return {18, 6};
    case TPenStyle::psDot:
      return {3, 3};
    case TPenStyle::psDashDot:
      return {9, 6, 3, 6};
    case TPenStyle::psDashDotDot:
      return {9, 3, 3, 3, 3, 3};
    default:
      return {};
  }
}

Qt::BrushStyle HatchStyle(TBrushStyle style) {
  switch (style) {
    case TBrushStyle::bsSolid:
      return Qt::SolidPattern;
    case TBrushStyle::bsClear:
      return Qt::NoBrush;
    case TBrushStyle::bsHorizontal:
      return Qt::HorPattern;
    case TBrushStyle::bsVertical:
      return Qt::VerPattern;
    case TBrushStyle::bsFDiagonal:
      return Qt::FDiagPattern;
    case TBrushStyle::bsBDiagonal:
      return Qt::BDiagPattern;
    case TBrushStyle::bsCross:
      return Qt::CrossPattern;
    case TBrushStyle::bsDiagCross:
      return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

// How a pen mode combines the pen (or brush) colour P with the pixel D.
// Modes that ignore D become a plain copy of a fixed colour.
struct TPenModeOp {
  enum TKind { Copy, Skip, RasterOp } Kind;
  QPainter::CompositionMode Op = QPainter::CompositionMode_SourceOver;
};

TPenModeOp PenModeOp(TPenMode mode) {
  using C = QPainter::CompositionMode;
  switch (mode) {
    case TPenMode::pmCopy:
    case TPenMode::pmBlack:
    case TPenMode::pmWhite:
    case TPenMode::pmNotCopy:
      return {TPenModeOp::Copy};
    case TPenMode::pmNop:
      return {TPenModeOp::Skip};
    case TPenMode::pmNot:
      return {TPenModeOp::RasterOp, C::RasterOp_NotDestination};
    case TPenMode::pmMergePenNot:
      return {TPenModeOp::RasterOp, C::RasterOp_SourceOrNotDestination};
    case TPenMode::pmMaskPenNot:
      return {TPenModeOp::RasterOp, C::RasterOp_SourceAndNotDestination};
    case TPenMode::pmMergeNotPen:
      return {TPenModeOp::RasterOp, C::RasterOp_NotSourceOrDestination};
    case TPenMode::pmMaskNotPen:
      return {TPenModeOp::RasterOp, C::RasterOp_NotSourceAndDestination};
    case TPenMode::pmMerge:
      return {TPenModeOp::RasterOp, C::RasterOp_SourceOrDestination};
    case TPenMode::pmNotMerge:
      return {TPenModeOp::RasterOp, C::RasterOp_NotSourceAndNotDestination};
    case TPenMode::pmMask:
      return {TPenModeOp::RasterOp, C::RasterOp_SourceAndDestination};
    case TPenMode::pmNotMask:
      return {TPenModeOp::RasterOp, C::RasterOp_NotSourceOrNotDestination};
    case TPenMode::pmXor:
      return {TPenModeOp::RasterOp, C::RasterOp_SourceXorDestination};
    case TPenMode::pmNotXor:
      return {TPenModeOp::RasterOp, C::RasterOp_NotSourceXorDestination};
  }
  return {TPenModeOp::Copy};
}

// The colour a copying pen mode actually paints for the tool colour c.
QColor CopyModeColor(TPenMode mode, const QColor& c) {
  switch (mode) {
    case TPenMode::pmBlack:
      return Qt::black;
    case TPenMode::pmWhite:
      return Qt::white;
    case TPenMode::pmNotCopy:
      return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
    default:
      return c;
  }
}

// The pixels a drawing covers, as a region in device pixels (only the part
// inside `area`).
QRegion CoveredPixels(const QRect& area, const std::function<void(QPainter&)>& draw) {
  if (area.isEmpty()) return {};
  QImage mask(area.size(), QImage::Format_ARGB32_Premultiplied);
  mask.fill(Qt::transparent);
  QPainter p(&mask);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.translate(-area.topLeft());
  draw(p);
  p.end();
  return QRegion(QBitmap::fromImage(mask.createAlphaMask())).translated(area.topLeft());
}

// Decoded background pictures, shared by all canvases. Keyed by the bytes'
// content so a picture copied between objects is decoded once.
struct TDecodedGraphic {
  QImage Image;
  std::shared_ptr<QSvgRenderer> Svg;
};

struct TGraphicKey {
  std::string ClassName;
  size_t Size;
  size_t Hash;
  bool operator==(const TGraphicKey&) const = default;
};

const TDecodedGraphic& DecodeGraphic(const TGraphic& graphic) {
  constexpr size_t Capacity = 32;
  static std::list<std::pair<TGraphicKey, TDecodedGraphic>> cache;  // most recent first

  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(graphic.Data.data()),
                                                   qsizetype(graphic.Data.size()));
  const TGraphicKey key{graphic.ClassName, graphic.Data.size(), qHash(bytes)};
  for (auto it = cache.begin(); it != cache.end(); ++it)
    if (it->first == key) {
      cache.splice(cache.begin(), cache, it);
      return cache.front().second;
    }

  TDecodedGraphic decoded;
  if (graphic.ClassName == "TBitmap")
    decoded.Image = QImage::fromData(bytes, "BMP");
  else if (graphic.ClassName == "TIcon")
    decoded.Image = QImage::fromData(bytes, "ICO");
  if (decoded.Image.isNull()) decoded.Image = QImage::fromData(bytes);
  if (decoded.Image.isNull() && graphic.ClassName != "TBitmap") {
    auto svg = std::make_shared<QSvgRenderer>(QByteArray(bytes.constData(), bytes.size()));
    if (svg->isValid()) decoded.Svg = std::move(svg);
  }
  cache.emplace_front(key, std::move(decoded));
  if (cache.size() > Capacity) cache.pop_back();
  return cache.front().second;
}

// The device's area in the painter's (logical) pixels.
QRect DeviceRect(const QPaintDevice* device) {
  const qreal ratio = device->devicePixelRatioF();
  return QRect(0, 0, static_cast<int>(std::ceil(device->width() / ratio)),
               static_cast<int>(std::ceil(device->height() / ratio)));
}

// Restores the painter's state when a drawing step ends, also on failure.
class TPainterStateGuard {
 public:
  explicit TPainterStateGuard(QPainter* p) : P_(p) { P_->save(); }
  ~TPainterStateGuard() { P_->restore(); }
  TPainterStateGuard(const TPainterStateGuard&) = delete;
  TPainterStateGuard& operator=(const TPainterStateGuard&) = delete;

 private:
  QPainter* P_;
};

}  // namespace

// One primitive ready to paint in device pixels: the area the brush fills
// and the path the pen follows.
struct TQtCanvas::TShape {
  QPainterPath Fill;
  bool HasFill = false;
  std::optional<QBrush> FillBrush;  // instead of the canvas's brush
  QPainterPath Outline;
  bool HasOutline = false;
  QPen Pen;
  std::vector<QPoint> Dots;  // pixels the pen sets besides its outline
};

// ---------------------------------------------------------------------------
// Construction

TQtCanvas::TQtCanvas(QPainter* painter, bool metafile) : Painter_(painter), Metafile_(metafile) { Init(); }

TQtCanvas::TQtCanvas(QPaintDevice* device, bool metafile)
    : OwnedPainter_(std::make_unique<QPainter>(device)), Metafile_(metafile) {
  Painter_ = OwnedPainter_.get();
  Init();
}

TQtCanvas::~TQtCanvas() {
  while (!States_.empty()) {
    Painter_->restore();
    States_.pop_back();
  }
  if (OwnedPainter_) OwnedPainter_->end();
}

void TQtCanvas::Init() {
  Q_ASSERT_X(Painter_ && Painter_->isActive(), "TQtCanvas", "the canvas needs an active painter");
  Painter_->setRenderHint(QPainter::Antialiasing, false);
  Painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
  DeviceTransform_ = Painter_->worldTransform();
  if (Painter_->hasClipping()) {
    const QRegion clip = Painter_->clipRegion();
    Clip_ = {true, clip.rectCount() <= 1, clip.boundingRect()};
  }
  QPaintDevice* device = Painter_->device();
  if (device) DevicePixelRatio_ = device->devicePixelRatioF();
  if (device && device->devType() == QInternal::Image && DeviceTransform_.isIdentity() &&
      DevicePixelRatio_ == 1.0) {
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied)
      Image_ = image;
  }
}

// ---------------------------------------------------------------------------
// Mapping and tools

QPoint TQtCanvas::ToDevice(int32_t x, int32_t y) const {
  const TPoint d = LogicalToDevice({x, y});
  return {d.X, d.Y};
}

QRect TQtCanvas::ToDeviceBox(const TRect& r) const {
  const QPoint a = ToDevice(r.Left, r.Top);
  const QPoint b = ToDevice(r.Right, r.Bottom);
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPoint(std::max(a.x(), b.x()) - 1, std::max(a.y(), b.y()) - 1));
}

int TQtCanvas::DevicePenWidth() const {
  if (Pen().Width() <= 0) return 1;
  return std::max(1, RoundHalfEven(Pen().Width() * (Zoom() / 100.0)));
}

QPen TQtCanvas::MakePen(int width) const {
  if (Pen().Style() == TPenStyle::psClear) return Qt::NoPen;
  const QColor color = CopyModeColor(Pen().Mode(), ToQColor(ColorToRGB(Pen().Color())));
  // A one-pixel pen goes through the cosmetic line drawer, which leaves out
  // the last pixel of an open line with a flat cap. On a device with more
  // pixels than logical pixels that line would be one device pixel thin: the
  // pen is then one logical pixel wide, centred on the pixels.
  QPen pen(color, width == 1 && DevicePixelRatio_ == 1.0 ? 0 : width);
  const QList<qreal> dashes = DashPattern(Pen().Style());
  if (!dashes.isEmpty()) pen.setDashPattern(dashes);
  pen.setCapStyle(width == 1 || !dashes.isEmpty() ? Qt::FlatCap : Qt::RoundCap);
  pen.setJoinStyle(width == 1 ? Qt::MiterJoin : Qt::RoundJoin);
  return pen;
}

QBrush TQtCanvas::MakeBrush() const {
  const Qt::BrushStyle style = HatchStyle(Brush().Style());
  if (style == Qt::NoBrush) return Qt::NoBrush;
  return QBrush(CopyModeColor(Pen().Mode(), ToQColor(ColorToRGB(Brush().Color()))), style);
}

QColor TQtCanvas::ToQColor(TColor rgb) { return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF); }

TColor TQtCanvas::FromQColor(const QColor& color) {
  return TColor(color.red()) | (TColor(color.green()) << 8) | (TColor(color.blue()) << 16);
}

TColor TQtCanvas::ColorToRGB(TColor color) const {
  if ((color & 0xFF000000) != clSystemColor || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return TCanvas::ColorToRGB(color);
  const QPalette palette = QGuiApplication::palette();
  auto role = [&](QPalette::ColorRole r) { return FromQColor(palette.color(QPalette::Active, r)); };
  switch (color) {
    case clWindow:
      return role(QPalette::Base);
    case clWindowText:
      return role(QPalette::Text);
    case clBtnFace:
    case clScrollBar:
    case clMenu:
    case clMenuBar:
      return role(QPalette::Button);
    case clBtnText:
      return role(QPalette::ButtonText);
    case clBtnHighlight:
      return role(QPalette::Light);
    case cl3DLight:
      return role(QPalette::Midlight);
    case clBtnShadow:
      return role(QPalette::Mid);
    case cl3DDkShadow:
      return role(QPalette::Shadow);
    case clMenuText:
      return role(QPalette::WindowText);
    case clHighlight:
    case clMenuHighlight:
      return role(QPalette::Highlight);
    case clHighlightText:
      return role(QPalette::HighlightedText);
    case clGrayText:
      return FromQColor(palette.color(QPalette::Disabled, QPalette::Text));
    case clInfoBk:
      return role(QPalette::ToolTipBase);
    case clInfoText:
      return role(QPalette::ToolTipText);
    case clHotLight:
      return role(QPalette::Link);
    default:
      return TCanvas::ColorToRGB(color);
  }
}

// ---------------------------------------------------------------------------
// Shapes

void TQtCanvas::PaintShape(const TShape& shape) {
  const TPenModeOp op = PenModeOp(Pen().Mode());
  if (op.Kind == TPenModeOp::Skip) return;
  const QBrush brush = !shape.HasFill    ? QBrush(Qt::NoBrush)
                       : shape.FillBrush ? *shape.FillBrush
                                         : MakeBrush();
  const bool fill = brush.style() != Qt::NoBrush;
  const bool outline = shape.HasOutline && shape.Pen.style() != Qt::NoPen;
  if (!fill && !outline) return;

  const bool rasterOps =
      Painter_->paintEngine() && Painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
  if (op.Kind == TPenModeOp::RasterOp && rasterOps && !Metafile_) {
    TPainterStateGuard guard(Painter_);
    Painter_->setCompositionMode(op.Op);
    if (fill && outline) {
      PaintWithRasterOp(shape, shape.Pen, brush);
      return;
    }
    if (fill) Painter_->fillPath(shape.Fill, brush);
    if (outline && !shape.Dots.empty()) {
      PaintWithRasterOp(shape, shape.Pen, Qt::NoBrush);
      return;
    }
    if (outline) Painter_->strokePath(shape.Outline, shape.Pen);
    return;
  }
  if (fill) Painter_->fillPath(shape.Fill, brush);
  if (!outline) return;
  Painter_->strokePath(shape.Outline, shape.Pen);
  for (const QPoint& dot : shape.Dots) Painter_->fillRect(QRect(dot, QSize(1, 1)), shape.Pen.color());
}

// A raster operation must touch each pixel once: the pen's pixels take the
// pen colour, the rest of the fill the brush, even where the two overlap.
void TQtCanvas::PaintWithRasterOp(const TShape& shape, const QPen& pen, const QBrush& brush) {
  const int margin = std::max(2, pen.width() + 2);
  QRect area = (shape.Fill.boundingRect() | shape.Outline.boundingRect())
                   .toAlignedRect()
                   .adjusted(-margin, -margin, margin, margin);
  if (QPaintDevice* device = Painter_->device())
    area &= DeviceTransform_.inverted().mapRect(DeviceRect(device));
  const QRegion penPixels = CoveredPixels(area, [&](QPainter& p) {
    p.strokePath(shape.Outline, pen);
    for (const QPoint& dot : shape.Dots) p.fillRect(QRect(dot, QSize(1, 1)), Qt::black);
  });
  const QRegion fillPixels =
      CoveredPixels(area, [&](QPainter& p) { p.fillPath(shape.Fill, Qt::black); }).subtracted(penPixels);
  auto paintRegion = [&](const QRegion& region, const QBrush& b) {
    if (region.isEmpty()) return;
    Painter_->save();
    Painter_->setClipRegion(region, Qt::IntersectClip);
    Painter_->fillRect(region.boundingRect(), b);
    Painter_->restore();
  };
  paintRegion(fillPixels, brush);
  paintRegion(penPixels, QBrush(pen.color()));
}

namespace {

QRectF Inset(const QRect& box, double inset) {
  return QRectF(box.left() + inset, box.top() + inset, box.width() - 2 * inset, box.height() - 2 * inset);
}

}  // namespace

// Rectangle, ellipse and rounded rectangle share the box rule: the shape
// spans the pixels of the box (right and bottom excluded). The pen's centre
// line runs through the outermost pixel centres, or, for an inside-frame pen,
// half the pen width inside the box so that the whole stroke stays in it; the
// brush fills what lies inside the centre line.
void TQtCanvas::PaintBox(const QRect& box, const TBoxPath& make) {
  if (box.isEmpty()) return;
  const int width = DevicePenWidth();
  TShape shape;
  shape.Pen = MakePen(width);
  // On curves the cosmetic line drawer does not meet the filled area; a
  // one-pixel band around the centre line does.
  if (width == 1) shape.Pen.setWidthF(1.0);
  shape.HasFill = true;
  if (shape.Pen.style() == Qt::NoPen) {
    shape.Fill = make(Inset(box, 0));
    PaintShape(shape);
    return;
  }
  const bool insideFrame = Pen().Style() == TPenStyle::psInsideFrame;
  const double centre = insideFrame ? width / 2.0 : (width % 2 ? 0.5 : 0.0);
  const QRectF line = Inset(box, centre);
  if (line.width() <= 0 || line.height() <= 0) {
    // The pen is as wide as the box: it covers all of it.
    shape.Fill = make(Inset(box, 0));
    shape.FillBrush = QBrush(shape.Pen.color());
    PaintShape(shape);
    return;
  }
  shape.Fill = make(line);
  shape.Outline = shape.Fill;
  shape.HasOutline = true;
  PaintShape(shape);
}

void TQtCanvas::Rectangle(const TRect& r) {
  PaintBox(ToDeviceBox(r), [](const QRectF& b) {
    QPainterPath p;
    p.addRect(b);
    return p;
  });
}

void TQtCanvas::Ellipse(const TRect& r) {
  PaintBox(ToDeviceBox(r), [](const QRectF& b) {
    QPainterPath p;
    p.addEllipse(b);
    return p;
  });
}

void TQtCanvas::RoundRect(const TRect& r, int32_t cornerWidth, int32_t cornerHeight) {
  const QRect box = ToDeviceBox(r);
  const double scale = Zoom() / 100.0;
  const double rx = std::min(std::abs(cornerWidth) * scale, double(box.width())) / 2;
  const double ry = std::min(std::abs(cornerHeight) * scale, double(box.height())) / 2;
  const double outer = box.width();
  PaintBox(box, [rx, ry, outer](const QRectF& b) {
    // The corners shrink with the inset so the centre line stays parallel
    // to the outer edge.
    const double inset = (outer - b.width()) / 2;
    QPainterPath p;
    p.addRoundedRect(b, std::max(0.0, rx - inset), std::max(0.0, ry - inset), Qt::AbsoluteSize);
    return p;
  });
}

// Lines: a one-pixel pen runs through the pixels of the mapped points
// (cosmetic, integer coordinates, for open lines); a wider pen is centred on
// those pixels.
// A rectangle whose edges run along the pixel grid, with a one-pixel solid
// pen, is the polygon that diagrams draw most: filled and outlined directly
// as rectangles, it covers the pixels the general path covers (the fill
// inside the vertices, the outline through them, corners included), at a
// fraction of the cost.
bool TQtCanvas::FillGridRectangle(const TPoint* points, int count) {
  if (!PaintingShortcuts || count != 4 || Metafile_ || DevicePixelRatio_ != 1.0) return false;
  if (!Painter_->paintEngine() || Painter_->paintEngine()->type() != QPaintEngine::Raster) return false;
  const QTransform& transform = Painter_->worldTransform();
  if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
      transform.dy() != std::floor(transform.dy()))
    return false;
  if (DevicePenWidth() != 1 || PenModeOp(Pen().Mode()).Kind != TPenModeOp::Copy) return false;
  if (Pen().Style() != TPenStyle::psSolid && Pen().Style() != TPenStyle::psInsideFrame) return false;
  if (Brush().Style() != TBrushStyle::bsSolid && Brush().Style() != TBrushStyle::bsClear) return false;
  QPoint d[4];
  for (int i = 0; i < 4; ++i) d[i] = ToDevice(points[i].X, points[i].Y);
  const bool along =
      d[0].y() == d[1].y() && d[1].x() == d[2].x() && d[2].y() == d[3].y() && d[3].x() == d[0].x();
  const bool across =
      d[0].x() == d[1].x() && d[1].y() == d[2].y() && d[2].x() == d[3].x() && d[3].y() == d[0].y();
  if (!along && !across) return false;
  const int left = std::min(d[0].x(), d[2].x()), right = std::max(d[0].x(), d[2].x());
  const int top = std::min(d[0].y(), d[2].y()), bottom = std::max(d[0].y(), d[2].y());
  if (left >= right || top >= bottom) return false;
  const QColor pen = CopyModeColor(Pen().Mode(), ToQColor(ColorToRGB(Pen().Color())));
  if (Brush().Style() == TBrushStyle::bsSolid) {
    // The outline's pixels, then the inside of it.
    Painter_->fillRect(QRect(left, top, right - left + 1, bottom - top + 1), pen);
    if (right - left >= 2 && bottom - top >= 2)
      Painter_->fillRect(QRect(left + 1, top + 1, right - left - 1, bottom - top - 1), MakeBrush().color());
    return true;
  }
  Painter_->fillRect(QRect(left, top, right - left + 1, 1), pen);
  Painter_->fillRect(QRect(left, bottom, right - left + 1, 1), pen);
  Painter_->fillRect(QRect(left, top + 1, 1, bottom - top - 1), pen);
  Painter_->fillRect(QRect(right, top + 1, 1, bottom - top - 1), pen);
  return true;
}

void TQtCanvas::Polygon(const TPoint* points, int count) {
  if (!points || count < 2) return;
  if (FillGridRectangle(points, count)) return;
  QPolygonF device;
  device.reserve(count);
  for (int i = 0; i < count; ++i) device << QPointF(ToDevice(points[i].X, points[i].Y));
  const int width = DevicePenWidth();
  TShape shape;
  shape.Pen = MakePen(width);
  shape.Fill.addPolygon(device);
  shape.Fill.closeSubpath();
  shape.Fill.setFillRule(PolyFillMode() == TFillMode::fmWinding ? Qt::WindingFill : Qt::OddEvenFill);
  shape.HasFill = count >= 3;
  const bool hairline = width == 1 && DevicePixelRatio_ == 1.0;
  shape.Outline.addPolygon(hairline ? device : device.translated(0.5, 0.5));
  // A closed outline runs through every vertex. The cosmetic line drawer
  // leaves out the last pixel of each edge, which the next edge starts with,
  // but when the device edge clips an edge it may leave out the vertex
  // instead: a partial repaint would then differ from a full one.
  if (hairline)
    for (const QPointF& p : device) shape.Dots.push_back(p.toPoint());
  shape.Outline.closeSubpath();
  shape.HasOutline = true;
  PaintShape(shape);
}

void TQtCanvas::Polyline(const TPoint* points, int count) {
  if (!points || count < 2) return;
  QPolygonF device;
  device.reserve(count);
  for (int i = 0; i < count; ++i) device << QPointF(ToDevice(points[i].X, points[i].Y));
  const int width = DevicePenWidth();
  TShape shape;
  shape.Pen = MakePen(width);
  shape.Outline.addPolygon(width == 1 && DevicePixelRatio_ == 1.0 ? device : device.translated(0.5, 0.5));
  shape.HasOutline = true;
  PaintShape(shape);
}

void TQtCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
  const QPoint d = ToDevice(x, y);
  const QColor c = ToQColor(ColorToRGB(color));
  if (Image_ && Clip_.Rectangular) {
    if (!Image_->rect().contains(d) || (Clip_.Clipped && !Clip_.DeviceRect.contains(d))) return;
    // The painter draws into this very buffer; writing through the constant
    // pointer avoids detaching the image from it.
    auto* line = reinterpret_cast<QRgb*>(const_cast<uchar*>(Image_->constScanLine(d.y())));
    line[d.x()] = c.rgb();
    return;
  }
  TPainterStateGuard guard(Painter_);
  Painter_->setCompositionMode(QPainter::CompositionMode_Source);
  Painter_->fillRect(QRect(d, QSize(1, 1)), c);
}

void TQtCanvas::FillRect(const TRect& r) {
  const QRect box = ToDeviceBox(r);
  const Qt::BrushStyle style = HatchStyle(Brush().Style());
  if (box.isEmpty() || style == Qt::NoBrush) return;
  Painter_->fillRect(box, QBrush(ToQColor(ColorToRGB(Brush().Color())), style));
}

// ---------------------------------------------------------------------------
// Text

QFont TQtCanvas::ToQFont(const TFont& font) {
  QFont f(QString::fromStdString(font.Name()));
  if (font.Pitch() == TFontPitch::fpFixed) f.setStyleHint(QFont::Monospace);
  int pixels = 0;
  if (font.Height() < 0) {
    pixels = -font.Height();
  } else if (font.Height() > 0) {
    // A positive height is the cell height (ascent plus descent): scale the
    // character height by the font's cell to em ratio.
    QFont probe = f;
    probe.setPixelSize(100);
    const QFontMetricsF m(probe);
    const double cell = m.ascent() + m.descent();
    pixels = cell > 0 ? RoundHalfEven(font.Height() * 100.0 / cell) : font.Height();
  } else {
    pixels = 13;
  }
  f.setPixelSize(std::max(1, pixels));
  f.setBold(font.Style() & fsBold);
  f.setItalic(font.Style() & fsItalic);
  f.setUnderline(font.Style() & fsUnderline);
  f.setStrikeOut(font.Style() & fsStrikeOut);
  f.setKerning(false);
  return f;
}

namespace {

// Whether two fonts make the same QFont (ToQFont reads only these).
bool SameQFont(const TFont& a, const TFont& b) {
  return a.Height() == b.Height() && a.Style() == b.Style() && a.Pitch() == b.Pitch() && a.Name() == b.Name();
}

int32_t WholePixels(double width) { return ClampToInt32(std::ceil(width - 1e-9)); }

}  // namespace

const QFont& TQtCanvas::CurrentFont() {
  if (!FontValid_ || !SameQFont(FontKey_, Font())) {
    QFont_ = ToQFont(Font());
    FontKey_ = Font();
    FontValid_ = true;
    WidthMetrics_.emplace(QFont_, Painter_->device());
    LineMetrics_.emplace(QFont_, Painter_->device());
    LineHeight_ = LineMetrics_->height();
    LineAscent_ = LineMetrics_->ascent();
    Advances_ = &TTextAdvances::For(QFont_, Painter_->device());
    Lines_ = nullptr;
    MeasuredCount_ = 0;
  }
  return QFont_;
}

QTransform TQtCanvas::TextTransform() const {
  const double scale = Zoom() > 0 ? Zoom() / 100.0 : 1.0;
  return QTransform::fromScale(scale, scale) *
         QTransform::fromTranslate(ViewportOrigin().X, ViewportOrigin().Y) * DeviceTransform_;
}

TSize TQtCanvas::TextExtent(const std::string& text) {
  CurrentFont();
  if (const std::optional<int64_t> width = Advances_->Width(text))
    return {WholePixels(static_cast<double>(*width) / 64), LineHeight_};
  for (size_t i = 0; i < MeasuredCount_; ++i)
    if (Measured_[i].Text == text) return Measured_[i].Extent;
  const double w = WidthMetrics_->horizontalAdvance(QString::fromStdString(text));
  const TSize extent{WholePixels(w), LineHeight_};
  Measured_[MeasuredNext_] = {text, extent};
  MeasuredNext_ = (MeasuredNext_ + 1) % Measured_.size();
  MeasuredCount_ = std::max(MeasuredCount_, MeasuredNext_ == 0 ? Measured_.size() : MeasuredNext_);
  return extent;
}

bool TQtCanvas::HasGlyph(char32_t ch) {
  CurrentFont();
  return Advances_->HasGlyph(ch);
}

void TQtCanvas::SetPaintingShortcuts(bool enabled) { PaintingShortcuts = enabled; }

// Draws text whose baseline starts at (x, baseline) in the frame's
// coordinates, over the text cell filled with the brush colour when the
// background is opaque. A line drawn before on a raster device comes from
// its glyph runs instead of being shaped again (same glyphs, same pixels);
// vector output keeps its text as text.
void TQtCanvas::DrawTextAt(const QTransform& frame, double x, double baseline, const std::string& text,
                           bool rtl) {
  const QFont& font = CurrentFont();
  const TTextLines::TLine* shaped = nullptr;
  if (PaintingShortcuts && !rtl && !Metafile_ && !font.underline() && !font.strikeOut() &&
      Painter_->paintEngine() && Painter_->paintEngine()->type() == QPaintEngine::Raster) {
    if (!Lines_) Lines_ = &TTextLines::For(font, Painter_->device());
    shaped = Lines_->Find(text);
  }
  const bool opaque = BackgroundMode() == TBackgroundMode::Opaque && Brush().Style() == TBrushStyle::bsSolid;
  if (shaped && !opaque && Painter_->compositionMode() == QPainter::CompositionMode_SourceOver) {
    // Only the transform and the pen change: put them back by hand, which
    // costs less than saving the painter's whole state.
    const QTransform transform = Painter_->worldTransform();
    const QPen pen = Painter_->pen();
    Painter_->setWorldTransform(frame);
    Painter_->setPen(ToQColor(ColorToRGB(Font().Color())));
    for (const QGlyphRun& run : shaped->Runs)
      Painter_->drawGlyphRun(QPointF(x, baseline - shaped->Ascent), run);
    Painter_->setPen(pen);
    Painter_->setWorldTransform(transform);
    return;
  }
  TPainterStateGuard guard(Painter_);
  Painter_->setWorldTransform(frame);
  Painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (opaque) {
    const double w = QFontMetricsF(font, Painter_->device()).horizontalAdvance(QString::fromStdString(text));
    Painter_->fillRect(QRectF(x, baseline - LineAscent_, w, LineHeight_),
                       ToQColor(ColorToRGB(Brush().Color())));
  }
  Painter_->setPen(ToQColor(ColorToRGB(Font().Color())));
  if (shaped) {
    for (const QGlyphRun& run : shaped->Runs)
      Painter_->drawGlyphRun(QPointF(x, baseline - shaped->Ascent), run);
    return;
  }
  Painter_->setFont(font);
  if (rtl) Painter_->setLayoutDirection(Qt::RightToLeft);
  Painter_->drawText(QPointF(x, baseline), QString::fromStdString(text));
}

void TQtCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
  if (text.empty()) return;
  const QFont& font = CurrentFont();
  const double w = QFontMetricsF(font, Painter_->device()).horizontalAdvance(QString::fromStdString(text));
  const uint32_t align = TextAlign();

  double dx = 0;
  if ((align & ta::Center) == ta::Center)
    dx = -w / 2;
  else if ((align & ta::Center) == ta::Right)
    dx = -w;
  double baseline = LineAscent_;
  if ((align & ta::Baseline) == ta::Baseline)
    baseline = 0;
  else if ((align & ta::Baseline) == ta::Bottom)
    baseline = -LineMetrics_->descent();

  // Orientation is counter-clockwise on the screen; with y growing downward
  // that is a negative angle for Qt. The text turns about (x, y).
  QTransform rotation;
  rotation.rotate(-Font().Orientation() / 10.0);
  const QTransform frame = rotation * QTransform::fromTranslate(x, y) * TextTransform();
  DrawTextAt(frame, dx, baseline, text, (align & ta::RtlReading) != 0);
}

void TQtCanvas::DrawTextLine(int32_t x, int32_t y, const std::string& line) {
  if (line.empty()) return;
  CurrentFont();
  DrawTextAt(QTransform::fromTranslate(x, y) * TextTransform(), 0, LineAscent_, line, false);
}

// ---------------------------------------------------------------------------
// Pictures

void TQtCanvas::StretchDraw(const TRect& r, const TGraphic& graphic) {
  const QRect box = ToDeviceBox(r);
  if (box.isEmpty() || graphic.Data.empty()) return;
  const TDecodedGraphic& decoded = DecodeGraphic(graphic);
  TPainterStateGuard guard(Painter_);
  Painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (!decoded.Image.isNull())
    Painter_->drawImage(QRectF(box), decoded.Image);
  else if (decoded.Svg)
    decoded.Svg->render(Painter_, QRectF(box));
}

// ---------------------------------------------------------------------------
// Clipping and state

void TQtCanvas::IntersectClipRect(const TRect& r) {
  QRect box = ToDeviceBox(r);
  if (box.isEmpty()) box = QRect();
  Painter_->setClipRect(box, Qt::IntersectClip);
  Clip_.DeviceRect = Clip_.Clipped ? Clip_.DeviceRect & box : box;
  Clip_.Clipped = true;
}

void TQtCanvas::IntersectClipRegion(const TRegion& region) {
  const TRegion device = region.Zoomed(Zoom(), ViewportOrigin().X, ViewportOrigin().Y);
  const TRect b = device.BoundingBox();
  QRect box = b.IsEmpty() ? QRect() : QRect(QPoint(b.Left, b.Top), QPoint(b.Right - 1, b.Bottom - 1));
  if (Metafile_) {
    // A vector drawing keeps the clip as an outline.
    Painter_->setClipPath(ToPainterPath(device), Qt::IntersectClip);
  } else {
    // Raster clipping takes exactly the region's pixels, which the library's
    // hit testing also uses; only the part that can show is computed.
    QRect limit = box;
    if (QPaintDevice* d = Painter_->device()) limit &= DeviceTransform_.inverted().mapRect(DeviceRect(d));
    if (Painter_->hasClipping()) limit &= Painter_->clipBoundingRect().toAlignedRect();
    Painter_->setClipRegion(ToPixelRegion(device, limit), Qt::IntersectClip);
  }
  Clip_.DeviceRect = Clip_.Clipped ? Clip_.DeviceRect & box : box;
  Clip_.Clipped = true;
  Clip_.Rectangular = false;
}

TRect TQtCanvas::ClipRect() const {
  QRectF device;
  if (Painter_->hasClipping()) {
    device = Painter_->clipBoundingRect();
  } else if (QPaintDevice* d = Painter_->device()) {
    device = DeviceTransform_.inverted().mapRect(QRectF(DeviceRect(d)));
  }
  if (device.isEmpty()) {
    const TPoint p = DeviceToLogical({0, 0});
    return {p, p};
  }
  // Rounded outward, so every logical unit that shows on the device is in.
  const double scale = Zoom() > 0 ? 100.0 / Zoom() : 1.0;
  auto lo = [scale](double c, int32_t origin) {
    return ClampToInt32(std::floor((c - origin) * scale + 1e-9));
  };
  auto hi = [scale](double c, int32_t origin) {
    return ClampToInt32(std::ceil((c - origin) * scale - 1e-9));
  };
  const TPoint o = ViewportOrigin();
  return {lo(device.left(), o.X), lo(device.top(), o.Y), hi(device.right(), o.X), hi(device.bottom(), o.Y)};
}

void TQtCanvas::SaveState() {
  Painter_->save();
  States_.push_back({SaveBaseState(), Clip_});
}

void TQtCanvas::RestoreState() {
  if (States_.empty()) return;
  Painter_->restore();
  RestoreBaseState(States_.back().Base);
  Clip_ = States_.back().Clip;
  States_.pop_back();
}

// ---------------------------------------------------------------------------
// Image canvas

TQtImageCanvas::TQtImageCanvas(int width, int height, QImage::Format format)
    : detail::TOwnedImage(width, height, format), TQtCanvas(&OwnedImage) {}

}  // namespace gc::qt
