// Runs the designer tests inside a QApplication started as the program
// starts, on the xcb platform of the X server scripts/xvfb-run.sh gives them
// (QT_QPA_PLATFORM chooses another). Every message Qt prints is kept, so a
// test can fail on a warning such as an ambiguous shortcut.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

#include <gtest/gtest.h>

#include "app/Startup.h"
#include "tests/app/QtMessages.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    if (!qEnvironmentVariableIsSet("DISPLAY")) {
      std::fprintf(stderr, "The window tests need an X display: bash scripts/xvfb-run.sh %s\n", argv[0]);
      return 2;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
  gc::app::RecordQtMessages();
  QApplication app(argc, argv);
  // The designer's settings (recent files) go to a scratch folder, not the user's.
  QStandardPaths::setTestModeEnabled(true);
  const QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  // Tests close main windows; that must not end the application.
  QApplication::setQuitOnLastWindowClosed(false);
  gc::app::TDesignerStartup startup;
  return RUN_ALL_TESTS();
}
