// The diagram canvas over a QPainter: paints on widgets, images (bitmaps) and
// SVG generators (the vector "metafile" export).
//
// Geometry is mapped to device pixels with the canvas's own view mapping
// (round(logical * Zoom / 100) + ViewportOrigin) and then drawn aliased, so a
// shape covers exactly the pixels a device context would: Rectangle(L, T, R, B)
// touches the pixels L..R-1 and T..B-1, lines leave out their last pixel, and
// a pen of width 0 is one pixel wide at every zoom. Text is drawn through the
// painter's transform instead, so fonts scale with the zoom and a line of text
// keeps the proportions its logical measurement gave it.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Canvas.h"

class QPaintDevice;

namespace gc::qt {

class TTextAdvances;
class TTextLines;

class TQtCanvas : public TCanvas {
 public:
  // Paints through a painter that the caller owns and keeps active for the
  // canvas's lifetime. The painter's transform at this point is taken as the
  // device space the view mapping starts from.
  explicit TQtCanvas(QPainter* painter, bool metafile = false);
  // Opens and owns a painter on the device for the canvas's lifetime.
  explicit TQtCanvas(QPaintDevice* device, bool metafile = false);
  ~TQtCanvas() override;
  TQtCanvas(const TQtCanvas&) = delete;
  TQtCanvas& operator=(const TQtCanvas&) = delete;

  QPainter* Painter() const { return Painter_; }

  void Polygon(const TPoint* points, int count) override;
  void Polyline(const TPoint* points, int count) override;
  void Ellipse(const TRect& r) override;
  void Rectangle(const TRect& r) override;
  void RoundRect(const TRect& r, int32_t cornerWidth, int32_t cornerHeight) override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  void FillRect(const TRect& r) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  TSize TextExtent(const std::string& text) override;
  bool HasGlyph(char32_t ch) override;
  void StretchDraw(const TRect& r, const TGraphic& graphic) override;

  void IntersectClipRegion(const TRegion& region) override;
  void IntersectClipRect(const TRect& r) override;
  TRect ClipRect() const override;

  void SaveState() override;
  void RestoreState() override;

  bool IsMetafile() const override { return Metafile_; }
  // System colours come from the application's palette when a
  // QGuiApplication exists; the rest from the classic table.
  TColor ColorToRGB(TColor color) const override;

  // A plain 0x00BBGGRR colour as an opaque QColor.
  static QColor ToQColor(TColor rgb);
  static TColor FromQColor(const QColor& color);
  // The font as Qt draws it at zoom 100 (pixel sizes are logical units).
  static QFont ToQFont(const TFont& font);

  // Painting takes shortcuts that give the same pixels as the general way:
  // lines of text drawn before come from their glyph runs, and rectangles
  // with a one-pixel pen are filled as rectangles. Off, every primitive goes
  // the general way (for comparisons).
  static void SetPaintingShortcuts(bool enabled);

 protected:
  void DrawTextLine(int32_t x, int32_t y, const std::string& line) override;

 private:
  struct TShape;
  struct TClipState {
    bool Clipped = false;     // any clip set through this canvas
    bool Rectangular = true;  // the clip is exactly DeviceRect
    QRect DeviceRect;         // bounding box of the clip, device pixels
  };
  struct TSavedState {
    TBaseState Base;
    TClipState Clip;
  };

  void Init();
  QPoint ToDevice(int32_t x, int32_t y) const;
  QRect ToDeviceBox(const TRect& r) const;  // normalised; right/bottom exclusive as a box
  int DevicePenWidth() const;
  using TBoxPath = std::function<QPainterPath(const QRectF& box)>;
  void PaintBox(const QRect& box, const TBoxPath& make);
  void PaintShape(const TShape& shape);
  bool FillGridRectangle(const TPoint* points, int count);
  void PaintWithRasterOp(const TShape& shape, const QPen& pen, const QBrush& brush);
  QPen MakePen(int width) const;
  QBrush MakeBrush() const;
  const QFont& CurrentFont();
  QTransform TextTransform() const;  // logical units to device pixels
  void DrawTextAt(const QTransform& frame, double x, double baseline, const std::string& text, bool rtl);

  QPainter* Painter_ = nullptr;
  std::unique_ptr<QPainter> OwnedPainter_;
  bool Metafile_ = false;
  QTransform DeviceTransform_;    // the painter's transform at construction
  qreal DevicePixelRatio_ = 1.0;  // device pixels per logical pixel
  QImage* Image_ = nullptr;       // set when SetPixel may write pixels straight into the image
  TClipState Clip_;
  std::vector<TSavedState> States_;
  TFont FontKey_;  // the font that QFont_ was made from
  QFont QFont_;
  bool FontValid_ = false;
  // Metrics of QFont_ on the painter's device, and the last few extents
  // measured with it: laying out a caption measures the same lines again.
  std::optional<QFontMetricsF> WidthMetrics_;
  std::optional<QFontMetrics> LineMetrics_;
  int32_t LineHeight_ = 0;
  int32_t LineAscent_ = 0;
  TTextAdvances* Advances_ = nullptr;  // widths of QFont_'s text that needs no shaping
  TTextLines* Lines_ = nullptr;        // QFont_'s lines drawn before, shaped
  struct TMeasured {
    std::string Text;
    TSize Extent;
  };
  std::array<TMeasured, 4> Measured_;
  size_t MeasuredCount_ = 0;
  size_t MeasuredNext_ = 0;
};

// A canvas over an image it owns: bitmap export, tests, text measuring.
namespace detail {
struct TOwnedImage {
  TOwnedImage(int width, int height, QImage::Format format)
      : OwnedImage(std::max(1, width), std::max(1, height), format) {
    OwnedImage.fill(Qt::white);
  }
  QImage OwnedImage;
};
}  // namespace detail

class TQtImageCanvas : private detail::TOwnedImage, public TQtCanvas {
 public:
  TQtImageCanvas(int width, int height, QImage::Format format = QImage::Format_RGB32);
  // The image as painted so far (the painter stays active).
  const QImage& Image() const { return OwnedImage; }
};

}  // namespace gc::qt
