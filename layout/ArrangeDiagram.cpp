// ArrangeDiagram: gathers the nodes to arrange and the links among them,
// has Graphviz lay them out (GraphvizLayout.cpp), and only then changes the
// diagram, in one update lock and one undo step, so a failed layout leaves
// everything as it was.
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "layout/DiagramLayout.h"
#include "layout/GraphvizLayout.h"

namespace gc {

namespace {

std::string EngineFor(const TArrangeOptions& options) {
  if (!options.Engine.empty()) return options.Engine;
  switch (options.Style) {
    case asForceDirected:
      return "neato";
    case asSpring:
      return "sfdp";
    default:
      return "dot";
  }
}

bool IsNode(const TGraphObject* object) { return object->InheritsFrom(TGraphNode::StaticClass()); }
TGraphLink* AsLink(TGraphObject* object) {
  return object->InheritsFrom(TGraphLink::StaticClass()) ? static_cast<TGraphLink*>(object) : nullptr;
}

std::vector<TGraphNode*> UnlockedNodes(const TGraphObjectList& list) {
  std::vector<TGraphNode*> nodes;
  for (TGraphObject* object : list)
    if (IsNode(object) && !object->IsLocked()) nodes.push_back(static_cast<TGraphNode*>(object));
  return nodes;
}

// The selection when it holds two nodes or more (one node alone has nothing
// to be arranged against), else every node.
std::vector<TGraphNode*> NodesToArrange(const TGraphControl& control, TArrangeScope scope) {
  if (scope == scAll) return UnlockedNodes(control.Objects());
  std::vector<TGraphNode*> selected = UnlockedNodes(control.SelectedObjects());
  if (scope == scSelection || selected.size() >= 2) return selected;
  return UnlockedNodes(control.Objects());
}

// What is handed to Graphviz, and the objects behind its indexes.
struct TArrangement {
  std::vector<TGraphNode*> Nodes;
  std::vector<TGraphLink*> Links;  // one per request edge
  layout::TLayoutRequest Request;
};

TArrangement Gather(const TGraphControl& control, const TArrangeOptions& options) {
  TArrangement arrangement;
  arrangement.Nodes = NodesToArrange(control, options.Scope);
  std::unordered_map<const TGraphObject*, int32_t> index;
  layout::TLayoutRequest& request = arrangement.Request;
  for (TGraphNode* node : arrangement.Nodes) {
    index.emplace(node, static_cast<int32_t>(request.Nodes.size()));
    request.Nodes.push_back({node->Width(), node->Height()});
  }
  for (TGraphObject* object : control.Objects()) {
    TGraphLink* link = AsLink(object);
    if (!link || !link->Source() || !link->Target()) continue;
    const auto source = index.find(link->Source());
    const auto target = index.find(link->Target());
    if (source == index.end() || target == index.end()) continue;
    arrangement.Links.push_back(link);
    request.Edges.push_back(
        {source->second, target->second, link->Text(), link->Font().Name(), std::abs(link->Font().Height())});
  }
  request.Engine = EngineFor(options);
  request.LeftRight = options.Style == asLeftRight;
  request.NodeSpacing = options.NodeSpacing;
  request.LayerSpacing = options.LayerSpacing;
  return arrangement;
}

// Where the layout puts each node, moved so that the nodes' common bounds
// keep their top-left corner; `offset` is that move.
std::vector<TRect> PlacedBounds(const TArrangement& arrangement, const layout::TLayoutResult& result,
                                TPoint& offset) {
  std::vector<TRect> placed;
  TPoint oldCorner{INT32_MAX, INT32_MAX};
  TPoint newCorner{INT32_MAX, INT32_MAX};
  for (size_t i = 0; i < arrangement.Nodes.size(); ++i) {
    const TGraphNode* node = arrangement.Nodes[i];
    const TPoint center = result.Centers[i];
    const TRect r{center.X - node->Width() / 2, center.Y - node->Height() / 2, 0, 0};
    placed.push_back({r.Left, r.Top, r.Left + node->Width(), r.Top + node->Height()});
    oldCorner = {std::min(oldCorner.X, node->Left()), std::min(oldCorner.Y, node->Top())};
    newCorner = {std::min(newCorner.X, r.Left), std::min(newCorner.Y, r.Top)};
  }
  offset = {oldCorner.X - newCorner.X, oldCorner.Y - newCorner.Y};
  for (TRect& r : placed) r = {r.Left + offset.X, r.Top + offset.Y, r.Right + offset.X, r.Bottom + offset.Y};
  return placed;
}

// Gives the link `breaks` as its break points; the hooked ends stay hooked
// and are placed again on the outlines. True when the points changed.
bool SetBreakPoints(TGraphLink& link, const TPoints& breaks) {
  const TPoints& points = link.Polyline();
  if (points.size() >= 2 && TPoints(points.begin() + 1, points.end() - 1) == breaks) {
    link.RefreshHooks();
    return false;
  }
  for (int32_t i = link.PointCount() - 2; i >= 1; --i) link.RemovePoint(i);
  for (size_t j = 0; j < breaks.size(); ++j) link.InsertPoint(static_cast<int32_t>(j + 1), breaks[j]);
  link.RefreshHooks();
  return true;
}

TPoints InteriorOf(const TPoints& path, TPoint offset) {
  TPoints breaks;
  for (size_t i = 1; i + 1 < path.size(); ++i) breaks.push_back({path[i].X + offset.X, path[i].Y + offset.Y});
  return breaks;
}

bool Movable(const TGraphControl& control, TGraphLink* link) {
  return control.HoldsObject(link) && (link->LinkOptions() & gloFixedBreakPoints) == 0;
}

}  // namespace

bool ArrangeDiagram(TGraphControl& control, const TArrangeOptions& options) {
  TArrangement arrangement = Gather(control, options);
  if (arrangement.Nodes.empty()) return false;
  const layout::TLayoutResult result = layout::RunGraphviz(arrangement.Request);
  TPoint offset;
  const std::vector<TRect> placed = PlacedBounds(arrangement, result, offset);

  // Handlers may destroy objects meanwhile: they stay allocated and are passed over.
  TGraphControl::TDeletionGuard keep(control, TGraphControl::TDeletionGuard::Entry);
  TGraphControl::THistoryStep step(control, options.StepName);
  TGraphControl::TUpdateLock lock(control);
  bool changed = false;
  std::unordered_set<const TGraphObject*> moved;
  for (size_t i = 0; i < arrangement.Nodes.size(); ++i) {
    TGraphNode* node = arrangement.Nodes[i];
    if (!control.HoldsObject(node)) continue;
    const TRect old = node->GetBoundsRect();
    const TRect& r = placed[i];
    node->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    changed = changed || node->GetBoundsRect() != old;
    moved.insert(node);
  }
  for (size_t i = 0; i < arrangement.Links.size(); ++i) {
    TGraphLink* link = arrangement.Links[i];
    if (!Movable(control, link)) continue;
    changed = SetBreakPoints(*link, InteriorOf(result.Paths[i], offset)) || changed;
    moved.insert(link);
  }
  // The other links hooked to what moved, links on links among them, in
  // z-order, so a link follows the link it hangs on.
  const std::unordered_set<const TGraphObject*> routed(arrangement.Links.begin(), arrangement.Links.end());
  std::vector<TGraphLink*> others;
  for (TGraphObject* object : control.Objects())
    if (TGraphLink* link = AsLink(object); link && !routed.count(link)) others.push_back(link);
  for (TGraphLink* link : others) {
    if (!Movable(control, link) || !(moved.count(link->Source()) || moved.count(link->Target()))) continue;
    changed = SetBreakPoints(*link, {}) || changed;
    moved.insert(link);
  }
  return changed;
}

}  // namespace gc
