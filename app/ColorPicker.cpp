#include "app/ColorPicker.h"

#include <QColorDialog>
#include <QEvent>
#include <cctype>

#include "GraphControl/Identifiers.h"
#include "platform/Canvas.h"

namespace gc::app {

namespace {

bool IsPlainColor(TColor color) { return (color & 0xFF000000u) == 0; }

TColor FromQColor(const QColor& c) {
  return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

// "clWindowText" becomes "Window Text": a word starts at a capital that
// follows a small letter.
QString SpacedName(std::string_view ident) {
  if (ident.starts_with("cl")) ident.remove_prefix(2);
  QString out;
  for (size_t i = 0; i < ident.size(); ++i) {
    if (i > 0 && std::isupper(static_cast<unsigned char>(ident[i])) &&
        std::islower(static_cast<unsigned char>(ident[i - 1])))
      out += ' ';
    out += QChar(ident[i]);
  }
  return out;
}

}  // namespace

TColorPicker::TColorPicker(QWidget* parent) : QPushButton(parent) {
  connect(this, &QPushButton::clicked, this, [this] { Choose(); });
  SetColor(clWhite);
}

QColor TColorPicker::PaintedColor(TColor color) {
  const std::unique_ptr<TCanvas> canvas = CreateCompatibleCanvas();
  const TColor rgb = canvas ? canvas->ColorToRGB(color) : (color & 0x00FFFFFFu);
  return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

QString TColorPicker::ColorCaption(TColor color) {
  if (!IsPlainColor(color))
    if (const auto name = ColorToIdent(color)) return SpacedName(*name);
  if (!IsPlainColor(color)) return "0x" + QString::number(color, 16).toUpper().rightJustified(8, '0');
  return PaintedColor(color).name().toUpper();
}

void TColorPicker::SetColor(TColor value) {
  const bool changed = value != Color_ || Mixed_;
  Color_ = value;
  Mixed_ = false;
  ShowColor();
  if (changed && OnChange) OnChange();
}

void TColorPicker::SetMixed() {
  Mixed_ = true;
  ShowColor();
}

void TColorPicker::ShowColor() {
  if (!isEnabled() || Mixed_) {
    setStyleSheet({});
    setText(isEnabled() ? "(mixed)" : QString());
    return;
  }
  const QColor c = PaintedColor(Color_);
  setStyleSheet(
      QString("background-color: %1; color: %2;").arg(c.name(), c.lightness() < 128 ? "white" : "black"));
  setText(ColorCaption(Color_));
}

void TColorPicker::changeEvent(QEvent* event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) ShowColor();
}

void TColorPicker::Choose() {
  const QColor chosen = QColorDialog::getColor(PaintedColor(Color_), window());
  if (chosen.isValid()) SetColor(FromQColor(chosen));
}

}  // namespace gc::app
