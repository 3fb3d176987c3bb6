// The main window's diagram control: a screen (TScreenGraph) that shows the
// screen's frame, guides drags by it, can write a copy of the screen that
// does not count as saving it, and mark a screen brought back from a
// recovery copy as modified.
#pragma once

#include <optional>
#include <string>

#include "app/ScreenGraph.h"

namespace gc::app {

class TDesignerGraph : public TScreenGraph {
 public:
  // Saves the diagram to fileName and leaves Modified as it was: the
  // workspace file of the XML export is not where the user keeps the screen.
  void SaveCopyToFile(const std::string& fileName) {
    const bool modified = Modified();
    SaveToFile(fileName);
    SetModified(modified);
  }
  void SaveCopyToStream(TStream& stream) {
    const bool modified = Modified();
    SaveToStream(stream);
    SetModified(modified);
  }
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
