// The dialog of the screen's properties: name, size (a preset of a common
// display or a custom size), title and background colour. A property left
// empty (or "Not set") stays unset, so that the XML export writes its
// default.
#pragma once

#include <QDialog>
#include <string_view>
#include <vector>

#include "app/WidgetData.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace gc::app {

class TColorPicker;

class TScreenPropertiesDialog : public QDialog {
 public:
  struct TPreset {
    std::string_view Name;
    int32_t Width, Height;
  };
  // Common display sizes, smallest first.
  static const std::vector<TPreset>& Presets();

  // `maxWidth` and `maxHeight`: the largest screen the drawing area holds.
  TScreenPropertiesDialog(int32_t maxWidth, int32_t maxHeight, QWidget* parent = nullptr);

  void SetProperties(const TScreenProperties& properties);
  TScreenProperties Properties() const;

  QLineEdit* edName = nullptr;
  QComboBox* cbSize = nullptr;  // "Not set", the presets that fit, "Custom size"
  QSpinBox *edWidth = nullptr, *edHeight = nullptr;
  QLineEdit* edTitle = nullptr;
  QCheckBox* chBackground = nullptr;
  TColorPicker* edBackground = nullptr;

 private:
  // The entry of the size list for the spin boxes' size: a preset or custom.
  void MatchPreset();
  void ShowPresetSize();
  bool Updating_ = false;
};

}  // namespace gc::app
