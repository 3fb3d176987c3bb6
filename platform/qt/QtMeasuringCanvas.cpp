#include "platform/qt/QtMeasuringCanvas.h"

#include <QCoreApplication>

#include "GraphControl/Unit.h"
#include "platform/qt/Cursors.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtRenderedImage.h"

namespace gc::qt {

std::unique_ptr<TCanvas> CreateQtMeasuringCanvas() { return std::make_unique<TQtImageCanvas>(1, 1); }

void InstallQtPlatform() {
  SetCompatibleCanvasFactory(&CreateQtMeasuringCanvas);
  RegisterCursors();
  SetPlatformHooks({.LoadCursors = &RegisterCursors, .RegisterClipboardFormat = &RegisterQtClipboardFormat});
  // The kept measuring canvas holds a painter and fonts: it goes with the
  // application, not at program exit after it.
  qRemovePostRoutine(&ReleaseCompatibleCanvas);
  qAddPostRoutine(&ReleaseCompatibleCanvas);
  InstallQtImageFactory();
  SetPlatformClipboard(&QtClipboard());
}

void UninstallQtPlatform() {
  SetPlatformClipboard(nullptr);
  UninstallQtImageFactory();
  SetPlatformHooks({});
  SetCompatibleCanvasFactory(nullptr);
  ReleaseCursors();
}

}  // namespace gc::qt
