// Runs the platform tests inside a QApplication (offscreen unless the
// environment chooses another platform), as fonts, pixmaps, cursors and the
// host widget need. GC_SPATIAL_INDEX=scan runs them against the reference
// scan instead of the R-tree.
#include <QApplication>

#include <gtest/gtest.h>

#include "support/SpatialIndexChoice.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  gc::test::ChooseSpatialIndexForThisRun();
  return RUN_ALL_TESTS();
}
