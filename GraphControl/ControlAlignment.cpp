// TGraphControl: lining the selected nodes up with the first selected node,
// spreading them with equal gaps, and giving them the same width or height.
// Every placement goes through the node's SetBounds, which keeps it within
// MinNodeSize and GraphConstraints and asks OnCanMoveResizeNode; locked
// nodes stay where they are.
#include <algorithm>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphNode.h"

namespace gc {

namespace {

constexpr const char* AlignmentStepNames[] = {"align left", "align center", "align right",
                                              "align top",  "align middle", "align bottom"};

// Division rounding toward negative infinity.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

TRect BoundsOf(const TGraphNode* node) { return node->GetBoundsRect(); }

// Where a node of `size` lines up with the reference edges [low, high).
int32_t AlignedStart(int32_t low, int32_t high, int32_t size, int where) {
  switch (where) {
    case 0:
      return low;
    case 1:
      return static_cast<int32_t>(low + (int64_t{high} - low - size) / 2);
    default:
      return static_cast<int32_t>(int64_t{high} - size);
  }
}

// The selected nodes in the order they were selected.
std::vector<TGraphNode*> SelectedNodes(const TGraphObjectList& selection) {
  std::vector<TGraphNode*> nodes;
  for (TGraphObject* object : selection)
    if (object->InheritsFrom(TGraphNode::StaticClass())) nodes.push_back(static_cast<TGraphNode*>(object));
  return nodes;
}

// Places every node of `nodes` by `place` (node, its bounds) -> new bounds,
// in one update lock and one history step. True when any node moved.
template <class Place>
bool PlaceNodes(TGraphControl& control, const std::vector<TGraphNode*>& nodes, const std::string& name,
                Place place) {
  // Handlers may destroy nodes of the list meanwhile: they stay allocated
  // and are passed over.
  TGraphControl::TDeletionGuard keep(control, TGraphControl::TDeletionGuard::Entry);
  TGraphControl::THistoryStep step(control, name);
  TGraphControl::TUpdateLock lock(control);
  bool changed = false;
  for (TGraphNode* node : nodes) {
    if (!control.HoldsObject(node) || node->IsLocked()) continue;
    const TRect old = BoundsOf(node);
    const TRect wanted = place(node, old);
    if (wanted == old) continue;
    node->SetBounds(wanted.Left, wanted.Top, wanted.Right - wanted.Left, wanted.Bottom - wanted.Top);
    changed = changed || BoundsOf(node) != old;
  }
  return changed;
}

}  // namespace

bool TGraphControl::AlignSelection(TGraphAlignment alignment) {
  const std::vector<TGraphNode*> nodes = SelectedNodes(SelectedObjects_);
  if (nodes.size() < 2) return false;
  const TRect reference = BoundsOf(nodes.front());
  const bool horizontal = alignment <= gaRight;
  const int where = horizontal ? alignment - gaLeft : alignment - gaTop;
  const std::vector<TGraphNode*> others(nodes.begin() + 1, nodes.end());
  return PlaceNodes(*this, others, AlignmentStepNames[alignment], [&](TGraphNode*, const TRect& r) {
    const int32_t width = r.Right - r.Left;
    const int32_t height = r.Bottom - r.Top;
    TRect placed = r;
    if (horizontal)
      placed.Left = AlignedStart(reference.Left, reference.Right, width, where);
    else
      placed.Top = AlignedStart(reference.Top, reference.Bottom, height, where);
    placed.Right = placed.Left + width;
    placed.Bottom = placed.Top + height;
    return placed;
  });
}

// The nodes keep their order along the axis (by their near edge); the first
// and the last stay, and the room between them is shared out so that the
// gaps differ by at most one unit.
bool TGraphControl::DistributeSelection(TGraphDistribution direction) {
  std::vector<TGraphNode*> nodes = SelectedNodes(SelectedObjects_);
  if (nodes.size() < 3) return false;
  const bool horizontal = direction == gdHorizontal;
  const auto start = [&](const TGraphNode* n) { return horizontal ? n->Left() : n->Top(); };
  const auto size = [&](const TGraphNode* n) { return horizontal ? n->Width() : n->Height(); };
  std::stable_sort(nodes.begin(), nodes.end(),
                   [&](const TGraphNode* a, const TGraphNode* b) { return start(a) < start(b); });
  const int64_t first = start(nodes.front());
  const int64_t span = int64_t{start(nodes.back())} + size(nodes.back()) - first;
  int64_t total = 0;
  for (const TGraphNode* node : nodes) total += size(node);
  const int64_t room = span - total;
  const int64_t gaps = static_cast<int64_t>(nodes.size()) - 1;
  std::vector<int32_t> starts(nodes.size());
  int64_t before = 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    starts[i] = static_cast<int32_t>(first + before + FloorDiv(room * static_cast<int64_t>(i), gaps));
    before += size(nodes[i]);
  }
  const std::vector<TGraphNode*> inner(nodes.begin() + 1, nodes.end() - 1);
  return PlaceNodes(*this, inner, "distribute", [&](TGraphNode* node, const TRect& r) {
    const auto index = static_cast<size_t>(std::find(nodes.begin(), nodes.end(), node) - nodes.begin());
    TRect placed = r;
    if (horizontal) {
      placed.Left = starts[index];
      placed.Right = placed.Left + (r.Right - r.Left);
    } else {
      placed.Top = starts[index];
      placed.Bottom = placed.Top + (r.Bottom - r.Top);
    }
    return placed;
  });
}

bool TGraphControl::MakeSameWidth() {
  const std::vector<TGraphNode*> nodes = SelectedNodes(SelectedObjects_);
  if (nodes.size() < 2) return false;
  const int32_t width = nodes.front()->Width();
  const std::vector<TGraphNode*> others(nodes.begin() + 1, nodes.end());
  return PlaceNodes(*this, others, "same width", [&](TGraphNode*, const TRect& r) {
    return TRect{r.Left, r.Top, r.Left + width, r.Bottom};
  });
}

bool TGraphControl::MakeSameHeight() {
  const std::vector<TGraphNode*> nodes = SelectedNodes(SelectedObjects_);
  if (nodes.size() < 2) return false;
  const int32_t height = nodes.front()->Height();
  const std::vector<TGraphNode*> others(nodes.begin() + 1, nodes.end());
  return PlaceNodes(*this, others, "same height", [&](TGraphNode*, const TRect& r) {
    return TRect{r.Left, r.Top, r.Right, r.Top + height};
  });
}

}  // namespace gc
