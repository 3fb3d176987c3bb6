#include "GraphControl/GraphNode.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <utility>

#include "GraphControl/Control.h"
#include "GraphControl/Geometry.h"
#include "GraphControl/Numeric.h"
#include "GraphControl/ScopedValue.h"
#include "platform/Canvas.h"

namespace gc {

namespace {

// Sums of coordinates are formed in 64 bits and saturated, so bounds read
// from a file near the int32 limits cannot overflow.
int32_t Add(int32_t a, int32_t b) { return SaturatingAdd(a, b); }
int32_t Sub(int32_t a, int32_t b) { return SaturatingSub(a, b); }

// How a marker drag changes the size, and which edges move with it.
struct TResizeRule {
  THitCode Code;
  int8_t WidthSign;   // new width = W + sign * dx
  int8_t HeightSign;  // new height = H + sign * dy
  bool KeepRight;     // the left edge moves: keep the right edge where it was
  bool KeepBottom;    // the top edge moves: keep the bottom edge where it was
};

constexpr TResizeRule ResizeRules[] = {
    {nhLeft, -1, 0, true, false},       {nhTop, 0, -1, false, true},         {nhRight, 1, 0, false, false},
    {nhBottom, 0, 1, false, false},     {nhTopLeft, -1, -1, true, true},     {nhTopRight, 1, -1, false, true},
    {nhBottomLeft, -1, 1, true, false}, {nhBottomRight, 1, 1, false, false},
};

const TResizeRule* FindResizeRule(THitCode code) {
  for (const TResizeRule& rule : ResizeRules)
    if (rule.Code == code) return &rule;
  return nullptr;
}

bool IsBodyCode(THitCode code) { return code != 0 && (code & ~(nhBody | nhCaption)) == 0; }

struct TMarkerCursor {
  THitCode Codes;
  TCursor Cursor;
};

constexpr TMarkerCursor MarkerCursors[] = {
    {nhLeft | nhRight, crSizeWE},
    {nhTop | nhBottom, crSizeNS},
    {nhTopLeft | nhBottomRight, crSizeNWSE},
    {nhTopRight | nhBottomLeft, crSizeNESW},
};

// Sides a drag moves, by the hit codes that move them.
constexpr THitCode LeftSideCodes = nhCaption | nhBody | nhBottomLeft | nhTopLeft | nhLeft;          // 0x06A2
constexpr THitCode TopSideCodes = nhCaption | nhBody | nhTopRight | nhTopLeft | nhTop;              // 0x0664
constexpr THitCode RightSideCodes = nhCaption | nhBody | nhBottomRight | nhTopRight | nhRight;      // 0x0748
constexpr THitCode BottomSideCodes = nhCaption | nhBody | nhBottomRight | nhBottomLeft | nhBottom;  // 0x0790

// Order in which overlapping marker squares are tested, as indices into the
// drawing order of TGraphNode::Markers: bottom-right, bottom-left, top-right,
// top-left, then bottom, right, left and top middle. Corners win.
constexpr int MarkerHitOrder[] = {3, 2, 1, 0, 4, 5, 6, 7};

}  // namespace

// ---- Class and construction ---------------------------------------------------------

const TGraphObjectClass* TGraphNode::StaticClass() {
  static const TGraphObjectClass cls("TGraphNode", TGraphObject::StaticClass(), false, nullptr,
                                     &CreateWithBounds);
  return &cls;
}

const TGraphObjectClass* TGraphNode::ClassType() const { return StaticClass(); }

const TGraphObjectClass* TPolygonalNode::StaticClass() {
  static const TGraphObjectClass cls("TPolygonalNode", TGraphNode::StaticClass(), false, nullptr);
  return &cls;
}

const TGraphObjectClass* TPolygonalNode::ClassType() const { return StaticClass(); }

TGraphNode::TGraphNode(TGraphControl* owner) : TGraphObject(owner) {
  Background_.OnChange = [this] { Changed(chVisual | chData); };
}

TGraphObject* TGraphNode::CreateWithBounds(const TGraphObjectClass* cls, TGraphControl* owner,
                                           const TRect& rect) {
  return Construct(cls, owner,
                   [&](TGraphObject* object) { static_cast<TGraphNode*>(object)->SetBoundsRect(rect); });
}

// ---- Properties ------------------------------------------------------------------------

void TGraphNode::SetLeft(int32_t value) {
  if (value == Left_) return;
  if (HasState(stReading)) {
    Left_ = value;
    ShapeStale_ = true;
  } else {
    SetBounds(value, Top_, Width_, Height_);
  }
}

void TGraphNode::SetTop(int32_t value) {
  if (value == Top_) return;
  if (HasState(stReading)) {
    Top_ = value;
    ShapeStale_ = true;
  } else {
    SetBounds(Left_, value, Width_, Height_);
  }
}

void TGraphNode::SetWidth(int32_t value) {
  if (value == Width_) return;
  if (HasState(stReading)) {
    Width_ = value;
    ShapeStale_ = true;
  } else {
    SetBounds(Left_, Top_, value, Height_);
  }
}

void TGraphNode::SetHeight(int32_t value) {
  if (value == Height_) return;
  if (HasState(stReading)) {
    Height_ = value;
    ShapeStale_ = true;
  } else {
    SetBounds(Left_, Top_, Width_, value);
  }
}

void TGraphNode::SetAlignment(TAlignment value) {
  if (value == Alignment_) return;
  Alignment_ = value;
  Changed(chVisual | chData | chCaption);
}

void TGraphNode::SetLayout(TTextLayout value) {
  if (value == Layout_) return;
  Layout_ = value;
  Changed(chVisual | chData | chCaption);
}

void TGraphNode::SetMargin(int32_t value) {
  if (value == Margin_) return;
  Margin_ = value;
  Changed(chVisual | chData | chCaption);
}

void TGraphNode::SetBackgroundMargins(const TRect& value) {
  if (value == BackgroundMargins_) return;
  BackgroundMargins_ = value;
  Changed(chVisual | chData);
}

void TGraphNode::SetNodeOptions(TGraphNodeOptions value) {
  if (value == NodeOptions_) return;
  NodeOptions_ = value;
  Changed(chVisual | chData);
}

// ---- Bounds ----------------------------------------------------------------------------

int32_t TGraphNode::Right() const { return Add(Left_, Width_); }
int32_t TGraphNode::Bottom() const { return Add(Top_, Height_); }

TRect TGraphNode::GetBoundsRect() const { return {Left_, Top_, Right(), Bottom()}; }

void TGraphNode::SetBoundsRect(const TRect& rect) {
  SetBounds(rect.Left, rect.Top, Sub(rect.Right, rect.Left), Sub(rect.Bottom, rect.Top));
}

void TGraphNode::MoveBy(int32_t dx, int32_t dy) { SetBounds(Add(Left_, dx), Add(Top_, dy), Width_, Height_); }

void TGraphNode::CheckMoveResize(int32_t& left, int32_t& top, int32_t& width, int32_t& height, bool& canMove,
                                 bool& canResize) {
  canMove = (NodeOptions_ & gnoMovable) != 0;
  canResize = (NodeOptions_ & gnoResizable) != 0;
  const int32_t minSize = Owner()->MinNodeSize();
  const TGraphConstraints& limits = Owner()->GraphConstraints();
  width = std::max(width, minSize);
  height = std::max(height, minSize);
  left = std::max(left, limits.MinLeft());
  top = std::max(top, limits.MinTop());
  // Past the far edge a move is pushed back and a resize is cut. A cut never
  // goes below MinNodeSize: a node starting beyond the far edge is pushed
  // back instead of getting a negative size.
  if (int64_t{left} + width > limits.MaxRight()) {
    if (width != Width_) width = std::max(Sub(limits.MaxRight(), left), minSize);
    if (int64_t{left} + width > limits.MaxRight()) left = Sub(limits.MaxRight(), width);
  }
  if (int64_t{top} + height > limits.MaxBottom()) {
    if (height != Height_) height = std::max(Sub(limits.MaxBottom(), top), minSize);
    if (int64_t{top} + height > limits.MaxBottom()) top = Sub(limits.MaxBottom(), height);
  }
  Owner()->DoCanMoveResizeNode(this, left, top, width, height, canMove, canResize);
}

void TGraphNode::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  bool canMove = false;
  bool canResize = false;
  CheckMoveResize(left, top, width, height, canMove, canResize);
  if (!canMove && !canResize) return;
  int32_t dx = 0, dy = 0, dWidth = 0, dHeight = 0;
  if (canMove) {
    dx = Sub(left, Left_);
    dy = Sub(top, Top_);
    Left_ = left;
    Top_ = top;
  }
  if (canResize) {
    dWidth = Sub(width, Width_);
    dHeight = Sub(height, Height_);
    Width_ = width;
    Height_ = height;
  }
  if (dx == 0 && dy == 0 && dWidth == 0 && dHeight == 0) return;
  if (IsUpdateLocked()) {
    ShapeStale_ = true;
    Changed(chVisual | chData | chCaption | chBounds);
  } else {
    BoundsChanged(dx, dy, dWidth, dHeight);
  }
  Owner()->DoNodeMoveResize(this);
}

// ---- Derived data ------------------------------------------------------------------------

void TGraphNode::RebuildShape() {
  Region_.reset();
  RegionStale_ = true;
}

void TGraphNode::OffsetShape(int32_t dx, int32_t dy) {
  if (!RegionStale_ && Region_) Region_->Offset(dx, dy);
}

void TGraphNode::Prepare() {
  ShapeStale_ = false;
  RebuildShape();
  TGraphObject::Prepare();
}

void TGraphNode::Changed(TGraphChangeFlags flags) {
  // Bounds stored under an update lock left the outline behind; bring it up
  // to date before the change reaches hit testing and painting.
  if (ShapeStale_ && !IsUpdateLocked()) {
    ShapeStale_ = false;
    RebuildShape();
  }
  TGraphObject::Changed(flags);
}

void TGraphNode::BoundsChanged(int32_t dx, int32_t dy, int32_t dWidth, int32_t dHeight) {
  if (dWidth != 0 || dHeight != 0)
    RebuildShape();
  else if (dx != 0 || dy != 0)
    OffsetShape(dx, dy);  // the shape did not change: shift it instead of rebuilding
  TGraphObject::BoundsChanged(dx, dy, dWidth, dHeight);
}

void TGraphNode::UpdateCaptionPlacement(bool recompute, int32_t dx, int32_t dy) {
  if (recompute)
    CaptionStale_ = true;
  else if (!CaptionStale_)
    CaptionRect_ = {Add(CaptionRect_.Left, dx), Add(CaptionRect_.Top, dy), Add(CaptionRect_.Right, dx),
                    Add(CaptionRect_.Bottom, dy)};
}

void TGraphNode::EnsureCaptionLayout() const {
  if (!CaptionStale_) return;
  CaptionStale_ = false;
  auto* self = const_cast<TGraphNode*>(this);
  self->CaptionRect_ = self->LayoutCaption();
}

TRect TGraphNode::ComputePaintBounds() {
  const TRect bounds = GetBoundsRect();
  return Pen().Style() == TPenStyle::psInsideFrame ? bounds : InflatedRect(bounds, Pen().Width() / 2);
}

TPoint TGraphNode::GetShapeCenter() const { return {Add(Left_, Width_ / 2), Add(Top_, Height_ / 2)}; }

TOptionalRegion TGraphNode::CreateDeviceRegion(const TCanvas& canvas) const {
  const TOptionalRegion& region = Region();
  if (!region) return std::nullopt;
  return region->Zoomed(canvas.Zoom(), canvas.ViewportOrigin().X, canvas.ViewportOrigin().Y);
}

// ---- Caption -------------------------------------------------------------------------------

TRect TGraphNode::GetCaptionBounds() const {
  const int32_t penAllowance = Pen().Style() == TPenStyle::psInsideFrame ? Pen().Width() : Pen().Width() / 2;
  return InflatedRect(GetBoundsRect(), -Add(penAllowance, Margin_));
}

TRect TGraphNode::LayoutCaption() {
  SetDisplayText(std::string());
  if (Text().empty()) return {};
  const TRect bounds = GetCaptionBounds();
  const TRect area{Sub(bounds.Left, Left_), Sub(bounds.Top, Top_), Sub(bounds.Right, Left_),
                   Sub(bounds.Bottom, Top_)};

  TCanvas& canvas = CompatibleCanvas();
  canvas.Font().Assign(Font());
  std::string display = FitText(canvas, Text(), area);
  SetDisplayText(display);
  TRect rect = area;
  canvas.DrawText(display, rect, dt::CalcRect | dt::NoPrefix | dt::EditControl);
  rect.Right = std::min(rect.Right, area.Right);
  rect.Bottom = std::min(rect.Bottom, area.Bottom);

  int32_t shiftX = 0;
  if (Alignment_ == taRightJustify)
    shiftX = area.Right - rect.Right;
  else if (Alignment_ == taCenter)
    shiftX = (area.Right - rect.Right) / 2;
  int32_t shiftY = 0;
  if (Layout_ == tlBottom)
    shiftY = area.Bottom - rect.Bottom;
  else if (Layout_ == tlCenter)
    shiftY = (area.Bottom - rect.Bottom) / 2;

  const int32_t dx = Add(Left_, shiftX);
  const int32_t dy = Add(Top_, shiftY);
  return {Add(rect.Left, dx), Add(rect.Top, dy), Add(rect.Right, dx), Add(rect.Bottom, dy)};
}

void TGraphNode::DrawCaption(TCanvas& canvas) {
  EnsureCaptionLayout();
  if (DisplayText().empty()) return;
  TScopeExit restoreTextMode([&canvas, mode = canvas.BackgroundMode(), align = canvas.TextAlign()] {
    canvas.SetBackgroundMode(mode);
    canvas.SetTextAlign(align);
  });
  canvas.SetBackgroundMode(TBackgroundMode::Transparent);
  canvas.SetTextAlign(ta::Left | ta::Top);

  uint32_t flags = dt::NoClip | dt::NoPrefix | dt::EditControl;
  if (Alignment_ == taRightJustify)
    flags |= dt::Right;
  else if (Alignment_ == taCenter)
    flags |= dt::Center;
  if (Layout_ == tlCenter)
    flags |= dt::VCenter;
  else if (Layout_ == tlBottom)
    flags |= dt::Bottom;
  std::string text = DisplayText();
  TRect rect = CaptionRect_;
  canvas.DrawText(text, rect, flags);
}

// ---- Drawing ---------------------------------------------------------------------------------

void TGraphNode::DrawBody(TCanvas& canvas) {
  DrawShape(canvas);
  if (NodeOptions_ & gnoShowBackground) DrawBackground(canvas);
}

void TGraphNode::DrawBackground(TCanvas& canvas) {
  const TGraphic* graphic = Background_.Graphic();
  if (!graphic) return;
  const TRect target{Add(Left_, MulDiv(Width_, BackgroundMargins_.Left, 100)),
                     Add(Top_, MulDiv(Height_, BackgroundMargins_.Top, 100)),
                     Sub(Right(), MulDiv(Width_, BackgroundMargins_.Right, 100)),
                     Sub(Bottom(), MulDiv(Height_, BackgroundMargins_.Bottom, 100))};
  {
    // The picture stays silent while it is drawn; the clip is removed again
    // before the outline, also when drawing fails.
    TScopedValue<TChangeCallback> silent(Background_.OnChange, nullptr);
    TCanvasStateGuard state(canvas);
    if (const TOptionalRegion& region = Region()) canvas.IntersectClipRegion(*region);
    canvas.StretchDraw(target, *graphic);
  }
  // The outline goes on top of the picture.
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  DrawShape(canvas);
}

void TGraphNode::Markers(TMarker (&markers)[8]) const {
  const int32_t l = Left_, t = Top_, r = Right(), b = Bottom();
  const int32_t midX = Add(l, Width_ / 2), midY = Add(t, Height_ / 2);
  markers[0] = {{l, t}, nhTopLeft};
  markers[1] = {{r, t}, nhTopRight};
  markers[2] = {{l, b}, nhBottomLeft};
  markers[3] = {{r, b}, nhBottomRight};
  markers[4] = {{midX, b}, nhBottom};
  markers[5] = {{r, midY}, nhRight};
  markers[6] = {{l, midY}, nhLeft};
  markers[7] = {{midX, t}, nhTop};
}

void TGraphNode::DrawMarkers(TCanvas& canvas) {
  const bool enabled = !Owner()->LockNodes() && (NodeOptions_ & gnoResizable);
  TMarker markers[8];
  Markers(markers);
  for (const TMarker& marker : markers) DrawMarker(canvas, marker.Point, enabled);
}

// ---- Hit testing and attachment ------------------------------------------------------------------

THitCode TGraphNode::ShapeHitTest(TPoint point) const {
  if (Selected()) {
    TMarker markers[8];
    Markers(markers);
    const int32_t radius = GrabRadius();
    for (int index : MarkerHitOrder)
      if (MakeSquare(markers[index].Point, radius).Contains(point)) return markers[index].Code;
  }
  THitCode code = htNone;
  if (const TOptionalRegion& region = Region(); region && region->ContainsPoint(point)) code |= nhBody;
  if ((Options() & goShowCaption) && CaptionRect().Contains(point)) code |= nhCaption;
  return code;
}

TPoint TGraphNode::GetAttachPoint(TPoint reference) const {
  TPoint point = GetCenter();
  if (const TOptionalRegion& region = Region(); region && region->ContainsPoint(reference)) return point;
  const TPoints crossings = OutlineIntersections(reference, LineAngle(reference, point));
  NearestPoint(crossings, reference, point);
  return point;
}

bool TGraphNode::OverlapsRect(const TRect& rect) const {
  if (Selected()) return TGraphObject::OverlapsRect(rect);
  if (!IsShowing()) return false;
  const TOptionalRegion& region = Region();
  return region && region->TouchesRect(rect);
}

// ---- Dragging ---------------------------------------------------------------------------------------

TCursor TGraphNode::CursorFor(THitCode hitCode) const {
  if (IsBodyCode(hitCode)) return (NodeOptions_ & gnoMovable) && !IsLocked() ? crSizeAll : crHandPoint;
  for (const TMarkerCursor& entry : MarkerCursors) {
    if ((entry.Codes & hitCode) == 0 || (hitCode & ~entry.Codes) != 0) continue;
    return (NodeOptions_ & gnoResizable) && !IsLocked() ? entry.Cursor : crHandPoint;
  }
  return TGraphObject::CursorFor(hitCode);
}

TGraphSides TGraphNode::DragSides(THitCode hitCode) const {
  if ((hitCode & nhAnyPart) == 0) return TGraphObject::DragSides(hitCode);
  TGraphSides sides = 0;
  if (hitCode & LeftSideCodes) sides |= gsLeft;
  if (hitCode & TopSideCodes) sides |= gsTop;
  if (hitCode & RightSideCodes) sides |= gsRight;
  if (hitCode & BottomSideCodes) sides |= gsBottom;
  return sides;
}

bool TGraphNode::ApplyResize(THitCode hitCode, int32_t dx, int32_t dy) {
  const TResizeRule* rule = FindResizeRule(hitCode);
  const int32_t left = Left_, top = Top_, oldWidth = Width_, oldHeight = Height_;
  SetBounds(left, top, SaturateToInt32(int64_t{oldWidth} + int64_t{rule->WidthSign} * dx),
            SaturateToInt32(int64_t{oldHeight} + int64_t{rule->HeightSign} * dy));
  if (rule->KeepRight || rule->KeepBottom) {
    // The first call clamped the size; move by what the size really changed,
    // so the opposite edge stays where it was.
    const int32_t newLeft = rule->KeepRight ? Add(left, Sub(oldWidth, Width_)) : Left_;
    const int32_t newTop = rule->KeepBottom ? Add(top, Sub(oldHeight, Height_)) : Top_;
    SetBounds(newLeft, newTop, Width_, Height_);
  }
  return true;
}

bool TGraphNode::ApplyDrag(THitCode hitCode, int32_t dx, int32_t dy) {
  if (FindResizeRule(hitCode)) {
    if (!(NodeOptions_ & gnoResizable)) return false;
    return ApplyResize(hitCode, dx, dy);
  }
  if (IsBodyCode(hitCode)) {
    if (!(NodeOptions_ & gnoMovable)) return false;
    SetBounds(Add(Left_, dx), Add(Top_, dy), Width_, Height_);
    return true;
  }
  return TGraphObject::ApplyDrag(hitCode, dx, dy);
}

void TGraphNode::SnapDragOffset(THitCode hitCode, int32_t& dx, int32_t& dy) {
  if ((hitCode & nhAnyPart) == 0) return;
  TPoint reference{Left_, Top_};
  if (hitCode & (nhRight | nhTopRight | nhBottomRight)) reference.X = Right();
  if (hitCode & (nhBottom | nhBottomLeft | nhBottomRight)) reference.Y = Bottom();
  Owner()->GridSnapOffset(reference, dx, dy);
}

bool TGraphNode::JoinDrag(THitCode hitCode) {
  if ((hitCode & nhAnyPart) == 0) return false;
  return TGraphObject::JoinDrag(hitCode);
}

// ---- Copying -------------------------------------------------------------------------------------------

void TGraphNode::Assign(const TGraphObject& source) {
  if (&source == this) return;
  TGraphObject::TUpdateLock lock(*this);
  TGraphObject::Assign(source);
  const auto* node = dynamic_cast<const TGraphNode*>(&source);
  if (!node) return;
  SetBackground(node->Background_);
  SetAlignment(node->Alignment_);
  SetLayout(node->Layout_);
  SetMargin(node->Margin_);
  SetNodeOptions(node->NodeOptions_);
  SetBackgroundMargins(node->BackgroundMargins_);
  SetBounds(node->Left_, node->Top_, node->Width_, node->Height_);
}

// ---- TPolygonalNode
// ----------------------------------------------------------------------------------------

void TPolygonalNode::RebuildShape() {
  PolygonPoints_.clear();
  VerticesStale_ = true;
  TGraphNode::RebuildShape();
}

void TPolygonalNode::OffsetShape(int32_t dx, int32_t dy) {
  if (!VerticesStale_) OffsetPoints(PolygonPoints_, dx, dy);
  TGraphNode::OffsetShape(dx, dy);
}

TPoints TPolygonalNode::OutlineIntersections(TPoint point, double angle) const {
  return IntersectLinePolygon(point, PolygonPoints(), angle);
}

TRegion TPolygonalNode::CreateShapeRegion() const {
  return TRegion::Polygon(PolygonPoints(), TFillMode::fmWinding);
}

void TPolygonalNode::DrawShape(TCanvas& canvas) {
  const TPoints& points = PolygonPoints();
  canvas.Polygon(points.data(), static_cast<int>(points.size()));
}

TPoint TPolygonalNode::GetShapeCenter() const {
  // Only an object that never got its vertices (not prepared yet) has none.
  const TPoints& points = PolygonPoints();
  return points.empty() ? TGraphNode::GetShapeCenter() : CenterOfPoints(points);
}

}  // namespace gc
