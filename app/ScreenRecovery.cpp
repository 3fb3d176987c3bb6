#include "app/ScreenRecovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace gc::app {

namespace {

constexpr const char* ScreenSuffix = ".Screen";
constexpr const char* InfoSuffix = ".json";
constexpr const char* LockSuffix = ".lock";

bool WriteAtomically(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// A lock of an entry, which only a running designer holds: one that died
// (a crash, a kill) leaves a lock whose process is gone, which counts as
// free however recent it is.
std::unique_ptr<QLockFile> TryLock(const QString& path) {
  auto lock = std::make_unique<QLockFile>(path);
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return nullptr;
  return lock;
}

}  // namespace

TScreenRecovery::TScreenRecovery(const QString& folder) : Folder_(folder) {
  QDir().mkpath(Folder_);
  // A key no other designer has had: its process and the moment it started.
  const QString stem = QStringLiteral("screen-%1-%2")
                           .arg(QCoreApplication::applicationPid())
                           .arg(QDateTime::currentMSecsSinceEpoch());
  for (int n = 0; !Lock_ && n < 100; ++n) {
    const QString key = n == 0 ? stem : QStringLiteral("%1-%2").arg(stem).arg(n);
    if (QFile::exists(PathOf(key, InfoSuffix))) continue;
    Lock_ = TryLock(PathOf(key, LockSuffix));
    if (Lock_) Key_ = key;
  }
}

TScreenRecovery::~TScreenRecovery() = default;

QString TScreenRecovery::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

QString TScreenRecovery::PathOf(const QString& key, const char* suffix) const {
  return Folder_ + '/' + key + QLatin1String(suffix);
}

bool TScreenRecovery::Write(const std::vector<uint8_t>& diagram, const TEntry& screen) {
  if (!Lock_) return false;
  QJsonObject info;
  info["file"] = QString::fromStdString(screen.FileName);
  info["name"] = QString::fromStdString(screen.ScreenName);
  info["named"] = screen.Named;
  info["written"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
  // The diagram first: the description is what makes an entry, and it only
  // ever describes a whole diagram.
  return WriteAtomically(PathOf(Key_, ScreenSuffix), QByteArray(reinterpret_cast<const char*>(diagram.data()),
                                                                qsizetype(diagram.size()))) &&
         WriteAtomically(PathOf(Key_, InfoSuffix), QJsonDocument(info).toJson());
}

void TScreenRecovery::Remove() {
  if (!Lock_) return;
  QFile::remove(PathOf(Key_, InfoSuffix));
  QFile::remove(PathOf(Key_, ScreenSuffix));
}

bool TScreenRecovery::HasCopy() const { return Lock_ && QFile::exists(PathOf(Key_, InfoSuffix)); }

TScreenRecovery::TEntry TScreenRecovery::ReadEntry(const QString& key) const {
  TEntry entry;
  entry.Key = key;
  QFile file(PathOf(key, InfoSuffix));
  if (!file.open(QIODevice::ReadOnly)) {
    entry.Damage = "its description cannot be read: " + file.errorString().toStdString();
    return entry;
  }
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
  const QJsonObject info = document.object();
  if (error.error != QJsonParseError::NoError || !info["file"].isString() || !info["name"].isString() ||
      !info["named"].isBool()) {
    entry.Damage = "its description is not complete";
  }
  entry.FileName = info["file"].toString().toStdString();
  entry.ScreenName = info["name"].toString().toStdString();
  entry.Named = info["named"].toBool();
  entry.Written = QDateTime::fromString(info["written"].toString(), Qt::ISODateWithMs);
  if (!entry.Written.isValid()) entry.Written = QFileInfo(file).lastModified();
  return entry;
}

std::vector<TScreenRecovery::TEntry> TScreenRecovery::TakeOrphans(const std::string& fileName) {
  std::vector<TEntry> orphans;
  const QStringList infos = QDir(Folder_).entryList({QStringLiteral("*") + InfoSuffix}, QDir::Files);
  for (const QString& info : infos) {
    const QString key = info.chopped(int(strlen(InfoSuffix)));
    if (key == Key_) continue;
    if (std::any_of(Held_.begin(), Held_.end(), [&](const auto& held) { return held.first == key; }))
      continue;
    std::unique_ptr<QLockFile> lock = TryLock(PathOf(key, LockSuffix));
    if (!lock) continue;  // its designer is running
    TEntry entry = ReadEntry(key);
    if (!fileName.empty() && entry.Damage.empty() && entry.FileName != fileName) continue;
    Held_.emplace_back(key, std::move(lock));
    orphans.push_back(std::move(entry));
  }
  std::sort(orphans.begin(), orphans.end(),
            [](const TEntry& a, const TEntry& b) { return a.Written > b.Written; });
  return orphans;
}

std::vector<uint8_t> TScreenRecovery::ReadOrphan(const TEntry& orphan) const {
  QFile file(PathOf(orphan.Key, ScreenSuffix));
  if (!file.open(QIODevice::ReadOnly))
    throw std::runtime_error("its screen cannot be read: " + file.errorString().toStdString());
  const QByteArray bytes = file.readAll();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void TScreenRecovery::Release(const QString& key) {
  std::erase_if(Held_, [&](const auto& held) { return held.first == key; });
}

void TScreenRecovery::Discard(const TEntry& orphan) {
  QFile::remove(PathOf(orphan.Key, InfoSuffix));
  QFile::remove(PathOf(orphan.Key, ScreenSuffix));
  Release(orphan.Key);
}

QString TScreenRecovery::SetAside(const TEntry& orphan) {
  const QString aside = Folder_ + QStringLiteral("/damaged");
  QDir().mkpath(aside);
  for (const char* suffix : {InfoSuffix, ScreenSuffix}) {
    const QString target = aside + '/' + orphan.Key + QLatin1String(suffix);
    QFile::remove(target);
    QFile::rename(PathOf(orphan.Key, suffix), target);
  }
  Release(orphan.Key);
  return aside;
}

}  // namespace gc::app
