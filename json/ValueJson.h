// One stored value as JSON, in both directions, by the kind of its record
// (GraphControl/RecordSchema.h).
//
// A value stored the way the library writes it appears in its natural JSON
// type: integers as numbers, text as strings, identifiers and colour names as
// strings, sets as arrays of member names, binary data as base64, pictures as
// {"class", "data"}, points as [[x, y], ...]. A value stored in another of
// the forms the reader accepts (a wider integer, 8-bit text that the library
// would store as UTF-8) carries that form: {"value": 10, "tag": "int32"}.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "GraphControl/PropertyStream.h"
#include "GraphControl/RecordSchema.h"

namespace gc::json {

// A JSON document whose objects keep their keys in the order given.
using TJson = nlohmann::ordered_json;
// A place in a document, as a JSON pointer ("/objects/0/properties/G.Left").
using TJsonPlace = TJson::json_pointer;

// A JSON value that cannot become a stored value; `Place` is its JSON pointer.
class EJsonError : public std::runtime_error {
 public:
  EJsonError(const TJsonPlace& place, const std::string& message)
      : std::runtime_error((place.empty() ? std::string("/") : place.to_string()) + ": " + message),
        Place(place.to_string()) {}
  std::string Place;
};

// A stored value that the JSON form cannot show exactly (an unknown set
// member, text that is not well-formed UTF-16). The object that holds it is
// shown as its stored bytes instead.
class EInexpressible : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the value of a record of `type` (the path has been read).
TJson ReadValueJson(TPropertyReader& reader, const TRecordType& type);
// Writes `value` as the value of a record of `type`; EJsonError when it does
// not fit the kind.
void WriteValueJson(TPropertyWriter& writer, const TRecordType& type, const TJson& value,
                    const TJsonPlace& place);

// EJsonError naming the first key of `object` that is not in `allowed`.
void CheckKeys(const TJson& object, const TJsonPlace& place, std::initializer_list<std::string_view> allowed);

// Base64 with padding. Decoding takes the text with or without its padding
// and raises EJsonError for anything else.
std::string EncodeBase64(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> DecodeBase64(const TJson& value, const TJsonPlace& place);

}  // namespace gc::json
