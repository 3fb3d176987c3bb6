// graphtool xml: the XML the designer's export window shows for a screen.
#include <iostream>
#include <memory>

#include "GraphControl/Control.h"
#include "app/ScreenGraph.h"
#include "app/XmlExport.h"
#include "tools/graphtool/Command.h"

namespace gc::tool {

namespace {

// Without --lists every question keeps its default; with it, each value list
// in DIR answers with its first line.
int Xml(const TInvocation& invocation) {
  app::TScreenGraph graph;
  graph.LoadFromFile(invocation.Arguments[0]);
  std::unique_ptr<app::IXmlAnswers> answers;
  if (const std::optional<std::string> lists = invocation.Option("--lists"))
    answers = std::make_unique<app::TValueListAnswers>(
        *lists, [](const std::string&, const std::string&, const std::vector<std::string>&, int&) {
          return true;  // OK on the preselected first line
        });
  else
    answers = std::make_unique<app::TDefaultXmlAnswers>();
  std::vector<std::string> lines;
  app::BuildXmlLines(graph, *answers, lines);
  std::cout << app::XmlText(lines);
  return 0;
}

}  // namespace

extern const TCommand XmlCommand{
    .Name = "xml",
    .Summary = "print the XML the designer's export window shows for a screen",
    .Description =
        "Prints the XML description of FILE, built by the same code as the designer's export\n"
        "window: the screen's name, size, title and background colour where the screen sets them,\n"
        "and every widget's source, converter type and converter name from the binding the widget\n"
        "keeps. For a widget without one, they keep their defaults without --lists; with it, each\n"
        "is the first line of its value list in DIR (xml_Sources, xml_ConvTypes, xml_ConvNames).\n",
    .Arguments = {{"FILE.Screen", TArgumentRole::InputFile}},
    .Options = {{"--lists", "DIR", "answer from the value lists in DIR"}},
    .Run = Xml,
};

}  // namespace gc::tool
