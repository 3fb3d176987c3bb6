#include "support/FakeHost.h"

namespace gc {

void TFakeHost::ClearRecords() {
  InvalidatedRects.clear();
  InvalidateAllCount = 0;
  PaintNowCount = 0;
  Scrolls.clear();
  ScreenCursors.clear();
  ToolTipCancels = 0;
  Popups.clear();
}

void TFakeHost::SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) {
  ScrollInfos[kind] = info;
  ScrollPositions[kind] = info.Position;
}

int32_t TFakeHost::ScrollPos(TScrollBarKind kind) const {
  auto it = ScrollPositions.find(kind);
  return it == ScrollPositions.end() ? 0 : it->second;
}

bool TFakeHost::TrackPos(TScrollBarKind kind, int32_t& position) const {
  position = ScrollPos(kind);
  return true;
}

int32_t TFakeHost::SystemMetric(TSystemMetric metric) const {
  auto it = Metrics.find(metric);
  return it == Metrics.end() ? 0 : it->second;
}

}  // namespace gc
