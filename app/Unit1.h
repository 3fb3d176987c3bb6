// The screen designer's main window: a diagram of widgets, the toolbar with
// the file, mode, widget and view commands, and the property panel of the
// widget clicked last.
#pragma once

#include <QMainWindow>
#include <QPushButton>
#include <functional>
#include <string>

#include "GraphControl/GraphControl.h"
#include "app/Unit2.h"

class QCheckBox;
class QFontComboBox;
class QLineEdit;
class QScrollArea;
class QSpinBox;
class QToolButton;

namespace gc::qt {
class TGraphWidget;
}

namespace gc::app {

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

// A button showing a colour; clicking it opens the colour dialog.
class TColorPicker : public QPushButton {
 public:
  explicit TColorPicker(QWidget* parent = nullptr);
  TColor Color() const { return Color_; }
  // Stores the colour and, when it differs, raises OnChange.
  void SetColor(TColor value);
  std::function<void()> OnChange;

 private:
  void Choose();
  TColor Color_ = clBlack;
};

class TForm1 : public QMainWindow {
 public:
  explicit TForm1(IDesignerDialogs& dialogs, QWidget* parent = nullptr);
  ~TForm1() override;

  // The export window shown by "Export screen to XML" (not owned).
  void SetExportWindow(TForm2* form) { Form2_ = form; }

  // Loads fileName as "Open screen" does after its dialog.
  void OpenScreen(const std::string& fileName);

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

  std::string ScreenName;
  int32_t CurrentWidgetIndex = 0;

  TGraphControl GraphControl1;
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

 private:
  void FormCreate();
  void BuildToolbar();
  void BuildPanel();
  void VisitSelected(int32_t action);
  // The widget shown in the panel when exactly one is selected, else null;
  // raises "Index out of range (%d)" when the index designates no widget.
  TGraphObject* PanelWidget();
  void UpdateCaption();
  template <class F>
  void Guarded(F&& body) {
    RunGuarded(Dialogs_, std::forward<F>(body));
  }

  IDesignerDialogs& Dialogs_;
  TForm2* Form2_ = nullptr;
};

}  // namespace gc::app
