#include "app/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace gc::app {

namespace {

constexpr const char* Key = "recentFiles";

std::unique_ptr<QSettings> Settings(const QString& file) {
  if (file.isEmpty()) return std::make_unique<QSettings>("Orvane", "ScreenDesigner");
  return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

}  // namespace

QStringList TRecentFiles::Files() const { return Settings(SettingsFile_)->value(Key).toStringList(); }

void TRecentFiles::Store(const QStringList& files) { Settings(SettingsFile_)->setValue(Key, files); }

void TRecentFiles::Add(const QString& fileName) {
  const QString path = QFileInfo(fileName).absoluteFilePath();
  QStringList files = Files();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > MaxFiles) files.removeLast();
  Store(files);
}

void TRecentFiles::Remove(const QString& fileName) {
  QStringList files = Files();
  files.removeAll(QFileInfo(fileName).absoluteFilePath());
  Store(files);
}

void TRecentFiles::Clear() { Store({}); }

}  // namespace gc::app
