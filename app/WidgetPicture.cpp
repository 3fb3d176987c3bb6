#include "app/WidgetPicture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>

#include "GraphControl/Exceptions.h"

namespace gc::app {

namespace {

// Larger pictures are scaled down: a widget never needs more.
constexpr int MaxSide = 4096;

[[noreturn]] void Fail(const std::string& fileName, const QString& reason) {
  throw EGraphException("Cannot read the picture \"" + fileName + "\": " + reason.toStdString());
}

QImage RenderVector(const std::string& fileName, QSize minimumSize) {
  QSvgRenderer renderer(QString::fromStdString(fileName));
  if (!renderer.isValid()) Fail(fileName, "not a valid SVG picture");
  QSizeF size = renderer.defaultSize();
  if (size.isEmpty()) size = QSizeF(minimumSize);
  if (size.isEmpty()) size = QSizeF(64, 64);
  const double grow =
      std::max({1.0, minimumSize.width() / size.width(), minimumSize.height() / size.height()});
  const double shrink = std::min(1.0, MaxSide / std::max(size.width() * grow, size.height() * grow));
  const QSize pixels = (size * grow * shrink).toSize().expandedTo(QSize(1, 1));
  QImage image(pixels, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return image;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const QImage& source) {
  const bool alpha = source.hasAlphaChannel();
  const QImage image = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const uint32_t width = static_cast<uint32_t>(image.width());
  const uint32_t height = static_cast<uint32_t>(image.height());
  const uint32_t bytesPerPixel = alpha ? 4 : 3;
  const uint32_t rowSize = (width * bytesPerPixel + 3) & ~3u;
  // BITMAPINFOHEADER, or BITMAPV4HEADER with the channel masks for alpha.
  const uint32_t infoSize = alpha ? 108 : 40;
  const uint32_t offset = 14 + infoSize;
  std::vector<uint8_t> out;
  out.reserve(offset + rowSize * height);
  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + rowSize * height);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, infoSize);
  Put32(out, width);
  Put32(out, height);  // bottom-up rows
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(bytesPerPixel * 8));
  Put32(out, alpha ? 3 : 0);  // BI_BITFIELDS : BI_RGB
  Put32(out, rowSize * height);
  Put32(out, 3780);  // 96 dots per inch
  Put32(out, 3780);
  Put32(out, 0);
  Put32(out, 0);
  if (alpha) {
    Put32(out, 0x00FF0000);  // red, green, blue and alpha masks
    Put32(out, 0x0000FF00);
    Put32(out, 0x000000FF);
    Put32(out, 0xFF000000);
    Put32(out, 0x73524742);        // "sRGB"
    out.insert(out.end(), 48, 0);  // end points and gamma, unused with sRGB
  }
  for (uint32_t y = height; y-- > 0;) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(y)));
    for (uint32_t x = 0; x < width; ++x) {
      out.push_back(uint8_t(qBlue(line[x])));
      out.push_back(uint8_t(qGreen(line[x])));
      out.push_back(uint8_t(qRed(line[x])));
      if (alpha) out.push_back(uint8_t(qAlpha(line[x])));
    }
    out.insert(out.end(), rowSize - width * bytesPerPixel, 0);
  }
  return out;
}

TGraphic ReadPictureFile(const std::string& fileName, QSize minimumSize) {
  const QString path = QString::fromStdString(fileName);
  QImage image;
  if (QFileInfo(path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
    if (!QFileInfo(path).isFile()) Fail(fileName, "File not found");
    image = RenderVector(fileName, minimumSize);
  } else {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    image = reader.read();
    if (image.isNull()) Fail(fileName, reader.errorString());
    if (image.width() > MaxSide || image.height() > MaxSide)
      image = image.scaled(MaxSide, MaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  return TGraphic{"TBitmap", EncodeBmp(image)};
}

}  // namespace gc::app
