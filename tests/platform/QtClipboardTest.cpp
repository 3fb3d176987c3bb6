// The system clipboard through the Qt platform: a copy offers the diagram's
// own format, PNG and SVG pictures and the captions, so other programs can
// take it; a paste reads the diagram's format back.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "GraphControl/Control.h"
#include "GraphControl/NodeShapes.h"
#include "GraphControl/Unit.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtPlatform.h"

namespace gc {
namespace {

class QtClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt::InstallQtPlatform();
    GraphControlStartup();
  }
  void TearDown() override {
    GraphControlShutdown();
    qt::UninstallQtPlatform();
  }
};

TEST_F(QtClipboardTest, CopyOffersEveryFormatAndPasteReadsTheDiagramBack) {
  TGraphControl source;
  auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&source, {10, 10, 110, 60});
  node->SetText("Start");
  node->SetSelected(true);
  ASSERT_EQ(source.Clipboard(), &qt::QtClipboard());
  ASSERT_TRUE(source.CopyToClipboard());

  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(
      data->hasFormat(QStringLiteral("application/x-qt-windows-mime;value=\"Graph Control Format\"")));
  EXPECT_EQ(data->text(), QStringLiteral("Start"));
  EXPECT_TRUE(data->data(QStringLiteral("image/png")).startsWith("\x89PNG"));
  EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(101, 51));
  EXPECT_TRUE(data->data(QStringLiteral("image/svg+xml")).contains("<svg"));

  TGraphControl target;
  ASSERT_TRUE(target.PasteFromClipboard());
  ASSERT_EQ(target.Objects().Count(), 1);
  EXPECT_EQ(target.Objects()[0]->Text(), "Start");
  EXPECT_EQ(target.Objects()[0]->GetBoundsRect(), (TRect{10, 10, 110, 60}));
}

TEST_F(QtClipboardTest, TextFromAnotherProgramIsNoDiagram) {
  QGuiApplication::clipboard()->setText(QStringLiteral("not a diagram"));
  TGraphControl target;
  EXPECT_FALSE(target.PasteFromClipboard());
  EXPECT_TRUE(target.Objects().IsEmpty());
}

}  // namespace
}  // namespace gc
