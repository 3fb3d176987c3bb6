// The Qt platform's rendered images: 24-bit QImage bitmaps (encoded as PNG)
// and SVG documents standing in for metafiles, made through the library's
// RenderImage service (installed by InstallQtPlatform, platform/qt/QtPlatform.h).
#pragma once

#include <memory>

#include "GraphControl/RenderHooks.h"

class QImage;

namespace gc::qt {

// A new image of the kind and size; requires a QGuiApplication.
std::unique_ptr<TRenderedImage> CreateQtRenderedImage(TRenderedImageKind kind, int32_t width, int32_t height);

// The bitmap of an image made by CreateQtRenderedImage (null for metafiles).
const QImage* RenderedBitmap(const TRenderedImage& image);

}  // namespace gc::qt
