// A diagram file as a JSON document and back, byte for byte:
//
//   {"objects": [{"class": "TRectangularNode",
//                 "properties": {"ID": 1, "G.Text": "Widget", "G.Left": 10, ...}},
//                ...]}
//
// Each object lists the records of its property stream in stored order, by
// path, with values in the forms of ValueJson.h. A program's own custom data
// may appear as members of its own beside "properties" (TCustomDataJson) when
// that form gives back the same bytes, else it stays the "G.CustomData"
// record. An object whose stored bytes the properties cannot reproduce
// exactly (a repeated record, a header of another writer) is kept as
// {"class": ..., "record": BASE64} instead. Bytes behind the last object
// appear as "trailing" (base64), and an object count other than 0 in a file
// without objects as "count".
//
// This is the library's optional JSON component (GraphControl::json); the
// core library has no JSON in it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "json/ValueJson.h"

namespace gc {
class TGraphControl;
}

namespace gc::json {

// A program's custom data shown as JSON members beside an object's
// "properties" (the designer shows its widget bindings as "binding" and
// "screen"). Custom data it does not express stays "G.CustomData".
struct TCustomDataJson {
  // The members it adds to an object, at most a few.
  std::vector<std::string> Keys;
  // The members for custom data `bytes`, or nullopt when they would not give
  // back exactly these bytes.
  std::function<std::optional<TJson>(const std::vector<uint8_t>& bytes)> ToJson;
  // The custom data that the members of `object` describe; nullopt when it
  // has none of them; EJsonError for a malformed member.
  std::function<std::optional<std::vector<uint8_t>>(const TJson& object, const TJsonPlace& place)> FromJson;
};

// The JSON form of a diagram file. Raises the library's own error when the
// diagram reader does not accept the file.
TJson DiagramToJson(const std::vector<uint8_t>& file, const TCustomDataJson* customData = nullptr);

// The diagram file a JSON document describes. Raises EJsonError for a
// document that does not describe one the diagram reader accepts.
std::vector<uint8_t> DiagramFromJson(const TJson& document, const TCustomDataJson* customData = nullptr);

// JSON text that is not well-formed: "parse error at line 3, column 7: ...".
class EJsonSyntaxError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A JSON document from its text. A key repeated in an object would lose all
// but one of its values silently, so it is an EJsonError at its place.
TJson ParseJson(std::string_view text);

// The diagram of `graph` as JSON, and a diagram from JSON into `graph`
// (replacing its objects, as loading a file does). The custom data of the
// objects passes through the control's OnObjectWrite and OnObjectRead.
TJson SaveToJson(TGraphControl& graph, const TCustomDataJson* customData = nullptr);
void LoadFromJson(TGraphControl& graph, const TJson& document, const TCustomDataJson* customData = nullptr);

}  // namespace gc::json
