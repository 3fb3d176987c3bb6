// A button that shows a colour and opens the colour dialog when clicked. It
// keeps the TColor it was given exactly: a system colour is shown as the
// colour it paints and by its name, and stays a system colour until the user
// picks another.
#pragma once

#include <QPushButton>
#include <functional>

#include "GraphControl/Types.h"

namespace gc::app {

class TColorPicker : public QPushButton {
 public:
  explicit TColorPicker(QWidget* parent = nullptr);
  TColor Color() const { return Color_; }
  // Stores the colour and, when it differs, raises OnChange.
  void SetColor(TColor value);
  // Shows that the colour differs between the things it stands for (several
  // widgets) until a colour is set or chosen.
  void SetMixed();
  bool Mixed() const { return Mixed_; }
  std::function<void()> OnChange;

  // What a colour is called on the button: "#RRGGBB" for a plain colour, the
  // name for a system colour ("Window Text" for clWindowText).
  static QString ColorCaption(TColor color);
  // The colour a TColor paints on this platform.
  static QColor PaintedColor(TColor color);

 protected:
  // A disabled picker shows no colour: it belongs to no widget.
  void changeEvent(QEvent* event) override;

 private:
  void Choose();
  void ShowColor();
  TColor Color_ = clBlack;
  bool Mixed_ = false;
};

}  // namespace gc::app
