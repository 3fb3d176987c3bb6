#include "app/Unit1.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QFontComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cctype>
#include <climits>

#include "GraphControl/Stream.h"
#include "app/DesignerCommands.h"
#include "app/DesignerIcons.h"
#include "app/Unit2.h"
#include "app/WidgetPicture.h"
#include "layout/DiagramLayout.h"
#include "platform/qt/GraphWidget.h"

namespace gc::app {

namespace {

constexpr const char* MainCaption = "Orvane Vizadu-Razadivi";
constexpr const char* ScreenFilter = "Screen-Files|*.Screen";
constexpr double HalfPi = 1.5707963267948966;
constexpr int PanelWidth = 835;
constexpr int PanelHeight = 56;
// How long after a change the recovery copy is written, in milliseconds.
constexpr int RecoveryDelay = 3000;

// A panel label and the room it has before the control beside or below it.
struct TPanelLabel {
  const char* Text;
  int X, Y, Room;
  bool Beside;  // beside its control (vertically centred on it), else above
};

constexpr TPanelLabel PanelLabels[] = {
    {"Text", 8, 8, 128, false},        {"Pos X", 152, 8, 31, true},   {"Pos Y", 152, 32, 31, true},
    {"Width", 240, 8, 31, true},       {"Height", 240, 32, 31, true}, {"Background", 336, 8, 95, false},
    {"Foreground", 432, 8, 95, false}, {"Font", 528, 8, 87, false},   {"zPosition", 744, 8, 47, false},
};

// The largest panel font (at most 11 pixels) in which every label fits its room.
QFont PanelFont(QFont font) {
  font.setFamily("Arial");
  for (int pixels = 11; pixels >= 8; --pixels) {
    font.setPixelSize(pixels);
    const QFontMetrics metrics(font);
    bool fits = true;
    for (const TPanelLabel& label : PanelLabels)
      fits = fits && metrics.horizontalAdvance(QString::fromLatin1(label.Text)) <= label.Room;
    if (fits) break;
  }
  return font;
}

QToolButton* IconButton(QWidget* parent, const char* icon, const char* hint, std::function<void()> handler) {
  auto* button = new QToolButton(parent);
  button->setIcon(DesignerIcon(icon));
  button->setIconSize(QSize(20, 20));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  button->setFixedSize(25, 25);
  button->setFocusPolicy(Qt::NoFocus);
  QObject::connect(button, &QToolButton::clicked, parent, [h = std::move(handler)] { h(); });
  return button;
}

QSpinBox* NumericEdit(QWidget* parent, int x, int y, int w, int h, bool readOnly) {
  auto* edit = new QSpinBox(parent);
  edit->setRange(INT_MIN, INT_MAX);
  edit->setSingleStep(1);
  edit->setValue(0);
  edit->setReadOnly(readOnly);
  edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
  edit->setGeometry(x, y, w, h);
  return edit;
}

std::string ReadFailure(const std::string& fileName, const std::exception& e) {
  return "Cannot open \"" + FullFileName(fileName) + "\":\n" + e.what();
}

// The history step names of the commands that run over the selection.
std::string ActionStepName(int32_t action) {
  switch (action) {
    case waDelete:
      return "delete";
    case waBringToFront:
      return "bring to front";
    case waSendToBack:
      return "send to back";
    case waAlignLeft:
    case waAlignCenter:
    case waAlignRight:
      return "text alignment";
    case waLayoutTop:
    case waLayoutCenter:
    case waLayoutBottom:
      return "text placement";
    default:
      return "change";
  }
}

}  // namespace

TForm1::TForm1(IDesignerDialogs& dialogs, QWidget* parent) : QMainWindow(parent), Dialogs_(dialogs) {
  setWindowTitle(MainCaption);

  GraphControl1.SetColor(clWhite);
  GraphControl1.GraphConstraints().SetMaxRight(2000);
  GraphControl1.GraphConstraints().SetMaxBottom(2000);
  GraphControl1.SetGridSize(5);
  GraphControl1.SetMinNodeSize(2);
  GraphControl1.SetShowGrid(false);
  GraphControl1.SetSnapToGrid(false);
  GraphControl1.OnObjectClick = [this](TGraphControl* g, TGraphObject* o) { GraphControl1ObjectClick(g, o); };
  GraphControl1.OnObjectChange = [this](TGraphControl* g, TGraphObject* o) {
    GraphControl1ObjectChange(g, o);
  };
  GraphControl1.OnObjectRemove = [this](TGraphControl* g, TGraphObject* o) {
    GraphControl1ObjectRemove(g, o);
  };
  GraphControl1.OnGraphChange = [this](TGraphControl* g) { GraphControl1GraphChange(g); };
  GraphControl1.OnHistoryChange = [this](TGraphControl* g) { GraphControl1HistoryChange(g); };
  GraphControl1.OnZoomChange = [this](TGraphControl* g) { GraphControl1ZoomChange(g); };

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setCentralWidget(central);
  BuildCommands();
  BuildToolbar();
  GraphWidget = new qt::TGraphWidget(&GraphControl1, central);
  // A double click on a widget, or F2, edits its text where it is shown.
  GraphWidget->SetCaptionEditing(true);
  connect(GraphWidget, &qt::TGraphWidget::captionEdited, this, [this] { RefreshPanel(); });
  layout->addWidget(GraphWidget, 1);
  BuildPanel();
  BuildEditBar();
  ShowWidget(nullptr);
  // The drawing area has the keyboard from the start: the arrow keys and Tab
  // act on the widgets, and Space or Return run no toolbar button.
  GraphWidget->setFocus();
  FocusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this] { UpdateEditCommands(); });
  RecoveryTimer = new QTimer(this);
  RecoveryTimer->setSingleShot(true);
  RecoveryTimer->setInterval(RecoveryDelay);
  connect(RecoveryTimer, &QTimer::timeout, this, [this] { KeepRecoveryCopy(); });

  // The menu bar comes on top of the specified 835 x 476: the drawing area
  // keeps its size.
  resize(835, 476 + menuBar()->sizeHint().height());
  BuildDesignerDocks();
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormCreate();
}

TForm1::~TForm1() {
  // The panel goes with the window; the control's last removals must not
  // reach it. The widget does not own the control: detach it first.
  GraphControl1.OnObjectRemove = nullptr;
  GraphControl1.OnObjectChange = nullptr;
  GraphControl1.OnGraphChange = nullptr;
  GraphControl1.OnHistoryChange = nullptr;
  GraphControl1.OnZoomChange = nullptr;
  disconnect(FocusWatch_);
  DetachDesignerDocks();
  if (GraphWidget) GraphWidget->SetControl(nullptr);
}

void TForm1::FormCreate() { ScreenName = "NoName"; }

// The toolbar's buttons run the commands' actions. They take no keyboard
// focus, which stays with the drawing area or the panel's fields.
void TForm1::BuildToolbar() {
  auto* bar = new QWidget(centralWidget());
  bar->setFixedHeight(25);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto button = [&](QAction* action) {
    auto* b = new QToolButton(bar);
    b->setDefaultAction(action);
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setFixedSize(25, 25);
    b->setFocusPolicy(Qt::NoFocus);
    row->addWidget(b);
    return b;
  };
  auto gap = [&] { row->addSpacing(10); };
  btnScreenProp = button(actNewScreen);
  btnOpen = button(actOpen);
  btnSave = button(actSaveAs);
  btnExport = button(actExport);
  btnClose = button(actExit);
  gap();
  btnEdit = button(actEditMode);
  btnPan = button(actPanMode);
  actEditMode->setEnabled(false);
  gap();
  btnNew = button(actNewWidget);
  btnDel = button(actDelete);
  btnToFront = button(actToFront);
  btnToBack = button(actToBack);
  btnZoomPlus = button(actZoomIn);
  btnZoomMinus = button(actZoomOut);
  btnFullView = button(actZoom100);
  gap();
  chGrid = new QCheckBox("Show Grid", bar);
  chSnap = new QCheckBox("Snap to Grid", bar);
  for (QCheckBox* box : {chGrid, chSnap}) box->setFocusPolicy(Qt::NoFocus);
  connect(chGrid, &QCheckBox::clicked, this, [this] {
    actShowGrid->setChecked(chGrid->isChecked());
    btnShGridClick();
  });
  connect(chSnap, &QCheckBox::clicked, this, [this] {
    actSnapToGrid->setChecked(chSnap->isChecked());
    btnSnapGrClick();
  });
  row->addWidget(chGrid);
  row->addSpacing(6);
  row->addWidget(chSnap);
  gap();
  // The editing buttons take the room that is left; those that do not fit
  // are offered by the bar's extension button, and all are in the menus.
  EditBar = new QToolBar(bar);
  EditBar->setIconSize(QSize(20, 20));
  EditBar->setFixedHeight(25);
  EditBar->setContentsMargins(0, 0, 0, 0);
  EditBar->layout()->setContentsMargins(0, 0, 0, 0);
  EditBar->layout()->setSpacing(0);
  EditBar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  EditBar->setFocusPolicy(Qt::NoFocus);
  row->addWidget(EditBar, 1);
  lblZoom = new QLabel("100%", bar);
  lblZoom->setToolTip("Zoom");
  lblZoom->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblZoom->setFixedWidth(lblZoom->fontMetrics().horizontalAdvance("36863%") + 8);
  row->addWidget(lblZoom);
  static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(bar);
}

void TForm1::BuildPanel() {
  sbElementProp = new QScrollArea(centralWidget());
  sbElementProp->setFixedHeight(PanelHeight);
  sbElementProp->setFrameShape(QFrame::NoFrame);
  sbElementProp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbElementProp->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* panel = Panel_ = new QWidget;
  panel->setFixedSize(PanelWidth, PanelHeight);
  panel->setFont(PanelFont(panel->font()));

  for (const TPanelLabel& label : PanelLabels) {
    auto* text = new QLabel(label.Text, panel);
    text->setGeometry(label.X, label.Y, label.Room, label.Beside ? 18 : 16);
    text->setAlignment(Qt::AlignLeft | (label.Beside ? Qt::AlignVCenter : Qt::AlignTop));
  }

  edText = new QLineEdit(panel);
  edText->setGeometry(8, 24, 137, 18);
  connect(edText, &QLineEdit::textChanged, this, [this] { edTextChange(); });
  edPosX = NumericEdit(panel, 184, 8, 49, 18, true);
  edPosY = NumericEdit(panel, 184, 32, 49, 18, true);
  edBreite = NumericEdit(panel, 272, 8, 49, 18, true);
  edHoehe = NumericEdit(panel, 272, 32, 49, 18, true);
  edHinter = new TColorPicker(panel);
  edHinter->setGeometry(336, 24, 89, 20);
  edHinter->OnChange = [this] { edHinterChange(); };
  edVorder = new TColorPicker(panel);
  edVorder->setGeometry(432, 24, 89, 20);
  edVorder->OnChange = [this] { edVorderChange(); };
  edSchrift = new QFontComboBox(panel);
  edSchrift->setGeometry(528, 24, 120, 20);
  connect(edSchrift, &QFontComboBox::currentFontChanged, this, [this] { edSchriftChange(); });
  edFontSize = NumericEdit(panel, 616, 2, 33, 18, false);
  edFontSize->setToolTip(QString("Font size (%1 to %2 points)").arg(MinFontSize).arg(MaxFontSize));
  connect(edFontSize, &QSpinBox::valueChanged, this, [this] { edFontSizeChange(); });
  valignTop = IconButton(panel, "text-top", "Text at the top", [this] { valignTopClick(); });
  valignCenteg = IconButton(panel, "text-middle", "Text in the middle", [this] { valignCentegClick(); });
  valignBottom = IconButton(panel, "text-bottom", "Text at the bottom", [this] { valignBottomClick(); });
  halignLeft = IconButton(panel, "text-left", "Text left", [this] { halignLeftClick(); });
  halignCenter = IconButton(panel, "text-center", "Text centred", [this] { halignCenterClick(); });
  halignRight = IconButton(panel, "text-right", "Text right", [this] { halignRightClick(); });
  valignTop->move(656, 0);
  valignCenteg->move(680, 0);
  valignBottom->move(704, 0);
  halignLeft->move(656, 24);
  halignCenter->move(680, 24);
  halignRight->move(704, 24);
  edZPosition = NumericEdit(panel, 792, 2, 33, 18, true);
  connect(edZPosition, &QSpinBox::valueChanged, this, [this] { edFontSizeChange(); });
  btnPixmap = new QPushButton("Pixmap", panel);
  btnPixmap->setToolTip("Link a pixmap to widget");
  btnPixmap->setGeometry(744, 24, 81, 25);
  connect(btnPixmap, &QPushButton::clicked, this, [this] { btnPixmapClick(); });

  sbElementProp->setWidget(panel);
  static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(sbElementProp);
}

// Every command becomes an action of the window with its keys, an entry of
// its menu and, when it acts on the selection, of the context menu.
void TForm1::BuildCommands() {
  menuFile = menuBar()->addMenu("&File");
  menuEdit = menuBar()->addMenu("&Edit");
  menuView = menuBar()->addMenu("&View");
  menuArrange = menuBar()->addMenu("&Arrange");
  ContextMenu = new QMenu(this);
  const std::span<const TDesignerCommand> commands = DesignerCommands();
  const QList<QList<QKeySequence>> keys = CommandKeys();
  for (size_t i = 0; i < commands.size(); ++i) {
    const TDesignerCommand& command = commands[i];
    auto* action = new QAction(QString::fromUtf8(command.Text), this);
    if (command.Hint) action->setToolTip(QString::fromUtf8(command.Hint));
    if (command.Icon) action->setIcon(DesignerIcon(command.Icon));
    action->setShortcuts(keys[qsizetype(i)]);
    action->setCheckable(command.Flags & cfCheckable);
    if (command.Flags & cfSubmenu)
      action->setMenu(new QMenu(this));
    else
      connect(action, &QAction::triggered, this, [this, run = command.Run] { run(*this); });
    addAction(action);
    this->*command.Action = action;
    QMenu* menu = command.Menu == TCommandMenu::mnFile   ? menuFile
                  : command.Menu == TCommandMenu::mnEdit ? menuEdit
                  : command.Menu == TCommandMenu::mnView ? menuView
                                                         : menuArrange;
    if ((command.Flags & cfSeparatorBefore) && !menu->isEmpty()) menu->addSeparator();
    menu->addAction(action);
    if (command.Flags & cfContextMenu) {
      if ((command.Flags & cfSeparatorBefore) && !ContextMenu->isEmpty()) ContextMenu->addSeparator();
      ContextMenu->addAction(action);
    }
  }
  // A right click on the drawing area, on a widget or on empty ground.
  GraphControl1.SetPopupMenu(ContextMenu);
  GraphControl1.SetObjectPopupMenu(ContextMenu);
}

void TForm1::BuildEditBar() {
  EditBar->addAction(actUndo);
  EditBar->addAction(actRedo);
  EditBar->addSeparator();
  for (QAction* action :
       {actAlignLeft, actAlignCenter, actAlignRight, actAlignTop, actAlignMiddle, actAlignBottom})
    EditBar->addAction(action);
  EditBar->addSeparator();
  for (QAction* action : {actDistributeHorizontally, actDistributeVertically, actSameWidth, actSameHeight})
    EditBar->addAction(action);
  for (QToolButton* button : EditBar->findChildren<QToolButton*>()) button->setFocusPolicy(Qt::NoFocus);
  // The narrowest window still shows the bar's overflow button.
  const QMargins margins = EditBar->contentsMargins() + EditBar->layout()->contentsMargins();
  EditBar->setMinimumWidth(
      EditBar->style()->pixelMetric(QStyle::PM_ToolBarExtensionExtent, nullptr, EditBar) + margins.left() +
      margins.right() + 2 * EditBar->style()->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, EditBar));
  UpdateEditCommands();
}

bool TForm1::ApplyWidgetAction(TGraphObject* object, int32_t action) {
  const bool isNode = object->InheritsFrom(TGraphNode::StaticClass());
  auto* node = isNode ? static_cast<TGraphNode*>(object) : nullptr;
  auto* link = object->InheritsFrom(TGraphLink::StaticClass()) ? static_cast<TGraphLink*>(object) : nullptr;
  auto addStyle = [&](TFontStyles s) { object->Font().SetStyle(object->Font().Style() | s); };
  auto removeStyle = [&](TFontStyles s) { object->Font().SetStyle(object->Font().Style() & ~s); };
  auto rotate = [&](double angle) {
    if (!link->Polyline().empty()) link->Rotate(CenterOfPoints(link->Polyline()), angle);
  };
  switch (action) {
    case waDelete:
      return object->Delete();
    case waSelect:
      object->SetSelected(true);
      break;
    case waToggleSelect:
      object->SetSelected(!object->Selected());
      break;
    case waSendToBack:
      object->SendToBack();
      break;
    case waBringToFront:
      object->BringToFront();
      break;
    case waMakeSelectable:
      object->SetOptions(object->Options() | goSelectable);
      break;
    case waApplyFontName:
      object->Font().SetName(edSchrift->currentFont().family().toStdString());
      break;
    case waApplyFontSize:
      object->Font().SetSize(edFontSize->value());
      break;
    case waBoldOn:
      addStyle(fsBold);
      break;
    case waItalicOn:
      addStyle(fsItalic);
      break;
    case waUnderlineOn:
      addStyle(fsUnderline);
      break;
    case waBoldOff:
      removeStyle(fsBold);
      break;
    case waItalicOff:
      removeStyle(fsItalic);
      break;
    case waUnderlineOff:
      removeStyle(fsUnderline);
      break;
    case waAlignLeft:
      if (node) node->SetAlignment(taLeftJustify);
      break;
    case waAlignCenter:
      if (node) node->SetAlignment(taCenter);
      break;
    case waAlignRight:
      if (node) node->SetAlignment(taRightJustify);
      break;
    case waLayoutTop:
      if (node) node->SetLayout(tlTop);
      break;
    case waLayoutCenter:
      if (node) node->SetLayout(tlCenter);
      break;
    case waLayoutBottom:
      if (node) node->SetLayout(tlBottom);
      break;
    case waReverseLink:
      if (link) link->Reverse();
      break;
    case waRotateLinkPlus:
      if (link) rotate(HalfPi);
      break;
    case waRotateLinkMinus:
      if (link) rotate(-HalfPi);
      break;
    case waGrowLink:
      if (link) link->Scale(1.25);
      break;
    case waShrinkLink:
      if (link) link->Scale(0.75);
      break;
    default:
      return false;
  }
  return true;
}

void TForm1::VisitSelected(int32_t action) {
  Guarded([&] {
    TGraphControl::THistoryStep step(GraphControl1, ActionStepName(action));
    GraphControl1.VisitObjects([this](TGraphObject* o, int32_t a) { return ApplyWidgetAction(o, a); }, action,
                               true);
  });
}

// A modified screen is marked with a "*" after its name.
void TForm1::UpdateCaption() {
  const std::string mark = GraphControl1.Modified() ? "*" : "";
  const std::string caption =
      Named_ ? std::string(MainCaption) + "  [" + ScreenName + mark + "]" : std::string(MainCaption) + mark;
  setWindowTitle(QString::fromStdString(caption));
  ShowFileState();
}

// ---- Screen files ---------------------------------------------------------------------------

bool TForm1::ConfirmDiscardChanges() {
  if (!GraphControl1.Modified()) return true;
  const std::string question =
      "The screen \"" + ScreenName + "\" has unsaved changes.\nDo you want to save them?";
  switch (Dialogs_.Ask(question, "Save", "Discard")) {
    case IDesignerDialogs::anAccept:
      return SaveScreen();
    case IDesignerDialogs::anDestructive:
      return true;
    default:
      return false;
  }
}

// With unsaved changes one question (save, discard or cancel) stands for
// the warning; otherwise the warning asks.
void TForm1::btnScreenPropClick() {
  Guarded([&] {
    if (GraphControl1.Modified()) {
      if (!ConfirmDiscardChanges()) return;
    } else if (Dialogs_.MessageBox("WARNING! The not saved data will be deleted!",
                                   IDesignerDialogs::bkWarning, true) != 1) {
      return;
    }
    GraphControl1.Clear();
    RemoveRecoveryCopy();
    ShowWidget(nullptr);
    FileName_.clear();
    ScreenName = Dialogs_.InputQuery("Vizadu-Razadivi", "Screen Name: ", "NoName");
    Named_ = true;
    UpdateCaption();
    GraphWidget->setFocus();
  });
}

bool TForm1::OpenScreen(const std::string& fileName) {
  TMemoryStream bytes;
  try {
    // The whole file is read into a hidden control first: a file damaged
    // anywhere leaves the screen, its name and the caption as they were.
    TFileStream file(fileName, TFileMode::OpenRead);
    bytes.CopyFrom(file, file.Size());
    TGraphControl trial;
    trial.SetHistoryLimit(0);
    trial.SetGraphConstraints(GraphControl1.GraphConstraints());
    bytes.SetPosition(0);
    trial.LoadFromStream(bytes);
  } catch (const std::exception& e) {
    Dialogs_.MessageBox(ReadFailure(fileName, e), IDesignerDialogs::bkError, false);
    return false;
  }
  return Guarded([&] {
    bytes.SetPosition(0);
    GraphControl1.LoadFromStream(bytes);
    RemoveRecoveryCopy();
    ShowWidget(nullptr);
    NameScreenAfter(fileName);
    GraphWidget->setFocus();
  });
}

// From a file opened or saved under a new name on, the window names the file
// that Save writes: the caption, the unsaved-changes question and the save
// dialog.
void TForm1::NameScreenAfter(const std::string& fileName) {
  FileName_ = FullFileName(fileName);
  ScreenName = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
  Named_ = true;
  UpdateCaption();
}

void TForm1::btnOpenClick() {
  if (!ConfirmDiscardChanges()) return;
  std::string fileName;
  if (Dialogs_.OpenFile("Open file", ScreenFilter, fileName)) OpenScreen(fileName);
}

bool TForm1::SaveScreenTo(const std::string& fileName) {
  const bool saved = Guarded([&] { GraphControl1.SaveToFile(fileName); });
  if (saved) {
    NameScreenAfter(fileName);
    RemoveRecoveryCopy();
  }
  UpdateCaption();
  return saved;
}

bool TForm1::SaveScreenAs() {
  std::string fileName = FileName_;
  if (fileName.empty() && ScreenName != "NoName") {
    fileName = ScreenName;
    if (!QString::fromStdString(fileName).endsWith(".Screen", Qt::CaseInsensitive)) fileName += ".Screen";
  }
  return Dialogs_.SaveFile("Save file", ScreenFilter, fileName) && SaveScreenTo(fileName);
}

bool TForm1::SaveScreen() { return FileName_.empty() ? SaveScreenAs() : SaveScreenTo(FileName_); }

void TForm1::btnSaveClick() { SaveScreenAs(); }

void TForm1::btnExportClick() {
  Guarded([&] {
    GraphControl1.SaveCopyToFile("ScreenWorkspace");
    if (Form2_) Form2_->ShowModal();
    KeepExportAnswers();
  });
}

void TForm1::btnCloseClick() { close(); }

void TForm1::closeEvent(QCloseEvent* event) {
  if (ConfirmDiscardChanges()) {
    RemoveRecoveryCopy();
    event->accept();
  } else {
    event->ignore();
  }
}

// ---- Modes, widgets, view -----------------------------------------------------------------

void TForm1::btnEditClick() {
  actPanMode->setEnabled(true);
  actEditMode->setEnabled(false);
  GraphControl1.SetCommandMode(cmEdit);
}

void TForm1::btnPanClick() {
  actPanMode->setEnabled(false);
  actEditMode->setEnabled(true);
  GraphControl1.SetCommandMode(cmPan);
}

void TForm1::btnNewClick() {
  actPanMode->setEnabled(true);
  actEditMode->setEnabled(false);
  GraphControl1.SetDefaultNodeClass(TRectangularNode::StaticClass());
  GraphControl1.SetCommandMode(cmAddNode);
}

void TForm1::btnDelClick() { VisitSelected(waDelete); }
void TForm1::btnToFrontClick() { VisitSelected(waBringToFront); }
void TForm1::btnToBackClick() { VisitSelected(waSendToBack); }
void TForm1::btnZoomPlusClick() { GraphControl1.StepZoom(2, zaCenter); }
void TForm1::btnZoomMinusClick() { GraphControl1.StepZoom(-2, zaCenter); }
void TForm1::btnFullViewClick() { GraphControl1.SetZoomAnchored(100, zaTopLeft); }
void TForm1::btnShGridClick() { GraphControl1.SetShowGrid(chGrid->isChecked()); }
void TForm1::btnSnapGrClick() { GraphControl1.SetSnapToGrid(chSnap->isChecked()); }

void TForm1::SelectAllClick() {
  Guarded([&] {
    GraphControl1.VisitObjects([this](TGraphObject* o, int32_t a) { return ApplyWidgetAction(o, a); },
                               waSelect, false);
  });
}

// ---- Property panel -------------------------------------------------------------------------

int32_t TForm1::CurrentWidgetIndex() const { return ShownWidget_ ? ShownWidget_->ZOrder() : -1; }

TGraphObject* TForm1::PanelWidget() const {
  return GraphControl1.CountSelected() == 1 ? ShownWidget_ : nullptr;
}

void TForm1::ShowWidget(TGraphObject* widget) {
  ShownWidget_ = widget;
  // Edits of another widget (or after a new showing) start steps of their own.
  TextMergeKey_ = SizeMergeKey_ = 0;
  WordEnded_ = false;
  for (QWidget* field : std::initializer_list<QWidget*>{edText, edPosX, edPosY, edBreite, edHoehe, edHinter,
                                                        edVorder, edSchrift, edFontSize, edZPosition})
    field->setEnabled(widget != nullptr);
  if (!widget) {
    const QSignalBlocker blockText(edText), blockSize(edFontSize), blockZ(edZPosition);
    edText->clear();
    for (QSpinBox* field : {edPosX, edPosY, edBreite, edHoehe, edZPosition}) field->setValue(0);
    edFontSize->setMinimum(0);
    edFontSize->setValue(0);
    return;
  }
  {
    // Leaving the empty panel's 0 behind must not write a size.
    const QSignalBlocker block(edFontSize);
    edFontSize->setRange(MinFontSize, MaxFontSize);
  }
  edText->setText(QString::fromStdString(widget->Text()));
  edHinter->SetColor(widget->Brush().Color());
  edVorder->SetColor(widget->Font().Color());
  {
    // A font the picker does not list would come back as a different
    // family and silently rename the widget's font; show it without
    // writing it back.
    const QSignalBlocker block(edSchrift);
    edSchrift->setCurrentFont(QFont(QString::fromStdString(widget->Font().Name())));
  }
  {
    // A size the field cannot hold is shown clamped but not written back.
    const int32_t size = widget->Font().Size();
    const bool exact = size >= MinFontSize && size <= MaxFontSize;
    const QSignalBlocker blockSize(exact ? nullptr : edFontSize), blockZ(exact ? nullptr : edZPosition);
    edFontSize->setValue(size);
    edZPosition->setValue(GraphControl1.WidgetIndex(widget));
  }
  ShowPlacement();
}

void TForm1::ShowPlacement() {
  if (!ShownWidget_) return;
  const TRect r = ShownWidget_->PaintBounds();
  edPosX->setValue(r.Left);
  edPosY->setValue(r.Top);
  edBreite->setValue(r.Right - r.Left);
  edHoehe->setValue(r.Bottom - r.Top);
  const QSignalBlocker block(edZPosition);
  edZPosition->setValue(GraphControl1.WidgetIndex(ShownWidget_));
}

// Each key typed into the field is a step of the history; the steps of one
// word, with the blank that ends it, join into one.
void TForm1::edTextChange() {
  Guarded([&] {
    TGraphObject* widget = PanelWidget();
    if (!widget) return;
    const std::string text = edText->text().toStdString();
    if (TextMergeKey_ == 0 || WordEnded_) TextMergeKey_ = NextMergeKey_++;
    WordEnded_ = !text.empty() && std::isspace(static_cast<unsigned char>(text.back()));
    TGraphControl::THistoryStep step(GraphControl1, "text", TextMergeKey_);
    if (widget->InheritsFrom(TGraphNode::StaticClass())) static_cast<TGraphNode*>(widget)->SetMargin(0);
    widget->SetText(text);
  });
}

void TForm1::edHinterChange() {
  Guarded([&] {
    TGraphControl::THistoryStep step(GraphControl1, "background colour");
    if (TGraphObject* widget = PanelWidget()) widget->Brush().SetColor(edHinter->Color());
  });
}

void TForm1::edVorderChange() {
  Guarded([&] {
    TGraphControl::THistoryStep step(GraphControl1, "text colour");
    if (TGraphObject* widget = PanelWidget()) widget->Font().SetColor(edVorder->Color());
  });
}

void TForm1::edSchriftChange() {
  Guarded([&] {
    TGraphControl::THistoryStep step(GraphControl1, "font");
    if (TGraphObject* widget = PanelWidget())
      widget->Font().SetName(edSchrift->currentFont().family().toStdString());
  });
}

// The digits of one size typed into the field are one step.
void TForm1::edFontSizeChange() {
  Guarded([&] {
    if (SizeMergeKey_ == 0) SizeMergeKey_ = NextMergeKey_++;
    TGraphControl::THistoryStep step(GraphControl1, "font size", SizeMergeKey_);
    if (TGraphObject* widget = PanelWidget()) widget->Font().SetSize(edFontSize->value());
  });
}

void TForm1::valignTopClick() { VisitSelected(waLayoutTop); }
void TForm1::valignCentegClick() { VisitSelected(waLayoutCenter); }
void TForm1::valignBottomClick() { VisitSelected(waLayoutBottom); }
void TForm1::halignLeftClick() { VisitSelected(waAlignLeft); }
void TForm1::halignCenterClick() { VisitSelected(waAlignCenter); }
void TForm1::halignRightClick() { VisitSelected(waAlignRight); }

void TForm1::btnPixmapClick() {
  auto* node = ShownWidget_ && ShownWidget_->InheritsFrom(TGraphNode::StaticClass())
                   ? static_cast<TGraphNode*>(ShownWidget_)
                   : nullptr;
  if (!node) {
    Dialogs_.MessageBox("The function is to time not implemented ;-)", IDesignerDialogs::bkInformation, true);
    return;
  }
  LinkPixmap(node);
}

void TForm1::LinkPixmap(TGraphNode* node) {
  if (node->Background().HasGraphic()) {
    switch (Dialogs_.Ask("The widget shows a picture.", "Choose another…", "Remove")) {
      case IDesignerDialogs::anDestructive:
        node->Background().SetGraphic(nullptr);
        return;
      case IDesignerDialogs::anCancel:
        return;
      default:
        break;
    }
  }
  std::string fileName;
  if (!Dialogs_.OpenFile("Link a pixmap to widget", PictureFilter, fileName)) return;
  Guarded([&] {
    // Vector pictures are drawn for the widget at twice its size, so they
    // stay sharp when zoomed in.
    const TGraphic picture = ReadPictureFile(fileName, QSize(node->Width() * 2, node->Height() * 2));
    if (GraphControl1.HoldsObject(node)) node->Background().SetGraphic(&picture);
  });
}

// ---- Diagram events -------------------------------------------------------------------------

void TForm1::GraphControl1ObjectClick(TGraphControl*, TGraphObject*) {
  if (GraphControl1.CountSelected() != 1) return;
  const int32_t count = GraphControl1.Objects().Count();
  for (int32_t i = 0; i < count; ++i) {
    TGraphObject* widget = GraphControl1.Objects()[i];
    if (widget->Selected()) ShowWidget(widget);
  }
}

void TForm1::GraphControl1ObjectChange(TGraphControl*, TGraphObject*) { ShowPlacement(); }

void TForm1::GraphControl1ObjectRemove(TGraphControl*, TGraphObject* object) {
  if (object == ShownWidget_) ShowWidget(nullptr);
}

void TForm1::GraphControl1GraphChange(TGraphControl*) {
  ShowPlacement();
  UpdateCaption();
  ScheduleRecoveryCopy();
}

void TForm1::GraphControl1HistoryChange(TGraphControl*) {
  UpdateEditCommands();
  ScheduleRecoveryCopy();
}

void TForm1::GraphControl1ZoomChange(TGraphControl*) {
  lblZoom->setText(QString("%1%").arg(GraphControl1.Zoom()));
}

// ---- Editing --------------------------------------------------------------------------------

namespace {

// The panel's text field that has the keyboard focus (the text edit, the
// line of a numeric edit or of the font picker), or null.
QLineEdit* FocusedField(QWidget* panel) {
  QWidget* focus = QApplication::focusWidget();
  if (!focus || !panel->isAncestorOf(focus)) return nullptr;
  if (auto* edit = qobject_cast<QLineEdit*>(focus)) return edit;
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(focus)) return spin->findChild<QLineEdit*>();
  if (auto* combo = qobject_cast<QComboBox*>(focus)) return combo->lineEdit();
  return nullptr;
}

}  // namespace

void TForm1::UpdateEditCommands() {
  const bool undo = GraphControl1.CanUndo();
  const bool redo = GraphControl1.CanRedo();
  // In a panel field the keys undo and redo the field's typing, which the
  // field itself keeps track of.
  const bool inField = FocusedField(Panel_) != nullptr;
  actUndo->setEnabled(undo || inField);
  actRedo->setEnabled(redo || inField);
  actUndo->setText(undo ? QString("&Undo %1").arg(QString::fromStdString(GraphControl1.UndoName()))
                        : "&Undo");
  actRedo->setText(redo ? QString("&Redo %1").arg(QString::fromStdString(GraphControl1.RedoName()))
                        : "&Redo");
}

void TForm1::RefreshPanel() {
  TGraphObject* widget = nullptr;
  if (GraphControl1.CountSelected() == 1)
    widget = GraphControl1.SelectedObjects()[0];
  else if (ShownWidget_ && GraphControl1.HoldsObject(ShownWidget_))
    widget = ShownWidget_;
  const QSignalBlocker text(edText), size(edFontSize), z(edZPosition), font(edSchrift);
  ShowWidget(widget);
}

void TForm1::UndoClick() {
  if (QLineEdit* field = FocusedField(Panel_)) return field->undo();
  Guarded([&] {
    if (GraphControl1.Undo()) RefreshPanel();
  });
}

void TForm1::RedoClick() {
  if (QLineEdit* field = FocusedField(Panel_)) return field->redo();
  Guarded([&] {
    if (GraphControl1.Redo()) RefreshPanel();
  });
}

void TForm1::CutClick() {
  if (QLineEdit* field = FocusedField(Panel_)) return field->cut();
  Guarded([&] { GraphControl1.CutToClipboard(); });
}

void TForm1::CopyClick() {
  if (QLineEdit* field = FocusedField(Panel_)) return field->copy();
  Guarded([&] { GraphControl1.CopyToClipboard(); });
}

void TForm1::PasteClick() {
  if (QLineEdit* field = FocusedField(Panel_)) return field->paste();
  Guarded([&] {
    if (GraphControl1.PasteFromClipboard()) RefreshPanel();
  });
}

void TForm1::DuplicateClick() {
  if (FocusedField(Panel_)) return;
  Guarded([&] {
    if (GraphControl1.DuplicateSelection()) RefreshPanel();
  });
}

void TForm1::AlignClick(TGraphAlignment alignment) {
  Guarded([&] { GraphControl1.AlignSelection(alignment); });
}

void TForm1::DistributeClick(TGraphDistribution direction) {
  Guarded([&] { GraphControl1.DistributeSelection(direction); });
}

void TForm1::SameWidthClick() {
  Guarded([&] { GraphControl1.MakeSameWidth(); });
}

void TForm1::SameHeightClick() {
  Guarded([&] { GraphControl1.MakeSameHeight(); });
}

void TForm1::ArrangeClick() {
  Guarded([&] { ArrangeDiagram(GraphControl1); });
}

// ---- Recovery copies --------------------------------------------------------------------------

void TForm1::KeepRecoveryIn(const QString& folder) {
  Recovery_ = std::make_unique<TScreenRecovery>(folder);
  ScheduleRecoveryCopy();
}

// The copy follows the changes at most RecoveryDelay behind; a stream of
// changes does not put it off.
void TForm1::ScheduleRecoveryCopy() {
  if (Recovery_ && !RecoveryTimer->isActive()) RecoveryTimer->start();
}

void TForm1::RemoveRecoveryCopy() {
  if (!Recovery_) return;
  RecoveryTimer->stop();
  Recovery_->Remove();
}

void TForm1::KeepRecoveryCopy() {
  if (!Recovery_) return;
  RecoveryTimer->stop();
  if (!GraphControl1.Modified()) {
    Recovery_->Remove();
    return;
  }
  // A copy that cannot be written must not stop the work: the next change
  // tries again.
  try {
    TMemoryStream stream;
    GraphControl1.SaveCopyToStream(stream);
    Recovery_->Write(stream.Bytes(), {QString(), FileName_, ScreenName, Named_, QDateTime(), std::string()});
  } catch (const std::exception&) {
  }
}

namespace {

std::string DescribeScreen(const TScreenRecovery::TEntry& entry) {
  const std::string name = entry.FileName.empty()
                               ? entry.ScreenName
                               : QFileInfo(QString::fromStdString(entry.FileName)).fileName().toStdString();
  return "\"" + name + "\"";
}

}  // namespace

// A copy that cannot be read whole is set aside and reported before any
// question about it, and never loaded.
void TForm1::OfferRecovery(const std::string& fileName) {
  if (!Recovery_) return;
  const std::string file = fileName.empty() ? std::string() : FullFileName(fileName);
  for (const TScreenRecovery::TEntry& entry : Recovery_->TakeOrphans(file)) {
    TMemoryStream bytes;
    std::string damage = entry.Damage;
    if (damage.empty()) {
      try {
        bytes = TMemoryStream(Recovery_->ReadOrphan(entry));
        TGraphControl trial;
        trial.SetHistoryLimit(0);
        trial.SetGraphConstraints(GraphControl1.GraphConstraints());
        trial.LoadFromStream(bytes);
      } catch (const std::exception& e) {
        damage = e.what();
      }
    }
    if (!damage.empty()) {
      const QString aside = Recovery_->SetAside(entry);
      Dialogs_.MessageBox(
          "A recovery copy of unsaved work" +
              (entry.Damage.empty() ? " on the screen " + DescribeScreen(entry) : std::string()) +
              " is damaged and was not loaded:\n" + damage + "\nIt was kept in " + aside.toStdString() + ".",
          IDesignerDialogs::bkError, false);
      continue;
    }
    const std::string when = entry.Written.toLocalTime().toString("d MMM yyyy, HH:mm").toStdString();
    const std::string question = "The designer ended without saving the changes to the screen " +
                                 DescribeScreen(entry) + " (last changed " + when +
                                 ").\nRestore the unsaved work?";
    if (!Dialogs_.Choose(question, "Restore", "Discard")) {
      Recovery_->Discard(entry);
      continue;
    }
    bytes.SetPosition(0);
    if (Restore(entry, bytes)) {
      Recovery_->Discard(entry);
      KeepRecoveryCopy();
    }
    return;
  }
}

bool TForm1::Restore(const TScreenRecovery::TEntry& entry, TMemoryStream& bytes) {
  return Guarded([&] {
    GraphControl1.LoadFromStream(bytes);
    ShowWidget(nullptr);
    FileName_ = entry.FileName;
    ScreenName = entry.ScreenName;
    Named_ = entry.Named;
    // The screen differs from its file until the user saves it.
    GraphControl1.SetModified(true);
    UpdateCaption();
    GraphWidget->setFocus();
  });
}

// ---- Layout ---------------------------------------------------------------------------------

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FitPanel();
}

void TForm1::FitPanel() {
  if (!sbElementProp) return;
  const bool scrolls = centralWidget()->width() < PanelWidth;
  const int bar = scrolls ? sbElementProp->horizontalScrollBar()->sizeHint().height() : 0;
  sbElementProp->setFixedHeight(PanelHeight + bar);
}

}  // namespace gc::app
