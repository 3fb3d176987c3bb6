// The property stream: one object as "TPF0", a class name, a component name,
// a list of records (a property path, then one tagged value) ended by a zero
// byte, and an empty list of child components ended by another zero byte.
// TPropertyWriter and TPropertyReader handle the tagged values; which records
// an object has is declared in its property table (PropertyTable.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "GraphControl/Identifiers.h"
#include "GraphControl/Stream.h"

namespace gc {

// The byte in front of every value.
enum class TValueTag : uint8_t {
  Null = 0x00,  // nothing; ends lists
  List = 0x01,  // values up to a Null
  Int8 = 0x02,
  Int16 = 0x03,
  Int32 = 0x04,
  Extended = 0x05,  // 10-byte float
  String = 0x06,    // length byte + Windows-1252 characters
  Ident = 0x07,     // length byte + identifier
  False = 0x08,
  True = 0x09,
  Binary = 0x0A,   // 4-byte length + bytes
  Set = 0x0B,      // short strings up to an empty one
  LString = 0x0C,  // 4-byte length + Windows-1252 characters
  Nil = 0x0D,
  Collection = 0x0E,
  Single = 0x0F,    // 4-byte float
  Currency = 0x10,  // 8 bytes
  Date = 0x11,      // 8 bytes
  WString = 0x12,   // 4-byte count + UTF-16 units
  Int64 = 0x13,
  Utf8String = 0x14,  // 4-byte length + UTF-8 bytes
};

inline constexpr char PropertyStreamSignature[4] = {'T', 'P', 'F', '0'};

class TPropertyWriter {
 public:
  explicit TPropertyWriter(TStream& stream) : Stream_(stream) {}
  TStream& Stream() { return Stream_; }

  // A writer of complete states writes every property, default values
  // included, so that reading its records sets each one (see WriteProperties).
  // Files never hold complete states.
  void SetCompleteState(bool value) { CompleteState_ = value; }
  bool CompleteState() const { return CompleteState_; }

  // "TPF0", the class name and the component name.
  void WriteHeader(std::string_view className, std::string_view componentName = {});
  // A property path or any other short string: one length byte, cut at 255.
  void WriteShortString(std::string_view text);
  void WritePropertyName(std::string_view path) { WriteShortString(path); }
  // The zero byte that ends the property list and the child list.
  void WriteListEnd() { Stream_.WriteUInt8(0); }

  // Smallest of the 8-, 16- and 32-bit forms.
  void WriteInteger(int32_t value);
  // As WriteInteger; values outside the 32-bit range use the 64-bit form.
  void WriteInteger64(int64_t value);
  // ASCII text as 8-bit characters, other text as UTF-16 or UTF-8 (TTextForm).
  void WriteString(std::string_view utf8);
  void WriteIdent(std::string_view identifier);
  void WriteBoolean(bool value);
  // The identifiers of the bits set in `members`, in ascending order.
  void WriteSet(uint32_t members, const TIdentTable& names);
  void WriteSet(std::span<const std::string_view> memberNames);
  void WriteBinary(std::span<const uint8_t> bytes);
  // The colour's identifier when it has one, else the integer.
  void WriteColor(TColor color);
  void WriteCharset(int32_t charset);

  // The forms WriteInteger64 and WriteString choose for a value.
  static TValueTag IntegerForm(int64_t value);
  static TValueTag StringForm(std::string_view utf8);  // `utf8` well-formed
  // A value in a form of the caller's choice: the forms other writers of the
  // format use, so that a value read in one of them is written back as it
  // was. Integers: Int8, Int16, Int32 or Int64. Text (well-formed UTF-8):
  // String and LString (Windows-1252; String up to 255 bytes), WString
  // (UTF-16) or Utf8String. EWriteError "Ungültiger Eigenschaftswert" when
  // the form cannot hold the value; nothing is written then.
  void WriteIntegerAs(TValueTag tag, int64_t value);
  void WriteStringAs(TValueTag tag, std::string_view utf8);

 private:
  void WriteTag(TValueTag tag) { Stream_.WriteUInt8(static_cast<uint8_t>(tag)); }
  void WriteLength(size_t length);

  TStream& Stream_;
  bool CompleteState_ = false;
};

// Reads values in the forms the writer produces and the older forms other
// writers of the format use. A tag that does not fit the value asked for
// raises EReadError "Ungültiger Eigenschaftswert"; running out of bytes raises
// EReadError "Stream-Lesefehler". Lengths and counts from the stream are
// checked against the bytes left before anything is allocated.
class TPropertyReader {
 public:
  explicit TPropertyReader(TStream& stream)
      : Stream_(stream), Memory_(dynamic_cast<TMemoryStream*>(&stream)) {}
  TStream& Stream() { return Stream_; }

  // "TPF0" ("Ungültiges Stream-Format" otherwise), an optional prefix byte
  // 0xF0..0xFF (with bit 2: followed by an integer child position), the
  // class name and the component name.
  struct THeader {
    std::string ClassName;
    std::string ComponentName;
  };
  THeader ReadHeader();
  std::string ReadShortString();
  std::string ReadPropertyName() { return ReadShortString(); }
  // True when the next byte is the zero ending a list (not consumed).
  bool EndOfList();
  // Consumes the zero ending a list; anything else is "Ungültiges Stream-Format".
  void ReadListEnd();

  TValueTag ReadValueTag();
  TValueTag PeekValueTag();

  // Tags 0x02, 0x03, 0x04 and 0x13 (a 64-bit value outside the 32-bit range
  // is "Ungültiger Eigenschaftswert").
  int32_t ReadInteger();
  int64_t ReadInteger64();
  // Tags 0x06 and 0x0C (Windows-1252), 0x12 (UTF-16) and 0x14 (UTF-8); the
  // result is well-formed UTF-8.
  std::string ReadString();
  // Tag 0x07; the value-less tags read as "Null", "False", "True" and "nil".
  std::string ReadIdent();
  bool ReadBoolean();
  // Ordinal of an identifier of `names`; unknown identifiers are rejected.
  int ReadEnum(const TIdentTable& names);
  // Bits of the members named; names the table does not know are ignored.
  uint32_t ReadSet(const TIdentTable& names);
  std::vector<std::string> ReadSetNames();
  // Tag 0x0A: the whole payload.
  std::vector<uint8_t> ReadBinary();
  // An integer, or a colour identifier.
  TColor ReadColor();
  // An integer 0..255, or a character set identifier.
  int32_t ReadCharset();

  // Skips one value of any tag 0x00..0x14, including nested lists and
  // collections.
  void SkipValue();

 private:
  void SkipValue(int depth);
  void SkipBytes(int64_t count) { Stream_.Skip(count); }
  // A 4-byte length that must not exceed the bytes left (times `unitSize`).
  size_t ReadLength(size_t unitSize = 1);
  std::string ReadBytes(size_t count);
  int64_t ReadIntegerValue(TValueTag tag);
  // The stream's bytes, straight from memory when the stream is a memory
  // stream (a property stream is read in many small pieces).
  void ReadRaw(void* buffer, size_t count) {
    if (!Memory_ || !Memory_->ReadExact(buffer, count)) ReadRawSlowly(buffer, count);
  }
  void ReadRawSlowly(void* buffer, size_t count);
  uint8_t ReadByte() {
    uint8_t value;
    ReadRaw(&value, 1);
    return value;
  }
  uint32_t ReadUInt32();

  TStream& Stream_;
  TMemoryStream* Memory_;
};

// Message texts of the reader.
inline constexpr const char* InvalidPropertyValueText = "Ungültiger Eigenschaftswert";
inline constexpr const char* InvalidStreamFormatText = "Ungültiges Stream-Format";
inline constexpr const char* StreamReadErrorText = "Stream-Lesefehler";
inline constexpr const char* UnknownPropertyText = "Eigenschaft %s existiert nicht.";
inline constexpr const char* InvalidPropertyPathText = "Ungültiger Pfad für Eigenschaft";

}  // namespace gc
