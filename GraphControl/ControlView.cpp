// TGraphControl: the mapping between graph and client coordinates, zoom,
// repaint requests, cached extents, scrolling into view, grid snapping and the
// published settings.
#include <algorithm>
#include <cmath>

#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/ScopedValue.h"

namespace gc {

namespace {

TRect Union(const TRect& a, const TRect& b) {
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

}  // namespace

// ---- Coordinates -------------------------------------------------------------------------

TPoint TGraphControl::GraphToClient(int32_t x, int32_t y) const {
  // Far-away graph points saturate at the client coordinate limits.
  return {SaturatingSub(UnitsToPixels(x, Zoom_), HorzScrollBar_.Position()),
          SaturatingSub(UnitsToPixels(y, Zoom_), VertScrollBar_.Position())};
}

TPoint TGraphControl::ClientToGraph(int32_t x, int32_t y) const {
  return {PixelsToUnits(static_cast<int64_t>(x) + HorzScrollBar_.Position(), Zoom_),
          PixelsToUnits(static_cast<int64_t>(y) + VertScrollBar_.Position(), Zoom_)};
}

TRect TGraphControl::VisibleArea() const {
  const TSize client = ClientSize();
  return {ClientToGraph(0, 0), ClientToGraph(client.cx, client.cy)};
}

void TGraphControl::SetZoom(int32_t value) {
  value = std::clamp(value, MinZoom, MaxZoom);
  if (value == Zoom_) return;
  Zoom_ = value;
  CalcScrollRanges();
  Invalidate();
  DoZoomChange();
}

// ---- Repaint -------------------------------------------------------------------------------

void TGraphControl::InvalidateClientRect(const TRect& clientRect) {
  if (Host_) Host_->InvalidateRect(clientRect);
}

void TGraphControl::Invalidate() {
  if (UpdateCount_ == 0) {
    if (Host_) Host_->InvalidateAll();
    return;
  }
  // While updating, the whole display: the client area may change before EndUpdate.
  const int32_t width = Host_ ? Host_->SystemMetric(TSystemMetric::CxScreen) : 0;
  const int32_t height = Host_ ? Host_->SystemMetric(TSystemMetric::CyScreen) : 0;
  PendingInvalidRect_ = {0, 0, width, height};
}

void TGraphControl::InvalidateRect(const TRect& graphRect) {
  const TPoint topLeft = GraphToClient(graphRect.Left, graphRect.Top);
  const TPoint bottomRight = GraphToClient(graphRect.Right, graphRect.Bottom);
  const TRect client{topLeft.X, topLeft.Y, SaturatingAdd(bottomRight.X, 1), SaturatingAdd(bottomRight.Y, 1)};
  if (UpdateCount_ == 0) {
    InvalidateClientRect(client);
  } else if (PendingInvalidRect_.IsEmpty()) {
    PendingInvalidRect_ = client;
  } else {
    PendingInvalidRect_ = Union(PendingInvalidRect_, client);
  }
}

// ---- Extents -------------------------------------------------------------------------------

TRect TGraphControl::MeasureObjects(const TGraphObjectList& list) const {
  TRect result;
  bool found = false;
  for (int32_t i = list.Count() - 1; i >= 0; --i) {
    const TGraphObject* object = list.Items(i);
    if (!object->IsShowing()) continue;
    if (found) {
      MergeRect(result, object->PaintBounds());
    } else {
      result = object->PaintBounds();
      found = true;
    }
  }
  return result;
}

TRect TGraphControl::GetExtent(TExtentKind kind) const {
  const uint8_t bit = static_cast<uint8_t>(1 << kind);
  // The index files exactly the showing objects under their painted areas,
  // so its extent is the measurement of Objects, without visiting them.
  if (kind == ekAll && SpatialIndex_->Extent(S_->BoundsCache[ekAll])) {
    S_->BoundsCacheDirty &= static_cast<uint8_t>(~bit);
    return S_->BoundsCache[ekAll];
  }
  if (S_->BoundsCacheDirty & bit) {
    const TGraphObjectList& list = kind == ekAll        ? Objects_
                                   : kind == ekSelected ? SelectedObjects_
                                                        : DraggingObjects_;
    S_->BoundsCache[kind] = MeasureObjects(list);
    S_->BoundsCacheDirty &= static_cast<uint8_t>(~bit);
  }
  return S_->BoundsCache[kind];
}

// ---- Scroll bars ------------------------------------------------------------------------------

void TGraphControl::CalcScrollRanges() {
  HorzScrollBar_.ComputeRange();
  VertScrollBar_.ComputeRange();
}

void TGraphControl::UpdateScrollBarsVisibility() {
  if (ScrollBarsUpdating_ || !Host_) return;
  TScopedValue updating(ScrollBarsUpdating_, true);
  if (VertScrollBar_.NeedsBar()) {
    HorzScrollBar_.ApplyToWindow(false, true);
    VertScrollBar_.ApplyToWindow(true, false);
  } else if (HorzScrollBar_.NeedsBar()) {
    VertScrollBar_.ApplyToWindow(false, true);
    HorzScrollBar_.ApplyToWindow(true, false);
  } else {
    VertScrollBar_.ApplyToWindow(false, false);
    HorzScrollBar_.ApplyToWindow(true, false);
  }
}

// ---- Scrolling into view ------------------------------------------------------------------------

void TGraphControl::BringIntoView(TGraphObject* object) {
  if (object) BringIntoView(object->GetSelectedPaintBounds());
}

void TGraphControl::BringIntoView(const TRect& rect) {
  TPoint p = rect.TopLeft();
  const TRect visible = VisibleArea();
  // Sizes in 64 bits: a rectangle may span more than the 32-bit range.
  auto span = [](int32_t low, int32_t high) { return int64_t{high} - low; };
  if (span(rect.Left, rect.Right) <= span(visible.Left, visible.Right) && visible.Right < rect.Right)
    p.X = rect.Right;
  if (span(rect.Top, rect.Bottom) <= span(visible.Top, visible.Bottom) && visible.Bottom < rect.Bottom)
    p.Y = rect.Bottom;
  BringIntoView(p);
}

void TGraphControl::BringIntoView(TPoint point) {
  const int32_t x = MulDiv(point.X, Zoom_, 100);
  const int32_t y = MulDiv(point.Y, Zoom_, 100);
  const TSize client = ClientSize();
  if (HorzScrollBar_.IsShown()) {
    if (x < HorzScrollBar_.Position())
      HorzScrollBar_.SetPosition(x);
    else if (client.cx + HorzScrollBar_.Position() < x)
      HorzScrollBar_.SetPosition(x - client.cx);
  }
  if (VertScrollBar_.IsShown()) {
    if (y < VertScrollBar_.Position())
      VertScrollBar_.SetPosition(y);
    else if (client.cy + VertScrollBar_.Position() < y)
      VertScrollBar_.SetPosition(y - client.cy);
  }
}

void TGraphControl::CenterView(TPoint point) {
  const int32_t x = MulDiv(point.X, Zoom_, 100);
  const int32_t y = MulDiv(point.Y, Zoom_, 100);
  const TSize client = ClientSize();
  if (HorzScrollBar_.IsShown()) HorzScrollBar_.SetPosition(x - client.cx / 2);
  if (VertScrollBar_.IsShown()) VertScrollBar_.SetPosition(y - client.cy / 2);
}

void TGraphControl::CenterView(const TRect& rect) { CenterView(CenterOfRect(rect)); }

// ---- Grid snapping --------------------------------------------------------------------------------

TPoint TGraphControl::GridSnapPoint(TPoint p) const {
  // In 64 bits, saturating: points may lie anywhere in the 32-bit range.
  const int64_t g = GridSize_;
  auto snap = [g](int32_t c) { return SaturateToInt32((c + g / 2) / g * g); };
  return {snap(p.X), snap(p.Y)};
}

void TGraphControl::GridSnapOffset(TPoint p, int32_t& dx, int32_t& dy) const {
  const TPoint q = GridSnapPoint({SaturatingAdd(p.X, dx), SaturatingAdd(p.Y, dy)});
  if (dx != 0) dx = SaturatingSub(q.X, p.X);
  if (dy != 0) dy = SaturatingSub(q.Y, p.Y);
}

// ---- Published settings -----------------------------------------------------------------------------

void TGraphControl::SetGridSize(int32_t value) {
  if (value < MinGridSize || value > MaxGridSize || value == GridSize_) return;
  GridSize_ = value;
  if (ShowGrid_) Invalidate();
}

void TGraphControl::SetGridColor(TColor value) {
  if (value == GridColor_) return;
  GridColor_ = value;
  if (ShowGrid_) Invalidate();
}

void TGraphControl::SetShowGrid(bool value) {
  if (value == ShowGrid_) return;
  ShowGrid_ = value;
  Invalidate();
}

void TGraphControl::SetShowHiddenObjects(bool value) {
  if (value == ShowHiddenObjects_) return;
  ShowHiddenObjects_ = value;
  UpdateAllSpatialEntries();
  // Which objects show has changed, so every cached extent is stale.
  S_->BoundsCacheDirty |= (1 << ekAll) | (1 << ekSelected) | (1 << ekDragging);
  CalcScrollRanges();
  Invalidate();
}

void TGraphControl::SetHideSelection(bool value) {
  if (value == HideSelection_) return;
  HideSelection_ = value;
  if (!Focused()) InvalidateSelectionMarks(*this);
}

void TGraphControl::SetLockNodes(bool value) {
  if (value == LockNodes_) return;
  LockNodes_ = value;
  Invalidate();
}

void TGraphControl::SetLockLinks(bool value) {
  if (value == LockLinks_) return;
  LockLinks_ = value;
  Invalidate();
}

void TGraphControl::SetMarkerColor(TColor value) {
  if (value == MarkerColor_) return;
  MarkerColor_ = value;
  if (!SelectedObjects_.IsEmpty()) Invalidate();
}

void TGraphControl::SetMarkerSize(int32_t value) {
  if (value == MarkerSize_) return;
  MarkerSize_ = value;
  UpdateAllSpatialEntries();  // the markers' reach beyond the painted areas changed
  if (!SelectedObjects_.IsEmpty()) Invalidate();
}

void TGraphControl::SetDrawOrder(TGraphDrawOrder value) {
  if (value == DrawOrder_) return;
  DrawOrder_ = value;
  Invalidate();
}

void TGraphControl::SetFixedScrollBars(bool value) {
  if (value == FixedScrollBars_) return;
  FixedScrollBars_ = value;
  CalcScrollRanges();
}

void TGraphControl::SetTransparent(bool value) {
  if (value == Transparent_) return;
  Transparent_ = value;
  Invalidate();
}

void TGraphControl::SetColor(TColor value) {
  if (value == Color_) return;
  Color_ = value;
  Invalidate();
}

}  // namespace gc
