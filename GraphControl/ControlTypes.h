// The vocabulary of the control's API: command modes, alignment and
// clipboard codes, zoom and grid limits, and the signatures of the control's
// events. Control.h declares the control itself with these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "GraphControl/GraphObject.h"
#include "GraphControl/Types.h"

namespace gc {

class TGraphControl;
class IClipboard;
class TCanvas;
class TGraphHistory;
class TGraphLink;
class TGraphNode;
class TStream;
class TRenderedImage;

enum TGraphCommandMode : uint8_t { cmBrowse = 0, cmPan = 1, cmEdit = 2, cmAddNode = 3, cmAddLink = 4 };
// A press in these modes creates an object.
constexpr bool IsInsertMode(TGraphCommandMode mode) { return mode == cmAddNode || mode == cmAddLink; }
enum TGraphDrawOrder : uint8_t { doDefault = 0, doNodesOnTop = 1, doLinksOnTop = 2 };
enum TExtentKind : uint8_t { ekAll = 0, ekSelected = 1, ekDragging = 2 };
enum TZoomAnchor : uint8_t { zaTopLeft = 0, zaCenter = 1, zaCursor = 2, zaCursorCenter = 3 };

using TGraphClipboardFormats = uint8_t;
inline constexpr TGraphClipboardFormats cfNative = 1;
inline constexpr TGraphClipboardFormats cfMetafile = 2;
inline constexpr TGraphClipboardFormats cfBitmap = 4;

// Alignment of the selected nodes to the first selected one, and their
// distribution with equal gaps.
enum TGraphAlignment : uint8_t {
  gaLeft = 0,
  gaCenter = 1,
  gaRight = 2,
  gaTop = 3,
  gaMiddle = 4,
  gaBottom = 5
};
enum TGraphDistribution : uint8_t { gdHorizontal = 0, gdVertical = 1 };

// The default byte budget of the undo history: 64 MB.
inline constexpr int64_t DefaultHistoryLimit = int64_t{64} * 1024 * 1024;

inline constexpr int32_t MinZoom = 5;
inline constexpr int32_t MaxZoom = 36863;
inline constexpr int32_t MinGridSize = 4;
inline constexpr int32_t MaxGridSize = 128;

// Events. The first argument is always the control.
using TNotifyEvent = std::function<void(TGraphControl* sender)>;
using TGraphNotifyEvent = std::function<void(TGraphControl* graph, TGraphObject* object)>;
using TGraphContextPopupEvent =
    std::function<void(TGraphControl* graph, TGraphObject* object, const TPoint& mousePos, bool& handled)>;
using TGraphObjectDrawEvent =
    std::function<void(TGraphControl* graph, TGraphObject* object, TCanvas& canvas)>;
using TGraphBeginDragEvent = std::function<void(TGraphControl* graph, TGraphObject* object, THitCode ht)>;
using TGraphEndDragEvent =
    std::function<void(TGraphControl* graph, TGraphObject* object, THitCode ht, bool cancelled)>;
using TGraphStreamEvent = std::function<void(TGraphControl* graph, TGraphObject* object, TStream& stream)>;
using TGraphHookEvent =
    std::function<void(TGraphControl* graph, TGraphObject* object, TGraphLink* link, int32_t index)>;
using TGraphCanHookEvent = std::function<void(TGraphControl* graph, TGraphObject* object, TGraphLink* link,
                                              int32_t index, bool& canHook)>;
using TGraphCanLinkEvent = std::function<void(TGraphControl* graph, TGraphLink* link, TGraphObject* source,
                                              TGraphObject* target, bool& canLink)>;
using TCanMoveResizeNodeEvent =
    std::function<void(TGraphControl* graph, TGraphNode* node, int32_t& newLeft, int32_t& newTop,
                       int32_t& newWidth, int32_t& newHeight, bool& canMove, bool& canResize)>;
using TGraphCanRemoveEvent = std::function<void(TGraphControl* graph, TGraphObject* object, bool& canRemove)>;
using TGraphNodeResizeEvent = std::function<void(TGraphControl* graph, TGraphNode* node)>;
using TGraphDrawEvent = std::function<void(TGraphControl* graph, TCanvas& canvas)>;
using TGraphInfoTipEvent =
    std::function<void(TGraphControl* graph, TGraphObject* object, std::string& infoTip)>;
using TContextPopupEvent = std::function<void(TGraphControl* sender, const TPoint& mousePos, bool& handled)>;
// The framework's input events; positions are client pixels. A key handler
// may change the key (0 consumes it).
using TMouseEvent =
    std::function<void(TGraphControl* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = std::function<void(TGraphControl* sender, TShiftState shift, int32_t x, int32_t y)>;
using TKeyEvent = std::function<void(TGraphControl* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TGraphControl* sender, char32_t& key)>;
using TMouseWheelUpDownEvent =
    std::function<void(TGraphControl* sender, TShiftState shift, const TPoint& mousePos, bool& handled)>;

// Callback of VisitObjects: true goes on, false stops.
using TGraphVisitCallback = std::function<bool(TGraphObject* object, int32_t userData)>;

}  // namespace gc
