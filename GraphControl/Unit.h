// Start-up and shut-down of the diagram library: the built-in node and link
// classes are registered (so a new control's DefaultNodeClass and
// DefaultLinkClass are set and streams can create them by name), and the
// platform is given a chance to load the control's cursors and register the
// diagram clipboard format.
#pragma once

#include <cstdint>

#include "GraphControl/Types.h"

namespace gc {

// The control's own cursors and the resource names they are loaded from.
struct TCursorResource {
  TCursor Id;
  const char* ResourceName;
};
inline constexpr TCursorResource GraphCursorResources[] = {
    {crHandFlat, "GC_HANDFLAT"},   {crHandGrab, "GC_HANDGRAB"}, {crHandPnt, "GC_HANDPNT"},
    {crXHair1, "GC_XHAIR1"},       {crXHair2, "GC_XHAIR2"},     {crXHair3, "GC_XHAIR3"},
    {crXHairLink, "GC_XHAIRLINK"},
};

inline constexpr const char* GraphClipboardFormatName = "Graph Control Format";

// What the platform layer does at start-up and shut-down. Every hook is optional.
struct TPlatformHooks {
  // Loads GraphCursorResources and registers them under their ids.
  void (*LoadCursors)() = nullptr;
  // Registers a private clipboard format by name; returns its identifier.
  uint32_t (*RegisterClipboardFormat)(const char* name) = nullptr;
  // Releases what the start-up took.
  void (*Shutdown)() = nullptr;
};

// Installs the platform hooks; call before GraphControlStartup.
void SetPlatformHooks(const TPlatformHooks& hooks);

// Once per program, before the first control. Further calls only count.
void GraphControlStartup();
// After the last control; undoes the matching start-up.
void GraphControlShutdown();
bool GraphControlStarted();

// The identifier of the registered diagram clipboard format (0 before start-up
// or without a platform).
uint32_t GraphClipboardFormat();

}  // namespace gc
