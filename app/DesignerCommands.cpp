#include "app/DesignerCommands.h"

#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QSet>

#include "app/Unit1.h"

namespace gc::app {

namespace {

using K = QKeySequence;
using enum TCommandMenu;
using F = TForm1;

constexpr unsigned Sep = cfSeparatorBefore;
constexpr unsigned Ctx = cfContextMenu;

// The toolbar's check boxes and the View menu's entries show one setting.
void ShowGrid(F& f) {
  f.chGrid->setChecked(f.actShowGrid->isChecked());
  f.btnShGridClick();
}

void SnapToGrid(F& f) {
  f.chSnap->setChecked(f.actSnapToGrid->isChecked());
  f.btnSnapGrClick();
}

// The View menu's entries of the docks show or close them; a dock shown
// comes to the front of the docks it shares a place with.
void ShowDock(QDockWidget* dock, bool show) {
  if (!show) return void(dock->close());
  dock->show();
  dock->raise();
}

const TDesignerCommand Commands[] = {
    // File
    {&F::actNewScreen, mnFile, "&New screen…", "New screen", "new-screen", "Ctrl+N", K::New,
     [](F& f) { f.btnScreenPropClick(); }, cfMayAsk},
    {&F::actOpen, mnFile, "&Open screen…", "Open screen", "open-screen", "Ctrl+O", K::Open,
     [](F& f) { f.btnOpenClick(); }, cfMayAsk},
    {&F::actRecentFiles, mnFile, "&Recent files", "The screens opened or saved last", nullptr, "",
     K::UnknownKey, nullptr, cfSubmenu},
    {&F::actSave, mnFile, "&Save", "Save the screen to its file", nullptr, "Ctrl+S", K::Save,
     [](F& f) { f.SaveScreen(); }, cfMayAsk | Sep},
    {&F::actSaveAs, mnFile, "Save &as…", "Save screen", "save-screen", "Ctrl+Shift+S", K::SaveAs,
     [](F& f) { f.btnSaveClick(); }, cfMayAsk},
    {&F::actScreenProperties, mnFile, "Screen &properties…",
     "The screen's name, size, title and background colour", nullptr, "", K::UnknownKey,
     [](F& f) { f.ScreenPropertiesClick(); }, cfMayAsk | Sep},
    {&F::actExport, mnFile, "&Export to XML…", "Export screen to XML", "export-xml", "Ctrl+E", K::UnknownKey,
     [](F& f) { f.btnExportClick(); }, cfMayAsk},
    {&F::actExit, mnFile, "E&xit", "Exit", "exit", "Ctrl+Q", K::Quit, [](F& f) { f.btnCloseClick(); },
     cfMayAsk | Sep},
    // Edit
    {&F::actUndo, mnEdit, "&Undo", nullptr, "undo", "Ctrl+Z", K::Undo, [](F& f) { f.UndoClick(); }, cfNone},
    {&F::actRedo, mnEdit, "&Redo", nullptr, "redo", "Ctrl+Shift+Z; Ctrl+Y", K::Redo,
     [](F& f) { f.RedoClick(); }, cfNone},
    {&F::actCut, mnEdit, "Cu&t", "Cut the selected widgets", nullptr, "Ctrl+X", K::Cut,
     [](F& f) { f.CutClick(); }, Sep | Ctx},
    {&F::actCopy, mnEdit, "&Copy", "Copy the selected widgets", nullptr, "Ctrl+C", K::Copy,
     [](F& f) { f.CopyClick(); }, Ctx},
    {&F::actPaste, mnEdit, "&Paste", "Paste widgets", nullptr, "Ctrl+V", K::Paste,
     [](F& f) { f.PasteClick(); }, Ctx},
    {&F::actDuplicate, mnEdit, "&Duplicate", "Duplicate the selected widgets", nullptr, "Ctrl+D",
     K::UnknownKey, [](F& f) { f.DuplicateClick(); }, Ctx},
    {&F::actDelete, mnEdit, "De&lete widget", "Delete widget", "delete-widget", "Del", K::Delete,
     [](F& f) { f.btnDelClick(); }, Ctx},
    {&F::actSelectAll, mnEdit, "Select &all", "Select every widget", nullptr, "Ctrl+A", K::SelectAll,
     [](F& f) { f.SelectAllClick(); }, Sep | Ctx},
    {&F::actNewWidget, mnEdit, "New &widget", "New widget", "new-widget", "Ins", K::UnknownKey,
     [](F& f) { f.btnNewClick(); }, Sep | Ctx},
    {&F::actEditMode, mnEdit, "&Edit mode", "Edit mode", "edit-mode", "", K::UnknownKey,
     [](F& f) { f.btnEditClick(); }, cfNone},
    {&F::actPanMode, mnEdit, "Pa&n mode", "Pan mode", "pan-mode", "", K::UnknownKey,
     [](F& f) { f.btnPanClick(); }, cfNone},
    // View
    {&F::actZoomIn, mnView, "Zoom &in", "Zoom IN", "zoom-in", "Ctrl++; Ctrl+=", K::ZoomIn,
     [](F& f) { f.btnZoomPlusClick(); }, cfNone},
    {&F::actZoomOut, mnView, "Zoom &out", "Zoom OUT", "zoom-out", "Ctrl+-", K::ZoomOut,
     [](F& f) { f.btnZoomMinusClick(); }, cfNone},
    {&F::actZoom100, mnView, "&Zoom to 100%", "Zoom to 100%", "zoom-100", "Ctrl+0", K::UnknownKey,
     [](F& f) { f.btnFullViewClick(); }, cfNone},
    {&F::actZoomToScreen, mnView, "Zoom to &screen", "Fit the screen's frame into the drawing area", nullptr,
     "", K::UnknownKey, [](F& f) { f.ZoomToScreenClick(); }, cfMayAsk},
    {&F::actShowGrid, mnView, "Show &grid", "Show Grid", nullptr, "", K::UnknownKey, ShowGrid,
     cfCheckable | Sep},
    {&F::actSnapToGrid, mnView, "S&nap to grid", "Snap to Grid", nullptr, "", K::UnknownKey, SnapToGrid,
     cfCheckable},
    {&F::actSmartGuides, mnView, "Smart g&uides",
     "Dragged widgets snap to the edges and centres of the others and of the screen, and to equal spacing; "
     "hold Alt to drag without them",
     nullptr, "", K::UnknownKey, [](F& f) { f.GraphControl1.SetSmartGuides(f.actSmartGuides->isChecked()); },
     cfCheckable},
    {&F::actShowInspector, mnView, "&Inspector", "Show or hide the inspector", nullptr, "", K::UnknownKey,
     [](F& f) { ShowDock(f.dockInspector, f.actShowInspector->isChecked()); }, cfCheckable | Sep},
    {&F::actShowObjectList, mnView, "O&bject list", "Show or hide the object list", nullptr, "",
     K::UnknownKey, [](F& f) { ShowDock(f.dockObjects, f.actShowObjectList->isChecked()); }, cfCheckable},
    {&F::actShowBindings, mnView, "&Data bindings", "Show or hide the data bindings", nullptr, "",
     K::UnknownKey, [](F& f) { ShowDock(f.dockBindings, f.actShowBindings->isChecked()); }, cfCheckable},
    {&F::actShowOverview, mnView, "O&verview", "Show the whole screen small; click or drag in it to scroll",
     nullptr, "", K::UnknownKey, [](F& f) { ShowDock(f.dockOverview, f.actShowOverview->isChecked()); },
     cfCheckable},
    // Arrange
    {&F::actToFront, mnArrange, "Bring to &front", "Set widget to Front", "to-front", "Ctrl+L", K::UnknownKey,
     [](F& f) { f.btnToFrontClick(); }, Sep | Ctx},
    {&F::actToBack, mnArrange, "Send to &back", "Set widget to back", "to-back", "Ctrl+K", K::UnknownKey,
     [](F& f) { f.btnToBackClick(); }, Ctx},
    {&F::actAlignLeft, mnArrange, "Align &left", "Align the left edges with the first selected widget",
     "align-left", "", K::UnknownKey, [](F& f) { f.AlignClick(gaLeft); }, Sep},
    {&F::actAlignCenter, mnArrange, "Align &centres",
     "Centre the widgets horizontally on the first selected widget", "align-center", "", K::UnknownKey,
     [](F& f) { f.AlignClick(gaCenter); }, cfNone},
    {&F::actAlignRight, mnArrange, "Align &right", "Align the right edges with the first selected widget",
     "align-right", "", K::UnknownKey, [](F& f) { f.AlignClick(gaRight); }, cfNone},
    {&F::actAlignTop, mnArrange, "Align &tops", "Align the top edges with the first selected widget",
     "align-top", "", K::UnknownKey, [](F& f) { f.AlignClick(gaTop); }, cfNone},
    {&F::actAlignMiddle, mnArrange, "Align &middles",
     "Centre the widgets vertically on the first selected widget", "align-middle", "", K::UnknownKey,
     [](F& f) { f.AlignClick(gaMiddle); }, cfNone},
    {&F::actAlignBottom, mnArrange, "Align b&ottoms", "Align the bottom edges with the first selected widget",
     "align-bottom", "", K::UnknownKey, [](F& f) { f.AlignClick(gaBottom); }, cfNone},
    {&F::actDistributeHorizontally, mnArrange, "Distribute &horizontally",
     "Space three or more widgets evenly from left to right", "distribute-horizontal", "", K::UnknownKey,
     [](F& f) { f.DistributeClick(gdHorizontal); }, Sep},
    {&F::actDistributeVertically, mnArrange, "Distribute &vertically",
     "Space three or more widgets evenly from top to bottom", "distribute-vertical", "", K::UnknownKey,
     [](F& f) { f.DistributeClick(gdVertical); }, cfNone},
    {&F::actSameWidth, mnArrange, "Same &width", "Give the widgets the first selected widget's width",
     "same-width", "", K::UnknownKey, [](F& f) { f.SameWidthClick(); }, Sep},
    {&F::actSameHeight, mnArrange, "Same h&eight", "Give the widgets the first selected widget's height",
     "same-height", "", K::UnknownKey, [](F& f) { f.SameHeightClick(); }, cfNone},
    {&F::actArrange, mnArrange, "Arran&ge", "Lay the selected widgets, or all of them, out afresh", nullptr,
     "", K::UnknownKey, [](F& f) { f.ArrangeClick(); }, Sep},
};

}  // namespace

std::span<const TDesignerCommand> DesignerCommands() { return Commands; }

QString CommandName(const TDesignerCommand& command) {
  QString name = QString::fromUtf8(command.Text).remove('&');
  if (name.endsWith(QStringLiteral("…"))) name.chop(1);
  return name;
}

QList<QKeySequence> OwnKeys(const TDesignerCommand& command) {
  QList<QKeySequence> keys = QKeySequence::listFromString(QString::fromUtf8(command.Keys));
  keys.removeAll(QKeySequence());
  return keys;
}

QList<QList<QKeySequence>> CommandKeys() {
  QList<QList<QKeySequence>> keys;
  QSet<QKeySequence> taken;
  for (const TDesignerCommand& command : Commands) {
    keys.append(OwnKeys(command));
    for (const QKeySequence& key : keys.back()) taken.insert(key);
  }
  for (qsizetype i = 0; i < keys.size(); ++i) {
    if (Commands[i].Standard == QKeySequence::UnknownKey) continue;
    for (const QKeySequence& key : QKeySequence::keyBindings(Commands[i].Standard)) {
      if (taken.contains(key)) continue;
      taken.insert(key);
      keys[i].append(key);
    }
  }
  return keys;
}

}  // namespace gc::app
