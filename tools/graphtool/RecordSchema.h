// The records a graph object's property stream may hold: every path the
// diagram reader accepts, with the kind of value it carries. The JSON form of
// a diagram (ScreenJson.h) uses it to show each value in its natural JSON
// type and to check values before anything is written.
#pragma once

#include <cstddef>
#include <string_view>

#include "GraphControl/Identifiers.h"

namespace gc::tool {

enum class TValueKind {
  Integer,   // a 32-bit integer
  Unsigned,  // a 32-bit value shown unsigned (the object's ID, colour values)
  LinkEnd,   // an object ID in the 64-bit integer form (link ends)
  Byte,      // an integer 0..255
  Text,      // a string
  Boolean,
  Color,       // a colour identifier or a colour value
  Charset,     // a character set identifier or an integer 0..255
  Enum,        // an identifier of Names
  Set,         // members of Names
  Identifier,  // any identifier (the link kind of older files)
  CustomData,  // binary: the application's bytes
  Picture,     // binary: a graphic's class name and bytes
  Points,      // binary: a link's points
  Margins,     // four integers: left, top, right, bottom percentages
};

enum class TRecordScope { AnyObject, Node, Link };

struct TRecordType {
  std::string_view Path;
  TValueKind Kind;
  TRecordScope Scope = TRecordScope::AnyObject;
  const TIdentTable* Names = nullptr;  // Enum and Set
};

// The record type of `path` (compared ignoring case, as the reader does) on
// an object of a link class or a node class; null when the reader would
// reject the path there.
const TRecordType* FindRecordType(std::string_view path, bool isLink);

// The place of the record among those the writer stores: a record is
// written before every record of a larger place.
size_t RecordPlace(const TRecordType& type);

}  // namespace gc::tool
