// Images are a platform service. The library asks for them through the
// RenderImage service a platform layer installs (platform/Platform.h;
// platform/qt makes QImage bitmaps and SVG "metafiles"); without a platform
// the render operations return null.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gc {

class TCanvas;

enum class TRenderedImageKind : uint8_t {
  Bitmap,   // 24-bit raster image, white before drawing
  Metafile  // vector image
};

// An image made by the platform, owned by whoever received it.
class TRenderedImage {
 public:
  virtual ~TRenderedImage() = default;
  virtual TRenderedImageKind Kind() const = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // The canvas to draw on; valid until Finish.
  virtual TCanvas& Canvas() = 0;
  // Ends drawing; completes a metafile.
  virtual void Finish() = 0;
  // The finished image in the platform's file form (PNG for bitmaps, SVG for
  // metafiles).
  virtual std::vector<uint8_t> Encode() const = 0;
};

using TRenderImageFactory =
    std::function<std::unique_ptr<TRenderedImage>(TRenderedImageKind kind, int32_t width, int32_t height)>;

}  // namespace gc
