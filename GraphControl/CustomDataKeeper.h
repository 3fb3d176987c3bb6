// Keeps the custom data of a diagram's objects byte for byte, for programs
// that read and write diagrams without interpreting it: what an object read
// is written back unchanged when it is saved.
#pragma once

#include <map>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Stream.h"

namespace gc {

class TCustomDataKeeper {
 public:
  // Takes over the control's OnObjectRead and OnObjectWrite.
  explicit TCustomDataKeeper(TGraphControl& graph) {
    graph.OnObjectRead = [this](TGraphControl*, TGraphObject* object, TStream& stream) {
      std::vector<uint8_t>& bytes = Data_[object];
      bytes.resize(static_cast<size_t>(stream.Size()));
      stream.ReadBuffer(bytes.data(), bytes.size());
    };
    graph.OnObjectWrite = [this](TGraphControl*, TGraphObject* object, TStream& stream) {
      const auto it = Data_.find(object);
      if (it != Data_.end() && !it->second.empty()) stream.WriteBuffer(it->second.data(), it->second.size());
    };
  }

 private:
  std::map<const TGraphObject*, std::vector<uint8_t>> Data_;
};

}  // namespace gc
