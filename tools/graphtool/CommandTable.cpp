// The command table: a new command is a source file that defines its TCommand
// and one line here.
#include <algorithm>

#include "tools/graphtool/Command.h"

namespace gc::tool {

extern const TCommand DumpCommand;
extern const TCommand BuildCommand;
extern const TCommand ResaveCommand;
extern const TCommand RenderCommand;
extern const TCommand XmlCommand;

namespace {
const TCommand* const Table[] = {
    &DumpCommand,
    &BuildCommand,
    &ResaveCommand,
    &RenderCommand,
    &XmlCommand,
};
}  // namespace

std::span<const TCommand* const> Commands() { return Table; }

const TCommand* FindCommand(std::string_view name) {
  const auto it =
      std::find_if(std::begin(Table), std::end(Table), [name](const TCommand* c) { return c->Name == name; });
  return it == std::end(Table) ? nullptr : *it;
}

}  // namespace gc::tool
