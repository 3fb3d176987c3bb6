#include "app/Unit2.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "GraphControl/Stream.h"
#include "app/XmlExport.h"

namespace gc::app {

namespace {

constexpr const char* XmlFilter = "XML-Files|*.xml";

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory + "/" + name;
}

}  // namespace

TForm2::TForm2(IDesignerDialogs& dialogs, QWidget* parent) : QDialog(parent), Dialogs_(dialogs) {
  setWindowTitle("XML-Export");
  resize(591, 395);
  // The hidden control only reads the workspace; it keeps no undo history.
  XEXPORTER.SetHistoryLimit(0);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  XMEMO = new QPlainTextEdit(this);
  XMEMO->setReadOnly(true);
  XMEMO->setLineWrapMode(QPlainTextEdit::NoWrap);
  XMEMO->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  XMEMO->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QFont font("Arial");
  font.setPixelSize(14);
  XMEMO->setFont(font);
  layout->addWidget(XMEMO, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(6, 6, 6, 6);
  buttons->setSpacing(6);
  btnSaveAs = new QPushButton("Save as…", this);
  btnCopy = new QPushButton("Copy", this);
  btnCloseExport = new QPushButton("Close", this);
  btnSaveAs->setAutoDefault(false);
  btnCopy->setAutoDefault(false);
  connect(btnSaveAs, &QPushButton::clicked, this, [this] { btnSaveAsClick(); });
  connect(btnCopy, &QPushButton::clicked, this, [this] { btnCopyClick(); });
  connect(btnCloseExport, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(btnSaveAs);
  buttons->addWidget(btnCopy);
  buttons->addStretch(1);
  buttons->addWidget(btnCloseExport);
  layout->addLayout(buttons);
}

TForm2::~TForm2() = default;

void TForm2::FormShow() {
  // A workspace that cannot be read keeps the previous text.
  if (!RunGuarded(Dialogs_, [this] { XEXPORTER.LoadFromFile(JoinPath(Directory, "ScreenWorkspace")); }))
    return;
  Lines_.clear();
  TValueListAnswers answers(Directory, [this](const std::string& title, const std::string& label,
                                              const std::vector<std::string>& values, int& index) {
    return Dialogs_.SelectValue(title, label, values, index);
  });
  // A value list that cannot be read ends the export with the lines so far.
  RunGuarded(Dialogs_, [&] { BuildXmlLines(XEXPORTER, answers, Lines_); });
  ShowLines();
}

void TForm2::ShowLines() {
  XMEMO->clear();
  for (const std::string& line : Lines_) XMEMO->appendPlainText(QString::fromStdString(line));
}

std::string TForm2::Text() const { return XmlText(Lines_); }

void TForm2::ShowModal() {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormShow();
  exec();
}

void TForm2::btnSaveAsClick() {
  RunGuarded(Dialogs_, [this] {
    std::string fileName = XmlFileName_;
    if (!Dialogs_.SaveFile("Save XML file", XmlFilter, fileName)) return;
    const std::string text = Text();
    WriteFileAtomically(fileName, [&](TStream& stream) { stream.WriteBuffer(text.data(), text.size()); });
    XmlFileName_ = fileName;
  });
}

void TForm2::btnCopyClick() { QGuiApplication::clipboard()->setText(QString::fromStdString(Text())); }

}  // namespace gc::app
