#include "GraphControl/CanvasRecall.h"

#include "platform/Canvas.h"

namespace gc {

TCanvasRecall::TCanvasRecall(TCanvas* canvas) : Canvas_(canvas) { Store(); }

TCanvasRecall::~TCanvasRecall() { Retrieve(); }

void TCanvasRecall::SetCanvas(TCanvas* canvas) {
  if (canvas == Canvas_) return;
  Retrieve();
  Canvas_ = canvas;
  Store();
}

void TCanvasRecall::Store() {
  if (!Canvas_) return;
  Font_.Assign(Canvas_->Font());
  Pen_.Assign(Canvas_->Pen());
  Brush_.Assign(Canvas_->Brush());
  CopyMode_ = Canvas_->CopyMode();
  TextFlags_ = Canvas_->TextFlags();
}

void TCanvasRecall::Retrieve() {
  if (!Canvas_) return;
  Canvas_->Font().Assign(Font_);
  Canvas_->Pen().Assign(Pen_);
  Canvas_->Brush().Assign(Brush_);
  Canvas_->SetCopyMode(CopyMode_);
  Canvas_->SetTextFlags(TextFlags_);
}

}  // namespace gc
