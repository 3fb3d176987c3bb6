// What a platform gives the diagram library: the services a headless library
// cannot have of its own. A platform layer installs them all at once at
// start-up (platform/qt: qt::InstallQtPlatform); every service is optional,
// and without one the library falls back as each field says.
#pragma once

#include <cstdint>

#include "GraphControl/RenderHooks.h"
#include "platform/Canvas.h"
#include "platform/Clipboard.h"

namespace gc {

struct TPlatformServices {
  // Makes the canvas that measures text without a window (see
  // CompatibleCanvas). Without it a fixed-width measurer stands in.
  TCanvasFactory MeasuringCanvas = nullptr;
  // Makes bitmaps and vector pictures (TGraphControl::RenderBitmap,
  // RenderMetafile, the pictures a copy offers). Without it no images are made.
  TRenderImageFactory RenderImage;
  // The system clipboard, for controls given none of their own. Not owned.
  IClipboard* Clipboard = nullptr;
  // Run by the first GraphControlStartup: loads the control's own cursors
  // (crHandFlat ... crXHairLink) and registers the diagram's clipboard format
  // by name, returning its identifier.
  void (*LoadCursors)() = nullptr;
  uint32_t (*RegisterClipboardFormat)(const char* name) = nullptr;
  // Run by the last GraphControlShutdown.
  void (*Shutdown)() = nullptr;
};

// Replaces every service at once (an empty set removes them all). The kept
// measuring canvas is dropped, so that text is measured anew with the new one.
void SetPlatformServices(TPlatformServices services);
const TPlatformServices& PlatformServices();

}  // namespace gc
