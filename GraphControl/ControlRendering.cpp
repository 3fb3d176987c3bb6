// TGraphControl: painting (grid, objects in draw order, selection markers and
// rubber band), the view mapping handed to canvases, anchored zoom and the
// mouse pointer in graph units.
#include <algorithm>
#include <vector>

#include "GraphControl/CanvasRecall.h"
#include "GraphControl/Control.h"
#include "GraphControl/ControlInternal.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/ScopedValue.h"
#include "platform/Canvas.h"

namespace gc {

namespace {

// Scroll bar thickness assumed when there is no host to ask.
constexpr int32_t DefaultScrollBarExtent = 17;

// The smallest multiple of `step` that is >= v.
int64_t FirstGridLine(int64_t v, int32_t step) {
  const int64_t multiple = v / step * step;  // toward zero: at or above v when v < 0
  return multiple < v ? multiple + step : multiple;
}

// The grid lines of one axis from `first` while below `end`. Below zoom 100
// several lines can land on one device pixel; only the first of them is kept,
// which sets the same pixels with far fewer calls.
template <class TToDevice>
std::vector<int32_t> GridLines(int64_t first, int64_t end, int32_t step, TToDevice toDevice) {
  std::vector<int32_t> lines;
  bool any = false;
  int32_t lastDevice = 0;
  for (int64_t v = first; v < end; v += step) {
    const auto line = static_cast<int32_t>(v);
    const int32_t device = toDevice(line);
    if (any && device == lastDevice) continue;
    lines.push_back(line);
    lastDevice = device;
    any = true;
  }
  return lines;
}

}  // namespace

// ---- View mapping and the mouse pointer ------------------------------------------------

void TGraphControl::ApplyViewMapping(TCanvas& canvas, TPoint origin) const {
  canvas.SetViewMapping(Zoom_,
                        {-origin.X - HorzScrollBar_.Position(), -origin.Y - VertScrollBar_.Position()});
}

TPoint TGraphControl::CursorPoint() const { return ClientToGraph(Host_ ? Host_->CursorPos() : TPoint{}); }

void TGraphControl::SetCursorPoint(TPoint point) {
  if (Host_) Host_->SetCursorPos(GraphToClient(point));
}

// ---- Zoom ------------------------------------------------------------------------------------

bool TGraphControl::SetZoomAnchored(int32_t newZoom, TZoomAnchor origin) {
  newZoom = std::clamp(newZoom, MinZoom, MaxZoom);
  if (newZoom == Zoom_) return false;
  const bool anchoredToView = origin == zaTopLeft || origin == zaCenter;
  const TRect visible = anchoredToView ? VisibleArea() : TRect{};
  const TPoint cursor = anchoredToView ? TPoint{} : CursorPoint();
  Zoom_ = newZoom;
  CalcScrollRanges();
  switch (origin) {
    case zaTopLeft:
      BringIntoView(visible);
      break;
    case zaCenter:
      CenterView(visible);
      break;
    case zaCursor: {
      // Scroll by how far the graph point under the mouse moved, in pixels.
      const TPoint moved = CursorPoint();
      if (HorzScrollBar_.IsShown())
        HorzScrollBar_.SetPosition(HorzScrollBar_.Position() - MulDiv(moved.X - cursor.X, Zoom_, 100));
      if (VertScrollBar_.IsShown())
        VertScrollBar_.SetPosition(VertScrollBar_.Position() - MulDiv(moved.Y - cursor.Y, Zoom_, 100));
      break;
    }
    case zaCursorCenter:
      CenterView(cursor);
      break;
  }
  Invalidate();
  DoZoomChange();
  return true;
}

bool TGraphControl::ZoomToRect(const TRect& rect) {
  if (rect.IsEmpty()) return false;
  auto metric = [this](TSystemMetric m) { return Host_ ? Host_->SystemMetric(m) : DefaultScrollBarExtent; };
  TSize client = ClientSize();
  // Room for the bars that may appear at the new zoom.
  if (!VertScrollBar_.IsShown()) client.cx -= metric(TSystemMetric::CxVScroll);
  if (!HorzScrollBar_.IsShown()) client.cy -= metric(TSystemMetric::CyHScroll);
  const int32_t zoomX = MulDiv(100, client.cx, rect.Width());
  const int32_t zoomY = MulDiv(100, client.cy, rect.Height());
  SetZoom(std::min(zoomX, zoomY));
  CenterView(rect);
  return zoomX == Zoom_ || zoomY == Zoom_;
}

// ---- Painting ----------------------------------------------------------------------------------

void TGraphControl::Paint(TCanvas& canvas) {
  if (ShowGrid_) DrawGrid(canvas);
  DrawObjects(canvas, Objects_);
  DrawEditMarks(canvas);
}

void TGraphControl::DrawGrid(TCanvas& canvas) {
  TRect area = canvas.ClipRect();
  NarrowRect(area, GraphConstraints_.BoundsRect());
  if (area.IsEmpty()) return;
  const int32_t step = GridSize_;
  const std::vector<int32_t> columns =
      GridLines(FirstGridLine(area.Left, step), area.Right, step, [&canvas](int32_t x) {
        return canvas.LogicalToDevice({x, 0}).X;
      });
  const std::vector<int32_t> rows =
      GridLines(FirstGridLine(area.Top, step), area.Bottom, step, [&canvas](int32_t y) {
        return canvas.LogicalToDevice({0, y}).Y;
      });
  const TColor color = canvas.ColorToRGB(GridColor_);
  for (const int32_t y : rows)
    for (const int32_t x : columns) canvas.SetPixel(x, y, color);
}

void TGraphControl::DrawObjects(TCanvas& canvas, const TGraphObjectList& list) {
  DoBeforeDraw(canvas);
  {
    // Gives the canvas its tools back when the objects are done, also when
    // one of them fails; nested painting (an OnBeforeDraw handler exporting
    // the diagram) has its own.
    TCanvasRecall recall(&canvas);
    // Painting Objects on a raster canvas visits only the objects whose
    // painted area meets the clip area; a vector drawing takes them all.
    TCandidates candidates(*this);
    const bool culled = &list == &Objects_ && !canvas.IsMetafile();
    if (culled) SpatialIndex_->Query(canvas.ClipRect(), candidates.List());
    const std::vector<TGraphObject*>& objects = culled ? candidates.List() : list.Items();
    TRemovalWatch watch(*this);
    auto drawWhere = [&](auto wanted) {
      for (size_t i = 0; i < objects.size(); ++i) {
        TGraphObject* object = objects[i];
        if (!watch.Removed(object) && wanted(object)) object->Draw(canvas);
      }
    };
    const auto isLink = [](const TGraphObject* o) { return o->IsLink(); };
    const auto isNode = [](const TGraphObject* o) { return o->IsNode(); };
    switch (DrawOrder_) {
      case doDefault:
        drawWhere([](const TGraphObject*) { return true; });
        break;
      case doNodesOnTop:
        drawWhere(isLink);
        drawWhere(isNode);
        break;
      case doLinksOnTop:
        drawWhere(isNode);
        drawWhere(isLink);
        break;
    }
  }
  DoAfterDraw(canvas);
}

void TGraphControl::DrawEditMarks(TCanvas& canvas) {
  if (!HideSelection_ || Focused()) {
    for (int32_t i = 0; i < SelectedObjects_.Count(); ++i) SelectedObjects_.Items(i)->DrawOverlay(canvas);
  }
  DrawGuideLines(*this, canvas);
  if (SelectionRectVisible() && !SelectionRect_.IsEmpty()) {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Pen().SetMode(TPenMode::pmNot);
    canvas.Pen().SetStyle(TPenStyle::psDot);
    canvas.Pen().SetWidth(0);
    canvas.Rectangle(SelectionRect_);
  }
}

// ---- Window events ---------------------------------------------------------------------------

void TGraphControl::ClientResized() {
  // Showing or hiding a bar while the bars are applied resizes the client
  // area at once; the application under way already reads the new size.
  // Recomputing the ranges from in here would store a changed range without
  // applying it.
  if (ScrollBarsUpdating_) return;
  {
    TScopedValue updating(ScrollBarsUpdating_, true);
    CalcScrollRanges();
  }
  if (HorzScrollBar_.Visible() || VertScrollBar_.Visible()) UpdateScrollBarsVisibility();
}

// ---- Focus ----------------------------------------------------------------------------------------

// Repaints the selected objects with their markers, which reach beyond the
// objects' painted bounds (HideSelection shows or hides them).
void InvalidateSelectionMarks(TGraphControl& control) {
  // The selection's extent holds the objects' painted bounds; the markers
  // reach MarkerSize beyond them.
  if (!control.SelectedObjects().IsEmpty())
    control.InvalidateRect(InflatedRect(control.SelectedExtent(), control.MarkerSize()));
}

}  // namespace gc
