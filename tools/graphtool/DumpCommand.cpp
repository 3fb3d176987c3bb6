// graphtool dump: a diagram file as JSON on standard output.
#include <iostream>

#include "json/DiagramJson.h"
#include "tools/graphtool/Command.h"
#include "tools/graphtool/Files.h"
#include "tools/graphtool/WidgetDataJson.h"

namespace gc::tool {

namespace {

int Dump(const TInvocation& invocation) {
  const json::TJson document =
      json::DiagramToJson(ReadFileBytes(invocation.Arguments[0]), &DesignerDataJson());
  std::cout << document.dump(2) << "\n";
  return 0;
}

}  // namespace

extern const TCommand DumpCommand{
    .Name = "dump",
    .Summary = "print a diagram file as JSON; \"graphtool build\" turns it back into the same file",
    .Description =
        "Prints FILE as a JSON document: every object in z-order (bottom first) with its class and\n"
        "the records of its property stream, by path, in stored order. Values appear in their JSON\n"
        "types: numbers, strings, identifiers and colour names as strings, sets as arrays of member\n"
        "names, pictures as {\"class\", \"data\"} and custom data as base64, a link's points as\n"
        "[[x, y], ...]. A value stored in a form other than the one the library writes names its\n"
        "form: {\"value\": 10, \"tag\": \"int32\"}. The designer's custom data shows beside\n"
        "\"properties\": a widget's binding as \"binding\": {\"source\": ..., \"converterType\": ...,\n"
        "\"converterName\": ...}, the screen's properties as \"screen\": {\"name\", \"width\",\n"
        "\"height\", \"title\", \"backgroundColor\": \"#RRGGBB\"}. An object whose bytes the records\n"
        "cannot reproduce exactly is shown as {\"class\": ..., \"record\": BASE64}. \"graphtool build\"\n"
        "turns the document back into a file identical to FILE, byte for byte.\n",
    .Arguments = {{"FILE.Screen", TArgumentRole::InputFile}},
    .Options = {},
    .Run = Dump,
};

}  // namespace gc::tool
