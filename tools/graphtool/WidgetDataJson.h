// The designer's custom data of an object (app/WidgetData.h) as JSON beside
// the object's "class" and "properties":
//
//   "binding": {"source": "Clock.Time", "converterType": "ClockToText", "converterName": "Default"}
//   "screen": {"name": "Main", "width": 800, "height": 480, "title": "Main screen",
//              "backgroundColor": "#102030"}
//
// A screen property that is not set is left out. Only custom data that this
// JSON gives back byte for byte is shown this way; any other stays in the
// properties as "G.CustomData" (base64).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "json/DiagramJson.h"

namespace gc::tool {

using json::CheckKeys;
using json::EJsonError;
using json::TJson;
using json::TJsonPlace;

// The designer's custom data as "binding" and "screen", for the JSON form of
// a diagram (json/DiagramJson.h).
const json::TCustomDataJson& DesignerDataJson();

// The "binding" and "screen" members for custom data `bytes`, or nullopt
// when the JSON form could not give back exactly these bytes.
std::optional<TJson> WidgetDataToJson(const std::vector<uint8_t>& bytes);

// The custom data that the "binding" and "screen" members of `object`
// describe; nullopt when it has neither. EJsonError for a malformed member.
std::optional<std::vector<uint8_t>> WidgetDataFromJson(const TJson& object, const TJsonPlace& place);

}  // namespace gc::tool
