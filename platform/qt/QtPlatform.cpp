#include "platform/qt/QtPlatform.h"

#include <QCoreApplication>

#include "platform/Platform.h"
#include "platform/qt/Cursors.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtMeasuringCanvas.h"
#include "platform/qt/QtRenderedImage.h"

namespace gc::qt {

void InstallQtPlatform() {
  SetPlatformServices({.MeasuringCanvas = &CreateQtMeasuringCanvas,
                       .RenderImage = &CreateQtRenderedImage,
                       .Clipboard = &QtClipboard(),
                       .LoadCursors = &RegisterCursors,
                       .RegisterClipboardFormat = &RegisterQtClipboardFormat});
  RegisterCursors();
  // The kept measuring canvas holds a painter and fonts: it goes with the
  // application, not at program exit after it.
  qRemovePostRoutine(&ReleaseCompatibleCanvas);
  qAddPostRoutine(&ReleaseCompatibleCanvas);
}

void UninstallQtPlatform() {
  SetPlatformServices({});
  ReleaseCursors();
}

}  // namespace gc::qt
