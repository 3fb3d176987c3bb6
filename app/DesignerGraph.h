// The main window's diagram control: a TGraphControl that can also write a
// copy of the screen that does not count as saving it, and mark a screen
// brought back from a recovery copy as modified.
#pragma once

#include <string>

#include "GraphControl/Control.h"

namespace gc::app {

class TDesignerGraph : public TGraphControl {
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
};

}  // namespace gc::app
