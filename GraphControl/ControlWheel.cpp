// TGraphControl: the wheel, the pinch and typed keys as a window reports
// them. Every host (a widget, a Qt Quick item, a test) hands over the raw
// turn, scale or key, and the control decides what it does, so that the
// behaviour is the same whatever window shows the diagram.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Numeric.h"

namespace gc {

namespace {

// Zoom factor per wheel notch with Ctrl.
constexpr double WheelZoomFactor = 1.1;

// The zoom nearest to `zoom` * `factor`, kept within the zoom range so that
// a hostile turn cannot overflow it.
int32_t ScaledZoom(int32_t zoom, double factor) {
  const double scaled = std::clamp(zoom * factor, static_cast<double>(MinZoom), static_cast<double>(MaxZoom));
  return static_cast<int32_t>(std::lround(scaled));
}

// Scrolls a bar by whole lines of the turn `delta` plus what the last turns
// left over in `remainder`. A positive turn (the wheel away from the user)
// scrolls up or left.
void ScrollByWheel(TGraphScrollBar& bar, int32_t& remainder, int32_t delta, int32_t linesPerNotch) {
  const int64_t total = int64_t{remainder} + int64_t{delta} * linesPerNotch;
  const int64_t lines = total / TGraphControl::WheelNotch;
  remainder = static_cast<int32_t>(total - lines * TGraphControl::WheelNotch);
  if (lines == 0) return;
  const int64_t moved = std::clamp<int64_t>(lines, -INT32_MAX, INT32_MAX) * bar.Increment();
  bar.SetPosition(SaturateToInt32(int64_t{bar.Position()} - moved));
}

}  // namespace

// ---- Wheel ------------------------------------------------------------------------------------

void TGraphControl::MouseWheel(TShiftState shift, TPoint angle, TPoint pixels, TPoint mousePos) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  const int32_t turn = angle.Y != 0 ? angle.Y : angle.X;
  if (turn != 0) {
    bool handled = false;
    if (turn > 0)
      DoMouseWheelUp(shift, mousePos, handled);
    else
      DoMouseWheelDown(shift, mousePos, handled);
    if (handled) return;
  }
  const bool sideways = (shift & ssShift) != 0;
  if (shift & ssCtrl) {
    ZoomByWheel(angle.Y, mousePos);
  } else if (pixels != TPoint{}) {
    // Touchpads report the distance to scroll in pixels.
    if (sideways) {
      HorzScrollBar_.SetPosition(
          SaturatingSub(HorzScrollBar_.Position(), pixels.Y != 0 ? pixels.Y : pixels.X));
    } else {
      VertScrollBar_.SetPosition(SaturatingSub(VertScrollBar_.Position(), pixels.Y));
      HorzScrollBar_.SetPosition(SaturatingSub(HorzScrollBar_.Position(), pixels.X));
    }
  } else if (sideways) {
    ScrollByWheel(HorzScrollBar_, S_->WheelRemainder.X, turn, WheelScrollLines_);
  } else {
    ScrollByWheel(VertScrollBar_, S_->WheelRemainder.Y, angle.Y, WheelScrollLines_);
    ScrollByWheel(HorzScrollBar_, S_->WheelRemainder.X, angle.X, WheelScrollLines_);
  }
}

// About 10 % a notch, in proportion for finer wheels; at least one step, so
// small turns still zoom.
void TGraphControl::ZoomByWheel(int32_t turn, TPoint mousePos) {
  if (turn == 0) return;
  const double factor = std::pow(WheelZoomFactor, static_cast<double>(turn) / WheelNotch);
  int32_t zoomed = ScaledZoom(Zoom_, factor);
  if (zoomed == Zoom_) zoomed += turn > 0 ? 1 : -1;
  ZoomAt(zoomed, mousePos);
}

// ---- Pinch ------------------------------------------------------------------------------------

void TGraphControl::Pinch(double scaleDelta, TPoint centre) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  if (!std::isfinite(scaleDelta)) return;
  ZoomAt(ScaledZoom(Zoom_, 1.0 + scaleDelta), centre);
}

// ---- Typed keys ---------------------------------------------------------------------------------

bool TGraphControl::KeyPressed(uint16_t key, TShiftState shift, const std::u32string& text) {
  return KeyMapped(key, shift) || KeyTyped(key, shift, text);
}

// A key map that zeroes the key has consumed it.
bool TGraphControl::KeyMapped(uint16_t& key, TShiftState shift) {
  if (key == 0) return false;
  return KeyDown(key, shift) || key == 0;
}

bool TGraphControl::KeyTyped(uint16_t key, TShiftState shift, const std::u32string& text) {
  TDeletionGuard keep(*this, TDeletionGuard::Entry);
  if (key != 0) {
    DoKeyDown(key, shift);
    if (key == 0) return true;
  }
  bool consumed = false;
  for (const char32_t typed : text) {
    if (typed < 0x20 || typed == 0x7F) continue;  // control characters type nothing
    char32_t ch = typed;
    DoKeyPress(ch);
    consumed |= ch == 0;
  }
  return consumed;
}

}  // namespace gc
