// A node's background picture: an optional graphic kept as its class name
// ("TBitmap", "TMetafile", "TIcon") and its stored bytes. Decoding and drawing
// are the canvas's business; the model only keeps and compares the bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GraphControl/ChangeCallback.h"

namespace gc {

// The graphic classes a picture can hold; each is stored as a 32-bit byte
// count and its bytes, kept as they are.
inline constexpr std::string_view GraphicClassNames[] = {"TBitmap", "TMetafile", "TIcon"};

struct TGraphic {
  std::string ClassName;      // "TBitmap", "TMetafile" or "TIcon"
  std::vector<uint8_t> Data;  // a BMP file for bitmaps; the stored form for the others
  friend bool operator==(const TGraphic&, const TGraphic&) = default;
};

class TPicture {
 public:
  TChangeCallback OnChange;

  bool HasGraphic() const { return Graphic_ != nullptr; }
  const TGraphic* Graphic() const { return Graphic_.get(); }
  // Replaces the graphic (nullptr clears it); reports a change when it differs.
  void SetGraphic(const TGraphic* graphic) {
    if (Graphic_ ? graphic && *Graphic_ == *graphic : graphic == nullptr) return;
    Graphic_ = graphic ? std::make_shared<const TGraphic>(*graphic) : nullptr;
    if (OnChange) OnChange();
  }
  void Assign(const TPicture& other) {
    if (&other != this) SetGraphic(other.Graphic());
  }

 private:
  // Shared and immutable, so copying a picture between objects is cheap.
  std::shared_ptr<const TGraphic> Graphic_;
};

}  // namespace gc
