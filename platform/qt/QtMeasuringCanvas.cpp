#include "platform/qt/QtMeasuringCanvas.h"

#include "platform/qt/QtCanvas.h"

namespace gc::qt {

std::unique_ptr<TCanvas> CreateQtMeasuringCanvas() { return std::make_unique<TQtImageCanvas>(1, 1); }

}  // namespace gc::qt
