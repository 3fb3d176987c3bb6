// The XML export window: reloads the workspace file each time it is shown,
// asks for the source, converter type and converter name of every widget
// that keeps no binding, and lists the resulting XML in a read-only text area,
// shown from its top-left corner, that can be saved to a file or copied to
// the clipboard. Each question can stop the export, and can keep its
// widget's answers as the widget's binding: the window lists those, and the
// main window gives them to its widgets.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "GraphControl/GraphControl.h"
#include "app/DesignerDialogs.h"
#include "app/ScreenGraph.h"

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

  // The answers the last showing was asked to keep, by the widget's index
  // among the workspace's widgets.
  struct TKeptBinding {
    int32_t WidgetIndex;
    TWidgetBinding Binding;
  };
  const std::vector<TKeptBinding>& KeptBindings() const { return Kept_; }
  // Whether the last showing was stopped by the user.
  bool Stopped() const { return Stopped_; }

  TScreenGraph XEXPORTER;
  QPlainTextEdit* XMEMO = nullptr;
  // Says, below the text, when the text is not the whole export of the
  // screen (a value list could not be read, the user stopped it) or is the
  // previous one (the workspace could not be read); hidden otherwise.
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
  std::vector<TKeptBinding> Kept_;
  bool Stopped_ = false;
  std::string XmlFileName_;
};

}  // namespace gc::app
