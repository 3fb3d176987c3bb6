// The control and its host window, and what the control's destructor still
// tells the program.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "support/FakeHost.h"
#include "support/FixedWidthCanvas.h"

namespace gc {
namespace {

TEST(ControlLifetime, OneHostAtATimeAndTheHostHearsWhenTheControlGoes) {
  TFakeHost first;
  TFakeHost second;
  auto graph = std::make_unique<TGraphControl>();
  graph->SetHost(&first);
  EXPECT_THROW(graph->SetHost(&second), EGraphInvalidOperation);
  EXPECT_EQ(graph->Host(), &first);
  graph->SetHost(nullptr);
  graph->SetHost(&second);
  graph.reset();
  EXPECT_EQ(first.ControlDestroyedCount, 0);
  EXPECT_EQ(second.ControlDestroyedCount, 1);
}

// The destructor's removal steps: the events it may raise are the ones its
// header names, each object's, and nothing about the diagram as a whole.
TEST(ControlLifetime, DestructionRaisesOnlyTheRemovalEvents) {
  InstallFixedWidthMeasurer();
  TFakeHost host;
  std::set<std::string> raised;
  {
    TGraphControl graph;
    graph.SetHost(&host);
    auto* a = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {0, 0, 40, 40});
    auto* b = TGraphNode::CreateWithBounds<TRectangularNode>(&graph, {100, 0, 140, 40});
    // Below the nodes, so it outlives them and unhooks from each.
    TGraphLink::CreateNew(&graph, a, {}, b)->SendToBack();
    graph.MouseDown(TMouseButton::mbLeft, 0, 20, 20);  // a selected, under the mouse, dragged
    graph.MouseMove(ssLeft, 25, 25);
    ASSERT_EQ(graph.DragSource(), a);
    const auto note = [&](const char* name) { return [&raised, name](auto&&...) { raised.insert(name); }; };
    graph.OnObjectInitInstance = note("InitInstance");
    graph.OnObjectInsert = note("Insert");
    graph.OnObjectRemove = note("Remove");
    graph.OnObjectChange = note("Change");
    graph.OnObjectSelect = note("Select");
    graph.OnObjectMouseEnter = note("MouseEnter");
    graph.OnObjectMouseLeave = note("MouseLeave");
    graph.OnObjectBeginDrag = note("BeginDrag");
    graph.OnObjectEndDrag = note("EndDrag");
    graph.OnObjectHook = note("Hook");
    graph.OnObjectUnhook = note("Unhook");
    graph.OnCanHookLink = note("CanHook");
    graph.OnCanLinkObjects = note("CanLink");
    graph.OnCanMoveResizeNode = note("CanMoveResize");
    graph.OnCanRemoveObject = note("CanRemove");
    graph.OnNodeMoveResize = note("NodeMoveResize");
    graph.OnGraphChange = note("GraphChange");
    graph.OnCommandModeChange = note("CommandModeChange");
    graph.OnHistoryChange = note("HistoryChange");
    graph.OnZoomChange = note("ZoomChange");
  }
  EXPECT_EQ(raised, (std::set<std::string>{"Change", "EndDrag", "MouseLeave", "Remove", "Select", "Unhook"}));
  EXPECT_EQ(host.ControlDestroyedCount, 1);
}

}  // namespace
}  // namespace gc
