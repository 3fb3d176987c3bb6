// The screen's files in the real window: a file that fails to open leaves the
// screen as it was, unsaved work is never discarded silently, and Save and
// Save As write and name the right file; and, through the window's
// handlers, New Screen asks once and names the screen, and a saved screen
// opens again under its name.
#include <QDir>
#include <QFile>
#include <QtTest/QTest>
#include <functional>

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "tests/app/DesignerFixture.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

// ---- A file that fails to open leaves the screen as it was --------------------------------------

struct TDamageCase {
  const char* Name;
  std::function<void(const QString& path)> Damage;
  const char* Reason;  // the start of the reason in the error box
};

class OpenDamagedFileTest : public MainWindowTest, public ::testing::WithParamInterface<TDamageCase> {};

// A screen file with one widget whose text colour is stored by name.
QByteArray GoodScreenBytes() {
  TGraphControl graph;
  graph.AddNode({0, 0, 40, 20}, TRectangularNode::StaticClass())->Font().SetColor(clWhite);
  graph.AddNode({0, 30, 40, 50}, TRectangularNode::StaticClass());
  TMemoryStream stream;
  graph.SaveToStream(stream);
  return QByteArray(reinterpret_cast<const char*>(stream.Bytes().data()), qsizetype(stream.Bytes().size()));
}

void WriteReplaced(const QString& path, const char* from, const char* to) {
  QByteArray bytes = GoodScreenBytes();
  const qsizetype at = bytes.indexOf(from);
  ASSERT_GE(at, 0);
  WriteAll(path, bytes.replace(at, qsizetype(strlen(from)), to));
}

TEST_P(OpenDamagedFileTest, KeepsTheScreenItsNameAndCaption) {
  Dialogs.InputAnswer = "Before";
  Form.btnScreenPropClick();
  TGraphNode* kept = PlaceWidget({20, 20}, {100, 50});
  const QString path = Dir.filePath("damaged.Screen");
  GetParam().Damage(path);

  Dialogs.Answers = {IDesignerDialogs::anDestructive};  // discard the unsaved widget
  Dialogs.Files = {path.toStdString()};
  Form.btnOpenClick();
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(Widget(0), kept);
  EXPECT_EQ(Form.ScreenName, "Before");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [Before*]");
  ASSERT_EQ(Dialogs.Messages.size(), 2u);  // the New screen warning, then the error
  const std::string expected = "Cannot open \"" + path.toStdString() + "\":\n" + GetParam().Reason;
  EXPECT_EQ(Dialogs.Messages[1].substr(0, expected.size()), expected) << Dialogs.Messages[1];
  EXPECT_EQ(Dialogs.Kinds[1], IDesignerDialogs::bkError);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, OpenDamagedFileTest,
    ::testing::Values(
        TDamageCase{"NotADiagram", [](const QString& p) { WriteAll(p, "not a diagram"); },
                    "Invalid stream content"},
        TDamageCase{"Truncated", [](const QString& p) { WriteAll(p, GoodScreenBytes().chopped(10)); },
                    "Stream-Lesefehler"},
        TDamageCase{"UnknownClass",
                    [](const QString& p) { WriteReplaced(p, "TRectangularNode", "TRectangularNodx"); },
                    "Klasse TRectangularNodx nicht gefunden"},
        TDamageCase{"BadValue", [](const QString& p) { WriteReplaced(p, "clWhite", "clWhitx"); },
                    "Ungültiger Eigenschaftswert"},
        TDamageCase{"Missing", [](const QString&) {}, "Datei "},
        TDamageCase{"Folder", [](const QString& p) { QDir().mkdir(p); }, "Datei "}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Unsaved work is never discarded silently ---------------------------------------------------

struct TCommand {
  const char* Name;
  void (*Run)(MainWindowTest&, TForm1&);
  // Whether the command went ahead (the window closed, the screen was replaced).
  bool (*WentAhead)(TForm1&);
};

bool Closed(TForm1& form) { return !form.isVisible(); }
bool Replaced(TForm1& form) { return form.GraphControl1.CountObjects() != 2; }

const TCommand Commands[] = {
    {"ExitButton", [](MainWindowTest&, TForm1& f) { QTest::mouseClick(f.btnClose, Qt::LeftButton); }, Closed},
    {"ExitKey", [](MainWindowTest&, TForm1& f) { QTest::keyClick(&f, Qt::Key_Q, Qt::ControlModifier); },
     Closed},
    {"CloseWindow", [](MainWindowTest&, TForm1& f) { f.close(); }, Closed},
    {"OpenScreen", [](MainWindowTest&, TForm1& f) { QTest::mouseClick(f.btnOpen, Qt::LeftButton); },
     Replaced},
    {"NewScreen", [](MainWindowTest&, TForm1& f) { QTest::mouseClick(f.btnScreenProp, Qt::LeftButton); },
     Replaced},
};

const char* const AnswerNames[] = {"Save", "Discard", "Cancel"};

class UnsavedChangesTest
    : public MainWindowTest,
      public ::testing::WithParamInterface<std::tuple<TCommand, IDesignerDialogs::TAnswer>> {};

TEST_P(UnsavedChangesTest, AskToSaveDiscardOrCancel) {
  const auto& [command, answer] = GetParam();
  MakeUnsavedScreen();
  const std::string before = ReadAll(Dir.filePath("first.Screen"));
  {
    TGraphControl other;
    other.AddNode({0, 0, 10, 10});
    other.SaveToFile(Path("other.Screen"));
  }
  Dialogs.Answers = {answer};
  Dialogs.Files = {Path("other.Screen")};
  command.Run(*this, Form);

  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_EQ(
      Dialogs.Questions[0],
      "The screen \"first.Screen\" has unsaved changes.\nDo you want to save them? [Save|Discard|Cancel]");
  EXPECT_EQ(command.WentAhead(Form), answer != IDesignerDialogs::anCancel);
  const std::string after = ReadAll(Dir.filePath("first.Screen"));
  if (answer == IDesignerDialogs::anAccept)
    EXPECT_NE(after, before);  // saved to the screen's file, without asking for a name
  else
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Commands, UnsavedChangesTest,
                         ::testing::Combine(::testing::ValuesIn(Commands),
                                            ::testing::Values(IDesignerDialogs::anAccept,
                                                              IDesignerDialogs::anDestructive,
                                                              IDesignerDialogs::anCancel)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).Name) + "_" +
                                  AnswerNames[std::get<1>(info.param)];
                         });

TEST_F(MainWindowTest, OnlyAModifiedScreenIsAskedAboutAndExportDoesNotCountAsSaving) {
  Form.close();
  EXPECT_TRUE(Dialogs.Questions.empty());
  Show(Form);

  PlaceWidget({20, 20}, {100, 50});
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi*");
  QTest::mouseClick(Form.btnExport, Qt::LeftButton);
  EXPECT_FALSE(ReadAll(Dir.filePath("ScreenWorkspace")).empty());
  EXPECT_TRUE(Form.GraphControl1.Modified());
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi*");
}

// ---- Save and Save As ------------------------------------------------------------------------

// From Save As on, the caption, the unsaved-changes question and Save all
// name the new file; the file the screen came from stays as it was.
TEST_F(MainWindowTest, SaveWritesTheFileTheWindowNamesAndSaveAsAlwaysAsks) {
  PlaceWidget({20, 20}, {100, 50});
  Dialogs.Files = {"", Path("one.Screen")};
  Key(Qt::Key_S, Qt::ControlModifier);  // no file yet: asks; cancelled
  EXPECT_TRUE(Form.GraphControl1.Modified());
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi*");
  Key(Qt::Key_S, Qt::ControlModifier);  // asks again; saved
  EXPECT_FALSE(Form.GraphControl1.Modified());
  EXPECT_EQ(Form.FileName(), Path("one.Screen"));
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [one.Screen]");

  Drag({50, 35}, {60, 45});
  Key(Qt::Key_S, Qt::ControlModifier);  // straight to one.Screen
  EXPECT_EQ(Dialogs.Titles.size(), 2u);
  TGraphControl reread;
  reread.LoadFromFile(Path("one.Screen"));
  EXPECT_EQ(reread.Objects()[0]->GetBoundsRect(), (TRect{30, 30, 110, 60}));
  const std::string one = ReadAll(Dir.filePath("one.Screen"));

  Dialogs.Files = {Path("two.Screen")};
  Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Form.ScreenName, "two.Screen");
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [two.Screen]");
  Drag({60, 45}, {70, 55});
  EXPECT_EQ(Caption(), "Orvane Vizadu-Razadivi  [two.Screen*]");
  Form.close();
  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_EQ(
      Dialogs.Questions[0],
      "The screen \"two.Screen\" has unsaved changes.\nDo you want to save them? [Save|Discard|Cancel]");
  Key(Qt::Key_S, Qt::ControlModifier);
  reread.LoadFromFile(Path("two.Screen"));
  EXPECT_EQ(reread.Objects()[0]->GetBoundsRect(), (TRect{40, 40, 120, 70}));
  EXPECT_EQ(ReadAll(Dir.filePath("one.Screen")), one) << "the earlier file is left alone";

  Dialogs.Files = {""};
  QTest::mouseClick(Form.btnSave, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Titles, (std::vector<std::string>{"Save file", "Save file", "Save file", "Save file"}));
  EXPECT_EQ(Dialogs.Prefilled, (std::vector<std::string>{"", "", Path("one.Screen"), Path("two.Screen")}));
}

// ---- Through the window's handlers -------------------------------------------------------------

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

}  // namespace
}  // namespace gc::app
