// The designer's windows beside the drawing area, each on its own over a
// screen of five widgets W0..W4 with scripted dialogs: the fixture of the
// inspector, object list, binding table and screen dialog tests.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "GraphControl/NodeShapes.h"
#include "GraphControl/Stream.h"
#include "app/BindingTable.h"
#include "app/ColorPicker.h"
#include "app/ObjectList.h"
#include "app/PropertyEditor.h"
#include "app/ScreenPropertiesDialog.h"
#include "support/StreamBytes.h"
#include "tests/app/FakeDialogs.h"

namespace gc::app {

class DesignerWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Graph.GraphConstraints().SetMaxRight(2000);
    Graph.GraphConstraints().SetMaxBottom(2000);
    Graph.SetMinNodeSize(2);
    for (int i = 0; i < 5; ++i) {
      TGraphObject* w = Graph.AddNode({10 + 60 * i, 10, 60 + 60 * i, 30}, TRectangularNode::StaticClass());
      w->SetText("W" + std::to_string(i));
      w->Font().SetName(i % 2 ? "Arial" : "Courier New");
      Widgets.push_back(w);
    }
    Graph.ClearHistory();
  }
  void Select(std::initializer_list<int> which) {
    Graph.SelectedObjects().Clear();
    for (int i : which) Widgets[static_cast<size_t>(i)]->SetSelected(true);
  }
  static void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
  }
  std::vector<uint8_t> Save() { return test::SavedBytes(Graph); }

  TScreenGraph Graph;
  std::vector<TGraphObject*> Widgets;
  TFakeDialogs Dialogs;
};

}  // namespace gc::app
