#include "platform/qt/QtRenderedImage.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSvgGenerator>

#include "platform/qt/QtCanvas.h"

namespace gc::qt {

namespace {

std::vector<uint8_t> ToBytes(const QByteArray& data) {
  return std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(data.constData()),
                              reinterpret_cast<const uint8_t*>(data.constData()) + data.size());
}

// A 24-bit image that starts white.
class TQtBitmap : public TRenderedImage {
 public:
  TQtBitmap(int32_t width, int32_t height)
      : Image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB888) {
    Image_.fill(Qt::white);
    Canvas_ = std::make_unique<TQtCanvas>(&Image_);
  }
  TRenderedImageKind Kind() const override { return TRenderedImageKind::Bitmap; }
  int32_t Width() const override { return Image_.width(); }
  int32_t Height() const override { return Image_.height(); }
  TCanvas& Canvas() override { return *Canvas_; }
  void Finish() override { Canvas_.reset(); }
  std::vector<uint8_t> Encode() const override {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    Image_.save(&buffer, "PNG");
    return ToBytes(data);
  }
  const QImage& Image() const { return Image_; }

 private:
  QImage Image_;
  std::unique_ptr<TQtCanvas> Canvas_;
};

// An SVG document; complete once the canvas is released.
class TQtMetafile : public TRenderedImage {
 public:
  TQtMetafile(int32_t width, int32_t height) : Width_(std::max(width, 1)), Height_(std::max(height, 1)) {
    Buffer_.setBuffer(&Data_);
    Generator_.setOutputDevice(&Buffer_);
    Generator_.setSize(QSize(Width_, Height_));
    Generator_.setViewBox(QRect(0, 0, Width_, Height_));
    Canvas_ = std::make_unique<TQtCanvas>(&Generator_, true);
  }
  TRenderedImageKind Kind() const override { return TRenderedImageKind::Metafile; }
  int32_t Width() const override { return Width_; }
  int32_t Height() const override { return Height_; }
  TCanvas& Canvas() override { return *Canvas_; }
  void Finish() override { Canvas_.reset(); }
  std::vector<uint8_t> Encode() const override { return ToBytes(Data_); }

 private:
  int32_t Width_;
  int32_t Height_;
  QByteArray Data_;
  QBuffer Buffer_;
  QSvgGenerator Generator_;
  std::unique_ptr<TQtCanvas> Canvas_;
};

}  // namespace

std::unique_ptr<TRenderedImage> CreateQtRenderedImage(TRenderedImageKind kind, int32_t width,
                                                      int32_t height) {
  if (kind == TRenderedImageKind::Metafile) return std::make_unique<TQtMetafile>(width, height);
  return std::make_unique<TQtBitmap>(width, height);
}

const QImage* RenderedBitmap(const TRenderedImage& image) {
  const auto* bitmap = dynamic_cast<const TQtBitmap*>(&image);
  return bitmap ? &bitmap->Image() : nullptr;
}

}  // namespace gc::qt
