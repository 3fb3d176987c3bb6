// The fixture of the control's core tests, shared with the tests of its view
// (coordinates, snapping, zoom, extents): a control with the test objects.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "GraphControl/Control.h"
#include "support/TestObjects.h"

namespace gc {

class ControlCoreTest : public ::testing::Test {
 protected:
  void TearDown() override { test::ResetEvents(Graph); }
  test::TTestNode* Node(const TRect& r = {10, 10, 50, 40}) { return test::TTestNode::Create(&Graph, r); }
  std::vector<uint32_t> IDs() const {
    std::vector<uint32_t> ids;
    for (TGraphObject* o : Graph.Objects()) ids.push_back(o->ID());
    return ids;
  }

  test::TTestControl Graph;
};

}  // namespace gc
