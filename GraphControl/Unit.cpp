#include "GraphControl/Unit.h"

#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphObjectClass.h"
#include "GraphControl/NodeShapes.h"
#include "platform/Platform.h"

namespace gc {

namespace {

int StartupCount = 0;
uint32_t ClipboardFormat = 0;

// ---------------------------------------------------------------------------
// Built-in classes, in registration order. The first registered class of each
// kind becomes a new control's default class.
//   Links: TGraphLink.
//   Nodes: TRectangularNode, TRoundRectangularNode, TEllipticNode,
//          TTriangularNode, TRhomboidalNode, TPentagonalNode, THexagonalNode.
// The node and link classes add their descriptors to these lists.
// ---------------------------------------------------------------------------
std::vector<const TGraphObjectClass*> BuiltInLinkClasses() { return {TGraphLink::StaticClass()}; }
std::vector<const TGraphObjectClass*> BuiltInNodeClasses() {
  return {TRectangularNode::StaticClass(), TRoundRectangularNode::StaticClass(),
          TEllipticNode::StaticClass(),    TTriangularNode::StaticClass(),
          TRhomboidalNode::StaticClass(),  TPentagonalNode::StaticClass(),
          THexagonalNode::StaticClass()};
}

}  // namespace

void GraphControlStartup() {
  if (StartupCount++ > 0) return;
  const TPlatformServices& platform = PlatformServices();
  if (platform.LoadCursors) platform.LoadCursors();
  if (platform.RegisterClipboardFormat)
    ClipboardFormat = platform.RegisterClipboardFormat(GraphClipboardFormatName);
  for (const TGraphObjectClass* cls : BuiltInLinkClasses()) TGraphControl::RegisterLinkClass(cls);
  for (const TGraphObjectClass* cls : BuiltInNodeClasses()) TGraphControl::RegisterNodeClass(cls);
}

void GraphControlShutdown() {
  if (StartupCount == 0 || --StartupCount > 0) return;
  const auto nodes = BuiltInNodeClasses();
  for (auto it = nodes.rbegin(); it != nodes.rend(); ++it) TGraphControl::UnregisterNodeClass(*it);
  for (const TGraphObjectClass* cls : BuiltInLinkClasses()) TGraphControl::UnregisterLinkClass(cls);
  ClipboardFormat = 0;
  if (const auto shutdown = PlatformServices().Shutdown) shutdown();
}

bool GraphControlStarted() { return StartupCount > 0; }

uint32_t GraphClipboardFormat() { return ClipboardFormat; }

}  // namespace gc
