// The XML export window and the dialogs the designer asks the user through.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "GraphControl/GraphControl.h"

class QPlainTextEdit;

namespace gc::app {

// Every question the designer puts to the user goes through this interface,
// so the windows can be driven by a scripted implementation in tests.
class IDesignerDialogs {
 public:
  enum TBoxKind { bkWarning, bkInformation, bkError };
  virtual ~IDesignerDialogs() = default;
  // Shows text with OK (and Cancel when okCancel); returns 1 for OK.
  virtual int MessageBox(const std::string& text, TBoxKind kind, bool okCancel) = 0;
  // Returns the entered text, or defaultText when cancelled.
  virtual std::string InputQuery(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) = 0;
  // True when the user chose a file; its full path is stored in fileName.
  virtual bool OpenFile(const std::string& title, const std::string& filter, std::string& fileName) = 0;
  virtual bool SaveFile(const std::string& title, const std::string& filter, std::string& fileName) = 0;
  // Offers values with entry 0 preselected; true on OK, index -1 for none.
  virtual bool SelectValue(const std::string& title, const std::string& label,
                           const std::vector<std::string>& values, int& index) = 0;
};

// The dialogs of the running program, drawn with Qt.
class TQtDialogs : public IDesignerDialogs {
 public:
  explicit TQtDialogs(QWidget* parent = nullptr) : Parent_(parent) {}
  int MessageBox(const std::string& text, TBoxKind kind, bool okCancel) override;
  std::string InputQuery(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override;
  bool OpenFile(const std::string& title, const std::string& filter, std::string& fileName) override;
  bool SaveFile(const std::string& title, const std::string& filter, std::string& fileName) override;
  bool SelectValue(const std::string& title, const std::string& label, const std::vector<std::string>& values,
                   int& index) override;

 private:
  QWidget* Parent_;
};

// Shows the message of an exception escaping body in an error box; the
// program goes on afterwards.
template <class F>
void RunGuarded(IDesignerDialogs& dialogs, F&& body) {
  try {
    body();
  } catch (const std::exception& e) {
    dialogs.MessageBox(e.what(), IDesignerDialogs::bkError, false);
  }
}

// The value a value-list line yields: the text after the first "=", or the
// line without its first character when it has no "=".
std::string ValueOfLine(const std::string& line);

// Reads a value list (one entry per line, line ends \n or \r\n); raises
// std::runtime_error naming the file when it cannot be opened.
std::vector<std::string> ReadValueList(const std::string& fileName);

// Appends the XML description of the screen held by control to lines,
// asking for every widget's source, converter type and converter name.
// Value lists are read from directory ("" = working directory). On an error
// the lines appended so far stay in lines and the exception propagates.
void BuildXmlLines(const TGraphControl& control, IDesignerDialogs& dialogs, std::vector<std::string>& lines,
                   const std::string& directory = "");

// The export window: reloads "ScreenWorkspace" each time it is shown and
// lists the resulting XML in a read-only text area.
class TForm2 : public QDialog {
 public:
  explicit TForm2(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TForm2() override;

  // Rebuilds the text; errors are reported through the dialogs' error box.
  void FormShow();
  // FormShow, then the window runs modally.
  void ShowModal();

  TGraphControl XEXPORTER;
  QPlainTextEdit* XMEMO = nullptr;
  // Where the workspace file and value lists are looked for ("" = working directory).
  std::string Directory;

 private:
  IDesignerDialogs& Dialogs_;
};

}  // namespace gc::app
