#include "json/ValueJson.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>
#include <span>

#include "GraphControl/Codepage.h"
#include "GraphControl/Picture.h"
#include "GraphControl/Stream.h"

namespace gc::json {

namespace {

// ---- Stored forms -------------------------------------------------------------------------

struct TTagName {
  TValueTag Tag;
  std::string_view Name;
};

constexpr TTagName IntegerTags[] = {{TValueTag::Int8, "int8"},
                                    {TValueTag::Int16, "int16"},
                                    {TValueTag::Int32, "int32"},
                                    {TValueTag::Int64, "int64"}};
constexpr TTagName TextTags[] = {{TValueTag::String, "cp1252"},
                                 {TValueTag::LString, "cp1252-long"},
                                 {TValueTag::WString, "utf16"},
                                 {TValueTag::Utf8String, "utf8"}};

std::string TagList(std::span<const TTagName> tags) {
  std::string list;
  for (const TTagName& t : tags) list += (list.empty() ? "" : ", ") + std::string(t.Name);
  return list;
}

// A value in the form the library writes it is shown plain; any other
// form the reader accepts is named next to the value.
TJson WithForm(TJson value, TValueTag stored, TValueTag natural, std::span<const TTagName> tags) {
  if (stored == natural) return value;
  const auto it = std::find_if(tags.begin(), tags.end(), [&](const TTagName& t) { return t.Tag == stored; });
  if (it == tags.end()) throw EInexpressible("value in a form without a name");
  return TJson{{"value", std::move(value)}, {"tag", it->Name}};
}

// The plain value of a JSON value and the form asked for, if any.
struct TFormedValue {
  const TJson* Value;
  std::optional<TValueTag> Tag;
  TJsonPlace Place;
};

TFormedValue SplitForm(const TJson& json, const TJsonPlace& place, std::span<const TTagName> tags) {
  if (!json.is_object()) return {&json, std::nullopt, place};
  CheckKeys(json, place, {"value", "tag"});
  if (!json.contains("value")) throw EJsonError(place, "missing \"value\"");
  if (!json.contains("tag")) throw EJsonError(place, "missing \"tag\"");
  const TJson& tag = json["tag"];
  const auto it = std::find_if(tags.begin(), tags.end(),
                               [&](const TTagName& t) { return tag.is_string() && tag == t.Name; });
  if (it == tags.end()) throw EJsonError(place / "tag", "expected one of " + TagList(tags));
  return {&json["value"], it->Tag, place / "value"};
}

// " (found a string)", " (found 1.5)": what stood where another type belongs.
std::string Found(const TJson& value) {
  if (value.is_number_float()) return " (found " + value.dump() + ")";
  const std::string type = value.type_name();
  if (value.is_null()) return " (found null)";
  return " (found " + std::string(type == "object" || type == "array" ? "an " : "a ") + type + ")";
}

// ---- Integers -----------------------------------------------------------------------------

struct TRange {
  int64_t Min;
  int64_t Max;
  bool Contains(int64_t v) const { return v >= Min && v <= Max; }
};

constexpr int64_t Int32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t UInt32Max = std::numeric_limits<uint32_t>::max();

TRange TagRange(TValueTag tag) {
  switch (tag) {
    case TValueTag::Int8:
      return {-128, 127};
    case TValueTag::Int16:
      return {-32768, 32767};
    case TValueTag::Int32:
      return {Int32Min, Int32Max};
    default:
      return {std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()};
  }
}

// The values a kind shows; Unsigned values are stored as their 32-bit pattern.
TRange ShownRange(TValueKind kind) {
  switch (kind) {
    case TValueKind::Unsigned:
    case TValueKind::Color:
      return {0, UInt32Max};
    case TValueKind::LinkEnd:
      return {Int32Min, UInt32Max};
    case TValueKind::Byte:
    case TValueKind::Charset:
      return {0, 255};
    default:
      return {Int32Min, Int32Max};
  }
}

bool ShownUnsigned(TValueKind kind) { return kind == TValueKind::Unsigned || kind == TValueKind::Color; }

TJson ReadIntegerJson(TPropertyReader& reader, TValueKind kind) {
  const TValueTag tag = reader.PeekValueTag();
  const int64_t stored = reader.ReadInteger64();
  int64_t shown = stored;
  if (ShownUnsigned(kind)) {
    if (!TagRange(TValueTag::Int32).Contains(stored)) throw EInexpressible("integer outside its range");
    shown = static_cast<uint32_t>(static_cast<int32_t>(stored));
  } else if (!ShownRange(kind).Contains(stored)) {
    throw EInexpressible("integer outside its range");
  }
  return WithForm(TJson(shown), tag, TPropertyWriter::IntegerForm(stored), IntegerTags);
}

int64_t IntegerOf(const TJson& value, const TJsonPlace& place) {
  if (value.is_number_unsigned()) {
    const auto u = value.get<uint64_t>();
    if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
      throw EJsonError(place, "integer out of range");
    return static_cast<int64_t>(u);
  }
  if (value.is_number_integer()) return value.get<int64_t>();
  throw EJsonError(place, "expected an integer" + Found(value));
}

void WriteIntegerJson(TPropertyWriter& writer, TValueKind kind, const TJson& json, const TJsonPlace& place) {
  const TFormedValue formed = SplitForm(json, place, IntegerTags);
  const int64_t shown = IntegerOf(*formed.Value, formed.Place);
  const TRange range = ShownRange(kind);
  if (!range.Contains(shown))
    throw EJsonError(formed.Place, std::to_string(shown) + " is outside " + std::to_string(range.Min) + ".." +
                                       std::to_string(range.Max));
  const int64_t stored = ShownUnsigned(kind) ? static_cast<int32_t>(static_cast<uint32_t>(shown)) : shown;
  const TValueTag tag = formed.Tag.value_or(TPropertyWriter::IntegerForm(stored));
  if (!TagRange(tag).Contains(stored))
    throw EJsonError(formed.Place, std::to_string(shown) + " does not fit the tag given");
  writer.WriteIntegerAs(tag, stored);
}

// ---- Text ---------------------------------------------------------------------------------

TJson ReadTextJson(TPropertyReader& reader) {
  const TValueTag tag = reader.PeekValueTag();
  std::string text = reader.ReadString();
  const TValueTag natural = TPropertyWriter::StringForm(text);
  return WithForm(TJson(std::move(text)), tag, natural, TextTags);
}

void WriteLength(TStream& stream, size_t length, const TJsonPlace& place) {
  if (length > static_cast<size_t>(Int32Max)) throw EJsonError(place, "too long");
  stream.WriteInt32(static_cast<int32_t>(length));
}

// The checks of the writer's forced forms, with the reasons told.
void WriteTextAs(TPropertyWriter& writer, TValueTag tag, const std::string& text, const TJsonPlace& place) {
  if (tag == TValueTag::String || tag == TValueTag::LString) {
    const std::optional<std::string> eightBit = Utf8ToWin1252(text);
    if (!eightBit) throw EJsonError(place, "the text has characters that Windows-1252 does not hold");
    if (tag == TValueTag::String && eightBit->size() > 255)
      throw EJsonError(place, "longer than 255 characters (the form cp1252-long holds more)");
  }
  const size_t length = tag == TValueTag::WString ? Utf8ToUtf16(text).size() : text.size();
  if (length > static_cast<size_t>(Int32Max)) throw EJsonError(place, "too long");
  writer.WriteStringAs(tag, text);
}

void WriteTextJson(TPropertyWriter& writer, const TJson& json, const TJsonPlace& place) {
  const TFormedValue formed = SplitForm(json, place, TextTags);
  if (!formed.Value->is_string()) throw EJsonError(formed.Place, "expected a string" + Found(*formed.Value));
  const auto& text = formed.Value->get_ref<const std::string&>();
  if (formed.Tag)
    WriteTextAs(writer, *formed.Tag, text, formed.Place);
  else
    writer.WriteString(text);
}

// ---- Identifiers and sets -------------------------------------------------------------------

std::string ReadIdentifier(TPropertyReader& reader) {
  if (reader.PeekValueTag() != TValueTag::Ident) throw EInexpressible("identifier in a value-less form");
  std::string name = reader.ReadIdent();
  if (!IsValidUtf8(name)) throw EInexpressible("identifier that is not UTF-8");
  return name;
}

const std::string& StringOf(const TJson& value, const TJsonPlace& place) {
  if (!value.is_string()) throw EJsonError(place, "expected a string" + Found(value));
  const auto& text = value.get_ref<const std::string&>();
  if (text.size() > 255) throw EJsonError(place, "longer than 255 characters");
  return text;
}

std::string NameList(const TIdentTable& names) {
  std::string list;
  for (int i = 0; i < names.Count(); ++i) list += (i ? ", " : "") + std::string(names.Name(i));
  return list;
}

void CheckKnown(const TIdentTable& names, const std::string& name, const TJsonPlace& place,
                const char* what) {
  if (names.IndexOf(name) < 0)
    throw EJsonError(place, "unknown " + std::string(what) + " \"" + name + "\" (expected one of " +
                                NameList(names) + ")");
}

TJson ReadSetJson(TPropertyReader& reader, const TIdentTable& names) {
  if (reader.PeekValueTag() != TValueTag::Set) throw EInexpressible("set in another form");
  TJson members = TJson::array();
  for (std::string& name : reader.ReadSetNames()) {
    // The reader skips members it does not know; the JSON form has no
    // place for them.
    if (!IsValidUtf8(name) || names.IndexOf(name) < 0) throw EInexpressible("unknown set member");
    members.push_back(std::move(name));
  }
  return members;
}

void WriteSetJson(TPropertyWriter& writer, const TIdentTable& names, const TJson& json,
                  const TJsonPlace& place) {
  if (!json.is_array()) throw EJsonError(place, "expected an array of member names" + Found(json));
  std::vector<std::string_view> members;
  for (size_t i = 0; i < json.size(); ++i) {
    const std::string& name = StringOf(json[i], place / i);
    CheckKnown(names, name, place / i, "member");
    members.push_back(name);
  }
  writer.WriteSet(members);
}

// Colours and character sets: an identifier, or else an integer.
TJson ReadNamedIntegerJson(TPropertyReader& reader, TValueKind kind) {
  if (reader.PeekValueTag() == TValueTag::Ident) return ReadIdentifier(reader);
  return ReadIntegerJson(reader, kind);
}

void WriteNamedIntegerJson(TPropertyWriter& writer, TValueKind kind, const TJson& json,
                           const TJsonPlace& place) {
  if (!json.is_string()) return WriteIntegerJson(writer, kind, json, place);
  const std::string& name = StringOf(json, place);
  const bool known =
      kind == TValueKind::Color ? IdentToColor(name).has_value() : IdentToCharset(name).has_value();
  if (!known)
    throw EJsonError(place, std::string("unknown ") +
                                (kind == TValueKind::Color ? "colour" : "character set") + " \"" + name +
                                "\"");
  writer.WriteIdent(name);
}

// ---- Binary payloads ------------------------------------------------------------------------

std::vector<uint8_t> ReadBytes(TStream& stream, int32_t count) {
  if (count < 0) throw EInexpressible("negative byte count");
  std::vector<uint8_t> bytes(static_cast<size_t>(std::min<int64_t>(count, stream.Remaining())));
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

void WriteCounted(TStream& stream, const std::vector<uint8_t>& bytes, const TJsonPlace& place) {
  WriteLength(stream, bytes.size(), place);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), bytes.size());
}

TJson ReadCustomDataJson(TPropertyReader& reader) {
  TMemoryStream payload(reader.ReadBinary());
  return EncodeBase64(ReadBytes(payload, payload.ReadInt32()));
}

void WriteCustomDataJson(TPropertyWriter& writer, const TJson& json, const TJsonPlace& place) {
  TMemoryStream payload;
  WriteCounted(payload, DecodeBase64(json, place), place);
  writer.WriteBinary(payload.Bytes());
}

// "TBitmap, TMetafile or TIcon".
std::string PictureClassList() {
  std::string list;
  for (size_t i = 0; i < std::size(GraphicClassNames); ++i)
    list += (i == 0                                 ? ""
             : i + 1 < std::size(GraphicClassNames) ? ", "
                                                    : " or ") +
            std::string(GraphicClassNames[i]);
  return list;
}

TJson ReadPictureJson(TPropertyReader& reader) {
  TMemoryStream payload(reader.ReadBinary());
  TPropertyReader picture(payload);
  std::string className = picture.ReadShortString();
  if (className.empty()) return nullptr;
  if (!IsValidUtf8(className)) throw EInexpressible("picture class that is not UTF-8");
  return TJson{{"class", std::move(className)},
               {"data", EncodeBase64(ReadBytes(payload, payload.ReadInt32()))}};
}

void WritePictureJson(TPropertyWriter& writer, const TJson& json, const TJsonPlace& place) {
  TMemoryStream payload;
  TPropertyWriter picture(payload);
  if (json.is_null()) {
    picture.WriteShortString({});
  } else {
    if (!json.is_object())
      throw EJsonError(place, "expected {\"class\": ..., \"data\": ...} or null" + Found(json));
    CheckKeys(json, place, {"class", "data"});
    if (!json.contains("class")) throw EJsonError(place, "missing \"class\"");
    const std::string& className = StringOf(json["class"], place / "class");
    if (std::find(std::begin(GraphicClassNames), std::end(GraphicClassNames), className) ==
        std::end(GraphicClassNames))
      throw EJsonError(place / "class",
                       "unknown picture class \"" + className + "\" (expected " + PictureClassList() + ")");
    if (!json.contains("data")) throw EJsonError(place, "missing \"data\"");
    picture.WriteShortString(className);
    WriteCounted(payload, DecodeBase64(json["data"], place / "data"), place / "data");
  }
  writer.WriteBinary(payload.Bytes());
}

TJson ReadPointsJson(TPropertyReader& reader) {
  TMemoryStream payload(reader.ReadBinary());
  const int32_t count = payload.ReadInt32();
  if (count < 0) throw EInexpressible("negative point count");
  TJson points = TJson::array();
  for (int32_t i = 0; i < count && payload.Remaining() >= 8; ++i) {
    const int32_t x = payload.ReadInt32();
    const int32_t y = payload.ReadInt32();
    points.push_back(TJson::array({x, y}));
  }
  return points;
}

int32_t Int32Of(const TJson& value, const TJsonPlace& place) {
  const int64_t v = IntegerOf(value, place);
  if (!TRange{Int32Min, Int32Max}.Contains(v))
    throw EJsonError(place, std::to_string(v) + " is outside the 32-bit range");
  return static_cast<int32_t>(v);
}

void WritePointsJson(TPropertyWriter& writer, const TJson& json, const TJsonPlace& place) {
  if (!json.is_array()) throw EJsonError(place, "expected an array of [x, y] points" + Found(json));
  TMemoryStream payload;
  WriteLength(payload, json.size(), place);
  for (size_t i = 0; i < json.size(); ++i) {
    const TJson& point = json[i];
    if (!point.is_array() || point.size() != 2) throw EJsonError(place / i, "expected a point [x, y]");
    payload.WriteInt32(Int32Of(point[0], place / i / 0));
    payload.WriteInt32(Int32Of(point[1], place / i / 1));
  }
  writer.WriteBinary(payload.Bytes());
}

TJson ReadMarginsJson(TPropertyReader& reader) {
  TJson margins = TJson::array();
  for (int i = 0; i < 4; ++i) margins.push_back(ReadIntegerJson(reader, TValueKind::Integer));
  return margins;
}

void WriteMarginsJson(TPropertyWriter& writer, const TJson& json, const TJsonPlace& place) {
  if (!json.is_array() || json.size() != 4)
    throw EJsonError(place, "expected four integers [left, top, right, bottom]");
  for (size_t i = 0; i < 4; ++i) WriteIntegerJson(writer, TValueKind::Integer, json[i], place / i);
}

}  // namespace

// ---- By kind ------------------------------------------------------------------------------

TJson ReadValueJson(TPropertyReader& reader, const TRecordType& type) {
  switch (type.Kind) {
    case TValueKind::Integer:
    case TValueKind::Unsigned:
    case TValueKind::LinkEnd:
    case TValueKind::Byte:
      return ReadIntegerJson(reader, type.Kind);
    case TValueKind::Text:
      return ReadTextJson(reader);
    case TValueKind::Boolean:
      return reader.ReadBoolean();
    case TValueKind::Color:
    case TValueKind::Charset:
      return ReadNamedIntegerJson(reader, type.Kind);
    case TValueKind::Enum:
    case TValueKind::Identifier:
      return ReadIdentifier(reader);
    case TValueKind::Set:
      return ReadSetJson(reader, *type.Names);
    case TValueKind::CustomData:
      return ReadCustomDataJson(reader);
    case TValueKind::Picture:
      return ReadPictureJson(reader);
    case TValueKind::Points:
      return ReadPointsJson(reader);
    case TValueKind::Margins:
      return ReadMarginsJson(reader);
  }
  throw EInexpressible("unknown value kind");
}

void WriteValueJson(TPropertyWriter& writer, const TRecordType& type, const TJson& value,
                    const TJsonPlace& place) {
  switch (type.Kind) {
    case TValueKind::Integer:
    case TValueKind::Unsigned:
    case TValueKind::LinkEnd:
    case TValueKind::Byte:
      return WriteIntegerJson(writer, type.Kind, value, place);
    case TValueKind::Text:
      return WriteTextJson(writer, value, place);
    case TValueKind::Boolean:
      if (!value.is_boolean()) throw EJsonError(place, "expected true or false" + Found(value));
      return writer.WriteBoolean(value.get<bool>());
    case TValueKind::Color:
    case TValueKind::Charset:
      return WriteNamedIntegerJson(writer, type.Kind, value, place);
    case TValueKind::Enum:
      CheckKnown(*type.Names, StringOf(value, place), place, "value");
      return writer.WriteIdent(value.get_ref<const std::string&>());
    case TValueKind::Identifier:
      return writer.WriteIdent(StringOf(value, place));
    case TValueKind::Set:
      return WriteSetJson(writer, *type.Names, value, place);
    case TValueKind::CustomData:
      return WriteCustomDataJson(writer, value, place);
    case TValueKind::Picture:
      return WritePictureJson(writer, value, place);
    case TValueKind::Points:
      return WritePointsJson(writer, value, place);
    case TValueKind::Margins:
      return WriteMarginsJson(writer, value, place);
  }
}

void CheckKeys(const TJson& object, const TJsonPlace& place,
               std::initializer_list<std::string_view> allowed) {
  for (const auto& [key, unused] : object.items()) {
    if (std::find(allowed.begin(), allowed.end(), key) != allowed.end()) continue;
    std::string list;
    for (const std::string_view name : allowed)
      list += (list.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    throw EJsonError(place / key, "unknown key (expected " + list + ")");
  }
}

// ---- Base64 -------------------------------------------------------------------------------

namespace {

constexpr char Base64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char digit) {
  if (digit >= 'A' && digit <= 'Z') return digit - 'A';
  if (digit >= 'a' && digit <= 'z') return digit - 'a' + 26;
  if (digit >= '0' && digit <= '9') return digit - '0' + 52;
  if (digit == '+') return 62;
  if (digit == '/') return 63;
  return -1;
}

// The bytes of base64 text: digits, then one or two '=' when the text is
// whole groups of four. Bits left over at the end (a last digit alone, or
// the low bits of the last digit) are dropped.
std::optional<std::vector<uint8_t>> DecodeBase64Text(std::string_view text) {
  size_t end = text.size();
  if (const size_t padding = text.find('='); padding != std::string_view::npos) {
    if (text.size() % 4 != 0 || padding + 2 < text.size() ||
        text.find_first_not_of('=', padding) != std::string_view::npos)
      return std::nullopt;
    end = padding;
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(end / 4 * 3 + 2);
  uint32_t bits = 0;
  int pending = 0;
  for (size_t i = 0; i < end; ++i) {
    const int value = Base64Value(text[i]);
    if (value < 0) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    pending += 6;
    if (pending >= 8) {
      pending -= 8;
      bytes.push_back(static_cast<uint8_t>(bits >> pending));
    }
  }
  return bytes;
}

}  // namespace

std::string EncodeBase64(const std::vector<uint8_t>& bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = uint32_t{bytes[i]} << 16;
    if (n > 1) group |= uint32_t{bytes[i + 1]} << 8;
    if (n > 2) group |= bytes[i + 2];
    for (size_t d = 0; d < 4; ++d) text += d <= n ? Base64Digits[(group >> (18 - 6 * d)) & 63] : '=';
  }
  return text;
}

std::vector<uint8_t> DecodeBase64(const TJson& value, const TJsonPlace& place) {
  if (!value.is_string()) throw EJsonError(place, "expected base64 text" + Found(value));
  std::optional<std::vector<uint8_t>> bytes = DecodeBase64Text(value.get_ref<const std::string&>());
  if (!bytes) throw EJsonError(place, "not valid base64");
  return std::move(*bytes);
}

}  // namespace gc::json
