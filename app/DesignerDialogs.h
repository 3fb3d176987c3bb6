// The questions the designer puts to the user. Every dialog goes through
// IDesignerDialogs, so the windows can be driven by a scripted implementation
// in tests; TQtDialogs is the running program's.
#pragma once

#include <string>
#include <vector>

#include "app/WidgetData.h"

class QWidget;

namespace gc::app {

class IDesignerDialogs {
 public:
  enum TBoxKind { bkWarning, bkInformation, bkError };
  // The buttons of a three-way question, in the order they are passed.
  enum TAnswer { anAccept, anDestructive, anCancel };
  virtual ~IDesignerDialogs() = default;
  // Shows text with OK (and Cancel when okCancel); returns 1 for OK.
  virtual int MessageBox(const std::string& text, TBoxKind kind, bool okCancel) = 0;
  // Asks a question with an accepting button, a destructive one and Cancel.
  virtual TAnswer Ask(const std::string& text, const std::string& accept, const std::string& destructive) = 0;
  // Asks a question with two buttons, the first one the default; true when
  // the first was chosen.
  virtual bool Choose(const std::string& text, const std::string& first, const std::string& second) = 0;
  // Returns the entered text, or defaultText when cancelled.
  virtual std::string InputQuery(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) = 0;
  // True when the user chose a file; its full path is then in fileName. The
  // save dialog starts with the name fileName holds (none when empty).
  virtual bool OpenFile(const std::string& title, const std::string& filter, std::string& fileName) = 0;
  virtual bool SaveFile(const std::string& title, const std::string& filter, std::string& fileName) = 0;
  // Offers values with `index` preselected; true on OK, index -1 for none.
  virtual bool SelectValue(const std::string& title, const std::string& label,
                           const std::vector<std::string>& values, int& index) = 0;
  // A question of the XML export: SelectValue with two more choices. `keep`
  // comes in as the box "keep the answers as the widget's binding" was last
  // left and goes out as the user leaves it; choosing to stop the export sets
  // `stop` and returns false.
  virtual bool SelectExportValue(const std::string& title, const std::string& label,
                                 const std::vector<std::string>& values, int& index, bool& keep,
                                 bool& stop) = 0;
  // The screen's properties, edited; true on OK. Sizes up to maxWidth x maxHeight.
  virtual bool EditScreenProperties(TScreenProperties& properties, int32_t maxWidth, int32_t maxHeight) = 0;
};

// The dialogs of the running program, drawn with Qt and centred over the
// window that is active when they open (the fallback parent otherwise).
class TQtDialogs : public IDesignerDialogs {
 public:
  explicit TQtDialogs(QWidget* fallbackParent = nullptr) : FallbackParent_(fallbackParent) {}
  void SetFallbackParent(QWidget* parent) { FallbackParent_ = parent; }

  int MessageBox(const std::string& text, TBoxKind kind, bool okCancel) override;
  TAnswer Ask(const std::string& text, const std::string& accept, const std::string& destructive) override;
  bool Choose(const std::string& text, const std::string& first, const std::string& second) override;
  std::string InputQuery(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override;
  bool OpenFile(const std::string& title, const std::string& filter, std::string& fileName) override;
  bool SaveFile(const std::string& title, const std::string& filter, std::string& fileName) override;
  bool SelectValue(const std::string& title, const std::string& label, const std::vector<std::string>& values,
                   int& index) override;
  bool SelectExportValue(const std::string& title, const std::string& label,
                         const std::vector<std::string>& values, int& index, bool& keep, bool& stop) override;
  bool EditScreenProperties(TScreenProperties& properties, int32_t maxWidth, int32_t maxHeight) override;

 private:
  QWidget* Parent() const;
  QWidget* FallbackParent_;
};

// Shows the message of an exception escaping body in an error box; the
// program goes on afterwards. True when body ran to its end.
template <class F>
bool RunGuarded(IDesignerDialogs& dialogs, F&& body) {
  try {
    body();
    return true;
  } catch (const std::exception& e) {
    dialogs.MessageBox(e.what(), IDesignerDialogs::bkError, false);
    return false;
  }
}

}  // namespace gc::app
