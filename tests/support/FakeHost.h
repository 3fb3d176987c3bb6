// A host window for tests: records what the control asks of its window
// (repaints, cursors, scrolling, popup menus) and answers with configurable
// client size, focus, shown scroll bars and system metrics.
#pragma once

#include <map>
#include <vector>

#include "platform/HostWindow.h"

namespace gc {

class TFakeHost : public IGraphHost {
 public:
  // Configuration.
  TSize Client{800, 600};
  bool Border = false;
  bool HasFocus = true;
  bool Captured = false;
  bool HorzShown = false;
  bool VertShown = false;
  TPoint Cursor{0, 0};
  std::map<TSystemMetric, int32_t> Metrics{{TSystemMetric::CxVScroll, 17},  {TSystemMetric::CyHScroll, 17},
                                           {TSystemMetric::CxHScroll, 17},  {TSystemMetric::CyVScroll, 17},
                                           {TSystemMetric::CxScreen, 1920}, {TSystemMetric::CyScreen, 1080}};

  // Records.
  std::vector<TRect> InvalidatedRects;
  int InvalidateAllCount = 0;
  int PaintNowCount = 0;
  std::vector<TPoint> Scrolls;  // (dx, dy) per ScrollContent
  std::vector<TCursor> ScreenCursors;
  int ToolTipCancels = 0;
  struct TPopup {
    void* Menu;
    TPoint Position;
  };
  std::vector<TPopup> Popups;
  std::map<TScrollBarKind, TScrollInfo> ScrollInfos;
  std::map<TScrollBarKind, int32_t> ScrollPositions;
  std::map<TScrollBarKind, TScrollBarAppearance> Appearances;

  void ClearRecords();

  int ControlDestroyedCount = 0;
  void ControlDestroyed(TGraphControl*) override { ++ControlDestroyedCount; }
  void InvalidateRect(const TRect& clientRect) override { InvalidatedRects.push_back(clientRect); }
  void InvalidateAll() override { ++InvalidateAllCount; }
  void PaintNow() override { ++PaintNowCount; }
  void ScrollContent(int32_t dx, int32_t dy) override { Scrolls.push_back({dx, dy}); }
  TSize ClientSize() const override { return Client; }
  bool HasBorder() const override { return Border; }
  bool Focused() const override { return HasFocus; }
  void SetFocus() override { HasFocus = true; }
  bool MouseCaptured() const override { return Captured; }
  TPoint CursorPos() const override { return Cursor; }
  void SetCursorPos(TPoint clientPoint) override { Cursor = clientPoint; }
  void SetScreenCursor(TCursor cursor) override { ScreenCursors.push_back(cursor); }
  void CancelToolTip() override { ++ToolTipCancels; }
  void PopupMenu(void* menu, TPoint clientPoint) override { Popups.push_back({menu, clientPoint}); }
  bool ScrollBarShown(TScrollBarKind kind) const override {
    return kind == TScrollBarKind::sbHorizontal ? HorzShown : VertShown;
  }
  void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info) override;
  int32_t ScrollPos(TScrollBarKind kind) const override;
  void SetScrollPos(TScrollBarKind kind, int32_t position) override { ScrollPositions[kind] = position; }
  bool TrackPos(TScrollBarKind kind, int32_t& position) const override;
  void SetScrollBarAppearance(TScrollBarKind kind, const TScrollBarAppearance& appearance) override {
    Appearances[kind] = appearance;
  }
  int32_t SystemMetric(TSystemMetric metric) const override;
};

}  // namespace gc
