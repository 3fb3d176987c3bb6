// The Qt platform: one call installs every service the diagram library
// reaches its platform through (platform/Platform.h).
#pragma once

namespace gc::qt {

// Installs the Qt services at once: text measured with Qt's fonts (the
// measuring canvas), the control's cursors (loaded now and by
// GraphControlStartup), the diagram clipboard format, bitmaps and SVG
// pictures, and the system clipboard. Call after the QGuiApplication exists
// and before GraphControlStartup; calling it again does no harm.
void InstallQtPlatform();

// Undoes InstallQtPlatform: the library falls back to its fixed-width
// measurer, makes no images, has no clipboard, and the cursors are released.
void UninstallQtPlatform();

}  // namespace gc::qt
