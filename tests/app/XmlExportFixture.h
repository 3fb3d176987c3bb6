// The XML export over a scratch folder with three value lists and a screen
// of widgets, answering through scripted dialogs: the fixture of the export's
// tests and of its window's.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GraphControl/NodeShapes.h"
#include "app/ScreenGraph.h"
#include "app/XmlExport.h"
#include "tests/app/FakeDialogs.h"

namespace gc::app {

class XmlExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    WriteFile("xml_Sources", "SRC=Session.Title\nXClock\n");
    WriteFile("xml_ConvTypes", "TYPE=ClockToText\r\nTEventName\r\n");
    WriteFile("xml_ConvNames", "NAME=Default\nNFormat\n");
  }
  void WriteFile(const char* name, const QByteArray& content) {
    QFile f(Dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
  }
  TGraphNode* AddWidget(const TRect& r, const std::string& text, int32_t fontSize = 8) {
    auto* node = static_cast<TGraphNode*>(Graph.AddNode(r, TRectangularNode::StaticClass()));
    node->SetText(text);
    node->Font().SetSize(fontSize);
    return node;
  }
  TValueListAnswers Answers() {
    return TValueListAnswers(
        Dir.path().toStdString(),
        [this](const std::string& title, const std::string& label, const std::vector<std::string>& values,
               int& index) { return Dialogs.SelectValue(title, label, values, index); });
  }
  std::vector<std::string> Build() {
    std::vector<std::string> lines;
    TValueListAnswers answers = Answers();
    BuildXmlLines(Graph, answers, lines);
    return lines;
  }

  QTemporaryDir Dir;
  TScreenGraph Graph;
  TFakeDialogs Dialogs;
};

// The first line of the export of a screen without properties.
inline const std::string ScreenLine =
    "  <screen name=\"NONAME\" position=\"0,0\" size=\"100,100\" title=\"NONAME\" "
    "backgroundColor=\"#0F0F0F\" >";

}  // namespace gc::app
