// The main window's life and commands: it sets up the diagram control and
// builds itself, runs the mode, widget, view and editing commands, applies
// the widget actions over the selection and follows the diagram's events.
#include "app/Unit1.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <iterator>

#include "GraphControl/Geometry.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "app/ScreenRecovery.h"
#include "layout/DiagramLayout.h"
#include "platform/qt/GraphWidget.h"

namespace gc::app {

namespace {

constexpr double HalfPi = 1.5707963267948966;
// How long after a change the recovery copy is written, in milliseconds.
constexpr int RecoveryDelay = 3000;

// What each code of ApplyWidgetAction does to one widget, and the name of the
// history step it makes when it runs over the selection. Rows are in code
// order, so the code is the row's index.

TGraphNode* AsNode(TGraphObject& object) {
  return object.InheritsFrom(TGraphNode::StaticClass()) ? static_cast<TGraphNode*>(&object) : nullptr;
}

TGraphLink* AsLink(TGraphObject& object) {
  return object.InheritsFrom(TGraphLink::StaticClass()) ? static_cast<TGraphLink*>(&object) : nullptr;
}

void SetStyle(TGraphObject& object, TFontStyles style, bool on) {
  const TFontStyles styles = object.Font().Style();
  object.Font().SetStyle(on ? styles | style : styles & ~style);
}

// Text alignment and placement are a node's; other widgets keep theirs.
void SetAlignment(TGraphObject& object, TAlignment alignment) {
  if (TGraphNode* node = AsNode(object)) node->SetAlignment(alignment);
}

void SetLayout(TGraphObject& object, TTextLayout layout) {
  if (TGraphNode* node = AsNode(object)) node->SetLayout(layout);
}

// A link turns a quarter about the centre of its points.
void RotateLink(TGraphObject& object, double angle) {
  TGraphLink* link = AsLink(object);
  if (link && !link->Polyline().empty()) link->Rotate(CenterOfPoints(link->Polyline()), angle);
}

void ReverseLink(TGraphObject& object) {
  if (TGraphLink* link = AsLink(object)) link->Reverse();
}

void ScaleLink(TGraphObject& object, double factor) {
  if (TGraphLink* link = AsLink(object)) link->Scale(factor);
}

void MakeSelectable(TGraphObject& object) { object.SetOptions(object.Options() | goSelectable); }

// The family and the size picked in the panel's font fields.
std::string FontName(const TForm1& form) { return form.edSchrift->currentFont().family().toStdString(); }
int32_t FontSize(const TForm1& form) { return form.edFontSize->value(); }

struct TWidgetActionRow {
  TWidgetAction Code;
  const char* StepName;
  // False stops the visit: only a widget that refuses to be deleted does.
  bool (*Apply)(TForm1& form, TGraphObject& object);
};

using F = TForm1;
using O = TGraphObject;

// clang-format off
constexpr TWidgetActionRow WidgetActions[] = {
    {waDelete,          "delete",         [](F&, O& o) { return o.Delete(); }},
    {waSelect,          "change",         [](F&, O& o) { o.SetSelected(true); return true; }},
    {waToggleSelect,    "change",         [](F&, O& o) { o.SetSelected(!o.Selected()); return true; }},
    {waSendToBack,      "send to back",   [](F&, O& o) { o.SendToBack(); return true; }},
    {waBringToFront,    "bring to front", [](F&, O& o) { o.BringToFront(); return true; }},
    {waMakeSelectable,  "change",         [](F&, O& o) { MakeSelectable(o); return true; }},
    {waApplyFontName,   "change",         [](F& f, O& o) { o.Font().SetName(FontName(f)); return true; }},
    {waApplyFontSize,   "change",         [](F& f, O& o) { o.Font().SetSize(FontSize(f)); return true; }},
    {waBoldOn,          "change",         [](F&, O& o) { SetStyle(o, fsBold, true); return true; }},
    {waItalicOn,        "change",         [](F&, O& o) { SetStyle(o, fsItalic, true); return true; }},
    {waUnderlineOn,     "change",         [](F&, O& o) { SetStyle(o, fsUnderline, true); return true; }},
    {waBoldOff,         "change",         [](F&, O& o) { SetStyle(o, fsBold, false); return true; }},
    {waItalicOff,       "change",         [](F&, O& o) { SetStyle(o, fsItalic, false); return true; }},
    {waUnderlineOff,    "change",         [](F&, O& o) { SetStyle(o, fsUnderline, false); return true; }},
    {waAlignLeft,       "text alignment", [](F&, O& o) { SetAlignment(o, taLeftJustify); return true; }},
    {waAlignCenter,     "text alignment", [](F&, O& o) { SetAlignment(o, taCenter); return true; }},
    {waAlignRight,      "text alignment", [](F&, O& o) { SetAlignment(o, taRightJustify); return true; }},
    {waLayoutTop,       "text placement", [](F&, O& o) { SetLayout(o, tlTop); return true; }},
    {waLayoutCenter,    "text placement", [](F&, O& o) { SetLayout(o, tlCenter); return true; }},
    {waLayoutBottom,    "text placement", [](F&, O& o) { SetLayout(o, tlBottom); return true; }},
    {waReverseLink,     "change",         [](F&, O& o) { ReverseLink(o); return true; }},
    {waRotateLinkPlus,  "change",         [](F&, O& o) { RotateLink(o, HalfPi); return true; }},
    {waRotateLinkMinus, "change",         [](F&, O& o) { RotateLink(o, -HalfPi); return true; }},
    {waGrowLink,        "change",         [](F&, O& o) { ScaleLink(o, 1.25); return true; }},
    {waShrinkLink,      "change",         [](F&, O& o) { ScaleLink(o, 0.75); return true; }},
};
// clang-format on

constexpr bool RowsInCodeOrder() {
  for (size_t i = 0; i < std::size(WidgetActions); ++i)
    if (WidgetActions[i].Code != static_cast<int32_t>(i)) return false;
  return true;
}
static_assert(RowsInCodeOrder(), "a row of WidgetActions is out of code order");

// The row of `action`, or null for a code that names no action.
const TWidgetActionRow* WidgetActionRow(int32_t action) {
  return action >= 0 && static_cast<size_t>(action) < std::size(WidgetActions) ? &WidgetActions[action]
                                                                               : nullptr;
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

// ---- Widget actions ---------------------------------------------------------------------------

bool TForm1::ApplyWidgetAction(TGraphObject* object, int32_t action) {
  const TWidgetActionRow* row = WidgetActionRow(action);
  return row && row->Apply(*this, *object);
}

void TForm1::VisitSelected(int32_t action) {
  Guarded([&] {
    const TWidgetActionRow* row = WidgetActionRow(action);
    TGraphControl::THistoryStep step(GraphControl1, row ? row->StepName : "change");
    GraphControl1.VisitObjects([this](TGraphObject* o, int32_t a) { return ApplyWidgetAction(o, a); }, action,
                               true);
  });
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

}  // namespace gc::app
