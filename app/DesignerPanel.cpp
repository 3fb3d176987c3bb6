// The property panel: it shows the widget clicked last and writes what is
// typed or picked in its fields to that widget, each edit a step of the
// history.
#include <QFontComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cctype>

#include "GraphControl/GraphNode.h"
#include "GraphControl/Picture.h"
#include "app/ColorPicker.h"
#include "app/Unit1.h"
#include "app/WidgetPicture.h"

namespace gc::app {

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

void TForm1::RefreshPanel() {
  TGraphObject* widget = nullptr;
  if (GraphControl1.CountSelected() == 1)
    widget = GraphControl1.SelectedObjects()[0];
  else if (ShownWidget_ && GraphControl1.HoldsObject(ShownWidget_))
    widget = ShownWidget_;
  const QSignalBlocker text(edText), size(edFontSize), z(edZPosition), font(edSchrift);
  ShowWidget(widget);
}

}  // namespace gc::app
