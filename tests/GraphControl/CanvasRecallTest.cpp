#include "GraphControl/CanvasRecall.h"

#include <gtest/gtest.h>

#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

TEST(CanvasRecall, SwitchingCanvasGivesTheOldOneItsToolsBack) {
  TRecordingCanvas first, second;
  first.Pen().SetColor(clRed);
  second.Pen().SetColor(clGreen);
  TCanvasRecall recall(&first);
  first.Pen().SetColor(clBlue);
  recall.SetCanvas(&second);
  EXPECT_EQ(first.Pen().Color(), clRed);
  second.Pen().SetColor(clBlue);
  recall.SetCanvas(&second);  // the same canvas: nothing is saved or restored
  EXPECT_EQ(second.Pen().Color(), clBlue);
  recall.SetCanvas(nullptr);
  EXPECT_EQ(second.Pen().Color(), clGreen);
}

}  // namespace
}  // namespace gc
