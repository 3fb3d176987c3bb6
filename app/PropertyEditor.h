// The property editor the Inspector dock shows: every property of the
// selected widgets, editable. With one widget selected it shows its values;
// with several, the values they share, and "(mixed)" where they differ. An
// edit applies to every selected widget as one step of the undo history, and
// only after it was checked for all of them: a position or size outside the
// drawing area's limits, or a move of a locked widget, is refused with a
// message and changes nothing.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "app/ScreenGraph.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace gc::app {

class IDesignerDialogs;
class TColorPicker;

class TPropertyEditor : public QWidget, private TScreenGraph::IObserver {
 public:
  explicit TPropertyEditor(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TPropertyEditor() override;

  // The screen whose selection is shown (not owned; null for none).
  void SetGraph(TScreenGraph* graph);
  // The folder of the value lists offered for the binding ("" = working folder).
  void SetListFolder(const std::string& folder) {
    ListFolder_ = folder;
    ListsStale_ = true;
  }
  // Shows the selection now; changes are otherwise shown once the event loop
  // runs, so that a burst of them costs one refresh.
  void Refresh();

  // Called after an edit was applied to the selected widgets.
  std::function<void()> OnApplied;

  QLabel* lblSelection = nullptr;
  QLineEdit* edText = nullptr;
  QLineEdit *edX = nullptr, *edY = nullptr, *edWidth = nullptr, *edHeight = nullptr, *edZ = nullptr;
  TColorPicker *edBackground = nullptr, *edTextColor = nullptr;
  QFontComboBox* edFont = nullptr;
  QSpinBox* edFontSize = nullptr;
  QCheckBox *chBold = nullptr, *chItalic = nullptr, *chUnderline = nullptr;
  QComboBox *cbAlignment = nullptr, *cbLayout = nullptr;
  QSpinBox* edMargin = nullptr;
  QComboBox *cbSource = nullptr, *cbConverterType = nullptr, *cbConverterName = nullptr;

 private:
  void ScreenChanged(uint8_t changes) override;
  void Build();
  void ShowValues(const std::vector<TGraphObject*>& widgets);
  void LoadValueLists();
  // Runs `each` for every selected widget as one step named `step`; errors
  // are reported. True when it ran.
  bool Apply(const std::string& step, const std::function<void(TGraphObject*)>& each);
  // A typed whole number of a geometry field: checked for every selected
  // widget against the limits `range` gives (the first that does not allow
  // it is named in the message), then applied.
  void ApplyGeometry(QLineEdit* field, const char* name);
  void ApplyZ();
  void ApplyText();
  void ApplyStyle(QCheckBox* box, uint8_t style);
  void ApplyBinding(QComboBox* box);
  // The field's text shows what the widgets hold again.
  void Revert();

  IDesignerDialogs& Dialogs_;
  TScreenGraph* Graph_ = nullptr;
  std::string ListFolder_;
  bool Showing_ = false;
  bool Scheduled_ = false;
  // The value lists are read again when the selection changes.
  bool ListsStale_ = true;
};

}  // namespace gc::app
