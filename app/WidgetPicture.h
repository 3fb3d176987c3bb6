// A picture file made into a widget's background. The ".Screen" format keeps
// a background as a bitmap, so every picture (PNG, JPEG, BMP, SVG) is stored
// as a BMP file; one with transparent parts keeps them (32 bits with alpha).
#pragma once

#include <QImage>
#include <QSize>
#include <string>

#include "GraphControl/Picture.h"

namespace gc::app {

// The file filter of the picture dialog.
inline constexpr const char* PictureFilter = "Pictures|*.png *.jpg *.jpeg *.bmp *.svg";

// Reads the picture in `fileName` as a bitmap. A vector picture is drawn so
// that it covers at least `minimumSize` pixels, keeping its proportions; no
// side grows beyond 4096 pixels.
// Raises EGraphException naming the file and the reason when it cannot be read.
TGraphic ReadPictureFile(const std::string& fileName, QSize minimumSize);

// The BMP file of an image: 24 bits per pixel for an opaque image, 32 bits
// with an alpha mask for one with transparency.
std::vector<uint8_t> EncodeBmp(const QImage& image);

}  // namespace gc::app
