// Automatic layout of a diagram: ArrangeDiagram places the nodes of a
// TGraphControl layered (top-down or left-right) or force-directed and routes
// the links among them as polylines. The layout itself is Graphviz's; this
// library (GraphControl::layout) is optional, so the diagram library keeps its
// single dependency.
#pragma once

#include <cstdint>
#include <string>

#include "GraphControl/Exceptions.h"

namespace gc {

class TGraphControl;

// How the nodes are placed.
enum TArrangeStyle : uint8_t {
  asTopDown = 0,        // layered, links running downwards
  asLeftRight = 1,      // layered, links running to the right
  asForceDirected = 2,  // links as springs of equal length (stress majorization)
  asSpring = 3          // multilevel spring model, the quickest on large diagrams
};

// Which nodes take part.
enum TArrangeScope : uint8_t {
  scSelectionOrAll = 0,  // the selected nodes when two or more are selected, else all nodes
  scAll = 1,
  scSelection = 2
};

struct TArrangeOptions {
  TArrangeStyle Style = asTopDown;
  TArrangeScope Scope = scSelectionOrAll;
  // Least gap between neighbouring nodes, and between the layers of a
  // layered layout, in graph units.
  int32_t NodeSpacing = 24;
  int32_t LayerSpacing = 48;
  // Graphviz's layout engine by name ("dot", "neato", "sfdp", ...); empty
  // takes the one that Style names.
  std::string Engine;
  // The name of the undo step.
  std::string StepName = "arrange";
};

// The layout could not be computed. The message is Graphviz's.
class EGraphLayoutError : public EGraphException {
  using EGraphException::EGraphException;
};

// Places the nodes that `options.Scope` names and routes the links between
// them as polylines: their break points follow the router's path, their
// hooked ends are placed on the node outlines by the links themselves. The
// arranged nodes keep the top-left corner of their common bounds. Links with
// only one end among them, and links hooked onto links, keep their hooks and
// become straight, so their ends follow what moved. Nodes that are locked
// stay where they are and take no part; links with fixed break points keep
// them. Node sizes are kept, and link captions get room of their own.
//
// The whole arrangement is one undo step. A failure of the layout raises
// EGraphLayoutError before anything changes. False when there was nothing to
// arrange or nothing moved.
bool ArrangeDiagram(TGraphControl& control, const TArrangeOptions& options = {});

}  // namespace gc
