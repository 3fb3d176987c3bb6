// A diagram file as a JSON document and back, byte for byte:
//
//   {"objects": [{"class": "TRectangularNode",
//                 "properties": {"ID": 1, "G.Text": "Widget", "G.Left": 10, ...}},
//                ...]}
//
// Each object lists the records of its property stream in stored order, by
// path, with values in the forms of ValueJson.h. The designer's custom data
// appears as "binding" and "screen" beside "properties" (WidgetDataJson.h)
// when that form gives back the same bytes, else as the "G.CustomData" record. An object whose stored
// bytes the properties cannot reproduce exactly (a repeated record, a header
// of another writer) is kept as {"class": ..., "record": BASE64} instead.
// Bytes behind the last object appear as "trailing" (base64), and an object
// count other than 0 in a file without objects as "count".
#pragma once

#include <cstdint>
#include <vector>

#include "tools/graphtool/ValueJson.h"

namespace gc::tool {

// The JSON form of a diagram file. Raises the library's own error when the
// diagram reader does not accept the file.
TJson DiagramToJson(const std::vector<uint8_t>& file);

// The diagram file a JSON document describes. Raises EJsonError for a
// document that does not describe one the diagram reader accepts.
std::vector<uint8_t> DiagramFromJson(const TJson& document);

}  // namespace gc::tool
