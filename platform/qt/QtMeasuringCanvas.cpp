#include "platform/qt/QtMeasuringCanvas.h"

#include "GraphControl/Unit.h"
#include "platform/qt/Cursors.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtClipboard.h"

namespace gc::qt {

std::unique_ptr<TCanvas> CreateQtMeasuringCanvas() { return std::make_unique<TQtImageCanvas>(1, 1); }

void InstallQtPlatform() {
  SetCompatibleCanvasFactory(&CreateQtMeasuringCanvas);
  RegisterCursors();
  SetPlatformHooks({.LoadCursors = &RegisterCursors, .RegisterClipboardFormat = &RegisterQtClipboardFormat});
}

void UninstallQtPlatform() {
  SetPlatformHooks({});
  SetCompatibleCanvasFactory(nullptr);
  ReleaseCursors();
}

}  // namespace gc::qt
