// The designer's main window used as a user uses it: QTest mouse and key
// events on the real window and its TGraphWidget, answers from scripted
// dialogs, files in a scratch folder: a widget placed, clicked, moved and
// resized as the panel shows it, the Pixmap button, the export of hostile
// value lists, the last pixels of the screen and the program's icons. The
// panel's, the files' and the keys' own tests are in DesignerPanelTest,
// DesignerFilesTest and DesignerCommandsTest.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest/QTest>
#include <functional>

#include <gtest/gtest.h>

#include "GraphControl/Unit.h"
#include "app/ColorPicker.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/WidgetPicture.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtClipboard.h"
#include "tests/app/FakeDialogs.h"
#include "tests/app/MainWindowFixture.h"

namespace gc::app {
namespace {

TEST_F(MainWindowTest, PlacingClickingMovingAndResizingAWidgetShowsItInThePanel) {
  TGraphNode* w = PlaceWidget({40, 30}, {160, 55});
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(w->ClassType(), TRectangularNode::StaticClass());
  EXPECT_EQ(w->GetBoundsRect(), (TRect{40, 30, 160, 55}));
  EXPECT_FALSE(Form.btnEdit->isEnabled());

  Click({100, 40});
  EXPECT_EQ(Form.ShownWidget(), w);
  EXPECT_TRUE(Form.edText->isEnabled());
  EXPECT_EQ(Form.edVorder->text(), "Window Text");  // the default text colour, by name
  EXPECT_EQ(Form.edVorder->Color(), clWindowText);
  EXPECT_EQ(w->Font().Color(), clWindowText);  // filling the panel kept the system colour
  EXPECT_EQ(Form.edFontSize->value(), w->Font().Size());

  QTest::mousePress(Canvas(), Qt::LeftButton, {}, {100, 40});
  QTest::mouseMove(Canvas(), {110, 60});
  EXPECT_EQ(Form.edPosX->value(), 50);  // follows while the mouse moves
  EXPECT_EQ(Form.edPosY->value(), 50);
  QTest::mouseRelease(Canvas(), Qt::LeftButton, {}, {110, 60});
  Drag({170, 75}, {190, 95});  // the bottom-right marker
  EXPECT_EQ(Form.edBreite->value(), 140);
  EXPECT_EQ(Form.edHoehe->value(), 45);
  EXPECT_EQ(w->GetBoundsRect(), (TRect{50, 50, 190, 95}));
}

// ---- The Pixmap button -----------------------------------------------------------------------

TEST_F(MainWindowTest, PixmapButtonLinksAPictureThatSurvivesSaveAndOpen) {
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Messages, std::vector<std::string>{"The function is to time not implemented ;-)"});

  QImage image(3, 2, QImage::Format_ARGB32);
  image.fill(QColor(200, 30, 40));
  image.setPixel(1, 1, qRgba(0, 0, 255, 0));
  ASSERT_TRUE(image.save(Dir.filePath("logo.png")));
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  Click({50, 30});
  Dialogs.Files = {Path("logo.png"), Path("w.Screen")};
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Titles.back(), "Link a pixmap to widget");
  EXPECT_EQ(Dialogs.Filters.back(), "Pictures|*.png *.jpg *.jpeg *.bmp *.svg");
  ASSERT_TRUE(w->Background().HasGraphic());
  Form.btnSaveClick();
  Form.GraphControl1.Clear();
  ASSERT_TRUE(Form.OpenScreen(Path("w.Screen")));

  auto* reread = static_cast<TGraphNode*>(Widget(0));
  ASSERT_TRUE(reread->Background().HasGraphic());
  const TGraphic& stored = *reread->Background().Graphic();
  EXPECT_EQ(stored.ClassName, "TBitmap");
  const QImage back = QImage::fromData(stored.Data.data(), int(stored.Data.size()), "BMP");
  ASSERT_EQ(back.size(), QSize(3, 2));
  EXPECT_EQ(back.pixel(0, 0), qRgba(200, 30, 40, 255));
  EXPECT_EQ(qAlpha(back.pixel(1, 1)), 0);

  Click({50, 30});
  Dialogs.Answers = {IDesignerDialogs::anDestructive};
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Questions.back(), "The widget shows a picture. [Choose another…|Remove|Cancel]");
  EXPECT_FALSE(reread->Background().HasGraphic());

  // A picture that cannot be read is reported; a vector picture is drawn to
  // cover twice the widget's 80 x 30 in its own proportions.
  WriteAll(Dir.filePath("broken.png"), "no picture");
  WriteAll(Dir.filePath("mark.svg"),
           "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='5'><rect width='10' height='5' "
           "fill='#00ff00'/></svg>");
  Dialogs.Files = {Path("broken.png"), Path("mark.svg")};
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Messages.back().rfind("Cannot read the picture \"" + Path("broken.png") + "\": ", 0), 0u);
  EXPECT_FALSE(reread->Background().HasGraphic());
  QTest::mouseClick(Form.btnPixmap, Qt::LeftButton);
  ASSERT_TRUE(reread->Background().HasGraphic());
  const TGraphic& vector = *reread->Background().Graphic();
  const QImage drawn = QImage::fromData(vector.Data.data(), int(vector.Data.size()), "BMP");
  EXPECT_EQ(drawn.size(), QSize(160, 80));
  EXPECT_EQ(drawn.pixel(80, 40), qRgb(0, 255, 0));
}

// ---- Export ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, ExportShowsWellFormedXmlForHostileValueLists) {
  WriteAll("xml_Sources", "S=a\"b&c<d>e\n");
  WriteAll("xml_ConvTypes", "T=\"><evil x='1'/><convert type=\"\n");
  WriteAll("xml_ConvNames", QByteArray("N=</convert></widget>&amp;\x01\x1F\tend\n"));
  TGraphNode* w = PlaceWidget({20, 20}, {100, 50});
  w->SetText("<Title & \"quote\">");
  TForm2 exporter(Dialogs, &Form);
  Form.SetExportWindow(&exporter);
  Dialogs.Choices = {0, 0, 0};
  std::string text;
  QTimer::singleShot(0, &exporter, [&] {
    text = exporter.Text();
    exporter.accept();
  });
  Key(Qt::Key_E, Qt::ControlModifier);

  QXmlStreamReader reader(QString::fromStdString(text));
  std::vector<std::string> values;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    if (reader.name() == u"widget")
      values.push_back(reader.attributes().value("source").toString().toStdString());
    if (reader.name() == u"convert") {
      values.push_back(reader.attributes().value("type").toString().toStdString());
      values.push_back(reader.readElementText().toStdString());
    }
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << "\n" << text;
  // Control characters other than tab have no form in XML and are left out.
  EXPECT_EQ(values, (std::vector<std::string>{"a\"b&c<d>e", "\"><evil x='1'/><convert type=\"",
                                              "</convert></widget>&amp;\tend"}));
  ASSERT_EQ(Dialogs.Selections.size(), 3u);
  EXPECT_EQ(Dialogs.Selections[0], "Select SOURSE for: <Title & \"quote\">");
}

// ---- Look ------------------------------------------------------------------------------------

TEST_F(MainWindowTest, PanelLabelsClearTheirEditsAndTheLowerRowStaysReachable) {
  const std::pair<const char*, const QWidget*> besides[] = {{"Pos X", Form.edPosX},
                                                            {"Pos Y", Form.edPosY},
                                                            {"Width", Form.edBreite},
                                                            {"Height", Form.edHoehe},
                                                            {"zPosition", Form.edZPosition}};
  for (const auto& [text, edit] : besides) {
    const QLabel* label = nullptr;
    for (const QLabel* l : Form.sbElementProp->widget()->findChildren<QLabel*>())
      if (l->text() == text) label = l;
    ASSERT_NE(label, nullptr) << text;
    EXPECT_LT(label->x() + label->fontMetrics().horizontalAdvance(text), edit->x()) << text;
  }

  // The docks beside the drawing area take their part of the width.
  const int docks = Form.width() - Form.centralWidget()->width();
  Form.resize(600 + docks, 476);
  QApplication::processEvents();
  EXPECT_GE(Form.sbElementProp->viewport()->height(), 56);
  EXPECT_TRUE(Form.sbElementProp->horizontalScrollBar()->isVisible());
  Form.resize(900 + docks, 476);
  QApplication::processEvents();
  EXPECT_EQ(Form.sbElementProp->height(), 56);
}

// A red widget with a black border touches the bottom-right limit of the
// screen (2000, 2000): scrolled to the end, the drawing area's last pixel
// row and column show its border.
TEST_F(MainWindowTest, TheLastPixelsOfTheScreenShowAtTheLargestScrollPosition) {
  TGraphObject* corner = Form.GraphControl1.AddNode({1900, 1950, 2000, 2000});
  corner->Brush().SetColor(0x0000FF);
  for (TGraphScrollBar* bar : {&Form.GraphControl1.HorzScrollBar(), &Form.GraphControl1.VertScrollBar()})
    bar->SetPosition(bar->MaxPosition());
  const QImage shown = OnScreen();
  const int right = shown.width() - 1, bottom = shown.height() - 1;
  EXPECT_EQ(shown.pixel(right, bottom - 20), qRgb(0, 0, 0)) << "the right border";
  EXPECT_EQ(shown.pixel(right - 20, bottom), qRgb(0, 0, 0)) << "the bottom border";
  EXPECT_EQ(shown.pixel(right - 1, bottom - 1), qRgb(255, 0, 0)) << "the fill inside";
}

TEST_F(MainWindowTest, ButtonsHaveTheirOwnIconsAndTheProgramItsIconAndClipboardFormat) {
  std::vector<QImage> seen;
  for (const QToolButton* button : Form.centralWidget()->findChildren<QToolButton*>()) {
    if (button->objectName() == "qt_toolbar_ext_button") continue;  // the editing bar's overflow
    const QImage image = button->icon().pixmap(QSize(20, 20), 2.0).toImage();
    ASSERT_FALSE(image.isNull()) << button->toolTip().toStdString();
    for (const QImage& other : seen) EXPECT_NE(image, other) << button->toolTip().toStdString();
    seen.push_back(image);
  }
  EXPECT_EQ(seen.size(), 32u) << "20 specified buttons, undo, redo and 10 arrangement buttons";
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_EQ(qt::QtClipboardMimeType(GraphClipboardFormat()),
            "application/x-qt-windows-mime;value=\"Graph Control Format\"");
}

}  // namespace
}  // namespace gc::app
