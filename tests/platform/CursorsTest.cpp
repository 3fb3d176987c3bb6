// The control's cursors: every resource loads, and cursor ids map to Qt's.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/qt/Cursors.h"
#include "support/CaseName.h"

namespace gc::qt::test {
namespace {

TEST(Cursors, AllSevenResourcesLoadWithVisiblePixels) {
  const char* names[] = {"GC_HANDFLAT", "GC_HANDGRAB", "GC_HANDPNT",  "GC_XHAIR1",
                         "GC_XHAIR2",   "GC_XHAIR3",   "GC_XHAIRLINK"};
  ASSERT_EQ(CursorResources().size(), std::size(names));
  for (size_t i = 0; i < std::size(names); ++i) {
    EXPECT_STREQ(CursorResources()[i].Name, names[i]);
    EXPECT_EQ(CursorResources()[i].Id, TCursor(51 + i));
    const QPixmap pixmap = CursorPixmap(names[i]);
    ASSERT_FALSE(pixmap.isNull()) << names[i];
    EXPECT_EQ(pixmap.size(), QSize(32, 32));
    const QImage image = pixmap.toImage();
    int opaque = 0, clear = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) (qAlpha(image.pixel(x, y)) > 128 ? opaque : clear)++;
    EXPECT_GT(opaque, 20) << names[i];
    EXPECT_GT(clear, 32 * 32 / 3) << names[i];
  }
  EXPECT_TRUE(CursorPixmap("GC_MISSING").isNull());
}

TEST(Cursors, ControlCursorIdsGiveTheirImagesAndHotSpots) {
  RegisterCursors();
  for (const TCursorResource& r : CursorResources()) {
    const QCursor cursor = CursorFor(r.Id);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << r.Name;
    EXPECT_EQ(cursor.hotSpot(), QPoint(r.HotX, r.HotY)) << r.Name;
    EXPECT_FALSE(cursor.pixmap().isNull()) << r.Name;
  }
  // The crosshairs point at the middle of their lines.
  const QImage xhair = CursorPixmap("GC_XHAIR1").toImage();
  EXPECT_GT(qAlpha(xhair.pixel(15, 5)), 128);
  EXPECT_GT(qAlpha(xhair.pixel(5, 15)), 128);
}

struct TStockCase {
  const char* Name;
  TCursor Id;
  Qt::CursorShape Shape;
};

class StockCursor : public testing::TestWithParam<TStockCase> {};

TEST_P(StockCursor, MapsToTheQtShape) { EXPECT_EQ(CursorFor(GetParam().Id).shape(), GetParam().Shape); }

INSTANTIATE_TEST_SUITE_P(Table, StockCursor,
                         testing::Values(TStockCase{"Default", crDefault, Qt::ArrowCursor},
                                         TStockCase{"Arrow", crArrow, Qt::ArrowCursor},
                                         TStockCase{"None", crNone, Qt::BlankCursor},
                                         TStockCase{"Cross", crCross, Qt::CrossCursor},
                                         TStockCase{"IBeam", crIBeam, Qt::IBeamCursor},
                                         TStockCase{"SizeNESW", crSizeNESW, Qt::SizeBDiagCursor},
                                         TStockCase{"SizeNS", crSizeNS, Qt::SizeVerCursor},
                                         TStockCase{"SizeNWSE", crSizeNWSE, Qt::SizeFDiagCursor},
                                         TStockCase{"SizeWE", crSizeWE, Qt::SizeHorCursor},
                                         TStockCase{"HandPoint", crHandPoint, Qt::PointingHandCursor},
                                         TStockCase{"SizeAll", crSizeAll, Qt::SizeAllCursor},
                                         TStockCase{"UnknownId", 99, Qt::ArrowCursor}),
                         gc::test::TCaseName());

}  // namespace
}  // namespace gc::qt::test
