// Recovery copies of the screens being edited, so that unsaved work survives
// a crash or a kill. Every running designer owns one entry in the recovery
// folder (the user's data folder, never beside the user's files): the
// screen's diagram stream "<key>.Screen", what it belongs to "<key>.json",
// and "<key>.lock", held while the designer runs. An entry whose lock nobody
// holds any more was left by a designer that ended without cleaning up; a
// designer started later offers it back. Copies are written atomically, so
// a kill during a write leaves the previous copy whole.
#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gc::app {

class TScreenRecovery {
 public:
  // What an entry says of its screen.
  struct TEntry {
    QString Key;
    std::string FileName;    // the screen's file, "" when it has none
    std::string ScreenName;  // as the caption shows it
    bool Named = false;      // whether the caption shows the name
    QDateTime Written;
    // Why the entry cannot be read ("" when it can).
    std::string Damage;
  };

  // The entries live in `folder`, created when missing.
  explicit TScreenRecovery(const QString& folder);
  // Keeps the entry: only Remove takes it away. The lock goes, so the next
  // designer offers what is left.
  ~TScreenRecovery();
  TScreenRecovery(const TScreenRecovery&) = delete;
  TScreenRecovery& operator=(const TScreenRecovery&) = delete;

  // "recovery" in the user's data folder of this program.
  static QString DefaultFolder();
  const QString& Folder() const { return Folder_; }

  // Writes the copy: the screen's diagram stream and what it belongs to.
  // False when the folder cannot take it.
  bool Write(const std::vector<uint8_t>& diagram, const TEntry& screen);
  // Removes this designer's copy (saved, discarded, closed).
  void Remove();
  bool HasCopy() const;

  // Entries no running designer holds, newest first: all of them, or those
  // of `fileName` only. Each one found is held by this designer until it is
  // restored, discarded or set aside, so two designers never offer the same.
  std::vector<TEntry> TakeOrphans(const std::string& fileName);
  // The diagram bytes of a held orphan. Throws when they cannot be read.
  std::vector<uint8_t> ReadOrphan(const TEntry& orphan) const;
  // Forgets a held orphan (restored into this designer, or discarded).
  void Discard(const TEntry& orphan);
  // Moves a held orphan into the folder "damaged" and returns that folder.
  QString SetAside(const TEntry& orphan);

 private:
  QString PathOf(const QString& key, const char* suffix) const;
  TEntry ReadEntry(const QString& key) const;
  void Release(const QString& key);

  QString Folder_;
  QString Key_;
  std::unique_ptr<QLockFile> Lock_;
  // The orphans this designer holds, by key.
  std::vector<std::pair<QString, std::unique_ptr<QLockFile>>> Held_;
};

}  // namespace gc::app
