// Runs the designer tests inside a QApplication (offscreen unless the
// environment chooses another platform), started as the program starts.
#include <QApplication>

#include <gtest/gtest.h>

#include "app/Startup.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Tests close main windows; that must not end the application.
  QApplication::setQuitOnLastWindowClosed(false);
  gc::app::TDesignerStartup startup;
  return RUN_ALL_TESTS();
}
