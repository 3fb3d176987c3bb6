// A Qt window with the diagram control: three linked nodes that can be
// selected, moved, resized and linked; clicking an object shows its text in
// the status bar. With a file name as argument the program draws the
// diagram into that PNG file instead of opening the window.
#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QStatusBar>
#include <cstdio>
#include <memory>

#include "GraphControl/GraphControl.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QtRenderedImage.h"

namespace {

gc::TGraphNode* AddNode(gc::TGraphControl& graph, const gc::TGraphObjectClass* shape, const gc::TRect& bounds,
                        const char* text, gc::TColor fill) {
  auto* node = static_cast<gc::TGraphNode*>(graph.AddNode(bounds, shape));
  node->SetText(text);
  node->Brush().SetColor(fill);  // 0x00BBGGRR
  return node;
}

void BuildDiagram(gc::TGraphControl& graph) {
  gc::TGraphControl::TUpdateLock lock(graph);  // one repaint for the whole batch
  gc::TGraphNode* source =
      AddNode(graph, gc::TRectangularNode::StaticClass(), {20, 20, 160, 80}, "Source", 0xFFE0C0);
  gc::TGraphNode* filter =
      AddNode(graph, gc::TEllipticNode::StaticClass(), {240, 120, 380, 200}, "Filter", 0xC0FFC0);
  gc::TGraphNode* sink =
      AddNode(graph, gc::THexagonalNode::StaticClass(), {460, 20, 600, 80}, "Sink", 0xC0E0FF);
  gc::TGraphLink::CreateNew(&graph, source, {}, filter)->SetText("raw");
  gc::TGraphLink* out = gc::TGraphLink::CreateNew(&graph, filter, {{530, 160}}, sink);
  out->SetText("clean");
  out->SetBeginStyle(gc::lsCircle);
}

int SaveImage(gc::TGraphControl& graph, const char* fileName) {
  std::unique_ptr<gc::TRenderedImage> image = graph.RenderBitmap(graph.Objects());
  const bool saved = image && gc::qt::RenderedBitmap(*image)->save(fileName, "PNG");
  if (!saved) std::fprintf(stderr, "embed: could not write %s\n", fileName);
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  gc::qt::InstallQtPlatform();  // text measuring, cursors, images, clipboard
  gc::GraphControlStartup();    // the node and link classes
  int status = 0;
  {
    gc::TGraphControl graph;
    BuildDiagram(graph);
    if (argc > 1) {
      status = SaveImage(graph, argv[1]);
    } else {
      QMainWindow window;
      auto* view = new gc::qt::TGraphWidget(&graph);  // shows the control; owns nothing of it
      window.setCentralWidget(view);
      window.setWindowTitle("Embedded diagram");
      window.resize(660, 300);
      graph.OnObjectClick = [&window](gc::TGraphControl*, gc::TGraphObject* object) {
        window.statusBar()->showMessage(QString::fromStdString("Clicked: " + object->Text()));
      };
      window.show();
      status = QApplication::exec();
      graph.OnObjectClick = nullptr;
    }
  }
  gc::GraphControlShutdown();
  gc::qt::UninstallQtPlatform();
  return status;
}
