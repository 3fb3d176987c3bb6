// Unsaved work survives a designer that ends without saving: its recovery
// copy is kept while the screen has unsaved changes, goes when they are
// saved, discarded or the window closes, and a designer started later gives
// it back without touching the user's file. A designer window destroyed
// without closing stands for one that crashed or was killed: its copy stays
// and its lock goes.
#include <QDir>
#include <QFile>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GraphControl/Stream.h"
#include "app/ScreenRecovery.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

class RecoveryTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    Folder = Dir.filePath("recovery");
    TGraphControl screen;
    screen.AddNode({20, 20, 100, 50})->SetText("a");
    screen.SaveToFile(Path("a.Screen"));
    screen.Objects()[0]->SetText("b");
    screen.SaveToFile(Path("b.Screen"));
  }
  // A designer as the program starts it: recovery kept in Folder, the file
  // opened, then the copies left behind offered.
  std::unique_ptr<TForm1> Start(const std::string& file) {
    auto form = std::make_unique<TForm1>(Dialogs);
    form->KeepRecoveryIn(Folder);
    if (!file.empty()) {
      EXPECT_TRUE(form->OpenScreen(file));
    }
    form->OfferRecovery(file);
    return form;
  }
  // Changes the first widget's text and lets the recovery timer fire.
  static void Change(TForm1& form, const std::string& text) {
    form.GraphControl1.Objects()[0]->SetText(text);
    EXPECT_TRUE(form.RecoveryTimer->isActive());
    form.KeepRecoveryCopy();
  }
  static std::string Bytes(TForm1& form) {
    TMemoryStream stream;
    form.GraphControl1.WriteObjects(stream, form.GraphControl1.Objects());
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
  }
  QStringList Entries(const QString& sub = QString()) const {
    return QDir(Folder + sub).entryList({"*.Screen", "*.json"}, QDir::Files, QDir::Name);
  }

  QString Folder;
};

TEST_F(RecoveryTest, TheCopyFollowsUnsavedChangesAndGoesOnSaveDiscardAndClose) {
  auto form = Start(Path("a.Screen"));
  EXPECT_LE(form->RecoveryTimer->interval(), 5000);
  EXPECT_FALSE(form->Recovery()->HasCopy());
  Change(*form, "first change");
  EXPECT_TRUE(form->Recovery()->HasCopy());
  EXPECT_EQ(ReadAll(Dir.filePath("a.Screen")).find("first change"), std::string::npos)
      << "never in place of the file";

  ASSERT_TRUE(form->SaveScreen());
  EXPECT_FALSE(form->Recovery()->HasCopy()) << "saved";
  Change(*form, "y");
  form->GraphControl1.Undo();
  form->KeepRecoveryCopy();
  EXPECT_FALSE(form->Recovery()->HasCopy()) << "undone back to the saved screen";

  Change(*form, "z");
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  form->btnScreenPropClick();
  EXPECT_FALSE(form->Recovery()->HasCopy()) << "discarded for a new screen";

  form->GraphControl1.AddNode({0, 0, 10, 10});
  form->KeepRecoveryCopy();
  ASSERT_TRUE(form->Recovery()->HasCopy());
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  EXPECT_TRUE(form->close());
  EXPECT_TRUE(Entries().isEmpty()) << "closed";
}

TEST_F(RecoveryTest, ADesignerThatEndedWithoutSavingGivesTheWorkBackOnItsFile) {
  const std::string before = ReadAll(Dir.filePath("a.Screen"));
  auto crashed = Start(Path("a.Screen"));
  Change(*crashed, "unsaved");
  const std::string work = Bytes(*crashed);
  crashed.reset();
  EXPECT_EQ(ReadAll(Dir.filePath("a.Screen")), before);

  Dialogs.FirstChosen = {true};
  auto form = Start(Path("a.Screen"));
  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_EQ(
      Dialogs.Questions[0].find("The designer ended without saving the changes to the screen \"a.Screen\""),
      0u);
  EXPECT_NE(Dialogs.Questions[0].find("[Restore|Discard]"), std::string::npos);
  EXPECT_EQ(Bytes(*form), work);
  EXPECT_TRUE(form->GraphControl1.Modified());
  EXPECT_EQ(form->windowTitle().toStdString(), "Orvane Vizadu-Razadivi  [a.Screen*]");
  EXPECT_EQ(form->FileName(), Path("a.Screen"));
  EXPECT_EQ(ReadAll(Dir.filePath("a.Screen")), before) << "the file stays until the user saves";
  EXPECT_EQ(Entries().size(), 2) << "the work is this designer's copy now, the old one is gone";

  ASSERT_TRUE(form->SaveScreen());
  TGraphControl saved;
  saved.LoadFromFile(Path("a.Screen"));
  EXPECT_EQ(saved.Objects()[0]->Text(), "unsaved");
  EXPECT_TRUE(Entries().isEmpty());
}

// What the designer keeps beyond the widgets' looks, the screen's properties
// and the widgets' bindings, each alone a change that the copy follows, comes
// back with the copy.
TEST_F(RecoveryTest, TheScreensPropertiesAndTheBindingsComeBackWithTheWork) {
  auto crashed = Start(Path("a.Screen"));
  TScreenProperties screen;
  screen.Name = "Main";
  screen.Size = TScreenSize{800, 480};
  screen.Background = TColor(0x00302010);
  crashed->GraphControl1.SetScreen(screen);
  EXPECT_TRUE(crashed->RecoveryTimer->isActive()) << "screen properties";
  crashed->KeepRecoveryCopy();
  crashed->GraphControl1.SetBinding(crashed->GraphControl1.Widgets()[0],
                                    {"Clock.Time", "ClockToText", "Hours"});
  EXPECT_TRUE(crashed->RecoveryTimer->isActive()) << "a binding";
  crashed->KeepRecoveryCopy();
  const std::string work = Bytes(*crashed);
  crashed.reset();

  Dialogs.FirstChosen = {true};
  auto form = Start(Path("a.Screen"));
  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_EQ(Bytes(*form), work);
  EXPECT_EQ(form->GraphControl1.Screen(), screen);
  EXPECT_EQ(form->GraphControl1.ScreenFrame(), (TRect{0, 0, 800, 480}));
  ASSERT_EQ(form->GraphControl1.Widgets().size(), 1u) << "the screen object is no widget";
  ASSERT_NE(form->GraphControl1.Binding(form->GraphControl1.Widgets()[0]), nullptr);
  EXPECT_EQ(*form->GraphControl1.Binding(form->GraphControl1.Widgets()[0]),
            (TWidgetBinding{"Clock.Time", "ClockToText", "Hours"}));
  EXPECT_TRUE(Dialogs.Messages.empty());
}

// A designer on a.Screen and one on a new, unnamed screen both end without
// saving. Started on b.Screen nothing is offered; on a.Screen only a's work;
// without a file the rest.
TEST_F(RecoveryTest, CopiesOfSeveralScreensDoNotMix) {
  auto onA = Start(Path("a.Screen"));
  auto unnamed = Start("");
  Change(*onA, "a work");
  unnamed->GraphControl1.AddNode({5, 5, 50, 50})->SetText("new work");
  unnamed->KeepRecoveryCopy();
  {
    auto running = Start("");
    EXPECT_TRUE(Dialogs.Questions.empty()) << "the copies of running designers are theirs";
  }
  onA.reset();
  unnamed.reset();

  auto onB = Start(Path("b.Screen"));
  EXPECT_TRUE(Dialogs.Questions.empty());
  Dialogs.FirstChosen = {false};
  auto againA = Start(Path("a.Screen"));
  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_NE(Dialogs.Questions[0].find("\"a.Screen\""), std::string::npos);
  EXPECT_EQ(againA->GraphControl1.Objects()[0]->Text(), "a") << "discarded: the file as it is";
  Dialogs.Questions.clear();
  Dialogs.FirstChosen = {true};
  auto withoutFile = Start("");
  ASSERT_EQ(Dialogs.Questions.size(), 1u) << "a's copy was discarded";
  EXPECT_NE(Dialogs.Questions[0].find("\"NoName\""), std::string::npos);
  EXPECT_EQ(withoutFile->GraphControl1.Objects()[0]->Text(), "new work");
  EXPECT_EQ(withoutFile->windowTitle().toStdString(), "Orvane Vizadu-Razadivi*");
  EXPECT_EQ(withoutFile->FileName(), "");
}

// Copies damaged in two ways are reported once each, moved aside whole and
// never loaded; the screen stays as it was opened.
TEST_F(RecoveryTest, ADamagedCopyIsReportedAndKeptAsideNotLoadedHalf) {
  for (const char* text : {"one", "two"}) {
    TForm1 crashed(Dialogs);
    crashed.KeepRecoveryIn(Folder);
    ASSERT_TRUE(crashed.OpenScreen(Path("a.Screen")));
    Change(crashed, text);
  }
  QStringList keys = QDir(Folder).entryList({"*.json"}, QDir::Files);
  ASSERT_EQ(keys.size(), 2);
  for (QString& key : keys) key.chop(5);
  const QString cut = Folder + "/" + keys[0] + ".Screen";
  WriteAll(cut, QByteArray::fromStdString(ReadAll(cut)).chopped(12));
  WriteAll(Folder + "/" + keys[1] + ".json", "{\"file\": 1");

  auto form = Start(Path("a.Screen"));
  EXPECT_TRUE(Dialogs.Questions.empty());
  ASSERT_EQ(Dialogs.Messages.size(), 2u);
  for (const std::string& message : Dialogs.Messages) {
    EXPECT_NE(message.find("damaged"), std::string::npos) << message;
    EXPECT_NE(message.find(Folder.toStdString() + "/damaged"), std::string::npos) << message;
  }
  EXPECT_EQ(form->GraphControl1.Objects()[0]->Text(), "a");
  EXPECT_FALSE(form->GraphControl1.Modified());
  EXPECT_EQ(Entries("/damaged").size(), 4);
  EXPECT_TRUE(Entries().isEmpty());
}

}  // namespace
}  // namespace gc::app
