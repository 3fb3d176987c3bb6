#include "app/ScreenPropertiesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "app/ColorPicker.h"

namespace gc::app {

namespace {

constexpr int NotSet = 0;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

const std::vector<TScreenPropertiesDialog::TPreset>& TScreenPropertiesDialog::Presets() {
  static const std::vector<TPreset> presets = {
      {"QVGA", 320, 240}, {"WQVGA", 480, 272}, {"HVGA", 480, 320},      {"VGA", 640, 480},
      {"WVGA", 800, 480}, {"SVGA", 800, 600},  {"WSVGA", 1024, 600},    {"XGA", 1024, 768},
      {"HD", 1280, 720},  {"WXGA", 1280, 800}, {"Full HD", 1920, 1080},
  };
  return presets;
}

TScreenPropertiesDialog::TScreenPropertiesDialog(int32_t maxWidth, int32_t maxHeight, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Screen properties");
  auto* form = new QFormLayout(this);
  edName = new QLineEdit(this);
  edName->setPlaceholderText("NONAME");
  form->addRow("&Name", edName);

  cbSize = new QComboBox(this);
  cbSize->addItem("Not set", QSize());
  for (const TPreset& p : Presets())
    if (p.Width <= maxWidth && p.Height <= maxHeight)
      cbSize->addItem(QString("%1 × %2 (%3)").arg(p.Width).arg(p.Height).arg(Q(p.Name)),
                      QSize(p.Width, p.Height));
  cbSize->addItem("Custom size", QSize(-1, -1));
  form->addRow("&Size", cbSize);
  edWidth = new QSpinBox(this);
  edHeight = new QSpinBox(this);
  edWidth->setRange(1, std::max(1, std::min(maxWidth, MaxScreenSide)));
  edHeight->setRange(1, std::max(1, std::min(maxHeight, MaxScreenSide)));
  edWidth->setValue(std::min(800, edWidth->maximum()));
  edHeight->setValue(std::min(480, edHeight->maximum()));
  edWidth->setToolTip(
      QString("Width in pixels, up to %1 (the drawing area's width)").arg(edWidth->maximum()));
  edHeight->setToolTip(
      QString("Height in pixels, up to %1 (the drawing area's height)").arg(edHeight->maximum()));
  auto* size = new QHBoxLayout;
  size->addWidget(edWidth, 1);
  size->addWidget(new QLabel("×", this));
  size->addWidget(edHeight, 1);
  form->addRow("", size);
  connect(cbSize, &QComboBox::currentIndexChanged, this, [this] { ShowPresetSize(); });
  connect(edWidth, &QSpinBox::valueChanged, this, [this] { MatchPreset(); });
  connect(edHeight, &QSpinBox::valueChanged, this, [this] { MatchPreset(); });

  edTitle = new QLineEdit(this);
  edTitle->setPlaceholderText("NONAME");
  form->addRow("&Title", edTitle);

  chBackground = new QCheckBox("&Background", this);
  edBackground = new TColorPicker(this);
  edBackground->SetColor(0x000F0F0F);
  edBackground->setEnabled(false);
  connect(chBackground, &QCheckBox::toggled, edBackground, &QWidget::setEnabled);
  form->addRow(chBackground, edBackground);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  ShowPresetSize();
}

void TScreenPropertiesDialog::ShowPresetSize() {
  const QSize size = cbSize->currentData().toSize();
  const bool set = cbSize->currentIndex() != NotSet;
  edWidth->setEnabled(set);
  edHeight->setEnabled(set);
  if (size.width() > 0 && !Updating_) {
    Updating_ = true;
    edWidth->setValue(size.width());
    edHeight->setValue(size.height());
    Updating_ = false;
  }
}

void TScreenPropertiesDialog::MatchPreset() {
  if (Updating_ || cbSize->currentIndex() == NotSet) return;
  Updating_ = true;
  const int preset = cbSize->findData(QSize(edWidth->value(), edHeight->value()));
  cbSize->setCurrentIndex(preset >= 0 ? preset : cbSize->count() - 1);
  Updating_ = false;
}

void TScreenPropertiesDialog::SetProperties(const TScreenProperties& properties) {
  edName->setText(properties.Name ? QString::fromStdString(*properties.Name) : QString());
  edTitle->setText(properties.Title ? QString::fromStdString(*properties.Title) : QString());
  if (properties.Size) {
    cbSize->setCurrentIndex(cbSize->count() - 1);
    Updating_ = true;
    edWidth->setValue(properties.Size->Width);
    edHeight->setValue(properties.Size->Height);
    Updating_ = false;
    MatchPreset();
  } else {
    cbSize->setCurrentIndex(NotSet);
  }
  chBackground->setChecked(properties.Background.has_value());
  if (properties.Background) edBackground->SetColor(*properties.Background);
}

TScreenProperties TScreenPropertiesDialog::Properties() const {
  TScreenProperties properties;
  if (!edName->text().isEmpty()) properties.Name = edName->text().toStdString();
  if (cbSize->currentIndex() != NotSet) properties.Size = TScreenSize{edWidth->value(), edHeight->value()};
  if (!edTitle->text().isEmpty()) properties.Title = edTitle->text().toStdString();
  if (chBackground->isChecked()) properties.Background = edBackground->Color();
  return properties;
}

}  // namespace gc::app
