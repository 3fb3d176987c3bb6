// The main window's diagram control: a screen (TScreenGraph) that shows the
// screen's frame, guides drags by it, and marks a screen brought back from a
// recovery copy as modified.
#pragma once

#include <optional>
#include <string>

#include "app/ScreenGraph.h"

namespace gc::app {

class TDesignerGraph : public TScreenGraph {
 public:
  using TGraphControl::SetModified;

  // With a screen size set: the screen's background inside its frame under
  // the grid and the widgets, then what lies outside the frame dimmed and the
  // frame's edge.
  void Paint(TCanvas& canvas) override;

 protected:
  void DoGraphChange() override;
  void DoObjectInsert(TGraphObject* object) override;
  void DoObjectRemove(TGraphObject* object) override;

 private:
  // The frame and the guides follow the screen's size; a changed frame or
  // background repaints the drawing area.
  void FollowScreen();
  TRect Frame_;
  std::optional<TColor> Background_;
};

}  // namespace gc::app
