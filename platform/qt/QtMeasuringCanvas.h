// The Qt platform's text measuring canvas (installed by InstallQtPlatform,
// platform/qt/QtPlatform.h).
#pragma once

#include <memory>

#include "platform/Canvas.h"

namespace gc::qt {

// The compatible canvas of the Qt platform: measures text without a window
// (a canvas over a 1 x 1 image). Requires a QGuiApplication.
std::unique_ptr<TCanvas> CreateQtMeasuringCanvas();

}  // namespace gc::qt
