#include "GraphControl/NodeShapes.h"

#include <cstdint>

#include "GraphControl/Geometry.h"
#include "platform/Canvas.h"

namespace gc {

namespace {

// The coordinates a shape is built from. Sums are formed in 64 bits, so
// bounds near the int32 limits cannot overflow; every division truncates
// toward zero.
struct TShapeBox {
  explicit TShapeBox(const TRect& r) : L(r.Left), T(r.Top), R(r.Right), B(r.Bottom) {}
  int64_t L, T, R, B;

  int32_t CenterX() const { return static_cast<int32_t>((L + R) / 2); }
  int32_t CenterY() const { return static_cast<int32_t>((T + B) / 2); }
  // A quarter of the width in from the left and from the right.
  int32_t QuarterIn() const { return static_cast<int32_t>(L + (R - L) / 4); }
  int32_t QuarterInFromRight() const { return static_cast<int32_t>(R - (R - L) / 4); }
  static int32_t Mid(int64_t a, int64_t b) { return static_cast<int32_t>((a + b) / 2); }
};

int32_t Int(int64_t v) { return static_cast<int32_t>(v); }

// The shape's own caption area cut to the general one.
TRect Narrowed(TRect shapeArea, const TRect& nodeArea) {
  NarrowRect(shapeArea, nodeArea);
  return shapeArea;
}

// The region of a curved shape covers the pixels of its right and bottom
// edges too, as the outline drawn over (L, T, R, B) does.
TRect InclusiveBounds(const TRect& r) {
  const auto next = [](int32_t v) { return v < INT32_MAX ? v + 1 : v; };
  return {r.Left, r.Top, next(r.Right), next(r.Bottom)};
}

// One descriptor per shape class; the parent makes "is a node of this kind"
// queries work along the class chain.
template <class TNode>
const TGraphObjectClass* DescribeShape(const char* name, const TGraphObjectClass* parent,
                                       TGraphObjectClass::TMakeFn make) {
  static const TGraphObjectClass cls(name, parent, false, make);
  return &cls;
}

}  // namespace

// ---- Class descriptors -------------------------------------------------------------

const TGraphObjectClass* TRectangularNode::StaticClass() {
  return DescribeShape<TRectangularNode>("TRectangularNode", TPolygonalNode::StaticClass(), &Make);
}
const TGraphObjectClass* TRectangularNode::ClassType() const { return StaticClass(); }
TGraphObject* TRectangularNode::Make(TGraphControl* owner) { return new TRectangularNode(owner); }

const TGraphObjectClass* TRoundRectangularNode::StaticClass() {
  return DescribeShape<TRoundRectangularNode>("TRoundRectangularNode", TGraphNode::StaticClass(), &Make);
}
const TGraphObjectClass* TRoundRectangularNode::ClassType() const { return StaticClass(); }
TGraphObject* TRoundRectangularNode::Make(TGraphControl* owner) { return new TRoundRectangularNode(owner); }

const TGraphObjectClass* TEllipticNode::StaticClass() {
  return DescribeShape<TEllipticNode>("TEllipticNode", TGraphNode::StaticClass(), &Make);
}
const TGraphObjectClass* TEllipticNode::ClassType() const { return StaticClass(); }
TGraphObject* TEllipticNode::Make(TGraphControl* owner) { return new TEllipticNode(owner); }

const TGraphObjectClass* TTriangularNode::StaticClass() {
  return DescribeShape<TTriangularNode>("TTriangularNode", TPolygonalNode::StaticClass(), &Make);
}
const TGraphObjectClass* TTriangularNode::ClassType() const { return StaticClass(); }
TGraphObject* TTriangularNode::Make(TGraphControl* owner) { return new TTriangularNode(owner); }

const TGraphObjectClass* TRhomboidalNode::StaticClass() {
  return DescribeShape<TRhomboidalNode>("TRhomboidalNode", TPolygonalNode::StaticClass(), &Make);
}
const TGraphObjectClass* TRhomboidalNode::ClassType() const { return StaticClass(); }
TGraphObject* TRhomboidalNode::Make(TGraphControl* owner) { return new TRhomboidalNode(owner); }

const TGraphObjectClass* TPentagonalNode::StaticClass() {
  return DescribeShape<TPentagonalNode>("TPentagonalNode", TPolygonalNode::StaticClass(), &Make);
}
const TGraphObjectClass* TPentagonalNode::ClassType() const { return StaticClass(); }
TGraphObject* TPentagonalNode::Make(TGraphControl* owner) { return new TPentagonalNode(owner); }

const TGraphObjectClass* THexagonalNode::StaticClass() {
  return DescribeShape<THexagonalNode>("THexagonalNode", TPolygonalNode::StaticClass(), &Make);
}
const TGraphObjectClass* THexagonalNode::ClassType() const { return StaticClass(); }
TGraphObject* THexagonalNode::Make(TGraphControl* owner) { return new THexagonalNode(owner); }

// ---- Rectangle -------------------------------------------------------------------------

void TRectangularNode::BuildPolygon(const TRect& rect, TPoints& points) const {
  points = {
      {rect.Left, rect.Top}, {rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left, rect.Bottom}};
}

// ---- Rounded rectangle -------------------------------------------------------------------

int32_t TRoundRectangularNode::CornerSize() const { return Height() < Width() ? Width() / 4 : Height() / 4; }

TPoints TRoundRectangularNode::OutlineIntersections(TPoint point, double angle) const {
  return IntersectLineRoundRect(point, GetBoundsRect(), CornerSize(), CornerSize(), angle);
}

TRegion TRoundRectangularNode::CreateShapeRegion() const {
  return TRegion::RoundRect(InclusiveBounds(GetBoundsRect()), CornerSize(), CornerSize());
}

void TRoundRectangularNode::DrawShape(TCanvas& canvas) {
  canvas.RoundRect(GetBoundsRect(), CornerSize(), CornerSize());
}

// ---- Ellipse ---------------------------------------------------------------------------------

TPoints TEllipticNode::OutlineIntersections(TPoint point, double angle) const {
  return IntersectLineEllipse(point, GetBoundsRect(), angle);
}

TRegion TEllipticNode::CreateShapeRegion() const {
  return TRegion::Ellipse(InclusiveBounds(GetBoundsRect()));
}

void TEllipticNode::DrawShape(TCanvas& canvas) { canvas.Ellipse(GetBoundsRect()); }

// ---- Triangle --------------------------------------------------------------------------------

void TTriangularNode::BuildPolygon(const TRect& rect, TPoints& points) const {
  const TShapeBox box(rect);
  points = {{box.CenterX(), rect.Top}, {rect.Right, rect.Bottom}, {rect.Left, rect.Bottom}};
}

TRect TTriangularNode::GetCaptionBounds() const {
  const TShapeBox box(GetBoundsRect());
  const int64_t cx = box.CenterX();
  return Narrowed(
      {TShapeBox::Mid(cx, box.L), TShapeBox::Mid(box.T, box.B), TShapeBox::Mid(cx, box.R), Int(box.B)},
      TGraphNode::GetCaptionBounds());
}

// ---- Rhombus -----------------------------------------------------------------------------------

void TRhomboidalNode::BuildPolygon(const TRect& rect, TPoints& points) const {
  const TShapeBox box(rect);
  points = {{box.CenterX(), rect.Top},
            {rect.Right, box.CenterY()},
            {box.CenterX(), rect.Bottom},
            {rect.Left, box.CenterY()}};
}

TRect TRhomboidalNode::GetCaptionBounds() const {
  const TShapeBox box(GetBoundsRect());
  const int64_t cx = box.CenterX(), cy = box.CenterY();
  return Narrowed({TShapeBox::Mid(cx, box.L), TShapeBox::Mid(box.T, cy), TShapeBox::Mid(box.R, cx),
                   TShapeBox::Mid(cy, box.B)},
                  TGraphNode::GetCaptionBounds());
}

// ---- Pentagon ------------------------------------------------------------------------------------

void TPentagonalNode::BuildPolygon(const TRect& rect, TPoints& points) const {
  const TShapeBox box(rect);
  points = {{box.CenterX(), rect.Top},
            {rect.Right, box.CenterY()},
            {box.QuarterInFromRight(), rect.Bottom},
            {box.QuarterIn(), rect.Bottom},
            {rect.Left, box.CenterY()}};
}

TRect TPentagonalNode::GetCaptionBounds() const {
  const TShapeBox box(GetBoundsRect());
  return Narrowed(
      {box.QuarterIn(), TShapeBox::Mid(box.T, box.CenterY()), box.QuarterInFromRight(), Int(box.B)},
      TGraphNode::GetCaptionBounds());
}

// ---- Hexagon --------------------------------------------------------------------------------------

void THexagonalNode::BuildPolygon(const TRect& rect, TPoints& points) const {
  const TShapeBox box(rect);
  points = {{box.QuarterIn(), rect.Top},    {box.QuarterInFromRight(), rect.Top},
            {rect.Right, box.CenterY()},    {box.QuarterInFromRight(), rect.Bottom},
            {box.QuarterIn(), rect.Bottom}, {rect.Left, box.CenterY()}};
}

TRect THexagonalNode::GetCaptionBounds() const {
  const TShapeBox box(GetBoundsRect());
  return Narrowed({box.QuarterIn(), Int(box.T), box.QuarterInFromRight(), Int(box.B)},
                  TGraphNode::GetCaptionBounds());
}

}  // namespace gc
