#include "app/Unit2.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>
#include <fstream>
#include <stdexcept>

namespace gc::app {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// "Screen-Files|*.Screen" becomes the Qt filter "Screen-Files (*.Screen)".
QString QtFilter(const std::string& filter) {
  const auto bar = filter.find('|');
  if (bar == std::string::npos) return Q(filter);
  return Q(filter.substr(0, bar) + " (" + filter.substr(bar + 1) + ")");
}

std::string Indent(int level) { return std::string(static_cast<size_t>(level) * 2, ' '); }

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory + "/" + name;
}

// Asks for one value of widget label from the list in fileName; keeps
// value when the user cancels.
void AskValue(IDesignerDialogs& dialogs, const std::string& fileName, const std::string& title,
              const std::string& label, std::string& value) {
  const std::vector<std::string> values = ReadValueList(fileName);
  int index = values.empty() ? -1 : 0;
  if (!dialogs.SelectValue(title, label, values, index)) return;
  value = (index >= 0 && index < static_cast<int>(values.size())) ? ValueOfLine(values[index]) : "";
}

}  // namespace

int TQtDialogs::MessageBox(const std::string& text, TBoxKind kind, bool okCancel) {
  const QMessageBox::Icon icon = kind == bkWarning       ? QMessageBox::Warning
                                 : kind == bkInformation ? QMessageBox::Information
                                                         : QMessageBox::Critical;
  QMessageBox box(icon, QApplication::applicationName(), Q(text),
                  okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, Parent_);
  return box.exec() == QMessageBox::Ok ? 1 : 2;
}

std::string TQtDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                   const std::string& defaultText) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(Parent_, Q(caption), Q(prompt), QLineEdit::Normal, Q(defaultText), &ok);
  return ok ? text.toStdString() : defaultText;
}

bool TQtDialogs::OpenFile(const std::string& title, const std::string& filter, std::string& fileName) {
  const QString name = QFileDialog::getOpenFileName(Parent_, Q(title), QString(), QtFilter(filter));
  if (name.isEmpty()) return false;
  fileName = name.toStdString();
  return true;
}

bool TQtDialogs::SaveFile(const std::string& title, const std::string& filter, std::string& fileName) {
  QFileDialog dialog(Parent_, Q(title), QString(), QtFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("Screen");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().first().toStdString();
  return true;
}

bool TQtDialogs::SelectValue(const std::string& title, const std::string& label,
                             const std::vector<std::string>& values, int& index) {
  QDialog dialog(Parent_);
  dialog.setWindowTitle(Q(title));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(Q(label), &dialog));
  auto* combo = new QComboBox(&dialog);
  for (const auto& v : values) combo->addItem(Q(v));
  if (!values.empty()) combo->setCurrentIndex(0);
  layout->addWidget(combo);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted) return false;
  index = combo->currentIndex();
  return true;
}

std::string ValueOfLine(const std::string& line) {
  const auto eq = line.find('=');
  if (eq != std::string::npos) return line.substr(eq + 1);
  return line.empty() ? std::string() : line.substr(1);
}

std::vector<std::string> ReadValueList(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open file \"" + fileName + "\"");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void BuildXmlLines(const TGraphControl& control, IDesignerDialogs& dialogs, std::vector<std::string>& lines,
                   const std::string& directory) {
  lines.push_back(Indent(1) +
                  "<screen name=\"NONAME\" position=\"0,0\" size=\"100,100\" title=\"NONAME\" "
                  "backgroundColor=\"#0F0F0F\" >");
  const int32_t count = control.CountObjects();
  for (int32_t i = 0; i < count; ++i) {
    const TGraphObject* widget = control.Objects()[i];
    std::string label = widget->Text();
    if (label.empty()) label = "Widget" + std::to_string(i);
    std::string source = "NO_SOURSE";
    std::string type = "NO_TYPE";
    std::string name = "NO_NAME";
    AskValue(dialogs, JoinPath(directory, "xml_Sources"), "Select SOURSE for:", label, source);
    AskValue(dialogs, JoinPath(directory, "xml_ConvTypes"), "Select Convertor-TYPE for:", label, type);
    AskValue(dialogs, JoinPath(directory, "xml_ConvNames"), "Select Convertor-Name for:", label, name);
    const TRect& r = widget->PaintBounds();
    const int64_t width = int64_t{r.Right} - r.Left;
    const int64_t height = int64_t{r.Bottom} - r.Top;
    lines.push_back(Indent(2) + "<widget source=\"" + source + "\" render=\"Label\" position=\"" +
                    std::to_string(r.Left) + "," + std::to_string(r.Top) + "\"" + " size=\"" +
                    std::to_string(width) + "," + std::to_string(height) + "\"" + " font=\"Regular;" +
                    std::to_string(widget->Font().Size()) + "\"" +
                    " foregroundColor=\"#FFFFFF\" backgroundColor=\"#0F0F0F\"" + " zPosition=\"" +
                    std::to_string(widget->ZOrder()) + "\"" + " transparent=\"1\" >");
    lines.push_back(Indent(3) + "<convert type=\"" + type + "\">" + name + "</convert>");
    lines.push_back(Indent(2) + "</widget>");
  }
  lines.push_back(Indent(1) + "</screen>");
}

TForm2::TForm2(IDesignerDialogs& dialogs, QWidget* parent) : QDialog(parent), Dialogs_(dialogs) {
  setWindowTitle("XML-Export");
  resize(591, 395);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  XMEMO = new QPlainTextEdit(this);
  XMEMO->setReadOnly(true);
  XMEMO->setLineWrapMode(QPlainTextEdit::NoWrap);
  XMEMO->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  XMEMO->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font("Arial");
  font.setPixelSize(14);
  XMEMO->setFont(font);
  layout->addWidget(XMEMO);
}

TForm2::~TForm2() = default;

void TForm2::FormShow() {
  RunGuarded(Dialogs_, [this] {
    XEXPORTER.LoadFromFile(JoinPath(Directory, "ScreenWorkspace"));
    XMEMO->clear();
    std::vector<std::string> lines;
    auto flush = [&] {
      for (const auto& line : lines) XMEMO->appendPlainText(Q(line));
    };
    try {
      BuildXmlLines(XEXPORTER, Dialogs_, lines, Directory);
    } catch (...) {
      flush();
      throw;
    }
    flush();
  });
}

void TForm2::ShowModal() {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormShow();
  exec();
}

}  // namespace gc::app
