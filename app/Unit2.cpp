#include "app/Unit2.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
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

// The answers of the export's question dialogs: the value lists of the
// folder, a question that stops the export, and the widgets whose answers are
// to be kept (the box stays as the user last left it).
class TDialogAnswers : public TValueListAnswers {
 public:
  TDialogAnswers(const std::string& folder, IDesignerDialogs& dialogs, const TScreenGraph& screen,
                 std::vector<TForm2::TKeptBinding>& kept)
      : TValueListAnswers(folder,
                          [this](const std::string& title, const std::string& label,
                                 const std::vector<std::string>& values, int& index) {
                            bool stop = false;
                            const bool ok =
                                Dialogs_.SelectExportValue(title, label, values, index, Keep_, stop);
                            if (stop) throw EExportStopped();
                            return ok;
                          }),
        Dialogs_(dialogs),
        Screen_(screen),
        Kept_(kept) {}

  void Answered(const TGraphObject* widget, const TWidgetBinding& answers) override {
    if (Keep_) Kept_.push_back({Screen_.WidgetIndex(widget), answers});
  }

 private:
  IDesignerDialogs& Dialogs_;
  const TScreenGraph& Screen_;
  std::vector<TForm2::TKeptBinding>& Kept_;
  bool Keep_ = false;
};

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
  lblNote = new QLabel(this);
  lblNote->setWordWrap(true);
  lblNote->setContentsMargins(6, 4, 6, 0);
  lblNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QPalette notePalette = lblNote->palette();
  notePalette.setColor(QPalette::WindowText, QColor(0xB0, 0x20, 0x20));
  lblNote->setPalette(notePalette);
  lblNote->hide();
  layout->addWidget(lblNote);

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
  // Nothing of an earlier showing is kept for the widgets again.
  Kept_.clear();
  Stopped_ = false;
  // A workspace that cannot be read keeps the previous text.
  try {
    XEXPORTER.LoadFromFile(JoinPath(Directory, "ScreenWorkspace"));
  } catch (const std::exception& e) {
    Fail("The screen could not be read; this is the text of the export before.", e);
    ShowLines();
    return;
  }
  Lines_.clear();
  lblNote->hide();
  TDialogAnswers answers(Directory, Dialogs_, XEXPORTER, Kept_);
  // A value list that cannot be read ends the export with the lines so far,
  // and so does the user's stop.
  try {
    BuildXmlLines(XEXPORTER, answers, Lines_);
  } catch (const EExportStopped&) {
    Stopped_ = true;
    lblNote->setText("The export was stopped: the text ends with the last widget answered.");
    lblNote->show();
  } catch (const std::exception& e) {
    Fail("The text is incomplete: a value list could not be read.", e);
  }
  ShowLines();
}

void TForm2::Fail(const std::string& note, const std::exception& e) {
  Dialogs_.MessageBox(e.what(), IDesignerDialogs::bkError, false);
  lblNote->setText(QString::fromStdString(note + "\n" + e.what()));
  lblNote->show();
}

// The text is shown from its first line and column, however it was scrolled.
void TForm2::ShowLines() {
  QStringList lines;
  for (const std::string& line : Lines_) lines << QString::fromStdString(line);
  XMEMO->setPlainText(lines.join('\n'));
  XMEMO->moveCursor(QTextCursor::Start);
  XMEMO->horizontalScrollBar()->setValue(0);
  XMEMO->verticalScrollBar()->setValue(0);
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
