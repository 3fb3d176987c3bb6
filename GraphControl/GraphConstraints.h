// The area that the objects of a diagram must stay in, and the confinement
// of points and drag offsets to it.
#pragma once

#include <cstdint>
#include <functional>

#include "GraphControl/GraphObject.h"
#include "GraphControl/Types.h"

namespace gc {

class TGraphControl;

class TGraphConstraints {
 public:
  // `owner` may be null (a standalone constraints object); otherwise the owner
  // recomputes its scroll ranges and repaints when the bounds change.
  explicit TGraphConstraints(TGraphControl* owner = nullptr);

  TGraphConstraints(const TGraphConstraints&) = delete;
  TGraphConstraints& operator=(const TGraphConstraints&) = delete;

  // Called after the bounds changed (after the owner's reaction).
  std::function<void(TGraphConstraints*)> OnChange;

  TGraphControl* Owner() const { return Owner_; }

  // (MinLeft, MinTop, MaxRight, MaxBottom); no ordering between them is enforced.
  const TRect& BoundsRect() const { return BoundsRect_; }
  void SetBoundsRect(const TRect& rect);
  int32_t MinLeft() const { return BoundsRect_.Left; }
  int32_t MinTop() const { return BoundsRect_.Top; }
  int32_t MaxRight() const { return BoundsRect_.Right; }
  int32_t MaxBottom() const { return BoundsRect_.Bottom; }
  void SetMinLeft(int32_t v) { SetBound(0, v); }
  void SetMinTop(int32_t v) { SetBound(1, v); }
  void SetMaxRight(int32_t v) { SetBound(2, v); }
  void SetMaxBottom(int32_t v) { SetBound(3, v); }
  // Indexed access: 0 MinLeft, 1 MinTop, 2 MaxRight, 3 MaxBottom.
  int32_t Bound(int index) const;
  void SetBound(int index, int32_t value);

  // The rectangle that ConfineOffset keeps inside the bounds; the control
  // fills it right before each use.
  const TRect& SourceRect() const { return SourceRect_; }
  void SetSourceRect(const TRect& rect) { SourceRect_ = rect; }

  // Copies the four bounds.
  void Assign(const TGraphConstraints& source) { SetBoundsRect(source.BoundsRect_); }

  // True when every point lies inside the bounds, right and bottom edges excluded.
  bool WithinBounds(const TPoint* points, int32_t highIndex) const;
  bool WithinBounds(const TPoints& points) const;
  bool WithinBounds(TPoint point) const { return WithinBounds(&point, 0); }
  // Moves the point into the bounds (edges included); true when it was inside.
  bool ConfinePoint(TPoint& point) const;
  // Cuts the offset so that SourceRect moved by it stays inside the bounds on
  // the given sides (left, top, right, bottom in that order; a later side
  // wins). True when an offset remains.
  bool ConfineOffset(int32_t& dx, int32_t& dy, TGraphSides sides) const;

 private:
  TGraphControl* Owner_;
  TRect BoundsRect_{0, 0, 65535, 65535};
  TRect SourceRect_;
};

}  // namespace gc
