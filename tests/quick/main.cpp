// Runs the Qt Quick tests offscreen and with the software scene graph unless
// the environment chooses otherwise, so they need neither a display nor a
// GPU. A QApplication, because QTest's mouse functions take the application
// for one when the widgets library is linked (the Qt layer links it).
#include <QApplication>
#include <QQuickWindow>

#include <gtest/gtest.h>

#include "platform/qt/GraphItem.h"
#include "platform/qt/QtPlatform.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  QApplication app(argc, argv);
  gc::qt::InstallQtPlatform();
  gc::qt::RegisterQmlTypes();
  const int status = RUN_ALL_TESTS();
  gc::qt::UninstallQtPlatform();
  return status;
}
