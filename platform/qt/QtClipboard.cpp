#include "platform/qt/QtClipboard.h"

#include <QStringList>

namespace gc::qt {

namespace {

QStringList& RegisteredFormats() {
  static QStringList formats;
  return formats;
}

}  // namespace

uint32_t RegisterQtClipboardFormat(const char* name) {
  const QString mimeType = QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(name);
  QStringList& formats = RegisteredFormats();
  qsizetype index = formats.indexOf(mimeType);
  if (index < 0) {
    formats.append(mimeType);
    index = formats.size() - 1;
  }
  return static_cast<uint32_t>(index) + 1;
}

QString QtClipboardMimeType(uint32_t format) {
  const QStringList& formats = RegisteredFormats();
  if (format == 0 || format > static_cast<uint32_t>(formats.size())) return {};
  return formats.at(static_cast<qsizetype>(format) - 1);
}

}  // namespace gc::qt
