// Runs the designer tests inside a QApplication (offscreen unless the
// environment chooses another platform).
#include <QApplication>

#include <gtest/gtest.h>

#include "GraphControl/Unit.h"
#include "platform/qt/QtMeasuringCanvas.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  gc::qt::InstallQtPlatform();
  gc::GraphControlStartup();
  const int result = RUN_ALL_TESTS();
  gc::GraphControlShutdown();
  return result;
}
