#include "GraphControl/GraphScrollBar.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "GraphControl/Control.h"
#include "GraphControl/Numeric.h"

namespace gc {

namespace {

TScrollClock& CurrentScrollClock() {
  static TScrollClock clock;
  return clock;
}

int64_t TickCount() {
  if (const TScrollClock& clock = CurrentScrollClock(); clock.TickCount) return clock.TickCount();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

void Sleep(int32_t milliseconds) {
  if (const TScrollClock& clock = CurrentScrollClock(); clock.Sleep)
    clock.Sleep(milliseconds);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Largest position a scroll notification carries itself.
constexpr int32_t MaxNotifiedPosition = 32767;

}  // namespace

TScrollClock SetScrollClock(TScrollClock clock) {
  TScrollClock previous = std::move(CurrentScrollClock());
  CurrentScrollClock() = std::move(clock);
  return previous;
}

TGraphScrollBar::TGraphScrollBar(TGraphControl* control, TScrollBarKind kind)
    : Control_(control), Kind_(kind) {}

IGraphHost* TGraphScrollBar::Host() const { return Control_ ? Control_->Host() : nullptr; }

TScrollBarKind TGraphScrollBar::OtherKind() const {
  return Kind_ == TScrollBarKind::sbHorizontal ? TScrollBarKind::sbVertical : TScrollBarKind::sbHorizontal;
}

void TGraphScrollBar::SetPosition(int32_t value) {
  value = std::clamp(value, 0, std::max(MaxPosition_, 0));
  if (value != Position_) {
    const int32_t old = Position_;
    Position_ = value;
    ScrollContentBy(old - value);
  }
  if (IGraphHost* host = Host(); host && host->ScrollPos(Kind_) != Position_)
    host->SetScrollPos(Kind_, Position_);
}

void TGraphScrollBar::ScrollContentBy(int32_t delta) {
  IGraphHost* host = Host();
  if (!host) return;
  if (Kind_ == TScrollBarKind::sbHorizontal)
    host->ScrollContent(delta, 0);
  else
    host->ScrollContent(0, delta);
}

void TGraphScrollBar::SetRange(int32_t graphUnits) {
  const int32_t zoom = Control_ ? Control_->Zoom() : 100;
  const int32_t range = graphUnits > 0 ? MulDiv(graphUnits, zoom, 100) : 0;
  if (range == Range_) return;
  Range_ = range;
  if (Control_) Control_->UpdateScrollBarsVisibility();
}

void TGraphScrollBar::ComputeRange() {
  if (!Control_) return;
  const bool horizontal = Kind_ == TScrollBarKind::sbHorizontal;
  int32_t extent;
  if (Control_->FixedScrollBars()) {
    const TGraphConstraints& constraints = Control_->GraphConstraints();
    extent = horizontal ? constraints.MaxRight() : constraints.MaxBottom();
  } else {
    extent = 1;
    if (Control_->SelectionRectVisible()) {
      const TRect& band = Control_->SelectionRect();
      extent = std::max(extent, horizontal ? band.Right : band.Bottom);
    }
    const TRect all = Control_->AllExtent();
    extent = std::max(extent, horizontal ? all.Right : all.Bottom);
  }
  // Objects paint the pixels of their right and bottom edges (a node of
  // bounds 0..100 covers 101 pixels): the range runs to the pixel at the
  // extent, so at the largest position the last row and column still show.
  // Child controls are the host's business; a headless control has none.
  SetRange(static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(extent) + 1 + Margin_, INT32_MAX)));
}

bool TGraphScrollBar::IsShown() const {
  IGraphHost* host = Host();
  return Visible_ && host && host->ScrollBarShown(Kind_);
}

int32_t TGraphScrollBar::ClientExtent(bool controlSB, bool assumeSB) const {
  IGraphHost* host = Host();
  if (!host) return 0;
  const int32_t border = host->HasBorder() ? 1 : 0;
  const TSize client = host->ClientSize();
  const bool horizontal = Kind_ == TScrollBarKind::sbHorizontal;
  const int32_t length = horizontal ? client.cx : client.cy;
  if (controlSB) return length;
  const int32_t metric = host->SystemMetric(horizontal ? TSystemMetric::CyVScroll : TSystemMetric::CxHScroll);
  const bool otherShown = host->ScrollBarShown(OtherKind());
  if (assumeSB && !otherShown) return length - (metric - border);
  if (!assumeSB && otherShown) return length + (metric - border);
  return length;
}

void TGraphScrollBar::ApplyToWindow(bool controlSB, bool assumeSB) {
  IGraphHost* host = Host();
  const int32_t client = ClientExtent(controlSB, assumeSB);
  MaxPosition_ = Visible_ ? std::max(0, Range_ - client) : 0;
  if (host) {
    // Named system colours are resolved by the host when it applies the colour.
    host->SetScrollBarAppearance(Kind_, TScrollBarAppearance{Style_, ButtonSize_, ThumbSize_, Size_, Color_});
    UpdateNeeded_ = false;
    host->SetScrollInfo(Kind_, TScrollInfo{0, MaxPosition_ >= 1 ? Range_ : 0, client + 1, Position_});
  }
  SetPosition(Position_);
  PageIncrement_ = ClientExtent(true, false) * 9 / 10;
  if (Smooth_) Increment_ = PageIncrement_ / 10;
}

// ---- Scroll notifications ----------------------------------------------------------

bool TGraphScrollBar::HandleScrollMessage(TScrollCode code, int32_t position) {
  if (!Visible_) return false;
  const bool up = code == TScrollCode::scLineUp || code == TScrollCode::scPageUp;
  const bool line = code == TScrollCode::scLineUp || code == TScrollCode::scLineDown;
  const bool page = code == TScrollCode::scPageUp || code == TScrollCode::scPageDown;
  if (Smooth_ && (line || page)) {
    const int32_t distance = line ? Increment_ : PageIncrement_;
    SmoothScroll(up ? -distance : distance, line ? LineDiv_ : PageDiv_);
  } else {
    switch (code) {
      case TScrollCode::scLineUp:
        ScrollBy(-static_cast<int64_t>(Increment_));
        break;
      case TScrollCode::scLineDown:
        ScrollBy(Increment_);
        break;
      case TScrollCode::scPageUp:
        ScrollBy(-static_cast<int64_t>(ClientExtent(true, false)));
        break;
      case TScrollCode::scPageDown:
        ScrollBy(ClientExtent(true, false));
        break;
      case TScrollCode::scPosition:
        SetPosition(ThumbPosition(position));
        break;
      case TScrollCode::scTrack:
        if (Tracking_) SetPosition(ThumbPosition(position));
        break;
      case TScrollCode::scTop:
        SetPosition(0);
        break;
      case TScrollCode::scBottom:
        SetPosition(MaxPosition_);
        break;
      case TScrollCode::scEndScroll:
        break;
    }
  }
  if (Control_) Control_->Invalidate();
  return true;
}

void TGraphScrollBar::ScrollBy(int64_t delta) { SetPosition(ClampToInt32(Position_ + delta)); }

void TGraphScrollBar::SmoothScroll(int32_t distance, int32_t steps) {
  steps = std::max(steps, 1);
  const int32_t direction = distance < 0 ? -1 : 1;
  const int32_t step = std::abs(distance) / steps;
  const int32_t rest = std::abs(distance) % steps;
  int64_t lastTick = 0;
  for (int32_t i = 0; i < steps; ++i) {
    const int64_t tick = TickCount();
    if (tick - lastTick < Delay_) Sleep(static_cast<int32_t>(Delay_ - (tick - lastTick)));
    ScrollBy(static_cast<int64_t>(direction) * step);
    if (IGraphHost* host = Host()) host->PaintNow();
    lastTick = tick;
  }
  if (rest >= 1) ScrollBy(static_cast<int64_t>(direction) * rest);
}

int32_t TGraphScrollBar::ThumbPosition(int32_t position) const {
  if (MaxPosition_ <= MaxNotifiedPosition) return position;
  int32_t track = position;
  if (IGraphHost* host = Host(); host && host->TrackPos(Kind_, track)) return track;
  return position;
}

// ---- Appearance ----------------------------------------------------------------------

void TGraphScrollBar::AppearanceChanged() {
  UpdateNeeded_ = true;
  if (Control_) Control_->UpdateScrollBarsVisibility();
}

void TGraphScrollBar::SetMetricSize(int32_t& field, int32_t value, TSystemMetric defaultMetric) {
  if (field == value) return;
  IGraphHost* host = Host();
  field = value == 0 && host ? host->SystemMetric(defaultMetric) : value;
  AppearanceChanged();
  field = value;
}

void TGraphScrollBar::SetButtonSize(int32_t value) {
  SetMetricSize(ButtonSize_, value,
                Kind_ == TScrollBarKind::sbHorizontal ? TSystemMetric::CxHScroll : TSystemMetric::CxVScroll);
}

void TGraphScrollBar::SetSize(int32_t value) {
  SetMetricSize(Size_, value,
                Kind_ == TScrollBarKind::sbHorizontal ? TSystemMetric::CyHScroll : TSystemMetric::CyVScroll);
}

void TGraphScrollBar::SetStyle(TScrollBarStyle value) {
  if (Style_ == value) return;
  Style_ = value;
  AppearanceChanged();
}

void TGraphScrollBar::SetThumbSize(int32_t value) {
  if (ThumbSize_ == value) return;
  ThumbSize_ = value;
  AppearanceChanged();
}

void TGraphScrollBar::SetColor(TColor value) {
  if (Color_ == value) return;
  Color_ = value;
  ParentColor_ = false;
  AppearanceChanged();
}

void TGraphScrollBar::SetParentColor(bool value) {
  if (ParentColor_ == value) return;
  ParentColor_ = value;
  if (value) {
    SetColor(clBtnHighlight);
    ParentColor_ = true;
  }
}

void TGraphScrollBar::SetVisible(bool value) {
  if (Visible_ == value) return;
  Visible_ = value;
  if (Control_) Control_->UpdateScrollBarsVisibility();
  if (!Visible_) {
    MaxPosition_ = 0;
    SetPosition(0);
  }
}

void TGraphScrollBar::Assign(const TGraphScrollBar& source) {
  if (&source == this) return;
  // The source's Range is already zoomed; the setter takes graph units.
  const int32_t zoom = Control_ ? Control_->Zoom() : 100;
  SetRange(source.Range_ > 0 ? MulDiv(source.Range_, 100, zoom) : 0);
  SetVisible(source.Visible_);
  SetPosition(source.Position_);
  SetButtonSize(source.ButtonSize_);
  SetColor(source.Color_);
  SetParentColor(source.ParentColor_);
  Increment_ = source.Increment_;
  Margin_ = source.Margin_;
  Smooth_ = source.Smooth_;
  SetSize(source.Size_);
  SetStyle(source.Style_);
  SetThumbSize(source.ThumbSize_);
  Tracking_ = source.Tracking_;
}

}  // namespace gc
