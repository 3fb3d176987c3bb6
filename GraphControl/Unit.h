// Start-up and shut-down of the diagram library: the built-in node and link
// classes are registered (so a new control's DefaultNodeClass and
// DefaultLinkClass are set and streams can create them by name), and the
// platform is given a chance to load the control's cursors and register the
// diagram clipboard format.
#pragma once

#include <cstdint>

#include "GraphControl/Types.h"

namespace gc {

inline constexpr const char* GraphClipboardFormatName = "Graph Control Format";

// What the platform does at start-up and shut-down comes with its services
// (platform/Platform.h), installed before GraphControlStartup.

// Once per program, before the first control. Further calls only count.
void GraphControlStartup();
// After the last control; undoes the matching start-up.
void GraphControlShutdown();
bool GraphControlStarted();

// The identifier of the registered diagram clipboard format (0 before start-up
// or without a platform).
uint32_t GraphClipboardFormat();

}  // namespace gc
