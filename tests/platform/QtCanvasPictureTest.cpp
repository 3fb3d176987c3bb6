// Pictures and vector output on the Qt canvas.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QSvgGenerator>

#include "PixelHelpers.h"
#include "platform/qt/QtCanvas.h"

namespace gc::qt::test {
namespace {

TGraphic MakeBitmap() {
  QImage image(2, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(0, 1, qRgb(0, 0, 255));
  image.setPixel(1, 1, qRgb(0, 0, 0));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return {"TBitmap", std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

TEST(QtCanvasStretchDraw, StretchesABitmapOverTheRect) {
  TQtImageCanvas canvas(40, 40);
  canvas.SetViewMapping(200, {0, 0});
  const TGraphic bitmap = MakeBitmap();
  canvas.StretchDraw({5, 5, 15, 15}, bitmap);
  const QImage& im = canvas.Image();
  EXPECT_EQ(InkBox(im), QRect(10, 10, 20, 20));
  EXPECT_TRUE(IsColor(im, 12, 12, qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColor(im, 28, 12, qRgb(0, 255, 0)));
  EXPECT_TRUE(IsColor(im, 12, 28, qRgb(0, 0, 255)));
  EXPECT_TRUE(IsColor(im, 28, 28, qRgb(0, 0, 0)));
  // Drawn again from the decoded cache, with the same result.
  canvas.StretchDraw({0, 0, 2, 2}, bitmap);
  EXPECT_TRUE(IsColor(im, 0, 0, qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColor(im, 3, 3, qRgb(0, 0, 0)));
}

TEST(QtCanvasStretchDraw, UndecodableDataDrawsNothing) {
  TQtImageCanvas canvas(20, 20);
  canvas.StretchDraw({0, 0, 20, 20}, TGraphic{"TBitmap", {1, 2, 3, 4, 5}});
  canvas.StretchDraw({0, 0, 20, 20}, TGraphic{"TMetafile", {0x01, 0, 0, 0, 0x6C, 0, 0, 0}});
  canvas.StretchDraw({0, 0, 20, 20}, TGraphic{"TBitmap", {}});
  EXPECT_TRUE(InkBox(canvas.Image()).isEmpty());
}

TEST(QtCanvasStretchDraw, VectorPictureIsRendered) {
  const std::string svg =
      "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
      "<rect x='0' y='0' width='10' height='10' fill='#0000ff'/></svg>";
  TQtImageCanvas canvas(20, 20);
  canvas.StretchDraw({4, 4, 14, 14}, TGraphic{"TMetafile", std::vector<uint8_t>(svg.begin(), svg.end())});
  EXPECT_TRUE(IsColor(canvas.Image(), 9, 9, qRgb(0, 0, 255)));
  EXPECT_TRUE(IsWhite(canvas.Image(), 2, 2));
}

TEST(QtCanvasMetafile, RecordsShapesAndTextAsVectors) {
  QByteArray out;
  QBuffer buffer(&out);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(100, 100));
  generator.setViewBox(QRect(0, 0, 100, 100));
  {
    TQtCanvas canvas(&generator, true);
    EXPECT_TRUE(canvas.IsMetafile());
    canvas.Brush().SetColor(clRed);
    canvas.Rectangle({10, 10, 50, 40});
    canvas.Pen().SetMode(TPenMode::pmNot);  // no raster operations in a vector drawing: drawn plainly
    canvas.Ellipse({20, 20, 60, 60});
    canvas.SetPixel(1, 1, clBlue);
    canvas.Font().SetHeight(-12);
    canvas.TextOut(10, 70, "Vector caption");
    EXPECT_EQ(canvas.ClipRect(), TRect(0, 0, 100, 100));
  }
  const QString svg = QString::fromUtf8(out);
  EXPECT_TRUE(svg.contains("#ff0000")) << svg.toStdString();
  EXPECT_TRUE(svg.contains("Vector caption"));
  TQtImageCanvas raster(1, 1);
  EXPECT_FALSE(raster.IsMetafile());
}

}  // namespace
}  // namespace gc::qt::test
