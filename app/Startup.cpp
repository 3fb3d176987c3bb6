#include "app/Startup.h"

#include <QApplication>

#include "GraphControl/Unit.h"
#include "app/DesignerIcons.h"
#include "platform/qt/QtPlatform.h"

namespace gc::app {

TDesignerStartup::TDesignerStartup() {
  QApplication::setApplicationName(ApplicationTitle);
  // Lets the desktop match the windows with the installed desktop entry.
  QGuiApplication::setDesktopFileName("ScreenDesigner");
  QApplication::setWindowIcon(ApplicationIcon());
  qt::InstallQtPlatform();
  GraphControlStartup();
}

TDesignerStartup::~TDesignerStartup() {
  GraphControlShutdown();
  qt::UninstallQtPlatform();
}

}  // namespace gc::app
