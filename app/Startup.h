// The program's start-up and shut-down around its windows: the application's
// title and icon, the Qt platform services (text measuring, cursors, the
// diagram clipboard format) and the diagram library's start-up. The program
// and the designer's tests start the same way.
#pragma once

namespace gc::app {

inline constexpr const char* ApplicationTitle = "Orvane_VizaduRazadivi";

// Lives from just after the QApplication is created until after the last
// window is gone.
class TDesignerStartup {
 public:
  TDesignerStartup();
  ~TDesignerStartup();
  TDesignerStartup(const TDesignerStartup&) = delete;
  TDesignerStartup& operator=(const TDesignerStartup&) = delete;
};

}  // namespace gc::app
