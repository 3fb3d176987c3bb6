// The screen's files: new, open, save, export, closing with unsaved changes,
// the caption that names the screen, and the recovery copy of unsaved work.
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QTimer>
#include <exception>

#include "GraphControl/Stream.h"
#include "app/ScreenRecovery.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/qt/GraphWidget.h"

namespace gc::app {

namespace {

constexpr const char* ScreenFilter = "Screen-Files|*.Screen";

std::string ReadFailure(const std::string& fileName, const std::exception& e) {
  return "Cannot open \"" + FullFileName(fileName) + "\":\n" + e.what();
}

std::string DescribeScreen(const TScreenRecovery::TEntry& entry) {
  const std::string name = entry.FileName.empty()
                               ? entry.ScreenName
                               : QFileInfo(QString::fromStdString(entry.FileName)).fileName().toStdString();
  return "\"" + name + "\"";
}

}  // namespace

// A modified screen is marked with a "*" after its name.
void TForm1::UpdateCaption() {
  const std::string mark = GraphControl1.Modified() ? "*" : "";
  const std::string caption =
      Named_ ? std::string(MainCaption) + "  [" + ScreenName + mark + "]" : std::string(MainCaption) + mark;
  setWindowTitle(QString::fromStdString(caption));
  ShowFileState();
}

// ---- Screen files ---------------------------------------------------------------------------

bool TForm1::ConfirmDiscardChanges() {
  if (!GraphControl1.Modified()) return true;
  const std::string question =
      "The screen \"" + ScreenName + "\" has unsaved changes.\nDo you want to save them?";
  switch (Dialogs_.Ask(question, "Save", "Discard")) {
    case IDesignerDialogs::anAccept:
      return SaveScreen();
    case IDesignerDialogs::anDestructive:
      return true;
    default:
      return false;
  }
}

// With unsaved changes one question (save, discard or cancel) stands for
// the warning; otherwise the warning asks.
void TForm1::btnScreenPropClick() {
  Guarded([&] {
    if (GraphControl1.Modified()) {
      if (!ConfirmDiscardChanges()) return;
    } else if (Dialogs_.MessageBox("WARNING! The not saved data will be deleted!",
                                   IDesignerDialogs::bkWarning, true) != 1) {
      return;
    }
    GraphControl1.Clear();
    RemoveRecoveryCopy();
    ShowWidget(nullptr);
    FileName_.clear();
    ScreenName = Dialogs_.InputQuery("Vizadu-Razadivi", "Screen Name: ", "NoName");
    Named_ = true;
    UpdateCaption();
    GraphWidget->setFocus();
  });
}

bool TForm1::OpenScreen(const std::string& fileName) {
  TMemoryStream bytes;
  try {
    // The whole file is read into a hidden control first: a file damaged
    // anywhere leaves the screen, its name and the caption as they were.
    TFileStream file(fileName, TFileMode::OpenRead);
    bytes.CopyFrom(file, file.Size());
    TGraphControl trial;
    trial.SetHistoryLimit(0);
    trial.SetGraphConstraints(GraphControl1.GraphConstraints());
    bytes.SetPosition(0);
    trial.LoadFromStream(bytes);
  } catch (const std::exception& e) {
    Dialogs_.MessageBox(ReadFailure(fileName, e), IDesignerDialogs::bkError, false);
    return false;
  }
  return Guarded([&] {
    bytes.SetPosition(0);
    GraphControl1.LoadFromStream(bytes);
    RemoveRecoveryCopy();
    ShowWidget(nullptr);
    NameScreenAfter(fileName);
    GraphWidget->setFocus();
  });
}

// From a file opened or saved under a new name on, the window names the file
// that Save writes: the caption, the unsaved-changes question and the save
// dialog.
void TForm1::NameScreenAfter(const std::string& fileName) {
  FileName_ = FullFileName(fileName);
  ScreenName = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
  Named_ = true;
  UpdateCaption();
}

void TForm1::btnOpenClick() {
  if (!ConfirmDiscardChanges()) return;
  std::string fileName;
  if (Dialogs_.OpenFile("Open file", ScreenFilter, fileName)) OpenScreen(fileName);
}

bool TForm1::SaveScreenTo(const std::string& fileName) {
  const bool saved = Guarded([&] { GraphControl1.SaveToFile(fileName); });
  if (saved) {
    NameScreenAfter(fileName);
    RemoveRecoveryCopy();
  }
  UpdateCaption();
  return saved;
}

bool TForm1::SaveScreenAs() {
  std::string fileName = FileName_;
  if (fileName.empty() && ScreenName != "NoName") {
    fileName = ScreenName;
    if (!QString::fromStdString(fileName).endsWith(".Screen", Qt::CaseInsensitive)) fileName += ".Screen";
  }
  return Dialogs_.SaveFile("Save file", ScreenFilter, fileName) && SaveScreenTo(fileName);
}

bool TForm1::SaveScreen() { return FileName_.empty() ? SaveScreenAs() : SaveScreenTo(FileName_); }

void TForm1::btnSaveClick() { SaveScreenAs(); }

void TForm1::btnExportClick() {
  Guarded([&] {
    GraphControl1.SaveCopyToFile("ScreenWorkspace");
    if (Form2_) Form2_->ShowModal();
    KeepExportAnswers();
  });
}

void TForm1::btnCloseClick() { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (ConfirmDiscardChanges()) {
    RemoveRecoveryCopy();
    event->accept();
  } else {
    event->ignore();
  }
}

// ---- Recovery copies --------------------------------------------------------------------------

void TForm1::KeepRecoveryIn(const QString& folder) {
  Recovery_ = std::make_unique<TScreenRecovery>(folder);
  ScheduleRecoveryCopy();
}

// The copy follows the changes at most RecoveryDelay behind; a stream of
// changes does not put it off.
void TForm1::ScheduleRecoveryCopy() {
  if (Recovery_ && !RecoveryTimer->isActive()) RecoveryTimer->start();
}

void TForm1::RemoveRecoveryCopy() {
  if (!Recovery_) return;
  RecoveryTimer->stop();
  Recovery_->Remove();
}

void TForm1::KeepRecoveryCopy() {
  if (!Recovery_) return;
  RecoveryTimer->stop();
  if (!GraphControl1.Modified()) {
    Recovery_->Remove();
    return;
  }
  // A copy that cannot be written must not stop the work: the next change
  // tries again.
  try {
    TMemoryStream stream;
    GraphControl1.SaveCopyToStream(stream);
    Recovery_->Write(stream.Bytes(), {QString(), FileName_, ScreenName, Named_, QDateTime(), std::string()});
  } catch (const std::exception&) {
  }
}

// A copy that cannot be read whole is set aside and reported before any
// question about it, and never loaded.
void TForm1::OfferRecovery(const std::string& fileName) {
  if (!Recovery_) return;
  const std::string file = fileName.empty() ? std::string() : FullFileName(fileName);
  for (const TScreenRecovery::TEntry& entry : Recovery_->TakeOrphans(file)) {
    TMemoryStream bytes;
    std::string damage = entry.Damage;
    if (damage.empty()) {
      try {
        bytes = TMemoryStream(Recovery_->ReadOrphan(entry));
        TGraphControl trial;
        trial.SetHistoryLimit(0);
        trial.SetGraphConstraints(GraphControl1.GraphConstraints());
        trial.LoadFromStream(bytes);
      } catch (const std::exception& e) {
        damage = e.what();
      }
    }
    if (!damage.empty()) {
      const QString aside = Recovery_->SetAside(entry);
      Dialogs_.MessageBox(
          "A recovery copy of unsaved work" +
              (entry.Damage.empty() ? " on the screen " + DescribeScreen(entry) : std::string()) +
              " is damaged and was not loaded:\n" + damage + "\nIt was kept in " + aside.toStdString() + ".",
          IDesignerDialogs::bkError, false);
      continue;
    }
    const std::string when = entry.Written.toLocalTime().toString("d MMM yyyy, HH:mm").toStdString();
    const std::string question = "The designer ended without saving the changes to the screen " +
                                 DescribeScreen(entry) + " (last changed " + when +
                                 ").\nRestore the unsaved work?";
    if (!Dialogs_.Choose(question, "Restore", "Discard")) {
      Recovery_->Discard(entry);
      continue;
    }
    bytes.SetPosition(0);
    if (Restore(bytes, entry.FileName, entry.ScreenName, entry.Named)) {
      Recovery_->Discard(entry);
      KeepRecoveryCopy();
    }
    return;
  }
}

bool TForm1::Restore(TMemoryStream& bytes, const std::string& fileName, const std::string& screenName,
                     bool named) {
  return Guarded([&] {
    GraphControl1.LoadFromStream(bytes);
    ShowWidget(nullptr);
    FileName_ = fileName;
    ScreenName = screenName;
    Named_ = named;
    // The screen differs from its file until the user saves it.
    GraphControl1.SetModified(true);
    UpdateCaption();
    GraphWidget->setFocus();
  });
}

}  // namespace gc::app
