// The screen designer's entry: the main window, the hidden export window,
// and optionally a screen file named on the command line opened at start.
#include <QApplication>

#include "GraphControl/GraphControl.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/qt/QtMeasuringCanvas.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Orvane_VizaduRazadivi");
  gc::qt::InstallQtPlatform();
  gc::GraphControlStartup();
  int result = 0;
  {
    gc::app::TQtDialogs dialogs;
    gc::app::TForm1 form1(dialogs);
    gc::app::TQtDialogs exportDialogs(&form1);
    gc::app::TForm2 form2(exportDialogs, &form1);
    form1.SetExportWindow(&form2);
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) form1.OpenScreen(args.at(1).toStdString());
    form1.show();
    result = QApplication::exec();
  }
  gc::GraphControlShutdown();
  return result;
}
