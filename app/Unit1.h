// The screen designer's main window: a diagram of widgets, the toolbar with
// the file, mode, widget and view commands, their keyboard shortcuts, and the
// property panel of the widget clicked last.
//
// Its parts by file: Unit1.cpp (construction, commands, widget actions,
// diagram events), DesignerBuild.cpp (menus, toolbar, panel and edit bar),
// DesignerPanel.cpp (the panel's fields), DesignerFiles.cpp (screen files,
// caption, recovery copies), DesignerDocks.cpp (docks and daily work).
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "app/DesignerDialogs.h"
#include "app/DesignerGraph.h"
#include "app/RecentFiles.h"

class QAction;
class QDockWidget;
class QCheckBox;
class QFontComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QToolBar;
class QTimer;
class QToolButton;

namespace gc {
class TMemoryStream;
}

namespace gc::qt {
class TGraphWidget;
}

namespace gc::app {

class TForm2;
class TBindingTable;
class TColorPicker;
class TPropertyEditor;
class TObjectList;
class TScreenRecovery;

// Codes of ApplyWidgetAction, passed as VisitObjects' user data.
enum TWidgetAction : int32_t {
  waDelete = 0,
  waSelect = 1,
  waToggleSelect = 2,
  waSendToBack = 3,
  waBringToFront = 4,
  waMakeSelectable = 5,
  waApplyFontName = 6,
  waApplyFontSize = 7,
  waBoldOn = 8,
  waItalicOn = 9,
  waUnderlineOn = 10,
  waBoldOff = 11,
  waItalicOff = 12,
  waUnderlineOff = 13,
  waAlignLeft = 14,
  waAlignCenter = 15,
  waAlignRight = 16,
  waLayoutTop = 17,
  waLayoutCenter = 18,
  waLayoutBottom = 19,
  waReverseLink = 20,
  waRotateLinkPlus = 21,
  waRotateLinkMinus = 22,
  waGrowLink = 23,
  waShrinkLink = 24,
};

// The font sizes the panel accepts, in points.
inline constexpr int MinFontSize = 1;
inline constexpr int MaxFontSize = 500;

class TForm1 : public QMainWindow {
 public:
  explicit TForm1(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TForm1() override;

  // The export window shown by "Export screen to XML" (not owned).
  void SetExportWindow(TForm2* form) { Form2_ = form; }

  // Loads fileName as "Open screen" does after its dialog: only a file that
  // reads completely replaces the screen. True when it did.
  bool OpenScreen(const std::string& fileName);
  // Saves to the file the screen was opened from or last saved to; asks for
  // a name when there is none. True when the screen was saved.
  bool SaveScreen();
  // The file the screen was opened from or last saved to ("" for none).
  const std::string& FileName() const { return FileName_; }

  // Keeps a recovery copy of the screen in `folder` (see ScreenRecovery.h)
  // from now on: within RecoveryTimer's interval after a change, removed
  // when the screen is saved, replaced or closed.
  void KeepRecoveryIn(const QString& folder);
  TScreenRecovery* Recovery() const { return Recovery_.get(); }
  // Writes the copy now (when the screen has unsaved changes) or removes it.
  void KeepRecoveryCopy();
  // Offers the copies that designers left when they ended without saving:
  // those of `fileName` (as given on the command line), or any with "".
  // "Restore" shows the screen as it was, unsaved, under its file's name.
  void OfferRecovery(const std::string& fileName);
  QTimer* RecoveryTimer = nullptr;

  bool ApplyWidgetAction(TGraphObject* object, int32_t action);

  // Toolbar commands.
  void btnScreenPropClick();
  void btnOpenClick();
  void btnSaveClick();
  void btnExportClick();
  void btnCloseClick();
  void btnEditClick();
  void btnPanClick();
  void btnNewClick();
  void btnDelClick();
  void btnToFrontClick();
  void btnToBackClick();
  void btnZoomPlusClick();
  void btnZoomMinusClick();
  void btnFullViewClick();
  void btnShGridClick();
  void btnSnapGrClick();
  // Selects every widget (keyboard only).
  void SelectAllClick();

  // Editing commands. Inside a focused edit field of the panel, undo, redo,
  // cut, copy and paste act on the field and duplicate does nothing.
  void UndoClick();
  void RedoClick();
  void CutClick();
  void CopyClick();
  void PasteClick();
  void DuplicateClick();
  void AlignClick(TGraphAlignment alignment);
  void DistributeClick(TGraphDistribution direction);
  void SameWidthClick();
  void SameHeightClick();
  // Lays the selected widgets (or all, when fewer than two are selected)
  // out afresh with the automatic layout, as one step.
  void ArrangeClick();

  // Property panel commands.
  void edTextChange();
  void edHinterChange();
  void edVorderChange();
  void edSchriftChange();
  void edFontSizeChange();
  void valignTopClick();
  void valignCentegClick();
  void valignBottomClick();
  void halignLeftClick();
  void halignCenterClick();
  void halignRightClick();
  void btnPixmapClick();

  // Diagram events.
  void GraphControl1ObjectClick(TGraphControl* graph, TGraphObject* object);
  void GraphControl1ObjectChange(TGraphControl* graph, TGraphObject* object);
  void GraphControl1ObjectRemove(TGraphControl* graph, TGraphObject* object);
  void GraphControl1GraphChange(TGraphControl* graph);
  void GraphControl1HistoryChange(TGraphControl* graph);
  void GraphControl1ZoomChange(TGraphControl* graph);

  // The widget the panel shows and edits, or null.
  TGraphObject* ShownWidget() const { return ShownWidget_; }
  // Its index in Objects, or -1 when the panel shows none.
  int32_t CurrentWidgetIndex() const;

  std::string ScreenName;

  TDesignerGraph GraphControl1;
  qt::TGraphWidget* GraphWidget = nullptr;

  QToolButton *btnScreenProp = nullptr, *btnOpen = nullptr, *btnSave = nullptr, *btnExport = nullptr,
              *btnClose = nullptr, *btnEdit = nullptr, *btnPan = nullptr, *btnNew = nullptr,
              *btnDel = nullptr, *btnToFront = nullptr, *btnToBack = nullptr, *btnZoomPlus = nullptr,
              *btnZoomMinus = nullptr, *btnFullView = nullptr;
  QCheckBox *chGrid = nullptr, *chSnap = nullptr;

  QScrollArea* sbElementProp = nullptr;
  QLineEdit* edText = nullptr;
  QSpinBox *edPosX = nullptr, *edPosY = nullptr, *edBreite = nullptr, *edHoehe = nullptr,
           *edFontSize = nullptr, *edZPosition = nullptr;
  TColorPicker *edHinter = nullptr, *edVorder = nullptr;
  QFontComboBox* edSchrift = nullptr;
  QToolButton *valignTop = nullptr, *valignCenteg = nullptr, *valignBottom = nullptr, *halignLeft = nullptr,
              *halignCenter = nullptr, *halignRight = nullptr;
  QPushButton* btnPixmap = nullptr;

  // The commands (DesignerCommands.h): the menu bar's entries, the actions
  // behind the toolbar buttons above, and the keyboard shortcuts.
  QAction *actNewScreen = nullptr, *actOpen = nullptr, *actRecentFiles = nullptr, *actSave = nullptr,
          *actSaveAs = nullptr, *actScreenProperties = nullptr, *actExport = nullptr, *actExit = nullptr;
  QAction *actUndo = nullptr, *actRedo = nullptr, *actCut = nullptr, *actCopy = nullptr, *actPaste = nullptr,
          *actDuplicate = nullptr, *actDelete = nullptr, *actSelectAll = nullptr, *actNewWidget = nullptr,
          *actEditMode = nullptr, *actPanMode = nullptr;
  QAction *actZoomIn = nullptr, *actZoomOut = nullptr, *actZoom100 = nullptr, *actZoomToScreen = nullptr,
          *actShowGrid = nullptr, *actSnapToGrid = nullptr, *actSmartGuides = nullptr,
          *actShowInspector = nullptr, *actShowObjectList = nullptr, *actShowBindings = nullptr,
          *actShowOverview = nullptr;
  QAction *actToFront = nullptr, *actToBack = nullptr, *actAlignLeft = nullptr, *actAlignCenter = nullptr,
          *actAlignRight = nullptr, *actAlignTop = nullptr, *actAlignMiddle = nullptr,
          *actAlignBottom = nullptr, *actDistributeHorizontally = nullptr, *actDistributeVertically = nullptr,
          *actSameWidth = nullptr, *actSameHeight = nullptr, *actArrange = nullptr;
  // The menu bar's menus, in its order, and the drawing area's context menu.
  QMenu *menuFile = nullptr, *menuEdit = nullptr, *menuView = nullptr, *menuArrange = nullptr;
  QMenu* ContextMenu = nullptr;
  // Undo, redo and the arrangement commands as toolbar buttons, after the
  // specified ones; the zoom percentage shows at the toolbar's right end.
  QToolBar* EditBar = nullptr;
  QLabel* lblZoom = nullptr;

  // ==== Daily work (DesignerDocks.cpp) =======================================================
  // Docks beside the drawing area (the window grows by their width, so the
  // specified toolbar, drawing area and panel keep theirs), the screen's
  // properties and frame, smart guides, recent files and the file's path in
  // the status bar. The View menu shows and hides the docks.
  QDockWidget *dockInspector = nullptr, *dockObjects = nullptr, *dockBindings = nullptr,
              *dockOverview = nullptr;
  TPropertyEditor* Inspector = nullptr;
  TObjectList* ObjectList = nullptr;
  TBindingTable* BindingTable = nullptr;
  // The submenu of "Recent files".
  QMenu* mnuRecent = nullptr;
  QLabel* lblFilePath = nullptr;
  TRecentFiles RecentFiles;
  // "Screen properties…": the dialog, then the properties as one step.
  void ScreenPropertiesClick();
  // "Zoom to screen": the screen's frame fills the drawing area.
  void ZoomToScreenClick();
  // Opens a file of the Recent files menu, as "Open screen" would.
  void OpenRecentFile(const QString& fileName);

 protected:
  // Closing asks about unsaved changes first.
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormCreate();
  void BuildCommands();
  void BuildToolbar();
  void BuildPanel();
  void BuildEditBar();
  void VisitSelected(int32_t action);
  // The panel shows the widget again after undo or redo, without writing
  // anything back: the one selected widget, or the shown one while it exists.
  void RefreshPanel();
  void UpdateEditCommands();
  // The shown widget when exactly one widget is selected, else null.
  TGraphObject* PanelWidget() const;
  // Fills the panel from `widget`, or empties and disables it for null.
  void ShowWidget(TGraphObject* widget);
  // Position, size and z-position of the shown widget.
  void ShowPlacement();
  // The caption names the program, then the screen and whether it is saved.
  static constexpr const char* MainCaption = "Orvane Vizadu-Razadivi";
  void UpdateCaption();
  // True when the screen may be replaced or closed: nothing is unsaved, or
  // the user saved or discarded it.
  bool ConfirmDiscardChanges();
  bool SaveScreenTo(const std::string& fileName);
  void NameScreenAfter(const std::string& fileName);
  bool SaveScreenAs();
  void LinkPixmap(TGraphNode* node);
  // Keeps the panel's lower row clear of its scroll bar in a narrow window.
  void FitPanel();
  void BuildDesignerDocks();
  void DetachDesignerDocks();
  // After the caption: the path in the status bar, the recent files, and the
  // custom data a loaded or pasted screen holds that the designer does not
  // understand.
  void ShowFileState();
  void FillRecentMenu();
  // The answers the export window was asked to keep, given to the widgets.
  void KeepExportAnswers();
  std::string ShownFile_;
  template <class F>
  bool Guarded(F&& body) {
    return RunGuarded(Dialogs_, std::forward<F>(body));
  }

  IDesignerDialogs& Dialogs_;
  TForm2* Form2_ = nullptr;
  TGraphObject* ShownWidget_ = nullptr;
  std::string FileName_;
  // Whether a screen was created or opened: the caption then shows its name.
  bool Named_ = false;
  void ScheduleRecoveryCopy();
  void RemoveRecoveryCopy();
  // Shows the screen of a recovery copy read whole into `bytes`, unsaved,
  // under the file and screen name the copy was kept for.
  bool Restore(TMemoryStream& bytes, const std::string& fileName, const std::string& screenName, bool named);

  std::unique_ptr<TScreenRecovery> Recovery_;
  QWidget* Panel_ = nullptr;
  QMetaObject::Connection FocusWatch_;
  // Merge keys of the panel's edits: the letters of one word typed into the
  // text field are one step, and so are the digits of one font size.
  int32_t NextMergeKey_ = 1;
  int32_t TextMergeKey_ = 0;
  int32_t SizeMergeKey_ = 0;
  bool WordEnded_ = false;
};

}  // namespace gc::app
