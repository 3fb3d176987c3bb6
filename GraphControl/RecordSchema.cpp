#include "GraphControl/RecordSchema.h"

#include <algorithm>

#include "GraphControl/GraphLink.h"
#include "GraphControl/GraphNode.h"

namespace gc {

std::span<const TRecordType> GraphObjectRecordTypes(bool isLink) {
  return isLink ? TGraphLink::StreamRecordTypes() : TGraphNode::StreamRecordTypes();
}

const TRecordType* FindRecordType(std::string_view path, bool isLink) {
  const std::span<const TRecordType> types = GraphObjectRecordTypes(isLink);
  const auto it =
      std::find_if(types.begin(), types.end(), [&](const TRecordType& t) { return SameText(t.Path, path); });
  return it == types.end() ? nullptr : &*it;
}

}  // namespace gc
