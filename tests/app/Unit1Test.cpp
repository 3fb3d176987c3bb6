// The designer's main window driven through scripted dialogs: its settings,
// the action codes over the selection, deleting and reordering widgets, and
// the mode, zoom and grid commands.
#include <QCheckBox>
#include <QSpinBox>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "support/CaseName.h"
#include "tests/app/DesignerFixture.h"

namespace gc::app {
namespace {

TEST_F(DesignerTest, StartsWithTheDesignerSettings) {
  const TGraphControl& g = Form.GraphControl1;
  EXPECT_EQ(g.Color(), clWhite);
  EXPECT_EQ(g.GraphConstraints().MaxRight(), 2000);
  EXPECT_EQ(g.GraphConstraints().MaxBottom(), 2000);
  EXPECT_EQ(g.GridSize(), 5);
  EXPECT_EQ(g.MinNodeSize(), 2);
  EXPECT_FALSE(g.ShowGrid());
  EXPECT_EQ(Form.ScreenName, "NoName");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi");
  EXPECT_FALSE(Form.btnEdit->isEnabled());
  EXPECT_TRUE(Form.btnPan->isEnabled());
}

TEST_F(DesignerTest, FontAndSelectionCodes) {
  TGraphNode* n = AddWidget({0, 0, 50, 20});
  n->Font().SetStyle(0);
  EXPECT_TRUE(Form.ApplyWidgetAction(n, waBoldOn));
  EXPECT_TRUE(Form.ApplyWidgetAction(n, waUnderlineOn));
  EXPECT_EQ(n->Font().Style(), fsBold | fsUnderline);
  Form.ApplyWidgetAction(n, waItalicOn);
  Form.ApplyWidgetAction(n, waBoldOff);
  EXPECT_EQ(n->Font().Style(), fsItalic | fsUnderline);
  Form.ApplyWidgetAction(n, waItalicOff);
  Form.ApplyWidgetAction(n, waUnderlineOff);
  EXPECT_EQ(n->Font().Style(), 0);

  Form.ApplyWidgetAction(n, waToggleSelect);
  EXPECT_TRUE(n->Selected());
  Form.ApplyWidgetAction(n, waToggleSelect);
  EXPECT_FALSE(n->Selected());
  Form.ApplyWidgetAction(n, waSelect);
  EXPECT_TRUE(n->Selected());

  n->SetOptions(goLinkable);
  Form.ApplyWidgetAction(n, waMakeSelectable);
  EXPECT_EQ(n->Options(), goLinkable | goSelectable);

  Form.edFontSize->setValue(17);
  Form.ApplyWidgetAction(n, waApplyFontSize);
  EXPECT_EQ(n->Font().Size(), 17);

  EXPECT_FALSE(Form.ApplyWidgetAction(n, 25));
  EXPECT_FALSE(Form.ApplyWidgetAction(n, -1));
}

struct TNodeCase {
  const char* Name;
  int32_t Code;
  bool Layout;       // the code sets Layout, else Alignment
  int32_t Expected;  // TTextLayout or TAlignment value
};

class NodeCodeTest : public DesignerTest, public ::testing::WithParamInterface<TNodeCase> {};

TEST_P(NodeCodeTest, SetsAlignmentOrLayoutOfNodesOnly) {
  const TNodeCase c = GetParam();
  TGraphNode* n = AddWidget({0, 0, 50, 20});
  // Start from values different from the expected one.
  n->SetAlignment(c.Expected == taLeftJustify ? taRightJustify : taLeftJustify);
  n->SetLayout(c.Expected == tlTop ? tlBottom : tlTop);
  const TAlignment alignmentBefore = n->Alignment();
  const TTextLayout layoutBefore = n->Layout();
  EXPECT_TRUE(Form.ApplyWidgetAction(n, c.Code));
  if (c.Layout) {
    EXPECT_EQ(n->Layout(), c.Expected);
    EXPECT_EQ(n->Alignment(), alignmentBefore);
  } else {
    EXPECT_EQ(n->Alignment(), c.Expected);
    EXPECT_EQ(n->Layout(), layoutBefore);
  }
  auto* link = static_cast<TGraphLink*>(Form.GraphControl1.AddLink({{0, 100}, {100, 100}}));
  EXPECT_TRUE(Form.ApplyWidgetAction(link, c.Code));  // a link is skipped, the visit goes on
}

INSTANTIATE_TEST_SUITE_P(Codes, NodeCodeTest,
                         ::testing::Values(TNodeCase{"AlignLeft", waAlignLeft, false, taLeftJustify},
                                           TNodeCase{"AlignCenter", waAlignCenter, false, taCenter},
                                           TNodeCase{"AlignRight", waAlignRight, false, taRightJustify},
                                           TNodeCase{"LayoutTop", waLayoutTop, true, tlTop},
                                           TNodeCase{"LayoutCenter", waLayoutCenter, true, tlCenter},
                                           TNodeCase{"LayoutBottom", waLayoutBottom, true, tlBottom}),
                         test::TCaseName());

TEST_F(DesignerTest, LinkCodesChangeLinksAndLeaveNodes) {
  auto* link = static_cast<TGraphLink*>(Form.GraphControl1.AddLink({{200, 200}, {300, 200}}));
  Form.ApplyWidgetAction(link, waReverseLink);
  EXPECT_EQ(link->Polyline().front(), TPoint(300, 200));
  Form.ApplyWidgetAction(link, waRotateLinkPlus);  // about (250,200)
  const TPoints rotated = link->Polyline();
  EXPECT_EQ(rotated.front().X, 250);
  EXPECT_EQ(std::abs(rotated.front().Y - rotated.back().Y), 100);
  Form.ApplyWidgetAction(link, waRotateLinkMinus);
  EXPECT_EQ(link->Polyline().front(), TPoint(300, 200));
  Form.ApplyWidgetAction(link, waGrowLink);
  EXPECT_NEAR(std::abs(link->Polyline().front().X - link->Polyline().back().X), 125, 1);
  Form.ApplyWidgetAction(link, waShrinkLink);
  const int32_t shrunk = std::abs(link->Polyline().front().X - link->Polyline().back().X);
  EXPECT_NEAR(shrunk, 93, 2);  // 124 * 0.75, rounded per point

  TGraphNode* n = AddWidget({0, 0, 50, 20});
  const TRect before = n->GetBoundsRect();
  for (int32_t code : {waReverseLink, waRotateLinkPlus, waGrowLink, waShrinkLink})
    EXPECT_TRUE(Form.ApplyWidgetAction(n, code));
  EXPECT_EQ(n->GetBoundsRect(), before);
}

TEST_F(DesignerTest, DeleteRemovesEverySelectedWidgetAndNothingElse) {
  Form.btnDelClick();  // nothing selected
  TGraphNode* keep = AddWidget({0, 0, 10, 10});
  for (int i = 0; i < 3; ++i) AddWidget({20 * i + 20, 0, 20 * i + 30, 10})->SetSelected(true);
  int changes = 0;
  Form.GraphControl1.OnGraphChange = [&](TGraphControl*) { ++changes; };
  Form.btnDelClick();
  ASSERT_EQ(Form.GraphControl1.CountObjects(), 1);
  EXPECT_EQ(Form.GraphControl1.Objects()[0], keep);
  EXPECT_EQ(changes, 1);
}

TEST_F(DesignerTest, FrontAndBackFollowTheSelectionOrder) {
  TGraphNode* a = AddWidget({0, 0, 10, 10});
  TGraphNode* b = AddWidget({0, 0, 10, 10});
  TGraphNode* c = AddWidget({0, 0, 10, 10});
  b->SetSelected(true);
  a->SetSelected(true);
  Form.btnToFrontClick();
  EXPECT_EQ(a->ZOrder(), 2);
  EXPECT_EQ(b->ZOrder(), 1);
  Form.btnToBackClick();
  EXPECT_EQ(a->ZOrder(), 0);
  EXPECT_EQ(c->ZOrder(), 2);
}

TEST_F(DesignerTest, ModeZoomAndGridCommands) {
  Form.btnPanClick();
  EXPECT_EQ(Form.GraphControl1.CommandMode(), cmPan);
  EXPECT_FALSE(Form.btnPan->isEnabled());
  EXPECT_TRUE(Form.btnEdit->isEnabled());
  Form.btnNewClick();
  EXPECT_EQ(Form.GraphControl1.CommandMode(), cmAddNode);
  EXPECT_EQ(Form.GraphControl1.DefaultNodeClass(), TRectangularNode::StaticClass());
  EXPECT_FALSE(Form.btnEdit->isEnabled());
  Form.btnZoomPlusClick();
  EXPECT_EQ(Form.GraphControl1.Zoom(), 102);
  Form.btnZoomMinusClick();
  Form.btnZoomMinusClick();
  EXPECT_EQ(Form.GraphControl1.Zoom(), 98);
  Form.btnFullViewClick();
  EXPECT_EQ(Form.GraphControl1.Zoom(), 100);
  Form.chGrid->click();
  EXPECT_TRUE(Form.GraphControl1.ShowGrid());
  Form.chSnap->click();
  EXPECT_TRUE(Form.GraphControl1.SnapToGrid());
  Form.chGrid->click();
  EXPECT_FALSE(Form.GraphControl1.ShowGrid());
}

}  // namespace
}  // namespace gc::app
