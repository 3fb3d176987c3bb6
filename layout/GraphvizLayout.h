// The layout step of ArrangeDiagram on plain data: boxes and the edges
// between them go to Graphviz, node centres and edge paths come back in graph
// units (Y downwards, the layout's top-left corner at 0,0). Internal to the
// layout library.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "GraphControl/Types.h"

namespace gc::layout {

struct TLayoutNode {
  int32_t Width = 0;
  int32_t Height = 0;
};

struct TLayoutEdge {
  int32_t Source = 0;  // indexes into TLayoutRequest::Nodes
  int32_t Target = 0;
  // A caption the router leaves room for; empty for none.
  std::string Label;
  std::string FontName;
  int32_t FontSize = 11;  // em height in graph units
};

struct TLayoutRequest {
  std::vector<TLayoutNode> Nodes;
  std::vector<TLayoutEdge> Edges;
  std::string Engine = "dot";
  bool LeftRight = false;  // dot only: layers from left to right
  int32_t NodeSpacing = 24;
  int32_t LayerSpacing = 48;
  // Further graph attributes by Graphviz name, set after the ones above.
  std::vector<std::pair<std::string, std::string>> GraphAttributes;
};

struct TLayoutResult {
  std::vector<TPoint> Centers;  // one per node
  // One per edge: the router's path from the source to the target, its
  // first and last points on or near the two boxes.
  std::vector<TPoints> Paths;
};

// Raises EGraphLayoutError with Graphviz's message when the layout fails.
TLayoutResult RunGraphviz(const TLayoutRequest& request);

}  // namespace gc::layout
