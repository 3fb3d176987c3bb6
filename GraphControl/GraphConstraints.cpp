#include "GraphControl/GraphConstraints.h"

#include <algorithm>
#include <cstdint>

#include "GraphControl/Control.h"

namespace gc {

TGraphConstraints::TGraphConstraints(TGraphControl* owner) : Owner_(owner) {}

void TGraphConstraints::SetBoundsRect(const TRect& rect) {
  if (rect == BoundsRect_) return;
  BoundsRect_ = rect;
  if (Owner_) {
    Owner_->CalcScrollRanges();
    Owner_->Invalidate();
  }
  if (OnChange) OnChange(this);
}

int32_t TGraphConstraints::Bound(int index) const {
  switch (index) {
    case 0:
      return BoundsRect_.Left;
    case 1:
      return BoundsRect_.Top;
    case 2:
      return BoundsRect_.Right;
    default:
      return BoundsRect_.Bottom;
  }
}

void TGraphConstraints::SetBound(int index, int32_t value) {
  TRect r = BoundsRect_;
  switch (index) {
    case 0:
      r.Left = value;
      break;
    case 1:
      r.Top = value;
      break;
    case 2:
      r.Right = value;
      break;
    default:
      r.Bottom = value;
      break;
  }
  SetBoundsRect(r);
}

bool TGraphConstraints::WithinBounds(const TPoint* points, int32_t highIndex) const {
  for (int32_t i = 0; i <= highIndex; ++i)
    if (!BoundsRect_.Contains(points[i])) return false;
  return true;
}

bool TGraphConstraints::WithinBounds(const TPoints& points) const {
  return WithinBounds(points.data(), static_cast<int32_t>(points.size()) - 1);
}

bool TGraphConstraints::ConfinePoint(TPoint& point) const {
  const TPoint original = point;
  if (point.X < BoundsRect_.Left)
    point.X = BoundsRect_.Left;
  else if (point.X > BoundsRect_.Right)
    point.X = BoundsRect_.Right;
  if (point.Y < BoundsRect_.Top)
    point.Y = BoundsRect_.Top;
  else if (point.Y > BoundsRect_.Bottom)
    point.Y = BoundsRect_.Bottom;
  return point == original;
}

bool TGraphConstraints::ConfineOffset(int32_t& dx, int32_t& dy, TGraphSides sides) const {
  // In 64 bits: a far object moved far passes the 32-bit range on the way.
  int64_t x = dx, y = dy;
  if ((sides & gsLeft) && x + SourceRect_.Left < BoundsRect_.Left)
    x = int64_t{BoundsRect_.Left} - SourceRect_.Left;
  if ((sides & gsTop) && y + SourceRect_.Top < BoundsRect_.Top)
    y = int64_t{BoundsRect_.Top} - SourceRect_.Top;
  if ((sides & gsRight) && x + SourceRect_.Right > BoundsRect_.Right)
    x = int64_t{BoundsRect_.Right} - SourceRect_.Right;
  if ((sides & gsBottom) && y + SourceRect_.Bottom > BoundsRect_.Bottom)
    y = int64_t{BoundsRect_.Bottom} - SourceRect_.Bottom;
  dx = static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
  dy = static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX));
  return dx != 0 || dy != 0;
}

}  // namespace gc
