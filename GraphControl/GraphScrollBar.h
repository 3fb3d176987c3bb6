// The settings and state of one of the control's two scroll bars: the
// scrollable range derived from the diagram's extent and the zoom, the scroll
// position, and how the bar is pushed to the host window. Without a host the
// bar only keeps its values.
#pragma once

#include <cstdint>
#include <functional>

#include "GraphControl/Types.h"
#include "platform/HostWindow.h"

namespace gc {

class TGraphControl;

// Notifications of a window's scroll bar.
enum class TScrollCode : uint8_t {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,  // the thumb was released at a position
  scTrack,     // the thumb is being dragged
  scTop,
  scBottom,
  scEndScroll,
};

// The time source and the pause between the steps of smooth scrolling.
struct TScrollClock {
  std::function<int64_t()> TickCount;  // milliseconds
  std::function<void(int32_t milliseconds)> Sleep;
};
// Installs the clock every scroll bar uses and returns the previous one. Empty
// members stand for the system's steady clock and sleep.
TScrollClock SetScrollClock(TScrollClock clock);

class TGraphScrollBar {
 public:
  TGraphScrollBar(TGraphControl* control, TScrollBarKind kind);

  TGraphScrollBar(const TGraphScrollBar&) = delete;
  TGraphScrollBar& operator=(const TGraphScrollBar&) = delete;

  TGraphControl* Control() const { return Control_; }
  TScrollBarKind Kind() const { return Kind_; }

  // Scroll position in pixels, clamped to 0..MaxPosition; a change scrolls
  // the content by the difference.
  int32_t Position() const { return Position_; }
  void SetPosition(int32_t value);
  // Scrollable extent in zoomed pixels. The setter takes graph units and
  // scales them by the zoom (MulDiv(value, Zoom, 100); 0 for value <= 0).
  int32_t Range() const { return Range_; }
  void SetRange(int32_t graphUnits);
  int32_t MaxPosition() const { return MaxPosition_; }

  int32_t Increment() const { return Increment_; }
  void SetIncrement(int32_t value) { Increment_ = value; }
  int32_t PageIncrement() const { return PageIncrement_; }
  int32_t Margin() const { return Margin_; }
  void SetMargin(int32_t value) { Margin_ = value; }
  bool Visible() const { return Visible_; }
  void SetVisible(bool value);
  bool Tracking() const { return Tracking_; }
  void SetTracking(bool value) { Tracking_ = value; }
  bool Smooth() const { return Smooth_; }
  void SetSmooth(bool value) { Smooth_ = value; }
  int32_t Delay() const { return Delay_; }
  void SetDelay(int32_t value) { Delay_ = value; }
  int32_t ButtonSize() const { return ButtonSize_; }
  void SetButtonSize(int32_t value);
  TColor Color() const { return Color_; }
  void SetColor(TColor value);
  bool ParentColor() const { return ParentColor_; }
  void SetParentColor(bool value);
  int32_t Size() const { return Size_; }
  void SetSize(int32_t value);
  TScrollBarStyle Style() const { return Style_; }
  void SetStyle(TScrollBarStyle value);
  int32_t ThumbSize() const { return ThumbSize_; }
  void SetThumbSize(int32_t value);
  // Number of smooth steps of a page and of a line scroll (at least 1).
  int32_t PageDiv() const { return PageDiv_; }
  void SetPageDiv(int32_t value) { PageDiv_ = value; }
  int32_t LineDiv() const { return LineDiv_; }
  void SetLineDiv(int32_t value) { LineDiv_ = value; }
  bool UpdateNeeded() const { return UpdateNeeded_; }

  // Copies the settings of another bar.
  void Assign(const TGraphScrollBar& source);

  // Recomputes Range from the diagram (or the constraints when the control
  // uses fixed scroll bars), the rubber band and Margin.
  void ComputeRange();
  // Visible and the host window currently shows this bar; false without a host.
  bool IsShown() const;
  // The client length along the bar, adjusted for the other bar that is or
  // may be shown. 0 without a host.
  int32_t ClientExtent(bool controlSB, bool assumeSB) const;
  bool NeedsBar() const { return ClientExtent(false, false) < Range_; }
  // Recomputes MaxPosition and PageIncrement and pushes range, page, position
  // and appearance to the host's bar.
  void ApplyToWindow(bool controlSB, bool assumeSB);
  // Scrolls for a notification of the host's bar, then invalidates the
  // control. `position` is the thumb position the notification carries. With
  // Smooth, line and page scrolls move in LineDiv or PageDiv steps at least
  // Delay milliseconds apart, painting after each. False, with nothing done,
  // when the bar is not Visible.
  bool HandleScrollMessage(TScrollCode code, int32_t position);

 private:
  IGraphHost* Host() const;
  TScrollBarKind OtherKind() const;
  void AppearanceChanged();
  // Sets a size that uses 0 for "system default": the default metric is
  // applied to the window, then 0 is stored again.
  void SetMetricSize(int32_t& field, int32_t value, TSystemMetric defaultMetric);
  void ScrollContentBy(int32_t delta);
  void ScrollBy(int64_t delta);
  // Moves by `distance` (signed) in `steps` paced steps, then by the rest.
  void SmoothScroll(int32_t distance, int32_t steps);
  // The thumb position of a notification: beyond the notification's 16-bit
  // range the host's 32-bit track position.
  int32_t ThumbPosition(int32_t position) const;

  TGraphControl* Control_;
  int32_t Increment_ = 8;
  int32_t PageIncrement_ = 80;
  int32_t Position_ = 0;
  int32_t Range_ = 0;
  int32_t MaxPosition_ = 0;
  TScrollBarKind Kind_;
  int32_t Margin_ = 0;
  bool Visible_ = true;
  bool Tracking_ = false;
  bool Smooth_ = false;
  int32_t Delay_ = 10;
  int32_t ButtonSize_ = 0;
  TColor Color_ = clBtnHighlight;
  bool ParentColor_ = true;
  int32_t Size_ = 0;
  TScrollBarStyle Style_ = TScrollBarStyle::ssRegular;
  int32_t ThumbSize_ = 0;
  int32_t PageDiv_ = 12;
  int32_t LineDiv_ = 4;
  bool UpdateNeeded_ = true;
};

}  // namespace gc
