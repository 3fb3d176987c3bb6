#include "platform/qt/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStringList>

#include "GraphControl/Unit.h"

namespace gc::qt {

namespace {

QStringList& RegisteredFormats() {
  static QStringList formats;
  return formats;
}

QString NativeMimeType() { return QtClipboardMimeType(RegisterQtClipboardFormat(GraphClipboardFormatName)); }

QByteArray ToByteArray(const std::vector<uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
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

void TQtClipboard::SetContent(const TClipboardContent& content) {
  auto* data = new QMimeData;
  if (!content.Native.empty()) data->setData(NativeMimeType(), ToByteArray(content.Native));
  if (!content.Png.empty()) {
    const QByteArray png = ToByteArray(content.Png);
    data->setData(QStringLiteral("image/png"), png);
    data->setImageData(QImage::fromData(png, "PNG"));
  }
  if (!content.Svg.empty()) data->setData(QStringLiteral("image/svg+xml"), ToByteArray(content.Svg));
  if (!content.Text.empty()) data->setText(QString::fromStdString(content.Text));
  QGuiApplication::clipboard()->setMimeData(data);
}

bool TQtClipboard::GetNative(std::vector<uint8_t>& bytes) const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  const QString mimeType = NativeMimeType();
  if (!data || !data->hasFormat(mimeType)) return false;
  const QByteArray native = data->data(mimeType);
  bytes.assign(native.begin(), native.end());
  return true;
}

TQtClipboard& QtClipboard() {
  static TQtClipboard clipboard;
  return clipboard;
}

}  // namespace gc::qt
