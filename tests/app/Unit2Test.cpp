// The XML export window: it rebuilds from the workspace on every showing,
// shows the text from its top-left corner and says when it is not whole,
// keeps answers and stops when asked, and saves and copies what it shows.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include "app/Unit2.h"
#include "app/XmlExport.h"
#include "support/CaseName.h"
#include "tests/app/FakeDialogs.h"

#include "tests/app/XmlExportFixture.h"

namespace gc::app {
namespace {

TEST_F(XmlExportTest, WindowRebuildsFromTheWorkspaceOnEveryShowing) {
  AddWidget({40, 30, 160, 55}, "Title");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();
  EXPECT_EQ(form.windowTitle(), "XML-Export");
  EXPECT_TRUE(form.XMEMO->isReadOnly());
  EXPECT_FALSE(form.XEXPORTER.Host());
  form.FormShow();
  form.FormShow();
  EXPECT_EQ(Dialogs.Selections.size(), 6u);
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 5);
  EXPECT_TRUE(Dialogs.Messages.empty());

  // A broken workspace is reported and the previous text stays.
  WriteFile("ScreenWorkspace", "garbage");
  form.FormShow();
  EXPECT_EQ(Dialogs.Messages, std::vector<std::string>{"Invalid stream content"});
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 5);

  // A missing value list ends the export with the lines so far.
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  QFile::remove(Dir.filePath("xml_Sources"));
  form.FormShow();
  ASSERT_EQ(Dialogs.Messages.size(), 2u);
  EXPECT_NE(Dialogs.Messages[1].find("xml_Sources"), std::string::npos);
  EXPECT_EQ(form.XMEMO->toPlainText().toStdString(), ScreenLine);
}

// Forty widgets give a text wider and longer than the window. However it was
// scrolled, each showing starts at its top-left corner; a note under the
// text says when it is incomplete or the previous one.
TEST_F(XmlExportTest, WindowShowsTheTextFromItsTopLeftAndSaysWhenItIsNotWhole) {
  for (int i = 0; i < 40; ++i) AddWidget({10 * i, 0, 10 * i + 10, 10}, "");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  QScrollBar* across = form.XMEMO->horizontalScrollBar();
  QScrollBar* down = form.XMEMO->verticalScrollBar();
  auto showAfterScrollingToTheEnd = [&] {
    across->setValue(across->maximum());
    down->setValue(down->maximum());
    form.FormShow();
    QApplication::processEvents();
  };
  showAfterScrollingToTheEnd();
  ASSERT_GT(across->maximum(), 0);
  ASSERT_GT(down->maximum(), 0);
  EXPECT_EQ(across->value(), 0);
  EXPECT_EQ(down->value(), 0);
  EXPECT_EQ(form.XMEMO->textCursor().position(), 0);
  EXPECT_FALSE(form.lblNote->isVisible());

  QFile::remove(Dir.filePath("xml_ConvNames"));
  showAfterScrollingToTheEnd();
  EXPECT_EQ(form.XMEMO->toPlainText().toStdString(), ScreenLine);
  EXPECT_EQ(across->value(), 0);
  ASSERT_TRUE(form.lblNote->isVisible());
  EXPECT_TRUE(form.lblNote->text().startsWith("The text is incomplete: a value list could not be read.\n"));
  EXPECT_TRUE(form.lblNote->text().contains("xml_ConvNames"));

  WriteFile("xml_ConvNames", "NAME=Default\n");
  showAfterScrollingToTheEnd();
  EXPECT_FALSE(form.lblNote->isVisible());
  const QString whole = form.XMEMO->toPlainText();
  WriteFile("ScreenWorkspace", "garbage");
  showAfterScrollingToTheEnd();
  EXPECT_EQ(form.XMEMO->toPlainText(), whole);
  EXPECT_EQ(down->value(), 0);
  EXPECT_EQ(form.lblNote->text(),
            "The screen could not be read; this is the text of the export before.\nInvalid stream content");
}

// The answers of a question with the box ticked are listed for the main
// window to keep; "Stop export" ends the text where it is.
TEST_F(XmlExportTest, WindowKeepsAnswersAndStops) {
  AddWidget({40, 30, 160, 55}, "A");
  AddWidget({40, 60, 160, 85}, "B");
  Graph.SetBinding(AddWidget({40, 90, 160, 115}, "Bound"), {"S", "T", "N"});
  AddWidget({40, 120, 160, 145}, "C");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();

  Dialogs.KeepAnswers = true;
  Dialogs.Choices = {0, TFakeDialogs::Cancel, 1, 1, 0, 0, 0, 0, 0};
  form.FormShow();
  EXPECT_FALSE(form.Stopped());
  ASSERT_EQ(form.KeptBindings().size(), 3u);
  EXPECT_EQ(form.KeptBindings()[0].WidgetIndex, 0);
  EXPECT_EQ(form.KeptBindings()[0].Binding, (TWidgetBinding{"Session.Title", "", "Format"}));
  EXPECT_EQ(form.KeptBindings()[1].Binding, (TWidgetBinding{"Clock", "ClockToText", "Default"}));
  EXPECT_EQ(form.KeptBindings()[2].WidgetIndex, 3);
  EXPECT_FALSE(form.lblNote->isVisibleTo(&form));

  Dialogs.KeepAnswers = false;
  Dialogs.StopAt = static_cast<int>(Dialogs.Selections.size()) + 4;  // B's second question
  Dialogs.Choices = {0, 0, 0, 0};
  form.FormShow();
  EXPECT_TRUE(form.Stopped());
  EXPECT_TRUE(form.KeptBindings().empty());
  EXPECT_TRUE(form.lblNote->isVisibleTo(&form));
  EXPECT_EQ(form.lblNote->text(), "The export was stopped: the text ends with the last widget answered.");
  EXPECT_EQ(form.XMEMO->document()->blockCount(), 4) << "the screen line and widget A";
  EXPECT_TRUE(Dialogs.Messages.empty());

  // A workspace that cannot be read keeps nothing of the showing before.
  Dialogs.StopAt = -1;
  Dialogs.KeepAnswers = true;
  Dialogs.Choices = {0, 0, 0, 0, 0, 0, 0, 0, 0};
  form.FormShow();
  ASSERT_EQ(form.KeptBindings().size(), 3u);
  WriteFile("ScreenWorkspace", "garbage");
  form.FormShow();
  EXPECT_TRUE(form.KeptBindings().empty());
}

TEST_F(XmlExportTest, WindowSavesAndCopiesTheTextItShows) {
  AddWidget({40, 30, 160, 55}, "Title");
  Graph.SaveToFile(Dir.filePath("ScreenWorkspace").toStdString());
  TForm2 form(Dialogs);
  form.Directory = Dir.path().toStdString();
  form.FormShow();
  const std::string shown = form.XMEMO->toPlainText().toStdString() + "\n";

  const QString target = Dir.filePath("screen.xml");
  Dialogs.Files = {target.toStdString(), ""};
  form.btnSaveAs->click();
  QFile saved(target);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll().toStdString(), shown);
  form.btnSaveAs->click();  // cancelled; the dialog offers the last file again
  EXPECT_EQ(Dialogs.Prefilled, (std::vector<std::string>{"", target.toStdString()}));
  EXPECT_EQ(Dialogs.Filters.front(), "XML-Files|*.xml");

  form.btnCopy->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), shown);
}

}  // namespace
}  // namespace gc::app
