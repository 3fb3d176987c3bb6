// libFuzzer target: any byte sequence given to TGraphControl::LoadFromStream
// either loads or fails with the library's own stream errors; it never
// crashes, leaks, hangs or allocates without bound. Whatever loaded must take
// edits (every object moved, one deleted, all of it undone and redone), must
// save, and the saved diagram must load again without error.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "GraphControl/Control.h"
#include "GraphControl/Stream.h"
#include "GraphControl/Unit.h"

namespace {

void Reload(const std::vector<uint8_t>& bytes) {
  gc::TGraphControl graph;
  gc::TMemoryStream stream(bytes);
  graph.LoadFromStream(stream);
}

// Edits what a file left: a file can hold what no edit builds (links hooked
// onto links in a circle, far coordinates), and the first edit after the
// load is where that shows.
void Edit(gc::TGraphControl& graph) {
  constexpr int32_t MaxEdited = 64;
  const int32_t count = std::min(graph.Objects().Count(), MaxEdited);
  for (int32_t i = 0; i < count && i < graph.Objects().Count(); ++i) graph.Objects().Items(i)->MoveBy(7, -3);
  if (graph.Objects().Count() > 0) graph.Objects().Items(graph.Objects().Count() / 2)->Delete();
  while (graph.Undo()) {
  }
  while (graph.Redo()) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (gc::GraphControlStartup(), true);
  (void)started;
  gc::TGraphControl graph;
  // An application handler that reads part of its custom data.
  graph.OnObjectRead = [](gc::TGraphControl*, gc::TGraphObject*, gc::TStream& stream) {
    uint8_t buffer[8];
    stream.Read(buffer, sizeof buffer);
  };
  gc::TMemoryStream input(std::vector<uint8_t>(data, data + size));
  try {
    graph.LoadFromStream(input);
  } catch (const gc::EGraphException&) {
    // A rejected stream; what loaded before the failure stays and is saved below.
  }
  try {
    Edit(graph);
  } catch (const gc::EGraphException&) {
    std::abort();  // an edit of a loaded diagram failed
  }
  gc::TMemoryStream output;
  graph.SaveToStream(output);
  try {
    Reload(output.Bytes());
  } catch (const gc::EGraphException&) {
    std::abort();  // the library wrote a stream it cannot read
  }
  return 0;
}
