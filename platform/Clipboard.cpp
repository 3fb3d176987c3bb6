#include "platform/Clipboard.h"

namespace gc {

namespace {
IClipboard*& ClipboardSlot() {
  static IClipboard* clipboard = nullptr;
  return clipboard;
}
}  // namespace

IClipboard* PlatformClipboard() { return ClipboardSlot(); }
void SetPlatformClipboard(IClipboard* clipboard) { ClipboardSlot() = clipboard; }

}  // namespace gc
