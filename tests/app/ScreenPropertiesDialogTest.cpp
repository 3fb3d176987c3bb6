// The dialog of the screen's properties: the presets that fit, and values
// left unset stay unset.
#include "tests/app/DesignerWindowsFixture.h"

namespace gc::app {
namespace {

// ---- The screen's properties ---------------------------------------------------------------------

TEST_F(DesignerWindowsTest, TheScreenDialogOffersThePresetsThatFitAndKeepsUnsetValuesUnset) {
  TScreenPropertiesDialog dialog(1000, 700);
  std::vector<QString> sizes;
  for (int i = 0; i < dialog.cbSize->count(); ++i) sizes.push_back(dialog.cbSize->itemText(i));
  EXPECT_EQ(sizes.front(), "Not set");
  EXPECT_EQ(sizes.back(), "Custom size");
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), "800 × 480 (WVGA)"), sizes.end());
  EXPECT_EQ(std::find(sizes.begin(), sizes.end(), "1024 × 600 (WSVGA)"), sizes.end()) << "wider than 1000";
  EXPECT_EQ(dialog.Properties(), TScreenProperties()) << "nothing set";

  dialog.cbSize->setCurrentIndex(dialog.cbSize->findText("800 × 480 (WVGA)"));
  EXPECT_EQ(dialog.edWidth->value(), 800);
  dialog.edHeight->setValue(500);
  EXPECT_EQ(dialog.cbSize->currentText(), "Custom size");
  dialog.edName->setText("Main");
  TScreenProperties expected;
  expected.Name = "Main";
  expected.Size = TScreenSize{800, 500};
  EXPECT_EQ(dialog.Properties(), expected);

  expected.Size = TScreenSize{320, 240};
  expected.Background = 0x00112233;
  dialog.SetProperties(expected);
  EXPECT_EQ(dialog.cbSize->currentText(), "320 × 240 (QVGA)");
  EXPECT_EQ(dialog.Properties(), expected);
}

}  // namespace
}  // namespace gc::app
