// Saves a canvas's drawing tools (font, pen, brush, copy mode and text flags)
// and puts them back, so painting code can change them freely in between.
#pragma once

#include <cstdint>

#include "GraphControl/DrawingTools.h"

namespace gc {

class TCanvas;

class TCanvasRecall {
 public:
  // Saves the tools of `canvas` at once (nothing without a canvas).
  explicit TCanvasRecall(TCanvas* canvas = nullptr);
  // Restores the saved tools into the canvas still attached.
  ~TCanvasRecall();

  TCanvasRecall(const TCanvasRecall&) = delete;
  TCanvasRecall& operator=(const TCanvasRecall&) = delete;

  TCanvas* Canvas() const { return Canvas_; }
  // Attaching another canvas first gives the old one its tools back, then
  // saves from the new one; attaching the same canvas does nothing.
  void SetCanvas(TCanvas* canvas);

  void Store();
  void Retrieve();

 private:
  TCanvas* Canvas_ = nullptr;
  TFont Font_;
  TPen Pen_;
  TBrush Brush_;
  uint32_t CopyMode_ = 0;
  uint32_t TextFlags_ = 0;
};

}  // namespace gc
