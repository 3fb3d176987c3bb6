// The records a graph object's property stream may hold, listed from the
// property tables of the node and link classes: every path the diagram reader
// accepts, with the kind of value it carries, in the order the writer stores
// them, then the paths only older files use. A program that shows or builds
// records without objects (the JSON form of a diagram) reads and checks
// values through it, so a new property in a table needs nothing more.
#pragma once

#include <span>
#include <string_view>

#include "GraphControl/PropertyTable.h"

namespace gc {

// The record types of an object of a link class or of a node class.
std::span<const TRecordType> GraphObjectRecordTypes(bool isLink);

// The record type of `path` (compared ignoring case, as the reader does) on
// an object of a link class or a node class; null when the reader would
// reject the path there.
const TRecordType* FindRecordType(std::string_view path, bool isLink);

}  // namespace gc
