// Shared set-up of the link tests: a control with the fixed-width text
// measurer, node and link factories, and a recorder of the hook events.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"
#include "GraphControl/NodeShapes.h"
#include "support/FixedWidthCanvas.h"
#include "support/TestObjects.h"

namespace gc {

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallFixedWidthMeasurer(); }

  TRectangularNode* Box(const TRect& r, const std::string& name) {
    auto* node = TGraphNode::CreateWithBounds<TRectangularNode>(&Graph, r);
    Names[node] = name;
    return node;
  }
  test::TTestNode* TestNode(const TRect& r, const std::string& name) {
    auto* node = test::TTestNode::Create(&Graph, r);
    Names[node] = name;
    return node;
  }
  TGraphLink* NewLink(const TPoints& points, TGraphObject* source = nullptr, TGraphObject* target = nullptr,
                      const std::string& name = "L") {
    TGraphLink* link = TGraphLink::CreateNew(&Graph, source, points, target);
    Names[link] = name;
    return link;
  }

  // Records OnCanHookLink, OnCanLinkObjects, OnObjectHook and OnObjectUnhook
  // as "event object index" lines.
  void RecordHookEvents() {
    Graph.OnCanHookLink = [this](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t i, bool&) {
      Events.push_back("CanHook " + Name(o) + " " + std::to_string(i));
    };
    Graph.OnCanLinkObjects = [this](TGraphControl*, TGraphLink*, TGraphObject* s, TGraphObject* t, bool&) {
      Events.push_back("CanLink " + Name(s) + " " + Name(t));
    };
    Graph.OnObjectHook = [this](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t i) {
      Events.push_back("Hook " + Name(o) + " " + std::to_string(i));
    };
    Graph.OnObjectUnhook = [this](TGraphControl*, TGraphObject* o, TGraphLink*, int32_t i) {
      Events.push_back("Unhook " + Name(o) + " " + std::to_string(i));
    };
  }
  std::string Name(TGraphObject* o) const {
    if (!o) return "none";
    auto it = Names.find(o);
    return it == Names.end() ? "?" : it->second;
  }

  // Declared before the control: its destruction still raises unhook events.
  std::map<TGraphObject*, std::string> Names;
  std::vector<std::string> Events;
  TGraphControl Graph;
};

}  // namespace gc
