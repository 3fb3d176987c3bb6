#include "GraphControl/PropertyStream.h"

#include <array>
#include <cstring>
#include <limits>
#include <optional>

#include "GraphControl/Codepage.h"

namespace gc {

namespace {

[[noreturn]] void InvalidValue() { throw EReadError(InvalidPropertyValueText); }
[[noreturn]] void InvalidFormat() { throw EReadError(InvalidStreamFormatText); }
[[noreturn]] void ReadFailed() { throw EReadError(StreamReadErrorText); }

bool FitsInt32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// How SkipValue finds the end of a value, by tag.
enum class TSkipKind { Fixed, ShortLength, LongLength, List, Set, Collection };
struct TSkipRule {
  TSkipKind Kind;
  int Size;  // bytes for Fixed, bytes per unit for LongLength
};
constexpr std::array<TSkipRule, 0x15> SkipRules = {{
    {TSkipKind::Fixed, 0},        // Null
    {TSkipKind::List, 0},         // List
    {TSkipKind::Fixed, 1},        // Int8
    {TSkipKind::Fixed, 2},        // Int16
    {TSkipKind::Fixed, 4},        // Int32
    {TSkipKind::Fixed, 10},       // Extended
    {TSkipKind::ShortLength, 1},  // String
    {TSkipKind::ShortLength, 1},  // Ident
    {TSkipKind::Fixed, 0},        // False
    {TSkipKind::Fixed, 0},        // True
    {TSkipKind::LongLength, 1},   // Binary
    {TSkipKind::Set, 0},          // Set
    {TSkipKind::LongLength, 1},   // LString
    {TSkipKind::Fixed, 0},        // Nil
    {TSkipKind::Collection, 0},   // Collection
    {TSkipKind::Fixed, 4},        // Single
    {TSkipKind::Fixed, 8},        // Currency
    {TSkipKind::Fixed, 8},        // Date
    {TSkipKind::LongLength, 2},   // WString
    {TSkipKind::Fixed, 8},        // Int64
    {TSkipKind::LongLength, 1},   // Utf8String
}};

// Nesting of lists and collections is bounded so that a crafted stream cannot
// exhaust the call stack.
constexpr int MaxSkipDepth = 64;

}  // namespace

// --- TPropertyWriter ---------------------------------------------------------

void TPropertyWriter::WriteHeader(std::string_view className, std::string_view componentName) {
  Stream_.WriteBuffer(PropertyStreamSignature, sizeof PropertyStreamSignature);
  WriteShortString(className);
  WriteShortString(componentName);
}

void TPropertyWriter::WriteShortString(std::string_view text) {
  const size_t length = std::min<size_t>(text.size(), 255);
  Stream_.WriteUInt8(static_cast<uint8_t>(length));
  Stream_.WriteBuffer(text.data(), length);
}

void TPropertyWriter::WriteLength(size_t length) {
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EWriteError("Stream-Schreibfehler");
  Stream_.WriteInt32(static_cast<int32_t>(length));
}

void TPropertyWriter::WriteInteger(int32_t value) {
  if (value >= -128 && value <= 127) {
    WriteTag(TValueTag::Int8);
    Stream_.WriteInt8(static_cast<int8_t>(value));
  } else if (value >= -32768 && value <= 32767) {
    WriteTag(TValueTag::Int16);
    Stream_.WriteInt16(static_cast<int16_t>(value));
  } else {
    WriteTag(TValueTag::Int32);
    Stream_.WriteInt32(value);
  }
}

void TPropertyWriter::WriteInteger64(int64_t value) {
  if (FitsInt32(value)) {
    WriteInteger(static_cast<int32_t>(value));
    return;
  }
  WriteTag(TValueTag::Int64);
  Stream_.WriteInt64(value);
}

void TPropertyWriter::WriteString(std::string_view utf8) {
  // Text that is not well-formed UTF-8 is stored as what it displays as.
  const std::string sanitized = IsValidUtf8(utf8) ? std::string() : SanitizeUtf8(utf8);
  const std::string_view text = sanitized.empty() ? utf8 : sanitized;
  switch (ChooseTextForm(text)) {
    case TTextForm::EightBit:
      if (text.size() <= 255) {
        WriteTag(TValueTag::String);
        Stream_.WriteUInt8(static_cast<uint8_t>(text.size()));
      } else {
        WriteTag(TValueTag::LString);
        WriteLength(text.size());
      }
      Stream_.WriteBuffer(text.data(), text.size());
      break;
    case TTextForm::Utf16: {
      const std::u16string units = Utf8ToUtf16(text);
      WriteTag(TValueTag::WString);
      WriteLength(units.size());
      std::vector<uint8_t> bytes;
      bytes.reserve(units.size() * 2);
      for (char16_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
      }
      Stream_.WriteBuffer(bytes.data(), bytes.size());
      break;
    }
    case TTextForm::Utf8:
      WriteTag(TValueTag::Utf8String);
      WriteLength(text.size());
      Stream_.WriteBuffer(text.data(), text.size());
      break;
  }
}

TValueTag TPropertyWriter::IntegerForm(int64_t value) {
  if (value >= -128 && value <= 127) return TValueTag::Int8;
  if (value >= -32768 && value <= 32767) return TValueTag::Int16;
  return FitsInt32(value) ? TValueTag::Int32 : TValueTag::Int64;
}

TValueTag TPropertyWriter::StringForm(std::string_view utf8) {
  switch (ChooseTextForm(utf8)) {
    case TTextForm::EightBit:
      return utf8.size() <= 255 ? TValueTag::String : TValueTag::LString;
    case TTextForm::Utf16:
      return TValueTag::WString;
    case TTextForm::Utf8:
      break;
  }
  return TValueTag::Utf8String;
}

void TPropertyWriter::WriteIntegerAs(TValueTag tag, int64_t value) {
  const bool fits = tag == TValueTag::Int64 || (tag == TValueTag::Int32 && FitsInt32(value)) ||
                    (tag == TValueTag::Int16 && value >= -32768 && value <= 32767) ||
                    (tag == TValueTag::Int8 && value >= -128 && value <= 127);
  if (!fits) throw EWriteError(InvalidPropertyValueText);
  WriteTag(tag);
  switch (tag) {
    case TValueTag::Int8:
      Stream_.WriteInt8(static_cast<int8_t>(value));
      break;
    case TValueTag::Int16:
      Stream_.WriteInt16(static_cast<int16_t>(value));
      break;
    case TValueTag::Int32:
      Stream_.WriteInt32(static_cast<int32_t>(value));
      break;
    default:
      Stream_.WriteInt64(value);
      break;
  }
}

void TPropertyWriter::WriteStringAs(TValueTag tag, std::string_view utf8) {
  std::string bytes;
  switch (tag) {
    case TValueTag::String:
    case TValueTag::LString: {
      std::optional<std::string> eightBit = Utf8ToWin1252(utf8);
      if (!eightBit || (tag == TValueTag::String && eightBit->size() > 255))
        throw EWriteError(InvalidPropertyValueText);
      bytes = std::move(*eightBit);
      break;
    }
    case TValueTag::WString:
      for (const char16_t unit : Utf8ToUtf16(utf8)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
      }
      break;
    case TValueTag::Utf8String:
      bytes = utf8;
      break;
    default:
      throw EWriteError(InvalidPropertyValueText);
  }
  const size_t length = tag == TValueTag::WString ? bytes.size() / 2 : bytes.size();
  if (length > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    throw EWriteError("Stream-Schreibfehler");
  WriteTag(tag);
  if (tag == TValueTag::String)
    Stream_.WriteUInt8(static_cast<uint8_t>(length));
  else
    WriteLength(length);
  Stream_.WriteBuffer(bytes.data(), bytes.size());
}

void TPropertyWriter::WriteIdent(std::string_view identifier) {
  WriteTag(TValueTag::Ident);
  WriteShortString(identifier);
}

void TPropertyWriter::WriteBoolean(bool value) { WriteTag(value ? TValueTag::True : TValueTag::False); }

void TPropertyWriter::WriteSet(uint32_t members, const TIdentTable& names) {
  WriteTag(TValueTag::Set);
  for (int i = 0; i < names.Count() && i < 32; ++i)
    if (members & (uint32_t{1} << i)) WriteShortString(names.Name(i));
  WriteShortString({});
}

void TPropertyWriter::WriteSet(std::span<const std::string_view> memberNames) {
  WriteTag(TValueTag::Set);
  for (std::string_view name : memberNames) WriteShortString(name);
  WriteShortString({});
}

void TPropertyWriter::WriteBinary(std::span<const uint8_t> bytes) {
  WriteTag(TValueTag::Binary);
  WriteLength(bytes.size());
  Stream_.WriteBuffer(bytes.data(), bytes.size());
}

void TPropertyWriter::WriteColor(TColor color) {
  if (const auto name = ColorToIdent(color))
    WriteIdent(*name);
  else
    WriteInteger(static_cast<int32_t>(color));
}

void TPropertyWriter::WriteCharset(int32_t charset) {
  if (const auto name = CharsetToIdent(charset))
    WriteIdent(*name);
  else
    WriteInteger(charset);
}

// --- TPropertyReader ---------------------------------------------------------

void TPropertyReader::ReadRawSlowly(void* buffer, size_t count) {
  if (Memory_) ReadFailed();  // fewer bytes left than asked for
  Stream_.ReadBuffer(buffer, count);
}

uint32_t TPropertyReader::ReadUInt32() {
  uint8_t b[4];
  ReadRaw(b, 4);
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

TPropertyReader::THeader TPropertyReader::ReadHeader() {
  char signature[sizeof PropertyStreamSignature];
  const bool complete = Memory_ ? Memory_->ReadExact(signature, sizeof signature)
                                : Stream_.Read(signature, sizeof signature) == sizeof signature;
  if (!complete || std::memcmp(signature, PropertyStreamSignature, sizeof signature) != 0) InvalidFormat();
  const uint8_t first = static_cast<uint8_t>(PeekValueTag());
  if ((first & 0xF0) == 0xF0) {
    ReadByte();
    if (first & 0x02) ReadInteger();  // position among the owner's children
  }
  THeader header;
  header.ClassName = ReadShortString();
  header.ComponentName = ReadShortString();
  return header;
}

std::string TPropertyReader::ReadShortString() { return ReadBytes(ReadByte()); }

std::string TPropertyReader::ReadBytes(size_t count) {
  if (!Memory_ && static_cast<int64_t>(count) > Stream_.Remaining()) ReadFailed();
  std::string bytes(count, '\0');
  ReadRaw(bytes.data(), count);
  return bytes;
}

size_t TPropertyReader::ReadLength(size_t unitSize) {
  const auto length = static_cast<int32_t>(ReadUInt32());
  if (length < 0 || static_cast<int64_t>(length) * static_cast<int64_t>(unitSize) > Stream_.Remaining())
    ReadFailed();
  return static_cast<size_t>(length);
}

bool TPropertyReader::EndOfList() { return PeekValueTag() == TValueTag::Null; }

void TPropertyReader::ReadListEnd() {
  if (ReadValueTag() != TValueTag::Null) InvalidFormat();
}

TValueTag TPropertyReader::ReadValueTag() { return static_cast<TValueTag>(ReadByte()); }

TValueTag TPropertyReader::PeekValueTag() {
  if (Memory_) {
    uint8_t next;
    if (!Memory_->PeekByte(next)) ReadFailed();
    return static_cast<TValueTag>(next);
  }
  const TValueTag tag = ReadValueTag();
  Stream_.Seek(-1, TSeekOrigin::Current);
  return tag;
}

int64_t TPropertyReader::ReadIntegerValue(TValueTag tag) {
  switch (tag) {
    case TValueTag::Int8:
      return static_cast<int8_t>(ReadByte());
    case TValueTag::Int16: {
      uint8_t b[2];
      ReadRaw(b, 2);
      return static_cast<int16_t>(b[0] | (b[1] << 8));
    }
    case TValueTag::Int32:
      return static_cast<int32_t>(ReadUInt32());
    case TValueTag::Int64: {
      const uint64_t low = ReadUInt32();
      const uint64_t high = ReadUInt32();
      return static_cast<int64_t>(low | high << 32);
    }
    default:
      InvalidValue();
  }
}

int32_t TPropertyReader::ReadInteger() {
  const int64_t value = ReadInteger64();
  if (!FitsInt32(value)) InvalidValue();
  return static_cast<int32_t>(value);
}

int64_t TPropertyReader::ReadInteger64() { return ReadIntegerValue(ReadValueTag()); }

std::string TPropertyReader::ReadString() {
  switch (ReadValueTag()) {
    case TValueTag::String:
      return Win1252ToUtf8(ReadBytes(ReadByte()));
    case TValueTag::LString:
      return Win1252ToUtf8(ReadBytes(ReadLength()));
    case TValueTag::WString: {
      const std::string bytes = ReadBytes(ReadLength(2) * 2);
      std::u16string units(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                         static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
      return Utf16ToUtf8(units);
    }
    case TValueTag::Utf8String:
      return SanitizeUtf8(ReadBytes(ReadLength()));
    default:
      InvalidValue();
  }
}

std::string TPropertyReader::ReadIdent() {
  switch (ReadValueTag()) {
    case TValueTag::Ident:
      return ReadShortString();
    case TValueTag::Null:
      return "Null";
    case TValueTag::False:
      return "False";
    case TValueTag::True:
      return "True";
    case TValueTag::Nil:
      return "nil";
    default:
      InvalidValue();
  }
}

bool TPropertyReader::ReadBoolean() {
  const TValueTag tag = ReadValueTag();
  if (tag != TValueTag::False && tag != TValueTag::True) InvalidValue();
  return tag == TValueTag::True;
}

int TPropertyReader::ReadEnum(const TIdentTable& names) {
  const int ordinal = names.IndexOf(ReadIdent());
  if (ordinal < 0) InvalidValue();
  return ordinal;
}

uint32_t TPropertyReader::ReadSet(const TIdentTable& names) {
  if (ReadValueTag() != TValueTag::Set) InvalidValue();
  uint32_t members = 0;
  for (std::string name = ReadShortString(); !name.empty(); name = ReadShortString()) {
    const int ordinal = names.IndexOf(name);
    if (ordinal >= 0 && ordinal < 32) members |= uint32_t{1} << ordinal;
  }
  return members;
}

std::vector<std::string> TPropertyReader::ReadSetNames() {
  if (ReadValueTag() != TValueTag::Set) InvalidValue();
  std::vector<std::string> names;
  for (std::string name = ReadShortString(); !name.empty(); name = ReadShortString()) names.push_back(name);
  return names;
}

std::vector<uint8_t> TPropertyReader::ReadBinary() {
  if (ReadValueTag() != TValueTag::Binary) InvalidValue();
  std::vector<uint8_t> bytes(ReadLength());
  ReadRaw(bytes.data(), bytes.size());
  return bytes;
}

TColor TPropertyReader::ReadColor() {
  if (PeekValueTag() != TValueTag::Ident) return static_cast<TColor>(ReadInteger());
  const auto color = IdentToColor(ReadIdent());
  if (!color) InvalidValue();
  return *color;
}

int32_t TPropertyReader::ReadCharset() {
  if (PeekValueTag() == TValueTag::Ident) {
    const auto charset = IdentToCharset(ReadIdent());
    if (!charset) InvalidValue();
    return *charset;
  }
  const int32_t charset = ReadInteger();
  if (charset < 0 || charset > 255) InvalidValue();
  return charset;
}

void TPropertyReader::SkipValue() { SkipValue(0); }

void TPropertyReader::SkipValue(int depth) {
  if (depth > MaxSkipDepth) InvalidFormat();
  const auto tag = static_cast<size_t>(ReadValueTag());
  if (tag >= SkipRules.size()) InvalidValue();
  const TSkipRule rule = SkipRules[tag];
  switch (rule.Kind) {
    case TSkipKind::Fixed:
      SkipBytes(rule.Size);
      break;
    case TSkipKind::ShortLength:
      SkipBytes(ReadByte());
      break;
    case TSkipKind::LongLength:
      SkipBytes(static_cast<int64_t>(ReadLength(static_cast<size_t>(rule.Size))) * rule.Size);
      break;
    case TSkipKind::List:
      while (!EndOfList()) SkipValue(depth + 1);
      ReadListEnd();
      break;
    case TSkipKind::Set:
      for (uint8_t length = ReadByte(); length != 0; length = ReadByte()) SkipBytes(length);
      break;
    case TSkipKind::Collection:
      // Items: an optional integer order value, then a list of property
      // records (name and value) up to a zero.
      while (!EndOfList()) {
        const TValueTag next = PeekValueTag();
        if (next == TValueTag::Int8 || next == TValueTag::Int16 || next == TValueTag::Int32)
          SkipValue(depth + 1);
        if (ReadValueTag() != TValueTag::List) InvalidFormat();
        while (!EndOfList()) {
          SkipBytes(ReadByte());
          SkipValue(depth + 1);
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
  }
}

}  // namespace gc
