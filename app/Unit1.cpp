#include "app/Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

#include "platform/qt/GraphWidget.h"

namespace gc::app {

namespace {

constexpr const char* MainCaption = "Orvane Vizadu-Razadivi";
constexpr const char* ScreenFilter = "Screen-Files|*.Screen";
constexpr double HalfPi = 1.5707963267948966;

QColor ToQColor(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }
TColor FromQColor(const QColor& c) {
  return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

// Toolbar and alignment icons, drawn at run time: a pale tile with a symbol.
enum TIconKind {
  icNew,
  icOpen,
  icSave,
  icExport,
  icExit,
  icEdit,
  icPan,
  icWidget,
  icDelete,
  icFront,
  icBack,
  icZoomIn,
  icZoomOut,
  icZoom100,
  icTop,
  icMiddle,
  icBottom,
  icLeft,
  icCentre,
  icRight
};

QIcon MakeIcon(TIconKind kind) {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 60, 110), 1.5));
  p.setBrush(QColor(235, 240, 250));
  auto text = [&](const char* s) {
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, s);
  };
  auto bars = [&](int y0, int x0, bool vertical) {
    p.setBrush(QColor(40, 60, 110));
    if (vertical)
      p.drawRect(QRectF(7, y0, 6, 4));
    else
      p.drawRect(QRectF(x0, 8, 4, 4));
  };
  switch (kind) {
    case icNew:
      p.drawRect(QRectF(4, 2, 12, 16));
      text("+");
      break;
    case icOpen:
      p.drawRect(QRectF(2, 6, 16, 11));
      p.drawLine(2, 6, 7, 3);
      p.drawLine(7, 3, 10, 6);
      break;
    case icSave:
      p.drawRect(QRectF(3, 3, 14, 14));
      p.drawRect(QRectF(6, 3, 8, 5));
      break;
    case icExport:
      text("</>");
      break;
    case icExit:
      p.drawLine(5, 5, 15, 15);
      p.drawLine(15, 5, 5, 15);
      break;
    case icEdit:
      p.drawLine(4, 16, 15, 5);
      p.drawLine(4, 16, 7, 16);
      break;
    case icPan:
      p.drawLine(10, 2, 10, 18);
      p.drawLine(2, 10, 18, 10);
      break;
    case icWidget:
      p.drawRect(QRectF(3, 5, 14, 10));
      break;
    case icDelete:
      p.drawRect(QRectF(3, 5, 14, 10));
      p.drawLine(3, 5, 17, 15);
      p.drawLine(17, 5, 3, 15);
      break;
    case icFront:
      p.drawRect(QRectF(2, 2, 10, 10));
      p.setBrush(QColor(120, 150, 220));
      p.drawRect(QRectF(8, 8, 10, 10));
      break;
    case icBack:
      p.setBrush(QColor(120, 150, 220));
      p.drawRect(QRectF(2, 2, 10, 10));
      p.setBrush(QColor(235, 240, 250));
      p.drawRect(QRectF(8, 8, 10, 10));
      break;
    case icZoomIn:
      p.drawEllipse(QRectF(2, 2, 12, 12));
      p.drawLine(13, 13, 18, 18);
      text("+");
      break;
    case icZoomOut:
      p.drawEllipse(QRectF(2, 2, 12, 12));
      p.drawLine(13, 13, 18, 18);
      text("-");
      break;
    case icZoom100:
      text("1:1");
      break;
    case icTop:
      p.drawRect(QRectF(2, 2, 16, 16));
      bars(4, 0, true);
      break;
    case icMiddle:
      p.drawRect(QRectF(2, 2, 16, 16));
      bars(8, 0, true);
      break;
    case icBottom:
      p.drawRect(QRectF(2, 2, 16, 16));
      bars(12, 0, true);
      break;
    case icLeft:
      p.drawRect(QRectF(2, 2, 16, 16));
      bars(0, 4, false);
      break;
    case icCentre:
      p.drawRect(QRectF(2, 2, 16, 16));
      bars(0, 8, false);
      break;
    case icRight:
      p.drawRect(QRectF(2, 2, 16, 16));
      bars(0, 12, false);
      break;
  }
  return QIcon(pixmap);
}

QToolButton* IconButton(QWidget* parent, TIconKind kind, const char* hint, std::function<void()> handler) {
  auto* button = new QToolButton(parent);
  button->setIcon(MakeIcon(kind));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  button->setFixedSize(25, 25);
  QObject::connect(button, &QToolButton::clicked, parent, [h = std::move(handler)] { h(); });
  return button;
}

QSpinBox* NumericEdit(QWidget* parent, int x, int y, int w, int h, bool readOnly) {
  auto* edit = new QSpinBox(parent);
  edit->setRange(INT_MIN, INT_MAX);
  edit->setSingleStep(1);
  edit->setValue(0);
  edit->setReadOnly(readOnly);
  edit->setButtonSymbols(readOnly ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
  edit->setGeometry(x, y, w, h);
  return edit;
}

void Label(QWidget* parent, const char* text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->move(x, y);
}

}  // namespace

TColorPicker::TColorPicker(QWidget* parent) : QPushButton(parent) {
  connect(this, &QPushButton::clicked, this, [this] { Choose(); });
  SetColor(clWhite);
}

void TColorPicker::SetColor(TColor value) {
  const bool changed = value != Color_;
  Color_ = value;
  const QColor c = ToQColor(value);
  setStyleSheet(
      QString("background-color: %1; color: %2;").arg(c.name(), c.lightness() < 128 ? "white" : "black"));
  setText(c.name());
  if (changed && OnChange) OnChange();
}

void TColorPicker::Choose() {
  const QColor chosen = QColorDialog::getColor(ToQColor(Color_), this);
  if (chosen.isValid()) SetColor(FromQColor(chosen));
}

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

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  setCentralWidget(central);
  BuildToolbar();
  GraphWidget = new qt::TGraphWidget(&GraphControl1, central);
  layout->addWidget(GraphWidget, 1);
  BuildPanel();

  resize(835, 476);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  FormCreate();
}

TForm1::~TForm1() {
  // The widget does not own the control; detach before the control goes.
  if (GraphWidget) GraphWidget->SetControl(nullptr);
}

void TForm1::FormCreate() { ScreenName = "NoName"; }

void TForm1::BuildToolbar() {
  auto* bar = new QWidget(centralWidget());
  bar->setFixedHeight(25);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto add = [&](QWidget* w) { row->addWidget(w); };
  auto gap = [&] { row->addSpacing(10); };
  add(btnScreenProp = IconButton(bar, icNew, "New screen", [this] { btnScreenPropClick(); }));
  add(btnOpen = IconButton(bar, icOpen, "Open screen", [this] { btnOpenClick(); }));
  add(btnSave = IconButton(bar, icSave, "Save screen", [this] { btnSaveClick(); }));
  add(btnExport = IconButton(bar, icExport, "Export screen to XML", [this] { btnExportClick(); }));
  add(btnClose = IconButton(bar, icExit, "Exit", [this] { btnCloseClick(); }));
  gap();
  add(btnEdit = IconButton(bar, icEdit, "Edit mode", [this] { btnEditClick(); }));
  add(btnPan = IconButton(bar, icPan, "Pan mode", [this] { btnPanClick(); }));
  btnEdit->setEnabled(false);
  gap();
  add(btnNew = IconButton(bar, icWidget, "New widget", [this] { btnNewClick(); }));
  add(btnDel = IconButton(bar, icDelete, "Delete widget", [this] { btnDelClick(); }));
  add(btnToFront = IconButton(bar, icFront, "Set widget to Front", [this] { btnToFrontClick(); }));
  add(btnToBack = IconButton(bar, icBack, "Set widget to back", [this] { btnToBackClick(); }));
  add(btnZoomPlus = IconButton(bar, icZoomIn, "Zoom IN", [this] { btnZoomPlusClick(); }));
  add(btnZoomMinus = IconButton(bar, icZoomOut, "Zoom OUT", [this] { btnZoomMinusClick(); }));
  add(btnFullView = IconButton(bar, icZoom100, "Zoom to 100%", [this] { btnFullViewClick(); }));
  gap();
  chGrid = new QCheckBox("Show Grid", bar);
  chSnap = new QCheckBox("Snap to Grid", bar);
  connect(chGrid, &QCheckBox::clicked, this, [this] { btnShGridClick(); });
  connect(chSnap, &QCheckBox::clicked, this, [this] { btnSnapGrClick(); });
  add(chGrid);
  row->addSpacing(6);
  add(chSnap);
  row->addStretch(1);
  static_cast<QVBoxLayout*>(centralWidget()->layout())->addWidget(bar);
}

void TForm1::BuildPanel() {
  sbElementProp = new QScrollArea(centralWidget());
  sbElementProp->setFixedHeight(56);
  sbElementProp->setFrameShape(QFrame::NoFrame);
  sbElementProp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sbElementProp->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* panel = new QWidget;
  panel->setFixedSize(835, 56);
  // A compact font keeps the labels clear of the edits beside them.
  QFont panelFont = panel->font();
  panelFont.setPixelSize(11);
  panel->setFont(panelFont);

  Label(panel, "Text", 8, 8);
  Label(panel, "Pos X", 152, 8);
  Label(panel, "Pos Y", 152, 32);
  Label(panel, "Width", 240, 8);
  Label(panel, "Height", 240, 32);
  Label(panel, "Background", 336, 8);
  Label(panel, "Foreground", 432, 8);
  Label(panel, "Font", 528, 8);
  Label(panel, "zPosition", 744, 8);

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
  connect(edFontSize, &QSpinBox::valueChanged, this, [this] { edFontSizeChange(); });
  valignTop = IconButton(panel, icTop, "Text at the top", [this] { valignTopClick(); });
  valignCenteg = IconButton(panel, icMiddle, "Text in the middle", [this] { valignCentegClick(); });
  valignBottom = IconButton(panel, icBottom, "Text at the bottom", [this] { valignBottomClick(); });
  halignLeft = IconButton(panel, icLeft, "Text left", [this] { halignLeftClick(); });
  halignCenter = IconButton(panel, icCentre, "Text centred", [this] { halignCenterClick(); });
  halignRight = IconButton(panel, icRight, "Text right", [this] { halignRightClick(); });
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

bool TForm1::ApplyWidgetAction(TGraphObject* object, int32_t action) {
  const bool isNode = object->InheritsFrom(TGraphNode::StaticClass());
  auto* node = isNode ? static_cast<TGraphNode*>(object) : nullptr;
  auto* link = object->InheritsFrom(TGraphLink::StaticClass()) ? static_cast<TGraphLink*>(object) : nullptr;
  auto addStyle = [&](TFontStyles s) { object->Font().SetStyle(object->Font().Style() | s); };
  auto removeStyle = [&](TFontStyles s) { object->Font().SetStyle(object->Font().Style() & ~s); };
  auto rotate = [&](double angle) {
    const TPoints& points = link->Polyline();
    if (points.empty()) return;
    int64_t sx = 0, sy = 0;
    for (const TPoint& p : points) {
      sx += p.X;
      sy += p.Y;
    }
    const auto n = static_cast<int64_t>(points.size());
    link->Rotate(TPoint(static_cast<int32_t>(sx / n), static_cast<int32_t>(sy / n)), angle);
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
    GraphControl1.VisitObjects([this](TGraphObject* o, int32_t a) { return ApplyWidgetAction(o, a); }, action,
                               true);
  });
}

void TForm1::UpdateCaption() {
  setWindowTitle(QString::fromStdString(std::string(MainCaption) + "  [" + ScreenName + "]"));
}

void TForm1::btnScreenPropClick() {
  Guarded([&] {
    if (Dialogs_.MessageBox("WARNING! The not saved data will be deleted!", IDesignerDialogs::bkWarning,
                            true) != 1)
      return;
    GraphControl1.Clear();
    ScreenName = Dialogs_.InputQuery("Vizadu-Razadivi", "Screen Name: ", "NoName");
    UpdateCaption();
  });
}

void TForm1::OpenScreen(const std::string& fileName) {
  Guarded([&] {
    GraphControl1.LoadFromFile(fileName);
    ScreenName = QFileInfo(QString::fromStdString(fileName)).fileName().toStdString();
    UpdateCaption();
  });
}

void TForm1::btnOpenClick() {
  std::string fileName;
  if (Dialogs_.OpenFile("Open file", ScreenFilter, fileName)) OpenScreen(fileName);
}

void TForm1::btnSaveClick() {
  Guarded([&] {
    std::string fileName;
    if (Dialogs_.SaveFile("Save file", ScreenFilter, fileName)) GraphControl1.SaveToFile(fileName);
  });
}

void TForm1::btnExportClick() {
  Guarded([&] {
    GraphControl1.SaveToFile("ScreenWorkspace");
    if (Form2_) Form2_->ShowModal();
  });
}

void TForm1::btnCloseClick() { close(); }

void TForm1::btnEditClick() {
  btnPan->setEnabled(true);
  btnEdit->setEnabled(false);
  GraphControl1.SetCommandMode(cmEdit);
}

void TForm1::btnPanClick() {
  btnPan->setEnabled(false);
  btnEdit->setEnabled(true);
  GraphControl1.SetCommandMode(cmPan);
}

void TForm1::btnNewClick() {
  btnPan->setEnabled(true);
  btnEdit->setEnabled(false);
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

TGraphObject* TForm1::PanelWidget() {
  if (GraphControl1.CountSelected() != 1) return nullptr;
  return GraphControl1.Objects()[CurrentWidgetIndex];
}

void TForm1::edTextChange() {
  Guarded([&] {
    TGraphObject* widget = PanelWidget();
    if (!widget) return;
    if (widget->InheritsFrom(TGraphNode::StaticClass())) static_cast<TGraphNode*>(widget)->SetMargin(0);
    widget->SetText(edText->text().toStdString());
  });
}

void TForm1::edHinterChange() {
  Guarded([&] {
    if (TGraphObject* widget = PanelWidget()) widget->Brush().SetColor(edHinter->Color());
  });
}

void TForm1::edVorderChange() {
  Guarded([&] {
    if (TGraphObject* widget = PanelWidget()) widget->Font().SetColor(edVorder->Color());
  });
}

void TForm1::edSchriftChange() {
  Guarded([&] {
    if (TGraphObject* widget = PanelWidget())
      widget->Font().SetName(edSchrift->currentFont().family().toStdString());
  });
}

void TForm1::edFontSizeChange() {
  Guarded([&] {
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
  Dialogs_.MessageBox("The function is to time not implemented ;-)", IDesignerDialogs::bkInformation, true);
}

void TForm1::GraphControl1ObjectClick(TGraphControl*, TGraphObject*) {
  Guarded([&] {
    if (GraphControl1.CountSelected() != 1) return;
    const int32_t count = GraphControl1.Objects().Count();
    for (int32_t i = 0; i < count; ++i) {
      TGraphObject* widget = GraphControl1.Objects()[i];
      if (!widget->Selected()) continue;
      CurrentWidgetIndex = i;
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
      edFontSize->setValue(widget->Font().Size());
      edZPosition->setValue(widget->ZOrder());
    }
  });
}

void TForm1::GraphControl1ObjectChange(TGraphControl*, TGraphObject*) {
  Guarded([&] {
    const TRect r = GraphControl1.Objects()[CurrentWidgetIndex]->PaintBounds();
    edPosX->setValue(r.Left);
    edPosY->setValue(r.Top);
    edBreite->setValue(r.Right - r.Left);
    edHoehe->setValue(r.Bottom - r.Top);
  });
}

}  // namespace gc::app
