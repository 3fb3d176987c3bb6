// Declarative property tables. A class lists its published properties in the
// order they are written, each with the condition under which it is stored and
// how its value is written and read; properties whose value is an object refer
// to that object's own table, so "G.Font.Color" walks from the graph object to
// its font. After the published properties come the defined properties:
// binary payloads (tag 0x0A) or values a class writes itself.
//
// Tables are built once (function-local statics) and referenced, never copied,
// by the object properties that nest them. Every value property also names the
// kind of its value, so that the records an object may hold can be listed
// without an object (ListRecordTypes, RecordSchema.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "GraphControl/PropertyStream.h"

namespace gc {

template <class T>
using TStoredFn = std::function<bool(const T&)>;

enum class TPropertyKind { Value, Object };

// What a record's value means, beyond its tag: how a program that shows or
// builds records without the objects (the JSON form of a diagram) reads and
// checks it.
enum class TValueKind : uint8_t {
  Integer,   // a 32-bit integer
  Unsigned,  // a 32-bit value shown unsigned (the object's ID, colour values)
  LinkEnd,   // an object ID in the 64-bit integer form (link ends)
  Byte,      // an integer 0..255
  Text,      // a string
  Boolean,
  Color,       // a colour identifier or a colour value
  Charset,     // a character set identifier or an integer 0..255
  Enum,        // an identifier of the record's Names
  Set,         // members of the record's Names
  Identifier,  // any identifier (the link kind of older files)
  CustomData,  // binary: a 32-bit count and the application's bytes
  Picture,     // binary: a graphic's class name, a 32-bit count and its bytes
  Points,      // binary: a 32-bit count and that many x, y pairs of 32-bit integers
  Margins,     // four integers: left, top, right, bottom percentages
};

// One record an object may hold: its full path and the kind of its value.
struct TRecordType {
  std::string Path;
  TValueKind Kind = TValueKind::Integer;
  const TIdentTable* Names = nullptr;  // Enum and Set
  size_t Place = 0;                    // written before every record of a larger place
};
using TRecordTypes = std::vector<TRecordType>;

template <class T>
struct TPropertyInfo {
  std::string Name;
  TPropertyKind Kind = TPropertyKind::Value;
  TStoredFn<T> Stored;  // empty: always written
  // Value properties: the tagged value and what it means.
  std::function<void(TPropertyWriter&, const T&)> Write;
  std::function<void(TPropertyReader&, T&)> Read;
  TValueKind ValueKind = TValueKind::Integer;
  const TIdentTable* Names = nullptr;  // enumerations and sets
  // Object properties: the nested object's records under `prefix` ("G.Font."),
  // or the record whose path continues with `path` inside the nested object.
  std::function<void(TPropertyWriter&, const T&, const std::string& prefix)> WriteNested;
  std::function<void(TPropertyReader&, T&, std::string_view path)> ReadNested;
  // The record types of the nested object's table under `prefix`; empty when
  // the nested object chooses its table itself.
  std::function<void(const std::string& prefix, TRecordTypes&)> ListNested;

  bool IsStored(const T& object) const { return !Stored || Stored(object); }
  // Adds a condition: the property is written only when both hold. This is
  // how an owner decides whether a nested object (its font) is written at all.
  TPropertyInfo StoredWhen(TStoredFn<T> condition) const {
    TPropertyInfo result = *this;
    result.Stored =
        Stored ? TStoredFn<T>([a = Stored, b = std::move(condition)](const T& o) { return a(o) && b(o); })
               : std::move(condition);
    return result;
  }
};

template <class T>
struct TDefinedProperty {
  std::string Name{};
  TValueKind ValueKind = TValueKind::Integer;
  TStoredFn<T> Stored{};  // empty: never written (properties only read from older files)
  // Binary properties: the payload, written into and read from a memory
  // stream of its own, so a reader that stops early leaves the stream intact.
  std::function<void(TStream&, const T&)> WriteData{};
  std::function<void(TStream&, T&)> ReadData{};
  // Other defined properties write and read their tagged values themselves.
  std::function<void(TPropertyWriter&, const T&)> Write{};
  std::function<void(TPropertyReader&, T&)> Read{};
  // The payload comes from the application (custom data): a complete state
  // holds it only when it is stored, as a file would.
  bool FromApplication = false;

  bool IsBinary() const { return WriteData || ReadData; }
  bool IsStored(const T& object) const { return Stored && Stored(object); }
  // Whether a writer of complete states writes the property.
  bool IsWritten(const TPropertyWriter& writer, const T& object) const {
    return writer.CompleteState() && !FromApplication ? static_cast<bool>(Stored) : IsStored(object);
  }
};

template <class T>
struct TPropertyTable {
  std::vector<TPropertyInfo<T>> Published{};
  std::vector<TDefinedProperty<T>> Defined{};

  // Both lookups ignore case.
  const TPropertyInfo<T>* FindPublished(std::string_view name) const {
    for (const auto& p : Published)
      if (MaybeSameText(p.Name, name) && SameText(p.Name, name)) return &p;
    return nullptr;
  }
  const TDefinedProperty<T>* FindDefined(std::string_view name) const {
    for (const auto& d : Defined)
      if (MaybeSameText(d.Name, name) && SameText(d.Name, name)) return &d;
    return nullptr;
  }

 private:
  // A quick test that rules most names out before the full comparison: the
  // lengths differ, or the first letters do whatever their case.
  static bool MaybeSameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || ((a[0] ^ b[0]) & ~0x20) == 0);
  }
};

// --- Writing and reading through a table --------------------------------------

// The records of `object`: its stored published properties (nested objects
// under their paths), then its stored defined properties. A writer of
// complete states writes every published property and every defined one
// that can be written, except application payloads that are not stored.
template <class T>
void WriteProperties(TPropertyWriter& writer, const TPropertyTable<T>& table, const T& object,
                     const std::string& prefix = {}) {
  for (const auto& p : table.Published) {
    if (!writer.CompleteState() && !p.IsStored(object)) continue;
    if (p.Kind == TPropertyKind::Object) {
      p.WriteNested(writer, object, prefix + p.Name + ".");
    } else {
      writer.WritePropertyName(prefix + p.Name);
      p.Write(writer, object);
    }
  }
  for (const auto& d : table.Defined) {
    if (!d.IsWritten(writer, object)) continue;
    writer.WritePropertyName(prefix + d.Name);
    if (d.IsBinary()) {
      TMemoryStream data;
      d.WriteData(data, object);
      writer.WriteBinary(data.Bytes());
    } else {
      d.Write(writer, object);
    }
  }
}

// Reads the value of the record `path` (the path relative to `object`). Every
// segment but the last must name an object property ("Eigenschaft %s existiert
// nicht." for an unknown one, "Ungültiger Pfad für Eigenschaft" for a value);
// the last names a published property or else a defined one.
template <class T>
void ReadProperty(TPropertyReader& reader, const TPropertyTable<T>& table, T& object, std::string_view path) {
  const size_t dot = path.find('.');
  const std::string_view segment = path.substr(0, dot);
  const TPropertyInfo<T>* published = table.FindPublished(segment);
  if (dot != std::string_view::npos) {
    if (!published) throw EReadError(Format(UnknownPropertyText, std::string(segment)));
    if (published->Kind != TPropertyKind::Object) throw EReadError(InvalidPropertyPathText);
    published->ReadNested(reader, object, path.substr(dot + 1));
    return;
  }
  if (published) {
    // An object reference cannot be given a value in this format.
    if (published->Kind == TPropertyKind::Object) throw EReadError(InvalidPropertyValueText);
    published->Read(reader, object);
    return;
  }
  const TDefinedProperty<T>* defined = table.FindDefined(segment);
  if (!defined || !(defined->ReadData || defined->Read))
    throw EReadError(Format(UnknownPropertyText, std::string(segment)));
  if (defined->IsBinary()) {
    TMemoryStream data(reader.ReadBinary());
    defined->ReadData(data, object);
  } else {
    defined->Read(reader, object);
  }
}

// The record types of `table` under `prefix`, in the order WriteProperties
// writes them, then those only read (defined properties without a writer).
// Places are left to the caller, who knows the whole list.
template <class T>
void ListRecordTypes(const TPropertyTable<T>& table, const std::string& prefix, TRecordTypes& types) {
  for (const auto& p : table.Published) {
    if (p.Kind == TPropertyKind::Value)
      types.push_back({.Path = prefix + p.Name, .Kind = p.ValueKind, .Names = p.Names});
    else if (p.ListNested)
      p.ListNested(prefix + p.Name + ".", types);
  }
  for (const auto& d : table.Defined) types.push_back({.Path = prefix + d.Name, .Kind = d.ValueKind});
}

// A whole property stream: header, records, end of records, end of children.
template <class T>
void WritePropertyStream(TPropertyWriter& writer, std::string_view className, const TPropertyTable<T>& table,
                         const T& object) {
  writer.WriteHeader(className);
  WriteProperties(writer, table, object);
  writer.WriteListEnd();
  writer.WriteListEnd();
}

// Reads a whole property stream into `object` and leaves the stream exactly
// behind it. A child component is not supported ("Ungültiges Stream-Format").
template <class T>
TPropertyReader::THeader ReadPropertyStream(TPropertyReader& reader, const TPropertyTable<T>& table,
                                            T& object) {
  TPropertyReader::THeader header = reader.ReadHeader();
  while (!reader.EndOfList()) {
    const std::string path = reader.ReadPropertyName();
    ReadProperty(reader, table, object, path);
  }
  reader.ReadListEnd();
  reader.ReadListEnd();
  return header;
}

// --- Value codecs -------------------------------------------------------------

namespace codec {
struct TInteger {
  static constexpr TValueKind Kind = TValueKind::Integer;
  using Value = int32_t;
  void Write(TPropertyWriter& w, Value v) const { w.WriteInteger(v); }
  Value Read(TPropertyReader& r) const { return r.ReadInteger(); }
};
struct TString {
  static constexpr TValueKind Kind = TValueKind::Text;
  using Value = std::string;
  void Write(TPropertyWriter& w, const Value& v) const { w.WriteString(v); }
  Value Read(TPropertyReader& r) const { return r.ReadString(); }
};
struct TBoolean {
  static constexpr TValueKind Kind = TValueKind::Boolean;
  using Value = bool;
  void Write(TPropertyWriter& w, Value v) const { w.WriteBoolean(v); }
  Value Read(TPropertyReader& r) const { return r.ReadBoolean(); }
};
struct TColorValue {
  static constexpr TValueKind Kind = TValueKind::Color;
  using Value = TColor;
  void Write(TPropertyWriter& w, Value v) const { w.WriteColor(v); }
  Value Read(TPropertyReader& r) const { return r.ReadColor(); }
};
struct TCharset {
  static constexpr TValueKind Kind = TValueKind::Charset;
  using Value = int32_t;
  void Write(TPropertyWriter& w, Value v) const { w.WriteCharset(v); }
  Value Read(TPropertyReader& r) const { return r.ReadCharset(); }
};
// Enumerations by ordinal; an identifier outside the table is rejected, so no
// out-of-range value is ever stored. A value without an identifier (set
// through a cast) is refused when writing: the reader would reject it.
struct TEnum {
  static constexpr TValueKind Kind = TValueKind::Enum;
  using Value = int;
  const TIdentTable* Names;
  void Write(TPropertyWriter& w, Value v) const {
    if (!Names->Contains(v)) throw EWriteError(InvalidPropertyValueText);
    w.WriteIdent(Names->Name(v));
  }
  Value Read(TPropertyReader& r) const { return r.ReadEnum(*Names); }
};
// Sets as bit masks, bit i for the member of ordinal i.
struct TSet {
  static constexpr TValueKind Kind = TValueKind::Set;
  using Value = uint32_t;
  const TIdentTable* Names;
  void Write(TPropertyWriter& w, Value v) const { w.WriteSet(v, *Names); }
  Value Read(TPropertyReader& r) const { return r.ReadSet(*Names); }
};
}  // namespace codec

// --- Building tables ----------------------------------------------------------

// A value property read through `get` (const T& -> value) and written through
// `set` (T&, value). With a default value the property is stored only when
// the current value differs from it.
template <class T, class Codec, class Get, class Set, class... Default>
TPropertyInfo<T> ValueProperty(std::string name, Codec codec, Get get, Set set,
                               const Default&... defaultValue) {
  static_assert(sizeof...(Default) <= 1, "at most one default value");
  using V = std::decay_t<std::invoke_result_t<Get, const T&>>;
  TPropertyInfo<T> p;
  p.Name = std::move(name);
  p.Write = [codec, get](TPropertyWriter& w, const T& o) {
    codec.Write(w, static_cast<typename Codec::Value>(get(o)));
  };
  p.Read = [codec, set](TPropertyReader& r, T& o) { set(o, static_cast<V>(codec.Read(r))); };
  p.ValueKind = Codec::Kind;
  if constexpr (requires { codec.Names; }) p.Names = codec.Names;
  if constexpr (sizeof...(Default) == 1) {
    const V fallback = [](const auto& d) { return static_cast<V>(d); }(defaultValue...);
    p.Stored = [get, fallback](const T& o) { return !(get(o) == fallback); };
  }
  return p;
}

template <class T, class Get, class Set, class... Default>
TPropertyInfo<T> IntegerProperty(std::string name, Get get, Set set, const Default&... defaultValue) {
  return ValueProperty<T>(std::move(name), codec::TInteger{}, get, set, defaultValue...);
}
// Stored when not empty.
template <class T, class Get, class Set>
TPropertyInfo<T> StringProperty(std::string name, Get get, Set set) {
  return ValueProperty<T>(std::move(name), codec::TString{}, get, set, std::string());
}
template <class T, class Get, class Set, class... Default>
TPropertyInfo<T> BooleanProperty(std::string name, Get get, Set set, const Default&... defaultValue) {
  return ValueProperty<T>(std::move(name), codec::TBoolean{}, get, set, defaultValue...);
}
template <class T, class Get, class Set, class... Default>
TPropertyInfo<T> ColorProperty(std::string name, Get get, Set set, const Default&... defaultValue) {
  return ValueProperty<T>(std::move(name), codec::TColorValue{}, get, set, defaultValue...);
}
template <class T, class Get, class Set, class... Default>
TPropertyInfo<T> CharsetProperty(std::string name, Get get, Set set, const Default&... defaultValue) {
  return ValueProperty<T>(std::move(name), codec::TCharset{}, get, set, defaultValue...);
}
// `get` returns the enumeration; `set` receives it.
template <class T, class Get, class Set, class... Default>
TPropertyInfo<T> EnumProperty(std::string name, const TIdentTable& names, Get get, Set set,
                              const Default&... defaultValue) {
  return ValueProperty<T>(std::move(name), codec::TEnum{&names}, get, set, defaultValue...);
}
// `get` returns the set as a bit mask (any integer type); `set` receives it.
template <class T, class Get, class Set, class... Default>
TPropertyInfo<T> SetProperty(std::string name, const TIdentTable& names, Get get, Set set,
                             const Default&... defaultValue) {
  return ValueProperty<T>(std::move(name), codec::TSet{&names}, get, set, defaultValue...);
}

// A property whose value is an object with its own table. `access` must accept
// both `const T&` and `T&` and return a reference to the nested object, e.g.
// [](auto& o) -> auto& { return o.Font(); }.
template <class T, class U, class Access>
TPropertyInfo<T> ObjectProperty(std::string name, const TPropertyTable<U>& table, Access access) {
  TPropertyInfo<T> p;
  p.Name = std::move(name);
  p.Kind = TPropertyKind::Object;
  p.WriteNested = [&table, access](TPropertyWriter& w, const T& o, const std::string& prefix) {
    WriteProperties(w, table, access(o), prefix);
  };
  p.ReadNested = [&table, access](TPropertyReader& r, T& o, std::string_view path) {
    ReadProperty(r, table, access(o), path);
  };
  p.ListNested = [&table](const std::string& prefix, TRecordTypes& types) {
    ListRecordTypes(table, prefix, types);
  };
  return p;
}

// An object property whose nested object chooses its table itself (for
// example through a virtual function of a class hierarchy).
template <class T>
TPropertyInfo<T> NestedProperty(std::string name,
                                std::function<void(TPropertyWriter&, const T&, const std::string&)> write,
                                std::function<void(TPropertyReader&, T&, std::string_view)> read) {
  TPropertyInfo<T> p;
  p.Name = std::move(name);
  p.Kind = TPropertyKind::Object;
  p.WriteNested = std::move(write);
  p.ReadNested = std::move(read);
  return p;
}

// The table of a derived class starts as its base class's table.
template <class Derived, class Base>
TPropertyTable<Derived> InheritTable(const TPropertyTable<Base>& base) {
  static_assert(std::is_base_of_v<Base, Derived>);
  TPropertyTable<Derived> table;
  for (const auto& b : base.Published) {
    TPropertyInfo<Derived> p;
    p.Name = b.Name;
    p.Kind = b.Kind;
    p.ValueKind = b.ValueKind;
    p.Names = b.Names;
    p.ListNested = b.ListNested;
    if (b.Stored) p.Stored = [f = b.Stored](const Derived& o) { return f(o); };
    if (b.Write) p.Write = [f = b.Write](TPropertyWriter& w, const Derived& o) { f(w, o); };
    if (b.Read) p.Read = [f = b.Read](TPropertyReader& r, Derived& o) { f(r, o); };
    if (b.WriteNested)
      p.WriteNested = [f = b.WriteNested](TPropertyWriter& w, const Derived& o, const std::string& prefix) {
        f(w, o, prefix);
      };
    if (b.ReadNested)
      p.ReadNested = [f = b.ReadNested](TPropertyReader& r, Derived& o, std::string_view path) {
        f(r, o, path);
      };
    table.Published.push_back(std::move(p));
  }
  for (const auto& b : base.Defined) {
    TDefinedProperty<Derived> d;
    d.Name = b.Name;
    d.ValueKind = b.ValueKind;
    if (b.Stored) d.Stored = [f = b.Stored](const Derived& o) { return f(o); };
    if (b.WriteData) d.WriteData = [f = b.WriteData](TStream& s, const Derived& o) { f(s, o); };
    if (b.ReadData) d.ReadData = [f = b.ReadData](TStream& s, Derived& o) { f(s, o); };
    if (b.Write) d.Write = [f = b.Write](TPropertyWriter& w, const Derived& o) { f(w, o); };
    if (b.Read) d.Read = [f = b.Read](TPropertyReader& r, Derived& o) { f(r, o); };
    d.FromApplication = b.FromApplication;
    table.Defined.push_back(std::move(d));
  }
  return table;
}

}  // namespace gc
