// The JSON form of a diagram as an embedder uses it: a control saved with
// SaveToJson, written out as text and read back with LoadFromJson into a
// fresh control gives the very same file; a document that does not describe a
// diagram raises EJsonError and leaves the control as it was.
#include "json/DiagramJson.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/GraphLink.h"
#include "GraphControl/NodeShapes.h"
#include "support/CaseName.h"
#include "support/LibraryTest.h"
#include "support/StreamBytes.h"

namespace gc::json {
namespace {

using test::SavedBytes;

TGraphNode* AddNode(TGraphControl& graph, const TGraphObjectClass* cls, const TRect& bounds,
                    const std::string& text) {
  auto* node = static_cast<TGraphNode*>(TGraphNode::CreateWithBounds(cls, &graph, bounds));
  node->SetText(text);
  return node;
}

void EveryNodeShape(TGraphControl& graph) {
  const TGraphObjectClass* classes[] = {TRectangularNode::StaticClass(), TRoundRectangularNode::StaticClass(),
                                        TEllipticNode::StaticClass(),    TTriangularNode::StaticClass(),
                                        TRhomboidalNode::StaticClass(),  TPentagonalNode::StaticClass(),
                                        THexagonalNode::StaticClass()};
  int32_t left = -40;
  for (const TGraphObjectClass* cls : classes) {
    TGraphNode* node = AddNode(graph, cls, {left, 10, left + 70, 60}, "Größe " + cls->ClassName());
    node->Brush().SetColor(clYellow);
    left += 90;
  }
}

// Both ends decorated, three break points, a caption on the second segment.
void DecoratedLinkWithBreakPoints(TGraphControl& graph) {
  TGraphNode* a = AddNode(graph, TEllipticNode::StaticClass(), {10, 10, 90, 50}, "Quelle");
  TGraphNode* b = AddNode(graph, THexagonalNode::StaticClass(), {400, 300, 480, 360}, "Ziel");
  TGraphLink* link = TGraphLink::CreateNew(&graph, a, {{200, 30}, {200, 200}, {350, 330}}, b);
  link->SetText("Überweisung → 東京 😀");
  link->SetBeginStyle(lsDiamond);
  link->SetBeginSize(12);
  link->SetEndStyle(lsCircle);
  link->SetEndSize(7);
  link->SetLinkOptions(gloFixedStartPoint | gloFixedBreakPoints);
  link->SetTextPosition(1);
  link->SetTextSpacing(5);
  link->Pen().SetWidth(2);
}

// A link from a node onto the middle of another link, and a free link.
void LinkOntoALink(TGraphControl& graph) {
  TGraphNode* a = AddNode(graph, TRectangularNode::StaticClass(), {10, 10, 90, 50}, "A");
  TGraphNode* b = AddNode(graph, TRectangularNode::StaticClass(), {300, 10, 380, 50}, "B");
  TGraphNode* c = AddNode(graph, TTriangularNode::StaticClass(), {150, 200, 230, 260}, "Ç");
  TGraphLink* ab = TGraphLink::CreateNew(&graph, a, {}, b);
  TGraphLink* onto = TGraphLink::CreateNew(&graph, c, {{190, 120}}, ab);
  onto->SetText("ζ");
  TGraphLink::CreateNew(&graph, nullptr, {{500, 500}, {560, 520}}, nullptr)->SetText("frei");
}

struct TDiagramCase {
  const char* Name;
  std::function<void(TGraphControl&)> Build;
  int ObjectCount;
  const char* Caption;  // a caption the document shows as a JSON string
};

class DiagramJsonRoundTrip : public test::LibraryTest, public ::testing::WithParamInterface<TDiagramCase> {};

TEST_P(DiagramJsonRoundTrip, TextOfTheDocumentLoadsIntoAFreshControlAsTheSameFile) {
  TGraphControl graph;
  GetParam().Build(graph);
  ASSERT_EQ(graph.Objects().Count(), GetParam().ObjectCount);
  const std::string text = SaveToJson(graph).dump(2);
  EXPECT_NE(text.find(std::string("\"G.Text\": \"") + GetParam().Caption + "\""), std::string::npos) << text;

  TGraphControl copy;
  LoadFromJson(copy, ParseJson(text));
  EXPECT_EQ(copy.Objects().Count(), GetParam().ObjectCount);
  EXPECT_EQ(SavedBytes(copy), SavedBytes(graph)) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Diagrams, DiagramJsonRoundTrip,
    ::testing::Values(TDiagramCase{"EveryNodeShape", EveryNodeShape, 7, "Größe TPentagonalNode"},
                      TDiagramCase{"DecoratedLinkWithBreakPoints", DecoratedLinkWithBreakPoints, 3,
                                   "Überweisung → 東京 😀"},
                      TDiagramCase{"LinkOntoALink", LinkOntoALink, 6, "Ç"},
                      TDiagramCase{"AllTogether",
                                   [](TGraphControl& graph) {
                                     EveryNodeShape(graph);
                                     DecoratedLinkWithBreakPoints(graph);
                                     LinkOntoALink(graph);
                                   },
                                   16, "ζ"}),
    test::TCaseName());

struct TMalformedCase {
  const char* Name;
  const char* Document;
  const char* Place;  // the JSON pointer the error names
};

class DiagramJsonRefusal : public test::LibraryTest, public ::testing::WithParamInterface<TMalformedCase> {};

TEST_P(DiagramJsonRefusal, RaisesTheErrorAtItsPlaceAndLeavesTheControlAsItWas) {
  TGraphControl graph;
  LinkOntoALink(graph);
  const std::vector<uint8_t> before = SavedBytes(graph);
  try {
    LoadFromJson(graph, ParseJson(GetParam().Document));
    ADD_FAILURE() << "loaded";
  } catch (const EJsonError& e) {
    EXPECT_EQ(e.Place, GetParam().Place) << e.what();
  }
  EXPECT_EQ(SavedBytes(graph), before);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DiagramJsonRefusal,
    ::testing::Values(
        TMalformedCase{"ObjectsNotAnArray", R"({"objects": {}})", "/objects"},
        TMalformedCase{"UnknownClass", R"({"objects": [{"class": "TCloudNode", "properties": {}}]})",
                       "/objects/0/class"},
        // The first object is sound: nothing of it may reach the control.
        TMalformedCase{"TextWhereANumberBelongs",
                       R"({"objects": [{"class": "TRectangularNode", "properties": {"ID": 1, "G.Text": "ok"}},
                                       {"class": "TEllipticNode", "properties": {"ID": 2, "G.Left": "ten"}}]})",
                       "/objects/1/properties/G.Left"}),
    test::TCaseName());

}  // namespace
}  // namespace gc::json
