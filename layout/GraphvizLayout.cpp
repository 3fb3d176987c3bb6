// Runs a Graphviz layout through its C library (cgraph builds the graph, gvc
// lays it out). One graph unit is one Graphviz point; sizes go to Graphviz in
// inches. Graphviz reports errors through a process-wide handler, which is
// taken over for the duration of the call and its text kept for the
// exception.
#include "layout/GraphvizLayout.h"

#include <cgraph.h>
#include <gvc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "GraphControl/Numeric.h"
#include "layout/DiagramLayout.h"

namespace gc::layout {

namespace {

constexpr double PointsPerInch = 72.0;

// ---- Messages ----------------------------------------------------------------------------------

std::string& CollectedMessages() {
  static std::string messages;
  return messages;
}

int CollectMessage(char* text) {
  CollectedMessages() += text;
  return 0;
}

// Sends Graphviz's errors and warnings to CollectedMessages for its lifetime
// instead of to stderr.
class TMessageCapture {
 public:
  TMessageCapture() : Previous_(agseterrf(&CollectMessage)) {
    CollectedMessages().clear();
    agreseterrors();
  }
  ~TMessageCapture() { agseterrf(Previous_); }
  TMessageCapture(const TMessageCapture&) = delete;
  TMessageCapture& operator=(const TMessageCapture&) = delete;

  [[noreturn]] static void Fail(const std::string& what) {
    std::string text = CollectedMessages();
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    throw EGraphLayoutError(text.empty() ? what : what + ": " + text);
  }

 private:
  agusererrf Previous_;
};

// ---- The graph ----------------------------------------------------------------------------------

struct TContextDeleter {
  void operator()(GVC_t* context) const { gvFreeContext(context); }
};
using TContext = std::unique_ptr<GVC_t, TContextDeleter>;

// The graph and, once laid out, its layout; both freed together.
class TGraph {
 public:
  explicit TGraph(GVC_t* context) : Context_(context) {
    char name[] = "arrange";
    Graph_ = agopen(name, Agdirected, nullptr);
  }
  ~TGraph() {
    if (LaidOut_) gvFreeLayout(Context_, Graph_);
    if (Graph_) agclose(Graph_);
  }
  TGraph(const TGraph&) = delete;
  TGraph& operator=(const TGraph&) = delete;

  Agraph_t* Get() const { return Graph_; }
  // Declares an attribute for `kind` (AGRAPH, AGNODE, AGEDGE) with its
  // default; for AGRAPH that is the graph's own value.
  Agsym_t* Declare(int kind, const char* name, const std::string& value) {
    return agattr(Graph_, kind, const_cast<char*>(name), const_cast<char*>(value.c_str()));
  }
  static void Set(void* object, Agsym_t* attribute, const std::string& value) {
    agxset(object, attribute, const_cast<char*>(value.c_str()));
  }
  void Layout(const std::string& engine) {
    if (gvLayout(Context_, Graph_, engine.c_str()) != 0)
      TMessageCapture::Fail("Layout with \"" + engine + "\" failed");
    LaidOut_ = true;
  }

 private:
  GVC_t* Context_;
  Agraph_t* Graph_ = nullptr;
  bool LaidOut_ = false;
};

std::string Inches(int32_t units) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", units / PointsPerInch);
  return text;
}

std::string Points(int32_t units) { return std::to_string(units); }

// Above this many nodes the layered layout takes few passes of its ordering
// and placement.
constexpr size_t LargeLayeredDiagram = 2000;
// The force-directed engines route links round the nodes only up to this
// many nodes (their router takes seconds at a hundred), and remove overlaps
// by spreading the layout above it.
constexpr size_t LargeForceDiagram = 40;

void SetGraphAttributes(TGraph& graph, const TLayoutRequest& request) {
  if (request.Engine == "dot") {
    const bool large = request.Nodes.size() > LargeLayeredDiagram;
    graph.Declare(AGRAPH, "splines", "polyline");
    graph.Declare(AGRAPH, "rankdir", request.LeftRight ? "LR" : "TB");
    graph.Declare(AGRAPH, "nodesep", Inches(request.NodeSpacing));
    graph.Declare(AGRAPH, "ranksep", Inches(request.LayerSpacing));
    if (large) {
      // Ranking over the whole graph at once, and few passes of crossing
      // reduction and of the network simplex that ranks and places: every
      // pass keeps the layout valid (layers kept, nodes apart) and a diagram
      // of 10,000 nodes takes seconds instead of minutes.
      graph.Declare(AGRAPH, "newrank", "true");
      graph.Declare(AGRAPH, "mclimit", "0.02");
      graph.Declare(AGRAPH, "nslimit", "0.02");
      graph.Declare(AGRAPH, "nslimit1", "0.02");
    }
  } else {
    const bool large = request.Nodes.size() > LargeForceDiagram;
    // Overlaps are removed afterwards, keeping half the spacing around each node.
    graph.Declare(AGRAPH, "splines", large ? "line" : "polyline");
    graph.Declare(AGRAPH, "overlap", large ? "scale" : "false");
    graph.Declare(AGRAPH, "sep", "+" + Points((request.NodeSpacing + 1) / 2));
    graph.Declare(AGRAPH, "esep", "+" + Points((request.NodeSpacing + 3) / 4));
  }
  for (const auto& [name, value] : request.GraphAttributes) graph.Declare(AGRAPH, name.c_str(), value);
}

std::vector<Agnode_t*> AddNodes(TGraph& graph, const std::vector<TLayoutNode>& nodes) {
  graph.Declare(AGNODE, "shape", "box");
  graph.Declare(AGNODE, "fixedsize", "true");
  graph.Declare(AGNODE, "label", "");
  Agsym_t* width = graph.Declare(AGNODE, "width", "0.75");
  Agsym_t* height = graph.Declare(AGNODE, "height", "0.5");
  std::vector<Agnode_t*> added;
  added.reserve(nodes.size());
  for (size_t i = 0; i < nodes.size(); ++i) {
    std::string name = "n" + std::to_string(i);
    Agnode_t* node = agnode(graph.Get(), name.data(), 1);
    TGraph::Set(node, width, Inches(std::max(nodes[i].Width, 1)));
    TGraph::Set(node, height, Inches(std::max(nodes[i].Height, 1)));
    added.push_back(node);
  }
  return added;
}

std::vector<Agedge_t*> AddEdges(TGraph& graph, const std::vector<TLayoutEdge>& edges,
                                const std::vector<Agnode_t*>& nodes) {
  graph.Declare(AGEDGE, "arrowhead", "none");
  Agsym_t* label = graph.Declare(AGEDGE, "label", "");
  Agsym_t* fontName = graph.Declare(AGEDGE, "fontname", "Arial");
  Agsym_t* fontSize = graph.Declare(AGEDGE, "fontsize", "11");
  std::vector<Agedge_t*> added;
  added.reserve(edges.size());
  for (size_t i = 0; i < edges.size(); ++i) {
    const TLayoutEdge& edge = edges[i];
    std::string name = "e" + std::to_string(i);
    Agedge_t* e = agedge(graph.Get(), nodes.at(static_cast<size_t>(edge.Source)),
                         nodes.at(static_cast<size_t>(edge.Target)), name.data(), 1);
    if (!edge.Label.empty()) {
      TGraph::Set(e, label, edge.Label);
      if (!edge.FontName.empty()) TGraph::Set(e, fontName, edge.FontName);
      TGraph::Set(e, fontSize, std::to_string(std::max(edge.FontSize, 1)));
    }
    added.push_back(e);
  }
  return added;
}

// ---- Reading the layout back ----------------------------------------------------------------------

// Graphviz's Y grows upwards from the bottom of the bounding box.
class TMapping {
 public:
  explicit TMapping(const boxf& bounds) : Left_(bounds.LL.x), Top_(bounds.UR.y) {}
  TPoint operator()(pointf p) const { return {RoundHalfEven(p.x - Left_), RoundHalfEven(Top_ - p.y)}; }

 private:
  double Left_;
  double Top_;
};

double Distance2(TPoint a, TPoint b) {
  const double dx = static_cast<double>(a.X) - b.X;
  const double dy = static_cast<double>(a.Y) - b.Y;
  return dx * dx + dy * dy;
}

// The router's path of an edge: the end points of its Bézier pieces (with
// polyline splines, exactly the polyline's corners), from tail to head.
TPoints PathOf(Agedge_t* edge, const TMapping& map, TPoint tailCenter, TPoint headCenter) {
  TPoints path;
  const splines* spl = ED_spl(edge);
  if (!spl) return path;
  for (int b = 0; b < spl->size; ++b) {
    const bezier& piece = spl->list[b];
    for (int i = 0; i < piece.size; i += 3) {
      const TPoint p = map(piece.list[i]);
      if (path.empty() || path.back() != p) path.push_back(p);
    }
  }
  if (path.size() >= 2 && Distance2(path.front(), headCenter) + Distance2(path.back(), tailCenter) <
                              Distance2(path.front(), tailCenter) + Distance2(path.back(), headCenter))
    std::reverse(path.begin(), path.end());
  return path;
}

}  // namespace

TLayoutResult RunGraphviz(const TLayoutRequest& request) {
  TMessageCapture capture;
  TContext context(gvContext());
  if (!context) TMessageCapture::Fail("Graphviz could not start");
  TGraph graph(context.get());
  if (!graph.Get()) TMessageCapture::Fail("Graphviz could not create a graph");
  SetGraphAttributes(graph, request);
  const std::vector<Agnode_t*> nodes = AddNodes(graph, request.Nodes);
  const std::vector<Agedge_t*> edges = AddEdges(graph, request.Edges, nodes);
  graph.Layout(request.Engine);

  const TMapping map(GD_bb(graph.Get()));
  TLayoutResult result;
  result.Centers.reserve(nodes.size());
  for (Agnode_t* node : nodes) result.Centers.push_back(map(ND_coord(node)));
  result.Paths.reserve(edges.size());
  for (size_t i = 0; i < edges.size(); ++i) {
    const TLayoutEdge& edge = request.Edges[i];
    result.Paths.push_back(PathOf(edges[i], map, result.Centers[static_cast<size_t>(edge.Source)],
                                  result.Centers[static_cast<size_t>(edge.Target)]));
  }
  return result;
}

}  // namespace gc::layout
