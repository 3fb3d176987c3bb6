// The screen designer's entry: the main window, the hidden export window,
// and optionally a screen file named on the command line opened at start.
#include <QApplication>

#include "app/Startup.h"
#include "app/Unit1.h"
#include "app/Unit2.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  gc::app::TDesignerStartup startup;
  gc::app::TQtDialogs dialogs;
  gc::app::TForm1 form1(dialogs);
  dialogs.SetFallbackParent(&form1);
  gc::app::TForm2 form2(dialogs, &form1);
  form1.SetExportWindow(&form2);
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) form1.OpenScreen(args.at(1).toStdString());
  form1.show();
  return QApplication::exec();
}
