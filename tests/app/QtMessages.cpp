#include "tests/app/QtMessages.h"

#include <QtGlobal>
#include <cstdio>

namespace gc::app {

namespace {

QStringList& Messages() {
  static QStringList messages;
  return messages;
}

void Keep(QtMsgType type, const QMessageLogContext&, const QString& text) {
  std::fprintf(stderr, "%s\n", qPrintable(text));
  // Debug output is the tests' own; informational lines are not faults.
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  Messages().append(text);
}

}  // namespace

void RecordQtMessages() { qInstallMessageHandler(Keep); }

QStringList TakeQtMessages() {
  QStringList taken;
  taken.swap(Messages());
  return taken;
}

}  // namespace gc::app
