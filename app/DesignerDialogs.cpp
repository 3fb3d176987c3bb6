#include "app/DesignerDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ScreenPropertiesDialog.h"

namespace gc::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "Screen-Files|*.Screen" becomes the Qt filter "Screen-Files (*.Screen)".
QString QtFilter(const std::string& filter) {
  const auto bar = filter.find('|');
  if (bar == std::string::npos) return Q(filter);
  return Q(filter.substr(0, bar) + " (" + filter.substr(bar + 1) + ")");
}

// The extension of the filter's first pattern: "Screen" for "...|*.Screen".
QString DefaultSuffix(const std::string& filter) {
  const auto dot = filter.find("*.", filter.find('|'));
  if (dot == std::string::npos) return {};
  const auto end = filter.find_first_of(" ;", dot);
  return Q(filter.substr(dot + 2, end == std::string::npos ? std::string::npos : end - dot - 2));
}

}  // namespace

QWidget* TQtDialogs::Parent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  return FallbackParent_;
}

int TQtDialogs::MessageBox(const std::string& text, TBoxKind kind, bool okCancel) {
  const QMessageBox::Icon icon = kind == bkWarning       ? QMessageBox::Warning
                                 : kind == bkInformation ? QMessageBox::Information
                                                         : QMessageBox::Critical;
  QMessageBox box(icon, QApplication::applicationName(), Q(text),
                  okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, Parent());
  return box.exec() == QMessageBox::Ok ? 1 : 2;
}

IDesignerDialogs::TAnswer TQtDialogs::Ask(const std::string& text, const std::string& accept,
                                          const std::string& destructive) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), Q(text), QMessageBox::NoButton,
                  Parent());
  // Each button is reached by the first letter of its text.
  QPushButton* acceptButton = box.addButton("&" + Q(accept), QMessageBox::AcceptRole);
  QPushButton* destructiveButton = box.addButton("&" + Q(destructive), QMessageBox::DestructiveRole);
  QPushButton* cancelButton = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(acceptButton);
  box.setEscapeButton(cancelButton);
  box.exec();
  if (box.clickedButton() == acceptButton) return anAccept;
  if (box.clickedButton() == destructiveButton) return anDestructive;
  return anCancel;
}

bool TQtDialogs::Choose(const std::string& text, const std::string& first, const std::string& second) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), Q(text), QMessageBox::NoButton,
                  Parent());
  QPushButton* firstButton = box.addButton("&" + Q(first), QMessageBox::AcceptRole);
  box.addButton("&" + Q(second), QMessageBox::DestructiveRole);
  box.setDefaultButton(firstButton);
  box.exec();
  return box.clickedButton() == firstButton;
}

std::string TQtDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                   const std::string& defaultText) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(Parent(), Q(caption), Q(prompt), QLineEdit::Normal, Q(defaultText), &ok);
  return ok ? text.toStdString() : defaultText;
}

bool TQtDialogs::OpenFile(const std::string& title, const std::string& filter, std::string& fileName) {
  const QString name = QFileDialog::getOpenFileName(Parent(), Q(title), QString(), QtFilter(filter));
  if (name.isEmpty()) return false;
  fileName = name.toStdString();
  return true;
}

bool TQtDialogs::SaveFile(const std::string& title, const std::string& filter, std::string& fileName) {
  QFileDialog dialog(Parent(), Q(title), QString(), QtFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(DefaultSuffix(filter));
  if (!fileName.empty()) dialog.selectFile(Q(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().first().toStdString();
  return true;
}

bool TQtDialogs::SelectValue(const std::string& title, const std::string& label,
                             const std::vector<std::string>& values, int& index) {
  QDialog dialog(Parent());
  dialog.setWindowTitle(Q(title));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(Q(label), &dialog));
  auto* combo = new QComboBox(&dialog);
  for (const auto& v : values) combo->addItem(Q(v));
  if (index >= 0 && index < combo->count()) combo->setCurrentIndex(index);
  layout->addWidget(combo);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  index = combo->currentIndex();
  return true;
}

bool TQtDialogs::EditScreenProperties(TScreenProperties& properties, int32_t maxWidth, int32_t maxHeight) {
  TScreenPropertiesDialog dialog(maxWidth, maxHeight, Parent());
  dialog.SetProperties(properties);
  if (dialog.exec() != QDialog::Accepted) return false;
  properties = dialog.Properties();
  return true;
}

// The choices of SelectValue, a box to keep the answers and "Stop export".
bool TQtDialogs::SelectExportValue(const std::string& title, const std::string& label,
                                   const std::vector<std::string>& values, int& index, bool& keep,
                                   bool& stop) {
  QDialog dialog(Parent());
  dialog.setWindowTitle(Q(title));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(Q(label), &dialog));
  auto* combo = new QComboBox(&dialog);
  for (const auto& v : values) combo->addItem(Q(v));
  if (index >= 0 && index < combo->count()) combo->setCurrentIndex(index);
  layout->addWidget(combo);
  auto* keepBox = new QCheckBox("&Keep the answers as this widget's binding", &dialog);
  keepBox->setToolTip(
      "The widget keeps its source, converter type and converter name; later exports use "
      "them without asking");
  keepBox->setChecked(keep);
  layout->addWidget(keepBox);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* stopButton = buttons->addButton("&Stop export", QDialogButtonBox::DestructiveRole);
  stopButton->setToolTip("End the export here; the text shows the widgets answered so far");
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(stopButton, &QPushButton::clicked, &dialog, [&] {
    stop = true;
    dialog.reject();
  });
  layout->addWidget(buttons);
  stop = false;
  const bool accepted = dialog.exec() == QDialog::Accepted;
  keep = keepBox->isChecked();
  if (!accepted) return false;
  index = combo->currentIndex();
  return true;
}

}  // namespace gc::app
