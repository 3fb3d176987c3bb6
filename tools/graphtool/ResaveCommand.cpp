// graphtool resave: loads a diagram and saves it again, as the designer would.

#include "GraphControl/Control.h"
#include "GraphControl/CustomDataKeeper.h"
#include "GraphControl/Stream.h"
#include "tools/graphtool/Command.h"

namespace gc::tool {

namespace {

int Resave(const TInvocation& invocation) {
  TGraphControl graph;
  TCustomDataKeeper custom(graph);
  graph.LoadFromFile(invocation.Arguments[0]);
  graph.SaveToFile(invocation.Arguments[1]);
  return 0;
}

}  // namespace

extern const TCommand ResaveCommand{
    .Name = "resave",
    .Summary = "load a diagram file and save it again, as the designer does",
    .Description =
        "Loads IN and saves the diagram as OUT, the way the designer saves a screen: records in\n"
        "the library's order and forms, values at their defaults left out. Custom data is kept as\n"
        "it is. OUT is replaced only when the whole file is written.\n",
    .Arguments = {{"IN.Screen", TArgumentRole::InputFile}, {"OUT.Screen", TArgumentRole::OutputFile}},
    .Options = {},
    .Run = Resave,
};

}  // namespace gc::tool
