// The designer's main window driven through scripted dialogs: action codes,
// the property panel, the diagram events and the screen commands.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include "GraphControl/GraphControl.h"
#include "app/ColorPicker.h"
#include "app/Unit1.h"
#include "support/CaseName.h"
#include "tests/app/FakeDialogs.h"

namespace gc::app {
namespace {

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

TEST_F(DesignerTest, ClickFillsThePanelOnlyForASingleSelection) {
  AddWidget({0, 0, 10, 10}, "first");
  TGraphNode* w = AddWidget({40, 30, 160, 55}, "second");
  w->Brush().SetColor(0x123456);
  w->Font().SetColor(0x00FF00);
  w->Font().SetSize(13);
  ClickOnly(w);
  EXPECT_EQ(Form.CurrentWidgetIndex(), 1);
  EXPECT_EQ(Form.edText->text().toStdString(), "second");
  EXPECT_EQ(Form.edHinter->Color(), 0x123456u);
  EXPECT_EQ(Form.edVorder->Color(), 0x00FF00u);
  EXPECT_EQ(Form.edFontSize->value(), 13);
  EXPECT_EQ(Form.edZPosition->value(), 1);
  // Filling the text field wrote it back, dropping the default margin.
  EXPECT_EQ(w->Margin(), 0);

  Form.GraphControl1.Objects()[0]->SetSelected(true);  // two selected
  Form.GraphControl1ObjectClick(&Form.GraphControl1, w);
  EXPECT_EQ(Form.CurrentWidgetIndex(), 1);
  EXPECT_EQ(Form.edText->text().toStdString(), "second");
}

TEST_F(DesignerTest, PanelEditsChangeTheWidgetOnlyWithOneSelected) {
  TGraphNode* other = AddWidget({0, 0, 10, 10}, "other");
  TGraphNode* w = AddWidget({40, 30, 160, 55}, "w");
  w->SetMargin(8);
  ClickOnly(w);
  w->SetMargin(8);
  Form.edText->setText("Hello");
  EXPECT_EQ(w->Text(), "Hello");
  EXPECT_EQ(w->Margin(), 0);
  Form.edHinter->SetColor(0x0000FF);
  EXPECT_EQ(w->Brush().Color(), 0x0000FFu);
  Form.edVorder->SetColor(0xFF0000);
  EXPECT_EQ(w->Font().Color(), 0xFF0000u);
  Form.edFontSize->setValue(21);
  EXPECT_EQ(w->Font().Size(), 21);

  other->SetSelected(true);
  Form.edText->setText("Nope");
  Form.edFontSize->setValue(9);
  EXPECT_EQ(w->Text(), "Hello");
  EXPECT_EQ(w->Font().Size(), 21);
  EXPECT_EQ(other->Text(), "other");
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(DesignerTest, ObjectChangeShowsPositionAndSizeIncludingNegative) {
  Form.GraphControl1.GraphConstraints().SetMinLeft(-100);
  TGraphNode* w = AddWidget({40, 30, 160, 55});
  ClickOnly(w);
  w->SetBoundsRect({-10, 5, 30, 45});
  Form.GraphControl1ObjectChange(&Form.GraphControl1, w);
  EXPECT_EQ(Form.edPosX->value(), -10);
  EXPECT_EQ(Form.edPosY->value(), 5);
  EXPECT_EQ(Form.edBreite->value(), 40);
  EXPECT_EQ(Form.edHoehe->value(), 40);
}

// "New screen" puts one question: the warning for a screen without unsaved
// changes, the unsaved-changes question for one with them.
struct TNewScreenCase {
  const char* Name;
  bool Unsaved;
  int BoxAnswer;                     // the warning's answer (1 OK)
  IDesignerDialogs::TAnswer Answer;  // the question's answer
  const char* Asked;                 // what was asked: "warning" or "question"
  bool Cleared;
  bool SavedFirst;
};

class NewScreenTest : public DesignerTest, public ::testing::WithParamInterface<TNewScreenCase> {};

TEST_P(NewScreenTest, AsksOnceAndClearsOnlyWhenAllowed) {
  const TNewScreenCase& c = GetParam();
  QTemporaryDir dir;
  const std::string path = dir.filePath("kept.Screen").toStdString();
  AddWidget({0, 0, 10, 10});
  if (!c.Unsaved) {
    Dialogs.Files = {path};
    Form.btnSaveClick();
  }
  Dialogs.Files = {path};
  Dialogs.BoxAnswer = c.BoxAnswer;
  Dialogs.Answers = {c.Answer};
  Form.btnScreenPropClick();
  const std::string asked =
      std::string(Dialogs.Messages.empty() ? "" : "warning") + (Dialogs.Questions.empty() ? "" : "question");
  EXPECT_EQ(asked, c.Asked);
  EXPECT_EQ(Form.GraphControl1.CountObjects(), c.Cleared ? 0 : 1);
  EXPECT_EQ(Dialogs.Inputs, c.Cleared ? 1 : 0);
  EXPECT_EQ(QFile::exists(QString::fromStdString(path)), !c.Unsaved || c.SavedFirst);
  if (!c.Cleared) {
    EXPECT_EQ(Caption(), c.Unsaved ? "Orvane Vizadu-Razadivi*" : "Orvane Vizadu-Razadivi  [kept.Screen]");
  }
  if (!Dialogs.Messages.empty()) {
    EXPECT_EQ(Dialogs.Messages[0], "WARNING! The not saved data will be deleted!");
  }
}

using A = IDesignerDialogs;
INSTANTIATE_TEST_SUITE_P(
    Cases, NewScreenTest,
    ::testing::Values(TNewScreenCase{"SavedCancel", false, 2, A::anCancel, "warning", false, false},
                      TNewScreenCase{"SavedOk", false, 1, A::anCancel, "warning", true, false},
                      TNewScreenCase{"UnsavedCancel", true, 1, A::anCancel, "question", false, false},
                      TNewScreenCase{"UnsavedDiscard", true, 1, A::anDestructive, "question", true, false},
                      TNewScreenCase{"UnsavedSave", true, 1, A::anAccept, "question", true, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DesignerTest, NewScreenNamesTheScreenDefaultingToNoName) {
  AddWidget({0, 0, 10, 10});
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  Dialogs.InputAnswer = "Main";
  Form.btnScreenPropClick();
  EXPECT_EQ(Form.GraphControl1.CountObjects(), 0);
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [Main]");
  Dialogs.InputAnswer = nullptr;  // name prompt cancelled
  Form.btnScreenPropClick();
  EXPECT_EQ(Form.ScreenName, "NoName");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [NoName]");
}

TEST_F(DesignerTest, SaveThenOpenRoundTripsAndNamesTheScreen) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("demo.Screen").toStdString();
  AddWidget({40, 30, 160, 55}, "Label");
  Dialogs.Files = {path, path};
  Form.btnSaveClick();
  EXPECT_EQ(Form.ScreenName, "demo.Screen");
  Form.GraphControl1.Clear();
  Form.btnOpenClick();
  ASSERT_EQ(Form.GraphControl1.CountObjects(), 1);
  EXPECT_EQ(Form.GraphControl1.Objects()[0]->Text(), "Label");
  EXPECT_EQ(Form.ScreenName, "demo.Screen");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [demo.Screen]");
  EXPECT_EQ(Dialogs.Titles, (std::vector<std::string>{"Save file", "Open file"}));
  EXPECT_EQ(Dialogs.Filters.back(), "Screen-Files|*.Screen");
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
