// A window showing what the diagram control draws: every node shape, caption
// placements, a selected node with its markers, links with their
// decorations, and the grid. The diagram is larger than the window, so the
// scroll bars work; + and - zoom around the centre, 0 returns to 100 %.
// A arranges the diagram layered top-down (Shift+A left to right), F
// force-directed, and Ctrl+Z takes the arrangement back. A double click on a
// node, or F2, edits its caption in place. The overview at the right shows
// the whole diagram; click or drag there to scroll.
//
//   gallery            the gallery's diagram
//   gallery --large N  N captioned nodes in rows, linked along the rows and down
//                      (a large diagram to scroll through with the overview)
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "GraphControl/GraphControl.h"
#include "layout/DiagramLayout.h"
#include "platform/qt/GraphOverview.h"
#include "platform/qt/GraphWidget.h"
#include "platform/qt/QtPlatform.h"

namespace {

using namespace gc;

constexpr int32_t ZoomStep = 10;

// The host widget with the gallery's own zoom keys.
class TGalleryWidget : public qt::TGraphWidget {
 public:
  using TGraphWidget::TGraphWidget;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    TGraphControl* graph = Control();
    switch (event->key()) {
      case Qt::Key_Plus:
      case Qt::Key_Equal:
        graph->StepZoom(ZoomStep, zaCenter);
        break;
      case Qt::Key_Minus:
        graph->StepZoom(-ZoomStep, zaCenter);
        break;
      case Qt::Key_0:
        graph->SetZoomAnchored(100, zaTopLeft);
        break;
      case Qt::Key_A:
      case Qt::Key_F:
        Arrange(event->key() == Qt::Key_F                        ? asForceDirected
                : event->modifiers().testFlag(Qt::ShiftModifier) ? asLeftRight
                                                                 : asTopDown);
        break;
      case Qt::Key_Z:
        if (!event->modifiers().testFlag(Qt::ControlModifier)) return TGraphWidget::keyPressEvent(event);
        graph->Undo();
        break;
      default:
        TGraphWidget::keyPressEvent(event);
        return;
    }
    event->accept();
  }

 private:
  void Arrange(TArrangeStyle style) {
    TArrangeOptions options;
    options.Style = style;
    try {
      ArrangeDiagram(*Control(), options);
    } catch (const EGraphException& e) {
      QMessageBox::warning(this, "Arrange", QString::fromStdString(e.Message()));
    }
  }
};

TGraphNode* AddShape(TGraphControl& graph, const TGraphObjectClass* cls, const TRect& bounds,
                     const std::string& text, TColor fill) {
  auto* node = static_cast<TGraphNode*>(graph.AddNode(bounds, cls));
  node->SetText(text);
  node->Brush().SetColor(fill);
  return node;
}

void AddCaptionPlacements(TGraphControl& graph, int32_t left, int32_t top) {
  static constexpr const char* AlignmentNames[] = {"left", "right", "centre"};
  static constexpr const char* LayoutNames[] = {"top", "middle", "bottom"};
  const TAlignment alignments[] = {taLeftJustify, taCenter, taRightJustify};
  const TTextLayout layouts[] = {tlTop, tlCenter, tlBottom};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      const int32_t x = left + column * 170;
      const int32_t y = top + row * 110;
      const TAlignment alignment = alignments[column];
      const TTextLayout layout = layouts[row];
      TGraphNode* node =
          AddShape(graph, TRectangularNode::StaticClass(), {x, y, x + 150, y + 90},
                   std::string(AlignmentNames[alignment]) + " / " + LayoutNames[layout], 0xF0E8D8);
      node->SetAlignment(alignment);
      node->SetLayout(layout);
      node->SetMargin(6);
    }
  }
}

void BuildDiagram(TGraphControl& graph) {
  TGraphControl::TUpdateLock lock(graph);
  graph.SetColor(clWhite);
  graph.SetGridSize(10);

  const struct {
    const TGraphObjectClass* Class;
    const char* Name;
    TColor Fill;
  } shapes[] = {
      {TRectangularNode::StaticClass(), "Rectangle", 0xFFE0C0},
      {TRoundRectangularNode::StaticClass(), "Rounded rectangle", 0xC0FFC0},
      {TEllipticNode::StaticClass(), "Ellipse", 0xC0E0FF},
      {TTriangularNode::StaticClass(), "Triangle", 0xFFC0FF},
      {TRhomboidalNode::StaticClass(), "Rhombus", 0xC0FFFF},
      {TPentagonalNode::StaticClass(), "Pentagon", 0xE0E0E0},
      {THexagonalNode::StaticClass(), "Hexagon", 0xFFFFC0},
  };
  TGraphNode* row[7] = {};
  int i = 0;
  for (const auto& shape : shapes) {
    const int32_t x = 40 + i * 200;
    row[i++] = AddShape(graph, shape.Class, {x, 40, x + 150, 140}, shape.Name, shape.Fill);
  }

  AddCaptionPlacements(graph, 40, 240);

  TGraphNode* selected = AddShape(graph, TEllipticNode::StaticClass(), {640, 260, 840, 380},
                                  "Selected: its markers show", 0xD0F0D0);
  selected->SetSelected(true);
  TGraphNode* hidden =
      AddShape(graph, TRectangularNode::StaticClass(), {640, 420, 840, 520}, "Hidden: never shown", clRed);
  hidden->SetVisible(false);

  TGraphNode* far = AddShape(graph, THexagonalNode::StaticClass(), {1300, 900, 1500, 1020},
                             "Far corner: scroll here", 0xC0C0FF);

  // Links with their end decorations; the first carries a caption.
  TGraphLink* link = TGraphLink::CreateNew(&graph, row[0], {}, row[1]);
  link->SetText("arrow");
  link->SetEndStyle(lsArrow);
  TGraphLink* simple = TGraphLink::CreateNew(&graph, row[2], {}, row[3]);
  simple->SetBeginStyle(lsCircle);
  simple->SetEndStyle(lsArrowSimple);
  TGraphLink* diamond = TGraphLink::CreateNew(&graph, row[4], {{1015, 200}, {1215, 200}}, row[5]);
  diamond->SetBeginStyle(lsDiamond);
  diamond->SetEndStyle(lsArrow);
  diamond->SetText("bent, diamond to arrow");
  TGraphLink* toFar = TGraphLink::CreateNew(&graph, selected, {{1400, 320}}, far);
  toFar->SetEndStyle(lsArrow);
  toFar->SetText("to the far corner");
  toFar->Pen().SetWidth(2);

  // A link whose end is hooked to another link, running on a sloped segment
  // so its caption is drawn along the slope; selected, so its point markers show.
  TGraphLink* toLink = TGraphLink::CreateNew(&graph, graph.ObjectAtPoint(455, 290), {}, simple);
  toLink->SetText("hooked to a link");
  toLink->SetSelected(true);
}

// `count` captioned nodes in rows of 100, each linked to its right
// neighbour, and every tenth to the node below it.
void BuildLargeDiagram(TGraphControl& graph, int32_t count) {
  TGraphControl::TUpdateLock lock(graph);
  graph.SetColor(clWhite);
  constexpr int32_t PerRow = 100, Pitch = 120, RowPitch = 80;
  std::vector<TGraphNode*> nodes;
  nodes.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t x = i % PerRow * Pitch, y = i / PerRow * RowPitch;
    nodes.push_back(AddShape(graph, TRectangularNode::StaticClass(), {x, y, x + 80, y + 40},
                             "Node " + std::to_string(i + 1), 0xFFE0C0));
    if (i % PerRow != 0) TGraphLink::CreateNew(&graph, nodes[i - 1], {}, nodes[i]);
    if (i >= PerRow && i % 10 == 0) TGraphLink::CreateNew(&graph, nodes[i - PerRow], {}, nodes[i]);
  }
  graph.ClearHistory();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  qt::InstallQtPlatform();
  GraphControlStartup();
  int result = 0;
  {
    TGraphControl graph;
    if (argc == 3 && std::strcmp(argv[1], "--large") == 0)
      BuildLargeDiagram(graph, std::max(1, std::atoi(argv[2])));
    else
      BuildDiagram(graph);
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    auto* widget = new TGalleryWidget(&graph);
    widget->SetCaptionEditing(true);
    auto* overview = new qt::TGraphOverview(widget);
    overview->setFixedWidth(240);
    row->addWidget(widget, 1);
    row->addWidget(overview);
    window.setWindowTitle("Diagram gallery");
    window.resize(1240, 700);
    window.show();
    widget->setFocus();
    result = QApplication::exec();
  }
  GraphControlShutdown();
  return result;
}
