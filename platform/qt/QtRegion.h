// Regions of the diagram library as Qt paths, for clipping and invalidation.
#pragma once

#include <QPainterPath>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include "GraphControl/Region.h"

namespace gc::qt {

// The region's outline in its own coordinates. Filling the path without
// antialiasing covers exactly the region's pixels: both sample the pixel
// centre, so a polygon keeps its fill rule and an ellipse or rounded
// rectangle spans its box with the right and bottom edges excluded.
QPainterPath ToPainterPath(const TRegion& region);

// Exactly the pixels of the region (see TRegion's pixel rule) that lie in
// `limit`, as a QRegion: raster clipping with it agrees with hit testing
// pixel for pixel, where a curve approximated by a path may differ on the
// boundary.
QRegion ToPixelRegion(const TRegion& region, const QRect& limit);

// The region seen through an affine transform (rotation and shear included,
// which a TRegion cannot hold). An empty region gives an empty path.
QPainterPath TransformRegion(const TRegion& region, const QTransform& transform);

}  // namespace gc::qt
