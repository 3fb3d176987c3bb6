// The seven node shapes. The polygon shapes (rectangle, triangle, rhombus,
// pentagon, hexagon) give their vertices for a bounds rectangle; the rounded
// rectangle and the ellipse have their own region, drawing and outline
// crossings. Some shapes narrow the caption area to the part of the shape
// where text fits.
//
// Every class is registered as a node class at the library's start-up and is
// created through TGraphNode::CreateWithBounds (or by name from a stream).
#pragma once

#include "GraphControl/GraphNode.h"

namespace gc {

// Vertices (L, T), (R, T), (R, B), (L, B).
class TRectangularNode : public TPolygonalNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;
  void BuildPolygon(const TRect& rect, TPoints& points) const override;

 protected:
  explicit TRectangularNode(TGraphControl* owner) : TPolygonalNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

// A rounded rectangle whose corner ellipse is c x c, c = max(W, H) div 4.
class TRoundRectangularNode : public TGraphNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;

  int32_t CornerSize() const;
  TPoints OutlineIntersections(TPoint point, double angle) const override;
  TRegion CreateShapeRegion() const override;
  void DrawShape(TCanvas& canvas) override;

 protected:
  explicit TRoundRectangularNode(TGraphControl* owner) : TGraphNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

// The ellipse inscribed in the bounds.
class TEllipticNode : public TGraphNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;

  TPoints OutlineIntersections(TPoint point, double angle) const override;
  TRegion CreateShapeRegion() const override;
  void DrawShape(TCanvas& canvas) override;

 protected:
  explicit TEllipticNode(TGraphControl* owner) : TGraphNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

// Apex at the top middle: (cx, T), (R, B), (L, B).
class TTriangularNode : public TPolygonalNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;
  void BuildPolygon(const TRect& rect, TPoints& points) const override;
  TRect GetCaptionBounds() const override;

 protected:
  explicit TTriangularNode(TGraphControl* owner) : TPolygonalNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

// The edge middles: (cx, T), (R, cy), (cx, B), (L, cy).
class TRhomboidalNode : public TPolygonalNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;
  void BuildPolygon(const TRect& rect, TPoints& points) const override;
  TRect GetCaptionBounds() const override;

 protected:
  explicit TRhomboidalNode(TGraphControl* owner) : TPolygonalNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

// Apex at the top middle, the base a quarter of the width in from each side.
class TPentagonalNode : public TPolygonalNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;
  void BuildPolygon(const TRect& rect, TPoints& points) const override;
  TRect GetCaptionBounds() const override;

 protected:
  explicit TPentagonalNode(TGraphControl* owner) : TPolygonalNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

// Top and bottom edges a quarter of the width in from each side, points at
// the middles of the left and right edges.
class THexagonalNode : public TPolygonalNode {
 public:
  static const TGraphObjectClass* StaticClass();
  const TGraphObjectClass* ClassType() const override;
  void BuildPolygon(const TRect& rect, TPoints& points) const override;
  TRect GetCaptionBounds() const override;

 protected:
  explicit THexagonalNode(TGraphControl* owner) : TPolygonalNode(owner) {}

 private:
  static TGraphObject* Make(TGraphControl* owner);
};

}  // namespace gc
