// graphtool resave: loads a diagram and saves it again, as the designer would.
#include <map>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Stream.h"
#include "tools/graphtool/Command.h"

namespace gc::tool {

namespace {

// Custom data has no meaning to the tool; it is kept byte for byte so that a
// resaved file carries it unchanged.
class TCustomDataKeeper {
 public:
  explicit TCustomDataKeeper(TGraphControl& graph) {
    graph.OnObjectRead = [this](TGraphControl*, TGraphObject* object, TStream& stream) {
      std::vector<uint8_t>& bytes = Data_[object];
      bytes.resize(static_cast<size_t>(stream.Size()));
      stream.ReadBuffer(bytes.data(), bytes.size());
    };
    graph.OnObjectWrite = [this](TGraphControl*, TGraphObject* object, TStream& stream) {
      const auto it = Data_.find(object);
      if (it != Data_.end() && !it->second.empty()) stream.WriteBuffer(it->second.data(), it->second.size());
    };
  }

 private:
  std::map<const TGraphObject*, std::vector<uint8_t>> Data_;
};

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
