// The Qt platform's text measuring canvas and the start-up that installs the
// platform services the diagram library reaches through global hooks.
#pragma once

#include <memory>

#include "platform/Canvas.h"

namespace gc::qt {

// The compatible canvas of the Qt platform: measures text without a window
// (a canvas over a 1 x 1 image). Requires a QGuiApplication.
std::unique_ptr<TCanvas> CreateQtMeasuringCanvas();

// Installs the measuring canvas as the compatible canvas factory, loads the
// control's cursors, installs the start-up hooks (cursors, clipboard
// format) that GraphControlStartup runs, the image factory (bitmaps and SVG
// pictures) and the system clipboard. Call after the QGuiApplication exists
// and before GraphControlStartup; calling it again does no harm.
void InstallQtPlatform();

// Undoes InstallQtPlatform: the library falls back to its fixed-width
// measurer, makes no images, has no clipboard, and the cursors are released.
void UninstallQtPlatform();

}  // namespace gc::qt
