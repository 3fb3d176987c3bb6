#include "tools/XmlCommand.h"

#include <iostream>
#include <memory>

#include "GraphControl/Control.h"
#include "GraphControl/Exceptions.h"
#include "app/XmlExport.h"

namespace gc::tools {

int RunXmlCommand(const std::vector<std::string>& args) {
  const bool withLists = args.size() == 3 && args[1] == "--lists";
  if (args.size() != 1 && !withLists) throw EGraphException(std::string("usage: ") + XmlUsage);
  TGraphControl graph;
  graph.LoadFromFile(args[0]);
  std::unique_ptr<app::IXmlAnswers> answers;
  if (withLists)
    answers = std::make_unique<app::TValueListAnswers>(
        args[2], [](const std::string&, const std::string&, const std::vector<std::string>&, int&) {
          return true;  // OK on the preselected first line
        });
  else
    answers = std::make_unique<app::TDefaultXmlAnswers>();
  std::vector<std::string> lines;
  app::BuildXmlLines(graph, *answers, lines);
  std::cout << app::XmlText(lines);
  return 0;
}

}  // namespace gc::tools
