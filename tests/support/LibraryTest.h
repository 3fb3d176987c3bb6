// A base for test suites that use the library: it is started once for the
// whole suite and measures text with the fixed-width measurer, so captions
// lay out the same on every machine.
#pragma once

#include <gtest/gtest.h>

#include "GraphControl/Unit.h"
#include "support/FixedWidthCanvas.h"

namespace gc::test {

class LibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GraphControlStartup();
    InstallFixedWidthMeasurer();
  }
  static void TearDownTestSuite() { GraphControlShutdown(); }
};

}  // namespace gc::test
