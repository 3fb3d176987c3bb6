// Free geometry and text helpers shared by every graph object and the control:
// integer point and rectangle arithmetic, distances and angles, in-place
// transforms of point lists, crossings of a straight line with node outlines,
// and wrapping and cutting of captions.
//
// Angles are radians, 0 along +X and +pi/2 along +Y (down the screen).
// round() is round-to-nearest with halves to even; halving truncates toward
// zero. Point lists are passed as a pointer to the first point and the highest
// index `high` (count - 1, so -1 is an empty list), or as a TPoints.
// None of these functions throws.
#pragma once

#include <cstdint>
#include <string>

#include "GraphControl/Types.h"

namespace gc {

class TCanvas;

inline constexpr double Pi = 3.141592653589793;

// Scalars and angles
bool IsBetween(int32_t value, int32_t bound1, int32_t bound2);
bool SamePoint(TPoint p1, TPoint p2);
// Brings the angle into [-pi, pi]; pi and -pi stay as they are.
double NormalizeAngle(double angle);
double LineLength(TPoint p1, TPoint p2);
// Direction from `from` to `to`; 0 for equal points.
double LineAngle(TPoint from, TPoint to);
// The point at `distance` from origin against the direction `angle`: given
// the direction of a segment ending at origin, it lies back along the segment.
TPoint BackwardPoint(TPoint origin, double angle, double distance);

// Segments and nearest points
// Integer bisection toward the point of segment a-b nearest to p.
TPoint NearestPointOnSegment(TPoint a, TPoint b, TPoint p);
double DistanceToSegment(TPoint a, TPoint b, TPoint p);
// Index of the point nearest to p (the first of equals), or -1 for an empty
// list; `nearest` receives that point and is left alone for -1.
int NearestPoint(const TPoint* points, int high, TPoint p, TPoint& nearest);
int NearestPoint(const TPoints& points, TPoint p, TPoint& nearest);

// Point list transforms, in place
void RotatePoints(TPoint* points, int high, TPoint center, double angle);
void RotatePoints(TPoints& points, TPoint center, double angle);
void ScalePoints(TPoint* points, int high, TPoint center, double factor);
void ScalePoints(TPoints& points, TPoint center, double factor);
void OffsetPoints(TPoint* points, int high, int32_t dx, int32_t dy);
void OffsetPoints(TPoints& points, int32_t dx, int32_t dy);
// Moves each coordinate away from the anchor's (toward it for negative
// amounts); coordinates equal to the anchor's stay.
void SpreadPoints(TPoint* points, int high, int32_t dx, int32_t dy, TPoint anchor);
void SpreadPoints(TPoints& points, int32_t dx, int32_t dy, TPoint anchor);
// Integer mean; the list must not be empty.
TPoint CenterOfPoints(const TPoint* points, int high);
TPoint CenterOfPoints(const TPoints& points);
// Inclusive bounds (Right/Bottom are the largest coordinates themselves);
// EmptyMarkerRect for an empty list.
TRect BoundsOfPoints(const TPoint* points, int high);
TRect BoundsOfPoints(const TPoints& points);

// Rectangles
// The rectangle grown by d on every side (shrunk for a negative d),
// saturating at the int32 limits.
TRect InflatedRect(const TRect& r, int32_t d);
TRect MakeSquare(TPoint p, int32_t half);
TRect MakeRectFromPoints(TPoint p1, TPoint p2);
TPoint CenterOfRect(const TRect& r);
// Grows r to include other; an empty `other` still contributes its corners.
void MergeRect(TRect& r, const TRect& other);
// Cuts r to the common part; the result may be empty or inverted.
void NarrowRect(TRect& r, const TRect& other);
// Edges are inclusive: rectangles that only touch overlap.
bool RectsOverlap(const TRect& r1, const TRect& r2);

// Crossings of the infinite line through p with direction `angle`.
// A direction is vertical when |angle| == pi/2 exactly.
bool IntersectLines(TPoint p, double lineAngle, TPoint q, double segAngle, TPoint& crossing);
// Crossings in edge order, the closing edge included; a crossing through a
// vertex is reported once per edge.
TPoints IntersectLinePolygon(TPoint p, const TPoint* points, int high, double angle);
TPoints IntersectLinePolygon(TPoint p, const TPoints& points, double angle);
TPoints IntersectLinePolyline(TPoint p, const TPoint* points, int high, double angle);
TPoints IntersectLinePolyline(TPoint p, const TPoints& points, double angle);
TPoints IntersectLineRect(TPoint p, const TRect& r, double angle);
// 0, 1 or 2 crossings with the ellipse inscribed in r, smaller X (or for a
// vertical line the upper one) first.
TPoints IntersectLineEllipse(TPoint p, const TRect& r, double angle);
// As IntersectLineRect, with crossings in a corner moved onto the corner
// ellipse of cornerWidth x cornerHeight.
TPoints IntersectLineRoundRect(TPoint p, const TRect& r, int32_t cornerWidth, int32_t cornerHeight,
                               double angle);

// Text layout, measured with the canvas's current font. Text is UTF-8 and is
// broken only between whole characters.
// Wraps to maxWidth; lines are joined by CR LF.
std::string WrapText(TCanvas& canvas, const std::string& text, int32_t maxWidth);
// Wraps to the rectangle's width and cuts to its height, ending the last kept
// line with an ellipsis when lines were dropped.
std::string FitText(TCanvas& canvas, const std::string& text, const TRect& rect);

}  // namespace gc
