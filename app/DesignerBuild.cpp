// Builds the main window: the menu bar's and context menu's actions from the
// command list, the toolbar, the property panel and the edit bar, and keeps
// the panel's lower row clear of its scroll bar.
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>
#include <functional>

#include "app/ColorPicker.h"
#include "app/DesignerCommands.h"
#include "app/DesignerIcons.h"
#include "app/Unit1.h"

namespace gc::app {

namespace {

constexpr int PanelWidth = 835;
constexpr int PanelHeight = 56;

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

}  // namespace

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
