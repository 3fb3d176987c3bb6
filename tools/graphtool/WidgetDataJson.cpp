#include "tools/graphtool/WidgetDataJson.h"

#include <cstdio>

#include "app/WidgetData.h"

namespace gc::tool {

namespace {

using app::TScreenProperties;
using app::TScreenSize;
using app::TWidgetBinding;
using app::TWidgetData;

std::string TextMember(const TJson& json, const char* key, const TJsonPlace& place) {
  if (!json.contains(key)) return {};
  const TJson& value = json[key];
  if (!value.is_string()) throw EJsonError(place / key, "expected a string");
  return value.get<std::string>();
}

int32_t SideMember(const TJson& json, const char* key, const TJsonPlace& place) {
  const TJson& value = json[key];
  if (!value.is_number_integer() || value.get<int64_t>() < 1 || value.get<int64_t>() > app::MaxScreenSide)
    throw EJsonError(place / key, "expected a whole number from 1 to " + std::to_string(app::MaxScreenSide));
  return static_cast<int32_t>(value.get<int64_t>());
}

// "#RRGGBB" as a colour 0x00BBGGRR.
TColor ColorMember(const TJson& json, const char* key, const TJsonPlace& place) {
  const TJson& value = json[key];
  unsigned r = 0, g = 0, b = 0;
  char end = 0;
  if (!value.is_string() || value.get<std::string>().size() != 7 ||
      std::sscanf(value.get<std::string>().c_str(), "#%2x%2x%2x%c", &r, &g, &b, &end) != 3)
    throw EJsonError(place / key, "expected a colour \"#RRGGBB\"");
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}

TWidgetBinding BindingOf(const TJson& json, const TJsonPlace& place) {
  if (!json.is_object())
    throw EJsonError(place, "expected {\"source\", \"converterType\", \"converterName\"}");
  CheckKeys(json, place, {"source", "converterType", "converterName"});
  TWidgetBinding binding{TextMember(json, "source", place), TextMember(json, "converterType", place),
                         TextMember(json, "converterName", place)};
  if (binding.IsEmpty()) throw EJsonError(place, "a binding needs a source, a converter type or a name");
  return binding;
}

TScreenProperties ScreenOf(const TJson& json, const TJsonPlace& place) {
  if (!json.is_object()) throw EJsonError(place, "expected an object of screen properties");
  CheckKeys(json, place, {"name", "width", "height", "title", "backgroundColor"});
  TScreenProperties screen;
  if (json.contains("name")) screen.Name = TextMember(json, "name", place);
  if (json.contains("width") != json.contains("height"))
    throw EJsonError(place, "\"width\" and \"height\" come together");
  if (json.contains("width"))
    screen.Size = TScreenSize{SideMember(json, "width", place), SideMember(json, "height", place)};
  if (json.contains("title")) screen.Title = TextMember(json, "title", place);
  if (json.contains("backgroundColor")) screen.Background = ColorMember(json, "backgroundColor", place);
  return screen;
}

TJson BindingJson(const TWidgetBinding& binding) {
  return TJson{{"source", binding.Source},
               {"converterType", binding.ConverterType},
               {"converterName", binding.ConverterName}};
}

TJson ScreenJson(const TScreenProperties& screen) {
  TJson json = TJson::object();
  if (screen.Name) json["name"] = *screen.Name;
  if (screen.Size) {
    json["width"] = screen.Size->Width;
    json["height"] = screen.Size->Height;
  }
  if (screen.Title) json["title"] = *screen.Title;
  if (screen.Background) json["backgroundColor"] = app::HtmlColor(*screen.Background);
  return json;
}

}  // namespace

std::optional<TJson> WidgetDataToJson(const std::vector<uint8_t>& bytes) {
  const TWidgetData data = TWidgetData::Read(bytes);
  if (!data.Understood() || data.UnknownRecords() > 0 || data.IsEmpty()) return std::nullopt;
  TJson json = TJson::object();
  if (data.Binding()) json["binding"] = BindingJson(*data.Binding());
  if (data.Screen()) json["screen"] = ScreenJson(*data.Screen());
  // Only what the JSON gives back exactly: records in this version's order.
  if (WidgetDataFromJson(json, TJsonPlace()) != bytes) return std::nullopt;
  return json;
}

std::optional<std::vector<uint8_t>> WidgetDataFromJson(const TJson& object, const TJsonPlace& place) {
  if (!object.contains("binding") && !object.contains("screen")) return std::nullopt;
  TWidgetData data;
  if (object.contains("binding")) data.SetBinding(BindingOf(object["binding"], place / "binding"));
  if (object.contains("screen")) data.SetScreen(ScreenOf(object["screen"], place / "screen"));
  return data.Bytes();
}

const json::TCustomDataJson& DesignerDataJson() {
  static const json::TCustomDataJson data{
      .Keys = {"binding", "screen"},
      .ToJson = WidgetDataToJson,
      .FromJson = WidgetDataFromJson,
  };
  return data;
}

}  // namespace gc::tool
