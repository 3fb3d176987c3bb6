// The XML export window: reloads the workspace file each time it is shown,
// asks for every widget's source, converter type and converter name, and
// lists the resulting XML in a read-only text area, shown from its top-left
// corner, that can be saved to a file or copied to the clipboard.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "GraphControl/GraphControl.h"
#include "app/DesignerDialogs.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace gc::app {

class TForm2 : public QDialog {
 public:
  explicit TForm2(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TForm2() override;

  // Rebuilds the text; errors are reported through the dialogs' error box.
  void FormShow();
  // FormShow, then the window runs modally, centred on the screen.
  void ShowModal();
  // "Save as…": writes the text to a file the user chooses.
  void btnSaveAsClick();
  // "Copy": puts the text on the clipboard.
  void btnCopyClick();

  // The text as shown, each line ended by a line feed.
  std::string Text() const;

  TGraphControl XEXPORTER;
  QPlainTextEdit* XMEMO = nullptr;
  // Says, below the text, when the text is not the whole export of the
  // screen (a value list could not be read) or is the previous one (the
  // workspace could not be read); hidden otherwise.
  QLabel* lblNote = nullptr;
  QPushButton *btnSaveAs = nullptr, *btnCopy = nullptr, *btnCloseExport = nullptr;
  // Where the workspace file and value lists are looked for ("" = working directory).
  std::string Directory;

 private:
  void ShowLines();
  // Reports a failure in the error box and under the text.
  void Fail(const std::string& note, const std::exception& e);

  IDesignerDialogs& Dialogs_;
  std::vector<std::string> Lines_;
  std::string XmlFileName_;
};

}  // namespace gc::app
