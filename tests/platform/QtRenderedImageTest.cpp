// RenderBitmap and RenderMetafile through the Qt image hook: the image has the
// size of the objects' paint bounds and the objects are drawn with the
// bounds' top-left corner at (0, 0).
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QtRenderedImage.h"

namespace gc {
namespace {

class RenderedImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GraphControlStartup();
    qt::InstallQtPlatform();
  }
  void TearDown() override {
    qt::UninstallQtPlatform();
    GraphControlShutdown();
  }
  TGraphControl Graph;
};

TEST_F(RenderedImageTest, BitmapCoversThePaintBoundsWithTheNodeAtTheOrigin) {
  auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, {10, 10, 110, 60});
  node->Brush().SetColor(clRed);
  ASSERT_EQ(node->PaintBounds(), (TRect{10, 10, 110, 60}));
  auto image = Graph.RenderBitmap(Graph.Objects());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Kind(), TRenderedImageKind::Bitmap);
  const QImage* bitmap = qt::RenderedBitmap(*image);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->size(), QSize(101, 51));
  EXPECT_EQ(bitmap->format(), QImage::Format_RGB888);
  EXPECT_EQ(QColor(bitmap->pixel(0, 0)), QColor(Qt::black)) << "outline at the top-left corner";
  EXPECT_EQ(QColor(bitmap->pixel(50, 25)), QColor(Qt::red)) << "fill inside";
  const std::vector<uint8_t> png = image->Encode();
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

TEST_F(RenderedImageTest, MetafileIsAnSvgDocumentOfTheSameSize) {
  TGraphNode::CreateWithBounds<TEllipticNode>(&Graph, {-20, 30, 80, 90});
  auto image = Graph.RenderMetafile(Graph.Objects());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Kind(), TRenderedImageKind::Metafile);
  EXPECT_EQ(qt::RenderedBitmap(*image), nullptr);
  const std::vector<uint8_t> bytes = image->Encode();
  const std::string svg(bytes.begin(), bytes.end());
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 101 61\""), std::string::npos) << svg.substr(0, 400);
}

}  // namespace
}  // namespace gc
