#include "json/DiagramJson.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <span>

#include "GraphControl/Control.h"
#include "GraphControl/Stream.h"

namespace gc::json {

namespace {

constexpr uint8_t DiagramSignature[4] = {0x30, 0x2E, 0x47, 0x53};  // "0.GS"
constexpr size_t ObjectBlockStart = 8;                             // signature and object count
constexpr std::string_view WrapperClassName = "TGraphStreamableObject";
constexpr const char* KnownClasses =
    "TRectangularNode, TRoundRectangularNode, TEllipticNode, TTriangularNode, TRhomboidalNode, "
    "TPentagonalNode, THexagonalNode, TGraphLink";

using TBytes = std::vector<uint8_t>;

// Where each object record ends, as the library's own reader finds it: the
// object enters the diagram right after its property stream was read.
std::vector<int64_t> ObjectEnds(const TBytes& file) {
  TGraphControl graph;
  TMemoryStream stream(file);
  std::vector<int64_t> ends;
  graph.OnObjectInsert = [&](TGraphControl*, TGraphObject*) { ends.push_back(stream.Position()); };
  graph.LoadFromStream(stream);
  return ends;
}

int32_t StoredCount(const TBytes& file) {
  TMemoryStream stream(TBytes(file.begin() + 4, file.begin() + ObjectBlockStart));
  return stream.ReadInt32();
}

// The class name of an object record: up to the first zero of its name bytes.
std::string RecordClassName(const TBytes& record) {
  TMemoryStream stream(record);
  const int32_t length = stream.Remaining() >= 4 ? stream.ReadInt32() : 0;
  if (length < 1 || length > stream.Remaining()) return {};
  const auto* name = reinterpret_cast<const char*>(record.data() + 4);
  return std::string(name, strnlen(name, static_cast<size_t>(length)));
}

const TGraphObjectClass* ClassOf(const TJson& object, const TJsonPlace& place) {
  if (!object.contains("class")) throw EJsonError(place, "missing \"class\"");
  const TJson& name = object["class"];
  if (!name.is_string()) throw EJsonError(place / "class", "expected a class name");
  const TGraphObjectClass* cls = FindGraphClass(name.get<std::string>());
  if (!cls || cls->IsAbstract())
    throw EJsonError(place / "class", "unknown class \"" + name.get<std::string>() + "\" (expected one of " +
                                          KnownClasses + ")");
  return cls;
}

void WriteClassName(TStream& stream, const std::string& name) {
  stream.WriteInt32(static_cast<int32_t>(name.size() + 1));
  stream.WriteBuffer(name.data(), name.size());
  stream.WriteUInt8(0);
}

// A record the program's custom data members add to an object's properties,
// at the place the writer stores it.
struct TAddedRecord {
  const TRecordType* Type;
  TJson Value;
};

void WriteProperties(TPropertyWriter& writer, const TJson& properties, bool isLink, const TJsonPlace& place,
                     std::vector<TAddedRecord> added) {
  if (!properties.is_object()) throw EJsonError(place, "expected an object of records by path");
  size_t next = 0;
  const auto writeAddedBefore = [&](size_t recordPlace) {
    for (; next < added.size() && added[next].Type->Place < recordPlace; ++next) {
      writer.WritePropertyName(added[next].Type->Path);
      WriteValueJson(writer, *added[next].Type, added[next].Value, place);
    }
  };
  for (const auto& [path, value] : properties.items()) {
    const TRecordType* type = FindRecordType(path, isLink);
    if (!type)
      throw EJsonError(place / path,
                       FindRecordType(path, !isLink)
                           ? std::string("only ") + (isLink ? "nodes" : "links") + " have this property"
                           : "unknown property");
    writeAddedBefore(type->Place);
    writer.WritePropertyName(path);
    WriteValueJson(writer, *type, value, place / path);
  }
  writeAddedBefore(SIZE_MAX);
}

// "binding" or "screen": the custom data members, as a message names them.
std::string KeyList(const TCustomDataJson& customData) {
  std::string list;
  for (const std::string& key : customData.Keys) list += (list.empty() ? "\"" : " or \"") + key + "\"";
  return list;
}

// The records that the program's custom data members need:
// "G.HasCustomData" (unless the properties hold it) and "G.CustomData".
std::vector<TAddedRecord> CustomDataRecords(const TJson& object, bool isLink, const TJsonPlace& place,
                                            const TCustomDataJson* customData) {
  if (!customData) return {};
  const std::optional<std::vector<uint8_t>> data = customData->FromJson(object, place);
  if (!data) return {};
  const TJson properties = object.contains("properties") ? object["properties"] : TJson::object();
  std::vector<TAddedRecord> added;
  bool hasFlag = false;
  for (const auto& [path, value] : properties.items()) {
    if (SameText(path, "G.CustomData"))
      throw EJsonError(place / "properties" / path,
                       "the custom data is given by " + KeyList(*customData) + " already");
    if (SameText(path, "G.HasCustomData")) {
      if (value != true)
        throw EJsonError(place / "properties" / path, "must be true with " + KeyList(*customData));
      hasFlag = true;
    }
  }
  if (!hasFlag) added.push_back({FindRecordType("G.HasCustomData", isLink), true});
  added.push_back({FindRecordType("G.CustomData", isLink), EncodeBase64(*data)});
  return added;
}

// EJsonError naming the first key of `object` that is neither an object's
// own nor one of the custom data members.
void CheckObjectKeys(const TJson& object, const TJsonPlace& place, const TCustomDataJson* customData) {
  if (!customData) return CheckKeys(object, place, {"class", "properties", "record"});
  const std::vector<std::string>& extra = customData->Keys;
  const auto known = [&](std::string_view key) {
    return key == "class" || key == "properties" || key == "record" ||
           std::find(extra.begin(), extra.end(), key) != extra.end();
  };
  for (const auto& [key, unused] : object.items()) {
    if (known(key)) continue;
    std::string list = "\"class\", \"properties\"";
    for (const std::string& name : extra) list += ", \"" + name + "\"";
    throw EJsonError(place / key, "unknown key (expected " + list + ", \"record\")");
  }
}

bool HasCustomDataMember(const TJson& object, const TCustomDataJson* customData) {
  return customData && std::any_of(customData->Keys.begin(), customData->Keys.end(),
                                   [&](const std::string& key) { return object.contains(key); });
}

TBytes EncodeObject(const TJson& object, const TJsonPlace& place, const TCustomDataJson* customData) {
  if (!object.is_object()) throw EJsonError(place, "expected an object with \"class\" and \"properties\"");
  CheckObjectKeys(object, place, customData);
  const TGraphObjectClass* cls = ClassOf(object, place);
  if (object.contains("record")) {
    if (object.contains("properties") || HasCustomDataMember(object, customData))
      throw EJsonError(place, "an object has \"properties\" or a \"record\", not both");
    TBytes record = DecodeBase64(object["record"], place / "record");
    if (RecordClassName(record) != cls->ClassName())
      throw EJsonError(place / "record", "the record does not hold a " + cls->ClassName());
    return record;
  }
  TMemoryStream stream;
  WriteClassName(stream, cls->ClassName());
  TPropertyWriter writer(stream);
  writer.WriteHeader(WrapperClassName);
  std::vector<TAddedRecord> added = CustomDataRecords(object, cls->IsLink(), place, customData);
  WriteProperties(writer, object.contains("properties") ? object["properties"] : TJson::object(),
                  cls->IsLink(), place / "properties", std::move(added));
  writer.WriteListEnd();
  writer.WriteListEnd();
  return stream.Bytes();
}

// The record's class and properties (with the program's custom data as its
// own members when `customData`); EInexpressible (or a read error) when it
// holds something the properties have no place for.
TJson DecodeObject(const TBytes& record, const TCustomDataJson* customData) {
  const std::string className = RecordClassName(record);
  const TGraphObjectClass* cls = FindGraphClass(className);
  if (!cls) throw EInexpressible("unknown class");
  TMemoryStream stream(record);
  stream.SetPosition(4 + stream.ReadInt32());
  TPropertyReader reader(stream);
  reader.ReadHeader();
  TJson properties = TJson::object();
  while (!reader.EndOfList()) {
    const std::string path = reader.ReadPropertyName();
    const TRecordType* type = FindRecordType(path, cls->IsLink());
    if (!type || properties.contains(path)) throw EInexpressible("record without a place");
    properties[path] = ReadValueJson(reader, *type);
  }
  TJson object{{"class", className}, {"properties", std::move(properties)}};
  if (!customData || !object["properties"].contains("G.CustomData")) return object;
  const std::optional<TJson> data =
      customData->ToJson(DecodeBase64(object["properties"]["G.CustomData"], TJsonPlace()));
  if (!data) return object;
  object["properties"].erase("G.CustomData");
  for (const auto& [key, value] : data->items()) object[key] = value;
  return object;
}

TJson ObjectJson(const TBytes& record, const TCustomDataJson* customData) {
  // With the program's custom data members first, then without them.
  const TCustomDataJson* const forms[] = {customData, nullptr};
  for (const TCustomDataJson* shown : std::span(forms).subspan(customData ? 0 : 1)) {
    try {
      TJson object = DecodeObject(record, shown);
      if (EncodeObject(object, TJsonPlace(), shown) == record) return object;
    } catch (const std::exception&) {
      // Tried without the program's custom data members, then kept as
      // stored bytes below.
    }
  }
  return TJson{{"class", RecordClassName(record)}, {"record", EncodeBase64(record)}};
}

int32_t CountOf(const TJson& document, size_t objects) {
  if (objects > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EJsonError(TJsonPlace("/objects"), "too many objects");
  if (!document.contains("count")) return static_cast<int32_t>(objects);
  const TJson& count = document["count"];
  const TJsonPlace place("/count");
  if (!count.is_number_integer()) throw EJsonError(place, "expected an integer");
  const int64_t value = count.get<int64_t>();
  if (objects > 0 ? value != static_cast<int64_t>(objects)
                  : value > 0 || value < std::numeric_limits<int32_t>::min())
    throw EJsonError(place, "must be the number of objects (or, without objects, 0 or less)");
  return static_cast<int32_t>(value);
}

// Whatever the checks above let through, the library's reader has the last
// word: a file it rejects is never written.
void CheckReaderAccepts(const TBytes& file) {
  TGraphControl graph;
  TMemoryStream stream(file);
  try {
    graph.LoadFromStream(stream);
  } catch (const EGraphException& e) {
    throw EJsonError(TJsonPlace("/objects") / static_cast<size_t>(graph.Objects().Count()),
                     std::string("the diagram reader rejects this object: ") + e.what());
  }
}

}  // namespace

TJson DiagramToJson(const TBytes& file, const TCustomDataJson* customData) {
  const std::vector<int64_t> ends = ObjectEnds(file);
  TJson objects = TJson::array();
  auto start = static_cast<int64_t>(ObjectBlockStart);
  for (const int64_t end : ends) {
    objects.push_back(ObjectJson(TBytes(file.begin() + start, file.begin() + end), customData));
    start = end;
  }
  TJson document{{"objects", std::move(objects)}};
  const int32_t count = StoredCount(file);
  if (count != static_cast<int64_t>(ends.size())) document["count"] = count;
  if (start < static_cast<int64_t>(file.size()))
    document["trailing"] = EncodeBase64(TBytes(file.begin() + start, file.end()));
  return document;
}

TBytes DiagramFromJson(const TJson& document, const TCustomDataJson* customData) {
  if (!document.is_object()) throw EJsonError(TJsonPlace(), "expected an object with \"objects\"");
  CheckKeys(document, TJsonPlace(), {"objects", "count", "trailing"});
  const TJson objects = document.contains("objects") ? document["objects"] : TJson::array();
  if (!objects.is_array()) throw EJsonError(TJsonPlace("/objects"), "expected an array of objects");
  TMemoryStream stream;
  stream.WriteBuffer(DiagramSignature, sizeof DiagramSignature);
  stream.WriteInt32(CountOf(document, objects.size()));
  for (size_t i = 0; i < objects.size(); ++i) {
    const TBytes record = EncodeObject(objects[i], TJsonPlace("/objects") / i, customData);
    stream.WriteBuffer(record.data(), record.size());
  }
  if (document.contains("trailing")) {
    const TBytes trailing = DecodeBase64(document["trailing"], TJsonPlace("/trailing"));
    if (!trailing.empty()) stream.WriteBuffer(trailing.data(), trailing.size());
  }
  CheckReaderAccepts(stream.Bytes());
  return stream.Bytes();
}

namespace {

// The JSON parser keeps one value of a repeated key and drops the others
// silently; a repeated record would be lost that way. Follows the parse
// and raises EJsonError with the place of the repetition.
class TRepeatedKeyCheck {
 public:
  bool operator()(int /*depth*/, TJson::parse_event_t event, TJson& parsed) {
    using enum TJson::parse_event_t;
    switch (event) {
      case object_start:
      case array_start:
        CountElement();
        Frames_.push_back(TFrame{.IsArray = event == array_start, .Index = 0, .Key = {}});
        break;
      case value:
        CountElement();
        break;
      case key: {
        TFrame& frame = Frames_.back();
        frame.Key = parsed.get<std::string>();
        if (!frame.Keys.insert(frame.Key).second) throw EJsonError(Place(), "repeated key");
        break;
      }
      case object_end:
      case array_end:
        Frames_.pop_back();
        break;
    }
    return true;
  }

 private:
  struct TFrame {
    bool IsArray = false;
    size_t Index = 0;  // elements of an array seen so far
    std::string Key;   // the current key of an object
    std::set<std::string> Keys{};
  };

  void CountElement() {
    if (!Frames_.empty() && Frames_.back().IsArray) ++Frames_.back().Index;
  }
  TJsonPlace Place() const {
    TJsonPlace place;
    for (const TFrame& frame : Frames_) place = frame.IsArray ? place / (frame.Index - 1) : place / frame.Key;
    return place;
  }

  std::vector<TFrame> Frames_;
};

// "parse error at line 3, column 7: ..." without the parser's error code.
std::string ParseErrorText(const TJson::parse_error& e) {
  const std::string text = e.what();
  const size_t end = text.find("] ");
  return end == std::string::npos ? text : text.substr(end + 2);
}

}  // namespace

TJson ParseJson(std::string_view text) {
  try {
    TRepeatedKeyCheck check;
    return TJson::parse(text.begin(), text.end(),
                        [&check](int depth, TJson::parse_event_t event, TJson& parsed) {
                          return check(depth, event, parsed);
                        });
  } catch (const TJson::parse_error& e) {
    throw EJsonSyntaxError(ParseErrorText(e));
  }
}

TJson SaveToJson(TGraphControl& graph, const TCustomDataJson* customData) {
  TMemoryStream stream;
  graph.SaveToStream(stream);
  return DiagramToJson(stream.Bytes(), customData);
}

void LoadFromJson(TGraphControl& graph, const TJson& document, const TCustomDataJson* customData) {
  TMemoryStream stream(DiagramFromJson(document, customData));
  graph.LoadFromStream(stream);
}

}  // namespace gc::json
