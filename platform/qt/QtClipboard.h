// The diagram's clipboard on Qt: the private format registered by name, and
// the system clipboard the control copies to and pastes from. A format
// registered by name is the MIME type under which Qt exchanges data of the
// system format of that name, so data placed under it reaches other programs
// that register the same name.
#pragma once

#include <QString>
#include <cstdint>

#include "platform/Clipboard.h"

namespace gc::qt {

// Registers the format `name` and returns its identifier, counting from 1;
// registering a name again gives the identifier it already has.
uint32_t RegisterQtClipboardFormat(const char* name);

// The MIME type of a registered format; empty for an unknown identifier.
QString QtClipboardMimeType(uint32_t format);

// The system clipboard (QGuiApplication::clipboard()). A copy offers the
// diagram stream under "Graph Control Format", the pictures as PNG (also as
// an image) and as SVG, and the captions as plain text. Requires a
// QGuiApplication.
class TQtClipboard : public IClipboard {
 public:
  void SetContent(const TClipboardContent& content) override;
  bool GetNative(std::vector<uint8_t>& bytes) const override;
};

// The instance InstallQtPlatform installs as the platform's clipboard.
TQtClipboard& QtClipboard();

}  // namespace gc::qt
