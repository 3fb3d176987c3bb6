// The screen designer's entry: the main window, the hidden export window,
// optionally a screen file named on the command line opened at start, and
// the unsaved work of a designer that ended without saving offered back.
#include <QApplication>
#include <QTimer>

#include "app/ScreenRecovery.h"
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
  form1.KeepRecoveryIn(gc::app::TScreenRecovery::DefaultFolder());
  const QStringList args = QApplication::arguments();
  const std::string fileName = args.size() > 1 ? args.at(1).toStdString() : std::string();
  if (!fileName.empty()) form1.OpenScreen(fileName);
  form1.show();
  // Once the window shows, the question comes over it.
  QTimer::singleShot(0, &form1, [&form1, fileName] { form1.OfferRecovery(fileName); });
  return QApplication::exec();
}
