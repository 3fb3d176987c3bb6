// The clipboard, as the diagram control reaches it: everything a copy offers
// is handed over at once, and pasting reads the diagram's own format back.
// The platform layer installs its clipboard among its services
// (platform/Platform.h); tests use a fake of the same interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gc {

// What a copy puts on the clipboard. Empty parts are not offered.
struct TClipboardContent {
  // The diagram's own format ("Graph Control Format"): a diagram stream.
  std::vector<uint8_t> Native;
  // Pictures of the objects for other programs.
  std::vector<uint8_t> Png;
  std::vector<uint8_t> Svg;
  // The objects' captions, one per line (UTF-8).
  std::string Text;
};

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Replaces what the clipboard holds.
  virtual void SetContent(const TClipboardContent& content) = 0;
  // The bytes held in the diagram's own format; false when it holds none.
  virtual bool GetNative(std::vector<uint8_t>& bytes) const = 0;
};

}  // namespace gc
