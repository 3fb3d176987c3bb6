// The designer's main window as the tests drive it: shown and active in a
// scratch working folder, with helpers that act through QTest mouse events
// on the real window and its TGraphWidget, and answers from scripted dialogs.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest/QTest>
#include <string>

#include <gtest/gtest.h>

#include "GraphControl/GraphControl.h"
#include "app/ScreenRecovery.h"
#include "app/Unit1.h"
#include "platform/qt/GraphWidget.h"
#include "tests/app/FakeDialogs.h"
#include "tests/app/QtMessages.h"

namespace gc::app {

inline std::string ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    PreviousFolder = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    TakeQtMessages();
    Show(Form);
  }
  void TearDown() override {
    QDir::setCurrent(PreviousFolder);
    EXPECT_EQ(TakeQtMessages().join('\n').toStdString(), "") << "Qt printed warnings";
  }
  // Shows a window and waits until it has the keyboard, as a desktop gives it.
  static void Show(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  QWidget* Canvas() const { return Form.GraphWidget->viewport(); }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(Canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(Canvas(), (from + to) / 2);
    QTest::mouseMove(Canvas(), to);
    QTest::mouseRelease(Canvas(), Qt::LeftButton, {}, to);
  }
  void Click(QPoint at) { QTest::mouseClick(Canvas(), Qt::LeftButton, {}, at); }
  // "New widget", then press, drag and release in the diagram.
  TGraphNode* PlaceWidget(QPoint from, QPoint to) {
    QTest::mouseClick(Form.btnNew, Qt::LeftButton);
    Drag(from, to);
    return static_cast<TGraphNode*>(Form.GraphControl1.Objects()[Count() - 1]);
  }
  // What the X server shows of the drawing area once every pending repaint
  // is done (not a fresh rendering, which a stale area would not show).
  QImage OnScreen() {
    QApplication::processEvents();
    const QPoint corner = Canvas()->mapToGlobal(QPoint(0, 0));
    return Canvas()
        ->screen()
        ->grabWindow(0, corner.x(), corner.y(), Canvas()->width(), Canvas()->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  TGraphObject* Widget(int i) { return Form.GraphControl1.Objects()[i]; }
  int Count() const { return Form.GraphControl1.CountObjects(); }
  std::string Caption() const { return Form.windowTitle().toStdString(); }
  std::string Path(const char* name) const { return Dir.filePath(name).toStdString(); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
  }
  // Two widgets, saved as first.Screen and then moved, so unsaved.
  void MakeUnsavedScreen() {
    PlaceWidget({20, 20}, {100, 50});
    PlaceWidget({20, 80}, {100, 110});
    Dialogs.Files = {Path("first.Screen")};
    Form.btnSaveClick();
    Drag({50, 35}, {60, 45});
    ASSERT_TRUE(Form.GraphControl1.Modified());
  }

  QTemporaryDir Dir;
  QString PreviousFolder;
  TFakeDialogs Dialogs;
  TForm1 Form{Dialogs};
};

}  // namespace gc::app
