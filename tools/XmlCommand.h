// graphtool xml FILE.Screen [--lists DIR]: prints the XML the designer's
// export window shows for a screen.
#pragma once

#include <string>
#include <vector>

namespace gc::tools {

inline constexpr const char* XmlUsage = "graphtool xml FILE.Screen [--lists DIR]";

// `args` are the command's arguments after "xml". Without --lists every
// question keeps its default; with it, each value list in DIR answers with
// its first line. Returns the exit status; failures raise.
int RunXmlCommand(const std::vector<std::string>& args);

}  // namespace gc::tools
