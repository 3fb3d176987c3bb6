// The screens opened or saved last, newest first, kept in the designer's
// settings between runs.
#pragma once

#include <QString>
#include <QStringList>

namespace gc::app {

class TRecentFiles {
 public:
  static constexpr int MaxFiles = 8;
  // `settingsFile`: the settings file to keep the list in; empty for the
  // designer's own settings.
  explicit TRecentFiles(QString settingsFile = {}) : SettingsFile_(std::move(settingsFile)) {}

  QStringList Files() const;
  // Puts the file first (once), dropping the oldest beyond MaxFiles.
  void Add(const QString& fileName);
  void Remove(const QString& fileName);
  void Clear();

 private:
  void Store(const QStringList& files);
  QString SettingsFile_;
};

}  // namespace gc::app
