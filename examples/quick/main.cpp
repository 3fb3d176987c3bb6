// A Qt Quick window with the diagram control: a toolbar in QML drives the
// GraphItem (modes, undo, redo, delete, zoom), and C++ fills its control with
// a small diagram. With a file name as argument the program saves a picture
// of the window into that PNG file instead of staying open.
#include <QGuiApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>
#include <cstdio>

#include "GraphControl/GraphControl.h"
#include "platform/qt/GraphItem.h"
#include "platform/qt/QtPlatform.h"

namespace {

void BuildDiagram(gc::TGraphControl& graph) {
  gc::TGraphControl::TUpdateLock lock(graph);
  auto* start = gc::TGraphNode::CreateWithBounds<gc::TRoundRectangularNode>(&graph, {40, 40, 180, 100});
  start->SetText("Start");
  start->Brush().SetColor(0xC0FFC0);
  auto* check = gc::TGraphNode::CreateWithBounds<gc::TRhomboidalNode>(&graph, {260, 30, 420, 110});
  check->SetText("Valid?");
  check->Brush().SetColor(0xC0E0FF);
  auto* done = gc::TGraphNode::CreateWithBounds<gc::TEllipticNode>(&graph, {500, 40, 640, 100});
  done->SetText("Done");
  gc::TGraphLink::CreateNew(&graph, start, {}, check)->SetEndStyle(gc::lsArrow);
  gc::TGraphLink* yes = gc::TGraphLink::CreateNew(&graph, check, {}, done);
  yes->SetText("yes");
  yes->SetEndStyle(gc::lsArrow);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  gc::qt::InstallQtPlatform();  // text measuring, cursors, images, clipboard
  gc::GraphControlStartup();    // the node and link classes, before the first control
  gc::qt::RegisterQmlTypes();   // "import GraphControl" in QML
  int status = 0;
  {
    QQmlApplicationEngine engine;
    engine.load(QUrl("qrc:/main.qml"));
    auto* window =
        engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(engine.rootObjects()[0]);
    auto* item = window ? window->findChild<gc::qt::TGraphItem*>("diagram") : nullptr;
    if (!item) {
      std::fprintf(stderr, "quickdemo: main.qml did not load\n");
      status = 1;
    } else {
      BuildDiagram(*item->Control());
      item->Control()->ClearHistory();  // the diagram as built is where undo stops
      if (argc > 1) {
        QTimer::singleShot(200, &app, [&] {
          const bool saved = window->grabWindow().save(argv[1], "PNG");
          if (!saved) std::fprintf(stderr, "quickdemo: could not write %s\n", argv[1]);
          QGuiApplication::exit(saved ? 0 : 1);
        });
      }
      status = QGuiApplication::exec();
    }
  }
  gc::GraphControlShutdown();
  gc::qt::UninstallQtPlatform();
  return status;
}
