// What the diagram control asks of the window that hosts it. A control without
// a host behaves as a control without a window: invalidation does nothing and
// scrolling only updates positions. All coordinates here are client pixels.
#pragma once

#include <cstdint>
#include <string>

#include "GraphControl/Types.h"

namespace gc {

enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };
enum class TScrollBarStyle : uint8_t { ssRegular, ssFlat, ssHotTrack };

// System metrics the control reads.
enum class TSystemMetric : uint8_t {
  CxVScroll,  // width of a vertical scroll bar
  CyHScroll,  // height of a horizontal scroll bar
  CxHScroll,  // width of a horizontal scroll bar's arrow button
  CyVScroll,  // height of a vertical scroll bar's arrow button
  CxScreen,
  CyScreen,
};

struct TScrollInfo {
  int32_t Min = 0;
  int32_t Max = 0;
  int32_t Page = 0;
  int32_t Position = 0;
};

struct TScrollBarAppearance {
  TScrollBarStyle Style = TScrollBarStyle::ssRegular;
  int32_t ButtonSize = 0;  // 0: system default
  int32_t ThumbSize = 0;   // 0: system default
  int32_t Size = 0;        // thickness; 0: system default
  TColor Color = 0;        // background as RGB
};

class TGraphControl;

// The control's events as its host hears of them, beside the program's own
// On... handlers (so a Qt host can turn them into signals). `objectID` is the
// object's identifier for the object events and 0 for the others.
enum class TControlEvent : uint8_t {
  ObjectInserted,
  ObjectRemoved,
  ObjectChanged,
  ObjectClicked,
  ObjectDoubleClicked,
  // Once per change of the selection: a call, a click or a key that selects
  // and deselects several objects reports it once, when it returns.
  SelectionChanged,
  GraphChanged,
  ModifiedChanged,
  HistoryChanged,
  ZoomChanged,
  CommandModeChanged,
};

// A control has at most one host at a time (TGraphControl::SetHost). Either
// may be destroyed first: a host detaches itself in its destructor, and a
// control that goes first tells its host through ControlDestroyed.
class IGraphHost {
 public:
  virtual ~IGraphHost() = default;

  // The control this host shows is being destroyed: forget it. Called once,
  // at the start of the control's destructor, after the control has stopped
  // calling the host.
  virtual void ControlDestroyed(TGraphControl* control) = 0;
  // One of the control's events, after the program's handler ran.
  virtual void ControlEvent(TControlEvent /*event*/, uint32_t /*objectID*/) {}

  // Repaint requests.
  virtual void InvalidateRect(const TRect& clientRect) = 0;
  virtual void InvalidateAll() = 0;
  // Paints the pending invalid area now.
  virtual void PaintNow() = 0;
  // Moves the window content by (dx, dy) and repaints what was uncovered.
  virtual void ScrollContent(int32_t dx, int32_t dy) = 0;

  virtual TSize ClientSize() const = 0;
  virtual bool HasBorder() const = 0;

  // Focus and mouse.
  virtual bool Focused() const = 0;
  virtual void SetFocus() = 0;
  virtual bool MouseCaptured() const = 0;
  virtual TPoint CursorPos() const = 0;  // the mouse pointer in client pixels
  virtual void SetCursorPos(TPoint clientPoint) = 0;
  // The application-wide screen cursor override.
  virtual void SetScreenCursor(TCursor cursor) = 0;
  virtual void CancelToolTip() = 0;
  // Shows a popup menu at a client position; `menu` is the opaque menu the
  // application assigned to the control.
  virtual void PopupMenu(void* menu, TPoint clientPoint) = 0;

  // Scroll bars of the window.
  virtual bool ScrollBarShown(TScrollBarKind kind) const = 0;
  virtual void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) = 0;
  virtual int32_t ScrollPos(TScrollBarKind kind) const = 0;
  virtual void SetScrollPos(TScrollBarKind kind, int32_t position) = 0;
  // The 32-bit thumb position while it is dragged; false when unavailable.
  virtual bool TrackPos(TScrollBarKind kind, int32_t& position) const = 0;
  virtual void SetScrollBarAppearance(TScrollBarKind kind, const TScrollBarAppearance& appearance) = 0;

  virtual int32_t SystemMetric(TSystemMetric metric) const = 0;
};

}  // namespace gc
