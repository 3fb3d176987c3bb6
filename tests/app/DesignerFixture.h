// The designer's main window, not shown, answering through scripted dialogs:
// the fixture of the tests that call its handlers directly.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "GraphControl/GraphControl.h"
#include "app/Unit1.h"
#include "tests/app/FakeDialogs.h"

namespace gc::app {

class DesignerTest : public ::testing::Test {
 protected:
  TGraphNode* AddWidget(const TRect& r, const std::string& text = "") {
    auto* node = static_cast<TGraphNode*>(Form.GraphControl1.AddNode(r, TRectangularNode::StaticClass()));
    node->SetText(text);
    return node;
  }
  void ClickOnly(TGraphObject* object) {
    Form.GraphControl1.SelectedObjects().Clear();
    for (int i = 0; i < Form.GraphControl1.Objects().Count(); ++i)
      Form.GraphControl1.Objects()[i]->SetSelected(false);
    object->SetSelected(true);
    Form.GraphControl1ObjectClick(&Form.GraphControl1, object);
  }
  std::string Caption() const { return Form.windowTitle().toStdString(); }

  TFakeDialogs Dialogs;
  TForm1 Form{Dialogs};
};

}  // namespace gc::app
